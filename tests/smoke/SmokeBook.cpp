// Writes the smoke test's book: an author book whose common page is green
// and whose page 1 holds a placeholder object (a white note in a black
// frame) at a known place. Usage: lumora_smoke_book FILE.lmm [WIDTHxHEIGHT
// [PAGES]] (the page size, 800x600 when not given; the pages, the common
// page included, 2 when not given: every page after page 1 holds a note of
// its own, further down the page). lumora_smoke_book --legacy FILE.lmm
// writes a book of the old format instead: a common page and a page with
// one figure.
#include <QGuiApplication>
#include <QSize>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "core/drawable/DummyDrawObj.h"
#include "core/model/CoreContext.h"
#include "core/system/SysContext.h"
#include "shell/books/AuthorBook.h"
#include "shell/startup/ProgramStart.h"
#include "shell/startup/Startup.h"
#include "tests/kinds/LegacyBookWriter.h"

int main(int argc, char **argv) {
  if (argc == 3 && QByteArray(argv[1]) == "--legacy")
    return lumora::test::WriteOldBookFile(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
  QSize page(800, 600);
  if (argc >= 3) {
    const QStringList size = QString::fromLocal8Bit(argv[2]).split(u'x');
    page = size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt()) : QSize();
  }
  const int pages = argc == 4 ? std::atoi(argv[3]) : 2;
  if (argc < 2 || argc > 4 || page.isEmpty() || pages < 2) {
    std::fprintf(stderr, "usage: lumora_smoke_book FILE [WIDTHxHEIGHT [PAGES]]\n");
    return 2;
  }
  QGuiApplication app(argc, argv);
  using namespace lumora;
  TCoreStartup startup;
  startup.RegisterClasses = RegisterProgramClasses;
  startup.StartSystem = StartSystemState;
  StartShell(startup);
  bool saved = false;
  {
    std::unique_ptr<TAuthorBook> book = NewObject<TAuthorBook>();
    NewEmptyBook(*book);
    book->WinWidth = page.width();
    book->WinHeight = page.height();
    book->Pages(0)->Param.FaceColor = 0x00C000; // $00BBGGRR: green
    std::unique_ptr<TDummyDrawObj> note = NewObject<TDummyDrawObj>();
    note->ReName(0);
    // A placeholder shows its note centred on the top-left corner of its
    // fixed bounds: (-56, -25) - (57, 25), so its frame runs down x = 56.

    book->Pages(1)->AddObj(std::move(note));
    for (int number = 2; number < pages; ++number) {
      std::unique_ptr<TAuthorPage> more = NewObject<TAuthorPage>();
      more->Name = more->CreateName(true);
      more->Param.SetObjValue(number);
      TAuthorPage *added = more.get();
      book->AddObj(std::move(more));
      std::unique_ptr<TDummyDrawObj> other = NewObject<TDummyDrawObj>();
      other->ReName(0);
      added->AddObj(std::move(other));
    }
    saved = book->SaveToFile(QString::fromLocal8Bit(argv[1]), QString());
    book->CloseBook();
    SetCurrentBook(nullptr);
  }
  TCoreContext::Reset();
  return saved ? 0 : 1;
}
