#include "shell/input/AuthorHandler.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>

#include "core/book/MetaBook.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CommonObj.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/Link.h"
#include "core/model/ObjPool.h"
#include "core/support/RectOps.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/graphics/Canvas.h"
#include "shell/clipboard/Copier.h"
#include "shell/controls/Action.h"
#include "shell/controls/ButtonMediator.h"
#include "shell/controls/P1Graphic.h"
#include "shell/input/Grips.h"
#include "shell/props/PropServer.h"
#include "shell/undo/AbUndo.h"

namespace lumora {

namespace {

// Undo operators of the author's edits.
constexpr int kOpCreate = 1;
constexpr int kOpDelete = 2;
constexpr int kOpMove = 5;
constexpr int kOpLink = 8;
constexpr int kOpEdit = 20;

void Record(int aOperator, TCommonObj *aObj) {
  if (TAbUndo *undo = AbUndo()) undo->Add(aOperator, aObj);
}

TButtonMediator *Mediator() {
  return TSysContext::Started() ? SysInfo().BtnMediator : nullptr;
}

// Whether the mode buttons are in aMode; without mode buttons, whether the
// handler is.
bool ButtonsIn(TMouseEventHandler *aHandler, TObjMode aMode) {
  if (TButtonMediator *mediator = Mediator()) return mediator->IsMode(aMode);
  return aHandler->ObjMode() == aMode;
}

void ClearButtons() {
  if (TButtonMediator *mediator = Mediator()) mediator->ClearState(false);
}

TRealPoint At(int X, int Y) {
  return TRealPoint{double(X), double(Y)};
}

bool IsUserPart(TCommonObj *aObj) {
  return aObj && aObj->ObjInfo().Name == QStringLiteral("オリジナル");
}

// The link that aObj can make by hand: none for objects without one.
TLink *HandLink(TCommonObj *aObj) {
  if (!aObj) return nullptr;
  TLink *link = aObj->GetLink();
  return dynamic_cast<TNullLink *>(link) ? nullptr : link;
}

void LoadDragCopyCursor() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  LoadScreenCursor(crDragCopy, "CAT_DRAG_COPY", 1, 1);
}

} // namespace

// ---- TAuthorHandler ----

TAuthorHandler::TAuthorHandler(QWidget *aOwner, TBaseWindow *aBase, TRootObj aObjList)
    : TMouseEventHandler(aOwner, aBase, std::move(aObjList)) {
  LoadDragCopyCursor();
}

TAuthorHandler::~TAuthorHandler() {
  // Property mode gives the hooks back and closes its box while the
  // handler is still whole; the base frees the state, drag and grips.
  FPropertyEvent.reset();
  FPropbserv.reset();
}

void TAuthorHandler::Construct(TMouseEventHandler *aHandler) {
  TMakeInfo::Construct(FBase, FBase ? FBase->Canvas() : nullptr, this, RootObj);
  Create1Class = TCreateObjEvent::StaticClass();
  Create2Class = TCreate2Event::StaticClass();
  CreateClass = TCreate2Event::StaticClass();
  NormalClass = TNormalEvent::StaticClass();
  TakeObjClass = TAuthorObjEvent::StaticClass();
  MultiObjClass = TMultiObjEvent::StaticClass();
  CoatingClass = TDeCoatingEvent::StaticClass();
  SpoitClass = TDeSpoitEvent::StaticClass();
  RequestNewObj = [this] { return MakeNewObj(); };
  FGripGrabs = std::make_unique<TAuthorGrabs>(FBase, smAuthor);
  FDrag = std::make_unique<TObjDrag>(FGripGrabs.get(), RootObj);
  if (TSysContext::Started()) SysInfo().SetGrabHandle(this);
  ChangeEvent(TNullEvent::StaticClass());
  FCopier = std::make_unique<TCopier>(dynamic_cast<TCustomCompo *>(Root()));
  FCopier->RequestNewObj = RequestNewObj;
  if (auto *previous = dynamic_cast<TAuthorHandler *>(aHandler); previous && previous->FCopier)
    FCopier->Clear(previous->FCopier.get());
}

void TAuthorHandler::DropPropertyEvent() {
  FPropertyEvent.reset();
}

void TAuthorHandler::CreateNullEvent() {
  DropPropertyEvent();
  ChangeEvent(TNullEvent::StaticClass());
}

void TAuthorHandler::CreateNormalEvent() {
  DropPropertyEvent();
  ChangeEvent(TNormalEvent::StaticClass());
}

void TAuthorHandler::CreateEvent(TEventClass aEvent, TCommonObj *aObj) {
  if (!aEvent) return;
  if (aEvent->InheritsFrom(TPropertyEvent::StaticClass())) {
    TCommonObj *target = aObj ? aObj : FObj;
    if (FPropertyEvent) {
      FPropertyEvent->SetTergetObj(target);
    } else {
      std::unique_ptr<TCustomEvent> made = aEvent->Create(this, target);
      FPropertyEvent.reset(static_cast<TPropertyEvent *>(made.release()));
    }
    FPropertyEvent->OpenBox();
    return;
  }
  DropPropertyEvent();
  RunMaker(aEvent, aObj ? aObj : FObj);
}

void TAuthorHandler::CreateEvent(TAction *aAction, TObjMode aObjMode) {
  Action = aAction;
  const TObjMode previous = FObjMode;
  FObjMode = aObjMode;
  const bool checked = aAction && aAction->Checked();
  const bool linking = dynamic_cast<TLinkEvent *>(FMouseEvent.get()) != nullptr;
  switch (aObjMode) {
  case omNon:
    CreateEvent(TNormalEvent::StaticClass(), FActiveObj);
    break;
  case omSpoit:
  case omCoating:
    if (linking) ClearButtons();
    FObjMode = aObjMode;
    if (checked)
      CreateEvent(aObjMode == omSpoit ? SpoitClass : CoatingClass, FActiveObj);
    else
      CreateEvent(TNormalEvent::StaticClass(), FActiveObj);
    break;
  case omLink:
    if (HandLink(FActiveObj) && !dynamic_cast<IKeyFrame *>(FActiveObj)) {
      CreateEvent(TLinkEvent::StaticClass(), FActiveObj);
    } else {
      ClearButtons();
      FObjMode = omNon;
      DropPropertyEvent();
      ChangeEvent(TNullEvent::StaticClass());
    }
    break;
  case omRotate:
    if (!(FActiveObj && FGrabState == gsOpen)) CreateEvent(TNormalEvent::StaticClass(), FActiveObj);
    break;
  case omProperty:
    // The property state keeps the mode from before the button, to give
    // it back when the box closes.
    FObjMode = previous;
    CreateEvent(TPropertyEvent::StaticClass(), FActiveObj);
    break;
  case omQuit:
    CreateNullEvent();
    break;
  default:
    break;
  }
}

void TAuthorHandler::PaintGrab(TCanvas &aCanvas) {
  TCustomEvent *state = FMouseEvent.get();
  if (auto *multi = dynamic_cast<TMultiObjEvent *>(state)) {
    if (multi->MultiTrac()) multi->MultiTrac()->Paint(aCanvas);
    return;
  }
  if (FGripGrabs && FGripGrabs->Visible()) FGripGrabs->Paint(aCanvas);
  if (FDrag) FDrag->PaintRubber(aCanvas);
  if (auto *normal = dynamic_cast<TNormalEvent *>(state)) normal->PaintBand(aCanvas);
  if (auto *link = dynamic_cast<TLinkEvent *>(state)) link->PaintLinkLine(aCanvas);
}

void TAuthorHandler::ClosePropBox() {
  // Taken out first: a box closed from here does not report back.
  std::unique_ptr<TAbPropServ> server = std::move(FPropbserv);
  if (server && server->Showing()) server->Close();
}

void TAuthorHandler::OpenPropBox(TCommonObj *aObj) {
  ClosePropBox();
  const TMultiTrac *trac = nullptr;
  if (auto *multi = dynamic_cast<TMultiObjEvent *>(FMouseEvent.get())) trac = multi->MultiTrac();
  const int serial = ++FBoxSerial;
  FPropbserv = TPropServer::OpenBox(aObj, trac, [this, serial] {
    // The teacher closed the box that is still the current one.
    if (serial == FBoxSerial && FPropbserv) OnPropertyDestroy();
  });
}

void TAuthorHandler::ClearActive() {
  ClosePropBox();
  FObj = nullptr;
  FActiveObj = nullptr;
  if (FMouseEvent && FMouseEvent->TergetObj()) FMouseEvent->SetTergetObj(nullptr);
  if (FGripGrabs) FGripGrabs->Clear();
}

void TAuthorHandler::OnPropertyDestroy() {
  DropPropertyEvent();
  ClosePropBox();
}

bool TAuthorHandler::HasClipData() {
  return FCopier && FCopier->Count() > 0;
}

void TAuthorHandler::ObjectCopy(bool aCut) {
  if (!FCopier) return;
  if (FActiveObj) {
    FCopier->Copy(FActiveObj, aCut);
    return;
  }
  auto *multi = dynamic_cast<TMultiObjEvent *>(FMouseEvent.get());
  if (!multi || !multi->MultiTrac()) return;
  TObjList tracked;
  multi->GetObjList(tracked);
  TMultiCopy copy(dynamic_cast<TCustomCompo *>(Root()), FCopier.get());
  copy.Copy(std::vector<TCommonObj *>(tracked.begin(), tracked.end()), aCut);
}

void TAuthorHandler::ObjectPaste() {
  auto *root = dynamic_cast<TCustomCompo *>(Root());
  if (!FCopier || !root) return;
  if (FCopier->Count() == 1) {
    FCopier->SetOffset(QPoint(5, 5));
    std::unique_ptr<TCommonObj> made = FCopier->Paste(root);
    PlacePasted(root, std::move(made));
    return;
  }
  SetCursor(crHourGlass);
  struct Restore {
    TAuthorHandler *self;
    ~Restore() { self->SetCursor(crDefault); }
  } restore{this};
  if (auto *multi = dynamic_cast<TMultiObjEvent *>(FMouseEvent.get()))
    if (multi->MultiTrac()) multi->MultiTrac()->Invalidate();
  TMultiCopy copy(root, FCopier.get());
  copy.Paste(root);
  copy.Regist(root);
  if (copy.Count() == 0) return;
  for (TCommonObj *obj : *copy.Pool())
    if (obj && obj->Maker()) obj->Maker()->Invalidate(false);
  DropPropertyEvent();
  if (FMouseEvent) {
    if (FMouseEvent->OnDestroy) FMouseEvent->OnDestroy(this);
    FMouseEvent.reset();
  }
  FActiveObj = nullptr;
  if (FGripGrabs) FGripGrabs->Clear();
  if (TAbUndo *undo = AbUndo()) undo->AddMultiCreate(copy);
  SetMouseEvent(TMultiObjEvent::OverList(this, &copy));
  update();
}

void TAuthorHandler::ObjectTextTablePaste() {
  auto *root = dynamic_cast<TCustomCompo *>(Root());
  if (!FCopier || !root) return;
  PlacePasted(root, FCopier->PasteToTextTable(root));
}

void TAuthorHandler::PlacePasted(TCustomCompo *aRoot, std::unique_ptr<TCommonObj> aObj) {
  if (!aObj) return;
  TCommonObj *obj = aRoot->AddObj(std::move(aObj));
  if (obj->Param.Transparency != 0) obj->ReMake();
  if (obj->Maker()) obj->Maker()->Invalidate(false);
  CreateEvent(TAuthorObjEvent::StaticClass(), obj);
  Record(kOpCreate, obj);
}

void TAuthorHandler::ObjectGroup() {
  std::unique_ptr<TCommonObj> made = ObjClassList().CreateObject(QStringLiteral("オリジナル"));
  if (!made) return;
  made->Name = made->CreateName(false);
  FGroupObj = std::move(made);
}

bool TAuthorHandler::PropertyPress(TShiftState aShift, int X, int Y) {
  TCustomEvent *state = FMouseEvent.get();
  if (dynamic_cast<TLinkEvent *>(state) || dynamic_cast<TCreate2Event *>(state)) return false;
  // A box the teacher closed ends property mode.
  if (FPropertyEvent && !(FPropbserv && FPropbserv->Showing())) DropPropertyEvent();
  if (!aShift.Contains(ssAlt) || aShift.Contains(ssCtrl)) return false;
  TCommonObj *root = Root();
  TCommonObj *obj = root ? root->Search(At(X, Y), k_Visible) : nullptr;
  if (!obj && root && root == CurrentWorkPage()) obj = root;
  if (!obj) return false;
  if (FPropertyEvent) {
    TCommonObj *item = obj->Search(At(X, Y), k_Item);
    FPropertyEvent->SetTergetObj(item ? item : obj);
  } else {
    std::unique_ptr<TCustomEvent> made = TPropertyEvent::StaticClass()->Create(this, obj);
    FPropertyEvent.reset(static_cast<TPropertyEvent *>(made.release()));
  }
  FPropertyEvent->OpenBox();
  if (!obj->ObjInfo().FormType.Contains(otSystem) && !obj->Param.Rocking) SetActiveObj(obj);
  FGrabState = gsNormal;
  return true;
}

void TAuthorHandler::ChooseNext(TShiftState aShift, int X, int Y) {
  TCustomEvent *state = FMouseEvent.get();
  TEventClass next = nullptr;
  TCommonObj *held = state ? state->TergetObj() : nullptr;
  if (FObjMode == omCreate) {
    FObj = nullptr;
    next = CreateClass;
  } else if (held && (Supports<IRepresent>(held) || Supports<IOwnGrab>(held)) && FGripGrabs &&
             FGripGrabs->Visible() && FGripGrabs->Count() >= 1 && FGripGrabs->PtInGrab(X, Y)) {
    FObj = held;
    next = state->GrabEventClass;
  } else {
    FObj = state ? state->SearchObj(X, Y, k_noRock) : nullptr;
    const auto oneOrMore = [&] {
      const bool oneState = state && state->ClassType()->InheritsFrom(TTakeObjEvent::StaticClass());
      return aShift.Contains(ssCtrl) && oneState ? MultiObjClass : TakeObjClass;
    };
    if (!FObj) {
      FObjMode = omNon;
      next = NormalClass;
    } else {
      switch (FObjMode) {
      case omCoating:
        if (FGrabState == gsSpoit)
          next = state ? state->ClassType() : nullptr;
        else if (FObj->ICan(atShow))
          next = CoatingClass;
        else
          next = oneOrMore();
        break;
      case omNon:
      case omRotate:
        next = oneOrMore();
        break;
      case omLink:
        next = TLinkEvent::StaticClass();
        break;
      default:
        next = state ? state->ClassType() : nullptr;
        break;
      }
    }
  }
  if (!next) next = CreateClass;
  CreateEvent(next, nullptr);
}

void TAuthorHandler::MouseDown(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  if (aButton == mbRight) {
    const bool creating = dynamic_cast<TCreate2Event *>(FMouseEvent.get()) != nullptr;
    if (FObjMode != omLink && !creating && !FPropertyEvent) {
      if (ShowPopupMenu) ShowPopupMenu();
      return;
    }
  }
  if (PropertyPress(aShift, X, Y)) return;
  if (!(FMouseEvent && FMouseEvent->IsContinue(this, aShift, X, Y))) ChooseNext(aShift, X, Y);
  if (FGrabState != gsKeyin && FBaseControl) FBaseControl->setFocus();
  DoMouseDown(aButton, aShift, X, Y);
}

void TAuthorHandler::MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  DoMouseUp(aButton, aShift, X, Y);
  if (FCopier) FCopier->LastClick = QPoint(X, Y);
  if (FMouseEvent) {
    TCommonObj *target = FMouseEvent->TergetObj();
    RunMaker(FMouseEvent->ChangeClass(), target ? target : FObj);
  }
  if (FBaseControl) FBaseControl->update();
}

// ---- TNormalEvent ----

TNormalEvent::TNormalEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomEvent(aOwner, aObj) {
  FHandler->ClearActive();
  FObj = nullptr;
  SetObjMode(omNon);
  InstallHooks();
}

void TNormalEvent::MouseDown(TMouseButton, TShiftState, int X, int Y) {
  FRectBand = TRect{X, Y, X, Y};
  SetGrabState(gsRubber);
  FDelayCount = -2;
}

bool TNormalEvent::Banding() const {
  return FHandler->GrabState() == gsMoving &&
         (FRectBand.Left != FRectBand.Right || FRectBand.Top != FRectBand.Bottom);
}

void TNormalEvent::InvalidateBand() const {
  if (!Banding() || !FHandler->BaseWindow()) return;
  FHandler->BaseWindow()->InvalidateOverlay(InflateRect(NormalizeRect(FRectBand), 1, 1));
}

void TNormalEvent::PaintBand(TCanvas &aCanvas) const {
  if (!Banding()) return;
  TPen &pen = aCanvas.Pen();
  pen.SetStyle(psDot);
  pen.SetWidth(1);
  pen.SetColor(clBlack);
  pen.SetMode(pmCopy);
  aCanvas.Brush().SetStyle(bsClear);
  const TRect band = NormalizeRect(FRectBand);
  aCanvas.Rectangle(band.Left, band.Top, band.Right, band.Bottom);
}

void TNormalEvent::MouseMove(TShiftState aShift, int X, int Y) {
  switch (GrabState()) {
  case gsNormal:
    SetCursor(SearchCursor(X, Y, k_noRock));
    return;
  case gsRubber:
    if (aShift.Contains(ssLeft) && ++FDelayCount > 0) SetGrabState(gsMoving);
    break;
  default:
    break;
  }
  if (GrabState() != gsMoving) return;
  InvalidateBand();
  FRectBand.Right = X;
  FRectBand.Bottom = Y;
  InvalidateBand();
  SetCursor(crDefault);
}

void TNormalEvent::MouseUp(TMouseButton, TShiftState, int, int) {
  if (GrabState() == gsMoving) InvalidateBand();
  SetGrabState(gsNormal);
  ClearButtons();
}

TEventClass TNormalEvent::ChangeClass() {
  if (std::abs(FRectBand.Right - FRectBand.Left) > 1 &&
      std::abs(FRectBand.Bottom - FRectBand.Top) > 1)
    return TMultiObjEvent::StaticClass();
  return nullptr;
}

TEventMakerClass TNormalEvent::EventMaker() {
  return &TNormalEventMaker::Make;
}

// ---- TNormalEventMaker ----

std::unique_ptr<TEventMaker> TNormalEventMaker::Make(TMouseEventHandler *aHandler,
                                                     TEventClass aEvent, TCommonObj *aObj) {
  return std::make_unique<TNormalEventMaker>(aHandler, aEvent, aObj);
}

TNormalEventMaker::TNormalEventMaker(TMouseEventHandler *aHandler, TEventClass aEvent,
                                     TCommonObj *aObj)
    : TMouseEventMaker(aHandler, aEvent == TMultiObjEvent::StaticClass() ? nullptr : aEvent, aObj),
      FAsked(aEvent) {}

std::unique_ptr<TCustomEvent> TNormalEventMaker::ConstructEvent() {
  if (FAsked != TMultiObjEvent::StaticClass()) return TMouseEventMaker::ConstructEvent();
  std::unique_ptr<TCustomEvent> current = FHandler->TakeMouseEvent();
  auto *normal = dynamic_cast<TNormalEvent *>(current.get());
  if (!normal) return current;
  const TRect band = NormalizeRect(normal->Band());
  if (band.IsEmpty()) return current;
  auto *root = dynamic_cast<TCustomCompo *>(FHandler->Root());
  auto *author = dynamic_cast<TAuthorHandler *>(FHandler);
  if (!root || !author || !author->Copier()) return current;
  TMultiCopy gathered(root, author->Copier());
  gathered.CreateObjList(band);
  if (gathered.Count() == 0) return current;
  if (current->OnDestroy) current->OnDestroy(FHandler);
  current.reset();
  std::unique_ptr<TCustomEvent> made = TMultiObjEvent::OverList(FHandler, &gathered);
  if (auto *multi = dynamic_cast<TMultiObjEvent *>(made.get()); multi && multi->MultiTrac())
    multi->MultiTrac()->Refresh();
  return made;
}

// ---- TAuthorObjEvent ----

TAuthorObjEvent::TAuthorObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TTakeObjEvent(aOwner, aObj) {}

bool TAuthorObjEvent::IsContinue(TMouseEventHandler *, TShiftState aShift, int, int) {
  FChangeClass =
      aShift.Contains(ssCtrl) && FDragCount <= 3 ? TMultiObjEvent::StaticClass() : nullptr;
  return false;
}

void TAuthorObjEvent::MouseMove(TShiftState aShift, int X, int Y) {
  TTakeObjEvent::MouseMove(aShift, X, Y);
  if (GrabState() != gsMoving) return;
  ++FDragCount;
  if (aShift.Contains(ssCtrl) && FDragCount > 3) SetCursor(crDragCopy);
}

void TAuthorObjEvent::MouseUp(TMouseButton, TShiftState aShift, int X, int Y) {
  if (GrabState() == gsStandby) {
    SetGrabState(gsOpen);
    return;
  }
  if (GrabState() != gsMoving || !FObj) return;
  auto *root = dynamic_cast<TCustomCompo *>(FHandler->Root());
  if (aShift.Contains(ssCtrl) && FDragCount > 3 && root) {
    // A copy where the outline was; the object itself stays.
    if (FDrag) {
      FDrag->PolygonToGrab();
      FDrag->RefreshGrabs(); // drops the outline
    }
    std::unique_ptr<TCommonObj> copy =
        TCopier::Copipe(root, FObj, QPoint(X - FOpenPos.x(), Y - FOpenPos.y()));
    SetCursor(crDefault);
    if (!copy) {
      SetGrabState(gsOpen);
      return;
    }
    TCommonObj *made = root->AddObj(std::move(copy));
    if (made->Maker()) made->Maker()->Invalidate(false);
    ChangeObj(made);
    SetGrabState(gsOpen);
    SetObjMode(omNon);
    return;
  }
  if (TAbUndo *undo = AbUndo()) {
    undo->SetAnim(nullptr);
    undo->Add(kOpMove, FObj);
  }
  SetCursor(crDefault);
  if (TGripGrabs *grips = FHandler->GripGrabs()) grips->Invalidate(false);
  if (FDrag) {
    FDrag->Close(true);
    FDrag->RefreshGrabs();
  }
  SetGrabState(gsOpen);
  if (!ButtonsIn(FHandler, omRotate)) SetObjMode(omNon);
}

// ---- TEditorObjEvent ----

TEditorObjEvent::TEditorObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TAuthorObjEvent(aOwner, aObj) {
  FHandler->OnDblClick = [this] { DblClick(); };
}

void TEditorObjEvent::DblClick() {
  if (!FObj || !FObj->ObjInfo().FormType.Contains(otText)) return;
  if (FObj->Data(QStringLiteral("編集開始"), {})) SetGrabState(gsKeyin);
}

// ---- TMultiObjEvent ----

TMultiObjEvent::TMultiObjEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomMultiObjEvent(
          aOwner, aObj,
          std::make_unique<TAuthorMultiTrac>(aOwner ? aOwner->BaseWindow() : nullptr)) {}

TMultiObjEvent::TMultiObjEvent(TMouseEventHandler *aOwner, TCustomCompo *aList)
    : TCustomMultiObjEvent(
          aOwner, aList,
          std::make_unique<TAuthorMultiTrac>(aOwner ? aOwner->BaseWindow() : nullptr)) {}

std::unique_ptr<TCustomEvent> TMultiObjEvent::OverList(TMouseEventHandler *aOwner,
                                                       TCustomCompo *aList) {
  return std::unique_ptr<TCustomEvent>(new TMultiObjEvent(aOwner, aList));
}

bool TMultiObjEvent::IsContinue(TMouseEventHandler *, TShiftState aShift, int X, int Y) {
  if (!aShift.Contains(ssCtrl) && GrabState() != gsMultiSelect) return false;
  FObj = SearchObj(X, Y, k_noRock);
  return FObj != nullptr;
}

void TMultiObjEvent::MouseDown(TMouseButton, TShiftState, int X, int Y) {
  if (GrabState() == gsMultiMoving) return;
  FDragCount = 0;
  FOpenPos = QPoint(X, Y);
  SetGrabState(gsMultiSelect);
  if (FMultiTrac) FMultiTrac->DelayCount = -1;
}

bool TMultiObjEvent::CanDrag(TShiftState aShift) {
  if (!FMultiTrac || FMultiTrac->Count() == 0 || !aShift.Contains(ssLeft)) return false;
  return ++FMultiTrac->DelayCount > 0;
}

void TMultiObjEvent::MouseMove(TShiftState aShift, int X, int Y) {
  if (GrabState() == gsMultiSelect && FMultiTrac && FMultiTrac->PtInObj(X, Y)) {
    if (CanDrag(aShift)) SetGrabState(gsMultiMoving);
    SetCursor(crHand);
    return;
  }
  if (GrabState() == gsMultiMoving && FOpenPos.x() > 0 && FOpenPos.y() > 0) {
    if (FMultiTrac) FMultiTrac->DragDraw(X - FOpenPos.x(), Y - FOpenPos.y());
    ++FDragCount;
    SetCursor(aShift.Contains(ssCtrl) && FDragCount > 3 ? crDragCopy : crHand);
    return;
  }
  SetCursor(SearchCursor(X, Y, k_noRock));
}

void TMultiObjEvent::MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  FChangeClass = false;
  if (!FMultiTrac) return;
  if (GrabState() == gsMultiSelect) {
    if (aButton != mbLeft) return;
    if (aShift.Contains(ssCtrl)) {
      if (!FObj) return;
      const bool wasEmpty = FMultiTrac->Count() == 0;
      FMultiTrac->Invalidate();
      if (TGripGrabs *grabs = FMultiTrac->GetGrabs(FObj))
        FMultiTrac->Remove(grabs);
      else
        FMultiTrac->AddObj(FObj, FHandler);
      FMultiTrac->AltMode(0);
      FMultiTrac->Refresh();
      FMultiTrac->Invalidate();
      if (wasEmpty) {
        SetObjMode(omNon);
        FObj = nullptr;
        FChangeClass = true;
      }
      return;
    }
    if (FMultiTrac->Count() == 0) return;
    if (CanDrag(aShift)) {
      SetGrabState(gsMultiMoving);
    } else if (FObj && FObj->Search(At(X, Y), k_allObj)) {
      if (aShift.Contains(ssShift))
        SetGrabState(gsMultiMoving);
      else
        FChangeClass = true;
    }
    return;
  }
  if (GrabState() != gsMultiMoving) return;
  SetCursor(crDefault);
  if (FMultiTrac->Count() == 0) return;
  auto *root = dynamic_cast<TCustomCompo *>(FHandler->Root());
  if (aShift.Contains(ssCtrl) && FDragCount > 3 && root) {
    FMultiTrac->AltMode(0); // drops the outlines
    TMultiCopy::Copipe(root, *FMultiTrac, QPoint(X - FOpenPos.x(), Y - FOpenPos.y()));
    FMultiTrac->AltMode(0);
    if (TAbUndo *undo = AbUndo()) undo->AddMulti(kOpCreate, *FMultiTrac, false);
    FMultiTrac->Refresh();
    for (int i = 0; i < FMultiTrac->Count(); ++i)
      if (TCommonObj *obj = FMultiTrac->GetObjs(i); obj && obj->Maker())
        obj->Maker()->Invalidate(false);
    FMultiTrac->Invalidate();
    SetGrabState(gsMultiSelect);
  } else {
    if (FDragCount > 0) CloseDrag();
    SetGrabState(gsMultiSelect);
    FMultiTrac->DelayCount = -1;
  }
  SetObjMode(omNon);
}

TEventClass TMultiObjEvent::ChangeClass() {
  if (GrabState() == gsMultiMoving) {
    SetObjMode(omMoving);
    return nullptr;
  }
  if (!FChangeClass) return nullptr;
  const bool empty = !FMultiTrac || FMultiTrac->Count() == 0 || !FObj;
  return empty ? TNormalEvent::StaticClass() : TAuthorObjEvent::StaticClass();
}

void TMultiObjEvent::CloseDrag() {
  if (TAbUndo *undo = AbUndo()) undo->AddMulti(kOpMove, *FMultiTrac, false);
  const TRect before = FMultiTrac->ClipRect();
  FMultiTrac->Invalidate();
  FMultiTrac->CloseDrag();
  // The objects that lay over the old or the new area are recorded again.
  if (auto *root = dynamic_cast<TCustomCompo *>(FHandler->Root()); root && root->Pool()) {
    TObjList overlap;
    root->Pool()->GetOverlapObj(overlap, before, FMultiTrac->ClipRect());
    for (TCommonObj *obj : overlap) {
      if (!obj || FMultiTrac->ObjIndex(obj) >= 0 || !obj->Maker()) continue;
      const bool visible = obj->Visible();
      obj->SetVisible(false);
      obj->Maker()->Update();
      obj->SetVisible(visible);
      obj->Maker()->Invalidate(false);
    }
  }
  FMultiTrac->Refresh();
  FMultiTrac->Invalidate();
}

void TMultiObjEvent::ResetObj() {
  FObj = nullptr;
  if (FMultiTrac) FMultiTrac->Clear();
}

void TMultiObjEvent::GetObjList(TObjList &aList) {
  aList.clear();
  if (!FMultiTrac) return;
  for (int i = 0; i < FMultiTrac->Count(); ++i)
    if (TCommonObj *obj = FMultiTrac->GetObjs(i)) aList.push_back(obj);
}

void TMultiObjEvent::RemoveObj() {
  if (!FMultiTrac || FMultiTrac->Count() == 0) return;
  if (TAbUndo *undo = AbUndo()) undo->AddMulti(kOpDelete, *FMultiTrac, false);
  TObjList gone;
  GetObjList(gone);
  FMultiTrac->Invalidate();
  FMultiTrac->ClearList();
  FMultiTrac->Clear();
  FObj = nullptr;
  for (TCommonObj *obj : gone)
    if (FDrag) FDrag->RemoveObj(obj);
  FHandler->ClearActive();
  FHandler->update();
}

// ---- TCreate2Event ----

TCreate2Event::TCreate2Event(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomObjEvent(aOwner, aObj) {
  SetObjMode(omCreate);
  try {
    FObj = FHandler->RequestNewObj ? FHandler->RequestNewObj() : nullptr;
  } catch (...) {
    // A refused creation (a second movie, ...) leaves create mode.
    SetObjMode(omNon);
    throw;
  }
  if (!FObj) {
    SetObjMode(omNon);
    return;
  }
  SetGrabState(gsSizing);
  const TObjInfo &info = FObj->ObjInfo();
  if (info.FormType.Contains(otComplex)) {
    FHandler->OnMouseDown = nullptr;
    FHandler->OnMouseMove = [this](TShiftState s, int x, int y) { ComplexMove(s, x, y); };
    FHandler->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) {
      ComplexUp(b, s, x, y);
    };
  } else if (!FObj->ICan(atShow) || info.FormType.Contains(otSystem)) {
    FHandler->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) {
      ClickedDown(b, s, x, y);
    };
    FHandler->OnMouseMove = [this](TShiftState s, int x, int y) { ClickedMove(s, x, y); };
    FHandler->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) {
      ClickedUp(b, s, x, y);
    };
  }
}

bool TCreate2Event::IsContinue(TMouseEventHandler *, TShiftState, int, int) {
  return ObjMode() == omCreate;
}

void TCreate2Event::Placed() {
  SetObjMode(omNon);
  TCommonObj *made = FObj;
  FHandler->SetObj(made);
  FHandler->SetActiveObj(made);
  SetGrabState(gsOpen);
  Record(kOpCreate, made);
}

void TCreate2Event::PrepareDrag() {
  if (!FDrag) return;
  FDrag->Open(FObj);
  const TRealPoint first = FDrag->GetDragGrab(0);
  FOpenDiff = TRealPoint{FOpenPos.x() - first.rx, FOpenPos.y() - first.ry};
  FDrag->MoveGrab(FOpenDiff);
  if (TGripGrabs *grips = FHandler->GripGrabs()) grips->Clear();
}

void TCreate2Event::ComplexMove(TShiftState, int X, int Y) {
  if (FDrag && FObj) {
    if (FDrag->Obj() != FObj) FDrag->Open(FObj);
    FDrag->DragDraw(FDrag->OffsetGrabs(QPoint(X, Y)));
  }
}

void TCreate2Event::ComplexUp(TMouseButton, TShiftState, int X, int Y) {
  if (!FObj || !FDrag) return;
  FDrag->Open(FObj);
  FDrag->MoveGrab(At(X, Y));
  if (FObj->Maker()) FObj->Maker()->ReMake(FDrag->DragRect());
  FDrag->RefreshGrabs();
  Placed();
}

void TCreate2Event::ClickedDown(TMouseButton, TShiftState, int X, int Y) {
  if (!FObj || ObjMode() != omCreate) return;
  FOpenPos = QPoint(X, Y);
  PrepareDrag();
}

void TCreate2Event::ClickedMove(TShiftState, int X, int Y) {
  if (!FObj || !FDrag || ObjMode() != omCreate) return;
  FDrag->DragDraw(FDrag->OffsetGrabs(QPoint(X - FOpenPos.x(), Y - FOpenPos.y())));
}

void TCreate2Event::ClickedUp(TMouseButton, TShiftState, int X, int Y) {
  if (!FObj || !FDrag || ObjMode() != omCreate) return;
  FDrag->Open(FObj); // drops the outline
  FDrag->MoveGrab(TRealPoint{-FOpenDiff.rx, -FOpenDiff.ry});
  if (FObj->Maker()) FObj->Maker()->ReMake(FDrag->DragRect());
  FObj->Move(At(X, Y), nullptr, false);
  FDrag->PolygonToGrab();
  FDrag->Close(true);
  FDrag->RefreshGrabs();
  Placed();
}

void TCreate2Event::MouseDown(TMouseButton, TShiftState, int X, int Y) {
  if (ObjMode() != omCreate) return;
  FOpenPos = QPoint(X, Y);
  FDragCount = 0;
}

void TCreate2Event::MouseMove(TShiftState aShift, int X, int Y) {
  if (!FObj || ObjMode() != omCreate) return;
  if (!aShift.Contains(ssLeft) && !FDrawingOut) return;
  if (++FDragCount < 3 || FDrawingOut) return;
  // Drawn out from the third move on.
  FDrawingOut = true;
  PrepareDrag();
  FHandler->OnMouseMove = [this](TShiftState s, int x, int y) { DrawOutMove(s, x, y); };
  FHandler->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) {
    DrawOutUp(b, s, x, y);
  };
  DrawOutMove(aShift, X, Y);
}

void TCreate2Event::MouseUp(TMouseButton, TShiftState, int X, int Y) {
  if (!FObj || ObjMode() != omCreate) return;
  // A click: the object centred on the point.
  OpenAt(X, Y);
  if (FDrag) FDrag->Close(true);
  Placed();
}

void TCreate2Event::DrawOutMove(TShiftState aShift, int X, int Y) {
  if (!FObj || !FDrag || ObjMode() != omCreate) return;
  IRepresent *represent = Supports<IRepresent>(FObj);
  if (!represent) return;
  const int grab = represent->ActiveGrab(CreateNo);
  if (grab < 0) return;
  const TRealPoint from = FDrag->GetDragGrab(grab);
  const TRealPoint offset = FDrag->Adjust(grab, TRealPoint{X - from.rx, Y - from.ry}, aShift);
  CreateNext = FDrag->Sizzing(grab, offset);
}

void TCreate2Event::DrawOutUp(TMouseButton aButton, TShiftState, int X, int Y) {
  if (!FObj || !FDrag || ObjMode() != omCreate || !CreateNext) return;
  IRepresent *represent = Supports<IRepresent>(FObj);
  if (aButton == mbLeft)
    ++CreateNo;
  else if (aButton == mbRight && represent && CreateNo + 2 >= represent->MinGrabs())
    ++CreateNo;
  auto *drag = dynamic_cast<TObjDrag *>(FDrag);
  TGrabRect points = drag ? drag->GetGrabs() : FDrag->DragRect();
  while (!points.empty() && int(points.size()) < CreateNo + 2)
    points.push_back(points.back());
  const bool ends = !represent || represent->IsCreateEnd(aButton, CreateNo, points, TPoint{X, Y});
  FDrag->SetDragRect(points);
  FDrag->DragDraw(points);
  if (!ends) return;
  FDrag->Close(true);
  FDrag->RefreshGrabs();
  Placed();
}

TEventClass TCreate2Event::ChangeClass() {
  if (ObjMode() == omCreate) return nullptr;
  return FHandler->ActiveObj() ? TAuthorObjEvent::StaticClass() : TNormalEvent::StaticClass();
}

// ---- TDeCoatingEvent ----

bool TDeCoatingEvent::IsCoatable(int X, int Y, TCommonObj *aObj) {
  TCommonObj *obj = aObj;
  if (obj) {
    if (obj->Search(At(X, Y), k_allObj) != obj) return false;
  } else {
    obj = SearchObj(X, Y, k_Coat);
    if (!obj) return false;
  }
  const TFormType form = obj->ObjInfo().FormType;
  return form.Contains(otSurface) && !form.Contains(otStamp);
}

void TDeCoatingEvent::DoCoating(int X, int Y) {
  // Without a colour sample there is no colour to paint with.
  if (!FObj || !FObj->ICan(atShow) || !FHandler->ColorSample) return;
  Record(kOpEdit, FObj);
  IRepresent *represent = Supports<IRepresent>(FObj);
  if (!represent) return;
  const TColor color = FHandler->ColorSample->BackColor();
  bool more = true;
  const bool took = represent->TakeColor(TPoint{X, Y}, color, more);
  if (!more) SetObjMode(omNon);
  if (!took) return;
  if (FObj->Maker()) {
    FObj->Maker()->Update();
    FObj->Maker()->Invalidate(false);
  }
  if (TGripGrabs *grips = FHandler->GripGrabs()) grips->Invalidate(false);
}

// ---- TLinkEvent ----

TLinkEvent::TLinkEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomObjEvent(aOwner, aObj) {
  if (aObj) {
    SetGrabState(gsStandby);
    FObj = aObj->LinkObjFrom(nullptr, -1, -1);
  } else {
    SetGrabState(gsNormal);
  }
}

TLinkEvent::~TLinkEvent() {
  if (FHandler && FLinkPos.x() >= 0 && FHandler->BaseWindow())
    FHandler->BaseWindow()->InvalidateOverlay(LineArea());
  if (FHandler) FHandler->update();
}

bool TLinkEvent::IsContinue(TMouseEventHandler *aHandler, TShiftState, int, int) {
  return ButtonsIn(aHandler, omLink);
}

void TLinkEvent::ChangeObj(TCommonObj *aObj) {
  if (!FObj) FObj = aObj;
  SetGrabState(aObj == FObj ? gsOpen : gsStandby);
}

TRect TLinkEvent::LineArea() const {
  if (!FObj || FLinkPos.x() < 0 || FLinkPos.y() < 0) return TRect();
  const TRealPoint from = FObj->BCenter();
  const int x0 = int(from.rx), y0 = int(from.ry);
  return TRect{std::min(x0, FLinkPos.x()) - 2, std::min(y0, FLinkPos.y()) - 2,
               std::max(x0, FLinkPos.x()) + 3, std::max(y0, FLinkPos.y()) + 3};
}

void TLinkEvent::DragLinkLine(int X, int Y) {
  TBaseWindow *base = FHandler->BaseWindow();
  if (base && FLinkPos.x() >= 0) base->InvalidateOverlay(LineArea());
  FLinkPos = QPoint(X, Y);
  if (base && FLinkPos.x() >= 0 && FLinkPos.y() >= 0) base->InvalidateOverlay(LineArea());
}

void TLinkEvent::PaintLinkLine(TCanvas &aCanvas) const {
  if (!FObj || FLinkPos.x() < 0 || FLinkPos.y() < 0) return;
  TPen &pen = aCanvas.Pen();
  pen.SetStyle(psSolid);
  pen.SetMode(pmCopy);
  pen.SetWidth(1);
  pen.SetColor(clBlack);
  const TRealPoint from = FObj->BCenter();
  aCanvas.MoveTo(Round(from.rx), Round(from.ry));
  aCanvas.LineTo(FLinkPos.x(), FLinkPos.y());
}

void TLinkEvent::MouseDown(TMouseButton, TShiftState, int X, int Y) {
  if (!FObj) {
    TCommonObj *source = SearchObj(X, Y, k_noRock);
    if (!source) return;
    FObj = source;
    FOpenPos = QPoint(X, Y);
    FHandler->SetActiveObj(source);
  }
  SetGrabState(gsStandby);
}

void TLinkEvent::MouseMove(TShiftState aShift, int X, int Y) {
  if (!FObj) return;
  if (GrabState() == gsStandby)
    DragLinkLine(X, Y);
  else
    UpdateCursor(X, Y, aShift);
}

void TLinkEvent::RestartLine(int X, int Y) {
  DragLinkLine(-1, -1);
  if (FDrag) FDrag->RefreshGrabs();
  FHandler->update();
  DragLinkLine(X, Y);
}

void TLinkEvent::EndLink(TCommonObj *aTarget) {
  DragLinkLine(-1, -1);
  SetGrabState(gsStandby);
  if (FHandler->Action) FHandler->Action->SetChecked(false);
  SetObjMode(omNon);
  if (FDrag) FDrag->RefreshGrabs();
  TCommonObj *source = FObj;
  FObj = nullptr;
  if (source && aTarget && source->ObjInfo().Name != QStringLiteral("アニメ編集")) return;
  // Linking ended without a target: back to the source selected.
  FHandler->SetObj(source);
  FChangeClass = TAuthorObjEvent::StaticClass();
  ClearButtons();
}

void TLinkEvent::MouseUp(TMouseButton aButton, TShiftState aShift, int X, int Y) {
  FChangeClass = nullptr;
  if (GrabState() != gsStandby) return;
  if (aButton == mbRight) {
    EndLink(nullptr);
    return;
  }
  if (aButton != mbLeft) return;
  TCommonObj *hit = SearchObj(X, Y, k_noRock);
  if (!hit) {
    if (!aShift.Contains(ssCtrl)) EndLink(nullptr);
    return;
  }
  if (!FObj) return;
  if (hit == FObj && IsUserPart(FObj))
    if (TCommonObj *member = FObj->LinkObjFrom(nullptr, X, Y)) FObj = member;
  if (hit == FObj && !IsUserPart(FObj)) {
    RestartLine(X, Y);
    return;
  }
  TCommonObj *target = hit->LinkObjFrom(FObj, X, Y);
  TLink *link = HandLink(FObj);
  if (target && link && link->CanLink(target)) {
    if (TAbUndo *undo = AbUndo()) undo->Add(kOpLink, FObj, target);
    link->DoLink(target);
    if (FObj->Maker()) FObj->Maker()->Invalidate(false);
  }
  if (!aShift.Contains(ssCtrl) && target && FObj->GetLinkedObj() == target) {
    EndLink(target);
    return;
  }
  RestartLine(X, Y);
}

// ---- TPropertyEvent ----

TPropertyEvent::TPropertyEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
    : TCustomEvent(aOwner, aObj, TKeepHooks{}), FSaveMode(aOwner->ObjMode()),
      FSaveDown(aOwner->OnMouseDown), FSaveMove(aOwner->OnMouseMove), FSaveUp(aOwner->OnMouseUp),
      FSaveDbl(aOwner->OnDblClick) {
  FHandler->ClearHooks();
  SetObjMode(omProperty);
  FHandler->OnMouseMove = [this](TShiftState s, int x, int y) { MouseMove(s, x, y); };
  SetCursor(crDefault);
}

TPropertyEvent::~TPropertyEvent() {
  if (auto *author = dynamic_cast<TAuthorHandler *>(FHandler)) author->ClosePropBox();
  if (FHandler->ObjMode() == omProperty) FHandler->SetObjMode(FSaveMode);
  FHandler->OnMouseDown = FSaveDown;
  FHandler->OnMouseMove = FSaveMove;
  FHandler->OnMouseUp = FSaveUp;
  FHandler->OnDblClick = FSaveDbl;
}

void TPropertyEvent::MouseMove(TShiftState, int X, int Y) {
  SetCursor(SearchCursor(X, Y, k_Visible));
}

void TPropertyEvent::OpenBox() {
  auto *author = dynamic_cast<TAuthorHandler *>(FHandler);
  if (!author) return;
  if (dynamic_cast<TMultiObjEvent *>(FHandler->MouseEvent())) {
    author->OpenPropBox(nullptr);
    return;
  }
  if (!FObj || FObj->ObjInfo().Name == QStringLiteral("基準線")) return;
  author->OpenPropBox(FObj);
}

} // namespace lumora
