#include "tests/core/pictures/StampTestClasses.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <cstdlib>

#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "platform/graphics/PngImage.h"
#include "tests/support/EmfWriter.h"

namespace lumora::test {

namespace {

QColor Q(TColor c) {
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

QImage QuadrantImage(int w, int h, const QColor &aFourth) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(aFourth);
  QPainter p(&image);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(0, 0, w / 2, h / 2, Q(kRed));
  p.fillRect(w / 2, 0, w - w / 2, h / 2, Q(kBlue));
  p.fillRect(0, h / 2, w / 2, h - h / 2, Q(kYellow));
  return image;
}

} // namespace

// ---- Pictures ----

QByteArray QuadrantBmp(int w, int h) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QuadrantImage(w, h, QColor(255, 0, 255))
      .convertToFormat(QImage::Format_RGB32)
      .save(&buffer, "BMP");
  return bytes;
}

QByteArray QuadrantPng(int w, int h) {
  return TPngImage::Encode(QuadrantImage(w, h, Qt::transparent));
}

QByteArray QuadrantEmf(int w, int h) {
  return EmfWriter(w, h)
      .FillRect(QRect(0, 0, w / 2, h / 2), kRed)
      .FillRect(QRect(w / 2, 0, w - w / 2, h / 2), kBlue)
      .FillRect(QRect(0, h / 2, w / 2, h - h / 2), kYellow)
      .Bytes();
}

QByteArray PlainPng(int w, int h, TColor aColor) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(Q(aColor));
  return TPngImage::Encode(image);
}

// ---- Fixture ----

void StampTest::SetUp() {
  DrawTest::SetUp();
  ASSERT_TRUE(programDir_.isValid());
  TProgramPaths paths;
  paths.ProgramFolder = programDir_.path() + u'/';
  TSysContext::Start(paths);
}

void StampTest::TearDown() {
  DrawTest::TearDown();
}

QString StampTest::ProgramPath(const QString &aRelative) const {
  return programDir_.path() + u'/' + aRelative;
}

void StampTest::WriteProgramFile(const QString &aRelative, const QByteArray &aBytes) const {
  const QString path = ProgramPath(aRelative);
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(aBytes), aBytes.size());
}

TTestPictureStamp *StampTest::AddStamp(const QString &aFile, int aSize, double aX, double aY) {
  std::unique_ptr<TTestPictureStamp> stamp = NewObject<TTestPictureStamp>();
  stamp->Param.Text = aFile;
  CreatingStampSize() = aSize;
  stamp->CreateImage();
  stamp->InitGrabInfo();
  stamp->Move({aX, aY});
  stamp->ReMake();
  return static_cast<TTestPictureStamp *>(page_->AddObj(std::move(stamp)));
}

TBitmap StampTest::PageBitmap(int aWidth, int aHeight) {
  TBitmap bitmap(aWidth, aHeight);
  bitmap.Canvas().Brush().SetColor(kPage);
  bitmap.Canvas().FillRect(Rect(0, 0, aWidth, aHeight));
  return bitmap;
}

bool NearColor(TColor a, TColor b, int aTolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > aTolerance) return false;
  return true;
}

} // namespace lumora::test
