// Picture file forms: decoding, byte-exact writing of what was read, and
// refusing bad data with the project's exception instead of crashing.
#include <QBuffer>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JpegImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"

namespace lumora {
namespace {

QByteArray Bytes(const TGraphic &graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(stream);
  return stream.Bytes();
}

void Load(TGraphic &graphic, const QByteArray &bytes) {
  TMemoryStream stream;
  stream.SetBytes(bytes);
  stream.SetPosition(0);
  graphic.LoadFromStream(stream);
}

// A small picture with distinct blocks of colour and, optionally, alpha.
QImage TestImage(int w, int h, bool alpha) {
  QImage image(w, h, QImage::Format_ARGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int r = x < w / 2 ? 220 : 30;
      const int g = y < h / 2 ? 200 : 40;
      const int b = (x + y) % 2 ? 60 : 180;
      image.setPixel(x, y, qRgba(r, g, b, alpha ? (x * 255 / (w - 1)) : 255));
    }
  return image;
}

QByteArray QtEncoded(const QImage &image, const char *format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format));
  return bytes;
}

uint32_t Crc32(const QByteArray &data) {
  uint32_t crc = 0xFFFFFFFFu;
  for (char ch : data) {
    crc ^= uint8_t(ch);
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutU32BE(QByteArray &b, int at, uint32_t v) {
  qToBigEndian(v, reinterpret_cast<uchar *>(b.data()) + at);
}

TEST(PictureTest, JpegDecodesWhatItEncodesAndKeepsTheFileBytes) {
  const QImage source = TestImage(32, 16, false);
  const QByteArray file = TJpegImage::Encode(source, 95);
  ASSERT_TRUE(file.startsWith("\xFF\xD8"));

  TJpegImage jpeg;
  Load(jpeg, file);
  ASSERT_EQ(jpeg.Width(), 32);
  ASSERT_EQ(jpeg.Height(), 16);
  for (QPoint p : {QPoint(4, 4), QPoint(27, 4), QPoint(4, 12), QPoint(27, 12)}) {
    const QColor want = source.pixelColor(p);
    const QColor got = jpeg.Image().pixelColor(p);
    EXPECT_NEAR(got.red(), want.red(), 40);
    EXPECT_NEAR(got.green(), want.green(), 40);
  }
  EXPECT_EQ(Bytes(jpeg), file);

  // Changed pixels are encoded again at the chosen quality.
  jpeg.SetCompressionQuality(50);
  jpeg.SetImage(source);
  const QByteArray again = Bytes(jpeg);
  EXPECT_NE(again, file);
  EXPECT_EQ(again, TJpegImage::Encode(source, 50));
}

TEST(PictureTest, JpegWithoutItsEndMarkerStillLoads) {
  const QByteArray file = TJpegImage::Encode(TestImage(16, 16, false), 90);
  TJpegImage jpeg;
  Load(jpeg, file.left(file.size() - 2));
  EXPECT_EQ(jpeg.Width(), 16);
}

TEST(PictureTest, PngDecodesEveryColourTypeExactly) {
  QImage indexed(7, 5, QImage::Format_Indexed8);
  indexed.setColorTable({qRgba(255, 0, 0, 255), qRgba(0, 0, 255, 128), qRgba(0, 0, 0, 0)});
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      indexed.setPixel(x, y, uint((x + y) % 3));
  const QImage sources[] = {
      TestImage(9, 6, true),
      TestImage(9, 6, false).convertToFormat(QImage::Format_RGB888),
      TestImage(9, 6, false).convertToFormat(QImage::Format_Grayscale8),
      TestImage(9, 6, false).convertToFormat(QImage::Format_Grayscale16),
      TestImage(9, 6, false).convertToFormat(QImage::Format_RGBA64),
      TestImage(9, 6, false).convertToFormat(QImage::Format_Mono),
      indexed,
  };
  for (const QImage &source : sources) {
    SCOPED_TRACE(int(source.format()));
    const QImage want = source.convertToFormat(QImage::Format_ARGB32);
    for (const QByteArray &file : {TPngImage::Encode(source), QtEncoded(source, "PNG")}) {
      TPngImage png;
      Load(png, file);
      ASSERT_EQ(png.Image().size(), want.size());
      for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
          ASSERT_EQ(png.Image().pixel(x, y), want.pixel(x, y)) << x << "," << y;
      EXPECT_EQ(Bytes(png), file);
    }
  }
}

TEST(PictureTest, PngCutAfterThePixelsStillLoads) {
  const QByteArray file = TPngImage::Encode(TestImage(8, 8, true));
  TPngImage png;
  Load(png, file.left(file.size() - 12)); // without IEND
  EXPECT_EQ(png.Width(), 8);
}

TEST(PictureTest, BitmapKeepsItsFileBytesUntilDrawnOn) {
  // A BMP as Qt writes it, unlike the 24-bit form we write.
  const QByteArray file = QtEncoded(TestImage(10, 6, false), "BMP");
  TBitmap bmp;
  Load(bmp, file);
  EXPECT_EQ(bmp.Width(), 10);
  EXPECT_EQ(bmp.Pixel(1, 1), RGB(220, 200, 180));
  EXPECT_EQ(Bytes(bmp), file);
  EXPECT_EQ(Bytes(*bmp.Clone()), file);

  // Drawing through a canvas taken earlier still counts as a change, also
  // for a copy taken right after.
  TCanvas &canvas = bmp.Canvas();
  EXPECT_EQ(Bytes(bmp), file);
  canvas.Brush().SetColor(clBlue);
  canvas.FillRect(Rect(0, 0, 2, 2));
  const TBitmap copy = bmp;
  const QByteArray changed = Bytes(copy);
  EXPECT_NE(changed, file);
  TBitmap reread;
  Load(reread, changed);
  EXPECT_EQ(reread.Pixel(0, 0), clBlue);
  EXPECT_EQ(reread.Pixel(1, 1 + 3), RGB(220, 40, 60));
  EXPECT_EQ(reread.Pixel(9, 5), bmp.Pixel(9, 5));
}

TEST(PictureTest, BitmapWritesA24BitBottomUpFileFromEveryPixelFormat) {
  // 3 x 2 pixels: rows of 9 bytes padded to 12, the bottom row first, each
  // pixel as B, G, R.
  const QByteArray pixels = QByteArray::fromHex("4080c0 ffffff 000000 000000"
                                                "0000ff 00ff00 ff0000 000000");
  // "BM", 78 bytes, pixels at 54; a 40-byte header: 3 x 2, one plane, 24
  // bits, uncompressed, 24 bytes of pixels, the rest zero.
  QByteArray want = QByteArray::fromHex("424d4e000000000000003600000028000000"
                                        "030000000200000001001800000000001800"
                                        "000000000000000000000000000000000000");
  want += pixels;
  for (TPixelFormat format : {pf24bit, pf32bit}) {
    SCOPED_TRACE(format == pf24bit ? "24-bit" : "32-bit");
    TBitmap bmp;
    bmp.SetPixelFormat(format);
    bmp.SetSize(3, 2);
    bmp.SetPixel(0, 0, clRed);
    bmp.SetPixel(1, 0, clLime);
    bmp.SetPixel(2, 0, clBlue);
    bmp.SetPixel(0, 1, RGB(0xC0, 0x80, 0x40));
    bmp.SetPixel(2, 1, clBlack);
    EXPECT_EQ(Bytes(bmp).toHex(), want.toHex());
  }
}

TEST(PictureTest, BitmapResizeKeepsPixelsAndAddsWhite) {
  TBitmap bmp(4, 4);
  bmp.Canvas().Brush().SetColor(clRed);
  bmp.Canvas().FillRect(Rect(0, 0, 4, 4));
  bmp.SetSize(6, 3);
  EXPECT_EQ(bmp.Pixel(3, 2), clRed);
  EXPECT_EQ(bmp.Pixel(5, 2), clWhite);
  EXPECT_EQ(bmp.Pixel(6, 0), clNone);
  bmp.Canvas().FillRect(Rect(0, 0, 6, 3)); // the canvas follows the new size
  EXPECT_EQ(bmp.Pixel(5, 2), clRed);

  TJpegImage jpeg;
  jpeg.SetImage(TestImage(8, 8, false));
  TBitmap copy;
  copy.Assign(jpeg);
  EXPECT_EQ(copy.Width(), 8);
  EXPECT_EQ(copy.Pixel(1, 1), FromQColor(jpeg.Image().pixelColor(1, 1)));
}

// An icon file from DIB or PNG entries.
struct IconEntry {
  int width, height, bitCount;
  QByteArray data;
};

QByteArray IconFile(const std::vector<IconEntry> &entries) {
  QByteArray file(6 + 16 * int(entries.size()), '\0');
  auto put16 = [&](int at, uint16_t v) { qToLittleEndian(v, file.data() + at); };
  auto put32 = [&](int at, uint32_t v) { qToLittleEndian(v, file.data() + at); };
  put16(2, 1);
  put16(4, uint16_t(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    const int at = 6 + 16 * int(i);
    file[at] = char(entries[i].width & 0xFF);
    file[at + 1] = char(entries[i].height & 0xFF);
    put16(at + 4, 1);
    put16(at + 6, uint16_t(entries[i].bitCount));
    put32(at + 8, uint32_t(entries[i].data.size()));
    put32(at + 12, uint32_t(file.size()));
    file.append(entries[i].data);
  }
  return file;
}

// A 4-bit DIB entry: left half palette colour 1, right half colour 2, the
// top row masked out (transparent).
QByteArray FourBitDib(int w, int h) {
  QByteArray dib(40, '\0');
  qToLittleEndian<uint32_t>(40, dib.data());
  qToLittleEndian<int32_t>(w, dib.data() + 4);
  qToLittleEndian<int32_t>(2 * h, dib.data() + 8);
  qToLittleEndian<uint16_t>(1, dib.data() + 12);
  qToLittleEndian<uint16_t>(4, dib.data() + 14);
  QByteArray palette(16 * 4, '\0');
  palette[4 + 2] = char(255); // colour 1: red (B, G, R, 0)
  palette[8 + 0] = char(255); // colour 2: blue
  dib += palette;
  const int xorStride = (w * 4 + 31) / 32 * 4;
  for (int y = 0; y < h; ++y) {
    QByteArray row(xorStride, '\0');
    for (int x = 0; x < w; ++x) {
      const int index = x < w / 2 ? 1 : 2;
      row[x / 2] = char(uint8_t(row[x / 2]) | (x % 2 ? index : index << 4));
    }
    dib += row;
  }
  const int andStride = (w + 31) / 32 * 4;
  for (int y = 0; y < h; ++y) // bottom-up: the last row stored is the top
    dib += QByteArray(andStride, y == h - 1 ? char(0xFF) : '\0');
  return dib;
}

TEST(PictureTest, IconShowsTheImageNearestToStandardSizeAndKeepsTheFile) {
  const QByteArray png = TPngImage::Encode(TestImage(48, 48, true));
  const QByteArray file = IconFile(
      {{16, 16, 4, FourBitDib(16, 16)}, {32, 32, 4, FourBitDib(32, 32)}, {48, 48, 32, png}});
  TIcon icon;
  Load(icon, file);
  ASSERT_EQ(icon.Width(), 32);
  EXPECT_EQ(icon.Image().pixel(3, 5), qRgb(255, 0, 0));
  EXPECT_EQ(icon.Image().pixel(20, 5), qRgb(0, 0, 255));
  EXPECT_EQ(qAlpha(icon.Image().pixel(3, 0)), 0);
  EXPECT_EQ(Bytes(icon), file);

  // A PNG entry alone.
  TIcon pngIcon;
  Load(pngIcon, IconFile({{48, 48, 32, png}}));
  EXPECT_EQ(pngIcon.Width(), 48);

  // An icon made in memory is written as a 32-bit icon that reads back.
  TIcon made;
  made.SetImage(TestImage(20, 10, true));
  TIcon reread;
  Load(reread, Bytes(made));
  ASSERT_EQ(reread.Image().size(), QSize(20, 10));
  EXPECT_EQ(reread.Image().pixel(19, 3), made.Image().pixel(19, 3));
  EXPECT_EQ(qAlpha(reread.Image().pixel(0, 3)), 0);
}

// A minimal enhanced metafile: the header record and the end record.
QByteArray EmfFile(int frameRight, int frameBottom) {
  QByteArray file(88 + 20, '\0');
  auto put32 = [&](int at, uint32_t v) { qToLittleEndian(v, file.data() + at); };
  put32(0, 1);
  put32(4, 88);
  put32(16, 99);
  put32(20, 49);
  put32(32, uint32_t(frameRight));
  put32(36, uint32_t(frameBottom));
  put32(40, 0x464D4520);
  put32(44, 0x10000);
  put32(48, uint32_t(file.size()));
  put32(52, 2);
  put32(88, 14); // EMR_EOF
  put32(92, 20);
  return file;
}

TEST(PictureTest, MetafileKeepsEmfBytesAndTakesItsSizeFromTheFrame) {
  const QByteArray file = EmfFile(2540, 1270); // one inch by half an inch
  TSafetyMetafile meta;
  Load(meta, file);
  EXPECT_FALSE(meta.Empty());
  EXPECT_TRUE(meta.HasEmfData());
  EXPECT_EQ(meta.Width(), 96);
  EXPECT_EQ(meta.Height(), 48);
  EXPECT_EQ(Bytes(meta), file);
  const auto clone = meta.Clone();
  EXPECT_NE(dynamic_cast<TSafetyMetafile *>(clone.get()), nullptr);
  EXPECT_EQ(Bytes(*clone), file);
  TBitmap bmp(10, 10);
  bmp.Canvas().Draw(0, 0, meta); // a frame without drawing records
  EXPECT_EQ(bmp.Pixel(5, 5), clWhite);

  // Recording replaces the EMF content.
  {
    TMetafileCanvas rec(meta);
    rec.Rectangle(0, 0, 5, 5);
  }
  EXPECT_FALSE(meta.HasEmfData());
  EXPECT_TRUE(meta.HasRecording());
}

// Bad file bytes of every kind raise the project's exception and leave the
// graphic empty.
TEST(PictureTest, BadDataRaisesAndLeavesTheGraphicEmpty) {
  const QByteArray jpeg = TJpegImage::Encode(TestImage(40, 40, false), 90);
  const QByteArray png = TPngImage::Encode(TestImage(40, 40, true));
  const QByteArray bmp = QtEncoded(TestImage(40, 40, false), "BMP");
  const QByteArray ico = IconFile({{32, 32, 4, FourBitDib(32, 32)}});
  const QByteArray emf = EmfFile(2540, 2540);

  QByteArray hugeJpeg = jpeg; // the frame header's height and width
  const int sof = int(hugeJpeg.indexOf("\xFF\xC0"));
  qToBigEndian<uint16_t>(65000, hugeJpeg.data() + sof + 5);
  qToBigEndian<uint16_t>(65000, hugeJpeg.data() + sof + 7);
  QByteArray hugePng = png; // IHDR with its CRC made good again
  PutU32BE(hugePng, 16, 20000);
  PutU32BE(hugePng, 20, 20000);
  PutU32BE(hugePng, 29, Crc32(hugePng.mid(12, 17)));
  QByteArray hugeBmp = bmp;
  qToLittleEndian<int32_t>(100000, hugeBmp.data() + 18);
  qToLittleEndian<int32_t>(-100000, hugeBmp.data() + 22);
  QByteArray badDib = ico; // the DIB claims 64 bits per pixel
  qToLittleEndian<uint16_t>(64, badDib.data() + 22 + 14);
  QByteArray outside = ico; // the entry's offset points past the end
  qToLittleEndian<uint32_t>(1u << 30, outside.data() + 6 + 12);
  QByteArray emfWrongType = emf;
  emfWrongType[0] = 2;
  QByteArray emfHugeFrame = EmfFile(0x7FFFFFFF, 0x7FFFFFFF);
  QByteArray emfHeaderPastEnd = emf;
  qToLittleEndian<uint32_t>(4096, emfHeaderPastEnd.data() + 4);

  const QByteArray garbage = QByteArray(300, '\x5A');
  struct Case {
    const char *name;
    std::function<std::unique_ptr<TGraphic>()> make;
    QString kind;
    std::vector<QByteArray> files;
  };
  const Case cases[] = {
      {"jpeg",
       [] { return std::make_unique<TJpegImage>(); },
       "jpg",
       {{}, garbage, jpeg.left(2), jpeg.left(jpeg.size() / 2), hugeJpeg}},
      {"png",
       [] { return std::make_unique<TPngImage>(); },
       "png",
       {{}, garbage, png.left(8), png.left(png.size() / 2), hugePng}},
      {"bmp",
       [] { return std::make_unique<TBitmap>(); },
       "bmp",
       {{}, garbage, bmp.left(20), bmp.left(bmp.size() / 2), hugeBmp}},
      {"ico",
       [] { return std::make_unique<TIcon>(); },
       "ico",
       {{}, garbage, ico.left(30), ico.left(ico.size() - 200), badDib, outside}},
      {"emf",
       [] { return std::make_unique<TSafetyMetafile>(); },
       "emf",
       {{}, garbage, emf.left(60), emfWrongType, emfHugeFrame, emfHeaderPastEnd}},
  };
  for (const Case &k : cases) {
    for (size_t i = 0; i < k.files.size(); ++i) {
      SCOPED_TRACE(testing::Message() << k.name << " file " << i);
      auto graphic = k.make();
      try {
        Load(*graphic, k.files[i]);
        ADD_FAILURE() << "no exception";
      } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), "Can't Create Image(" + k.kind + ")");
      }
      EXPECT_TRUE(graphic->Empty());
      EXPECT_TRUE(Bytes(*graphic).isEmpty());
    }
  }
}

TEST(PictureTest, PictureHolderReplacesOwnsAndCopies) {
  TPicture picture;
  EXPECT_EQ(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Width(), 0);

  const QByteArray file = TPngImage::Encode(TestImage(6, 4, true));
  TPngImage png;
  Load(png, file);
  picture.Assign(png);
  ASSERT_NE(dynamic_cast<TPngImage *>(picture.Graphic()), nullptr);
  EXPECT_NE(picture.Graphic(), &png);
  EXPECT_EQ(picture.Width(), 6);
  EXPECT_EQ(Bytes(*picture.Graphic()), file);

  const TPicture copy = picture;
  EXPECT_EQ(Bytes(*copy.Graphic()), file);

  // Asking for the bitmap replaces the PNG by an empty bitmap.
  TBitmap &bitmap = picture.Bitmap();
  EXPECT_TRUE(bitmap.Empty());
  EXPECT_EQ(picture.Graphic(), &bitmap);
  EXPECT_EQ(&picture.Bitmap(), &bitmap);
  picture.Icon();
  EXPECT_NE(dynamic_cast<TIcon *>(picture.Graphic()), nullptr);
  picture.SetGraphic(nullptr);
  EXPECT_EQ(picture.Graphic(), nullptr);
}

} // namespace
} // namespace lumora
