#pragma once
// The author-mode book "ルモラブック" and page "ルモラ頁": the classes the
// registry makes for the book and page records of a book file read while the
// system mode is author. Here they carry their catalogue records and default
// parameter records; the page editing of the author mode builds on them.
#include "core/book/MetaBook.h"

namespace lumora {

class TObjClassList;

class TAuthorBook : public TMetaBook {
  LUMORA_OBJECT(TAuthorBook, TMetaBook)
public:
  static constexpr const char16_t *kKindName = u"ルモラブック";
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();

protected:
  TAuthorBook();
  explicit TAuthorBook(const TObjParam &aParam);
};

class TAuthorPage : public TMetaPage {
  LUMORA_OBJECT(TAuthorPage, TMetaPage)
public:
  static constexpr const char16_t *kKindName = u"ルモラ頁";
  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();
  // The page opens, then becomes the work page of the program's undo
  // stack: its records are kept when it is the page they were made on.
  void Open(int aPNo) override;

protected:
  TAuthorPage();
  explicit TAuthorPage(const TObjParam &aParam);
};

// Registers the book, then the page.
void RegisterAuthorBookClasses(TObjClassList &aList);

} // namespace lumora
