// The shared routines: colour brightness and luminance, the gradient on a
// bitmap, tokens, file extensions and lists, the openable-file check, the
// data root with its one warning, and the conversion of command arguments.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

#include "core/model/CoreContext.h"
#include "core/support/RectOps.h"
#include "core/system/SysContext.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Bitmap.h"
#include "platform/system/Exception.h"
#include "platform/ui/MessageBox.h"

namespace lumora {
namespace {

TColor Gray(int v) {
  return RGB(v, v, v);
}

TEST(UtilitiesTest, ChangeColorBrightnessValues) {
  struct Case {
    TColor color;
    double rate;
    TColor expected;
  };
  const Case cases[] = {
      // Grey moves a third of the way per step and stops within half a unit
      // of the target: 128 + 0.5 * 127 = 191.5, reached as 191.01.
      {Gray(128), 0.5, Gray(191)},
      // 200 - 0.5 * 200 = 100, reached as 100.34.
      {Gray(200), -0.5, Gray(100)},
      {RGB(10, 20, 30), 0, RGB(10, 20, 30)},
      {clNone, 0, clNone},
      {RGB(10, 200, 30), 1, clWhite},
      {RGB(10, 200, 30), -1, clBlack},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << k.color << " rate " << k.rate);
    EXPECT_EQ(ChangeColorBrightness(k.color, k.rate), k.expected);
  }
}

TEST(UtilitiesTest, ChangeColorBrightnessReachesItsTargetForEveryColour) {
  // Over saturated, dark and light colours the steps end in range: lighter
  // colours stop once they are within half a unit below the target (a last
  // step may overshoot where channels are capped), darker ones within half a
  // unit either side; truncation takes up to one unit more.
  const int levels[] = {0, 1, 60, 128, 200, 255};
  const double rates[] = {-0.9, -0.5, -0.1, 0.1, 0.5, 0.9};
  for (int r : levels)
    for (int g : levels)
      for (int b : levels)
        for (double rate : rates) {
          const auto ch = [](int c) { return c == 0 ? 1.4 : double(c); };
          const double l = 0.299 * ch(r) + 0.587 * ch(g) + 0.114 * ch(b);
          const double target = rate > 0 ? l + rate * (255 - l) : l + rate * l;
          const TColor c = ChangeColorBrightness(RGB(r, g, b), rate);
          const double got = 0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c);
          SCOPED_TRACE(testing::Message() << r << "," << g << "," << b << " rate " << rate);
          ASSERT_EQ(c & ~0xFFFFFF, 0);
          if (rate > 0)
            ASSERT_GE(got, std::min(target, 254.0) - 1.5);
          else
            ASSERT_NEAR(got, target, 1.5);
        }
}

TEST(UtilitiesTest, ScaleColorLuminance) {
  // Luminance 100/256; the factor 1.28 gives 128.
  EXPECT_EQ(ScaleColorLuminance(Gray(100), 0.5), Gray(128));
  // L = 124.2/256; factor 2.0612: 412 capped, 206.1, 103.06.
  EXPECT_EQ(ScaleColorLuminance(RGB(200, 100, 50), 1.0), RGB(255, 206, 103));
  EXPECT_EQ(ScaleColorLuminance(clBlack, 0.7), clBlack);
}

TEST(UtilitiesTest, PenAndBrushWithNoColour) {
  TPen pen;
  SetPenLine(pen, clNone);
  EXPECT_EQ(pen.Style(), psClear);
  SetPenLine(pen, clRed);
  EXPECT_EQ(pen.Style(), psSolid);
  EXPECT_EQ(pen.Color(), clRed);
  TBrush brush;
  SetBrushFill(brush, clNone);
  EXPECT_EQ(brush.Style(), bsClear);
  SetBrushFill(brush, clBlue);
  EXPECT_EQ(brush.Style(), bsSolid);
  EXPECT_EQ(brush.Color(), clBlue);
}

TEST(UtilitiesTest, GradientOnePixelHighDrawsOneLineInColourB) {
  TBitmap bmp(10, 4);
  FillVerticalGradient(bmp.Canvas(), Rect(2, 1, 8, 2), clRed, clBlue);
  EXPECT_EQ(bmp.Pixel(2, 1), clBlue);
  EXPECT_EQ(bmp.Pixel(7, 1), clBlue);
  EXPECT_EQ(bmp.Pixel(8, 1), clWhite); // the right edge is exclusive
  EXPECT_EQ(bmp.Pixel(1, 1), clWhite);
  EXPECT_EQ(bmp.Pixel(4, 0), clWhite);
  EXPECT_EQ(bmp.Pixel(4, 2), clWhite);
}

TEST(UtilitiesTest, GradientRunsFromBAtTheTopToAAtTheBottom) {
  TBitmap bmp(6, 8);
  TCanvas &c = bmp.Canvas();
  c.Pen().SetColor(clLime);
  c.Pen().SetWidth(3);
  FillVerticalGradient(c, Rect(0, 1, 6, 6), RGB(200, 0, 40), RGB(0, 100, 40));
  EXPECT_EQ(bmp.Pixel(0, 0), clWhite);
  EXPECT_EQ(bmp.Pixel(3, 1), RGB(0, 100, 40));
  // Row 2 of 5: B + Trunc(2 * (A - B) / 4) per channel.
  EXPECT_EQ(bmp.Pixel(3, 3), RGB(100, 50, 40));
  EXPECT_EQ(bmp.Pixel(5, 5), RGB(200, 0, 40));
  EXPECT_EQ(bmp.Pixel(3, 6), clWhite);
  EXPECT_EQ(c.Pen().Color(), clLime);
  EXPECT_EQ(c.Pen().Width(), 3);
}

TEST(UtilitiesTest, CutFirstToken) {
  struct Case {
    const char *delims, *text, *token, *rest;
  };
  const Case cases[] = {
      {",;", "  a , b;c ", "a", "b;c"},
      {",;", "b;c", "b", "c"},
      {",", "abc", "abc", ""},
      {",", ", x", "", "x"},
      {",", "", "", ""},
      // Only blanks and control characters are trimmed, not U+3000.
      {",", "\t\xe3\x80\x80x ,y", "\xe3\x80\x80x", "y"},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.text);
    QString text = QString::fromUtf8(k.text), token;
    CutFirstToken(QString::fromUtf8(k.delims), text, token);
    EXPECT_EQ(token, QString::fromUtf8(k.token));
    EXPECT_EQ(text, QString::fromUtf8(k.rest));
  }
  QString text = QStringLiteral(" x :: y :: z"), token;
  CutFirstTokenStr(QStringLiteral("::"), text, token);
  EXPECT_EQ(token, QStringLiteral("x"));
  EXPECT_EQ(text, QStringLiteral("y :: z"));
  CutFirstTokenStr(QStringLiteral("::"), text, token);
  CutFirstTokenStr(QStringLiteral("::"), text, token);
  EXPECT_EQ(token, QStringLiteral("z"));
  EXPECT_EQ(text, QString());
}

TEST(UtilitiesTest, SplitTokensStopsWhenTheTextOrTheSlotsRunOut) {
  struct Case {
    const char *text;
    int count;
    const char *first, *second;
  };
  const Case cases[] = {
      {"3:4", 2, "3", "4"}, {"12", 1, "12", ""}, {"a:b:c", 2, "a", "b"},
      {"", 0, "", ""},      {"3:", 1, "3", ""},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.text);
    std::array<QString, 2> tokens;
    EXPECT_EQ(SplitTokens(QStringLiteral(":"), QString::fromUtf8(k.text), tokens), k.count);
    EXPECT_EQ(tokens[0], QString::fromUtf8(k.first));
    EXPECT_EQ(tokens[1], QString::fromUtf8(k.second));
  }
}

TEST(UtilitiesTest, HasFileExt) {
  const QStringList exts = {QString(), QStringLiteral(".WAV"), QStringLiteral(".mp3")};
  struct Case {
    const char *name;
    bool has;
  };
  const Case cases[] = {
      {"bell.wav", true},       {"C:\\Sounds\\BELL.Wav", true},
      {"song.MP3", true},       {"bell", false},
      {"bell.wav.txt", false},  {"dir.wav/file", false},
      {"dir.wav\\file", false}, {"", false},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(HasFileExt(QString::fromUtf8(k.name), exts), k.has);
  }
  EXPECT_FALSE(HasFileExt(QStringLiteral("noext"), {QString()}));
}

TEST(UtilitiesTest, ListFilesByExtAppendsMatchingEntries) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const char *name : {"b.WAV", "a.wav", "c.txt", ".hidden.wav"}) {
    QFile f(dir.filePath(QString::fromUtf8(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub.wav")));
  QStringList list = {QStringLiteral("kept")};
  EXPECT_EQ(ListFilesByExt(list, dir.path(), {QStringLiteral(".wav")}), 5);
  const QString p = dir.path() + u'/';
  EXPECT_EQ(list, QStringList({QStringLiteral("kept"), p + ".hidden.wav", p + "a.wav", p + "b.WAV",
                               p + "sub.wav"}));
  EXPECT_EQ(ListFilesByExt(list, dir.path() + QStringLiteral("/missing"), {".wav"}), 5);
}

TEST(UtilitiesTest, CheckOpenableFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString book = dir.filePath(QStringLiteral("book.LMM3"));
  const QString text = dir.filePath(QStringLiteral("note.txt"));
  const QString movie = dir.filePath(QStringLiteral("clip.wmv"));
  for (const QString &name : {book, text, movie}) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QStringList exts = {QStringLiteral(".wmv")};
  EXPECT_TRUE(CheckOpenableFile(book, exts));
  EXPECT_TRUE(CheckOpenableFile(movie, exts));
  const QString missing = dir.filePath(QStringLiteral("gone.wmv"));
  try {
    CheckOpenableFile(missing, exts);
    FAIL() << "a missing file was accepted";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("ファイルがありません：") + missing);
  }
  try {
    CheckOpenableFile(text, exts);
    FAIL() << "a .txt file was accepted";
  } catch (const Exception &e) {
    EXPECT_EQ(e.Message(), QStringLiteral("note.txt は開けません。"));
  }
  EXPECT_THROW(CheckOpenableFile(dir.path(), {QString()}), Exception); // a folder
}

// Sets LUMORA_DATA for one test and puts back what was there.
class DataRootTest : public testing::Test {
protected:
  void SetUp() override {
    saved_ = qgetenv("LUMORA_DATA");
    had_ = qEnvironmentVariableIsSet("LUMORA_DATA");
    // The reported flag is kept in the system state, fresh for each case.
    TCoreContext::Start();
    TSysContext::Start({});
    auto box = std::make_unique<TStderrMessageBox>();
    box_ = box.get();
    SetMessageBox(std::move(box));
  }
  void TearDown() override {
    if (had_)
      qputenv("LUMORA_DATA", saved_);
    else
      qunsetenv("LUMORA_DATA");
    SetMessageBox(nullptr);
    TCoreContext::Reset();
  }
  QTemporaryDir dir_;
  TStderrMessageBox *box_ = nullptr;
  QByteArray saved_;
  bool had_ = false;
};

TEST_F(DataRootTest, TheEnvironmentNamesTheRootWithOneTrailingSlash) {
  qputenv("LUMORA_DATA", (dir_.path() + QStringLiteral("//")).toUtf8());
  EXPECT_EQ(DataRoot(), dir_.path() + u'/');
  qputenv("LUMORA_DATA", dir_.path().toUtf8());
  EXPECT_EQ(GetCommonDocumentsFolder(QStringLiteral("/Lumora算数")), dir_.path() + u'/');
  // An existing root named by the user is not warned about.
  EXPECT_TRUE(box_->Shown().isEmpty());
  EXPECT_TRUE(CommonDocumentsWarned());
  qunsetenv("LUMORA_DATA");
  EXPECT_TRUE(DataRoot().endsWith(u'/'));
  EXPECT_FALSE(DataRoot().endsWith(QStringLiteral("//")));
}

TEST_F(DataRootTest, AMissingDataFolderIsWarnedAboutOnce) {
  const QString root = dir_.path() + QStringLiteral("/nowhere");
  qputenv("LUMORA_DATA", root.toUtf8());
  EXPECT_EQ(GetCommonDocumentsFolder(QStringLiteral("\\Lumora算数")), root + u'/');
  GetCommonDocumentsFolder(QStringLiteral("/Lumora算数"));
  ASSERT_EQ(box_->Shown().size(), 1);
  EXPECT_EQ(box_->Shown()[0], QStringLiteral("共有フォルダー\"") + root +
                                  QStringLiteral("/Lumora算数\"が見つかりません。"));
}

TEST(UtilitiesTest, VarRecConversionsFollowTheArgumentKind) {
  struct Case {
    const char *what;
    QVariant arg;
    int32_t i;
    QString s;
    double f;
  };
  const Case cases[] = {
      {"integer", 12, 12, "12", 12},
      {"negative integer", -7, -7, "-7", -7},
      {"float", 2.5, 2, "2.5", 2.5},
      {"float half to even", 3.5, 4, "3.5", 3.5},
      {"float negative half", -2.5, -2, "-2.5", -2.5},
      {"unicode string", QStringLiteral("12"), 0, "12", 0},
      {"ansi string", QByteArray("12"), 12, "12", 12},
      {"ansi hex", QByteArray("$1F"), 31, "$1F", 0},
      {"ansi real", QByteArray("1.5"), 0, "1.5", 1.5},
      {"ansi not a number", QByteArray("abc"), 0, "abc", 0},
      {"ansi code page 932", QByteArray("\x82\x50"), 0, "１", 0},
      {"wide char", QVariant::fromValue(QChar(u'7')), 0, "7", 0},
      {"variant text", VariantArg(QStringLiteral("12")), 12, "12", 12},
      {"variant text real", VariantArg(QStringLiteral("12.5")), 12, "12.5", 12.5},
      {"variant text real up", VariantArg(QStringLiteral("13.5")), 14, "13.5", 13.5},
      {"variant text not a number", VariantArg(QStringLiteral("x")), 0, "x", 0},
      {"variant integer", VariantArg(7), 7, "7", 7},
      {"variant real", VariantArg(0.5), 0, "0.5", 0.5},
      {"empty variant", VariantArg(QVariant()), 0, "", 0},
      {"invalid argument", QVariant(), 0, "", 0},
      {"64-bit", QVariant::fromValue(qint64(0x100000005)), 5, "4294967301", 4294967301.0},
      {"64-bit negative", QVariant::fromValue(qint64(-3)), -3, "-3", -3},
      {"boolean", true, 0, "", 0},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(VarRecToInt(k.arg), k.i);
    EXPECT_EQ(VarRecToStr(k.arg), k.s);
    EXPECT_DOUBLE_EQ(VarRecToFloat(k.arg), k.f);
  }
}

TEST(UtilitiesTest, VariantToIntDefAndOrAll) {
  struct Case {
    QVariant value;
    int32_t def, intDef, orAll;
  };
  const Case cases[] = {
      {QStringLiteral("*"), 9, 9, -1},
      {QString(), 9, 9, 9},
      {QVariant(), 9, 9, 9},
      {QStringLiteral("12"), 9, 12, 12},
      {QStringLiteral("x"), 9, 9, 9},
      {7, 9, 7, 7},
      {3.5, 9, 4, 9},
      {QStringLiteral("12.5"), 9, 12, 9},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(VariantToStr(k.value).toStdString());
    EXPECT_EQ(VariantToIntDef(k.value, k.def), k.intDef);
    EXPECT_EQ(VariantToIntOrAll(k.value, k.def), k.orAll);
  }
}

TEST(UtilitiesTest, StrToIntDefAndFloatToStr) {
  struct IntCase {
    const char *text;
    int32_t value;
  };
  const IntCase ints[] = {
      {"42", 42},        {" -5", -5}, {"+5", 5}, {"$FF", 255},       {"0x10", 16},
      {"$FFFFFFFF", -1}, {"5 ", 99},  {"", 99},  {"2147483648", 99}, {"-2147483648", INT32_MIN},
      {"1.5", 99},       {"$", 99},
  };
  for (const IntCase &k : ints) {
    SCOPED_TRACE(k.text);
    EXPECT_EQ(StrToIntDef(QString::fromUtf8(k.text), 99), k.value);
  }
  struct FloatCase {
    double value;
    const char *text;
  };
  const FloatCase floats[] = {
      {1.5, "1.5"},         {-2.5, "-2.5"},
      {0.1, "0.1"},         {0, "0"},
      {1e20, "1E20"},       {1.5e20, "1.5E20"},
      {0.00001, "0.00001"}, {0.000001, "1E-6"},
      {1e15, "1E15"},       {123456789012345.0, "123456789012345"},
  };
  for (const FloatCase &k : floats)
    EXPECT_EQ(FloatToStr(k.value), QString::fromUtf8(k.text));
}

TEST(UtilitiesTest, NormalizeRectAndWorkArea) {
  EXPECT_EQ(NormalizeRect(Rect(10, 20, 1, 2)), Rect(1, 2, 10, 20));
  EXPECT_EQ(NormalizeRect(Rect(1, 20, 10, 2)), Rect(1, 2, 10, 20));
  EXPECT_EQ(NormalizeRect(Rect(1, 2, 10, 20)), Rect(1, 2, 10, 20));
  EXPECT_FALSE(GetWorkArea().IsEmpty());
}

} // namespace
} // namespace lumora

// Regression: bounds of an object moved to the end of the Integer range
// overflowed when they were grown for the line width.
TEST(RectOpsTest, InflateRectStaysInsideTheIntegerRange) {
  EXPECT_EQ(lumora::InflateRect({0, 0, 10, 10}, 2, 1), (lumora::TRect{-2, -2, 13, 13}));
  EXPECT_EQ(lumora::InflateRect({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 3, 1),
            (lumora::TRect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}));
}
