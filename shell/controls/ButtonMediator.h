#pragma once
// The mode buttons of a tool bar as one group: one operation (colleague)
// per picture button settles, on every press and on request, which buttons
// are down, which actions are checked and which editing mode is active. A
// mode is active exactly while a button registered with it is down.
//
// Each window creates its own mediator (TButtonMediator::Create), registers
// its buttons, installs the mediator in the system state (BtnMediator) while
// it is the active window, and calls Cleanup when it closes.
#include <QPointer>
#include <QString>
#include <memory>
#include <vector>

#include "core/system/SysInterfaces.h"
#include "shell/controls/PicButton.h"

namespace lumora {

class TAction;
class TButtonOp;

// What the mediator offers its colleagues.
class IBtnOperate {
public:
  virtual ~IBtnOperate() = default;
  virtual void Click(TP1PicButton *aButton) = 0;
  virtual void ClearState(bool aForce) = 0;
  virtual bool IsMode(TObjMode aMode) = 0;
};

// The mediator base: owns the operations. Each operation holds one shared
// reference to the mediator; Cleanup drops those references and frees the
// operations, so the mediator then lives only as long as its window's
// handle.
class TMediator : public IBtnOperate, public std::enable_shared_from_this<TMediator> {
public:
  TMediator(const TMediator &) = delete;
  TMediator &operator=(const TMediator &) = delete;
  // Frees the operations; forgets the system state's BtnMediator when it
  // names this mediator.
  ~TMediator() override;

  virtual void SetActionState(TAction *aAction) = 0;
  // Drops every operation's reference to the mediator and frees the
  // operations. When no one else holds the mediator, it is freed on return.
  void Cleanup();

  // The number of registered operations.
  int OpCount() const { return int(FButtonOpList.size()); }

protected:
  TMediator() = default;
  void AddOp(std::unique_ptr<TButtonOp> aOp);

  std::vector<std::unique_ptr<TButtonOp>> FButtonOpList;
};

class TButtonMediator : public TMediator {
public:
  // A new empty mediator, held by the caller.
  static std::shared_ptr<TButtonMediator> Create();

  // A page operation (TPageOp) when aAction is "PrePage" or "NextPage",
  // else a normal one. The button's Tag becomes aGIdx, its group, and the
  // button is bound to aAction.
  void AddNormal(TP1PicButton *aButton, TAction *aAction, TObjMode aMode, int aGIdx);
  // A force operation, whose button can release any button by the group
  // rule and is released only by force buttons or ClearState(True).
  void AddForce(TP1PicButton *aButton, TAction *aAction, TObjMode aMode, int aGIdx);
  // Frees the first operation of aButton; nothing when none.
  void Remove(TP1PicButton *aButton);

  // After aButton took its own pressed state: in link mode a press of any
  // other button but the clear button is undone (the snap button turns
  // snapping off); otherwise the other buttons of its group (and the
  // group-0 buttons) are released. An unregistered button does nothing.
  void Click(TP1PicButton *aButton) override;
  // Puts the normal and page buttons up and unchecks their actions; force
  // buttons too when aForce. The page actions are enabled by the page shown.
  void ClearState(bool aForce) override;
  bool IsMode(TObjMode aMode) override;
  // Unchecks every checked action of the operations but aAction.
  void SetActionState(TAction *aAction) override;
  // For every operation bound to aAction: Checked := aCheck, button down
  // or up.
  void SetState(TAction *aAction, bool aCheck);
  // The button state of the first operation bound to aAction; bsDisabled
  // when none.
  TButtonState GetButtonState(TAction *aAction) const;
  void SetButtonState(TAction *aAction, TButtonState Value);

protected:
  TButtonMediator() = default;

private:
  TButtonOp *FindOp(TP1PicButton *aButton) const;
  void LinkModeGuard(TButtonOp &aOp, bool &aHandled);
};

// A record that holds one counted reference to its mediator.
class TColleague {
public:
  explicit TColleague(std::shared_ptr<IBtnOperate> AMediator);
  virtual ~TColleague() = default;
  // Releases the reference to the mediator.
  void Clear() { FMediator.reset(); }
  bool HasMediator() const { return FMediator != nullptr; }

protected:
  std::shared_ptr<IBtnOperate> FMediator;
};

// One registered button with its action and mode. The button and the
// action are followed weakly: one freed before the mediator counts as none.
class TButtonOp : public TColleague {
public:
  TButtonOp(std::shared_ptr<IBtnOperate> AMediator, TP1PicButton *aButton, TAction *aAction,
            TObjMode aMode, int aGIdx);

  virtual void Click(TP1PicButton *aColleague) = 0;
  virtual void ClearState(bool aForce) = 0;
  // aMode is the operation's mode and its button is down.
  virtual bool IsMode(TObjMode aMode);
  // Unchecks the action unless it is aAction.
  void SetActionChecked(TAction *aAction);

  TP1PicButton *Button() const { return FButton; }
  TAction *Action() const { return FAction; }
  TObjMode Mode() const { return FMode; }
  // The action's name; empty without one.
  QString ActionName() const;

protected:
  // The button is down and another button of its group, or any other button
  // when its group is 0, was pressed.
  bool IsReleasedBy(TP1PicButton *aPressed) const;
  // Checked := aChecked, then Enabled := True, when there is an action.
  void CheckAction(bool aChecked);
  // Sets and repaints the state of an enabled button.
  void ShowButton(TButtonState aState);

  QPointer<TP1PicButton> FButton;
  QPointer<TAction> FAction;
  TObjMode FMode;
};

class TNormalOp : public TButtonOp {
public:
  using TButtonOp::TButtonOp;
  void Click(TP1PicButton *aColleague) override;
  // aForce is ignored: the action is unchecked and the button put up.
  void ClearState(bool aForce) override;
};

// The previous-page and next-page buttons: ClearState also enables their
// actions by the current book's page.
class TPageOp : public TNormalOp {
public:
  using TNormalOp::TNormalOp;
  void ClearState(bool aForce) override;
};

class TForceOp : public TButtonOp {
public:
  using TButtonOp::TButtonOp;
  void Click(TP1PicButton *aColleague) override;
  // Only when aForce: the button up and the action unchecked.
  void ClearState(bool aForce) override;
};

} // namespace lumora
