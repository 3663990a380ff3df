// Runs the readers of the typed document stream over arbitrary bytes. The
// input is a sequence of steps: one byte chooses a reader, which then reads
// from the bytes that follow. Bad data must raise lumora::Exception; any
// crash, leak, out-of-bounds read or undefined behaviour is a finding.
#include "core/fonts/MetaFont.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Picture.h"
#include "platform/system/Exception.h"

#include <cstddef>
#include <cstdint>

using namespace lumora;

namespace {

constexpr int kReaders = 24;
constexpr int kMaxSteps = 256;

void Step(int reader, TMetaStream &s, TPicture &picture, std::unique_ptr<TMetaFont> &metaFont) {
  switch (reader) {
  case 0: {
    bool v;
    s.ReadBuffer(v);
    break;
  }
  case 1: {
    uint16_t v;
    s.ReadBuffer(v);
    break;
  }
  case 2: {
    int32_t v;
    s.ReadBuffer(v);
    break;
  }
  case 3: {
    uint32_t v;
    s.ReadBuffer(v);
    break;
  }
  case 4: {
    int64_t v;
    s.ReadBuffer(v);
    break;
  }
  case 5: {
    float v;
    s.ReadBuffer(v);
    break;
  }
  case 6: {
    double v;
    s.ReadBuffer(v);
    break;
  }
  case 7: {
    QString v;
    s.ReadBuffer(v);
    break;
  }
  case 8: {
    QByteArray v;
    s.ReadBuffer(v);
    break;
  }
  case 9: {
    TFont v;
    s.ReadBuffer(v);
    break;
  }
  case 10:
    s.ReadBuffer(metaFont);
    break;
  case 11: {
    std::vector<TRealPoint> v;
    s.ReadBuffer(v);
    break;
  }
  case 12: {
    TGrabForm v;
    s.ReadBuffer(v);
    break;
  }
  case 13: {
    TLineType v;
    s.ReadBuffer(v);
    break;
  }
  case 14: {
    TObjParam v;
    s.ReadBuffer(v);
    break;
  }
  case 15: {
    TObjParam v;
    s.ReadParam15(v);
    break;
  }
  case 16: {
    float v;
    s.ReadVersion(v);
    break;
  }
  case 17:
    s.LoadPict(nullptr);
    break;
  case 18:
    s.LoadPict(&picture);
    break;
  case 19: {
    QString v;
    ReadSizedString(s, 100000, v);
    break;
  }
  case 20: {
    QString v;
    ReadSizedString(s, 5, v);
    break;
  }
  case 21:
    LoadPictFromStream(s, nullptr);
    break;
  case 22: {
    TActParam v;
    ReadActParam(s, v);
    break;
  }
  case 23: {
    TActParam v;
    ReadOldActParam(s, v);
    break;
  }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  TMetaStream s;
  s.SetBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
  TPicture picture;
  std::unique_ptr<TMetaFont> metaFont;
  try {
    for (int steps = 0; steps < kMaxSteps && s.Remaining() > 0; ++steps) {
      uint8_t reader;
      s.ReadBuffer(&reader, 1);
      Step(reader % kReaders, s, picture, metaFont);
    }
  } catch (const Exception &) {
    // Bad data is refused with the project's exception.
  }
  // What was read must write again.
  TMetaStream out;
  out.SavePict(&picture);
  out.WriteBuffer(metaFont.get());
  return 0;
}
