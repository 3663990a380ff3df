#include "core/model/CommonObj.h"

#include <QtEndian>
#include <cmath>
#include <typeinfo>

#include "core/model/ClearDraw.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomMaker.h"
#include "core/model/Exe.h"
#include "core/model/Interfaces.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/support/AbstractError.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"
#include "platform/system/Exception.h"

namespace lumora {

namespace {
constexpr float kRecordVersion = 3.2f;
constexpr int32_t kRecordConstant = 10;

void SetRubberBandPen(TCanvas &aCanvas) {
  aCanvas.Pen().SetStyle(psSolid);
  aCanvas.Pen().SetMode(pmNotXor);
  aCanvas.Pen().SetWidth(2);
  aCanvas.Pen().SetColor(TColor(0x808080));
}
} // namespace

// ---- TCommonObj_ ----

const TObjClass &TCommonObj_::ClassType() const {
  return ObjClassOf<TCommonObj_>();
}
void TCommonObj_::CreateMode(TSysMode) {}
void TCommonObj_::LoadOption(TMetaStream &) {}
void TCommonObj_::SaveOption(TMetaStream &) {}

// ---- TCommonObj ----

TCommonObj::TCommonObj() = default;

TCommonObj::~TCommonObj() {
  FEx.reset();
  FMaker.reset();
  FGrabInfo.reset();
  FPool.reset();
}

TAbObjectPool *TCommonObj::Owner() const {
  if (!TCoreContext::Started()) return nullptr;
  TCommonObj *root = GetMakeInfo().Root();
  return root ? root->Pool() : nullptr;
}

bool TCommonObj::GetVisible() const {
  return FVisible;
}
void TCommonObj::SetVisible(bool aVisible) {
  FVisible = aVisible;
}
TLink *TCommonObj::GetLink() {
  AbstractCall("TCommonObj::GetLink");
}
TCommonObj *TCommonObj::GetLinkedObj() {
  AbstractCall("TCommonObj::GetLinkedObj");
}
void TCommonObj::SetLinkedObj(TCommonObj *) {
  AbstractCall("TCommonObj::SetLinkedObj");
}
int64_t TCommonObj::GetLinkedId() const {
  return -1;
}
void TCommonObj::SetLinkedId(int64_t) {}
void TCommonObj::DrawDragImage(TCanvas &, const TGrabRect &) {}

void TCommonObj::HideDragImage(TCanvas &aCanvas, const TGrabRect &aSave) {
  DrawDragImage(aCanvas, aSave);
}

void TCommonObj::DrawObj(TCanvas &, std::span<const TRealPoint>) {
  AbstractCall("TCommonObj::DrawObj");
}

bool TCommonObj::PtinSelf(TRealPoint aPos, TSearch aKind) {
  if (SkipSearch(aKind)) return false;
  return BoundsRect().Contains(RealPointToPoint(aPos));
}

void TCommonObj::Open(int) {}
void TCommonObj::Close() {}

void TCommonObj::LoadFromStream(TStream &aStream) {
  int32_t size = 0;
  aStream.ReadBuffer(&size, 4);
  size = qFromLittleEndian(size);
  if (size == 0) return;
  // A negative size or one beyond the stream reads nothing.
  if (!Readable(aStream, size)) return;
  TMetaStream record;
  // In place where the stream shows the record's bytes (with the size in
  // front): the record is read before the stream moves on.
  aStream.Seek(-4, TSeekOrigin::soCurrent);
  if (const char *bytes = aStream.Peek(int64_t(size) + 4)) {
    record.SetView(bytes, int64_t(size) + 4);
    aStream.Seek(int64_t(size) + 4, TSeekOrigin::soCurrent);
  } else {
    aStream.Seek(4, TSeekOrigin::soCurrent);
    record.WriteBuffer(size);
    record.CopyFrom(aStream, size);
    record.SetPosition(0);
  }
  LoadFromMStream(record);
}

void TCommonObj::SaveToStream(TStream &aStream) {
  TMetaStream record;
  SaveToMStream(record);
  aStream.WriteBuffer(record.Memory(), record.Size());
}

void TCommonObj::LoadFromMStream(TMetaStream &aStream) {
  if (!Readable(aStream, 1)) return;
  int32_t size = 0;
  aStream.ReadBuffer(size);
  aStream.ReadVersion(FVersion);
  aStream.ReadBuffer(Param);
  int32_t constant = 0;
  aStream.ReadBuffer(constant);
  aStream.ReadBuffer(FId);
  QString name;
  aStream.ReadBuffer(name); // an empty stored name leaves `name` empty
  Name = std::move(name);
  ReadPayload(aStream);
  LoadOption(aStream);
}

void TCommonObj::SaveToMStream(TMetaStream &aStream) {
  const int64_t start = aStream.Position();
  aStream.WriteBuffer(int32_t(0)); // the size, filled in last
  aStream.WriteVersion(GetVersion());
  aStream.WriteBuffer(Param);
  aStream.WriteBuffer(kRecordConstant);
  aStream.WriteBuffer(FId);
  aStream.WriteBuffer(Name);
  WritePayload(aStream);
  SaveOption(aStream);
  const int64_t end = aStream.Position();
  aStream.SetPosition(start);
  aStream.WriteBuffer(int32_t(end - start - 4));
  aStream.SetPosition(end);
}

int TCommonObj::IndexOf(TCommonObj *) {
  return -1;
}
bool TCommonObj::ICan(TActKind) {
  return false;
}
TCommonObj *TCommonObj::LinkObjFrom(TCommonObj *, int, int) {
  return this;
}
void TCommonObj::DrawObj(TCanvas &) {
  AbstractCall("TCommonObj::DrawObj");
}
bool TCommonObj::Data(const QString &, const QVariantList &) {
  return false;
}
bool TCommonObj::Value(const QString &, QVariantList &) {
  return false;
}

void TCommonObj::DragDraw(TCanvas &aCanvas, TGrabRect &aSave, const TGrabRect &aRect) {
  SetRubberBandPen(aCanvas);
  if (!aSave.empty()) HideDragImage(aCanvas, aSave);
  DrawDragImage(aCanvas, aRect);
  aSave = aRect;
}

void TCommonObj::Move(TRealPoint) {
  AbstractCall("TCommonObj::Move");
}
void TCommonObj::Move(TRealPoint, TShiftState) {
  AbstractCall("TCommonObj::Move");
}
void TCommonObj::Move(TRealPoint, TObjList *, bool) {
  AbstractCall("TCommonObj::Move");
}
void TCommonObj::ReMake() {
  AbstractCall("TCommonObj::ReMake");
}
void TCommonObj::Paint(TCanvas &) {
  AbstractCall("TCommonObj::Paint");
}
void TCommonObj::Paint(TCanvas &, TCommonObj *) {
  AbstractCall("TCommonObj::Paint");
}
void TCommonObj::Scaling(double, TRealPoint) {
  AbstractCall("TCommonObj::Scaling");
}

TCommonObj *TCommonObj::Search(TRealPoint, TSearch) {
  AbstractCall("TCommonObj::Search");
}

bool TCommonObj::TakeBackImage(TPoint, TCanvas &, TCommonObj *, double) {
  AbstractCall("TCommonObj::TakeBackImage");
}

void TCommonObj::UpdateLink(TCommonObj *) {
  AbstractCall("TCommonObj::UpdateLink");
}
void TCommonObj::UpdateLinkId() {}
void TCommonObj::PrintObj(TCanvas &, double, int, int) {}
void TCommonObj::ZoomDraw(TCanvas &, double, int, int) {
  AbstractCall("TCommonObj::ZoomDraw");
}

const TObjEventClass *TCommonObj::OwnEvent(TMouseEventHandler *, const TObjEventClass *) {
  return nullptr;
}

TRealPoint TCommonObj::BCenter() const {
  return {0, 0};
}
void TCommonObj::AdsorbFrom(TRealPoint, IRepresent *) {}
void TCommonObj::UnAdsorbFrom(int, TRealPoint, IRepresent *) {}

namespace {

// Whether aObj's class implements IRepresent (Supports<IRepresent>): a
// cross cast, which walks the class's bases, asked once for each class as
// objects are read, by the class's type information.
bool Represents(TCommonObj &aObj) {
  struct TLast {
    const std::type_info *type = nullptr;
    bool represents = false;
  };
  thread_local TLast last;
  const std::type_info *type = &typeid(aObj);
  if (last.type != type) last = {type, Supports<IRepresent>(&aObj) != nullptr};
  return last.represents;
}

// What the page can show at its zoom: the images made for it go no further.
TRect ShownByRoot() {
  TCommonObj *root = TMakeInfo2::Get().Root();
  return root ? root->ShownArea() : TRect{};
}

} // namespace

void TCommonObj::ClearDraw_() {
  TClearDraw keeper(this, 1.0, ShownByRoot());
  if (keeper.State() && FMaker) keeper.Update(*FMaker);
}

void TCommonObj::ClearDraw_(TCanvas *aCanvas, TPoint aOffset, double aZoom) {
  // On a canvas only its clip is seen (in the canvas's pixels, moved by
  // aOffset); for the maker, the page.
  TRect shown = ShownByRoot();
  if (aCanvas) {
    const TRect clip = aCanvas->ClipRect();
    shown = {clip.Left - aOffset.X, clip.Top - aOffset.Y, clip.Right - aOffset.X,
             clip.Bottom - aOffset.Y};
  }
  TClearDraw keeper(this, aZoom, shown);
  if (!keeper.State()) return;
  if (aCanvas)
    keeper.Draw(*aCanvas, aOffset);
  else if (FMaker)
    keeper.Update(*FMaker);
  if (aZoom >= 5) TCoreContext::Get().ProcessMessages();
}

TRect TCommonObj::GetBoundsRect() const {
  return FBoundsRect;
}
void TCommonObj::SetBoundsRect(const TRect &aRect) {
  FBoundsRect = aRect;
}

TGrabType TCommonObj::GetGrabForm(int Id) const {
  return FGrabInfo ? FGrabInfo->GetGrabForm(Id) : TGrabType::gfNon;
}

void TCommonObj::SetGrabForm(int Id, TGrabType Value) {
  if (FGrabInfo) FGrabInfo->SetGrabForm(Id, Value);
}

TGraphic *TCommonObj::GetGraphic() const {
  return FMaker ? FMaker->Graphic() : nullptr;
}
int TCommonObj::GetPoints() const {
  return int(FPolygon.size());
}
TCustomMaker *TCommonObj::GetMaker() const {
  return FMaker.get();
}
TRealPoint TCommonObj::GetLinkPos() const {
  return BCenter();
}
TRealPoint TCommonObj::GetRCenter() const {
  return FRCenter;
}

void TCommonObj::ReadPayload(TMetaStream &aStream) {
  // The point reader checks the byte count against what is left first.
  std::vector<TRealPoint> polygon;
  aStream.ReadBuffer(polygon);
  // Page coordinates are pixels; a point that is not a number or lies far
  // beyond any page is corrupt data, and would overflow the integer bounds
  // that painting and hit testing derive from it.
  for (const TRealPoint &p : polygon)
    if (!(std::abs(p.rx) <= kMaxCoordinate) || !(std::abs(p.ry) <= kMaxCoordinate))
      throw EReadError(QStringLiteral("Illegal Point"));
  FPolygon = std::move(polygon);
  if (Represents(*this)) {
    if (!FGrabInfo) FGrabInfo = std::make_unique<TGrabInfo_>(this);
    FGrabInfo->LoadFromStream(aStream);
  }
}

void TCommonObj::WritePayload(TMetaStream &aStream) {
  aStream.WriteBuffer(FPolygon);
  if (Supports<IRepresent>(this)) {
    if (FGrabInfo) {
      FGrabInfo->SaveToStream(aStream);
    } else {
      // A drawable composite that never made a grab record writes an empty
      // one, so that its record reads back.
      TGrabInfo_ empty(this);
      empty.SaveToStream(aStream);
    }
  }
}

TAbObjPool *TCommonObj::ListPool() const {
  return FPool ? FPool->AsListing() : nullptr;
}

TOwnedObjPool *TCommonObj::OwnedPool() const {
  return FPool ? FPool->AsOwned() : nullptr;
}

TCommonObj *TCommonObj::AddObj(TCommonObj *aObj) {
  if (!FPool) FPool = std::make_unique<TAbObjPool>();
  TAbObjPool *list = ListPool();
  return list ? list->AddObj(aObj) : nullptr;
}

std::unique_ptr<TCommonObj> TCommonObj::CopySelf(int64_t) {
  TMetaStream stream;
  SaveToStream(stream);
  stream.SetPosition(0);
  std::unique_ptr<TCommonObj> copy = GetMakeInfo().LoadFromStream(stream);
  if (!copy) return nullptr;
  stream.SetPosition(0);
  copy->LoadFromStream(stream);
  if (copy->Maker()) copy->Maker()->SetCenter();
  copy->ReMake();
  return copy;
}

void TCommonObj::ReMakeFrontObj(TCommonObj *, TObjList *) {}
void TCommonObj::LoadOption_Old(TMetaStream &) {}

bool TCommonObj::CanDrag(TCommonObj *aObj) {
  if (!FPool) return true;
  if (aObj) return FPool->GetObjs(aObj->Id()) == nullptr;
  if (FPool->Count() == 0) return true;
  for (TCommonObj *member : *FPool)
    if (member != this && !member->CanDrag(this)) return false;
  return Param.ActType.Contains(atDrag);
}

float TCommonObj::GetVersion() const {
  return kRecordVersion;
}
int TCommonObj::PriorityOf(TCommonObj *) {
  return -1;
}

void TCommonObj::ReName(int64_t aId) {
  Name = CreateName(true);
  if (aId > 0) FId = aId;
}

void TCommonObj::UnZoom(long double) {}

void TCommonObj::EraseDraw(TCanvas &aCanvas, const TGrabRect &aRect) {
  SetRubberBandPen(aCanvas);
  HideDragImage(aCanvas, aRect);
}

TCommonObj *TCommonObj::相互Link(TCommonObj *aObj) {
  if (!FPool) return nullptr;
  if (aObj) return FPool->IndexOf(aObj) >= 0 ? aObj : nullptr;
  for (TCommonObj *member : *FPool)
    if (member != this && member->相互Link(this)) return member;
  return nullptr;
}

TMakeInfo2 &TCommonObj::GetMakeInfo() {
  return TMakeInfo2::Get();
}

void TCommonObj::InitGrabInfo() {
  if (!FGrabInfo) FGrabInfo = std::make_unique<TGrabInfo_>(this);
  FGrabInfo->InitGrabs(Param.Grabs);
}

bool TCommonObj::IsUnder(TCommonObj *aObj) {
  if (!aObj || aObj == this || !Visible()) return false;
  if (Param.Layer > aObj->Param.Layer) return false;
  if (Param.Layer == aObj->Param.Layer && Param.Priority > aObj->Param.Priority) return false;
  return RectsIntersect(BoundsRect(), aObj->BoundsRect());
}

bool TCommonObj::SkipSearch(TSearch aKind) {
  switch (aKind) {
  case k_noRock:
    return Param.Rocking;
  case k_DrawObj:
    return Param.Rocking || !ICan(atShow);
  default:
    return false;
  }
}

QString TCommonObj::CreateName(bool aForce) {
  if (FMaker) return FMaker->CreateName(aForce);
  if (!aForce && FId > 0) return Name;
  return GetMakeInfo().CreateName(*this, QString());
}

} // namespace lumora
