// Fuzzes the object-record reader and the composite children loader: the
// first byte picks the mode and the reader, the rest is the stored data.
// Bad data must end in lumora::Exception, never in a crash, a read out of
// bounds or a huge allocation.
#include <cstddef>
#include <cstdint>

#include "core/drawable/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/LeafObj.h"
#include "core/model/ObjPool.h"
#include "fuzz/FuzzApp.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

class TFuzzLeaf : public TRepreLeaf {
  LUMORA_OBJECT(TFuzzLeaf, TRepreLeaf)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("FuzzLeaf");
    info.FormType = {otSurface};
    return info;
  }
  void ReMake() override {}

protected:
  TFuzzLeaf() = default;
};

// An author-only leaf: in presentation mode its records become placeholders.
class TFuzzAuthor : public TFuzzLeaf {
  LUMORA_OBJECT(TFuzzAuthor, TFuzzLeaf)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TFuzzLeaf::GetObjInfo();
    info.Name = QStringLiteral("FuzzAuthor");
    info.FormType = {otLine, otAuthor};
    return info;
  }

protected:
  TFuzzAuthor() = default;
};

// A composite that owns its children, as pages do.
class TFuzzPage : public TCustomCompo {
  LUMORA_OBJECT(TFuzzPage, TCustomCompo)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("FuzzPage");
    return info;
  }
  bool RemoveObj(TCommonObj *&) override { return false; }

protected:
  TFuzzPage() = default;
  std::unique_ptr<TAbObjectPool> NewPool() const override {
    return std::make_unique<TOwnedObjPool>();
  }
};

void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  aList.Add<TFuzzLeaf>();
  aList.Add<TFuzzAuthor>();
  aList.Add<TFuzzPage>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool started =
      (test::StartTestCore({.RegisterClasses = RegisterClasses, .NoSleep = true}), true);
  (void)started;
  if (size < 1) return 0;
  const uint8_t selector = data[0];
  TMakeInfo2::Get().SysMode = (selector & 1) ? smExec : smAuthor;
  TMemoryStream stream;
  stream.SetBytes(QByteArray(reinterpret_cast<const char *>(data + 1), int(size - 1)));
  try {
    if (selector & 2) {
      std::unique_ptr<TFuzzPage> page = NewObject<TFuzzPage>();
      page->LoadFromStream(stream);
      // Walk what was loaded, as a page would after reading.
      page->ReMake();
      page->PriorityOf(nullptr);
      page->GetObjs(1);
    } else {
      std::unique_ptr<TFuzzLeaf> leaf = NewObject<TFuzzLeaf>();
      while (stream.Position() < stream.Size()) {
        const int64_t before = stream.Position();
        leaf->LoadFromStream(stream);
        if (stream.Position() == before) break;
      }
    }
  } catch (const Exception &) {
  }
  return 0;
}
