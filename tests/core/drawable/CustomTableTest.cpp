// The table base and the drawable containers: cell addressing, the cell
// commands, inserting and deleting columns and rows, the conductor link,
// the stored form, drawing, and who frees the children.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "core/drawable/DummyDrawObj.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Exception.h"
#include "tests/core/drawable/ActionTestClasses.h"

namespace lumora::test::act {
namespace {

class CustomTableTest : public ActTest {
protected:
  std::unique_ptr<TTestTable> Table(int aCols, int aRows, int aCells = -1) {
    std::unique_ptr<TTestTable> table = NewObject<TTestTable>();
    table->Build(aCols, aRows, {10, 10}, aCells);
    return table;
  }
  // The cells' values in pool order.
  static QStringList Values(TCustomTable &aTable) {
    QStringList values;
    for (TCommonObj *cell : *aTable.Pool())
      values << static_cast<TTestCell *>(cell)->CellValue;
    return values;
  }
  static QString CellValue(TCustomTable &aTable, const QVariant &aCol, const QVariant &aRow,
                           bool *aOk = nullptr) {
    QVariantList arg{QString(), aCol, aRow};
    const bool ok = aTable.Value(QStringLiteral("セル固有値"), arg);
    if (aOk) *aOk = ok;
    return arg[0].toString();
  }
};

// Param.Grabs 10 gives 3 columns; 7 cells fill 3 rows, the last one short.
TEST_F(CustomTableTest, CellsAreAddressedInRowMajorOrder) {
  std::unique_ptr<TTestTable> table = Table(3, 3, 7);
  EXPECT_EQ(table->Param.Grabs, 10);
  EXPECT_EQ(table->ColCount(), 3);
  EXPECT_EQ(table->RowCount(), 3);
  EXPECT_EQ(table->GetCells(0, 2), table->Pool()->Items(6));
  EXPECT_EQ(table->GetCells(1, 2), nullptr);
  EXPECT_EQ(table->GetCells(2, 1)->BoundsRect(), (TRect{70, 30, 100, 50}));
  EXPECT_EQ(table->BCenter(), (TRealPoint{55, 40}));
  EXPECT_EQ(table->LinkPos(), (TRealPoint{55, 40}));
  EXPECT_EQ(table->Search({75, 35}, k_Item), table->GetCells(2, 1));
}

// "セル固有値" [text, row, column] hands the values of the text to the cells
// from the one addressed on, along the row and then row by row.
TEST_F(CustomTableTest, CellValueCommandWalksTheCells) {
  struct Case {
    const char *name;
    QString text;
    QVariant row, col;
    int cells;
    QStringList set;
  };
  const Case cases[] = {
      {"four values from (2, 0)", "a:b:c:d", 1, 3, 9, {"cell2=a", "cell3=b", "cell4=c", "cell5=d"}},
      {"empty text still sets one", "", 2, 2, 9, {"cell4="}},
      {"trailing separator", "x:", 1, 1, 9, {"cell0=x"}},
      {"column beyond: next row", " p : q ", 1, 5, 9, {"cell3=p", "cell4=q"}},
      {"row beyond", "z", 4, 1, 9, {}},
      {"row 0 names no cell", "z", 0, 1, 9, {}},
      {"the rows end", "1:2:3:4", 3, 2, 9, {"cell7=1", "cell8=2"}},
      {"numbers as text", "t", QStringLiteral("2"), QStringLiteral("2"), 9, {"cell4=t"}},
      {"short last row", "a:b:c", 3, 1, 7, {"cell6=a"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TTestTable> table = Table(3, 3, c.cells);
    gLog.clear();
    EXPECT_TRUE(table->Data(QStringLiteral("セル固有値"), {c.text, c.row, c.col}));
    EXPECT_EQ(gLog, c.set);
  }
  std::unique_ptr<TTestTable> table = Table(3, 3);
  EXPECT_FALSE(table->Data(QStringLiteral("固有値"), {QString(), 1.0}));
  EXPECT_FALSE(table->Data(QStringLiteral("セル固有値"), {QStringLiteral("a"), 1}));
}

// "固有値" joins every cell's value; "セル固有値" [result, column, row] gives a
// column top to bottom, a row, one cell or the whole table.
TEST_F(CustomTableTest, ValueCommandsJoinTheCells) {
  std::unique_ptr<TTestTable> table = Table(3, 3);
  QVariantList all;
  EXPECT_TRUE(table->Value(QStringLiteral("固有値"), all));
  EXPECT_EQ(all, QVariantList{QStringLiteral("r0c0:r0c1:r0c2:r1c0:r1c1:r1c2:r2c0:r2c1:r2c2")});

  struct Case {
    QVariant col, row;
    QString text;
  };
  const Case cases[] = {
      {2, QStringLiteral("*"), "r0c1:r1c1:r2c1"},  {QString(), 3, "r2c0:r2c1:r2c2"},
      {QStringLiteral("x"), 1, "r0c0:r0c1:r0c2"},  {3, 2, "r1c2"},
      {0, QStringLiteral("*"), all[0].toString()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    bool ok = false;
    EXPECT_EQ(CellValue(*table, c.col, c.row, &ok), c.text);
    EXPECT_TRUE(ok);
  }
  bool ok = true;
  CellValue(*table, 4, 1, &ok);
  EXPECT_FALSE(ok);
  CellValue(*table, 1, 4, &ok);
  EXPECT_FALSE(ok);

  // Empty values at the start leave no separator behind.
  static_cast<TTestCell *>(table->GetCells(0, 0))->CellValue.clear();
  EXPECT_EQ(CellValue(*table, QStringLiteral("*"), 1), QStringLiteral("r0c1:r0c2"));
}

TEST_F(CustomTableTest, InsertColumnCopiesTheColumn) {
  struct Case {
    const char *name;
    int col;
    QStringList values;
  };
  const Case cases[] = {
      {"after the first", 0, {"r0c0", "r0c0", "r0c1", "r0c2", "r1c0", "r1c0", "r1c1", "r1c2"}},
      {"beyond the last", 7, {"r0c0", "r0c1", "r0c2", "r0c2", "r1c0", "r1c1", "r1c2", "r1c2"}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TTestTable> table = Table(3, 2);
    const QString copied = table->GetCells(std::min(c.col, 2), 0)->Name;
    table->InsertCol(c.col);
    EXPECT_EQ(Values(*table), c.values);
    EXPECT_EQ(table->ReLayouts, std::vector<int>{4});
    EXPECT_EQ(table->ColCount(), 4);
    EXPECT_EQ(table->GetCells(3, 1)->BoundsRect(), (TRect{100, 30, 130, 50}));
    EXPECT_NE(table->GetCells(std::min(c.col, 2) + 1, 0)->Name, copied);
  }
}

// A cell that cannot be copied ends the walk: the table's last cell is
// copied instead and added at the end. An error ends it too, but the table
// is re-laid for what was inserted before the error is passed on.
TEST_F(CustomTableTest, InsertColumnWhenCopyingFails) {
  std::unique_ptr<TTestTable> table = Table(3, 2);
  static_cast<TTestCell *>(table->GetCells(1, 0))->CopyFault = 1;
  table->InsertCol(1);
  EXPECT_EQ(Values(*table), (QStringList{"r0c0", "r0c1", "r0c2", "r1c0", "r1c1", "r1c2", "r1c2"}));
  EXPECT_EQ(table->ReLayouts, std::vector<int>{4});

  std::unique_ptr<TTestTable> failing = Table(3, 2);
  static_cast<TTestCell *>(failing->GetCells(1, 1))->CopyFault = 2;
  EXPECT_THROW(failing->InsertCol(1), Exception);
  EXPECT_EQ(Values(*failing),
            (QStringList{"r0c0", "r0c1", "r0c1", "r0c2", "r1c0", "r1c1", "r1c2"}));
  EXPECT_EQ(failing->ReLayouts, std::vector<int>{4});
}

TEST_F(CustomTableTest, InsertAndDeleteRowsAndColumns) {
  std::unique_ptr<TTestTable> table = Table(3, 2);
  table->InsertRow(0);
  EXPECT_EQ(Values(*table),
            (QStringList{"r0c0", "r0c1", "r0c2", "r0c0", "r0c1", "r0c2", "r1c0", "r1c1", "r1c2"}));
  EXPECT_EQ(table->ReLayouts, std::vector<int>{3});
  EXPECT_EQ(table->GetCells(0, 2)->BoundsRect(), (TRect{10, 50, 40, 70}));

  table->InsertRow(9); // the last row
  EXPECT_EQ(table->RowCount(), 4);
  EXPECT_EQ(Values(*table).mid(9), (QStringList{"r1c0", "r1c1", "r1c2"}));

  table->ReLayouts.clear();
  table->DeleteCol(1);
  EXPECT_EQ(table->ReLayouts, std::vector<int>{2});
  EXPECT_EQ(Values(*table),
            (QStringList{"r0c0", "r0c2", "r0c0", "r0c2", "r1c0", "r1c2", "r1c0", "r1c2"}));
  EXPECT_EQ(TTestCell::Alive, 8);

  table->DeleteRow(0);
  EXPECT_EQ(Values(*table), (QStringList{"r0c0", "r0c2", "r1c0", "r1c2", "r1c0", "r1c2"}));
  EXPECT_EQ(TTestCell::Alive, 6);

  // Outside the table, and the last column, nothing changes.
  table->ReLayouts.clear();
  table->DeleteCol(2);
  table->DeleteRow(3);
  table->DeleteRow(-1);
  std::unique_ptr<TTestTable> single = Table(1, 2);
  single->DeleteCol(0);
  EXPECT_EQ(single->Count(), 2);
  EXPECT_TRUE(table->ReLayouts.empty());
  EXPECT_TRUE(single->ReLayouts.empty());
}

// The copies of a short last row go where further cells of that row would
// be: each cell of the row is copied once, not the copies again.
TEST_F(CustomTableTest, InsertRowOfAShortLastRowCopiesEachCellOnce) {
  std::unique_ptr<TTestTable> table = Table(3, 3, 7);
  table->InsertRow(2);
  EXPECT_EQ(Values(*table),
            (QStringList{"r0c0", "r0c1", "r0c2", "r1c0", "r1c1", "r1c2", "r2c0", "r2c0"}));
  EXPECT_EQ(table->ReLayouts, std::vector<int>{3});
}

// A table links to a conductor only, never to an original input; the link
// keeps it beside the cells, not among them.
TEST_F(CustomTableTest, TableLinksToConductorsOnly) {
  std::unique_ptr<TTestTable> table = Table(2, 2);
  std::unique_ptr<TCommonObj> conductor = ObjClassList().CreateObject(QStringLiteral("伝送路"));
  std::unique_ptr<TCommonObj> other = ObjClassList().CreateObject(QStringLiteral("伝送路"));
  std::unique_ptr<TCommonObj> input = ObjClassList().CreateObject(QStringLiteral("オリジ入力"));
  auto figure = Figure(QStringLiteral("f"), Square(0, 0, 10));
  TLink &link = *table->Link();

  EXPECT_TRUE(link.CanLink(conductor.get()));
  EXPECT_FALSE(link.CanLink(input.get()));
  EXPECT_FALSE(link.CanLink(figure.get()));

  EXPECT_TRUE(link.DoLink(conductor.get()));
  EXPECT_EQ(table->LinkedObj(), conductor.get());
  EXPECT_EQ(table->Count(), 4);
  EXPECT_FALSE(link.DoLink(other.get()));
  EXPECT_EQ(table->LinkedObj(), conductor.get());
  EXPECT_TRUE(link.DoLink(conductor.get()));
  EXPECT_EQ(table->LinkedObj(), nullptr);
  EXPECT_EQ(table->Count(), 4);
}

// A page with a conductor and a linked table is written and read: the cells
// come back (owned by the table), and the table finds its conductor.
TEST_F(CustomTableTest, TableRoundTripsWithItsCellsAndConductor) {
  std::unique_ptr<TTestPage> page = Page();
  std::unique_ptr<TCommonObj> made = ObjClassList().CreateObject(QStringLiteral("伝送路"));
  auto *conductor = static_cast<TTestFigure *>(made.get());
  conductor->SetId(9);
  page->AddObj(std::move(made));
  std::unique_ptr<TTestTable> table = Table(3, 2);
  ASSERT_TRUE(table->Link()->DoLink(conductor));
  page->AddObj(std::move(table));

  TMetaStream s;
  page->SaveToStream(s);
  s.SetPosition(0);
  std::unique_ptr<TTestPage> read = Page(QStringLiteral("read"));
  read->LoadFromStream(s);
  read->UpdateLink(nullptr);
  ASSERT_EQ(read->Count(), 2);
  // The table (priority 30) lies behind the conductor (priority 50).
  auto *readTable = dynamic_cast<TTestTable *>(read->Pool()->Items(0));
  ASSERT_NE(readTable, nullptr);
  EXPECT_FLOAT_EQ(readTable->Version(), 3.21f);
  EXPECT_EQ(readTable->TargetId(), 9);
  EXPECT_EQ(readTable->LinkedObj(), read->Pool()->Items(1));
  EXPECT_EQ(Values(*readTable), (QStringList{"r0c0", "r0c1", "r0c2", "r1c0", "r1c1", "r1c2"}));
  EXPECT_EQ(TTestCell::Alive, 12);
}

// A stored table with fewer than 8 grabs would have no column: it is refused
// with the stream's error instead of dividing by zero later. On a page it
// becomes the placeholder holding its bytes, cells included, and the
// objects behind it are read.
TEST_F(CustomTableTest, TableWithTooFewGrabsIsRefused) {
  for (const int grabs : {7, 0, -3}) {
    SCOPED_TRACE(grabs);
    std::unique_ptr<TTestTable> table = Table(1, 1);
    table->Param.Grabs = grabs;
    TMetaStream s;
    table->SaveToStream(s);
    s.SetPosition(0);
    std::unique_ptr<TTestTable> read = NewObject<TTestTable>();
    EXPECT_THROW(read->LoadFromStream(s), EReadError);

    TMetaStream page;
    page.WriteBuffer(int32_t(2));
    page.TStream::WriteBuffer(s.Memory(), s.Size());
    Table(1, 2)->SaveToStream(page);
    page.SetPosition(0);
    std::unique_ptr<TTestPage> holder = Page();
    holder->LoadChildren(page);
    ASSERT_EQ(holder->Count(), 2);
    auto *kept = dynamic_cast<TDummyDrawObj *>(holder->Pool()->Items(0));
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->Unreadable());
    TMetaStream again;
    kept->SaveToStream(again);
    EXPECT_EQ(again.Bytes(), s.Bytes());
    EXPECT_NE(dynamic_cast<TTestTable *>(holder->Pool()->Items(1)), nullptr);
  }
  std::unique_ptr<TTestTable> one = Table(1, 2);
  TMetaStream s;
  one->SaveToStream(s);
  s.SetPosition(0);
  std::unique_ptr<TTestTable> read = NewObject<TTestTable>();
  read->LoadFromStream(s);
  EXPECT_EQ(read->ColCount(), 1);
  EXPECT_EQ(read->RowCount(), 2);
}

// With a cell being edited only the cell under the point takes the colour
// (and becomes the active cell); otherwise the table's face takes it.
TEST_F(CustomTableTest, TakeColorGoesToCellsWhileOneIsActive) {
  std::unique_ptr<TTestTable> table = Table(2, 2);
  bool more = false;
  EXPECT_TRUE(table->TakeColor({15, 15}, 0x123456, more));
  EXPECT_EQ(table->Param.FaceColor, TColor(0x123456));
  EXPECT_TRUE(more);

  table->SetActiveCell(table->GetCells(0, 0));
  EXPECT_TRUE(table->TakeColor({45, 35}, 0x654321, more));
  EXPECT_EQ(table->GetCells(1, 1)->Param.FaceColor, TColor(0x654321));
  EXPECT_EQ(table->GetCells(0, 0)->Param.FaceColor, kWhite);
  EXPECT_EQ(table->ActiveCell(), table->GetCells(1, 1));
  EXPECT_FALSE(table->TakeColor({500, 500}, 0x111111, more));
  EXPECT_EQ(table->Param.FaceColor, TColor(0x123456));
}

// At zoom 2 and offset (5, 5) the frame (10, 10, 100, 50) lands on (25, 25,
// 205, 105) with a pen twice as wide; the width is restored afterwards.
TEST_F(CustomTableTest, ZoomDrawScalesTheFrame) {
  std::unique_ptr<TTestTable> table = Table(3, 2);
  auto bitmap = WhiteBitmap(240, 140);
  table->ZoomDraw(bitmap->Canvas(), 2, 5, 5);
  bitmap->Canvas().End();
  EXPECT_EQ(table->Param.Width, 1);
  EXPECT_EQ(bitmap->Pixel(24, 60), kWhite);
  EXPECT_EQ(bitmap->Pixel(25, 60), clBlack);
  EXPECT_EQ(bitmap->Pixel(26, 60), clBlack); // width 2
  EXPECT_EQ(bitmap->Pixel(40, 60), kYellow);
  EXPECT_EQ(bitmap->Pixel(85, 60), clBlack); // the first column rule
  EXPECT_EQ(bitmap->Pixel(204, 104), clBlack);
  EXPECT_EQ(bitmap->Pixel(206, 106), kWhite);
}

// The generic container: its bounds are its children's, it refuses to give
// one up, and it frees them with itself.
TEST_F(CustomTableTest, GenericContainerBoundsAndRemoval) {
  std::unique_ptr<TCommonObj> made = ObjClassList().CreateObject(QStringLiteral("テスト一括"));
  auto *box = static_cast<TExContnr *>(made.get());
  EXPECT_TRUE(box->BoundsRect().IsEmpty());
  box->AddObj(Figure(QStringLiteral("a"), Square(0, 0, 10)));
  box->AddObj(Figure(QStringLiteral("b"), Square(20, 20, 10)));
  EXPECT_EQ(box->BoundsRect(), (TRect{0, 0, 30, 30}));
  TCommonObj *child = box->Pool()->Items(0);
  try {
    box->RemoveObj(child);
    ADD_FAILURE() << "removal accepted";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("不正削除"));
  }
  EXPECT_EQ(box->Count(), 2);
  made.reset();
  EXPECT_EQ(gAlive, 0);
}

// A drawable container whose pool refers to objects of its page frees none
// of them; the children it reads from its record are its own and go with
// it. Its children move with it.
TEST_F(CustomTableTest, DrawableContainerOwnsOnlyWhatItReads) {
  std::unique_ptr<TTestPage> page = Page();
  auto figure = Figure(QStringLiteral("held"), Square(0, 0, 10));
  TTestFigure *held = figure.get();
  page->AddObj(std::move(figure));
  std::unique_ptr<TCommonObj> holder = ObjClassList().CreateObject(QStringLiteral("テスト容器"));
  auto *h = static_cast<TRepreContnr *>(holder.get());
  h->SetPolygon(Square(0, 0, 40));
  h->AddObj(held);
  h->Move({5, 5}, nullptr, true);
  EXPECT_EQ(h->Polygon()[0], (TRealPoint{5, 5}));
  EXPECT_EQ(held->Polygon()[0], (TRealPoint{5, 5}));
  TCommonObj *child = held;
  EXPECT_TRUE(h->RemoveObj(child));
  EXPECT_EQ(h->Count(), 1);

  const int alive = gAlive; // the page and its figure
  TMetaStream s;
  h->SaveToStream(s);
  s.SetPosition(0);
  std::unique_ptr<TCommonObj> read = ObjClassList().CreateObject(QStringLiteral("テスト容器"));
  read->LoadFromStream(s);
  EXPECT_EQ(read->Pool()->Count(), 1);
  EXPECT_EQ(gAlive, alive + 1);
  read.reset();
  EXPECT_EQ(gAlive, alive);
  holder.reset();
  EXPECT_EQ(gAlive, alive);
}

TEST_F(CustomTableTest, ContainerGrabModel) {
  std::unique_ptr<TCommonObj> holder = ObjClassList().CreateObject(QStringLiteral("テスト容器"));
  auto *h = static_cast<TRepreContnr *>(holder.get());
  const int anchors[][2] = {{0, 2}, {2, 0}, {1, 3}, {3, 1},  {4, 5},
                            {5, 4}, {6, 7}, {7, 6}, {8, -1}, {-1, -1}};
  for (const auto &a : anchors)
    EXPECT_EQ(h->AnchorGrab(a[0]), a[1]) << a[0];
  EXPECT_EQ(h->OppositeGrab(0), -1);

  std::vector<TRealPoint> rect = Square(0, 0, 10);
  EXPECT_TRUE(h->IsCreateEnd(mbLeft, 1, rect, {3, 3}));
  EXPECT_TRUE(h->IsCreateEnd(mbRight, 0, rect, {3, 3}));
  EXPECT_FALSE(h->IsCreateEnd(mbLeft, 0, rect, {3, 3}));
  EXPECT_EQ(h->FormatGrab(2, {3, -1}, rect, 1)[2], (TRealPoint{13, 9}));

  // The drag image: the first four grab points as a closed outline.
  auto bitmap = WhiteBitmap(60, 60);
  bitmap->Canvas().Pen().SetColor(clBlack);
  h->DrawDragImage(bitmap->Canvas(), {{10, 10}, {40, 10}, {40, 40}, {10, 40}, {99, 99}});
  bitmap->Canvas().End();
  EXPECT_EQ(bitmap->Pixel(25, 10), clBlack);
  EXPECT_EQ(bitmap->Pixel(10, 25), clBlack); // the closing segment
  EXPECT_EQ(bitmap->Pixel(25, 25), kWhite);
}

TEST_F(CustomTableTest, AnimatorHoldsObjects) {
  std::unique_ptr<TTestPage> page = Page();
  auto figure = Figure(QStringLiteral("f"), Square(0, 0, 10));
  TTestFigure *f = figure.get();
  page->AddObj(std::move(figure));
  auto loose = Figure(QStringLiteral("loose"), Square(0, 0, 10));
  std::unique_ptr<TCommonObj> made = ObjClassList().CreateObject(QStringLiteral("テスト動画"));
  TCommonObj *animator = made.get();
  animator->AddObj(f);
  page->AddObj(std::move(made));

  EXPECT_TRUE(IsInAnimator(f, animator));
  EXPECT_FALSE(IsInAnimator(loose.get(), animator));
  EXPECT_FALSE(IsInAnimator(f, nullptr)); // no root page
  Info().RootObj = [&page] { return page.get(); };
  EXPECT_TRUE(IsInAnimator(f, nullptr));
  EXPECT_FALSE(IsInAnimator(loose.get(), nullptr));
  Info().RootObj = nullptr;
}

TEST_F(CustomTableTest, UnRotateAndScaleGrabs) {
  // An edge pointing down is turned back a quarter turn to point right.
  std::vector<TRealPoint> points{{0, 0}, {0, 10}, {-5, 10}};
  EXPECT_NEAR(UnRotate(points), std::numbers::pi / 2, 1e-12);
  EXPECT_NEAR(points[1].rx, 10, 1e-9);
  EXPECT_NEAR(points[1].ry, 0, 1e-9);
  std::vector<TRealPoint> level{{0, 0}, {10, 0.0000001}};
  EXPECT_EQ(UnRotate(level), 0);
  EXPECT_EQ(level[1], (TRealPoint{10, 0.0000001}));

  // Point 2 of a 10 x 10 square goes to (30, 15) about point 0.
  std::vector<TRealPoint> square = Square(0, 0, 10);
  ScaleGrabs(2, 0, 3, square, {30, 15});
  EXPECT_EQ(square, (std::vector<TRealPoint>{{0, 0}, {30, 0}, {30, 15}, {0, 15}}));
  // A shared x keeps the factor 1 across; the factors are taken absolute.
  std::vector<TRealPoint> column{{5, 0}, {5, 10}, {9, 4}};
  ScaleGrabs(1, 0, 9, column, {5, -20});
  EXPECT_EQ(column, (std::vector<TRealPoint>{{5, 0}, {5, -20}, {9, 8}}));
}

} // namespace
} // namespace lumora::test::act
