#pragma once
// The program's entry sequence: builds the long-lived windows and objects
// in a fixed order, opens the document named on the command line (or an
// empty new book), runs the event loop and shuts down. main() starts the
// program's context (StartProgram) before it.
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>
#include <memory>

class QApplication;
class QMainWindow;

namespace lumora {

class TAuthorBook;
class TBaseForm;
class TMetaBook;
class TVersionDlg;

// The program's title: the product name and the subject.
QString ProgramTitle();

// Makes aBook, emptied before, a new book of the common page and page 1,
// the current book with page 1 as its work page.
void NewEmptyBook(TMetaBook &aBook);

// Opens a book file in author mode with the least of opening: the file is
// read into aBook (current book from then on) and re-linked, the system
// state's file name is the file, and page 1 becomes the work page (page 0
// when the book has only the common page). A book that breaks part-way
// opens with the pages read and one message saying so. A book that cannot
// be read shows one message naming the file (missing, a folder, not a
// book, damaged; none when a version question was cancelled) and leaves
// aBook an empty new book; false then.
bool OpenCommandLineDocument(TMetaBook &aBook, const QString &aFileName);

// The entry sequence up to the event loop, and the shutting down after it:
// made, it has shown the start-up picture, built the long-lived objects,
// opened the document (a full path; empty for none) and shown the window of
// the page; freed, it closes the book and frees the windows and objects in
// the reverse order. The program's context must have started. RunProgram
// runs the event loop between the two; a benchmark starts and ends the
// program this way many times in one process.
class TProgramWindows {
public:
  explicit TProgramWindows(const QString &aDocument);
  ~TProgramWindows();
  TProgramWindows(const TProgramWindows &) = delete;
  TProgramWindows &operator=(const TProgramWindows &) = delete;

  // The window of the page, the base form inside it, and the book.
  QMainWindow &Window() const;
  TBaseForm &Base() const;
  TAuthorBook &Book() const { return *FBook; }

private:
  std::unique_ptr<TAuthorBook> FBook;
  std::unique_ptr<TVersionDlg> FVersionDlg;
  std::unique_ptr<QMainWindow> FWindow;
  TBaseForm *FBase = nullptr;
};

// The entry sequence, with the document named on the command line (a full
// path; empty for none); answers the exit code of the event loop.
int RunProgram(QApplication &aApp, const QString &aDocument);

// The client size of the window that shows a page of aPage pixels: the page
// itself when the window and its frame (aFrame) fit in aAvailable, the
// screen's available area; else cut to that area, the page scrolling inside.
// A scroll bar (aScrollBarExtent wide) needed in one direction widens the
// other where there is room, so that it does not bring the second bar.
QSize FittedWindowSize(QSize aPage, QRect aAvailable, QMargins aFrame, int aScrollBarExtent);

} // namespace lumora
