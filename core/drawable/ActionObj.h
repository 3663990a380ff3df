#pragma once
// Action objects: the small icons that make a page act in presentation. An
// action object holds an action record (TActionObj::ActParam: show, hide,
// move, rotate, ...) and links to the objects it acts on; the drawable
// executor of each target carries the record out.
//
// TCustomActionObj is the common base: an icon of 37 x 23 pixels centred on
// the object's one polygon point, drawn only in author mode. Its two link
// styles are TSingleLinkAction (one target, the partner of its link) and
// TMultiLinkAction (any number of targets, its pool). TActMake is their
// maker (silent in presentation mode), TActLink the single link of action
// objects, TActEx the base of their executors.
//
// Option blocks (inside the object record):
//   single link: the action record (Int32 56, the 56-byte block with the
//     text reference 0, the text string), then, when the object has a link
//     object, the Int64 id of the linked object (0 when none);
//   multi link: Int32 n, n Int64 target ids. Descendants that also store an
//     action record write it first (WriteActParam / ReadActParam).
// Older blocks are read by the size of the record (ReadActParam); the
// oldest option layout (LoadOption_Old) reads the 80-byte form and the
// target's name.
#include <QString>
#include <cstdint>
#include <vector>

#include "core/drawable/MakeObj.h"
#include "core/model/Exe.h"
#include "core/model/LeafObj.h"
#include "core/model/Link.h"

namespace lumora {

class TCustomActionObj : public TActionObj {
  LUMORA_ABSTRACT_OBJECT(TCustomActionObj, TActionObj)
public:
  // The icon's size.
  static constexpr int kIconWidth = 37;
  static constexpr int kIconHeight = 23;
  // The fill of the ports of an object that is no single-link action.
  static constexpr TColor kMultiPortColor = 0x8080F0;

  // ---- TCommonObj ----
  // An action object can act, nothing else.
  bool ICan(TActKind aTask) override { return aTask == atAction; }
  using TActionObj::DrawObj;
  // Pen colour Param.LineColor; both ports, then the icon rectangle at
  // BCenter in the canvas's pen and brush (over the ports). The points
  // given are not used: an icon has one size and one place.
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint> aPolygon) override;
  // The icon rectangle at the first point.
  void DrawDragImage(TCanvas &aCanvas, const TGrabRect &aRect) override;
  // Not-XOR grey pen of width 2; the saved icon is erased unless the save
  // is empty or starts at (0, 0); the icon at aRect[0] is drawn and its
  // point saved.
  void DragDraw(TCanvas &aCanvas, TGrabRect &aSave, const TGrabRect &aRect) override;
  using TLeafObj::Move;
  // The leaf's move, then Update.
  void Move(TRealPoint aOffset, TObjList *aVList, bool aRelative) override;
  // The maker's Update.
  void ReMake() override;
  // The maker paints.
  void Paint(TCanvas &aCanvas) override;
  using TLeafObj::Paint;
  // Icons do not scale.
  void Scaling(double, TRealPoint) override {}
  // Passed to the making context with this object.
  void ReMakeFrontObj(TCommonObj *aObjList, TObjList *aOverTopList) override;

  // ---- TLeafObj ----
  // The maker's SetCenter, ReMake, the maker's Invalidate(False).
  void Update() override;

  // ---- Added here ----
  // The connector circles: the ellipse (0, -4, 9, 5) moved to
  // (aRect.Left + Round(width / 2) - 5, y), y = aRect.Top for the top port
  // and aRect.Bottom - 1 for the bottom one. A single-link action draws
  // them in the current brush, any other action in kMultiPortColor (the
  // brush colour is restored).
  virtual void DrawPorts(TCanvas &aCanvas, const TRect &aRect, bool aBottom, bool aTop);
  // The 37 x 23 rectangle whose top-left is aPoint - (18.5, 11.5), rounded
  // half away from zero.
  virtual TRect IconRect(TRealPoint aPoint);
  virtual int MinGrabs() { return 1; }

  // The maker keeps the icon's place: the one polygon point and BCenter.
  void SetAnchor(TRealPoint aPoint);
  void SetBCenter(TRealPoint aCenter) { FBCenter = aCenter; }

protected:
  explicit TCustomActionObj(const TObjParam &aParam);
  // Param.ObjName := the class's kind name, the grab record, then the
  // companions for the making context's mode (a subclass makes its maker
  // and link in CreateMode).
  void AfterConstruction() override;
};

class TSingleLinkAction : public TCustomActionObj {
  LUMORA_ABSTRACT_OBJECT(TSingleLinkAction, TCustomActionObj)
public:
  // The target's name read from the oldest option layout (the reader of
  // older books links by it).
  QString LinkedName;

  // The stored id of the linked object until links are resolved.
  int64_t GetLinkedId() const override { return FTargetId; }
  // A positive aId is kept; otherwise the linked object's id, or 0.
  void SetLinkedId(int64_t aId) override;
  // The action record (ActParam.Text unchanged afterwards), then, with a
  // link object, the linked object's id (0 without one).
  void SaveOption(TMetaStream &aStream) override;
  // The action record by its stored size; with a link object, the target
  // id, which UpdateLink resolves once the page is loaded.
  void LoadOption(TMetaStream &aStream) override;
  // The oldest action record, then the string LinkedName.
  void LoadOption_Old(TMetaStream &aStream) override;

protected:
  using TCustomActionObj::TCustomActionObj;

  int64_t FTargetId = 0;
};

class TMultiLinkAction : public TCustomActionObj {
  LUMORA_ABSTRACT_OBJECT(TMultiLinkAction, TCustomActionObj)
public:
  // Int32 n (the link's LinkCount), then the ids of the first n objects of
  // the pool (the targets, in pool order).
  void SaveOption(TMetaStream &aStream) override;
  // Int32 n, then n Int64 ids into TargetIds. A count that is negative or
  // larger than the bytes left for it raises EReadError before anything is
  // allocated.
  void LoadOption(TMetaStream &aStream) override;
  // Every stored id above 0 that names an object of aCompo (its whole tree
  // for a composite, else its pool; null: this object) adds that object to
  // the targets; ids naming nothing are dropped. TargetIds is emptied.
  void UpdateLink(TCommonObj *aCompo) override;

  // The action record for descendants that store one before the targets:
  // Int32 56, the block, the text (ActParam.Text stays as it was).
  void WriteActParam(TMetaStream &aStream);
  // Reads it back by its stored size (56, 88, 48; other sizes skipped).
  void ReadActParam(TMetaStream &aStream);

  // The ids read, until UpdateLink resolves them.
  const std::vector<int64_t> &TargetIds() const { return FTargetId; }

protected:
  using TCustomActionObj::TCustomActionObj;

  std::vector<int64_t> FTargetId;
};

// The maker of action objects: records the icon in author mode; in
// presentation mode it has no picture, paints and invalidates nothing.
class TActMake : public TMakeObj {
public:
  // The mode is the system state's (the making context's when the system
  // state is not running); outside presentation the metafile is made at
  // once.
  explicit TActMake(TCommonObj *aSelf);

  // The metafile maker's, outside presentation (making context's mode).
  void Open() override;
  void Paint(TCanvas &aCanvas) override;
  // Outside presentation (the maker's own mode): the icon recorded.
  void Update() override;
  // Outside presentation: the bounds grown by Param.Width div 2 + 1
  // across and Param.Width div 2 + 5 down and up (room for the ports).
  void Invalidate(bool aEraseBack) override;
  // BCenter := polygon point 0; bounds := the icon rectangle there.
  void SetCenter() override;
  // Polygon point 0 := aGrab[0]; SetCenter, Update, Invalidate(False).
  void ReMake(const TGrabRect &aGrab) override;

  TSysMode SysMode() const { return FSysMode; }

protected:
  TSysMode FSysMode;
};

// The single link of action objects.
class TActLink : public TSingleLink {
public:
  using TSingleLink::TSingleLink;

  // aObj exists, is no action object and its class's catalogue ActType
  // lacks awCustom.
  bool CanLink(TCommonObj *aObj) override;
  // Null: False. The linked object again: unlinked, answer CanLink. Nothing
  // linked: aObj becomes the partner, True (callers ask CanLink first).
  // Another object linked: nothing changes, answer CanLink.
  bool DoLink(TCommonObj *aObj) override;
};

// The base of the executors of action objects.
class TActEx : public TExe {
public:
  // Circuits longer than this end the run: a chain of linked actions that
  // loops through many objects stops here.
  static constexpr size_t kMaxCircuit = 1000;

  using TExe::TExe;

  // The run goes on past the action object (False, circuit kept) only when
  // it has a linked object, a circuit exists, holds fewer than kMaxCircuit
  // entries and does not hold the action object yet. Otherwise True, and
  // the circuit (when there is one) is freed.
  bool IsCircuitEnd(TCircuit &aCircuit, TCommonObj *aAction) override;
  // The concrete executor carries out the action.
  virtual bool ActExec(TCommonObj *aAction) = 0;
};

} // namespace lumora
