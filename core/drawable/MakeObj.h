#pragma once
// Makers of drawable objects: the object's picture is a metafile recorded
// through a metafile canvas after every change (Update) and replayed when
// the page paints.
//
// TMakeObj is the metafile maker, TDrawMake the maker of every TDrawObj
// (it also keeps the link and snap centre), TPolyObjMake that of TPolyObj
// (its rotation centre follows the centroid too).
#include <memory>

#include "core/model/CustomMaker.h"

namespace lumora {

class TMetafile;
class TMetafileCanvas;

class TMakeObj : public TCustomMaker {
public:
  explicit TMakeObj(TCommonObj *aSelf);
  // Frees the metafile canvas and the metafile.
  ~TMakeObj() override;

  // Makes the metafile when there is none.
  void Open() override;
  // Frees the metafile canvas and the metafile.
  void Close() override;
  // The recording canvas, opened (BeginCanvas) when none is open.
  TCanvas *Canvas() override;
  // The owner's bounds grown by Param.Width div 2 + 1, on the making
  // context's page window.
  void Invalidate(bool aEraseBack) override;
  // Replays the metafile at (0, 0) when there is one.
  void Paint(TCanvas &aCanvas) override;
  // SetBounds.
  void SetCenter() override;
  // Records the owner again: blended over its background when it has a
  // transparency, else drawn itself.
  void Update() override;
  // With a graphic: records it at the top-left of the owner's bounds.
  // Without: Update.
  void UpdateDraw(const TGraphic *aGraphic) override;
  // Records the graphic with its top-left at aAt.
  void UpdateDrawAt(const TGraphic *aGraphic, TPoint aAt) override;

  // Ends the recording (frees the metafile canvas).
  virtual void EndCanvas();
  // EndCanvas, makes the metafile when there is none, opens a metafile
  // canvas on it.
  virtual void BeginCanvas();
  // The owner's bounds: the integer bounds of its polygon grown by
  // Param.Width / 2 (half to even) on every side, right and bottom + 1.
  virtual void SetBounds();

  TMetafile *Metafile() const;
  // Whether a recording is in progress.
  bool Recording() const { return FMetaCan != nullptr; }
  // The centre grab chosen; -1 for none.
  int CenterVal() const { return FCenterVal; }
  void SetCenterVal(int aValue) { FCenterVal = aValue; }

protected:
  std::unique_ptr<TMetafileCanvas> FMetaCan;
  int FCenterVal = -1;
};

class TDrawMake : public TMakeObj {
public:
  using TMakeObj::TMakeObj;

  // SetBounds, then the owner's BCenter := the centroid of its polygon.
  void SetCenter() override;
  // Invalidate, SetCenter, Update, Invalidate.
  void Refresh() override;
  // As TMakeObj's, but blended only when the owner is coated with a
  // transparency.
  void Update() override;
};

class TPolyObjMake : public TDrawMake {
public:
  using TDrawMake::TDrawMake;

  // As TDrawMake's, and the owner's RCenter := the same centroid.
  void SetCenter() override;
};

} // namespace lumora
