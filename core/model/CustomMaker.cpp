#include "core/model/CustomMaker.h"

#include "core/model/CommonObj.h"
#include "core/model/Interfaces.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Bitmap.h"

namespace lumora {

// ---- TCustomMaker ----

TCustomMaker::TCustomMaker(TCommonObj *aSelf) : FSelf(aSelf), FInfo(&TMakeInfo2::Get()) {}

TCustomMaker::~TCustomMaker() = default;

void TCustomMaker::DrawBlended() {
  if (FSelf) FSelf->ClearDraw_();
}

void TCustomMaker::DrawSelf(TCanvas &aCanvas) {
  if (FExtDraw)
    FExtDraw(aCanvas, FSelf);
  else if (FSelf)
    FSelf->DrawObj(aCanvas);
}

QString TCustomMaker::CreateName(bool aForce) {
  if (!aForce && FSelf->Id() > 0) return FSelf->Name;
  return FInfo->CreateName(*FSelf, QString());
}

void TCustomMaker::Invalidate(bool aEraseBack) {
  if (!FInfo || !FInfo->Base || !FSelf) return;
  FInfo->Base->Invalidate(InflateRect(FSelf->BoundsRect(), FSelf->Param.Width / 2 + 1), aEraseBack);
}

bool TCustomMaker::LoadFromClipBoard(QClipboard *) {
  return false;
}

void TCustomMaker::ReMake(const TGrabRect &aGrab) {
  Invalidate(false); // where it was, as well as where it goes
  if (IRepresent *represent = Supports<IRepresent>(FSelf)) represent->GrabToPolygon(aGrab);
  SetCenter();
  Update();
  Invalidate(false);
}

void TCustomMaker::SetSelf(TCommonObj *aSelf) {
  FSelf = aSelf;
}

void TCustomMaker::MoveBack(TCommonObj *aObj) {
  TCommonObj *root = FInfo ? FInfo->Root() : nullptr;
  if (root && root->Pool()) root->Pool()->MoveBack(aObj ? aObj : FSelf);
}

bool TCustomMaker::MoveFront() {
  TCommonObj *root = FInfo ? FInfo->Root() : nullptr;
  return root && root->Pool() && root->Pool()->MoveFront(FSelf);
}

void TCustomMaker::MoveOrder(int aOrder) {
  TCommonObj *root = FInfo ? FInfo->Root() : nullptr;
  if (root && root->Pool()) root->Pool()->MoveOrder(FSelf, aOrder);
}

void TCustomMaker::ReleaseProperty() {
  Invalidate(false); // a new pen width changes what it covers
  Update();
  Invalidate(false);
}

void TCustomMaker::UndoProperty(const TObjParam &) {}

void TCustomMaker::UpdateDrawAt(const TGraphic *aGraphic, TPoint) {
  UpdateDraw(aGraphic);
}

// ---- TMakeBmpObj ----

TMakeBmpObj::TMakeBmpObj(TCommonObj *aSelf) : TCustomMaker(aSelf) {
  FGraphic = std::make_unique<TBitmap>();
}

TBitmap *TMakeBmpObj::Bitmap() const {
  return static_cast<TBitmap *>(FGraphic.get());
}

TCanvas *TMakeBmpObj::Canvas() {
  return Bitmap() ? &Bitmap()->Canvas() : nullptr;
}

void TMakeBmpObj::Paint(TCanvas &aCanvas) {
  if (!Bitmap() || Bitmap()->Empty()) return;
  const TRect r = FSelf->BoundsRect();
  aCanvas.Draw(r.Left + FAt.X, r.Top + FAt.Y, *Bitmap());
}

void TMakeBmpObj::SetCenter() {
  FSelf->SetBoundsRect(RealPointsBounds(FSelf->Polygon()));
}

void TMakeBmpObj::Update() {
  SetCenter();
  if (FSelf->Param.Transparency != 0)
    DrawBlended();
  else if (Bitmap() && !Bitmap()->Empty()) // an empty bitmap has no surface to draw on
    DrawSelf(Bitmap()->Canvas());
}

void TMakeBmpObj::UpdateDrawAt(const TGraphic *aGraphic, TPoint aAt) {
  UpdateDraw(aGraphic);
  FAt = SubPoint(aAt, FSelf->BoundsRect().TopLeft());
}

void TMakeBmpObj::UpdateDraw(const TGraphic *aGraphic) {
  FAt = {};
  if (!Bitmap()) return;
  if (aGraphic)
    Bitmap()->Assign(*aGraphic);
  else
    Bitmap()->SetWidth(0);
}

} // namespace lumora
