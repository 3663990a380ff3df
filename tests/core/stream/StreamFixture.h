#pragma once
// Helpers of the stream tests: streams made from hand-written hex fixtures.
#include <QByteArray>
#include <string>

#include "core/stream/MetaStream.h"

namespace lumora::test {

// Spaces and line breaks in the hex text are ignored.
inline QByteArray Hex(const char *hex) {
  return QByteArray::fromHex(hex);
}

inline void Load(TMemoryStream &stream, const QByteArray &bytes) {
  stream.SetBytes(bytes);
  stream.SetPosition(0);
}

// Hex text, so that a failure prints readable bytes.
inline std::string HexOf(const QByteArray &bytes) {
  return bytes.toHex(' ').toStdString();
}
inline std::string HexOf(const TMemoryStream &stream) {
  return HexOf(stream.Bytes());
}

} // namespace lumora::test
