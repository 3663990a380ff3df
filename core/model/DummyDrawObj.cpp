#include "core/model/DummyDrawObj.h"

#include "core/model/CustomMaker.h"

namespace lumora {

TObjInfo TDummyDrawObj::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.ClassName = QStringLiteral("ダミー");
  info.Name = QString::fromUtf16(kKindName);
  info.FormType = {otLine, otSurface, otDummy};
  info.ActType = {atShow};
  return info;
}

TObjParam TDummyDrawObj::DefaultParam() {
  TObjParam param;
  param.ObjName = QString::fromUtf16(kKindName);
  param.ActType = {atShow};
  param.Grabs = 4;
  return param;
}

std::vector<TRealPoint> TDummyDrawObj::FixedPolygon() {
  return {{0, 0}, {113, 0}, {113, 50}, {0, 50}};
}

TDummyDrawObj::TDummyDrawObj() : TDummyDrawObj(DefaultParam()) {}

TDummyDrawObj::TDummyDrawObj(const TObjParam &pParam) : TRepreLeaf(pParam) {
  Param.ObjName = QString::fromUtf16(kKindName);
  FPolygon = FixedPolygon();
  FBoundsRect = RealPointsBounds(FPolygon);
  FVisible = true;
}

void TDummyDrawObj::ReadPayload(TMetaStream &) {}

void TDummyDrawObj::ReMake() {
  Param.Grabs = Points();
  InitGrabInfo();
  if (FMaker) {
    FMaker->SetCenter();
    FMaker->Update();
    FMaker->Invalidate(false);
  } else {
    FBoundsRect = RealPointsBounds(FPolygon);
  }
}

bool TDummyDrawObj::PtInObj(TPoint pPoint) {
  return BoundsRect().Contains(pPoint);
}

} // namespace lumora
