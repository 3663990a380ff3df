#include "core/system/ProgramPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/book/CoreStart.h"
#include "core/fonts/MetaFont.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "platform/system/Exception.h"
#include "platform/system/IniFile.h"

namespace lumora {
namespace {

TEST(ProgramPathsTest, SettingsFileIsNamedAfterTheProgram) {
  const char *cases[][2] = {
      {"/opt/lumora/lumora", "/opt/lumora/lumora.ini"},
      {"/opt/lumora/lumora.bin", "/opt/lumora/lumora.ini"},
      {"/opt/lumora.d/lumora", "/opt/lumora.d/lumora.ini"},
      {"/opt/lumora/.lumora", "/opt/lumora/.lumora.ini"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(ChangeToIniExt(QString::fromUtf8(c[0])), QString::fromUtf8(c[1])) << c[0];
}

TEST(ProgramPathsTest, SettingsBesideTheProgramOnlyWhenThereAndWritable) {
  QTemporaryDir dir;
  const QString program = dir.filePath(QStringLiteral("bin/lumora"));
  const QString config = dir.filePath(QStringLiteral("config"));
  ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("bin"))));

  TProgramPaths paths = ResolveProgramPaths(program, config);
  EXPECT_EQ(paths.ProgramFolder, dir.filePath(QStringLiteral("bin/")));
  EXPECT_EQ(paths.SettingsFile, config + QStringLiteral("/lumora.ini"));

  QFile beside(dir.filePath(QStringLiteral("bin/lumora.ini")));
  ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
  beside.close();
  paths = ResolveProgramPaths(program, config);
  EXPECT_EQ(paths.SettingsFile, beside.fileName());
}

class SysContextTest : public ::testing::Test {
protected:
  void SetUp() override { StartCore(); }
  void TearDown() override {
    TCoreContext::Reset();
    SetMathFontName(saved_);
  }
  QString saved_ = MathFontName();
};

TEST_F(SysContextTest, StartsWithTheDefaultDataFolderAndResets) {
  EXPECT_THROW(TSysContext::Get(), Exception);
  TProgramPaths paths{QStringLiteral("/p/lumora"), QStringLiteral("/p/"),
                      QStringLiteral("/p/lumora.ini")};
  TSysContext::Start(paths);
  EXPECT_EQ(IniFileName(), QStringLiteral("/p/lumora.ini"));
  EXPECT_EQ(ProgramFolder(), QStringLiteral("/p/"));
  EXPECT_EQ(SysInfo().LumoraDir(), QStringLiteral("/Lumora算数"));
  EXPECT_EQ(SysInfo().StillFolder(), QStringLiteral("/Lumora算数/静止画/"));
  EXPECT_DOUBLE_EQ(double(SysInfo().Zoom()), 1.0);
  TSysContext::Reset();
  EXPECT_FALSE(TSysContext::Started());
}

TEST_F(SysContextTest, StartupReadsTheDigitAndSymbolFace) {
  TIniFile ini;
  ini.SetText(QStringLiteral("[フォント]\n数字・記号 = Noto Sans Math\n"));
  LoadStartupSettings(ini);
  EXPECT_EQ(MathFontName(), QStringLiteral("Noto Sans Math"));
  LoadStartupSettings(TIniFile());
  EXPECT_EQ(MathFontName(), QStringLiteral("ms lumora2.0"));
}

} // namespace
} // namespace lumora
