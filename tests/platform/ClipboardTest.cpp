// The clipboard's pictures: a bitmap first, else EMF bytes, else any image
// data Qt decodes; nothing when none of them is offered.
#include "platform/ui/Clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "tests/support/EmfWriter.h"

namespace lumora {
namespace {

class ClipboardTest : public testing::Test {
protected:
  void SetUp() override { ClipboardClear(); }
  void TearDown() override { ClipboardClear(); }
};

QImage Sample() {
  QImage image(5, 3, QImage::Format_RGB32);
  image.fill(Qt::red);
  image.setPixel(4, 2, qRgb(0, 0, 255));
  return image;
}

QByteArray Emf() {
  return EmfWriter(30, 20).FillRect(QRect(0, 0, 30, 20), clRed).Bytes();
}

TEST_F(ClipboardTest, BitmapComesFirst) {
  TBitmap bitmap;
  bitmap.SetImage(Sample());
  ClipboardSetBitmap(bitmap);
  EXPECT_TRUE(ClipboardHasBitmap());
  EXPECT_FALSE(ClipboardHasMetafile());
  TPicture picture;
  ASSERT_TRUE(ClipboardGetPicture(picture));
  const auto *taken = dynamic_cast<const TBitmap *>(picture.Graphic());
  ASSERT_NE(taken, nullptr);
  EXPECT_EQ(taken->Width(), 5);
  EXPECT_EQ(taken->Pixel(4, 2), clBlue);
  EXPECT_EQ(taken->Pixel(0, 0), clRed);
}

TEST_F(ClipboardTest, MetafileBytesAreTakenAsAMetafile) {
  const QByteArray emf = Emf();
  ASSERT_FALSE(emf.isEmpty());
  ClipboardSetMetafile(emf);
  EXPECT_FALSE(ClipboardHasBitmap());
  EXPECT_TRUE(ClipboardHasMetafile());
  TPicture picture;
  ASSERT_TRUE(ClipboardGetPicture(picture));
  const auto *metafile = dynamic_cast<const TMetafile *>(picture.Graphic());
  ASSERT_NE(metafile, nullptr);
  EXPECT_EQ(metafile->OriginalBytes(), emf);
  EXPECT_EQ(metafile->Width(), 30);
}

// Bad EMF bytes are no picture; image data of another type is decoded; an
// empty clipboard gives nothing and leaves the holder alone.
TEST_F(ClipboardTest, OtherOffersAndNone) {
  TPicture picture;
  picture.Bitmap().SetSize(2, 2);
  ClipboardSetMetafile("not an EMF");
  EXPECT_FALSE(ClipboardGetPicture(picture));
  ClipboardClear();
  EXPECT_FALSE(ClipboardGetPicture(picture));
  EXPECT_EQ(picture.Width(), 2);

  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(Sample().save(&buffer, "PNG"));
  auto data = std::make_unique<QMimeData>();
  data->setData(QStringLiteral("image/x-other-png"), png);
  QGuiApplication::clipboard()->setMimeData(data.release());
  ASSERT_TRUE(ClipboardGetPicture(picture));
  ASSERT_NE(dynamic_cast<const TBitmap *>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 5);
}

} // namespace
} // namespace lumora
