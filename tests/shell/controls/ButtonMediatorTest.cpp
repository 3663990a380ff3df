// The mode-button mediator on a tool bar like the author window's: which
// buttons a press releases, the link-mode guard, ClearState, the page
// buttons and the mediator's lifetime.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

#include "core/book/ActBlockList.h"
#include "core/book/BookClasses.h"
#include "core/drawable/CoreClasses.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "shell/books/AuthorBook.h"
#include "shell/controls/Action.h"
#include "shell/controls/ButtonMediator.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "tests/kinds/TestStart.h"

namespace lumora::test {
namespace {

struct ButtonDef {
  const char *key; // the button's name in the tests
  const char *action;
  bool force;
  TObjMode mode;
  int group;
};

// A part of the author window's tool bar.
const ButtonDef kButtons[] = {
    {"menu", "BookMenu", false, omNon, -1},       {"clear", "ClearSelect", true, omNon, 0},
    {"snap", "AdsorbMode", true, omNon, 0},       {"mirror", "Mirror", false, omNon, 0},
    {"prev", "PrePage", false, omNon, 0},         {"next", "NextPage", false, omNon, 0},
    {"rotate", "GrabRotate", false, omRotate, 1}, {"dropper", "Spoit", false, omSpoit, 1},
    {"paint", "Coating", false, omCoating, 1},    {"link", "LinkMode", false, omLink, 1},
};

class ButtonMediatorTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    StartShell(
        CoreStartup({.RegisterClasses = RegisterProgramClasses, .ProgramFolder = dir_.path()}));

    mediator_ = TButtonMediator::Create();
    for (const ButtonDef &def : kButtons) {
      auto button = std::make_unique<TP1PicButton>();
      auto action = std::make_unique<TAction>(QString::fromLatin1(def.action));
      if (def.force)
        mediator_->AddForce(button.get(), action.get(), def.mode, def.group);
      else
        mediator_->AddNormal(button.get(), action.get(), def.mode, def.group);
      buttons_[def.key] = std::move(button);
      actions_[def.key] = std::move(action);
    }
  }
  void TearDown() override {
    if (mediator_) mediator_->Cleanup();
    mediator_.reset();
    buttons_.clear();
    actions_.clear();
    book_.reset();
    SetCurrentBook(nullptr);
    TCoreContext::Reset();
  }

  TP1PicButton &Button(const std::string &key) { return *buttons_.at(key); }
  TAction &Action(const std::string &key) { return *actions_.at(key); }
  // The button was put down and its action run, as a press does; then the
  // window tells the mediator.
  void Press(const std::string &key) {
    Button(key).SetState(bsDown);
    Action(key).SetChecked(true);
    mediator_->Click(&Button(key));
  }
  void PutDown(const std::string &key) {
    Button(key).SetState(bsDown);
    Action(key).SetChecked(true);
  }
  // The keys of the buttons down, in table order, and a check that each
  // button's action is checked exactly while it is down.
  std::string Down() {
    std::string down;
    for (const ButtonDef &def : kButtons) {
      const bool isDown = Button(def.key).State() == bsDown;
      EXPECT_EQ(Action(def.key).Checked(), isDown) << def.key;
      if (isDown) down += std::string(down.empty() ? "" : " ") + def.key;
    }
    return down;
  }

  QTemporaryDir dir_;
  std::shared_ptr<TButtonMediator> mediator_;
  std::map<std::string, std::unique_ptr<TP1PicButton>> buttons_;
  std::map<std::string, std::unique_ptr<TAction>> actions_;
  std::unique_ptr<TAuthorBook> book_;
};

TEST_F(ButtonMediatorTest, RegistersGroupsAndPageOperations) {
  EXPECT_EQ(mediator_->OpCount(), int(std::size(kButtons)));
  EXPECT_EQ(Button("menu").Tag(), -1);
  EXPECT_EQ(Button("paint").Tag(), 1);
  EXPECT_EQ(Button("paint").Action(), &Action("paint"));
}

TEST_F(ButtonMediatorTest, PressReleasesByGroupAndForce) {
  struct Case {
    const char *name;
    std::vector<std::string> down;
    std::string pressed;
    std::string after;
  };
  const Case cases[] = {
      {"same group releases", {"dropper"}, "paint", "paint"},
      {"group 0 press keeps group 1", {"dropper"}, "mirror", "mirror dropper"},
      {"group 0 released by any press", {"mirror"}, "rotate", "rotate"},
      {"group 0 released by group -1", {"mirror"}, "menu", "menu"},
      {"clear releases group 0 and snap", {"snap", "mirror", "dropper"}, "clear", "clear dropper"},
      {"ordinary press never releases snap", {"snap"}, "mirror", "snap mirror"},
      {"link guard undoes a rotate press", {"link"}, "rotate", "link"},
      {"link guard turns snapping off", {"snap", "link"}, "snap", "link"},
      {"clear passes in link mode", {"mirror", "link"}, "clear", "clear link"},
      {"link button itself in link mode", {"link", "mirror"}, "link", "link"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    mediator_->ClearState(true);
    for (const std::string &key : c.down)
      PutDown(key);
    Press(c.pressed);
    EXPECT_EQ(Down(), c.after);
  }
}

TEST_F(ButtonMediatorTest, ClearStateLeavesForceButtonsUnlessForced) {
  for (const ButtonDef &def : kButtons)
    PutDown(def.key);
  Action("paint").SetEnabled(false);
  Button("paint").SetEnabled(true); // the button follows only a change
  PutDown("paint");
  mediator_->ClearState(false);
  EXPECT_EQ(Down(), "clear snap");
  EXPECT_TRUE(Action("paint").Enabled());
  mediator_->ClearState(true);
  EXPECT_EQ(Down(), "");
}

TEST_F(ButtonMediatorTest, PageButtonsFollowTheCurrentPage) {
  book_ = NewObject<TAuthorBook>();
  NewEmptyBook(*book_); // the common page and page 1
  std::unique_ptr<TAuthorPage> page = NewObject<TAuthorPage>();
  page->Name = page->CreateName(true);
  page->Param.SetObjValue(2);
  book_->AddObj(std::move(page));
  struct Case {
    int page;
    bool pre, next;
  };
  for (const Case &c : {Case{1, false, true}, Case{2, true, false}}) {
    SCOPED_TRACE(c.page);
    book_->SetPage(c.page);
    PutDown("prev");
    PutDown("next");
    mediator_->ClearState(false);
    EXPECT_EQ(Action("prev").Enabled(), c.pre);
    EXPECT_EQ(Action("next").Enabled(), c.next);
    EXPECT_EQ(Button("prev").State(), c.pre ? bsUp : bsDisabled);
    EXPECT_EQ(Button("next").State(), c.next ? bsUp : bsDisabled);
    EXPECT_FALSE(Action("prev").Checked());
  }
  // Without a current book neither way is open.
  SetCurrentBook(nullptr);
  mediator_->ClearState(false);
  EXPECT_FALSE(Action("prev").Enabled());
  EXPECT_FALSE(Action("next").Enabled());
}

TEST_F(ButtonMediatorTest, ModeFollowsTheButtonAndStateCalls) {
  EXPECT_FALSE(mediator_->IsMode(omLink));
  Press("link");
  EXPECT_TRUE(mediator_->IsMode(omLink));
  EXPECT_FALSE(mediator_->IsMode(omRotate));
  EXPECT_EQ(mediator_->GetButtonState(&Action("link")), bsDown);
  mediator_->SetButtonState(&Action("link"), bsUp);
  EXPECT_FALSE(mediator_->IsMode(omLink));

  mediator_->SetState(&Action("dropper"), true);
  EXPECT_TRUE(mediator_->IsMode(omSpoit));
  EXPECT_TRUE(Action("dropper").Checked());
  PutDown("paint");
  mediator_->SetActionState(&Action("paint"));
  EXPECT_FALSE(Action("dropper").Checked());
  EXPECT_TRUE(Action("paint").Checked());

  // Unregistered actions and buttons are ignored.
  TAction stranger(QStringLiteral("Stranger"));
  TP1PicButton loose;
  EXPECT_EQ(mediator_->GetButtonState(&stranger), bsDisabled);
  mediator_->SetState(&stranger, true);
  mediator_->SetButtonState(&stranger, bsDown);
  loose.SetState(bsDown);
  mediator_->Click(&loose);
  mediator_->Remove(&loose);
  EXPECT_EQ(mediator_->OpCount(), int(std::size(kButtons)));
  EXPECT_TRUE(mediator_->IsMode(omSpoit));

  mediator_->Remove(&Button("dropper"));
  EXPECT_FALSE(mediator_->IsMode(omSpoit));
  EXPECT_EQ(mediator_->GetButtonState(&Action("dropper")), bsDisabled);
}

TEST_F(ButtonMediatorTest, CleanupFreesOperationsAndMediator) {
  SysInfo().BtnMediator = mediator_.get();
  const std::weak_ptr<TButtonMediator> watch = mediator_;
  // The window's handle goes first: the operations keep the mediator.
  TButtonMediator *raw = mediator_.get();
  mediator_.reset();
  ASSERT_FALSE(watch.expired());
  raw->Cleanup();
  EXPECT_TRUE(watch.expired());
  EXPECT_EQ(SysInfo().BtnMediator, nullptr);

  // The usual order: Cleanup, then the window drops its handle.
  mediator_ = TButtonMediator::Create();
  mediator_->AddNormal(&Button("rotate"), &Action("rotate"), omRotate, 1);
  mediator_->Cleanup();
  EXPECT_EQ(mediator_->OpCount(), 0);
  EXPECT_EQ(mediator_.use_count(), 1);
}

TEST_F(ButtonMediatorTest, ButtonFreedBeforeTheMediatorCountsAsNone) {
  PutDown("dropper");
  buttons_.erase("dropper");
  EXPECT_FALSE(mediator_->IsMode(omSpoit));
  Press("paint");
  mediator_->ClearState(true);
  EXPECT_EQ(mediator_->GetButtonState(&Action("dropper")), bsDisabled);
}

} // namespace
} // namespace lumora::test
