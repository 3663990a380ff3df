#pragma once
// The object clipboard of author mode: copying, cutting and pasting page
// objects, the Ctrl+drag copies of an object and of a multi-selection, and
// pasting what other programs put on the clipboard (text, pictures, files).
//
// TCopier is a typed document stream holding the object records of the last
// copy, one after another (a composite's record followed by its count and
// children); the same bytes travel on the platform clipboard under the
// private format "LumoraExData". Objects are made again from the records
// with new ids and names; the n-th paste onto the page copied from is
// shifted n times the offset (5, 5 by default), a paste right after a cut
// lands where the object was, and a paste onto another page keeps the
// stored coordinates.
//
// A block on the clipboard is taken into the copier when it is pasted
// (which empties the clipboard) and cut after its last whole record: a
// truncated or corrupt block pastes the records before the first bad one
// and nothing after it. Count answers the number of whole records of a
// block on the clipboard, so that one record is pasted with Paste and
// several with TMultiCopy::Paste.
//
// TClipObj makes page objects from the other formats: text becomes a memo
// ("メモ") or a text table ("文字表"), a picture a still picture ("静止画"),
// and local files, by the kind of their extension, still pictures, text
// boxes ("文字編集") or sounds ("音声"). Those kinds belong to later
// subsystems and are made only through the class registry by kind name.
//
// TMultiCopy lists the objects of a multi-selection without owning them,
// copies them together and pastes them together, keeping the links among
// the copies. The copies a paste makes belong to it until Regist hands them
// to their page; whatever was not handed over is freed with it.
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/model/CustomCompo.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Types.h"
#include "shell/input/MouseHandler.h"

namespace lumora {

class TCommonObj;
class TMultiTrac;

// The resize operation of the text table ("文字表"), which the text objects
// implement (`Rs_TableXY`): the table takes aRows rows of aCols cells, cell
// (c, r) at pool index r x aCols + c as in every table.
class ITextTableResize {
public:
  virtual ~ITextTableResize() = default;
  virtual void Rs_TableXY(int aRows, int aCols) = 0;
};

// New page objects from the clipboard's foreign formats and from dropped
// files.
class TClipObj {
public:
  // Objects are placed at aPos (the last click in the page).
  explicit TClipObj(TRealPoint aPos = {0, 0});

  // Paste text as a text table instead of a memo.
  bool TextTableFlag = false;

  // A new object of the kind the clipboard's format asks for ("メモ" or
  // "文字表" for text, "静止画" for a bitmap, a metafile or other image
  // data), filled from the clipboard and moved by aPos when either
  // coordinate is above 0, else by the last click. Null for the other
  // formats or when the kind has no class.
  std::unique_ptr<TCommonObj> PasteTo(TRealPoint aPos);
  // One new object per dropped file, in order, until a file of no kind in
  // the list; the objects made so far stay in aList. See PasteFile.
  void PasteFromFile(TCustomCompo *aPage, const TNewObjEvent &aRequest,
                     std::vector<std::unique_ptr<TCommonObj>> &aList);
  // The object for one file: by the kind word of its extension
  // (FileKindOfExt) "BMP", "ICON", "JPEG", "EMF", "PNG", "SVG" a "静止画",
  // "TEXT" a "文字編集", "SOUND" a "音声", made by aRequest (the author
  // handler's new-object request) with the file handed to the making context
  // and chosen in the system state, and moved by the last click. The request
  // adds the object to the page it makes it in (aPage or the making
  // context's root): it is taken out again, so that the caller places it.
  // Null for any other kind, when nothing is made, or when the object made
  // is held by neither of those pages.
  std::unique_ptr<TCommonObj> PasteFile(TCustomCompo *aPage, const TNewObjEvent &aRequest,
                                        const QString &aFile);

private:
  // Fills a new "文字表" from aText: rows at line ends, cells at TAB.
  static void FillTable(TCommonObj &aTable, const QString &aText);

  TRealPoint FLastClick;
};

class TCopier : public TMetaStream {
public:
  explicit TCopier(TCustomCompo *aRootObj);

  // Empties the copier and the platform clipboard: no page, no records, no
  // paste yet, offset (5, 5), an empty clip rectangle. aCopier, when given,
  // hands over its records and count (a handler taking over from another).
  void Clear(const TCopier *aCopier);
  // Copies (or cuts) one object: its record replaces the copier's and goes
  // on the clipboard. A table's edit cell ("編集セル") writes nothing.
  void Copy(TCommonObj *aObj, bool aCut);
  // The number of objects a paste would give: the whole records of a
  // private block on the clipboard, the local files offered, 1 for text or
  // a picture; with nothing on the clipboard the records the copier holds.
  int Count();
  // The first record (or the clipboard's text, picture or first file) as a
  // new object for aPage; null when there is nothing to paste. The object
  // is not added to aPage.
  virtual std::unique_ptr<TCommonObj> Paste(TCustomCompo *aPage);
  // The clipboard's text as a new text table ("文字表") at the last click
  // (a picture as with Paste); null for the other formats. Not added.
  virtual std::unique_ptr<TCommonObj> PasteToTextTable(TCustomCompo *aPage);
  // The Ctrl+drag copy of one object: a copy with a new id and name, moved
  // by aOffset, not added. Empties the platform clipboard.
  static std::unique_ptr<TCommonObj> Copipe(TCustomCompo *aRootObj, TCommonObj *aObj,
                                            QPoint aOffset);

  QPoint Offset() const { return FOffset; }
  void SetOffset(QPoint aOffset) { FOffset = aOffset; }
  // The union of the bounds of the objects the pastes have shifted.
  TRect ClipRect() const { return FClipRect; }

  // The last click in the page (the handler sets it on every release):
  // foreign data is placed there.
  QPoint LastClick;
  // The handler's new-object request, for dropped files.
  TNewObjEvent RequestNewObj;

private:
  friend class TMultiCopy;

  // Appends aObj's record (a composite's with its children); false for an
  // edit cell or null.
  bool WriteObj(TCommonObj *aObj);
  // Puts the records on the platform clipboard under the private format.
  void PutOnClipboard();
  // When the clipboard offers the private format: its whole records become
  // the copier's (the count and, for aPage, the paste count and offset
  // kept) and the clipboard is emptied. False when it offers none.
  bool TakeClipboard(TCustomCompo *aPage);
  // The page of this paste: the paste count grows on the page of the last
  // copy or paste, and starts again at 0 on another.
  void SetPastePage(TCustomCompo *aPage);
  // Moves aObj by the offset times the paste count (unless both are 0),
  // re-makes and shows it and adds its bounds to the clip rectangle.
  void Shift(TCommonObj &aObj);
  // The object of the record at the position, read, the position behind it;
  // null at the end or for a record that cannot be read (the position then
  // goes to the end: nothing after a bad record is pasted).
  std::unique_ptr<TCommonObj> ReadRecord();
  // ReadRecord, then a new id and name, the link ids, the shift, the maker's
  // centre and a re-make.
  std::unique_ptr<TCommonObj> PasteRecord();
  // A copy of aObj moved by aOffset as the first paste (CopySelf).
  std::unique_ptr<TCommonObj> CopyPast(TCommonObj *aObj, QPoint aOffset);

  TCustomCompo *FRootObj; // compared only: the page may be gone
  QPoint FOffset{5, 5};
  int FPastCount = 0;
  TRect FClipRect;
  int FCount = 0;
  TCustomCompo *FPage = nullptr;
};

// The multi-selection as a composite whose pool lists objects in order
// ("複数選択"). Not made by the registry: the author handler makes one per
// copy, paste or rubber band, over its page and its copier.
class TMultiCopy : public TCustomCompo {
  LUMORA_ABSTRACT_OBJECT(TMultiCopy, TCustomCompo)
public:
  static TObjInfo GetObjInfo();

  // Complete when constructed (also on the stack): the composite's set-up
  // runs here.
  TMultiCopy(TCustomCompo *aRootObj, TCopier *aCopier);

  // Lists the objects of the page with a point of their polygon in aRect
  // (TRectIterator).
  virtual void CreateObjList(const TRect &aRect);
  // Writes the records of aList in order into the copier (emptied first)
  // and puts them on the clipboard; edit cells are left out.
  void Copy(const std::vector<TCommonObj *> &aList, bool aCut);
  // Replaces the list with new objects for aOwner: one per local file on
  // the clipboard, else one per record (a private block on the clipboard is
  // taken into the copier first). Links among the copies are kept, objects
  // held by a pasted tray move with it, and the records go back on the
  // clipboard. The objects belong to the multi-copy until Regist.
  void Paste(TCustomCompo *aOwner);
  // Hands the objects the multi-copy made to aOwner (AddObj); they stay
  // listed.
  void Regist(TCustomCompo *aOwner);
  // The Ctrl+drag copy of a selection: the tracked objects copied and pasted
  // onto aRootObj, shifted by aOffset; aList then tracks the copies.
  static void Copipe(TCustomCompo *aRootObj, TMultiTrac &aList, QPoint aOffset);

  // Raises lumora::Exception "コピー 不正削除": nothing is taken out of a
  // multi-copy.
  bool RemoveObj(TCommonObj *&aObj) override;

protected:
  // Done by the constructor.
  void AfterConstruction() override {}

private:
  // Lists aObj and keeps it until Regist.
  TCommonObj *Hold(std::unique_ptr<TCommonObj> aObj);
  // Whether aObj is held by a tray (awTray) that is among the listed
  // objects: it moves with the tray.
  bool HeldByListedTray(TCommonObj *aObj);

  TCopier *FCopier;
  TCustomCompo *FRootObj;
};

} // namespace lumora
