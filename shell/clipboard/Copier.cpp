#include "shell/clipboard/Copier.h"

#include "core/drawable/DrawObj.h"
#include "core/drawable/DummyDrawObj.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStringList>
#include <QVariant>

#include "core/book/Iterators.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomMaker.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/system/Exception.h"
#include "platform/ui/Clipboard.h"
#include "shell/input/MultiTrac.h"

namespace lumora {

namespace {

const QString kEditCellKind = QStringLiteral("編集セル");
const QString kMemoKind = QStringLiteral("メモ");
const QString kTextTableKind = QStringLiteral("文字表");
const QString kStillKind = QStringLiteral("静止画");
const QString kTextBoxKind = QStringLiteral("文字編集");
const QString kBalloonKind = QStringLiteral("吹き出し");
const QString kSoundKind = QStringLiteral("音声");
const QString kValueCommand = QString::fromUtf16(TDrawObj::kValueCommand);

// Composites nested deeper than this in a pasted block are refused: the
// readers and the link search recurse once per level (and the search by id
// gives up after 50).
constexpr int kMaxNesting = 32;
// A text table pasted from text holds at most this many cells.
constexpr qsizetype kMaxTableCells = 10000;

// The end of the entry at aPos (the record, and for a composite kind its
// count and child entries, each whole in turn); -1 when it is not whole. Only
// sizes, counts and kind names are read: no object is made.
int64_t EntryEnd(TMetaStream &aStream, int64_t aPos, int aDepth) {
  if (aDepth > kMaxNesting) return -1;
  aStream.SetPosition(aPos);
  if (!Readable(aStream, 4)) return -1;
  int32_t size = 0;
  aStream.ReadBuffer(size);
  if (size <= 0 || !Readable(aStream, size)) return -1;
  const int64_t recordEnd = aPos + 4 + size;
  QString kind, text;
  try {
    float version = 0;
    aStream.ReadVersion(version);
    aStream.ReadParamNames(kind, text);
  } catch (const std::exception &) {
    return -1;
  }
  if (aStream.Position() > recordEnd) return -1;
  const TObjClass *objClass = ObjClassList().ClassOf(kind);
  if (!objClass || !objClass->InheritsFrom(ObjClassOf<TCustomCompo>())) return recordEnd;
  aStream.SetPosition(recordEnd);
  if (!Readable(aStream, 4)) return -1;
  int32_t count = 0;
  aStream.ReadBuffer(count);
  if (count < 0) return -1;
  int64_t end = recordEnd + 4;
  // Every entry takes bytes, so a count beyond the data ends the loop soon.
  for (int32_t i = 0; i < count && end >= 0; ++i)
    end = EntryEnd(aStream, end, aDepth + 1);
  return end;
}

// The number of whole entries from the start of aStream; aEnd receives the
// end of the last one (0 for none).
int CountRecords(TMetaStream &aStream, int64_t &aEnd) {
  int count = 0;
  aEnd = 0;
  while (aEnd < aStream.Size()) {
    const int64_t end = EntryEnd(aStream, aEnd, 0);
    if (end < 0) break;
    ++count;
    aEnd = end;
  }
  return count;
}

int CountClipboardRecords() {
  const QByteArray block = ClipboardExData();
  TMetaStream stream;
  stream.SetView(block.constData(), block.size());
  int64_t end = 0;
  return CountRecords(stream, end);
}

bool IsForeign(int aFormat) {
  return aFormat == kClipText || aFormat == kClipBitmap || aFormat == kClipMetafile ||
         aFormat == kClipPicture;
}

TRealPoint ToRealPoint(QPoint aPoint) {
  return {double(aPoint.x()), double(aPoint.y())};
}

// The kind of object a dropped file becomes; empty for none.
QString KindOfFile(const QString &aFile) {
  const QString word = FileKindOfExt(QStringLiteral(".") + QFileInfo(aFile).suffix().toLower());
  for (const char *picture : {"BMP", "ICON", "JPEG", "EMF", "PNG", "SVG"})
    if (word == QLatin1String(picture)) return kStillKind;
  if (word == u"TEXT") return kTextBoxKind;
  if (word == u"SOUND") return kSoundKind;
  return QString();
}

// Takes aObj out of aPage or else out of the making context's root.
std::unique_ptr<TCommonObj> TakeOut(TCustomCompo *aPage, TCommonObj *aObj) {
  if (aPage)
    if (std::unique_ptr<TCommonObj> obj = aPage->Extract(aObj)) return obj;
  auto *root = dynamic_cast<TCustomCompo *>(TCommonObj::GetMakeInfo().Root());
  if (root && root != aPage) return root->Extract(aObj);
  return nullptr;
}

// The rows of a text, each split into its cells. Every line end (CR LF, CR
// or LF) ends a row; an empty last part is no row, so a last line without
// a line end is kept.
std::vector<QStringList> TableRows(const QString &aText) {
  static const QRegularExpression kLineEnd(QStringLiteral("\r\n|\r|\n"));
  QStringList lines = aText.split(kLineEnd);
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  std::vector<QStringList> rows;
  rows.reserve(size_t(lines.size()));
  for (const QString &line : lines)
    rows.push_back(line.split(QLatin1Char('\t')));
  return rows;
}

} // namespace

// ---- TClipObj ----

TClipObj::TClipObj(TRealPoint aPos) : FLastClick(aPos) {}

std::unique_ptr<TCommonObj> TClipObj::PasteTo(TRealPoint aPos) {
  const int format = ClipboardFormat();
  if (!IsForeign(format)) return nullptr;
  QString kind = kStillKind;
  std::vector<QStringList> rows;
  if (format == kClipText) {
    kind = TextTableFlag ? kTextTableKind : kMemoKind;
    if (TextTableFlag) {
      rows = TableRows(ClipboardText());
      // The first row gives the columns; a text of more cells than a page
      // can show makes no table.
      if (!rows.empty() && qsizetype(rows.size()) * rows.front().size() > kMaxTableCells)
        return nullptr;
    }
  }
  std::unique_ptr<TCommonObj> obj = ObjClassList().CreateObject(kind);
  if (!obj) return nullptr;
  const bool loaded = obj->Maker() && obj->Maker()->LoadFromClipBoard(QGuiApplication::clipboard());
  if (!loaded && kind == kMemoKind) {
    obj->Data(kValueCommand, {QVariant::fromValue(obj.get()), ClipboardText()});
  } else if (!loaded && kind == kTextTableKind && !rows.empty()) {
    const int cols = int(rows.front().size());
    if (auto *table = dynamic_cast<ITextTableResize *>(obj.get()))
      table->Rs_TableXY(int(rows.size()), cols);
    if (TAbObjectPool *cells = obj->Pool())
      for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < cols && c < rows[size_t(r)].size(); ++c)
          if (TCommonObj *cell = cells->GetParts(r * cols + c))
            cell->Data(kValueCommand, {QVariant::fromValue(cell), rows[size_t(r)][c]});
  }
  obj->Move(aPos.rx > 0 || aPos.ry > 0 ? aPos : FLastClick);
  if (obj->Maker()) obj->Maker()->Update();
  return obj;
}

void TClipObj::PasteFromFile(TCustomCompo *aPage, const TNewObjEvent &aRequest,
                             std::vector<std::unique_ptr<TCommonObj>> &aList) {
  for (const QString &file : ClipboardFiles()) {
    std::unique_ptr<TCommonObj> obj = PasteFile(aPage, aRequest, file);
    if (!obj) break;
    aList.push_back(std::move(obj));
  }
}

std::unique_ptr<TCommonObj> TClipObj::PasteFile(TCustomCompo *aPage, const TNewObjEvent &aRequest,
                                                const QString &aFile) {
  const QString kind = KindOfFile(aFile);
  if (kind.isEmpty() || !aRequest) return nullptr;
  CreatingFileName() = aFile;
  if (TSysContext::Started()) {
    SysInfo().SetSelectObj(kind);
    SysInfo().SetSelectedFile(aFile);
  }
  TCommonObj *made = aRequest();
  if (!made) return nullptr;
  std::unique_ptr<TCommonObj> obj = TakeOut(aPage, made);
  if (!obj) return nullptr;
  obj->Move(FLastClick);
  if (TCustomMaker *maker = obj->Maker()) {
    maker->Update();
    maker->Invalidate(false);
  }
  return obj;
}

// ---- TCopier ----

TCopier::TCopier(TCustomCompo *aRootObj) : FRootObj(aRootObj) {}

void TCopier::Clear(const TCopier *aCopier) {
  TMemoryStream::Clear();
  FRootObj = nullptr;
  FPage = nullptr;
  FCount = 0;
  FPastCount = 0;
  FOffset = QPoint(5, 5);
  FClipRect = TRect();
  ClipboardClear();
  if (aCopier && aCopier != this) {
    SetBytes(aCopier->Bytes());
    FCount = aCopier->FCount;
  }
}

void TCopier::Copy(TCommonObj *aObj, bool aCut) {
  Clear(nullptr);
  if (aCut) FPastCount = -1;
  if (WriteObj(aObj)) FCount = 1;
  FRootObj = FPage = dynamic_cast<TCustomCompo *>(TCommonObj::GetMakeInfo().Root());
  if (FCount > 0) PutOnClipboard();
}

int TCopier::Count() {
  switch (ClipboardFormat()) {
  case kClipExData:
    return CountClipboardRecords();
  case kClipFiles:
    return int(ClipboardFiles().size());
  case kClipNone:
    return FCount;
  default:
    return 1;
  }
}

std::unique_ptr<TCommonObj> TCopier::Paste(TCustomCompo *aPage) {
  const int format = ClipboardFormat();
  TClipObj clip(ToRealPoint(LastClick));
  if (format == kClipFiles) {
    const QStringList files = ClipboardFiles();
    return clip.PasteFile(aPage, RequestNewObj, files.first());
  }
  if (IsForeign(format)) return clip.PasteTo(ToRealPoint(LastClick));
  TakeClipboard(aPage);
  SetPosition(0);
  SetPastePage(aPage);
  return PasteRecord();
}

std::unique_ptr<TCommonObj> TCopier::PasteToTextTable(TCustomCompo *) {
  TClipObj clip(ToRealPoint(LastClick));
  clip.TextTableFlag = true;
  return clip.PasteTo(ToRealPoint(LastClick));
}

std::unique_ptr<TCommonObj> TCopier::Copipe(TCustomCompo *aRootObj, TCommonObj *aObj,
                                            QPoint aOffset) {
  TCopier copier(aRootObj);
  std::unique_ptr<TCommonObj> copy = copier.CopyPast(aObj, aOffset);
  if (!copy) return nullptr;
  copy->ReName(0);
  copy->UpdateLinkId();
  return copy;
}

bool TCopier::WriteObj(TCommonObj *aObj) {
  if (!aObj) return false;
  const TObjInfo &info = aObj->ObjInfo();
  if (info.Name == kEditCellKind) return false;
  Seek(0, TSeekOrigin::soEnd);
  const int64_t start = Position();
  try {
    // A composite's entry holds its children; a placeholder's the bytes it
    // keeps behind its record.
    aObj->SaveToStream(*this);
  } catch (...) {
    SetSize(start); // no part of a record stays
    throw;
  }
  if (info.FormType.Contains(otText) && (info.Name == kTextBoxKind || info.Name == kBalloonKind))
    aObj->ReMake();
  return true;
}

void TCopier::PutOnClipboard() {
  ClipboardSetExData(Bytes());
}

bool TCopier::TakeClipboard(TCustomCompo *aPage) {
  if (!ClipboardHasExData()) return false;
  const bool samePage = aPage && aPage == FRootObj;
  SetBytes(ClipboardExData());
  int64_t end = 0;
  FCount = CountRecords(*this, end);
  SetSize(end);
  SetPosition(0);
  FRootObj = samePage ? aPage : nullptr;
  FPage = nullptr;
  FClipRect = TRect();
  ClipboardClear();
  return true;
}

void TCopier::SetPastePage(TCustomCompo *aPage) {
  FPage = aPage;
  if (aPage == FRootObj)
    ++FPastCount;
  else
    FPastCount = 0;
  FRootObj = aPage;
}

void TCopier::Shift(TCommonObj &aObj) {
  const QPoint offset = FOffset * FPastCount;
  if (offset.isNull()) return;
  aObj.Move(ToRealPoint(offset));
  aObj.ReMake();
  aObj.SetVisible(true);
  FClipRect = UnionRect(FClipRect, aObj.BoundsRect());
}

std::unique_ptr<TCommonObj> TCopier::ReadRecord() {
  const int64_t start = Position();
  const int64_t end = EntryEnd(*this, start, 0);
  SetPosition(start);
  if (end < 0) {
    SetPosition(Size());
    return nullptr;
  }
  try {
    std::unique_ptr<TCommonObj> obj = TCommonObj::GetMakeInfo().LoadFromStream(*this);
    SetPosition(start);
    if (obj && obj->ObjInfo().Name == QStringView(TDummyDrawObj::kKindName)) {
      // A kind no class bears: the placeholder keeps the record.
      int32_t size = 0;
      ReadBuffer(size);
      SetPosition(start);
      TCustomCompo::LoadSkipping(*obj, *this, start, size);
      SetPosition(end);
      return obj;
    }
    if (obj) obj->LoadFromStream(*this);
    if (obj && Position() == end) return obj;
  } catch (const std::exception &) {
  }
  SetPosition(Size());
  return nullptr;
}

std::unique_ptr<TCommonObj> TCopier::PasteRecord() {
  std::unique_ptr<TCommonObj> obj = ReadRecord();
  if (!obj) return nullptr;
  obj->ReName(0);
  obj->UpdateLinkId();
  Shift(*obj);
  if (obj->Maker()) obj->Maker()->SetCenter();
  obj->ReMake();
  return obj;
}

std::unique_ptr<TCommonObj> TCopier::CopyPast(TCommonObj *aObj, QPoint aOffset) {
  Clear(nullptr);
  if (!aObj) return nullptr;
  std::unique_ptr<TCommonObj> copy = aObj->CopySelf(0);
  FOffset = aOffset;
  FPastCount = 1;
  if (copy) Shift(*copy);
  return copy;
}

// ---- TMultiCopy ----

TObjInfo TMultiCopy::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.Name = QStringLiteral("複数選択");
  return info;
}

TMultiCopy::TMultiCopy(TCustomCompo *aRootObj, TCopier *aCopier)
    : FCopier(aCopier), FRootObj(aRootObj) {
  TCustomCompo::AfterConstruction();
}

void TMultiCopy::CreateObjList(const TRect &aRect) {
  if (!FRootObj) return;
  TRectIterator objs(FRootObj, aRect);
  while (objs.HasNext())
    if (TCommonObj *obj = objs.GetObject(); obj && ListPool()->IndexOf(obj) < 0)
      ListPool()->Add(obj);
}

void TMultiCopy::Copy(const std::vector<TCommonObj *> &aList, bool aCut) {
  if (!FCopier) return;
  FCopier->Clear(nullptr);
  if (aCut) FCopier->FPastCount = -1;
  FCopier->FRootObj = FCopier->FPage = FRootObj;
  int written = 0;
  for (TCommonObj *obj : aList)
    if (FCopier->WriteObj(obj)) ++written;
  FCopier->FCount = written;
  if (written > 0) FCopier->PutOnClipboard();
}

void TMultiCopy::Paste(TCustomCompo *aOwner) {
  ClearChildren();
  if (!FCopier) return;
  if (ClipboardFormat() == kClipFiles) {
    TClipObj clip(ToRealPoint(FCopier->LastClick));
    std::vector<std::unique_ptr<TCommonObj>> made;
    clip.PasteFromFile(aOwner, FCopier->RequestNewObj, made);
    for (std::unique_ptr<TCommonObj> &obj : made)
      Hold(std::move(obj));
    return;
  }
  FCopier->TakeClipboard(aOwner);
  if (FCopier->Size() == 0) return;
  FCopier->SetPosition(0);
  FCopier->SetPastePage(aOwner);
  std::vector<TCommonObj *> made;
  while (std::unique_ptr<TCommonObj> obj = FCopier->ReadRecord())
    made.push_back(Hold(std::move(obj)));
  // The copies still carry the ids of their originals: links among them
  // resolve to each other here.
  for (TCommonObj *obj : made)
    obj->UpdateLink(this);
  for (TCommonObj *obj : made) {
    obj->ReName(0);
    if (!HeldByListedTray(obj)) FCopier->Shift(*obj);
    if (obj->Maker()) obj->Maker()->SetCenter();
    obj->ReMake();
  }
  for (TCommonObj *obj : made) {
    obj->UpdateLinkId();
    if (obj->Param.ActType.Contains(awAnimate) && obj->Maker()) obj->Maker()->Update();
  }
  FCopier->PutOnClipboard();
}

void TMultiCopy::Regist(TCustomCompo *aOwner) {
  if (!aOwner) return;
  for (TCommonObj *obj : Children())
    if (FKept.Owns(obj)) aOwner->AddObj(FKept.Release(obj));
}

void TMultiCopy::Copipe(TCustomCompo *aRootObj, TMultiTrac &aList, QPoint aOffset) {
  TCopier copier(aRootObj);
  TMultiCopy copy(aRootObj, &copier);
  std::vector<TCommonObj *> objs;
  for (int i = 0; i < aList.Count(); ++i)
    if (TCommonObj *obj = aList.GetObjs(i)) objs.push_back(obj);
  copy.Copy(objs, false);
  // After Copy, which sets the offset back to (5, 5).
  copier.SetOffset(aOffset);
  copy.Paste(aRootObj);
  copy.Regist(aRootObj);
  aList.Add(&copy);
}

bool TMultiCopy::RemoveObj(TCommonObj *&) {
  throw Exception(QStringLiteral("コピー 不正削除"));
}

TCommonObj *TMultiCopy::Hold(std::unique_ptr<TCommonObj> aObj) {
  TCommonObj *obj = FKept.Keep(std::move(aObj));
  ListPool()->Add(obj);
  return obj;
}

bool TMultiCopy::HeldByListedTray(TCommonObj *aObj) {
  if (!aObj->Param.ActType.Contains(awTray) || !aObj->ICan(atShow)) return false;
  TCommonObj *tray = aObj->GetLinkedObj();
  return tray && tray != aObj && ListPool()->IndexOf(tray) >= 0;
}

} // namespace lumora
