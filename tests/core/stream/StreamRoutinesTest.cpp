// The free routines of the stream unit: the length-limited string reader,
// back-patching, file copy, media kinds and the action record.
#include "core/stream/MetaStream.h"

#include "platform/system/Exception.h"
#include "tests/core/stream/StreamFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumora {
namespace {

using test::Hex;
using test::HexOf;

TEST(StreamRoutinesTest, ReadSizedString) {
  struct Case {
    const char *name;
    QByteArray bytes;
    int64_t start;
    int32_t maxLength;
    QString text;
    int64_t position;
  };
  const QByteArray longString = Hex("A1860100") + QByteArray(100001, 'a'); // count 100001
  const Case cases[] = {
      {"text form", Hex("03000000 616263"), 0, 100000, QStringLiteral("abc"), 7},
      {"byte form", Hex("04000000 61626300"), 0, 100000, QStringLiteral("abc"), 8},
      {"kanji", Hex("04000000 8ABF8E9A"), 0, 100000, QStringLiteral("漢字"), 8},
      {"empty", Hex("00000000 616263"), 0, 100000, QString(), 4},
      {"negative", Hex("FEFFFFFF 616263"), 0, 100000, QString(), 4},
      {"above the maximum", longString, 0, 100000, QString(), 0},
      {"at the maximum", longString, 0, 100001, QString(100001, u'a'), longString.size()},
      {"beyond the data", Hex("04000000 616263"), 0, 100000, QString(), 0},
      // The count is checked against what remains behind it, not against
      // the whole stream's size.
      {"beyond the data, late in the stream", Hex("0000000000000000 04000000 616263"), 8, 100000,
       QString(), 8},
      {"peek for a tag", Hex("05000000 496E666F00"), 0, 5, QStringLiteral("Info"), 9},
      {"peek over a longer string", Hex("06000000 616263646566"), 0, 5, QString(), 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryStream s;
    test::Load(s, c.bytes);
    s.SetPosition(c.start);
    QString text = QStringLiteral("stale");
    ReadSizedString(s, c.maxLength, text);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(s.Position(), c.position);
  }

  TMemoryStream shortStream;
  test::Load(shortStream, Hex("0300"));
  QString text;
  EXPECT_THROW(ReadSizedString(shortStream, 100000, text), EReadError);
}

TEST(StreamRoutinesTest, WriteSizedStringAndPatchStreamPos) {
  TMemoryStream s;
  s.WriteBuffer("\0\0\0\0", 4);
  WriteSizedString(s, QString());
  WriteSizedString(s, QStringLiteral("あ"));
  PatchStreamPos(s, 0);
  EXPECT_EQ(s.Position(), 14);
  EXPECT_EQ(HexOf(s), HexOf(Hex("0E000000 00000000 02000000 82A0")));

  for (int64_t slot : {-1, 11, 100}) {
    SCOPED_TRACE(slot);
    EXPECT_THROW(PatchStreamPos(s, slot), EWriteError);
    EXPECT_EQ(s.Position(), 14);
  }
}

TEST(StreamRoutinesTest, CopyFileByStream) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString source = dir.filePath(QStringLiteral("source.bin"));
  const QString copy = dir.filePath(QStringLiteral("copy.bin"));
  QByteArray bytes(200000, '\0');
  for (int i = 0; i < bytes.size(); ++i)
    bytes[i] = char(i * 7);
  {
    QFile f(source);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  {
    QFile f(copy);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("an older and longer file than nothing");
  }
  CopyFileByStream(copy, source);
  QFile f(copy);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), bytes);

  const QString other = dir.filePath(QStringLiteral("other.bin"));
  EXPECT_THROW(CopyFileByStream(other, dir.filePath(QStringLiteral("missing.bin"))), EFOpenError);
  EXPECT_FALSE(QFile::exists(other));
}

TEST(StreamRoutinesTest, FileKindOfExt) {
  struct Case {
    const char *ext;
    const char *kind;
  };
  const Case cases[] = {
      {".BMP", "BMP"},   {".bmp", "BMP"},   {".ICN", "ICON"}, {".icn", "ICON"},  {".ico", ""},
      {".Jpg", "JPEG"},  {".JPEG", "JPEG"}, {".emf", "EMF"},  {".svg", "SVG"},   {".png", "PNG"},
      {".avi", "MOVI"},  {".WMV", "MOVI"},  {".mp4", "MOVI"}, {".wav", "SOUND"}, {".MP3", "SOUND"},
      {".wma", "SOUND"}, {".snd", "SOUND"}, {".TXT", "TEXT"}, {".gif", ""},      {"BMP", ""},
      {"", ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(FileKindOfExt(QString::fromLatin1(c.ext)), QString::fromLatin1(c.kind)) << c.ext;
}

// An action record with distinctive values in every field of the 56 bytes.
TActParam SampleActParam() {
  TActParam p;
  p.ExeType = {exShow, exMove, exPosition};
  p.MovePos = {100, 50};
  p.Angle = 0.5;
  p.Scaling = 2;
  p.Value = 7;
  p.SetValue64(0x0807060504030201);
  p.Text = QStringLiteral("hi");
  return p;
}

const char *const kActParamHex = "38000000"
                                 "0904 000000000000" // 0 ExeType, reserved
                                 "0000000000005940"  // 8 MovePos.x 100
                                 "0000000000004940"  // 16 MovePos.y 50
                                 "000000000000E03F"  // 24 Angle 0.5
                                 "0000000000000040"  // 32 Scaling 2
                                 "%1 "               // 40 text reference
                                 "07000000"          // 44 Value
                                 "0102030405060708"  // 48 Value64
                                 "02000000 6869";    // Text

QByteArray ActParamBytes(const char *reference) {
  return QByteArray::fromHex(QString::fromLatin1(kActParamHex).arg(reference).toLatin1());
}

TActParam Junk() {
  TActParam p;
  p.ExeType = {exExec, exTrace};
  p.MovePos = {-1, -1};
  p.Angle = p.Scaling = 9;
  p.Value = -9;
  p.SetValue64(-9);
  p.Text = QStringLiteral("junk");
  return p;
}

TEST(StreamRoutinesTest, ActParamBlockHasItsExactBytes) {
  const TActParam p = SampleActParam();
  EXPECT_EQ(p.Value2(), 0x04030201);
  EXPECT_EQ(p.Word(0), 7);
  EXPECT_EQ(p.Byte(4), 1);
  EXPECT_EQ(p.Word(5), 0x0807);

  TMemoryStream s;
  WriteActParam(s, p);
  EXPECT_EQ(HexOf(s), HexOf(ActParamBytes("00000000")));
}

TEST(StreamRoutinesTest, ReadActParamDispatchesOnTheStoredSize) {
  TActParam old1;
  old1.ExeType = {exShow, exHide};
  old1.MovePos = {10, -20};
  old1.Angle = 0.25;
  old1.Text = QStringLiteral("x");
  TActParam old2;
  old2.ExeType = {exRotate};
  old2.MovePos = {3, 4};
  old2.Angle = 1;
  TActParam other = Junk();
  other.Text = QStringLiteral("abc");

  struct Case {
    const char *name;
    QByteArray bytes;
    TActParam expected;
  };
  const Case cases[] = {
      {"56", ActParamBytes("11111111"), SampleActParam()},
      {"88",
       Hex("58000000"
           "0300 FF 0000000000"                  // 0 ExeType, 2 MoveMode
           "AAAAAAAAAAAAAAAA BBBBBBBBBBBBBBBB"   // 8, 16 reserves
           "0A000000 ECFFFFFF"                   // 24 MovePos (10, -20)
           "CCCCCCCCCCCCCCCC"                    // 32 reserve
           "01 00000000000000"                   // 40 RotateMode
           "000000000000D03F"                    // 48 Angle 0.25
           "DDDDDDDDDDDDDDDD"                    // 56 reserve
           "EEEEEEEE EEEEEEEE EEEEEEEE EEEEEEEE" // 64 colours, mode, reserve
           "63000000 11111111"                   // 80 Value, 84 text reference
           "01000000 78"),
       old1},
      {"48",
       Hex("30000000"
           "1000 0000 03000000 04000000" // 0 ExeType, 4 MovePos (3, 4)
           "02 000000"                   // 12 Reserve0
           "000000000000F03F"            // 16 Angle 1
           "11111111 00000000"           // 24 text reference
           "0000000000000840"            // 32 Scaling 3
           "0102030405060708"            // 40 Value64
           "00000000"),
       old2},
      {"other size", Hex("0C000000 000102030405060708090A0B 03000000 616263"), other},
      {"other size, empty text", Hex("00000000 00000000"), Junk()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TMemoryStream s;
    test::Load(s, c.bytes);
    TActParam p = Junk();
    ReadActParam(s, p);
    EXPECT_EQ(p, c.expected);
    EXPECT_EQ(s.Position(), s.Size());
  }
}

TEST(StreamRoutinesTest, ReadOldActParamConverts) {
  const QByteArray block = Hex("0800 0000"                           // 0 ExeType
                               "01000000 02000000 03000000 04000000" // 4 MoveRect
                               "05000000 06000000"                   // 20 MovePos
                               "07000000 08000000 09000000"          // 28 RandPos, 36 mode
                               "000000000000F03F 0000000000000040"   // 40 Angle, 48 RandAngle
                               "FF000000 00FF0000 01000000 32000000" // 56 .. 68
                               "0C000000 11111111");                 // 72 Value, 76 reference
  TActParam expected;
  expected.ExeType = {exMove};
  expected.MovePos = {5, 6};
  expected.Angle = 1;
  expected.Value = 12;
  expected.Text = QStringLiteral("ol");
  const QByteArray text = Hex("02000000 6F6C");
  for (const QByteArray &bytes :
       {Hex("50000000") + block + text, Hex("54000000") + block + Hex("AAAAAAAA") + text}) {
    TMemoryStream s;
    test::Load(s, bytes);
    TActParam p = Junk();
    ReadOldActParam(s, p);
    EXPECT_EQ(p, expected);
    EXPECT_EQ(s.Position(), s.Size());
  }
}

// A negative size used to move the stream backwards; a size beyond the data
// skipped past its end. Both are corrupt records now.
TEST(StreamRoutinesTest, ActParamWithImpossibleSizeIsRefused) {
  const char *const cases[] = {
      "FFFFFFFF 00000000",
      "00000080 00000000",
      "00010000 00000000",
      "38000000 0000",
      "0C000000 00000000 00000000 05000000 6162",
  };
  for (const char *hex : cases) {
    SCOPED_TRACE(hex);
    for (auto read : {&ReadActParam, &ReadOldActParam}) {
      TMemoryStream s;
      test::Load(s, Hex(hex));
      TActParam p = Junk();
      EXPECT_THROW(read(s, p), EReadError);
      EXPECT_EQ(p, Junk());
    }
  }
}

} // namespace
} // namespace lumora
