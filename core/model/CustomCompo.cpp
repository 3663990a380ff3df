#include "core/model/CustomCompo.h"

#include <QtEndian>
#include <climits>

#include "core/model/CoreContext.h"
#include "core/model/CustomMaker.h"
#include "core/model/LeafObj.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/support/AbstractError.h"
#include "core/support/RectOps.h"
#include "platform/system/Exception.h"

namespace lumora {

namespace {
constexpr int kMaxGetObjsDepth = 50;
const QString kPlaceholderKind = QStringLiteral("仮オブジェクト");

bool IsPlaceholder(const TCommonObj &aObj) {
  return aObj.ObjInfo().Name == kPlaceholderKind;
}

// Whether a child can show: it answers ICan(atShow) and, in presentation
// mode, is visible.
bool CanShow(TCommonObj &aChild) {
  if (!aChild.ICan(atShow)) return false;
  return TMakeInfo2::Get().SysMode != smExec || aChild.Visible();
}
} // namespace

TCustomCompo::TCustomCompo() : TCustomCompo(TObjParam()) {}

TCustomCompo::TCustomCompo(const TObjParam &aParam) {
  Param = aParam;
  FRCenter = {0, 0};
}

TCustomCompo::~TCustomCompo() {
  if (TAbObjPool *list = ListPool()) list->Clear();
}

std::unique_ptr<TAbObjectPool> TCustomCompo::NewPool() const {
  return std::make_unique<TAbObjPool>();
}

void TCustomCompo::AfterConstruction() {
  TCommonObj::AfterConstruction();
  FPool = NewPool();
  Param.ObjName = ObjInfo().Name;
  CreateMode(GetMakeInfo().SysMode);
}

TCommonObj *TCustomCompo::AddObj(std::unique_ptr<TCommonObj> aObj) {
  if (!aObj) return nullptr;
  if (TOwnedObjPool *owned = OwnedPool()) return owned->AddObj(std::move(aObj));
  if (TAbObjPool *list = ListPool()) list->AddObj(aObj.get());
  return FKept.Keep(std::move(aObj));
}

TCommonObj *TCustomCompo::Insert(int aIndex, std::unique_ptr<TCommonObj> aObj) {
  if (!aObj) return nullptr;
  if (TOwnedObjPool *owned = OwnedPool()) return owned->Insert(aIndex, std::move(aObj));
  if (TAbObjPool *list = ListPool()) list->Insert(aIndex, aObj.get());
  return FKept.Keep(std::move(aObj));
}

std::unique_ptr<TCommonObj> TCustomCompo::Extract(TCommonObj *aObj) {
  if (TOwnedObjPool *owned = OwnedPool()) return owned->Extract(aObj);
  TAbObjPool *list = ListPool();
  if (!list || !list->Extract(aObj)) return nullptr;
  return FKept.Release(aObj);
}

void TCustomCompo::ClearChildren() {
  if (TOwnedObjPool *owned = OwnedPool()) owned->Clear();
  if (TAbObjPool *list = ListPool()) list->Clear();
  FKept.Clear();
}

TObjList TCustomCompo::Children() const {
  TObjList children;
  if (!FPool) return children;
  children.reserve(size_t(FPool->Count()));
  for (TCommonObj *child : *FPool)
    if (child && child != this) children.push_back(child);
  return children;
}

void TCustomCompo::SetVisible(bool aVisible) {
  if (aVisible == FVisible) return;
  FVisible = aVisible;
  for (TCommonObj *child : Children())
    child->SetVisible(aVisible);
}

void TCustomCompo::SetLinkedId(int64_t aId) {
  for (TCommonObj *child : Children())
    child->SetLinkedId(aId);
}

void TCustomCompo::Open(int aPNo) {
  for (TCommonObj *child : Children())
    child->Open(aPNo);
}

void TCustomCompo::Close() {
  for (TCommonObj *child : Children())
    child->Close();
}

void TCustomCompo::LoadFromStream(TStream &aStream) {
  try {
    TCommonObj::LoadFromStream(aStream);
  } catch (const std::exception &e) {
    // The children follow the own record outside its size: read past them,
    // so that the reader above finds the end of this entry.
    LoadChildren(aStream);
    throw EUnreadRecord(QString::fromUtf8(e.what()));
  }
  LoadChildren(aStream);
}

void TCustomCompo::SaveToStream(TStream &aStream) {
  TCommonObj::SaveToStream(aStream);
  const int64_t countPos = aStream.Position();
  const int32_t n = Count();
  const int32_t nLe = qToLittleEndian(n);
  aStream.WriteBuffer(&nLe, 4);
  if (n <= 0) return;
  int32_t written = 0;
  for (TCommonObj *child : Children()) {
    if (child->Param.ActType.Contains(awNoSave)) continue;
    child->SaveToStream(aStream);
    ++written;
  }
  if (written != n) {
    const int64_t end = aStream.Position();
    aStream.SetPosition(countPos);
    const int32_t le = qToLittleEndian(written);
    aStream.WriteBuffer(&le, 4);
    aStream.SetPosition(end);
  }
}

int TCustomCompo::IndexOf(TCommonObj *aObj) {
  if (!FPool) return -1;
  const int i = FPool->IndexOf(aObj);
  if (i >= 0) return i;
  for (int k = 0; k < FPool->Count(); ++k) {
    TCommonObj *child = FPool->Items(k);
    if (child == this) continue;
    if (auto *compo = dynamic_cast<TCustomCompo *>(child); compo && compo->IndexOf(aObj) >= 0)
      return k;
  }
  return -1;
}

void TCustomCompo::DrawObj(TCanvas &aCanvas) {
  for (TCommonObj *child : Children())
    child->DrawObj(aCanvas);
}

void TCustomCompo::Move(TRealPoint aOffset) {
  Move(aOffset, nullptr, true);
}

void TCustomCompo::Move(TRealPoint aOffset, TShiftState) {
  Move(aOffset, nullptr, true);
}

void TCustomCompo::Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) {
  for (TCommonObj *child : Children())
    child->Move(aOffset, aVList, aRelative);
}

void TCustomCompo::ReMake() {
  for (TCommonObj *child : Children()) {
    try {
      if (child->Maker()) child->Maker()->SetCenter();
      child->ReMake();
    } catch (const std::exception &) {
      // One child that fails to re-make does not stop the others.
    }
  }
}

void TCustomCompo::Paint(TCanvas &aCanvas) {
  for (TCommonObj *child : Children())
    if (child->Visible()) child->Paint(aCanvas);
}

void TCustomCompo::Scaling(double aRate, TRealPoint aOrg) {
  for (TCommonObj *child : Children())
    child->Scaling(aRate, aOrg);
}

TCommonObj *TCustomCompo::Search(TRealPoint aPos, TSearch aKind) {
  const TObjList children = Children();
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if (TCommonObj *found = (*it)->Search(aPos, aKind)) return found;
  return nullptr;
}

bool TCustomCompo::TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) {
  bool drew = false;
  for (TCommonObj *child : Children()) {
    if (child == aObj) break;
    if (!CanShow(*child)) continue;
    if (child->TakeBackImage(aPoint, aCanvas, aObj, aZoom)) drew = true;
    auto *compo = dynamic_cast<TCustomCompo *>(child);
    if (compo && !compo->Param.ActType.Contains(awTray) && compo->IndexOf(aObj) >= 0) break;
  }
  return drew;
}

void TCustomCompo::UpdateLink(TCommonObj *) {
  for (TCommonObj *child : Children())
    child->UpdateLink(this);
}

void TCustomCompo::UpdateLinkId() {
  for (TCommonObj *child : Children())
    child->UpdateLinkId();
}

void TCustomCompo::PrintObj(TCanvas &aCanvas, double aZoom, int ax, int ay) {
  for (TCommonObj *child : Children())
    if (CanShow(*child)) child->PrintObj(aCanvas, aZoom, ax, ay);
}

void TCustomCompo::ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py) {
  for (TCommonObj *child : Children())
    if (CanShow(*child)) child->ZoomDraw(pCanvas, pZoom, px, py);
}

int TCustomCompo::PriorityOf(TCommonObj *aObj) {
  int r = -1;
  for (TCommonObj *child : Children()) {
    ++r;
    if (child == aObj) return r;
    auto *compo = dynamic_cast<TCustomCompo *>(child);
    if (compo && !compo->Param.ActType.Contains(awTray)) {
      const int a = compo->PriorityOf(aObj);
      if (a >= 0) return r + a;
      r += compo->Count();
    }
  }
  return -1;
}

void TCustomCompo::ReName(int64_t aId) {
  TCommonObj::ReName(aId);
  for (TCommonObj *child : Children())
    child->ReName(0);
}

bool TCustomCompo::PeekObjRecord(TStream &aStream, TMetaStream &aRecord) {
  const int64_t start = aStream.Position();
  if (!Readable(aStream, 4)) {
    // A few bytes too short for a size are what is left of a cut entry.
    if (aStream.Remaining() > 0) ++TCoreContext::Get().ReadFaults;
    aStream.Seek(0, TSeekOrigin::soEnd); // nothing more to read
    return false;
  }
  int32_t size = 0;
  aStream.ReadBuffer(&size, 4);
  size = qFromLittleEndian(size);
  if (size <= 0 || !Readable(aStream, size)) {
    // A size of 0 is an empty entry; any other wrong size leaves no way to
    // find what follows.
    if (size != 0) ++TCoreContext::Get().ReadFaults;
    return false;
  }
  // The record is read in place where the stream shows its bytes; it is
  // read before the stream moves on.
  aStream.SetPosition(start);
  if (const char *bytes = aStream.Peek(int64_t(size) + 4)) {
    aRecord.SetView(bytes, int64_t(size) + 4);
    return true;
  }
  aStream.SetPosition(start + 4);
  aRecord.Clear();
  aRecord.WriteBuffer(size);
  aRecord.CopyFrom(aStream, size);
  aRecord.SetPosition(0);
  aStream.SetPosition(start);
  return true;
}

void TCustomCompo::LoadSkipping(TCommonObj &aObj, TStream &aStream, int64_t aStart, int32_t aSize) {
  try {
    aObj.LoadFromStream(aStream);
  } catch (const std::exception &) {
    // A placeholder's record never stops the load.
  }
  aStream.SetPosition(aStart + 4 + aSize);
}

namespace {

// The placeholder holding the bytes [aStart, the stream's position) of an
// entry that could not be read; null when no placeholder class is there.
std::unique_ptr<TCommonObj> KeepUnreadEntry(TStream &aStream, int64_t aStart, int32_t aSize) {
  const int64_t end = aStream.Position();
  QByteArray entry(qsizetype(end - aStart), Qt::Uninitialized);
  aStream.SetPosition(aStart);
  aStream.ReadBuffer(entry.data(), entry.size());
  aStream.SetPosition(end);
  std::unique_ptr<TCommonObj> placeholder =
      TCommonObj::GetMakeInfo().CreatePlaceholder(TObjParam());
  auto *keeper = dynamic_cast<IUnreadEntry *>(placeholder.get());
  if (!keeper) return nullptr;
  keeper->KeepUnreadEntry(entry, qsizetype(aSize) + 4);
  return placeholder;
}

} // namespace

std::unique_ptr<TCommonObj> TCustomCompo::ReadChild(TStream &aStream, TMetaStream &aRecord,
                                                    bool aPlace) {
  const int64_t start = aStream.Position();
  if (!PeekObjRecord(aStream, aRecord)) return nullptr;
  int32_t size = 0;
  aRecord.ReadBuffer(size);
  aRecord.SetPosition(0);
  std::unique_ptr<TCommonObj> obj = GetMakeInfo().LoadFromStream(aRecord);
  if (!obj) {
    aStream.SetPosition(start + 4 + size);
    return nullptr;
  }
  if (IsPlaceholder(*obj)) {
    LoadSkipping(*obj, aStream, start, size);
  } else {
    try {
      obj->LoadFromStream(aStream);
    } catch (const std::exception &e) {
      // A leaf reads exactly its record; a composite says so when it read
      // past its children. Otherwise where the entry ends is unknown.
      const bool atEnd = dynamic_cast<TCustomCompo *>(obj.get())
                             ? dynamic_cast<const EUnreadRecord *>(&e) != nullptr
                             : aStream.Position() == start + 4 + size;
      std::unique_ptr<TCommonObj> kept = atEnd ? KeepUnreadEntry(aStream, start, size) : nullptr;
      if (!kept) throw;
      obj = std::move(kept);
    }
  }
  if (aPlace && obj->Maker()) obj->Maker()->SetCenter();
  return obj;
}

void TCustomCompo::LoadChildren(TStream &aStream) {
  ClearChildren();
  // Only the objects made here enter the emptied pool, each in order: the
  // pool stays ordered, so their places are found by binary search.
  const TOrderedLoad ordered(FPool.get());
  if (!Readable(aStream, 4)) return; // no count: no children
  int32_t n = 0;
  aStream.ReadBuffer(&n, 4);
  n = qFromLittleEndian(n);
  TMetaStream record;
  const bool place = PlaceChildrenOnRead();
  for (int32_t i = 0; i < n; ++i) {
    if (!Readable(aStream, 1)) {
      ++TCoreContext::Get().ReadFaults; // the count promised more
      break;
    }
    if (std::unique_ptr<TCommonObj> obj = ReadChild(aStream, record, place)) AddObj(std::move(obj));
  }
}

int TCustomCompo::Count() const {
  return FPool ? FPool->Count() : 0;
}

TRect TCustomCompo::InsideRect() {
  TRect r;
  for (TCommonObj *child : Children())
    r = UnionRect(r, child->BoundsRect());
  return r.IsEmpty() ? BoundsRect() : r;
}

int64_t TCustomCompo::ObjIdx(const QString &aName) {
  for (TCommonObj *child : Children())
    if (child->Name == aName) return child->Id();
  return 0;
}

bool TCustomCompo::RemoveObj(TCommonObj *&) {
  AbstractCall("TCustomCompo::RemoveObj");
}
void TCustomCompo::RotateInside(double, TRealPoint) {}

TCommonObj *TCustomCompo::GetObjs(int64_t aId) {
  TCoreContext &context = TCoreContext::Get();
  const int depth = context.GetObjsDepth++;
  // Every call leaves the counter at 0, also when it raises.
  struct Reset {
    TCoreContext &c;
    ~Reset() { c.GetObjsDepth = 0; }
  } reset{context};
  if (depth == 0) context.GetObjsName1 = Name;
  if (context.GetObjsDepth == 2) context.GetObjsName2 = Name;
  if (context.GetObjsDepth > kMaxGetObjsDepth)
    throw Exception(context.GetObjsName2 + QStringLiteral("はリンク異常の可能性があります。"));

  if (FId == aId) return this;
  if (!FPool) return nullptr;
  for (TCommonObj *child : *FPool) {
    if (!child) continue;
    if (child->Id() == aId) return child;
    if (dynamic_cast<TLeafObj *>(child)) continue;
    if (auto *compo = dynamic_cast<TCustomCompo *>(child))
      if (TCommonObj *found = compo->GetObjs(aId)) return found;
  }
  return nullptr;
}

// ---- TRepreCompo ----

TRealPoint TRepreCompo::AdsorbPoint() {
  return {double(INT_MAX), double(INT_MAX)};
}

void TRepreCompo::AdsorbFrom(TRealPoint aPoint, IRepresent *aObj) {
  TCommonObj::AdsorbFrom(aPoint, aObj);
}

void TRepreCompo::UnAdsorbFrom(int aKind, TRealPoint aPoint, IRepresent *aObj) {
  TCommonObj::UnAdsorbFrom(aKind, aPoint, aObj);
}

double TRepreCompo::GetObjAngle() {
  AbstractCall("TRepreCompo::GetObjAngle");
}
void TRepreCompo::SetObjAngle(double) {
  AbstractCall("TRepreCompo::SetObjAngle");
}

void TRepreCompo::SetPolygon(std::span<const TRealPoint> aObjRect) {
  FPolygon.assign(aObjRect.begin(), aObjRect.end());
}

void TRepreCompo::ZMDrawObj(TCanvas &, std::span<const TRealPoint>, double) {
  AbstractCall("TRepreCompo::ZMDrawObj");
}

int TRepreCompo::OppositeGrab(int) {
  AbstractCall("TRepreCompo::OppositeGrab");
}
int TRepreCompo::AnchorGrab(int) {
  AbstractCall("TRepreCompo::AnchorGrab");
}
int TRepreCompo::ActiveGrab(int) {
  AbstractCall("TRepreCompo::ActiveGrab");
}

bool TRepreCompo::CheckForm(int, std::span<const TRealPoint>, TPoint &) {
  AbstractCall("TRepreCompo::CheckForm");
}

TGrabRect TRepreCompo::FormatGrab(int, TPoint, const TGrabRect &, int) {
  AbstractCall("TRepreCompo::FormatGrab");
}

void TRepreCompo::GrabToPolygon(std::span<const TRealPoint>) {
  AbstractCall("TRepreCompo::GrabToPolygon");
}

void TRepreCompo::PolygonToGrab(std::span<TRealPoint>) {
  AbstractCall("TRepreCompo::PolygonToGrab");
}

void TRepreCompo::Rotate(double aAngle, std::span<TRealPoint> aPoints) {
  if (aPoints.empty())
    RotateRealPoints(FPolygon, FRCenter, aAngle);
  else
    RotateRealPoints(aPoints, FRCenter, aAngle);
}

bool TRepreCompo::TakeColor(TPoint pPoint, TColor pColor, bool &pMore) {
  const TObjList children = Children();
  if (children.empty()) return false;
  for (TCommonObj *child : children)
    if (IRepresent *represent = Supports<IRepresent>(child))
      represent->TakeColor(pPoint, pColor, pMore);
  return true;
}

bool TRepreCompo::IsCreateEnd(TMouseButton, int, std::span<TRealPoint>, TPoint) {
  AbstractCall("TRepreCompo::IsCreateEnd");
}

void TRepreCompo::ClearDraw_(TCanvas *aCanvas, TPoint aOffset, double aZoom) {
  TCommonObj::ClearDraw_(aCanvas, aOffset, aZoom);
}

} // namespace lumora
