#pragma once
// The logical font description and font handles, as a canvas selects them:
// a handle is made from a description, selected into a canvas (which answers
// the handle selected before) and deleted by its maker when no longer used.
#include <QString>
#include <cstdint>
#include <memory>

namespace lumora {

struct TLogFont {
  int lfHeight = 0;      // < 0: character height in pixels; > 0: cell height
  int lfWidth = 0;       // 0: the face's own proportions
  int lfEscapement = 0;  // tenths of a degree, counter-clockwise on the screen
  int lfOrientation = 0; // tenths of a degree (kept, the escapement rules)
  int lfWeight = 400;    // 400 normal, 700 bold
  bool lfItalic = false;
  bool lfUnderline = false;
  bool lfStrikeOut = false;
  uint8_t lfCharSet = 1; // DEFAULT_CHARSET
  uint8_t lfOutPrecision = 0;
  uint8_t lfClipPrecision = 0;
  uint8_t lfQuality = 0;
  uint8_t lfPitchAndFamily = 0;
  QString lfFaceName; // at most 31 characters

  bool operator==(const TLogFont &) const = default;
};

// A font handle. Empty (nullptr) means none.
using HFONT = std::shared_ptr<const TLogFont>;

inline HFONT CreateFontIndirect(const TLogFont &logFont) {
  return std::make_shared<const TLogFont>(logFont);
}

} // namespace lumora
