#pragma once
// Conversion between the program's UTF-16 text and code page 932 (the
// Windows form of Shift-JIS), the encoding of every string in stored
// documents.
//
// The conversion uses glibc's "CP932" table, not "SHIFT_JIS": only CP932
// maps the Windows characters U+FF0D "－", U+FF5E "～", U+2252 "≒", the NEC
// and IBM extensions and the user-defined area (0xF040.. <-> U+E000..).
//
// glibc's table also takes a few look-alikes the Windows conversion takes
// (U+00A5 "¥" gives 0x5C, U+2212 "−" gives 0x817C). Characters the code page
// cannot hold (and unpaired surrogates) become one
// "?" each, as the Windows conversion writes its default character; a
// surrogate pair counts as one character. When decoding, every byte that
// does not start a valid sequence becomes one U+FFFD and decoding goes on
// with the next byte; a lead byte without its trail byte at the end is one
// bad byte. Text of pure ASCII takes a fast path: CP932 maps 0x00-0x7F to
// the same code points (0x5C stays the backslash, 0x7E the tilde).
//
// The iconv descriptors are kept per thread, so the functions may be called
// from any thread. When a descriptor cannot be opened, the conversion raises
// Exception and the next conversion in that thread tries to open it again.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <iconv.h>

namespace lumora {

QByteArray ToCp932(QStringView text);
inline QByteArray ToCp932(const QString &text) {
  return ToCp932(QStringView(text));
}
QString FromCp932(const char *bytes, std::size_t size);
inline QString FromCp932(const QByteArray &bytes) {
  return FromCp932(bytes.constData(), std::size_t(bytes.size()));
}

namespace detail {

// The function that opens the iconv descriptors (iconv_open by default).
// Tests replace it to make setting up the conversion fail; answers the
// function it replaces.
using IconvOpenFunction = iconv_t (*)(const char *toCode, const char *fromCode);
IconvOpenFunction SetIconvOpenFunction(IconvOpenFunction open);

} // namespace detail

} // namespace lumora
