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
  FGrabMode.assign(size_t(n), kInitMode);
  FCursor.assign(size_t(n), 0);
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
  return InRange(FGrabMode, Id) ? FGrabMode[size_t(Id)] : TGrabMode();
}

void TGrabInfo_::SetGrabMode(int Id, TGrabMode Value) {
  if (InRange(FGrabMode, Id)) FGrabMode[size_t(Id)] = Value;
}

TCursor TGrabInfo_::GetCursor(int Id) const {
  return InRange(FCursor, Id) ? FCursor[size_t(Id)] : TCursor(0);
}

void TGrabInfo_::SetCursor(int Id, TCursor Value) {
  if (InRange(FCursor, Id)) FCursor[size_t(Id)] = Value;
}

bool TGrabInfo_::GetVisible(int Id) const {
  return GetGrabMode(Id).Contains(gmShow);
}

void TGrabInfo_::SetVisible(int Id, bool Value) {
  if (!InRange(FGrabMode, Id)) return;
  if (Value)
    FGrabMode[size_t(Id)].Include(gmShow);
  else
    FGrabMode[size_t(Id)].Exclude(gmShow);
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
  std::vector<TGrabMode> modes(static_cast<size_t>(m));
  std::vector<TCursor> cursors(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) {
    uint16_t mode = 0, cursor = 0;
    aStream.ReadBuffer(mode);
    aStream.ReadBuffer(cursor);
    modes[size_t(i)] = TGrabMode::FromBits(mode);
    cursors[size_t(i)] = TCursor(cursor);
  }
  TRealPoint centre = FRCenter;
  if (!old) {
    aStream.ReadBuffer(centre.rx);
    aStream.ReadBuffer(centre.ry);
  }
  FVersion = version;
  FGrabForm = std::move(form);
  FGrabMode = std::move(modes);
  FCursor = std::move(cursors);
  FRCenter = centre;
}

void TGrabInfo_::SaveToStream(TMetaStream &aStream) {
  FVersion = 1.0f;
  aStream.WriteBuffer(FVersion);
  aStream.WriteBuffer(FGrabForm);
  aStream.WriteBuffer(int32_t(FGrabMode.size()));
  for (size_t i = 0; i < FGrabMode.size(); ++i) {
    aStream.WriteBuffer(FGrabMode[i].ToBits());
    aStream.WriteBuffer(uint16_t(i < FCursor.size() ? FCursor[i] : 0));
  }
  aStream.WriteBuffer(FRCenter.rx);
  aStream.WriteBuffer(FRCenter.ry);
}

void TGrabInfo_::AddGrab(TGrabType aType, TGrabMode aMode, TCursor aCursor) {
  FGrabForm.push_back(aType);
  FGrabMode.push_back(aMode);
  FCursor.push_back(aCursor);
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
  if (InRange(FGrabMode, aid)) FGrabMode.erase(FGrabMode.begin() + aid);
  if (InRange(FCursor, aid)) FCursor.erase(FCursor.begin() + aid);
}

void TGrabInfo_::CopyGrabForm(const TGrabForm &aGrabForm) {
  FGrabForm = aGrabForm;
}

void TGrabInfo_::SetCount(int aCount) {
  const size_t n = size_t(std::max(aCount, 0));
  FGrabForm.resize(n, TGrabType::gfRect);
  FGrabMode.resize(n, TGrabMode{gmMid});
  FCursor.resize(n, 0);
}

void TGrabInfo_::SetV2Style(const TGrabForm &aGrabForm) {
  InitGrabs(int(aGrabForm.size()));
  for (size_t i = 0; i < FGrabForm.size(); ++i) {
    FGrabForm[i] = TGrabType::gfRect;
    FCursor[i] = 0;
    FGrabMode[i].Include(gmShow);
  }
}

} // namespace lumora
