#include "shell/books/AuthorBook.h"

#include "core/model/ClassRegistry.h"
#include "shell/undo/AbUndo.h"

namespace lumora {

TObjInfo TAuthorBook::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.ClassName = QStringLiteral("ウィンドウ");
  info.Name = QString::fromUtf16(kKindName);
  info.FormType = {otSurface, otAuthor, otPicture, otBook};
  info.ActType = {atShow, atSize};
  info.Caption = QStringLiteral("編集ブック");
  info.Hint = QStringLiteral("編集ブック");
  return info;
}

TObjParam TAuthorBook::DefaultParam() {
  TObjParam param;
  param.ObjName = QStringLiteral("編集ウィンドー");
  param.Layer = 1;
  param.Priority = 0;
  param.ActType = {atShow};
  param.Width = 1;
  param.LineColor = clNone;
  param.FaceColor = 0xFFFFFF;
  param.Coating = true;
  param.Text = QStringLiteral("Book");
  param.SetObjValue(0);
  return param;
}

TAuthorBook::TAuthorBook() : TAuthorBook(DefaultParam()) {}

TAuthorBook::TAuthorBook(const TObjParam &aParam) : TMetaBook(aParam) {}

TObjInfo TAuthorPage::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.ClassName = QStringLiteral("ウィンドウ");
  info.Name = QString::fromUtf16(kKindName);
  info.FormType = {otSurface, otAuthor, otSystem, otPage};
  info.ActType = {atShow, atSize};
  info.Caption = QStringLiteral("編集頁");
  info.Hint = QStringLiteral("編集ウィンドー");
  return info;
}

TObjParam TAuthorPage::DefaultParam() {
  TObjParam param;
  param.ObjName = QString::fromUtf16(kKindName);
  param.Layer = 1;
  param.Priority = 50;
  param.ActType = {atShow};
  param.Width = 1;
  param.LineColor = clNone;
  param.FaceColor = 0xFFFFFF;
  param.Coating = false;
  param.Text = QStringLiteral("Page");
  return param;
}

TAuthorPage::TAuthorPage() : TAuthorPage(DefaultParam()) {}

TAuthorPage::TAuthorPage(const TObjParam &aParam) : TMetaPage(aParam) {}

void TAuthorPage::Open(int aPNo) {
  TMetaPage::Open(aPNo);
  if (TAbUndo *undo = AbUndo()) undo->SetWorkPage(this);
}

void RegisterAuthorBookClasses(TObjClassList &aList) {
  aList.Add<TAuthorBook>();
  aList.Add<TAuthorPage>();
}

} // namespace lumora
