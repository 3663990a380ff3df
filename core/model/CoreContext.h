#pragma once
// The program's context: all program-wide state lives here. It holds the
// class registry, the making context (with its id generator), the small
// program-wide values of the object model, and the stores of the layers
// above the object model (system state, picture stores, ...), which this
// layer cannot name: each store is made by the layer that defines it and
// kept under its type, in the order made.
//
// StartCore (core/book/CoreStart.h) makes the whole context in its
// documented order; the running program starts it through the shell's
// StartProgram. Reset() frees the stores in the reverse order of making,
// then the making context and the registry: shut-down calls it, and tests
// call it for a clean state. Start() alone makes a bare context (registry
// and making context, no stores).
#include <QString>
#include <functional>
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "core/geometry/StyleLine.h"
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

  // The store of type T of the started context, or null when the context
  // has not started or holds none (for destructors and for code that does
  // without the store).
  template <class T> static T *Optional() { return Started() ? Get().Find<T>() : nullptr; }

  // Puts aStore in the context as its store of type T. A store keeps the
  // place where its type was first made or reserved: an existing store of
  // type T is freed first and the new one takes its place; otherwise it
  // goes after all others.
  template <class T> T &Put(std::unique_ptr<T> aStore) {
    TStoreSlot &slot = Slot(typeid(T));
    slot.Object.reset();
    T &store = *aStore;
    slot.Object = TStorePtr(aStore.release(), [](void *p) { delete static_cast<T *>(p); });
    return store;
  }
  // Keeps a place for a store of type T that is made later (or not at all),
  // so that it is freed in the order of the start-up sequence.
  template <class T> void Reserve() { Slot(typeid(T)); }
  // Frees the store of type T, if any; its place stays.
  template <class T> void Free() {
    if (TStoreSlot *slot = FindSlot(typeid(T))) slot->Object.reset();
  }
  // The store of type T, or null.
  template <class T> T *Find() const {
    const TStoreSlot *slot = FindSlot(typeid(T));
    return slot ? static_cast<T *>(slot->Object.get()) : nullptr;
  }
  // The store of type T; raises lumora::Exception when there is none.
  template <class T> T &Store() const {
    if (T *store = Find<T>()) return *store;
    MissingStore(typeid(T));
  }

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

  ~TCoreContext();
  TCoreContext(const TCoreContext &) = delete;
  TCoreContext &operator=(const TCoreContext &) = delete;

private:
  using TStorePtr = std::unique_ptr<void, void (*)(void *)>;
  struct TStoreSlot {
    std::type_index Type;
    TStorePtr Object;
  };

  TCoreContext();

  // The slot of aType, added at the end when there is none.
  TStoreSlot &Slot(const std::type_info &aType);
  TStoreSlot *FindSlot(const std::type_info &aType);
  const TStoreSlot *FindSlot(const std::type_info &aType) const;
  [[noreturn]] static void MissingStore(const std::type_info &aType);
  // Frees the stores, the last made first.
  void FreeStores();

  TObjClassList classes_;
  std::unique_ptr<TMakeInfo2> makeInfo_;
  std::vector<TStoreSlot> stores_;
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

// The program-wide line painter.
inline TStyleLine &StyleLine() {
  return TCoreContext::Get().Store<TStyleLine>();
}

} // namespace lumora
