#include "shell/input/SimpleHandler.h"

#include <QImage>
#include <cmath>
#include <cstdlib>

#include "core/model/ClassRegistry.h"
#include "core/model/CommonObj.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/ui/Cursors.h"
#include "shell/controls/ButtonMediator.h"
#include "shell/controls/ColorPicker.h"
#include "shell/controls/P1Graphic.h"
#include "shell/input/Adsorb.h"
#include "shell/input/Drag.h"
#include "shell/input/Grips.h"
#include "shell/input/UndoHooks.h"

namespace lumora {

namespace {

TSysMode CurrentSysMode() {
  return TSysContext::Started() ? SysInfo().SysMode() : TMakeInfo2::Get().SysMode;
}

void RecordUndo(int aOperator, TCommonObj *aObj) {
  if (IAuthorUndo *undo = AuthorUndo()) undo->Add(aOperator, aObj);
}

} // namespace

// ---- TSimpleHandler ----

TSimpleHandler::~TSimpleHandler() {
  FMouseEvent.reset();
  FDrag.reset();
  FGripGrabs.reset();
}

void TSimpleHandler::Construct(TMouseEventHandler *) {
  TMakeInfo::Construct(FBase, FBase ? FBase->Canvas() : nullptr, this, RootObj);
  Create1Class = TCreateObjEvent::StaticClass();
  CreateClass = TCreateObjEvent::StaticClass();
  Create2Class = nullptr;
  MultiObjClass = nullptr;
  NormalClass = TEmptylEvent::StaticClass();
  TakeObjClass = TTakeObjEvent::StaticClass();
  FGripGrabs = std::make_unique<TGrabs>(FBase, CurrentSysMode());
  FDrag = std::make_unique<TObjDrag>(FGripGrabs.get(), RootObj);
  if (TSysContext::Started()) SysInfo().SetGrabHandle(this);
  ChangeEvent(TEmptylEvent::StaticClass());
  FGrabState = gsNormal;
}

void TSimpleHandler::CreateEvent(TEventClass aEvent, TCommonObj *aObj) {
  if (!aEvent) return;
  RunMaker(aEvent, aObj ? aObj : FObj);
}

TEventClass TSimpleHandler::TakeObjEventClass() const {
  return FActiveObj ? TakeObjClass : nullptr;
}

void TSimpleHandler::PaintGrab(TCanvas &aCanvas) {
  if (FGripGrabs && FGripGrabs->Visible()) FGripGrabs->Paint(aCanvas);
  if (FDrag) FDrag->PaintRubber(aCanvas);
  if (auto *multi = dynamic_cast<TCustomMultiObjEvent *>(FMouseEvent.get()))
    if (multi->MultiTrac()) multi->MultiTrac()->Paint(aCanvas);
}

void TSimpleHandler::ClearActive() {
  FActiveObj = nullptr;
  if (FMouseEvent) FMouseEvent->SetTergetObj(nullptr);
  if (FGripGrabs) FGripGrabs->Clear();
}

void TSimpleHandler::MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  // The state's own press runs last, also when choosing the next one
  // raised.
  struct Last {
    TSimpleHandler *self;
    TMouseButton button;
    TShiftState shift;
    int x, y;
    ~Last() noexcept(false) {
      if (std::uncaught_exceptions() == 0)
        self->DoMouseDown(button, shift, x, y);
      else
        try {
          self->DoMouseDown(button, shift, x, y);
        } catch (...) {
        }
    }
  } last{this, aButton, aShift, X, Y};
  if (FMouseEvent && FMouseEvent->IsContinue(this, aShift, X, Y)) return;
  TEventClass next = nullptr;
  if (FObjMode == omCreate) {
    next = CreateClass;
  } else if (FGripGrabs && FGripGrabs->Visible() && FGripGrabs->Count() > 1 &&
             FGripGrabs->PtInGrab(X, Y)) {
    FObj = FActiveObj;
    next = FMouseEvent ? FMouseEvent->GrabEventClass : nullptr;
  } else {
    TCommonObj *root = Root();
    FObj = root ? root->Search(TRealPoint{double(X), double(Y)}, k_noRock) : nullptr;
    if (FObj) {
      next = TakeObjClass;
    } else {
      FObjMode = omNon;
      next = NormalClass;
    }
  }
  if (next) CreateEvent(next, nullptr);
}

void TSimpleHandler::MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  DoMouseUp(aButton, aShift, X, Y);
  if (FMouseEvent) RunMaker(FMouseEvent->ChangeClass(), FObj);
}

// ---- TEmptylEvent ----

TEmptylEvent::TEmptylEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomObjEvent(aOwner, aObj) {
  FHandler->ClearActive();
  SetObjMode(omNon);
}

void TEmptylEvent::MouseDown(TMouseButton, TShiftState, int, int) {
  SetGrabState(gsRubber);
  FDelayCount = -2;
}

void TEmptylEvent::MouseMove(TShiftState, int X, int Y) {
  if (GrabState() == gsNormal) SetCursor(SearchCursor(X, Y, k_noRock));
}

void TEmptylEvent::MouseUp(TMouseButton, TShiftState, int, int) {
  SetGrabState(gsNormal);
}

// ---- TTakeObjEvent ----

TTakeObjEvent::TTakeObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomObjEvent(aOwner, aObj) {
  FHandler->SetActiveObj(aObj);
  SetGrabState(gsNormal);
  GrabEventClass = TGrabEvent::StaticClass();
}

TTakeObjEvent::~TTakeObjEvent() {
  if (FObj && FHandler) FHandler->SetGrabState(gsOpen);
}

void TTakeObjEvent::ChangeObj(TCommonObj *aObj) {
  if (!aObj) {
    SetGrabState(gsNormal);
    FObj = nullptr;
    FHandler->ClearHooks();
    return;
  }
  TGripGrabs *grips = FHandler->GripGrabs();
  if (aObj != FObj || (grips && grips->OwnObj() != aObj)) {
    FObj = aObj;
    FHandler->SetActiveObj(aObj);
    SetGrabState(gsNormal);
    return;
  }
  if (GrabState() != gsMoving && GrabState() != gsKeyin) SetGrabState(gsOpen);
}

void TTakeObjEvent::MouseDown(TMouseButton, TShiftState, int X, int Y) {
  if (!FObj || GrabState() == gsMoving) return;
  FOpenPos = {X, Y};
  if (GrabState() == gsNormal)
    SetGrabState(gsOpen);
  else if (GrabState() == gsOpen)
    SetGrabState(gsStandby);
}

void TTakeObjEvent::MouseMove(TShiftState aShift, int X, int Y) {
  switch (GrabState()) {
  case gsOpen:
    if (FDrag && FDrag->CanDrag(gsOpen, aShift)) SetGrabState(gsStandby);
    break;
  case gsStandby:
    if (FDrag && FDrag->CanDrag(gsStandby, aShift)) SetGrabState(gsMoving);
    break;
  case gsMoving: {
    int dx = X - FOpenPos.x(), dy = Y - FOpenPos.y();
    if (aShift.Contains(ssShift)) {
      // One axis only: the larger move; equal moves keep the horizontal.
      if (std::abs(dx) < std::abs(dy))
        dx = 0;
      else
        dy = 0;
    }
    if (FDrag) FDrag->DragDraw(FDrag->OffsetGrabs(QPoint(dx, dy)));
    break;
  }
  case gsNormal:
  case gsKeyin:
  case gsCoating:
    break;
  default:
    return;
  }
  UpdateCursor(X, Y, aShift);
}

void TTakeObjEvent::MouseUp(TMouseButton, TShiftState, int, int) {
  if (GrabState() == gsStandby) {
    SetGrabState(gsOpen);
  } else if (GrabState() == gsMoving) {
    RecordUndo(kUndoMove, FObj);
    SetCursor(crDefault);
    if (FDrag) {
      FDrag->Close(true);
      FDrag->RefreshGrabs();
    }
    SetGrabState(gsOpen);
    SetObjMode(omNon);
  }
}

void TTakeObjEvent::RemoveObj() {
  if (!FObj) return;
  if (CurrentSysMode() == smAuthor)
    RecordUndo(kUndoDelete, FObj);
  else if (IExecUndo *undo = ExecUndo())
    undo->Remove(FObj, false);
  TCommonObj *gone = FObj;
  FObj = nullptr;
  FHandler->SetActiveObj(nullptr);
  FHandler->ClearActive();
  if (FDrag) FDrag->RemoveObj(gone);
  FHandler->update();
}

bool TTakeObjEvent::CanCoat() {
  if (!TSysContext::Started() || SysInfo().ObjMode() != omCoating || !FObj) return false;
  const TFormType form = FObj->ObjInfo().FormType;
  return form.Contains(otSurface) && !form.Contains(otStamp);
}

// ---- TCreateObjEvent ----

TCreateObjEvent::TCreateObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomObjEvent(aOwner, aObj) {
  // Only the release places the object.
  FHandler->OnMouseDown = nullptr;
  FHandler->OnMouseMove = nullptr;
}

void TCreateObjEvent::MouseUp(TMouseButton, TShiftState, int X, int Y) {
  SetObjMode(omNon);
  FObj = FHandler->RequestNewObj ? FHandler->RequestNewObj() : nullptr;
  if (!FObj) return;
  if (Supports<IRepresent>(FObj)) {
    OpenAt(X, Y);
  } else {
    FObj->ReMake();
    FObj->Move(TRealPoint{double(X), double(Y)}, nullptr, false);
  }
  RecordUndo(kUndoCreate, FObj);
  TCommonObj *made = FObj;
  ChangeObj(nullptr);
  FHandler->SetObj(made);
  FHandler->SetActiveObj(made);
}

void TCreateObjEvent::ChangeObj(TCommonObj *aObj) {
  if (aObj) return;
  FObj = nullptr;
  SetGrabState(gsNormal);
  FHandler->ClearHooks();
}

TEventClass TCreateObjEvent::ChangeClass() {
  auto *simple = dynamic_cast<TSimpleHandler *>(FHandler);
  return simple ? simple->TakeObjEventClass() : nullptr;
}

// ---- TGrabEvent ----

TGrabEvent::TGrabEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomGrabEvent(aOwner, aObj) {}

bool TGrabEvent::IsContinue(TMouseEventHandler *aHandler, TShiftState, int X, int Y) {
  TGripGrabs *grips = aHandler->GripGrabs();
  return grips && grips->Visible() && grips->PtInGrab(X, Y);
}

void TGrabEvent::MouseDown(TMouseButton, TShiftState aShift, int X, int Y) {
  FMouseDown = true;
  TGripGrabs *grips = FHandler->GripGrabs();
  FGrab = grips ? grips->PtInGrab(X, Y) : nullptr;
  if (!FGrab) return;
  IRepresent *represent = Supports<IRepresent>(FObj);
  if (aShift.Contains(ssAlt) && aShift.Contains(ssCtrl) && represent) {
    RecordUndo(kUndoEdit, FObj);
    if (represent->DelPoint(FGrab->Tag())) {
      if (FDrag) {
        FDrag->PolygonToGrab();
        FDrag->RefreshGrabs();
      }
      FGrab = nullptr;
    } else if (IAuthorUndo *undo = AuthorUndo()) {
      undo->RemoveTop(kUndoEdit, FObj);
    }
    FAdsorbGrab = false;
  } else {
    FAdsorbGrab = true;
  }
  SetGrabState(gsOpen);
  FOpenPos = {X, Y};
  if (FDrag) FDrag->PolygonToGrab();
  if (FGrab && grips) {
    grips->SetActiveGrab(FGrab);
    grips->Refresh();
  }
}

void TGrabEvent::MouseMove(TShiftState aShift, int X, int Y) {
  if (!FGrab) return;
  if (!FMouseDown) {
    UpdateCursor(X, Y, aShift);
    return;
  }
  const TObjMode sysMode = TSysContext::Started() ? SysInfo().ObjMode() : omNon;
  const TObjMode mode = CheckGrab(sysMode, X, aShift, Y);
  if (mode == omNon) return;
  RecordUndo(kUndoEdit, FObj);
  if (!FDrag) return;
  const TRealPoint offset = FDrag->Adjust(
      FGrab->Tag(), TRealPoint{double(X - FOpenPos.x()), double(Y - FOpenPos.y())}, aShift);
  if (std::fabs(offset.rx) < 0.1 && std::fabs(offset.ry) < 0.1) return;
  FAdsorbGrab = false;
  if (mode == omRotate) {
    if (FObj && FObj->ICan(atShow)) FDrag->Rotate(FGrab->Tag(), offset);
  } else if (mode == omSizing) {
    FDrag->Sizzing(FGrab->Tag(), offset);
  }
}

void TGrabEvent::MouseUp(TMouseButton, TShiftState, int, int) {
  if (FObj && FObj->Param.ObjName == QStringLiteral("時計")) RecordUndo(kUndoClock, FObj);
  if (FDrag) {
    FDrag->Close(true);
    FDrag->RefreshGrabs();
  }
  FMouseDown = false;
}

void TGrabEvent::RemoveObj() {
  if (!FObj) return;
  RecordUndo(kUndoDelete, FObj);
  TCommonObj *gone = FObj;
  FObj = nullptr;
  FHandler->SetActiveObj(nullptr);
  if (FDrag) FDrag->RemoveObj(gone);
  FHandler->ClearActive();
  FHandler->update();
}

// ---- TSpoitEvent ----

TSpoitEvent::TSpoitEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomEvent(aOwner, aObj) {
  SetCursor(crSpoit);
}

TSpoitEvent::~TSpoitEvent() {
  if (!FHandler) return;
  FHandler->SetGrabState(gsNormal);
  FHandler->SetCursor(crDefault);
}

bool TSpoitEvent::IsContinue(TMouseEventHandler *aHandler, TShiftState, int X, int Y) {
  if (!TSysContext::Started() || !SysInfo().BtnMediator || !SysInfo().BtnMediator->IsMode(omSpoit))
    return false;
  TBaseWindow *base = aHandler->BaseWindow();
  TCanvas *canvas = base ? base->Canvas() : nullptr;
  if (canvas && aHandler->ColorSample) {
    canvas->End();
    if (auto *image = dynamic_cast<QImage *>(canvas->Device());
        image && image->rect().contains(X, Y))
      aHandler->ColorSample->SetBackColor(FromQColor(image->pixelColor(X, Y)));
  }
  if (TColorPicker *picker = TColorPicker::Current()) picker->GradPalette();
  return true;
}

// ---- TCoatingEvent ----

TCoatingEvent::TCoatingEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomObjEvent(aOwner, aObj) {
  if (GrabState() != gsOpen) SetGrabState(gsNormal);
  FHandler->ClearActive();
  FObj = aObj;
}

TCoatingEvent::~TCoatingEvent() {
  if (FHandler) FHandler->SetGrabState(gsNormal);
}

void TCoatingEvent::ChangeObj(TCommonObj *aObj) {
  if (!aObj) return;
  if (aObj == FObj) {
    SetGrabState(gsOpen);
    return;
  }
  FObj = aObj;
  FHandler->ClearActive();
  SetGrabState(gsNormal);
}

void TCoatingEvent::MouseDown(TMouseButton, TShiftState, int, int) {
  if (FObj) SetGrabState(gsCoating);
}

void TCoatingEvent::MouseMove(TShiftState aShift, int X, int Y) {
  if (IsCoatable(X, Y, nullptr))
    SetCursor(crBrush);
  else
    UpdateCursor(X, Y, aShift);
}

void TCoatingEvent::MouseUp(TMouseButton, TShiftState, int X, int Y) {
  if (GrabState() == gsCoating && IsCoatable(X, Y, FObj)) DoCoating(X, Y);
}

// ---- TCustomMultiObjEvent ----

TCustomMultiObjEvent::TCustomMultiObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj,
                                           std::unique_ptr<TMultiTrac> aMultiTrac)
    : TCustomEvent(aOwner, aObj), FMultiTrac(std::move(aMultiTrac)) {
  SetGrabState(gsMultiSelect);
  GrabEventClass = TGrabEvent::StaticClass();
  InstallHooks();
  OnDestroy = [this](TMouseEventHandler *aHandler) {
    if (FMultiTrac && aHandler->BaseWindow())
      aHandler->BaseWindow()->InvalidateOverlay(FMultiTrac->ClipRect());
  };
  if (!aObj) return;
  TCommonObj *active = FHandler->ActiveObj();
  if (active && active != aObj && FMultiTrac) {
    FMultiTrac->AddObj(active, FHandler);
    FMultiTrac->AltMode(0);
  }
  FHandler->SetActiveObj(nullptr);
}

TCustomMultiObjEvent::TCustomMultiObjEvent(TMouseEventHandler *aOwner, TCustomCompo *aList,
                                           std::unique_ptr<TMultiTrac> aMultiTrac)
    : TCustomMultiObjEvent(aOwner, static_cast<TCommonObj *>(nullptr), std::move(aMultiTrac)) {
  if (FMultiTrac && aList) FMultiTrac->Add(aList);
}

TCustomMultiObjEvent::~TCustomMultiObjEvent() = default;

} // namespace lumora
