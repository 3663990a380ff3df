// The object record: exact bytes, reading by the stored size, bad counts,
// the grab block, and the base operations of leaves.
#include <QByteArray>
#include <QtEndian>

#include "core/drawable/DummyDrawObj.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/support/AbstractError.h"
#include "tests/core/model/ModelTestClasses.h"

namespace lumora::test {
namespace {

class ObjectRecordTest : public ModelTest {
protected:
  // The leaf of the fixture: kind "HexLeaf", 3 points, 3 handles.
  std::unique_ptr<THexLeaf> HexLeaf() {
    std::unique_ptr<THexLeaf> leaf = NewObject<THexLeaf>();
    leaf->Param.Grabs = 3;
    leaf->Param.ActType = {atShow};
    leaf->Param.FaceColor = clWhite;
    leaf->InitGrabInfo();
    leaf->SetPoly({{1, 2}, {3, 4}, {5, 6}});
    leaf->SetId(0x0102030405060708);
    leaf->Name = QStringLiteral("N1");
    return leaf;
  }

  static QByteArray Bytes(TStream &aStream) {
    QByteArray bytes(int(aStream.Size()), 0);
    aStream.SetPosition(0);
    aStream.ReadBuffer(bytes.data(), bytes.size());
    return bytes;
  }
};

// size, version 3.2, parameter block, 10, id, name, polygon, grab block.
const char kHexLeafRecord[] = "B9000000" // size: 185 bytes follow
                              "CDCC4C40" // Single 3.2
                              "08000000"
                              "4865784C65616600" // kind name "HexLeaf" + NUL
                              "30000000"         // Integer 48
                              "00000000"
                              "0A000000"
                              "32000000" // name ref, Layer 10, Priority 50
                              "00"
                              "02000000"
                              "01"
                              "0000" // Rocking, ActType [atShow], Width 1
                              "03000000"
                              "00000000"
                              "FFFFFF00" // Grabs 3, line black, face white
                              "00"
                              "01"
                              "0000"
                              "00000000"
                              "0000000000000000" // Transparency, Coating, text ref, tail
                              "00000000"         // Text ""
                              "0A000000"         // Integer 10
                              "0807060504030201" // id
                              "02000000"
                              "4E31"     // name "N1"
                              "30000000" // 48 bytes of points
                              "000000000000F03F"
                              "0000000000000040" // (1, 2)
                              "0000000000000840"
                              "0000000000001040" // (3, 4)
                              "0000000000001440"
                              "0000000000001840" // (5, 6)
                              "0000803F"         // grab block version 1.0
                              "03000000"
                              "010101" // forms: gfRect x 3
                              "03000000"
                              "20010000"
                              "20010000"
                              "20010000" // 3 handles [gmMid, gmAdsorb], cursor 0
                              "0000000000000000"
                              "0000000000000000"; // centre (0, 0)

TEST_F(ObjectRecordTest, LeafRecordMatchesTheHandWrittenBytes) {
  std::unique_ptr<THexLeaf> leaf = HexLeaf();
  TMemoryStream stream;
  leaf->SaveToStream(stream);
  EXPECT_EQ(Bytes(stream).toHex().toUpper(), QByteArray(kHexLeafRecord));

  std::unique_ptr<THexLeaf> read = NewObject<THexLeaf>();
  TMemoryStream in;
  in.SetBytes(QByteArray::fromHex(kHexLeafRecord));
  read->LoadFromStream(in);
  EXPECT_EQ(in.Position(), in.Size());
  EXPECT_EQ(read->Version(), 3.2f);
  EXPECT_EQ(read->Param, leaf->Param);
  EXPECT_EQ(read->Id(), leaf->Id());
  EXPECT_EQ(read->Name, QStringLiteral("N1"));
  EXPECT_EQ(read->Polygon(), leaf->Polygon());
  auto *grabs = static_cast<TGrabInfo_ *>(read->GrabInfo());
  ASSERT_EQ(grabs->Count(), 3);
  EXPECT_EQ(grabs->Version(), 1.0f);
  EXPECT_EQ(grabs->GetGrabMode(2), (TGrabMode{gmMid, gmAdsorb}));
}

TEST_F(ObjectRecordTest, ReaderAlwaysMovesByTheStoredSize) {
  // The first record is 5 bytes longer than its class reads; the second
  // record must be found right behind it.
  QByteArray first = QByteArray::fromHex(kHexLeafRecord);
  first.append("\xEE\xEE\xEE\xEE\xEE", 5);
  first[0] = char(185 + 5);
  const QByteArray second = QByteArray::fromHex(kHexLeafRecord);
  TMemoryStream stream;
  stream.SetBytes(first + second);
  std::unique_ptr<THexLeaf> leaf = NewObject<THexLeaf>();
  leaf->LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), first.size());
  EXPECT_EQ(leaf->Name, QStringLiteral("N1"));
  leaf->LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size());
}

TEST_F(ObjectRecordTest, EmptyOrOversizedRecordReadsNothing) {
  struct Case {
    int32_t size;
    int64_t after; // position afterwards
  };
  const Case cases[] = {{0, 4}, {1000, 4}, {-8, 4}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.size);
    TMetaStream stream;
    stream.WriteBuffer(c.size);
    stream.WriteBuffer(QByteArray(40, 'x'));
    stream.SetPosition(0);
    std::unique_ptr<THexLeaf> leaf = HexLeaf();
    leaf->LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), c.after);
    EXPECT_EQ(leaf->Name, QStringLiteral("N1")); // unchanged
  }
}

TEST_F(ObjectRecordTest, CorruptCountsRaiseBeforeAllocating) {
  // Offsets in the fixture: polygon byte count at 94 (the points follow),
  // forms count at 150, handle count at 157.
  struct Case {
    const char *what;
    int offset;
    uint32_t value;
  };
  const Case cases[] = {
      {"polygon byte count", 94, 0x7FFFFFF0u},
      {"polygon byte count negative", 94, 0xFFFFFFF0u},
      {"grab form count", 150, 0x40000000u},
      {"handle count", 157, 0x20000000u},
      {"handle count negative", 157, 0x80000001u},
      // The high half of the first point's x: not a number, and 1e307.
      {"point not a number", 102, 0x7FF80000u},
      {"point far beyond any page", 102, 0x7FE00000u},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    QByteArray bytes = QByteArray::fromHex(kHexLeafRecord) + QByteArray::fromHex(kHexLeafRecord);
    qToLittleEndian(c.value, bytes.data() + c.offset);
    TMemoryStream stream;
    stream.SetBytes(bytes);
    std::unique_ptr<THexLeaf> leaf = NewObject<THexLeaf>();
    EXPECT_THROW(leaf->LoadFromStream(stream), Exception);
    EXPECT_EQ(stream.Position(), 189); // the outer stream is past the record
  }
}

TEST_F(ObjectRecordTest, GrabBlockWithoutVersionKeepsTheCentre) {
  TMetaStream stream;
  stream.WriteBuffer(TGrabForm{TGrabType::gfOwn, TGrabType::gfCircle});
  stream.WriteBuffer(int32_t(2));
  for (uint16_t w : {uint16_t(0x0002), uint16_t(12), uint16_t(0x0020), uint16_t(0)})
    stream.WriteBuffer(w);
  stream.SetPosition(0);
  TGrabInfo_ grabs(nullptr);
  grabs.SetRCenter({7, 8});
  grabs.LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_EQ(grabs.Version(), 0.0f);
  EXPECT_EQ(grabs.RCenter(), (TRealPoint{7, 8}));
  EXPECT_EQ(grabs.GetGrabForm(1), TGrabType::gfCircle);
  EXPECT_TRUE(grabs.GetVisible(0));
  EXPECT_EQ(grabs.GetCursor(0), 12);
}

TEST_F(ObjectRecordTest, GrabRecordEditing) {
  std::unique_ptr<TTestFigure> figure = Figure(QStringLiteral("f"), Square(10, 10, 10));
  TGrabInfo &grabs = *figure->GrabInfo();
  ASSERT_EQ(grabs.Count(), 4);
  EXPECT_EQ(grabs.GetGrabId({20.9, 9.1}), 1);
  EXPECT_EQ(grabs.GetGrabId({21.5, 10}), -1);
  grabs.SetCount(6);
  EXPECT_EQ(grabs.GetGrabMode(5), TGrabMode{gmMid});
  EXPECT_EQ(grabs.GetGrabId({10, 10}), 0);
  grabs.SetGrabForm(2, TGrabType::gfOwn);
  grabs.DelGrab(1);
  grabs.DelGrab(9);
  EXPECT_EQ(grabs.Count(), 5);
  EXPECT_EQ(grabs.GetGrabForm(1), TGrabType::gfOwn);
  EXPECT_EQ(grabs.GetGrabForm(99), TGrabType::gfNon);
  grabs.SetV2Style({TGrabType::gfOwn, TGrabType::gfOwn});
  EXPECT_EQ(grabs.Count(), 2);
  EXPECT_EQ(grabs.GetGrabMode(0), (TGrabMode{gmShow, gmMid, gmAdsorb}));
  EXPECT_EQ(grabs.GetGrabForm(0), TGrabType::gfRect);
}

TEST_F(ObjectRecordTest, PlaceholderKeepsTheCommonPartAndWritesTheRecordBack) {
  std::unique_ptr<TTestFigure> guide = Figure(QStringLiteral("g"), Square(0, 0, 30));
  guide->Param.ObjName = QStringLiteral("テスト基準線");
  guide->SetId(4242);
  TMetaStream stream;
  guide->SaveToStream(stream);
  stream.SetPosition(0);
  Info().SysMode = smExec;
  std::unique_ptr<TCommonObj> obj = Info().LoadFromStream(stream);
  ASSERT_EQ(&obj->ClassType(), &ObjClassOf<TDummyDrawObj>());
  stream.SetPosition(0);
  obj->LoadFromStream(stream);
  EXPECT_EQ(obj->Param.ObjName, QStringLiteral("テスト基準線"));
  EXPECT_EQ(obj->Id(), 4242);
  EXPECT_EQ(obj->Name, QStringLiteral("g"));
  EXPECT_EQ(obj->Polygon(), TDummyDrawObj::FixedPolygon());
  EXPECT_EQ(obj->BoundsRect(), Rect(0, 0, 113, 50));

  // Read again in author mode, the record gives the real class back.
  TMetaStream again;
  obj->SaveToStream(again);
  again.SetPosition(0);
  Info().SysMode = smAuthor;
  std::unique_ptr<TCommonObj> back = Info().LoadFromStream(again);
  EXPECT_EQ(&back->ClassType(), &ObjClassOf<TTestGuide>());
}

TEST_F(ObjectRecordTest, HitTestsByBoundsAndLock) {
  std::unique_ptr<TTestFigure> figure = Figure(QStringLiteral("f"), Square(10, 10, 10));
  struct Case {
    TRealPoint pos;
    bool locked;
    TSearch kind;
    bool found;
  };
  const Case cases[] = {
      {{10, 10}, false, k_allObj, true}, // left and top edges are inside
      {{19.4, 19.4}, false, k_allObj, true},
      {{19.5, 15}, false, k_allObj, false}, // rounds to 20: the right edge is outside
      {{15, 20}, false, k_allObj, false},
      {{15, 15}, true, k_noRock, false},
      {{15, 15}, true, k_allObj, true},
      {{15, 15}, true, k_DrawObj, false},
  };
  for (const Case &c : cases) {
    figure->Param.Rocking = c.locked;
    EXPECT_EQ(figure->Search(c.pos, c.kind) != nullptr, c.found)
        << c.pos.rx << "," << c.pos.ry << " kind " << int(c.kind);
  }
  figure->Param.Rocking = false;
  figure->Param.ActType = {};
  EXPECT_FALSE(figure->PtinSelf({15, 15}, k_DrawObj)); // cannot show
  EXPECT_TRUE(figure->PtinSelf({15, 15}, k_Visible));
}

TEST_F(ObjectRecordTest, ActionObjectIsNotHitInPresentation) {
  std::unique_ptr<TCommonObj> action =
      ObjClassList().CreateObject(QStringLiteral("テストアクション"));
  action->SetBoundsRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(action->Search({5, 5}, k_allObj), action.get());
  Info().SysMode = smExec;
  EXPECT_EQ(action->Search({5, 5}, k_allObj), nullptr);
}

TEST_F(ObjectRecordTest, LeafMovesAndScales) {
  std::unique_ptr<TTestFigure> figure = Figure(QStringLiteral("f"), {{10, 10}, {20, 30}});
  figure->Move({1, 2});
  EXPECT_EQ(figure->Polygon(), (std::vector<TRealPoint>{{11, 12}, {21, 32}}));
  figure->Move({0, 0}, nullptr, false); // first point lands on the offset
  EXPECT_EQ(figure->Polygon(), (std::vector<TRealPoint>{{0, 0}, {10, 20}}));
  figure->Scaling(-200, {0, 0}); // limited to -100
  EXPECT_EQ(figure->Polygon(), (std::vector<TRealPoint>{{0, 0}, {-1000, -2000}}));
  figure->Scaling(0.5, {0, 0});
  EXPECT_EQ(figure->Polygon(), (std::vector<TRealPoint>{{0, 0}, {-500, -1000}}));
  std::vector<TRealPoint> small(1);
  EXPECT_EQ(figure->GetPolygon(small), 0);
  std::vector<TRealPoint> room(3);
  EXPECT_EQ(figure->GetPolygon(room), 2);
}

TEST_F(ObjectRecordTest, CanDragAsksThePoolPartners) {
  std::unique_ptr<TTestFigure> a = Figure(QStringLiteral("a"), Square(0, 0, 5));
  std::unique_ptr<TTestFigure> b = Figure(QStringLiteral("b"), Square(0, 0, 5));
  std::unique_ptr<TTestFigure> c = Figure(QStringLiteral("c"), Square(0, 0, 5));
  a->SetId(1);
  b->SetId(2);
  c->SetId(3);
  a->Param.ActType = {atShow};
  EXPECT_TRUE(a->CanDrag(nullptr)); // no pool
  a->AddObj(b.get());
  b->AddObj(c.get());
  EXPECT_FALSE(a->CanDrag(nullptr)); // b agrees, but a has no atDrag
  a->Param.ActType = {atShow, atDrag};
  EXPECT_TRUE(a->CanDrag(nullptr));
  EXPECT_FALSE(b->CanDrag(c.get())); // c's id is in b's pool
  c->AddObj(b.get());
  EXPECT_FALSE(b->CanDrag(nullptr)); // c refuses: b is in its pool

  // Mutual link: a partner that has this object in its own pool.
  EXPECT_EQ(b->相互Link(nullptr), c.get());
  EXPECT_EQ(a->相互Link(nullptr), nullptr);
  EXPECT_EQ(a->相互Link(b.get()), b.get());
  EXPECT_EQ(a->相互Link(c.get()), nullptr);
}

TEST_F(ObjectRecordTest, AbstractOperationsRaise) {
  std::unique_ptr<TCommonObj> null = ObjClassList().CreateObject(QStringLiteral("空OBJ"));
  TBitmap bitmap(4, 4);
  EXPECT_THROW(null->DrawObj(bitmap.Canvas()), EAbstractError);
  std::unique_ptr<TTestFigure> figure = Figure(QStringLiteral("f"), Square(0, 0, 5));
  EXPECT_THROW(figure->OppositeGrab(0), EAbstractError);
}

} // namespace
} // namespace lumora::test
