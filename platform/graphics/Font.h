#pragma once
// The platform font description: face, height, colour, style bits, character
// set and pitch, as the documents store fonts and as the canvas selects them.
#include <QFont>
#include <QString>
#include <cstdint>

#include "platform/graphics/Color.h"

namespace lumora {

// Style bits as stored: bit 0 bold, bit 1 italic, bit 2 underline, bit 3 strike-out.
enum TFontStyleBits : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
enum class TFontPitch { fpDefault, fpVariable, fpFixed };

constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SHIFTJIS_CHARSET = 128;

class TFont {
public:
  TFont() = default;

  const QString &Name() const { return name_; }
  void SetName(const QString &name) { name_ = name; }
  // Height in pixels; negative for the character height, as the platform keeps it.
  int Height() const { return height_; }
  void SetHeight(int height) { height_ = height; }
  // Size in points at the font's pixels per inch.
  int Size() const;
  void SetSize(int points);
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi; }
  TColor Color() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  uint8_t Style() const { return style_; }
  void SetStyle(uint8_t style) { style_ = style & 0x0F; }
  uint8_t Charset() const { return charset_; }
  void SetCharset(uint8_t charset) { charset_ = charset; }
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch) { pitch_ = pitch; }

  bool operator==(const TFont &) const = default;

private:
  QString name_ = QStringLiteral("ＭＳ Ｐゴシック");
  int height_ = -12;
  int pixelsPerInch_ = 96;
  TColor color_ = clWindowText;
  uint8_t style_ = 0;
  uint8_t charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = TFontPitch::fpDefault;
};

// The family that draws a stored face name on this system: the Japanese
// faces of the documents map to the Noto CJK families, others stay.
QString FontFamilyFor(const QString &faceName);

// MulDiv as the platform computes it: a*b/c in 64 bits, rounded half away from zero.
int MulDiv(int a, int b, int c);

} // namespace lumora
