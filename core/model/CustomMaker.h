#pragma once
// The author-side companion of a page object: it keeps the object's
// picture, draws it, and invalidates the object's area on the page window.
// An object makes its maker for the system mode of its creation
// (CreateMode), owns it and frees it.
#include <QString>
#include <functional>
#include <memory>

#include "core/geometry/Geometry.h"
#include "core/params/ObjParam.h"

class QClipboard;

namespace lumora {

class TBitmap;
class TCanvas;
class TCommonObj;
class TGraphic;
class TMakeInfo;

// An optional drawing hook of a companion: draws the owner onto the canvas
// instead of the owner's own DrawObj.
using TExtDraw = std::function<void(TCanvas &aCanvas, TCommonObj *aSelf)>;

class TCustomMaker {
public:
  // Owner aSelf (not owned); the making context is the program-wide one.
  explicit TCustomMaker(TCommonObj *aSelf);
  virtual ~TCustomMaker();
  TCustomMaker(const TCustomMaker &) = delete;
  TCustomMaker &operator=(const TCustomMaker &) = delete;

  // Asks the owner to redraw its picture blended over the background.
  virtual void DrawBlended();
  // Draws the owner: through the ExtDraw hook when set, else DrawObj.
  virtual void DrawSelf(TCanvas &aCanvas);
  // The owner's page is being shown / left.
  virtual void Open() = 0;
  virtual void Close() = 0;
  // The owner's name, unless aForce or the owner has no id: then a new id
  // and the default name (kind name + "[" + id text + "]").
  virtual QString CreateName(bool aForce);
  // The surface the maker draws on.
  virtual TCanvas *Canvas() = 0;
  // Invalidates the owner's bounds grown by Param.Width div 2 + 1 on the
  // page window.
  virtual void Invalidate(bool aEraseBack);
  virtual bool LoadFromClipBoard(QClipboard *aClipboard);
  virtual void Paint(TCanvas &aCanvas) = 0;
  // The owner takes the grab points (when it represents itself through
  // them), then SetCenter, Update and Invalidate.
  virtual void ReMake(const TGrabRect &aGrab);
  // Brings the owner's bounds up to date from its polygon.
  virtual void SetCenter() = 0;
  virtual void SetSelf(TCommonObj *aSelf);
  virtual void Refresh() {}
  // Rebuilds the picture of the owner.
  virtual void Update() = 0;
  // Takes a ready picture (a copy); null empties the picture.
  virtual void UpdateDraw(const TGraphic *aGraphic) = 0;
  // Takes a ready picture of part of the owner, with its top-left at aAt
  // on the page (UpdateDraw takes it at the owner's top-left).
  virtual void UpdateDrawAt(const TGraphic *aGraphic, TPoint aAt);
  // Paint order in the pool of the root object.
  virtual void MoveBack(TCommonObj *aObj);
  virtual bool MoveFront();
  virtual void MoveOrder(int aOrder);
  virtual void OpenProperty() {}
  virtual void ReleaseProperty();
  virtual void UndoProperty(const TObjParam &aUndoParam);

  TGraphic *Graphic() const { return FGraphic.get(); }
  TMakeInfo *MakeInfo() const { return FInfo; }
  const TExtDraw &ExtDraw() const { return FExtDraw; }
  void SetExtDraw(TExtDraw aExtDraw) { FExtDraw = std::move(aExtDraw); }

protected:
  TExtDraw FExtDraw;
  std::unique_ptr<TGraphic> FGraphic; // the maker's own picture, or none
  TCommonObj *FSelf = nullptr;
  TMakeInfo *FInfo = nullptr;
};

// A maker whose picture is a bitmap drawn at the owner's top-left.
class TMakeBmpObj : public TCustomMaker {
public:
  explicit TMakeBmpObj(TCommonObj *aSelf);

  void Open() override {}
  void Close() override {}
  TCanvas *Canvas() override;
  void Paint(TCanvas &aCanvas) override;
  void SetCenter() override;
  void Update() override;
  void UpdateDraw(const TGraphic *aGraphic) override;
  void UpdateDrawAt(const TGraphic *aGraphic, TPoint aAt) override;

  TBitmap *Bitmap() const;

private:
  TPoint FAt; // where the bitmap goes, from the owner's top-left
};

} // namespace lumora
