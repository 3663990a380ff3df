#pragma once
// The action-block registry: one program-wide list of every block-program
// object of the open book (blocks, sprites, card lists, cards, shape lists,
// shapes). Launchers find the program they start by name through it, works
// find the block that owns them, and after a book is read it links
// launchers, booters and end blocks again to the objects named in their
// Param.Text.
//
// A program object is a page object that offers IFActProg. Entries refer to
// their objects without owning them: an entry must leave the registry
// before its object is freed (RemoveInfo, PageClose, or Clear when the book
// is closed).
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/book/MetaBook.h"

namespace lumora {

class TCommonObj;
class TCustomCompo;

// The kind of a program object.
enum TActClass : uint8_t {
  acStatement,
  acSprite,
  acCardList,
  acTarget,
  acWork,
  acLauncher,
  acBooter,
  acTerminator,
  acShapeList,
  acInvalid, // only the registry's answer to a lookup that finds nothing
};

// The interface of block-program objects.
class IFActProg {
public:
  virtual TActClass GetActClass() = 0;
  // The statement block the object belongs to.
  virtual TCommonObj *GetActBlock() = 0;
  // The work object that carries the commands.
  virtual TCommonObj *GetActWork() = 0;
  // The sprite the object's commands run on, and its setter.
  virtual TCommonObj *GetActSprite() = 0;
  virtual void SetActSprite(TCommonObj *aSprite) = 0;

protected:
  ~IFActProg() = default;
};

// One registry entry.
class TActInfo {
public:
  // The object's id is taken now; a null object gives id 0.
  TActInfo(TActClass aClass, TCommonObj *aActObj);

  TActClass ActClass() const { return FActClass; }
  TCommonObj *ActObj() const { return FActObj; }
  // The id the object had when it was registered.
  int64_t Id() const { return FId; }
  // The object's current name (empty without an object).
  QString Name() const;

private:
  TActClass FActClass;
  int64_t FId;
  TCommonObj *FActObj;
};

// The registry. It serves the book through IActBlockList (cleared when a
// book closes, re-linked after a book was read); the start of the program's
// context installs the program's one registry there.
class TActBlockList : public IActBlockList {
public:
  TActBlockList();
  TActBlockList(const TActBlockList &) = delete;
  TActBlockList &operator=(const TActBlockList &) = delete;

  // Empties the registry (a book is closed).
  void Clear() override;
  int Count() const { return int(FItems.size()); }
  // The entry at index aid; the not-found entry outside the range.
  const TActInfo &Items(int aid) const;

  // Links every launcher, booter and end block again to the object named in
  // its Param.Text, when both its kind name and that text are set and the
  // name is registered; an entry whose name is not registered keeps its
  // current link.
  void UpdateLink() override;
  // Links one launcher, booter or end block again: a link to itself is
  // dropped; a linked block stores its partner's name in Param.Text, an
  // unlinked one with a Param.Text is linked to the registered object of
  // that name (or to none).
  void UpdateLink(TCommonObj *aBlock);
  // As UpdateLink, but an entry already linked to an object of the named
  // name is left alone.
  void UpdateLinkEx();

  // Registers a program object with the class it answers; -1 when it
  // offers no IFActProg or is already registered.
  int AddAct(TCommonObj *aActObj);
  // Appends an entry and answers its index; -1 for a null object, when the
  // entry found by the object's id is the object itself, or when that
  // entry's id equals the object's id (so an object of id 0 is never
  // registered). aName is not kept: entries read their object's name.
  int AddAct(TActClass aClass, const QString &aName, TCommonObj *aActObj);
  // Deletes the first entry whose object is aActObj.
  void RemoveInfo(TCommonObj *aActObj);
  // Re-makes aActObj when it is registered.
  void RemakeBlock(TCommonObj *aActObj);
  // RemoveInfo for every object of the page (a page reset).
  void PageClose(TCustomCompo *aPage);
  // RemakeBlock for every object of the page.
  void PageReMake(TCustomCompo *aPage);
  // Registers the page's program objects that are not registered yet (an
  // author page is closed); then UpdateLink when any was added.
  void PageUpdate(TCustomCompo *aPage);

  // Lookups. Name and id lookups answer the not-found entry (class
  // acInvalid, no object, id 0) when nothing matches.
  // The first entry whose object's current name is aName exactly.
  const TActInfo &GetActInfo(const QString &aName) const;
  TActClass ActClass(const QString &aName) const { return GetActInfo(aName).ActClass(); }
  TCommonObj *ActObj(const QString &aName) const { return GetActInfo(aName).ActObj(); }
  // The first entry whose object's current id is aId.
  const TActInfo &GetActInfoById(int64_t aId) const;
  // The first statement entry whose object is aActObj or has aActObj as
  // its work; null when none.
  const TActInfo *GetActBlock(TCommonObj *aActObj) const;
  // The first sprite entry whose object's pool holds aTargetObj; null when
  // none.
  const TActInfo *GetActSprite(TCommonObj *aTargetObj) const;

private:
  bool Relinks(const TActInfo &aInfo) const;
  void UpdateLinks(bool aKeepNamed);

  std::vector<std::unique_ptr<TActInfo>> FItems;
  TActInfo FNoActInfo;
};

// The program-wide registry, a store of the program's context; closing a
// book empties it.
TActBlockList &ActBlockRegistry();

} // namespace lumora
