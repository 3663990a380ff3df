#include "shell/undo/AbUndo.h"

#include <algorithm>
#include <cstring>

#include "core/book/Iterators.h"
#include "core/drawable/ActionObj.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/CustomMaker.h"
#include "core/model/Interfaces.h"
#include "core/model/Link.h"
#include "core/model/MakeInfo.h"
#include "core/model/ObjPool.h"
#include "core/system/SysContext.h"
#include "core/system/SysInfo.h"
#include "shell/controls/ButtonMediator.h"
#include "shell/input/MultiTrac.h"

namespace lumora {

namespace {

constexpr int kProgramUndoCount = 99;
// The key-frame animation object, whose move is undone by setting its
// anchor point back.
constexpr const char16_t *kAnimatorKind = u"アニメ編集";
constexpr const char16_t *kClockKind = u"時計";

TSysMode CurrentSysMode() {
  return TSysContext::Started() ? SysInfo().SysMode() : TMakeInfo2::Get().SysMode;
}

void Repaint(TCommonObj &aObj) {
  if (TCustomMaker *maker = aObj.Maker()) maker->Invalidate(false);
}

// Centre, re-make and repaint after the object was put back.
void Refresh(TCommonObj &aObj) {
  if (TCustomMaker *maker = aObj.Maker()) maker->SetCenter();
  aObj.ReMake();
  Repaint(aObj);
}

// Whether the object keeps its links as a list.
bool KeepsLinkList(TCommonObj &aObj) {
  return dynamic_cast<TMultiLinkAction *>(&aObj) || dynamic_cast<TMultiLink *>(aObj.GetLink());
}

// Where a move is measured: the first polygon point; for a composite, whose
// own polygon does not follow its members, its first member's.
TRealPoint ReferencePoint(TCommonObj &aObj, int aDepth = 0) {
  if (auto *compo = dynamic_cast<TCustomCompo *>(&aObj)) {
    if (compo->Pool() && aDepth < 50)
      for (TCommonObj *member : *compo->Pool())
        if (member && member != compo) return ReferencePoint(*member, aDepth + 1);
    return {0, 0};
  }
  return aObj.Polygon().empty() ? TRealPoint{0, 0} : aObj.Polygon().front();
}

// A link from an object of the page to a member of a composite that reads
// its members again (which frees the old ones).
struct TCutLink {
  TCommonObj *Owner;
  int64_t PartnerId;
  int Index;
};

std::vector<TCutLink> CutLinksInto(TCustomCompo &aCompo, TCustomCompo *aPage) {
  std::vector<TCutLink> cut;
  if (!aPage || !aPage->Pool()) return cut;
  for (TCommonObj *owner : *aPage->Pool()) {
    if (!owner || owner == &aCompo || owner == aPage) continue;
    TLink *link = owner->GetLink();
    if (!link) continue;
    for (int i = link->LinkCount() - 1; i >= 0; --i) {
      TCommonObj *partner = link->GetLink(i);
      if (!partner || partner == &aCompo || aCompo.IndexOf(partner) < 0) continue;
      cut.push_back({owner, partner->Id(), i});
      link->RemoveLink(partner);
    }
  }
  return cut;
}

// Ties the cut links to the members read again, at their old places.
void RestoreLinks(const std::vector<TCutLink> &aCut, TCustomCompo &aCompo) {
  for (auto it = aCut.rbegin(); it != aCut.rend(); ++it) {
    TCommonObj *partner = aCompo.GetObjs(it->PartnerId);
    TLink *link = it->Owner->GetLink();
    if (partner && partner != &aCompo && link) link->SetLink(it->Index, partner);
  }
}

} // namespace

// ---- TUndoObj ----

TUndoObj::TUndoObj(int aNo, int64_t aObjIdx) : FUndoNo(aNo), FObjIdx(aObjIdx) {}

bool TUndoObj::IsDisuse(const TUndoObj &aNew) const {
  return FOperator == aNew.FOperator && FObjIdx == aNew.FObjIdx;
}

TCommonObj *TUndoObj::Target() const {
  return GetMetaObj ? GetMetaObj(FObjIdx) : nullptr;
}

TCustomCompo *TUndoObj::Page() const {
  return GetPage ? GetPage(FPageId) : nullptr;
}

// ---- TUndoCreate ----

TUndoCreate::TUndoCreate(int aNo, int64_t aId, int64_t aPageId) : TUndoObj(aNo, aId) {
  FOperator = kUndoCreate;
  FPageId = aPageId;
}

TCommonObj *TUndoCreate::ExecuteUndo() {
  TCustomCompo *page = Page();
  TCommonObj *obj = Target();
  if (!page || !obj || obj == page) return nullptr;
  Repaint(*obj);
  TLinkIterator linkers(page, obj);
  while (linkers.HasNext()) {
    TCommonObj *owner = linkers.GetObject();
    if (owner == obj) continue;
    if (TLink *link = owner->GetLink())
      link->RemoveLink(obj);
    else
      owner->SetLinkedObj(nullptr);
  }
  // Freed here when the page owns it.
  std::unique_ptr<TCommonObj> gone = page->Extract(obj);
  return nullptr;
}

// ---- TUndoEdit ----

TUndoEdit::TUndoEdit(int aNo, TCommonObj &aObj, int aOperator) : TUndoObj(aNo, aObj.Id()) {
  FOperator = kUndoEdit;
  FIgnoreStream = aObj.Param.ObjName == QString::fromUtf16(kClockKind) && aOperator != kUndoClock;
  aObj.SaveToStream(FObjStream);
}

bool TUndoEdit::IsDisuse(const TUndoObj &aNew) const {
  if (!TUndoObj::IsDisuse(aNew)) return false;
  const auto *edit = dynamic_cast<const TUndoEdit *>(&aNew);
  if (!edit) return false;
  if (edit->FIgnoreStream) return true;
  return edit->FObjStream.Size() == FObjStream.Size() &&
         std::memcmp(edit->FObjStream.Memory(), FObjStream.Memory(), size_t(FObjStream.Size())) ==
             0;
}

TCommonObj *TUndoEdit::ExecuteUndo() {
  TCommonObj *obj = Target();
  if (!obj) return nullptr;
  Repaint(*obj);
  auto *compo = dynamic_cast<TCustomCompo *>(obj);
  std::vector<TCutLink> cut;
  if (compo) cut = CutLinksInto(*compo, Page());
  FObjStream.SetPosition(0);
  obj->LoadFromStream(FObjStream);
  if (compo) RestoreLinks(cut, *compo);
  Refresh(*obj);
  return obj;
}

// ---- TUndoDelete ----

TUndoDelete::TUndoDelete(int aNo, TCommonObj &aObj, int aOperator, int aIndex)
    : TUndoEdit(aNo, aObj, aOperator), FIndex(aIndex) {
  FOperator = kUndoDelete;
}

TCommonObj *TUndoDelete::ExecuteUndo() {
  TCustomCompo *page = Page();
  if (!page || !page->Pool()) return nullptr;
  // The deletion did not take place: the object is not made twice.
  if (TCommonObj *present = Target()) return present;
  FObjStream.SetPosition(0);
  std::unique_ptr<TCommonObj> made = TCommonObj::GetMakeInfo().LoadFromStream(FObjStream);
  if (!made) return nullptr;
  FObjStream.SetPosition(0);
  made->LoadFromStream(FObjStream);
  const int count = page->Pool()->Count();
  const int index = FIndex < 0 || FIndex > count ? count : FIndex;
  TCommonObj *obj = page->Insert(index, std::move(made));
  if (!obj) return nullptr;
  if (TCustomMaker *maker = obj->Maker()) maker->SetCenter();
  obj->ReMake();
  obj->SetVisible(true);
  Repaint(*obj);
  return obj;
}

// ---- TUndoMove ----

TUndoMove::TUndoMove(int aOperator, int aNo, TCommonObj &aObj)
    : TUndoObj(aNo, aObj.Id()), FPoint0(ReferencePoint(aObj)) {
  FOperator = uint16_t(aOperator);
}

bool TUndoMove::IsDisuse(const TUndoObj &aNew) const {
  return FOperator == kUndoNudge && TUndoObj::IsDisuse(aNew);
}

TCommonObj *TUndoMove::ExecuteUndo() {
  TCommonObj *obj = Target();
  if (!obj) return nullptr;
  Repaint(*obj);
  IRepresent *represent = Supports<IRepresent>(obj);
  if (obj->Param.ObjName == QString::fromUtf16(kAnimatorKind) && represent &&
      !obj->Polygon().empty()) {
    std::vector<TRealPoint> polygon = obj->Polygon();
    polygon.front() = FPoint0;
    represent->SetPolygon(polygon);
  } else {
    obj->Move(SubRealPoint(FPoint0, ReferencePoint(*obj)));
  }
  Refresh(*obj);
  return obj;
}

// ---- TUndoPriority ----

TUndoPriority::TUndoPriority(int aNo, TCommonObj &aObj, int aIndex)
    : TUndoObj(aNo, aObj.Id()), FIndex(aIndex) {
  FOperator = kUndoPriority;
}

TCommonObj *TUndoPriority::ExecuteUndo() {
  TCommonObj *obj = Target();
  if (!obj) return nullptr;
  TCustomCompo *page = Page();
  TAbObjectPool *pool = page ? page->Pool() : nullptr;
  if (!pool || FIndex < 0) return obj;
  const int current = pool->IndexOf(obj);
  const int index = std::min(FIndex, pool->Count() - 1);
  if (current >= 0 && current != index) pool->Move(current, index);
  return obj;
}

// ---- TUndoLink ----

TUndoLink::TUndoLink(int aNo, TCommonObj &aOwner, TCommonObj &aPartner)
    : TUndoObj(aNo, aOwner.Id()), FDestIdx(aPartner.Id()) {
  FOperator = kUndoLink;
}

TCommonObj *TUndoLink::ExecuteUndo() {
  TCommonObj *owner = Target();
  if (!owner) return nullptr;
  TLink *link = owner->GetLink();
  if (!link) return owner;
  if (TCommonObj *linked = owner->GetLinkedObj())
    link->DoLink(linked);
  else if (TCommonObj *partner = GetMetaObj(FDestIdx))
    link->DoLink(partner);
  return owner;
}

// ---- TUndoGroupLink ----

TUndoGroupLink::TUndoGroupLink(int aNo, TCommonObj &aOwner, TCommonObj &aPartner)
    : TUndoLink(aNo, aOwner, aPartner) {
  if (TLink *link = aOwner.GetLink()) {
    FLinkNo = link->LinkCount();
    for (int i = 0; i < link->LinkCount(); ++i)
      if (link->GetLink(i) == &aPartner) {
        FLinkNo = i;
        break;
      }
  }
}

TCommonObj *TUndoGroupLink::ExecuteUndo() {
  TCommonObj *owner = Target();
  if (!owner) return nullptr;
  TLink *link = owner->GetLink();
  TCommonObj *partner = GetMetaObj(FDestIdx);
  if (!link || !partner) return owner;
  bool listed = false;
  for (int i = 0; i < link->LinkCount() && !listed; ++i)
    listed = link->GetLink(i) == partner;
  if (listed)
    link->RemoveLink(partner);
  else
    link->SetLink(FLinkNo, partner);
  return owner;
}

// ---- TAnimUndo ----

bool TAnimUndo::AnimUndo(int, TCommonObj *) {
  return false;
}

// ---- TAbUndo ----

TAbUndo::TAbUndo(int aUndoCount)
    : FMax(aUndoCount), FAnimUndo(std::make_unique<TAnimUndo>(*this)) {}

TAbUndo::~TAbUndo() {
  if (AuthorUndo() == this) SetAuthorUndo(nullptr);
}

void TAbUndo::Push(std::unique_ptr<TUndo> aRecord) {
  if (auto *record = dynamic_cast<TUndoObj *>(aRecord.get())) {
    record->FPageId = FWorkPage ? FWorkPage->Id() : 0;
    record->GetMetaObj = [this](int64_t aId) { return GetTarget(aId); };
    record->GetPage = [this](int64_t aPageId) -> TCustomCompo * {
      return FWorkPage && FWorkPage->Id() == aPageId ? FWorkPage : nullptr;
    };
  }
  FRecords.push_back(std::move(aRecord));
  FLastDropped = false;
}

void TAbUndo::PushUnlessRepeat(std::unique_ptr<TUndoObj> aRecord) {
  if (IsDisuse(*aRecord)) {
    FLastDropped = true;
    return;
  }
  Push(std::move(aRecord));
}

int TAbUndo::IndexOnPage(TCommonObj &aObj) const {
  return FWorkPage && FWorkPage->Pool() ? FWorkPage->Pool()->IndexOf(&aObj) : -1;
}

void TAbUndo::PushDelete(int aNo, TCommonObj &aObj) {
  TLink *link = aObj.GetLink();
  if (TCommonObj *linked = aObj.GetLinkedObj(); link && linked) {
    if (KeepsLinkList(aObj)) {
      for (int i = link->LinkCount() - 1; i >= 0; --i)
        if (TCommonObj *partner = link->GetLink(i))
          Push(std::make_unique<TUndoGroupLink>(aNo, aObj, *partner));
    } else {
      Push(std::make_unique<TUndoLink>(aNo, aObj, *linked));
    }
  }
  std::unique_ptr<TLinkIterator> linkers = LinkIterator(&aObj);
  while (linkers->HasNext()) {
    TCommonObj *owner = linkers->GetObject();
    if (owner == &aObj) continue;
    if (KeepsLinkList(*owner))
      Push(std::make_unique<TUndoGroupLink>(aNo, *owner, aObj));
    else
      Push(std::make_unique<TUndoLink>(aNo, *owner, aObj));
  }
  Push(std::make_unique<TUndoDelete>(aNo, aObj, kUndoDelete, IndexOnPage(aObj)));
}

void TAbUndo::Add(int aOperator, TCommonObj *aClient, bool aPriority) {
  if (!FEnabled || !aClient) return;
  const TFormType form = aClient->ObjInfo().FormType;
  if (form.Contains(otMovie) || form.Contains(otNoSave)) return;
  if (FAnimUndo->AnimUndo(aOperator, aClient)) return;
  const bool noId = aClient->Id() < 0;
  const int64_t pageId = FWorkPage ? FWorkPage->Id() : 0;
  switch (aOperator) {
  case kUndoCreate:
    if (noId) return;
    Push(std::make_unique<TUndoCreate>(++FUndoNo, aClient->Id(), pageId));
    break;
  case kUndoDelete:
    PushDelete(++FUndoNo, *aClient);
    break;
  case kUndoNudge:
  case kUndoDrag:
    ++FUndoNo;
    PushUnlessRepeat(std::make_unique<TUndoMove>(aOperator, FUndoNo, *aClient));
    break;
  case kUndoLink:
    break;
  case kUndoPriority:
    if (noId) return;
    Push(std::make_unique<TUndoPriority>(++FUndoNo, *aClient, IndexOnPage(*aClient)));
    break;
  default:
    if (noId) return;
    ++FUndoNo;
    if (aPriority)
      PushUnlessRepeat(std::make_unique<TUndoPriority>(FUndoNo, *aClient, IndexOnPage(*aClient)));
    PushUnlessRepeat(std::make_unique<TUndoEdit>(FUndoNo, *aClient, aOperator));
    break;
  }
}

void TAbUndo::Add(int aOperator, TCommonObj *aClient, TCommonObj *aTarget) {
  if (!FEnabled || !aClient || !aTarget || aOperator != kUndoLink) return;
  if (aClient->ObjInfo().FormType.Contains(otMovie)) return;
  ++FUndoNo;
  if (dynamic_cast<TMultiLinkAction *>(aClient))
    Push(std::make_unique<TUndoGroupLink>(FUndoNo, *aClient, *aTarget));
  else
    Push(std::make_unique<TUndoLink>(FUndoNo, *aClient, *aTarget));
}

void TAbUndo::AddMulti(int aOperator, const TMultiTrac &aObjList, bool aPriority) {
  if (!FEnabled) return;
  std::vector<TCommonObj *> objs;
  for (int i = 0; i < aObjList.Count(); ++i)
    if (TCommonObj *obj = aObjList.GetObjs(i)) objs.push_back(obj);
  if (objs.empty()) return;
  std::stable_sort(objs.begin(), objs.end(), [](TCommonObj *a, TCommonObj *b) {
    if (a->Param.Priority != b->Param.Priority) return a->Param.Priority < b->Param.Priority;
    return a->Id() > b->Id();
  });
  const int no = ++FUndoNo;
  const int64_t pageId = FWorkPage ? FWorkPage->Id() : 0;
  for (TCommonObj *obj : objs) {
    switch (aOperator) {
    case kUndoCreate:
      Push(std::make_unique<TUndoCreate>(no, obj->Id(), pageId));
      break;
    case kUndoDelete:
      PushDelete(no, *obj);
      break;
    case kUndoNudge:
    case kUndoDrag:
      Push(std::make_unique<TUndoMove>(aOperator, no, *obj));
      break;
    case kUndoEdit:
      if (aPriority) Push(std::make_unique<TUndoPriority>(no, *obj, IndexOnPage(*obj)));
      Push(std::make_unique<TUndoEdit>(no, *obj, aOperator));
      break;
    case kUndoPriority:
      Push(std::make_unique<TUndoPriority>(no, *obj, IndexOnPage(*obj)));
      break;
    default:
      break;
    }
  }
}

void TAbUndo::AddMultiCreate(TCustomCompo &aObjList) {
  if (!FEnabled || !aObjList.Pool()) return;
  std::vector<TCommonObj *> members;
  for (TCommonObj *member : *aObjList.Pool())
    if (member && member != &aObjList) members.push_back(member);
  if (members.empty()) return;
  const int no = ++FUndoNo;
  const int64_t pageId = FWorkPage ? FWorkPage->Id() : 0;
  for (TCommonObj *member : members)
    Push(std::make_unique<TUndoCreate>(no, member->Id(), pageId));
}

void TAbUndo::AddAnim(int aOperator, TCommonObj *aTarget) {
  if (FEnabled) FAnimUndo->AnimUndo(aOperator, aTarget);
}

TCommonObj *TAbUndo::ExecuteUndo() {
  if (FRecords.empty()) return nullptr;
  // Recording is off while the records run and comes back as it was, also
  // when a record fails.
  struct TRecording {
    bool &enabled;
    bool saved;
    ~TRecording() { enabled = saved; }
  } recording{FEnabled, FEnabled};
  FEnabled = false;

  const int no = FRecords.back()->UndoNo();
  std::vector<std::unique_ptr<TUndoLink>> links;
  TCommonObj *result = nullptr;
  for (;;) {
    std::unique_ptr<TUndo> record = std::move(FRecords.back());
    FRecords.pop_back();
    if (auto *link = dynamic_cast<TUndoLink *>(record.get())) {
      const bool twice = std::any_of(links.begin(), links.end(), [link](const auto &kept) {
        return kept->FObjIdx == link->FObjIdx && kept->FDestIdx == link->FDestIdx;
      });
      if (!twice) {
        record.release();
        links.emplace_back(link);
      }
      result = nullptr;
    } else if (TCommonObj *obj = record->ExecuteUndo(); obj && !result) {
      result = obj;
    }
    if (FRecords.empty() || FRecords.back()->UndoNo() != no) break;
    if (result) result->ReMake();
  }
  for (const std::unique_ptr<TUndoLink> &link : links)
    if (TCommonObj *obj = link->ExecuteUndo()) obj->ReMake();
  if (result) result->ReMake();
  if (TSysContext::Started())
    if (TButtonMediator *mediator = SysInfo().BtnMediator) mediator->ClearState(false);
  return result;
}

void TAbUndo::Clear() {
  FRecords.clear();
  FUndoNo = 0;
  FLastDropped = false;
}

TCommonObj *TAbUndo::GetTarget(int64_t aObjId) const {
  return FWorkPage ? FWorkPage->GetObjs(aObjId) : nullptr;
}

std::unique_ptr<TLinkIterator> TAbUndo::LinkIterator(TCommonObj *aClient) const {
  return std::make_unique<TLinkIterator>(FWorkPage, aClient);
}

void TAbUndo::RemoveTop(int aOperator, TCommonObj *aObj) {
  if (!FEnabled || !aObj || FRecords.empty()) return;
  if (FLastDropped) {
    FLastDropped = false;
    return;
  }
  auto *top = dynamic_cast<TUndoObj *>(FRecords.back().get());
  if (top && top->FOperator == aOperator && GetTarget(top->FObjIdx) == aObj) FRecords.pop_back();
}

bool TAbUndo::IsDisuse(const TUndoObj &aObj) const {
  return !FRecords.empty() && FRecords.back()->IsDisuse(aObj);
}

void TAbUndo::SetWorkPage(TCustomCompo *aValue) {
  FEnabled = false;
  if (!aValue || CurrentSysMode() == smExec) {
    FWorkPage = nullptr;
    return;
  }
  FWorkPage = aValue;
  if (aValue->Id() != FPageId) {
    FPageId = aValue->Id();
    Clear();
  }
  FEnabled = true;
}

// ---- The program's stack ----

TAbUndo *AbUndo() {
  return TCoreContext::Optional<TAbUndo>();
}

void StartAbUndo() {
  TAbUndo &undo = TCoreContext::Get().Put(std::make_unique<TAbUndo>(kProgramUndoCount));
  SetAuthorUndo(&undo);
}

} // namespace lumora
