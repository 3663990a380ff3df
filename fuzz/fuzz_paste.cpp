// Fuzzes pasting a block of the private clipboard format: the input (after
// its first byte) goes on the clipboard under "LumoraExData"; the copier
// counts its records and pastes it onto a page, through the multi-copy when
// the first byte is odd, else as one object, and then once more from the
// records it kept. A paste never gives more objects than the count said.
// Bad blocks must paste what comes before the bad record and end in
// lumora::Exception at worst, never in a crash, a read out of bounds, a leak
// or a huge allocation.
#include <cstddef>
#include <cstdint>

#include "core/book/BookClasses.h"
#include "core/drawable/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/model/MakeInfo.h"
#include "fuzz/FuzzApp.h"
#include "platform/system/Exception.h"
#include "platform/ui/Clipboard.h"
#include "shell/clipboard/Copier.h"
#include "tests/kinds/BookKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

// The test kinds drawn plainly (figure, still, memo, stamps, user part,
// pages), so that seeds copied in the tests read as real objects.
void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  RegisterBookClasses(aList);
  test::RegisterPlainBookKinds(aList);
}

void Paste(TCopier &aCopier, test::TBookTestPage &aPage, bool aMulti) {
  const int count = aCopier.Count();
  if (aMulti) {
    TMultiCopy copy(&aPage, &aCopier);
    copy.Paste(&aPage);
    if (copy.Count() > count) __builtin_trap();
    copy.Regist(&aPage);
  } else if (std::unique_ptr<TCommonObj> made = aCopier.Paste(&aPage)) {
    aPage.AddObj(std::move(made));
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool started =
      (test::StartTestCore({.RegisterClasses = RegisterClasses, .NoSleep = true}), true);
  (void)started;
  if (size < 1) return 0;
  const bool multi = data[0] & 1;
  std::unique_ptr<test::TBookTestPage> page = NewObject<test::TBookTestPage>();
  TMakeInfo::Construct(nullptr, nullptr, nullptr, [&page] { return page.get(); });
  {
    TCopier copier(page.get());
    ClipboardSetExData(QByteArray(reinterpret_cast<const char *>(data + 1), int(size - 1)));
    try {
      Paste(copier, *page, multi);
      Paste(copier, *page, multi); // the records the copier kept
    } catch (const Exception &) {
    }
  }
  TMakeInfo::Construct(nullptr, nullptr, nullptr, nullptr);
  ClipboardClear();
  return 0;
}
