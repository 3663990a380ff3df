#include "platform/text/CodePage932.h"

#include "platform/system/Exception.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <iconv.h>
#include <thread>

namespace lumora {
namespace {

QByteArray Hex(const char *hex) {
  return QByteArray::fromHex(hex);
}

TEST(CodePage932Test, EncodesAndDecodesTheWindowsTable) {
  struct Case {
    QString text;
    const char *cp932;
  };
  const Case cases[] = {
      {QStringLiteral("－"), "817C"}, // U+FF0D, missing from SHIFT_JIS
      {QStringLiteral("～"), "8160"}, // U+FF5E, missing from SHIFT_JIS
      {QStringLiteral("≒"), "81E0"},  // U+2252, missing from SHIFT_JIS
      {QStringLiteral("①"), "8740"},  // NEC extension
      {QStringLiteral("\\~"), "5C7E"},
      {QString(), ""},
      {QStringLiteral("abc あいう ｶﾅ 漢字。"), "61626320 82A082A282A4 20 B6C5 20 8ABF8E9A 8142"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    EXPECT_EQ(ToCp932(c.text).toHex(), Hex(c.cp932).toHex());
    EXPECT_EQ(FromCp932(Hex(c.cp932)), c.text);
  }
}

TEST(CodePage932Test, UnmappableCharactersBecomeOneQuestionMarkEach) {
  const QString text = QStringLiteral("a") + QString::fromUtf8("\xF0\x9F\x98\x80") + // 😀, a pair
                       QStringLiteral("b한c") + QChar(0xD800) + QStringLiteral("漢");
  EXPECT_EQ(ToCp932(text), QByteArray("a?b?c?") + Hex("8ABF"));
}

TEST(CodePage932Test, InvalidBytesBecomeOneReplacementEachAndDecodingGoesOn) {
  struct Case {
    const char *cp932;
    QString text;
  };
  const QChar bad(0xFFFD);
  const Case cases[] = {
      {"418042", QStringLiteral("A") + bad + QStringLiteral("B")},
      {"8120", QString(bad) + QStringLiteral(" ")}, // a lead byte with a bad trail byte
      {"82A08080", QStringLiteral("あ") + bad + bad},
      {"4181", QStringLiteral("A") + bad}, // lead byte cut off at the end
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.cp932);
    EXPECT_EQ(FromCp932(Hex(c.cp932)), c.text);
  }
}

// What glibc's converter makes of bytes, one U+FFFD for each byte it
// refuses (a lead byte cut off at the end is one such byte).
QString ByConverter(const QByteArray &bytes) {
  iconv_t cd = iconv_open("UTF-16LE", "CP932");
  QString out;
  char *in = const_cast<char *>(bytes.constData());
  size_t left = size_t(bytes.size());
  while (left > 0) {
    char16_t units[8];
    char *dst = reinterpret_cast<char *>(units);
    size_t room = sizeof units;
    const size_t r = iconv(cd, &in, &left, &dst, &room);
    out += QString(reinterpret_cast<const QChar *>(units), qsizetype((sizeof units - room) / 2));
    if (r == size_t(-1) && errno != E2BIG) {
      out += QChar(0xFFFD);
      ++in;
      --left;
    }
  }
  iconv_close(cd);
  return out;
}

TEST(CodePage932Test, EveryByteAndPairDecodesAsTheConverterDoes) {
  // Decoding goes by tables made from the converter: every single byte and
  // every pair with a lead byte, alone and between plain letters, decodes
  // to what the converter itself gives.
  for (int lead = 0x80; lead < 0x100; ++lead) {
    const QByteArray one(1, char(lead));
    ASSERT_EQ(FromCp932(one), ByConverter(one)) << std::hex << lead;
    for (int trail = 0; trail < 0x100; ++trail) {
      const QByteArray pair = one + char(trail);
      ASSERT_EQ(FromCp932(pair), ByConverter(pair)) << std::hex << lead << " " << trail;
      const QByteArray framed = "a" + pair + "b";
      ASSERT_EQ(FromCp932(framed), ByConverter(framed)) << std::hex << lead << " " << trail;
    }
  }
}

iconv_t FailingOpen(const char *, const char *) {
  errno = EMFILE;
  return iconv_t(-1);
}

// Puts the real opener back even when an assertion ends the test early.
class ScopedFailingOpen {
public:
  ScopedFailingOpen() : real_(detail::SetIconvOpenFunction(&FailingOpen)) {}
  ~ScopedFailingOpen() { Restore(); }
  void Restore() {
    if (real_) detail::SetIconvOpenFunction(real_);
    real_ = nullptr;
  }

private:
  detail::IconvOpenFunction real_;
};

TEST(CodePage932Test, AFailedSetUpRaisesAndTheNextConversionSetsUpAgain) {
  // A new thread, so that its descriptors are not yet open.
  std::thread worker([] {
    ScopedFailingOpen failing;
    for (int attempt = 0; attempt < 2; ++attempt) {
      SCOPED_TRACE(attempt);
      try {
        ToCp932(QStringLiteral("漢字"));
        ADD_FAILURE() << "encoding did not raise";
      } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("文字コードの変換を準備できません。"));
      }
      EXPECT_THROW(FromCp932(Hex("8ABF8E9A")), Exception);
    }
    failing.Restore();
    try {
      EXPECT_EQ(ToCp932(QStringLiteral("漢字")).toHex(), QByteArray("8abf8e9a"));
      EXPECT_EQ(FromCp932(Hex("8ABF8E9A")), QStringLiteral("漢字"));
    } catch (const Exception &e) {
      ADD_FAILURE() << "conversion after the set-up failed once: " << e.what();
    }
  });
  worker.join();
}

} // namespace
} // namespace lumora
