#pragma once
// The reader of books of format version 3 or less (".lmm", ".lmm2"), used
// when the current reader declined a file. It reads the old header, the
// stamp and still-picture lists and the media table, then the old page and
// object records; old kind names become current ones, and the links old
// books store as object names become ids. Books are read in author mode
// only and become ordinary author books.
//
// Old book file (little-endian; "sized string" = Int32 n, n code page 932
// bytes, read with ReadSizedString and the maximum 100000):
//   header, form B (the string at offset 0 holds "Vellumkit"): that string,
//     seven Int32: two not used, posPage, posStamp, posStamp98, posStill,
//     posFile;
//   header, form A: three Int32 at offset 0 (not used, posStamp, posPage),
//     then the header string, which must hold "Vellumkit";
//   version: the nine characters behind the first "V" of the string at
//     offset 0 that is not the one of "Vellumkit", cut behind their first
//     blank when it is not the first character; below 1.2 it is refused;
//   page table (at posPage): Int32 last page number N, Int32 position of
//     page 0; pages 0 to N follow one another there;
//   page: sized string (not used), Int32 b, b bytes of page body;
//   page body: Int32 (not used), Int32 object count c, the object records;
//   object record: Int32 size s (its own four bytes included), the body;
//   object body: Single version, the 64-byte parameter record (ReadParam15),
//     Int32 (not used), text string name, point array, grab form, the old
//     option block (LoadOption_Old); an animation ("アニメ編集") continues
//     with Int32 child count and per child Int32 (not used), Int32 key
//     value, 8 bytes (not used) and a nested object body;
//   stamp list (posStamp): "Stamp List V 1.3", Int32 n, n Int32 offsets,
//     then one stamp entry per non-zero offset in sequence (older titles
//     carry no pictures this reader takes);
//   still list (posStill, when not 0): a string holding "Image List", 8
//     bytes, Int32 n, n Int32 offsets (skipped), n still entries;
//   media table: at posFile, or where the lists end when that is 0.
//
// Every count and size is checked against the bytes left before it is
// used; a record that cannot be read is passed over by its stored size.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/params/ObjParam.h"

namespace lumora {

class TCommonObj;
class TMetaBook;
class TMetaPage;
class TMetaStream;
class TStream;

// The kinds the reader makes or treats specially.
inline constexpr const char16_t *kOldPageKind = u"ルモラ頁";
inline constexpr const char16_t *kPageClearKind = u"ページクリア";
inline constexpr const char16_t *kPagePropertyKind = u"ページプロパティ";
inline constexpr const char16_t *kGroupKind = u"グループ";
inline constexpr const char16_t *kAnimatorKind = u"アニメ編集";

// What the group function object ("グループ") offers the reader: the names
// its old record linked and the ids they become.
class IOldGroupLinks {
public:
  virtual QStringList &LinkNames() = 0;
  virtual std::vector<int64_t> &LinkedIds() = 0;

protected:
  ~IOldGroupLinks() = default;
};

// What the key-frame animation ("アニメ編集") offers the reader: the name
// of its linked object, its link id, and its key objects.
class IOldAnimator {
public:
  virtual QString &LinkedName() = 0;
  virtual void SetLinkId(int64_t aId) = 0;
  // Hides aObj and keeps it as a key object at aTime.
  virtual void AddNewObj(std::unique_ptr<TCommonObj> aObj, int32_t aTime) = 0;

protected:
  ~IOldAnimator() = default;
};

// The current name of an old kind name; other names unchanged.
QString CurrentKindName(const QString &aOldKind);
// The version of a header string at offset 0; 0 when it is no number.
float OldHeaderVersion(const QString &aHeader);

// Reads the pages of an old book into a book.
class TOldBookLoader {
public:
  explicit TOldBookLoader(TMetaBook *aBook);

  // Reads every page of the file in aStream into the book: a page that
  // cannot be read is dropped and the next one read. Afterwards the book
  // has no work page. Raises lumora::Exception when the header is not a
  // book's.
  void ReadPages(TStream &aStream);

  // "<name>はId異常" for every group link naming no object of its page.
  const QStringList &Messages() const { return FMessages; }
  // The pages (common page included) the page table announced; those read.
  int PagesStored = 0;
  int PagesRead = 0;
  // Object records passed over because they could not be read.
  int ObjectsDropped = 0;

private:
  void ReadPageHeader(TStream &aStream);
  void ReadPage(TStream &aStream, TMetaPage &aPage);
  void ReadPageObjects(TMetaStream &aStream, TMetaPage &aPage);
  std::unique_ptr<TCommonObj> ReadObjectRetry(TMetaStream &aStream);
  std::unique_ptr<TCommonObj> ReadOldObject(TMetaStream &aStream, int aDepth);
  void FixLinksByName(TMetaPage &aPage);

  TMetaBook *fBook;
  uint32_t posPage = 0;
  TObjParam LoadedParam;
  QStringList FMessages;
};

// The legacy steps of the book loader: header, stamp and still lists,
// media table, then the pages through TOldBookLoader.
class TLegacyBookLoader {
public:
  explicit TLegacyBookLoader(TMetaBook *aBook);

  // Reads the old book file aFName into the book (emptied first). True
  // when the book was read; the book's ReadResult, PagesStored and
  // PagesRead tell how far (brDamaged when a page or an object record had
  // to be dropped). A file that cannot be opened shows msg::CannotOpen and
  // answers false. Raises lumora::Exception with Error's text in
  // presentation mode, for a version below 1.2 (shown first: "「<file>」は"
  // + "Ver1.5以前と判定され読込み不能でした。") and for a header without
  // "Vellumkit". Messages of the link fixing are shown once, after the
  // read.
  bool LoadFromFile(const QString &aFName);
  // The same from a stream holding the whole file; aFName names the file
  // in the messages and for the media table (skipped when empty).
  bool LoadFromBookStream(TStream &aStream, const QString &aFName);

  const QString &Error() const { return FError; }
  // The version read from the header.
  float Version() const { return fBookVersion; }
  // The messages the link fixing collected (shown after the read).
  const QStringList &Messages() const { return FMessages; }

  uint32_t posPage = 0;
  uint32_t posStamp = 0;
  uint32_t posStamp98 = 0;
  uint32_t posStill = 0;
  uint32_t posFile = 0;

private:
  void ReadOldHeader(TStream &aStream);
  void ReadOldStampList(TStream &aStream);
  void ReadOldImageList(TStream &aStream);
  // Sets Error and raises it.
  [[noreturn]] void Fail(const QString &aError);

  TMetaBook *fBook;
  float fBookVersion = 0;
  QString FError;
  QStringList FMessages;
};

} // namespace lumora
