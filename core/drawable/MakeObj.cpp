#include "core/drawable/MakeObj.h"

#include "core/drawable/DrawObj.h"
#include "core/model/CommonObj.h"
#include "core/model/MakeInfo.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Metafile.h"

namespace lumora {

// ---- TMakeObj ----

TMakeObj::TMakeObj(TCommonObj *aSelf) : TCustomMaker(aSelf) {}

TMakeObj::~TMakeObj() {
  FMetaCan.reset();
  FGraphic.reset();
}

TMetafile *TMakeObj::Metafile() const {
  return dynamic_cast<TMetafile *>(FGraphic.get());
}

void TMakeObj::Open() {
  if (!FGraphic) FGraphic = std::make_unique<TSafetyMetafile>();
}

void TMakeObj::Close() {
  FMetaCan.reset();
  FGraphic.reset();
}

TCanvas *TMakeObj::Canvas() {
  if (!FMetaCan) BeginCanvas();
  return FMetaCan.get();
}

void TMakeObj::Invalidate(bool aEraseBack) {
  TCustomMaker::Invalidate(aEraseBack);
}

void TMakeObj::Paint(TCanvas &aCanvas) {
  TMetafile *meta = Metafile();
  if (!meta) return;
  if (meta->HasRecording())
    meta->Play(aCanvas, TPoint{0, 0});
  else
    aCanvas.Draw(0, 0, *meta);
}

void TMakeObj::SetCenter() {
  SetBounds();
}

void TMakeObj::Update() {
  BeginCanvas();
  if (FSelf->Param.Transparency != 0)
    DrawBlended();
  else
    DrawSelf(*FMetaCan);
  EndCanvas();
}

void TMakeObj::UpdateDraw(const TGraphic *aGraphic) {
  if (!aGraphic) {
    Update();
    return;
  }
  BeginCanvas();
  const TRect bounds = FSelf->BoundsRect();
  FMetaCan->Draw(bounds.Left, bounds.Top, *aGraphic);
  EndCanvas();
}

void TMakeObj::UpdateDrawAt(const TGraphic *aGraphic, TPoint aAt) {
  if (!aGraphic) {
    Update();
    return;
  }
  BeginCanvas();
  FMetaCan->Draw(aAt.X, aAt.Y, *aGraphic);
  EndCanvas();
}

void TMakeObj::EndCanvas() {
  // Destroying the canvas hands the recording to the metafile.
  FMetaCan.reset();
}

void TMakeObj::BeginCanvas() {
  EndCanvas();
  Open();
  // A maker whose picture was replaced by another kind of graphic records
  // into a new metafile.
  if (!Metafile()) FGraphic = std::make_unique<TSafetyMetafile>();
  FMetaCan = std::make_unique<TMetafileCanvas>(*Metafile());
}

void TMakeObj::SetBounds() {
  const TRect r = RealPointsBounds(FSelf->Polygon());
  const int grow = Round(FSelf->Param.Width / 2.0);
  FSelf->SetBoundsRect(InflateRect(r, grow, 1));
}

// ---- TDrawMake ----

void TDrawMake::SetCenter() {
  SetBounds();
  if (auto *obj = dynamic_cast<TDrawObj *>(FSelf)) obj->SetBCenter(PolygonCentroid(obj->Polygon()));
}

void TDrawMake::Refresh() {
  Invalidate(false);
  SetCenter();
  Update();
  Invalidate(false);
}

void TDrawMake::Update() {
  BeginCanvas();
  if (FSelf->Param.Coating && FSelf->Param.Transparency != 0)
    DrawBlended();
  else
    DrawSelf(*FMetaCan);
  EndCanvas();
}

// ---- TPolyObjMake ----

void TPolyObjMake::SetCenter() {
  TDrawMake::SetCenter();
  FSelf->SetRCenter(PolygonCentroid(FSelf->Polygon()));
}

} // namespace lumora
