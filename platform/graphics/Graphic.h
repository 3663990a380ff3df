#pragma once
// The picture classes' common base. A graphic read from file bytes keeps
// those bytes and writes them back unchanged until it is modified, so that
// reading and writing a document is byte-exact; a graphic made or changed in
// memory encodes its file form when written.
//
// The classes: TBitmap (Bitmap.h, BMP files), TIcon (Icon.h, ICO files),
// TJpegImage (JpegImage.h), TPngImage (PngImage.h), TMetafile and
// TSafetyMetafile (Metafile.h, enhanced metafiles and recorded drawings);
// the holder TPicture (Picture.h).
//
// Bad or truncated file bytes raise lumora::Exception with the message
// "Can't Create Image(" + kind + ")"; the graphic is then left empty.
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <memory>

#include "platform/graphics/Types.h"

namespace lumora {

class TCanvas;
class TStream;

class TGraphic {
public:
  virtual ~TGraphic() = default;

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Reads the whole rest of the stream as the file form.
  virtual void LoadFromStream(TStream &stream) = 0;
  // Writes the file form: the original bytes when unmodified.
  virtual void SaveToStream(TStream &stream) const = 0;
  // Draws the picture stretched into r (a mirrored r mirrors it).
  virtual void Draw(TCanvas &canvas, const TRect &r) const = 0;
  virtual std::unique_ptr<TGraphic> Clone() const = 0;

  // Whether the picture is drawn see-through: a bitmap leaves out the
  // pixels of its transparent colour; a metafile never fills its
  // background. Copied by Clone.
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool transparent) { transparent_ = transparent; }

  // Reads the whole file as the file form; raises EFOpenError when the file
  // cannot be opened.
  void LoadFromFile(const QString &fileName);

  // The file bytes this graphic was read from, while it is unmodified
  // (empty otherwise).
  const QByteArray &OriginalBytes() const { return original_; }

protected:
  TGraphic() = default;
  TGraphic(const TGraphic &) = default;
  TGraphic &operator=(const TGraphic &) = default;

  // Reads the rest of the stream into a byte array (checked against the
  // stream's size before allocating).
  static QByteArray ReadRest(TStream &stream);
  // Raises the "Can't Create Image(kind)" exception.
  [[noreturn]] static void Fail(const QString &kind);
  // The graphic drawn at its own size onto an image of the format filled
  // with fill (a null image for an empty graphic); a picture over the pixel
  // limit raises the kind's exception.
  static QImage Render(const TGraphic &graphic, QImage::Format format, const QColor &fill,
                       const QString &kind);
  // The picture was changed in memory: the original bytes no longer hold.
  // Const because drawing through a canvas kept from earlier is found out
  // only when the pixels are next read.
  void Modified() const { original_.clear(); }

  mutable QByteArray original_;
  bool transparent_ = false;
};

// Pictures larger than this many pixels are refused before decoding.
constexpr int64_t kMaxPicturePixels = 100'000'000;

} // namespace lumora
