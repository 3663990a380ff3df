#include "core/book/LmCompo.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "core/book/Iterators.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomMaker.h"
#include "core/model/Link.h"
#include "core/model/ObjPool.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/stream/MetaStream.h"
#include "core/support/AbstractError.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "core/system/TempFiles.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Picture.h"
#include "platform/system/Exception.h"
#include "platform/system/FileWindow.h"
#include "platform/system/LittleEndian.h"
#include "platform/system/SafeSave.h"
#include "platform/system/Stream.h"
#include "platform/ui/MessageBox.h"

namespace lumora {

namespace {

constexpr int32_t kMaxHeadLength = 100000;
constexpr int kMainIndexSlots = 7;
constexpr float kBaseVersion = 2.0f;
constexpr double kLowestVersion = 2.0;
constexpr double kHighestVersion = 4.21;
const QString kStampListHead = QStringLiteral("Stamp List V 2.0");
const QString kOldStampListHead = QStringLiteral("Stamp List V 1.3");
const QString kImageListHead = QStringLiteral("Image List V 2.0");
// The folder text the stamp entries are written with.
const QString kStampHolder = QStringLiteral("Stamp\\");
const QString kReserveLine = QStringLiteral("－－－－－予備エリア－－－－－５０バイト－－－－－");
const QString kStampKind = QStringLiteral("スタンプ");
const QString kStillKind = QStringLiteral("静止画");
const QString kCrLf = QStringLiteral("\r\n");
// The window through which a book file's header, index and lists are
// read; its sections have windows of their own.
constexpr int64_t kHeadWindow = 64 * 1024;

int32_t ReadInt32(TStream &aStream) {
  CheckReadable(aStream, 4);
  uint8_t d[4];
  aStream.ReadBuffer(d, 4);
  return le::Get<int32_t>(d);
}

int64_t ReadInt64(TStream &aStream) {
  CheckReadable(aStream, 8);
  uint8_t d[8];
  aStream.ReadBuffer(d, 8);
  return le::Get<int64_t>(d);
}

// The end of the part of a book file that the readers parse: the embedded
// media table's position when the main index places every other section
// before it (as every book is written), else the end of the file. The
// media stay in the file, where their reader copies them from.
int64_t BookSectionEnd(TStream &aFile) {
  const int64_t size = aFile.Size();
  aFile.SetPosition(0);
  if (!Readable(aFile, 4)) return size;
  const int64_t headerLength = ReadInt32(aFile);
  // The header, then the main index's seven slots.
  if (headerLength < 0 || !Readable(aFile, headerLength + 28)) return size;
  aFile.SetPosition(4 + headerLength);
  int64_t latest = 0;
  for (int i = 0; i < 6; ++i)
    latest = std::max<int64_t>(latest, uint32_t(ReadInt32(aFile)));
  const int64_t media = uint32_t(ReadInt32(aFile));
  aFile.SetPosition(0);
  return media > latest && media <= size ? media : size;
}

void WriteInt32(TStream &aStream, int32_t aValue) {
  uint8_t d[4];
  le::Put<int32_t>(d, aValue);
  aStream.WriteBuffer(d, 4);
}

void WriteInt64(TStream &aStream, int64_t aValue) {
  uint8_t d[8];
  le::Put<int64_t>(d, aValue);
  aStream.WriteBuffer(d, 8);
}

void SetFileVersion(float aVersion) {
  if (TSysContext::Started()) SysInfo().FileVersion = aVersion;
}

void ShowMessage(const QString &aText) {
  MessageBox().Show(aText, QString::fromUtf16(kProductName), TMsgButtons::mbOK);
}

bool DefaultVersionQuestion(const QString &aText) {
  return MessageBox().Show(aText, QStringLiteral("ファイル保存"), TMsgButtons::mbOKCancel) ==
         TMsgResult::mrOk;
}

// The installed questions; none without the program's context.
const TSaveQuestions *InstalledQuestions() {
  return TCoreContext::Optional<TSaveQuestions>();
}

TDamagedSave AskDamagedSave(const QString &aFile, const QString &aBeside) {
  const TSaveQuestions *installed = InstalledQuestions();
  if (installed && installed->DamagedSave) return installed->DamagedSave(aFile, aBeside);
  switch (MessageBox().Show(msg::DamagedSaveQuestion(aFile, aBeside),
                            QString::fromUtf16(kProductName), TMsgButtons::mbYesNoCancel)) {
  case TMsgResult::mrYes:
  case TMsgResult::mrOk:
    return TDamagedSave::dsBeside;
  case TMsgResult::mrNo:
    return TDamagedSave::dsReplace;
  case TMsgResult::mrCancel:
    break;
  }
  return TDamagedSave::dsCancel;
}

// Whether two names denote the same file (the second need not exist).
bool SameFile(const QString &aA, const QString &aB) {
  const QFileInfo a(aA), b(aB);
  const QString ca = a.canonicalFilePath(), cb = b.canonicalFilePath();
  if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
  return a.absoluteFilePath() == b.absoluteFilePath();
}

// The version text of a header: the 5 characters after the "V" of its
// first " V ", trimmed; when a blank follows the first character, the part
// after that blank. A text that is no finite number gives 0.
float ParseHeaderVersion(const QString &aHeader) {
  const qsizetype v = aHeader.indexOf(QStringLiteral(" V "));
  QString text = TrimBlanks(aHeader.mid(v + 2, 5));
  if (text.size() > 1 && text.at(1) == u' ') text = TrimBlanks(text.mid(2));
  bool ok = false;
  const double value = text.toDouble(&ok);
  if (!ok || !std::isfinite(value)) return 0;
  return float(value);
}

// The bytes [aStart, aEnd) of a stream, as a stream of their own: entries
// read from it cannot run beyond their section. The bytes are not copied: a
// memory stream's are read in place, a file's through a window of their
// own; only another kind of stream is copied from. The stream is left at
// aEnd (at aStart for an empty section).
std::unique_ptr<TStream> SectionOf(TStream &aStream, int64_t aStart, int64_t aEnd) {
  const int64_t length = std::max<int64_t>(aEnd - aStart, 0);
  std::unique_ptr<TStream> section;
  if (const auto *file = dynamic_cast<const TFileWindowStream *>(&aStream)) {
    aStream.SetPosition(aStart);
    CheckReadable(aStream, length);
    section = std::make_unique<TFileWindowStream>(*file, aStart, length);
    aStream.SetPosition(aStart + length);
    return section;
  }
  aStream.SetPosition(aStart);
  auto memory = std::make_unique<TMemoryStream>();
  if (const char *bytes = aStream.Peek(length)) {
    memory->SetView(bytes, length);
    aStream.Seek(length, TSeekOrigin::soCurrent);
  } else if (length > 0) {
    memory->CopyFrom(aStream, length);
    memory->SetPosition(0);
  }
  return memory;
}

// Reads the n entry offsets of a list at the stream's position and reads
// the entry at each non-zero offset with aReadEntry from the section
// [aSectionStart, aSectionEnd). The count must fit the section. An entry
// that fails is skipped; an offset outside the section's entry area ends
// the list.
void ReadListEntries(TStream &aStream, int64_t aSectionStart, int64_t aSectionEnd,
                     const std::function<void(TStream &)> &aReadEntry) {
  const int64_t listAt = aStream.Position();
  const std::unique_ptr<TStream> held = SectionOf(aStream, aSectionStart, aSectionEnd);
  TStream &section = *held;
  // The count and the offsets are read from the section, so that the count
  // is bounded by the section.
  section.SetPosition(listAt - aSectionStart);
  aStream.SetPosition(listAt);
  if (!Readable(section, 4)) return;
  const int32_t n = ReadInt32(section);
  aStream.SetPosition(listAt + 4);
  if (n <= 0 || !Readable(section, n, 4)) return;
  std::vector<int64_t> offsets(static_cast<size_t>(n));
  for (int64_t &offset : offsets)
    offset = uint32_t(ReadInt32(section));
  const int64_t entriesStart = aSectionStart + section.Position();
  for (const int64_t offset : offsets) {
    if (offset == 0) continue;
    if (offset < entriesStart || offset >= aSectionEnd) break;
    section.SetPosition(offset - aSectionStart);
    try {
      aReadEntry(section);
    } catch (const std::exception &) {
      // An entry that cannot be read (a picture saved without data) is
      // left out; the next one is found by its own offset.
    }
  }
  aStream.SetPosition(aSectionEnd);
}

} // namespace

void SetDamagedSaveQuestion(TDamagedSaveQuestion aQuestion) {
  TCoreContext::Get().Store<TSaveQuestions>().DamagedSave = std::move(aQuestion);
}

void SetVersionQuestion(TVersionQuestion aQuestion) {
  TCoreContext::Get().Store<TSaveQuestions>().Version = std::move(aQuestion);
}

bool AskVersionQuestion(const QString &aText) {
  const TSaveQuestions *installed = InstalledQuestions();
  return installed && installed->Version ? installed->Version(aText)
                                         : DefaultVersionQuestion(aText);
}

// ---- TLmCompo ----

std::unique_ptr<TLmIterator> TLmCompo::CreateIterator(TObjType, const QString &, TStream *) {
  AbstractCall("TLmCompo::CreateIterator");
}

std::unique_ptr<TLmIterator> TLmCompo::CreateIterator(TObjType, const QString &) {
  AbstractCall("TLmCompo::CreateIterator");
}

std::unique_ptr<TLmIterator> TLmCompo::CreateIterator(TActKind) {
  AbstractCall("TLmCompo::CreateIterator");
}

void TLmCompo::LoadFileThumb(TStream &aFStrm, TPicture &aPicture) {
  aFStrm.SetPosition(0);
  QString header;
  ReadSizedString(aFStrm, kMaxHeadLength, header);
  if (!header.contains(QStringLiteral("Vellumkit"))) throw Exception(NotThisProgramsFileMessage());
  posMainIdx = uint32_t(aFStrm.Position());
  ReadInt32(aFStrm); // the description
  const int64_t thumb = uint32_t(ReadInt32(aFStrm));
  if (thumb < int64_t(posMainIdx) + kMainIndexSlots * 4 || thumb >= aFStrm.Size())
    throw EReadError(QStringLiteral("Stream read error"));
  aFStrm.SetPosition(thumb);
  LoadPictFromStream(aFStrm, &aPicture);
}

QString TLmCompo::GetDescription(TStream &aStream) {
  aStream.SetPosition(posMainIdx);
  const int64_t pos = uint32_t(ReadInt32(aStream));
  if (pos < int64_t(posMainIdx) + kMainIndexSlots * 4 || pos >= aStream.Size()) return QString();
  aStream.SetPosition(pos);
  QString text;
  ReadSizedString(aStream, kMaxHeadLength, text);
  return text;
}

void TLmCompo::MakeThumbnail() {}

namespace {

// Whether aObj lies somewhere inside aCompo; a compound holding itself is
// not entered again.
bool Holds(TCustomCompo *aCompo, TCommonObj *aObj, int aDepth = 0) {
  const TAbObjectPool *pool = aCompo->Pool();
  if (!pool) return false;
  if (pool->IndexOf(aObj) >= 0) return true;
  if (aDepth > 64) return false;
  for (int i = 0; i < pool->Count(); ++i)
    if (auto *inner = dynamic_cast<TCustomCompo *>(pool->Items(i)); inner && inner != aCompo)
      if (Holds(inner, aObj, aDepth + 1)) return true;
  return false;
}

} // namespace

bool RemoveCompoundObj(TCustomCompo &aCompo, TCommonObj *&aObj) {
  if (aCompo.Count() == 0 || !aObj || !aCompo.Pool()) return false;
  TAbObjectPool &pool = *aCompo.Pool();
  if (pool.IndexOf(aObj) >= 0) {
    TLinkIterator links(&pool, aObj);
    while (links.HasNext())
      RemoveLinksTo(links.GetObject(), aObj);
    // Objects inside the compounds of the pool may link to it too.
    for (int i = 0; i < pool.Count(); ++i)
      if (TCommonObj *child = pool.Items(i); child != aObj && dynamic_cast<TCustomCompo *>(child))
        RemoveLinksTo(child, aObj);
    // An owning pool frees it; a pool that only lists forgets it.
    if (TOwnedObjPool *owned = aCompo.OwnedPool())
      owned->Remove(aObj);
    else if (TAbObjPool *list = aCompo.ListPool())
      list->Remove(aObj);
    aObj = nullptr;
    return true;
  }
  for (int i = 0; i < pool.Count(); ++i) {
    auto *compo = dynamic_cast<TCustomCompo *>(pool.Items(i));
    // Only the compound that holds the object (at any depth) is asked: not
    // every compound kind can give up objects.
    if (compo && Holds(compo, aObj) && compo->RemoveObj(aObj)) return true;
  }
  return false;
}

bool TLmCompo::RemoveObj(TCommonObj *&aObj) {
  return RemoveCompoundObj(*this, aObj);
}

void TLmCompo::SaveImageList(TStream &) {
  AbstractCall("TLmCompo::SaveImageList");
}
void TLmCompo::SaveDescription(TStream &) {
  AbstractCall("TLmCompo::SaveDescription");
}
void TLmCompo::SaveThumbnail(TStream &) {
  AbstractCall("TLmCompo::SaveThumbnail");
}

uint32_t TLmCompo::ReadHeader(TStream &aStream, QString &aHeader, const QString &aFileName) {
  FVersion = kBaseVersion;
  SetFileVersion(kBaseVersion);
  posPage = posStamp = posStill = posFile = posStampEnd = 0;
  aStream.SetPosition(0);
  ReadSizedString(aStream, kMaxHeadLength, aHeader);

  // Until the header is known as a book's, a failure means the file is
  // not a book rather than a damaged one.
  ReadResult = TBookRead::brNotABook;
  float version = kBaseVersion;
  if (!aHeader.contains(QStringLiteral("Vellumkit"))) {
    version = 0;
  } else {
    if (!aHeader.contains(QStringLiteral(" V "))) return 0;
    version = ParseHeaderVersion(aHeader);
    ReadResult = TBookRead::brNone;
  }
  SetFileVersion(version);

  QString file = aFileName;
  if (file.isEmpty())
    if (const auto *fileStream = dynamic_cast<const TFileStream *>(&aStream))
      file = fileStream->FileName();
    else if (const auto *window = dynamic_cast<const TFileWindowStream *>(&aStream))
      file = window->FileName();
  file = BareFileName(file);
  // Single precision against the constants: a stored "4.21" lies above 4.21.
  const bool asked = double(version) < kLowestVersion || double(version) > kHighestVersion;
  if (asked && !AskVersionQuestion(double(version) < kLowestVersion
                                       ? OldVersionQuestionText(file)
                                       : NewVersionQuestionText(file, version))) {
    ReadResult = TBookRead::brCancelled;
    return 0;
  }
  if (version <= kBaseVersion) SetFileVersion(kBaseVersion);

  posMainIdx = uint32_t(aStream.Position());
  uint32_t mainIndex[kMainIndexSlots];
  CheckReadable(aStream, kMainIndexSlots, 4);
  for (uint32_t &slot : mainIndex)
    slot = uint32_t(ReadInt32(aStream));
  // A section lies behind the main index and inside the file; the media
  // table may be empty at the very end.
  const int64_t first = int64_t(posMainIdx) + kMainIndexSlots * 4;
  const int64_t size = aStream.Size();
  auto inside = [&](uint32_t aPos, bool aMayEnd) -> uint32_t {
    return aPos >= first && (aPos < size || (aMayEnd && aPos == size)) ? aPos : 0;
  };
  posPage = inside(mainIndex[2], false);
  // A book names its page section; one outside the file is a book cut
  // short.
  if (posPage == 0)
    ReadResult = ReadResult == TBookRead::brNone && mainIndex[2] != 0 ? TBookRead::brDamaged
                                                                      : TBookRead::brNotABook;
  posStamp = inside(mainIndex[3], false);
  posStampEnd = inside(mainIndex[4], true);
  posStill = inside(mainIndex[5], false);
  posFile = inside(mainIndex[6], true);
  return posPage;
}

void TLmCompo::WriteHeader(TStream &aStream) {
  WriteSizedString(aStream, QStringLiteral("Vellumkit ") + QString::fromUtf16(kProductName) +
                                QStringLiteral(" V ") + QString::fromUtf16(kBookFileVersion) +
                                QStringLiteral(" ") + kCrLf + FSaveOption);
}

void TLmCompo::WriteMainIndex(TStream &aStream) {
  for (int i = 0; i < kMainIndexSlots; ++i)
    WriteInt32(aStream, 0);
}

void TLmCompo::ReadDescription(TStream &aStream) {
  GetDescription(aStream);
}

bool TLmCompo::LoadFromFile(const QString &aFile, QString &aHeader) {
  aHeader.clear();
  ReadResult = TBookRead::brNone;
  RemoveStraySaveFiles(aFile);
  // The file is read through windows of its bytes: the readers take many
  // small values, and each would be a call into the file otherwise, while
  // the whole file in memory would take as much again as the book.
  std::unique_ptr<TFileWindowStream> file;
  try {
    file = std::make_unique<TFileWindowStream>(aFile, kHeadWindow);
  } catch (const EFOpenError &) {
    ReadResult = TBookRead::brCannotOpen;
    ShowMessage(msg::CannotOpen(aFile));
    return false;
  }
  TFileWindowStream sections(*file, 0, BookSectionEnd(*file), kHeadWindow);
  return LoadFromBookStream(sections, aFile, aHeader);
}

bool TLmCompo::LoadFromBookStream(TStream &aStream, const QString &aFile, QString &aHeader) {
  PagesStored = PagesRead = 0;
  DamagedFile.clear();
  const uint32_t pagePos = ReadHeader(aStream, aHeader, aFile);
  if (pagePos == 0) return false;
  ReadResult = TBookRead::brNone;
  ReadDescription(aStream);
  ReadStampList(aStream);
  ReadImageList(aStream);
  if (posFile == 0) posFile = uint32_t(aStream.Position());
  if (!aFile.isEmpty() && TTempFileList::Constructed())
    TTempFileList::Get().LoadFromFile(aFile, posFile);
  // The page section is read from a copy of its own bytes: a damaged page
  // then ends at the section's end instead of reading the lists behind it
  // as objects.
  int64_t end = aStream.Size();
  for (const uint32_t next : {posStamp, posStampEnd, posStill, posFile})
    if (next > pagePos && next < end) end = next;
  const std::unique_ptr<TStream> section = SectionOf(aStream, pagePos, end);
  ReadResult = TBookRead::brComplete;
  LoadFromStream(*section);
  if (ReadResult == TBookRead::brDamaged) DamagedFile = aFile;
  return true;
}

void TLmCompo::ReadStampList(TStream &aStream) {
  if (posStamp == 0) return;
  const int64_t size = aStream.Size();
  const int64_t end = posStampEnd > posStamp ? int64_t(posStampEnd) : size;
  aStream.SetPosition(posStamp);
  QString head;
  ReadSizedString(aStream, kMaxHeadLength, head);
  // Lists of other versions (1.0, ...) are skipped.
  if (head != kStampListHead && head != kOldStampListHead) {
    aStream.SetPosition(posStamp);
    return;
  }
  ReadListEntries(aStream, posStamp, end, [](TStream &aEntry) { StampMaker()._Create(aEntry); });
}

void TLmCompo::ReadImageList(TStream &aStream) {
  if (posStill == 0) return;
  const int64_t size = aStream.Size();
  aStream.SetPosition(posStill);
  QString head;
  ReadSizedString(aStream, kMaxHeadLength, head);
  if (!head.contains(QStringLiteral("Image List"))) {
    aStream.SetPosition(posStill);
    return;
  }
  const int64_t lengthAt = aStream.Position();
  if (!Readable(aStream, 12)) return;
  const int64_t length = ReadInt64(aStream);
  // The stored length bounds the section; one that does not fit the file
  // gives way to the media table's position or the end of the file.
  int64_t end = size;
  // The length counts from its own first byte; 8 of them are read.
  if (length >= 12 && Readable(aStream, length - 8))
    end = lengthAt + length;
  else if (posFile > lengthAt)
    end = posFile;
  ReadListEntries(aStream, posStill, end, [](TStream &aEntry) { StillMaker()._Create(aEntry); });
}

void TLmCompo::SaveToBookStream(TStream &aStream, const QString &aOption) {
  // Links are stored as the ids of their partners.
  UpdateLinkId();
  FSaveOption = aOption;
  WriteHeader(aStream);
  posMainIdx = uint32_t(aStream.Position());
  WriteMainIndex(aStream);
  auto slot = [this](int aIndex) { return int64_t(posMainIdx) + 4 * aIndex; };
  PatchStreamPos(aStream, slot(0));
  SaveDescription(aStream);
  PatchStreamPos(aStream, slot(1));
  SaveThumbnail(aStream);
  PatchStreamPos(aStream, slot(2));
  SaveToStream(aStream);
  SaveStampList(aStream);
  SaveImageList(aStream);
  SaveMediaTable(aStream);
}

QString TLmCompo::BesideName(const QString &aFile) {
  const QFileInfo info(aFile);
  const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
  const QString stem = info.absolutePath() + u'/' + info.completeBaseName();
  for (int n = 1;; ++n) {
    const QString name =
        stem + (n == 1 ? QStringLiteral("（読込分）") : QStringLiteral("（読込分%1）").arg(n)) +
        suffix;
    if (!QFileInfo::exists(name)) return name;
  }
}

bool TLmCompo::SaveToFile(const QString &aFile, const QString &aOption) {
  // A book read from a damaged file holds only what could be read: it
  // replaces that file only when the teacher says so.
  QString target = aFile;
  const bool overDamaged =
      !DamagedFile.isEmpty() && QFileInfo::exists(aFile) && SameFile(aFile, DamagedFile);
  if (overDamaged) {
    const QString beside = BesideName(aFile);
    switch (AskDamagedSave(aFile, beside)) {
    case TDamagedSave::dsCancel:
      return false;
    case TDamagedSave::dsBeside:
      target = beside;
      break;
    case TDamagedSave::dsReplace:
      break;
    }
  }
  RemoveStraySaveFiles(target);
  TMetaStream bytes;
  try {
    SaveToBookStream(bytes, aOption);
  } catch (const std::exception &) {
    ShowMessage(msg::CannotSave(target));
    return false;
  }
  try {
    SaveFileSafely(target, bytes.Bytes());
  } catch (const EFOpenError &) {
    ShowMessage(msg::CannotWrite(target));
    return false;
  } catch (const std::exception &) {
    ShowMessage(msg::CannotSave(target));
    return false;
  }
  if (target == aFile) {
    if (overDamaged) DamagedFile.clear(); // the file now holds the whole book
  } else if (TSysContext::Started() && SameFile(SysInfo().FileName, aFile)) {
    SysInfo().FileName = target;
  }
  return true;
}

void TLmCompo::SaveStampList(TStream &aStream) {
  TStampMaker &store = StampMaker();
  store.ClearUseCount();
  if (std::unique_ptr<TLmIterator> it = CreateIterator(otStamp, kStampKind)) {
    while (it->HasNext()) {
      const QString name = BareFileName(it->GetFileName());
      if (!name.isEmpty()) store.IncUseCount(name);
    }
  }
  if (FSaveOption != QStringView(kPageSaveOption)) store.PackImage();

  PatchStreamPos(aStream, int64_t(posMainIdx) + 4 * 3);
  WriteSizedString(aStream, kStampListHead);
  const int32_t n = store.UsedStamps();
  WriteInt32(aStream, n);
  const int64_t table = aStream.Position();
  for (int32_t i = 0; i < n; ++i)
    WriteInt32(aStream, 0);
  int32_t written = 0;
  for (int i = 0; i < store.Count() && written < n; ++i) {
    TStamp_ *stamp = store.Items(i);
    if (stamp->UseCount() <= 0) continue;
    PatchStreamPos(aStream, table + 4 * written);
    stamp->SaveToStream(kStampHolder, aStream);
    ++written;
  }
  PatchStreamPos(aStream, int64_t(posMainIdx) + 4 * 4);
}

void TLmCompo::SaveMediaTable(TStream &aStream) {
  const bool listed = TTempFileList::Constructed();
  if (listed) {
    TTempFileList &list = TTempFileList::Get();
    // A running extraction registers each file it writes with one use:
    // let it end before the uses are counted afresh.
    list.WaitThread();
    list.ClearUseCount();
    for (const TActKind kind : {awMPEG, awSound}) {
      std::unique_ptr<TLmIterator> it = CreateIterator(kind);
      if (!it) continue;
      while (it->HasNext()) {
        try {
          const QString name = BareFileName(it->GetFileName());
          if (!name.isEmpty()) list.Add(name);
        } catch (const std::exception &) {
          // An object whose file name cannot be had is left out.
        }
      }
    }
  }
  PatchStreamPos(aStream, int64_t(posMainIdx) + 4 * 6);
  if (listed) TTempFileList::Get().SaveToStream(aStream);
}

// ---- TLmBook ----

void TLmBook::LoadFromStream(TStream &aStream) {
  const int32_t n = ReadInt32(aStream);
  // The page offsets are not needed for reading; a count the stream
  // cannot hold is corrupt.
  CheckReadable(aStream, n, 4);
  aStream.Skip(int64_t(n) * 4);
  PagesStored = n;
  TLmCompo::LoadFromStream(aStream);
}

void TLmBook::LoadChildren(TStream &aStream) {
  ClearChildren();
  const TOrderedLoad ordered(FPool.get());
  PagesRead = 0;
  bool damaged = false;
  // The count in front of the pages must agree with the one of the page
  // offsets.
  int32_t n = 0;
  if (Readable(aStream, 4)) {
    n = ReadInt32(aStream);
    damaged = n != PagesStored;
  } else {
    damaged = PagesStored > 0;
  }
  PagesStored = std::max(PagesStored, n);
  TCoreContext &context = TCoreContext::Get();
  TMetaStream record;
  for (int32_t i = 0; i < n; ++i) {
    if (!Readable(aStream, 1)) {
      damaged = true; // the file ends before the last page
      break;
    }
    const int faults = context.ReadFaults;
    std::unique_ptr<TCommonObj> page;
    try {
      page = ReadChild(aStream, record);
    } catch (const std::exception &) {
      damaged = true;
      break;
    }
    // A page read past damage may hold misread objects: it is dropped,
    // and nothing behind it can be found for certain.
    if (context.ReadFaults != faults) {
      damaged = true;
      break;
    }
    if (!page) continue;
    AddObj(std::move(page));
    ++PagesRead;
  }
  if (damaged) ReadResult = TBookRead::brDamaged;
}

void TLmBook::SaveToStream(TStream &aStream) {
  const TObjList pages = Children();
  const int32_t n = int32_t(pages.size());
  WriteInt32(aStream, n);
  posPage = uint32_t(aStream.Position());
  for (int32_t i = 0; i < n; ++i)
    WriteInt32(aStream, 0);
  TCommonObj::SaveToStream(aStream);
  WriteInt32(aStream, n);
  for (int32_t i = 0; i < n; ++i) {
    PatchStreamPos(aStream, int64_t(posPage) + 4 * i);
    pages[size_t(i)]->SaveToStream(aStream);
  }
}

std::unique_ptr<TLmIterator> TLmBook::CreateIterator(TObjType, const QString &) {
  return nullptr;
}

QString TLmBook::DescriptionText() const {
  const QString lines[] = {
      DocName,     CreaterName, QString(), QString::number(WinWidth), QString::number(WinHeight),
      kReserveLine};
  QString text;
  for (const QString &line : lines)
    text += line + kCrLf;
  return text;
}

void TLmBook::SaveDescription(TStream &aStream) {
  WriteSizedString(aStream, DescriptionText());
}

void TLmBook::SaveThumbnail(TStream &aStream) {
  MakeThumbnail();
  TMetaStream picture;
  picture.SaveGraphic(GetGraphic());
  aStream.CopyFrom(picture, 0);
}

void TLmBook::SaveImageList(TStream &aStream) {
  TStillMaker &store = StillMaker();
  store.ClearUseCount();
  if (std::unique_ptr<TLmIterator> it = CreateIterator(otNon, kStillKind)) {
    while (it->HasNext()) {
      const QString name = it->GetFileName();
      if (!name.isEmpty()) store.IncUseCount(name);
    }
  }
  int32_t n = 0;
  for (int i = 0; i < store.Count(); ++i)
    if (store.Items(i)->fUseCount > 0) ++n;
  if (FSaveOption != QStringView(kPageSaveOption)) store.PackImage();

  PatchStreamPos(aStream, int64_t(posMainIdx) + 4 * 5);
  WriteSizedString(aStream, kImageListHead);
  const int64_t lengthAt = aStream.Position();
  WriteInt64(aStream, 0);
  WriteInt32(aStream, n);
  const int64_t table = aStream.Position();
  for (int32_t i = 0; i < n; ++i)
    WriteInt32(aStream, 0);
  int32_t written = 0;
  for (int i = 0; i < store.Count() && written < n; ++i) {
    TStill_ *still = store.Items(i);
    if (still->fUseCount <= 0) continue;
    PatchStreamPos(aStream, table + 4 * written);
    still->SaveToStream(aStream);
    ++written;
  }
  const int64_t end = aStream.Position();
  aStream.SetPosition(lengthAt);
  WriteInt64(aStream, end - lengthAt);
  aStream.SetPosition(end);
}

// ---- TLmPage ----

void TLmPage::OpenMakers() {
  for (TCommonObj *child : Children()) {
    if (child->Maker()) child->Maker()->Open();
    child->ReMake();
  }
}

void TLmPage::CloseMakers() {
  for (TCommonObj *child : Children())
    if (child->Maker()) child->Maker()->Close();
}

TCommonObj *TLmPage::Thumbnail() {
  return nullptr;
}

} // namespace lumora
