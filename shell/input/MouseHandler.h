#pragma once
// Mouse input on a page surface as a state machine. A TMouseEventHandler is
// a transparent control laid over the surface that paints the page; it
// holds exactly one current mouse state (a TCustomEvent). While a state is
// current its operations are installed as the handler's mouse hooks, so
// every press, move, release and double click goes straight to it. On each
// press the handler asks the state whether it goes on; if not, it picks the
// next state class from the editing mode and from what lies under the
// cursor, and an event maker frees the old state and builds the new one. On
// each release the state names its successor.
#include <QWidget>
#include <functional>
#include <memory>

#include "core/model/MakeInfo.h"
#include "core/params/ObjTypes.h"
#include "core/support/InputTypes.h"
#include "core/system/SysInterfaces.h"
#include "platform/ui/Cursors.h"
#include "shell/input/EventClass.h"

namespace lumora {

class TAction;
class TBaseWindow;
class TCanvas;
class TCustomCompo;
class TDrag;
class TGripGrabs;
class TP1Graphic;

// Cursor slots of the screen's cursor table that the states use.
inline constexpr TCursor crPen = 10;
inline constexpr TCursor crSpoit = 11;
inline constexpr TCursor crBrush = 12;
inline constexpr TCursor crHand = 13;
inline constexpr TCursor crRound = 14;

// Makes the object chosen in the palette, or answers null.
using TNewObjEvent = std::function<TCommonObj *()>;

class TMouseEventHandler : public QWidget, public IMouseHandler {
  Q_OBJECT
public:
  // Laid over aOwner (its parent and base control), filling its client
  // area; aBase is the same surface as the page window the makers report
  // to. Loads the cursors. Construct is called by the owner afterwards.
  TMouseEventHandler(QWidget *aOwner, TBaseWindow *aBase, TRootObj aObjList);
  ~TMouseEventHandler() override;

  // ---- IMouseHandler ----
  TGrabState GrabState() const override { return FGrabState; }
  void SetGrabState(TGrabState aState) override { FGrabState = aState; }
  TObjMode ObjMode() const override { return FObjMode; }
  void SetObjMode(TObjMode aMode) override { FObjMode = aMode; }
  TCommonObj *ActiveObj() const override { return FActiveObj; }
  // Finishes a drag still open on the grips' owner, then selects aValue:
  // the drag is opened on it and its grips shown.
  void SetActiveObj(TCommonObj *aValue) override;
  // The user part that encloses aObj: none here.
  TCommonObj *ParentUseObj(TCommonObj *aObj) override;
  IAdsorbMap *Adsorb() override;
  void ClearGrips() override;

  // Fills the state-class table, makes the grips, the drag and the first
  // state. aHandler is a handler being replaced.
  virtual void Construct(TMouseEventHandler *aHandler) = 0;
  // Makes an object of a kind name through the class registry, opens the
  // drag on it and adds it to aPool; null when the kind is unknown.
  virtual TCommonObj *CreateObject(const QString &aClass, TCustomCompo *aPool);
  virtual void CreateNullEvent();
  // Builds the next state through the current state's event maker; a null
  // class does nothing, a null object means the handler's FObj.
  virtual void CreateEvent(TEventClass aEvent, TCommonObj *aObj) = 0;
  // A mode change from a tool button.
  virtual void CreateEvent(TAction *aAction, TObjMode aObjMode) = 0;
  virtual void CreateNormalEvent() = 0;
  // Paints the grips (and a drag's rubber outline) over the page.
  virtual void PaintGrab(TCanvas &aCanvas) = 0;
  // Drops the selection.
  virtual void ClearActive() = 0;
  virtual void ObjectCopy(bool aCut) = 0;
  virtual void ObjectPaste() = 0;
  virtual void ObjectTextTablePaste() = 0;
  virtual void ObjectGroup() = 0;
  virtual void OnPropertyDestroy() = 0;

  // Makes a state of aEvent current, without an event maker and without
  // the tray rule; nothing when the current state already is of that class
  // or a subclass.
  void ChangeEvent(TEventClass aEvent);
  // The new-object request of an author handler: the palette's choice, at
  // most one object per choice (see the source).
  TCommonObj *MakeNewObj();

  // The current state, owned. Setting frees nothing: event makers free the
  // old state themselves.
  TCustomEvent *MouseEvent() const { return FMouseEvent.get(); }
  void SetMouseEvent(std::unique_ptr<TCustomEvent> aEvent);
  // Hands the current state over (an event maker frees or keeps it).
  std::unique_ptr<TCustomEvent> TakeMouseEvent();
  TGripGrabs *GripGrabs() const { return FGripGrabs.get(); }
  TDrag *Drag() const { return FDrag.get(); }
  TCommonObj *Obj() const { return FObj; }
  void SetObj(TCommonObj *aObj) { FObj = aObj; }
  TBaseWindow *BaseWindow() const { return FBase; }
  QWidget *BaseControl() const { return FBaseControl; }
  // The root composite: the page being edited.
  TCommonObj *Root() const { return RootObj ? RootObj() : nullptr; }
  // The cursor shown over the surface (a platform cursor or a slot).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor aCursor);

  // The mouse hooks: the current state's operations.
  std::function<void(TMouseButton, TShiftState, int, int)> OnMouseDown;
  std::function<void(TShiftState, int, int)> OnMouseMove;
  std::function<void(TMouseButton, TShiftState, int, int)> OnMouseUp;
  std::function<void()> OnDblClick;
  void ClearHooks();

  // The press, move, release and double click as the surface delivers
  // them; a concrete handler adds its protocol around the hooks.
  virtual void MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y);
  virtual void MouseMove(TShiftState aShift, int X, int Y);
  virtual void MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y);
  virtual void DblClick();

  // The state-class table; null means none.
  TEventClass Create1Class = nullptr;
  TEventClass Create2Class = nullptr;
  TEventClass NormalClass = nullptr;
  TEventClass CreateClass = nullptr;
  TEventClass TakeObjClass = nullptr;
  TEventClass MultiObjClass = nullptr;
  TEventClass CoatingClass = nullptr;
  TEventClass SpoitClass = nullptr;

  TNewObjEvent RequestNewObj;
  TRootObj RootObj;
  TAction *Action = nullptr;
  TP1Graphic *ColorSample = nullptr;
  std::function<void()> ShowPopupMenu;

protected:
  // Builds the next state for (aEvent, aObj) through the current state's
  // event maker; when that raises, a handler left without a state gets
  // the null state before the failure goes on.
  void RunMaker(TEventClass aEvent, TCommonObj *aObj);
  // Runs one input step; a failure is shown as one message.
  template <class F> void Guarded(F aStep);
  static void ShowHandlerMessage(const QString &aText);
  // The control's own press processing: fires OnMouseDown.
  void DoMouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y);
  void DoMouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y);

  // Qt's events become the press, move, release and double click here.
  void mousePressEvent(QMouseEvent *aEvent) override;
  void mouseMoveEvent(QMouseEvent *aEvent) override;
  void mouseReleaseEvent(QMouseEvent *aEvent) override;
  void mouseDoubleClickEvent(QMouseEvent *aEvent) override;
  void paintEvent(QPaintEvent *) override {}

  TGrabState FGrabState = gsNone;
  TObjMode FObjMode = omNon;
  TCommonObj *FObj = nullptr;
  TCommonObj *FActiveObj = nullptr;
  std::unique_ptr<TCustomEvent> FMouseEvent;
  std::unique_ptr<TGripGrabs> FGripGrabs;
  std::unique_ptr<TDrag> FDrag;
  QWidget *FBaseControl = nullptr;
  TBaseWindow *FBase = nullptr;
  TCursor FCursor = 0;
};

// The shift state of a Qt mouse event: modifiers and the buttons held.
TShiftState ShiftStateOf(Qt::KeyboardModifiers aModifiers, Qt::MouseButtons aButtons);

} // namespace lumora
