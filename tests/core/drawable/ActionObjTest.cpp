// Action objects: the icon and its ports, the maker in both modes, the
// stored forms of the action record, links and the executor's circuit rule.
#include <gtest/gtest.h>

#include "core/model/NullObj.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Exception.h"
#include "tests/core/drawable/ActionTestClasses.h"
#include "tests/core/stream/StreamFixture.h"

namespace lumora::test::act {
namespace {

// The action record the fixtures below hold.
TActParam SampleParam() {
  TActParam p;
  p.ExeType = {exShow, exMove};
  p.MovePos = {10, 20};
  p.Angle = 1.5;
  p.Scaling = 2;
  p.Value = 7;
  p.Text = QStringLiteral("abc");
  return p;
}

// Int32 56 and the block of SampleParam, then its text.
const char *const kRecord56 = "38000000"
                              "0900 000000000000" // 0 ExeType, reserved
                              "0000000000002440"  // 8 MovePos.x 10
                              "0000000000003440"  // 16 MovePos.y 20
                              "000000000000F83F"  // 24 Angle 1.5
                              "0000000000000040"  // 32 Scaling 2
                              "00000000"          // 40 text reference
                              "07000000"          // 44 Value
                              "0000000000000000"  // 48 Value64
                              "03000000 616263";  // abc

// The same move and angle in the two older forms.
const char *const kRecord88 = "58000000"
                              "0900 00 0000000000"                  // 0 ExeType, 2 MoveMode
                              "0000000000000000 0000000000000000"   // 8, 16 reserves
                              "0A000000 14000000"                   // 24 MovePos (10, 20)
                              "0000000000000000 0000000000000000"   // 32 reserve, 40 mode
                              "000000000000F83F 0000000000000000"   // 48 Angle, 56 reserve
                              "00000000 00000000 00000000 00000000" // 64 .. 79
                              "05000000 00000000"                   // 80 Value, 84 reference
                              "03000000 616263";
const char *const kRecord48 = "30000000"
                              "0900 0000 0A000000 14000000" // 0 ExeType, 4 MovePos
                              "00 000000"                   // 12 Reserve0
                              "000000000000F83F"            // 16 Angle 1.5
                              "0000000000000000"            // 24 text reference
                              "0000000000000040"            // 32 Scaling 2 (dropped)
                              "0500000000000000"            // 40 Value64 (dropped)
                              "03000000 616263";
// The oldest option layout: the 80-byte record, its text, the target name.
const char *const kRecord80 = "50000000"
                              "0900 0000"                           // 0 ExeType
                              "00000000 00000000 00000000 00000000" // 4 MoveRect
                              "0A000000 14000000"                   // 20 MovePos (10, 20)
                              "00000000 00000000 00000000"          // 28 RandPos, 36 mode
                              "000000000000F83F 0000000000000000"   // 40 Angle, 48 RandAngle
                              "00000000 00000000 00000000 00000000" // 56 .. 71
                              "07000000 00000000"                   // 72 Value, 76 reference
                              "03000000 616263"
                              "02000000 4142"; // LinkedName "AB"

const char *const kTargetId = "0807060504030201";
constexpr int64_t kTargetIdValue = 0x0102030405060708;

class ActionObjTest : public ActTest {
protected:
  std::unique_ptr<TTestSingleAct> Single() { return NewObject<TTestSingleAct>(); }
};

// The icon at (100, 100) is (82, 89, 119, 112). Its ports sit on the middle
// of the top and bottom edges; the rectangle is drawn over them. A single
// link fills them with the canvas's brush, a multi link with $8080F0, and
// the brush is the canvas's again for the rectangle.
TEST_F(ActionObjTest, IconAndPortsAreDrawnAroundTheCentre) {
  std::unique_ptr<TTestSingleAct> single = Single();
  std::unique_ptr<TTestMultiAct> multi = NewObject<TTestMultiAct>();
  EXPECT_EQ(single->IconRect({100, 100}), (TRect{82, 89, 119, 112}));
  // A corrupt record can put the icon at the end of the Integer range.
  const TRect far = single->IconRect({3e9, 3e9});
  EXPECT_EQ(far.Width(), 37);
  EXPECT_EQ(far.Height(), 23);

  struct Case {
    TCustomActionObj *obj;
    TColor port;
  };
  for (const Case &c : {Case{single.get(), kYellow}, Case{multi.get(), TColor(0x8080F0)}}) {
    SCOPED_TRACE(c.obj->ObjInfo().Name.toStdString());
    c.obj->Move({100, 100}, nullptr, false);
    EXPECT_EQ(c.obj->BCenter(), (TRealPoint{100, 100}));
    auto bitmap = WhiteBitmap(200, 200);
    c.obj->DrawObj(bitmap->Canvas());
    bitmap->Canvas().End();
    EXPECT_EQ(bitmap->Pixel(82, 100), clBlack);  // left edge
    EXPECT_EQ(bitmap->Pixel(118, 100), clBlack); // right edge (119 is outside)
    EXPECT_EQ(bitmap->Pixel(119, 100), kWhite);
    EXPECT_EQ(bitmap->Pixel(99, 89), clBlack);  // top edge drawn over the port
    EXPECT_EQ(bitmap->Pixel(99, 111), clBlack); // bottom edge
    EXPECT_EQ(bitmap->Pixel(90, 100), kYellow); // inside
    EXPECT_EQ(bitmap->Pixel(99, 91), kYellow);  // the port under the rectangle
    EXPECT_EQ(bitmap->Pixel(99, 87), c.port);   // top port above the edge
    EXPECT_EQ(bitmap->Pixel(99, 113), c.port);  // bottom port below it
    EXPECT_EQ(bitmap->Pixel(99, 84), kWhite);   // above the port
    EXPECT_EQ(bitmap->Canvas().Brush().Color(), kYellow);
  }
}

// In author mode the maker records the icon and painting replays it; every
// move re-centres it and invalidates the icon with room for the ports. In
// presentation mode there is no picture and nothing is invalidated.
TEST_F(ActionObjTest, MakerRecordsInAuthorModeAndIsSilentInPresentation) {
  TRecordingWindow window;
  Info().Base = &window;

  std::unique_ptr<TTestSingleAct> author = Single();
  ASSERT_NE(author->Graphic(), nullptr);
  author->Move({100, 100}, nullptr, false);
  author->Move({10, 0}, nullptr, true);
  EXPECT_EQ(author->BoundsRect(), (TRect{92, 89, 129, 112}));
  ASSERT_FALSE(window.Rects.empty());
  EXPECT_EQ(window.Rects.back(), (TRect{91, 84, 130, 117}));
  auto bitmap = WhiteBitmap(200, 200);
  author->Paint(bitmap->Canvas());
  bitmap->Canvas().End();
  EXPECT_EQ(bitmap->Pixel(92, 100), clBlack);
  EXPECT_EQ(bitmap->Pixel(82, 100), kWhite);

  Info().SysMode = smExec;
  window.Rects.clear();
  std::unique_ptr<TTestSingleAct> shown = Single();
  shown->Move({100, 100}, nullptr, false);
  EXPECT_EQ(shown->Graphic(), nullptr);
  EXPECT_TRUE(window.Rects.empty());
  auto blank = WhiteBitmap(200, 200);
  shown->Paint(blank->Canvas());
  author->Paint(blank->Canvas()); // the author object is silent in presentation too
  blank->Canvas().End();
  EXPECT_EQ(blank->Pixel(92, 100), kWhite);
  Info().Base = nullptr;
}

// The rubber band: the first image is drawn without erasing, the next one
// erases the saved icon (not-XOR) and saves its own point.
TEST_F(ActionObjTest, DragImageErasesThePreviousIcon) {
  std::unique_ptr<TTestSingleAct> act = Single();
  auto bitmap = WhiteBitmap(200, 200);
  TCanvas &canvas = bitmap->Canvas();
  canvas.Brush().SetColor(kWhite);
  TGrabRect save{{0, 0}};
  act->DragDraw(canvas, save, {{50, 50}});
  act->DragDraw(canvas, save, {{100, 100}});
  canvas.End();
  EXPECT_EQ(save, (TGrabRect{{100, 100}}));
  EXPECT_EQ(bitmap->Pixel(32, 50), kWhite);  // the old icon's left edge, erased
  EXPECT_NE(bitmap->Pixel(82, 100), kWhite); // the new icon's left edge
}

TEST_F(ActionObjTest, SingleLinkOptionBlockHasItsExactBytes) {
  std::unique_ptr<TTestFigure> target = Figure(QStringLiteral("t"), Square(0, 0, 10));
  target->SetId(kTargetIdValue);
  std::unique_ptr<TTestSingleAct> act = Single();
  act->ActParam = SampleParam();
  ASSERT_TRUE(act->Link()->DoLink(target.get()));

  TMetaStream linked;
  act->SaveOption(linked);
  EXPECT_EQ(HexOf(linked), HexOf(Hex(kRecord56) + Hex(kTargetId)));
  EXPECT_EQ(act->ActParam.Text, QStringLiteral("abc"));

  act->Link()->RemoveLink(target.get());
  TMetaStream unlinked;
  act->SaveOption(unlinked);
  EXPECT_EQ(HexOf(unlinked), HexOf(Hex(kRecord56) + Hex("0000000000000000")));
}

// Every stored form reads into the same move and angle; the older forms
// drop what they cannot carry, and a record of another size only gives its
// text. The target id follows the record.
TEST_F(ActionObjTest, OlderActionRecordsAreConverted) {
  TActParam old = SampleParam();
  old.Scaling = 0;
  old.Value = 0;
  TActParam oldest = old;
  oldest.Value = 7;
  TActParam skipped; // only the text changes
  skipped.Angle = 9;
  TActParam skippedRead = skipped;
  skippedRead.Text = QStringLiteral("abc");

  struct Case {
    const char *name;
    QByteArray bytes;
    bool oldestLayout;
    TActParam expected;
  };
  const Case cases[] = {
      {"56", Hex(kRecord56) + Hex(kTargetId), false, SampleParam()},
      {"88", Hex(kRecord88) + Hex(kTargetId), false, old},
      {"48", Hex(kRecord48) + Hex(kTargetId), false, old},
      {"60", Hex("3C000000") + QByteArray(60, '\x11') + Hex("03000000 616263") + Hex(kTargetId),
       false, skippedRead},
      {"80, oldest layout", Hex(kRecord80), true, oldest},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TTestSingleAct> act = Single();
    act->ActParam = skipped;
    TMetaStream s;
    Load(s, c.bytes);
    if (c.oldestLayout)
      act->LoadOption_Old(s);
    else
      act->LoadOption(s);
    EXPECT_EQ(act->ActParam, c.expected);
    EXPECT_EQ(act->GetLinkedId(), c.oldestLayout ? 0 : kTargetIdValue);
    EXPECT_EQ(act->LinkedName, c.oldestLayout ? QStringLiteral("AB") : QString());
    EXPECT_EQ(s.Position(), s.Size());
  }
}

// A multi-link action writes its targets in pool order; reading them back
// keeps only the ids that name objects of the page.
TEST_F(ActionObjTest, MultiLinkTargetsAreStoredByIdAndResolved) {
  std::unique_ptr<TTestPage> page = Page();
  TTestFigure *targets[3];
  for (int i = 0; i < 3; ++i) {
    auto f = Figure(QStringLiteral("f%1").arg(i), Square(i * 20, 0, 10), 0, i);
    f->SetId(100 + i);
    targets[i] = f.get();
    page->AddObj(std::move(f));
  }
  std::unique_ptr<TTestMultiAct> act = NewObject<TTestMultiAct>();
  act->ActParam = SampleParam();
  for (TTestFigure *t : targets)
    ASSERT_TRUE(act->Link()->DoLink(t));

  TMetaStream s;
  act->SaveOption(s);
  EXPECT_EQ(HexOf(s), HexOf(Hex(kRecord56) + Hex("03000000 6400000000000000"
                                                 "6500000000000000 6600000000000000")));
  EXPECT_EQ(act->ActParam.Text, QStringLiteral("abc"));

  // Read back with one id that names nothing and one id 0 among them.
  TMetaStream stored;
  Load(stored, Hex(kRecord56) + Hex("04000000 6600000000000000 0000000000000000"
                                    "6400000000000000 6300000000000000"));
  std::unique_ptr<TTestMultiAct> read = NewObject<TTestMultiAct>();
  read->LoadOption(stored);
  EXPECT_EQ(read->ActParam, SampleParam());
  EXPECT_EQ(read->TargetIds(), (std::vector<int64_t>{102, 0, 100, 99}));
  read->UpdateLink(page.get());
  EXPECT_TRUE(read->TargetIds().empty());
  ASSERT_EQ(read->Link()->LinkCount(), 2);
  EXPECT_EQ(read->Link()->GetLink(0), targets[0]);
  EXPECT_EQ(read->Link()->GetLink(1), targets[2]);
}

// A target count read from a file is checked against the bytes that follow
// before the id array is sized.
TEST_F(ActionObjTest, ImpossibleTargetCountIsRefused) {
  for (const char *bytes : {"FFFFFF7F 0100000000000000", "02000000 0100000000000000", "FFFFFFFF"}) {
    SCOPED_TRACE(bytes);
    std::unique_ptr<TTestMultiAct> act = NewObject<TTestMultiAct>();
    TMetaStream s;
    Load(s, Hex(kRecord56) + Hex(bytes));
    EXPECT_THROW(act->LoadOption(s), EReadError);
    EXPECT_TRUE(act->TargetIds().empty());
  }
}

// A page with a figure and an action linked to it is written and read
// again: the action's record, target and icon come back.
TEST_F(ActionObjTest, ActionsRoundTripThroughAPage) {
  std::unique_ptr<TTestPage> page = Page();
  auto target = Figure(QStringLiteral("target"), Square(0, 0, 10));
  target->SetId(7);
  TTestFigure *t = target.get();
  page->AddObj(std::move(target));
  std::unique_ptr<TTestSingleAct> single = Single();
  single->ActParam = SampleParam();
  single->Move({60, 40}, nullptr, false);
  ASSERT_TRUE(single->Link()->DoLink(t));
  std::unique_ptr<TTestMultiAct> multi = NewObject<TTestMultiAct>();
  ASSERT_TRUE(multi->Link()->DoLink(t));
  page->AddObj(std::move(single));
  page->AddObj(std::move(multi));
  page->UpdateLinkId();

  TMetaStream s;
  page->SaveToStream(s);
  s.SetPosition(0);
  std::unique_ptr<TTestPage> read = Page(QStringLiteral("read"));
  read->LoadFromStream(s);
  read->UpdateLink(nullptr);
  ASSERT_EQ(read->Count(), 3);
  TCommonObj *readTarget = read->Pool()->GetObjs(7);
  ASSERT_NE(readTarget, nullptr);
  TTestSingleAct *readSingle = nullptr;
  TTestMultiAct *readMulti = nullptr;
  for (TCommonObj *obj : *read->Pool()) {
    if (auto *a = dynamic_cast<TTestSingleAct *>(obj)) readSingle = a;
    if (auto *m = dynamic_cast<TTestMultiAct *>(obj)) readMulti = m;
  }
  ASSERT_TRUE(readSingle && readMulti);
  EXPECT_EQ(readSingle->ActParam, SampleParam());
  EXPECT_EQ(readSingle->LinkedObj(), readTarget);
  EXPECT_EQ(readSingle->BoundsRect(), (TRect{42, 29, 79, 52}));
  EXPECT_EQ(readMulti->LinkedObj(), readTarget);
}

// The action link refuses action objects and classes that act on their own
// (awCustom). A free link takes the object; a second object leaves it; the
// linked object again unlinks it.
TEST_F(ActionObjTest, ActionLinkRules) {
  std::unique_ptr<TTestSingleAct> act = Single();
  std::unique_ptr<TTestSingleAct> otherAct = Single();
  std::unique_ptr<TCommonObj> custom = ObjClassList().CreateObject(QStringLiteral("テスト独自"));
  auto a = Figure(QStringLiteral("a"), Square(0, 0, 10));
  auto b = Figure(QStringLiteral("b"), Square(0, 0, 10));
  TLink &link = *act->Link();

  EXPECT_FALSE(link.CanLink(nullptr));
  EXPECT_FALSE(link.CanLink(otherAct.get()));
  EXPECT_FALSE(link.CanLink(custom.get()));
  EXPECT_TRUE(link.CanLink(a.get()));

  EXPECT_FALSE(link.DoLink(nullptr));
  EXPECT_TRUE(link.DoLink(a.get()));
  EXPECT_EQ(act->LinkedObj(), a.get());
  EXPECT_TRUE(link.DoLink(b.get())); // b could be linked; a stays
  EXPECT_EQ(act->LinkedObj(), a.get());
  EXPECT_FALSE(link.DoLink(otherAct.get()));
  EXPECT_EQ(act->LinkedObj(), a.get());
  EXPECT_TRUE(link.DoLink(a.get())); // unlinks
  EXPECT_EQ(act->LinkedObj(), nullptr);
}

class TTestActEx : public TActEx {
public:
  using TActEx::TActEx;
  bool Exec(TCircuit &, TCommonObj *) override { return false; }
  bool ActExec(TCommonObj *) override { return true; }
};

// A run goes on past an action only while the action has a target, the
// circuit exists, is shorter than 1000 entries and does not hold the action.
TEST_F(ActionObjTest, ActionCircuitEnds) {
  std::unique_ptr<TTestSingleAct> act = Single();
  auto target = Figure(QStringLiteral("t"), Square(0, 0, 10));
  std::unique_ptr<TNullObj> start = NewObject<TNullObj>(TPoint{1, 1});
  TTestActEx ex(act.get());

  auto circuit = [&](size_t aEntries, bool aWithAction) {
    auto c = std::make_unique<TObjList>(aEntries, start.get());
    if (aWithAction) c->back() = act.get();
    return c;
  };
  TCircuit none;
  TCircuit unlinked = circuit(1, false);
  EXPECT_TRUE(ex.IsCircuitEnd(unlinked, nullptr));
  EXPECT_EQ(unlinked, nullptr);

  act->Link()->DoLink(target.get());
  EXPECT_TRUE(ex.IsCircuitEnd(none, nullptr));
  struct Case {
    size_t entries;
    bool withAction;
    bool ends;
  };
  for (const Case &c : {Case{1, false, false}, Case{999, false, false}, Case{1000, false, true},
                        Case{2, true, true}}) {
    SCOPED_TRACE(c.entries);
    TCircuit run = circuit(c.entries, c.withAction);
    EXPECT_EQ(ex.IsCircuitEnd(run, nullptr), c.ends);
    EXPECT_EQ(run == nullptr, c.ends);
  }
}

} // namespace
} // namespace lumora::test::act
