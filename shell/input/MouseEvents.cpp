#include "shell/input/MouseEvents.h"

#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/ui/Cursors.h"
#include "shell/controls/ButtonMediator.h"
#include "shell/input/Drag.h"
#include "shell/input/Grips.h"
#include "shell/input/MouseHandler.h"

namespace lumora {

namespace {

bool MediatorIn(TObjMode aMode) {
  return TSysContext::Started() && SysInfo().BtnMediator && SysInfo().BtnMediator->IsMode(aMode);
}

TSysMode CurrentSysMode() {
  return TSysContext::Started() ? SysInfo().SysMode() : TMakeInfo2::Get().SysMode;
}

// The grip under the point when the grips are shown.
TGrab *GripAt(TMouseEventHandler *aHandler, int X, int Y) {
  TGripGrabs *grips = aHandler->GripGrabs();
  return grips && grips->Visible() ? grips->PtInGrab(X, Y) : nullptr;
}

} // namespace

std::unique_ptr<TCustomEvent> TObjEventClass::Create(TMouseEventHandler *aOwner,
                                                     TCommonObj *aObj) const {
  return Factory ? Factory(aOwner, aObj) : nullptr;
}

// ---- TCustomEvent ----

TEventClass TCustomEvent::StaticClass() {
  static const TObjEventClass info{"TCustomEvent", nullptr, nullptr};
  return &info;
}

TCustomEvent::TCustomEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : FObj(aObj), FHandler(aOwner), FDrag(aOwner ? aOwner->Drag() : nullptr) {
  if (FHandler) FHandler->ClearHooks();
}

TCustomEvent::TCustomEvent(TMouseEventHandler *aOwner, TCommonObj *aObj, TKeepHooks)
    : FObj(aObj), FHandler(aOwner), FDrag(aOwner ? aOwner->Drag() : nullptr),
      FClearHooksOnFree(false) {}

TCustomEvent::~TCustomEvent() {
  if (FHandler && FClearHooksOnFree) FHandler->ClearHooks();
}

void TCustomEvent::SetTergetObj(TCommonObj *aObj) {
  if (aObj != FObj) ChangeObj(aObj);
}

void TCustomEvent::ChangeObj(TCommonObj *) {}

TGrabState TCustomEvent::GrabState() const {
  return FHandler->GrabState();
}
void TCustomEvent::SetGrabState(TGrabState aState) {
  FHandler->SetGrabState(aState);
}
TObjMode TCustomEvent::ObjMode() const {
  return FHandler->ObjMode();
}
void TCustomEvent::SetObjMode(TObjMode aMode) {
  FHandler->SetObjMode(aMode);
}
void TCustomEvent::SetCursor(TCursor aCursor) {
  FHandler->SetCursor(aCursor);
}

void TCustomEvent::InstallHooks() {
  FHandler->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) {
    MouseDown(b, s, x, y);
  };
  FHandler->OnMouseMove = [this](TShiftState s, int x, int y) { MouseMove(s, x, y); };
  FHandler->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) {
    MouseUp(b, s, x, y);
  };
  FHandler->OnDblClick = nullptr;
}

void TCustomEvent::UpdateCursor(int X, int Y, TShiftState aShift) {
  const TGrabState state = GrabState();
  if (state == gsNormal || state == gsOpen || state == gsStandby) {
    if (TGrab *grip = GripAt(FHandler, X, Y)) {
      const bool ctrlOnly = aShift.Contains(ssCtrl) && !aShift.Contains(ssAlt);
      if (FObj && (ctrlOnly || (!aShift.Contains(ssAlt) && MediatorIn(omRotate))))
        SetCursor(crRound);
      else
        SetCursor(grip->Cursor() == crDefault ? crCross : grip->Cursor());
      return;
    }
    if (FObj && FObj->Search(TRealPoint{double(X), double(Y)}, k_noRock)) {
      TCursor cursor = 0;
      if (IRepresent *represent = Supports<IRepresent>(FObj)) cursor = represent->Cursor(X, Y);
      SetCursor(cursor != 0 ? cursor : crHand);
      return;
    }
    SetCursor(SearchCursor(X, Y, k_noRock));
    return;
  }
  if (state == gsMoving)
    SetCursor(crHand);
  else if (state == gsKeyin)
    SetCursor(crHandPoint);
  else
    SetCursor(SearchCursor(X, Y, k_noRock));
}

TEventMakerClass TCustomEvent::EventMaker() {
  return &TMouseEventMaker::Make;
}

TCommonObj *TCustomEvent::SearchObj(int X, int Y, TSearch aKind) {
  TCommonObj *root = FHandler->Root();
  return root ? root->Search(TRealPoint{double(X), double(Y)}, aKind) : nullptr;
}

TCursor TCustomEvent::SearchCursor(int X, int Y, TSearch aKind) {
  return SearchObj(X, Y, aKind) ? crHandPoint : crDefault;
}

void TCustomEvent::GetObjList(TObjList &aList) {
  aList.clear();
  aList.push_back(FObj);
}

// ---- TCustomObjEvent ----

TCustomObjEvent::TCustomObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomEvent(aOwner, aObj) {
  InstallHooks();
}

void TCustomObjEvent::OpenAt(int X, int Y) {
  if (!FObj || !FDrag) return;
  FDrag->Open(FObj);
  const TRect bounds = FObj->BoundsRect();
  // Whole-pixel halves, rounded toward zero as integer division does.
  const int w = bounds.Right - bounds.Left, h = bounds.Bottom - bounds.Top;
  const TRealPoint offset{double(X - w / 2), double(Y - h / 2)};
  if (offset.rx != 0 || offset.ry != 0) FDrag->MoveGrab(offset);
  if (FObj->Maker()) FObj->Maker()->ReMake(FDrag->DragRect());
  FDrag->RefreshGrabs();
  SetGrabState(gsOpen);
}

// ---- TCustomGrabEvent ----

TCustomGrabEvent::TCustomGrabEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomEvent(aOwner, aObj) {
  InstallHooks();
}

TObjMode TCustomGrabEvent::CheckGrab(TObjMode aObjMode, int X, TShiftState aShift, int Y) {
  TGrab *grip = GripAt(FHandler, X, Y);
  const bool left = aShift.Contains(ssLeft);
  const TGrabState state = GrabState();
  if (!left && !grip) {
    if (state < gsNormal || state > gsStandby) {
      SetCursor(SearchCursor(X, Y, k_noRock));
    } else if (FObj && FObj->Search(TRealPoint{double(X), double(Y)}, k_allObj) == FObj) {
      SetCursor(aShift.Contains(ssCtrl) ? crHandPoint : crHand);
    } else {
      SetCursor(SearchCursor(X, Y, k_noRock));
    }
    return omNon;
  }
  const bool ctrl = aShift.Contains(ssCtrl), alt = aShift.Contains(ssAlt);
  TObjMode mode;
  if ((ctrl && !alt) || aObjMode == omRotate)
    mode = omRotate;
  else if (ctrl && alt)
    mode = omNon;
  else if (state == gsOpen)
    mode = omSizing;
  else
    mode = omNon;
  if (mode == omRotate)
    SetCursor(crRound);
  else if (mode == omSizing)
    SetCursor(grip && grip->Cursor() != crDefault ? grip->Cursor() : crCross);
  else
    SetCursor(crCross);
  return left ? mode : omNon;
}

// ---- TMouseEventMaker ----

std::unique_ptr<TEventMaker> TMouseEventMaker::Make(TMouseEventHandler *aHandler,
                                                    TEventClass aEvent, TCommonObj *aObj) {
  return std::make_unique<TMouseEventMaker>(aHandler, aEvent, aObj);
}

TMouseEventMaker::TMouseEventMaker(TMouseEventHandler *aHandler, TEventClass aEvent,
                                   TCommonObj *aObj)
    : FHandler(aHandler), FObj(aObj), FMouseEvent(aHandler->MouseEvent()) {
  // No class asked keeps the state as it is, whatever the object's links.
  if (!FMouseEvent || !aEvent) return;
  TEventClass resolved = aEvent;
  if (aObj) {
    if (TEventClass own = aObj->OwnEvent(aHandler, aEvent))
      resolved = own;
    else
      resolved = LinkedEventClass(aEvent);
  }
  if (resolved == FMouseEvent->ClassType()) {
    FMouseEvent->SetTergetObj(aObj);
    FEventClass = nullptr;
  } else {
    FEventClass = resolved;
  }
}

TEventClass TMouseEventMaker::LinkedEventClass(TEventClass aEvent) {
  TCommonObj *linked = FObj ? FObj->GetLinkedObj() : nullptr;
  TEventClass result = nullptr;
  if (CurrentSysMode() == smAuthor) {
    if (linked && FObj->Param.ActType.Contains(awTray)) result = linked->OwnEvent(FHandler, aEvent);
    return result ? result : aEvent;
  }
  if (linked && (FObj->Param.ActType.Contains(awTray) || linked->Param.ActType.Contains(awTray))) {
    FTray = linked;
    result = linked->OwnEvent(FHandler, aEvent);
  } else if (auto *page = dynamic_cast<TCustomCompo *>(FHandler->Root())) {
    TCommonObj *candidate = nullptr;
    TTrayIterator trays(page, FObj);
    while (trays.HasNext()) {
      TCommonObj *o = trays.GetObject();
      TCommonObj *t = o ? o->GetLinkedObj() : nullptr;
      if (t && t->Search(FObj->BCenter(), k_allObj) == t) candidate = t;
    }
    if (candidate) {
      FTray = candidate;
      result = candidate->OwnEvent(FHandler, aEvent);
    }
  }
  if (FTray && FTray->IndexOf(FObj) < 0) return aEvent;
  return result ? result : aEvent;
}

std::unique_ptr<TCustomEvent> TMouseEventMaker::ConstructEvent() {
  std::unique_ptr<TCustomEvent> current = FHandler->TakeMouseEvent();
  if (!FEventClass) return current;
  if (current) {
    if (current->OnDestroy) current->OnDestroy(FHandler);
    current.reset();
  }
  std::unique_ptr<TCustomEvent> made = FEventClass->Create(FHandler, FObj);
  if (made)
    if (auto *tray = dynamic_cast<ITray *>(FTray)) tray->AdoptEvent(made.get());
  return made;
}

// ---- TTrayIterator ----

namespace {

class TTrayHasNext : public TLmHasNext {
public:
  TTrayHasNext(THasNext *aParent, TCustomCompo *aCompo) : TLmHasNext(aParent, aCompo) {
    // Nested frames inherit the start object and its position.
    THasNext *p = aParent;
    while (auto *frame = dynamic_cast<TTrayHasNext *>(p))
      p = frame->Parent();
    FIterator = dynamic_cast<TTrayIterator *>(p);
  }
  bool IsTarget(TCommonObj *o) override {
    if (!FIterator || !o) return false;
    TCommonObj *t = o->GetLinkedObj();
    if (!t || t->GetLinkedObj() != o) return false;
    if (!Supports<IRepresent>(o)) return false;
    if (!t->Param.ActType.Contains(awTray)) return false;
    const TObjInfo &info = t->ObjInfo();
    if (!info.FormType.Contains(otExec) || !info.ActType.Contains(awTray)) return false;
    return FIterator->Page()->PriorityOf(o) < FIterator->StartPriority();
  }

private:
  TTrayIterator *FIterator = nullptr;
};

} // namespace

TTrayIterator::TTrayIterator(TCustomCompo *aPage, TCommonObj *aObj)
    : TLmIterator(HasNextClass<TTrayHasNext>()), FPage(aPage), FObj(aObj),
      FPriority(aPage ? aPage->PriorityOf(aObj) : -1) {
  if (aPage) Begin(aPage);
}

} // namespace lumora
