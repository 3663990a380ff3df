#include "shell/input/Grips.h"

#include <array>
#include <typeinfo>

#include "core/model/BaseWindow.h"
#include "core/model/CommonObj.h"
#include "core/model/CustomCompo.h"
#include "core/model/Interfaces.h"
#include "core/model/Link.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "platform/graphics/Canvas.h"
#include "shell/input/Adsorb.h"

namespace lumora {

namespace {

TRect Shifted(const TRect &r, TPoint p) {
  return {r.Left + p.X, r.Top + p.Y, r.Right + p.X, r.Bottom + p.Y};
}

// A one-pixel frame of the rectangle in aColor (the pixels of its edges,
// right and bottom exclusive).
void FrameRect(TCanvas &aCanvas, const TRect &r, TColor aColor) {
  aCanvas.Pen().SetStyle(psSolid);
  aCanvas.Pen().SetMode(pmCopy);
  aCanvas.Pen().SetWidth(1);
  aCanvas.Pen().SetColor(aColor);
  aCanvas.Brush().SetStyle(bsClear);
  aCanvas.Rectangle(r);
}

void SolidPen(TCanvas &aCanvas, TColor aColor) {
  aCanvas.Pen().SetStyle(psSolid);
  aCanvas.Pen().SetMode(pmCopy);
  aCanvas.Pen().SetWidth(1);
  aCanvas.Pen().SetColor(aColor);
  aCanvas.Brush().SetStyle(bsClear);
}

// The grip colours by number mod 9 ($00BBGGRR).
constexpr std::array<TColor, 9> kGripColors = {
    0x0000FF, // red
    0xFF0000, // blue
    0x008000, // green
    0x800080, // purple
    0x008080, // olive
    0x808000, // teal
    0x000080, // maroon
    0xFFFF00, // aqua
    0x000000, // black
};

} // namespace

// ---- TGrab ----

void TGrab::Assign(const TGrab &aGrab) {
  FGrip = aGrab.FGrip;
  FColor = aGrab.FColor;
  FBoundsRect = aGrab.FBoundsRect;
  FTag = aGrab.FTag;
  FTransparent = aGrab.FTransparent;
  FForm = aGrab.FForm;
  FMode = aGrab.FMode;
  FCursor = aGrab.FCursor;
  FPos = aGrab.FPos;
  FGripRect = aGrab.FGripRect;
  FSysMode = aGrab.FSysMode;
}

void TGrab::SetPos(TRealPoint Value) {
  FPos = Value;
  FBoundsRect = Shifted(GetGrabRect(), RealPointToPoint(Value));
}

void TRectGrab::Draw(TCanvas &aCanvas) {
  if (FTransparent) {
    FrameRect(aCanvas, FBoundsRect, FColor);
    return;
  }
  aCanvas.Brush().SetStyle(bsSolid);
  aCanvas.Brush().SetColor(FColor);
  aCanvas.FillRect(FBoundsRect);
}

bool TRectGrab::PtInGrab(int X, int Y) {
  const TRect r = FSysMode == smExec ? InflateRect(FBoundsRect, kExecGripSlack) : FBoundsRect;
  return r.Contains({X, Y});
}

void TCircleGrab::Draw(TCanvas &aCanvas) {
  SolidPen(aCanvas, FColor);
  aCanvas.Ellipse(FBoundsRect);
}

bool TCircleGrab::PtInGrab(int X, int Y) {
  return FBoundsRect.Contains({X, Y});
}

void TCrossGrab::Draw(TCanvas &aCanvas) {
  SolidPen(aCanvas, FColor);
  const TRect &r = FBoundsRect;
  aCanvas.MoveTo(r.Left, r.Top);
  aCanvas.LineTo(r.Right, r.Bottom);
  aCanvas.MoveTo(r.Left, r.Bottom);
  aCanvas.LineTo(r.Right, r.Top);
}

bool TCrossGrab::PtInGrab(int X, int Y) {
  return FBoundsRect.Contains({X, Y});
}

TActionGrab::TActionGrab(TCommonObj *aObj) {
  const TRect bounds = aObj ? aObj->BoundsRect() : TRect{};
  const int w = bounds.Width();
  const int h = bounds.Height();
  FFrame = {-(w / 2), -(h / 2), w - w / 2, h - h / 2};
  FColor = 0x0000FF;
  FForm = TGrabType::gfNon;
  FTransparent = false;
  FTag = 0;
  SetPos(aObj ? aObj->BCenter() : TRealPoint{});
}

void TActionGrab::Draw(TCanvas &aCanvas) {
  FrameRect(aCanvas, FBoundsRect, FColor);
}

void TActionGrab::SetPos(TRealPoint Value) {
  FPos = Value;
  FBoundsRect = Shifted(FFrame, RealPointToPoint(Value));
}

TRect TOwnerGrab::GetGrabRect() const {
  IOwnGrab *own = Supports<IOwnGrab>(FObj);
  return own ? own->GetGrabRect(FTag) : TRect{};
}

void TOwnerGrab::Assign(const TGrab &aGrab) {
  TGrab::Assign(aGrab);
  const auto *other = dynamic_cast<const TOwnerGrab *>(&aGrab);
  FObj = other ? other->FObj : nullptr;
}

void TOwnerGrab::Draw(TCanvas &aCanvas) {
  if (IOwnGrab *own = Supports<IOwnGrab>(FObj)) own->DrawGrab(aCanvas, FTag);
}

bool TOwnerGrab::PtInGrab(int X, int Y) {
  IOwnGrab *own = Supports<IOwnGrab>(FObj);
  return own && own->PtInGrab(FTag, X, Y);
}

// ---- TGripGrabs ----

TGripGrabs::TGripGrabs(TBaseWindow *aOwner, TSysMode aMode)
    : FSysMode(aMode), FBaseControl(aOwner) {}

TGripGrabs::~TGripGrabs() = default;

void TGripGrabs::SetOwnObj(TCommonObj *Value) {
  FObj = Value;
  FActiveGrab = nullptr;
}

void TGripGrabs::DeleteGrab(size_t i) {
  if (FObjGrabs[i].get() == FActiveGrab) FActiveGrab = nullptr;
  FObjGrabs.erase(FObjGrabs.begin() + std::ptrdiff_t(i));
}

void TGripGrabs::CreateGrab(TCommonObj *aObj, const TGrabRect &aRect, bool aTransparent) {
  FVisible = true;
  if (aObj != FObj) SetOwnObj(aObj);
  if (!aObj) return;

  if (aObj->Param.Grabs == 0) {
    if (!aObj->ObjInfo().FormType.Contains(otPage)) {
      ClearGrab();
      FObjGrabs.push_back(std::make_unique<TActionGrab>(aObj));
      SetClipRect();
      // The recording still holds the grips of the object shown before.
      Show();
    }
    return;
  }

  FGripRect = FSysMode == smExec && !SmallGrabs() ? kExecGripRect : kAuthorGripRect;
  if (aRect.empty()) return;
  if (!FObjGrabs.empty() && typeid(*FObjGrabs.front()) == typeid(TActionGrab)) ClearGrab();

  // A grip keeps its kind while the form at its place stays.
  const auto place = [this](size_t i, const std::type_info &aKind, auto aMake) {
    if (i < FObjGrabs.size()) {
      if (typeid(*FObjGrabs[i]) != aKind)
        FObjGrabs.insert(FObjGrabs.begin() + std::ptrdiff_t(i), aMake());
    } else {
      FObjGrabs.push_back(aMake());
    }
  };
  for (size_t i = 0; i < aRect.size(); ++i) {
    switch (aObj->GetGrabForm(int(i))) {
    case TGrabType::gfOwn:
      if (i < FObjGrabs.size()) {
        if (FObjGrabs[i].get() == FActiveGrab) FActiveGrab = nullptr;
        FObjGrabs[i] = std::make_unique<TOwnerGrab>(aObj);
      } else {
        FObjGrabs.push_back(std::make_unique<TOwnerGrab>(aObj));
      }
      break;
    case TGrabType::gfCircle:
      place(i, typeid(TCircleGrab), [] { return std::make_unique<TCircleGrab>(); });
      break;
    case TGrabType::gfFrame:
      place(i, typeid(TActionGrab), [aObj] { return std::make_unique<TActionGrab>(aObj); });
      break;
    case TGrabType::gfCross:
      place(i, typeid(TCrossGrab), [] { return std::make_unique<TCrossGrab>(); });
      break;
    default:
      place(i, typeid(TRectGrab), [] { return std::make_unique<TRectGrab>(); });
      break;
    }
  }
  while (FObjGrabs.size() > aRect.size())
    DeleteGrab(FObjGrabs.size() - 1);

  IRepresent *rep = Supports<IRepresent>(aObj);
  TGrabInfo *info = rep ? rep->GetGrabInfo() : nullptr;
  for (size_t i = 0; i < FObjGrabs.size(); ++i) {
    TGrab &grab = *FObjGrabs[i];
    grab.SetTag(int(i));
    grab.SetFrame(FGripRect, FSysMode);
    grab.SetPos(aRect[i]);
    grab.SetColor(GetGrabColor(int(i)));
    if (info) {
      grab.SetForm(info->GetGrabForm(int(i)));
      grab.SetMode(info->GetGrabMode(int(i)));
      grab.SetCursor(info->GetCursor(int(i)));
    }
    if (!FActiveGrab) grab.SetTransparent(aTransparent);
  }
  SetClipRect();
  Show();
}

void TGripGrabs::Show() {
  {
    TMetafileCanvas canvas(*this);
    DrawGrabs(canvas);
    canvas.Finish();
  }
  FVisible = true;
}

TGrab *TGripGrabs::NearGrab(int X, int Y, double aRange) {
  TGrab *nearest = nullptr;
  double best = 0;
  const TRealPoint at = IntRealPoint(X, Y);
  for (const std::unique_ptr<TGrab> &grab : FObjGrabs) {
    const double d = RealDistance(grab->Pos(), at);
    if (d < aRange && (!nearest || d <= best)) {
      nearest = grab.get();
      best = d;
    }
  }
  return nearest;
}

TGrab *TGripGrabs::PtInGrab(int X, int Y) {
  for (auto it = FObjGrabs.rbegin(); it != FObjGrabs.rend(); ++it)
    if ((*it)->PtInGrab(X, Y)) return it->get();
  return nullptr;
}

void TGripGrabs::Clear() {
  SetOwnObj(nullptr);
  FVisible = false;
  Invalidate(true);
}

void TGripGrabs::ClearGrab() {
  FActiveGrab = nullptr;
  FObjGrabs.clear();
}

void TGripGrabs::HideGrab() {
  if (!FVisible) return;
  FVisible = false;
  Invalidate(true);
}

void TGripGrabs::Refresh() {
  if (!FObj) return;
  TGrabRect points;
  IRepresent *rep = Supports<IRepresent>(FObj);
  // An object without grab points shows one frame around its centre, and
  // the frame stays there as the object moves.
  if (rep && FObj->Param.Grabs > 0) {
    points.resize(FObjGrabs.size());
    rep->PolygonToGrab(points);
  } else {
    points.push_back(FObj->BCenter());
  }
  SetGrabBounds(points);
  SetClipRect();
  Show();
}

void TGripGrabs::SetClipRect() {
  if (FObjGrabs.empty()) return;
  TRect clip;
  for (const std::unique_ptr<TGrab> &grab : FObjGrabs)
    clip = UnionRect(clip, grab->BoundsRect());
  FClipRect = clip;
}

void TGripGrabs::Invalidate(bool) {
  // The grips lie over the page: only the picture shown changes, the
  // cached page stays.
  if (FBaseControl && !FClipRect.IsEmpty()) FBaseControl->InvalidateOverlay(FClipRect);
}

TGrabRect TGripGrabs::GrabBounds() const {
  TGrabRect points;
  points.reserve(FObjGrabs.size());
  for (const std::unique_ptr<TGrab> &grab : FObjGrabs)
    points.push_back(grab->Pos());
  return points;
}

void TGripGrabs::SetGrabBounds(const TGrabRect &aPoints) {
  const size_t n = std::min(aPoints.size(), FObjGrabs.size());
  for (size_t i = 0; i < n; ++i)
    FObjGrabs[i]->SetPos(aPoints[i]);
}

TGrab *TGripGrabs::GetGrab(int aNo) const {
  if (aNo < 0 || aNo >= Count()) return nullptr;
  return FObjGrabs[size_t(aNo)].get();
}

TColor TGripGrabs::GetGrabColor(int pNo) {
  const int n = pNo % 9;
  return kGripColors[size_t(n < 0 ? n + 9 : n)];
}

void TGripGrabs::SetActiveGrab(TGrab *Value) {
  for (const std::unique_ptr<TGrab> &grab : FObjGrabs)
    grab->SetTransparent(Value != nullptr);
  if (Value) Value->SetTransparent(false);
  FActiveGrab = Value;
}

void TGripGrabs::Paint(TCanvas &aCanvas) const {
  if (FVisible && HasRecording()) Play(aCanvas, {0, 0});
}

// ---- TGrabs ----

void TGrabs::DrawGrabs(TCanvas &aCanvas) {
  for (const std::unique_ptr<TGrab> &grab : FObjGrabs)
    grab->Draw(aCanvas);
}

// ---- TAuthorGrabs ----

TAuthorGrabs::TAuthorGrabs(TBaseWindow *aOwner, TSysMode aMode) : TGripGrabs(aOwner, aMode) {
  FAdsorb = std::make_unique<TAdsorbDe>();
}

void TAuthorGrabs::CreateGrab(TCommonObj *aObj, const TGrabRect &aRect, bool aTransparent) {
  Invalidate(true);
  TGripGrabs::CreateGrab(aObj, aRect, aTransparent);
  Invalidate(true);
}

void TAuthorGrabs::DrawGrabs(TCanvas &aCanvas) {
  for (const std::unique_ptr<TGrab> &grab : FObjGrabs)
    grab->Draw(aCanvas);
  if (!FObj) return;
  TRect area;
  if (FObj->LinkedObj()) {
    if (TLink *link = FObj->Link()) area = link->DrawLinkLine(aCanvas, FClipRect);
  } else if (FObj->ObjInfo().FormType.Contains(otText) && dynamic_cast<TCustomCompo *>(FObj) &&
             FObj->Pool()) {
    for (TCommonObj *member : *FObj->Pool()) {
      if (!member || member == FObj || !member->LinkedObj()) continue;
      if (TLink *link = member->Link())
        area = UnionRect(area, link->DrawLinkLine(aCanvas, FClipRect));
    }
  }
  FClipRect = UnionRect(FClipRect, area);
  Invalidate(true);
}

} // namespace lumora
