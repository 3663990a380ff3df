#include "core/params/ObjParam.h"

#include "platform/system/LittleEndian.h"

#include <algorithm>

namespace lumora {

int64_t TObjParam::Value64() const {
  return le::Get<int64_t>(Tail.data());
}
void TObjParam::SetValue64(int64_t v) {
  le::Put(Tail.data(), v);
}
double TObjParam::RValue() const {
  return le::Get<double>(Tail.data());
}
void TObjParam::SetRValue(double v) {
  le::Put(Tail.data(), v);
}
int32_t TObjParam::Value1() const {
  return le::Get<int32_t>(Tail.data());
}
void TObjParam::SetValue1(int32_t v) {
  le::Put(Tail.data(), v);
}
int32_t TObjParam::Value2() const {
  return le::Get<int32_t>(Tail.data() + 4);
}
void TObjParam::SetValue2(int32_t v) {
  le::Put(Tail.data() + 4, v);
}

uint16_t TObjParam::Word(int i) const {
  return uint16_t(Tail.at(size_t(2 * i)) | Tail.at(size_t(2 * i + 1)) << 8);
}
void TObjParam::SetWord(int i, uint16_t v) {
  Tail.at(size_t(2 * i + 1)) = uint8_t(v >> 8);
  Tail.at(size_t(2 * i)) = uint8_t(v);
}

void TObjParam::EncodeBlock(std::span<uint8_t, kBlockSize> b) const {
  std::fill(b.begin(), b.end(), uint8_t(0));
  b[4] = Layer;
  le::Put(&b[8], Priority);
  le::Put(&b[12], Rocking);
  le::Put(&b[13], ActType.ToBits());
  b[17] = Width;
  le::Put(&b[20], Grabs);
  le::Put(&b[24], LineColor);
  le::Put(&b[28], FaceColor);
  b[32] = Transparency;
  le::Put(&b[33], Coating);
  std::copy(Tail.begin(), Tail.end(), b.begin() + kTailOffset);
}

void TObjParam::DecodeBlock(std::span<const uint8_t, kBlockSize> b) {
  ObjName.clear();
  Layer = b[4];
  Priority = le::Get<int32_t>(&b[8]);
  Rocking = le::Get<bool>(&b[12]);
  ActType = TActType::FromBits(le::Get<uint32_t>(&b[13]));
  Width = b[17];
  Grabs = le::Get<int32_t>(&b[20]);
  LineColor = le::Get<int32_t>(&b[24]);
  FaceColor = le::Get<int32_t>(&b[28]);
  Transparency = b[32];
  Coating = le::Get<bool>(&b[33]);
  Text.clear();
  std::copy(b.begin() + kTailOffset, b.end(), Tail.begin());
}

void TObjParam15::DecodeBlock(std::span<const uint8_t, kBlockSize> b) {
  Layer = le::Get<int32_t>(&b[4]);
  Priority = le::Get<int32_t>(&b[8]);
  Rocking = le::Get<bool>(&b[12]);
  ActType = TActType::FromBits(le::Get<uint32_t>(&b[13]));
  Width = le::Get<int32_t>(&b[20]);
  Grabs = le::Get<int32_t>(&b[24]);
  LineColor = le::Get<int32_t>(&b[28]);
  FaceColor = le::Get<int32_t>(&b[32]);
  Transparency = le::Get<int32_t>(&b[36]);
  Coating = le::Get<bool>(&b[40]);
  Transform = TTransform::FromBits(b[41]);
  ObjValue = le::Get<int32_t>(&b[44]);
  CaseNo = le::Get<int32_t>(&b[52]);
  Vertical = le::Get<bool>(&b[60]);
}

void TObjParam15::CopyTo(TObjParam &p) const {
  p.Layer = uint8_t(Layer);
  p.Priority = Priority;
  p.Rocking = Rocking;
  p.ActType = ActType;
  p.Width = uint8_t(Width);
  p.Grabs = Grabs;
  p.LineColor = LineColor;
  p.FaceColor = FaceColor;
  p.Transparency = uint8_t(Transparency);
  p.Coating = Coating;
  p.SetTransform(Transform);
  p.SetObjValue(ObjValue);
}

} // namespace lumora
