// Feeds arbitrary bytes to the stamp entry reader, entry after entry as the
// book reader does: each entry must either be read or raise
// lumora::Exception, never crash or read out of bounds. An entry read is
// written and read back with the same picture bytes; its name may be
// normalised once (the string reader drops a trailing NUL), after which
// writing and reading again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/pictures/StampFactory.h"
#include "fuzz/FuzzApp.h"
#include "platform/system/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  lumora::TMemoryStream in;
  in.SetBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
  in.SetPosition(0);
  // Up to eight entries; one that raises without moving the stream ends the
  // reading.
  for (int i = 0; i < 8 && in.Remaining() > 0; ++i) {
    const int64_t before = in.Position();
    try {
      lumora::TStamp_Stream stamp(in);
      // Pictures are decoded when first drawn: decode this one here.
      stamp.Decoded();
      lumora::TMemoryStream written;
      stamp.SaveToStream(QString(), written);
      written.SetPosition(0);
      lumora::TStamp_Stream again(written);
      if (written.Remaining() != 0 || again.Bytes() != stamp.Bytes()) std::abort();
      lumora::TMemoryStream rewritten;
      again.SaveToStream(QString(), rewritten);
      rewritten.SetPosition(0);
      lumora::TStamp_Stream third(rewritten);
      lumora::TMemoryStream last;
      third.SaveToStream(QString(), last);
      if (last.Bytes() != rewritten.Bytes()) std::abort();
    } catch (const lumora::Exception &) {
      if (in.Position() == before) break;
    }
    if (in.Position() > in.Size()) std::abort();
  }
  return 0;
}
