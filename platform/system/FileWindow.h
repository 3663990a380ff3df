#pragma once
// A file read through a window of its bytes held in memory: small reads are
// copies out of the window, and Peek shows the next bytes in place, so that
// a reader that takes many small values pays no call into the file for
// each, while the file is never held whole in memory. Reading only.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

#include "platform/system/Stream.h"

namespace lumora {

class TFileWindowStream : public TStream {
public:
  static constexpr int64_t kDefaultWindow = 1 << 20;

  // Opens fileName for reading; raises EFOpenError when it cannot, as
  // TFileStream does. The size is the file's when opened.
  explicit TFileWindowStream(const QString &fileName, int64_t aWindow = kDefaultWindow);
  // The bytes [aStart, aStart + aSize) of aFile's file (cut to what it
  // holds) as a stream of their own, with a window of its own.
  TFileWindowStream(const TFileWindowStream &aFile, int64_t aStart, int64_t aSize,
                    int64_t aWindow = kDefaultWindow);
  ~TFileWindowStream() override;
  TFileWindowStream(const TFileWindowStream &) = delete;
  TFileWindowStream &operator=(const TFileWindowStream &) = delete;

  // Up to count bytes; fewer at the end, or where the file gives fewer
  // than it had when opened.
  int64_t Read(void *buffer, int64_t count) override;
  // Writes nothing (WriteBuffer raises EWriteError).
  int64_t Write(const void *buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() const override { return size_; }
  // Raises EWriteError.
  void SetSize(int64_t size) override;
  // Moves the window so that it holds the next count bytes (growing it for
  // more than the window's size).
  const char *Peek(int64_t count) override;

  const QString &FileName() const;

private:
  struct TFile;
  // Makes the window hold [from, from + count) of this stream, or as much
  // of it as the file gives; answers whether it holds all of it.
  bool Fill(int64_t from, int64_t count);
  // Reads count bytes at the stream's offset from into buffer; answers the
  // bytes read.
  int64_t ReadAt(int64_t from, char *buffer, int64_t count) const;

  std::shared_ptr<TFile> file_;
  int64_t base_ = 0; // the stream's first byte in the file
  int64_t size_ = 0;
  int64_t position_ = 0;
  int64_t window_ = kDefaultWindow;
  QByteArray bytes_; // the window's buffer
  int64_t held_ = 0; // the window: [heldFrom_, heldFrom_ + held_)
  int64_t heldFrom_ = 0;
};

} // namespace lumora
