// Fuzzes the reader of old books (format version 3 or less): the header
// forms and the version, the stamp and still lists into the picture
// stores, the page table, the page bodies and every object record (kind
// map, placeholders, page-clear buttons, groups and animations with their
// children), the links fixed by name, then the re-linking of the book and
// a save of what was read. The input is an old book file. Bad data must
// end in lumora::Exception or a damaged book, never in a crash, a read out
// of bounds, a hang or a huge allocation.
#include <cstddef>
#include <cstdint>

#include "core/book/BookClasses.h"
#include "core/book/LegacyBook.h"
#include "core/book/MetaBook.h"
#include "core/drawable/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "fuzz/FuzzApp.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"
#include "tests/kinds/BookKinds.h"
#include "tests/kinds/LegacyKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  RegisterBookClasses(aList);
  test::RegisterPlainBookKinds(aList);
  test::RegisterLegacyKinds(aList);
  aList.Add<test::TLegacyPageProperty>();
}

void Start() {
  test::StartTestCore({.RegisterClasses = RegisterClasses,
                       .SystemState = true,
                       .NoSleep = true,
                       .VersionsYes = true,
                       .Silent = true});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool started = (Start(), true);
  (void)started;
  TMemoryStream stream;
  stream.SetBytes(QByteArray(reinterpret_cast<const char *>(data), int(size)));
  {
    std::unique_ptr<test::TBookTestBook> book = NewObject<test::TBookTestBook>();
    SetCurrentBook(book.get());
    try {
      TLegacyBookLoader loader(book.get());
      if (loader.LoadFromBookStream(stream, QString())) {
        TOpenBook opener(book.get(), QString());
        opener.Open(nullptr);
        TMemoryStream out;
        book->SaveToBookStream(out, QString());
      }
    } catch (const Exception &) {
    }
    SetCurrentBook(nullptr);
  }
  ResetStampMaker();
  ResetStillMaker();
  return 0;
}
