#pragma once
// Metafile pictures. A metafile holds either the bytes of an enhanced
// metafile file (EMF) read from a document, or a drawing recorded through a
// TMetafileCanvas (kept as a QPicture and replayed on paint).
//
// EMF bytes: the size comes from the file's header frame; the bytes are
// written back unchanged. Drawing converts them once to SVG (libemf2svg) and
// renders that with QtSvg, the header frame mapped onto the target
// rectangle. Bytes whose record chain is not sound (a header first, every
// record at least 8 bytes, 4-aligned and inside the file, up to an end
// record; bitmaps uncompressed and holding every pixel they claim) draw
// nothing. On a raster surface the picture is drawn without
// antialiased edges, as the platform plays metafiles, so that a key colour
// behind it stays exact; on a recording or a printer it stays vector.
// Copies share the converted picture.
//
// Recorded drawings: Play replays them at an offset; Draw maps the frame
// (0, 0, w, h) onto the given rectangle, where w and h are the size set
// before recording, else the right and bottom of what was recorded (so that
// drawing at (0, 0) at its own size replays in place). Writing a recorded
// drawing as EMF is not supported yet: SaveToStream writes nothing for it.
//
// On a raster surface drawn at whole-pixel offsets and unscaled, a recorded
// drawing is rendered once into a premultiplied image (only the part the
// surface can show) and that image is drawn: replaying a QPicture decodes
// every image it holds again. A recording whose pen inverts what is under it
// is always replayed.
//
// SetWidth / SetHeight change the size the picture is drawn at by
// TCanvas::Draw (the content is stretched to it); a negative size mirrors
// it, so a picture sized -w drawn at x = w covers 0..w mirrored.
#include <QByteArray>
#include <QPicture>
#include <QTransform>
#include <memory>
#include <optional>

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Graphic.h"

namespace lumora {

class TMetafile : public TGraphic {
public:
  TMetafile() = default;

  // True without EMF bytes and without a recorded drawing.
  bool Empty() const override;
  // The size given with SetWidth / SetHeight, else the EMF frame, else the
  // recording's frame. May be negative (mirrored).
  int Width() const override;
  int Height() const override;
  void SetWidth(int width) { width_ = width; }
  void SetHeight(int height) { height_ = height; }

  bool HasEmfData() const { return !original_.isEmpty(); }
  bool HasRecording() const { return recorded_; }
  const QPicture &Recording() const { return picture_; }

  // Replays the recorded drawing with its origin at offset.
  void Play(TCanvas &canvas, TPoint offset) const;

  // Reads an EMF file; raises "Can't Create Image(emf)" when the header is
  // not a valid EMF header.
  void LoadFromStream(TStream &stream) override;
  void SaveToStream(TStream &stream) const override;
  void Draw(TCanvas &canvas, const TRect &r) const override;
  std::unique_ptr<TGraphic> Clone() const override;

  void Clear();

  // The frame size in pixels (at 96 dpi) of EMF bytes; raises as above.
  static QSize EmfSize(const QByteArray &bytes);

private:
  friend class TMetafileCanvas;
  struct EmfView;
  struct Raster;

  void TakeRecording(const QPicture &picture, bool clipped, bool inverts, const QRect &drawn);

  void PlayMapped(TCanvas &canvas, const QTransform &mapping) const;
  // Draws the rendered image of the recording when the target allows it.
  bool DrawRendered(TCanvas &canvas, const QTransform &mapping) const;
  void DrawEmf(TCanvas &canvas, const TRect &r) const;

  QPicture picture_;
  bool recorded_ = false;
  bool recordedClip_ = false;    // the recording sets clips of its own
  QRect recordedArea_;           // what the recording covers
  bool recordedInverts_ = false; // the recording reads what is under it
  // The rendered image of the recording, shared with copies (the recording
  // is never changed in place: a new one drops it).
  mutable std::shared_ptr<Raster> raster_;
  // The content's own size, mapped onto the rectangle it is drawn into: the
  // EMF frame in pixels, or the recording's frame.
  QSize frame_;
  // The EMF bytes' converted picture, made at the first drawing and shared
  // with copies; replaced when the content changes.
  std::shared_ptr<EmfView> emfView_;
  std::optional<int> width_;
  std::optional<int> height_;
};

// On the old platform this class lifted the canvas's clip while drawing;
// here it draws as the plain metafile. Documents' EMF pictures are made as
// this class.
class TSafetyMetafile : public TMetafile {
public:
  TSafetyMetafile() = default;
  std::unique_ptr<TGraphic> Clone() const override;
};

// A canvas recording into a metafile. The recording replaces the metafile's
// content when the canvas is ended (End or destruction).
class TMetafileCanvas : public TCanvas {
public:
  explicit TMetafileCanvas(TMetafile &metafile);
  ~TMetafileCanvas() override;
  // Ends the recording and hands it to the metafile; the canvas must not be
  // drawn on afterwards.
  void Finish();

private:
  TMetafile *metafile_;
  QPicture picture_;
};

} // namespace lumora
