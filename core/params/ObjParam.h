#pragma once
// TObjParam, the common parameter record of every page object, and the
// fixed 48-byte block it is stored as (with the reader of the older 64-byte
// layout).
//
// Block layout (little-endian, padding zero):
//   0 ObjName reference (0)   4 Layer byte        8 Priority Int32
//  12 Rocking bool           13 ActType 32-bit set  17 Width byte
//  20 Grabs Int32            24 LineColor        28 FaceColor
//  32 Transparency byte      33 Coating bool     36 Text reference (0)
//  40 variant tail, 8 bytes: ObjValue Int32 with Transform byte at 44, or
//     Value64, RValue, or Value1 and Value2, or words or bytes
#include <QString>
#include <array>
#include <cstdint>
#include <span>

#include "core/support/EnumSet.h"
#include "platform/graphics/Color.h"

namespace lumora {

// Abilities and kind flags of an object, in stored bit order.
enum TActKind : uint8_t {
  atNon,
  atShow,
  atAction,
  atDrag,
  atSize,
  atRotate,
  atLineColor,
  atFaceColor,
  atSelectable,
  etReserve0,
  atAdsorb,
  atAdsorbPos,
  awUnCollide,
  atCenter,
  awPage,
  awTrace,
  awAction,
  awUrl,
  awAnimate,
  awSound,
  awMPEG,
  awButton,
  awCustom,
  awUser,
  etAll,
  etOrder,
  etOrder2,
  etOriginal,
  awRandomPage,
  etReserve2,
  awTray,
  awNoSave,
};
using TActType = EnumSet<TActKind>;

enum TTransformKind : uint8_t { tfNon, tfLineSym, tfUpend, tfRaise, tfFront, tfBack };
using TTransform = EnumSet<TTransformKind, uint8_t>;

struct TObjParam {
  static constexpr int kBlockSize = 48;
  static constexpr int kTailOffset = 40;

  QString ObjName; // the kind name the class is registered under
  uint8_t Layer = 0;
  int32_t Priority = 0;
  bool Rocking = false;
  TActType ActType;
  uint8_t Width = 0;
  int32_t Grabs = 0;
  TColor LineColor = 0;
  TColor FaceColor = 0;
  uint8_t Transparency = 0; // percent
  bool Coating = false;
  QString Text;
  // Bytes 40..47 of the block, seen through the accessors below.
  std::array<uint8_t, 8> Tail{};

  int32_t ObjValue() const { return Value1(); }
  void SetObjValue(int32_t v) { SetValue1(v); }
  TTransform Transform() const { return TTransform::FromBits(Tail[4]); }
  void SetTransform(TTransform t) { Tail[4] = t.ToBits(); }
  int64_t Value64() const;
  void SetValue64(int64_t v);
  double RValue() const;
  void SetRValue(double v);
  int32_t Value1() const;
  void SetValue1(int32_t v);
  int32_t Value2() const;
  void SetValue2(int32_t v);
  // Word i (0..3) and byte i (0..7) of the tail.
  uint16_t Word(int i) const;
  void SetWord(int i, uint16_t v);
  uint8_t Byte(int i) const { return Tail.at(size_t(i)); }
  void SetByte(int i, uint8_t v) { Tail.at(size_t(i)) = v; }

  // The 48-byte block with both string references 0.
  void EncodeBlock(std::span<uint8_t, kBlockSize> block) const;
  // Replaces every field but ObjName and Text, which the block does not hold
  // and which are cleared.
  void DecodeBlock(std::span<const uint8_t, kBlockSize> block);

  bool operator==(const TObjParam &) const = default;
};

// The older 64-byte layout, read only. Its font or graphic reference at 56
// and its text reference at 48 are never used.
struct TObjParam15 {
  static constexpr int kBlockSize = 64;

  int32_t Layer = 0;
  int32_t Priority = 0;
  bool Rocking = false;
  TActType ActType;
  int32_t Width = 0;
  int32_t Grabs = 0;
  TColor LineColor = 0;
  TColor FaceColor = 0;
  int32_t Transparency = 0;
  bool Coating = false;
  TTransform Transform;
  int32_t ObjValue = 0;
  int32_t CaseNo = 0;
  bool Vertical = false;

  void DecodeBlock(std::span<const uint8_t, kBlockSize> block);
  // Copies the fields the current record keeps into it (the low byte of
  // Layer, Width and Transparency); CaseNo and Vertical are dropped, the
  // strings are left to the caller.
  void CopyTo(TObjParam &param) const;
};

} // namespace lumora
