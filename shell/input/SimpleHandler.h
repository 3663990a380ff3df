#pragma once
// The plain mouse handler and its ready-made states (idle, create, one
// object, grip drag, eyedropper, paint bucket), which are also the bases of
// the author, presentation and editing-board states.
#include "shell/input/Drag.h"
#include "shell/input/MouseEvents.h"
#include "shell/input/MouseHandler.h"

namespace lumora {

class TGrab;

class TSimpleHandler : public TMouseEventHandler {
  Q_OBJECT
public:
  using TMouseEventHandler::TMouseEventHandler;
  ~TSimpleHandler() override;

  // Takes the page window over (making context, snapper of the system
  // object), fills the class table, makes the grips, the drag and the
  // idle state.
  void Construct(TMouseEventHandler *aHandler) override;
  void CreateEvent(TEventClass aEvent, TCommonObj *aObj) override;
  void CreateEvent(TAction *, TObjMode) override {}
  void CreateNormalEvent() override {}
  void PaintGrab(TCanvas &aCanvas) override;
  void ClearActive() override;
  void ObjectCopy(bool) override {}
  void ObjectPaste() override {}
  void ObjectTextTablePaste() override {}
  void ObjectGroup() override {}
  void OnPropertyDestroy() override {}

  // The one-object state when an object is selected, else none.
  TEventClass TakeObjEventClass() const;

  // The press protocol: IsContinue; else the class from the mode, a grip
  // (more than one shown) or the object under the point; the control's own
  // press processing (the state's hook) runs last in any case.
  void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  // The state's release, then the successor it names.
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
};

// Idle: no selection; a press starts a rubber band.
class TEmptylEvent : public TCustomObjEvent {
  LUMORA_EVENT(TEmptylEvent, TCustomObjEvent)
public:
  void MouseDown(TMouseButton, TShiftState, int, int) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton, TShiftState, int, int) override;
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }
  bool CanCoat() override { return false; }

protected:
  TEmptylEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  int FDelayCount = 0;
};

// One object selected: its grips shown; pressed, held and dragged.
class TTakeObjEvent : public TCustomObjEvent {
  LUMORA_EVENT(TTakeObjEvent, TCustomObjEvent)
public:
  ~TTakeObjEvent() override;
  void ChangeObj(TCommonObj *aObj) override;
  void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }
  void RemoveObj() override;
  bool CanCoat() override;

protected:
  TTakeObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
};

// Places the palette's choice at the release.
class TCreateObjEvent : public TCustomObjEvent {
  LUMORA_EVENT(TCreateObjEvent, TCustomObjEvent)
public:
  void MouseDown(TMouseButton, TShiftState, int, int) override {}
  void MouseMove(TShiftState, int, int) override {}
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }
  bool CanCoat() override { return false; }
  TEventClass ChangeClass() override;
  void ChangeObj(TCommonObj *aObj) override;

protected:
  TCreateObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
};

// Drags one grip: resizes or rotates the object, or deletes a point.
class TGrabEvent : public TCustomGrabEvent {
  LUMORA_EVENT(TGrabEvent, TCustomGrabEvent)
public:
  void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) override;
  // Goes on while a grip lies under the point.
  bool IsContinue(TMouseEventHandler *aHandler, TShiftState, int X, int Y) override;
  void RemoveObj() override;

protected:
  TGrabEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  bool FAdsorbGrab = false;
  bool FMouseDown = false;
  TGrab *FGrab = nullptr;
};

// The eyedropper: a press takes the colour under it into the colour
// sample while the eyedropper button is down.
class TSpoitEvent : public TCustomEvent {
  LUMORA_EVENT(TSpoitEvent, TCustomEvent)
public:
  ~TSpoitEvent() override;
  void MouseDown(TMouseButton, TShiftState, int, int) override {}
  void MouseUp(TMouseButton, TShiftState, int, int) override {}
  void MouseMove(TShiftState, int, int) override {}
  bool IsContinue(TMouseEventHandler *aHandler, TShiftState, int X, int Y) override;

protected:
  TSpoitEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
};

// The paint bucket's base: a press on a coatable object colours it.
class TCoatingEvent : public TCustomObjEvent {
  LUMORA_ABSTRACT_EVENT(TCoatingEvent, TCustomObjEvent)
public:
  ~TCoatingEvent() override;
  void ChangeObj(TCommonObj *aObj) override;
  void MouseDown(TMouseButton, TShiftState, int, int) override;
  void MouseMove(TShiftState aShift, int X, int Y) override;
  void MouseUp(TMouseButton, TShiftState, int X, int Y) override;
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }
  virtual bool IsCoatable(int X, int Y, TCommonObj *aObj) = 0;
  virtual void DoCoating(int X, int Y) = 0;

protected:
  TCoatingEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
};

// The base of the states that work on several selected objects. The
// concrete state makes its tracker (of the handler's base control) and
// hands it over here.
class TCustomMultiObjEvent : public TCustomEvent {
  LUMORA_ABSTRACT_EVENT(TCustomMultiObjEvent, TCustomEvent)
public:
  ~TCustomMultiObjEvent() override;
  TMultiTrac *MultiTrac() const { return FMultiTrac.get(); }

protected:
  // Selects several: the object selected so far (when it is not aObj)
  // joins the tracker, which then works on all objects; the handler's
  // single selection is dropped.
  TCustomMultiObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj,
                       std::unique_ptr<TMultiTrac> aMultiTrac);
  // The same with no object, then the objects of aList (after a paste of
  // several).
  TCustomMultiObjEvent(TMouseEventHandler *aOwner, TCustomCompo *aList,
                       std::unique_ptr<TMultiTrac> aMultiTrac);

  std::unique_ptr<TMultiTrac> FMultiTrac;
};

} // namespace lumora
