// Object pools: order by layer and priority, moves, ownership.
#include "core/model/ObjPool.h"
#include "tests/core/model/ModelTestClasses.h"

namespace lumora::test {
namespace {

class ObjPoolTest : public ModelTest {
protected:
  QStringList Names(const TAbObjectPool &aPool) {
    QStringList names;
    for (TCommonObj *obj : aPool)
      names << obj->Name;
    return names;
  }

  // Figures named by their order of creation, with (layer, priority).
  std::vector<std::unique_ptr<TTestFigure>> Make(std::vector<std::pair<int, int>> aOrder) {
    std::vector<std::unique_ptr<TTestFigure>> figures;
    for (size_t i = 0; i < aOrder.size(); ++i)
      figures.push_back(
          Figure(QString::number(i), Square(0, 0, 5), uint8_t(aOrder[i].first), aOrder[i].second));
    return figures;
  }
};

TEST_F(ObjPoolTest, AddObjPutsInFrontOfEqualsInsertObjBehind) {
  auto figures = Make({{0, 5}, {0, 5}, {1, 0}, {0, 2}});
  TAbObjPool added;
  for (auto &f : figures)
    added.AddObj(f.get());
  EXPECT_EQ(Names(added), QStringList({"3", "0", "1", "2"}));
  added.AddObj(figures[0].get()); // already there: stays
  EXPECT_EQ(Names(added), QStringList({"3", "0", "1", "2"}));

  TAbObjPool inserted;
  inserted.AddObj(figures[0].get());
  inserted.InsertObj(figures[1].get());
  inserted.AddObj(figures[2].get());
  inserted.AddObj(figures[3].get());
  EXPECT_EQ(Names(inserted), QStringList({"3", "1", "0", "2"}));
}

TEST_F(ObjPoolTest, OrderedHintFindsThePlacesTheWalkFinds) {
  std::vector<std::pair<int, int>> order;
  uint32_t seed = 12345;
  for (int i = 0; i < 300; ++i) {
    seed = seed * 1103515245u + 12345u;
    order.emplace_back(int(seed >> 16) % 3, int(seed >> 20) % 5);
  }
  auto figures = Make(order);
  TAbObjPool walked, hinted;
  hinted.SetOrderedHint(true);
  for (size_t i = 0; i < figures.size(); ++i) {
    TCommonObj *f = figures[i].get();
    if (i % 3 == 0) {
      walked.InsertObj(f);
      hinted.InsertObj(f);
    } else {
      walked.AddObj(f);
      hinted.AddObj(f);
    }
    hinted.AddObj(f); // already there: stays
  }
  EXPECT_EQ(Names(hinted), Names(walked));
  hinted.Move(0, 5);
  EXPECT_FALSE(hinted.OrderedHint());
}

TEST_F(ObjPoolTest, MovesWithinThePool) {
  auto figures = Make({{0, 1}, {0, 1}, {0, 1}, {1, 0}});
  TAbObjPool pool;
  for (auto &f : figures)
    pool.AddObj(f.get());
  ASSERT_EQ(Names(pool), QStringList({"0", "1", "2", "3"}));
  pool.MoveOrder(figures[0].get(), 0); // the front of its layer group, not index 0
  EXPECT_EQ(Names(pool), QStringList({"1", "2", "0", "3"}));
  pool.MoveOrder(figures[1].get(), 99);
  EXPECT_EQ(Names(pool), QStringList({"2", "0", "3", "1"}));
  pool.MoveBack(figures[0].get());
  EXPECT_EQ(Names(pool), QStringList({"0", "2", "3", "1"}));
  EXPECT_TRUE(pool.MoveFront(figures[1].get())); // back into order
  EXPECT_EQ(Names(pool), QStringList({"0", "2", "1", "3"}));

  std::unique_ptr<TTestFigure> stranger = Figure(QStringLiteral("x"), Square(0, 0, 5));
  EXPECT_FALSE(pool.MoveFront(stranger.get()));
  EXPECT_FALSE(pool.MoveFront(nullptr));
  pool.MoveBack(stranger.get());
  pool.MoveOrder(stranger.get(), 2);
  EXPECT_EQ(pool.Count(), 4);
}

TEST_F(ObjPoolTest, LookupsByIdIndexAndOverlap) {
  auto figures = Make({{0, 0}, {0, 1}, {0, 2}});
  figures[1]->SetId(42);
  figures[2]->SetPoly(Square(100, 100, 5));
  TAbObjPool pool;
  for (auto &f : figures)
    pool.AddObj(f.get());
  EXPECT_EQ(pool.GetObjs(42), figures[1].get());
  EXPECT_EQ(pool.GetObjs(43), nullptr);
  EXPECT_EQ(pool.GetParts(2), figures[2].get());
  EXPECT_EQ(pool.GetParts(3), nullptr);
  EXPECT_EQ(pool.GetParts(-1), nullptr);
  TObjList overlap{figures[0].get()};
  pool.GetOverlapObj(overlap, Rect(2, 2, 3, 3), Rect(104, 104, 200, 200));
  EXPECT_EQ(overlap, (TObjList{figures[0].get(), figures[1].get(), figures[2].get()}));
}

TEST_F(ObjPoolTest, OwningPoolFreesWhatItRemovesButNeverWhatItMoves) {
  {
    TOwnedObjPool pool;
    std::vector<TCommonObj *> objs;
    for (auto &f : Make({{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}}))
      objs.push_back(pool.AddObj(std::move(f)));
    EXPECT_EQ(gAlive, 5);
    pool.MoveOrder(objs[0], 3);
    pool.MoveBack(objs[0]);
    pool.MoveFront(objs[1]);
    pool.Move(4, 0);
    EXPECT_EQ(gAlive, 5);
    pool.Remove(objs[0]);
    EXPECT_EQ(gAlive, 4);
    std::unique_ptr<TCommonObj> taken = pool.Extract(objs[1]); // handed over
    EXPECT_EQ(taken.get(), objs[1]);
    EXPECT_EQ(pool.IndexOf(objs[1]), -1);
    EXPECT_EQ(gAlive, 4);
    taken.reset();
    EXPECT_EQ(gAlive, 3);
    EXPECT_EQ(pool.Extract(objs[1]), nullptr); // not there any more
    // A replaced object is handed back.
    std::unique_ptr<TCommonObj> replaced =
        pool.SetParts(0, Figure(QStringLiteral("new"), Square(0, 0, 5)));
    EXPECT_NE(replaced, nullptr);
    EXPECT_EQ(pool.Items(0)->Name, QStringLiteral("new"));
    EXPECT_EQ(gAlive, 4);
    replaced.reset();
    EXPECT_EQ(gAlive, 3);
    pool.Delete(0);
    EXPECT_EQ(gAlive, 2);
  }
  EXPECT_EQ(gAlive, 0); // freed with the pool

  auto figures = Make({{0, 0}, {0, 1}});
  {
    TAbObjPool listing;
    for (auto &f : figures)
      listing.AddObj(f.get());
    listing.SetParts(0, figures[1].get());
    listing.Remove(figures[0].get());
    listing.Clear();
    listing.AddObj(figures[0].get());
  }
  EXPECT_EQ(gAlive, 2); // a listing pool frees nothing
}

TEST_F(ObjPoolTest, OwningPoolMovesKeepWhatItOwnsInPoolOrder) {
  // Moves of the shared list move the objects owned with them: each object
  // taken out after a move is the one listed at its index.
  TOwnedObjPool pool;
  for (auto &f : Make({{0, 0}, {0, 1}, {0, 2}, {1, 0}}))
    pool.AddObj(std::move(f));
  pool.MoveOrder(pool.Items(0), 2);
  pool.MoveBack(pool.Items(3));
  pool.MoveFront(pool.Items(1));
  pool.Move(0, 3);
  const QStringList order = Names(pool);
  QStringList taken;
  while (pool.Count() > 0) {
    TCommonObj *first = pool.Items(0);
    std::unique_ptr<TCommonObj> obj = pool.ExtractAt(0);
    ASSERT_EQ(obj.get(), first);
    taken << obj->Name;
  }
  EXPECT_EQ(taken, order);
  EXPECT_EQ(gAlive, 0);
}

} // namespace
} // namespace lumora::test
