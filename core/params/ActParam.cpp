#include "core/params/ActParam.h"

#include "platform/system/LittleEndian.h"

#include <algorithm>

namespace lumora {

namespace {

TPoint GetPoint(const uint8_t *p) {
  return {le::Get<int32_t>(p), le::Get<int32_t>(p + 4)};
}

} // namespace

int64_t TActParam::Value64() const {
  return le::Get<int64_t>(Tail.data());
}
void TActParam::SetValue64(int64_t v) {
  le::Put(Tail.data(), v);
}
double TActParam::RValue() const {
  return le::Get<double>(Tail.data());
}
void TActParam::SetRValue(double v) {
  le::Put(Tail.data(), v);
}
int32_t TActParam::Value2() const {
  return le::Get<int32_t>(Tail.data());
}
void TActParam::SetValue2(int32_t v) {
  le::Put(Tail.data(), v);
}

uint8_t TActParam::Byte(int i) const {
  if (i >= 0 && i < 4) return uint8_t(uint32_t(Value) >> (8 * i));
  return Tail.at(size_t(i - 4));
}

void TActParam::SetByte(int i, uint8_t v) {
  if (i >= 0 && i < 4) {
    const uint32_t mask = 0xFFu << (8 * i);
    Value = int32_t((uint32_t(Value) & ~mask) | uint32_t(v) << (8 * i));
  } else {
    Tail.at(size_t(i - 4)) = v;
  }
}

uint16_t TActParam::Word(int i) const {
  return uint16_t(Byte(2 * i) | Byte(2 * i + 1) << 8);
}

void TActParam::SetWord(int i, uint16_t v) {
  SetByte(2 * i, uint8_t(v));
  SetByte(2 * i + 1, uint8_t(v >> 8));
}

void TActParam::EncodeBlock(std::span<uint8_t, kBlockSize> b) const {
  std::fill(b.begin(), b.end(), uint8_t(0));
  le::Put(&b[0], ExeType.ToBits());
  le::Put(&b[8], MovePos.rx);
  le::Put(&b[16], MovePos.ry);
  le::Put(&b[24], Angle);
  le::Put(&b[32], Scaling);
  le::Put(&b[44], Value);
  std::copy(Tail.begin(), Tail.end(), b.begin() + 48);
}

void TActParam::DecodeBlock(std::span<const uint8_t, kBlockSize> b) {
  ExeType = TExeType::FromBits(le::Get<uint16_t>(&b[0]));
  MovePos = {le::Get<double>(&b[8]), le::Get<double>(&b[16])};
  Angle = le::Get<double>(&b[24]);
  Scaling = le::Get<double>(&b[32]);
  Text.clear();
  Value = le::Get<int32_t>(&b[44]);
  std::copy(b.begin() + 48, b.end(), Tail.begin());
}

void TOld1_ActParam::DecodeBlock(std::span<const uint8_t, kBlockSize> b) {
  ExeType = TExeType::FromBits(le::Get<uint16_t>(&b[0]));
  MovePos = GetPoint(&b[24]);
  Angle = le::Get<double>(&b[48]);
  Value = le::Get<int32_t>(&b[80]);
}

TActParam TOld1_ActParam::Convert() const {
  TActParam p;
  p.ExeType = ExeType;
  p.MovePos = PointToRealPoint(MovePos);
  p.Angle = Angle;
  return p;
}

void TOld2_ActParam::DecodeBlock(std::span<const uint8_t, kBlockSize> b) {
  ExeType = TExeType::FromBits(le::Get<uint16_t>(&b[0]));
  MovePos = GetPoint(&b[4]);
  Angle = le::Get<double>(&b[16]);
  Scaling = le::Get<double>(&b[32]);
  std::copy(b.begin() + 40, b.end(), Tail.begin());
}

TActParam TOld2_ActParam::Convert() const {
  TActParam p;
  p.ExeType = ExeType;
  p.MovePos = PointToRealPoint(MovePos);
  p.Angle = Angle;
  return p;
}

void TActParam_Old::DecodeBlock(std::span<const uint8_t, kBlockSize> b) {
  ExeType = TExeType::FromBits(le::Get<uint16_t>(&b[0]));
  MoveRect = {le::Get<int32_t>(&b[4]), le::Get<int32_t>(&b[8]), le::Get<int32_t>(&b[12]),
              le::Get<int32_t>(&b[16])};
  MovePos = GetPoint(&b[20]);
  RandPos = GetPoint(&b[28]);
  Angle = le::Get<double>(&b[40]);
  RandAngle = le::Get<double>(&b[48]);
  LineColor = le::Get<int32_t>(&b[56]);
  FaceColor = le::Get<int32_t>(&b[60]);
  Transparency = le::Get<int32_t>(&b[68]);
  Value = le::Get<int32_t>(&b[72]);
}

TActParam TActParam_Old::Convert() const {
  TActParam p;
  p.ExeType = ExeType;
  p.MovePos = PointToRealPoint(MovePos);
  p.Angle = Angle;
  p.Value = Value;
  return p;
}

} // namespace lumora
