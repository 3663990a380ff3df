#pragma once
// Byte streams with the semantics the document code relies on: a position,
// a size, raw reads that may come up short and buffer reads that must not.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <memory>

namespace lumora {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
  virtual ~TStream() = default;

  // Moves up to count bytes; answers how many were moved.
  virtual int64_t Read(void *buffer, int64_t count) = 0;
  virtual int64_t Write(const void *buffer, int64_t count) = 0;
  // Answers the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size() const = 0;
  virtual void SetSize(int64_t size) = 0;

  int64_t Position() const { return const_cast<TStream *>(this)->Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // Bytes between the position and the end (0 when the position is beyond it).
  int64_t Remaining() const;

  // Moves exactly count bytes or raises EReadError / EWriteError.
  void ReadBuffer(void *buffer, int64_t count);
  void WriteBuffer(const void *buffer, int64_t count);
  // Skips count bytes forward; raises EReadError when fewer remain.
  void Skip(int64_t count);
  // The next count bytes in memory, without moving the position, when the
  // stream can show them so (count >= 0 and count bytes remain); nullptr
  // otherwise, and then the bytes are to be read. The bytes stay valid
  // until the stream is next read, moved, written or freed.
  virtual const char *Peek(int64_t count);
  // Copies count bytes from the source's position; count 0 copies the whole
  // source from its start. Answers the bytes copied.
  int64_t CopyFrom(TStream &source, int64_t count);

protected:
  // The position a seek moves to from aPosition in a stream of aSize bytes
  // (never before the start).
  static int64_t SeekTarget(int64_t aPosition, int64_t aSize, int64_t offset, TSeekOrigin origin);
};

// A growable stream in memory.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  int64_t Read(void *buffer, int64_t count) override;
  int64_t Write(const void *buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() const override { return data_.size(); }
  void SetSize(int64_t size) override;

  const char *Peek(int64_t count) override;

  void Clear();
  // Reads the size bytes at data as the content, without copying them (the
  // position goes to 0): they must stay as they are while this stream reads
  // them. Writing copies them first.
  void SetView(const char *data, int64_t size);
  const char *Memory() const { return data_.constData(); }
  char *Memory() { return data_.data(); }
  const QByteArray &Bytes() const { return data_; }
  void SetBytes(const QByteArray &bytes);
  void LoadFromStream(TStream &source);
  void SaveToStream(TStream &dest) const;
  void LoadFromFile(const QString &fileName);
  void SaveToFile(const QString &fileName) const;

protected:
  // The next count bytes in place, moving past them; nullptr (and nothing
  // moved) when count is negative or fewer bytes remain. For readers that
  // take many small values.
  const char *TakeInPlace(int64_t count) {
    const int64_t size = data_.size();
    if (count < 0 || position_ > size || count > size - position_) return nullptr;
    const char *bytes = data_.constData() + position_;
    position_ += count;
    return bytes;
  }

private:
  QByteArray data_;
  int64_t position_ = 0;
};

// File open modes: fmCreate makes a new file (or empties one); the others
// open an existing one.
enum TFileMode { fmOpenRead = 0, fmOpenWrite = 1, fmOpenReadWrite = 2, fmCreate = 0xFF00 };

class TFileStream : public TStream {
public:
  // Raises EFOpenError when the file cannot be opened or created.
  TFileStream(const QString &fileName, int mode);
  int64_t Read(void *buffer, int64_t count) override;
  int64_t Write(const void *buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // A file opened for reading only keeps the size it had when opened: the
  // readers ask for it before every value, and asking the file system each
  // time made reading a book several times slower.
  int64_t Size() const override { return readSize_ >= 0 ? readSize_ : file_.size(); }
  void SetSize(int64_t size) override;
  const QString &FileName() const { return fileName_; }

private:
  QString fileName_;
  QFile file_;
  int64_t readSize_ = -1;
};

} // namespace lumora
