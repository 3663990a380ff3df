#include "core/book/LegacyBook.h"

#include <cmath>
#include <functional>

#include "core/book/BookMessages.h"
#include "core/book/MetaBook.h"
#include "core/drawable/ActionObj.h"
#include "core/drawable/DrawObj.h"
#include "core/drawable/DummyDrawObj.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/MakeInfo.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/stream/MetaStream.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "core/system/TempFiles.h"
#include "core/system/Utilities.h"
#include "platform/system/Exception.h"
#include "platform/system/LittleEndian.h"
#include "platform/system/Stream.h"
#include "platform/ui/MessageBox.h"

namespace lumora {
namespace {

constexpr int32_t kMaxStringLength = 100000;
const QString kDataWord = QStringLiteral("Vellumkit");
// A page record is at least its string's count and its body size.
constexpr int64_t kMinPageRecord = 8;
// An animation's child is at least its three fields and a version.
constexpr int64_t kMinAnimChild = 20;
// Animations nest key objects, never animations in animations in
// animations: deeper nesting is damage (and would exhaust the stack).
constexpr int kMaxAnimDepth = 4;

const QString kTooOld = QStringLiteral("Ver1.5以前と判定され読込み不能でした。");
const QString kExecMode = QStringLiteral("V2.0以前のファイルは編集モードで読込みます。");

int32_t ReadInt32(TStream &aStream) {
  uint8_t d[4];
  aStream.ReadBuffer(d, 4);
  return le::Get<int32_t>(d);
}

// The one object record, or the end of the readable records of a page.
struct TRecordEnd {};

void ShowText(const QString &aText) {
  MessageBox().Show(aText, QString::fromUtf16(kProductName), TMsgButtons::mbOK);
}

// The kinds whose old records carry one point and no grabs that count.
bool IsOnePointKind(const QString &aKind) {
  static const QStringList kinds = {QStringLiteral("コピー＆複数ペースト"),
                                    QStringLiteral("アクション"),
                                    QString::fromUtf16(kGroupKind),
                                    QStringLiteral("ページ制御"),
                                    QStringLiteral("サウンド"),
                                    QStringLiteral("音声")};
  return kinds.contains(aKind);
}

// The index of the first object of the page named aName; -1 when none.
int IndexOfName(const TMetaPage &aPage, const QString &aName) {
  for (int i = 0; i < aPage.Count(); ++i)
    if (TCommonObj *obj = aPage.Items(i); obj && obj->Name == aName) return i;
  return -1;
}

int64_t IdAt(const TMetaPage &aPage, int aIndex) {
  TCommonObj *obj = aIndex >= 0 ? aPage.Items(aIndex) : nullptr;
  return obj ? obj->Id() : -1;
}

// Reads aCount picture entries one after another. A failing entry is
// skipped; one that did not move gives no way to the next.
void ReadEntries(TStream &aStream, int64_t aCount,
                 const std::function<void(TStream &)> &aReadEntry) {
  for (int64_t i = 0; i < aCount && aStream.Remaining() > 0; ++i) {
    const int64_t entryAt = aStream.Position();
    try {
      aReadEntry(aStream);
    } catch (const std::exception &) {
      if (aStream.Position() <= entryAt) break;
    }
  }
}

} // namespace

QString CurrentKindName(const QString &aOldKind) {
  static const std::pair<QString, QString> kMap[] = {
      {QStringLiteral("リボン図"), QStringLiteral("テープ図")},
      {QStringLiteral("XYﾘﾎﾞﾝ図"), QStringLiteral("XYﾃｰﾌﾟ図")},
      {QStringLiteral("Block"), QStringLiteral("ブロック")},
      {QStringLiteral("表"), QStringLiteral("文字表")},
      {QStringLiteral("アニメーター"), QString::fromUtf16(kAnimatorKind)}};
  for (const auto &[old, current] : kMap)
    if (aOldKind == old) return current;
  return aOldKind;
}

float OldHeaderVersion(const QString &aHeader) {
  // The "V" of the data word is not the version's: a form-B header starts
  // with "Vellumkit".
  qsizetype v = -1;
  for (qsizetype i = aHeader.indexOf(u'V'); i >= 0; i = aHeader.indexOf(u'V', i + 1))
    if (!QStringView(aHeader).mid(i).startsWith(kDataWord)) {
      v = i;
      break;
    }
  QString text = v >= 0 ? aHeader.mid(v + 1, 9) : aHeader.left(9);
  const qsizetype blank = text.indexOf(u' ');
  if (blank >= 1) text = text.left(blank + 1);
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  return ok && std::isfinite(value) ? float(value) : 0.0f;
}

// ---- TOldBookLoader ----

TOldBookLoader::TOldBookLoader(TMetaBook *aBook) : fBook(aBook) {}

void TOldBookLoader::ReadPageHeader(TStream &aStream) {
  aStream.SetPosition(0);
  QString header;
  ReadSizedString(aStream, kMaxStringLength, header);
  if (!header.contains(kDataWord)) {
    aStream.SetPosition(0);
    ReadInt32(aStream);
    ReadInt32(aStream);
    posPage = uint32_t(ReadInt32(aStream));
    ReadSizedString(aStream, kMaxStringLength, header);
  } else {
    ReadInt32(aStream);
    ReadInt32(aStream);
    posPage = uint32_t(ReadInt32(aStream));
    ReadInt32(aStream);
    ReadInt32(aStream);
  }
  if (!header.contains(kDataWord)) throw Exception(NotThisProgramsFileMessage());
}

void TOldBookLoader::ReadPages(TStream &aStream) {
  ReadPageHeader(aStream);
  PagesStored = PagesRead = 0;
  ObjectsDropped = 0;
  // A page table outside the file holds no pages.
  // A page table outside the file holds no pages, not even the common page
  // every book has.
  if (posPage == 0 || int64_t(posPage) + 8 > aStream.Size()) {
    PagesStored = 1;
    return;
  }
  aStream.SetPosition(posPage);
  const int32_t last = ReadInt32(aStream);
  const uint32_t first = uint32_t(ReadInt32(aStream));
  // Every page takes at least its two counts: a last page number beyond
  // what the file can hold is damage, not a reason to make pages.
  const int64_t left = aStream.Size() - int64_t(first);
  PagesStored = std::max(last, int32_t(-1)) + 1;
  if (last < 0 || int64_t(first) > aStream.Size()) return;
  const int64_t pages = std::min<int64_t>(int64_t(last) + 1, left / kMinPageRecord);
  aStream.SetPosition(first);
  for (int64_t k = 0; k < pages; ++k) {
    std::unique_ptr<TCommonObj> made =
        ObjClassList().CreateObject(QString::fromUtf16(kOldPageKind));
    auto *page = dynamic_cast<TMetaPage *>(made.get());
    if (!page) break; // no page class: nothing can hold the pages
    made.release();
    std::unique_ptr<TMetaPage> owned(page);
    fBook->WorkPage = page;
    page->Param.SetObjValue(int32_t(k));
    try {
      ReadPage(aStream, *page);
    } catch (const std::exception &) {
      fBook->WorkPage = nullptr;
      // Behind a page whose body lies beyond the file no page can be found.
      if (aStream.Remaining() == 0) break;
      continue;
    }
    fBook->WorkPage = nullptr;
    fBook->AddObj(std::move(owned));
    ++PagesRead;
  }
  fBook->WorkPage = nullptr;
}

void TOldBookLoader::ReadPage(TStream &aStream, TMetaPage &aPage) {
  QString unused;
  ReadSizedString(aStream, kMaxStringLength, unused);
  const int32_t bodySize = ReadInt32(aStream);
  if (bodySize <= 0) return;
  if (!Readable(aStream, bodySize)) {
    aStream.SetPosition(aStream.Size());
    throw EReadError(QStringLiteral("Stream read error"));
  }
  TMetaStream body;
  body.SetSize(bodySize);
  aStream.ReadBuffer(body.Memory(), bodySize);
  body.SetPosition(0);
  ReadPageObjects(body, aPage);
}

void TOldBookLoader::ReadPageObjects(TMetaStream &aStream, TMetaPage &aPage) {
  ReadInt32(aStream);
  const int32_t count = ReadInt32(aStream);
  if (count > 5) {
    CreatingStampSize() = 16;
    std::unique_ptr<TCommonObj> clear =
        ObjClassList().CreateObject(QString::fromUtf16(kPageClearKind));
    if (clear) {
      clear->Param.ActType.Exclude(atShow);
      clear->Param.SetObjValue(9);
      clear->Move(TRealPoint{784, 584});
      aPage.AddObj(std::move(clear));
    }
  }
  const int32_t pageNo = aPage.Param.ObjValue();
  // Every record takes at least its size field, so the body bounds the
  // loop whatever the count says.
  for (int32_t i = 0; i < count && aStream.Remaining() > 0; ++i) {
    std::unique_ptr<TCommonObj> obj;
    try {
      obj = ReadObjectRetry(aStream);
    } catch (const TRecordEnd &) {
      ++ObjectsDropped;
      break;
    }
    if (!obj) continue;
    if (TCustomMaker *maker = obj->Maker()) maker->SetCenter();
    if (obj->ObjInfo().FormType.Contains(otSystem)) {
      if (obj->Param.ObjName == QString::fromUtf16(kPagePropertyKind) && pageNo > 0) {
        aPage.Param.Coating = obj->Param.Coating;
        aPage.Param.FaceColor = obj->Param.FaceColor;
      }
      continue;
    }
    aPage.AddObj(std::move(obj));
  }
  FixLinksByName(aPage);
}

std::unique_ptr<TCommonObj> TOldBookLoader::ReadObjectRetry(TMetaStream &aStream) {
  const int64_t start = aStream.Position();
  if (!Readable(aStream, 4)) throw TRecordEnd{};
  const int32_t size = ReadInt32(aStream);
  // The size counts its own four bytes; one that leaves the page body
  // gives no place for this record or the next.
  if (size < 4 || size > aStream.Size() - start) throw TRecordEnd{};
  const int64_t end = start + size;
  // The body is read from a view of the record alone, so that a damaged
  // record cannot reach into the next one.
  TMetaStream record;
  record.SetView(aStream.Memory() + start + 4, size - 4);
  std::unique_ptr<TCommonObj> obj;
  try {
    obj = ReadOldObject(record, 0);
  } catch (const std::exception &) {
    // One attempt: the bytes read the same the second time. The record is
    // passed over by its stored size.
    obj.reset();
    ++ObjectsDropped;
  }
  aStream.SetPosition(end);
  return obj;
}

std::unique_ptr<TCommonObj> TOldBookLoader::ReadOldObject(TMetaStream &aStream, int aDepth) {
  LoadedParam = TObjParam();
  if (aStream.Remaining() <= 0) return nullptr;
  float version = 0;
  aStream.ReadVersion(version);
  aStream.ReadParam15(LoadedParam);
  LoadedParam.ObjName = CurrentKindName(LoadedParam.ObjName);
  const TObjParam param = LoadedParam;

  std::unique_ptr<TCommonObj> obj;
  bool placeholder = false;
  if (ObjClassList().ClassOf(param.ObjName)) {
    obj = ObjClassList().CreateObject(param.ObjName);
  } else if (param.ObjName == QString::fromUtf16(kPagePropertyKind)) {
    fBook->Param.FaceColor = param.FaceColor;
    fBook->Param.Coating = param.Coating;
    return nullptr;
  } else {
    // The placeholder keeps the old kind name in its text.
    obj = TMakeInfo2::Get().CreatePlaceholder(param);
    if (obj) obj->Name = obj->CreateName(false);
    placeholder = true;
  }
  if (!obj) throw EReadError(QStringLiteral("Class not found"));
  obj->Data(QStringLiteral("ファイル名"), QVariantList{param.Text});

  ReadInt32(aStream);
  QString name;
  aStream.ReadBuffer(name);
  std::vector<TRealPoint> polygon;
  aStream.ReadBuffer(polygon);
  for (const TRealPoint &p : polygon)
    if (!(std::abs(p.rx) <= kMaxCoordinate) || !(std::abs(p.ry) <= kMaxCoordinate))
      throw EReadError(QStringLiteral("Illegal Point"));
  TGrabForm grabForm;
  aStream.ReadBuffer(grabForm);
  // The grab count sizes the grab records made from it: more grabs than
  // the record gives points or forms for is damage.
  const int64_t grabLimit =
      std::max<int64_t>({int64_t(polygon.size()), int64_t(grabForm.size()), 8});
  if (param.Grabs < 0 || param.Grabs > grabLimit) throw EReadError(QStringLiteral("Illegal Grabs"));

  // A placeholder is drawn from its bounds: without points it would have
  // none, so it keeps its own frame.
  if (placeholder && polygon.empty()) polygon = TDummyDrawObj::FixedPolygon();
  obj->Name = name;
  if (!placeholder) obj->Param = param;
  IRepresent *represent = Supports<IRepresent>(obj.get());
  if (represent) represent->SetPolygon(polygon);
  if (!placeholder) obj->ReMake();
  if (IsOnePointKind(param.ObjName)) {
    obj->Param.Grabs = 0;
    if (polygon.size() > 1) polygon.resize(1);
    if (represent) represent->SetPolygon(polygon);
  }
  if (represent) {
    if (!obj->GrabInfo()) obj->InitGrabInfo();
    if (TGrabInfo *grabs = represent->GetGrabInfo()) grabs->CopyGrabForm(grabForm);
  } else if (!polygon.empty()) {
    obj->Move(polygon.front(), nullptr, false);
  }
  obj->LoadOption_Old(aStream);

  if (auto *animator = dynamic_cast<IOldAnimator *>(obj.get())) {
    if (aDepth >= kMaxAnimDepth) throw EReadError(QStringLiteral("Illegal Animation"));
    obj->Param.Grabs = 0;
    const int32_t children = ReadInt32(aStream);
    if (children < 0 || !Readable(aStream, children, kMinAnimChild))
      throw EReadError(QStringLiteral("Illegal Count"));
    for (int32_t i = 0; i < children; ++i) {
      ReadInt32(aStream);
      const int32_t key = ReadInt32(aStream);
      aStream.Skip(8);
      std::unique_ptr<TCommonObj> child = ReadOldObject(aStream, aDepth + 1);
      if (!child) continue;
      if (children < 2 || i < children - 1) child->Param.Priority += 1;
      child->Param.ActType.Include(atShow);
      animator->AddNewObj(std::move(child), key);
    }
  }
  return obj;
}

void TOldBookLoader::FixLinksByName(TMetaPage &aPage) {
  // Names are looked up before the objects are renamed, ids taken after.
  struct TPending {
    TCommonObj *obj;
    std::vector<int> indexes;
  };
  std::vector<TPending> groups, actions, animators, clicks;
  for (int i = 0; i < aPage.Count(); ++i) {
    TCommonObj *obj = aPage.Items(i);
    if (!obj) continue;
    if (auto *group = dynamic_cast<IOldGroupLinks *>(obj)) {
      TPending pending{obj, {}};
      for (const QString &name : group->LinkNames()) {
        const int index = IndexOfName(aPage, name);
        // A name naming nothing on the page loses only its own link.
        if (index < 0)
          FMessages << name + QStringLiteral("はId異常");
        else
          pending.indexes.push_back(index);
      }
      groups.push_back(std::move(pending));
    } else if (auto *action = dynamic_cast<TSingleLinkAction *>(obj)) {
      actions.push_back({obj, {IndexOfName(aPage, action->LinkedName)}});
    } else if (auto *animator = dynamic_cast<IOldAnimator *>(obj)) {
      animators.push_back({obj, {IndexOfName(aPage, animator->LinkedName())}});
    }
    if (auto *draw = dynamic_cast<TDrawObj *>(obj); draw && draw->OldEvent()) {
      const QString name = draw->OldEvent()->Click;
      draw->OldEvent()->Click.clear();
      clicks.push_back({obj, {name.isEmpty() ? -1 : IndexOfName(aPage, name)}});
    }
  }
  for (int i = 0; i < aPage.Count(); ++i)
    if (TCommonObj *obj = aPage.Items(i)) obj->Name = obj->CreateName(true);

  for (const TPending &p : clicks)
    static_cast<TDrawObj *>(p.obj)->EventParam.Click = IdAt(aPage, p.indexes.front());
  for (const TPending &p : actions)
    if (p.indexes.front() >= 0) p.obj->SetLinkedId(IdAt(aPage, p.indexes.front()));
  for (const TPending &p : groups) {
    std::vector<int64_t> &ids = dynamic_cast<IOldGroupLinks *>(p.obj)->LinkedIds();
    ids.clear();
    for (const int index : p.indexes)
      ids.push_back(IdAt(aPage, index));
  }
  for (const TPending &p : animators) {
    const int index = p.indexes.front();
    if (index < 0) continue;
    dynamic_cast<IOldAnimator *>(p.obj)->SetLinkId(IdAt(aPage, index));
    aPage.Items(index)->Param.Priority += 1;
  }
}

// ---- TLegacyBookLoader ----

TLegacyBookLoader::TLegacyBookLoader(TMetaBook *aBook) : fBook(aBook) {}

void TLegacyBookLoader::Fail(const QString &aError) {
  FError = aError;
  throw Exception(aError);
}

bool TLegacyBookLoader::LoadFromFile(const QString &aFName) {
  if (TSysContext::Started() && SysInfo().SysMode() == smExec) {
    TCoreContext::Get().ProcessMessages();
    Fail(kExecMode);
  }
  TMemoryStream file;
  try {
    file.LoadFromFile(aFName);
  } catch (const Exception &) {
    fBook->ReadResult = TBookRead::brCannotOpen;
    ShowText(msg::CannotOpen(aFName));
    return false;
  }
  return LoadFromBookStream(file, aFName);
}

bool TLegacyBookLoader::LoadFromBookStream(TStream &aStream, const QString &aFName) {
  if (TSysContext::Started() && SysInfo().SysMode() == smExec) Fail(kExecMode);
  FMessages.clear();
  FError.clear();
  fBook->CloseBook();
  fBook->Clear();
  fBook->PagesStored = fBook->PagesRead = 0;
  fBook->DamagedFile.clear();
  fBook->ReadResult = TBookRead::brNotABook;

  try {
    ReadOldHeader(aStream);
  } catch (const EReadError &) {
    // A file too short for its header.
    Fail(msg::NotABook(aFName));
  }
  if (fBookVersion <= 1.19f) {
    const QString text =
        QStringLiteral("「") + BareFileName(aFName) + QStringLiteral("」は") + kTooOld;
    FError = kTooOld;
    ShowText(text);
    throw Exception(text);
  }
  if (posStamp != 0) {
    // No Windows 9x family here: the list at posStamp is the one to read.
    aStream.SetPosition(posStamp);
    ReadOldStampList(aStream);
  }
  ReadOldImageList(aStream);
  const int64_t media = posFile != 0 ? int64_t(posFile) : aStream.Position();
  if (!aFName.isEmpty() && TTempFileList::Constructed())
    TTempFileList::Get().LoadFromFile(aFName, media);

  TOldBookLoader pages(fBook);
  try {
    pages.ReadPages(aStream);
  } catch (const EReadError &) {
    Fail(msg::NotABook(aFName));
  } catch (const Exception &error) {
    Fail(error.Message());
  }
  FMessages = pages.Messages();
  fBook->PagesStored = pages.PagesStored;
  fBook->PagesRead = pages.PagesRead;
  const bool whole = pages.PagesRead == pages.PagesStored && pages.ObjectsDropped == 0;
  fBook->ReadResult = whole ? TBookRead::brComplete : TBookRead::brDamaged;
  if (!whole) fBook->DamagedFile = aFName;
  if (!FMessages.isEmpty()) ShowText(FMessages.join(u'\n'));
  return true;
}

void TLegacyBookLoader::ReadOldHeader(TStream &aStream) {
  posPage = posStamp = posStamp98 = posStill = posFile = 0;
  aStream.SetPosition(0);
  QString first;
  ReadSizedString(aStream, kMaxStringLength, first);
  QString header = first;
  if (first.contains(kDataWord)) {
    ReadInt32(aStream);
    ReadInt32(aStream);
    posPage = uint32_t(ReadInt32(aStream));
    posStamp = uint32_t(ReadInt32(aStream));
    posStamp98 = uint32_t(ReadInt32(aStream));
    posStill = uint32_t(ReadInt32(aStream));
    posFile = uint32_t(ReadInt32(aStream));
  } else {
    aStream.SetPosition(0);
    ReadInt32(aStream);
    posStamp = posStamp98 = uint32_t(ReadInt32(aStream));
    posPage = uint32_t(ReadInt32(aStream));
    ReadSizedString(aStream, kMaxStringLength, header);
  }
  fBookVersion = OldHeaderVersion(first);
  if (!header.contains(kDataWord)) Fail(NotThisProgramsFileMessage());
  // Sections outside the file are absent.
  const int64_t size = aStream.Size();
  for (uint32_t *pos : {&posPage, &posStamp, &posStamp98, &posStill, &posFile})
    if (int64_t(*pos) > size) *pos = 0;
}

void TLegacyBookLoader::ReadOldStampList(TStream &aStream) {
  const int64_t at = aStream.Position();
  QString title;
  ReadSizedString(aStream, kMaxStringLength, title);
  // Lists before 1.3 carry no pictures this program reads.
  if (title != QStringLiteral("Stamp List V 1.3")) {
    aStream.SetPosition(at);
    return;
  }
  if (!Readable(aStream, 4)) return;
  const int32_t n = ReadInt32(aStream);
  if (n <= 0 || !Readable(aStream, n, 4)) return;
  int entries = 0;
  for (int32_t i = 0; i < n; ++i)
    if (ReadInt32(aStream) != 0) ++entries;
  ReadEntries(aStream, entries, [](TStream &aEntry) { StampMaker()._Create(aEntry); });
}

void TLegacyBookLoader::ReadOldImageList(TStream &aStream) {
  if (posStill == 0) return;
  aStream.SetPosition(posStill);
  QString title;
  ReadSizedString(aStream, kMaxStringLength, title);
  if (!title.contains(QStringLiteral("Image List"))) {
    aStream.SetPosition(posStill);
    return;
  }
  if (!Readable(aStream, 12)) return;
  aStream.Skip(8);
  const int32_t n = ReadInt32(aStream);
  if (n <= 0 || !Readable(aStream, n, 4)) return;
  aStream.Skip(int64_t(n) * 4);
  ReadEntries(aStream, n, [](TStream &aEntry) { StillMaker()._Create(aEntry); });
}

} // namespace lumora
