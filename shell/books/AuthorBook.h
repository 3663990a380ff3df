#pragma once
// The author-mode book "ルモラブック" and page "ルモラ頁": the classes the
// registry makes for the book and page records of a book file read while the
// system mode is author. Here they carry their catalogue records and default
// parameter records; the page editing of the author mode builds on them.
#include <memory>

#include "core/book/MetaBook.h"

namespace lumora {

class TObjClassList;
class TOpenAuthorPage;
class TAuthorPage;

class TAuthorBook : public TMetaBook {
  LUMORA_OBJECT(TAuthorBook, TMetaBook)
public:
  static constexpr const char16_t *kKindName = u"ルモラブック";
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();
  // Frees the program's page opener.
  ~TAuthorBook() override;

  // Empties the book and makes the common page and page 1, opened for
  // aFileName, with page 1 shown.
  void NewPageCreate(const QString &aFileName);
  // A new page after the current one, which becomes the work page.
  void AddPage();
  // Takes page pg out (never the common page); the pages that showed it
  // as their common page paint their own background from then on. A book
  // left without an ordinary page gets a fresh page 1.
  void RemovePage(int pg);
  // Whether a page jump ("ページ制御") of the book leads to the last page:
  // the page it lies on and the object.
  bool IsCanPageDelete(int &apid, TCommonObj *&aObj);
  // A new page numbered Index, following the page now at Index (or at the
  // end), with page 0 as its common page, made current and its thumbnail
  // registered; null (nothing added) when that fails.
  TAuthorPage *CreatePageAt(int Index);
  // Every page takes the bounds of the book's page size.
  void SetBoundsRect(const TRect &aRect) override;
  // The page zoom fitted to aPanel (made on first use), then the page
  // shown at the zoom it asks for.
  void Resize(IGraphicPanel *aPanel) override;
  // The book file's reader; then the folder and name of the book and the
  // system state's file name are the file's.
  bool LoadFromFile(const QString &aFile, QString &aHeader) override;

protected:
  // Makes the program's author page opener.
  TAuthorBook();
  explicit TAuthorBook(const TObjParam &aParam);

private:
  std::unique_ptr<TOpenAuthorPage> FPageOpener;
};

class TAuthorPage : public TMetaPage {
  LUMORA_OBJECT(TAuthorPage, TMetaPage)
public:
  static constexpr const char16_t *kKindName = u"ルモラ頁";
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();
  // The page opens at the system zoom (its objects scaled in place), then
  // becomes the work page of the program's undo stack: its records are
  // kept when it is the page they were made on.
  void Open(int aPNo) override;
  // The block programs let go of the page, its objects return to their
  // unzoomed geometry, the system objects placed on it are taken off; then
  // the page closes when it has a common page.
  void Close() override;
  // The background, and from format version 3 on a dotted line along the
  // page's right and bottom edges.
  void PaintBackground(TCanvas &aCanvas) override;
  // Takes off the objects of the page that are system objects.
  void RemoveSysObjects();
  // With the objects of low priority brought to the front, those are hit
  // first; each group front to back, the page itself left out.
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;

protected:
  TAuthorPage();
  explicit TAuthorPage(const TObjParam &aParam);
};

// Registers the book, then the page.
void RegisterAuthorBookClasses(TObjClassList &aList);

} // namespace lumora
