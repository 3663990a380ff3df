#include "core/book/PrintInfoObj.h"

#include <algorithm>

#include "core/stream/MetaStream.h"

namespace lumora {

// ---- TPrintSpecRecord ----

void TPrintSpecRecord::Write(TMetaStream &aStream) const {
  aStream.WriteBuffer(用紙);
  aStream.WriteBuffer(横頁数);
  aStream.WriteBuffer(縦頁数);
  for (float v : {余白左, 左右間隔, 余白右, 余白上, 上下間隔, 余白下})
    aStream.WriteBuffer(v);
  aStream.WriteBuffer(開始頁);
  aStream.WriteBuffer(終了頁);
  aStream.WriteBuffer(枠表示);
  aStream.WriteBuffer(頁NO表示);
}

bool TPrintSpecRecord::Read(TMetaStream &aStream) {
  if (!Readable(aStream, kSize)) return false;
  TPrintSpecRecord r;
  aStream.ReadBuffer(r.用紙);
  aStream.ReadBuffer(r.横頁数);
  aStream.ReadBuffer(r.縦頁数);
  for (float *v : {&r.余白左, &r.左右間隔, &r.余白右, &r.余白上, &r.上下間隔, &r.余白下})
    aStream.ReadBuffer(*v);
  aStream.ReadBuffer(r.開始頁);
  aStream.ReadBuffer(r.終了頁);
  aStream.ReadBuffer(r.枠表示);
  aStream.ReadBuffer(r.頁NO表示);
  *this = r;
  return true;
}

bool TPrintSpecRecord::ReadOld(TMetaStream &aStream) {
  if (!Readable(aStream, kOldSize)) return false;
  TPrintSpecRecord r;
  aStream.ReadBuffer(r.用紙);
  aStream.ReadBuffer(r.横頁数);
  aStream.ReadBuffer(r.縦頁数);
  for (float *v : {&r.余白左, &r.左右間隔, &r.余白右, &r.余白上, &r.上下間隔, &r.余白下}) {
    double d = 0;
    aStream.ReadBuffer(d);
    *v = float(d);
  }
  aStream.ReadBuffer(r.開始頁);
  aStream.ReadBuffer(r.終了頁);
  aStream.ReadBuffer(r.枠表示);
  aStream.ReadBuffer(r.頁NO表示);
  if (Readable(aStream, 1)) aStream.Skip(1);
  *this = r;
  return true;
}

// ---- TPrtInf ----

TObjInfo TPrtInf::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.ClassName = QStringLiteral("System");
  info.Name = QString::fromUtf16(kKindName);
  info.FormType = {otLine, otSurface, otBoth, otSystem};
  info.ActType = {atShow, atDrag, atSize, atRotate};
  info.Caption = QString::fromUtf16(kKindName);
  info.Hint = QStringLiteral("印刷属性を指定");
  return info;
}

TObjParam TPrtInf::DefaultParam() {
  TObjParam param;
  param.ObjName = QString::fromUtf16(kKindName);
  param.Layer = 10;
  param.Priority = 50;
  param.ActType = {atShow};
  param.Width = 1;
  param.Grabs = 12;
  param.LineColor = 0x000000;
  param.FaceColor = 0xFFFFFF;
  param.Coating = true;
  return param;
}

std::vector<TRealPoint> TPrtInf::DefaultPolygon() {
  // Corners, then the lines: 4 top margin, 5 bottom margin, 6 left margin,
  // 7 right margin, 8 first row bottom, 9 first column right, 10 second
  // row top, 11 second column left.
  return {{0, 0},  {792, 0}, {792, 560}, {0, 560}, {0, 13},  {0, 547},
          {27, 0}, {765, 0}, {0, 273},   {373, 0}, {0, 273}, {373, 0}};
}

TPrtInf::TPrtInf() : TPrtInf(DefaultParam()) {}

TPrtInf::TPrtInf(const TObjParam &pParam) : TDrawObj(pParam) {
  Param.ObjName = QString::fromUtf16(kKindName);
  FVersion = kPrtVersion;
  FPolygon = DefaultPolygon();
  FBoundsRect = RealPointsBounds(FPolygon);
  FVisible = true;
}

void TPrtInf::CreateMode(TSysMode) {
  FMaker = std::make_unique<TPrtMake>(this);
}

void TPrtInf::LoadOption(TMetaStream &aStream) {
  TDrawObj::LoadOption(aStream);
  TPrintSpecRecord spec;
  const bool read = FVersion < kPrtVersion ? spec.ReadOld(aStream) : spec.Read(aStream);
  F頁設定済 = read;
  if (read)
    FSpec = spec;
  else
    FSpec.reset();
}

void TPrtInf::SaveOption(TMetaStream &aStream) {
  TDrawObj::SaveOption(aStream);
  if (F頁設定済 && FSpec) FSpec->Write(aStream);
}

void TPrtInf::SetSpec(const TPrintSpecRecord &aSpec) {
  FSpec = aSpec;
  F頁設定済 = true;
}

bool TPrtInf::Data(const QString &aCommand, const QVariantList &) {
  if (aCommand == QStringView(kPageSetCommand)) return F頁設定済;
  return false;
}

float TPrtInf::GetVersion() const {
  return std::max({TDrawObj::GetVersion(), FVersion, kPrtVersion});
}

int TPrtInf::MinGrabs() {
  Param.Grabs = 12;
  return 12;
}

// ---- TPrtMake ----

void TPrtMake::SetCenter() {
  SetBounds();
  const std::vector<TRealPoint> &polygon = FSelf->Polygon();
  if (polygon.size() < 4) return;
  const TRealPoint centre = QuadCentroid(std::span(polygon.data(), 4));
  if (auto *prt = dynamic_cast<TPrtInf *>(FSelf)) prt->SetBCenter(centre);
  FSelf->SetRCenter(centre);
}

} // namespace lumora
