// The author handler: its press protocol, its states (rubber band, one
// object with Ctrl+drag copies, the multi-selection, creation, the paint
// bucket, linking, property mode, text editing), mode changes, pasting,
// and the handler over the real base form driven by Qt's test events.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include "core/book/MetaBook.h"
#include "core/model/CoreContext.h"
#include "core/model/ObjPool.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "platform/system/Exception.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MessageBox.h"
#include "shell/books/AuthorBook.h"
#include "shell/clipboard/Copier.h"
#include "shell/controls/Action.h"
#include "shell/controls/P1Graphic.h"
#include "shell/input/AuthorHandler.h"
#include "shell/input/Grips.h"
#include "shell/props/PropServer.h"
#include "shell/startup/BaseForm.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "shell/undo/AbUndo.h"
#include "tests/kinds/FigureKinds.h"
#include "tests/kinds/TestStart.h"

namespace lumora::test {
namespace {

LUMORA_DRAW_TEST_KIND(TGuideLineKind, "基準線", ({otSurface}), ({atShow}))
LUMORA_DRAW_TEST_KIND(TMovieKind, "動画", ({otSurface}), ({atShow}))
LUMORA_DRAW_TEST_KIND(TStampKind, "テスト判子", ({otSurface, otStamp}), ({atShow}))

// A text object: asks for the editor state and accepts editing.
class TTextKind : public TTestRect {
  LUMORA_OBJECT(TTextKind, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.Name = QStringLiteral("テスト文字");
    info.FormType = {otSurface, otText};
    return info;
  }
  const TObjEventClass *OwnEvent(TMouseEventHandler *, const TObjEventClass *aEvent) override {
    return TEditorObjEvent::StaticClass()->InheritsFrom(aEvent) ? TEditorObjEvent::StaticClass()
                                                                : nullptr;
  }
  bool Data(const QString &aCommand, const QVariantList &aArg) override {
    if (aCommand == QStringLiteral("編集開始")) return ++edits, true;
    return TTestRect::Data(aCommand, aArg);
  }
  int edits = 0;

protected:
  TTextKind() : TTestRect(DefaultParam(QStringLiteral("テスト文字"))) {}
};

// A figure drawn out point by point: at least three points, ended by the
// right button; each step moves the next corner.
class TPolyKind : public TTestRect {
  LUMORA_OBJECT(TPolyKind, TTestRect)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TTestRect::GetObjInfo();
    info.Name = QStringLiteral("テスト多角");
    return info;
  }
  int MinGrabs() override { return 3; }
  int ActiveGrab(int pSequence) override { return std::min(pSequence + 1, 3); }
  bool IsCreateEnd(TMouseButton pButton, int, std::span<TRealPoint>, TPoint) override {
    return pButton == mbRight;
  }

protected:
  TPolyKind() : TTestRect(DefaultParam(QStringLiteral("テスト多角"))) {}
};

class AuthorHandlerTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto box = std::make_unique<TStderrMessageBox>();
    SetMessageBox(std::move(box));
    ASSERT_TRUE(dir_.isValid());
    StartShell(CoreStartup({.RegisterClasses = RegisterProgramClasses,
                            .SystemState = true,
                            .ProgramFolder = dir_.path()}));
    for (auto add : {&TObjClassList::Add<TTestRect>, &TObjClassList::Add<TGuideLineKind>,
                     &TObjClassList::Add<TMovieKind>, &TObjClassList::Add<TStampKind>,
                     &TObjClassList::Add<TClickTarget>, &TObjClassList::Add<TTextKind>,
                     &TObjClassList::Add<TPolyKind>})
      (ObjClassList().*add)();
    ClipboardClear();
    book_ = NewObject<TAuthorBook>();
    NewEmptyBook(*book_);
    window_ = std::make_unique<QWidget>();
    window_->resize(TBaseForm::kDesignWidth, TBaseForm::kDesignHeight);
    form_ = new TBaseForm(window_.get());
    form_->setGeometry(window_->rect());
    handler_ = new TAuthorHandler(form_, form_, [] { return CurrentWorkPage(); });
    handler_->Construct(nullptr);
    sample_ = new TP1Graphic(window_.get());
    sample_->SetBackColor(0x00FF00);
    handler_->ColorSample = sample_;
    rect_ = Place(NewObject<TTestRect>(), 100, 100);
    other_ = Place(NewObject<TTestRect>(), 300, 100);
  }
  void TearDown() override {
    window_.reset();
    book_.reset();
    SetCurrentBook(nullptr);
    TCoreContext::Reset();
    SetMessageBox(nullptr);
  }

  TCustomCompo &Page() const { return *book_->WorkPage; }
  template <class T> T *Place(std::unique_ptr<T> aObj, double x, double y) {
    // Objects are found again by their ids: each its own.
    aObj->SetId(++lastId_);
    T *obj = static_cast<T *>(Page().AddObj(std::move(aObj)));
    obj->Place({{x, y}, {x + 100, y}, {x + 100, y + 50}, {x, y + 50}});
    return obj;
  }
  static TShiftState With(TShiftState aShift, TShiftStateElem aBit) {
    aShift.Include(aBit);
    return aShift;
  }
  void Press(int x, int y, TShiftState aShift = {}, TMouseButton aButton = mbLeft) {
    handler_->MouseDown(aButton, With(aShift, aButton == mbRight ? ssRight : ssLeft), x, y);
  }
  void Release(int x, int y, TShiftState aShift = {}, TMouseButton aButton = mbLeft) {
    handler_->MouseUp(aButton, aShift, x, y);
  }
  void Click(int x, int y, TShiftState aShift = {}) {
    Press(x, y, aShift);
    Release(x, y, aShift);
  }
  // A press, aMoves moves with the button held (evenly to the end point)
  // and a release there.
  void Drag(int x0, int y0, int x1, int y1, int aMoves, TShiftState aShift = {}) {
    Press(x0, y0, aShift);
    for (int step = 1; step <= aMoves; ++step)
      handler_->MouseMove(With(aShift, ssLeft), x0 + (x1 - x0) * step / aMoves,
                          y0 + (y1 - y0) * step / aMoves);
    Release(x1, y1, aShift);
  }
  TEventClass Current() const { return handler_->MouseEvent()->ClassType(); }
  TMultiTrac *Trac() const {
    auto *multi = dynamic_cast<TMultiObjEvent *>(handler_->MouseEvent());
    return multi ? multi->MultiTrac() : nullptr;
  }
  // The operators of the undo records, oldest first.
  std::vector<int> Operators() const {
    std::vector<int> ops;
    for (const auto &record : AbUndo()->Records())
      if (const auto *obj = dynamic_cast<const TUndoObj *>(record.get()))
        ops.push_back(obj->FOperator);
    return ops;
  }
  void Choose(const QString &aKind) {
    SysInfo().SetSelectObj(aKind);
    SysInfo().SetSelectedFile(QStringLiteral("x"));
    handler_->CreateEvent(nullptr, omCreate);
  }

  QTemporaryDir dir_;
  std::unique_ptr<TAuthorBook> book_;
  std::unique_ptr<QWidget> window_;
  TBaseForm *form_ = nullptr;
  TAuthorHandler *handler_ = nullptr;
  TP1Graphic *sample_ = nullptr;
  TTestRect *rect_ = nullptr;
  TTestRect *other_ = nullptr;
  int64_t lastId_ = 1000;
};

TEST_F(AuthorHandlerTest, RubberBandSelectsFromTheThirdMoveAndOverOnePixel) {
  EXPECT_EQ(Current(), TNullEvent::StaticClass());
  // Two moves: no band, no selection.
  Drag(50, 50, 450, 300, 2);
  EXPECT_EQ(Current(), TNormalEvent::StaticClass());
  // A band one pixel wide selects nothing.
  Drag(150, 50, 151, 300, 3);
  EXPECT_EQ(Current(), TNormalEvent::StaticClass());
  // A band over the first figure's points only.
  Drag(50, 50, 250, 300, 3);
  ASSERT_EQ(Current(), TMultiObjEvent::StaticClass());
  EXPECT_EQ(Trac()->Count(), 1);
  EXPECT_EQ(Trac()->GetObjs(0), rect_);
  // A band over both.
  Click(700, 500);
  Drag(50, 50, 450, 300, 3);
  ASSERT_EQ(Current(), TMultiObjEvent::StaticClass());
  EXPECT_EQ(Trac()->Count(), 2);
}

TEST_F(AuthorHandlerTest, CtrlDragCopiesAfterFourMovesAndMovesBefore) {
  struct Case {
    int moves;
    bool copies;
  };
  for (const Case c : {Case{4, false}, Case{5, true}}) {
    SCOPED_TRACE(c.moves);
    Click(700, 500); // nothing selected
    const int objects = Page().Count();
    const size_t records = AbUndo()->Records().size();
    const TRealPoint before = rect_->Polygon().front();
    const int x = int(before.rx) + 50, y = int(before.ry) + 20;
    Drag(x, y, x + 10 * c.moves, y + 10 * c.moves, c.moves, TShiftState{ssCtrl});
    const TRealPoint moved{before.rx + 10 * c.moves, before.ry + 10 * c.moves};
    if (c.copies) {
      ASSERT_EQ(Page().Count(), objects + 1);
      TCommonObj *copy = Page().Pool()->Items(Page().Count() - 1);
      EXPECT_NE(copy, rect_);
      EXPECT_NE(copy->Id(), rect_->Id());
      EXPECT_NE(copy->Name, rect_->Name);
      EXPECT_EQ(copy->Polygon().front(), moved);
      EXPECT_EQ(rect_->Polygon().front(), before);
      EXPECT_EQ(handler_->ActiveObj(), copy);
      EXPECT_EQ(AbUndo()->Records().size(), records);
    } else {
      EXPECT_EQ(Page().Count(), objects);
      EXPECT_EQ(rect_->Polygon().front(), moved);
      ASSERT_EQ(AbUndo()->Records().size(), records + 1);
      EXPECT_EQ(Operators().back(), 5);
    }
  }
}

TEST_F(AuthorHandlerTest, MultiSelectionTogglesMovesAndCopies) {
  auto *third = Place(NewObject<TTestRect>(), 100, 300);
  Drag(50, 50, 450, 200, 3);
  ASSERT_EQ(Trac()->Count(), 2);
  // Ctrl+click adds an unselected object and removes a selected one.
  Click(150, 320, TShiftState{ssCtrl});
  ASSERT_EQ(Current(), TMultiObjEvent::StaticClass());
  EXPECT_EQ(Trac()->Count(), 3);
  EXPECT_GE(Trac()->ObjIndex(third), 0);
  Click(350, 120, TShiftState{ssCtrl});
  EXPECT_EQ(Trac()->Count(), 2);
  EXPECT_LT(Trac()->ObjIndex(other_), 0);
  // One move does not drag the selection; it moves from the second.
  const TRealPoint at = rect_->Polygon().front();
  Press(150, 120);
  handler_->MouseMove(TShiftState{ssLeft}, 160, 130);
  handler_->MouseMove(TShiftState{ssLeft}, 170, 140);
  EXPECT_EQ(handler_->GrabState(), gsMultiMoving);
  handler_->MouseMove(TShiftState{ssLeft}, 180, 150);
  Release(180, 150);
  EXPECT_EQ(rect_->Polygon().front(), (TRealPoint{at.rx + 30, at.ry + 30}));
  EXPECT_EQ(third->Polygon().front(), (TRealPoint{130, 330}));
  EXPECT_EQ(Operators().back(), 5);
  // Ctrl+drag copies the selection; the copies become the selection.
  const int objects = Page().Count();
  const size_t records = AbUndo()->Records().size();
  Drag(160, 140, 220, 200, 6, TShiftState{ssCtrl});
  ASSERT_EQ(Page().Count(), objects + 2);
  ASSERT_EQ(Current(), TMultiObjEvent::StaticClass());
  EXPECT_EQ(Trac()->Count(), 2);
  EXPECT_LT(Trac()->ObjIndex(rect_), 0);
  EXPECT_EQ(rect_->Polygon().front(), (TRealPoint{at.rx + 30, at.ry + 30}));
  EXPECT_EQ(AbUndo()->Records().size(), records + 2);
  EXPECT_EQ(Operators().back(), 1);
}

TEST_F(AuthorHandlerTest, ClickCreatesCentredAndDraggingDrawsOutFromTheThirdMove) {
  Choose(QStringLiteral("テスト矩形"));
  Click(400, 300);
  ASSERT_EQ(Page().Count(), 3);
  TCommonObj *made = Page().Pool()->Items(2);
  const TRect b = made->BoundsRect();
  EXPECT_NEAR((b.Left + b.Right) / 2.0, 400, 1.5);
  EXPECT_NEAR((b.Top + b.Bottom) / 2.0, 300, 1.5);
  EXPECT_EQ(handler_->ActiveObj(), made);
  EXPECT_EQ(handler_->ObjMode(), omNon);
  EXPECT_EQ(Current(), TAuthorObjEvent::StaticClass());
  EXPECT_EQ(Operators().back(), 1);
  // Drawn out: the first point at the press, the opposite corner at the
  // release.
  Choose(QStringLiteral("テスト矩形"));
  Drag(500, 400, 560, 460, 3);
  ASSERT_EQ(Page().Count(), 4);
  TCommonObj *drawn = Page().Pool()->Items(3);
  EXPECT_EQ(drawn->Polygon()[0], (TRealPoint{500, 400}));
  EXPECT_EQ(drawn->Polygon()[2], (TRealPoint{560, 460}));
  EXPECT_EQ(handler_->ActiveObj(), drawn);
}

TEST_F(AuthorHandlerTest, RightReleaseAdvancesOnlyWithEnoughPointsAndEndsWhereTheObjectSays) {
  // Right release at once: too few points to advance, but it ends.
  Choose(QStringLiteral("テスト多角"));
  Press(500, 400);
  for (int i = 1; i <= 3; ++i)
    handler_->MouseMove(TShiftState{ssLeft}, 500 + 10 * i, 400 + 10 * i);
  auto *create = dynamic_cast<TCreate2Event *>(handler_->MouseEvent());
  ASSERT_NE(create, nullptr);
  handler_->MouseUp(mbRight, {}, 530, 430);
  EXPECT_EQ(handler_->ObjMode(), omNon);
  EXPECT_EQ(Current(), TAuthorObjEvent::StaticClass());
  // A left release advances and goes on; the next press continues it; a
  // right release with enough points advances and ends.
  Choose(QStringLiteral("テスト多角"));
  Press(100, 400);
  for (int i = 1; i <= 3; ++i)
    handler_->MouseMove(TShiftState{ssLeft}, 100 + 20 * i, 400);
  create = dynamic_cast<TCreate2Event *>(handler_->MouseEvent());
  ASSERT_NE(create, nullptr);
  Release(160, 400);
  EXPECT_EQ(create->CreateNo, 1);
  EXPECT_EQ(handler_->ObjMode(), omCreate);
  Press(160, 460, {}, mbRight);
  EXPECT_EQ(handler_->MouseEvent(), create);
  handler_->MouseMove({}, 160, 460);
  Release(160, 460, {}, mbRight);
  EXPECT_EQ(handler_->ObjMode(), omNon);
  TCommonObj *made = Page().Pool()->Items(Page().Count() - 1);
  EXPECT_EQ(made->Polygon()[0], (TRealPoint{100, 400}));
  EXPECT_EQ(made->Polygon()[1], (TRealPoint{160, 400}));
  EXPECT_EQ(made->Polygon()[2], (TRealPoint{160, 460}));
}

TEST_F(AuthorHandlerTest, RefusedCreationLeavesTheNullStateAndTheNextPressIsHandled) {
  Place(NewObject<TMovieKind>(), 500, 400);
  Choose(QStringLiteral("動画"));
  try {
    Press(200, 300);
    ADD_FAILURE() << "no refusal";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("動画は一つしか置けません。"));
  }
  EXPECT_EQ(Current(), TNullEvent::StaticClass());
  EXPECT_EQ(handler_->ObjMode(), omNon);
  EXPECT_EQ(Page().Count(), 3);
  Release(200, 300);
  Click(150, 120);
  EXPECT_EQ(handler_->ActiveObj(), rect_);
  EXPECT_EQ(Current(), TAuthorObjEvent::StaticClass());
}

TEST_F(AuthorHandlerTest, PaintBucketColoursSurfacesButNotStamps) {
  auto *stamp = Place(NewObject<TStampKind>(), 100, 300);
  TAction bucket;
  bucket.SetChecked(true);
  handler_->CreateEvent(&bucket, omCoating);
  Click(150, 120);
  EXPECT_EQ(rect_->Param.FaceColor, TColor(0x00FF00));
  EXPECT_EQ(Operators().back(), 20);
  const size_t records = AbUndo()->Records().size();
  handler_->CreateEvent(&bucket, omCoating);
  Click(150, 320);
  EXPECT_EQ(stamp->Param.FaceColor, kFace);
  EXPECT_EQ(AbUndo()->Records().size(), records);
}

TEST_F(AuthorHandlerTest, LinkModeLinksToActionTargetsOnly) {
  auto *target = Place(NewObject<TClickTarget>(), 100, 300);
  // A figure is no click target: nothing is linked or recorded, and linking
  // goes on.
  Click(150, 120);
  handler_->CreateEvent(nullptr, omLink);
  ASSERT_EQ(Current(), TLinkEvent::StaticClass());
  const size_t records = AbUndo()->Records().size();
  handler_->MouseMove({}, 300, 200);
  Click(350, 120);
  EXPECT_EQ(rect_->GetLinkedObj(), nullptr);
  EXPECT_EQ(AbUndo()->Records().size(), records);
  EXPECT_EQ(handler_->ObjMode(), omLink);
  // The action object: linked, recorded, and link mode ends without Ctrl.
  Click(150, 320);
  EXPECT_EQ(rect_->GetLinkedObj(), target);
  EXPECT_EQ(Operators().back(), 8);
  EXPECT_EQ(handler_->ObjMode(), omNon);
  // With Ctrl, linking goes on after a link.
  Click(350, 120);
  handler_->CreateEvent(nullptr, omLink);
  auto *target2 = Place(NewObject<TClickTarget>(), 300, 300);
  Click(350, 320, TShiftState{ssCtrl});
  EXPECT_EQ(other_->GetLinkedObj(), target2);
  EXPECT_EQ(handler_->ObjMode(), omLink);
  // A right release ends it and returns to the source.
  Click(600, 500, TShiftState{ssCtrl});
  Press(600, 500, {}, mbRight);
  Release(600, 500, {}, mbRight);
  EXPECT_EQ(handler_->ObjMode(), omNon);
  EXPECT_EQ(Current(), TAuthorObjEvent::StaticClass());
  EXPECT_EQ(handler_->ActiveObj(), other_);
}

TEST_F(AuthorHandlerTest, AltClickOpensPropertiesOfObjectsAndOfThePage) {
  auto *guide = Place(NewObject<TGuideLineKind>(), 100, 300);
  const TShiftState alt{ssAlt};
  Click(150, 120, alt);
  ASSERT_NE(handler_->PropServ(), nullptr);
  EXPECT_EQ(handler_->PropServ()->Objects(), std::vector<TCommonObj *>{rect_});
  EXPECT_TRUE(handler_->PropServ()->Showing());
  EXPECT_EQ(handler_->ActiveObj(), rect_);
  EXPECT_NE(handler_->PropertyEvent(), nullptr);
  // Empty page space: the page's properties; with Ctrl as well, none.
  Click(600, 500, alt);
  ASSERT_NE(handler_->PropServ(), nullptr);
  EXPECT_EQ(handler_->PropServ()->Objects(), std::vector<TCommonObj *>{&Page()});
  Click(700, 500); // a plain press ends property mode
  EXPECT_EQ(handler_->PropertyEvent(), nullptr);
  EXPECT_EQ(handler_->PropServ(), nullptr);
  Click(600, 500, TShiftState{ssAlt, ssCtrl});
  EXPECT_EQ(handler_->PropServ(), nullptr);
  // Guide lines have no property box.
  Click(150, 320, alt);
  EXPECT_EQ(handler_->PropServ(), nullptr);
  EXPECT_EQ(handler_->ActiveObj(), guide);
}

TEST_F(AuthorHandlerTest, PropertyModeKeepsTheHooksAndModeAndGivesThemBack) {
  Click(150, 120);
  ASSERT_TRUE(handler_->OnMouseDown);
  handler_->SetObjMode(omRotate);
  handler_->CreateEvent(nullptr, omProperty);
  ASSERT_NE(handler_->PropertyEvent(), nullptr);
  EXPECT_EQ(handler_->ObjMode(), omProperty);
  EXPECT_FALSE(handler_->OnMouseDown);
  EXPECT_TRUE(handler_->OnMouseMove);
  ASSERT_NE(handler_->PropServ(), nullptr);
  // The teacher closes the box: property mode ends.
  static_cast<TPropServer *>(handler_->PropServ())->Close();
  EXPECT_EQ(handler_->PropertyEvent(), nullptr);
  EXPECT_EQ(handler_->ObjMode(), omRotate);
  EXPECT_TRUE(handler_->OnMouseDown);
  EXPECT_EQ(Current(), TAuthorObjEvent::StaticClass());
  // Applying a new name records an edit.
  handler_->CreateEvent(nullptr, omProperty);
  static_cast<TPropServer *>(handler_->PropServ())->Apply(QStringLiteral("三角"));
  EXPECT_EQ(rect_->Name, QStringLiteral("三角"));
  EXPECT_EQ(Operators().back(), 20);
}

TEST_F(AuthorHandlerTest, DoubleClickOnATextObjectStartsEditing) {
  auto *text = Place(NewObject<TTextKind>(), 100, 300);
  Click(150, 320);
  ASSERT_EQ(Current(), TEditorObjEvent::StaticClass());
  handler_->DblClick();
  EXPECT_EQ(text->edits, 1);
  EXPECT_EQ(handler_->GrabState(), gsKeyin);
  // A figure's state has no double click.
  Click(150, 120);
  EXPECT_EQ(Current(), TAuthorObjEvent::StaticClass());
  EXPECT_FALSE(handler_->OnDblClick);
}

TEST_F(AuthorHandlerTest, ModeButtonsBuildTheirStates) {
  TAction tool;
  struct Case {
    TObjMode mode;
    bool checked;
    TEventClass expected;
  };
  const Case cases[] = {
      {omNon, false, TNormalEvent::StaticClass()},
      {omSpoit, true, TDeSpoitEvent::StaticClass()},
      {omSpoit, false, TNormalEvent::StaticClass()},
      {omCoating, true, TDeCoatingEvent::StaticClass()},
      {omCoating, false, TNormalEvent::StaticClass()},
      {omLink, false, TNullEvent::StaticClass()}, // nothing selected
      {omQuit, false, TNullEvent::StaticClass()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(int(c.mode));
    handler_->CreateNormalEvent();
    tool.SetChecked(c.checked);
    handler_->CreateEvent(&tool, c.mode);
    EXPECT_EQ(Current(), c.expected);
  }
  EXPECT_EQ(handler_->ObjMode(), omQuit);
  handler_->CreateEvent(&tool, omNon);
  // Rotate mode on a selected, open object keeps its state.
  Click(150, 120);
  Click(150, 120);
  ASSERT_EQ(handler_->GrabState(), gsOpen);
  TCustomEvent *state = handler_->MouseEvent();
  handler_->CreateEvent(&tool, omRotate);
  EXPECT_EQ(handler_->MouseEvent(), state);
}

TEST_F(AuthorHandlerTest, PastingOneRecordsACreationAndSeveralOneGroup) {
  Click(150, 120);
  handler_->ObjectCopy(false);
  EXPECT_TRUE(handler_->HasClipData());
  handler_->ObjectPaste();
  ASSERT_EQ(Page().Count(), 3);
  TCommonObj *pasted = Page().Pool()->Items(2);
  EXPECT_EQ(pasted->Polygon().front(), (TRealPoint{105, 105}));
  EXPECT_EQ(handler_->ActiveObj(), pasted);
  EXPECT_EQ(Current(), TAuthorObjEvent::StaticClass());
  EXPECT_EQ(Operators().back(), 1);
  // Two copied together paste together, under one undo number.
  Click(700, 500);
  Drag(50, 50, 450, 200, 3);
  ASSERT_EQ(Trac()->Count(), 3);
  handler_->ObjectCopy(false);
  const size_t records = AbUndo()->Records().size();
  handler_->ObjectPaste();
  ASSERT_EQ(Page().Count(), 6);
  ASSERT_EQ(Current(), TMultiObjEvent::StaticClass());
  EXPECT_EQ(Trac()->Count(), 3);
  const auto &all = AbUndo()->Records();
  ASSERT_EQ(all.size(), records + 3);
  EXPECT_EQ(all[records]->UndoNo(), all.back()->UndoNo());
  EXPECT_EQ(Operators().back(), 1);
}

// The handler over the real base form, driven by Qt's events: a rubber
// band selects, a Ctrl+drag copies, and a copy goes through the real
// clipboard and comes back as a paste.
TEST_F(AuthorHandlerTest, EndToEndInTheBaseForm) {
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  const auto drag = [this](QPoint aFrom, QPoint aTo, int aMoves, Qt::KeyboardModifiers aKeys) {
    QTest::mousePress(handler_, Qt::LeftButton, aKeys, aFrom);
    for (int i = 1; i <= aMoves; ++i) {
      const QPointF at = aFrom + (aTo - aFrom) * double(i) / aMoves;
      QMouseEvent move(QEvent::MouseMove, at, handler_->mapToGlobal(at), Qt::NoButton,
                       Qt::LeftButton, aKeys);
      QCoreApplication::sendEvent(handler_, &move);
    }
    QTest::mouseRelease(handler_, Qt::LeftButton, aKeys, aTo);
  };
  drag({50, 50}, {450, 200}, 4, {});
  ASSERT_EQ(Current(), TMultiObjEvent::StaticClass());
  EXPECT_EQ(Trac()->Count(), 2);
  QTest::mouseClick(handler_, Qt::LeftButton, {}, QPoint(700, 500));
  EXPECT_EQ(Current(), TNormalEvent::StaticClass());
  // Ctrl+drag of the first figure: a copy 60 pixels on, the figure stays.
  drag({150, 120}, {210, 180}, 6, Qt::ControlModifier);
  ASSERT_EQ(Page().Count(), 3);
  TCommonObj *copy = Page().Pool()->Items(2);
  EXPECT_EQ(copy->Polygon().front(), (TRealPoint{160, 160}));
  EXPECT_EQ(rect_->Polygon().front(), (TRealPoint{100, 100}));
  // Copy through the real clipboard, then paste.
  QTest::mouseClick(handler_, Qt::LeftButton, {}, QPoint(350, 120));
  ASSERT_EQ(handler_->ActiveObj(), other_);
  handler_->ObjectCopy(false);
  const QMimeData *offered = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(offered, nullptr);
  EXPECT_TRUE(offered->hasFormat(QString::fromLatin1(kExDataMimeType)));
  handler_->ObjectPaste();
  ASSERT_EQ(Page().Count(), 4);
  EXPECT_EQ(Page().Pool()->Items(3)->Polygon().front(), (TRealPoint{305, 105}));
  EXPECT_EQ(handler_->ActiveObj(), Page().Pool()->Items(3));
}

} // namespace
} // namespace lumora::test
