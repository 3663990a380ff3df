// Feeds arbitrary bytes to the still entry reader: an entry must either be
// read or raise lumora::Exception, never crash or read out of bounds. A
// still read writes an entry that reads back with the same picture bytes
// and size, and its picture either decodes or raises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "core/pictures/StillFactory.h"
#include "fuzz/FuzzApp.h"
#include "platform/system/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  lumora::TMemoryStream in;
  in.SetBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
  in.SetPosition(0);
  std::unique_ptr<lumora::TStill_Stream> still;
  try {
    still = std::make_unique<lumora::TStill_Stream>(in);
  } catch (const lumora::Exception &) {
    return 0;
  }
  if (in.Position() > in.Size()) std::abort();
  lumora::TMemoryStream written;
  still->SaveToStream(written);
  written.SetPosition(0);
  try {
    // What was written must read back.
    const lumora::TStill_Stream again(written);
    if (written.Remaining() != 0 || again.Bytes() != still->Bytes() ||
        again.FWidth != still->FWidth || again.FHeight != still->FHeight)
      std::abort();
  } catch (const lumora::Exception &) {
    std::abort();
  }
  // Pictures are decoded when first drawn: decode this one here.
  still->Graphic();
  return 0;
}
