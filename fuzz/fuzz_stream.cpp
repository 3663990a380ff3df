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
#include <iterator>

using namespace lumora;

namespace {

struct TState {
  TMetaStream s;
  TPicture picture;
  std::unique_ptr<TMetaFont> metaFont;
};

template <typename T> void Read(TState &st) {
  T v{};
  st.s.ReadBuffer(v);
}

using TReader = void (*)(TState &);
const TReader kReaders[] = {
    Read<bool>,
    Read<uint16_t>,
    Read<int32_t>,
    Read<uint32_t>,
    Read<int64_t>,
    Read<float>,
    Read<double>,
    Read<QString>,
    Read<QByteArray>,
    Read<TFont>,
    [](TState &st) { st.s.ReadBuffer(st.metaFont); },
    Read<std::vector<TRealPoint>>,
    Read<TGrabForm>,
    Read<TLineType>,
    Read<TObjParam>,
    [](TState &st) {
      TObjParam v;
      st.s.ReadParam15(v);
    },
    [](TState &st) {
      float v;
      st.s.ReadVersion(v);
    },
    [](TState &st) { st.s.LoadPict(nullptr); },
    [](TState &st) { st.s.LoadPict(&st.picture); },
    [](TState &st) {
      QString v;
      ReadSizedString(st.s, 100000, v);
    },
    [](TState &st) {
      QString v;
      ReadSizedString(st.s, 5, v);
    },
    [](TState &st) { LoadPictFromStream(st.s, nullptr); },
    [](TState &st) {
      TActParam v;
      ReadActParam(st.s, v);
    },
    [](TState &st) {
      TActParam v;
      ReadOldActParam(st.s, v);
    },
};
constexpr int kMaxSteps = 256;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  TState st;
  st.s.SetBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
  try {
    for (int steps = 0; steps < kMaxSteps && st.s.Remaining() > 0; ++steps) {
      uint8_t reader;
      st.s.ReadBuffer(&reader, 1);
      kReaders[reader % std::size(kReaders)](st);
    }
  } catch (const Exception &) {
    // Bad data is refused with the project's exception.
  }
  // What was read must write again.
  TMetaStream out;
  out.SavePict(&st.picture);
  out.WriteBuffer(st.metaFont.get());
  return 0;
}
