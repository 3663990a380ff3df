// The drawable object: event options and their stored form, the click link,
// the area and "固有値", moves, grabs, rotation and mirror turns.
#include <QByteArray>
#include <cmath>
#include <numbers>

#include "core/drawable/DrawLink.h"
#include "core/drawable/MakeObj.h"
#include "core/stream/MetaStream.h"
#include "core/system/SysContext.h"
#include "platform/system/Exception.h"
#include "tests/core/drawable/DrawTestClasses.h"

namespace lumora::test {
namespace {

constexpr double kPi = std::numbers::pi;

QByteArray Bytes(const TMetaStream &aStream) {
  return QByteArray(aStream.Memory(), int(aStream.Size()));
}

// Millimetres as page pixels at 96 dpi.
double Mm(double aMm) {
  return aMm * 96 / 25.4;
}

void ExpectPoints(const std::vector<TRealPoint> &aActual,
                  const std::vector<TRealPoint> &aExpected) {
  ASSERT_EQ(aActual.size(), aExpected.size());
  for (size_t i = 0; i < aExpected.size(); ++i) {
    EXPECT_NEAR(aActual[i].rx, aExpected[i].rx, 1e-9) << "point " << i;
    EXPECT_NEAR(aActual[i].ry, aExpected[i].ry, 1e-9) << "point " << i;
  }
}

using DrawObjTest = DrawTest;

// ---- Event options and their stored form ----

TEST_F(DrawObjTest, NewObjectSnapsAt23ScaledByTheSystemZoom) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  EXPECT_EQ(a->EventParam, (TObjOption{0, 23.0, 0, 0}));
  EXPECT_DOUBLE_EQ(a->GetAdsorbRange(), 23.0);
  SysInfo().SetZoom(2);
  EXPECT_DOUBLE_EQ(a->GetAdsorbRange(), 46.0);
  a->SetAdsorbRange(10);
  EXPECT_DOUBLE_EQ(a->GetAdsorbRange(), 20.0);
}

TEST_F(DrawObjTest, OptionBlockIsThe32BytesOfItsFourValues) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  a->EventParam.Click = 0x0102030405060708;
  a->EventParam.SetValue1(1);
  a->EventParam.SetValue2(-1);
  a->EventParam.SetValue3(0x11223344);
  TMetaStream stream;
  a->SaveOption(stream);
  EXPECT_EQ(Bytes(stream).toHex(' '), QByteArray("08 07 06 05 04 03 02 01 "   // Click
                                                 "00 00 00 00 00 00 37 40 "   // Adsorb 23.0
                                                 "01 00 00 00 ff ff ff ff "   // Value1, Value2
                                                 "44 33 22 11 00 00 00 00")); // Value3, Value4
  EXPECT_EQ(a->EventParam.Option1, int64_t(0xFFFFFFFF00000001));
}

TEST_F(DrawObjTest, RecordRoundTripKeepsPolygonGrabsAndOptions) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(1.5, 2, 30, 40.25));
  a->EventParam = {77, 12.5, -3, 5};
  TMetaStream stream;
  a->SaveToStream(stream);
  stream.SetPosition(0);
  std::unique_ptr<TTestRect> b = NewObject<TTestRect>();
  b->LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_EQ(b->EventParam, a->EventParam);
  EXPECT_EQ(b->Polygon(), a->Polygon());
  EXPECT_EQ(b->Param, a->Param);
  EXPECT_EQ(b->GrabInfo()->Count(), 4);
  EXPECT_EQ(b->OldEvent(), nullptr);
}

TEST_F(DrawObjTest, OptionBlockOfAVersion1RecordIsFourStrings) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  a->EventParam.Adsorb = 5;
  TMetaStream stream;
  a->SaveToStream(stream);
  // The same record as version 1.5, its option block replaced by the old
  // event form.
  QByteArray record = Bytes(stream);
  record.chop(TObjOption::kBlockSize);
  const float version = 1.5f;
  record.replace(4, 4, QByteArray(reinterpret_cast<const char *>(&version), 4));
  TMetaStream strings;
  for (const char *s : {"ボタン1", "x", "", "yy"})
    strings.WriteBuffer(QString::fromUtf8(s));
  record += Bytes(strings);
  const int32_t size = int32_t(record.size() - 4);
  record.replace(0, 4, QByteArray(reinterpret_cast<const char *>(&size), 4));

  TMetaStream old;
  old.WriteBuffer(record.constData(), record.size());
  old.SetPosition(0);
  std::unique_ptr<TTestRect> b = NewObject<TTestRect>();
  b->LoadFromStream(old);
  EXPECT_EQ(old.Position(), old.Size());
  EXPECT_FLOAT_EQ(b->Version(), 1.5f);
  EXPECT_EQ(b->EventParam, (TObjOption{0, 23.0, 0, 0}));
  ASSERT_NE(b->OldEvent(), nullptr);
  EXPECT_EQ(b->OldEvent()->Click, QStringLiteral("ボタン1"));
  EXPECT_EQ(b->OldEvent()->Owner(), b.get());
}

TEST_F(DrawObjTest, ShortOptionBlockRaisesAndChangesNothing) {
  TMetaStream stream;
  stream.WriteBuffer(int64_t(9));
  stream.WriteBuffer(double(1));
  stream.SetPosition(0);
  TObjOption option{1, 23.0, 0, 0};
  EXPECT_THROW(option.Read(stream), EReadError);
  EXPECT_EQ(option, (TObjOption{1, 23.0, 0, 0}));
}

// ---- The click link ----

TEST_F(DrawObjTest, SetLinkedIdStoresPositiveIdsElseTheLinkedObjects) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TTestRect *b = Add(QStringLiteral("b"), RectPoints(20, 0, 30, 10));
  b->SetId(555);
  a->Param.ActType.Include(atAction);

  a->SetLinkedId(42);
  EXPECT_EQ(a->GetLinkedId(), 42);
  EXPECT_TRUE(a->Param.ActType.Contains(atAction));
  a->SetLinkedObj(b);
  a->SetLinkedId(0);
  EXPECT_EQ(a->GetLinkedId(), 555);
  EXPECT_TRUE(a->Param.ActType.Contains(atAction));
  a->SetLinkedObj(nullptr);
  a->SetLinkedId(-1);
  EXPECT_EQ(a->GetLinkedId(), 0);
  EXPECT_FALSE(a->Param.ActType.Contains(atAction));
}

TEST_F(DrawObjTest, DoLinkGainsAtActionOnlyForActingTargets) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TTestRect *figure = Add(QStringLiteral("f"), RectPoints(20, 0, 30, 10));
  TTestSound *sound = Add<TTestSound>(QStringLiteral("s"), RectPoints(40, 0, 50, 10));
  TTestActor *actor = AddActor(QStringLiteral("x"), {});

  EXPECT_TRUE(a->DrawLink()->DoLink(figure));
  EXPECT_EQ(a->LinkedObj(), figure);
  EXPECT_FALSE(a->Param.ActType.Contains(atAction));
  for (TCommonObj *target : {static_cast<TCommonObj *>(sound), static_cast<TCommonObj *>(actor)}) {
    a->Param.ActType.Exclude(atAction);
    EXPECT_TRUE(a->DrawLink()->DoLink(target));
    EXPECT_EQ(a->LinkedObj(), target);
    EXPECT_EQ(a->DrawLink()->ClickAct(), target);
    EXPECT_TRUE(a->Param.ActType.Contains(atAction)) << target->Name.toStdString();
  }
}

TEST_F(DrawObjTest, LinkingTheClickTargetAgainRemovesTheLink) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TTestActor *actor = AddActor(QStringLiteral("x"), {});
  ASSERT_TRUE(a->DrawLink()->DoLink(actor));

  EXPECT_FALSE(a->DrawLink()->DoLink(actor));
  EXPECT_EQ(a->LinkedObj(), nullptr);
  EXPECT_EQ(a->DrawLink()->ClickAct(), nullptr);
  EXPECT_EQ(a->EventParam.Click, -1);
  EXPECT_FALSE(a->Param.ActType.Contains(atAction));
}

TEST_F(DrawObjTest, SavingRefreshesClickFromTheClickTarget) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TTestActor *actor = AddActor(QStringLiteral("x"), {});
  a->DrawLink()->DoLink(actor);
  TMetaStream stream;
  a->SaveOption(stream);
  EXPECT_EQ(a->EventParam.Click, actor->Id());

  // A target replaced behind the link's back is no longer the click target.
  TTestRect *other = Add(QStringLiteral("o"), RectPoints(20, 0, 30, 10));
  other->SetId(actor->Id() + 1);
  a->SetLinkedObj(other);
  a->EventParam.Click = 9;
  a->SaveOption(stream);
  EXPECT_EQ(a->EventParam.Click, 9);
}

TEST_F(DrawObjTest, CanLinkRefusesTargetsThatCanShow) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TTestRect *figure = Add(QStringLiteral("f"), RectPoints(20, 0, 30, 10));
  TTestActor *actor = AddActor(QStringLiteral("x"), {});
  TTestActor *second = AddActor(QStringLiteral("y"), {});
  EXPECT_FALSE(a->DrawLink()->CanLink(figure));
  EXPECT_TRUE(a->DrawLink()->CanLink(actor));
  a->DrawLink()->DoLink(actor);
  EXPECT_FALSE(a->DrawLink()->CanLink(second)); // one partner only
  EXPECT_TRUE(a->DrawLink()->CanLink(actor));
}

TEST_F(DrawObjTest, TransmitAndPlainLinkTargetsByKindName) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TTestConductor *conductor = Add<TTestConductor>(QStringLiteral("c"), RectPoints(0, 0, 5, 5));
  TTestPin *pin = Add<TTestPin>(QStringLiteral("p"), RectPoints(0, 0, 5, 5));
  TTestRect *figure = Add(QStringLiteral("f"), RectPoints(0, 0, 5, 5));
  TTestRect *tray = Add(QStringLiteral("t"), RectPoints(0, 0, 5, 5));
  tray->Param.ActType.Include(awTray);

  EXPECT_TRUE(IsTransmitObj(conductor));
  EXPECT_FALSE(IsTransmitObj(figure));
  EXPECT_FALSE(IsTransmitObj(nullptr));
  figure->Param.ObjName = QStringLiteral("オリジ出力");
  EXPECT_TRUE(IsTransmitObj(figure));
  figure->Param.ObjName = QStringLiteral("テスト矩形");

  EXPECT_FALSE(HasPlainLinkTarget(a));
  const struct {
    TCommonObj *target;
    bool plain;
  } cases[] = {{conductor, false}, {pin, false}, {tray, false}, {figure, true}};
  for (const auto &c : cases) {
    a->SetLinkedObj(c.target);
    EXPECT_EQ(HasPlainLinkTarget(a), c.plain) << c.target->Name.toStdString();
  }
}

// ---- Area and "固有値" ----

TEST_F(DrawObjTest, ValueIsTheAreaInSquareCentimetres) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 10 + Mm(20), 10 + Mm(30)));
  QVariantList result;
  ASSERT_TRUE(a->Value(QStringLiteral("固有値"), result));
  ASSERT_EQ(result.size(), 1);
  EXPECT_EQ(result[0].typeId(), QMetaType::Double);
  EXPECT_DOUBLE_EQ(result[0].toDouble(), 6.00);

  // Whole square millimetres, rounded: 1234.6 mm² gives 12.35 cm².
  TTestRect *b = Add(QStringLiteral("b"), RectPoints(0, 0, Mm(1234.6), Mm(1)));
  b->Value(QStringLiteral("固有値"), result);
  EXPECT_DOUBLE_EQ(result[0].toDouble(), 12.35);
}

TEST_F(DrawObjTest, ValueWithoutAreaIsTheCataloguesValue) {
  TTestRect *a = Add(QStringLiteral("a"), {{0, 0}, {10, 0}});
  QVariantList result{1, 2};
  ASSERT_TRUE(a->Value(QStringLiteral("固有値"), result));
  ASSERT_EQ(result.size(), 1);
  EXPECT_EQ(result[0].typeId(), QMetaType::LongLong);
  EXPECT_EQ(result[0].toLongLong(), 4);
  EXPECT_FALSE(a->Value(QStringLiteral("ほか"), result));
}

TEST_F(DrawObjTest, AreaFollowsTheOutlineOfTheCataloguesForm) {
  const std::vector<TRealPoint> square = RectPoints(0, 0, 10, 10);
  EXPECT_DOUBLE_EQ(Add(QStringLiteral("r"), square)->Area(), 100);
  EXPECT_DOUBLE_EQ(Add<TTestLine>(QStringLiteral("l"), square)->Area(), 100);
  EXPECT_DOUBLE_EQ(Add<TTestPlain>(QStringLiteral("p"), square)->Area(), 0);
  // A stamp's outline is its first four points.
  std::vector<TRealPoint> six = square;
  six.push_back({5, 20});
  six.push_back({5, 30});
  EXPECT_DOUBLE_EQ(Add<TTestStamp>(QStringLiteral("s"), six)->Area(), 100);
}

TEST_F(DrawObjTest, DataScalesToTheAreaAboutTheCentre) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, Mm(20), Mm(30)));
  const TRealPoint centre = a->BCenter();
  EXPECT_TRUE(a->Data(QStringLiteral("固有値"), {QVariant(), 24}));
  QVariantList result;
  a->Value(QStringLiteral("固有値"), result);
  EXPECT_DOUBLE_EQ(result[0].toDouble(), 24.00);
  EXPECT_NEAR(a->BCenter().rx, centre.rx, 1e-9);
  EXPECT_NEAR(a->Polygon()[2].rx - a->Polygon()[0].rx, Mm(40), 1e-9);
}

TEST_F(DrawObjTest, DataRefusesNoAreaAndStillRefreshes) {
  TTestRect *flat = Add(QStringLiteral("flat"), {{0, 0}, {10, 0}, {20, 0}});
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  const struct {
    TTestRect *obj;
    QVariantList args;
    TRect bounds;
  } cases[] = {{a, {QVariant(), 0}, Rect(0, 0, 11, 11)},
               {a, {QVariant(), -2.5}, Rect(0, 0, 11, 11)},
               {a, {QVariant()}, Rect(0, 0, 11, 11)},
               {flat, {QVariant(), 6}, Rect(0, 0, 21, 1)}};
  for (const auto &c : cases) {
    const std::vector<TRealPoint> before = c.obj->Polygon();
    // The bounds are stale until the maker is refreshed.
    c.obj->SetBoundsRect({});
    window_.rects.clear();
    EXPECT_FALSE(c.obj->Data(QStringLiteral("固有値"), c.args));
    EXPECT_EQ(c.obj->Polygon(), before);
    EXPECT_EQ(c.obj->BoundsRect(), c.bounds);
    EXPECT_FALSE(window_.rects.empty());
  }
}

// ---- Moves, grabs, rotation ----

TEST_F(DrawObjTest, MoveIgnoresOffsetsWithinAThousandthAndReCentres) {
  const struct {
    TRealPoint offset;
    bool moves;
  } cases[] = {{{0.0005, -0.0009}, false}, {{0, 0}, false}, {{0.002, 0}, true}, {{-3, 4}, true}};
  for (const auto &c : cases) {
    TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 10, 20, 20));
    a->Move(c.offset);
    EXPECT_EQ(a->Polygon()[0] != TRealPoint({10, 10}), c.moves);
    const TRealPoint expected =
        c.moves ? TRealPoint{15 + c.offset.rx, 15 + c.offset.ry} : TRealPoint{15, 15};
    EXPECT_NEAR(a->BCenter().rx, expected.rx, 1e-12);
    EXPECT_NEAR(a->BCenter().ry, expected.ry, 1e-12);
  }
}

TEST_F(DrawObjTest, OppositeAndAnchorGrabs) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  const int expected[] = {2, 3, 0, 1, 5, 4, 7, 6};
  for (int g = 0; g < 8; ++g) {
    EXPECT_EQ(a->OppositeGrab(g), expected[g]);
    EXPECT_EQ(a->AnchorGrab(g), expected[g]);
    EXPECT_EQ(a->ActiveGrab(g), expected[g]);
  }
  for (int g : {-1, 8, 100}) {
    EXPECT_EQ(a->OppositeGrab(g), -1);
    EXPECT_EQ(a->AnchorGrab(g), -1);
  }
  EXPECT_EQ(a->MinGrabs(), 8);
  EXPECT_EQ(a->CreateAnchorGrab(), 2);
}

TEST_F(DrawObjTest, RotateAngleTurnsAboutTheOppositeGrab) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TGrabRect rect = a->Polygon();
  // Corner 2 dragged from (10, 10) to (-10, 10) about corner 0: a quarter
  // turn clockwise on the screen.
  EXPECT_NEAR(a->RotateAngle(2, {-20, 0}, rect), kPi / 2, 1e-12);
  EXPECT_EQ(a->RCenter(), TRealPoint({0, 0}));
  EXPECT_EQ(rect, a->Polygon());
  EXPECT_EQ(a->RotateCenter(1, {}), TRealPoint({0, 10}));

  a->SetRCenter({7, 7});
  EXPECT_EQ(a->RotateAngle(8, {5, 5}, rect), 0);
  EXPECT_EQ(a->RotateAngle(-1, {5, 5}, rect), 0);
  EXPECT_EQ(a->RCenter(), TRealPoint({7, 7}));
}

TEST_F(DrawObjTest, ACentreObjectInThePoolIsTheRotationCentre) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  TTestCentre *centre = Add<TTestCentre>(QStringLiteral("c"), RectPoints(0, 0, 2, 2));
  centre->SetRCenter({10, 0});
  a->AddObj(centre);
  TGrabRect rect = a->Polygon();
  // The bearing of the centre object from the new position, (0, 0), less
  // the old bearing of the opposite grab from the dragged one.
  const double angle = a->RotateAngle(2, {-10, -10}, rect);
  EXPECT_EQ(a->RCenter(), TRealPoint({10, 0}));
  EXPECT_NEAR(angle, kPi / 2 + kPi / 4, 1e-12);
}

TEST_F(DrawObjTest, ObjAngleIsTheFirstEdgesDirectionAndSetTurns) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  EXPECT_NEAR(a->ObjAngle(), 0, 1e-12);
  a->SetRCenter({5, 5});
  a->SetObjAngle(kPi / 2);
  ExpectPoints(a->Polygon(), {{10, 0}, {10, 10}, {0, 10}, {0, 0}});
  EXPECT_NEAR(a->ObjAngle(), 90, 1e-9);
  a->SetObjAngle(kPi / 2);                // a turn, not an absolute angle
  EXPECT_NEAR(a->ObjAngle(), -180, 1e-9); // pointing left: -180, not 180
  EXPECT_EQ(Add(QStringLiteral("dot"), {{3, 3}})->ObjAngle(), 0);
}

TEST_F(DrawObjTest, MirrorAndTurnUpsideTwiceRestore) {
  const std::vector<TRealPoint> start{{10, 10}, {40, 10}, {10, 50}};
  TTestPoly *p = Add<TTestPoly>(QStringLiteral("p"), start);
  p->ReverseObj();
  ExpectPoints(p->Polygon(), {{40, 10}, {10, 10}, {40, 50}});
  EXPECT_TRUE(p->Param.Transform().Contains(tfLineSym));
  p->ReverseObj();
  EXPECT_EQ(p->Polygon(), start);
  EXPECT_FALSE(p->Param.Transform().Contains(tfLineSym));

  p->TurnUpside();
  ExpectPoints(p->Polygon(), {{10, 50}, {40, 50}, {10, 10}});
  EXPECT_TRUE(p->Param.Transform().Contains(tfUpend));
  p->TurnUpside();
  EXPECT_EQ(p->Polygon(), start);
  EXPECT_EQ(p->Param.Transform(), TTransform{});
}

TEST_F(DrawObjTest, MirrorOfAnObjectLeftOfThePageKeepsItsPlace) {
  TTestPoly *p = Add<TTestPoly>(QStringLiteral("p"), {{-40, -10}, {-10, -10}, {-40, -30}});
  p->ReverseObj();
  ExpectPoints(p->Polygon(), {{-10, -10}, {-40, -10}, {-10, -30}});
  p->TurnUpside();
  ExpectPoints(p->Polygon(), {{-10, -30}, {-40, -30}, {-10, -10}});
}

TEST_F(DrawObjTest, TakeColorCoatsUnlessTheColourIsNone) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  const struct {
    bool coatedBefore;
    TColor color;
    bool coatedAfter;
  } cases[] = {{false, 0x00FF00, true}, {true, clNone, true}, {false, clNone, false}};
  for (const auto &c : cases) {
    a->Param.Coating = c.coatedBefore;
    bool more = false;
    EXPECT_TRUE(a->TakeColor({}, c.color, more));
    EXPECT_TRUE(more);
    EXPECT_EQ(a->Param.FaceColor, c.color);
    EXPECT_EQ(a->Param.Coating, c.coatedAfter);
  }
}

TEST_F(DrawObjTest, ICanAsksTheCatalogue) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  a->Param.ActType = {atDrag, awSound};
  EXPECT_TRUE(a->ICan(atShow));
  EXPECT_FALSE(a->ICan(atDrag));
  EXPECT_FALSE(a->ICan(TActKind(32)));
  EXPECT_TRUE(Add<TTestSound>(QStringLiteral("s"), RectPoints(0, 0, 1, 1))->ICan(awSound));
}

TEST_F(DrawObjTest, CreationEndsByTheAnchorGrabsCheckOrTheRightButton) {
  TTestPoly *p = Add<TTestPoly>(QStringLiteral("p"), RectPoints(0, 0, 10, 10));
  std::vector<TRealPoint> rect = RectPoints(0, 0, 10, 10);
  EXPECT_FALSE(p->IsCreateEnd(mbLeft, 0, rect, {5, 5}));
  EXPECT_TRUE(p->IsCreateEnd(mbRight, 0, rect, {5, 5}));
  EXPECT_TRUE(p->IsCreateEnd(mbLeft, 1, rect, {5, 5}));
  EXPECT_EQ(rect, RectPoints(0, 0, 10, 10));
  EXPECT_EQ(p->FormatGrab(1, {3, -2}, rect, 0)[1], TRealPoint({13, -2}));
  EXPECT_EQ(p->FormatGrab(9, {3, -2}, rect, 0), rect);
}

TEST_F(DrawObjTest, SearchNeedsThePointNearThePolygon) {
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(20, 20, 40, 40));
  a->Param.Width = 21; // the bounds grow by 10 on every side
  a->Maker()->SetCenter();
  EXPECT_EQ(a->BoundsRect(), Rect(10, 10, 51, 51));
  EXPECT_EQ(a->Search({30, 30}, k_allObj), a);
  EXPECT_EQ(a->Search({16, 30}, k_allObj), a);
  EXPECT_EQ(a->Search({12, 30}, k_allObj), nullptr); // in the bounds, not near the polygon
}

TEST_F(DrawObjTest, CompanionsByMode) {
  TTestRect *author = Add(QStringLiteral("a"), RectPoints(0, 0, 10, 10));
  EXPECT_NE(dynamic_cast<TDrawMake *>(author->Maker()), nullptr);
  EXPECT_EQ(author->Ex(), nullptr);
  TTestPoly *poly = Add<TTestPoly>(QStringLiteral("p"), {{0, 0}, {30, 0}, {0, 30}});
  EXPECT_NE(dynamic_cast<TPolyObjMake *>(poly->Maker()), nullptr);
  // The free polygon's rotation centre follows its centroid.
  EXPECT_NEAR(poly->RCenter().rx, 10, 1e-9);
  EXPECT_NEAR(poly->RCenter().ry, 10, 1e-9);
  EXPECT_EQ(poly->RCenter(), poly->BCenter());

  SysInfo().SetSysMode(smExec);
  std::unique_ptr<TTestPoly> exec = NewObject<TTestPoly>();
  EXPECT_NE(dynamic_cast<TDrawExe *>(exec->Ex()), nullptr);
  EXPECT_NE(exec->Maker(), nullptr);
}

TEST_F(DrawObjTest, MakerBoundsGrowByHalfTheWidthHalfToEven) {
  const struct {
    uint8_t width;
    TRect bounds;
  } cases[] = {{0, Rect(10, 20, 31, 41)},
               {1, Rect(10, 20, 31, 41)},
               {3, Rect(8, 18, 33, 43)},
               {5, Rect(8, 18, 33, 43)},
               {7, Rect(6, 16, 35, 45)}};
  TTestRect *a = Add(QStringLiteral("a"), RectPoints(10, 20, 30, 40));
  for (const auto &c : cases) {
    a->Param.Width = c.width;
    a->Maker()->SetCenter();
    EXPECT_EQ(a->BoundsRect(), c.bounds) << int(c.width);
  }
}

} // namespace
} // namespace lumora::test
