#pragma once
// The screen's cursor table: the platform's own cursors under their fixed
// negative numbers, and program cursors loaded into numbered slots. A
// cursor number maps to a Qt cursor for the control that shows it.
#include <QCursor>
#include <cstdint>

namespace lumora {

using TCursor = int16_t;

inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crHandPoint = -21;

// Puts aCursor into slot aSlot of the table.
void SetScreenCursor(TCursor aSlot, const QCursor &aCursor);
// Loads a cursor picture of the program's resources (":/cursors/<name>.png",
// its hot spot given) into slot aSlot; an arrow when the picture is missing.
void LoadScreenCursor(TCursor aSlot, const char *aName, int aHotX, int aHotY);
// The Qt cursor for a number: a platform cursor, a loaded slot, or the
// arrow for an empty slot.
QCursor ScreenCursor(TCursor aCursor);

} // namespace lumora
