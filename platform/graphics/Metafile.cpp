#include "platform/graphics/Metafile.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <emf2svg.h>
#include <limits>
#include <mutex>

#include "platform/system/Stream.h"

// libemf2svg calls FcFini after matching a font for text given as glyph
// indices. That tears down the fontconfig state Qt is using (fontconfig
// aborts on an assertion when Qt still holds its caches), so the program
// defines it as doing nothing: the executable's definition is the one the
// converter's call binds to. Fontconfig's state then lives until the process
// ends, as Qt expects anyway.
extern "C" void FcFini(void) {}

namespace lumora {

namespace {

const QString kKind = QStringLiteral("emf");

// EMF frames are in hundredths of a millimetre; sizes are given at the
// screen's 96 pixels per inch.
constexpr int kHundredthMMPerInch = 2540;
constexpr int kScreenPixelsPerInch = 96;
constexpr int kMaxSide = 100000;

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr int kHeaderMinSize = 88;
constexpr uint32_t kRecordMinSize = 8;
constexpr uint32_t kEofMinSize = 20;

// The length of a size that may be negative (mirrored).
int Side(int size) {
  return size == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : std::abs(size);
}

// The size reaching from 0 to the last pixel drawn (0 when nothing was);
// a recording's rectangle may lie anywhere in the integer range.
int ExtentOf(bool nothing, int last) {
  if (nothing) return 0;
  return int(std::clamp<int64_t>(int64_t(last) + 1, 0, std::numeric_limits<int>::max()));
}

uint32_t U32At(const QByteArray &bytes, qsizetype at) {
  return qFromLittleEndian<uint32_t>(bytes.constData() + at);
}

int32_t I32At(const QByteArray &bytes, qsizetype at) {
  return qFromLittleEndian<int32_t>(bytes.constData() + at);
}

uint16_t U16At(const QByteArray &bytes, qsizetype at) {
  return qFromLittleEndian<uint16_t>(bytes.constData() + at);
}

// The records that carry device-independent bitmaps, with the place of the
// four fields (offset and size of the header, offset and size of the bits)
// of the source bitmap and of the mask bitmap (0: none).
struct DibRecord {
  uint32_t type;
  int source;
  int mask;
};
constexpr DibRecord kDibRecords[] = {
    {76, 84, 0},   // EMR_BITBLT
    {77, 84, 0},   // EMR_STRETCHBLT
    {78, 84, 112}, // EMR_MASKBLT
    {79, 96, 124}, // EMR_PLGBLT
    {80, 48, 0},   // EMR_SETDIBITSTODEVICE
    {81, 48, 0},   // EMR_STRETCHDIBITS
    {93, 16, 0},   // EMR_CREATEMONOBRUSH
    {94, 16, 0},   // EMR_CREATEDIBPATTERNBRUSHPT
    {114, 84, 0},  // EMR_ALPHABLEND
    {116, 84, 0},  // EMR_TRANSPARENTBLT
};

// Whether a bitmap of a record lies inside it and holds every pixel its
// header claims. Only uncompressed bitmaps pass: the converter's run-length
// decoder does not stop at the end of its data.
bool DibSound(const QByteArray &bytes, qsizetype record, uint32_t size, int fields) {
  if (uint64_t(fields) + 16 > size) return false;
  const uint32_t offHeader = U32At(bytes, record + fields);
  const uint32_t headerBytes = U32At(bytes, record + fields + 4);
  const uint32_t offBits = U32At(bytes, record + fields + 8);
  const uint32_t bitsBytes = U32At(bytes, record + fields + 12);
  if (headerBytes == 0 && bitsBytes == 0) return true; // no bitmap (a pattern-only blit)
  if (uint64_t(offHeader) + headerBytes > size || uint64_t(offBits) + bitsBytes > size)
    return false;
  constexpr uint32_t kInfoHeaderSize = 40;
  if (headerBytes < kInfoHeaderSize) return false;
  const qsizetype header = record + offHeader;
  const uint32_t infoSize = U32At(bytes, header);
  const int64_t width = I32At(bytes, header + 4);
  const int64_t height = I32At(bytes, header + 8);
  const uint16_t bitCount = U16At(bytes, header + 14);
  const uint32_t compression = U32At(bytes, header + 16);
  const uint32_t coloursUsed = U32At(bytes, header + 32);
  constexpr uint32_t kRgb = 0;
  constexpr uint32_t kBitFields = 3;
  if (infoSize < kInfoHeaderSize || infoSize > headerBytes || width <= 0 || height == 0)
    return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32)
    return false;
  if (compression != kRgb && (compression != kBitFields || (bitCount != 16 && bitCount != 32)))
    return false;
  const uint64_t colours = coloursUsed != 0 ? coloursUsed : bitCount <= 8 ? 1u << bitCount : 0;
  const uint64_t masks = compression == kBitFields && infoSize == kInfoHeaderSize ? 12 : 0;
  if (infoSize + masks + 4 * colours > headerBytes) return false;
  const uint64_t stride = (uint64_t(width) * bitCount + 31) / 32 * 4;
  return stride * uint64_t(std::abs(height)) <= bitsBytes;
}

// The length of the record chain up to and including the end record, or 0
// when the chain is not sound: the converter is a C library that trusts the
// sizes, so they are checked here before it sees the bytes.
qsizetype EmfRecordsEnd(const QByteArray &bytes) {
  const qsizetype n = bytes.size();
  qsizetype at = 0;
  while (n - at >= qsizetype(kRecordMinSize)) {
    const uint32_t type = U32At(bytes, at);
    const uint32_t size = U32At(bytes, at + 4);
    if (size < kRecordMinSize || size % 4 != 0 || size > uint64_t(n - at)) return 0;
    if ((at == 0) != (type == kEmrHeader)) return 0;
    if (at == 0 && size < uint32_t(kHeaderMinSize)) return 0;
    for (const DibRecord &dib : kDibRecords)
      if (dib.type == type && (!DibSound(bytes, at, size, dib.source) ||
                               (dib.mask != 0 && !DibSound(bytes, at, size, dib.mask))))
        return 0;
    at += size;
    if (type == kEmrEof) return size >= kEofMinSize ? at : 0;
  }
  return 0;
}

// The pixels a rectangle touches, kept far inside the integer range (a
// drawing's bounds come from the file).
QRect PixelsOf(const QRectF &r) {
  constexpr double kLimit = 1 << 28;
  const QRectF kept = r & QRectF(-kLimit, -kLimit, 2 * kLimit, 2 * kLimit);
  return kept.isEmpty() ? QRect() : kept.toAlignedRect();
}

// Edges drawn antialiased become opaque where at least half covered and
// vanish elsewhere, as the platform draws metafiles: a half-covered edge
// pixel would otherwise mix with whatever is behind (a key colour too).
void HardenEdges(QImage &layer) {
  for (int y = 0; y < layer.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(layer.scanLine(y));
    for (int x = 0; x < layer.width(); ++x) {
      const int alpha = qAlpha(line[x]);
      if (alpha == 255 || alpha == 0) continue;
      line[x] = alpha < 128 ? 0 : (qUnpremultiply(line[x]) | 0xFF000000u);
    }
  }
}

} // namespace

// The picture of EMF bytes, made at the first drawing and shared by the
// copies of a metafile; the lock keeps two threads drawing copies from
// converting twice or replaying one picture at once.
struct TMetafile::EmfView {
  std::mutex lock;
  bool made = false;
  // The SVG drawn once, with the frame at (0, 0, frame size); replaying it
  // skips the SVG styles (and the warnings an odd file gives there) at every
  // drawing. Empty when the bytes are refused or do not convert.
  QPicture picture;
  QSizeF frame;
  // Where the drawing lies in the picture: it may reach outside the frame.
  QRectF drawing;

  void Convert(const QByteArray &bytes);
};

void TMetafile::EmfView::Convert(const QByteArray &bytes) {
  const qsizetype length = EmfRecordsEnd(bytes);
  if (length == 0) return;
  // The converter draws in device units of the reference device the file
  // names, shifted by the header's bounds; the frame is in hundredths of a
  // millimetre.
  const double boundsLeft = I32At(bytes, 8);
  const double boundsTop = I32At(bytes, 12);
  const double frameLeft = I32At(bytes, 24);
  const double frameTop = I32At(bytes, 28);
  const double frameWidth = double(I32At(bytes, 32)) - frameLeft;
  const double frameHeight = double(I32At(bytes, 36)) - frameTop;
  const double deviceX = I32At(bytes, 72);
  const double deviceY = I32At(bytes, 76);
  const double millimetresX = I32At(bytes, 80);
  const double millimetresY = I32At(bytes, 84);
  if (frameWidth <= 0 || frameHeight <= 0 || deviceX <= 0 || deviceY <= 0 || millimetresX <= 0 ||
      millimetresY <= 0)
    return;
  const double unitsX = deviceX / (millimetresX * 100);
  const double unitsY = deviceY / (millimetresY * 100);
  const QRectF viewBox(frameLeft * unitsX - boundsLeft, frameTop * unitsY - boundsTop,
                       frameWidth * unitsX, frameHeight * unitsY);

  // The converter takes a writable buffer; it gets a copy of the chain.
  QByteArray records(bytes.constData(), length);
  char noNameSpace[] = "";
  generatorOptions options{};
  options.nameSpace = noNameSpace;
  options.verbose = false;
  options.emfplus = false; // the platform's metafile player shows the plain records
  options.svgDelimiter = true;
  char *out = nullptr;
  size_t outLength = 0;
  const int status = emf2svg(records.data(), size_t(length), &out, &outLength, &options);
  QByteArray svg = out != nullptr ? QByteArray(out, qsizetype(outLength)) : QByteArray();
  std::free(out);
  if (status <= 0 || svg.isEmpty()) return;
  // A face of height 0 asks for the default size; the converter writes it
  // as size 0, which Qt refuses with a warning for every such text. Without
  // a size the text gets the default one.
  svg.replace(" font-size=\"0.0000\"", "");

  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) return;
  renderer.setViewBox(viewBox);
  frame = viewBox.size();
  {
    QPainter recorder(&picture);
    renderer.render(&recorder, QRectF(QPointF(0, 0), frame));
  }
  // The header's bounds (inclusive) hold the drawing; a pen may reach half
  // a unit beyond them.
  const double boundsRight = I32At(bytes, 16);
  const double boundsBottom = I32At(bytes, 20);
  drawing = QRectF(-1 - viewBox.x(), -1 - viewBox.y(), boundsRight - boundsLeft + 3,
                   boundsBottom - boundsTop + 3);
}

QSize TMetafile::EmfSize(const QByteArray &bytes) {
  if (bytes.size() < kHeaderMinSize) Fail(kKind);
  const auto *d = reinterpret_cast<const uchar *>(bytes.constData());
  const uint32_t type = qFromLittleEndian<uint32_t>(d);
  const uint32_t headerSize = qFromLittleEndian<uint32_t>(d + 4);
  const uint32_t signature = qFromLittleEndian<uint32_t>(d + 40);
  if (type != kEmrHeader || signature != kEmfSignature || headerSize < uint32_t(kHeaderMinSize) ||
      headerSize > uint32_t(bytes.size()))
    Fail(kKind);
  const int64_t frameLeft = qFromLittleEndian<int32_t>(d + 24);
  const int64_t frameTop = qFromLittleEndian<int32_t>(d + 28);
  const int64_t frameRight = qFromLittleEndian<int32_t>(d + 32);
  const int64_t frameBottom = qFromLittleEndian<int32_t>(d + 36);
  const int64_t frameWidth = frameRight - frameLeft;
  const int64_t frameHeight = frameBottom - frameTop;
  if (frameWidth < 0 || frameHeight < 0) Fail(kKind);
  const int64_t width =
      (frameWidth * kScreenPixelsPerInch + kHundredthMMPerInch / 2) / kHundredthMMPerInch;
  const int64_t height =
      (frameHeight * kScreenPixelsPerInch + kHundredthMMPerInch / 2) / kHundredthMMPerInch;
  if (width > kMaxSide || height > kMaxSide || width * height > kMaxPicturePixels) Fail(kKind);
  return QSize(int(width), int(height));
}

bool TMetafile::Empty() const {
  return !recorded_ && original_.isEmpty();
}

int TMetafile::Width() const {
  return width_ ? *width_ : frame_.width();
}

int TMetafile::Height() const {
  return height_ ? *height_ : frame_.height();
}

// The rendered image of a recording: the part area (in the recording's
// coordinates) of what it draws, on a transparent ground.
struct TMetafile::Raster {
  std::mutex lock;
  QRect area;
  QImage image;
};

void TMetafile::Clear() {
  picture_ = QPicture();
  raster_.reset();
  recordedInverts_ = false;
  recorded_ = false;
  recordedClip_ = false;
  recordedArea_ = QRect();
  frame_ = QSize();
  emfView_.reset();
  original_.clear();
  width_.reset();
  height_.reset();
}

void TMetafile::TakeRecording(const QPicture &picture, bool clipped, bool inverts,
                              const QRect &drawn) {
  picture_ = picture;
  // The canvas knows the pixels of what it drew; the picture's own bounds
  // add what was painted through the painter directly.
  recordedArea_ = drawn | picture.boundingRect();
  recorded_ = true;
  recordedClip_ = clipped;
  recordedInverts_ = inverts;
  raster_.reset();
  // A size set before recording is the frame; else the drawing's extent.
  frame_ =
      QSize(width_ ? Side(*width_) : ExtentOf(recordedArea_.isEmpty(), recordedArea_.right()),
            height_ ? Side(*height_) : ExtentOf(recordedArea_.isEmpty(), recordedArea_.bottom()));
  original_.clear();
  emfView_.reset();
}

namespace {

bool WholePixels(const QTransform &t) {
  return t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) &&
         t.dy() == std::floor(t.dy()) && std::abs(t.dx()) < (1 << 28) &&
         std::abs(t.dy()) < (1 << 28);
}

} // namespace

bool TMetafile::DrawRendered(TCanvas &canvas, const QTransform &mapping) const {
  if (recordedInverts_ || !WholePixels(mapping)) return false;
  QPainter &p = canvas.Painter();
  if (p.paintEngine() == nullptr || p.paintEngine()->type() != QPaintEngine::Raster ||
      !WholePixels(p.worldTransform()) ||
      p.compositionMode() != QPainter::CompositionMode_SourceOver || p.opacity() != 1.0)
    return false;
  auto *target = dynamic_cast<QImage *>(p.device());
  if (target == nullptr) return false;
  const QPoint offset(int(mapping.dx()), int(mapping.dy()));
  const QPoint shift = offset + QPoint(int(p.worldTransform().dx()), int(p.worldTransform().dy()));
  // A drawing recorded out at the ends of the coordinate range is replayed
  // (its reach below could not be counted).
  constexpr int kFar = 1 << 28;
  if (recordedArea_.left() < -kFar || recordedArea_.top() < -kFar || recordedArea_.right() > kFar ||
      recordedArea_.bottom() > kFar)
    return false;
  // Wide pens and text may reach a little past what the canvas counted.
  const QRect reach = recordedArea_.adjusted(-2, -2, 2, 2);
  const QRect shown = reach & QRect(-shift, target->size());
  if (shown.isEmpty()) return true;
  if (!raster_) raster_ = std::make_shared<Raster>();
  std::lock_guard<std::mutex> guard(raster_->lock);
  Raster &raster = *raster_;
  if (!raster.area.contains(shown) || raster.image.dotsPerMeterX() != target->dotsPerMeterX() ||
      raster.image.dotsPerMeterY() != target->dotsPerMeterY()) {
    raster.area = shown;
    raster.image = QImage(shown.size(), QImage::Format_ARGB32_Premultiplied);
    // Fonts in a recording are scaled to the resolution it is played on.
    raster.image.setDotsPerMeterX(target->dotsPerMeterX());
    raster.image.setDotsPerMeterY(target->dotsPerMeterY());
    raster.image.fill(Qt::transparent);
    QPainter lp(&raster.image);
    lp.setRenderHints(p.renderHints());
    lp.translate(-shown.x(), -shown.y());
    lp.drawPicture(0, 0, picture_);
  }
  p.drawImage(raster.area.topLeft() + offset, raster.image);
  return true;
}

void TMetafile::PlayMapped(TCanvas &canvas, const QTransform &mapping) const {
  if (!recorded_) return;
  if (DrawRendered(canvas, mapping)) return;
  QPainter &p = canvas.Painter();
  if (recordedClip_ && p.hasClipping()) {
    // A recorded clip change also lifts the destination's clip when the
    // picture is replayed (the recording cannot intersect with a clip it
    // never saw), so such a picture is rendered apart and the result drawn
    // through the destination's clip.
    QRect area = p.clipBoundingRect().toAlignedRect();
    const TRect device = canvas.ClipRect();
    area &= QRect(device.Left, device.Top, device.Width(), device.Height());
    if (area.isEmpty()) return;
    QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
      QPainter lp(&layer);
      lp.setRenderHint(QPainter::Antialiasing, false);
      lp.translate(-area.x(), -area.y());
      lp.setTransform(mapping, true);
      lp.drawPicture(0, 0, picture_);
    }
    canvas.DrawImage(Bounds(area.x(), area.y(), area.width(), area.height()), layer);
    return;
  }
  if (canvas.device_ != nullptr && canvas.device_->devType() == QInternal::Picture && recordedClip_)
    canvas.clipUsed_ = true; // the clips are copied into that recording
  p.save();
  p.setTransform(mapping, true);
  p.drawPicture(0, 0, picture_);
  p.restore();
}

void TMetafile::Play(TCanvas &canvas, TPoint offset) const {
  PlayMapped(canvas, QTransform::fromTranslate(offset.X, offset.Y));
}

void TMetafile::Draw(TCanvas &canvas, const TRect &r) const {
  if (!original_.isEmpty()) {
    DrawEmf(canvas, r);
    return;
  }
  if (!recorded_ || frame_.isEmpty()) return;
  // The frame is mapped onto r; a mirrored r mirrors the drawing.
  QTransform mapping;
  mapping.translate(r.Left, r.Top);
  mapping.scale((double(r.Right) - r.Left) / frame_.width(),
                (double(r.Bottom) - r.Top) / frame_.height());
  PlayMapped(canvas, mapping);
}

void TMetafile::DrawEmf(TCanvas &canvas, const TRect &r) const {
  const double width = double(r.Right) - r.Left;
  const double height = double(r.Bottom) - r.Top;
  if (width == 0 || height == 0 || !emfView_) return;
  std::lock_guard<std::mutex> guard(emfView_->lock);
  if (!emfView_->made) {
    emfView_->Convert(original_);
    emfView_->made = true;
  }
  const EmfView &view = *emfView_;
  if (view.picture.isNull()) return;

  // The frame is mapped onto r, mirrored where r is.
  const QTransform mapping =
      QTransform::fromScale(width / view.frame.width(), height / view.frame.height()) *
      QTransform::fromTranslate(r.Left, r.Top);
  // The frame fills r; the drawing may reach a little outside.
  const QRect target =
      PixelsOf(QRectF(QPointF(r.Left, r.Top), QPointF(r.Right, r.Bottom)).normalized());
  const QRect reach = target | PixelsOf(mapping.mapRect(view.drawing));
  canvas.Touch(target);
  QPainter &p = canvas.Painter();
  const bool raster = p.paintEngine() != nullptr &&
                      p.paintEngine()->type() == QPaintEngine::Raster &&
                      p.worldTransform().type() == QTransform::TxNone;
  if (!raster) {
    // Recordings and printers keep the picture as vectors.
    p.save();
    p.setTransform(mapping, true);
    p.drawPicture(0, 0, view.picture);
    p.restore();
    return;
  }
  // Only the visible part is rendered, into a layer whose edges are then
  // made hard, and the layer drawn through the canvas's clip.
  QRect area = reach & QRect(0, 0, p.device()->width(), p.device()->height());
  if (p.hasClipping()) area &= p.clipBoundingRect().toAlignedRect();
  if (area.isEmpty()) return;
  QImage layer(area.size(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  {
    QPainter lp(&layer);
    lp.translate(-area.x(), -area.y());
    lp.setTransform(mapping, true);
    lp.drawPicture(0, 0, view.picture);
  }
  HardenEdges(layer);
  p.save();
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.drawImage(area.topLeft(), layer);
  p.restore();
}

void TMetafile::LoadFromStream(TStream &stream) {
  Clear();
  const QByteArray bytes = ReadRest(stream);
  frame_ = EmfSize(bytes);
  original_ = bytes;
  emfView_ = std::make_shared<EmfView>();
}

void TMetafile::SaveToStream(TStream &stream) const {
  // A recorded drawing has no EMF form yet and writes nothing.
  if (!original_.isEmpty()) stream.WriteBuffer(original_.constData(), original_.size());
}

std::unique_ptr<TGraphic> TMetafile::Clone() const {
  return std::make_unique<TMetafile>(*this);
}

std::unique_ptr<TGraphic> TSafetyMetafile::Clone() const {
  return std::make_unique<TSafetyMetafile>(*this);
}

TMetafileCanvas::TMetafileCanvas(TMetafile &metafile) : TCanvas(&picture_), metafile_(&metafile) {}

TMetafileCanvas::~TMetafileCanvas() {
  Finish();
}

void TMetafileCanvas::Finish() {
  if (metafile_ == nullptr) return;
  End();
  metafile_->TakeRecording(picture_, clipUsed_, inverted_, drawn_);
  metafile_ = nullptr;
}

} // namespace lumora
