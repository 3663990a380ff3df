#pragma once
// The grab-handle record of a page object: per handle a form, a mode and a
// cursor; handle i belongs to polygon point i.
//
// Stored grab block: Single version 1.0; the grab forms (Int32 k, k bytes);
// Int32 m; m pairs of Words (mode bits, cursor); the rotation centre as two
// Doubles. Blocks from before the version field start with the forms count
// and have no centre; their first four bytes read as a Single are below 1.0.
#include <cstdint>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/params/GrabTypes.h"
#include "core/support/EnumSet.h"

namespace lumora {

class TCommonObj;
class TMetaStream;

// Cursor numbers of the screen's cursor slots (0: the default cursor).
using TCursor = int16_t;

enum TGrabStyle : uint8_t {
  gmNon,
  gmShow, // the handle is visible
  gmReserve0,
  gmNoFill,
  gmSmall,
  gmMid,
  gmBig,
  gmCenter,
  gmAdsorb,
  gmTopCnt,
  gmBottomCnt,
};
// Stored as one Word per handle.
using TGrabMode = EnumSet<TGrabStyle, uint16_t>;

class TGrabInfo {
public:
  virtual ~TGrabInfo() = default;

  // All arrays n long; every handle gfRect, [gmMid, gmAdsorb], cursor 0.
  virtual void InitGrabs(int n) = 0;
  // The first handle whose polygon point lies within 1.0 of Pos on both
  // axes; -1 when none.
  virtual int GetGrabId(TRealPoint Pos) const = 0;
  virtual TGrabType GetGrabForm(int Id) const = 0;
  virtual void SetGrabForm(int Id, TGrabType Value) = 0;
  virtual TGrabMode GetGrabMode(int Id) const = 0;
  virtual void SetGrabMode(int Id, TGrabMode Value) = 0;
  virtual TCursor GetCursor(int Id) const = 0;
  virtual void SetCursor(int Id, TCursor Value) = 0;
  virtual bool GetVisible(int Id) const = 0;
  virtual void SetVisible(int Id, bool Value) = 0;
  virtual void LoadFromStream(TMetaStream &aStream) = 0;
  virtual void SaveToStream(TMetaStream &aStream) = 0;
  virtual void AddGrab(TGrabType aType, TGrabMode aMode, TCursor aCursor) = 0;
  virtual void Assign(const TGrabInfo &aSource) = 0;
  virtual void DelGrab(int aid) = 0;
  virtual void CopyGrabForm(const TGrabForm &aGrabForm) = 0;
  // The number of handles: the length of the form array.
  virtual int Count() const = 0;
  virtual void SetCount(int aCount) = 0;
  virtual void SetV2Style(const TGrabForm &aGrabForm) = 0;
};

class TGrabInfo_ : public TGrabInfo {
public:
  explicit TGrabInfo_(TCommonObj *aObj) : FSelf(aObj) {}

  void InitGrabs(int n) override;
  int GetGrabId(TRealPoint Pos) const override;
  // Handles outside the arrays read as gfNon / [] / 0 / hidden, and setting
  // them does nothing.
  TGrabType GetGrabForm(int Id) const override;
  void SetGrabForm(int Id, TGrabType Value) override;
  TGrabMode GetGrabMode(int Id) const override;
  void SetGrabMode(int Id, TGrabMode Value) override;
  TCursor GetCursor(int Id) const override;
  void SetCursor(int Id, TCursor Value) override;
  bool GetVisible(int Id) const override;
  void SetVisible(int Id, bool Value) override;
  // Reads the block; the handle count is checked against the bytes left
  // before anything is sized (EReadError).
  void LoadFromStream(TMetaStream &aStream) override;
  void SaveToStream(TMetaStream &aStream) override;
  void AddGrab(TGrabType aType, TGrabMode aMode, TCursor aCursor) override;
  // Copies form, mode and cursor of the first min(own, source) handles.
  void Assign(const TGrabInfo &aSource) override;
  void DelGrab(int aid) override;
  // The form array becomes a copy (the other arrays keep their length).
  void CopyGrabForm(const TGrabForm &aGrabForm) override;
  int Count() const override { return int(FGrabForm.size()); }
  // Handles added at the end are gfRect, [gmMid], cursor 0.
  void SetCount(int aCount) override;
  // InitGrabs with the length of aGrabForm, then every handle gfRect,
  // cursor 0, with gmShow added.
  void SetV2Style(const TGrabForm &aGrabForm) override;

  float Version() const { return FVersion; }
  TRealPoint RCenter() const { return FRCenter; }
  void SetRCenter(TRealPoint p) { FRCenter = p; }
  const TGrabForm &GrabForm() const { return FGrabForm; }
  int ModeCount() const { return int(FHandles.size()); }

private:
  // The mode and cursor of one handle: one array for both, as they always
  // have the same length.
  struct THandle {
    TGrabMode Mode;
    TCursor Cursor = 0;
  };

  float FVersion = 0;
  std::vector<THandle> FHandles;
  TGrabForm FGrabForm;
  TRealPoint FRCenter;
  TCommonObj *FSelf;
};

} // namespace lumora
