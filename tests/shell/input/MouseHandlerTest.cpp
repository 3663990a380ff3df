// The mouse state machine: the press and release protocol, the event
// makers, the plain handler's states, and a plain handler over a real page
// in the base form driven by Qt's test events.
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "core/book/BookClasses.h"
#include "core/book/MetaBook.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/system/Exception.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/input/Drag.h"
#include "shell/input/Grips.h"
#include "shell/input/SimpleHandler.h"
#include "shell/input/UndoHooks.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "shell/undo/AbUndo.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/TestStart.h"

namespace lumora::test {
namespace {

constexpr TColor kGreen = 0x00C000;

// The author undo stack as the states see it: the entries in order.
class TUndoLog : public IAuthorUndo {
public:
  void Add(int aOperator, TCommonObj *aObj, bool) override {
    if (!entries.empty() && entries.back() == std::pair{aOperator, aObj} && aOperator == kUndoEdit)
      return;
    entries.emplace_back(aOperator, aObj);
  }
  void RemoveTop(int aOperator, TCommonObj *aObj) override {
    if (!entries.empty() && entries.back() == std::pair{aOperator, aObj}) entries.pop_back();
  }
  std::vector<std::pair<int, TCommonObj *>> entries;
};

// A state that counts what reaches it and can be told to go on.
class TProbeEvent : public TCustomObjEvent {
  LUMORA_EVENT(TProbeEvent, TCustomObjEvent)
public:
  void MouseDown(TMouseButton, TShiftState, int, int) override { ++downs; }
  void MouseMove(TShiftState, int, int) override {}
  void MouseUp(TMouseButton, TShiftState, int, int) override { ++ups; }
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override {
    if (raise) throw Exception(QStringLiteral("probe"));
    return goOn;
  }
  bool CanCoat() override { return false; }
  void ChangeObj(TCommonObj *aObj) override {
    ++retargets;
    FObj = aObj;
  }
  TEventClass ChangeClass() override { return next; }

  static inline bool goOn = false;
  static inline bool raise = false;
  static inline TEventClass next = nullptr;
  int downs = 0, ups = 0, retargets = 0;

protected:
  TProbeEvent(TMouseEventHandler *aOwner, TCommonObj *aObj) : TCustomObjEvent(aOwner, aObj) {}
};

// A state that cannot be built.
class TBrokenEvent : public TCustomObjEvent {
  LUMORA_EVENT(TBrokenEvent, TCustomObjEvent)
public:
  void MouseDown(TMouseButton, TShiftState, int, int) override {}
  void MouseMove(TShiftState, int, int) override {}
  void MouseUp(TMouseButton, TShiftState, int, int) override {}
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }
  bool CanCoat() override { return false; }

protected:
  TBrokenEvent(TMouseEventHandler *aOwner, TCommonObj *aObj) : TCustomObjEvent(aOwner, aObj) {
    throw Exception(QStringLiteral("broken"));
  }
};

// A figure that asks for its own state.
class TOwnStateRect : public TTestRect {
  LUMORA_OBJECT(TOwnStateRect, TTestRect)
public:
  const TObjEventClass *OwnEvent(TMouseEventHandler *, const TObjEventClass *) override {
    return TProbeEvent::StaticClass();
  }

protected:
  TOwnStateRect() = default;
};

// A tracker that notes what it is given.
class TFakeTrac : public TMultiTrac {
public:
  int Add(TCustomCompo *) override { return ++lists; }
  void AddObj(TCommonObj *aObj, TMouseEventHandler *) override { objects.push_back(aObj); }
  void AltMode(int aMode) override { mode = aMode; }
  TRect ClipRect() const override { return {0, 0, 10, 10}; }
  void DragDraw(int, int) override {}
  void CloseDrag() override {}
  void Move(TRealPoint) override {}
  std::vector<TCommonObj *> objects;
  int mode = -1, lists = 0;
};

class TTestMultiEvent : public TCustomMultiObjEvent {
  LUMORA_EVENT(TTestMultiEvent, TCustomMultiObjEvent)
public:
  void MouseDown(TMouseButton, TShiftState, int, int) override {}
  void MouseMove(TShiftState, int, int) override {}
  void MouseUp(TMouseButton, TShiftState, int, int) override {}
  bool IsContinue(TMouseEventHandler *, TShiftState, int, int) override { return false; }
  TFakeTrac *Trac() const { return static_cast<TFakeTrac *>(MultiTrac()); }

protected:
  TTestMultiEvent(TMouseEventHandler *aOwner, TCommonObj *aObj)
      : TCustomMultiObjEvent(aOwner, aObj, std::make_unique<TFakeTrac>()) {}
};

class MouseHandlerTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto box = std::make_unique<TStderrMessageBox>();
    messages_ = box.get();
    SetMessageBox(std::move(box));
    ASSERT_TRUE(dir_.isValid());
    StartShell(CoreStartup({.RegisterClasses = RegisterProgramClasses,
                            .SystemState = true,
                            .ProgramFolder = dir_.path()}));
    TProbeEvent::goOn = TProbeEvent::raise = false;
    TProbeEvent::next = nullptr;
    SetAuthorUndo(&undo_);
    book_ = NewObject<TAuthorBook>();
    NewEmptyBook(*book_);
    book_->Pages(0)->Param.FaceColor = kGreen;
    window_ = std::make_unique<QWidget>();
    window_->resize(TBaseForm::kDesignWidth, TBaseForm::kDesignHeight);
    form_ = new TBaseForm(window_.get());
    form_->setGeometry(window_->rect());
    handler_ = new TSimpleHandler(form_, form_, [] { return CurrentWorkPage(); });
    handler_->Construct(nullptr);
    rect_ = Place(NewObject<TTestRect>(), 100, 100);
  }
  void TearDown() override {
    window_.reset();
    book_.reset();
    SetCurrentBook(nullptr);
    SetAuthorUndo(nullptr);
    TCoreContext::Reset();
    SetMessageBox(nullptr);
  }

  template <class T> T *Place(std::unique_ptr<T> aObj, double x, double y) {
    T *obj = static_cast<T *>(book_->WorkPage->AddObj(std::move(aObj)));
    obj->Place({{x, y}, {x + 100, y}, {x + 100, y + 50}, {x, y + 50}});
    return obj;
  }
  static TShiftState Left(TShiftState aShift = {}) {
    aShift.Include(ssLeft);
    return aShift;
  }
  void Click(int x, int y, TShiftState aShift = {}) {
    handler_->MouseDown(mbLeft, Left(aShift), x, y);
    handler_->MouseUp(mbLeft, aShift, x, y);
  }
  void Drag(int x0, int y0, int x1, int y1, TShiftState aShift = {}) {
    handler_->MouseDown(mbLeft, Left(aShift), x0, y0);
    for (int step = 1; step <= 3; ++step)
      handler_->MouseMove(Left(aShift), x0 + (x1 - x0) * step / 3, y0 + (y1 - y0) * step / 3);
    handler_->MouseUp(mbLeft, aShift, x1, y1);
  }
  TEventClass Current() const { return handler_->MouseEvent()->ClassType(); }
  TProbeEvent *Probe() const { return dynamic_cast<TProbeEvent *>(handler_->MouseEvent()); }

  QTemporaryDir dir_;
  TStderrMessageBox *messages_ = nullptr;
  TUndoLog undo_;
  std::unique_ptr<TAuthorBook> book_;
  std::unique_ptr<QWidget> window_;
  TBaseForm *form_ = nullptr;
  TSimpleHandler *handler_ = nullptr;
  TTestRect *rect_ = nullptr;
};

TEST_F(MouseHandlerTest, PressSelectsDragsAndPressBesideDropsTheSelection) {
  EXPECT_EQ(Current(), TEmptylEvent::StaticClass());
  EXPECT_EQ(SysInfo().GrabHandle(), handler_);
  Click(150, 120);
  EXPECT_EQ(Current(), TTakeObjEvent::StaticClass());
  EXPECT_EQ(handler_->ActiveObj(), rect_);
  ASSERT_TRUE(handler_->GripGrabs()->Visible());
  EXPECT_EQ(handler_->GripGrabs()->Count(), 4);
  // A press on the selected object opens it; a drag moves it.
  Drag(150, 120, 180, 100);
  EXPECT_EQ(rect_->Polygon().front(), (TRealPoint{130, 80}));
  EXPECT_EQ(handler_->GrabState(), gsOpen);
  EXPECT_EQ(undo_.entries.back(), (std::pair{kUndoMove, static_cast<TCommonObj *>(rect_)}));
  // Shift keeps one axis; equal moves keep the horizontal one.
  Drag(150, 100, 170, 120, TShiftState{ssShift});
  EXPECT_EQ(rect_->Polygon().front(), (TRealPoint{150, 80}));
  Drag(170, 100, 175, 130, TShiftState{ssShift});
  EXPECT_EQ(rect_->Polygon().front(), (TRealPoint{150, 110}));
  // A press beside it drops the selection.
  Click(500, 400);
  EXPECT_EQ(Current(), TEmptylEvent::StaticClass());
  EXPECT_EQ(handler_->ActiveObj(), nullptr);
  EXPECT_FALSE(handler_->GripGrabs()->Visible());
}

TEST_F(MouseHandlerTest, ProtocolKeepsRetargetsAndRunsTheStatesPressLast) {
  handler_->ChangeEvent(TProbeEvent::StaticClass());
  TProbeEvent *probe = Probe();
  ASSERT_NE(probe, nullptr);
  // IsContinue keeps the state; its press still runs through the hook.
  TProbeEvent::goOn = true;
  handler_->MouseDown(mbLeft, Left(), 500, 400);
  EXPECT_EQ(Probe(), probe);
  EXPECT_EQ(probe->downs, 1);
  // A release whose successor is null keeps the same instance.
  handler_->MouseUp(mbLeft, {}, 500, 400);
  EXPECT_EQ(Probe(), probe);
  EXPECT_EQ(probe->ups, 1);
  // Asking for the current state's class retargets it.
  handler_->CreateEvent(TProbeEvent::StaticClass(), rect_);
  EXPECT_EQ(Probe(), probe);
  EXPECT_EQ(probe->retargets, 1);
  EXPECT_EQ(probe->TergetObj(), rect_);
  // A step that raises still lets the state's press run, then goes on.
  TProbeEvent::raise = true;
  EXPECT_THROW(handler_->MouseDown(mbLeft, Left(), 500, 400), Exception);
  EXPECT_EQ(probe->downs, 2);
  TProbeEvent::raise = false;
  // ChangeEvent does nothing for the current class or a base of it.
  handler_->ChangeEvent(TCustomObjEvent::StaticClass());
  EXPECT_EQ(Probe(), probe);
}

TEST_F(MouseHandlerTest, ObjectsOwnStateAndAFailedBuildLeaveAStateCurrent) {
  auto *own = Place(NewObject<TOwnStateRect>(), 300, 300);
  Click(350, 320);
  ASSERT_NE(Probe(), nullptr); // the object's own state, not the one-object state
  EXPECT_EQ(Probe()->TergetObj(), own);
  // A state that cannot be built: the old one is gone, the null state is
  // current before the failure goes on.
  handler_->SetObj(nullptr);
  EXPECT_THROW(handler_->CreateEvent(TBrokenEvent::StaticClass(), nullptr), Exception);
  ASSERT_NE(handler_->MouseEvent(), nullptr);
  EXPECT_EQ(Current(), TNullEvent::StaticClass());
}

TEST_F(MouseHandlerTest, LinkedTrayObjectsSupplyTheirStateOnlyWhereTheRuleSays) {
  auto *tray = Place(NewObject<TOwnStateRect>(), 300, 300);
  rect_->SetLinkedObj(tray);
  const TEventClass asked = TTakeObjEvent::StaticClass();
  struct Case {
    TSysMode mode;
    bool trayAbility;
    TEventClass expected;
    bool trayKept;
  };
  // Author mode: the linked object's state when the object is a tray user.
  // Presentation: the linked object becomes the tray, but one that does not
  // hold the object leaves the class asked.
  const Case cases[] = {{smAuthor, true, TProbeEvent::StaticClass(), false},
                        {smAuthor, false, asked, false},
                        {smExec, true, asked, true},
                        {smExec, false, asked, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(int(c.mode) * 10 + c.trayAbility);
    SysInfo().SetSysMode(c.mode);
    rect_->Param.ActType = c.trayAbility ? TActType{atShow, awTray} : TActType{atShow};
    TMouseEventMaker maker(handler_, asked, rect_);
    EXPECT_EQ(maker.EventClass(), c.expected);
    EXPECT_EQ(maker.Tray() != nullptr, c.trayKept);
  }
  SysInfo().SetSysMode(smAuthor);
  rect_->SetLinkedObj(nullptr);
}

TEST_F(MouseHandlerTest, GripDragReshapesAndCtrlAltDeletesOnlyWhatTheObjectAllows) {
  Click(150, 120);
  ASSERT_EQ(Current(), TTakeObjEvent::StaticClass());
  // Corner 2 (200, 150) dragged to (230, 170).
  handler_->MouseDown(mbLeft, Left(), 200, 150);
  EXPECT_EQ(Current(), TGrabEvent::StaticClass());
  handler_->MouseMove(Left(), 200, 150); // no move: nothing changes
  EXPECT_TRUE(undo_.entries.empty() || undo_.entries.back().first == kUndoEdit);
  handler_->MouseMove(Left(), 230, 170);
  handler_->MouseUp(mbLeft, {}, 230, 170);
  EXPECT_EQ(rect_->Polygon()[2], (TRealPoint{230, 170}));
  EXPECT_EQ(rect_->Polygon()[0], (TRealPoint{100, 100}));
  EXPECT_EQ(undo_.entries.back(), (std::pair{kUndoEdit, static_cast<TCommonObj *>(rect_)}));
  // Ctrl+Alt on a grip of a figure that refuses to lose a point: the edit
  // entry is withdrawn and the points stay.
  const size_t before = undo_.entries.size();
  undo_.entries.emplace_back(kUndoMove, rect_); // the top is not an edit of it
  handler_->MouseDown(mbLeft, Left(TShiftState{ssCtrl, ssAlt}), 100, 100);
  handler_->MouseUp(mbLeft, {}, 100, 100);
  EXPECT_EQ(undo_.entries.size(), before + 1);
  EXPECT_EQ(rect_->Polygon().size(), 4u);
}

TEST_F(MouseHandlerTest, CreationPlacesOnePaletteChoiceAndRefusesASecondMovie) {
  handler_->RequestNewObj = [this] { return handler_->MakeNewObj(); };
  // Nothing chosen: nothing made.
  handler_->SetObjMode(omCreate);
  Click(300, 300);
  EXPECT_EQ(book_->WorkPage->Count(), 1);
  // A movie already on the page: the message, nothing made, choice gone.
  auto *movie = Place(NewObject<TTestRect>(), 400, 400);
  movie->Param.ObjName = QStringLiteral("動画");
  SysInfo().SetSelectObj(QStringLiteral("動画"));
  SysInfo().SetSelectedFile(QStringLiteral("a.mp4"));
  handler_->SetObjMode(omCreate);
  try {
    Click(300, 300);
    ADD_FAILURE() << "no message";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("動画は一つしか置けません。"));
  }
  EXPECT_EQ(book_->WorkPage->Count(), 2);
  EXPECT_TRUE(SysInfo().SelectObj().isEmpty());
  EXPECT_TRUE(SysInfo().SelectedFile().isEmpty());
  // An animator on the common page.
  book_->WorkPage = book_->Pages(0);
  SysInfo().SetSelectObj(QStringLiteral("アニメーター"));
  SysInfo().SetSelectedFile(QStringLiteral("x"));
  EXPECT_THROW(handler_->MakeNewObj(), Exception);
  EXPECT_TRUE(SysInfo().SelectObj().isEmpty());
}

TEST_F(MouseHandlerTest, SeveralSelectedTakeTheSingleSelectionIntoTheTracker) {
  auto *other = Place(NewObject<TTestRect>(), 300, 300);
  Click(150, 120);
  ASSERT_EQ(handler_->ActiveObj(), rect_);
  handler_->CreateEvent(TTestMultiEvent::StaticClass(), other);
  auto *multi = dynamic_cast<TTestMultiEvent *>(handler_->MouseEvent());
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->Trac()->objects, std::vector<TCommonObj *>{rect_});
  EXPECT_EQ(multi->Trac()->mode, 0);
  EXPECT_EQ(handler_->ActiveObj(), nullptr);
  EXPECT_EQ(handler_->GrabState(), gsMultiSelect);
  EXPECT_EQ(multi->GrabEventClass, TGrabEvent::StaticClass());
}

TEST_F(MouseHandlerTest, OpenAtCentresOnThePoint) {
  // A figure at the origin: moved by the point less the whole halves of
  // its bounds.
  auto *made = Place(NewObject<TTestRect>(), 0, 0);
  made->Place({{0, 0}, {101, 0}, {101, 51}, {0, 51}});
  const TRect b = made->BoundsRect();
  const TRealPoint expected{double(300 - (b.Right - b.Left) / 2),
                            double(200 - (b.Bottom - b.Top) / 2)};
  handler_->ChangeEvent(TNullEvent::StaticClass());
  handler_->SetObj(made);
  handler_->ChangeEvent(TTakeObjEvent::StaticClass());
  static_cast<TCustomObjEvent *>(handler_->MouseEvent())->OpenAt(300, 200);
  EXPECT_EQ(made->Polygon().front(), expected);
  EXPECT_EQ(handler_->GrabState(), gsOpen);
}

TEST_F(MouseHandlerTest, CursorsFollowGripsAndObjects) {
  Click(150, 120);
  TCustomEvent *state = handler_->MouseEvent();
  state->UpdateCursor(100, 100, {}); // a corner grip
  EXPECT_EQ(handler_->Cursor(), crCross);
  state->UpdateCursor(100, 100, TShiftState{ssCtrl});
  EXPECT_EQ(handler_->Cursor(), crRound);
  state->UpdateCursor(150, 120, {}); // the held object
  EXPECT_EQ(handler_->Cursor(), crHand);
  state->UpdateCursor(600, 500, {}); // nothing
  EXPECT_EQ(handler_->Cursor(), crDefault);
}

// The real base form with the handler over it, driven by Qt's events:
// the grips show in the form's pixels, a drag moves the figure, a press
// beside it drops the selection.
TEST_F(MouseHandlerTest, EndToEndInTheBaseForm) {
  // The real undo stack records this page's edits.
  TAbUndo undo(99);
  SetAuthorUndo(&undo);
  undo.SetWorkPage(book_->WorkPage);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  const auto pixel = [this](int x, int y) {
    form_->FormPaint();
    form_->Canvas()->End();
    return FromQColor(static_cast<QImage *>(form_->Canvas()->Device())->pixelColor(x, y));
  };
  EXPECT_EQ(pixel(97, 97), kGreen); // outside the figure, where a grip goes
  QTest::mouseClick(handler_, Qt::LeftButton, {}, QPoint(150, 120));
  EXPECT_EQ(handler_->ActiveObj(), rect_);
  EXPECT_EQ(pixel(97, 97), TColor(0x0000FF)); // grip 0 is red
  QTest::mousePress(handler_, Qt::LeftButton, {}, QPoint(150, 120));
  for (int i = 1; i <= 4; ++i) {
    QMouseEvent move(QEvent::MouseMove, QPointF(150 + 10 * i, 120 + 5 * i),
                     handler_->mapToGlobal(QPointF(150 + 10 * i, 120 + 5 * i)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handler_, &move);
  }
  QTest::mouseRelease(handler_, Qt::LeftButton, {}, QPoint(190, 140));
  EXPECT_EQ(rect_->Polygon().front(), (TRealPoint{140, 120}));
  EXPECT_EQ(pixel(150, 110), kGreen); // where it was
  EXPECT_EQ(pixel(200, 150), kFace);  // where it is
  // Corner 2, now at (240, 170), dragged by its grip to (260, 190).
  const auto drag = [this](QPoint aFrom, QPoint aTo) {
    QTest::mousePress(handler_, Qt::LeftButton, {}, aFrom);
    for (int i = 1; i <= 4; ++i) {
      const QPointF at = aFrom + (aTo - aFrom) * i / 4.0;
      QMouseEvent move(QEvent::MouseMove, at, handler_->mapToGlobal(at), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(handler_, &move);
    }
    QTest::mouseRelease(handler_, Qt::LeftButton, {}, aTo);
  };
  drag({240, 170}, {260, 190});
  EXPECT_EQ(rect_->Polygon()[2], (TRealPoint{260, 190}));
  EXPECT_EQ(rect_->Polygon()[0], (TRealPoint{140, 120}));
  EXPECT_EQ(pixel(250, 180), kFace);
  // One undo takes back the resize, the next the move.
  ASSERT_TRUE(undo.CanUndo());
  EXPECT_EQ(undo.ExecuteUndo(), rect_);
  EXPECT_EQ(rect_->Polygon()[2], (TRealPoint{240, 170}));
  EXPECT_EQ(pixel(250, 180), kGreen);
  undo.ExecuteUndo();
  EXPECT_EQ(rect_->Polygon()[0], (TRealPoint{100, 100}));
  EXPECT_FALSE(undo.CanUndo());
  handler_->SetActiveObj(nullptr);
  QTest::mouseClick(handler_, Qt::LeftButton, {}, QPoint(600, 500));
  EXPECT_EQ(handler_->ActiveObj(), nullptr);
  EXPECT_EQ(pixel(97, 97), kGreen); // no grip left at corner 0
}

} // namespace
} // namespace lumora::test
