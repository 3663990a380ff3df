#include "core/book/MetaBook.h"

#include <QRegularExpression>
#include <QSize>
#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "core/book/Iterators.h"
#include "core/model/CoreContext.h"
#include "core/model/Link.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/SysContext.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/system/Exception.h"

namespace lumora {

namespace {

constexpr int32_t kDefaultWidth = 800;
constexpr int32_t kDefaultHeight = 600;
constexpr TColor kThumbnailFace = 0xC0C0C0;
// The background of a see-through capture on a page without colour.
constexpr TColor kCaptureBack = 0xF0FBFF;
const QString kValueCommand = QStringLiteral("固有値");
const QString kLayoutCommand = QStringLiteral("レイアウト");

TCurrentBook &CurrentBookSlot() {
  return TCoreContext::Get().Store<TCurrentBook>();
}

// The stamp store fits new stamps into the current book's window.
void InstallStampWindowSize() {
  StampMaker().BookWindowSize = [] { return QSize(CurrentWinWidth(), CurrentWinHeight()); };
}

// Every link in the pool that points to aTarget is dropped (TLinkIterator).
void DropPoolLinksTo(TAbObjectPool *aPool, TCommonObj *aTarget) {
  TLinkIterator links(aPool, aTarget);
  while (links.HasNext())
    RemoveLinksTo(links.GetObject(), aTarget);
}

void FillWithColor(TCanvas &aCanvas, const TRect &aRect, TColor aColor) {
  aCanvas.Brush().SetStyle(bsSolid);
  aCanvas.Brush().SetColor(aColor);
  aCanvas.FillRect(aRect);
}

} // namespace

// ---- The current book ----

TMetaBook *CurrentBook() {
  const TCurrentBook *slot = TCoreContext::Optional<TCurrentBook>();
  return slot ? slot->Book : nullptr;
}

void SetCurrentBook(TMetaBook *aBook) {
  CurrentBookSlot().Book = aBook;
  if (TCoreContext::Started()) TMakeInfo2::Get().RootObj = &CurrentWorkPage;
  InstallStampWindowSize();
}

TCommonObj *CurrentWorkPage() {
  TMetaBook *book = CurrentBook();
  return book ? book->WorkPage : nullptr;
}

int32_t CurrentWinWidth() {
  return CurrentBook() ? CurrentBook()->WinWidth : kDefaultWidth;
}

int32_t CurrentWinHeight() {
  return CurrentBook() ? CurrentBook()->WinHeight : kDefaultHeight;
}

IActBlockList *ActBlockList() {
  const TCurrentBook *slot = TCoreContext::Optional<TCurrentBook>();
  return slot ? slot->ActBlocks : nullptr;
}

void SetActBlockList(IActBlockList *aList) {
  CurrentBookSlot().ActBlocks = aList;
}

// ---- Makers ----

void TSysPageMake::Close() {
  if (!FSelf || !FSelf->Pool()) return;
  for (TCommonObj *obj : *FSelf->Pool())
    if (obj && obj != FSelf && obj->Maker()) obj->Maker()->Close();
}

QString TPageMake::CreateName(bool aForce) {
  const QString base = TMakeBmpObj::CreateName(aForce);
  const qsizetype bracket = base.indexOf(u'[');
  return bracket >= 0 ? QStringLiteral("頁") + base.mid(bracket) : base;
}

// ---- TSysObjes ----

TObjInfo TSysObjes::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.Name = QString::fromUtf16(kSysHolderKind);
  return info;
}

TSysObjes::TSysObjes() : TSysObjes(TObjParam()) {}

TSysObjes::TSysObjes(const TObjParam &aParam) : TCustomCompo(aParam) {}

void TSysObjes::AfterConstruction() {
  TCustomCompo::AfterConstruction();
  FMaker = std::make_unique<TSysPageMake>(this);
  TObjClassList &classes = ObjClassList();
  // The page memos: the text subsystem registers the class "Sys文字編集";
  // until it does, the holder has none.
  for (int i = 0; i < 2; ++i) {
    std::unique_ptr<TCommonObj> memo = classes.CreateObject(QString::fromUtf16(kSysTextKind));
    if (!memo) break;
    memo->Param.LineColor = clNone;
    memo->Data(kLayoutCommand, QVariantList{5, true});
    if (memo->Maker()) memo->Maker()->Close();
    AddObj(std::move(memo));
  }
  if (Param.ObjValue() == 0)
    if (std::unique_ptr<TCommonObj> print = classes.AuthorObject(QString::fromUtf16(kPrintSetKind)))
      AddObj(std::move(print));
}

void TSysObjes::ClearEditObj() {
  const QString printKind = QString::fromUtf16(kPrintSetKind);
  for (TCommonObj *obj : Children())
    if (obj->Param.ObjName != printKind) OwnedPool()->Remove(obj);
}

std::unique_ptr<TAbObjectPool> TSysObjes::NewPool() const {
  return std::make_unique<TOwnedObjPool>();
}

void TSysObjes::HideObj() {
  for (TCommonObj *obj : Children())
    if (obj->Maker()) obj->Maker()->Close();
}

void TSysObjes::ReMake() {
  for (TCommonObj *obj : Children()) {
    if (!obj->Maker()) continue;
    obj->Maker()->SetCenter();
    obj->ReMake();
  }
}

bool TSysObjes::RemoveObj(TCommonObj *&) {
  throw Exception(QStringLiteral("不正削除"));
}

TCommonObj *TSysObjes::Items(int aNo) const {
  return FPool ? FPool->GetParts(aNo) : nullptr;
}

// ---- TMetaPage ----

TMetaPage::TMetaPage() : TMetaPage(TObjParam()) {}

TMetaPage::TMetaPage(const TObjParam &aParam) : TLmPage(aParam) {}

TMetaPage::~TMetaPage() {
  FThumbnail.reset();
  FMaker.reset();
  FSysObjs.reset();
}

void TMetaPage::CreateMode(TSysMode) {
  FMaker = std::make_unique<TPageMake>(this);
}

std::unique_ptr<TAbObjectPool> TMetaPage::NewPool() const {
  return std::make_unique<TOwnedObjPool>();
}

void TMetaPage::AfterConstruction() {
  TLmPage::AfterConstruction();
  FBoundsRect = TRect{0, 0, CurrentWinWidth(), CurrentWinHeight()};
  InitGrabInfo();
  FSysObjs = NewObject<TSysObjes>(Param);
  FSysObjs->Param.ObjName = QString::fromUtf16(kSysHolderKind);
  FSysObjs->Name = FSysObjs->CreateName(false);
  FZoom = 1.0L;
  // The page's thumbnail comes with the author tool windows' class; a page
  // made before it is registered has none.
  FThumbnail = ObjClassList().CreateObject(QString::fromUtf16(kThumbnailKind));
  if (FThumbnail) {
    FThumbnail->SetLinkedObj(this);
    FThumbnail->Param.FaceColor = kThumbnailFace;
  }
  Param.LineColor = clNone;
}

void TMetaPage::SetPage0(TMetaPage *aValue) {
  // A page never shows itself behind itself, not even through other
  // common pages: painting would recurse without end.
  std::unordered_set<const TMetaPage *> seen;
  for (const TMetaPage *p = aValue; p && seen.insert(p).second; p = p->F0Page)
    if (p == this) return;
  F0Page = aValue;
  if (aValue) F0PageId = aValue->Id();
}

void TMetaPage::SetZoom(long double aZoom) {
  if (TSysContext::Started()) SysInfo().SetZoom(aZoom);
  FZoom = aZoom;
  if (F0Page && F0Page != this) F0Page->SetZoom(aZoom);
}

TRect TMetaPage::WinRect() const {
  const auto w = int32_t(std::nearbyint(double(CurrentWinWidth() * FZoom)));
  const auto h = int32_t(std::nearbyint(double(CurrentWinHeight() * FZoom)));
  return TRect{0, 0, w, h};
}

TCommonObj *TMetaPage::Items(int aId) const {
  return FPool ? FPool->GetParts(aId) : nullptr;
}

void TMetaPage::PaintBackground(TCanvas &aCanvas) {
  if (Param.FaceColor == clNone) return;
  FillWithColor(aCanvas, WinRect(), Param.FaceColor);
}

void TMetaPage::Open(int aPNo) {
  TLmPage::Open(aPNo);
}

void TMetaPage::Close() {
  if (TSysContext::Started()) SysInfo().ClosePage();
  if (FSysObjs) FSysObjs->HideObj();
  TLmPage::Close();
  CloseMakers();
}

void TMetaPage::ReMake() {
  FUnmade = false;
  Param.Grabs = 0;
  TLmPage::ReMake();
  if (FSysObjs) FSysObjs->ReMake();
  if (FThumbnail) FThumbnail->ReMake();
}

bool TMetaPage::MakeIfUnmade() {
  // The common page shows behind this one; SetPage0 keeps that chain free
  // of cycles.
  if (F0Page && F0Page != this) F0Page->MakeIfUnmade();
  if (!FUnmade) return false;
  ReMake();
  return true;
}

void TMetaPage::SetLinkedId(int64_t aId) {
  TLmPage::SetLinkedId(aId);
  if (aId > 0)
    F0PageId = aId;
  else
    F0PageId = F0Page ? F0Page->Id() : 0;
}

void TMetaPage::Paint(TCanvas &aCanvas) {
  PaintBack(aCanvas);
  PaintObjects(aCanvas, TRect{}, 0, -1);
}

void TMetaPage::PaintBack(TCanvas &aCanvas) {
  if (!F0Page || Param.Coating)
    PaintBackground(aCanvas);
  else if (F0Page != this)
    F0Page->Paint(aCanvas);
}

namespace {

// Whether what aObj paints can reach aArea: its bounds widened by its pen
// and a margin for what is drawn around the outline. Bounds not yet set
// count as reaching everywhere.
bool PaintsInto(TCommonObj &aObj, const TRect &aArea) {
  if (aArea.Right <= aArea.Left || aArea.Bottom <= aArea.Top) return true;
  const TRect b = aObj.BoundsRect();
  if (b.Right <= b.Left && b.Bottom <= b.Top) return true;
  const int64_t m = int64_t(aObj.Param.Width) + 8;
  return int64_t(b.Left) - m < aArea.Right && int64_t(aArea.Left) < int64_t(b.Right) + m &&
         int64_t(b.Top) - m < aArea.Bottom && int64_t(aArea.Top) < int64_t(b.Bottom) + m;
}

} // namespace

void TMetaPage::PaintObjects(TCanvas &aCanvas, const TRect &aArea, int aFrom, int aTo) {
  // An active object shows right above the object it is linked to (only
  // on a page that has a common page, as a work page has).
  TCommonObj *active = F0Page && TSysContext::Started() ? SysInfo().ActiveObj() : nullptr;
  const TObjList children = Children();
  const int last = aTo < 0 ? int(children.size()) : std::min(aTo, int(children.size()));
  for (int i = std::max(aFrom, 0); i < last; ++i) {
    TCommonObj *obj = children[size_t(i)];
    if (!obj->Visible()) continue;
    if (PaintsInto(*obj, aArea)) obj->Paint(aCanvas);
    if (active && active != obj && active->GetLinkedObj() == obj && PaintsInto(*active, aArea))
      active->Paint(aCanvas);
  }
  // The objects brought to the front are painted once more over the rest,
  // when the painting reaches the front of the page.
  if (aTo >= 0 && aTo < int(children.size())) return;
  if (!TSysContext::Started() || !SysInfo().FunctionTopDraw) return;
  for (TCommonObj *obj : children)
    if (obj->Visible() && obj->Param.Priority < kTopDrawPriority && PaintsInto(*obj, aArea))
      obj->Paint(aCanvas);
  if (active && !children.empty() && active->GetLinkedObj() == children.back() &&
      PaintsInto(*active, aArea))
    active->Paint(aCanvas);
}

void TMetaPage::PrintObj(TCanvas &aCanvas, double aZoom, int ax, int ay) {
  if (!F0Page || Param.Coating) {
    if (Param.FaceColor != clNone) FillWithColor(aCanvas, aCanvas.ClipRect(), Param.FaceColor);
  } else if (F0Page != this) {
    F0Page->PrintObj(aCanvas, aZoom, ax, ay);
  }
  TLmPage::PrintObj(aCanvas, aZoom, ax, ay);
}

void TMetaPage::ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py) {
  if (!F0Page || Param.Coating) {
    if (Param.FaceColor != clNone) FillWithColor(pCanvas, pCanvas.ClipRect(), Param.FaceColor);
  } else if (F0Page != this) {
    F0Page->ZoomDraw(pCanvas, pZoom, px, py);
  }
  TLmPage::ZoomDraw(pCanvas, pZoom, px, py);
}

void TMetaPage::ZoomPrint(TCanvas &pCanvas, double pZoom, int px, int py) {
  if (F0Page && !Param.Coating) {
    if (F0Page != this) F0Page->ZoomDraw(pCanvas, pZoom, px, py);
    TLmPage::ZoomDraw(pCanvas, pZoom, px, py);
  } else {
    ZoomDraw(pCanvas, pZoom, px, py);
  }
}

bool TMetaPage::TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) {
  if (FPool && FPool->IndexOf(aObj) >= 0) {
    FillWithColor(aCanvas, aCanvas.ClipRect(),
                  Param.FaceColor != clNone ? Param.FaceColor : kCaptureBack);
    if (F0Page && F0Page != this && !Param.Coating) {
      // The common page's objects all lie under aObj for the capture.
      ++aObj->Param.Layer;
      struct Lower {
        TCommonObj *obj;
        ~Lower() { --obj->Param.Layer; }
      } lower{aObj};
      F0Page->TakeBackImage(aPoint, aCanvas, aObj, aZoom);
    }
    return TLmPage::TakeBackImage(aPoint, aCanvas, aObj, aZoom);
  }
  return TLmPage::TakeBackImage(aPoint, aCanvas, aObj, F0Page ? 1.0 : aZoom);
}

bool TMetaPage::RemoveObj(TCommonObj *&aObj) {
  return RemoveCompoundObj(*this, aObj);
}

std::unique_ptr<TCommonObj> TMetaPage::CopySelf(int64_t aId) {
  std::unique_ptr<TCommonObj> copy = TLmPage::CopySelf(aId);
  if (auto *page = dynamic_cast<TMetaPage *>(copy.get())) {
    page->F0Page = F0Page;
    page->F0PageId = F0PageId;
    page->UpdateLink(page);
    page->ReName(aId);
    page->UpdateLinkId();
  }
  return copy;
}

void TMetaPage::LoadFromStream(TStream &aStream) {
  TLmPage::LoadFromStream(aStream);
  if (Readable(aStream, 1) && FSysObjs) FSysObjs->LoadFromStream(aStream);
  bool ok = false;
  const qlonglong id = Param.Text.toLongLong(&ok);
  F0PageId = ok ? id : 0;
  FPageMove = Param.LineColor != clNone;
  FUnmade = true;
}

void TMetaPage::SaveToStream(TStream &aStream) {
  Param.Text = F0Page ? QString::number(F0Page->Id()) : QString();
  Param.LineColor = FPageMove ? TColor(0) : clNone;
  TLmPage::SaveToStream(aStream);
  if (FSysObjs) FSysObjs->SaveToStream(aStream);
}

// ---- TMetaBook ----

TMetaBook::TMetaBook() : TMetaBook(TObjParam()) {}

TMetaBook::TMetaBook(const TObjParam &aParam) : TLmBook(aParam) {}

TMetaBook::~TMetaBook() {
  TCurrentBook *slot = TCoreContext::Optional<TCurrentBook>();
  if (slot && slot->Book == this) slot->Book = nullptr;
  WorkPage = nullptr;
}

void TMetaBook::CreateMode(TSysMode) {
  FMaker = std::make_unique<TBookMake>(this);
}

std::unique_ptr<TAbObjectPool> TMetaBook::NewPool() const {
  return std::make_unique<TOwnedObjPool>();
}

void TMetaBook::AfterConstruction() {
  TLmBook::AfterConstruction();
  SetPage(-1);
  PrintPerPage = 1;
  Param.SetValue2(-1);
  InstallStampWindowSize();
}

int TMetaBook::Page() const {
  if (!WorkPage || !FPool) return -1;
  return FPool->IndexOf(WorkPage);
}

QString TMetaBook::StrPage() const {
  const int page = Page();
  if (page < 0) return QString();
  if (page == 0) return QString::fromUtf16(kCommonPageName);
  return QString::number(page) + u'/' + QString::number(Count() - 1);
}

TMetaPage *TMetaBook::Pages(int aId) const {
  return FPool ? dynamic_cast<TMetaPage *>(FPool->GetParts(aId)) : nullptr;
}

void TMetaBook::SetGraphicPanel(IGraphicPanel *) {}

void TMetaBook::SetPage(int aValue) {
  if (aValue < 0 || aValue >= Count()) return;
  TMetaPage *page = Pages(aValue);
  if (!page) return;
  if (WorkPage && Page() != aValue) WorkPage->Close();
  WorkPage = page;
  page->Open(aValue);
  page->MakeIfUnmade();
  if (OnPage) OnPage(this);
}

void TMetaBook::SetPrintPage(int aValue) {
  SetPage(aValue);
}

TMetaPage *TMetaBook::ExchangePage(std::unique_ptr<TMetaPage> aPage) {
  if (!aPage) return nullptr;
  TMetaPage *page = aPage.get();
  const int number = page->Param.ObjValue();
  TMetaPage *old = number >= 0 ? Pages(number) : nullptr;
  // The page leaves the book only after nothing refers to it any more.
  if (old && WorkPage == old) {
    old->Close();
    WorkPage = nullptr;
  }
  if (old) {
    for (TCommonObj *obj : *FPool) {
      auto *other = dynamic_cast<TMetaPage *>(obj);
      if (other && other->F0Page == old) other->SetPage0(page);
    }
    if (page->F0Page == old) page->F0Page = nullptr;
    OwnedPool()->SetParts(number, std::move(aPage)); // the old page is freed
  } else {
    OwnedPool()->AddObj(std::move(aPage));
  }
  SetPage(number);
  return page;
}

void TMetaBook::Resize(IGraphicPanel *) {}

void TMetaBook::CloseBook() {
  if (WorkPage) WorkPage->Close();
  WorkPage = nullptr;
  OwnedPool()->Clear();
  Param.Text.clear();
  Param.SetValue2(-1);
  if (IActBlockList *list = ActBlockList()) list->Clear();
}

void TMetaBook::Clear() {
  TStampMaker &stamps = StampMaker();
  stamps.ClearUseCount();
  stamps.PackImage();
  StillMaker().Clear();
}

void TMetaBook::ReadDescription(TStream &aStream) {
  ParseDescription(GetDescription(aStream));
}

void TMetaBook::ParseDescription(const QString &aText) {
  QStringList lines = aText.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
  // A line break at the end ends the last line; it starts no new one.
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  if (lines.size() <= 5) return;
  DocName = lines[0];
  CreaterName = lines[1];
  // A size that is no number, or not positive, gives the default page.
  const int32_t width = StrToIntDef(lines[3], kDefaultWidth);
  const int32_t height = StrToIntDef(lines[4], kDefaultHeight);
  WinWidth = width > 0 ? width : kDefaultWidth;
  WinHeight = height > 0 ? height : kDefaultHeight;
}

QString TMetaBook::GetPageName(int aId) const {
  TMetaPage *page = Pages(aId);
  return page ? page->Name : QString();
}

TCommonObj *TMetaBook::GetSysObj(int aNo) const {
  if (!WorkPage || !WorkPage->SysObjs()) return nullptr;
  return WorkPage->SysObjs()->Items(aNo);
}

TCommonObj *TMetaBook::GetSysObj0(int aNo) const {
  if (!WorkPage || !WorkPage->Page0() || !WorkPage->Page0()->SysObjs()) return nullptr;
  return WorkPage->Page0()->SysObjs()->Items(aNo);
}

void TMetaBook::MemoPaint(int aNo, TCanvas &aCanvas) {
  TCommonObj *memo = GetSysObj(aNo);
  bool own = memo && Page() == 0;
  if (memo && !own) {
    QVariantList value;
    own = memo->Value(kValueCommand, value) && !value.isEmpty() &&
          !VariantToStr(value.first()).isEmpty();
  }
  if (own) {
    memo->Paint(aCanvas);
  } else if (TCommonObj *common = GetSysObj0(aNo)) {
    common->Paint(aCanvas);
  }
}

void TMetaBook::SetSysObjRect(int aId, const TRect &aRect) {
  for (TCommonObj *obj : Children()) {
    auto *page = dynamic_cast<TMetaPage *>(obj);
    if (!page || !page->SysObjs() || page->SysObjs()->Count() <= aId) continue;
    TCommonObj *sys = page->SysObjs()->Items(aId);
    if (!sys) continue;
    sys->SetBoundsRect(aRect);
    sys->ReMake();
  }
}

TCommonObj *TMetaBook::AddPrintObj() {
  if (!WorkPage || !WorkPage->Page0() || !WorkPage->Page0()->SysObjs()) return nullptr;
  std::unique_ptr<TCommonObj> print =
      ObjClassList().CreateObject(QString::fromUtf16(kPrintSetKind));
  if (!print) return nullptr;
  return WorkPage->Page0()->SysObjs()->AddObj(std::move(print));
}

void TMetaBook::Paint(TCanvas &aCanvas) {
  if (WorkPage) WorkPage->Paint(aCanvas);
}

bool TMetaBook::RemoveObj(TCommonObj *&aObj) {
  if (!WorkPage || !aObj) return false;
  DropPoolLinksTo(WorkPage->Pool(), aObj);
  return WorkPage->RemoveObj(aObj);
}

void TMetaBook::MakeThumbnail() {
  std::unique_ptr<TCommonObj> thumb =
      ObjClassList().CreateObject(QString::fromUtf16(kThumbnailKind));
  if (!thumb || !FMaker) return;
  thumb->SetLinkedObj(WorkPage);
  if (thumb->Maker()) thumb->Maker()->ReMake(TGrabRect{{0, 0}, {178, 148}, {9, 7}, {169, 127}});
  FMaker->UpdateDraw(thumb->GetGraphic());
}

void TMetaBook::LoadFromStream(TStream &aStream) {
  WorkPage = nullptr;
  TLmBook::LoadFromStream(aStream);
  WorkPage = Pages(0);
  if (WorkPage) WorkPage->Param.Layer = 0;
}

std::unique_ptr<TLmIterator> TMetaBook::CreateIterator(const QString &aObj) {
  return std::make_unique<TBookIterator>(this, otNon, atNon, aObj);
}

std::unique_ptr<TLmIterator> TMetaBook::CreateIterator(TObjType aType, const QString &aObj) {
  return std::make_unique<TBookIterator>(this, aType, atNon, aObj);
}

std::unique_ptr<TLmIterator> TMetaBook::CreateIterator(TActKind aAct) {
  return std::make_unique<TBookIterator>(this, otNon, aAct, QString());
}

std::unique_ptr<TLmIterator> TMetaBook::CreateIterator(TObjType aType, const QString &aObj,
                                                       TStream *aStream) {
  return std::make_unique<TBookIterator>(this, aType, atNon, aObj, aStream);
}

// ---- TOpenBook ----

TOpenBook::TOpenBook(TMetaBook *aBook, const QString &aFileName) : FBook(aBook) {
  if (!aFileName.isEmpty()) FBook->Param.Text = aFileName;
  FBook->Param.SetValue2(-1);
}

void TOpenBook::Open(TMetaBook *) {
  const int n = FBook->Count();
  TMetaPage *page0 = FBook->Pages(0);
  for (int i = 0; i < n; ++i) {
    TMetaPage *page = FBook->Pages(i);
    if (!page) continue;
    if (page->F0PageId > 0) {
      auto *common = dynamic_cast<TMetaPage *>(FBook->Pool()->GetObjs(page->F0PageId));
      page->SetPage0(common);
    }
    if (!page->Page0() || page->F0PageId <= 0) {
      page->SetPage0(page0);
      if (page->Page0() == page0 && page0) page->F0PageId = page0->Id();
    }
    FBook->WorkPage = page;
    page->UpdateLink(nullptr);
  }
  if (IActBlockList *list = ActBlockList()) list->UpdateLink();
  if (page0) {
    page0->Open(0);
    page0->ReMake();
  }
}

void TOpenBook::SetPage(int aPage) {
  FBook->SetPage(aPage);
  FBook->Param.SetValue2(aPage);
}

void TOpenBook::DrawThumbnail() {
  for (int i = 1; i < FBook->Count(); ++i)
    DrawThumbnail(i);
}

void TOpenBook::DrawThumbnail(int aPage) {
  if (aPage < 0 || aPage >= FBook->Count()) return;
  TMetaPage *page = FBook->Pages(aPage);
  if (!page || page->MakeIfUnmade()) return;
  if (page->Thumbnail()) page->Thumbnail()->ReMake();
}

// ---- TPageZoom ----

TPageZoom::TPageZoom(IGraphicPanel *aPanel, TMetaBook *aParent)
    : FBook(aParent), FOriginRect(aPanel ? aPanel->ClientRect() : TRect{}), FGraphicPanel(aPanel) {}

} // namespace lumora
