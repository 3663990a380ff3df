#pragma once
// The event options of a drawable object and the oldest form of them.
//
// Stored option block of a drawable object (written after the record's
// payload, 32 bytes, little-endian):
//    0 Click   Int64   id of the click target; 0 none, -1 after unlinking
//    8 Adsorb  Double  snap radius in page pixels at zoom 1
//   16 Option1 Int64   spare, kept (Value1 at 16, Value2 at 20)
//   24 Option2 Int64   spare, kept (Value3 at 24, Value4 at 28)
// Records of a version below 2.0 hold four strings instead (the oldest
// event form).
#include <QString>
#include <cstdint>

namespace lumora {

class TDrawObj;
class TMetaStream;

struct TObjOption {
  static constexpr int kBlockSize = 32;
  // The snap radius of a new object.
  static constexpr double kDefaultAdsorb = 23.0;

  int64_t Click = 0;
  double Adsorb = 0;
  int64_t Option1 = 0;
  int64_t Option2 = 0;

  // The Int32 halves of the spare options (low half first, as stored).
  int32_t Value1() const { return int32_t(uint64_t(Option1) & 0xFFFFFFFFu); }
  int32_t Value2() const { return int32_t(uint64_t(Option1) >> 32); }
  int32_t Value3() const { return int32_t(uint64_t(Option2) & 0xFFFFFFFFu); }
  int32_t Value4() const { return int32_t(uint64_t(Option2) >> 32); }
  void SetValue1(int32_t v) { Option1 = SetLow(Option1, v); }
  void SetValue2(int32_t v) { Option1 = SetHigh(Option1, v); }
  void SetValue3(int32_t v) { Option2 = SetLow(Option2, v); }
  void SetValue4(int32_t v) { Option2 = SetHigh(Option2, v); }

  // The four values in stored order.
  void Write(TMetaStream &aStream) const;
  // Raises EReadError (the stream's bounds check) when fewer than 32 bytes
  // remain.
  void Read(TMetaStream &aStream);

  bool operator==(const TObjOption &) const = default;

private:
  static int64_t SetLow(int64_t aOption, int32_t v) {
    return int64_t((uint64_t(aOption) & 0xFFFFFFFF00000000u) | uint32_t(v));
  }
  static int64_t SetHigh(int64_t aOption, int32_t v) {
    return int64_t((uint64_t(aOption) & 0xFFFFFFFFu) | (uint64_t(uint32_t(v)) << 32));
  }
};

// The oldest event form: the click target by name. Made only while such a
// block is read; nothing reads it afterwards.
class TOldEvent {
public:
  explicit TOldEvent(TDrawObj *aOwner) : FOwner(aOwner) {}

  TDrawObj *Owner() const { return FOwner; }
  QString Click; // the click target's name

private:
  TDrawObj *FOwner;
};

} // namespace lumora
