#include "core/fonts/MetaFont.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "core/geometry/Geometry.h"
#include "platform/graphics/Canvas.h"

namespace lumora {

namespace {

constexpr int kMaxFaceNameLength = 31;
constexpr int kNewFontHeight = -32;

QString gMathFontName = kDefaultMathFontName;

QStringList MakeMathFontCharSet() {
  QStringList list;
  // ０..９ ＋ － × ÷ ＝ ㎜ ( ) { } [ ] . ° : % ㎝ ㎞ ㎎ ㎏
  const char16_t symbols[] = u"\uFF10\uFF11\uFF12\uFF13\uFF14\uFF15\uFF16\uFF17\uFF18\uFF19"
                             u"\uFF0B\uFF0D\u00D7\u00F7\uFF1D\u339C(){}[].\u00B0:%"
                             u"\u339D\u339E\u338E\u338F";
  for (const char16_t *c = symbols; *c; ++c)
    list.append(QString(QChar(*c)));
  for (int i = 0; i < 32; ++i)
    list.append(QString());
  for (char16_t c = 0x40; c <= 0x51; ++c)
    list.append(QString(QChar(0x00F1)) + QChar(c));
  list.append(QString());
  return list;
}

QString LimitFaceName(const QString &name) {
  return name.left(kMaxFaceNameLength);
}

// Radians to tenths of a degree, halves to even.
int EscapementOf(double angle) {
  return int(std::nearbyint(angle * 180.0 / std::numbers::pi * 10.0));
}

} // namespace

void SetMathFontName(const QString &name) {
  gMathFontName = name;
}

const QString &MathFontName() {
  return gMathFontName;
}

const QStringList &MathFontCharSet() {
  static const QStringList list = MakeMathFontCharSet();
  return list;
}

// ---- TFontInfo ----

TFontInfo::TFontInfo(const QString &aName, std::optional<QStringList> aCharSet)
    : fOwnCharSet(std::move(aCharSet)) {
  fLogFont.lfHeight = kNewFontHeight;
  fLogFont.lfFaceName = LimitFaceName(aName);
}

void TFontInfo::SetSpec(const TFont &aFont) {
  fLogFont.lfHeight = aFont.Height();
  fLogFont.lfWidth = 0;
  fLogFont.lfEscapement = 0;
  fLogFont.lfOrientation = 0;
  SetStyle(aFont.Style());
  fLogFont.lfCharSet = aFont.Charset();
  if (aFont.Name().compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0)
    fLogFont.lfFaceName = QStringLiteral("MS Sans Serif");
  else
    fLogFont.lfFaceName = LimitFaceName(aFont.Name());
  fLogFont.lfQuality = 0;
  fLogFont.lfOutPrecision = 0;
  fLogFont.lfClipPrecision = 0;
  switch (aFont.Pitch()) {
  case TFontPitch::fpVariable:
    fLogFont.lfPitchAndFamily = 2;
    break;
  case TFontPitch::fpFixed:
    fLogFont.lfPitchAndFamily = 1;
    break;
  case TFontPitch::fpDefault:
    fLogFont.lfPitchAndFamily = 0;
    break;
  }
}

void TFontInfo::SetName(const QString &aName) {
  fLogFont.lfFaceName = LimitFaceName(aName);
}

uint8_t TFontInfo::Style() const {
  uint8_t style = 0;
  if (fLogFont.lfWeight >= 700) style |= fsBold;
  if (fLogFont.lfItalic) style |= fsItalic;
  if (fLogFont.lfUnderline) style |= fsUnderline;
  if (fLogFont.lfStrikeOut) style |= fsStrikeOut;
  return style;
}

void TFontInfo::SetStyle(uint8_t aStyle) {
  fLogFont.lfWeight = (aStyle & fsBold) ? 700 : 400;
  fLogFont.lfItalic = (aStyle & fsItalic) != 0;
  fLogFont.lfUnderline = (aStyle & fsUnderline) != 0;
  fLogFont.lfStrikeOut = (aStyle & fsStrikeOut) != 0;
}

HFONT TFontInfo::PushHandle(int aHeight) {
  TLogFont logFont = fLogFont;
  logFont.lfHeight = aHeight;
  fHdl.push_back(CreateFontIndirect(logFont));
  return fHdl.back();
}

HFONT TFontInfo::PopHandle() {
  if (fHdl.empty()) return {};
  HFONT handle = std::move(fHdl.back());
  fHdl.pop_back();
  return handle;
}

// ---- TMetaFont ----

TMetaFont::TMetaFont(const QString &faceName) {
  fLogFonts.push_back(std::make_unique<TFontInfo>(faceName));
  // The pixels per inch of the screen, kept by the geometry as pixels per millimetre.
  FPixelsPerInch = int(std::lround(GetPixelsPerMM() * 25.4));
}

QString TMetaFont::Name() const {
  return fLogFonts.front()->Name();
}

void TMetaFont::SetName(const QString &aName) {
  fLogFonts.front()->SetName(aName);
}

void TMetaFont::SetColor(TColor aColor) {
  for (auto &face : fLogFonts)
    face->SetColor(aColor);
  TxtColor = aColor;
}

void TMetaFont::SetHeight(int aHeight) {
  // The smallest int has no positive counterpart (a height read from a damaged file).
  FHeight = aHeight == INT_MIN ? -INT_MAX : -std::abs(aHeight);
}

int TMetaFont::Size() const {
  return -MulDiv(FHeight, 96, FPixelsPerInch);
}

void TMetaFont::SetSize(int aSize) {
  SetHeight(-MulDiv(aSize, FPixelsPerInch, 96));
}

uint8_t TMetaFont::Style() const {
  return fLogFonts.front()->Style();
}

void TMetaFont::SetStyle(uint8_t aStyle) {
  fLogFonts.front()->SetStyle(aStyle);
}

void TMetaFont::SetAngle(double aAngle) {
  if (aAngle == FAngle) return;
  FAngle = aAngle;
  const int escapement = EscapementOf(aAngle);
  for (auto &face : fLogFonts)
    face->SetEscapement(escapement);
}

void TMetaFont::SetDrawMode(TDrawMode aMode) {
  const bool had = FDrawMode.Contains(tdMathFont);
  const bool has = aMode.Contains(tdMathFont);
  auto isMathFace = [](const std::unique_ptr<TFontInfo> &face) {
    return face->Name() == LimitFaceName(MathFontName());
  };
  if (has && !had) {
    if (std::none_of(fLogFonts.begin(), fLogFonts.end(), isMathFace))
      fLogFonts.push_back(std::make_unique<TFontInfo>(MathFontName(), MathFontCharSet()));
  } else if (had && !has) {
    // The text face stays even when it carries the same name.
    auto it = std::find_if(fLogFonts.begin() + 1, fLogFonts.end(), isMathFace);
    if (it != fLogFonts.end()) fLogFonts.erase(it);
  }
  FDrawMode = aMode;
}

void TMetaFont::SetFontSpec(const TFont &aSource) {
  fLogFonts.front()->SetSpec(aSource);
  // The face takes no escapement from a platform font, but text is still
  // drawn at the font's angle.
  fLogFonts.front()->SetEscapement(EscapementOf(FAngle));
  TxtColor = aSource.Color();
  SetHeight(aSource.Height());
}

void TMetaFont::FontSpec(TFont &aDest) const {
  const TFontInfo &face = *fLogFonts.front();
  aDest.SetColor(TxtColor);
  aDest.SetHeight(FHeight);
  aDest.SetName(face.Name());
  aDest.SetStyle(face.Style());
  aDest.SetCharset(face.LogFont().lfCharSet);
}

HFONT TMetaFont::SetTxtFont(TCanvas &pCanvas) {
  pCanvas.Font().SetColor(TxtColor);
  for (auto &face : fLogFonts)
    face->PushHandle(FHeight);
  return pCanvas.SelectFont(fLogFonts.front()->Handle());
}

void TMetaFont::ReleaseFont(TCanvas &pCanvas, const HFONT &pFHdl) {
  for (auto &face : fLogFonts) {
    HFONT popped = face->PopHandle();
    pCanvas.SelectFont(pFHdl);
    popped.reset();
  }
}

void TMetaFont::TextOut(TCanvas &aCanvas, int aX, int aY, const QString &aStr) const {
  aCanvas.Brush().SetStyle(bsClear);
  aCanvas.TextOut(aX, aY, aStr);
}

} // namespace lumora
