#include "shell/input/MouseHandler.h"

#include <QGuiApplication>
#include <QMouseEvent>

#include "core/book/MetaBook.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CommonObj.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/ObjPool.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/system/Exception.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/MessageBox.h"
#include "shell/input/Adsorb.h"
#include "shell/input/Drag.h"
#include "shell/input/Grips.h"
#include "shell/input/MouseEvents.h"
#include "shell/input/PaletteChoice.h"

namespace lumora {

namespace {

void LoadCursors() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  LoadScreenCursor(crPen, "PENCUR", 2, 29);
  LoadScreenCursor(crSpoit, "SPOITCUR", 2, 29);
  LoadScreenCursor(crBrush, "BRUSHCUR", 3, 26);
  LoadScreenCursor(crHand, "HANDCUR", 16, 16);
  LoadScreenCursor(crRound, "ROUNDCUR", 16, 16);
}

} // namespace

TShiftState ShiftStateOf(Qt::KeyboardModifiers aModifiers, Qt::MouseButtons aButtons) {
  TShiftState shift;
  if (aModifiers & Qt::ShiftModifier) shift.Include(ssShift);
  if (aModifiers & Qt::AltModifier) shift.Include(ssAlt);
  if (aModifiers & Qt::ControlModifier) shift.Include(ssCtrl);
  if (aButtons & Qt::LeftButton) shift.Include(ssLeft);
  if (aButtons & Qt::RightButton) shift.Include(ssRight);
  if (aButtons & Qt::MiddleButton) shift.Include(ssMiddle);
  return shift;
}

TMouseEventHandler::TMouseEventHandler(QWidget *aOwner, TBaseWindow *aBase, TRootObj aObjList)
    : QWidget(aOwner), RootObj(std::move(aObjList)), FBaseControl(aOwner), FBase(aBase) {
  // A transparent control: the page under it paints itself, the handler
  // paints nothing of its own.
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_TranslucentBackground);
  setMouseTracking(true);
  resize(32, 32);
  if (aOwner) setGeometry(aOwner->rect());
  show();
  LoadCursors();
}

TMouseEventHandler::~TMouseEventHandler() {
  if (TSysContext::Started() && SysInfo().GrabHandle() == this) SysInfo().SetGrabHandle(nullptr);
  // The state, then the drag, then the grips.
  FMouseEvent.reset();
  FDrag.reset();
  FGripGrabs.reset();
}

void TMouseEventHandler::SetActiveObj(TCommonObj *aValue) {
  if (FGripGrabs && FGripGrabs->OwnObj() && FDrag) FDrag->Close(true);
  FObj = aValue;
  FActiveObj = aValue;
  if (aValue && FDrag) {
    FDrag->Open(aValue);
    FDrag->RefreshGrabs();
  }
}

TCommonObj *TMouseEventHandler::ParentUseObj(TCommonObj *) {
  return nullptr;
}

IAdsorbMap *TMouseEventHandler::Adsorb() {
  return FGripGrabs ? FGripGrabs->Adsorb() : nullptr;
}

void TMouseEventHandler::ClearGrips() {
  if (FGripGrabs) FGripGrabs->Clear();
}

TCommonObj *TMouseEventHandler::CreateObject(const QString &aClass, TCustomCompo *aPool) {
  std::unique_ptr<TCommonObj> made = ObjClassList().CreateObject(aClass);
  if (!made) return nullptr;
  if (FDrag) FDrag->Open(made.get());
  return aPool ? aPool->AddObj(std::move(made)) : nullptr;
}

void TMouseEventHandler::CreateNullEvent() {
  ChangeEvent(TNullEvent::StaticClass());
}

void TMouseEventHandler::ChangeEvent(TEventClass aEvent) {
  if (!aEvent) return;
  if (FMouseEvent && FMouseEvent->ClassType()->InheritsFrom(aEvent)) return;
  if (FMouseEvent) {
    if (FMouseEvent->OnDestroy) FMouseEvent->OnDestroy(this);
    FMouseEvent.reset();
  }
  try {
    FMouseEvent = aEvent->Create(this, FObj);
  } catch (...) {
    FMouseEvent = TNullEvent::StaticClass()->Create(this, nullptr);
    throw;
  }
  if (!FMouseEvent) FMouseEvent = TNullEvent::StaticClass()->Create(this, nullptr);
}

void TMouseEventHandler::SetMouseEvent(std::unique_ptr<TCustomEvent> aEvent) {
  FMouseEvent = std::move(aEvent);
}

std::unique_ptr<TCustomEvent> TMouseEventHandler::TakeMouseEvent() {
  return std::move(FMouseEvent);
}

void TMouseEventHandler::RunMaker(TEventClass aEvent, TCommonObj *aObj) {
  TEventMakerClass makerClass = FMouseEvent ? FMouseEvent->EventMaker() : &TMouseEventMaker::Make;
  std::unique_ptr<TEventMaker> maker = makerClass(this, aEvent, aObj);
  try {
    SetMouseEvent(maker->ConstructEvent());
  } catch (...) {
    // The old state may already be gone: the handler is never left
    // without a current state.
    if (!FMouseEvent) FMouseEvent = TNullEvent::StaticClass()->Create(this, nullptr);
    throw;
  }
  if (!FMouseEvent) FMouseEvent = TNullEvent::StaticClass()->Create(this, nullptr);
}

void TMouseEventHandler::SetCursor(TCursor aCursor) {
  FCursor = aCursor;
  setCursor(ScreenCursor(aCursor));
}

void TMouseEventHandler::ClearHooks() {
  OnMouseDown = nullptr;
  OnMouseMove = nullptr;
  OnMouseUp = nullptr;
  OnDblClick = nullptr;
}

void TMouseEventHandler::DoMouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  // A copy: the hook may replace itself while it runs.
  if (auto hook = OnMouseDown) hook(aButton, aShift, X, Y);
}

void TMouseEventHandler::DoMouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  if (auto hook = OnMouseUp) hook(aButton, aShift, X, Y);
}

void TMouseEventHandler::MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  DoMouseDown(aButton, aShift, X, Y);
}

void TMouseEventHandler::MouseMove(TShiftState aShift, int X, int Y) {
  if (auto hook = OnMouseMove) hook(aShift, X, Y);
}

void TMouseEventHandler::MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  DoMouseUp(aButton, aShift, X, Y);
}

void TMouseEventHandler::DblClick() {
  if (auto hook = OnDblClick) hook();
}

namespace {

TMouseButton ButtonOf(Qt::MouseButton aButton) {
  switch (aButton) {
  case Qt::RightButton:
    return mbRight;
  case Qt::MiddleButton:
    return mbMiddle;
  default:
    return mbLeft;
  }
}

} // namespace

// A failure inside a state ends that event and is shown once: it never
// leaves the Qt event loop.
template <class F> void TMouseEventHandler::Guarded(F aStep) {
  try {
    aStep();
  } catch (const Exception &e) {
    ShowHandlerMessage(e.Message());
  }
}

void TMouseEventHandler::ShowHandlerMessage(const QString &aText) {
  MessageBox().Show(aText, QGuiApplication::applicationDisplayName(), TMsgButtons::mbOK);
}

void TMouseEventHandler::mousePressEvent(QMouseEvent *aEvent) {
  const QPoint at = aEvent->position().toPoint();
  // The button pressed counts as held, as the platform reports it.
  const TShiftState shift = ShiftStateOf(aEvent->modifiers(), aEvent->buttons() | aEvent->button());
  Guarded([&] { MouseDown(ButtonOf(aEvent->button()), shift, at.x(), at.y()); });
}

void TMouseEventHandler::mouseMoveEvent(QMouseEvent *aEvent) {
  const QPoint at = aEvent->position().toPoint();
  Guarded([&] { MouseMove(ShiftStateOf(aEvent->modifiers(), aEvent->buttons()), at.x(), at.y()); });
}

void TMouseEventHandler::mouseReleaseEvent(QMouseEvent *aEvent) {
  const QPoint at = aEvent->position().toPoint();
  Guarded([&] {
    MouseUp(ButtonOf(aEvent->button()), ShiftStateOf(aEvent->modifiers(), aEvent->buttons()),
            at.x(), at.y());
  });
}

void TMouseEventHandler::mouseDoubleClickEvent(QMouseEvent *aEvent) {
  const QPoint at = aEvent->position().toPoint();
  TShiftState shift = ShiftStateOf(aEvent->modifiers(), aEvent->buttons() | aEvent->button());
  shift.Include(ssDouble);
  Guarded([&] {
    MouseDown(ButtonOf(aEvent->button()), shift, at.x(), at.y());
    DblClick();
  });
}

TCommonObj *TMouseEventHandler::MakeNewObj() {
  if (!TSysContext::Started()) return nullptr;
  const QString kind = SysInfo().SelectObj();
  const QString file = SysInfo().SelectedFile();
  if (kind.isEmpty() || file.isEmpty()) return nullptr;
  // One palette choice makes at most one object, whatever happens.
  struct Reset {
    ~Reset() { ErasePaletteChoice(); }
  } reset;
  TCommonObj *root = Root();
  if (kind == QStringLiteral("動画") && root && root->Pool()) {
    for (TCommonObj *child : *root->Pool())
      if (child && child != root && child->Param.ObjName == kind)
        throw Exception(QStringLiteral("動画は一つしか置けません。"));
  }
  if (kind == QStringLiteral("アニメーター")) {
    TMetaBook *book = CurrentBook();
    if (book && book->Count() > 0 && root == book->Pages(0))
      throw Exception(QStringLiteral("アニメは共通ページに置けません。"));
  }
  TCommonObj *made = CreateObject(kind, dynamic_cast<TCustomCompo *>(root));
  if (made) made->Data(QStringLiteral("ファイル名"), {QVariant(file)});
  return made;
}

} // namespace lumora
