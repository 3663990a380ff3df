#include "platform/system/FileWindow.h"

#include "platform/system/Exception.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace lumora {

struct TFileWindowStream::TFile {
  QString name;
  QFile file;
  int fd = -1;
};

TFileWindowStream::TFileWindowStream(const QString &fileName, int64_t aWindow)
    : file_(std::make_shared<TFile>()), window_(std::max<int64_t>(aWindow, 1)) {
  file_->name = fileName;
  file_->file.setFileName(fileName);
  if (!file_->file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
    throw EFOpenError(
        QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file_->file.errorString()));
  file_->fd = file_->file.handle();
  size_ = std::max<int64_t>(0, file_->file.size());
}

TFileWindowStream::TFileWindowStream(const TFileWindowStream &aFile, int64_t aStart, int64_t aSize,
                                     int64_t aWindow)
    : file_(aFile.file_), window_(std::max<int64_t>(aWindow, 1)) {
  const int64_t fileEnd = aFile.base_ + aFile.size_;
  base_ = std::clamp<int64_t>(aFile.base_ + std::max<int64_t>(aStart, 0), aFile.base_, fileEnd);
  size_ = std::clamp<int64_t>(aSize, 0, fileEnd - base_);
}

TFileWindowStream::~TFileWindowStream() = default;

const QString &TFileWindowStream::FileName() const {
  return file_->name;
}

int64_t TFileWindowStream::ReadAt(int64_t from, char *buffer, int64_t count) const {
  int64_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(file_->fd, buffer + done, size_t(count - done), base_ + from + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break; // an error, or the file is shorter than it was
    done += n;
  }
  return done;
}

bool TFileWindowStream::Fill(int64_t from, int64_t count) {
  if (from < heldFrom_ || from > heldFrom_ + held_) held_ = 0, heldFrom_ = from;
  // What the window already holds from `from` on moves to its start.
  const int64_t kept = heldFrom_ + held_ - from;
  if (kept >= count) return true;
  const int64_t want = std::min(std::max(count, window_), size_ - from);
  if (want < count) return false; // beyond the end
  if (bytes_.size() < want) {
    QByteArray grown(qsizetype(want), Qt::Uninitialized);
    if (kept > 0) std::memcpy(grown.data(), bytes_.constData() + (from - heldFrom_), size_t(kept));
    bytes_ = std::move(grown);
  } else if (kept > 0 && from != heldFrom_) {
    std::memmove(bytes_.data(), bytes_.constData() + (from - heldFrom_), size_t(kept));
  }
  heldFrom_ = from;
  held_ = kept + ReadAt(from + kept, bytes_.data() + kept, want - kept);
  return held_ >= count;
}

int64_t TFileWindowStream::Read(void *buffer, int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  const int64_t n = std::min(count, size_ - position_);
  int64_t got;
  if (position_ >= heldFrom_ && position_ + n <= heldFrom_ + held_) {
    std::memcpy(buffer, bytes_.constData() + (position_ - heldFrom_), size_t(n));
    got = n;
  } else if (n >= window_) {
    // A large read goes straight into the caller's buffer.
    got = ReadAt(position_, static_cast<char *>(buffer), n);
  } else {
    Fill(position_, n);
    got = std::clamp<int64_t>(heldFrom_ + held_ - position_, 0, n);
    if (got > 0) std::memcpy(buffer, bytes_.constData() + (position_ - heldFrom_), size_t(got));
  }
  position_ += got;
  return got;
}

int64_t TFileWindowStream::Write(const void *, int64_t) {
  return 0;
}

int64_t TFileWindowStream::Seek(int64_t offset, TSeekOrigin origin) {
  position_ = SeekTarget(position_, size_, offset, origin);
  return position_;
}

void TFileWindowStream::SetSize(int64_t) {
  throw EWriteError(QStringLiteral("Stream write error"));
}

const char *TFileWindowStream::Peek(int64_t count) {
  if (count < 0 || position_ > size_ || count > size_ - position_) return nullptr;
  if (!Fill(position_, count)) return nullptr;
  return bytes_.constData() + (position_ - heldFrom_);
}

} // namespace lumora
