#pragma once
// Object walks: over the objects of a page, of a file-container compound or
// of a whole book, yielding those that pass a test. They share one
// protocol: HasNext advances and tells whether an object is ready,
// GetObject gives it.
//
// Walks that descend into nested file-container compounds (TLmCompo, for
// example user parts) keep a stack of frames, one per compound being
// walked: the iterator (TLmIterator) owns the stack, a frame (TLmHasNext)
// walks one compound's pool. A frame that meets a TLmCompo it enters pushes
// a frame for it and asks it at once, so the walk is depth first and a
// compound is tested itself only when nothing inside it matched.
//
// Frames are made through the iterator's frame class, with the iterator or
// the frame that made them as parent, so that a nested frame can take its
// search (a rectangle, an object) from the frame above it.
//
// An iterator does not survive changes to the pools it walks: the stack
// walks and the book walk find the current object again by its id, so an
// object removed meanwhile yields null.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/params/ObjParam.h"
#include "core/params/ObjTypes.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TAbObjectPool;
class TCommonObj;
class TCustomCompo;
class TFileStream;
class TLmCompo;
class TLmHasNext;
class TLmIterator;
class TMetaBook;
class TMetaPage;
class TStream;
struct TObjInfo;

// The protocol of every walk and of every frame.
class THasNext {
public:
  virtual ~THasNext() = default;
  THasNext(const THasNext &) = delete;
  THasNext &operator=(const THasNext &) = delete;

  // The object the last successful HasNext found; null when there is none
  // (or it has left its pool meanwhile).
  virtual TCommonObj *GetObject() = 0;
  // Advances to the next object that passes; false when the walk ends.
  virtual bool HasNext() = 0;
  // Makes and pushes a frame for the nested compound aCompo with aParent as
  // its parent; answers it (null for walks that do not nest).
  virtual THasNext *PushAndNew(THasNext *aParent, TCustomCompo *aCompo) = 0;

protected:
  THasNext() = default;
};

// The frame class of a stack walk: makes a frame for (parent, compound).
using THasNextClass =
    std::function<std::unique_ptr<TLmHasNext>(THasNext *aParent, TCustomCompo *aCompo)>;

// The frame class T (constructed as T(aParent, aCompo)).
template <class T> THasNextClass HasNextClass() {
  return [](THasNext *aParent, TCustomCompo *aCompo) -> std::unique_ptr<TLmHasNext> {
    return std::make_unique<T>(aParent, aCompo);
  };
}

// The stack walk.
class TLmIterator : public THasNext {
public:
  // Pushes the first frame, for aCompo.
  TLmIterator(THasNextClass aHasNext, TCustomCompo *aCompo);
  // Frees every frame left on the stack.
  ~TLmIterator() override;

  // The top frame's object.
  TCommonObj *GetObject() override;
  // False on an empty stack; else asks the top frame, popping and freeing
  // frames that answer false, until one answers true.
  bool HasNext() override;
  // A frame of the frame class, pushed onto this stack.
  THasNext *PushAndNew(THasNext *aParent, TCustomCompo *aCompo) override;

  // Whether aObj passes the iterator's filter: always, in the base.
  virtual bool Condition(TCommonObj *aObj);
  // The current object's file name: ActParam.Text for an action object,
  // Param.Text for any other; empty without a current object.
  virtual QString GetFileName();

  // Pops and frees aFrame when it is the top frame (a frame whose nested
  // frame found nothing drops it this way).
  void DropFrame(THasNext *aFrame);
  // Whether a frame on the stack walks aCompo (a compound nested in itself
  // is not entered again).
  bool Walking(const TCustomCompo *aCompo) const;
  // The number of frames on the stack.
  int Depth() const { return int(fStack.size()); }

protected:
  // For walks that push their first frame themselves, once their own
  // fields are set (Begin), or that keep no frames at all.
  explicit TLmIterator(THasNextClass aHasNext);
  // Pushes the first frame, for aCompo (PushAndNew(this, aCompo)).
  void Begin(TCustomCompo *aCompo);

  THasNextClass FHasNext;
  std::vector<std::unique_ptr<TLmHasNext>> fStack;
};

// One frame: walks one compound's pool from index 0.
class TLmHasNext : public THasNext {
public:
  // aParent is the iterator or the frame that made this one.
  TLmHasNext(THasNext *aParent, TCustomCompo *aCompo);

  // The object of fCompo's pool with the current id.
  TCommonObj *GetObject() override;
  // The frame walk: the next object that passes IsTarget, after descending
  // into each file-container compound the frame enters; an exception while
  // looking at an object ends the frame with false.
  bool HasNext() override;
  // Passed on to the parent, so that every frame lands on the one stack.
  THasNext *PushAndNew(THasNext *aParent, TCustomCompo *aCompo) override;

  // Whether aObj is what the walk looks for.
  virtual bool IsTarget(TCommonObj *aObj) = 0;

  THasNext *Parent() const { return fParent; }
  TCustomCompo *Compo() const { return fCompo; }
  // The iterator whose stack holds the frame.
  TLmIterator *Iterator() const { return fIterator; }

protected:
  // Whether the frame walks into the file-container compound aCompo: yes
  // in the base.
  virtual bool Enters(TLmCompo *aCompo);

  THasNext *fParent;
  TCustomCompo *fCompo;
  int fObjNo = 0;      // the next pool index
  int64_t fObjId = 0;  // the current object's id
  bool fFound = false; // whether a current object was set
  TLmIterator *fIterator = nullptr;

  friend class TLmIterator;
};

// Objects with a point of their polygon in a rectangle (rubber-band
// selection).
class TRectIterator : public TLmIterator {
public:
  // Walks aPage for aRect; a rectangle given right to left or bottom to
  // top is normalised.
  TRectIterator(TCustomCompo *aPage, const TRect &aRect);
  const TRect &Rect() const { return fRect; }

private:
  TRect fRect;
};

class TRectHasNext : public TLmHasNext {
public:
  // Takes the rectangle of its parent (the iterator or a frame).
  TRectHasNext(THasNext *aParent, TCustomCompo *aCompo);
  // Some point of aObj's polygon, rounded half away from zero, lies in the
  // rectangle: left and top inclusive, right and bottom exclusive.
  bool IsTarget(TCommonObj *aObj) override;
  const TRect &Rect() const { return fRect; }

protected:
  // Only a compound whose class catalogue lacks atDrag (one dragged as a
  // whole is selected as a whole).
  bool Enters(TLmCompo *aCompo) override;

private:
  TRect fRect;
};

// The file-container compound that holds an object (the part around a
// pressed object).
class TCompoIterator : public TLmIterator {
public:
  TCompoIterator(TCustomCompo *aPage, TCommonObj *aObj);
  TCommonObj *DestObj() const { return fDestObj; }

private:
  TCommonObj *fDestObj;
};

class TCompoHasNext : public TLmHasNext {
public:
  // Takes the searched object of its parent.
  TCompoHasNext(THasNext *aParent, TCustomCompo *aCompo);
  // aObj is a TLmCompo that holds the searched object (IndexOf >= 0).
  bool IsTarget(TCommonObj *aObj) override;
  TCommonObj *DestObj() const { return fDestObj; }

private:
  TCommonObj *fDestObj = nullptr;
};

// Objects linked to a tracing object (one whose Param.ActType holds
// awTrace).
class TTraceIterator : public TLmIterator {
public:
  explicit TTraceIterator(TCustomCompo *aCompo);
};

class TTraceHasNext : public TLmHasNext {
public:
  TTraceHasNext(THasNext *aParent, TCustomCompo *aCompo);
  // aObj has a linked object whose Param.ActType holds awTrace.
  bool IsTarget(TCommonObj *aObj) override;
  // The object found last.
  TCommonObj *DestObj() const { return fDestObj; }

private:
  TCommonObj *fDestObj = nullptr;
};

// The objects of one pool that link to a given object; run before every
// removal of an object so that no link keeps it. A flat walk: no nesting.
class TLinkIterator : public THasNext {
public:
  // Over the page's pool (nothing when it has none).
  TLinkIterator(TCustomCompo *aPage, TCommonObj *aDestObj);
  // Over a given pool (may be null).
  TLinkIterator(TAbObjectPool *aPool, TCommonObj *aDestObj);

  TCommonObj *GetObject() override { return fFindObj; }
  // The next object from the walk position that links to the target: by
  // its link object (IsLinked) when it has one, else by its linked object.
  // A null target matches nothing; an exception ends the walk.
  bool HasNext() override;
  THasNext *PushAndNew(THasNext *, TCustomCompo *) override { return nullptr; }

  // A copy of the current object's parameters (an empty record without
  // one).
  TObjParam GetParam() const;

private:
  TCommonObj *fDestObj;
  TCommonObj *fFindObj = nullptr;
  int fObjid = 0;
  TAbObjectPool *fObjPool;
};

// A flat walk over every page of a book (page 0 first) for objects of a
// kind, an ability or a form type: the three filters are alternatives, an
// unset one (empty kind, atNon, otNon) takes no part.
//
// A file-container compound on a page is not yielded: its own filtered
// iterator is walked at once, and each file name it yields gets its use
// count raised, in the stamp store when the kind filter is "スタンプ",
// else in the still-picture store.
class TBookIterator : public TLmIterator {
public:
  static constexpr const char16_t *kStampKind = u"スタンプ";
  static constexpr const char16_t *kStillKind = u"静止画";

  TBookIterator(TMetaBook *aBook, TObjType aType, TActKind aAct, const QString &aObj);
  // The same; a file stream and its file name are kept (the walk itself
  // reads the book in memory).
  TBookIterator(TMetaBook *aBook, TObjType aType, TActKind aAct, const QString &aObj,
                TStream *aStream);

  // The current page's object with the current id.
  TCommonObj *GetObject() override;
  // The next matching object; an exception ends the current page and the
  // walk goes on with the next.
  bool HasNext() override;
  // The three alternative filters on aObj's kind name and on the catalogue
  // record of that kind.
  bool Condition(TCommonObj *aObj) override;
  // In this order: a drawable composite under the kind filter "スタンプ":
  // its catalogue's FilePath; under the ability filter awMPEG or awSound:
  // Value("固有値") as text when answered; under the kind filter "静止画":
  // Param.Text; otherwise the media-file interface's file name when the
  // object has one, else Param.Text.
  QString GetFileName() override;

  // The current page number.
  int GetPage() const { return fPageid; }
  // The current object's parameters, as copied when it became current.
  const TObjParam &CurrentParam() const { return fParam; }
  TFileStream *FileStream() const { return fFileStream; }
  const QString &StreamFileName() const { return fFileName; }

private:
  // Whether the object (or its catalogue record aInfo) passes the filters.
  bool Matches(const QString &aKind, const TObjInfo &aInfo) const;
  // Walks a compound's own iterator and raises the use counts of what it
  // yields.
  void CountInside(TLmCompo *aCompo);
  // Page aId of the book; null outside the range.
  TCustomCompo *PageAt(int aId) const;

  TActKind fAct;
  TMetaBook *fBook;
  TCustomCompo *fPage = nullptr;
  QString fObject;
  int fPageid = -1;
  int fObjNo = 0;
  int64_t fObjId = 0;
  bool fFound = false;
  TObjParam fParam;
  TObjType fType;
  TFileStream *fFileStream = nullptr;
  QString fFileName;
};

} // namespace lumora
