// The stamp object base: its layout from the picture, the frame and angle
// it renders with, its record options, the picture-name command, drawing
// (turned, mirrored, zoomed, see-through) and the reuse of the recorded
// picture when it only moved.
#include <QFile>
#include <functional>
#include <numbers>

#include "core/model/CoreContext.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "tests/core/pictures/StampTestClasses.h"

namespace lumora::test {
namespace {

constexpr double kPi = std::numbers::pi;

QByteArray Bytes(const TMetaStream &aStream) {
  return QByteArray(aStream.Memory(), int(aStream.Size()));
}

// Turns the stamp about its centre and re-makes it.
void Turn(TCustomStamp &aStamp, double aAngle) {
  aStamp.Rotate(aAngle, {});
  aStamp.Maker()->SetCenter();
  aStamp.ReMake();
}

void Mirror(TCustomStamp &aStamp) {
  aStamp.ReverseObj();
  aStamp.Maker()->SetCenter();
  aStamp.ReMake();
}

class StampObjectTest : public StampTest {
protected:
  void SetUp() override {
    StampTest::SetUp();
    WriteProgramFile(QStringLiteral("quad.bmp"), QuadrantBmp(120, 60));
    WriteProgramFile(QStringLiteral("quad.png"), QuadrantPng(120, 60));
    WriteProgramFile(QStringLiteral("quad.emf"), QuadrantEmf(120, 60));
  }
};

TEST_F(StampObjectTest, CreateImageLaysTheStampOutInTheFittedFrame) {
  TTestPictureStamp *big = AddStamp(QStringLiteral("quad.bmp"), 1000, 0, 0);
  EXPECT_EQ(big->OrgRect, (TRect{0, 0, 800, 400}));
  EXPECT_EQ(
      big->Polygon(),
      (std::vector<TRealPoint>{
          {0, 0}, {800, 0}, {800, 400}, {0, 400}, {0, 200}, {800, 200}, {400, 0}, {400, 400}}));
  EXPECT_EQ(big->ImageInfo.Width, 800);
  EXPECT_EQ(big->ImageInfo.Height, 400);
  EXPECT_EQ(big->ImageInfo.Angle, 0);

  // The middles are integer halves.
  TTestPictureStamp *odd = AddStamp(QStringLiteral("quad.bmp"), 101, 0, 0);
  EXPECT_EQ(odd->OrgRect, (TRect{0, 0, 101, 50}));
  EXPECT_EQ(odd->Polygon()[5], (TRealPoint{101, 25}));
  EXPECT_EQ(odd->Polygon()[7], (TRealPoint{50, 50}));

  for (const QString &name : {QString(), QStringLiteral("none.bmp")}) {
    std::unique_ptr<TTestPictureStamp> none = NewObject<TTestPictureStamp>();
    none->Param.Text = name;
    try {
      none->CreateImage();
      ADD_FAILURE() << "no picture, no stamp";
    } catch (const Exception &e) {
      EXPECT_EQ(e.Message(), name.isEmpty() ? QStringLiteral("Can't Create Image")
                                            : QStringLiteral("Can't Open File(none.bmp)"));
    }
  }
}

TEST_F(StampObjectTest, AngleFollowsTheFrameAndSmallTurnsCountAsUpright) {
  struct Case {
    const char *what;
    double turn;
    bool upside;
    double angle;
  } const cases[] = {
      {"a turn of 0.005 is upright", 0.005, false, 0},
      {"a turn of -0.005 is upright", -0.005, false, 0},
      {"a turn of 0.5", 0.5, false, 0.5},
      {"upside down, upright", 0, true, 0},
      {"upside down, turned", 0.5, true, -0.5},
  };
  for (const Case &c : cases) {
    TTestPictureStamp *stamp = AddStamp(QStringLiteral("quad.bmp"));
    stamp->Rotate(c.turn, {});
    if (c.upside) stamp->TurnUpside();
    stamp->Maker()->SetCenter();
    EXPECT_NEAR(stamp->ImageInfo.Angle, c.angle, 1e-9) << c.what;
    EXPECT_EQ(stamp->ImageInfo.Width, 120) << c.what;
    EXPECT_EQ(stamp->ImageInfo.Height, 60) << c.what;
    EXPECT_EQ(stamp->ImageInfo.TurnUpside, c.upside) << c.what;
  }
}

// ---- Record options ----

TEST_F(StampObjectTest, RecordKeepsMirrorAndUpsideDownAndTheBareName) {
  TTestPictureStamp *stamp = AddStamp(QStringLiteral("quad.bmp"));
  stamp->ReverseObj();
  stamp->TurnUpside();
  stamp->Param.Text = QStringLiteral("Stamp\\quad.bmp");
  TMetaStream stream;
  stamp->SaveToStream(stream);
  // The drawable options end in Value4; the Reverse and TurnUpside bytes.
  EXPECT_EQ(Bytes(stream).right(6).toHex(' '), QByteArray("00 00 00 00 01 01"));

  stream.SetPosition(0);
  std::unique_ptr<TTestPictureStamp> read = NewObject<TTestPictureStamp>();
  read->LoadFromStream(stream);
  EXPECT_EQ(stream.Position(), stream.Size());
  EXPECT_TRUE(read->ImageInfo.Reverse);
  EXPECT_TRUE(read->ImageInfo.TurnUpside);
  EXPECT_EQ(read->Param.Text, QStringLiteral("quad.bmp"));
  EXPECT_EQ(read->Polygon(), stamp->Polygon());
}

TEST_F(StampObjectTest, RecordBelowVersion2ReadsOnlyTheMirrorByte) {
  TTestPictureStamp *stamp = AddStamp(QStringLiteral("quad.bmp"));
  TMetaStream stream;
  stamp->SaveToStream(stream);
  // The same record as version 1.5: the old event form (four strings) and
  // one option byte.
  QByteArray record = Bytes(stream);
  record.chop(TObjOption::kBlockSize + 2);
  const float version = 1.5f;
  record.replace(4, 4, QByteArray(reinterpret_cast<const char *>(&version), 4));
  TMetaStream options;
  for (const char *s : {"", "", "", ""})
    options.WriteBuffer(QString::fromUtf8(s));
  options.WriteBuffer(true);
  record += Bytes(options);
  const int32_t size = int32_t(record.size() - 4);
  record.replace(0, 4, QByteArray(reinterpret_cast<const char *>(&size), 4));

  TMetaStream old;
  old.WriteBuffer(record.constData(), record.size());
  old.SetPosition(0);
  std::unique_ptr<TTestPictureStamp> read = NewObject<TTestPictureStamp>();
  read->LoadFromMStream(old);
  EXPECT_EQ(old.Position(), old.Size()); // nothing more was read
  EXPECT_FLOAT_EQ(read->Version(), 1.5f);
  EXPECT_TRUE(read->ImageInfo.Reverse);
  EXPECT_FALSE(read->ImageInfo.TurnUpside);
}

// ---- The picture name command ----

TEST_F(StampObjectTest, PictureNameCommandKeepsTheOldPictureWhenTheNewCannotBeHad) {
  WriteProgramFile(QStringLiteral("blue.png"), PlainPng(12, 6, kBlue));
  TTestPictureStamp *stamp = AddStamp(QStringLiteral("quad.bmp"));
  const QString command = QStringLiteral("固有値");
  const QVariant self = QVariant::fromValue<TCommonObj *>(stamp);
  const auto topLeftQuadrant = [&] {
    TBitmap page = PageBitmap();
    stamp->Paint(page.Canvas());
    return page.Pixel(130, 115);
  };
  ASSERT_EQ(topLeftQuadrant(), kRed);

  EXPECT_TRUE(stamp->Data(command, {self, QStringLiteral("blue.png")}));
  QVariantList value;
  EXPECT_TRUE(stamp->Value(command, value));
  EXPECT_EQ(value, QVariantList{QStringLiteral("blue.png")});
  EXPECT_TRUE(NearColor(topLeftQuadrant(), kBlue));

  EXPECT_FALSE(stamp->Data(command, {self, QStringLiteral("missing.png")}));
  EXPECT_EQ(stamp->Param.Text, QStringLiteral("blue.png"));
  EXPECT_TRUE(NearColor(topLeftQuadrant(), kBlue));

  EXPECT_TRUE(stamp->Data(command, {self, QStringLiteral("blue.png")})); // the same name
  // Only a stamp as the first argument, only this command.
  EXPECT_FALSE(stamp->Data(command, {QVariant(5), QStringLiteral("quad.bmp")}));
  EXPECT_FALSE(stamp->Data(QStringLiteral("ファイル名"), {self, QStringLiteral("quad.bmp")}));
  EXPECT_EQ(stamp->Param.Text, QStringLiteral("blue.png"));
}

// ---- Drawing ----

TEST_F(StampObjectTest, DrawingPutsThePictureTurnedAndMirroredWithTheKeyColourSeeThrough) {
  struct Transform {
    const char *what;
    double turn;
    bool mirror;
  } const transforms[] = {
      {"upright", 0, false},
      {"mirrored", 0, true},
      {"turned a quarter", kPi / 2, false},
      {"turned a quarter and mirrored", kPi / 2, true},
      {"turned 0.5", 0.5, false},
  };
  // What lies at a point of the picture (fractions of its frame).
  struct Probe {
    double fx, fy;
    TColor color;
  } const probes[] = {
      {0.25, 0.25, kRed},    {0.75, 0.25, kBlue},
      {0.25, 0.75, kYellow}, {0.75, 0.75, kPage}, // the see-through quadrant
      {0.5, 1.3, kPage},                          // outside the picture
      {-0.2, 0.5, kPage},
  };
  enum Path { kPaint, kZoom1, kZoom2 };
  for (const QString &file :
       {QStringLiteral("quad.bmp"), QStringLiteral("quad.png"), QStringLiteral("quad.emf")}) {
    for (const Transform &t : transforms) {
      TTestPictureStamp *stamp = AddStamp(file, 120, 100, 100);
      const TRealPoint centre{160, 130};
      if (t.turn != 0) Turn(*stamp, t.turn);
      if (t.mirror) Mirror(*stamp);
      for (Path path : {kPaint, kZoom1, kZoom2}) {
        const double zoom = path == kZoom2 ? 2 : 1;
        TBitmap page = PageBitmap();
        if (path == kPaint)
          stamp->Paint(page.Canvas());
        else
          stamp->ZoomDraw(page.Canvas(), zoom, 0, 0);
        for (const Probe &p : probes) {
          TRealPoint at{centre.rx + (p.fx - 0.5) * 120, centre.ry + (p.fy - 0.5) * 60};
          at = RotateRealPoint(at, centre, t.turn);
          if (t.mirror) at.rx = 2 * centre.rx - at.rx;
          const TPoint pixel = RealPointToPoint({at.rx * zoom, at.ry * zoom});
          const TColor got = page.Pixel(pixel.X, pixel.Y);
          EXPECT_TRUE(NearColor(got, p.color))
              << file.toStdString() << ", " << t.what << ", path " << path << ": at (" << p.fx
              << ", " << p.fy << ") got " << std::hex << got << " expected " << p.color;
        }
      }
    }
  }
}

TEST_F(StampObjectTest, SeeThroughStampIsBlendedOverWhatLiesUnderIt) {
  TTestPictureStamp *stamp = AddStamp(QStringLiteral("quad.bmp"));
  stamp->Param.Transparency = 50;
  stamp->Maker()->SetCenter();
  // Nothing lies under it on the page: the red quadrant is half white.
  TBitmap page = PageBitmap();
  stamp->ZoomDraw(page.Canvas(), 1, 0, 0);
  EXPECT_TRUE(NearColor(page.Pixel(130, 115), 0x8080FF, 12)) << std::hex << page.Pixel(130, 115);
  EXPECT_TRUE(NearColor(page.Pixel(190, 145), clWhite, 12)) << std::hex << page.Pixel(190, 145);
}

// ---- Reuse of the recorded picture ----

TEST_F(StampObjectTest, AStampThatOnlyMovedIsPaintedFromItsRecording) {
  struct Case {
    const char *what;
    std::function<void(TTestPictureStamp &)> change;
    bool reused;
  } const cases[] = {
      {"moved",
       [](TTestPictureStamp &s) {
         s.Move({30, 20});
       },
       true},
      {"turned by 0.005", [](TTestPictureStamp &s) { Turn(s, 0.005); }, true},
      {"turned by 0.5", [](TTestPictureStamp &s) { Turn(s, 0.5); }, false},
      {"scaled",
       [](TTestPictureStamp &s) {
         s.Scaling(1.5, {100, 100});
       },
       false},
      {"mirrored", [](TTestPictureStamp &s) { Mirror(s); }, false},
      {"made see-through",
       [](TTestPictureStamp &s) {
         s.Param.Transparency = 30;
         s.Maker()->SetCenter();
       },
       false},
      {"closed", [](TTestPictureStamp &s) { s.Maker()->Close(); }, false},
  };
  for (const Case &c : cases) {
    WriteProgramFile(QStringLiteral("once.bmp"), QuadrantBmp(120, 60));
    TTestPictureStamp *stamp = AddStamp(QStringLiteral("once.bmp"));
    // The picture can no longer be had: only the recording can show it.
    ResetStampMaker();
    ASSERT_TRUE(QFile::remove(ProgramPath(QStringLiteral("once.bmp"))));
    c.change(*stamp);
    stamp->ReMake();
    TBitmap page = PageBitmap();
    stamp->Paint(page.Canvas());
    // The middle of the top-left quadrant, wherever the stamp went.
    const std::vector<TRealPoint> &p = stamp->Polygon();
    const TRealPoint quarter = MidRealPoint(MidRealPoint(p[0], p[2]), p[0]);
    const TPoint at = RealPointToPoint(quarter);
    EXPECT_EQ(NearColor(page.Pixel(at.X, at.Y), kRed), c.reused)
        << c.what << ": " << std::hex << page.Pixel(at.X, at.Y);
  }
}

// ---- Grabs ----

TEST_F(StampObjectTest, GrabsFollowTheTurnedFrame) {
  TTestPictureStamp *stamp = AddStamp(QStringLiteral("quad.bmp"), 120, 100, 100);
  Turn(*stamp, kPi / 2);
  std::vector<TRealPoint> grabs(8);
  stamp->PolygonToGrab(grabs);
  const std::vector<TRealPoint> &p = stamp->Polygon();
  EXPECT_EQ(grabs[6], MidRealPoint(p[0], p[1]));
  EXPECT_EQ(grabs[4], MidRealPoint(p[3], p[0]));
  // Inside the turned frame (60 wide around x = 160), not its old place.
  EXPECT_TRUE(stamp->PtInObj({160, 175}));
  EXPECT_FALSE(stamp->PtInObj({105, 130}));
  // Dragging the top-middle grab a quarter round its opposite.
  TGrabRect rect = grabs;
  const TRealPoint pivot = rect[7];
  const TRealPoint grab = rect[6];
  const TRealPoint offset = SubRealPoint(RotateRealPoint(grab, pivot, kPi / 2), grab);
  EXPECT_NEAR(stamp->RotateAngle(6, offset, rect), kPi / 2, 1e-9);
  EXPECT_EQ(stamp->RCenter(), pivot);
  EXPECT_EQ(stamp->RotateAngle(9, offset, rect), 0);
}

} // namespace
} // namespace lumora::test
