#pragma once
// Writes books in the old file format (version 3 or less) byte by byte, as
// the legacy reader's tests, its fuzz seeds and the smoke test need them:
// object records with the 64-byte parameter record, page bodies, the page
// table, the stamp and still lists and the media table.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/params/ObjParam.h"

namespace lumora::test {

// One old object body.
struct TOldObject {
  QString Kind = QStringLiteral("テスト矩形");
  QString Name;
  float Version = 1.5f;
  int32_t Layer = 10;
  int32_t Priority = 50;
  TActType ActType = {atShow};
  int32_t Width = 1;
  int32_t Grabs = 4;
  TColor LineColor = 0;
  TColor FaceColor = 0xFFFFFF;
  bool Coating = true;
  int32_t ObjValue = 0;
  QString Text;
  std::vector<TRealPoint> Polygon = {{10, 10}, {60, 10}, {60, 40}, {10, 40}};
  std::vector<uint8_t> GrabForm = {0, 0, 0, 0};
  // The old option block as stored (OldClickOption for a drawable object).
  QByteArray Option = {};
  // Bytes behind the option block (an animation's children).
  QByteArray Tail = {};
};

// Little-endian pieces.
QByteArray OldInt32(int32_t aValue);
// Int32 n, then the n code page 932 bytes.
QByteArray OldString(const QString &aText);

// The object body: version, parameter record, Int32, name, polygon, grab
// form, option block, tail.
QByteArray OldObjectBody(const TOldObject &aObj);
// Int32 size (its own four bytes included), then the body.
QByteArray OldObjectRecord(const TOldObject &aObj);
// The oldest event block of a drawable object: the click target's name and
// three empty strings.
QByteArray OldClickOption(const QString &aClick);
// A page body: Int32 0, the count (the number of records when negative),
// the records.
QByteArray OldPageBody(const std::vector<QByteArray> &aRecords, int32_t aCount = -1);

// "Stamp List V 1.x" with one offset per entry (non-zero) and the entries.
QByteArray OldStampList(const QString &aTitle, const std::vector<QByteArray> &aEntries);
// A stamp entry: the bare name, Int32 size, the tagged picture ("png").
QByteArray OldStampEntry(const QString &aName, const QByteArray &aPng);
// "Image List", 8 bytes, the count, zero offsets, the still entries.
QByteArray OldImageList(const std::vector<QByteArray> &aEntries);
// A still entry of the old form: the path, then the tagged picture.
QByteArray OldStillEntry(const QString &aPath, const QByteArray &aPng);
// One media-table entry: name, Int32 size, the bytes.
QByteArray OldMediaEntry(const QString &aName, const QByteArray &aBytes);

struct TOldBook {
  // Form B: the string at offset 0. Form A writes three Int32 (0, stamp
  // list, page table) and then this string.
  QString Header = QStringLiteral("Vellumkit Lumora V 1.20 ");
  bool FormA = false;
  // The page bodies, page 0 (the common page) first.
  std::vector<QByteArray> Pages;
  // The last page number written into the page table; Pages.size() - 1
  // when not set.
  int32_t LastPage = INT32_MIN;
  QByteArray StampList = {};
  QByteArray ImageList = {};
  QByteArray MediaTable = {};
  // Writes 0 as the media table's position (it then follows the lists).
  bool NoMediaPos = false;
};

// The whole file: header, page table and pages, stamp list, still list,
// media table, with every position filled in.
QByteArray OldBookBytes(const TOldBook &aBook);

// Writes an old book of a common page and one page holding one visible
// "テスト矩形" to aPath; false when the file cannot be written.
bool WriteOldBookFile(const QString &aPath);

} // namespace lumora::test
