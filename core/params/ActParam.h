#pragma once
// TActParam, the action record of action objects: what to do with the
// linked objects and the values it needs, stored as a 56-byte block, with the
// readers of its three older forms.
//
// Block layout (little-endian):
//   0 ExeType, 2 bytes       2 reserved, 6 bytes (0)
//   8 MovePos, two Doubles  24 Angle Double (radians)   32 Scaling Double
//  40 Text reference (0)    44 Value Int32
//  48 Value64 / RValue / Value2 (Int32 at 48), overlaid
// The words and bytes views cover bytes 44..55.
#include <QString>
#include <array>
#include <cstdint>
#include <span>

#include "core/geometry/Geometry.h"
#include "core/support/EnumSet.h"

namespace lumora {

enum TExeKind : uint8_t {
  exShow,       // $1
  exHide,       // $2
  exAlt,        // $4: toggles visibility
  exMove,       // $8
  exRotate,     // $10
  exLineSymm,   // $20: mirror left-right
  exTurnUpside, // $40
  exScaling,    // $80
  exBack,       // $100
  exTrace,      // $200
  exPosition,   // $400: exMove goes to MovePos instead of by it
  exExec,       // $800
};
using TExeType = EnumSet<TExeKind, uint16_t>;

struct TActParam {
  static constexpr int kBlockSize = 56;

  TExeType ExeType;
  TRealPoint MovePos;
  double Angle = 0;
  double Scaling = 0;
  QString Text;
  int32_t Value = 0;
  // Bytes 48..55 of the block, seen through the accessors below.
  std::array<uint8_t, 8> Tail{};

  int64_t Value64() const;
  void SetValue64(int64_t v);
  double RValue() const;
  void SetRValue(double v);
  int32_t Value2() const;
  void SetValue2(int32_t v);
  // Word i (0..5) and byte i (0..11) counted from Value at offset 44.
  uint16_t Word(int i) const;
  void SetWord(int i, uint16_t v);
  uint8_t Byte(int i) const;
  void SetByte(int i, uint8_t v);

  // The 56-byte block with the reserved bytes and the text reference 0.
  void EncodeBlock(std::span<uint8_t, kBlockSize> block) const;
  // Replaces every field; Text is cleared (the block does not hold it).
  void DecodeBlock(std::span<const uint8_t, kBlockSize> block);

  bool operator==(const TActParam &) const = default;
};

// The 88-byte form. Only what the conversion keeps is decoded.
struct TOld1_ActParam {
  static constexpr int kBlockSize = 88;
  TExeType ExeType;
  TPoint MovePos;
  double Angle = 0;
  int32_t Value = 0;

  void DecodeBlock(std::span<const uint8_t, kBlockSize> block);
  // ExeType, MovePos and Angle; everything else 0. Text is the caller's.
  TActParam Convert() const;
};

// The 48-byte form.
struct TOld2_ActParam {
  static constexpr int kBlockSize = 48;
  TExeType ExeType;
  TPoint MovePos;
  double Angle = 0;
  double Scaling = 0;
  std::array<uint8_t, 8> Tail{}; // bytes 40..47

  void DecodeBlock(std::span<const uint8_t, kBlockSize> block);
  // ExeType, MovePos and Angle; everything else 0. Text is the caller's.
  TActParam Convert() const;
};

// The 80-byte form of the oldest option layout.
struct TActParam_Old {
  static constexpr int kBlockSize = 80;
  TExeType ExeType;
  TRect MoveRect;
  TPoint MovePos;
  TPoint RandPos;
  double Angle = 0;
  double RandAngle = 0;
  TColor LineColor = 0;
  TColor FaceColor = 0;
  int32_t Transparency = 0;
  int32_t Value = 0;

  void DecodeBlock(std::span<const uint8_t, kBlockSize> block);
  // ExeType, MovePos, Angle and Value; everything else 0. Text is the caller's.
  TActParam Convert() const;
};

} // namespace lumora
