#pragma once
// Grips: the small handles shown at the grab points of the selected object,
// which the user drags to resize, turn or reshape it.
//
// A grip set (TGripGrabs) builds one grip per grab point in the form the
// object asks for, records them all into its own metafile once per change
// and lets the mouse handler replay that recording over the cached page
// (Paint), so that painting the page never walks the grips. It answers
// which grip lies under the cursor, and owns the snapper of its handler.
//
// Grips are squares of 7 x 7 pixels around their point in author mode and
// 13 x 13 in presentation mode (7 x 7 for a set that asks for small grips);
// a square grip in presentation mode is hit up to 5 pixels outside. Grip n
// is coloured by n mod 9.
#include <memory>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/model/GrabInfo.h"
#include "core/params/ObjTypes.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Types.h"
#include "platform/ui/Cursors.h"

namespace lumora {

class TAdsorb__;
class TBaseWindow;
class TCanvas;
class TCommonObj;

// The grip square around its point in author mode (and for small grips).
inline constexpr TRect kAuthorGripRect{-3, -3, 4, 4};
// The grip square around its point in presentation mode.
inline constexpr TRect kExecGripRect{-6, -6, 7, 7};
// How far outside its square a presentation-mode square grip is hit.
inline constexpr int kExecGripSlack = 5;

// One grip.
class TGrab {
public:
  TGrab() = default;
  virtual ~TGrab() = default;
  TGrab(const TGrab &) = delete;
  TGrab &operator=(const TGrab &) = delete;

  // The grip rectangle relative to its point.
  virtual TRect GetGrabRect() const { return FGripRect; }
  // Takes over the other grip's state.
  virtual void Assign(const TGrab &aGrab);
  virtual void Draw(TCanvas &aCanvas) = 0;
  virtual bool PtInGrab(int X, int Y) = 0;
  // Moves the grip: its screen rectangle is GrabRect around the rounded
  // point.
  virtual void SetPos(TRealPoint Value);

  // The square and the system mode of the set that shows the grip.
  void SetFrame(const TRect &aGripRect, TSysMode aMode) {
    FGripRect = aGripRect;
    FSysMode = aMode;
  }

  bool Grip() const { return FGrip; }
  TColor Color() const { return FColor; }
  void SetColor(TColor aColor) { FColor = aColor; }
  TRect BoundsRect() const { return FBoundsRect; }
  TRect GrabRect() const { return GetGrabRect(); }
  int Tag() const { return FTag; }
  void SetTag(int aTag) { FTag = aTag; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool aValue) { FTransparent = aValue; }
  TGrabType Form() const { return FForm; }
  void SetForm(TGrabType aForm) { FForm = aForm; }
  TGrabMode Mode() const { return FMode; }
  void SetMode(TGrabMode aMode) { FMode = aMode; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor aCursor) { FCursor = aCursor; }
  TRealPoint Pos() const { return FPos; }

protected:
  bool FGrip = true;
  TColor FColor = clBlack;
  TRect FBoundsRect;
  int FTag = 0;
  bool FTransparent = false; // only the outline is drawn
  TGrabType FForm = TGrabType::gfNon;
  TGrabMode FMode;
  TCursor FCursor = crCross;
  TRealPoint FPos;
  TRect FGripRect = kAuthorGripRect;
  TSysMode FSysMode = smAuthor;
};

// A filled square (an outline when transparent).
class TRectGrab : public TGrab {
public:
  void Draw(TCanvas &aCanvas) override;
  // Inside the square; in presentation mode also up to 5 pixels outside.
  bool PtInGrab(int X, int Y) override;
};

// A circle.
class TCircleGrab : public TGrab {
public:
  void Draw(TCanvas &aCanvas) override;
  bool PtInGrab(int X, int Y) override;
};

// The two diagonals of the square.
class TCrossGrab : public TGrab {
public:
  void Draw(TCanvas &aCanvas) override;
  bool PtInGrab(int X, int Y) override;
};

// A frame of the object's size around its centre; never hit. The single
// grip of an object without grab points.
class TActionGrab : public TGrab {
public:
  explicit TActionGrab(TCommonObj *aObj);
  TRect GetGrabRect() const override { return FFrame; }
  void Draw(TCanvas &aCanvas) override;
  bool PtInGrab(int, int) override { return false; }
  // Keeps the frame's size and centres it on the point.
  void SetPos(TRealPoint Value) override;

private:
  TRect FFrame; // the frame around (0, 0)
};

// A grip the object draws and hit-tests itself (IOwnGrab).
class TOwnerGrab : public TGrab {
public:
  explicit TOwnerGrab(TCommonObj *aObj) : FObj(aObj) {}
  // The object's rectangle for the grip number; (0, 0, 0, 0) without
  // IOwnGrab.
  TRect GetGrabRect() const override;
  void Assign(const TGrab &aGrab) override;
  void Draw(TCanvas &aCanvas) override;
  bool PtInGrab(int X, int Y) override;

  TCommonObj *Obj() const { return FObj; }

private:
  TCommonObj *FObj;
};

// A grip set: a metafile picture of the grips of one object.
class TGripGrabs : public TSafetyMetafile {
public:
  // aOwner: the page surface the grips are shown on.
  TGripGrabs(TBaseWindow *aOwner, TSysMode aMode);
  ~TGripGrabs() override;
  TGripGrabs(const TGripGrabs &) = delete;
  TGripGrabs &operator=(const TGripGrabs &) = delete;

  // ---- Virtual operations ----
  // Draws every grip (and what the set adds) onto aCanvas.
  virtual void DrawGrabs(TCanvas &aCanvas) = 0;
  // Shows the grips of aObj (also clears the active grip).
  virtual void SetOwnObj(TCommonObj *Value);
  // Whether presentation grips are drawn small.
  virtual bool SmallGrabs() const { return false; }
  // Builds the grips of aObj at the points aRect, in the forms the object
  // asks for, and records them.
  virtual void CreateGrab(TCommonObj *aObj, const TGrabRect &aRect, bool aTransparent);
  // Records the grips into the set's metafile and makes them visible.
  virtual void Show();
  // The grip nearest (X, Y) among those strictly closer than aRange; of
  // equal distances the later one; null when none.
  virtual TGrab *NearGrab(int X, int Y, double aRange);
  // The topmost grip under (X, Y) (tested from the last); null when none.
  virtual TGrab *PtInGrab(int X, int Y);

  // ---- Operations ----
  // Forgets the object and hides the grips.
  void Clear();
  // Frees all grips.
  void ClearGrab();
  void HideGrab();
  // Reads the grab points of the object again, moves the grips there and
  // records them.
  void Refresh();
  // The union of all grip rectangles (unchanged without grips).
  void SetClipRect();
  // Invalidates the clip rectangle on the page surface.
  void Invalidate(bool aEraseBack);
  // The grips' points; setting moves the grips.
  TGrabRect GrabBounds() const;
  void SetGrabBounds(const TGrabRect &aPoints);
  // Grip aNo; null outside the range.
  TGrab *GetGrab(int aNo) const;
  static TColor GetGrabColor(int pNo);
  // Replays the recording at (0, 0) while the grips are visible.
  void Paint(TCanvas &aCanvas) const;

  // ---- Properties ----
  TSysMode SysMode() const { return FSysMode; }
  TGrab *ActiveGrab() const { return FActiveGrab; }
  // Every other grip is drawn as an outline while a grip is active (null:
  // every grip outlined).
  void SetActiveGrab(TGrab *Value);
  TAdsorb__ *Adsorb() const { return FAdsorb.get(); }
  TCommonObj *OwnObj() const { return FObj; }
  int Count() const { return int(FObjGrabs.size()); }
  TRect ClipRect() const { return FClipRect; }
  bool Visible() const { return FVisible; }
  TBaseWindow *BaseControl() const { return FBaseControl; }
  // The grip square chosen by the last CreateGrab.
  TRect GripRect() const { return FGripRect; }

protected:
  // Frees grip i, forgetting it when it is the active one.
  void DeleteGrab(size_t i);

  TSysMode FSysMode;
  TGrab *FActiveGrab = nullptr;
  std::unique_ptr<TAdsorb__> FAdsorb;
  TCommonObj *FObj = nullptr;
  std::vector<std::unique_ptr<TGrab>> FObjGrabs;
  TRect FClipRect;
  bool FVisible = false;
  TBaseWindow *FBaseControl;
  // Chosen by the set's mode at every CreateGrab. Each set keeps its own,
  // so that a set of small grips and one of large grips can live together.
  TRect FGripRect = kAuthorGripRect;
};

// The grips of the plain mouse handler.
class TGrabs : public TGripGrabs {
public:
  using TGripGrabs::TGripGrabs;
  void DrawGrabs(TCanvas &aCanvas) override;
};

// The grips of the author handler, with the author snapper; they also show
// the object's link lines.
class TAuthorGrabs : public TGripGrabs {
public:
  TAuthorGrabs(TBaseWindow *aOwner, TSysMode aMode);
  // Invalidates the old area and the new one.
  void CreateGrab(TCommonObj *aObj, const TGrabRect &aRect, bool aTransparent) override;
  // Every grip, then the link lines of the object (or, for a text
  // composite, of its members that have linked objects); their area joins
  // the clip rectangle, which is invalidated.
  void DrawGrabs(TCanvas &aCanvas) override;

  // The object's index in the root composite's pool (its paint order) when
  // tracked in a multi-selection; -1 when it has none.
  int FIdx = -1;
};

} // namespace lumora
