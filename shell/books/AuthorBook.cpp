#include "shell/books/AuthorBook.h"

#include <QFileInfo>

#include "core/book/ActBlockList.h"
#include "core/drawable/ActionObj.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CustomMaker.h"
#include "core/model/ObjPool.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/graphics/Canvas.h"
#include "shell/books/AuthorPageZoom.h"
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

TAuthorBook::TAuthorBook(const TObjParam &aParam) : TMetaBook(aParam) {
  // The first author book holds the program's page opener; a book read
  // only for its pages (an insert) has none of its own.
  if (AuthorPageOpener()) return;
  FPageOpener = std::make_unique<TOpenAuthorPage>();
  SetAuthorPageOpener(FPageOpener.get());
}

TAuthorBook::~TAuthorBook() {
  if (FPageOpener && AuthorPageOpener() == FPageOpener.get()) SetAuthorPageOpener(nullptr);
}

TAuthorPage *TAuthorBook::CreatePageAt(int Index) {
  std::unique_ptr<TAuthorPage> made = NewObject<TAuthorPage>();
  made->Param.SetObjValue(Index);
  made->Name = made->CreateName(true);
  TAuthorPage *page = made.get();
  Param.SetObjValue(Index);
  try {
    // It follows the page now at Index.
    if (Index < Count())
      Insert(Index + 1, std::move(made));
    else
      AddObj(std::move(made));
    page->SetPage0(Pages(0));
    const int at = Pool() ? Pool()->IndexOf(page) : -1;
    SetPage(at);
    if (TCommonObj *thumb = page->Thumbnail())
      thumb->Data(QStringLiteral("登録"), {QVariant(QString::number(at)), QVariant(page->Name),
                                           QVariant(page->Param.Text)});
  } catch (...) {
    // The page goes again; the book stays as it was.
    if (WorkPage == page) WorkPage = nullptr;
    if (Pool() && Pool()->IndexOf(page) >= 0) Extract(page);
    page = nullptr;
  }
  if (OnPage) OnPage(this);
  return page;
}

void TAuthorBook::SetBoundsRect(const TRect &) {
  for (int i = 0; i < Count(); ++i)
    if (TMetaPage *page = Pages(i)) page->SetBoundsRect(TRect{0, 0, WinWidth, WinHeight});
}

void TAuthorBook::Resize(IGraphicPanel *aPanel) {
  if (auto *zoom = dynamic_cast<TAuthPageZoomEx *>(FPageZoom.get()))
    zoom->SetPanel(aPanel);
  else
    FPageZoom = std::make_unique<TAuthPageZoomEx>(aPanel, this);
  FPageZoom->ResizePage();
}

bool TAuthorBook::LoadFromFile(const QString &aFile, QString &aHeader) {
  const bool read = TMetaBook::LoadFromFile(aFile, aHeader);
  const QFileInfo file(aFile);
  FilePath = file.absolutePath();
  DocName = file.completeBaseName();
  if (TSysContext::Started()) SysInfo().FileName = aFile;
  return read;
}

void TAuthorBook::AddPage() {
  const int current = Page();
  if (WorkPage && current != 0) WorkPage->Close();
  TAuthorPage *page = CreatePageAt(current);
  if (!page) return;
  WorkPage = page;
  page->Open(current);
}

void TAuthorBook::NewPageCreate(const QString &aFileName) {
  CloseBook();
  Clear();
  for (int number = 0; number < 2; ++number) {
    std::unique_ptr<TAuthorPage> page = NewObject<TAuthorPage>();
    page->Param.SetObjValue(number);
    page->Name = page->CreateName(true);
    AddObj(std::move(page));
  }
  TOpenBook opener(this, aFileName);
  opener.Open(nullptr);
  opener.SetPage(1);
  opener.DrawThumbnail(1);
}

void TAuthorBook::RemovePage(int pg) {
  if (pg <= 0 || pg >= Count()) return;
  TMetaPage *gone = Pages(pg);
  if (WorkPage == gone) {
    gone->Close();
    WorkPage = nullptr;
  }
  for (int i = 0; i < Count(); ++i)
    if (TMetaPage *page = Pages(i); page && page != gone && page->Page0() == gone) {
      page->SetPage0(nullptr);
      page->Param.Coating = true;
    }
  Extract(gone);
  if (Count() <= 1) {
    CreatePageAt(1);
    return;
  }
  if (pg >= Count()) pg = Count() - 1;
  SetPage(pg);
  UpdateLink(this);
}

bool TAuthorBook::IsCanPageDelete(int &apid, TCommonObj *&aObj) {
  for (int i = 0; i < Count(); ++i) {
    TMetaPage *page = Pages(i);
    if (!page || !page->Pool()) continue;
    for (TCommonObj *obj : *page->Pool()) {
      if (!obj || obj->ObjInfo().Name != QStringLiteral("ページ制御")) continue;
      auto *action = dynamic_cast<TActionObj *>(obj);
      if (!action || action->ActParam.Text.isEmpty()) continue;
      if (action->ActParam.Value >= Count() - 1) {
        apid = i;
        aObj = obj;
        return true;
      }
    }
  }
  return false;
}

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
  if (TOpenAuthorPage *opener = AuthorPageOpener()) opener->Open(this);
  TMetaPage::Open(aPNo);
  if (TAbUndo *undo = AbUndo()) undo->SetWorkPage(this);
}

void TAuthorPage::Close() {
  ActBlockRegistry().PageUpdate(this);
  if (TOpenAuthorPage *opener = AuthorPageOpener()) opener->Close();
  RemoveSysObjects();
  if (Page0()) TMetaPage::Close();
}

void TAuthorPage::RemoveSysObjects() {
  if (!Pool()) return;
  for (int i = Count() - 1; i >= 0; --i) {
    TCommonObj *obj = Pool()->Items(i);
    if (!obj || obj == this || !obj->ObjInfo().FormType.Contains(otSystem)) continue;
    if (obj->Maker()) obj->Maker()->Invalidate(false);
    TCommonObj *gone = obj;
    TMetaPage::RemoveObj(gone);
  }
}

TCommonObj *TAuthorPage::Search(TRealPoint aPos, TSearch aKind) {
  if (!TSysContext::Started() || !SysInfo().FunctionTopDraw || !Pool())
    return TMetaPage::Search(aPos, aKind);
  for (const bool front : {true, false})
    for (int i = Count() - 1; i >= 0; --i) {
      TCommonObj *obj = Pool()->Items(i);
      if (!obj || obj == this || (obj->Param.Priority < kTopDrawPriority) != front) continue;
      if (TCommonObj *hit = obj->Search(aPos, aKind)) return hit;
    }
  return nullptr;
}

void TAuthorPage::PaintBackground(TCanvas &aCanvas) {
  TMetaPage::PaintBackground(aCanvas);
  if (!TSysContext::Started() || SysInfo().FileVersion <= 2) return;
  const int w = CurrentWinWidth(), h = CurrentWinHeight();
  TPen &pen = aCanvas.Pen();
  pen.SetStyle(psDot);
  pen.SetWidth(1);
  pen.SetColor(0xC4C8C0);
  pen.SetMode(pmCopy);
  aCanvas.MoveTo(w, 0);
  aCanvas.LineTo(w, h);
  aCanvas.LineTo(0, h);
}

void RegisterAuthorBookClasses(TObjClassList &aList) {
  aList.Add<TAuthorBook>();
  aList.Add<TAuthorPage>();
}

} // namespace lumora
