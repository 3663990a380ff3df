#pragma once
// What the system state needs of the shell's pieces that sit above the
// object model: the mouse handler of the page surface, the snapping map of
// its grip set, the property-box server and the mode creators. The shell's
// classes implement these; the system state never owns them.
#include <QString>
#include <cstdint>

namespace lumora {

class TCommonObj;

// The selection state of a mouse handler.
enum TGrabState : uint8_t {
  gsNone,
  gsNormal,
  gsOpen,
  gsStandby,
  gsRubber,
  gsSizing,
  gsMoving,
  gsMultiSelect,
  gsMultiMoving,
  gsKeyin,
  gsSpoit,
  gsCoating,
};

// The editing mode of a mouse handler.
enum TObjMode : uint8_t {
  omNon,
  omCreate,
  omActive,
  omSpoit,
  omCoating,
  omLink,
  omRotate,
  omEdit,
  omProperty,
  omSizing,
  omMoving,
  omQuit,
};

// The snapping map of a grip set: the snap points of the objects on the
// shown page.
class IAdsorbMap {
public:
  virtual ~IAdsorbMap() = default;
  // Builds the map from a page.
  virtual void OpenPage(TCommonObj *aPage) = 0;
  // Builds the map again from the common page and the page.
  virtual void UpdateMap(TCommonObj *aPage0, TCommonObj *aPage) = 0;
  virtual void ClosePage() = 0;
  // Adds an object's snap points.
  virtual void AddObj(TCommonObj *aObj) = 0;
};

// The mouse handler of a page surface. The grab state and the editing mode
// belong to it, not to the mouse state in progress.
class IMouseHandler {
public:
  virtual ~IMouseHandler() = default;
  virtual TGrabState GrabState() const = 0;
  virtual void SetGrabState(TGrabState aState) = 0;
  virtual TObjMode ObjMode() const = 0;
  virtual void SetObjMode(TObjMode aMode) = 0;
  // The selected object.
  virtual TCommonObj *ActiveObj() const = 0;
  virtual void SetActiveObj(TCommonObj *aObj) = 0;
  // The user part that encloses aObj; null when none.
  virtual TCommonObj *ParentUseObj(TCommonObj *aObj) = 0;
  // The snapping map of the handler's grip set; null without a grip set.
  virtual IAdsorbMap *Adsorb() = 0;
  // Removes the grips shown on the page.
  virtual void ClearGrips() = 0;
};

// The server of the one property window.
class IPropServer {
public:
  virtual ~IPropServer() = default;
  // Whether the property window exists and is showing.
  virtual bool Showing() const = 0;
  // Closes the property window and forgets it.
  virtual void Close() = 0;
};

// A mode creator: builds or takes over the page window for its mode.
class IModeCreator {
public:
  virtual ~IModeCreator() = default;
};

// The presentation creator also holds whether its window may be resized.
class IExecCreator : public IModeCreator {
public:
  virtual bool Sizeable() const = 0;
  virtual void SetSizeable(bool aValue) = 0;
};

} // namespace lumora
