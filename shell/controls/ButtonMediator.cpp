#include "shell/controls/ButtonMediator.h"

#include "core/book/MetaBook.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "shell/controls/Action.h"

namespace lumora {

namespace {

const QString kPrePage = QStringLiteral("PrePage");
const QString kNextPage = QStringLiteral("NextPage");
const QString kAdsorbMode = QStringLiteral("AdsorbMode");

} // namespace

// ---- TMediator ----

TMediator::~TMediator() {
  if (TSysContext::Started() && SysInfo().BtnMediator == this) SysInfo().BtnMediator = nullptr;
}

void TMediator::AddOp(std::unique_ptr<TButtonOp> aOp) {
  FButtonOpList.push_back(std::move(aOp));
}

void TMediator::Cleanup() {
  // The operations' references may be the last ones: hold the mediator
  // until the walk is over.
  const std::shared_ptr<TMediator> keep = weak_from_this().lock();
  for (const std::unique_ptr<TButtonOp> &op : FButtonOpList)
    op->Clear();
  FButtonOpList.clear();
}

// ---- TButtonMediator ----

std::shared_ptr<TButtonMediator> TButtonMediator::Create() {
  return std::shared_ptr<TButtonMediator>(new TButtonMediator());
}

void TButtonMediator::AddNormal(TP1PicButton *aButton, TAction *aAction, TObjMode aMode,
                                int aGIdx) {
  const bool page = aAction && (aAction->Name() == kPrePage || aAction->Name() == kNextPage);
  if (page)
    AddOp(std::make_unique<TPageOp>(shared_from_this(), aButton, aAction, aMode, aGIdx));
  else
    AddOp(std::make_unique<TNormalOp>(shared_from_this(), aButton, aAction, aMode, aGIdx));
}

void TButtonMediator::AddForce(TP1PicButton *aButton, TAction *aAction, TObjMode aMode, int aGIdx) {
  AddOp(std::make_unique<TForceOp>(shared_from_this(), aButton, aAction, aMode, aGIdx));
}

void TButtonMediator::Remove(TP1PicButton *aButton) {
  const std::shared_ptr<TMediator> keep = weak_from_this().lock();
  for (auto it = FButtonOpList.begin(); it != FButtonOpList.end(); ++it) {
    if ((*it)->Button() == aButton) {
      FButtonOpList.erase(it);
      return;
    }
  }
}

TButtonOp *TButtonMediator::FindOp(TP1PicButton *aButton) const {
  if (!aButton) return nullptr;
  for (const std::unique_ptr<TButtonOp> &op : FButtonOpList)
    if (op->Button() == aButton) return op.get();
  return nullptr;
}

void TButtonMediator::LinkModeGuard(TButtonOp &aOp, bool &aHandled) {
  aHandled = false;
  if (aOp.IsMode(omLink) || !IsMode(omLink)) return;
  if (dynamic_cast<TForceOp *>(&aOp)) {
    // The clear button works in link mode; the snap button only turns
    // snapping off.
    if (aOp.ActionName() != kAdsorbMode) return;
    SetState(aOp.Action(), false);
    aOp.ClearState(false);
  } else {
    aOp.ClearState(false);
  }
  aHandled = true;
}

void TButtonMediator::Click(TP1PicButton *aButton) {
  TButtonOp *pressed = FindOp(aButton);
  if (!pressed) return;
  bool handled = false;
  LinkModeGuard(*pressed, handled);
  if (handled) return;
  // A normal button never releases a force button.
  const bool force = dynamic_cast<TForceOp *>(pressed) != nullptr;
  for (const std::unique_ptr<TButtonOp> &op : FButtonOpList)
    if (force || !dynamic_cast<TForceOp *>(op.get())) op->Click(aButton);
}

void TButtonMediator::ClearState(bool aForce) {
  for (const std::unique_ptr<TButtonOp> &op : FButtonOpList)
    op->ClearState(aForce);
}

bool TButtonMediator::IsMode(TObjMode aMode) {
  for (const std::unique_ptr<TButtonOp> &op : FButtonOpList)
    if (op->IsMode(aMode)) return true;
  return false;
}

void TButtonMediator::SetActionState(TAction *aAction) {
  for (const std::unique_ptr<TButtonOp> &op : FButtonOpList)
    op->SetActionChecked(aAction);
}

void TButtonMediator::SetState(TAction *aAction, bool aCheck) {
  if (!aAction) return;
  for (const std::unique_ptr<TButtonOp> &op : FButtonOpList) {
    if (op->Action() != aAction) continue;
    aAction->SetChecked(aCheck);
    if (TP1PicButton *button = op->Button()) {
      button->SetState(aCheck ? bsDown : bsUp);
      button->update();
    }
  }
}

TButtonState TButtonMediator::GetButtonState(TAction *aAction) const {
  if (aAction)
    for (const std::unique_ptr<TButtonOp> &op : FButtonOpList)
      if (op->Action() == aAction) return op->Button() ? op->Button()->State() : bsDisabled;
  return bsDisabled;
}

void TButtonMediator::SetButtonState(TAction *aAction, TButtonState Value) {
  if (!aAction) return;
  for (const std::unique_ptr<TButtonOp> &op : FButtonOpList) {
    if (op->Action() != aAction) continue;
    if (TP1PicButton *button = op->Button()) {
      button->SetState(Value);
      button->update();
    }
    return;
  }
}

// ---- Colleagues ----

TColleague::TColleague(std::shared_ptr<IBtnOperate> AMediator) : FMediator(std::move(AMediator)) {}

TButtonOp::TButtonOp(std::shared_ptr<IBtnOperate> AMediator, TP1PicButton *aButton,
                     TAction *aAction, TObjMode aMode, int aGIdx)
    : TColleague(std::move(AMediator)), FButton(aButton), FAction(aAction), FMode(aMode) {
  if (aButton) {
    aButton->SetTag(aGIdx);
    aButton->SetAction(aAction);
  }
}

QString TButtonOp::ActionName() const {
  return FAction ? FAction->Name() : QString();
}

bool TButtonOp::IsMode(TObjMode aMode) {
  return aMode == FMode && FButton && FButton->State() == bsDown;
}

void TButtonOp::SetActionChecked(TAction *aAction) {
  if (FAction && FAction != aAction && FAction->Checked()) FAction->SetChecked(false);
}

bool TButtonOp::IsReleasedBy(TP1PicButton *aPressed) const {
  if (!FButton || FButton->State() != bsDown || FButton == aPressed) return false;
  const int group = FButton->Tag();
  return group == 0 || (aPressed && group == aPressed->Tag());
}

void TButtonOp::CheckAction(bool aChecked) {
  if (!FAction) return;
  FAction->SetChecked(aChecked);
  FAction->SetEnabled(true);
}

void TButtonOp::ShowButton(TButtonState aState) {
  if (!FButton || !FButton->Enabled()) return;
  FButton->SetState(aState);
  FButton->update();
}

void TNormalOp::Click(TP1PicButton *aColleague) {
  if (!IsReleasedBy(aColleague)) return;
  ShowButton(bsUp);
  CheckAction(false);
}

void TNormalOp::ClearState(bool) {
  CheckAction(false);
  if (FButton && FButton->State() != bsUp) ShowButton(bsUp);
}

void TPageOp::ClearState(bool) {
  CheckAction(false);
  if (!FButton) return;
  if (FAction) {
    // Page numbers are pool indexes: page 0 is the common page, so the
    // last page is count - 1. Without a book or a work page neither way
    // leads anywhere.
    const TMetaBook *book = CurrentBook();
    const int page = book ? book->Page() : -1;
    const int count = book ? book->Count() : 0;
    if (FAction->Name() == kPrePage)
      FAction->SetEnabled(page > 1);
    else if (FAction->Name() == kNextPage)
      FAction->SetEnabled(page >= 0 && page < count - 1);
  }
  if (!(FAction && !FAction->Enabled() && FButton->State() == bsDisabled)) ShowButton(bsUp);
}

void TForceOp::Click(TP1PicButton *aColleague) {
  if (!IsReleasedBy(aColleague)) return;
  ShowButton(bsUp);
  CheckAction(false);
}

void TForceOp::ClearState(bool aForce) {
  if (!aForce) return;
  ShowButton(bsUp);
  CheckAction(false);
}

} // namespace lumora
