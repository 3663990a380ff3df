#pragma once
// What the drawable executor needs of presentation pieces built above the
// core: the sprite layer, the presentation undo stack and the selection
// grips of the presentation mouse handler. Presentation installs its
// objects here while it runs (and removes them when it stops); the core
// never owns them. Without them the executor does without: no sprite
// repaint, no undo record, no grip work.
#include "platform/graphics/Types.h"

namespace lumora {

class TCommonObj;

// The one sprite layer (TSpriteList).
class ISpriteLayer {
public:
  virtual ~ISpriteLayer() = default;
  // True while sprites run (the compose timer exists).
  virtual bool Active() const = 0;
  // Redraws the layer's background for aObj after an action changed it.
  virtual void RePaintBack(TCommonObj *aObj) = 0;
};

// The presentation undo stack (TExUndo).
class IExecUndo {
public:
  virtual ~IExecUndo() = default;
  // Records an edit snapshot of aObj; operator 105 comes before a mirror
  // or an upside-down turn.
  virtual void Edit(int aOperator, TCommonObj *aObj, int aValue) = 0;
};

// The selection grips of the presentation mouse handler's drag controller.
class IExecGrips {
public:
  virtual ~IExecGrips() = default;
  // The top-left of the grab-handle control on the page window.
  virtual TPoint ControlOrigin() const = 0;
  virtual bool Showing() const = 0;
  // The object the grips belong to; null when none.
  virtual TCommonObj *GripObj() const = 0;
  virtual void HideGrips() = 0;
  // The grips follow their object.
  virtual void UpdateGrab() = 0;
};

// The edit operator recorded before a mirror or an upside-down turn.
inline constexpr int kExecUndoTransform = 105;

struct TExecServices {
  ISpriteLayer *SpriteLayer = nullptr;
  IExecUndo *Undo = nullptr;
  IExecGrips *Grips = nullptr;
};

// The program's one set, a store of the program's context; presentation
// fills it.
TExecServices &ExecServices();

} // namespace lumora
