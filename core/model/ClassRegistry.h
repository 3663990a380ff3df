#pragma once
// The class registry: every page-object class is registered under its kind
// name, and documents store objects by that name. The registry picks the
// class of a kind for the current system mode and makes objects by name.
//
// Registration is explicit: start-up calls the registration functions of
// the subsystems in a fixed order (RegisterCoreClasses first), each adding
// its classes one by one; nothing registers from a static initialiser.
#include <QString>
#include <memory>
#include <vector>

#include "core/model/ObjClass.h"

namespace lumora {

class TObjClassList {
public:
  // Appends the class (doubles are not checked).
  void Add(const TObjClass &aObjClass);
  template <class T> void Add() { Add(ObjClassOf<T>()); }

  int Count() const { return int(classes_.size()); }
  const TObjClass &Items(int i) const { return *classes_.at(size_t(i)); }

  // The first class, in list order, of kind aName (compared exactly) that
  // admits aObjType: aObjType is otBoth, or aObjType is in its FormType, or
  // otBoth is, or its FormType holds neither otAuthor nor otExec. Null for
  // an empty name or when none matches.
  const TObjClass *GetObjClass(const QString &aName, TObjType aObjType) const;
  // The catalogue record of the class GetObjClass finds for the making
  // context's mode (otExec in presentation mode, otAuthor otherwise); the
  // old kind name "ACTスターター" is looked up as "ACTローンチ". An empty
  // record when nothing matches.
  TObjInfo GetInfo(const QString &aName) const;
  // The class of the record GetInfo answers (null for the empty record),
  // without copying the record: readers look up every object's kind.
  const TObjClass *ClassOf(const QString &aName) const;
  // A new object of the kind for the current mode, with a fresh id and its
  // default name; null when no class matches. The caller owns it.
  std::unique_ptr<TCommonObj> CreateObject(const QString &aClass) const;
  // The same with the author class whatever the mode.
  std::unique_ptr<TCommonObj> AuthorObject(const QString &aClass) const;

  // Start-up: reads the palette-index ini text (sections of kind names
  // with palette numbers) and sorts the registry by the classes' own
  // catalogue numbers (IndexNo), ascending; classes with equal numbers keep
  // their registration order. The text's own numbers do not change the
  // order.
  void LoadPaletteIdx(const QString &aIniText);
  // The palette list as ini text: for every class in registry order,
  // [section] = the class's palette section, key = kind name, value =
  // IndexNo. A kind listed twice in one section keeps its place and takes
  // the later value.
  QString PaletteListText() const;
  // Writes PaletteListText() (UTF-8) to "パレット.ini" in the current
  // folder; raises lumora::Exception when the file cannot be written.
  void SavePaletteList() const;

private:
  std::unique_ptr<TCommonObj> Make(const TObjClass *aClass) const;

  // Names this state of the list (it changes with every Add and sort),
  // unique among all lists, for the look-ups ClassOf remembers.
  static uint64_t NextGeneration();

  std::vector<const TObjClass *> classes_;
  uint64_t generation_ = NextGeneration();
};

} // namespace lumora
