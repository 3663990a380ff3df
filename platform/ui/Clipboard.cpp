#include "platform/ui/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"

namespace lumora {

namespace {

const QMimeData *Offered() {
  return QGuiApplication::clipboard()->mimeData();
}

// The offered EMF bytes as a metafile, or nullptr when they are not one.
std::unique_ptr<TMetafile> OfferedMetafile(const QMimeData &data) {
  TMemoryStream bytes;
  bytes.SetBytes(data.data(QString::fromLatin1(kEmfMimeType)));
  bytes.SetPosition(0);
  auto metafile = std::make_unique<TSafetyMetafile>();
  try {
    metafile->LoadFromStream(bytes);
  } catch (const Exception &) {
    return nullptr;
  }
  return metafile;
}

const QString kTextPlain = QStringLiteral("text/plain");

QStringList LocalFiles(const QMimeData &data) {
  QStringList files;
  for (const QUrl &url : data.urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

// Whether image data other than EMF is offered (not decoded here).
bool HasOtherImage(const QMimeData &data) {
  for (const QString &format : data.formats())
    if (format.startsWith(u"image/") && format != QLatin1String(kEmfMimeType)) return true;
  return false;
}

// The first offered image data other than EMF that Qt decodes.
QImage OfferedImageData(const QMimeData &data) {
  for (const QString &format : data.formats()) {
    if (!format.startsWith(u"image/") || format == QLatin1String(kEmfMimeType)) continue;
    const QImage image = QImage::fromData(data.data(format));
    if (!image.isNull()) return image;
  }
  return QImage();
}

} // namespace

bool ClipboardHasBitmap() {
  const QMimeData *data = Offered();
  return data && data->hasImage();
}

bool ClipboardHasMetafile() {
  const QMimeData *data = Offered();
  return data && data->hasFormat(QString::fromLatin1(kEmfMimeType));
}

bool ClipboardGetPicture(TPicture &aPicture) {
  const QMimeData *data = Offered();
  if (!data) return false;
  if (data->hasImage()) {
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (!image.isNull()) {
      auto bitmap = std::make_unique<TBitmap>();
      bitmap->SetImage(image);
      aPicture.SetGraphic(std::move(bitmap));
      return true;
    }
  }
  if (data->hasFormat(QString::fromLatin1(kEmfMimeType))) {
    if (std::unique_ptr<TMetafile> metafile = OfferedMetafile(*data)) {
      aPicture.SetGraphic(std::move(metafile));
      return true;
    }
  }
  const QImage image = OfferedImageData(*data);
  if (image.isNull()) return false;
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetImage(image);
  aPicture.SetGraphic(std::move(bitmap));
  return true;
}

void ClipboardSetBitmap(const TBitmap &aBitmap) {
  QGuiApplication::clipboard()->setImage(aBitmap.Image());
}

void ClipboardSetMetafile(const QByteArray &aEmf) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(kEmfMimeType), aEmf);
  QGuiApplication::clipboard()->setMimeData(data.release());
}

void ClipboardClear() {
  QGuiApplication::clipboard()->clear();
}

int ClipboardFormat() {
  const QMimeData *data = Offered();
  if (!data) return kClipNone;
  if (data->hasFormat(QString::fromLatin1(kExDataMimeType))) return kClipExData;
  // QMimeData::hasText also answers true for URLs alone.
  const bool files = !LocalFiles(*data).isEmpty();
  if (data->hasFormat(kTextPlain) && !files) return kClipText;
  if (data->hasImage()) return kClipBitmap;
  if (data->hasFormat(QString::fromLatin1(kEmfMimeType))) return kClipMetafile;
  if (HasOtherImage(*data)) return kClipPicture;
  if (files) return kClipFiles;
  return kClipNone;
}

void ClipboardSetExData(const QByteArray &aBytes) {
  auto data = std::make_unique<QMimeData>();
  data->setData(QString::fromLatin1(kExDataMimeType), aBytes);
  QGuiApplication::clipboard()->setMimeData(data.release());
}

bool ClipboardHasExData() {
  const QMimeData *data = Offered();
  return data && data->hasFormat(QString::fromLatin1(kExDataMimeType));
}

QByteArray ClipboardExData() {
  const QMimeData *data = Offered();
  return data ? data->data(QString::fromLatin1(kExDataMimeType)) : QByteArray();
}

QString ClipboardText() {
  const QMimeData *data = Offered();
  return data && data->hasFormat(kTextPlain) ? data->text() : QString();
}

QStringList ClipboardFiles() {
  const QMimeData *data = Offered();
  return data ? LocalFiles(*data) : QStringList();
}

} // namespace lumora
