#pragma once
// The typed document stream: the memory stream through which every page
// object, page and book writes and reads itself, fixing the byte form of each
// stored value, and the free routines that the book file and the picture
// code use on any stream.
//
// Stored forms (little-endian, no alignment between values):
//   bool 1 byte (0 false, anything else true; written 0 or 1), Word 2,
//   Integer / Cardinal / Single 4, Int64 / Double 8;
//   text string: Int32 n, then n code page 932 bytes, no terminator;
//   byte string: Int32 n = length + 1, then the bytes and one NUL;
//   an empty string of either form is the Int32 0 alone, and readers drop one
//   trailing NUL, so both forms read back alike;
//   point array: Int32 byte count 16k, then k points (x, y as Doubles);
//   grab form: Int32 k, then k bytes (TGrabType 0..7);
//   line type: Int32 width, Int32 colour, style byte, 3 zero bytes;
//   font: byte string "Font", byte string face, Int32 points, Int32 colour,
//   style byte (bit 0 bold, 1 italic, 2 underline, 3 strike-out); no font is
//   the Int32 0 (an empty tag);
//   TObjParam: byte string kind name, Int32 48, the 48-byte block, text
//   string Text; any size but 48 means the older 64-byte layout;
//   tagged picture: text string tag ("bmp", "emf", "ico", "jpg", "png",
//   "***" for other classes; empty for none, and nothing follows), Int32
//   size, the picture file's bytes.
//
// Every reader checks the bytes that remain before it reads or allocates:
// truncated data and impossible counts raise EReadError ("Stream read
// error"); corrupt values (a grab type above 7, an unknown line style, a
// negative count) raise it too. A reader that fails leaves its destination
// as it was.
#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/params/ActParam.h"
#include "core/params/GrabTypes.h"
#include "core/params/ObjParam.h"
#include "platform/system/Stream.h"

namespace lumora {

class TFont;
class TMetaFont;
class TGraphic;
class TPicture;

// Trace sink of a stream. Flags: "R : " / "W : " (Word, Integer, Cardinal,
// Single, text string), "R64 : " / "W64 : " (Int64), "R_V : " / "W_V : "
// (version), "R_Param : " / "W_Param : " (parameter record, with its kind
// name).
class TLog {
public:
  virtual ~TLog() = default;
  virtual void Debug(QStringView rwFlag, int32_t value) = 0;
  virtual void Debug(QStringView rwFlag, const QString &value) = 0;
  virtual void Debug(QStringView rwFlag, float value) = 0;
  virtual void Debug(QStringView rwFlag, int64_t value) = 0;
};

// The silent sink every stream of the program is made with.
class TNoLog final : public TLog {
public:
  void Debug(QStringView, int32_t) override {}
  void Debug(QStringView, const QString &) override {}
  void Debug(QStringView, float) override {}
  void Debug(QStringView, int64_t) override {}
};

// Writes one line per call to the program-wide trace stream, when one is set:
// flag "[" instance "]POS=" position "  VAL=" value CR LF, in code page 932.
class TDoLog final : public TLog {
public:
  explicit TDoLog(const TStream &traced);
  ~TDoLog() override;
  void Debug(QStringView rwFlag, int32_t value) override;
  void Debug(QStringView rwFlag, const QString &value) override;
  void Debug(QStringView rwFlag, float value) override;
  void Debug(QStringView rwFlag, int64_t value) override;

private:
  void Line(QStringView rwFlag, const QString &value) const;

  const TStream *FStream;
  QString FStrNo;
};

// The trace stream TDoLog writes to; none unless set (the program sets none).
// The stream must outlive every TDoLog that writes to it.
void SetTraceStream(TStream *stream);

// Whether count items of width bytes remain in the stream (never for a
// negative count or width). The one bounds check of every reader: readers
// that refuse bad data raise through CheckReadable, readers that pass over
// it ask Readable.
bool Readable(const TStream &stream, int64_t count, int64_t width = 1);
// Raises EReadError unless Readable.
void CheckReadable(const TStream &stream, int64_t count, int64_t width = 1);

class TMetaStream : public TMemoryStream {
public:
  explicit TMetaStream(bool aLog = false);
  ~TMetaStream() override;
  TMetaStream(const TMetaStream &) = delete;
  TMetaStream &operator=(const TMetaStream &) = delete;

  // The raw pair: moves exactly count bytes.
  using TStream::ReadBuffer;
  using TStream::WriteBuffer;

  // Typed values; each answers the bytes it used, except the string readers,
  // which answer the stored count n (<= 0 for an empty string, which leaves
  // the destination as it was).
  int ReadBuffer(bool &value);
  int WriteBuffer(bool value);
  int ReadBuffer(uint16_t &value);
  int WriteBuffer(uint16_t value);
  int ReadBuffer(int32_t &value);
  int WriteBuffer(int32_t value);
  int ReadBuffer(uint32_t &value);
  int WriteBuffer(uint32_t value);
  int ReadBuffer(int64_t &value);
  int WriteBuffer(int64_t value);
  int ReadBuffer(float &value);
  int WriteBuffer(float value);
  int ReadBuffer(double &value);
  int WriteBuffer(double value);
  // Text string, converted from and to code page 932.
  int ReadBuffer(QString &text);
  int WriteBuffer(const QString &text);
  // Byte string: code page 932 bytes kept as they are.
  int ReadBuffer(QByteArray &bytes);
  int WriteBuffer(const QByteArray &bytes);
  // A literal would silently pick the bool overload.
  int WriteBuffer(const char *) = delete;

  // Font record. Answers the size of the tag (4 + its byte count) whatever
  // follows. An empty tag reads nothing more; a tag other than "Font" puts
  // the position back before it. An empty face raises "Illegal Font Name", a
  // size of 0 "Illegal Font Size". The font is set (name, colour, size,
  // style) only when a record was read.
  int ReadBuffer(TFont &font);
  int WriteBuffer(const TFont &font);
  // The font of page objects: applied with SetFontSpec when a font record
  // was read, creating the font with the face "ＭＳ ゴシック" when font is
  // empty. nullptr writes the empty tag.
  int ReadBuffer(std::unique_ptr<TMetaFont> &font);
  int WriteBuffer(const TMetaFont *font);

  // Sizes points to count div 16. A count that is not a multiple of 16 has
  // its extra bytes skipped, so the stream stays behind the whole array.
  int ReadBuffer(std::vector<TRealPoint> &points);
  int WriteBuffer(const std::vector<TRealPoint> &points);
  int ReadBuffer(TGrabForm &form);
  int WriteBuffer(const TGrabForm &form);
  int ReadBuffer(TLineType &line);
  int WriteBuffer(const TLineType &line);

  // The parameter record; a size other than 48 is read with ReadParam15.
  int ReadBuffer(TObjParam &param);
  int WriteBuffer(const TObjParam &param);
  // The old 64-byte layout (kind name, size, record, font record, text);
  // replaces only the fields that layout holds.
  int ReadParam15(TObjParam &param);
  // Reads a parameter record as ReadBuffer(TObjParam) does (the same bytes,
  // the same errors) but keeps only its kind name and text.
  int ReadParamNames(QString &kind, QString &text);

  float ReadVersion(float &value);
  void WriteVersion(float value);

  // Reads a tagged picture into the holder, or skips it when picture is
  // nullptr. Answers the data size (0 for an empty tag, the stored size when
  // it is not positive). Tags other than bmp, emf, ico, jpg and png are
  // consumed and leave the holder as it was.
  int LoadPict(TPicture *picture);
  // The size of the tagged picture at the start of the content as its
  // header gives it, without decoding it: a "bmp", "jpg" or "png" picture
  // whose header reads as that kind. Any other picture (no tag, "emf",
  // "ico", other tags, bytes cut short) gives an invalid size. aTag, when
  // given, receives the tag (empty when none can be read).
  QSize PictHeaderSize(QString *aTag = nullptr);
  // The holder's graphic as a tagged picture; nullptr writes the empty tag.
  int SavePict(const TPicture *picture);
  // One graphic as a tagged picture; nullptr or an empty graphic writes the
  // empty tag. Answers the bytes written.
  int SaveGraphic(const TGraphic *graphic);
  // The whole of svg under the tag "svg" (LoadPict does not read it back).
  int SaveSvg(TStream &svg);

private:
  // The next count bytes in place, after the bounds check; moves past them.
  const uint8_t *Take(int64_t count);
  // A text string holding a kind name, as ReadBuffer(QString) reads it
  // (the empty text for none); the decoded names are kept and shared.
  QString ReadKindName();
  template <typename T> T ReadValue();
  template <typename T> void WriteValue(T value);
  // Reads a font record into font (when given); sets read when one was read.
  int ReadFontRecord(TFont *font, bool &read);

  std::unique_ptr<TLog> FOwnLog; // a TDoLog; none for the silent sink
  TLog *FLog;                    // FOwnLog, or the one shared TNoLog
};

// The length-limited string reader of files: reads a text string of at most
// maxLength bytes into text. A count that is not positive gives the empty
// text behind the count; a count above maxLength or above the bytes that
// remain behind the count gives the empty text with the position put back
// before the count, so a caller can peek for a short tag. A stream too short
// for the count itself raises EReadError.
void ReadSizedString(TStream &stream, int32_t maxLength, QString &text);
// A text string (an empty text is the Int32 0 alone).
void WriteSizedString(TStream &stream, const QString &text);
// Writes the current position as an Int32 at offset slot and returns to it.
// Raises EWriteError when the slot is not inside the written data or the
// position does not fit an Int32.
void PatchStreamPos(TStream &stream, int64_t slot);
// Copies the whole source file into a new (or emptied) destination file. On
// failure the partial destination is removed and the error raised.
void CopyFileByStream(const QString &destination, const QString &source);
// The media kind of a file extension with its dot, in any case: "BMP",
// "ICON" (".ICN"), "JPEG", "EMF", "SVG", "PNG", "MOVI", "SOUND", "TEXT", or
// the empty string.
QString FileKindOfExt(const QString &ext);
// A new empty graphic for "BMP", "ICON", "JPEG", "EMF" (a TSafetyMetafile)
// or "PNG", in any case; nullptr for other words.
std::unique_ptr<TGraphic> CreateGraphicOfKind(const QString &kind);

// Pictures compiled into the program live in the Qt resource system under
// this prefix, as kPictureResourcePrefix + name + "." + extension.
inline constexpr QStringView kPictureResourcePrefix = u":/pictures/";
// Loads a compiled-in picture. The resource name is fileName without folder
// (either separator) and extension, the kind FileKindOfExt of the
// extension. The resource is looked up with the name as given, in upper case
// and in lower case, each with the kind's extensions ("bmp"; "ico", "icn";
// "jpg", "jpeg"; "emf"; "png") in lower and upper case. Answers false when
// the kind is empty or has no graphic class. A missing icon leaves an empty
// icon in the holder; any other missing resource raises Exception
// ("Resource <name> not found"); bad bytes raise the graphic's error.
bool LoadPictureResource(TPicture &picture, const QString &fileName);
// Reads one tagged picture from a file stream (tag through ReadSizedString
// with 100000) into the holder (or skips it for nullptr). Answers the data
// size, 0 for an empty tag; an over-long tag count raises EReadError.
int LoadPictFromStream(TStream &source, TPicture *picture);

// The action record by its stored size: 56 the current block, 88 and 48 the
// older forms converted into a fresh record that replaces param; any other
// size is skipped and only the text is read into param.Text. A negative
// size, or one above the bytes that remain, raises EReadError.
void ReadActParam(TStream &stream, TActParam &param);
// The oldest option layout: Int32 size, that many bytes of which the first 80
// are a TActParam_Old, the text string; converted into param.
void ReadOldActParam(TStream &stream, TActParam &param);
// Int32 56, the block, the text string.
void WriteActParam(TStream &stream, const TActParam &param);

} // namespace lumora
