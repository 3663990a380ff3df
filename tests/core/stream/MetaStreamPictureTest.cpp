#include "core/stream/MetaStream.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JpegImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Exception.h"
#include "tests/core/stream/StreamFixture.h"

#include <QImage>
#include <functional>
#include <gtest/gtest.h>

namespace lumora {
namespace {

using test::Hex;
using test::HexOf;

QImage SampleImage() {
  QImage image(3, 2, QImage::Format_ARGB32);
  image.fill(Qt::red);
  image.setPixelColor(1, 1, Qt::blue);
  return image;
}

// A graphic of a class the stream has no tag for.
class TOtherGraphic : public TGraphic {
public:
  bool Empty() const override { return false; }
  int Width() const override { return 1; }
  int Height() const override { return 1; }
  void LoadFromStream(TStream &) override {}
  void SaveToStream(TStream &stream) const override { stream.WriteBuffer("xyz", 3); }
  void Draw(TCanvas &, const TRect &) const override {}
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TOtherGraphic>(); }
};

// Each graphic class: written with its tag, read back into a holder as the
// right class, and written again byte for byte.
TEST(MetaStreamPictureTest, TaggedPicturesRoundTripByteExact) {
  struct Case {
    const char *tag;
    std::function<std::unique_ptr<TGraphic>()> make;
    std::function<bool(const TGraphic *)> isClass;
  };
  const Case cases[] = {
      {"png",
       [] {
         auto g = std::make_unique<TPngImage>();
         g->SetImage(SampleImage());
         return g;
       },
       [](const TGraphic *g) { return dynamic_cast<const TPngImage *>(g) != nullptr; }},
      {"bmp",
       [] {
         auto g = std::make_unique<TBitmap>();
         g->SetImage(SampleImage());
         return g;
       },
       [](const TGraphic *g) { return dynamic_cast<const TBitmap *>(g) != nullptr; }},
      {"jpg",
       [] {
         auto g = std::make_unique<TJpegImage>();
         g->SetImage(SampleImage());
         return g;
       },
       [](const TGraphic *g) { return dynamic_cast<const TJpegImage *>(g) != nullptr; }},
      {"ico",
       [] {
         auto g = std::make_unique<TIcon>();
         g->SetImage(SampleImage());
         return g;
       },
       [](const TGraphic *g) { return dynamic_cast<const TIcon *>(g) != nullptr; }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.tag);
    const std::unique_ptr<TGraphic> graphic = c.make();
    TMemoryStream file;
    graphic->SaveToStream(file);

    TMetaStream s;
    const int written = s.SaveGraphic(graphic.get());
    EXPECT_EQ(written, s.Size());
    const QByteArray head = Hex("03000000") + c.tag;
    ASSERT_TRUE(s.Bytes().startsWith(head));
    int32_t size = 0;
    s.SetPosition(head.size());
    s.ReadBuffer(size);
    EXPECT_EQ(size, file.Size());
    EXPECT_EQ(s.Bytes().mid(head.size() + 4), file.Bytes());

    s.SetPosition(0);
    TPicture picture;
    EXPECT_EQ(s.LoadPict(&picture), size);
    EXPECT_EQ(s.Position(), s.Size());
    ASSERT_TRUE(c.isClass(picture.Graphic()));
    EXPECT_EQ(picture.Width(), 3);

    TMetaStream again;
    again.SavePict(&picture);
    EXPECT_EQ(again.Bytes(), s.Bytes());
  }
}

TEST(MetaStreamPictureTest, EmptyPicturesWriteTheEmptyTag) {
  TPngImage empty;
  TPicture emptyHolder;
  const std::function<int(TMetaStream &)> writers[] = {
      [](TMetaStream &s) { return s.SaveGraphic(nullptr); },
      [&](TMetaStream &s) { return s.SaveGraphic(&empty); },
      [](TMetaStream &s) { return s.SavePict(nullptr); },
      [&](TMetaStream &s) { return s.SavePict(&emptyHolder); },
  };
  for (const auto &write : writers) {
    TMetaStream s;
    EXPECT_EQ(write(s), 4);
    EXPECT_EQ(HexOf(s), HexOf(Hex("00000000")));
  }
}

TEST(MetaStreamPictureTest, LoadPictConsumesWhatItDoesNotLoad) {
  TOtherGraphic other;
  TMetaStream otherStream;
  otherStream.SaveGraphic(&other);
  EXPECT_EQ(HexOf(otherStream), HexOf(Hex("03000000 2A2A2A 03000000 78797A")));
  TMemoryStream svg;
  svg.WriteBuffer("<svg/>", 6);
  TMetaStream svgStream;
  EXPECT_EQ(svgStream.SaveSvg(svg), 17);
  EXPECT_EQ(HexOf(svgStream), HexOf(Hex("03000000 737667 06000000 3C7376672F3E")));

  struct Case {
    const char *name;
    QByteArray bytes;
    int result;
    int64_t position;
  };
  const Case cases[] = {
      {"empty tag", Hex("00000000 FFFFFFFF"), 0, 4},
      {"***", otherStream.Bytes(), 3, otherStream.Size()},
      {"svg", svgStream.Bytes(), 6, svgStream.Size()},
      {"size 0", Hex("03000000 706E67 00000000"), 0, 11},
      {"negative size", Hex("03000000 706E67 FBFFFFFF 00"), -5, 11},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TPicture picture;
    picture.Bitmap().SetSize(2, 2);
    const TGraphic *before = picture.Graphic();
    TMetaStream s;
    test::Load(s, c.bytes);
    EXPECT_EQ(s.LoadPict(&picture), c.result);
    EXPECT_EQ(s.Position(), c.position);
    EXPECT_EQ(picture.Graphic(), before);
    EXPECT_EQ(picture.Width(), 2);
  }
}

TEST(MetaStreamPictureTest, LoadPictWithoutHolderSkipsAndBadDataFails) {
  TPngImage png;
  png.SetImage(SampleImage());
  TMetaStream s;
  s.SaveGraphic(&png);
  s.WriteBuffer(int32_t(77));
  s.SetPosition(0);
  EXPECT_GT(s.LoadPict(nullptr), 0);
  int32_t next = 0;
  s.ReadBuffer(next);
  EXPECT_EQ(next, 77);

  // Bad picture bytes raise the graphic's error after the data is consumed.
  test::Load(s, Hex("03000000 706E67 04000000 61626364"));
  TPicture picture;
  EXPECT_THROW(s.LoadPict(&picture), Exception);
  EXPECT_EQ(s.Position(), s.Size());
  // A size beyond the data is the read error, with or without holder.
  for (TPicture *holder : {&picture, static_cast<TPicture *>(nullptr)}) {
    test::Load(s, Hex("03000000 706E67 05000000 61626364"));
    EXPECT_THROW(s.LoadPict(holder), EReadError);
  }
}

TEST(MetaStreamPictureTest, LoadPictFromStreamReadsOneTaggedPicture) {
  TPngImage png;
  png.SetImage(SampleImage());
  TMetaStream stored;
  stored.SaveGraphic(&png);

  TMemoryStream file;
  file.WriteBuffer(stored.Memory(), stored.Size());
  file.WriteBuffer("tail", 4);
  file.SetPosition(0);
  TPicture picture;
  EXPECT_EQ(LoadPictFromStream(file, &picture), stored.Size() - 11);
  EXPECT_EQ(file.Position(), stored.Size());
  ASSERT_NE(dynamic_cast<const TPngImage *>(picture.Graphic()), nullptr);

  // The empty tag: nothing follows and nothing more is read.
  test::Load(file, Hex("00000000 FFFFFFFF"));
  EXPECT_EQ(LoadPictFromStream(file, &picture), 0);
  EXPECT_EQ(file.Position(), 4);
  // A tag count beyond the data or the limit is corrupt.
  for (const char *hex : {"05000000 706E67", "A1860100 706E67"}) {
    test::Load(file, Hex(hex));
    EXPECT_THROW(LoadPictFromStream(file, &picture), EReadError);
  }
}

TEST(MetaStreamPictureTest, GraphicsByKindWord) {
  struct Case {
    const char *kind;
    std::function<bool(const TGraphic *)> isClass;
  };
  const Case cases[] = {
      {"BMP", [](const TGraphic *g) { return dynamic_cast<const TBitmap *>(g); }},
      {"icon", [](const TGraphic *g) { return dynamic_cast<const TIcon *>(g); }},
      {"Jpeg", [](const TGraphic *g) { return dynamic_cast<const TJpegImage *>(g); }},
      {"EMF", [](const TGraphic *g) { return dynamic_cast<const TSafetyMetafile *>(g); }},
      {"png", [](const TGraphic *g) { return dynamic_cast<const TPngImage *>(g); }},
      {"SVG", [](const TGraphic *g) { return g == nullptr; }},
      {"", [](const TGraphic *g) { return g == nullptr; }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.kind);
    const std::unique_ptr<TGraphic> g = CreateGraphicOfKind(QString::fromLatin1(c.kind));
    EXPECT_TRUE(c.isClass(g.get()));
    if (g) {
      EXPECT_TRUE(g->Empty());
    }
  }
}

// The test program carries TESTPIC.png and TESTBMP.bmp under the picture
// resource prefix.
TEST(MetaStreamPictureTest, PictureResources) {
  struct Case {
    const char *fileName;
    bool result;
    int width; // -1: an empty icon
  };
  const Case cases[] = {
      {"C:\\pictures\\testpic.png", true, 3},
      {"images/TestPic.PNG", true, 3},
      {"TESTBMP.BMP", true, 2},
      {"missing.icn", true, -1},
      {"TESTPIC.ico", false, 0}, // ".ICO" is not a media kind
      {"drawing.svg", false, 0}, // no graphic class
      {"TESTPIC", false, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.fileName);
    TPicture picture;
    EXPECT_EQ(LoadPictureResource(picture, QString::fromLatin1(c.fileName)), c.result);
    if (c.width > 0) {
      EXPECT_EQ(picture.Width(), c.width);
    }
    if (c.width < 0) {
      ASSERT_NE(dynamic_cast<const TIcon *>(picture.Graphic()), nullptr);
      EXPECT_TRUE(picture.Graphic()->Empty());
    }
    if (!c.result) {
      EXPECT_EQ(picture.Graphic(), nullptr);
    }
  }

  TPicture picture;
  try {
    LoadPictureResource(picture, QStringLiteral("missing.jpg"));
    ADD_FAILURE() << "no exception";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), u"Resource missing not found");
  }
}

} // namespace
} // namespace lumora
