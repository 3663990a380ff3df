#include "core/model/GrabInfo.h"

#include <algorithm>
#include <cmath>

#include "core/model/CommonObj.h"
#include "core/stream/MetaStream.h"
#include "platform/system/Exception.h"

namespace lumora {

namespace {
template <typename V> bool InRange(const V &v, int i) {
  return i >= 0 && size_t(i) < v.size();
}
constexpr TGrabMode kInitMode{gmMid, gmAdsorb};
} // namespace

void TGrabInfo_::InitGrabs(int n) {
  n = std::max(n, 0);
  FGrabForm.assign(size_t(n), TGrabType::gfRect);
  FHandles.assign(size_t(n), THandle{kInitMode, 0});
}

int TGrabInfo_::GetGrabId(TRealPoint Pos) const {
  if (!FSelf) return -1;
  const std::vector<TRealPoint> &polygon = FSelf->Polygon();
  const size_t n = std::min(FGrabForm.size(), polygon.size());
  for (size_t i = 0; i < n; ++i)
    if (std::abs(polygon[i].rx - Pos.rx) <= 1.0 && std::abs(polygon[i].ry - Pos.ry) <= 1.0)
      return int(i);
  return -1;
}

TGrabType TGrabInfo_::GetGrabForm(int Id) const {
  return InRange(FGrabForm, Id) ? FGrabForm[size_t(Id)] : TGrabType::gfNon;
}

void TGrabInfo_::SetGrabForm(int Id, TGrabType Value) {
  if (InRange(FGrabForm, Id)) FGrabForm[size_t(Id)] = Value;
}

TGrabMode TGrabInfo_::GetGrabMode(int Id) const {
  return InRange(FHandles, Id) ? FHandles[size_t(Id)].Mode : TGrabMode();
}

void TGrabInfo_::SetGrabMode(int Id, TGrabMode Value) {
  if (InRange(FHandles, Id)) FHandles[size_t(Id)].Mode = Value;
}

TCursor TGrabInfo_::GetCursor(int Id) const {
  return InRange(FHandles, Id) ? FHandles[size_t(Id)].Cursor : TCursor(0);
}

void TGrabInfo_::SetCursor(int Id, TCursor Value) {
  if (InRange(FHandles, Id)) FHandles[size_t(Id)].Cursor = Value;
}

bool TGrabInfo_::GetVisible(int Id) const {
  return GetGrabMode(Id).Contains(gmShow);
}

void TGrabInfo_::SetVisible(int Id, bool Value) {
  if (!InRange(FHandles, Id)) return;
  if (Value)
    FHandles[size_t(Id)].Mode.Include(gmShow);
  else
    FHandles[size_t(Id)].Mode.Exclude(gmShow);
}

void TGrabInfo_::LoadFromStream(TMetaStream &aStream) {
  const int64_t start = aStream.Position();
  float version = 0;
  aStream.ReadBuffer(version);
  const bool old = version < 1.0f; // an old block starts with the forms count
  if (old) {
    version = 0;
    aStream.SetPosition(start);
  }
  TGrabForm form;
  aStream.ReadBuffer(form);
  int32_t m = 0;
  aStream.ReadBuffer(m);
  CheckReadable(aStream, m, 4);
  std::vector<THandle> handles(static_cast<size_t>(m));
  for (THandle &handle : handles) {
    uint16_t mode = 0, cursor = 0;
    aStream.ReadBuffer(mode);
    aStream.ReadBuffer(cursor);
    handle = {TGrabMode::FromBits(mode), TCursor(cursor)};
  }
  TRealPoint centre = FRCenter;
  if (!old) {
    aStream.ReadBuffer(centre.rx);
    aStream.ReadBuffer(centre.ry);
  }
  FVersion = version;
  FGrabForm = std::move(form);
  FHandles = std::move(handles);
  FRCenter = centre;
}

void TGrabInfo_::SaveToStream(TMetaStream &aStream) {
  FVersion = 1.0f;
  aStream.WriteBuffer(FVersion);
  aStream.WriteBuffer(FGrabForm);
  aStream.WriteBuffer(int32_t(FHandles.size()));
  for (const THandle &handle : FHandles) {
    aStream.WriteBuffer(handle.Mode.ToBits());
    aStream.WriteBuffer(uint16_t(handle.Cursor));
  }
  aStream.WriteBuffer(FRCenter.rx);
  aStream.WriteBuffer(FRCenter.ry);
}

void TGrabInfo_::AddGrab(TGrabType aType, TGrabMode aMode, TCursor aCursor) {
  FGrabForm.push_back(aType);
  FHandles.push_back({aMode, aCursor});
}

void TGrabInfo_::Assign(const TGrabInfo &aSource) {
  const int n = std::min(Count(), aSource.Count());
  for (int i = 0; i < n; ++i) {
    SetGrabForm(i, aSource.GetGrabForm(i));
    SetGrabMode(i, aSource.GetGrabMode(i));
    SetCursor(i, aSource.GetCursor(i));
  }
}

void TGrabInfo_::DelGrab(int aid) {
  if (aid < 0 || aid >= Count()) return;
  FGrabForm.erase(FGrabForm.begin() + aid);
  if (InRange(FHandles, aid)) FHandles.erase(FHandles.begin() + aid);
}

void TGrabInfo_::CopyGrabForm(const TGrabForm &aGrabForm) {
  FGrabForm = aGrabForm;
}

void TGrabInfo_::SetCount(int aCount) {
  const size_t n = size_t(std::max(aCount, 0));
  FGrabForm.resize(n, TGrabType::gfRect);
  FHandles.resize(n, THandle{TGrabMode{gmMid}, 0});
}

void TGrabInfo_::SetV2Style(const TGrabForm &aGrabForm) {
  InitGrabs(int(aGrabForm.size()));
  for (size_t i = 0; i < FGrabForm.size(); ++i) {
    FGrabForm[i] = TGrabType::gfRect;
    FHandles[i].Cursor = 0;
    FHandles[i].Mode.Include(gmShow);
  }
}

} // namespace lumora
