#include "platform/system/Stream.h"

#include "platform/system/Exception.h"

#include <algorithm>
#include <cstring>

namespace lumora {

int64_t TStream::Remaining() const {
  return std::max<int64_t>(0, Size() - Position());
}

void TStream::ReadBuffer(void *buffer, int64_t count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count))
    throw EReadError(QStringLiteral("Stream read error"));
}

void TStream::WriteBuffer(const void *buffer, int64_t count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count))
    throw EWriteError(QStringLiteral("Stream write error"));
}

void TStream::Skip(int64_t count) {
  if (count < 0 || count > Remaining()) throw EReadError(QStringLiteral("Stream read error"));
  Seek(count, TSeekOrigin::soCurrent);
}

const char *TStream::Peek(int64_t) {
  return nullptr;
}

int64_t TStream::CopyFrom(TStream &source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  char chunk[64 * 1024];
  int64_t left = count;
  while (left > 0) {
    const int64_t n = std::min<int64_t>(left, sizeof chunk);
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    left -= n;
  }
  return count;
}

int64_t TMemoryStream::Read(void *buffer, int64_t count) {
  if (count <= 0 || position_ >= data_.size()) return 0;
  const int64_t n = std::min<int64_t>(count, data_.size() - position_);
  std::memcpy(buffer, data_.constData() + position_, size_t(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void *buffer, int64_t count) {
  if (count <= 0) return 0;
  const int64_t end = position_ + count;
  if (end > data_.size()) {
    // Grow geometrically, from a few hundred bytes, so that many small
    // writes stay linear and a small record is not grown a byte at a time.
    if (end > data_.capacity())
      data_.reserve(std::max<int64_t>({end, data_.capacity() * 2, 256}));
    data_.resize(end);
  }
  std::memcpy(data_.data() + position_, buffer, size_t(count));
  position_ = end;
  return count;
}

int64_t TStream::SeekTarget(int64_t aPosition, int64_t aSize, int64_t offset, TSeekOrigin origin) {
  switch (origin) {
  case TSeekOrigin::soBeginning:
    aPosition = offset;
    break;
  case TSeekOrigin::soCurrent:
    aPosition += offset;
    break;
  case TSeekOrigin::soEnd:
    aPosition = aSize + offset;
    break;
  }
  return std::max<int64_t>(aPosition, 0);
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, data_.size(), offset, origin);
  return position_;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(std::max<int64_t>(0, size));
  if (position_ > data_.size()) position_ = data_.size();
}

const char *TMemoryStream::Peek(int64_t count) {
  if (count < 0 || position_ > data_.size() || count > data_.size() - position_) return nullptr;
  return data_.constData() + position_;
}

void TMemoryStream::SetView(const char *data, int64_t size) {
  data_ = QByteArray::fromRawData(data, qsizetype(size));
  position_ = 0;
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

void TMemoryStream::SetBytes(const QByteArray &bytes) {
  data_ = bytes;
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream &source) {
  source.SetPosition(0);
  const int64_t n = source.Size();
  data_.resize(n);
  position_ = 0;
  source.ReadBuffer(data_.data(), n);
}

void TMemoryStream::SaveToStream(TStream &dest) const {
  dest.WriteBuffer(data_.constData(), data_.size());
}

void TMemoryStream::LoadFromFile(const QString &fileName) {
  TFileStream file(fileName, fmOpenRead);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const QString &fileName) const {
  TFileStream file(fileName, fmCreate);
  SaveToStream(file);
}

TFileStream::TFileStream(const QString &fileName, int mode) : fileName_(fileName), file_(fileName) {
  QIODevice::OpenMode openMode;
  if (mode == fmCreate)
    openMode = QIODevice::ReadWrite | QIODevice::Truncate;
  else if ((mode & 3) == fmOpenWrite)
    openMode = QIODevice::WriteOnly | QIODevice::ExistingOnly;
  else if ((mode & 3) == fmOpenReadWrite)
    openMode = QIODevice::ReadWrite | QIODevice::ExistingOnly;
  else
    openMode = QIODevice::ReadOnly;
  if (!file_.open(openMode)) {
    if (mode == fmCreate)
      throw EFOpenError(
          QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file_.errorString()));
    throw EFOpenError(
        QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file_.errorString()));
  }
  if (openMode == QIODevice::ReadOnly) readSize_ = file_.size();
}

int64_t TFileStream::Read(void *buffer, int64_t count) {
  if (count <= 0) return 0;
  const qint64 n = file_.read(static_cast<char *>(buffer), count);
  return n < 0 ? 0 : n;
}

int64_t TFileStream::Write(const void *buffer, int64_t count) {
  if (count <= 0) return 0;
  const qint64 n = file_.write(static_cast<const char *>(buffer), count);
  return n < 0 ? 0 : n;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t target = offset;
  if (origin == TSeekOrigin::soCurrent)
    target = file_.pos() + offset;
  else if (origin == TSeekOrigin::soEnd)
    target = file_.size() + offset;
  if (target < 0) target = 0;
  // Seeking discards the file's read buffer, even to where it already is:
  // asking for the position must not cost a system call and a refill.
  if (target != file_.pos()) file_.seek(target);
  return file_.pos();
}

void TFileStream::SetSize(int64_t size) {
  if (!file_.resize(size)) throw EWriteError(QStringLiteral("Stream write error"));
}

} // namespace lumora
