#include "core/book/Iterators.h"

#include "core/support/RectOps.h"

#include <QVariantList>
#include <algorithm>

#include "core/book/LmCompo.h"
#include "core/book/MetaBook.h"
#include "core/drawable/DrawObj.h"
#include "core/model/ClassRegistry.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/LeafObj.h"
#include "core/model/Link.h"
#include "core/model/ObjPool.h"
#include "core/model/QvMediaPlay.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/Utilities.h"
#include "platform/system/Stream.h"

namespace lumora {

namespace {

int PoolCount(const TCommonObj *aCompo) {
  const TAbObjectPool *pool = aCompo ? aCompo->Pool() : nullptr;
  return pool ? pool->Count() : 0;
}

TCommonObj *PoolItem(const TCommonObj *aCompo, int aIndex) {
  const TAbObjectPool *pool = aCompo ? aCompo->Pool() : nullptr;
  return pool ? pool->GetParts(aIndex) : nullptr;
}

TCommonObj *PoolObject(const TCommonObj *aCompo, int64_t aId) {
  const TAbObjectPool *pool = aCompo ? aCompo->Pool() : nullptr;
  return pool ? pool->GetObjs(aId) : nullptr;
}

} // namespace

// ---- TLmIterator ----

TLmIterator::TLmIterator(THasNextClass aHasNext) : FHasNext(std::move(aHasNext)) {}

TLmIterator::TLmIterator(THasNextClass aHasNext, TCustomCompo *aCompo)
    : FHasNext(std::move(aHasNext)) {
  Begin(aCompo);
}

TLmIterator::~TLmIterator() {
  // Frames are freed from the top, the nested ones before those that made
  // them.
  while (!fStack.empty())
    fStack.pop_back();
}

void TLmIterator::Begin(TCustomCompo *aCompo) {
  PushAndNew(this, aCompo);
}

TCommonObj *TLmIterator::GetObject() {
  return fStack.empty() ? nullptr : fStack.back()->GetObject();
}

bool TLmIterator::HasNext() {
  while (!fStack.empty()) {
    if (fStack.back()->HasNext()) return true;
    fStack.pop_back();
  }
  return false;
}

THasNext *TLmIterator::PushAndNew(THasNext *aParent, TCustomCompo *aCompo) {
  if (!FHasNext) return nullptr;
  std::unique_ptr<TLmHasNext> frame = FHasNext(aParent, aCompo);
  if (!frame) return nullptr;
  frame->fIterator = this;
  fStack.push_back(std::move(frame));
  return fStack.back().get();
}

bool TLmIterator::Condition(TCommonObj *) {
  return true;
}

QString TLmIterator::GetFileName() {
  TCommonObj *obj = GetObject();
  if (!obj) return {};
  if (auto *action = dynamic_cast<TActionObj *>(obj)) return action->ActParam.Text;
  return obj->Param.Text;
}

bool TLmIterator::Walking(const TCustomCompo *aCompo) const {
  for (const std::unique_ptr<TLmHasNext> &frame : fStack)
    if (frame->Compo() == aCompo) return true;
  return false;
}

void TLmIterator::DropFrame(THasNext *aFrame) {
  if (!fStack.empty() && fStack.back().get() == aFrame) fStack.pop_back();
}

// ---- TLmHasNext ----

TLmHasNext::TLmHasNext(THasNext *aParent, TCustomCompo *aCompo)
    : fParent(aParent), fCompo(aCompo) {}

TCommonObj *TLmHasNext::GetObject() {
  return fFound ? PoolObject(fCompo, fObjId) : nullptr;
}

THasNext *TLmHasNext::PushAndNew(THasNext *aParent, TCustomCompo *aCompo) {
  return fParent ? fParent->PushAndNew(aParent, aCompo) : nullptr;
}

bool TLmHasNext::Enters(TLmCompo *) {
  return true;
}

bool TLmHasNext::HasNext() {
  try {
    while (fObjNo < PoolCount(fCompo)) {
      TCommonObj *obj = PoolItem(fCompo, fObjNo);
      if (!obj) return false;
      ++fObjNo;
      // The compound's entry for itself is passed over, and a compound
      // already being walked is not entered again.
      if (obj == fCompo) continue;
      auto *compo = dynamic_cast<TLmCompo *>(obj);
      if (compo && Enters(compo) && !(fIterator && fIterator->Walking(compo))) {
        THasNext *nested = PushAndNew(this, compo);
        if (nested) {
          if (nested->HasNext()) return true;
          if (fIterator) fIterator->DropFrame(nested);
        }
      }
      fObjId = obj->Id();
      fFound = true;
      if (IsTarget(obj)) return true;
    }
  } catch (...) {
    // Whatever went wrong with this object ends the frame quietly.
  }
  fFound = false;
  return false;
}

// ---- TRectIterator ----

TRectIterator::TRectIterator(TCustomCompo *aPage, const TRect &aRect)
    : TLmIterator(HasNextClass<TRectHasNext>()), fRect(NormalizeRect(aRect)) {
  Begin(aPage);
}

TRectHasNext::TRectHasNext(THasNext *aParent, TCustomCompo *aCompo) : TLmHasNext(aParent, aCompo) {
  if (auto *it = dynamic_cast<TRectIterator *>(aParent))
    fRect = it->Rect();
  else if (auto *frame = dynamic_cast<TRectHasNext *>(aParent))
    fRect = frame->Rect();
  fRect = NormalizeRect(fRect);
}

bool TRectHasNext::IsTarget(TCommonObj *aObj) {
  for (const TRealPoint &p : aObj->Polygon())
    if (fRect.Contains(RealPointToPoint(p))) return true;
  return false;
}

bool TRectHasNext::Enters(TLmCompo *aCompo) {
  return !aCompo->ObjInfo().ActType.Contains(atDrag);
}

// ---- TCompoIterator ----

TCompoIterator::TCompoIterator(TCustomCompo *aPage, TCommonObj *aObj)
    : TLmIterator(HasNextClass<TCompoHasNext>()), fDestObj(aObj) {
  Begin(aPage);
}

TCompoHasNext::TCompoHasNext(THasNext *aParent, TCustomCompo *aCompo)
    : TLmHasNext(aParent, aCompo) {
  if (auto *it = dynamic_cast<TCompoIterator *>(aParent))
    fDestObj = it->DestObj();
  else if (auto *frame = dynamic_cast<TCompoHasNext *>(aParent))
    fDestObj = frame->DestObj();
}

bool TCompoHasNext::IsTarget(TCommonObj *aObj) {
  auto *compo = dynamic_cast<TLmCompo *>(aObj);
  return compo && fDestObj && compo->IndexOf(fDestObj) >= 0;
}

// ---- TTraceIterator ----

TTraceIterator::TTraceIterator(TCustomCompo *aCompo) : TLmIterator(HasNextClass<TTraceHasNext>()) {
  Begin(aCompo);
}

TTraceHasNext::TTraceHasNext(THasNext *aParent, TCustomCompo *aCompo)
    : TLmHasNext(aParent, aCompo) {}

bool TTraceHasNext::IsTarget(TCommonObj *aObj) {
  TCommonObj *linked = aObj->GetLinkedObj();
  if (!linked || !linked->Param.ActType.Contains(awTrace)) return false;
  fDestObj = aObj;
  return true;
}

// ---- TLinkIterator ----

TLinkIterator::TLinkIterator(TCustomCompo *aPage, TCommonObj *aDestObj)
    : TLinkIterator(aPage ? aPage->Pool() : nullptr, aDestObj) {}

TLinkIterator::TLinkIterator(TAbObjectPool *aPool, TCommonObj *aDestObj)
    : fDestObj(aDestObj), fObjPool(aPool) {}

bool TLinkIterator::HasNext() {
  fFindObj = nullptr;
  if (!fObjPool || !fDestObj) return false;
  try {
    while (fObjid < fObjPool->Count()) {
      TCommonObj *obj = fObjPool->GetParts(fObjid++);
      if (!obj) continue;
      TLink *link = obj->GetLink();
      const bool linked = link ? link->IsLinked(fDestObj) : obj->GetLinkedObj() == fDestObj;
      if (linked) {
        fFindObj = obj;
        return true;
      }
    }
  } catch (...) {
    fObjid = fObjPool->Count();
  }
  return false;
}

TObjParam TLinkIterator::GetParam() const {
  return fFindObj ? fFindObj->Param : TObjParam{};
}

// ---- TBookIterator ----

TBookIterator::TBookIterator(TMetaBook *aBook, TObjType aType, TActKind aAct, const QString &aObj)
    : TLmIterator(THasNextClass{}), fAct(aAct), fBook(aBook), fObject(aObj), fType(aType) {
  fPageid = 0;
  fPage = PageAt(fPageid);
}

TBookIterator::TBookIterator(TMetaBook *aBook, TObjType aType, TActKind aAct, const QString &aObj,
                             TStream *aStream)
    : TBookIterator(aBook, aType, aAct, aObj) {
  if (auto *file = dynamic_cast<TFileStream *>(aStream)) {
    fFileStream = file;
    fFileName = file->FileName();
  }
}

TCustomCompo *TBookIterator::PageAt(int aId) const {
  if (!fBook) return nullptr;
  return dynamic_cast<TCustomCompo *>(PoolItem(fBook, aId));
}

bool TBookIterator::Matches(const QString &aKind, const TObjInfo &aInfo) const {
  if (!fObject.isEmpty() && fObject == aKind) return true;
  if (fAct != atNon && aInfo.ActType.Contains(fAct)) return true;
  return fType != otNon && aInfo.FormType.Contains(fType);
}

void TBookIterator::CountInside(TLmCompo *aCompo) {
  // A compound that cannot be walked is passed over by itself: ending the
  // page here would leave the pictures of the page's later objects
  // uncounted, and the writer drops uncounted pictures from the book.
  try {
    std::unique_ptr<TLmIterator> inside = aCompo->CreateIterator(fType, fObject);
    if (!inside) return;
    const bool stamps = fObject == QStringView(kStampKind);
    while (inside->HasNext()) {
      const QString name = inside->GetFileName();
      // The stamp store keeps its pictures by file name without folder.
      if (stamps)
        StampMaker().IncUseCount(BareFileName(name));
      else
        StillMaker().IncUseCount(name);
    }
  } catch (...) {
  }
}

bool TBookIterator::HasNext() {
  fFound = false;
  const int pages = PoolCount(fBook);
  while (fPageid < pages) {
    fPage = PageAt(fPageid);
    try {
      while (fPage && fObjNo < PoolCount(fPage)) {
        TCommonObj *obj = PoolItem(fPage, fObjNo++);
        if (!obj || obj == fPage) continue;
        if (auto *compo = dynamic_cast<TLmCompo *>(obj)) {
          CountInside(compo);
          continue;
        }
        if (!Matches(obj->Param.ObjName, obj->ObjInfo())) continue;
        fObjId = obj->Id();
        fParam = obj->Param;
        fFound = true;
        return true;
      }
    } catch (...) {
      // The rest of this page is skipped.
    }
    ++fPageid;
    fObjNo = 0;
  }
  fFound = false;
  fPage = nullptr;
  return false;
}

TCommonObj *TBookIterator::GetObject() {
  return fFound ? PoolObject(fPage, fObjId) : nullptr;
}

bool TBookIterator::Condition(TCommonObj *aObj) {
  if (!aObj) return false;
  const QString kind = aObj->Param.ObjName;
  return Matches(kind, ObjClassList().GetInfo(kind));
}

QString TBookIterator::GetFileName() {
  TCommonObj *obj = GetObject();
  if (!obj) return {};
  if (fObject == QStringView(kStampKind) && dynamic_cast<TRepreCompo *>(obj))
    return obj->ObjInfo().FilePath;
  if (fAct == awMPEG || fAct == awSound) {
    QVariantList value;
    if (obj->Value(QString::fromUtf16(TDrawObj::kValueCommand), value) && !value.isEmpty())
      return value.first().toString();
  }
  if (fObject == QStringView(kStillKind)) return obj->Param.Text;
  if (IQvMediaPlay *media = dynamic_cast<IQvMediaPlay *>(obj)) return media->FileName();
  return obj->Param.Text;
}

} // namespace lumora
