// Composites: paint and search order, the children stream, search by id,
// positions in the paint order.
#include <QtEndian>

#include "core/drawable/DummyDrawObj.h"
#include "core/model/CoreContext.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "tests/core/model/ModelTestClasses.h"

namespace lumora::test {
namespace {

class CustomCompoTest : public ModelTest {
protected:
  QStringList Kinds(TCommonObj &aCompo) {
    QStringList names;
    for (TCommonObj *obj : *aCompo.Pool())
      names << obj->Param.ObjName + ":" + obj->Name;
    return names;
  }

  // A page holding a, a group (g1, g2, g3) and c, back to front.
  std::unique_ptr<TTestPage> PageWithGroup() {
    std::unique_ptr<TTestPage> page = Page();
    page->AddObj(Figure(QStringLiteral("a"), Square(0, 0, 10), 0, 1));
    std::unique_ptr<TTestGroup> group = NewObject<TTestGroup>();
    group->Name = QStringLiteral("g");
    group->Param.Layer = 0;
    group->Param.Priority = 2;
    for (const char *n : {"g1", "g2", "g3"})
      group->AddObj(Figure(QString::fromLatin1(n), Square(20, 0, 10), 0, 1));
    page->AddObj(std::move(group));
    page->AddObj(Figure(QStringLiteral("c"), Square(40, 0, 10), 0, 3));
    for (TCommonObj *obj : *page->Pool())
      obj->CreateName(true); // ids, keeping the names
    for (TCommonObj *obj : *page->Pool()->Items(1)->Pool())
      obj->CreateName(true);
    return page;
  }
};

TEST_F(CustomCompoTest, PaintsBackToFrontAndSearchesFrontToBack) {
  std::unique_ptr<TTestPage> page = Page();
  for (int i = 0; i < 3; ++i)
    page->AddObj(Figure(QString::number(i), Square(i * 5, 0, 10), 0, i));
  TBitmap bitmap(40, 20);
  page->Paint(bitmap.Canvas());
  EXPECT_EQ(gLog, QStringList({"paint 0", "paint 1", "paint 2"}));
  gLog.clear();
  TCommonObj *hit = page->Search({7, 5}, k_allObj);
  EXPECT_EQ(gLog, QStringList({"search 2", "search 1"}));
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->Name, QStringLiteral("1"));
  // An invisible child is not painted.
  page->Pool()->Items(0)->SetVisible(false);
  gLog.clear();
  page->Paint(bitmap.Canvas());
  EXPECT_EQ(gLog, QStringList({"paint 1", "paint 2"}));
}

TEST_F(CustomCompoTest, SelfContainingCompositeIsSkippedAndSearchByIdStops) {
  std::unique_ptr<TTestListPage> page = NewObject<TTestListPage>();
  page->Name = QStringLiteral("loop");
  std::unique_ptr<TTestFigure> child = Figure(QStringLiteral("child"), Square(0, 0, 10));
  page->AddObj(page.get());
  page->AddObj(child.get());
  TBitmap bitmap(20, 20);
  page->Paint(bitmap.Canvas());
  EXPECT_EQ(page->Search({5, 5}, k_allObj), child.get());
  EXPECT_EQ(page->PriorityOf(child.get()), 0);
  page->ReName(0);

  page->SetId(5);
  EXPECT_EQ(page->GetObjs(5), page.get());
  try {
    page->GetObjs(999);
    FAIL() << "no exception";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), page->Name + QStringLiteral("はリンク異常の可能性があります。"));
  }
  EXPECT_EQ(TCoreContext::Get().GetObjsDepth, 0);
}

TEST_F(CustomCompoTest, SearchByIdDescendsFiftyLevelsAndNoMore) {
  // A chain of nested groups, each holding the next.
  for (int depth : {50, 51}) {
    SCOPED_TRACE(depth);
    std::unique_ptr<TCommonObj> top = ObjClassList().CreateObject(QStringLiteral("テストグループ"));
    TCommonObj *level = top.get();
    for (int i = 1; i < depth; ++i)
      level = static_cast<TCustomCompo *>(level)->AddObj(
          ObjClassList().CreateObject(QStringLiteral("テストグループ")));
    auto *compo = static_cast<TCustomCompo *>(top.get());
    if (depth == 50) {
      EXPECT_EQ(compo->GetObjs(level->Id()), level);
      EXPECT_EQ(compo->GetObjs(-1), nullptr);
    } else {
      EXPECT_THROW(compo->GetObjs(-1), Exception);
    }
  }
}

TEST_F(CustomCompoTest, FindsAnyObjectOfTheTreeById) {
  std::unique_ptr<TTestPage> page = PageWithGroup();
  TCommonObj *group = page->Pool()->Items(1);
  TCommonObj *g3 = group->Pool()->Items(2);
  EXPECT_EQ(page->GetObjs(g3->Id()), g3);
  EXPECT_EQ(page->GetObjs(group->Id()), group);
  EXPECT_EQ(page->GetObjs(-7), nullptr);
  EXPECT_EQ(page->IndexOf(g3), 1); // through the group at index 1
  EXPECT_EQ(page->ObjIdx(QStringLiteral("c")), page->Pool()->Items(2)->Id());
  EXPECT_EQ(page->InsideRect(), Rect(0, 0, 50, 10));
}

TEST_F(CustomCompoTest, PriorityOfCountsNestedChildren) {
  std::unique_ptr<TTestPage> page = PageWithGroup();
  TCommonObj *group = page->Pool()->Items(1);
  const std::pair<TCommonObj *, int> cases[] = {
      {page->Pool()->Items(0), 0},  {group, 1},
      {group->Pool()->Items(0), 1}, {group->Pool()->Items(1), 2},
      {group->Pool()->Items(2), 3}, {page->Pool()->Items(2), 5},
  };
  for (const auto &[obj, expected] : cases)
    EXPECT_EQ(page->PriorityOf(obj), expected) << obj->Name.toStdString();
  std::unique_ptr<TTestFigure> stranger = Figure(QStringLiteral("x"), Square(0, 0, 1));
  EXPECT_EQ(page->PriorityOf(stranger.get()), -1);
  group->Param.ActType.Include(awTray); // a tray counts as one object
  EXPECT_EQ(page->PriorityOf(page->Pool()->Items(2)), 2);
}

TEST_F(CustomCompoTest, ChildrenRoundTripWithNestedComposite) {
  std::unique_ptr<TTestPage> page = PageWithGroup();
  page->ReName(0);
  TMetaStream stream;
  page->SaveToStream(stream);
  stream.WriteBuffer(int32_t(0x5A5A5A5A)); // what follows the page
  stream.SetPosition(0);
  std::unique_ptr<TTestPage> read = Page(QStringLiteral("other"));
  read->LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size() - 4);
  EXPECT_EQ(read->Name, page->Name);
  EXPECT_EQ(Kinds(*read), Kinds(*page));
  TCommonObj *group = read->Pool()->Items(1);
  EXPECT_EQ(Kinds(*group), Kinds(*page->Pool()->Items(1)));
  EXPECT_EQ(group->Pool()->Items(2)->Polygon(), Square(20, 0, 10));
  EXPECT_EQ(group->Pool()->Items(2)->BoundsRect(), Rect(20, 0, 30, 10)); // maker SetCenter
  TCommonObj *g1 = page->Pool()->Items(1)->Pool()->Items(0);
  EXPECT_EQ(read->GetObjs(g1->Id())->Name, g1->Name);
}

TEST_F(CustomCompoTest, NoSaveChildrenAreLeftOutAndTheCountPatched) {
  std::unique_ptr<TTestPage> page = PageWithGroup();
  page->Pool()->Items(0)->Param.ActType.Include(awNoSave);
  page->Pool()->Items(2)->Param.ActType.Include(awNoSave);
  TMetaStream stream;
  page->SaveToStream(stream);
  stream.SetPosition(0);
  std::unique_ptr<TTestPage> read = Page();
  read->LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  ASSERT_EQ(read->Count(), 1);
  EXPECT_EQ(read->Pool()->Items(0)->Name, QStringLiteral("g"));

  // Without children: the record and the count 0, nothing more.
  std::unique_ptr<TTestPage> empty = Page();
  TMetaStream own, whole;
  empty->TCommonObj::SaveToStream(own);
  empty->SaveToStream(whole);
  EXPECT_EQ(whole.Size(), own.Size() + 4);
  EXPECT_EQ(whole.Bytes().right(4), QByteArray(4, '\0'));
}

// A page record with the given child entries.
QByteArray PageStream(int32_t aCount, const std::vector<QByteArray> &aEntries) {
  TMetaStream stream;
  std::unique_ptr<TCommonObj> page = ObjClassList().CreateObject(QStringLiteral("テスト頁"));
  page->TCommonObj::SaveToStream(stream);
  stream.WriteBuffer(aCount);
  for (const QByteArray &e : aEntries)
    stream.WriteBuffer(e.constData(), e.size());
  return stream.Bytes();
}

QByteArray RecordOf(TCommonObj &aObj) {
  TMetaStream stream;
  aObj.SaveToStream(stream);
  return stream.Bytes();
}

TEST_F(CustomCompoTest, DamagedAndUnknownEntriesArePassedOver) {
  std::unique_ptr<TTestFigure> a = Figure(QStringLiteral("a"), Square(0, 0, 5), 0, 1);
  std::unique_ptr<TTestFigure> b = Figure(QStringLiteral("b"), Square(0, 0, 5), 0, 3);
  std::unique_ptr<TTestFigure> unknown = Figure(QStringLiteral("u"), Square(0, 0, 5), 0, 2);
  unknown->Param.ObjName = QStringLiteral("未知の種類");
  QByteArray zero(4, '\0');
  QByteArray negative = QByteArray::fromHex("F0FFFFFF");
  struct Case {
    const char *what;
    QByteArray bytes;
    QStringList expected;
    bool fault; // whether the reading notes damage it went on past
  };
  const Case cases[] = {
      {"unknown kind between two",
       PageStream(3, {RecordOf(*a), RecordOf(*unknown), RecordOf(*b)}),
       {"テスト図形:a", "未知の種類:u", "テスト図形:b"},
       false},
      {"count 3, one record, then the end", PageStream(3, {RecordOf(*a)}), {"テスト図形:a"}, true},
      {"zero and negative sizes",
       PageStream(4, {zero, RecordOf(*a), negative, RecordOf(*b)}),
       {"テスト図形:a", "テスト図形:b"},
       true},
      {"empty entry", PageStream(2, {zero, RecordOf(*a)}), {"テスト図形:a"}, false},
      {"record running past the end",
       PageStream(2, {RecordOf(*a), RecordOf(*b).left(30)}),
       {"テスト図形:a"},
       true},
      {"count 0", PageStream(0, {RecordOf(*a)}), {}, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TMemoryStream stream;
    stream.SetBytes(c.bytes);
    std::unique_ptr<TTestPage> page = Page();
    const int faults = TCoreContext::Get().ReadFaults;
    page->LoadFromStream(stream);
    EXPECT_EQ(Kinds(*page), c.expected);
    EXPECT_EQ(TCoreContext::Get().ReadFaults != faults, c.fault);
  }
  // The placeholder keeps its place in the paint order.
  TMemoryStream stream;
  stream.SetBytes(PageStream(3, {RecordOf(*a), RecordOf(*unknown), RecordOf(*b)}));
  std::unique_ptr<TTestPage> page = Page();
  page->LoadFromStream(stream);
  EXPECT_EQ(&page->Pool()->Items(1)->ClassType(), &ObjClassOf<TDummyDrawObj>());
}

// The offset of the polygon's byte count in an object record: behind the
// size, the version, the kind, the parameter block and its text, the
// constant, the id and the name.
int PolygonAt(const QByteArray &aRecord) {
  auto stringEnd = [&](int aAt) {
    return aAt + 4 + qFromLittleEndian<int32_t>(aRecord.constData() + aAt);
  };
  int at = stringEnd(8); // the kind
  at += 4 + 48;          // the block's size and the block
  at = stringEnd(at);    // its text
  at += 4 + 8;           // the constant and the id
  return stringEnd(at);  // the name
}

// An entry of a known kind that cannot be read costs neither the rest of
// the page nor its own bytes: it becomes the placeholder holding the entry
// (a composite's children included) and is written back unchanged.
TEST_F(CustomCompoTest, UnreadableEntryBecomesAPlaceholderKeepingItsBytes) {
  auto spoil = [&](QByteArray aEntry) {
    // The polygon byte count claims far more than the record holds.
    qToLittleEndian(int32_t(0x7FFFFFF0), aEntry.data() + PolygonAt(aEntry));
    return aEntry;
  };
  std::unique_ptr<TTestPage> source = PageWithGroup();
  const QByteArray a = RecordOf(*source->Pool()->Items(0));
  const QByteArray badLeaf = spoil(RecordOf(*source->Pool()->Items(0)));
  // The group's own record comes first in its entry, then its children.
  const QByteArray badGroup = spoil(RecordOf(*source->Pool()->Items(1)));
  const QByteArray c = RecordOf(*source->Pool()->Items(2));
  const int alive = gAlive;
  for (const QByteArray &bad : {badLeaf, badGroup}) {
    SCOPED_TRACE(bad == badLeaf ? "leaf" : "group");
    TMemoryStream stream;
    stream.SetBytes(PageStream(3, {a, bad, c}));
    std::unique_ptr<TTestPage> page = Page();
    const int faults = TCoreContext::Get().ReadFaults;
    ASSERT_NO_THROW(page->LoadFromStream(stream));
    EXPECT_EQ(TCoreContext::Get().ReadFaults, faults);
    ASSERT_EQ(page->Count(), 3);
    auto *kept = dynamic_cast<TDummyDrawObj *>(page->Pool()->Items(1));
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->Unreadable());
    EXPECT_EQ(page->Pool()->Items(2)->Name, QStringLiteral("c"));
    kept->ReMake();
    EXPECT_EQ(RecordOf(*kept), bad);
  }
  EXPECT_EQ(gAlive, alive); // the half-read group and its children are freed
}

// Where an entry ends cannot always be known: a child whose kind cannot
// even be read inside a composite ends the load with the error, whether
// or not the composite's own record was readable.
TEST_F(CustomCompoTest, EntryWhoseEndIsUnknownEndsTheLoad) {
  std::unique_ptr<TTestPage> source = PageWithGroup();
  TCommonObj *group = source->Pool()->Items(1);
  const QByteArray g1 = RecordOf(*group->Pool()->Items(0));
  QByteArray spoiled = RecordOf(*group);
  const int at = spoiled.indexOf(g1);
  ASSERT_GT(at, 0);
  // g1's parameter block claims a size beyond its record.
  const int32_t kindBytes = qFromLittleEndian<int32_t>(g1.constData() + 8);
  qToLittleEndian(int32_t(0x7FFFFFF0), spoiled.data() + at + 12 + kindBytes);
  QByteArray ownSpoiled = spoiled;
  qToLittleEndian(int32_t(0x7FFFFFF0), ownSpoiled.data() + PolygonAt(ownSpoiled));
  for (const QByteArray &bad : {spoiled, ownSpoiled}) {
    TMemoryStream stream;
    stream.SetBytes(PageStream(2, {RecordOf(*source->Pool()->Items(0)), bad}));
    std::unique_ptr<TTestPage> page = Page();
    EXPECT_THROW(page->LoadFromStream(stream), EReadError);
    EXPECT_EQ(Kinds(*page), QStringList{"テスト図形:a"});
  }
}

TEST_F(CustomCompoTest, OperationsReachEveryChild) {
  std::unique_ptr<TTestPage> page = PageWithGroup();
  page->Move({1, 1});
  TCommonObj *g2 = page->Pool()->Items(1)->Pool()->Items(1);
  EXPECT_EQ(g2->Polygon().front(), (TRealPoint{21, 1}));
  page->ReMake();
  EXPECT_EQ(static_cast<TTestFigure *>(g2)->ReMakes, 1);
  page->SetVisible(false);
  EXPECT_FALSE(g2->Visible());
  EXPECT_FALSE(page->Pool()->Items(2)->Visible());
}

// ---- Ownership ----

TEST_F(CustomCompoTest, FreedContainerFreesWhatItOwnsAndNothingItOnlyLists) {
  std::unique_ptr<TTestPage> page = Page(); // owns its objects
  TCommonObj *onPage = page->AddObj(Figure(QStringLiteral("on page"), Square(0, 0, 10)));
  std::unique_ptr<TTestGroup> group = NewObject<TTestGroup>(); // owns its children
  group->AddObj(Figure(QStringLiteral("in group"), Square(0, 0, 10)));
  page->AddObj(std::move(group));
  std::unique_ptr<TTestFigure> loose = Figure(QStringLiteral("loose"), Square(20, 0, 10));

  // A container that only lists: an object of the page and one the test
  // owns, besides a child handed to it, which it keeps.
  std::unique_ptr<TTestListGroup> list = NewObject<TTestListGroup>();
  list->AddObj(onPage);
  list->AddObj(loose.get());
  TCommonObj *kept = list->AddObj(Figure(QStringLiteral("kept"), Square(0, 0, 10)));
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(list->Count(), 3);
  EXPECT_EQ(list->LoadedChildren().Count(), 1);
  EXPECT_EQ(list->OwnedPool(), nullptr);
  ASSERT_NE(list->ListPool(), nullptr);

  // The children read from its record are kept too.
  TMetaStream stream;
  list->SaveToStream(stream);
  stream.SetPosition(0);
  std::unique_ptr<TTestListGroup> read = NewObject<TTestListGroup>();
  read->LoadFromStream(stream);
  EXPECT_EQ(read->Count(), 3);
  EXPECT_EQ(read->LoadedChildren().Count(), 3);

  const int alive = gAlive;
  read.reset();
  EXPECT_EQ(gAlive, alive - 4); // the container and the three it read
  list.reset();
  EXPECT_EQ(gAlive, alive - 6); // the container and the child it kept
  // What it only listed is alive and usable.
  EXPECT_EQ(onPage->Name, QStringLiteral("on page"));
  onPage->Move(TRealPoint{5, 5});
  EXPECT_EQ(page->Pool()->IndexOf(onPage), 0);
  EXPECT_EQ(loose->Name, QStringLiteral("loose"));
  TBitmap bitmap(40, 20);
  loose->Paint(bitmap.Canvas());

  page.reset();
  EXPECT_EQ(gAlive, alive - 10); // the page, its figure, the group and its child
  loose.reset();
  EXPECT_EQ(gAlive, alive - 11);
}

} // namespace
} // namespace lumora::test
