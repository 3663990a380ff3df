#pragma once
// The stamp tests' fixture: a program folder of its own (with its "Stamp"
// folder) as the system state's, a fresh stamp store, stamps "テスト印影"
// (tests/kinds) on the page, and pictures written into that folder.
#include <QByteArray>
#include <QImage>
#include <QTemporaryDir>

#include "tests/core/drawable/DrawTestClasses.h"

namespace lumora::test {

// Colours of the quadrant picture ($00BBGGRR) and of the page behind it.
inline constexpr TColor kRed = 0x0000FF;
inline constexpr TColor kBlue = 0xFF0000;
inline constexpr TColor kYellow = 0x00FFFF;
inline constexpr TColor kPage = 0x00FF00; // green

// Pictures of w x h in quadrants: top-left red, top-right blue, bottom-left
// yellow; the bottom-right quadrant is see-through (the key colour in a
// BMP, alpha 0 in a PNG, nothing drawn in an EMF).
QByteArray QuadrantBmp(int w, int h);
QByteArray QuadrantPng(int w, int h);
QByteArray QuadrantEmf(int w, int h);
// A picture of one colour.
QByteArray PlainPng(int w, int h, TColor aColor);

class StampTest : public DrawTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // The path of a file in the program folder.
  QString ProgramPath(const QString &aRelative) const;
  // Writes a file into the program folder (making its folders).
  void WriteProgramFile(const QString &aRelative, const QByteArray &aBytes) const;
  // A stamp of the picture file, made with CreateImage at the placing
  // width aSize and moved to (aX, aY), on the page.
  TTestPictureStamp *AddStamp(const QString &aFile, int aSize = 120, double aX = 100,
                              double aY = 100);
  // A page-coloured bitmap.
  static TBitmap PageBitmap(int aWidth = 500, int aHeight = 500);

  QTemporaryDir programDir_;
};

// Whether every channel of the two colours differs by at most aTolerance.
bool NearColor(TColor a, TColor b, int aTolerance = 40);

} // namespace lumora::test
