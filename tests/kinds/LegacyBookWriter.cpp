#include "tests/kinds/LegacyBookWriter.h"

#include <QFile>

#include "platform/system/LittleEndian.h"
#include "platform/text/CodePage932.h"

namespace lumora::test {
namespace {

QByteArray Bytes(const uint8_t *aData, int aSize) {
  return QByteArray(reinterpret_cast<const char *>(aData), aSize);
}

QByteArray OldDouble(double aValue) {
  uint8_t d[8];
  le::Put<double>(d, aValue);
  return Bytes(d, 8);
}

QByteArray OldFloat(float aValue) {
  uint8_t d[4];
  le::Put<float>(d, aValue);
  return Bytes(d, 4);
}

// The 64-byte record of the old parameter layout, field by field.
QByteArray OldParamBlock(const TOldObject &aObj) {
  uint8_t b[64] = {};
  le::Put<int32_t>(&b[4], aObj.Layer);
  le::Put<int32_t>(&b[8], aObj.Priority);
  le::Put<uint32_t>(&b[13], aObj.ActType.ToBits());
  le::Put<int32_t>(&b[20], aObj.Width);
  le::Put<int32_t>(&b[24], aObj.Grabs);
  le::Put<int32_t>(&b[28], int32_t(aObj.LineColor));
  le::Put<int32_t>(&b[32], int32_t(aObj.FaceColor));
  b[40] = aObj.Coating ? 1 : 0;
  le::Put<int32_t>(&b[44], aObj.ObjValue);
  return Bytes(b, 64);
}

} // namespace

QByteArray OldInt32(int32_t aValue) {
  uint8_t d[4];
  le::Put<int32_t>(d, aValue);
  return Bytes(d, 4);
}

QByteArray OldString(const QString &aText) {
  const QByteArray bytes = ToCp932(aText);
  return OldInt32(int32_t(bytes.size())) + bytes;
}

QByteArray OldObjectBody(const TOldObject &aObj) {
  QByteArray body = OldFloat(aObj.Version);
  // Kind, size 64, the record, no font, the text.
  body += OldString(aObj.Kind) + OldInt32(64) + OldParamBlock(aObj) + OldInt32(0) +
          OldString(aObj.Text);
  body += OldInt32(10) + OldString(aObj.Name);
  body += OldInt32(int32_t(aObj.Polygon.size() * 16));
  for (const TRealPoint &p : aObj.Polygon)
    body += OldDouble(p.rx) + OldDouble(p.ry);
  body += OldInt32(int32_t(aObj.GrabForm.size()));
  for (const uint8_t form : aObj.GrabForm)
    body += char(form);
  return body + aObj.Option + aObj.Tail;
}

QByteArray OldObjectRecord(const TOldObject &aObj) {
  const QByteArray body = OldObjectBody(aObj);
  return OldInt32(int32_t(body.size()) + 4) + body;
}

QByteArray OldClickOption(const QString &aClick) {
  return OldString(aClick) + OldInt32(0) + OldInt32(0) + OldInt32(0);
}

QByteArray OldPageBody(const std::vector<QByteArray> &aRecords, int32_t aCount) {
  QByteArray body = OldInt32(0) + OldInt32(aCount < 0 ? int32_t(aRecords.size()) : aCount);
  for (const QByteArray &record : aRecords)
    body += record;
  return body;
}

QByteArray OldStampList(const QString &aTitle, const std::vector<QByteArray> &aEntries) {
  QByteArray list = OldString(aTitle) + OldInt32(int32_t(aEntries.size()));
  for (size_t i = 0; i < aEntries.size(); ++i)
    list += OldInt32(int32_t(i) + 1); // only whether an offset is 0 counts
  for (const QByteArray &entry : aEntries)
    list += entry;
  return list;
}

QByteArray OldStampEntry(const QString &aName, const QByteArray &aPng) {
  const QByteArray picture =
      OldString(QStringLiteral("png")) + OldInt32(int32_t(aPng.size())) + aPng;
  return OldString(aName) + OldInt32(int32_t(picture.size())) + picture;
}

QByteArray OldImageList(const std::vector<QByteArray> &aEntries) {
  QByteArray list = OldString(QStringLiteral("Image List V 1.0")) + QByteArray(8, '\0') +
                    OldInt32(int32_t(aEntries.size()));
  for (size_t i = 0; i < aEntries.size(); ++i)
    list += OldInt32(0);
  for (const QByteArray &entry : aEntries)
    list += entry;
  return list;
}

QByteArray OldStillEntry(const QString &aPath, const QByteArray &aPng) {
  return OldStampEntry(aPath, aPng);
}

QByteArray OldMediaEntry(const QString &aName, const QByteArray &aBytes) {
  return OldString(aName) + OldInt32(int32_t(aBytes.size())) + aBytes;
}

QByteArray OldBookBytes(const TOldBook &aBook) {
  // The sections behind the header, with their positions relative to it.
  const int32_t last =
      aBook.LastPage != INT32_MIN ? aBook.LastPage : int32_t(aBook.Pages.size()) - 1;
  QByteArray pages;
  for (const QByteArray &body : aBook.Pages)
    pages += OldString(QString()) + OldInt32(int32_t(body.size())) + body;
  const QByteArray head = aBook.FormA
                              ? OldInt32(0) + OldInt32(0) + OldInt32(0) + OldString(aBook.Header)
                              : OldString(aBook.Header) + QByteArray(28, '\0');
  const int32_t posPage = int32_t(head.size());
  const int32_t posStamp = posPage + 8 + int32_t(pages.size());
  const int32_t posStill = posStamp + int32_t(aBook.StampList.size());
  const int32_t posFile = posStill + int32_t(aBook.ImageList.size());
  QByteArray file = head;
  auto put = [&file](int aAt, int32_t aValue) { file.replace(aAt, 4, OldInt32(aValue)); };
  if (aBook.FormA) {
    put(4, aBook.StampList.isEmpty() ? 0 : posStamp);
    put(8, posPage);
  } else {
    const int mainIndex = posPage - 28;
    put(mainIndex + 8, posPage);
    put(mainIndex + 12, aBook.StampList.isEmpty() ? 0 : posStamp);
    put(mainIndex + 16, aBook.StampList.isEmpty() ? 0 : posStamp);
    put(mainIndex + 20, aBook.ImageList.isEmpty() ? 0 : posStill);
    put(mainIndex + 24, aBook.NoMediaPos ? 0 : posFile);
  }
  file += OldInt32(last) + OldInt32(posPage + 8) + pages;
  return file + aBook.StampList + aBook.ImageList + aBook.MediaTable;
}

bool WriteOldBookFile(const QString &aPath) {
  TOldObject rect;
  rect.Name = QStringLiteral("四角");
  rect.Option = OldClickOption(QString());
  TOldBook book;
  book.Pages = {OldPageBody({}), OldPageBody({OldObjectRecord(rect)})};
  QFile file(aPath);
  const QByteArray bytes = OldBookBytes(book);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace lumora::test
