#include "core/pictures/StampFactory.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/model/CommonObj.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomMaker.h"
#include "core/pictures/BitmapUnit.h"
#include "core/support/AbstractError.h"
#include "core/system/SysContext.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Exception.h"
#include "platform/system/LittleEndian.h"

namespace lumora {

namespace {

// The longest stamp name an entry may hold.
constexpr int32_t kMaxEntryName = 100000;
// An upright metafile larger than this many pixels is drawn as it is;
// smaller ones are oversampled through the render cache.
constexpr int64_t kDirectMetafilePixels = 5183;
// Turned stamps up to this many pixels are rendered at twice their size.
constexpr int64_t kOversampleTurnedPixels = 250000;
// The render cache's work bitmap holds at most this many pixels: beyond it
// a stamp is rendered without oversampling, and a frame larger than that
// (a stamp scaled far beyond any page) is not rendered at all.
constexpr int64_t kMaxRenderPixels = 16'000'000;

Exception CantCreateImage(const QString &aName) {
  return Exception(QStringLiteral("Can't Create Image(") + aName + QStringLiteral(")"));
}

void WriteInt32(TStream &aStream, int32_t aValue) {
  uint8_t bytes[4];
  le::Put<int32_t>(bytes, aValue);
  aStream.WriteBuffer(bytes, 4);
}

int32_t ReadInt32(TStream &aStream) {
  uint8_t bytes[4];
  aStream.ReadBuffer(bytes, 4);
  return le::Get<int32_t>(bytes);
}

// One stamp entry: the name, the size of the tagged picture, its bytes.
void WriteEntryBytes(TStream &aStream, const QString &aName, const char *aData, int64_t aSize) {
  if (aSize > std::numeric_limits<int32_t>::max())
    throw EWriteError(QStringLiteral("Stream write error"));
  WriteSizedString(aStream, aName);
  WriteInt32(aStream, int32_t(aSize));
  if (aSize > 0) aStream.WriteBuffer(aData, aSize);
}

// The rectangle (x, y, x + w, y + h), its sides exchanged to mirror
// (left-right) and to flip (top-bottom) what is drawn into it.
TRect FrameRect(int x, int y, int w, int h, bool aReverse, bool aTurnUpside) {
  TRect r{x, y, x + w, y + h};
  if (aReverse) std::swap(r.Left, r.Right);
  if (aTurnUpside) std::swap(r.Top, r.Bottom);
  return r;
}

// Loads the stamp's picture for drawing. A metafile never fills its
// background, so the key colour behind it stays transparent; a bitmap
// leaves out its key-colour pixels wherever it is drawn, as the render
// cache does, so that printing and zoomed drawing show what the page shows.
TGraphic *LoadForDrawing(TStamp_ &aStamp, TPicture &aPict) {
  aStamp.LoadImage(aPict);
  TGraphic *graphic = aPict.Graphic();
  if (!graphic || graphic->Empty()) return nullptr;
  if (auto *bitmap = dynamic_cast<TBitmap *>(graphic)) bitmap->SetTransparentColor(kKeyColor);
  if (dynamic_cast<TMetafile *>(graphic) || dynamic_cast<TBitmap *>(graphic))
    graphic->SetTransparent(true);
  return graphic;
}

// The picture recorded stretched into a transparent metafile of w x h.
std::unique_ptr<TMetafile> SizedMetafile(const TGraphic &aGraphic, int w, int h) {
  auto meta = std::make_unique<TMetafile>();
  {
    TMetafileCanvas canvas(*meta);
    canvas.StretchDraw(Rect(0, 0, w, h), aGraphic);
  }
  meta->SetWidth(w);
  meta->SetHeight(h);
  meta->SetTransparent(true);
  return meta;
}

// A folder with exactly one trailing separator.
QString WithSeparator(const QString &aFolder) {
  if (aFolder.endsWith(u'/') || aFolder.endsWith(u'\\')) return aFolder;
  return aFolder + u'/';
}

} // namespace

// ---- Finding a picture file ----

QString StampFilePath(const QString &aName) {
  const QString bare = BareFileName(aName);
  if (bare.isEmpty()) return {};
  // Books written on Windows name folders with '\'.
  const QString withFolder = QString(aName).replace(u'\\', u'/');
  const QString program = TSysContext::Started() ? ProgramFolder() : QString();
  const QString userFolder = TCoreContext::Started() ? StampFolder() : QString();
  const QString current = QDir::currentPath() + u'/';

  QStringList candidates;
  if (!program.isEmpty()) candidates << WithSeparator(program) + withFolder;
  if (!userFolder.isEmpty()) candidates << WithSeparator(userFolder) + bare;
  candidates << withFolder;
  if (!program.isEmpty()) candidates << WithSeparator(program) + bare;
  candidates << current + bare << current + QStringLiteral("Image/") + bare;
  if (!program.isEmpty())
    candidates << WithSeparator(program) + QStringLiteral("Stamp/") + kPlaceholderStamp.toString();
  for (const QString &path : candidates)
    if (QFileInfo(path).isFile()) return path;
  return {};
}

// ---- TStamp_ ----

TStamp_::~TStamp_() = default;

const TGraphic *TStamp_::Decoded() {
  if (fCheck == TCheck::Bad) return nullptr;
  if (!fDecoded) {
    auto pict = std::make_unique<TPicture>();
    const TGraphic *graphic = nullptr;
    try {
      graphic = LoadForDrawing(*this, *pict);
    } catch (const Exception &) {
    }
    if (!graphic) {
      fCheck = TCheck::Bad;
      return nullptr;
    }
    fDecoded = std::move(pict);
    fCheck = TCheck::Good;
  }
  return fDecoded->Graphic();
}

void TStamp_::SaveSvgToStream(const QString &, TStream &) {
  AbstractCall("TStamp_::SaveSvgToStream");
}

// ---- TStampImage ----

void TStampImage::LoadImage(TPicture &aPict) {
  SetPosition(0);
  LoadPict(&aPict);
}

void TStampImage::SaveToStream(const QString &aHolder, TStream &aStream) {
  WriteEntry(aHolder, aStream, fFileName);
}

void TStampImage::SavePngToStream(const QString &aHolder, TStream &aStream) {
  const QString bare = BareFileName(fFileName);
  const qsizetype dot = bare.lastIndexOf(u'.');
  const QString name = (dot >= 0 ? bare.left(dot) : bare) + QStringLiteral(".png");
  TPicture pict;
  LoadImage(pict);
  const TGraphic *graphic = pict.Graphic();
  if (!graphic || graphic->Empty() || dynamic_cast<const TPngImage *>(graphic)) {
    WriteEntry(aHolder, aStream, name);
    return;
  }
  // The entry is named as a PNG picture, so it holds one.
  TPngImage png;
  png.Assign(*graphic);
  TMetaStream content;
  content.SaveGraphic(&png);
  WriteEntryBytes(aStream, name, content.Memory(), content.Size());
}

void TStampImage::WriteEntry(const QString &, TStream &aStream, const QString &aName) {
  WriteEntryBytes(aStream, aName, Memory(), Size());
}

void TStampImage::Draw(TCanvas &aCanvas, TStillbmp &aBitmap, const TStampInfo &aInfo) {
  const TGraphic *graphic = Decoded();
  if (!graphic) return;
  const int w = aInfo.Width;
  const int h = aInfo.Height;
  if (dynamic_cast<const TMetafile *>(graphic) && IsNoTurn(aInfo.Angle) &&
      int64_t(w) * h > kDirectMetafilePixels) {
    aBitmap.SetInfo(aInfo);
    aCanvas.SetClipRect(Rect(0, 0, w, h));
    aCanvas.StretchDraw(FrameRect(0, 0, w, h, aInfo.Reverse, aInfo.TurnUpside), *graphic);
    aCanvas.ClearClip();
    aBitmap.HoldOwnerPicture();
    return;
  }
  TStampInfo info = aInfo;
  info.Rect = Rect(0, 0, aInfo.Rect.Width(), aInfo.Rect.Height());
  aBitmap.SetInfo(info);
  aBitmap.Draw(aCanvas, *graphic);
}

void TStampImage::ZoomDraw(TCanvas &aCanvas, const TStampInfo &aInfo,
                           std::span<const TRealPoint> aPolygon, double aZoom) {
  TStampInfo info = aInfo;
  const bool turned = !IsNoTurn(info.Angle);
  const std::span<const TRealPoint> p = aPolygon;
  if (p.size() >= 8) {
    info.Rect = RealPointsBounds(p);
    info.Width = Round(RealDistance(p[4], p[5]));
    info.Height = Round(RealDistance(p[6], p[7]));
  } else if (!turned) {
    // Four corners: the frame is taken from the diagonals.
    if (p.size() < 4) return;
    info.Rect = RealPointsBounds(p);
    info.Width = Round(RealDistance(p[1], p[3]));
    info.Height = Round(RealDistance(p[0], p[2]));
  } else {
    // A square on the diagonal P0 P2, turned by its bearing.
    if (p.size() < 3) return;
    const double d = RealDistance(p[0], p[2]);
    const double half = d / 2 - 0.5;
    const TRealPoint c = MidRealPoint(p[0], p[2]);
    std::array<TRealPoint, 4> square{{{c.rx - half, c.ry - half},
                                      {c.rx + half, c.ry - half},
                                      {c.rx + half, c.ry + half},
                                      {c.rx - half, c.ry + half}}};
    RotateRealPoints(square, c, RealPointAngle(p[0], p[2]));
    info.Rect = RealPointsBounds(square);
    info.Width = info.Height = RoundReal(d);
  }
  if (info.Width < 1 || info.Height < 1) return;

  const TGraphic *graphic = Decoded();
  if (!graphic) return;
  if (!turned) {
    aCanvas.StretchDraw(FrameRect(info.Rect.Left, info.Rect.Top, info.Width, info.Height,
                                  info.Reverse, info.TurnUpside),
                        *graphic);
  } else if (aZoom > 1) {
    // DrawGraphicEx turns the graphic at its own size: the picture is
    // sized to the frame first.
    const std::unique_ptr<TMetafile> sized = SizedMetafile(*graphic, info.Width, info.Height);
    DrawGraphicEx(aCanvas, info.Rect, *sized, info.Angle, info.Reverse, info.TurnUpside);
  } else {
    TStillbmp still(nullptr);
    still.SetInfo(info);
    still.Draw(aCanvas, *graphic);
  }
}

// ---- TStamp_File ----

TStamp_File::TStamp_File(const QString &aFName) {
  const QString path = StampFilePath(aFName);
  if (path.isEmpty()) throw Exception(QStringLiteral("Can't Open File(") + aFName + u')');
  fFileName = BareFileName(path);
  const Exception noGraphic(QStringLiteral("No Graphic File(") + aFName + u')');
  std::unique_ptr<TGraphic> graphic = CreateGraphicOfKind(FileKindOfExt(FileExtOf(path)));
  if (!graphic) throw noGraphic;
  try {
    graphic->LoadFromFile(path);
  } catch (const EFOpenError &) {
    throw Exception(QStringLiteral("Can't Open File(") + aFName + u')');
  } catch (const Exception &) {
    throw noGraphic;
  }
  if (graphic->Empty()) throw noGraphic;
  FWidth = graphic->Width();
  FHeight = graphic->Height();
  SaveGraphic(graphic.get());
}

// ---- TStamp_Stream ----

TStamp_Stream::TStamp_Stream(TStream &pStream) {
  const int64_t start = pStream.Position();
  QString name;
  ReadSizedString(pStream, kMaxEntryName, name);
  if (pStream.Position() == start) {
    // A name count beyond the limit or the stream: step over it.
    pStream.Skip(4);
    throw CantCreateImage(QString());
  }
  // A file name ends at a NUL; the store is keyed by bare names.
  if (const qsizetype nul = name.indexOf(QChar(0)); nul >= 0) name.truncate(nul);
  fFileName = BareFileName(name);
  const int32_t size = ReadInt32(pStream);
  if (size <= 0 || !Readable(pStream, size)) throw CantCreateImage(name);
  CopyFrom(pStream, size);

  // A picture whose header gives its size is decoded when first drawn;
  // any other is decoded now, and one that does not decode is refused.
  if (const QSize header = PictHeaderSize(); header.isValid()) {
    FWidth = header.width();
    FHeight = header.height();
    fCheck = TCheck::Unchecked;
  } else {
    const TGraphic *graphic = Decoded();
    if (!graphic || graphic->Empty()) throw CantCreateImage(name);
    FWidth = graphic->Width();
    FHeight = graphic->Height();
  }

  if (!TCoreContext::Started() || !ReloadPictures()) return;
  try {
    const TStamp_File file(name);
    // Only the picture's own file replaces it, never the placeholder.
    if (file.FileName() != fFileName) return;
    SetBytes(file.Bytes());
    FWidth = file.Width();
    FHeight = file.Height();
    fDecoded.reset();
    fCheck = TCheck::Good; // the file's picture decoded as it was read
  } catch (const Exception &) {
    // No usable file: the book's picture stays.
  }
}

// ---- TStampMaker_ ----

TStampMaker_::TStampMaker_() : BookWindowSize([] { return QSize(800, 600); }) {}

TStampMaker_::~TStampMaker_() = default;

TStamp_ *TStampMaker_::_Create(const QString &aFName) {
  if (aFName.isEmpty()) return nullptr;
  // A stored picture found bad as it is checked is passed over: the next
  // of that name, else the file, takes its place.
  auto find = [this](const QString &aName) {
    TStamp_ *found = FindStamp(aName);
    while (found && found->Check() == TStamp_::TCheck::Unchecked) {
      found->Decoded();
      found = FindStamp(aName);
    }
    return found;
  };
  if (TStamp_ *found = find(aFName)) return found;
  // A name given with a folder part is stored under its bare name.
  const QString bare = BareFileName(aFName);
  if (bare != aFName)
    if (TStamp_ *found = find(bare)) return found;
  return AddStamp(std::make_unique<TStamp_File>(aFName));
}

TStamp_ *TStampMaker_::_Create(TStream &pStream) {
  return AddStamp(std::make_unique<TStamp_Stream>(pStream));
}

int TStampMaker_::IncUseCount(const QString &aFName) {
  TStamp_ *stamp = FindStamp(aFName);
  if (!stamp) {
    // A picture that did not decode keeps its place in the book.
    const auto bad = std::find_if(FItems.begin(), FItems.end(),
                                  [&](const auto &item) { return item->FileName() == aFName; });
    if (bad != FItems.end()) stamp = bad->get();
  }
  return stamp ? ++stamp->fUseCount : 0;
}

void TStampMaker_::ClearUseCount() {
  for (const auto &stamp : FItems)
    stamp->fUseCount = 0;
}

void TStampMaker_::PackImage() {
  std::erase_if(FItems, [](const auto &stamp) { return stamp->fUseCount <= 0; });
}

int TStampMaker_::UsedStamps() const {
  return int(std::count_if(FItems.begin(), FItems.end(),
                           [](const auto &stamp) { return stamp->fUseCount > 0; }));
}

TRect TStampMaker_::StampRect(int aSize, double aRatio) const {
  const QSize window = BookWindowSize ? BookWindowSize() : QSize(800, 600);
  int width = aSize;
  if (window.width() > 0 && window.height() > 0) {
    const double c = double(aSize) / window.width();
    const double e = aSize * aRatio / window.height();
    if (c > 1 || e > 1) width = RoundReal(aSize / std::max(c, e));
  }
  return Rect(0, 0, width, Round(aRatio * width));
}

// ---- TStampMaker ----

TStamp_ *TStampMaker::AddStamp(std::unique_ptr<TStamp_> aStamp) {
  if (!aStamp || aStamp->FileName().isEmpty()) return nullptr;
  TStamp_ *stored = FindStamp(aStamp->FileName());
  while (stored && stored->Check() == TStamp_::TCheck::Unchecked) {
    stored->Decoded();
    stored = FindStamp(aStamp->FileName());
  }
  if (stored) return stored;
  FItems.push_back(std::move(aStamp));
  return FItems.back().get();
}

TStamp_ *TStampMaker::FindStamp(const QString &aName) const {
  for (const auto &stamp : FItems)
    if (stamp->FileName() == aName && stamp->Check() != TStamp_::TCheck::Bad) return stamp.get();
  return nullptr;
}

TStampMaker &StampMaker() {
  return TCoreContext::Get().Store<TStampMaker>();
}

void ResetStampMaker() {
  TCoreContext::Get().Put(std::make_unique<TStampMaker>());
}

// ---- TStillbmp ----

TStillbmp::TStillbmp(TCommonObj *aOwner) : fOwner(aOwner) {}

bool TStillbmp::IsMove(const TStampInfo &aInfo) const {
  const TCustomMaker *maker = fOwner ? fOwner->Maker() : nullptr;
  const bool holdsPicture = FGraphic && maker && maker->Graphic() == FGraphic;
  return holdsPicture && !aInfo.Empty && aInfo.Width == fInfo.Width &&
         aInfo.Height == fInfo.Height && std::fabs(aInfo.Angle - fInfo.Angle) <= kNoTurn &&
         aInfo.Reverse == fInfo.Reverse && aInfo.TurnUpside == fInfo.TurnUpside &&
         aInfo.Transparency <= 0 && !Empty();
}

void TStillbmp::HoldOwnerPicture() {
  const TCustomMaker *maker = fOwner ? fOwner->Maker() : nullptr;
  FGraphic = maker ? maker->Graphic() : nullptr;
}

void TStillbmp::Draw(TCanvas &aCanvas, const TGraphic &aGraphic) {
  const int w = fInfo.Width;
  const int h = fInfo.Height;
  const double angle = fInfo.Angle;
  if (w < 1 || h < 1) return;
  const int64_t area = int64_t(w) * h;
  if (area > kMaxRenderPixels) return;

  // Small or turned pictures are rendered larger and reduced afterwards.
  double q = 1;
  if (IsNoTurn(angle))
    q = std::sqrt(std::fabs(double(aGraphic.Width()) * aGraphic.Height()) / double(area));
  else
    q = area <= kOversampleTurnedPixels ? 2 : 1;
  if (q > 2) q = 2;
  if (!(q >= 1.4)) q = 1;
  if (double(area) * q * q > double(kMaxRenderPixels)) q = 1;

  const int bw = std::max(1, Round(w * q));
  const int bh = std::max(1, Round(h * q));
  TBitmap work(bw, bh);
  work.SetPixelFormat(pf32bit);
  TCanvas &canvas = work.Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(kKeyColor);
  canvas.FillRect(Rect(0, 0, bw, bh));
  canvas.StretchDraw(FrameRect(0, 0, bw, bh, fInfo.Reverse, fInfo.TurnUpside), aGraphic);
  work.SetPixel(0, bh - 1, kKeyColor);
  work.SetTransparentColor(kKeyColor);
  work.SetTransparent(true);
  if (!IsNoTurn(angle)) RotateBitmap(work, angle);

  if (q > 1) {
    TBitmap reduced(std::max(1, Round(work.Width() / q)), std::max(1, Round(work.Height() / q)));
    ResampleBitmap(reduced, work, kKeyColor);
    reduced.SetTransparentColor(kKeyColor);
    reduced.SetTransparent(true);
    aCanvas.Draw(fInfo.Rect.Left, fInfo.Rect.Top, reduced);
  } else {
    aCanvas.Draw(fInfo.Rect.Left, fInfo.Rect.Top, work);
  }
  HoldOwnerPicture();
}

} // namespace lumora
