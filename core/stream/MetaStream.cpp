#include "core/stream/MetaStream.h"

#include "core/fonts/MetaFont.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JpegImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Exception.h"
#include "platform/system/LittleEndian.h"
#include "platform/text/CodePage932.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <limits>
#include <span>
#include <utility>

namespace lumora {

namespace {

const QString kReadError = QStringLiteral("Stream read error");
const QString kWriteError = QStringLiteral("Stream write error");

std::atomic<int> gLogCounter{0};
std::atomic<TStream *> gTraceStream{nullptr};

[[noreturn]] void Corrupt() {
  throw EReadError(kReadError);
}

// Values of the free routines, which work on any stream.
template <typename T> T ReadLE(TStream &s) {
  CheckReadable(s, sizeof(T));
  uint8_t b[sizeof(T)];
  s.ReadBuffer(b, sizeof(T));
  return le::Get<T>(b);
}

template <typename T> void WriteLE(TStream &s, T value) {
  uint8_t b[sizeof(T)];
  le::Put(b, value);
  s.WriteBuffer(b, sizeof(T));
}

// A stored string of either form on any stream: answers the count n and,
// when n > 0, puts the bytes without one trailing NUL into bytes.
int32_t ReadStoredBytes(TStream &s, QByteArray &bytes) {
  const int32_t n = ReadLE<int32_t>(s);
  if (n <= 0) return n;
  CheckReadable(s, n);
  QByteArray b(n, Qt::Uninitialized);
  s.ReadBuffer(b.data(), n);
  if (b.endsWith('\0')) b.chop(1);
  bytes = std::move(b);
  return n;
}

// The n stored bytes of a string at the stream's position (checked first)
// as text, without one trailing NUL; read in place where the stream shows
// its bytes, else through a buffer on the stack when they are few.
QString TakeStoredText(TStream &s, int32_t n) {
  CheckReadable(s, n);
  auto text = [](const char *bytes, int32_t count) {
    return FromCp932(bytes, size_t(count > 0 && bytes[count - 1] == 0 ? count - 1 : count));
  };
  if (const char *bytes = s.Peek(n)) {
    QString result = text(bytes, n);
    s.Seek(n, TSeekOrigin::soCurrent);
    return result;
  }
  char small[256];
  if (n <= int32_t(sizeof small)) {
    s.ReadBuffer(small, n);
    return text(small, n);
  }
  QByteArray b(n, Qt::Uninitialized);
  s.ReadBuffer(b.data(), n);
  return text(b.constData(), n);
}

int32_t ReadStoredText(TStream &s, QString &text) {
  const int32_t n = ReadLE<int32_t>(s);
  if (n > 0) text = TakeStoredText(s, n);
  return n;
}

int WriteStoredBytes(TStream &s, const QByteArray &bytes, bool withNul) {
  if (bytes.isEmpty()) {
    WriteLE<int32_t>(s, 0);
    return 4;
  }
  const int64_t n = bytes.size() + (withNul ? 1 : 0);
  if (n > std::numeric_limits<int32_t>::max()) throw EWriteError(kWriteError);
  WriteLE<int32_t>(s, int32_t(n));
  s.WriteBuffer(bytes.constData(), bytes.size());
  if (withNul) s.WriteBuffer("", 1);
  return int(4 + n);
}

// A block of a stored size of which the first N bytes are the record (the
// rest zero when the size is shorter) and any excess is skipped.
template <size_t N> std::array<uint8_t, N> ReadSizedBlock(TStream &s, int32_t size) {
  CheckReadable(s, size);
  std::array<uint8_t, N> block{};
  const int64_t used = std::min<int64_t>(size, N);
  s.ReadBuffer(block.data(), used);
  s.Skip(size - used);
  return block;
}

template <size_t N> std::span<const uint8_t, N> Span(const std::array<uint8_t, N> &a) {
  return std::span<const uint8_t, N>(a);
}

} // namespace

// ---- Trace ----

TDoLog::TDoLog(const TStream &traced) : FStream(&traced), FStrNo(QString::number(++gLogCounter)) {
  if (TStream *out = gTraceStream.load()) {
    const QByteArray line = ToCp932(QStringLiteral("--- クリエイト ---[%1]\r\n").arg(FStrNo));
    out->WriteBuffer(line.constData(), line.size());
  }
}

TDoLog::~TDoLog() {
  if (TStream *out = gTraceStream.load()) {
    const QByteArray line = ToCp932(QStringLiteral("--- フリー　　 ---[%1]\r\n").arg(FStrNo));
    out->WriteBuffer(line.constData(), line.size());
  }
}

void TDoLog::Line(QStringView rwFlag, const QString &value) const {
  TStream *out = gTraceStream.load();
  if (!out) return;
  const QByteArray line =
      ToCp932(QStringLiteral("%1[%2]POS=%3  VAL=%4\r\n")
                  .arg(rwFlag.toString(), FStrNo, QString::number(FStream->Position()), value));
  out->WriteBuffer(line.constData(), line.size());
}

void TDoLog::Debug(QStringView f, int32_t v) {
  Line(f, QString::number(v));
}
void TDoLog::Debug(QStringView f, const QString &v) {
  Line(f, v);
}
void TDoLog::Debug(QStringView f, float v) {
  Line(f, QString::number(v));
}
void TDoLog::Debug(QStringView f, int64_t v) {
  Line(f, QString::number(v));
}

void SetTraceStream(TStream *stream) {
  gTraceStream.store(stream);
}

// ---- Bounds ----

namespace {

// The bounds check itself: count items of width bytes within remaining.
inline bool Fits(int64_t remaining, int64_t count, int64_t width) {
  int64_t bytes;
  return count >= 0 && width >= 0 && !__builtin_mul_overflow(count, width, &bytes) &&
         bytes <= remaining;
}

inline void Require(int64_t remaining, int64_t count, int64_t width) {
  if (!Fits(remaining, count, width)) Corrupt();
}

} // namespace

bool Readable(const TStream &stream, int64_t count, int64_t width) {
  return Fits(stream.Remaining(), count, width);
}

void CheckReadable(const TStream &stream, int64_t count, int64_t width) {
  Require(stream.Remaining(), count, width);
}

// ---- TMetaStream ----

TMetaStream::TMetaStream(bool aLog) {
  // The silent sink has no state: one serves every stream, and a stream
  // made for each record read costs no allocation for it. The readers call
  // the sink only when it writes, not once for every value.
  static TNoLog silent;
  if (aLog) FOwnLog = std::make_unique<TDoLog>(*this);
  FLog = aLog ? FOwnLog.get() : &silent;
}

TMetaStream::~TMetaStream() = default;

const uint8_t *TMetaStream::Take(int64_t count) {
  // This runs for every value read: the memory stream's own bytes, in
  // place (never a copy of a buffer shared with its source), checked
  // against what remains.
  const char *bytes = TakeInPlace(count);
  if (!bytes) Corrupt();
  return reinterpret_cast<const uint8_t *>(bytes);
}

namespace {

// The kind names of page objects repeat through a book, and each record
// holds its own twice over: a name read before is not decoded again, and
// the objects of a kind share one text. A table in each thread, indexed by
// a hash of the stored bytes.
QString KindName(const uint8_t *bytes, size_t length) {
  constexpr size_t kLongest = 48;
  constexpr size_t kSlots = 64;
  if (length == 0 || length > kLongest)
    return FromCp932(reinterpret_cast<const char *>(bytes), length);
  struct TSlot {
    size_t length = 0; // none
    uint8_t bytes[kLongest];
    QString text;
  };
  thread_local std::array<TSlot, kSlots> table;
  // Most often the name of the record before.
  thread_local TSlot *last = &table[0];
  if (last->length == length && std::memcmp(last->bytes, bytes, length) == 0) return last->text;
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < length; ++i)
    h = (h ^ bytes[i]) * 16777619u;
  TSlot &slot = table[(h ^ (h >> 16)) % kSlots];
  last = &slot;
  if (slot.length == length && std::memcmp(slot.bytes, bytes, length) == 0) return slot.text;
  QString text = FromCp932(reinterpret_cast<const char *>(bytes), length);
  std::memcpy(slot.bytes, bytes, length);
  slot.length = length;
  slot.text = text;
  return text;
}

} // namespace

QString TMetaStream::ReadKindName() {
  const int32_t n = ReadValue<int32_t>();
  if (n <= 0) return QString();
  const uint8_t *bytes = Take(n);
  QString kind = KindName(bytes, bytes[n - 1] == 0 ? size_t(n - 1) : size_t(n));
  if (FOwnLog) FLog->Debug(u"R : ", kind);
  return kind;
}

template <typename T> T TMetaStream::ReadValue() {
  return le::Get<T>(Take(sizeof(T)));
}

template <typename T> void TMetaStream::WriteValue(T value) {
  uint8_t b[sizeof(T)];
  le::Put(b, value);
  TStream::WriteBuffer(b, sizeof(T));
}

int TMetaStream::ReadBuffer(bool &value) {
  value = ReadValue<bool>();
  return 1;
}
int TMetaStream::WriteBuffer(bool value) {
  WriteValue(value);
  return 1;
}

int TMetaStream::ReadBuffer(uint16_t &value) {
  value = ReadValue<uint16_t>();
  if (FOwnLog) FLog->Debug(u"R : ", int32_t(value));
  return 2;
}
int TMetaStream::WriteBuffer(uint16_t value) {
  FLog->Debug(u"W : ", int32_t(value));
  WriteValue(value);
  return 2;
}

int TMetaStream::ReadBuffer(int32_t &value) {
  value = ReadValue<int32_t>();
  if (FOwnLog) FLog->Debug(u"R : ", value);
  return 4;
}
int TMetaStream::WriteBuffer(int32_t value) {
  FLog->Debug(u"W : ", value);
  WriteValue(value);
  return 4;
}

int TMetaStream::ReadBuffer(uint32_t &value) {
  value = ReadValue<uint32_t>();
  if (FOwnLog) FLog->Debug(u"R : ", int64_t(value));
  return 4;
}
int TMetaStream::WriteBuffer(uint32_t value) {
  FLog->Debug(u"W : ", int64_t(value));
  WriteValue(value);
  return 4;
}

int TMetaStream::ReadBuffer(int64_t &value) {
  value = ReadValue<int64_t>();
  if (FOwnLog) FLog->Debug(u"R64 : ", value);
  return 8;
}
int TMetaStream::WriteBuffer(int64_t value) {
  FLog->Debug(u"W64 : ", value);
  WriteValue(value);
  return 8;
}

int TMetaStream::ReadBuffer(float &value) {
  value = ReadValue<float>();
  if (FOwnLog) FLog->Debug(u"R : ", value);
  return 4;
}
int TMetaStream::WriteBuffer(float value) {
  FLog->Debug(u"W : ", value);
  WriteValue(value);
  return 4;
}

int TMetaStream::ReadBuffer(double &value) {
  value = ReadValue<double>();
  return 8;
}
int TMetaStream::WriteBuffer(double value) {
  WriteValue(value);
  return 8;
}

int TMetaStream::ReadBuffer(QString &text) {
  const int32_t n = ReadValue<int32_t>();
  if (n <= 0) return n;
  const uint8_t *bytes = Take(n);
  const size_t length = bytes[n - 1] == 0 ? size_t(n - 1) : size_t(n);
  text = FromCp932(reinterpret_cast<const char *>(bytes), length);
  if (FOwnLog) FLog->Debug(u"R : ", text);
  return n;
}
int TMetaStream::WriteBuffer(const QString &text) {
  FLog->Debug(u"W : ", text);
  return WriteStoredBytes(*this, ToCp932(text), false);
}

int TMetaStream::ReadBuffer(QByteArray &bytes) {
  const int32_t n = ReadValue<int32_t>();
  if (n <= 0) return n;
  const uint8_t *data = Take(n);
  const qsizetype length = data[n - 1] == 0 ? n - 1 : n;
  bytes = QByteArray(reinterpret_cast<const char *>(data), length);
  return n;
}
int TMetaStream::WriteBuffer(const QByteArray &bytes) {
  return WriteStoredBytes(*this, bytes, true);
}

// ---- Fonts ----

int TMetaStream::ReadFontRecord(TFont *font, bool &read) {
  read = false;
  const int64_t start = Position();
  QString tag;
  const int32_t n = ReadBuffer(tag);
  const int result = 4 + std::max(n, 0);
  if (n <= 0) return result;
  if (tag != u"Font") {
    SetPosition(start);
    return result;
  }
  QString face;
  ReadBuffer(face);
  if (face.isEmpty()) throw EReadError(QStringLiteral("Illegal Font Name"));
  const int32_t size = ReadValue<int32_t>();
  if (size == 0) throw EReadError(QStringLiteral("Illegal Font Size"));
  const TColor color = ReadValue<int32_t>();
  const uint8_t style = ReadValue<uint8_t>();
  if (font) {
    font->SetName(face);
    font->SetColor(color);
    font->SetSize(size);
    font->SetStyle(style);
  }
  read = true;
  return result;
}

int TMetaStream::ReadBuffer(TFont &font) {
  bool read;
  return ReadFontRecord(&font, read);
}

int TMetaStream::WriteBuffer(const TFont &font) {
  int n = WriteBuffer(QByteArrayLiteral("Font"));
  n += WriteBuffer(ToCp932(font.Name()));
  n += WriteBuffer(int32_t(font.Size()));
  n += WriteBuffer(int32_t(font.Color()));
  WriteValue<uint8_t>(font.Style());
  return n + 1;
}

int TMetaStream::ReadBuffer(std::unique_ptr<TMetaFont> &font) {
  TFont spec;
  bool read;
  const int result = ReadFontRecord(&spec, read);
  if (read) {
    if (!font) font = std::make_unique<TMetaFont>(QStringLiteral("ＭＳ ゴシック"));
    font->SetFontSpec(spec);
  }
  return result;
}

int TMetaStream::WriteBuffer(const TMetaFont *font) {
  if (!font) return WriteBuffer(int32_t(0));
  TFont spec;
  font->FontSpec(spec);
  return WriteBuffer(spec);
}

// ---- Points, grab forms, line types ----

int TMetaStream::ReadBuffer(std::vector<TRealPoint> &points) {
  const int32_t count = ReadValue<int32_t>();
  const uint8_t *p = Take(count); // checks before anything is allocated
  const size_t k = size_t(count) / 16;
  points.resize(k);
  for (size_t i = 0; i < k; ++i, p += 16)
    points[i] = {le::Get<double>(p), le::Get<double>(p + 8)};
  return 4 + count;
}

int TMetaStream::WriteBuffer(const std::vector<TRealPoint> &points) {
  if (points.size() > size_t(std::numeric_limits<int32_t>::max() / 16))
    throw EWriteError(kWriteError);
  const int32_t count = int32_t(points.size() * 16);
  WriteValue(count);
  // In chunks, so a long polygon takes few writes and no heap buffer.
  uint8_t chunk[64 * 16];
  size_t used = 0;
  for (const TRealPoint &pt : points) {
    le::Put(chunk + used, pt.rx);
    le::Put(chunk + used + 8, pt.ry);
    used += 16;
    if (used == sizeof chunk) {
      TStream::WriteBuffer(chunk, int64_t(used));
      used = 0;
    }
  }
  if (used) TStream::WriteBuffer(chunk, int64_t(used));
  return 4 + count;
}

int TMetaStream::ReadBuffer(TGrabForm &form) {
  const int32_t k = ReadValue<int32_t>();
  const uint8_t *p = Take(k);
  TGrabForm read(static_cast<size_t>(k));
  // A form this program does not know (a later version's, or a damaged
  // byte) is read as the last known one rather than refusing the object.
  for (int32_t i = 0; i < k; ++i)
    read[size_t(i)] = TGrabType(std::min(p[i], kLastGrabType));
  form = std::move(read);
  return 4 + k;
}

int TMetaStream::WriteBuffer(const TGrabForm &form) {
  if (form.size() > size_t(std::numeric_limits<int32_t>::max())) throw EWriteError(kWriteError);
  WriteValue(int32_t(form.size()));
  QByteArray bytes(qsizetype(form.size()), Qt::Uninitialized);
  for (size_t i = 0; i < form.size(); ++i)
    bytes[qsizetype(i)] = char(form[i]);
  TStream::WriteBuffer(bytes.constData(), bytes.size());
  return 4 + int(form.size());
}

int TMetaStream::ReadBuffer(TLineType &line) {
  const uint8_t *p = Take(12);
  line.Width = le::Get<int32_t>(p);
  line.Color = le::Get<int32_t>(p + 4);
  // An unknown style is read as the last known one, as grab forms are.
  line.Style = TLStyle(std::min(p[8], uint8_t(TLStyle::lsDouble2)));
  return 12;
}

int TMetaStream::WriteBuffer(const TLineType &line) {
  uint8_t b[12] = {};
  le::Put(b, line.Width);
  le::Put(b + 4, line.Color);
  b[8] = uint8_t(line.Style);
  TStream::WriteBuffer(b, 12);
  return 12;
}

// ---- The parameter record ----

int TMetaStream::ReadBuffer(TObjParam &param) {
  const int64_t start = Position();
  QString kind = ReadKindName();
  const int32_t size = ReadValue<int32_t>();
  if (size != TObjParam::kBlockSize) {
    SetPosition(start);
    ReadParam15(param);
    return int(Position() - start);
  }
  TObjParam read;
  read.DecodeBlock(std::span<const uint8_t, TObjParam::kBlockSize>(Take(size), size_t(size)));
  ReadBuffer(read.Text);
  read.ObjName = std::move(kind);
  param = std::move(read);
  if (FOwnLog) FLog->Debug(u"R_Param : ", param.ObjName);
  return int(Position() - start);
}

int TMetaStream::ReadParamNames(QString &kind, QString &text) {
  const int64_t start = Position();
  QString readKind = ReadKindName();
  const int32_t size = ReadValue<int32_t>();
  if (size != TObjParam::kBlockSize) {
    SetPosition(start);
    TObjParam old;
    ReadParam15(old);
    kind = std::move(old.ObjName);
    text = std::move(old.Text);
    return int(Position() - start);
  }
  Take(size);
  QString readText;
  ReadBuffer(readText);
  kind = std::move(readKind);
  text = std::move(readText);
  if (FOwnLog) FLog->Debug(u"R_Param : ", kind);
  return int(Position() - start);
}

int TMetaStream::ReadParam15(TObjParam &param) {
  const int64_t start = Position();
  QString kind = ReadKindName();
  const auto block = ReadSizedBlock<TObjParam15::kBlockSize>(*this, ReadValue<int32_t>());
  bool fontRead;
  ReadFontRecord(nullptr, fontRead); // a font stored with the old record is not used
  QString text;
  ReadBuffer(text);
  TObjParam15 old;
  old.DecodeBlock(Span(block));
  old.CopyTo(param);
  param.ObjName = std::move(kind);
  param.Text = std::move(text);
  if (FOwnLog) FLog->Debug(u"R_Param : ", param.ObjName);
  return int(Position() - start);
}

int TMetaStream::WriteBuffer(const TObjParam &param) {
  FLog->Debug(u"W_Param : ", param.ObjName);
  int n = WriteBuffer(ToCp932(param.ObjName));
  n += WriteBuffer(int32_t(TObjParam::kBlockSize));
  std::array<uint8_t, TObjParam::kBlockSize> block;
  param.EncodeBlock(block);
  TStream::WriteBuffer(block.data(), block.size());
  n += TObjParam::kBlockSize;
  return n + WriteBuffer(param.Text);
}

float TMetaStream::ReadVersion(float &value) {
  value = ReadValue<float>();
  if (FOwnLog) FLog->Debug(u"R_V : ", value);
  return value;
}

void TMetaStream::WriteVersion(float value) {
  FLog->Debug(u"W_V : ", value);
  WriteValue(value);
}

// ---- Tagged pictures ----

int TMetaStream::LoadPict(TPicture *picture) {
  QString tag;
  if (ReadBuffer(tag) <= 0) return 0;
  const int32_t size = ReadValue<int32_t>();
  if (size <= 0) return size;
  const uint8_t *data = Take(size);
  if (!picture) return size;

  TMemoryStream scratch;
  scratch.SetBytes(QByteArray(reinterpret_cast<const char *>(data), size));
  if (tag == u"bmp") {
    picture->Bitmap().LoadFromStream(scratch);
  } else if (tag == u"emf") {
    auto metafile = std::make_unique<TSafetyMetafile>();
    metafile->LoadFromStream(scratch);
    picture->SetGraphic(std::move(metafile));
  } else if (tag == u"ico") {
    picture->Icon().LoadFromStream(scratch);
  } else if (tag == u"jpg") {
    TJpegImage jpeg;
    jpeg.LoadFromStream(scratch);
    picture->Assign(jpeg);
  } else if (tag == u"png") {
    TPngImage png;
    png.LoadFromStream(scratch);
    picture->Assign(png);
  }
  return size;
}

QSize TMetaStream::PictHeaderSize(QString *aTag) {
  QString tag;
  QSize size;
  try {
    SetPosition(0);
    if (ReadBuffer(tag) > 0 && Readable(*this, 4)) {
      const int32_t count = ReadValue<int32_t>();
      if (count > 0 && Readable(*this, count)) {
        const QByteArray bytes =
            QByteArray::fromRawData(reinterpret_cast<const char *>(Take(count)), count);
        if (tag == u"bmp")
          size = TBitmap::HeaderSize(bytes);
        else if (tag == u"jpg")
          size = TJpegImage::HeaderSize(bytes);
        else if (tag == u"png")
          size = TPngImage::HeaderSize(bytes);
      }
    }
  } catch (const Exception &) {
    size = QSize();
  }
  SetPosition(0);
  if (aTag) *aTag = tag;
  return size;
}

int TMetaStream::SavePict(const TPicture *picture) {
  return SaveGraphic(picture ? picture->Graphic() : nullptr);
}

int TMetaStream::SaveGraphic(const TGraphic *graphic) {
  if (!graphic || graphic->Empty()) return WriteBuffer(QString());
  QString tag;
  if (dynamic_cast<const TMetafile *>(graphic))
    tag = QStringLiteral("emf");
  else if (dynamic_cast<const TBitmap *>(graphic))
    tag = QStringLiteral("bmp");
  else if (dynamic_cast<const TJpegImage *>(graphic))
    tag = QStringLiteral("jpg");
  else if (dynamic_cast<const TPngImage *>(graphic))
    tag = QStringLiteral("png");
  else if (dynamic_cast<const TIcon *>(graphic))
    tag = QStringLiteral("ico");
  else
    tag = QStringLiteral("***");
  TMemoryStream scratch;
  graphic->SaveToStream(scratch);
  if (scratch.Size() > std::numeric_limits<int32_t>::max()) throw EWriteError(kWriteError);
  const int32_t size = int32_t(scratch.Size());
  int n = WriteBuffer(tag);
  n += WriteBuffer(size);
  if (size > 0) TStream::WriteBuffer(scratch.Memory(), size);
  return n + size;
}

int TMetaStream::SaveSvg(TStream &svg) {
  if (svg.Size() > std::numeric_limits<int32_t>::max()) throw EWriteError(kWriteError);
  const int32_t size = int32_t(svg.Size());
  int n = WriteBuffer(QStringLiteral("svg"));
  n += WriteBuffer(size);
  if (size > 0) CopyFrom(svg, 0);
  return n + size;
}

// ---- Free routines ----

void ReadSizedString(TStream &stream, int32_t maxLength, QString &text) {
  text.clear();
  const int64_t start = stream.Position();
  const int32_t n = ReadLE<int32_t>(stream);
  if (n <= 0) return;
  if (n > maxLength || !Readable(stream, n)) {
    stream.SetPosition(start);
    return;
  }
  text = TakeStoredText(stream, n);
}

void WriteSizedString(TStream &stream, const QString &text) {
  WriteStoredBytes(stream, ToCp932(text), false);
}

void PatchStreamPos(TStream &stream, int64_t slot) {
  const int64_t q = stream.Position();
  if (q > std::numeric_limits<int32_t>::max() || slot < 0 || slot + 4 > stream.Size())
    throw EWriteError(kWriteError);
  stream.SetPosition(slot);
  WriteLE<int32_t>(stream, int32_t(q));
  stream.SetPosition(q);
}

void CopyFileByStream(const QString &destination, const QString &source) {
  TFileStream in(source, fmOpenRead);
  QFile out(destination);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw EFOpenError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(destination, out.errorString()));
  try {
    char chunk[64 * 1024];
    for (int64_t left = in.Size(); left > 0;) {
      const int64_t n = std::min<int64_t>(left, sizeof chunk);
      in.ReadBuffer(chunk, n);
      if (out.write(chunk, n) != n) throw EWriteError(kWriteError);
      left -= n;
    }
    if (!out.flush()) throw EWriteError(kWriteError);
    out.close();
    if (out.error() != QFileDevice::NoError) throw EWriteError(kWriteError);
  } catch (...) {
    out.close();
    QFile::remove(destination);
    throw;
  }
}

QString FileKindOfExt(const QString &ext) {
  struct TKind {
    const char *ext;
    const char *kind;
  };
  static const TKind kinds[] = {
      {".BMP", "BMP"},   {".ICN", "ICON"},  {".JPG", "JPEG"},  {".JPEG", "JPEG"}, {".EMF", "EMF"},
      {".SVG", "SVG"},   {".PNG", "PNG"},   {".AVI", "MOVI"},  {".WMV", "MOVI"},  {".MP4", "MOVI"},
      {".WAV", "SOUND"}, {".MP3", "SOUND"}, {".WMA", "SOUND"}, {".SND", "SOUND"}, {".TXT", "TEXT"},
  };
  for (const TKind &k : kinds)
    if (ext.compare(QLatin1String(k.ext), Qt::CaseInsensitive) == 0) return QLatin1String(k.kind);
  return QString();
}

std::unique_ptr<TGraphic> CreateGraphicOfKind(const QString &kind) {
  const QString k = kind.toUpper();
  if (k == u"BMP") return std::make_unique<TBitmap>();
  if (k == u"ICON") return std::make_unique<TIcon>();
  if (k == u"JPEG") return std::make_unique<TJpegImage>();
  if (k == u"EMF") return std::make_unique<TSafetyMetafile>();
  if (k == u"PNG") return std::make_unique<TPngImage>();
  return nullptr;
}

namespace {

// The path of a picture resource, or the empty string.
QString FindPictureResource(const QString &name, const QString &kind) {
  QStringList exts;
  if (kind == u"BMP")
    exts = {QStringLiteral("bmp")};
  else if (kind == u"ICON")
    exts = {QStringLiteral("ico"), QStringLiteral("icn")};
  else if (kind == u"JPEG")
    exts = {QStringLiteral("jpg"), QStringLiteral("jpeg")};
  else if (kind == u"EMF")
    exts = {QStringLiteral("emf")};
  else if (kind == u"PNG")
    exts = {QStringLiteral("png")};
  for (const QString &n : {name, name.toUpper(), name.toLower()})
    for (const QString &e : exts)
      for (const QString &x : {e, e.toUpper()}) {
        const QString path = kPictureResourcePrefix.toString() + n + u'.' + x;
        if (QFile::exists(path)) return path;
      }
  return QString();
}

} // namespace

bool LoadPictureResource(TPicture &picture, const QString &fileName) {
  const qsizetype slash = std::max(fileName.lastIndexOf(u'/'), fileName.lastIndexOf(u'\\'));
  const QString bare = fileName.mid(slash + 1);
  const qsizetype dot = bare.lastIndexOf(u'.');
  const QString name = dot < 0 ? bare : bare.left(dot);
  const QString kind = FileKindOfExt(dot < 0 ? QString() : bare.mid(dot));
  if (kind.isEmpty()) return false;
  std::unique_ptr<TGraphic> graphic = CreateGraphicOfKind(kind);
  if (!graphic) return false;

  const QString path = FindPictureResource(name, kind);
  if (path.isEmpty()) {
    if (kind == u"ICON") {
      picture.SetGraphic(std::move(graphic));
      return true;
    }
    throw Exception(QStringLiteral("Resource %1 not found").arg(name));
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw Exception(QStringLiteral("Resource %1 not found").arg(name));
  TMemoryStream bytes;
  bytes.SetBytes(file.readAll());
  graphic->LoadFromStream(bytes);
  picture.SetGraphic(std::move(graphic));
  return true;
}

int LoadPictFromStream(TStream &source, TPicture *picture) {
  const int64_t start = source.Position();
  QString tag;
  ReadSizedString(source, 100000, tag);
  const int64_t tagBytes = source.Position() - start;
  if (tagBytes == 0) Corrupt(); // an impossible tag count
  if (tagBytes == 4) return 0;  // the empty tag: nothing follows
  const int32_t size = ReadLE<int32_t>(source);
  TMetaStream scratch;
  scratch.WriteBuffer(tag);
  scratch.WriteBuffer(size);
  if (size > 0) {
    CheckReadable(source, size);
    scratch.CopyFrom(source, size);
  }
  scratch.SetPosition(0);
  return scratch.LoadPict(picture);
}

void ReadActParam(TStream &stream, TActParam &param) {
  const int32_t size = ReadLE<int32_t>(stream);
  CheckReadable(stream, size); // a negative size is corrupt too
  TActParam read;
  switch (size) {
  case TActParam::kBlockSize: {
    const auto block = ReadSizedBlock<TActParam::kBlockSize>(stream, size);
    read.DecodeBlock(Span(block));
    break;
  }
  case TOld1_ActParam::kBlockSize: {
    TOld1_ActParam old;
    old.DecodeBlock(Span(ReadSizedBlock<TOld1_ActParam::kBlockSize>(stream, size)));
    read = old.Convert();
    break;
  }
  case TOld2_ActParam::kBlockSize: {
    TOld2_ActParam old;
    old.DecodeBlock(Span(ReadSizedBlock<TOld2_ActParam::kBlockSize>(stream, size)));
    read = old.Convert();
    break;
  }
  default:
    stream.Skip(size);
    ReadStoredText(stream, param.Text);
    return;
  }
  ReadStoredText(stream, read.Text);
  param = std::move(read);
}

void ReadOldActParam(TStream &stream, TActParam &param) {
  const int32_t size = ReadLE<int32_t>(stream);
  TActParam_Old old;
  old.DecodeBlock(Span(ReadSizedBlock<TActParam_Old::kBlockSize>(stream, size)));
  TActParam read = old.Convert();
  ReadStoredText(stream, read.Text);
  param = std::move(read);
}

void WriteActParam(TStream &stream, const TActParam &param) {
  WriteLE<int32_t>(stream, TActParam::kBlockSize);
  std::array<uint8_t, TActParam::kBlockSize> block;
  param.EncodeBlock(block);
  stream.WriteBuffer(block.data(), block.size());
  WriteStoredBytes(stream, ToCp932(param.Text), false);
}

} // namespace lumora
