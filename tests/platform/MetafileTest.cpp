// EMF pictures drawn through their SVG form: the header frame mapped onto the
// target rectangle (stretched, mirrored, clipped, recorded), the file bytes
// kept exactly, and unsound record chains refused without harm.
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/system/Stream.h"
#include "support/EmfWriter.h"

namespace lumora {
namespace {

// 40 x 20: the left half red, the right half blue, a yellow bar along the
// top (rows 0..5).
QByteArray TwoColourEmf() {
  return EmfWriter(40, 20)
      .FillRect(QRect(0, 0, 20, 20), clRed)
      .FillRect(QRect(20, 0, 20, 20), clBlue)
      .FillRect(QRect(0, 0, 40, 6), clYellow)
      .Bytes();
}

void Load(TMetafile &meta, const QByteArray &bytes) {
  TMemoryStream stream;
  stream.SetBytes(bytes);
  stream.SetPosition(0);
  meta.LoadFromStream(stream);
}

QByteArray Saved(const TGraphic &graphic) {
  TMemoryStream stream;
  graphic.SaveToStream(stream);
  return stream.Bytes();
}

using Pixels = std::vector<std::pair<QPoint, TColor>>;

void ExpectPixels(const TBitmap &bmp, const Pixels &pixels) {
  for (const auto &[at, color] : pixels)
    EXPECT_EQ(bmp.Pixel(at.x(), at.y()), color) << "at " << at.x() << ", " << at.y();
}

TEST(MetafileEmfTest, FrameFillsTheRectangleStretchedAndMirrored) {
  const QByteArray emf = TwoColourEmf();
  ASSERT_FALSE(emf.isEmpty());
  struct Case {
    const char *name;
    std::function<void(TCanvas &, TMetafile &)> draw;
    Pixels pixels;
  };
  const Case cases[] = {
      {"own size at (10, 10)",
       [](TCanvas &c, TMetafile &m) { c.Draw(10, 10, m); },
       {{{14, 25}, clRed},
        {{45, 25}, clBlue},
        {{30, 12}, clYellow},
        {{54, 25}, clWhite},
        {{14, 33}, clWhite},
        {{5, 5}, clWhite}}},
      {"stretched",
       [](TCanvas &c, TMetafile &m) { c.StretchDraw(Rect(0, 0, 80, 40), m); },
       {{{5, 30}, clRed},
        {{36, 30}, clRed},
        {{44, 30}, clBlue},
        {{76, 30}, clBlue},
        {{76, 8}, clYellow},
        {{76, 14}, clBlue},
        {{85, 30}, clWhite},
        {{5, 45}, clWhite}}},
      {"sized to twice its frame",
       [](TCanvas &c, TMetafile &m) {
         m.SetWidth(80);
         m.SetHeight(40);
         c.Draw(0, 0, m);
       },
       {{{36, 30}, clRed}, {{44, 30}, clBlue}, {{76, 8}, clYellow}, {{85, 30}, clWhite}}},
      {"mirrored rectangle",
       [](TCanvas &c, TMetafile &m) { c.StretchDraw(Rect(40, 0, 0, 20), m); },
       {{{5, 15}, clBlue}, {{35, 15}, clRed}, {{35, 2}, clYellow}, {{45, 15}, clWhite}}},
      {"flipped rectangle",
       [](TCanvas &c, TMetafile &m) { c.StretchDraw(Rect(0, 20, 40, 0), m); },
       {{{5, 2}, clRed}, {{35, 2}, clBlue}, {{5, 17}, clYellow}, {{5, 25}, clWhite}}},
      {"negative width drawn from x = Width",
       [](TCanvas &c, TMetafile &m) {
         m.SetWidth(-40);
         c.Draw(40, 0, m);
       },
       {{{5, 15}, clBlue}, {{35, 15}, clRed}, {{20, 2}, clYellow}, {{45, 15}, clWhite}}},
      {"negative size drawn from (Width, Height)",
       [](TCanvas &c, TMetafile &m) {
         m.SetWidth(-40);
         m.SetHeight(-20);
         c.Draw(40, 20, m);
       },
       {{{5, 2}, clBlue}, {{35, 2}, clRed}, {{5, 17}, clYellow}, {{45, 5}, clWhite}}},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.name);
    TSafetyMetafile meta;
    Load(meta, emf);
    EXPECT_EQ(meta.Width(), 40);
    EXPECT_EQ(meta.Height(), 20);
    TBitmap bmp(90, 50);
    k.draw(bmp.Canvas(), meta);
    ExpectPixels(bmp, k.pixels);
  }
}

TEST(MetafileRecordingTest, SizeSetAfterRecordingStretchesAndANegativeOneMirrors) {
  // Recorded: the left half red, the right half blue, 10 x 10.
  TMetafile meta;
  {
    TMetafileCanvas rec(meta);
    rec.Brush().SetColor(clRed);
    rec.FillRect(Rect(0, 0, 5, 10));
    rec.Brush().SetColor(clBlue);
    rec.FillRect(Rect(5, 0, 10, 10));
  }
  ASSERT_EQ(meta.Width(), 10);

  meta.SetWidth(-10);
  TBitmap mirrored(30, 10);
  mirrored.Canvas().Draw(10, 0, meta);
  ExpectPixels(mirrored, {{{1, 5}, clBlue}, {{8, 5}, clRed}, {{12, 5}, clWhite}});

  meta.SetWidth(20);
  TBitmap stretched(30, 10);
  stretched.Canvas().Draw(0, 0, meta);
  ExpectPixels(stretched,
               {{{8, 5}, clRed}, {{12, 5}, clBlue}, {{19, 5}, clBlue}, {{21, 5}, clWhite}});
}

TEST(MetafileEmfTest, EdgesStayHardOverAKeyColour) {
  // A see-through picture drawn over the key colour must leave every pixel
  // either the key colour or its own: a blended edge would show as a fringe.
  TSafetyMetafile meta;
  Load(meta, EmfWriter(30, 30).FillEllipse(QRect(0, 0, 30, 30), clGreen).Bytes());
  TBitmap bmp(100, 100);
  bmp.Canvas().Brush().SetColor(clFuchsia);
  bmp.Canvas().FillRect(Rect(0, 0, 100, 100));
  bmp.Canvas().StretchDraw(Rect(5, 5, 95, 95), meta);
  EXPECT_EQ(bmp.Pixel(50, 50), clGreen);
  EXPECT_EQ(bmp.Pixel(8, 8), clFuchsia);
  int mixed = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x)
      if (bmp.Pixel(x, y) != clGreen && bmp.Pixel(x, y) != clFuchsia) ++mixed;
  EXPECT_EQ(mixed, 0);
}

TEST(MetafileEmfTest, DrawsThroughTheClipAndIntoARecording) {
  TSafetyMetafile emf;
  Load(emf, TwoColourEmf());

  TBitmap clipped(90, 50);
  clipped.Canvas().SetClipRect(Rect(0, 0, 30, 50));
  clipped.Canvas().StretchDraw(Rect(0, 0, 80, 40), emf);
  ExpectPixels(clipped, {{{20, 30}, clRed}, {{35, 30}, clWhite}, {{60, 30}, clWhite}});

  // Recorded mirrored, then replayed through a clip of the destination.
  TMetafile recording;
  {
    TMetafileCanvas rec(recording);
    rec.StretchDraw(Rect(80, 0, 0, 40), emf);
  }
  TBitmap replayed(90, 50);
  replayed.Canvas().SetClipRect(Rect(0, 20, 90, 50));
  recording.Play(replayed.Canvas(), Point(0, 0));
  ExpectPixels(replayed, {{{20, 30}, clBlue},
                          {{60, 30}, clRed},
                          {{60, 5}, clWhite}, // the yellow bar lies outside the clip
                          {{85, 30}, clWhite}});
}

TEST(MetafileEmfTest, TextDrawsAndLeavesTheProgramFontsWorking) {
  // Text stored as glyph indices makes the converter look the face up
  // through fontconfig, which the program's own text (here the Japanese
  // faces, also drawn for the metafile's first text) uses as well; each
  // round converts anew.
  const QByteArray emf = EmfWriter(120, 60)
                             .Text(QPoint(5, 5), QStringLiteral("漢A"), clBlack)
                             .GlyphIndices(QPoint(5, 30), {36, 37, 38}, clBlack)
                             .Bytes();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    TSafetyMetafile meta;
    Load(meta, emf);
    TBitmap bmp(120, 60);
    bmp.Canvas().TextOut(60, 5, QStringLiteral("漢A"));
    bmp.Canvas().Draw(0, 0, meta);
    const auto inkIn = [&](const QRect &area) {
      int ink = 0;
      for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
          ink += bmp.Pixel(x, y) == clBlack;
      return ink;
    };
    EXPECT_GT(inkIn(QRect(0, 0, 55, 28)), 10);
    EXPECT_GT(inkIn(QRect(0, 30, 55, 30)), 10);
    EXPECT_GT(inkIn(QRect(60, 0, 60, 28)), 10);
  }
}

TEST(MetafileEmfTest, FileBytesSurviveLoadingDrawingCopyingAndSaving) {
  const QByteArray emf = TwoColourEmf();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString fileName = dir.filePath(QStringLiteral("two.emf"));
  ASSERT_TRUE(WriteFileBytes(fileName, emf));

  TSafetyMetafile meta;
  meta.LoadFromFile(fileName);
  TBitmap bmp(40, 20);
  bmp.Canvas().Draw(0, 0, meta);
  EXPECT_EQ(bmp.Pixel(10, 15), clRed);
  EXPECT_EQ(Saved(meta), emf);

  const auto clone = meta.Clone();
  TBitmap fromClone(40, 20);
  fromClone.Canvas().Draw(0, 0, *clone);
  EXPECT_EQ(fromClone.Pixel(30, 15), clBlue);
  EXPECT_EQ(Saved(*clone), emf);

  // A recording replaces the EMF content; the copy keeps it.
  {
    TMetafileCanvas rec(meta);
    rec.Rectangle(0, 0, 5, 5);
  }
  EXPECT_TRUE(Saved(meta).isEmpty());
  TBitmap afterwards(40, 20);
  afterwards.Canvas().Draw(0, 0, *clone);
  EXPECT_EQ(afterwards.Pixel(30, 15), clBlue);
}

TEST(MetafileEmfTest, UnsoundRecordsDrawNothing) {
  // The left half a filled rectangle, the right half a bitmap.
  QImage blue(4, 4, QImage::Format_RGB32);
  blue.fill(Qt::blue);
  const QByteArray emf = EmfWriter(40, 20)
                             .FillRect(QRect(0, 0, 20, 20), clRed)
                             .Image(QRect(20, 0, 20, 20), blue)
                             .Bytes();
  const qsizetype headerSize = qFromLittleEndian<uint32_t>(emf.constData() + 4);
  const qsizetype bitmap = emf.size() - 20 - (80 + 40 + 4 * 12); // the bitmap record
  ASSERT_EQ(qFromLittleEndian<uint32_t>(emf.constData() + bitmap), 81u);
  const auto changed = [&](qsizetype at, uint32_t value) {
    QByteArray bytes = emf;
    qToLittleEndian(value, bytes.data() + at);
    return bytes;
  };
  QByteArray shortEnd = emf.left(emf.size() - 20); // an end record of 12 bytes
  for (uint32_t v : {14u, 12u, 0u})
    shortEnd.append(reinterpret_cast<const char *>(&v), 4);

  const auto draw = [](const QByteArray &bytes) {
    TSafetyMetafile meta;
    Load(meta, bytes); // the header is sound, so the bytes load
    EXPECT_EQ(Saved(meta), bytes);
    auto bmp = std::make_unique<TBitmap>(40, 20);
    bmp->Canvas().Draw(0, 0, meta);
    return bmp;
  };
  const auto sound = draw(emf);
  EXPECT_EQ(sound->Pixel(10, 15), clRed);
  EXPECT_EQ(sound->Pixel(30, 15), clBlue);

  const std::pair<const char *, QByteArray> cases[] = {
      {"no end record", emf.left(emf.size() - 20)},
      {"cut inside a record", emf.left(emf.size() - 28)},
      {"size not a multiple of 4", changed(headerSize + 4, 18)},
      {"size below 8", changed(headerSize + 4, 4)},
      {"size past the end", changed(headerSize + 4, 0x7FFFFFF0)},
      {"a second header", changed(headerSize, 1)},
      {"end record too short", shortEnd},
      {"run-length bitmap", changed(bitmap + 80 + 16, 1)},
      {"bitmap taller than its bits", changed(bitmap + 80 + 8, 5)},
      {"bitmap header outside the record", changed(bitmap + 48, 0x1000)},
  };
  for (const auto &[name, bytes] : cases) {
    SCOPED_TRACE(name);
    const auto bmp = draw(bytes);
    EXPECT_EQ(bmp->Pixel(10, 15), clWhite);
    EXPECT_EQ(bmp->Pixel(30, 15), clWhite);
  }
}

} // namespace
} // namespace lumora
