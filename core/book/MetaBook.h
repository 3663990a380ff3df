#pragma once
// The book model: a book of pages (TMetaBook) whose page 0 is the common
// page "共通頁", shown behind every other page; pages (TMetaPage) with their
// objects in paint order, a link to their common page by id, a page colour,
// a thumbnail and a holder of system objects (TSysObjes: the two page memos
// and the print settings); the re-linking of a book after it was read
// (TOpenBook); the base of the page-zoom objects of the mode books
// (TPageZoom).
//
// The mode books and pages of the author and presentation modes derive from
// these classes; nothing here registers a class.
//
// The current book is a program-wide reference, kept in the program's
// context, that the mode creators set; pages take their size from it, and
// its work page is the making context's root object (CurrentWorkPage).
#include <QString>
#include <functional>
#include <memory>

#include "core/book/LmCompo.h"
#include "core/model/CustomMaker.h"

namespace lumora {

class TCanvas;
class TMetaBook;
class TMetaPage;
class TPageZoom;
class TSysObjes;

// Objects of a priority below this come to the front while the system
// state's FunctionTopDraw is on.
inline constexpr int kTopDrawPriority = 40;

// The kind names of the objects a page holds for itself.
inline constexpr const char16_t *kCommonPageName = u"共通頁";
inline constexpr const char16_t *kSysHolderKind = u"SysObjesホルダ";
inline constexpr const char16_t *kSysTextKind = u"Sys文字編集";
inline constexpr const char16_t *kPrintSetKind = u"印刷設定";
inline constexpr const char16_t *kThumbnailKind = u"サムネール";

// The program-wide current book (null when none); a book that is freed
// while current is forgotten.
TMetaBook *CurrentBook();
// Sets the current book and installs CurrentWorkPage as the making
// context's root object (when the object model has started).
void SetCurrentBook(TMetaBook *aBook);
// The work page of the current book; null without one.
TCommonObj *CurrentWorkPage();
// The current book's page size; 800 x 600 without a current book.
int32_t CurrentWinWidth();
int32_t CurrentWinHeight();

// The registry of the action blocks of the open book, kept by the block
// programs; the book clears it when it closes and has it re-link itself
// after a book was read.
class IActBlockList {
public:
  virtual ~IActBlockList() = default;
  virtual void Clear() = 0;
  // Links the entries again to the objects named in their Param.Text.
  virtual void UpdateLink() = 0;
};
// The program-wide registry (the start of the program's context installs
// the block programs' one; not owned).
IActBlockList *ActBlockList();
void SetActBlockList(IActBlockList *aList);

// The current-book slot, a store of the program's context: the current
// book and the action-block registry books serve (neither owned).
struct TCurrentBook {
  TMetaBook *Book = nullptr;
  IActBlockList *ActBlocks = nullptr;
};

// The panel a page-zoom object fits the page into (a window of the mode
// books).
class IGraphicPanel {
public:
  virtual ~IGraphicPanel() = default;
  virtual TRect ClientRect() const = 0;
  virtual bool Showing() const = 0;
};

// The maker of system objects: does nothing.
class TSysObjMake : public TCustomMaker {
public:
  using TCustomMaker::TCustomMaker;
  void Open() override {}
  void Close() override {}
  QString CreateName(bool aForce) override { return TCustomMaker::CreateName(aForce); }
  TCanvas *Canvas() override { return nullptr; }
  void Invalidate(bool) override {}
  void Paint(TCanvas &) override {}
  void ReMake(const TGrabRect &) override {}
  void SetCenter() override {}
  void Update() override {}
  void UpdateDraw(const TGraphic *) override {}
};

// The maker of the holder: closing it closes the makers of the held
// objects.
class TSysPageMake : public TSysObjMake {
public:
  using TSysObjMake::TSysObjMake;
  void Close() override;
};

// The maker of pages: "頁[" + id + "]" names; open, centre and close do
// nothing.
class TPageMake : public TMakeBmpObj {
public:
  using TMakeBmpObj::TMakeBmpObj;
  QString CreateName(bool aForce) override;
  void Open() override {}
  void SetCenter() override {}
  void Close() override {}
};

// The maker of books; its bitmap is the book's thumbnail picture.
class TBookMake : public TMakeBmpObj {
public:
  using TMakeBmpObj::TMakeBmpObj;
};

// The holder of a page's system objects ("SysObjesホルダ"); it owns them.
class TSysObjes : public TCustomCompo {
  LUMORA_OBJECT(TSysObjes, TCustomCompo)
public:
  static TObjInfo GetObjInfo();

  // Removes and frees every held object but the print settings.
  void ClearEditObj();
  // Closes the maker of every held object.
  void HideObj();
  // Every held object with a maker: the maker's SetCenter, then ReMake.
  void ReMake() override;
  // Always raises lumora::Exception "不正削除": system objects are never
  // removed one by one.
  bool RemoveObj(TCommonObj *&aObj) override;
  // The held object aNo; null out of range.
  TCommonObj *Items(int aNo) const;

protected:
  TSysObjes();
  // The composite with the maker TSysPageMake, then two "Sys文字編集"
  // objects and, when aParam.ObjValue is 0, one "印刷設定" object (author
  // class); a kind no class bears is left out.
  explicit TSysObjes(const TObjParam &aParam);
  void AfterConstruction() override;
  // A pool that owns the system objects.
  std::unique_ptr<TAbObjectPool> NewPool() const override;

private:
  TObjParam FMadeFrom;
};

class TMetaPage : public TLmPage {
  LUMORA_ABSTRACT_OBJECT(TMetaPage, TLmPage)
public:
  // Frees the thumbnail, the maker and the holder, in this order.
  ~TMetaPage() override;

  // ---- Properties ----
  bool PageMove() const { return FPageMove; }
  void SetPageMove(bool aValue) { FPageMove = aValue; }
  // The common page; never the page itself; null for page 0.
  TMetaPage *Page0() const { return F0Page; }
  // Ignored for the page itself and for a page whose own chain of common
  // pages leads back to this one; otherwise the common page, and its id
  // when it is not null.
  void SetPage0(TMetaPage *aValue);
  int64_t Page0Id() const { return F0PageId; }
  long double Zoom() const { return FZoom; }
  // The system state's zoom, the page's and the common page's.
  virtual void SetZoom(long double aZoom);
  // (0, 0, Round(WinWidth x Zoom), Round(WinHeight x Zoom)) of the current
  // book, rounded half to even.
  TRect WinRect() const;
  TRect ShownArea() const override { return WinRect(); }
  // The object at a pool index; null out of range.
  TCommonObj *Items(int aId) const;
  TSysObjes *SysObjs() const { return FSysObjs.get(); }

  // ---- TLmPage ----
  TCommonObj *Thumbnail() override { return FThumbnail.get(); }
  // Fills WinRect with Param.FaceColor unless it is clNone.
  virtual void PaintBackground(TCanvas &aCanvas);

  // ---- TCommonObj ----
  void Open(int aPNo) override;
  // The system state's ClosePage, the holder's HideObj, the composite's
  // close, then CloseMakers.
  void Close() override;
  // Grabs := 0, the composite's re-make, the holder's and the thumbnail's.
  // The page is made from then on.
  void ReMake() override;
  // A page read from a stream is made when it is first shown, not when it
  // is read: until then its objects' makers have neither set their centres
  // and bounds nor made their drawings, and its thumbnail is not rendered.
  bool Unmade() const { return FUnmade; }
  // Makes the page when it is unmade (ReMake), its common pages first;
  // true when this page was made here. Whatever shows, prints or renders a
  // page read from a stream calls this first (the book's SetPage does).
  bool MakeIfUnmade();
  // The composite's; then the common page's id := aId when positive, else
  // the common page's id when there is one, else 0.
  void SetLinkedId(int64_t aId) override;
  // Common page (or the own colour when the page hides it), then the
  // objects back to front, each followed by the active object when it is
  // linked to it; without a common page the own colour and the objects.
  void Paint(TCanvas &aCanvas) override;
  // The two halves of Paint, for the page cache: what lies under the
  // objects, and the visible objects from the aFrom-th up to (not
  // including) the aTo-th (all from aFrom when aTo is negative) whose
  // painted area meets aArea (every one when aArea is empty).
  void PaintBack(TCanvas &aCanvas);
  void PaintObjects(TCanvas &aCanvas, const TRect &aArea, int aFrom, int aTo);
  void PrintObj(TCanvas &aCanvas, double aZoom, int ax, int ay) override;
  void ZoomDraw(TCanvas &pCanvas, double pZoom, int px, int py) override;
  virtual void ZoomPrint(TCanvas &pCanvas, double pZoom, int px, int py);
  bool TakeBackImage(TPoint aPoint, TCanvas &aCanvas, TCommonObj *aObj, double aZoom) override;
  // False for an empty page. An own object has every link to it removed
  // and is freed (aObj := null, true); otherwise the child compounds are
  // asked in turn.
  bool RemoveObj(TCommonObj *&aObj) override;
  // The composite's copy with this page's common page, its links resolved
  // in the copy, new names and the link ids refreshed.
  std::unique_ptr<TCommonObj> CopySelf(int64_t aId) override;
  // The record and the objects; the holder's objects when bytes remain;
  // then the common page's id from Param.Text and PageMove from
  // Param.LineColor. The page is unmade afterwards.
  void LoadFromStream(TStream &aStream) override;
  // Param.Text := the common page's id in decimal (empty without one);
  // Param.LineColor := 0 for PageMove, else clNone; the record and the
  // objects, then the holder.
  void SaveToStream(TStream &aStream) override;
  // A page record has no payload.
  void ReadPayload(TMetaStream &) override {}
  void WritePayload(TMetaStream &) override {}

protected:
  TMetaPage();
  explicit TMetaPage(const TObjParam &aParam);
  // The page's companions (after the composite's): bounds from the current
  // book, the holder, the maker TPageMake, the thumbnail "サムネール" linked
  // to the page (when that class is registered), no page move.
  void AfterConstruction() override;
  void CreateMode(TSysMode aMode) override;
  // A pool that owns the page's objects.
  std::unique_ptr<TAbObjectPool> NewPool() const override;
  // The objects read are placed when the page is made (ReMake).
  bool PlaceChildrenOnRead() const override { return false; }

  bool FPageMove = false;
  bool FUnmade = false;
  std::unique_ptr<TCommonObj> FThumbnail;
  TMetaPage *F0Page = nullptr;
  int64_t F0PageId = 0;
  std::unique_ptr<TSysObjes> FSysObjs;
  long double FZoom = 1.0L;

  friend class TMetaBook;
  friend class TOpenBook;
};

class TMetaBook : public TLmBook {
  LUMORA_ABSTRACT_OBJECT(TMetaBook, TLmBook)
public:
  // Forgets the current-book reference when it names this book.
  ~TMetaBook() override;

  // Fired after every successful page change.
  std::function<void(TMetaBook *aSender)> OnPage;
  // The page-zoom object of the book (made by the mode books).
  std::unique_ptr<TPageZoom> FPageZoom;
  // The page shown or edited; null when none.
  TMetaPage *WorkPage = nullptr;
  int PrintPerPage = 1;
  // Filled from the description when reading; the loaders set DocName to
  // the file name. They hide the container's fields of the same names.
  QString CreaterName;
  QString DocName;
  // The folder of the book file (set by the loaders).
  QString FilePath;

  // ---- Properties ----
  // The work page's pool index; -1 without a work page.
  int Page() const;
  // "" without a work page, "共通頁" on page 0, else "n/count-1".
  QString StrPage() const;
  // The page at pool index aId; null out of range.
  TMetaPage *Pages(int aId) const;

  // ---- Virtual operations ----
  virtual void SetGraphicPanel(IGraphicPanel *aPanel);
  // Ignored out of 0 .. count-1. Closes a work page of another number,
  // makes page aValue the work page, opens it, makes it when it is unmade
  // and fires OnPage.
  virtual void SetPage(int aValue);
  // The same as SetPage.
  virtual void SetPrintPage(int aValue);
  // Puts aPage (handed to the book) at the index of its page
  // number Param.ObjValue, freeing the page it replaces (or adds it when
  // the number is not below the count), then SetPage to that number. The
  // work page is closed before it is replaced, and pages whose common page
  // was replaced take aPage as their common page.
  // Answers the page.
  virtual TMetaPage *ExchangePage(std::unique_ptr<TMetaPage> aPage);
  virtual void Resize(IGraphicPanel *aPanel);
  // Closes the work page, frees the pages, clears Param.Text, Param.Value2
  // := -1, and clears the action-block registry.
  virtual void CloseBook();
  // Clears the stamp store and the still-picture store.
  virtual void Clear();
  // The container's description read, then ParseDescription.
  void ReadDescription(TStream &aStream) override;
  // Only with more than 5 lines: DocName, CreaterName, WinWidth (800 when
  // not a number or not positive), WinHeight (600 likewise).
  void ParseDescription(const QString &aText);

  // ---- Pages and system objects ----
  // The Name of page aId; empty out of range.
  QString GetPageName(int aId) const;
  // System object aNo of the work page / of its common page; null when
  // missing or out of range.
  TCommonObj *GetSysObj(int aNo) const;
  TCommonObj *GetSysObj0(int aNo) const;
  // The work page's memo aNo paints when it holds text (or on page 0);
  // else the common page's memo aNo.
  void MemoPaint(int aNo, TCanvas &aCanvas);
  // For every page whose holder has more than aId objects: object aId gets
  // the bounds and is re-made.
  void SetSysObjRect(int aId, const TRect &aRect);
  // A new "印刷設定" object, added to the common page's holder of the work
  // page when there is one (the book then owns it). Null when no class
  // bears the kind.
  TCommonObj *AddPrintObj();

  // ---- TCommonObj and the container ----
  // Paints the work page.
  void Paint(TCanvas &aCanvas) override;
  // Drops every link to aObj from the objects of the work page, then the
  // work page's RemoveObj.
  bool RemoveObj(TCommonObj *&aObj) override;
  // A thumbnail object of the work page drawn into the book's picture.
  void MakeThumbnail() override;
  // The container's read; then page 0 is the work page (not opened), with
  // Param.Layer 0.
  void LoadFromStream(TStream &aStream) override;

  // Book walks (TBookIterator) over every page.
  std::unique_ptr<TLmIterator> CreateIterator(const QString &aObj);
  std::unique_ptr<TLmIterator> CreateIterator(TObjType aType, const QString &aObj) override;
  std::unique_ptr<TLmIterator> CreateIterator(TActKind aAct) override;
  std::unique_ptr<TLmIterator> CreateIterator(TObjType aType, const QString &aObj,
                                              TStream *aStream) override;

protected:
  TMetaBook();
  explicit TMetaBook(const TObjParam &aParam);
  // The book's companions: the maker TBookMake.
  void AfterConstruction() override;
  void CreateMode(TSysMode aMode) override;
  // A pool that owns the pages.
  std::unique_ptr<TAbObjectPool> NewPool() const override;
};

// Re-links a book after it was read.
class TOpenBook {
public:
  // A non-empty file name goes into the book's Param.Text; Param.Value2
  // := -1.
  TOpenBook(TMetaBook *aBook, const QString &aFileName);
  virtual ~TOpenBook() = default;

  // Common pages by id (page 0 when the id names no page), links by id on
  // every page, the action-block registry; then page 0 is opened and
  // re-made. aClearBook is for the presentation opener.
  virtual void Open(TMetaBook *aClearBook);
  // The book's SetPage, then Param.Value2 := aPage.
  virtual void SetPage(int aPage);
  // Re-makes the thumbnails of pages 1 .. count-1 / of one page; an unmade
  // page is made (which renders its thumbnail).
  void DrawThumbnail();
  void DrawThumbnail(int aPage);

  TMetaBook *Book() const { return FBook; }

protected:
  TMetaBook *FBook;
  TRect FOriginRect;
};

// The base of the page-zoom objects of the mode books.
class TPageZoom {
public:
  TPageZoom(IGraphicPanel *aPanel, TMetaBook *aParent);
  virtual ~TPageZoom() = default;

  virtual void OpenPage(TMetaPage *aPage, int aNo) = 0;
  virtual void ResizePage() = 0;
  virtual void ZoomPage() = 0;
  // Whether the panel shows.
  bool Showing() const { return FGraphicPanel && FGraphicPanel->Showing(); }

protected:
  TMetaBook *FBook;
  TRect FOriginRect;
  IGraphicPanel *FGraphicPanel;
};

} // namespace lumora
