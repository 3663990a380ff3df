#include "tests/kinds/FigureKinds.h"

#include <QImage>
#include <QPainter>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/PngImage.h"

namespace lumora::test {

std::vector<TPoint> ToPoints(std::span<const TRealPoint> aPolygon) {
  std::vector<TPoint> points;
  for (const TRealPoint &p : aPolygon)
    points.push_back(RealPointToPoint(p));
  return points;
}

bool TLogDrawExe::Exec(TCircuit &aCircuit, TCommonObj *aAction) {
  gLog << QStringLiteral("exec ") + FSelf->Name;
  return TDrawExe::Exec(aCircuit, aAction);
}

// ---- TTestRect ----

TObjInfo TTestRect::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = 400;
  info.ClassName = QStringLiteral("図形");
  info.Name = QStringLiteral("テスト矩形");
  info.FormType = {otSurface};
  info.ActType = {atShow};
  info.Origin64 = 4;
  return info;
}

TObjParam TTestRect::DefaultParam(const QString &aKind) {
  TObjParam param;
  param.ObjName = aKind;
  param.ActType = {atShow};
  param.Width = 1;
  param.Grabs = 4;
  param.LineColor = kLine;
  param.FaceColor = kFace;
  param.Coating = true;
  return param;
}

TTestRect::TTestRect(const TObjParam &aParam) : TDrawObj(aParam) {
  FVisible = true;
}

void TTestRect::CreateMode(TSysMode aMode) {
  TDrawObj::CreateMode(aMode);
  if (aMode == smExec) FEx = std::make_unique<TLogDrawExe>(this);
}

void TTestRect::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) {
  PrepareCanvas(aCanvas);
  aCanvas.Polygon(ToPoints(aPolygon));
}

void TTestRect::Move(TRealPoint aOffset, TShiftState aShift) {
  ShiftMoves.push_back(aShift);
  TDrawObj::Move(aOffset, aShift);
}

void TTestRect::Place(std::vector<TRealPoint> aPoints) {
  Param.Grabs = int32_t(aPoints.size());
  SetPolygon(aPoints);
  InitGrabInfo();
  Maker()->SetCenter();
  ReMake();
}

// ---- TPlainRect ----

TObjInfo TPlainRect::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = -1;
  info.Name = QStringLiteral("テスト矩形");
  info.FormType = {otSurface};
  info.ActType = {atShow};
  return info;
}

void TPlainRect::DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) {
  PrepareCanvas(aCanvas);
  aCanvas.Polygon(ToPoints(aPolygon));
}

// ---- TTestPictureStamp ----

TObjInfo TTestPictureStamp::GetObjInfo() {
  TObjInfo info;
  info.IndexNo = 402;
  info.ClassName = QStringLiteral("スタンプ");
  info.Name = QStringLiteral("テスト印影");
  info.FormType = {otStamp};
  info.ActType = {atShow, atSize, atRotate};
  return info;
}

TTestPictureStamp::TTestPictureStamp()
    : TCustomStamp([] {
        TObjParam param;
        param.ObjName = QStringLiteral("テスト印影");
        param.ActType = {atShow, atSize, atRotate};
        param.Grabs = 8;
        return param;
      }()) {}

TObjInfo TBenchStamp::GetObjInfo() {
  TObjInfo info;
  info.Name = QStringLiteral("ベンチ印影");
  info.FormType = {otStamp};
  return info;
}

TBenchStamp::TBenchStamp()
    : TCustomStamp([] {
        TObjParam param;
        param.ObjName = QStringLiteral("ベンチ印影");
        param.Grabs = 8;
        return param;
      }()) {}

QByteArray BenchStampPng() {
  QImage image(96, 96, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(220, 40, 40));
  p.setPen(Qt::NoPen);
  p.drawEllipse(4, 4, 88, 88);
  p.setBrush(QColor(40, 40, 220));
  p.drawRect(20, 40, 56, 16);
  p.end();
  return TPngImage::Encode(image);
}

} // namespace lumora::test
