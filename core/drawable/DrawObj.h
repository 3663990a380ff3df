#pragma once
// The drawable object: the base of every page object drawn from a polygon
// of real points (figures, teaching tools, text objects, stamps, pictures,
// buttons). To the drawable leaf it adds the event options (click target,
// snap radius), the grab model of the author's mouse states, rotation,
// mirror and upside-down turns, zoomed drawing and printing, the area with
// its command "固有値", and the click link TDrawLink.
//
// Companions: the maker TDrawMake in every mode (it records the drawing as
// a metafile after every change; painting replays it) and, in presentation
// mode, the executor TDrawExe.
//
// TPolyObj is the base of free polygons and curves: one polygon point per
// grab.
#include <memory>

#include "core/drawable/ObjOption.h"
#include "core/model/LeafObj.h"

namespace lumora {

class TDrawLink;

// Whether aObj is a conductor or an original input or output ("伝送路",
// "オリジ入力", "オリジ出力"), by kind name.
bool IsTransmitObj(TCommonObj *aObj);
// Whether aObj has a linked object that is no conductor, original input or
// output, push pin ("留針"), and no tray (awTray in its Param.ActType).
bool HasPlainLinkTarget(TCommonObj *aObj);

class TDrawObj : public TRepreLeaf {
  LUMORA_ABSTRACT_OBJECT(TDrawObj, TRepreLeaf)
public:
  // The command of the object's own quantity: its area in cm².
  static constexpr const char16_t *kValueCommand = u"固有値";

  // Frees the executor, the maker and the link, in this order.
  ~TDrawObj() override;

  TObjOption EventParam;

  // ---- Overrides, in the order of their slots ----

  // EventParam.Click.
  int64_t GetLinkedId() const override;
  // A positive aId is stored; otherwise the linked object's id (0 without
  // one). When Click ends not positive, atAction leaves Param.ActType.
  void SetLinkedId(int64_t aId) override;
  // The maker TDrawMake in every mode; in smExec also the executor TDrawExe.
  void CreateMode(TSysMode aMode) override;
  // Version 2.0 or more: the 32-byte block. Below (or not a number): four
  // strings, the first kept as the old click target's name; EventParam
  // keeps its values.
  void LoadOption(TMetaStream &aStream) override;
  // Click is first refreshed from the link's click target when there is
  // one; then the 32-byte block.
  void SaveOption(TMetaStream &aStream) override;
  // Whether aTask is in the ActType of the class's catalogue record.
  bool ICan(TActKind aTask) override;
  // "固有値": scales the figure to the area (cm²) in aArg[1]; a value of 0
  // or less, or an object without area, is refused (False). The maker is
  // refreshed in every case. Other commands go to the base.
  bool Data(const QString &aCommand, const QVariantList &aArg) override;
  using TLeafObj::Move;
  // Nothing when both components are within 0.001 of zero; else the
  // leaf's move and the maker's SetCenter.
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override;
  // The maker's Update.
  void ReMake() override;
  using TRepreLeaf::Paint;
  // The leaf's paint: the maker replays its picture.
  void Paint(TCanvas &aCanvas, TCommonObj *aObj) override;
  // The leaf's result, kept only when PtInObj also holds.
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;
  // ZoomDraw.
  void PrintObj(TCanvas &aCanvas, double aZoom, int ax, int ay) override;
  // Draws the object at aZoom, offset by (px, py): the line width is scaled
  // for the call (at least 1); the see-through draw for a coated object
  // with a transparency, else ZMDrawObj with the zoomed points.
  void ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py) override;
  // Re-makes a coated object with a transparency (its see-through picture
  // is captured again).
  void AdsorbFrom(TRealPoint aPoint, IRepresent *aObj) override;
  // Passed to the making context.
  void ReMakeFrontObj(TCommonObj *aObjList, TObjList *aOverTopList) override;
  // "固有値": the area in cm² with two decimals (a Double), or the class's
  // Origin64 (an Int64) for an object without area; True. aArg becomes the
  // one result. Other commands go to the base.
  bool Value(const QString &aCommand, QVariantList &aArg) override;
  // ReMake, then the maker's Invalidate(False).
  void Update() override;
  // With atCenter in Param.ActType and otSurface in the catalogue's
  // FormType: a cross of 10 pixels at BCenter.
  void DrawCenterCross(TCanvas &aCanvas) override;
  // EventParam.Adsorb times the system zoom.
  double GetAdsorbRange() override;
  void SetAdsorbRange(double aRange) override;
  // 0<->2, 1<->3, 4<->5, 6<->7; -1 for any other grab.
  int OppositeGrab(int pGrab) override;
  // The number of outline points by the catalogue's FormType (otLine,
  // otAtLine, otSurface: Param.Grabs; otStamp, otText: 4; otAction and
  // others: 0), capped by the length of aPoints; that many polygon points
  // are copied. Descendants expand grabs into outline points.
  int OutlinePoints(std::span<TRealPoint> aPoints) override;
  // 2.
  int CreateAnchorGrab() override;
  void SetPolygon(std::span<const TRealPoint> aObjRect) override;
  // ScaleDrawObj of IQvScale when the object offers it, else DrawObj.
  void ZMDrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon, double aZoom) override;
  // Multiplies every polygon point by aRate.
  void ZoomPolygon(long double aRate) override;
  // The polygon becomes a copy of the grab points.
  void GrabToPolygon(std::span<const TRealPoint> aGrab) override;
  // Copies the polygon into the grab array, as far as it holds.
  void PolygonToGrab(std::span<TRealPoint> aGrab) override;
  // As OppositeGrab.
  int AnchorGrab(int pGrab) override;
  // OppositeGrab of pSequence.
  int ActiveGrab(int pSequence) override;
  // Face colour := pColor (coated unless clNone); pMore := True; True.
  bool TakeColor(TPoint pPoint, TColor pColor, bool &pMore) override;
  // IsCreateEnd_ or the right button.
  bool IsCreateEnd(TMouseButton pButton, int pSequence, std::span<TRealPoint> pRect,
                   TPoint pNew) override;
  // 8.
  int MinGrabs() override;
  // The turn (radians) of dragging grab aGrabNo by aOffSet about its
  // opposite grab, which becomes RCenter (or about a centre object in the
  // pool); 0 for a grab without an opposite.
  double RotateAngle(int aGrabNo, TRealPoint aOffSet, TGrabRect &aRect) override;
  // The current position of the grab opposite aGrabNo; (0, 0) when there
  // is none.
  TRealPoint RotateCenter(int aGrabNo, TRealPoint aOffSet) override;

  // ---- Operations added here ----

  // The direction of the first polygon edge in degrees: 0 pointing right,
  // growing clockwise; 0 with fewer than two points.
  double GetObjAngle() override;
  // Turns the polygon by aAngle radians about RCenter (a turn, not an
  // absolute angle).
  void SetObjAngle(double aAngle) override;
  double ObjAngle() { return GetObjAngle(); }
  // Brush: solid in FaceColor when coated, else clear. Pen: clear for a
  // LineColor of clNone, else the system state's pen rule.
  virtual void PrepareCanvas(TCanvas &aCanvas);
  // Whether a creation drag ends: False for pSequence < 1; True when
  // CreateAnchorGrab is -1; else CheckForm of the anchor grab moved to
  // pNew.
  virtual bool IsCreateEnd_(int pSequence, std::span<TRealPoint> pRect, TPoint pNew);
  // The bearing of aPoint seen from aCenter, after a centre object (otCenter)
  // in the pool has replaced aCenter with its rotation centre.
  virtual double AngleAroundCenter(TRealPoint aPoint, TRealPoint &aCenter);
  // Mirror left-right (toggles tfLineSym) and turn upside down (toggles
  // tfUpend) about the middle of the polygon's extent. The caller re-makes
  // the object.
  void ReverseObj() override;
  void TurnUpside() override;

  // ---- Helpers ----

  // The area in square pixels of the outline (0 below three grabs).
  double Area();
  // The click link.
  TDrawLink *DrawLink() const;
  // The oldest event form, while one was read; null otherwise.
  TOldEvent *OldEvent() const { return FOldEvent.get(); }
  void SetBCenter(TRealPoint aCenter) { FBCenter = aCenter; }

protected:
  TDrawObj();
  // The drawable leaf's construction (grab record, companions for the
  // mode in AfterConstruction), snap radius 23.0 and the click link.
  explicit TDrawObj(const TObjParam &aParam);

  std::unique_ptr<TOldEvent> FOldEvent;
};

class TPolyObj : public TDrawObj {
  LUMORA_ABSTRACT_OBJECT(TPolyObj, TDrawObj)
public:
  // The maker TPolyObjMake; in smExec also TDrawExe.
  void CreateMode(TSysMode aMode) override;
  // As TDrawObj's.
  bool Value(const QString &aCommand, QVariantList &aArg) override;
  // Every move is accepted: True. (pRect is the caller's copy; nothing is
  // written back.)
  bool CheckForm(int pNo, std::span<const TRealPoint> pRect, TPoint &pOffset) override;
  // pDragRect with grab pNo moved by pOffset.
  TGrabRect FormatGrab(int pNo, TPoint pOffset, const TGrabRect &pDragRect, int pWidth) override;
  // The polygon becomes the first Param.Grabs grab points.
  void GrabToPolygon(std::span<const TRealPoint> aGrab) override;

protected:
  TPolyObj() = default;
  explicit TPolyObj(const TObjParam &aParam) : TDrawObj(aParam) {}
};

} // namespace lumora
