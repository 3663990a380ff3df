// The numeric edit and the spin edit driven by typed keys.
#include <gtest/gtest.h>

#include "shell/controls/Beep.h"
#include "shell/controls/NumEdit.h"
#include "shell/controls/XSpinEdit.h"
#include "tests/shell/controls/ControlTestUtil.h"

namespace lumora {
namespace {

class EditTest : public ::testing::Test {
protected:
  void SetUp() override {
    SetControlBeepHook([this] { ++beeps; });
  }
  void TearDown() override { SetControlBeepHook({}); }
  int beeps = 0;
};

TEST_F(EditTest, NumEditKeyFilterByAccuracy) {
  struct Case {
    int accuracy;
    QString typed, expected;
    int beeps;
  } cases[] = {
      {0, "12.5", "125", 1},   // no separator for whole numbers
      {2, "12.5", "12.5", 0},  //
      {2, "1.2.3", "1.23", 1}, // the second separator is cut off
      {0, "1a2", "12", 1},     // letters are dropped
      {0, "-12", "-12", 0},    //
  };
  for (const Case &c : cases) {
    TNumEdit edit;
    edit.SetAccuracy(c.accuracy);
    beeps = 0;
    test::TypeText(&edit, c.typed);
    EXPECT_EQ(edit.text(), c.expected) << c.typed.toStdString();
    EXPECT_EQ(beeps, c.beeps) << c.typed.toStdString();
  }
}

TEST_F(EditTest, NumEditCutsSignAfterFirstCharacter) {
  TNumEdit edit;
  test::TypeText(&edit, QStringLiteral("12-"));
  EXPECT_EQ(edit.text(), QStringLiteral("12"));
  EXPECT_EQ(edit.SavedText(), QStringLiteral("12"));
  EXPECT_EQ(beeps, 1);
  // Pasted text is scanned alike: everything from the bad character on goes.
  edit.setText(QStringLiteral("34+5"));
  EXPECT_EQ(edit.text(), QStringLiteral("34"));
}

TEST_F(EditTest, NumEditRangeFailurePutsSavedTextBack) {
  TNumEdit edit;
  edit.SetMinValue(0);
  edit.SetMaxValue(40);
  QString reported;
  edit.OnValidationFailed = [&](TNumEdit *, QString &saved) { reported = saved; };
  test::TypeText(&edit, QStringLiteral("4"));
  EXPECT_EQ(edit.SavedText(), QStringLiteral("4"));
  test::TypeText(&edit, QStringLiteral("9"));
  EXPECT_EQ(edit.text(), QStringLiteral("4"));
  EXPECT_EQ(reported, QStringLiteral("4"));
  EXPECT_EQ(beeps, 1);
  EXPECT_TRUE(edit.IsValid(QStringLiteral("-")));
  EXPECT_FALSE(edit.IsValid(QString()));
}

TEST_F(EditTest, SpinEditWithoutBoundsTakesAnyInteger) {
  TXSpinEdit spin;
  EXPECT_EQ(spin.text(), QStringLiteral("0"));
  for (int value : {123456, -98765, 0}) {
    spin.SetValue(value);
    EXPECT_EQ(spin.Value(), value);
  }
  spin.setText(QStringLiteral("-2147483648"));
  EXPECT_EQ(spin.Value(), INT32_MIN);
}

TEST_F(EditTest, SpinEditStepsWithinBoundsAndKeepsLastGoodValue) {
  TXSpinEdit spin;
  spin.SetMinValue(0);
  spin.SetMaxValue(10);
  spin.SetIncrement(4);
  spin.SetValue(8);
  test::PressKey(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 10);
  test::PressKey(&spin, Qt::Key_Down);
  EXPECT_EQ(spin.Value(), 6);
  test::TypeText(&spin, QStringLiteral("x"));
  EXPECT_EQ(beeps, 1);
  spin.selectAll();
  test::TypeText(&spin, QStringLiteral("-"));
  EXPECT_EQ(spin.text(), QStringLiteral("-"));
  EXPECT_EQ(spin.Value(), 6); // a sign alone reads as the last good value
  spin.setReadOnly(true);
  spin.UpClick();
  EXPECT_EQ(beeps, 2);
  EXPECT_EQ(spin.Value(), 6);
}

TEST_F(EditTest, SpinEditEmptiedByBackspaceShowsZero) {
  TXSpinEdit spin;
  spin.SetValue(7);
  spin.setCursorPosition(1);
  test::TypeText(&spin, QStringLiteral("\b"));
  EXPECT_EQ(spin.text(), QStringLiteral("0"));
}

TEST_F(EditTest, SpinEditWithEditorDisabledRefusesDigits) {
  TXSpinEdit spin;
  spin.SetEditorEnabled(false);
  test::TypeText(&spin, QStringLiteral("5"));
  EXPECT_EQ(spin.text(), QStringLiteral("0"));
  EXPECT_EQ(beeps, 1);
  test::PressKey(&spin, Qt::Key_Up);
  EXPECT_EQ(spin.Value(), 1);
}

} // namespace
} // namespace lumora
