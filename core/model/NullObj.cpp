#include "core/model/NullObj.h"

namespace lumora {

TObjInfo TNullObj::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.ClassName = QStringLiteral("ダミー");
  info.Name = QString::fromUtf16(kKindName);
  return info;
}

TObjParam TNullObj::DefaultParam() {
  TObjParam param;
  param.ObjName = QString::fromUtf16(kKindName);
  return param;
}

TNullObj::TNullObj() : TNullObj(DefaultParam()) {}

TNullObj::TNullObj(TPoint aPos) : TNullObj(DefaultParam()) {
  FRCenter = PointToRealPoint(aPos);
}

TNullObj::TNullObj(const TObjParam &aParam) {
  Param = aParam;
  Param.ObjName = QString::fromUtf16(kKindName);
  FBoundsRect = TRect();
}

void TProxy::CreateMode(TSysMode aMode) {
  if (FSelf) FSelf->CreateMode(aMode);
}

} // namespace lumora
