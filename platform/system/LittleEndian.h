#pragma once
// Little-endian field access for the fixed stored blocks: every stored value
// is read and written field by field at its offset, never by copying a struct.
#include <QByteArray>
#include <QtEndian>
#include <bit>
#include <cstdint>
#include <cstring>

namespace lumora::le {

template <typename T> T Get(const uint8_t *p) {
  if constexpr (std::is_same_v<T, double>)
    return std::bit_cast<double>(qFromLittleEndian<uint64_t>(p));
  else if constexpr (std::is_same_v<T, float>)
    return std::bit_cast<float>(qFromLittleEndian<uint32_t>(p));
  else if constexpr (std::is_same_v<T, bool>)
    return *p != 0; // any value but 0 is true
  else
    return qFromLittleEndian<T>(p);
}

template <typename T> void Put(uint8_t *p, T v) {
  if constexpr (std::is_same_v<T, double>)
    qToLittleEndian<uint64_t>(std::bit_cast<uint64_t>(v), p);
  else if constexpr (std::is_same_v<T, float>)
    qToLittleEndian<uint32_t>(std::bit_cast<uint32_t>(v), p);
  else if constexpr (std::is_same_v<T, bool>)
    *p = v ? 1 : 0;
  else
    qToLittleEndian<T>(v, p);
}

// Appends v in its little-endian form.
template <typename T> void Append(QByteArray &bytes, T v) {
  uint8_t d[sizeof(T)];
  Put<T>(d, v);
  bytes.append(reinterpret_cast<const char *>(d), sizeof(T));
}

} // namespace lumora::le
