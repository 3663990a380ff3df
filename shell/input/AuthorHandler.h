#pragma once
// The author window's mouse handler and its states: selecting, moving with
// snapping and Ctrl+drag copies, the rubber-band multi-selection, creating
// objects by a click or by drawing them out, the paint bucket and the
// eyedropper, linking objects, the property box opened by Alt+click or the
// property button, and copy and paste through the object clipboard. Every
// edit records its entry on the author undo stack.
#include <QPoint>
#include <memory>

#include "core/geometry/Geometry.h"
#include "shell/input/SimpleHandler.h"

namespace lumora {

class TAbPropServ;
class TCopier;
class TPropertyEvent;

// The drag-copy cursor's slot, shown while a Ctrl+drag would copy.
inline constexpr TCursor crDragCopy = -23;

class TAuthorHandler : public TMouseEventHandler {
  Q_OBJECT
public:
  TAuthorHandler(QWidget *aOwner, TBaseWindow *aBase, TRootObj aObjList);
  ~TAuthorHandler() override;

  // The making context, the class table, the new-object request, the
  // author grips and drag, the null state and a copier (which takes over
  // the copied records of aHandler's copier when one is given).
  void Construct(TMouseEventHandler *aHandler) override;
  void CreateNullEvent() override;
  // A property-state class makes the held property state and opens its
  // box; any other class first drops a held property state.
  void CreateEvent(TEventClass aEvent, TCommonObj *aObj) override;
  // A mode change from a mode button.
  void CreateEvent(TAction *aAction, TObjMode aObjMode) override;
  void CreateNormalEvent() override;
  void PaintGrab(TCanvas &aCanvas) override;
  void ClearActive() override;
  // Copies (or cuts) the selected object, or the multi-selection.
  void ObjectCopy(bool aCut) override;
  void ObjectPaste() override;
  void ObjectTextTablePaste() override;
  // Makes a user part named by its maker; it is not placed on the page.
  void ObjectGroup() override;
  // The property box has closed: the held property state goes.
  void OnPropertyDestroy() override;
  // Whether the copier holds at least one object.
  bool HasClipData();

  // The press: right button, property check, IsContinue, the class by
  // mode and what lies under the point, focus, the state's own press.
  void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  // The state's release, the paste position, the successor.
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;

  TCopier *Copier() const { return FCopier.get(); }
  TPropertyEvent *PropertyEvent() const { return FPropertyEvent.get(); }
  // The property box's server; null while no box is open.
  TAbPropServ *PropServ() const { return FPropbserv.get(); }
  // Opens the property box for aObj (the tracked objects while a
  // multi-selection is current), replacing a box already open.
  void OpenPropBox(TCommonObj *aObj);
  void ClosePropBox();

  // The last object made by ObjectGroup (not on any page).
  TCommonObj *GroupObj() const { return FGroupObj.get(); }

protected:
  std::unique_ptr<TCopier> FCopier;
  std::unique_ptr<TPropertyEvent> FPropertyEvent;
  std::unique_ptr<TAbPropServ> FPropbserv;
  std::unique_ptr<TCommonObj> FGroupObj;
  int FBoxSerial = 0;

private:
  // Frees a held property state.
  void DropPropertyEvent();
  // A pasted object onto the page: re-made when see-through, selected and
  // recorded as a creation.
  void PlacePasted(TCustomCompo *aRoot, std::unique_ptr<TCommonObj> aObj);
  // The press steps after the right button; true when the press ends.
  bool PropertyPress(TShiftState aShift, int X, int Y);
  void ChooseNext(TShiftState aShift, int X, int Y);
};

// An empty press: the rubber band.
class TNormalEvent : public TCustomEvent {
  LUMORA_EVENT(TNormalEvent, TCustomEvent)
public:
  void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }
  // The multi-selection for a band over 1 pixel both ways.
  TEventClass ChangeClass() override;
  TEventMakerClass EventMaker() override;
  void GetObjList(TObjList &aList) override { aList.clear(); }

  const TRect &Band() const { return FRectBand; }
  // Whether the band shows.
  bool Banding() const;
  // Paints the band over the page.
  void PaintBand(TCanvas &aCanvas) const;

protected:
  TNormalEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  // Shows the band at its present corners (the page is painted again where
  // it was and where it is).
  void InvalidateBand() const;

  int FDelayCount = 0;
  TRect FRectBand;
};

// Builds the multi-selection from the rubber band.
class TNormalEventMaker : public TMouseEventMaker {
public:
  static std::unique_ptr<TEventMaker> Make(TMouseEventHandler *aHandler, TEventClass aEvent,
                                           TCommonObj *aObj);
  TNormalEventMaker(TMouseEventHandler *aHandler, TEventClass aEvent, TCommonObj *aObj);
  std::unique_ptr<TCustomEvent> ConstructEvent() override;

private:
  TEventClass FAsked;
};

// One object: moved with snapping, copied by a Ctrl+drag.
class TAuthorObjEvent : public TTakeObjEvent {
  LUMORA_EVENT(TAuthorObjEvent, TTakeObjEvent)
public:
  bool IsContinue(TMouseEventHandler *, TShiftState aShift, int, int) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  TEventClass ChangeClass() override { return FChangeClass; }
  int DragCount() const { return FDragCount; }

protected:
  TAuthorObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  int FDragCount = 0;
  TEventClass FChangeClass = nullptr;
};

// A text object's state: a double click starts editing its text.
class TEditorObjEvent : public TAuthorObjEvent {
  LUMORA_EVENT(TEditorObjEvent, TAuthorObjEvent)
public:
  void DblClick() override;

protected:
  TEditorObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
};

// Several objects: toggled with Ctrl, moved together, copied with Ctrl.
class TMultiObjEvent : public TCustomMultiObjEvent {
  LUMORA_EVENT(TMultiObjEvent, TCustomMultiObjEvent)
public:
  // A multi-selection over the objects of aList (after a paste or a band).
  static std::unique_ptr<TCustomEvent> OverList(TMouseEventHandler *aOwner, TCustomCompo *aList);

  bool IsContinue(TMouseEventHandler *, TShiftState aShift, int X, int Y) override;
  void ChangeObj(TCommonObj *aObj) override { FObj = aObj; }
  void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  TEventClass ChangeClass() override;
  void ResetObj() override;
  void GetObjList(TObjList &aList) override;
  void RemoveObj() override;

protected:
  TMultiObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  TMultiObjEvent(TMouseEventHandler *aOwner, TCustomCompo *aList);
  // Whether a move drags the selection (from the second move).
  bool CanDrag(TShiftState aShift);
  // Applies a move of the selection.
  void CloseDrag();

  QPoint FOpenPos;
  int FDragCount = 0;
  bool FChangeClass = false;
};

// Creation of the palette's choice: placed by a click, or drawn out.
class TCreate2Event : public TCustomObjEvent {
  LUMORA_EVENT(TCreate2Event, TCustomObjEvent)
public:
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override;
  void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  TEventClass ChangeClass() override;
  bool CanCoat() override { return false; }

  int CreateNo = 0;
  bool CreateNext = false;

protected:
  TCreate2Event(TMouseEventHandler *aOwner, TCommonObj *aObj);
  // Opens the drag with the first drag point at the press point.
  void PrepareDrag();
  // Ends the creation: the object placed, active and recorded.
  void Placed();
  // The three ways.
  void ComplexMove(TShiftState, int X, int Y);
  void ComplexUp(TMouseButton, TShiftState, int X, int Y);
  void ClickedDown(TMouseButton, TShiftState, int X, int Y);
  void ClickedMove(TShiftState, int X, int Y);
  void ClickedUp(TMouseButton, TShiftState, int X, int Y);
  void DrawOutMove(TShiftState aShift, int X, int Y);
  void DrawOutUp(TMouseButton aButton, TShiftState, int X, int Y);

  int FDragCount = 0;
  TRealPoint FOpenDiff;
  bool FDrawingOut = false;
};

// The paint bucket of the author page.
class TDeCoatingEvent : public TCoatingEvent {
  LUMORA_EVENT(TDeCoatingEvent, TCoatingEvent)
public:
  bool IsCoatable(int X, int Y, TCommonObj *aObj) override;
  void DoCoating(int X, int Y) override;
  bool CanCoat() override { return true; }

protected:
  TDeCoatingEvent(TMouseEventHandler *aOwner, TCommonObj *aObj) : TCoatingEvent(aOwner, aObj) {}
};

// The eyedropper of the author page.
class TDeSpoitEvent : public TSpoitEvent {
  LUMORA_EVENT(TDeSpoitEvent, TSpoitEvent)
protected:
  TDeSpoitEvent(TMouseEventHandler *aOwner, TCommonObj *aObj) : TSpoitEvent(aOwner, aObj) {}
};

// Link mode: a press picks the source, a release on another object links
// it, with the rubber link line between.
class TLinkEvent : public TCustomObjEvent {
  LUMORA_EVENT(TLinkEvent, TCustomObjEvent)
public:
  ~TLinkEvent() override;
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override;
  void ChangeObj(TCommonObj *aObj) override;
  void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  TEventClass ChangeClass() override { return FChangeClass; }
  bool CanCoat() override { return false; }

  TCommonObj *Source() const { return FObj; }
  // Paints the rubber link line over the page while it shows.
  void PaintLinkLine(TCanvas &aCanvas) const;

protected:
  TLinkEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  // The rubber line to (X, Y); a negative point only takes it away.
  void DragLinkLine(int X, int Y);
  void RestartLine(int X, int Y);
  void EndLink(TCommonObj *aTarget);
  TRect LineArea() const;

  TEventClass FChangeClass = nullptr;
  QPoint FLinkPos{-1, -1};
};

// Property mode, held beside the current state: presses open the property
// box of the object under them.
class TPropertyEvent : public TCustomEvent {
  LUMORA_EVENT(TPropertyEvent, TCustomEvent)
public:
  ~TPropertyEvent() override;
  void MouseDown(TMouseButton, TShiftState, int, int) override {}
  void MouseUp(TMouseButton, TShiftState, int, int) override {}
  void MouseMove(TShiftState aShift, int X, int Y) override;
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }
  void ChangeObj(TCommonObj *aObj) override { FObj = aObj; }
  // Opens the box for the multi-selection or for the state's object
  // (guide lines have none).
  void OpenBox();

protected:
  TPropertyEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);

  TObjMode FSaveMode;
  std::function<void(TMouseButton, TShiftState, int, int)> FSaveDown;
  std::function<void(TShiftState, int, int)> FSaveMove;
  std::function<void(TMouseButton, TShiftState, int, int)> FSaveUp;
  std::function<void()> FSaveDbl;
};

} // namespace lumora
