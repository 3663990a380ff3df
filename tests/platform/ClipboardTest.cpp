// The clipboard's pictures: a bitmap first, else EMF bytes, else any image
// data Qt decodes; nothing when none of them is offered. The format test's
// order of preference, the private format's bytes, text and local files.
#include "platform/ui/Clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>
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

// Offers exactly the given MIME data.
void Offer(std::unique_ptr<QMimeData> aData) {
  QGuiApplication::clipboard()->setMimeData(aData.release());
}

TEST_F(ClipboardTest, FormatFollowsTheOrderOfPreference) {
  const QList<QUrl> localFiles = {QUrl::fromLocalFile(QStringLiteral("/tmp/a.png")),
                                  QUrl::fromLocalFile(QStringLiteral("/tmp/b.txt"))};
  const struct {
    const char *name;
    bool exData, text, bitmap, emf, otherImage, files, webUrl;
    int format;
  } cases[] = {
      {"everything", true, true, true, true, true, true, false, kClipExData},
      {"text before pictures", false, true, true, true, true, false, false, kClipText},
      {"files win over their paths as text", false, true, false, false, false, true, false,
       kClipFiles},
      {"bitmap before metafile", false, false, true, true, true, true, false, kClipBitmap},
      {"metafile before other images", false, false, false, true, true, false, false,
       kClipMetafile},
      {"other image data", false, false, false, false, true, true, false, kClipPicture},
      {"local files", false, false, false, false, false, true, false, kClipFiles},
      {"a web address is text", false, true, false, false, false, false, true, kClipText},
      {"a web address alone is nothing", false, false, false, false, false, false, true, kClipNone},
      {"nothing", false, false, false, false, false, false, false, kClipNone},
  };
  for (const auto &c : cases) {
    auto data = std::make_unique<QMimeData>();
    if (c.exData) data->setData(QString::fromLatin1(kExDataMimeType), "x");
    if (c.text) data->setText(QStringLiteral("text"));
    if (c.bitmap) data->setImageData(Sample());
    if (c.emf) data->setData(QString::fromLatin1(kEmfMimeType), Emf());
    if (c.otherImage) data->setData(QStringLiteral("image/x-other"), "x");
    QList<QUrl> urls;
    if (c.files) urls = localFiles;
    if (c.webUrl) urls << QUrl(QStringLiteral("https://example.org/a.png"));
    if (!urls.isEmpty()) data->setUrls(urls);
    Offer(std::move(data));
    EXPECT_EQ(ClipboardFormat(), c.format) << c.name;
  }
  ClipboardClear();
  EXPECT_EQ(ClipboardFormat(), kClipNone);
}

TEST_F(ClipboardTest, PrivateBytesTextAndFiles) {
  const QByteArray bytes("\x00\x01records\x00\xff", 11);
  ClipboardSetExData(bytes);
  EXPECT_TRUE(ClipboardHasExData());
  EXPECT_EQ(ClipboardExData(), bytes);
  EXPECT_TRUE(ClipboardText().isEmpty());
  // One call replaces everything the clipboard held.
  ClipboardSetMetafile(Emf());
  EXPECT_FALSE(ClipboardHasExData());
  EXPECT_TRUE(ClipboardExData().isEmpty());

  auto data = std::make_unique<QMimeData>();
  data->setText(QStringLiteral("一\t二\r\n"));
  data->setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/絵.png")),
                 QUrl(QStringLiteral("https://example.org/x.png")),
                 QUrl::fromLocalFile(QStringLiteral("/tmp/b.wav"))});
  Offer(std::move(data));
  EXPECT_EQ(ClipboardText(), QStringLiteral("一\t二\r\n"));
  EXPECT_EQ(ClipboardFiles(),
            QStringList({QStringLiteral("/tmp/絵.png"), QStringLiteral("/tmp/b.wav")}));
  ClipboardClear();
  EXPECT_TRUE(ClipboardFiles().isEmpty());
}

} // namespace
} // namespace lumora
