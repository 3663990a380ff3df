// The object walks: rectangle, compound, trace, link and book walks over
// pages with nested file-container compounds.
#include <QStringList>

#include "core/book/Iterators.h"
#include "core/book/MetaBook.h"
#include "core/model/ObjPool.h"
#include "core/pictures/StillFactory.h"
#include "tests/core/book/BookTestClasses.h"
#include "tests/kinds/PartKinds.h"

namespace lumora::test {
namespace {

LUMORA_DRAW_TEST_KIND(TIterStill, "静止画", ({otSurface, otPicture}), ({atShow}))

class IteratorsTest : public DrawTest {
protected:
  // A test figure named aName with the given points, with an id of its own,
  // added to aCompo.
  template <class T = TTestRect>
  T *AddTo(TCustomCompo *aCompo, const QString &aName, std::vector<TRealPoint> aPoints) {
    std::unique_ptr<T> obj = NewObject<T>();
    obj->ReName(0);
    obj->Name = aName;
    obj->Place(std::move(aPoints));
    return static_cast<T *>(aCompo->AddObj(std::move(obj)));
  }
  template <class T = TIterPart> T *AddPart(TCustomCompo *aCompo, const QString &aName) {
    std::unique_ptr<T> part = NewObject<T>();
    part->ReName(0);
    part->Name = aName;
    return static_cast<T *>(aCompo->AddObj(std::move(part)));
  }
  static QStringList Walk(THasNext &aIt) {
    QStringList names;
    while (aIt.HasNext()) {
      TCommonObj *obj = aIt.GetObject();
      names << (obj ? obj->Name : QStringLiteral("<null>"));
    }
    return names;
  }
};

TEST_F(IteratorsTest, RectangleFindsPointsInsideLeftTopInclusiveRightBottomExclusive) {
  AddTo(page_.get(), "a", Square(10, 10, 20));  // corners 10 .. 30
  AddTo(page_.get(), "b", Square(50, 50, 10));  // corners 50 .. 60
  AddTo(page_.get(), "c", Square(29.6, 70, 5)); // first corner rounds to x 30
  struct Case {
    TRect rect;
    QStringList expected;
  } cases[] = {
      {{0, 0, 100, 100}, {"a", "b", "c"}},
      {{100, 100, 0, 0}, {"a", "b", "c"}}, // right to left, bottom to top
      {{0, 0, 50, 50}, {"a"}},             // b's corner (50, 50) on the right and bottom edge
      {{50, 50, 51, 51}, {"b"}},           // on the left and top edge
      {{0, 0, 10, 10}, {}},                // a's corner (10, 10) on the edge only
      {{30, 70, 31, 71}, {"c"}},           // rounded half away from zero
  };
  for (const Case &c : cases) {
    TRectIterator it(page_.get(), c.rect);
    EXPECT_EQ(Walk(it), c.expected)
        << c.rect.Left << "," << c.rect.Top << "," << c.rect.Right << "," << c.rect.Bottom;
  }
}

TEST_F(IteratorsTest, RectangleYieldsMembersOfAPartNotThePartUnlessNoMemberMatched) {
  TIterPart *part = AddPart(page_.get(), "part");
  part->SetPoly(Square(0, 0, 200));
  AddTo(part, "inside", Square(10, 10, 10));
  AddTo(part, "outside", Square(500, 500, 10));
  AddTo(page_.get(), "after", Square(20, 20, 10));
  TIterDragPart *whole = AddPart<TIterDragPart>(page_.get(), "whole");
  whole->SetPoly(Square(40, 40, 10));
  AddTo(whole, "wholeMember", Square(45, 45, 1));

  TRectIterator it(page_.get(), {0, 0, 100, 100});
  EXPECT_EQ(Walk(it), QStringList({"inside", "after", "whole"}));

  // Nothing of the part inside, but its own outline is.
  TRectIterator it2(page_.get(), {190, 190, 300, 300});
  EXPECT_EQ(Walk(it2), QStringList({"part"}));
  EXPECT_EQ(it2.Depth(), 0);
}

TEST_F(IteratorsTest, CompoIteratorFindsTheInnermostPartHoldingTheObject) {
  TTestRect *loose = AddTo(page_.get(), "loose", Square(0, 0, 5));
  TIterPart *outer = AddPart(page_.get(), "outer");
  AddTo(outer, "sibling", Square(0, 0, 5));
  TIterPart *inner = AddPart(outer, "inner");
  TTestRect *deep = AddTo(inner, "deep", Square(0, 0, 5));

  TCompoIterator onPage(page_.get(), loose);
  EXPECT_TRUE(Walk(onPage).isEmpty());

  TCompoIterator nested(page_.get(), deep);
  ASSERT_TRUE(nested.HasNext());
  EXPECT_EQ(nested.GetObject(), inner);
}

TEST_F(IteratorsTest, LinkIteratorYieldsEveryObjectLinkingTheTargetInPoolOrder) {
  TTestRect *target = AddTo(page_.get(), "target", Square(0, 0, 5));
  TTestRect *first = AddTo(page_.get(), "first", Square(0, 0, 5));
  AddTo(page_.get(), "plain", Square(0, 0, 5));
  TTestRect *second = AddTo(page_.get(), "second", Square(0, 0, 5));
  first->SetLinkedObj(target);
  second->SetLinkedObj(target);

  TLinkIterator it(page_.get(), target);
  EXPECT_EQ(Walk(it), QStringList({"first", "second"}));
  EXPECT_EQ(it.GetParam(), TObjParam{}); // no current object after the end

  TLinkIterator none(page_.get(), nullptr);
  EXPECT_FALSE(none.HasNext());
  TLinkIterator noPool(static_cast<TAbObjectPool *>(nullptr), target);
  EXPECT_FALSE(noPool.HasNext());
}

TEST_F(IteratorsTest, TraceIteratorYieldsObjectsLinkedToATracer) {
  TTestRect *tracer = AddTo(page_.get(), "tracer", Square(0, 0, 5));
  tracer->Param.ActType.Include(awTrace);
  TTestRect *other = AddTo(page_.get(), "other", Square(0, 0, 5));
  TIterPart *part = AddPart(page_.get(), "part");
  AddTo(part, "traced", Square(0, 0, 5))->SetLinkedObj(tracer);
  AddTo(page_.get(), "untraced", Square(0, 0, 5))->SetLinkedObj(other);

  TTraceIterator it(page_.get());
  EXPECT_EQ(Walk(it), QStringList({"traced"}));
}

// A book of three pages (page 0 the common page) with stills on pages 0
// and 2, and a part on page 1 holding two stills and a figure.
class BookIteratorTest : public IteratorsTest {
protected:
  void SetUp() override {
    IteratorsTest::SetUp();
    ObjClassList().Add<TIterStill>();
    book_ = NewObject<TBookTestBook>();
    for (int i = 0; i < 3; ++i) {
      std::unique_ptr<TBookTestPage> page = NewObject<TBookTestPage>();
      page->ReName(0);
      pages_[i] = static_cast<TMetaPage *>(book_->AddObj(std::move(page)));
    }
    Still(pages_[0], "s0", "common.png");
    AddTo(pages_[1], "fig", Square(0, 0, 5));
    TIterPart *part = AddPart(pages_[1], "part");
    Still(part, "in1", "inner.png");
    Still(part, "in2", "inner.png");
    AddTo(part, "partFig", Square(0, 0, 5));
    Still(pages_[2], "s2", "page2.png");
    for (const char *name : {"common.png", "inner.png", "page2.png"}) {
      auto still = std::make_unique<TStill_Dummy>();
      still->fFilePath = QString::fromUtf8(name);
      StillMaker().AddStill(std::move(still));
    }
  }
  void TearDown() override {
    book_.reset();
    IteratorsTest::TearDown();
  }
  void Still(TCustomCompo *aCompo, const QString &aName, const QString &aFile) {
    AddTo<TIterStill>(aCompo, aName, Square(0, 0, 5))->Param.Text = aFile;
  }
  int UseCount(const QString &aFile) { return StillMaker().FindStill(aFile)->fUseCount; }

  std::unique_ptr<TBookTestBook> book_;
  TMetaPage *pages_[3] = {};
};

TEST_F(BookIteratorTest, StillFilterYieldsStillsOfEveryPageAndCountsThoseInsideParts) {
  TBookIterator it(book_.get(), otNon, atNon, QString::fromUtf16(TBookIterator::kStillKind));
  QStringList names, files, pages;
  while (it.HasNext()) {
    names << it.GetObject()->Name;
    files << it.GetFileName();
    pages << QString::number(it.GetPage());
  }
  EXPECT_EQ(names, QStringList({"s0", "s2"}));
  EXPECT_EQ(files, QStringList({"common.png", "page2.png"}));
  EXPECT_EQ(pages, QStringList({"0", "2"}));
  // The walk counts only the stills inside parts; the caller counts what is
  // yielded.
  EXPECT_EQ(UseCount("inner.png"), 2);
  EXPECT_EQ(UseCount("common.png"), 0);
  EXPECT_EQ(UseCount("page2.png"), 0);
}

TEST_F(BookIteratorTest, FiltersAreAlternativesAndARemovedObjectYieldsNull) {
  // Kind "テスト矩形" or form type otPicture: the figure and the stills.
  TBookIterator it(book_.get(), otPicture, atNon, QStringLiteral("テスト矩形"));
  QStringList names;
  while (it.HasNext())
    names << it.GetObject()->Name;
  EXPECT_EQ(names, QStringList({"s0", "fig", "s2"}));

  TBookIterator again(book_.get(), otNon, atNon, QStringLiteral("テスト矩形"));
  ASSERT_TRUE(again.HasNext());
  TCommonObj *fig = again.GetObject();
  ASSERT_TRUE(pages_[1]->RemoveObj(fig));
  EXPECT_EQ(again.GetObject(), nullptr);
  EXPECT_FALSE(again.HasNext());
}

} // namespace
} // namespace lumora::test
