#pragma once
// Opening a book file into the current book, and inserting the pages of
// another book before the current page. The loader reads with the current
// reader and falls back on the reader of older books for format versions 3
// and below.
#include <QString>

#include "core/book/MetaBook.h"

namespace lumora {

class TBookLoader {
public:
  explicit TBookLoader(TMetaBook *aBook) : fBook(aBook) {}
  // The current reader (what it raises is swallowed), else the reader of
  // older books; answers aFName when an older book was read, else empty.
  // Error tells why nothing was read.
  QString LoadFromFile(const QString &aFName);
  const QString &Error() const { return FError; }
  // The format version of the file read.
  double BookVersion() const { return fBookVersion; }

private:
  TMetaBook *fBook;
  double fBookVersion = 0;
  QString FError;
};

// The author-side opener: links resolved as every opener does, then the
// book to clear (the saved pages of the presentation) emptied.
class TOpenAuthorBook : public TOpenBook {
public:
  using TOpenBook::TOpenBook;
  void Open(TMetaBook *aClearBook) override;
};

class TOpenFile {
public:
  // aOpenMode: "編集" opens into the author book (the current book),
  // another word for presentation.
  TOpenFile(const QString &aOpenFileName, const QString &aOpenMode);

  // Reads the file into the current book, emptied first, and shows page 1.
  // Raises for a missing file or one of another kind; false when neither
  // reader could read it (the book is then empty).
  bool Open();
  // Asks, then inserts the pages of the file before the current page;
  // false (the book unchanged) when refused or when the file cannot be
  // read, with OpenError telling why.
  bool Insert();

  const QString &OpenFileName() const { return FOpenFileName; }
  const QString &OpenError() const { return FOpenError; }
  // The format version the last read found.
  double BookVersion() const { return FBookVersion; }

private:
  QString fOpenMode;
  QString FOpenFileName;
  QString FOpenError;
  double FBookVersion = 0;
};

// The extensions of book files the program opens.
QStringList BookFileExts();

} // namespace lumora
