#pragma once
// The author undo stack: every author edit records, before it changes
// anything, the records that put the object back. Records made for one user
// action share an undo number; one undo executes every record of the top
// number.
//
// Records refer to objects (and to their page) by id only, so a record whose
// object has gone does nothing. The stack belongs to one page, known by the
// page's id: a page that replaces it under the same number (after a page was
// deleted or pages were inserted) does not receive its records, while the
// same page read back from the book stream keeps them.
//
// Operators (the record class the stack makes for them):
//   1 created (TUndoCreate)       2 deleted (TUndoDelete with link records)
//   3 nudged (TUndoMove)          5 dragged (TUndoMove)
//   8 linked (TUndoLink / TUndoGroupLink, two-object Add only)
//   21 paint order (TUndoPriority)
//   20 edited, 25 clock grip, 104 plain move, any other (TUndoEdit)
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/stream/MetaStream.h"
#include "shell/input/UndoHooks.h"

namespace lumora {

class TAbUndo;
class TCommonObj;
class TCustomCompo;
class TLinkIterator;
class TMultiTrac;
class TUndoObj;

inline constexpr int kUndoNudge = 3;
inline constexpr int kUndoDrag = 5;
inline constexpr int kUndoLink = 8;
inline constexpr int kUndoPriority = 21;

// Finds an object by id on the stack's work page; null when none.
using TGetMetaObj = std::function<TCommonObj *(int64_t aObjId)>;
// The stack's work page when it has that id; null otherwise.
using TGetPage = std::function<TCustomCompo *(int64_t aPageId)>;

class TUndo {
public:
  virtual ~TUndo() = default;
  // Whether aNew only repeats this record (asked of the top record).
  virtual bool IsDisuse(const TUndoObj &aNew) const = 0;
  // Puts the object back; answers the object to re-make and select.
  virtual TCommonObj *ExecuteUndo() = 0;
  // The number of the user action the record belongs to.
  virtual int UndoNo() const = 0;
};

class TUndoObj : public TUndo {
public:
  TUndoObj(int aNo, int64_t aObjIdx);

  int FUndoNo;
  int64_t FObjIdx;
  uint16_t FOperator = 0;
  // The id of the work page when the record was pushed.
  int64_t FPageId = 0;
  TGetMetaObj GetMetaObj;
  TGetPage GetPage;

  // Same operator and same object.
  bool IsDisuse(const TUndoObj &aNew) const override;
  int UndoNo() const override { return FUndoNo; }

protected:
  // The record's object on the work page; null when it has gone.
  TCommonObj *Target() const;
  // The record's page while it is the work page.
  TCustomCompo *Page() const;
};

// Undo deletes the object from the page it was made on.
class TUndoCreate : public TUndoObj {
public:
  TUndoCreate(int aNo, int64_t aId, int64_t aPageId);
  bool IsDisuse(const TUndoObj &) const override { return false; }
  TCommonObj *ExecuteUndo() override;
};

// Undo reads a saved copy back into the object (a composite with its
// children). The operator is 20 whatever was asked.
class TUndoEdit : public TUndoObj {
public:
  TUndoEdit(int aNo, TCommonObj &aObj, int aOperator);
  // Same operator and id, and then: a new clock record is a repeat;
  // otherwise only a copy of the same bytes (the object has not changed).
  bool IsDisuse(const TUndoObj &aNew) const override;
  TCommonObj *ExecuteUndo() override;

  TMetaStream FObjStream;
  // A clock recorded with another operator than 25: its hands move on
  // their own, so a copy of it never differs meaningfully.
  bool FIgnoreStream = false;
};

// Undo makes the object again from the saved copy at its pool index.
class TUndoDelete : public TUndoEdit {
public:
  TUndoDelete(int aNo, TCommonObj &aObj, int aOperator, int aIndex);
  bool IsDisuse(const TUndoObj &) const override { return false; }
  TCommonObj *ExecuteUndo() override;

  int FIndex;
};

// Undo moves the object back so that its reference point (the first
// polygon point; for a composite its first member's) is where it was.
class TUndoMove : public TUndoObj {
public:
  TUndoMove(int aOperator, int aNo, TCommonObj &aObj);
  // A nudge on top swallows further nudges of the same object, so that a
  // run of nudges keeps the position before the run.
  bool IsDisuse(const TUndoObj &aNew) const override;
  TCommonObj *ExecuteUndo() override;

  TRealPoint FPoint0;
};

// Undo puts the object back at its pool index.
class TUndoPriority : public TUndoObj {
public:
  TUndoPriority(int aNo, TCommonObj &aObj, int aIndex);
  bool IsDisuse(const TUndoObj &) const override { return false; }
  TCommonObj *ExecuteUndo() override;

  int FIndex;
};

// Undo toggles the link of the owner (FObjIdx) to the partner (FDestIdx).
class TUndoLink : public TUndoObj {
public:
  TUndoLink(int aNo, TCommonObj &aOwner, TCommonObj &aPartner);
  bool IsDisuse(const TUndoObj &) const override { return false; }
  // The owner's current partner is unlinked when it has one; otherwise the
  // partner is linked again.
  TCommonObj *ExecuteUndo() override;

  int64_t FDestIdx;
};

// The link record of an owner whose links are a list.
class TUndoGroupLink : public TUndoLink {
public:
  TUndoGroupLink(int aNo, TCommonObj &aOwner, TCommonObj &aPartner);
  // A listed partner is taken out; otherwise it is put back at FLinkNo.
  TCommonObj *ExecuteUndo() override;

  // The partner's place in the owner's list; the list's length when it is
  // absent; 0 without a list.
  int FLinkNo = 0;
};

// The recorder of the key-frame animation editor: while an animation object
// is set, the edits of its key objects are recorded by it. No animation
// object records its own entries yet, so it takes none.
class TAnimUndo {
public:
  explicit TAnimUndo(TAbUndo &aStack) : FStack(aStack) {}
  // Whether the recorder took aTarget's entry (then the stack records
  // nothing itself).
  bool AnimUndo(int aOperator, TCommonObj *aTarget);
  TCommonObj *Anim() const { return FAnim; }
  void SetAnim(TCommonObj *aAnim) { FAnim = aAnim; }

private:
  TAbUndo &FStack;
  TCommonObj *FAnim = nullptr;
};

// The author undo stack: last in, first out; it owns its records.
class TAbUndo : public IAuthorUndo {
public:
  // An empty stack, recording off until a work page is set.
  explicit TAbUndo(int aUndoCount);
  // Uninstalls itself from the hooks when it is installed there.
  ~TAbUndo() override;
  TAbUndo(const TAbUndo &) = delete;
  TAbUndo &operator=(const TAbUndo &) = delete;

  // Records aClient before operator aOperator changes it; with aPriority an
  // edit also records the paint order. Nothing while recording is off, for
  // movies and objects not saved, and (creation, edit, paint order) for
  // objects with a negative id.
  void Add(int aOperator, TCommonObj *aClient, bool aPriority = false) override;
  // Records the link (operator 8) from aClient to aTarget.
  void Add(int aOperator, TCommonObj *aClient, TCommonObj *aTarget);
  // The tracked objects of a multi-selection under one undo number, by
  // priority ascending and, for equal priority, id descending.
  void AddMulti(int aOperator, const TMultiTrac &aObjList, bool aPriority);
  // A creation record for every member of aObjList (pasted copies) under
  // one undo number, in pool order.
  void AddMultiCreate(TCustomCompo &aObjList);
  void AddAnim(int aOperator, TCommonObj *aTarget);
  // Undoes the top undo number: link records last, each owner/partner
  // pair once. Answers the object to select; null when none.
  TCommonObj *ExecuteUndo();
  bool CanUndo() const { return !FRecords.empty() && FEnabled; }
  // Frees every record; UndoNo := 0.
  void Clear();
  TCommonObj *GetTarget(int64_t aObjId) const;
  // The objects of the work page that link to aClient.
  std::unique_ptr<TLinkIterator> LinkIterator(TCommonObj *aClient) const;
  // Withdraws the top record when it is aOperator for aObj (an edit that did
  // not happen). When the last entry asked for was dropped as a repeat there
  // is nothing of it to withdraw, and nothing is.
  void RemoveTop(int aOperator, TCommonObj *aObj) override;
  void RemoveTop(int, const TMultiTrac &) {}
  void IncNo() { ++FUndoNo; }
  bool IsDisuse(const TUndoObj &aObj) const;

  bool Enabled() const { return FEnabled; }
  int Max() const { return FMax; }
  int UndoNo() const { return FUndoNo; }
  int Count() const { return int(FRecords.size()); }
  // The records, oldest first.
  const std::vector<std::unique_ptr<TUndo>> &Records() const { return FRecords; }
  TCustomCompo *WorkPage() const { return FWorkPage; }
  // Recording stays off for a null page and in presentation mode. The
  // records are kept for the page of the same id and cleared for another.
  void SetWorkPage(TCustomCompo *aValue);
  TCommonObj *Anim() const { return FAnimUndo->Anim(); }
  void SetAnim(TCommonObj *aValue) { FAnimUndo->SetAnim(aValue); }

  // Pushes aRecord with this stack's lookups (the animation recorder pushes
  // its own records here).
  void Push(std::unique_ptr<TUndo> aRecord);

private:
  // Pushes aRecord unless the top calls it a repeat.
  void PushUnlessRepeat(std::unique_ptr<TUndoObj> aRecord);
  // A deletion record, preceded by the link records of the object.
  void PushDelete(int aNo, TCommonObj &aObj);
  // The pool index of aObj on the work page (-1 when absent).
  int IndexOnPage(TCommonObj &aObj) const;

  bool FEnabled = false;
  int FMax;
  int64_t FPageId = -1;
  int FUndoNo = 0;
  TCustomCompo *FWorkPage = nullptr;
  std::unique_ptr<TAnimUndo> FAnimUndo;
  std::vector<std::unique_ptr<TUndo>> FRecords;
  bool FLastDropped = false;
};

// The program's author undo stack, a store of the program's context; null
// before the shell has started it.
TAbUndo *AbUndo();
// Makes the program's stack (capacity 99) in the context and installs it
// as the author undo hook.
void StartAbUndo();

} // namespace lumora
