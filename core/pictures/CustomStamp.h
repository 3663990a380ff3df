#pragma once
// The stamp object base: a drawable page object that shows a stored stamp
// picture in a rotatable, mirrorable, scalable frame. The stamp palette
// object, the stamp-faced buttons and the picture faces of some teaching
// tools build on it.
//
// The picture is named by Param.Text (a bare file name) and fetched from
// the program-wide stamp store when drawn. Mirror and upside-down state are
// tfLineSym and tfUpend of Param.Transform, copied into ImageInfo.
//
// Polygon: eight points, the corners top-left, top-right, bottom-right,
// bottom-left, then the middles of the left, right, top and bottom sides
// (the grab-rectangle layout).
//
// The maker TStampMake records the rendered picture with its origin at the
// stamp's top-left and paints it at ImageInfo.Rect's top-left, so a stamp
// that only moved is painted from its recording without rendering again.
//
// Option block (after the drawable options): Reverse byte, TurnUpside byte
// (0 or 1); records below version 2.0 carry only the Reverse byte.
//
// The object angle accessors are left to the descendants.
#include <memory>

#include "core/drawable/DrawObj.h"
#include "core/drawable/MakeObj.h"
#include "core/pictures/StampFactory.h"

namespace lumora {

class TCustomStamp : public TDrawObj {
  LUMORA_ABSTRACT_OBJECT(TCustomStamp, TDrawObj)
public:
  // Frees the maker, the executor and the render cache.
  ~TCustomStamp() override;

  // The frame the stamp was made with.
  TRect OrgRect;
  // How the picture is rendered, kept up to date from the polygon.
  TStampInfo ImageInfo;
  TStillbmp &StampBmp() const { return *FStampBmp; }

  // ---- Overrides, in the order of their slots ----

  // The maker TStampMake; in smExec also the executor TDrawExe.
  void CreateMode(TSysMode aMode) override;
  // A closed polyline through the four corners of the grab rectangle.
  void DrawDragImage(TCanvas &pCanvas, const TGrabRect &pRect) override;
  using TDrawObj::DrawObj;
  // ImageInfo.Rect := the polygon's bounds; the picture renders itself
  // through the render cache (onto a canvas whose origin is the object's
  // top-left).
  void DrawObj(TCanvas &pCanvas, std::span<const TRealPoint> pPolygon) override;
  // The drawable options, the Reverse byte, the TurnUpside byte from
  // version 2.0; then Param.Text is cut to its bare file name.
  void LoadOption(TMetaStream &aStream) override;
  void SaveOption(TMetaStream &aStream) override;
  // "固有値" with a stamp object as the first argument: the second
  // argument (as text) becomes the picture's name. An equal name answers
  // true; a name whose picture cannot be had leaves the old name (and
  // picture) and answers false. Any other command or argument answers
  // false.
  bool Data(const QString &aCommand, const QVariantList &aArg) override;
  using TDrawObj::Move;
  // The drawable move; a stamp without a frame size takes it from the
  // polygon.
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override;
  // The leaf scaling, the frame from the polygon, then ReMake.
  void Scaling(double aRate, TRealPoint aOrg) override;
  // Draws itself into a background capture when it lies under aObj (see
  // TCommonObj::IsUnder): at zoom 1 its recorded picture, otherwise
  // ZoomDraw at -aPoint.
  bool TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) override;
  // See-through drawing with a transparency, else ZMDrawObj with the
  // polygon zoomed by aZoom and moved by (px, py).
  void ZoomDraw(TCanvas &aCanvas, double aZoom, int px, int py) override;
  // "固有値": the picture name (Param.Text); others go to the drawable base.
  bool Value(const QString &aCommand, QVariantList &aArg) override;
  // The picture's ZoomDraw for the zoomed, placed polygon.
  void ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) override;
  // The drawable operation, then the maker's SetCenter.
  void ZoomPolygon(long double aRate) override;
  // Inside the first four polygon points, rounded.
  bool PtInObj(TPoint pPoint) override;
  // Whether the drag of grab pNo may go on (LimitGrabMoveInt, no
  // write-back).
  bool CheckForm(int pNo, std::span<const TRealPoint> pRect, TPoint &pOffset) override;
  // The grab rectangle after dragging grab pNo: key moves of corners go
  // diagonally, corner moves keep the proportions.
  TGrabRect FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int pWidth) override;
  // The polygon, then grabs 6, 5, 7, 4 := the middles of the sides P0P1,
  // P1P2, P2P3, P3P0.
  void PolygonToGrab(std::span<TRealPoint> aGrab) override;
  // The turn of dragging grab aGrabNo about its opposite grab, which
  // becomes the rotation centre; 0 for other grabs.
  double RotateAngle(int aGrabNo, TRealPoint aOffSet, TGrabRect &aRect) override;
  // The drawable turns, then ImageInfo takes the new flag.
  void ReverseObj() override;
  void TurnUpside() override;

  // The angle accessors stay with the descendants.
  double GetObjAngle() override = 0;
  void SetObjAngle(double aAngle) override = 0;

  // ---- Operations added here ----

  // Takes the picture of Param.Text from the store (none: Exception "Can't
  // Create Image"; a missing file raises the store's error) and lays the
  // stamp out in the frame StampRect(placing size, height / width), eight
  // points with the middles at integer halves. Called right after
  // construction by the objects that place stamps.
  void CreateImage();
  // ImageInfo from the polygon: Rect, Width = |P4P5|, Height = |P6P7|,
  // Angle = the bearing of P6 seen from P7 (corrected for the upside-down
  // turn; within 0.01 of a whole turn it is exactly 0) and Transparency.
  void UpdateImageInfo();
  // The stored picture of Param.Text, or none when it cannot be had.
  TStamp_ *Picture() const;

protected:
  // The drawable construction; the polygon (0, 0) - (32, 32), OrgRect
  // (0, 0, 32, 32), visible, and the render cache.
  explicit TCustomStamp(const TObjParam &aParam);

  std::unique_ptr<TStillbmp> FStampBmp;
};

// The maker of stamp objects.
class TStampMake : public TDrawMake {
public:
  // Its picture is a metafile from the start.
  explicit TStampMake(TCommonObj *aSelf);

  // The drawable maker's close; the next update renders again.
  void Close() override;
  // The object's name unless aForce or the object has no id; otherwise a
  // new id and the name made from the picture name without its extension
  // ("STAMP" when that is empty).
  QString CreateName(bool aForce) override;
  // Replays the picture at ImageInfo.Rect's top-left.
  void Paint(TCanvas &aCanvas) override;
  // Replays the picture with its origin at aAt.
  void PaintAt(TCanvas &aCanvas, TPoint aAt) const;
  // Bounds from the polygon; link and rotation centre := its QuadCentroid;
  // the stamp's UpdateImageInfo.
  void SetCenter() override;
  // Nothing when the stamp only moved (StampBmp().IsMove(ImageInfo));
  // otherwise the drawable maker's update, and ImageInfo is no longer
  // Empty.
  void Update() override;
  // A graphic is recorded as the picture at (0, 0); none means Update.
  void UpdateDraw(const TGraphic *aGraphic) override;
  // The graphic recorded with its top-left at aAt on the page.
  void UpdateDrawAt(const TGraphic *aGraphic, TPoint aAt) override;
  // The drawable maker's update, then Invalidate.
  void ReleaseProperty() override;
  // The polygon's bounds, right and bottom + 1, so that their top-left is
  // ImageInfo.Rect's.
  void SetBounds() override;

private:
  TCustomStamp *Stamp() const;
};

} // namespace lumora
