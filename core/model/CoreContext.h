#pragma once
// The program-wide state of the object model: the class registry, the
// making context (with its id generator) and the recursion guard of the
// search by id. Start-up calls Start() before any class registers, then the
// registration functions in their fixed order (RegisterCoreClasses first);
// shut-down calls Reset(). Tests call Start() for a clean state.
#include <QString>
#include <functional>
#include <memory>

#include "core/model/ClassRegistry.h"
#include "core/model/MakeInfo.h"

namespace lumora {

class TCoreContext {
public:
  // Makes a fresh context (an existing one is freed first): an empty
  // registry and a making context in author mode.
  static void Start();
  // Frees the context: the making context first, then the registry.
  static void Reset();
  static bool Started();
  // The context; raises lumora::Exception when Start() has not run.
  static TCoreContext &Get();

  TObjClassList &Classes() { return classes_; }
  TMakeInfo2 &MakeInfo() { return *makeInfo_; }

  // Called once after a zoomed (zoom >= 5) blended redraw so the window
  // system can catch up; the shell installs it. Does nothing by default.
  std::function<void()> ProcessMessages = [] {};

  // The search by id over nested composites counts its depth here and
  // notes the names of the first and second composite it passes, to name
  // the culprit of a composite that contains itself.
  int GetObjsDepth = 0;
  QString GetObjsName1;
  QString GetObjsName2;

private:
  TCoreContext();

  TObjClassList classes_;
  std::unique_ptr<TMakeInfo2> makeInfo_;
};

// The program-wide class registry.
inline TObjClassList &ObjClassList() {
  return TCoreContext::Get().Classes();
}

} // namespace lumora
