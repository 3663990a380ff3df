// Feeds arbitrary bytes to every picture loader: each must either load or
// raise lumora::Exception, never crash or read out of bounds, and a loaded
// picture must write back exactly the bytes it read. A loaded metafile is
// also drawn (its EMF records go through the SVG converter), onto a small
// bitmap and into a recording.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "fuzz/FuzzApp.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JpegImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"

namespace {

template <class G> void Draw(const G &) {}

template <> void Draw(const lumora::TSafetyMetafile &meta) {
  lumora::TBitmap bmp(24, 24);
  bmp.Canvas().StretchDraw(lumora::Rect(24, 0, 0, 24), meta);
  lumora::TMetafile recording;
  {
    lumora::TMetafileCanvas rec(recording);
    rec.Draw(0, 0, meta);
  }
  recording.Play(bmp.Canvas(), lumora::Point(0, 0));
}

template <class G> void Try(const QByteArray &bytes) {
  G graphic;
  lumora::TMemoryStream in;
  in.SetBytes(bytes);
  in.SetPosition(0);
  try {
    graphic.LoadFromStream(in);
  } catch (const lumora::Exception &) {
    if (!graphic.Empty()) std::abort(); // a failed load leaves the graphic empty
    return;
  }
  if (graphic.Width() < 0 || graphic.Height() < 0) std::abort();
  lumora::TMemoryStream out;
  graphic.SaveToStream(out);
  if (out.Bytes() != bytes) std::abort();
  Draw(graphic);
  lumora::TMemoryStream again;
  graphic.SaveToStream(again);
  if (again.Bytes() != bytes) std::abort(); // drawing leaves the bytes alone
}

} // namespace

// Text in a metafile needs the fonts of a GUI application.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
  Try<lumora::TJpegImage>(bytes);
  Try<lumora::TPngImage>(bytes);
  Try<lumora::TBitmap>(bytes);
  Try<lumora::TIcon>(bytes);
  Try<lumora::TSafetyMetafile>(bytes);
  return 0;
}
