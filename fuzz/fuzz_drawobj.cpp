// Fuzzes the record reader of drawable objects (the option block in its
// current and its oldest form) and what runs on the data read: the area,
// "固有値" and the maker's recording. The first byte picks the mode, the
// rest is the stored data. Bad data must end in lumora::Exception, never in
// a crash, a read out of bounds or a huge allocation.
#include <cstddef>
#include <cstdint>

#include "core/drawable/CoreClasses.h"
#include "core/drawable/DrawObj.h"
#include "core/model/CoreContext.h"
#include "fuzz/FuzzApp.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

class TFuzzDraw : public TDrawObj {
  LUMORA_OBJECT(TFuzzDraw, TDrawObj)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("FuzzDraw");
    info.FormType = {otSurface};
    return info;
  }
  using TDrawObj::DrawObj;
  // Draws only the outline's bounds: the point is the reader, not the
  // painter's speed on wild coordinates.
  void DrawObj(TCanvas &aCanvas, std::span<const TRealPoint>) override { PrepareCanvas(aCanvas); }

protected:
  TFuzzDraw() = default;
};

void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  aList.Add<TFuzzDraw>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool started =
      (test::StartTestCore({.RegisterClasses = RegisterClasses, .NoSleep = true}), true);
  (void)started;
  if (size < 1) return 0;
  TMakeInfo2::Get().SysMode = (data[0] & 1) ? smExec : smAuthor;
  TMemoryStream stream;
  stream.SetBytes(QByteArray(reinterpret_cast<const char *>(data + 1), int(size - 1)));
  try {
    std::unique_ptr<TFuzzDraw> obj = NewObject<TFuzzDraw>();
    obj->LoadFromStream(stream);
    QVariantList result;
    obj->Value(QStringLiteral("固有値"), result);
    obj->Data(QStringLiteral("固有値"), {QVariant(), 2.5});
    obj->ReMake();
  } catch (const Exception &) {
  }
  return 0;
}
