// Object ids and default names.
#include <set>

#include "core/stream/MetaStream.h"
#include "tests/core/model/ModelTestClasses.h"

namespace lumora::test {
namespace {

using TNameParent = TMakeInfo2::TNameParent;

class IdsTest : public ModelTest {};

TEST(IdToTextTest, Base62WithDigitsUpperThenLowerCase) {
  const std::pair<int64_t, const char *> cases[] = {
      {0, ""},
      {-5, ""},
      {9, "9"},
      {10, "A"},
      {35, "Z"},
      {36, "a"},
      {61, "z"},
      {62, "10"},
      {2231, "Zz"},
      {62 * 62, "100"},
      {INT64_MAX, "AzL8n0Y58m7"},
  };
  for (const auto &[id, text] : cases)
    EXPECT_EQ(TNameParent::IdToText(id), text) << id;
}

TEST_F(IdsTest, IdsOfOneMillisecondCountUpAndPauseAfter56) {
  TNameParent &ids = Info().NameParent();
  const int64_t t = clock_;
  EXPECT_EQ(ids.NewId(), t * 62);
  EXPECT_EQ(ids.NewId(), t * 62 + 1);
  EXPECT_EQ(ids.NewId(), t * 62 + 2);
  for (int i = 4; i <= 56; ++i)
    ids.NewId();
  EXPECT_EQ(sleeps_, 0);
  EXPECT_EQ(ids.NewId(), t * 62 + 56); // the 57th id of the millisecond
  EXPECT_EQ(sleeps_, 1);
  EXPECT_EQ(ids.NewId(), (t + 1) * 62); // the pause moved the clock on
}

TEST_F(IdsTest, IdsStrictlyIncreaseOverManyCalls) {
  int64_t last = 0;
  for (int i = 0; i < 1000; ++i) {
    const int64_t id = Info().NameParent().NewId();
    ASSERT_GT(id, last);
    last = id;
  }
}

TEST(RealClockTest, CountsMillisecondsSince2005) {
  const int64_t t = TNameParent::RealClock();
  // 2024-01-01 is 6939 days after 2005-01-01; the clock runs on from there.
  EXPECT_GT(t, int64_t(6939) * 86'400'000);
  EXPECT_GE(TNameParent::RealClock(), t);
}

TEST_F(IdsTest, CreateNameKeepsAnExistingIdUnlessForced) {
  std::unique_ptr<TCommonObj> obj = ObjClassList().CreateObject(QStringLiteral("テスト図形"));
  const int64_t id = obj->Id();
  const QString name = obj->Name;
  ++clock_;
  EXPECT_EQ(obj->CreateName(false), name);
  EXPECT_EQ(obj->Id(), id);
  EXPECT_EQ(obj->CreateName(true),
            QStringLiteral("テスト図形[") + TNameParent::IdToText(clock_ * 62) + "]");
  EXPECT_EQ(obj->Id(), clock_ * 62);
  // Given a name, the making context builds on it and does not store it.
  const QString other = Info().CreateName(*obj, QStringLiteral("別名"));
  EXPECT_EQ(other, QStringLiteral("別名[") + TNameParent::IdToText(obj->Id()) + "]");
  EXPECT_EQ(obj->Name, name); // the name is the caller's to store
  EXPECT_EQ(Info().CreateId(), TNameParent::IdToText(clock_ * 62 + 2));
}

TEST_F(IdsTest, CopyKeepsIdAndNameUntilRenamed) {
  std::unique_ptr<TCommonObj> obj = ObjClassList().CreateObject(QStringLiteral("テスト図形"));
  auto *figure = static_cast<TTestFigure *>(obj.get());
  figure->SetPoly(Square(3, 4, 20));
  std::unique_ptr<TCommonObj> copy = obj->CopySelf(0);
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Id(), obj->Id());
  EXPECT_EQ(copy->Name, obj->Name);
  EXPECT_EQ(copy->Polygon(), obj->Polygon());
  EXPECT_EQ(copy->BoundsRect(), Rect(3, 4, 23, 24)); // set up by the maker
  EXPECT_EQ(static_cast<TTestFigure *>(copy.get())->ReMakes, 1);

  ++clock_;
  copy->ReName(0);
  EXPECT_EQ(copy->Id(), clock_ * 62);
  EXPECT_EQ(copy->Name, QStringLiteral("テスト図形[") + TNameParent::IdToText(copy->Id()) + "]");
  copy->ReName(77);
  EXPECT_EQ(copy->Id(), 77);
}

TEST_F(IdsTest, ReNameRenewsAWholeTree) {
  std::unique_ptr<TTestPage> page = Page();
  std::unique_ptr<TTestGroup> group = NewObject<TTestGroup>();
  TCommonObj *inner = group->AddObj(Figure(QStringLiteral("inner"), Square(0, 0, 5)));
  TCommonObj *outer = page->AddObj(Figure(QStringLiteral("outer"), Square(0, 0, 5)));
  TCommonObj *g = page->AddObj(std::move(group));
  ++clock_;
  page->ReName(0);
  std::set<int64_t> ids;
  for (TCommonObj *obj : {static_cast<TCommonObj *>(page.get()), outer, g, inner}) {
    EXPECT_GE(obj->Id(), clock_ * 62);
    EXPECT_EQ(obj->Name, obj->Param.ObjName + "[" + TNameParent::IdToText(obj->Id()) + "]");
    ids.insert(obj->Id());
  }
  EXPECT_EQ(ids.size(), 4u);
}

} // namespace
} // namespace lumora::test
