#pragma once
// The mouse states' bases, the null state, the event makers that replace
// one state by the next (with the tray and linked-object rule) and the
// tray iterator they use.
#include <QPoint>
#include <functional>
#include <memory>

#include "core/book/Iterators.h"
#include "core/params/ObjTypes.h"
#include "core/support/InputTypes.h"
#include "core/system/SysInterfaces.h"
#include "platform/ui/Cursors.h"
#include "shell/input/EventClass.h"

namespace lumora {

class TCustomCompo;
class TDrag;
class TEventMaker;
class TMouseEventHandler;

// Makes the event maker for (handler, class to build, object).
using TEventMakerClass = std::unique_ptr<TEventMaker> (*)(TMouseEventHandler *aHandler,
                                                          TEventClass aEvent, TCommonObj *aObj);

// A tray, or a linked object that hands a newly built state its object.
class ITray {
public:
  virtual ~ITray() = default;
  // Initialises aEvent with the tray's object when it is the tray's own
  // state; leaves other states alone.
  virtual void AdoptEvent(TCustomEvent *aEvent) = 0;
};

class TCustomEvent {
public:
  static TEventClass StaticClass();
  virtual TEventClass ClassType() const { return StaticClass(); }

  // Clears the handler's four hooks.
  TCustomEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  virtual ~TCustomEvent();
  TCustomEvent(const TCustomEvent &) = delete;
  TCustomEvent &operator=(const TCustomEvent &) = delete;

  // Fired with the handler just before a maker frees the state.
  std::function<void(TMouseEventHandler *)> OnDestroy;

  TCommonObj *TergetObj() const { return FObj; }
  // Retargets the state (ChangeObj) when aObj differs.
  void SetTergetObj(TCommonObj *aObj);
  TMouseEventHandler *Handler() const { return FHandler; }

  // Retargets the state to another object: nothing in the base.
  virtual void ChangeObj(TCommonObj *aObj);
  virtual void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) = 0;
  virtual void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) = 0;
  virtual void MouseMove(TShiftState aShift, int X, int Y) = 0;
  virtual void DblClick() {}
  // Sets the handler's cursor for the point.
  virtual void UpdateCursor(int X, int Y, TShiftState aShift);
  // The successor after a release; null keeps the state.
  virtual TEventClass ChangeClass() { return nullptr; }
  virtual TEventMakerClass EventMaker();
  // Asked on every press before anything else: true keeps the state.
  virtual bool IsContinue(TMouseEventHandler *aHandler, TShiftState aShift, int X, int Y) = 0;
  // The root composite's hit at the point.
  virtual TCommonObj *SearchObj(int X, int Y, TSearch aKind);
  // crHandPoint over an object, else crDefault.
  virtual TCursor SearchCursor(int X, int Y, TSearch aKind);
  virtual void ResetObj() { FObj = nullptr; }
  // Deletes the state's object: nothing in the base.
  virtual void RemoveObj() {}
  virtual void GetObjList(TObjList &aList);

  // The state to use when a press lands on a grip of this state's object.
  TEventClass GrabEventClass = nullptr;

protected:
  // A state that leaves the handler's hooks as they are when it is made
  // and when it is freed (a state held beside the current one).
  struct TKeepHooks {};
  TCustomEvent(TMouseEventHandler *aOwner, TCommonObj *aObj, TKeepHooks);

  TGrabState GrabState() const;
  void SetGrabState(TGrabState aState);
  TObjMode ObjMode() const;
  void SetObjMode(TObjMode aMode);
  void SetCursor(TCursor aCursor);
  // Installs MouseDown, MouseMove and MouseUp as the handler's hooks and
  // clears its double-click hook.
  void InstallHooks();

  TCommonObj *FObj;
  TMouseEventHandler *FHandler;
  TDrag *FDrag;
  bool FClearHooksOnFree = true;
};

// The null state: no hooks, never goes on, no successor.
class TNullEvent : public TCustomEvent {
  LUMORA_EVENT(TNullEvent, TCustomEvent)
public:
  void MouseDown(TMouseButton, TShiftState, int, int) override {}
  void MouseUp(TMouseButton, TShiftState, int, int) override {}
  void MouseMove(TShiftState, int, int) override {}
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }

protected:
  TNullEvent(TMouseEventHandler *aOwner, TCommonObj *aObj) : TCustomEvent(aOwner, aObj) {}
};

// A state on one object: the press position and the handler's grab state,
// mode and cursor.
class TCustomObjEvent : public TCustomEvent {
  LUMORA_ABSTRACT_EVENT(TCustomObjEvent, TCustomEvent)
public:
  virtual bool CanCoat() = 0;
  // Places the state's object, newly made at the origin, centred on the
  // point, shows its grips and opens it.
  virtual void OpenAt(int X, int Y);

protected:
  // Installs the hooks.
  TCustomObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  QPoint FOpenPos;
};

// A state that drags a grip.
class TCustomGrabEvent : public TCustomEvent {
  LUMORA_ABSTRACT_EVENT(TCustomGrabEvent, TCustomEvent)
public:
  // The mode a grip under the point asks for (omRotate, omSizing or
  // omNon), with the cursor to match; omNon with the left button up.
  virtual TObjMode CheckGrab(TObjMode aObjMode, int X, TShiftState aShift, int Y);

protected:
  TCustomGrabEvent(TMouseEventHandler *aOwner, TCommonObj *aObj);
  QPoint FOpenPos;
};

// Lives for one state change: the handler makes it, asks ConstructEvent
// and frees it.
class TEventMaker {
public:
  virtual ~TEventMaker() = default;
  // The state to make current: the current one when nothing is to change.
  virtual std::unique_ptr<TCustomEvent> ConstructEvent() = 0;
};

class TMouseEventMaker : public TEventMaker {
public:
  static std::unique_ptr<TEventMaker> Make(TMouseEventHandler *aHandler, TEventClass aEvent,
                                           TCommonObj *aObj);
  // Resolves the class: the object's own state, else the linked-object
  // rule; the current state's class only retargets the current state.
  TMouseEventMaker(TMouseEventHandler *aHandler, TEventClass aEvent, TCommonObj *aObj);
  std::unique_ptr<TCustomEvent> ConstructEvent() override;
  // The class a tray or linked object supplies for aEvent.
  virtual TEventClass LinkedEventClass(TEventClass aEvent);

  TEventClass EventClass() const { return FEventClass; }
  TCommonObj *Tray() const { return FTray; }

protected:
  TMouseEventHandler *FHandler;
  TCommonObj *FObj;
  TEventClass FEventClass = nullptr;
  TCustomEvent *FMouseEvent;
  TCommonObj *FTray = nullptr;
};

// The objects of a page (descending into composites) that lie in a tray
// behind aObj: o linked both ways with a tray t that is a tray by its
// abilities and its kind, o drawable, and o painted before aObj.
class TTrayIterator : public TLmIterator {
public:
  TTrayIterator(TCustomCompo *aPage, TCommonObj *aObj);
  TCommonObj *StartObj() const { return FObj; }
  int StartPriority() const { return FPriority; }
  TCustomCompo *Page() const { return FPage; }

private:
  TCustomCompo *FPage;
  TCommonObj *FObj;
  int FPriority;
};

} // namespace lumora
