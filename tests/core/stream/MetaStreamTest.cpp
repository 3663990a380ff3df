#include "core/stream/MetaStream.h"

#include "core/fonts/MetaFont.h"
#include "platform/graphics/Font.h"
#include "platform/system/Exception.h"
#include "platform/text/CodePage932.h"
#include "tests/core/stream/StreamFixture.h"

#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

namespace lumora {
namespace {

using test::Hex;
using test::HexOf;

TEST(MetaStreamTest, StringFormsHaveTheirStoredBytesAndReadBackAlike) {
  struct Case {
    QString text;
    bool byteForm;
    const char *hex;
  };
  const Case cases[] = {
      {QString(), false, "00000000"},
      {QString(), true, "00000000"},
      {QStringLiteral("abc"), false, "03000000 616263"},
      {QStringLiteral("abc"), true, "04000000 616263 00"},
      {QStringLiteral("四角形"), false, "06000000 8E6C8A708C60"},
      {QStringLiteral("四角形"), true, "07000000 8E6C8A708C60 00"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.hex);
    TMetaStream s;
    const int written = c.byteForm ? s.WriteBuffer(ToCp932(c.text)) : s.WriteBuffer(c.text);
    EXPECT_EQ(HexOf(s), HexOf(Hex(c.hex)));
    EXPECT_EQ(written, s.Size());
    // Either reader takes either form.
    s.SetPosition(0);
    QString text;
    EXPECT_EQ(s.ReadBuffer(text), s.Size() - 4);
    EXPECT_EQ(text, c.text);
    s.SetPosition(0);
    QByteArray bytes;
    s.ReadBuffer(bytes);
    EXPECT_EQ(bytes, ToCp932(c.text));
    EXPECT_EQ(s.Position(), s.Size());
  }
}

TEST(MetaStreamTest, StringCountOfZeroOrLessKeepsTheDestination) {
  for (const char *hex : {"00000000", "FFFFFFFF", "00000080"}) {
    SCOPED_TRACE(hex);
    TMetaStream s;
    test::Load(s, Hex(hex));
    QString text = QStringLiteral("keep");
    QByteArray bytes = "keep";
    EXPECT_LE(s.ReadBuffer(text), 0);
    EXPECT_EQ(s.Position(), 4);
    s.SetPosition(0);
    EXPECT_LE(s.ReadBuffer(bytes), 0);
    EXPECT_EQ(text, u"keep");
    EXPECT_EQ(bytes, "keep");
  }
}

TEST(MetaStreamTest, OnlyOneTrailingNulIsDropped) {
  TMetaStream s;
  test::Load(s, Hex("05000000 616263 0000"));
  QString text;
  EXPECT_EQ(s.ReadBuffer(text), 5);
  EXPECT_EQ(text, QStringLiteral("abc") + QChar(0));
}

TEST(MetaStreamTest, NumbersHaveTheirStoredBytes) {
  TMetaStream s;
  EXPECT_EQ(s.WriteBuffer(true), 1);
  EXPECT_EQ(s.WriteBuffer(uint16_t(0x1234)), 2);
  EXPECT_EQ(s.WriteBuffer(int32_t(-2)), 4);
  EXPECT_EQ(s.WriteBuffer(uint32_t(0xDEADBEEF)), 4);
  EXPECT_EQ(s.WriteBuffer(int64_t(0x0102030405060708)), 8);
  EXPECT_EQ(s.WriteBuffer(1.5f), 4);
  EXPECT_EQ(s.WriteBuffer(1.0), 8);
  s.WriteVersion(3.2f);
  EXPECT_EQ(HexOf(s), HexOf(Hex("01 3412 FEFFFFFF EFBEADDE 0807060504030201 0000C03F "
                                "000000000000F03F CDCC4C40")));

  s.SetPosition(0);
  bool b = false;
  uint16_t w = 0;
  int32_t i = 0;
  uint32_t c = 0;
  int64_t l = 0;
  float f = 0;
  double d = 0;
  float v = 0;
  s.ReadBuffer(b), s.ReadBuffer(w), s.ReadBuffer(i), s.ReadBuffer(c), s.ReadBuffer(l);
  s.ReadBuffer(f), s.ReadBuffer(d);
  EXPECT_EQ(s.ReadVersion(v), 3.2f);
  EXPECT_TRUE(b);
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(i, -2);
  EXPECT_EQ(c, 0xDEADBEEF);
  EXPECT_EQ(l, 0x0102030405060708);
  EXPECT_EQ(f, 1.5f);
  EXPECT_EQ(d, 1.0);
  EXPECT_EQ(v, 3.2f);

  // Any byte but 0 reads as true.
  test::Load(s, Hex("02"));
  b = false;
  s.ReadBuffer(b);
  EXPECT_TRUE(b);
}

// Distinctive values in every field of the 48-byte block.
TObjParam SampleParam() {
  TObjParam p;
  p.ObjName = QStringLiteral("四角形");
  p.Layer = 0x0A;
  p.Priority = 0x01020304;
  p.Rocking = true;
  p.ActType = {atShow, awNoSave};
  p.Width = 3;
  p.Grabs = 8;
  p.LineColor = 0x00112233;
  p.FaceColor = clNone;
  p.Transparency = 50;
  p.Coating = true;
  p.Text = QStringLiteral("ab");
  p.SetObjValue(-5);
  p.SetTransform({tfLineSym, tfUpend});
  return p;
}

const char *const kSampleParamHex = "07000000 8E6C8A708C60 00" // kind name, byte string
                                    "30000000"                 // 48
                                    "00000000"                 // 0 name reference
                                    "0A 000000"                // 4 Layer, padding
                                    "04030201"                 // 8 Priority
                                    "01"                       // 12 Rocking
                                    "02000080"                 // 13 ActType
                                    "03 0000"                  // 17 Width, padding
                                    "08000000"                 // 20 Grabs
                                    "33221100"                 // 24 LineColor
                                    "FFFFFF1F"                 // 28 FaceColor
                                    "32 01 0000"               // 32 Transparency, Coating
                                    "00000000"                 // 36 text reference
                                    "FBFFFFFF"                 // 40 ObjValue
                                    "06 000000"                // 44 Transform
                                    "02000000 6162";           // Text

TEST(MetaStreamTest, ObjParamBlockHasItsExactBytes) {
  const TObjParam p = SampleParam();
  EXPECT_EQ(p.Value1(), -5);
  EXPECT_EQ(p.Value2(), 6);
  EXPECT_EQ(p.Word(2), 6);
  EXPECT_EQ(p.Byte(0), 0xFB);

  TMetaStream s;
  const int written = s.WriteBuffer(p);
  EXPECT_EQ(written, s.Size());
  EXPECT_EQ(HexOf(s), HexOf(Hex(kSampleParamHex)));

  // Reading replaces every field.
  TObjParam read;
  read.ObjName = QStringLiteral("old");
  read.Text = QStringLiteral("old text");
  read.SetValue64(-1);
  read.Layer = 99;
  s.SetPosition(0);
  EXPECT_EQ(s.ReadBuffer(read), s.Size());
  EXPECT_EQ(read, p);

  // An empty text in the stream leaves the record's text empty, not stale.
  TObjParam noText = p;
  noText.Text.clear();
  TMetaStream t;
  t.WriteBuffer(noText);
  t.SetPosition(0);
  t.ReadBuffer(read);
  EXPECT_EQ(read, noText);
}

// The old 64-byte layout with distinctive values, then a font record and the
// text. Layer, Width and Transparency are Integers there.
const char *const kParam15Hex = "04000000 52656374" // kind name "Rect", text string
                                "40000000"          // 64
                                "00000000"          // 0 name reference
                                "0B010000"          // 4 Layer 0x10B
                                "07000000"          // 8 Priority
                                "01"                // 12 Rocking
                                "06000000"          // 13 ActType
                                "000000"            // padding
                                "02010000"          // 20 Width 0x102
                                "04000000"          // 24 Grabs
                                "FF000000"          // 28 LineColor
                                "00FF0000"          // 32 FaceColor
                                "64000000"          // 36 Transparency
                                "01 02 0000"        // 40 Coating, 41 Transform
                                "2A000000"          // 44 ObjValue
                                "99999999"          // 48 text reference, unused
                                "05000000"          // 52 CaseNo
                                "12345678"          // 56 font reference, unused
                                "01 000000"         // 60 Vertical
                                "05000000 466F6E7400 03000000 4D5300 0C000000 FF000000 01"
                                "03000000 6F6C64"; // Text "old"

TEST(MetaStreamTest, OldParamLayoutIsReadByBothReaders) {
  TObjParam expected;
  expected.ObjName = QStringLiteral("Rect");
  expected.Layer = 0x0B;
  expected.Priority = 7;
  expected.Rocking = true;
  expected.ActType = {atShow, atAction};
  expected.Width = 2;
  expected.Grabs = 4;
  expected.LineColor = clRed;
  expected.FaceColor = clLime;
  expected.Transparency = 100;
  expected.Coating = true;
  expected.SetObjValue(42);
  expected.SetTransform({tfLineSym});
  expected.SetWord(3, 0xABCD); // not in the old layout: kept

  const QByteArray bytes = Hex(kParam15Hex);
  for (bool viaParam15 : {true, false}) {
    SCOPED_TRACE(viaParam15);
    TMetaStream s;
    test::Load(s, bytes);
    TObjParam read;
    read.SetWord(3, 0xABCD);
    EXPECT_EQ(viaParam15 ? s.ReadParam15(read) : s.ReadBuffer(read), bytes.size());
    EXPECT_EQ(s.Position(), bytes.size());
    EXPECT_EQ(read.Text, u"old");
    read.Text.clear();
    EXPECT_EQ(read, expected);
  }
}

TEST(MetaStreamTest, OldParamBlockOfOtherSizesSkipsOrZeroFills) {
  struct Case {
    QByteArray hex;
    int32_t priority;
  };
  const Case cases[] = {
      // 68 bytes: the 4 beyond the record are skipped; no font, empty text.
      {"00000000 44000000 00000000 00000000 09000000" + QByteArray(52 * 2, '0') +
           "AAAAAAAA 00000000 00000000",
       9},
      // 12 bytes: the rest of the record reads as zero.
      {"00000000 0C000000 00000000 00000000 08000000 00000000 00000000", 8},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.hex.toStdString());
    TMetaStream s;
    test::Load(s, QByteArray::fromHex(c.hex));
    TObjParam read;
    read.Grabs = 5;
    s.ReadParam15(read);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(read.Priority, c.priority);
    EXPECT_EQ(read.Grabs, 0);
  }
}

TEST(MetaStreamTest, PointArrays) {
  TMetaStream s;
  EXPECT_EQ(s.WriteBuffer(std::vector<TRealPoint>{{1.5, -2.0}}), 20);
  EXPECT_EQ(HexOf(s), HexOf(Hex("10000000 000000000000F83F 00000000000000C0")));

  struct Case {
    const char *hex;
    size_t points;
  };
  const Case cases[] = {
      {"10000000 000000000000F83F 00000000000000C0", 1},
      {"00000000", 0},
      {"08000000 0102030405060708", 0}, // below 16: no point, the bytes are skipped
      {"14000000 000000000000F83F 00000000000000C0 AABBCCDD", 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.hex);
    test::Load(s, Hex(c.hex));
    std::vector<TRealPoint> points(5);
    EXPECT_EQ(s.ReadBuffer(points), s.Size());
    EXPECT_EQ(s.Position(), s.Size());
    ASSERT_EQ(points.size(), c.points);
    if (c.points) {
      EXPECT_EQ(points[0], (TRealPoint{1.5, -2.0}));
    }
  }
}

TEST(MetaStreamTest, GrabFormsAndLineTypes) {
  TMetaStream s;
  const TGrabForm form{TGrabType::gfRect, TGrabType::gfCenter, TGrabType::gfNon};
  EXPECT_EQ(s.WriteBuffer(form), 7);
  const TLineType line{2, 0x123456, TLStyle::lsDash};
  EXPECT_EQ(s.WriteBuffer(line), 12);
  EXPECT_EQ(HexOf(s), HexOf(Hex("03000000 010700  02000000 56341200 03 000000")));

  s.SetPosition(0);
  TGrabForm readForm{TGrabType::gfOwn};
  TLineType readLine;
  EXPECT_EQ(s.ReadBuffer(readForm), 7);
  EXPECT_EQ(s.ReadBuffer(readLine), 12);
  EXPECT_EQ(readForm, form);
  EXPECT_EQ(readLine, line);

  // Forms and styles this program does not know are read as the last
  // known ones instead of refusing the object that holds them.
  TMetaStream unknown;
  test::Load(unknown, Hex("03000000 0108FF  01000000 00000000 40 000000"));
  EXPECT_EQ(unknown.ReadBuffer(readForm), 7);
  EXPECT_EQ(readForm, (TGrabForm{TGrabType::gfRect, TGrabType::gfCenter, TGrabType::gfCenter}));
  EXPECT_EQ(unknown.ReadBuffer(readLine), 12);
  EXPECT_EQ(readLine.Style, TLStyle::lsDouble2);
}

TEST(MetaStreamTest, FontRecords) {
  TFont font;
  font.SetName(QStringLiteral("ＭＳ 明朝"));
  font.SetSize(12);
  font.SetColor(clRed);
  font.SetStyle(fsBold | fsItalic);
  TMetaStream s;
  EXPECT_EQ(s.WriteBuffer(font), 32);
  const char *const fontHex = "05000000 466F6E7400 0A000000 826C8272 20 96BE92A9 00 "
                              "0C000000 FF000000 03";
  EXPECT_EQ(HexOf(s), HexOf(Hex(fontHex)));

  s.SetPosition(0);
  TFont read;
  EXPECT_EQ(s.ReadBuffer(read), 9); // the tag's size, whatever follows
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(read.Name(), font.Name());
  EXPECT_EQ(read.Size(), 12);
  EXPECT_EQ(read.Color(), clRed);
  EXPECT_EQ(read.Style(), fsBold | fsItalic);

  // The font of page objects is made when a record is there.
  s.SetPosition(0);
  std::unique_ptr<TMetaFont> meta;
  EXPECT_EQ(s.ReadBuffer(meta), 9);
  ASSERT_TRUE(meta);
  TFont spec;
  meta->FontSpec(spec);
  EXPECT_EQ(spec.Name(), font.Name());
  EXPECT_EQ(spec.Size(), 12);
  TMetaStream again;
  again.WriteBuffer(meta.get());
  EXPECT_EQ(HexOf(again), HexOf(s));

  TMetaStream none;
  EXPECT_EQ(none.WriteBuffer(static_cast<const TMetaFont *>(nullptr)), 4);
  EXPECT_EQ(HexOf(none), HexOf(Hex("00000000")));
}

TEST(MetaStreamTest, FontRecordsWithoutAFontLeaveTheTargetAlone) {
  struct Case {
    const char *hex;
    int result;
    int64_t position;
  };
  const Case cases[] = {
      {"00000000 0C000000", 4, 4},          // empty tag
      {"04000000 466E7400 0C000000", 8, 0}, // another tag: put back
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.hex);
    TMetaStream s;
    test::Load(s, Hex(c.hex));
    TFont font;
    EXPECT_EQ(s.ReadBuffer(font), c.result);
    EXPECT_EQ(s.Position(), c.position);
    EXPECT_EQ(font, TFont());
    s.SetPosition(0);
    std::unique_ptr<TMetaFont> meta;
    EXPECT_EQ(s.ReadBuffer(meta), c.result);
    EXPECT_FALSE(meta);
  }
}

TEST(MetaStreamTest, FontRecordsWithoutFaceOrSizeAreRefused) {
  struct Case {
    const char *hex;
    const char *message;
  };
  const Case cases[] = {
      {"05000000 466F6E7400 00000000 0C000000 00000000 00", "Illegal Font Name"},
      {"05000000 466F6E7400 01000000 00 0C000000 00000000 00", "Illegal Font Name"},
      {"05000000 466F6E7400 03000000 4D5300 00000000 00000000 00", "Illegal Font Size"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.hex);
    TMetaStream s;
    test::Load(s, Hex(c.hex));
    TFont font;
    try {
      s.ReadBuffer(font);
      ADD_FAILURE() << "no exception";
    } catch (const Exception &e) {
      EXPECT_EQ(e.Message(), QString::fromLatin1(c.message));
    }
    EXPECT_EQ(font, TFont());
  }
}

// Every reader, run over a well-formed fixture: every shorter prefix must
// raise the stream's read error, and the destination stays as it was.
TEST(MetaStreamTest, TruncatedDataRaisesTheReadError) {
  struct Case {
    const char *name;
    QByteArray bytes;
    std::function<void(TMetaStream &)> read;
  };
  const Case cases[] = {
      {"int32", Hex("01020304"),
       [](TMetaStream &s) {
         int32_t v;
         s.ReadBuffer(v);
       }},
      {"double", Hex("000000000000F03F"),
       [](TMetaStream &s) {
         double v;
         s.ReadBuffer(v);
       }},
      {"text", Hex("03000000 616263"),
       [](TMetaStream &s) {
         QString v;
         s.ReadBuffer(v);
       }},
      {"bytes", Hex("04000000 61626300"),
       [](TMetaStream &s) {
         QByteArray v;
         s.ReadBuffer(v);
       }},
      {"points", Hex("10000000 000000000000F83F 00000000000000C0"),
       [](TMetaStream &s) {
         std::vector<TRealPoint> v{{7, 7}};
         try {
           s.ReadBuffer(v);
         } catch (...) {
           EXPECT_EQ(v.size(), 1u);
           throw;
         }
       }},
      {"grabs", Hex("02000000 0102"),
       [](TMetaStream &s) {
         TGrabForm v;
         s.ReadBuffer(v);
       }},
      {"line", Hex("02000000 56341200 03 000000"),
       [](TMetaStream &s) {
         TLineType v;
         s.ReadBuffer(v);
       }},
      {"font", Hex("05000000 466F6E7400 03000000 4D5300 0C000000 FF000000 01"),
       [](TMetaStream &s) {
         TFont v;
         s.ReadBuffer(v);
       }},
      {"param", Hex(kSampleParamHex),
       [](TMetaStream &s) {
         TObjParam v;
         try {
           s.ReadBuffer(v);
         } catch (...) {
           EXPECT_EQ(v, TObjParam());
           throw;
         }
       }},
      {"param15", Hex(kParam15Hex),
       [](TMetaStream &s) {
         TObjParam v;
         s.ReadParam15(v);
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    for (qsizetype n = 0; n < c.bytes.size(); ++n) {
      SCOPED_TRACE(n);
      TMetaStream s;
      test::Load(s, c.bytes.left(n));
      EXPECT_THROW(c.read(s), EReadError);
    }
    TMetaStream whole;
    test::Load(whole, c.bytes);
    EXPECT_NO_THROW(c.read(whole));
  }
}

TEST(MetaStreamTest, ImpossibleCountsAndValuesAreRefusedBeforeAllocating) {
  struct Case {
    const char *name;
    const char *hex;
    std::function<void(TMetaStream &)> read;
  };
  const Case cases[] = {
      {"text", "FFFFFF7F 6162",
       [](TMetaStream &s) {
         QString v;
         s.ReadBuffer(v);
       }},
      {"points", "F0FFFF7F 00",
       [](TMetaStream &s) {
         std::vector<TRealPoint> v;
         s.ReadBuffer(v);
       }},
      {"negative points", "F0FFFFFF",
       [](TMetaStream &s) {
         std::vector<TRealPoint> v;
         s.ReadBuffer(v);
       }},
      {"grabs", "FFFFFF7F 01",
       [](TMetaStream &s) {
         TGrabForm v;
         s.ReadBuffer(v);
       }},
      {"negative grabs", "FFFFFFFF",
       [](TMetaStream &s) {
         TGrabForm v;
         s.ReadBuffer(v);
       }},
      {"param15 size", "00000000 FFFFFFFF",
       [](TMetaStream &s) {
         TObjParam v;
         s.ReadBuffer(v);
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    TMetaStream s;
    test::Load(s, Hex(c.hex));
    EXPECT_THROW(c.read(s), EReadError);
  }
}

TEST(MetaStreamTest, TracedStreamWritesToTheTraceStream) {
  TMemoryStream trace;
  SetTraceStream(&trace);
  {
    TMetaStream s(true);
    s.WriteBuffer(int32_t(5));
  }
  SetTraceStream(nullptr);
  const QString text = FromCp932(trace.Bytes());
  EXPECT_TRUE(text.contains(QStringLiteral("--- クリエイト ---")));
  EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("W : \\[\\d+\\]POS=0  VAL=5\r\n"))))
      << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("--- フリー　　 ---")));
}

} // namespace
} // namespace lumora
