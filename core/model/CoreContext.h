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

class TCanvas;

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
  // The canvas of the page window, on which gestures draw their feedback
  // (the rubber line of a link); null when there is none. The system state
  // installs it when it starts.
  std::function<TCanvas *()> ScreenCanvas = [] { return nullptr; };

  // The search by id over nested composites counts its depth here and
  // notes the names of the first and second composite it passes, to name
  // the culprit of a composite that contains itself.
  int GetObjsDepth = 0;
  QString GetObjsName1;
  QString GetObjsName2;

  // Counts the places where reading objects met damage it went on past: a
  // record whose size cannot be right (what follows it cannot be found) or
  // a composite whose stored count promises more children than its stream
  // holds. The book reader compares it before and after each page.
  int ReadFaults = 0;

  // What the palette, a drop or the book reader hands to the next object
  // created: the file it shows (empty for none) and, for a stamp, its
  // default width in pixels.
  QString CreatingFileName;
  int CreatingStampSize = 100;
  // Set when a book is chosen with Shift and Ctrl held: the stored
  // pictures of the book being read are replaced by their files.
  bool ReloadPictures = false;
  // The user stamp folder (with a trailing separator), set when the
  // palette window is made; empty until then.
  QString StampFolder;

private:
  TCoreContext();

  TObjClassList classes_;
  std::unique_ptr<TMakeInfo2> makeInfo_;
};

inline QString &CreatingFileName() {
  return TCoreContext::Get().CreatingFileName;
}
inline int &CreatingStampSize() {
  return TCoreContext::Get().CreatingStampSize;
}
inline bool &ReloadPictures() {
  return TCoreContext::Get().ReloadPictures;
}
inline QString &StampFolder() {
  return TCoreContext::Get().StampFolder;
}

// The program-wide class registry.
inline TObjClassList &ObjClassList() {
  return TCoreContext::Get().Classes();
}

} // namespace lumora
