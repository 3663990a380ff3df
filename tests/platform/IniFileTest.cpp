#include "platform/system/IniFile.h"

#include "platform/system/Exception.h"
#include "platform/system/SafeSave.h"
#include "platform/text/CodePage932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace lumora {
namespace {

void WriteBytes(const QString &fileName, const QByteArray &bytes) {
  QFile f(fileName);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString &fileName) {
  QFile f(fileName);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

const QString kSettings = QStringLiteral("; 設定\n"
                                         "[ホルダー]\n"
                                         "Temp = .\\LM_Temp \n"
                                         "\n"
                                         "[フォント]\n"
                                         "数字・記号=ms lumora2.0\n"
                                         "garbage line\n"
                                         "[Style]\n"
                                         "Width=800\n"
                                         "Hex=$FF\n"
                                         "Neg=-12\n"
                                         "Big=4294967296\n"
                                         "Flag=2\n"
                                         "Zero=0\n"
                                         "Ratio=1.25\n"
                                         "Empty=\n"
                                         "Word=abc\n");

TEST(IniFileTest, ReadsJapaneseNamesTrimmedValuesAndTypes) {
  TIniFile ini;
  ini.SetText(kSettings);
  EXPECT_EQ(ini.ReadString(QStringLiteral("ホルダー"), QStringLiteral("Temp"), QString()),
            QStringLiteral(".\\LM_Temp"));
  EXPECT_EQ(ini.ReadString(QStringLiteral("フォント"), QStringLiteral("数字・記号"), QString()),
            QStringLiteral("ms lumora2.0"));
  EXPECT_EQ(ini.ReadSections(), QStringList({QStringLiteral("ホルダー"), QStringLiteral("フォント"),
                                             QStringLiteral("Style")}));
  EXPECT_EQ(ini.ReadSection(QStringLiteral("フォント")), QStringList{QStringLiteral("数字・記号")});

  const QString st = QStringLiteral("style"); // ASCII case does not matter
  EXPECT_EQ(ini.ReadInteger(st, QStringLiteral("WIDTH"), 0), 800);
  EXPECT_EQ(ini.ReadInteger(st, QStringLiteral("Hex"), 0), 255);
  EXPECT_EQ(ini.ReadInteger(st, QStringLiteral("Neg"), 0), -12);
  EXPECT_EQ(ini.ReadInteger(st, QStringLiteral("Big"), 7), 7);
  EXPECT_EQ(ini.ReadInteger(st, QStringLiteral("Word"), 7), 7);
  EXPECT_EQ(ini.ReadInteger(st, QStringLiteral("Missing"), 7), 7);
  EXPECT_TRUE(ini.ReadBool(st, QStringLiteral("Flag"), false));
  EXPECT_FALSE(ini.ReadBool(st, QStringLiteral("Zero"), true));
  EXPECT_TRUE(ini.ReadBool(st, QStringLiteral("Word"), true));
  EXPECT_DOUBLE_EQ(ini.ReadFloat(st, QStringLiteral("Ratio"), 0), 1.25);
  EXPECT_DOUBLE_EQ(ini.ReadFloat(st, QStringLiteral("Word"), 2.5), 2.5);
  // A key present with an empty value answers the empty text, not the default.
  EXPECT_EQ(ini.ReadString(st, QStringLiteral("Empty"), QStringLiteral("d")), QString());
  EXPECT_TRUE(ini.ValueExists(st, QStringLiteral("empty")));
  EXPECT_FALSE(ini.ValueExists(st, QStringLiteral("garbage line")));
  EXPECT_TRUE(ini.SectionExists(QStringLiteral("STYLE")));
  EXPECT_FALSE(ini.SectionExists(QStringLiteral("Styl")));
}

TEST(IniFileTest, MatchesOnlyAsciiLettersWithoutCase) {
  TIniFile ini;
  ini.SetText(QStringLiteral("[Ａ]\nｋ=1\n[ä]\nx=2\n"));
  // Full-width and accented letters are matched exactly.
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("Ａ"), QStringLiteral("ｋ"), 0), 1);
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("ａ"), QStringLiteral("ｋ"), 0), 0);
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("Ａ"), QStringLiteral("Ｋ"), 0), 0);
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("Ä"), QStringLiteral("X"), 0), 0);
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("ä"), QStringLiteral("X"), 0), 2);
}

TEST(IniFileTest, FirstOccurrenceAnswersAndDeleteRemovesEvery) {
  TIniFile ini;
  ini.SetText(QStringLiteral("[s]\nk=1\nK=2\n[S]\nk=3\nj=4\n"));
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("s"), QStringLiteral("k"), 0), 1);
  EXPECT_EQ(ini.ReadSection(QStringLiteral("s")),
            QStringList({QStringLiteral("k"), QStringLiteral("j")}));
  EXPECT_EQ(ini.ReadSections(), QStringList{QStringLiteral("s")});
  ini.DeleteKey(QStringLiteral("S"), QStringLiteral("k"));
  EXPECT_FALSE(ini.ValueExists(QStringLiteral("s"), QStringLiteral("k")));
  ini.EraseSection(QStringLiteral("s"));
  EXPECT_FALSE(ini.SectionExists(QStringLiteral("s")));
  EXPECT_TRUE(ini.Modified());
}

TEST(IniFileTest, RewriteKeepsOrderCommentsAndUnchangedLines) {
  TIniFile ini;
  ini.SetText(kSettings);
  ini.WriteString(QStringLiteral("フォント"), QStringLiteral("数字・記号"), QStringLiteral("Noto"));
  ini.WriteInteger(QStringLiteral("ホルダー"), QStringLiteral("New"), 5);
  ini.WriteString(QStringLiteral("ホルダー"), QStringLiteral("temp"), QStringLiteral(".\\LM_Temp"));
  ini.WriteBool(QStringLiteral("新しい"), QStringLiteral("旗"), true);
  ini.WriteFloat(QStringLiteral("新しい"), QStringLiteral("率"), 0.1);
  ini.WriteString(QStringLiteral("新しい"), QStringLiteral("行"), QStringLiteral("a\nb"));
  ini.EraseSection(QStringLiteral("Style"));
  EXPECT_EQ(ini.Text().toStdString(),
            QStringLiteral("; 設定\n"
                           "[ホルダー]\n"
                           "Temp = .\\LM_Temp \n" // same value: the line stays
                           "New=5\n"
                           "\n"
                           "[フォント]\n"
                           "数字・記号=Noto\n"
                           "garbage line\n"
                           "\n"
                           "[新しい]\n"
                           "旗=1\n"
                           "率=0.1\n"
                           "行=a b\n")
                .toStdString());
}

TEST(IniFileTest, RefusesNamesThatCannotBeWritten) {
  TIniFile ini;
  const QString bad[][2] = {{QStringLiteral("a]b"), QStringLiteral("k")},
                            {QStringLiteral("s"), QStringLiteral("a=b")},
                            {QStringLiteral("s"), QStringLiteral(" ")},
                            {QStringLiteral("s"), QStringLiteral(";k")},
                            {QStringLiteral("s\nt"), QStringLiteral("k")}};
  for (const auto &b : bad)
    EXPECT_THROW(ini.WriteString(b[0], b[1], QStringLiteral("v")), Exception) << b[0].toStdString();
  EXPECT_EQ(ini.Text(), QString());
}

class IniFileOnDiskTest : public ::testing::Test {
protected:
  QTemporaryDir dir_;
  QString Path(const char *name) const { return dir_.filePath(QString::fromUtf8(name)); }
};

TEST_F(IniFileOnDiskTest, RoundTripKeepsBytesAndLineEnds) {
  const QByteArray original =
      QByteArray("\xEF\xBB\xBF") + QStringLiteral("[ホルダー]\r\nTemp=NO\r\n; c\r\n[フォント]\r\n"
                                                  "数字・記号 = ms lumora2.0\r\n")
                                       .toUtf8();
  const QString path = Path("lumora.ini");
  WriteBytes(path, original);
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString(QStringLiteral("ホルダー"), QStringLiteral("Temp"), QString()),
            QStringLiteral("NO"));
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(path), original);

  ini.WriteString(QStringLiteral("ホルダー"), QStringLiteral("Temp"), QStringLiteral("x"));
  ini.UpdateFile();
  EXPECT_FALSE(ini.Modified());
  TIniFile again(path);
  EXPECT_EQ(again.ReadString(QStringLiteral("ホルダー"), QStringLiteral("Temp"), QString()),
            QStringLiteral("x"));
  EXPECT_TRUE(ReadBytes(path).contains("Temp=x\r\n; c\r\n"));
}

TEST_F(IniFileOnDiskTest, ReadsCodePage932WhenNotUtf8AndWritesUtf8) {
  const QString text = QStringLiteral("[フォント]\n数字・記号=ＭＳ 明朝\n");
  const QString path = Path("sjis.ini");
  WriteBytes(path, ToCp932(text));
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString(QStringLiteral("フォント"), QStringLiteral("数字・記号"), QString()),
            QStringLiteral("ＭＳ 明朝"));
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(path), text.toUtf8());
}

TEST_F(IniFileOnDiskTest, MissingFileIsEmptyAndIsCreatedOnSave) {
  const QString path = Path("new.ini");
  TIniFile ini(path);
  EXPECT_TRUE(ini.ReadSections().isEmpty());
  ini.WriteString(QStringLiteral("ホルダー"), QStringLiteral("Temp"), QStringLiteral("NO"));
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(path), QStringLiteral("[ホルダー]\nTemp=NO\n").toUtf8());
  EXPECT_THROW(TIniFile().UpdateFile(), Exception);
}

TEST_F(IniFileOnDiskTest, AFileThatCannotBeReadIsNotWrittenOver) {
  // A folder in the place of the file: it exists but reads as nothing.
  const QString path = Path("folder.ini");
  ASSERT_TRUE(QDir().mkdir(path));
  TIniFile ini(path);
  EXPECT_TRUE(ini.ReadSections().isEmpty());
  ini.WriteString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
  EXPECT_THROW(ini.UpdateFile(), EFOpenError);
  EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(IniFileOnDiskTest, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
  const QString path = Path("a.ini");
  WriteBytes(path, "[s]\nk=old\n");
  TIniFile ini(path);
  ini.WriteString(QStringLiteral("s"), QStringLiteral("k"), QString(200, QLatin1Char('x')));
  // A file-size limit makes the write fail part way, as a full disk does
  // (and works for root, for whom read-only folders do not).
  struct rlimit old {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(ini.UpdateFile(), EWriteError);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(ini.Modified());
  EXPECT_EQ(ReadBytes(path), QByteArray("[s]\nk=old\n"));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("a.ini")});
}

TEST_F(IniFileOnDiskTest, SaveKeepsTheModeAndStrayTemporariesAreRemoved) {
  const QString path = Path("m.ini");
  WriteBytes(path, "[s]\n");
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
  SaveFileSafely(path, "[t]\n");
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(ReadBytes(path), QByteArray("[t]\n"));

  WriteBytes(Path("m.ini.lumora-save-a1B2c3"), "x");
  WriteBytes(Path("m.ini.lumora-save-toolong"), "x"); // not one of ours
  WriteBytes(Path("other.ini.lumora-save-a1B2c3"), "x");
  EXPECT_EQ(RemoveStraySaveFiles(path), 1);
  EXPECT_FALSE(QFile::exists(Path("m.ini.lumora-save-a1B2c3")));
  EXPECT_TRUE(QFile::exists(Path("m.ini.lumora-save-toolong")));
  EXPECT_TRUE(QFile::exists(Path("other.ini.lumora-save-a1B2c3")));
}

} // namespace
} // namespace lumora
