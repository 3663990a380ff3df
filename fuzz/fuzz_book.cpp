// Fuzzes the whole book reader: the header and its version questions (both
// answered OK), the description, the stamp and image lists into the picture
// stores, the page section with every object record (pages, their system
// objects, figures, stills, user parts nested in pages, placeholders for
// unknown kinds), then the re-linking of the book after reading, a walk of
// every object and a save of what was read. The input is a book file; the
// low bit of its last byte also picks the system mode. Bad data must end in
// lumora::Exception or a false answer, never in a crash, a read out of
// bounds, a hang or a huge allocation.
#include <cstddef>
#include <cstdint>

#include "core/book/BookClasses.h"
#include "core/book/Iterators.h"
#include "core/book/MetaBook.h"
#include "core/drawable/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/pictures/StampFactory.h"
#include "core/pictures/StillFactory.h"
#include "core/system/SysContext.h"
#include "fuzz/FuzzApp.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"
#include "tests/kinds/BookKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

// The kinds of the books the tests save, which seed this target, drawn
// plainly (tests/kinds).
void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  RegisterBookClasses(aList);
  test::RegisterPlainBookKinds(aList);
}

void Start() {
  test::StartTestCore({.RegisterClasses = RegisterClasses,
                       .SystemState = true,
                       .NoSleep = true,
                       .VersionsYes = true,
                       .Silent = true});
}

} // namespace

// Placeholders write their note and the thumbnail draws the page: text
// needs the fonts of a GUI application.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool started = (Start(), true);
  (void)started;
  if (size < 1) return 0;
  const TSysMode mode = (data[size - 1] & 1) ? smExec : smAuthor;
  TMakeInfo2::Get().SysMode = mode;
  SysInfo().SetSysMode(mode);
  TMemoryStream stream;
  stream.SetBytes(QByteArray(reinterpret_cast<const char *>(data), int(size)));
  {
    std::unique_ptr<test::TBookTestBook> book = NewObject<test::TBookTestBook>();
    SetCurrentBook(book.get());
    try {
      QString header;
      if (book->LoadFromBookStream(stream, QString(), header)) {
        TOpenBook opener(book.get(), QString());
        opener.Open(nullptr);
        // Pictures are decoded when first drawn; the stamp and still entry
        // targets decode them on their own, much faster than here.
        // Walk what was read as the writer does, then write it again.
        for (TActKind act : {awMPEG, awSound}) {
          std::unique_ptr<TLmIterator> it = book->CreateIterator(act);
          while (it && it->HasNext())
            it->GetFileName();
        }
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
