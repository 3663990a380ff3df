#pragma once
// The book file container: a composite page object that writes itself to a
// file and reads itself back (TLmCompo), the book with its page table,
// description and thumbnail (TLmBook), and the base of pages (TLmPage).
//
// Book file, in file order (little-endian; every offset is an absolute file
// position, written as 0 and back-patched):
//   1 header: one string "Vellumkit " + product name + " V 3.21 " + CR LF +
//     the save option
//   2 main index: 7 Int32 slots: [0] description, [1] thumbnail, [2] page
//     section, [3] stamp list, [4] end of the stamp list, [5] image list,
//     [6] embedded media table
//   3 description: one string of the lines DocName, CreaterName, "", the
//     page width, the page height and the 50-byte reserve line, each ended
//     by CR LF
//   4 thumbnail: one tagged picture
//   5 page section: Int32 N, N Int32 page offsets, the book's own object
//     record, Int32 N, the N page streams (page 0, the common page, first)
//   6 stamp list: "Stamp List V 2.0", Int32 n, n Int32 entry offsets, the
//     n stamp entries
//   7 image list: "Image List V 2.0", Int64 length of the section from the
//     length field on, Int32 n, n Int32 entry offsets, the n still entries
//   8 the embedded media table (TTempFileList)
//
// Saving builds the whole file in memory and replaces the target through a
// temporary file beside it only when everything was written, so a failed
// save leaves the old file as it was.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/book/BookMessages.h"
#include "core/model/CustomCompo.h"

namespace lumora {

class TLmIterator;
class TPicture;
class TStream;

// The product name the header and the messages carry.
inline constexpr const char16_t *kProductName = u"Lumora";
// The format version written into the header.
inline constexpr const char16_t *kBookFileVersion = u"3.21";
// The save option of saved page states: stamps and pictures not used are
// kept in the stores.
inline constexpr const char16_t *kPageSaveOption = u"頁保存";

// The question asked before a file of another format version is read: the
// text (its lines joined by LF CR) under the caption "ファイル保存" with the
// buttons OK and Cancel; true for OK. By default it goes through the
// program-wide message box; the shell may install its own dialog.
using TVersionQuestion = std::function<bool(const QString &aText)>;
// Installs the question; an empty function restores the default.
void SetVersionQuestion(TVersionQuestion aQuestion);
// Asks the installed question.
bool AskVersionQuestion(const QString &aText);

// What saving a book read from a damaged file over that file does.
enum class TDamagedSave {
  dsBeside,  // save under a new name beside the original (the default)
  dsReplace, // replace the original
  dsCancel   // save nothing
};
// Asked before such a save with the file and the new name beside it. By
// default the program-wide message box asks msg::DamagedSaveQuestion with
// Yes / No / Cancel (Yes, the default button, saves beside).
using TDamagedSaveQuestion =
    std::function<TDamagedSave(const QString &aFile, const QString &aBeside)>;
// Installs the question; an empty function restores the default.
void SetDamagedSaveQuestion(TDamagedSaveQuestion aQuestion);

// The questions installed in place of the defaults, a store of the
// program's context; empty ones ask through the message box.
struct TSaveQuestions {
  TVersionQuestion Version;
  TDamagedSaveQuestion DamagedSave;
};

// How the last reading of a book file ended.
enum class TBookRead {
  brNone,       // nothing read yet
  brComplete,   // every page was read
  brDamaged,    // the file breaks part-way; the pages before the damage were read
  brCannotOpen, // the file could not be opened (its message was shown)
  brNotABook,   // the header was refused (no version, no page section)
  brCancelled   // a version question was answered Cancel
};

// Removes aObj from aCompo: an object of aCompo's own pool has every link
// to it removed (the pool's objects through the link iterator, and those
// inside its compounds), leaves aCompo's pool (freed by a pool that owns
// its objects, forgotten by one that only lists) and aObj := null; an
// object deeper down is removed by the child compound that holds it. False
// for an empty compound or an object it does not hold.
bool RemoveCompoundObj(TCustomCompo &aCompo, TCommonObj *&aObj);

class TLmCompo : public TCustomCompo {
  LUMORA_ABSTRACT_OBJECT(TLmCompo, TCustomCompo)
public:
  // Positions of the last file read or written (0: absent).
  uint32_t posPage = 0;
  uint32_t posStamp = 0;
  uint32_t posStill = 0;
  uint32_t posFile = 0;
  // The byte after the header string.
  uint32_t posMainIdx = 0;
  // The save option of the last write ("" or kPageSaveOption).
  QString FSaveOption;
  // Written into the description; nothing assigns them here.
  QString CreaterName;
  QString DocName;

  // How the last reading ended, and for a book the pages (common page
  // included) its page section announced and those read.
  TBookRead ReadResult = TBookRead::brNone;
  int PagesStored = 0;
  int PagesRead = 0;
  // The file the compound was read from while it is known to be damaged:
  // SaveToFile asks before it replaces that file. Cleared once the
  // compound was saved whole somewhere.
  QString DamagedFile;

  // ---- Iterator factories (given by the books and the user parts) ----
  // A walk over the compound's objects of a form type and kind; the stream
  // is handed to the iterator, which does not read it.
  virtual std::unique_ptr<TLmIterator> CreateIterator(TObjType aType, const QString &aObj,
                                                      TStream *aStream);
  virtual std::unique_ptr<TLmIterator> CreateIterator(TObjType aType, const QString &aObj);
  virtual std::unique_ptr<TLmIterator> CreateIterator(TActKind aAct);

  // For previews without loading: reads the header (raises
  // lumora::Exception with NotThisProgramsFileMessage() when it lacks
  // "Vellumkit"), then the thumbnail picture named by main-index slot 1.
  virtual void LoadFileThumb(TStream &aFStrm, TPicture &aPicture);
  // The description string (at most 100000 bytes) named by main-index slot
  // 0; valid after ReadHeader or LoadFileThumb set posMainIdx. Empty when
  // the slot names no place inside the stream.
  virtual QString GetDescription(TStream &aStream);
  // Makes the compound's thumbnail picture; nothing in the base.
  virtual void MakeThumbnail();

  // False for an empty compound. An object of the own pool has every link
  // to it removed, leaves the pool (freed when the pool owns its objects)
  // and aObj := null; otherwise each child compound is asked in turn until
  // one answers true.
  bool RemoveObj(TCommonObj *&aObj) override;

  // ---- The file sections ----
  virtual void SaveImageList(TStream &aStream);
  virtual void SaveDescription(TStream &aStream);
  virtual void SaveThumbnail(TStream &aStream);
  // Reads the header from position 0 into aHeader, asks the version
  // questions, reads the main index and answers the page position; 0 when
  // the file is not to be read (no " V ", a question answered Cancel, or
  // no usable page position). Sets the system state's FileVersion and the
  // compound's record version. aFileName (shown in the questions) defaults
  // to the name of a file stream.
  virtual uint32_t ReadHeader(TStream &aStream, QString &aHeader, const QString &aFileName = {});
  virtual void WriteHeader(TStream &aStream);
  virtual void WriteMainIndex(TStream &aStream);
  virtual void ReadDescription(TStream &aStream);
  // Reads the whole file; aHeader receives the header text. Removes the
  // stray temporary files of interrupted saves of the file first. False
  // with the message msg::CannotOpen when the file cannot be opened; False
  // without a message when ReadHeader gives no page position (ReadResult
  // tells why). A book that breaks part-way answers True with ReadResult
  // brDamaged and the pages before the damage; errors before any page
  // could be read raise lumora::Exception to the caller.
  virtual bool LoadFromFile(const QString &aFile, QString &aHeader);
  // Writes the whole file, the links by the ids of their partners
  // (UpdateLinkId first). Over the damaged file it was read from, it asks
  // first (TDamagedSaveQuestion): saved beside, the system state's file
  // name follows the new file. False with msg::CannotWrite when the file
  // cannot be created or replaced, False with msg::CannotSave when a
  // section fails; the old file is then left as it was. False without a
  // message when the question was answered Cancel. Removes the stray
  // temporary files of interrupted saves of the target.
  virtual bool SaveToFile(const QString &aFile, const QString &aOption);
  // The name SaveToFile uses beside a damaged aFile: "<name>（読込分）.ext",
  // numbered when taken.
  static QString BesideName(const QString &aFile);

  // The reading of LoadFromFile from any stream holding a whole book file;
  // aFile names the file for the questions and the media extraction (which
  // needs the file itself: it is skipped when aFile is empty). Fuzzers and
  // tests read books from memory through it.
  virtual bool LoadFromBookStream(TStream &aStream, const QString &aFile, QString &aHeader);
  // The writing of SaveToFile into any stream (positions are those of the
  // stream, which must be empty).
  virtual void SaveToBookStream(TStream &aStream, const QString &aOption);

protected:
  using TCustomCompo::TCustomCompo;

  // Reads the stamp list at posStamp and the image list at posStill into
  // the picture stores, each bounded by its section.
  virtual void ReadStampList(TStream &aStream);
  virtual void ReadImageList(TStream &aStream);
  // Writes the stamp list (use counts counted over the compound first).
  virtual void SaveStampList(TStream &aStream);
  // Writes the embedded media table of the media files in use.
  virtual void SaveMediaTable(TStream &aStream);

  // Slot 4, the end of the stamp list, as read by ReadHeader (0: absent).
  uint32_t posStampEnd = 0;
};

class TLmBook : public TLmCompo {
  LUMORA_ABSTRACT_OBJECT(TLmBook, TLmCompo)
public:
  // The page size in pixels at zoom 1.
  int32_t WinWidth = 800;
  int32_t WinHeight = 600;

  // The page section: Int32 N, N page offsets (skipped when reading), the
  // book record with its pages as children. Reading checks N against the
  // stream.
  void LoadFromStream(TStream &aStream) override;
  // The pages, one by one: the first page that cannot be read whole (an
  // error, or a read fault noted while reading it) ends the reading and is
  // dropped; the pages before it stay. Sets PagesStored and PagesRead.
  void LoadChildren(TStream &aStream) override;
  void SaveToStream(TStream &aStream) override;
  // A book record has no payload.
  void ReadPayload(TMetaStream &) override {}
  void WritePayload(TMetaStream &) override {}
  // None: a book is walked through its pages.
  std::unique_ptr<TLmIterator> CreateIterator(TObjType aType, const QString &aObj) override;
  using TLmCompo::CreateIterator;

  // The description: the lines and the reserve line.
  void SaveDescription(TStream &aStream) override;
  // MakeThumbnail, then the book's graphic as a tagged picture.
  void SaveThumbnail(TStream &aStream) override;
  // The image list with the still-picture store's used pictures.
  void SaveImageList(TStream &aStream) override;

  // The description text SaveDescription writes.
  QString DescriptionText() const;

protected:
  using TLmCompo::TLmCompo;
};

// The base of pages: opens and closes the makers of its objects and has a
// thumbnail; the mode pages refine these.
class TLmPage : public TCustomCompo {
  LUMORA_ABSTRACT_OBJECT(TLmPage, TCustomCompo)
public:
  // Every object's maker opens, then the object is re-made.
  virtual void OpenMakers();
  // Every object's maker closes.
  virtual void CloseMakers();
  // The page's thumbnail object; none in the base.
  virtual TCommonObj *Thumbnail();

protected:
  using TCustomCompo::TCustomCompo;
};

} // namespace lumora
