#include "platform/graphics/Metafile.h"

#include <QPainter>
#include <QtEndian>
#include <cstdlib>

#include "platform/system/Stream.h"

namespace lumora {

namespace {

const QString kKind = QStringLiteral("emf");

// EMF frames are in hundredths of a millimetre; sizes are given at the
// screen's 96 pixels per inch.
constexpr int kHundredthMMPerInch = 2540;
constexpr int kScreenPixelsPerInch = 96;
constexpr int kMaxSide = 100000;

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmfSignature = 0x464D4520; // " EMF"
constexpr int kHeaderMinSize = 88;

} // namespace

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
  if (width_) return *width_;
  if (!original_.isEmpty()) return emfSize_.width();
  if (recorded_) return std::max(0, recordedArea_.x() + recordedArea_.width());
  return 0;
}

int TMetafile::Height() const {
  if (height_) return *height_;
  if (!original_.isEmpty()) return emfSize_.height();
  if (recorded_) return std::max(0, recordedArea_.y() + recordedArea_.height());
  return 0;
}

void TMetafile::Clear() {
  picture_ = QPicture();
  recorded_ = false;
  recordedClip_ = false;
  recordedArea_ = QRect();
  emfSize_ = QSize();
  original_.clear();
  width_.reset();
  height_.reset();
}

void TMetafile::TakeRecording(const QPicture &picture, bool clipped, const QRect &drawn) {
  picture_ = picture;
  // The canvas knows the pixels of what it drew; the picture's own bounds
  // add what was painted through the painter directly.
  recordedArea_ = drawn | picture.boundingRect();
  recorded_ = true;
  recordedClip_ = clipped;
  original_.clear();
  emfSize_ = QSize();
}

void TMetafile::PlayMapped(TCanvas &canvas, const QTransform &mapping) const {
  if (!recorded_) return;
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
  // EMF content is not drawn yet (see the header).
  if (!recorded_) return;
  const int w = Width();
  const int h = Height();
  if (w == 0 || h == 0) return;
  QTransform mapping;
  mapping.translate(r.Left, r.Top);
  mapping.scale(double(r.Width()) / w, double(r.Height()) / h);
  PlayMapped(canvas, mapping);
}

void TMetafile::LoadFromStream(TStream &stream) {
  Clear();
  const QByteArray bytes = ReadRest(stream);
  emfSize_ = EmfSize(bytes);
  original_ = bytes;
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
  metafile_->TakeRecording(picture_, clipUsed_, drawn_);
  metafile_ = nullptr;
}

} // namespace lumora
