#include "platform/text/CodePage932.h"

#include "platform/system/Exception.h"

#include <QtGlobal>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace lumora {

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char *kUtf16 = "UTF-16LE";
#else
constexpr const char *kUtf16 = "UTF-16BE";
#endif

std::atomic<detail::IconvOpenFunction> openFunction{&iconv_open};

// One iconv descriptor, opened on first use in a thread and closed when the
// thread ends. A failed open is tried again on the next use, so that one
// failure does not leave the thread unable to read or write any book.
class TIconv {
public:
  TIconv(const char *to, const char *from) : to_(to), from_(from) {}
  ~TIconv() {
    if (Valid()) iconv_close(cd_);
  }
  TIconv(const TIconv &) = delete;
  TIconv &operator=(const TIconv &) = delete;

  // The descriptor in its initial state.
  iconv_t Reset() {
    if (!Valid()) {
      cd_ = openFunction.load()(to_, from_);
      if (!Valid()) throw Exception(QStringLiteral("文字コードの変換を準備できません。"));
    } else {
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    return cd_;
  }

private:
  bool Valid() const { return cd_ != iconv_t(-1); }

  const char *to_;
  const char *from_;
  iconv_t cd_ = iconv_t(-1);
};

iconv_t Encoder() {
  thread_local TIconv conv("CP932", kUtf16);
  return conv.Reset();
}

iconv_t Decoder() {
  thread_local TIconv conv(kUtf16, "CP932");
  return conv.Reset();
}

bool IsHighSurrogate(char16_t u) {
  return u >= 0xD800 && u < 0xDC00;
}
bool IsLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u < 0xE000;
}

} // namespace

detail::IconvOpenFunction detail::SetIconvOpenFunction(IconvOpenFunction open) {
  return openFunction.exchange(open);
}

QByteArray ToCp932(QStringView text) {
  const qsizetype n = text.size();
  const char16_t *units = text.utf16();
  qsizetype i = 0;
  while (i < n && units[i] < 0x80)
    ++i;
  if (i == n) {
    QByteArray ascii(n, Qt::Uninitialized);
    for (qsizetype k = 0; k < n; ++k)
      ascii[k] = char(units[k]);
    return ascii;
  }

  iconv_t cd = Encoder();
  // A UTF-16 unit never needs more than two bytes, and a replaced character
  // takes one byte for at least one unit.
  QByteArray out(2 * n, Qt::Uninitialized);
  char *in = reinterpret_cast<char *>(const_cast<char16_t *>(units));
  size_t inLeft = size_t(n) * 2;
  char *dst = out.data();
  size_t dstLeft = size_t(out.size());
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &dst, &dstLeft) != size_t(-1)) break;
    if (errno == E2BIG) { // cannot happen with the sizing above; grow anyway
      const qsizetype used = dst - out.data();
      out.resize(out.size() * 2);
      dst = out.data() + used;
      dstLeft = size_t(out.size() - used);
      continue;
    }
    // EILSEQ: no mapping or an unpaired surrogate; EINVAL: a high surrogate
    // at the end. One character becomes one "?".
    char16_t unit, next = 0;
    std::memcpy(&unit, in, 2);
    if (inLeft >= 4) std::memcpy(&next, in + 2, 2);
    const size_t skip = IsHighSurrogate(unit) && IsLowSurrogate(next) ? 4 : 2;
    in += skip;
    inLeft -= skip;
    if (dstLeft == 0) {
      const qsizetype used = dst - out.data();
      out.resize(out.size() + 16);
      dst = out.data() + used;
      dstLeft = size_t(out.size() - used);
    }
    *dst++ = '?';
    --dstLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(dst - out.data());
  return out;
}

namespace {

// Decoding by table. CP932 is decoded character by character without
// state: a byte below 0x80 is itself, any other byte is a character of its
// own, the lead byte of a pair, or a bad byte, and a pair either is one
// character or is bad. The tables hold what glibc's conversion gives for
// each byte and each pair; they are made in each thread with that thread's
// descriptor, a row of pairs when a text first uses its lead byte.
constexpr uint32_t kBad = 0x10000;     // not a character: one U+FFFD
constexpr uint32_t kLead = 0x20000;    // the lead byte of a pair
constexpr uint32_t kComplex = 0x30000; // anything else: iconv decodes the text
constexpr uint32_t kUnknown = 0x40000; // a row not made yet

// What iconv makes of the bytes at in: one UTF-16 unit, kBad (an invalid
// sequence), kLead (one byte that wants more) or kComplex.
uint32_t DecodeOne(iconv_t cd, const char *bytes, size_t size) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char *in = const_cast<char *>(bytes);
  size_t inLeft = size;
  char16_t out[4];
  char *dst = reinterpret_cast<char *>(out);
  size_t dstLeft = sizeof out;
  if (iconv(cd, &in, &inLeft, &dst, &dstLeft) == size_t(-1)) {
    if (in != bytes) return kComplex;
    if (errno == EILSEQ) return kBad;
    if (errno == EINVAL) return kLead;
    return kComplex;
  }
  if (inLeft != 0 || dstLeft != sizeof out - 2) return kComplex;
  return out[0];
}

class TDecodeTable {
public:
  TDecodeTable() {
    single_.fill(kUnknown);
    rows_.fill(nullptr);
  }
  ~TDecodeTable() {
    for (uint32_t *row : rows_)
      delete[] row;
  }
  TDecodeTable(const TDecodeTable &) = delete;
  TDecodeTable &operator=(const TDecodeTable &) = delete;

  // The meaning of byte b (0x80 and above).
  uint32_t Single(unsigned char b) {
    if (single_[b] == kUnknown) {
      iconv_t cd = Decoder();
      const char byte = char(b);
      single_[b] = DecodeOne(cd, &byte, 1);
    }
    return single_[b];
  }
  // The meaning of the pair lead, trail.
  uint32_t Pair(unsigned char lead, unsigned char trail) {
    uint32_t *row = rows_[lead];
    if (!row) {
      iconv_t cd = Decoder();
      row = new uint32_t[256];
      for (int t = 0; t < 256; ++t) {
        const char pair[2] = {char(lead), char(t)};
        row[t] = DecodeOne(cd, pair, 2);
      }
      rows_[lead] = row;
    }
    return row[trail];
  }

private:
  std::array<uint32_t, 256> single_;
  std::array<uint32_t *, 256> rows_;
};

// The conversion by iconv, for a text the tables do not cover.
QString FromCp932ByIconv(const char *bytes, std::size_t size) {
  iconv_t cd = Decoder();
  // Every byte gives at most one UTF-16 unit (a pair of bytes gives one, a bad
  // byte one U+FFFD).
  QString out(qsizetype(size), Qt::Uninitialized);
  char *in = const_cast<char *>(bytes);
  size_t inLeft = size;
  char *base = reinterpret_cast<char *>(out.data());
  char *dst = base;
  size_t dstLeft = size * 2;
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &dst, &dstLeft) != size_t(-1)) break;
    if (errno == E2BIG || dstLeft < 2) { // cannot happen with the sizing above; grow anyway
      const qsizetype used = (dst - base) / 2;
      out.resize(out.size() * 2 + 2);
      base = reinterpret_cast<char *>(out.data());
      dst = base + used * 2;
      dstLeft = size_t(out.size() - used) * 2;
      continue;
    }
    // EILSEQ: an invalid sequence; EINVAL: a lead byte cut off at the end.
    const char16_t replacement = 0xFFFD;
    std::memcpy(dst, &replacement, 2);
    dst += 2;
    dstLeft -= 2;
    ++in;
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize((dst - base) / 2);
  return out;
}

// Decodes into out (room for size units); answers the units written, or -1
// when the tables cannot decode the text.
qsizetype DecodeByTable(const unsigned char *bytes, std::size_t size, char16_t *out) {
  thread_local TDecodeTable table;
  char16_t *dst = out;
  for (std::size_t i = 0; i < size;) {
    const unsigned char b = bytes[i];
    if (b < 0x80) {
      *dst++ = b;
      ++i;
      continue;
    }
    uint32_t unit = table.Single(b);
    if (unit == kLead) {
      // A lead byte at the end is one bad byte; a bad pair is a bad lead
      // byte, and decoding goes on with the trail byte.
      unit = i + 1 < size ? table.Pair(b, bytes[i + 1]) : kBad;
      if (unit < kBad) {
        *dst++ = char16_t(unit);
        i += 2;
        continue;
      }
      if (unit == kLead) unit = kComplex;
    }
    if (unit == kBad) {
      *dst++ = char16_t(0xFFFD);
      ++i;
      continue;
    }
    if (unit >= kBad) return -1;
    *dst++ = char16_t(unit);
    ++i;
  }
  return dst - out;
}

QString Decode(const char *bytes, std::size_t size) {
  std::size_t i = 0;
  while (i < size && static_cast<unsigned char>(bytes[i]) < 0x80)
    ++i;
  if (i == size) return QString::fromLatin1(bytes, qsizetype(size));
  constexpr std::size_t kStack = 256;
  if (size <= kStack) {
    char16_t units[kStack];
    const qsizetype n = DecodeByTable(reinterpret_cast<const unsigned char *>(bytes), size, units);
    if (n >= 0) return QString(reinterpret_cast<const QChar *>(units), n);
  } else {
    QString out(qsizetype(size), Qt::Uninitialized);
    const qsizetype n = DecodeByTable(reinterpret_cast<const unsigned char *>(bytes), size,
                                      reinterpret_cast<char16_t *>(out.data()));
    if (n >= 0) {
      out.resize(n);
      return out;
    }
  }
  return FromCp932ByIconv(bytes, size);
}

} // namespace

QString FromCp932(const char *bytes, std::size_t size) {
  return Decode(bytes, size);
}

} // namespace lumora
