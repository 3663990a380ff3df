#include "core/pictures/StillFactory.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "core/model/CoreContext.h"
#include "core/pictures/BitmapUnit.h"
#include "core/system/SysContext.h"
#include "core/system/Utilities.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PngImage.h"
#include "platform/system/Exception.h"
#include "platform/system/LittleEndian.h"
#include "platform/ui/Clipboard.h"

namespace lumora {

namespace {

constexpr int kFrameBlockSize = 24;
constexpr int32_t kMaxPathLength = 100000;
constexpr int32_t kMaxHeadLength = 5;
constexpr int kDummySide = 50;
const QString kInfoHead = QStringLiteral("Info");

int32_t ReadInt32(TStream &aStream) {
  uint8_t bytes[4];
  CheckReadable(aStream, 4);
  aStream.ReadBuffer(bytes, 4);
  return le::Get<int32_t>(bytes);
}

// The frame block: its first two Int32 are the width and the height.
void ReadFrame(TStream &aStream, int32_t &aWidth, int32_t &aHeight) {
  uint8_t block[kFrameBlockSize];
  CheckReadable(aStream, kFrameBlockSize);
  aStream.ReadBuffer(block, kFrameBlockSize);
  aWidth = le::Get<int32_t>(block);
  aHeight = le::Get<int32_t>(block + 4);
}

TStillGraphicClass ClassOf(const TGraphic *aGraphic) {
  if (dynamic_cast<const TMetafile *>(aGraphic)) return TStillGraphicClass::Metafile;
  if (dynamic_cast<const TPngImage *>(aGraphic)) return TStillGraphicClass::Png;
  return TStillGraphicClass::Bitmap;
}

// The class ClassOf gives the decoded picture of a tag: an "emf" picture
// decodes to a metafile, a "png" one to a PNG image, every other tag to a
// bitmap, a JPEG picture or an icon, or to nothing.
TStillGraphicClass ClassOfTag(const QString &aTag) {
  if (aTag == u"emf") return TStillGraphicClass::Metafile;
  if (aTag == u"png") return TStillGraphicClass::Png;
  return TStillGraphicClass::Bitmap;
}

// Whether a still matches a name as FindStill looks it up.
bool Matches(const TStill_ &aStill, const QString &aName) {
  const QString &path = aStill.fFilePath;
  return path == aName || (!path.isEmpty() && aName.contains(path));
}

// A picture file loaded by its extension; nullptr when the extension names
// no picture kind or the file does not hold one.
std::unique_ptr<TGraphic> LoadPictureFile(const QString &aPath) {
  const QString ext = FileExtOf(aPath);
  // The platform's picture loader takes ".ico" besides the stored kinds.
  const QString kind =
      ext.compare(u".ico", Qt::CaseInsensitive) == 0 ? QStringLiteral("ICON") : FileKindOfExt(ext);
  std::unique_ptr<TGraphic> graphic = CreateGraphicOfKind(kind);
  if (!graphic) return nullptr;
  try {
    graphic->LoadFromFile(aPath);
  } catch (const Exception &) {
    return nullptr;
  }
  if (graphic->Empty()) return nullptr;
  return graphic;
}

// Books written on Windows hold backslashes.
QString OnDisk(const QString &aPath) {
  QString path = aPath;
  path.replace(u'\\', u'/');
  return path;
}

// A time format without its time-zone fields (the platform's long time
// format is the time with seconds).
QString WithoutZone(const QString &aFormat) {
  QString out;
  bool quoted = false;
  for (const QChar c : aFormat) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') continue;
    out += c;
  }
  return out.trimmed();
}

bool SameBitmap(const TGraphic *aLast, const TGraphic *aNew) {
  const auto *last = dynamic_cast<const TBitmap *>(aLast);
  const auto *now = dynamic_cast<const TBitmap *>(aNew);
  if (!last || !now || last->Width() != now->Width() || last->Height() != now->Height())
    return false;
  return last->Image().convertToFormat(QImage::Format_ARGB32) ==
         now->Image().convertToFormat(QImage::Format_ARGB32);
}

TStillStores &State() {
  return TCoreContext::Get().Store<TStillStores>();
}

QDateTime Now() {
  const auto &clock = State().Clock;
  return clock ? clock() : QDateTime::currentDateTime();
}

// The name of a clipboard picture that differs from the last one.
QString NewClipboardName(TClipboardInfo &aInfo) {
  const QDateTime now = Now();
  const QLocale locale = QLocale::system();
  const QString base =
      QStringLiteral("ClipBoard_") + locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
      locale.toString(now.time(), WithoutZone(locale.timeFormat(QLocale::LongFormat)));
  if (base == aInfo.NameBase) {
    ++aInfo.NameCount;
  } else {
    aInfo.NameBase = base;
    aInfo.NameCount = 1;
  }
  const QString suffix = aInfo.NameCount > 1 ? u'_' + QString::number(aInfo.NameCount) : QString();
  return base + suffix + QStringLiteral(".bmp");
}

// The frame mirrored and flipped as asked: a rectangle whose left lies right
// of its right draws mirrored.
TRect FrameAt(TPoint aAt, int aWidth, int aHeight, bool aReverse, bool aTurnUpside) {
  TRect r = Bounds(aAt.X, aAt.Y, aWidth, aHeight);
  if (aReverse) std::swap(r.Left, r.Right);
  if (aTurnUpside) std::swap(r.Top, r.Bottom);
  return r;
}

// Keeps the graphic when it is of class G, else replaces it by a new one.
template <class G> G &GraphicOfClass(std::unique_ptr<TGraphic> &aGraphic) {
  if (auto *g = dynamic_cast<G *>(aGraphic.get())) return *g;
  auto made = std::make_unique<G>();
  G &result = *made;
  aGraphic = std::move(made);
  return result;
}

// A copy of the metafile (a TSafetyMetafile) drawn at aWidth x aHeight.
std::unique_ptr<TMetafile> SizedMetafile(const TMetafile &aMetafile, int aWidth, int aHeight) {
  auto sized = std::make_unique<TSafetyMetafile>();
  static_cast<TMetafile &>(*sized) = aMetafile;
  sized->SetWidth(aWidth);
  sized->SetHeight(aHeight);
  return sized;
}

} // namespace

// ---- TStill_ ----

TStill_::~TStill_() = default;

const TGraphic *TStill_::Graphic() {
  if (fCheck == TCheck::Bad) return nullptr;
  if (!fDecoded) {
    try {
      CheckPicture();
    } catch (const Exception &) {
      return nullptr;
    }
  }
  const TGraphic *graphic = fDecoded->Graphic();
  return graphic && !graphic->Empty() ? graphic : nullptr;
}

void TStill_::CheckPicture() {
  if (fDecoded) return;
  if (fCheck == TCheck::Bad)
    throw Exception(QStringLiteral("No Graphic File(") + fFilePath + QStringLiteral(")"));
  auto picture = std::make_unique<TPicture>();
  try {
    LoadImage(*picture);
  } catch (const Exception &) {
    fCheck = TCheck::Bad;
    throw;
  }
  fDecoded = std::move(picture);
  fCheck = TCheck::Good;
}

void TStill_::SetContent(const TGraphic &aGraphic) {
  Clear();
  SaveGraphic(&aGraphic);
  SetPosition(0);
  FWidth = std::abs(aGraphic.Width());
  FHeight = std::abs(aGraphic.Height());
  fDecoded.reset();
  fCheck = TCheck::Good;
}

void TStill_::SetContentBytes(const QByteArray &aBytes) {
  SetBytes(aBytes);
  SetPosition(0);
  fDecoded.reset();
  fCheck = TCheck::Unchecked;
}

// ---- TCustomStill ----

void TCustomStill::LoadImage(TPicture &aPict) {
  if (Size() == 0) return; // an entry without a picture
  SetPosition(0);
  LoadPict(&aPict);
}

void TCustomStill::SaveToStream(TStream &aStream) const {
  if (Size() > std::numeric_limits<int32_t>::max())
    throw EWriteError(QStringLiteral("Stream write error"));
  WriteSizedString(aStream, kInfoHead);
  WriteSizedString(aStream, fFilePath);
  // Width, height, a Double 0.0, a byte 0 and seven bytes of padding.
  uint8_t block[kFrameBlockSize] = {};
  le::Put<int32_t>(block, FWidth);
  le::Put<int32_t>(block + 4, FHeight);
  aStream.WriteBuffer(block, kFrameBlockSize);
  uint8_t size[4];
  le::Put<int32_t>(size, int32_t(Size()));
  aStream.WriteBuffer(size, 4);
  if (Size() > 0) aStream.WriteBuffer(Memory(), Size());
}

void TCustomStill::DrawBitmap(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) {
  TBitmap &bitmap = GraphicOfClass<TBitmap>(aGraphic);
  TStillBitmap still(aInfo);
  if (const TGraphic *picture = Graphic()) still.Render(*picture);
  bitmap = still;
}

void TCustomStill::DrawMetaFile(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) {
  const TGraphic *picture = Graphic();
  const auto *metafile = dynamic_cast<const TMetafile *>(picture);
  if (!metafile || !IsNoTurn(aInfo.Angle)) {
    DrawBitmap(aGraphic, aInfo);
    return;
  }
  std::unique_ptr<TMetafile> sized =
      SizedMetafile(*metafile, aInfo.Reverse ? -aInfo.Width : aInfo.Width,
                    aInfo.TurnUpside ? -aInfo.Height : aInfo.Height);
  aGraphic = std::move(sized);
}

void TCustomStill::DrawPNG(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) {
  TPngImage &png = GraphicOfClass<TPngImage>(aGraphic);
  const TGraphic *picture = Graphic();
  if (!picture) {
    png.SetImage(QImage());
    return;
  }
  if (IsNoTurn(aInfo.Angle)) {
    // The picture at its own size, mirrored and flipped as asked (the
    // platform's picture would be drawn unmirrored).
    png.Assign(*picture);
    if (aInfo.Reverse || aInfo.TurnUpside)
      png.SetImage(png.Image().mirrored(aInfo.Reverse, aInfo.TurnUpside));
    return;
  }
  TStillBitmap still(aInfo);
  still.Render(*picture);
  png.Assign(still);
}

void TCustomStill::ZoomDraw(TCanvas &aCanvas, TStillInfo aInfo,
                            std::span<const TRealPoint> aPolygon, double aZoom) {
  if (aPolygon.size() < 8) return;
  aInfo.Rect = RealPointsBounds(aPolygon);
  aInfo.Width = Round(RealDistance(aPolygon[4], aPolygon[5]));
  aInfo.Height = Round(RealDistance(aPolygon[6], aPolygon[7]));
  const TGraphic *picture = Graphic();
  if (!picture) return;
  const bool upright = IsNoTurn(aInfo.Angle);

  if (GraphicClass == TStillGraphicClass::Png) {
    if (upright) {
      aCanvas.StretchDraw(FrameAt(aInfo.Rect.TopLeft(), aInfo.Rect.Width(), aInfo.Rect.Height(),
                                  aInfo.Reverse, aInfo.TurnUpside),
                          *picture);
      return;
    }
    TStillBitmap still(aInfo);
    still.Render(*picture);
    TPngImage png;
    png.Assign(still);
    aCanvas.StretchDraw(aInfo.Rect, png);
    return;
  }

  if (upright) {
    aCanvas.StretchDraw(
        FrameAt(aInfo.Rect.TopLeft(), aInfo.Width, aInfo.Height, aInfo.Reverse, aInfo.TurnUpside),
        *picture);
  } else if (aZoom > 1) {
    // A metafile is drawn at the frame's size; a raster picture at its own.
    if (const auto *metafile = dynamic_cast<const TMetafile *>(picture)) {
      const std::unique_ptr<TMetafile> sized = SizedMetafile(*metafile, aInfo.Width, aInfo.Height);
      sized->SetTransparent(true);
      DrawGraphicEx(aCanvas, aInfo.Rect, *sized, aInfo.Angle, aInfo.Reverse, aInfo.TurnUpside);
    } else {
      DrawGraphicEx(aCanvas, aInfo.Rect, *picture, aInfo.Angle, aInfo.Reverse, aInfo.TurnUpside);
    }
  } else {
    TStillBitmap still(aInfo);
    still.Render(*picture);
    aCanvas.Draw(aInfo.Rect.Left, aInfo.Rect.Top, still);
  }
}

// ---- The kinds of still ----

TStill_File::TStill_File(const QString &aFName) {
  const QString path = StillFilePath(aFName);
  if (path.isEmpty())
    throw EFOpenError(QStringLiteral("Can't Open File(") + aFName + QStringLiteral(")"));
  fFilePath = path;
  const std::unique_ptr<TGraphic> graphic = LoadPictureFile(OnDisk(path));
  if (!graphic) throw Exception(QStringLiteral("No Graphic File(") + aFName + QStringLiteral(")"));
  SetContent(*graphic);
  GraphicClass = ClassOf(graphic.get());
  CreateResult = true;
}

TStill_Stream::TStill_Stream(TStream &aStream) {
  const int64_t start = aStream.Position();
  QString head;
  ReadSizedString(aStream, kMaxHeadLength, head);
  bool framed = false;
  if (head == kInfoHead) {
    ReadSizedString(aStream, kMaxPathLength, fFilePath);
    ReadFrame(aStream, FWidth, FHeight);
    framed = true;
  } else {
    // The older layout: the path first, then perhaps "Info" and the block.
    aStream.SetPosition(start);
    ReadSizedString(aStream, kMaxPathLength, fFilePath);
    const int64_t at = aStream.Position();
    ReadSizedString(aStream, kMaxHeadLength, head);
    if (head == kInfoHead) {
      ReadFrame(aStream, FWidth, FHeight);
      framed = true;
    } else {
      aStream.SetPosition(at);
    }
  }
  const int32_t size = ReadInt32(aStream);
  if (size != 0) {
    CheckReadable(aStream, size); // a negative size is corrupt too
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    aStream.ReadBuffer(bytes.data(), size);
    SetContentBytes(bytes);
    if (TCoreContext::Started() && ReloadPictures()) {
      // The picture's file replaces the stored picture; a still whose file
      // is gone keeps what the book holds rather than losing it.
      try {
        const TStill_File reloaded(fFilePath);
        SetContentBytes(reloaded.Bytes());
        FWidth = reloaded.FWidth;
        FHeight = reloaded.FHeight;
        GraphicClass = reloaded.GraphicClass;
        fCheck = TCheck::Good; // the file's picture decoded as it was read
        framed = true;
      } catch (const Exception &) {
      }
    }
  }
  // A picture whose header gives its size is decoded when first drawn; any
  // other is decoded now, and one that does not decode is refused.
  QString tag;
  const QSize header = PictHeaderSize(&tag);
  if (GraphicClass == TStillGraphicClass::None) GraphicClass = ClassOfTag(tag);
  if (fCheck == TCheck::Unchecked && !header.isValid()) CheckPicture();
  if (!framed || FWidth <= 0 || FHeight <= 0) {
    // No usable size stored: take the picture's.
    if (header.isValid() && fCheck == TCheck::Unchecked) {
      FWidth = header.width();
      FHeight = header.height();
    } else if (const TGraphic *picture = Graphic()) {
      FWidth = std::abs(picture->Width());
      FHeight = std::abs(picture->Height());
    }
  }
  CreateResult = true;
}

TStill_ClipBoard::TStill_ClipBoard() {
  TPicture picture;
  if (!ClipboardGetPicture(picture) || !picture.Graphic() || picture.Graphic()->Empty())
    throw Exception(QStringLiteral("No Graphic ClipBoard"));
  const TGraphic &graphic = *picture.Graphic();
  TClipboardInfo &info = ClipboardInfo();
  if (info.FileName.isEmpty() || !SameBitmap(info.tempPicture.Graphic(), &graphic))
    info.FileName = NewClipboardName(info);
  SetContent(graphic);
  info.tempPicture.Assign(graphic);
  fFilePath = info.FileName;
  CreateResult = true;
}

TStill_Dummy::TStill_Dummy() {
  const TBitmap blank(kDummySide, kDummySide);
  SetContent(blank);
  fFilePath = kDummyStillName.toString();
  CreateResult = true;
}

// ---- TStillBitmap ----

TStillBitmap::TStillBitmap(const TStillInfo &aInfo) : fInfo(aInfo) {
  SetPixelFormat(pf32bit);
}

void TStillBitmap::Render(const TGraphic &aPicture) {
  SetSize(0, 0);
  const int w = fInfo.Width;
  const int h = fInfo.Height;
  if (w < 1 || h < 1 || aPicture.Empty()) return;
  const double pictureWidth = std::abs(aPicture.Width());
  const double pictureHeight = std::abs(aPicture.Height());
  const bool upright = IsNoTurn(fInfo.Angle);

  // Small or turned stills are drawn larger and reduced afterwards.
  double q = upright ? std::sqrt(pictureWidth * pictureHeight / (double(w) * h)) : 2.0;
  if (q > 2)
    q = 2;
  else if (q < 1.4)
    q = 1;

  TBitmap work;
  work.SetPixelFormat(pf32bit);
  work.SetSize(Round(w * q), Round(h * q));
  if (work.Empty()) return;
  work.SetTransparent(aPicture.Transparent());
  TCanvas &canvas = work.Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(kKeyColor);
  const TRect all = Rect(0, 0, work.Width(), work.Height());
  canvas.FillRect(all);
  canvas.StretchDraw(all, aPicture);
  if (fInfo.Reverse) MirrorBitmap(work);
  if (fInfo.TurnUpside) {
    const TBitmap unflipped(work);
    FlipBitmap(unflipped, work);
  }
  work.SetPixel(0, work.Height() - 1, kKeyColor);
  if (!upright) {
    work.SetTransparent(true);
    RotateBitmap(work, fInfo.Angle);
  }

  const bool transparent = work.Transparent();
  if (q > 1) {
    SetSize(std::max(1, Round(work.Width() / q)), std::max(1, Round(work.Height() / q)));
    ResampleBitmap(*this, work, kKeyColor);
  } else {
    TBitmap::operator=(work);
  }
  SetTransparentColor(kKeyColor);
  SetTransparent(transparent);
}

// ---- The stores ----

TStillMaker_::~TStillMaker_() = default;

TStill_ *TStillMaker_::Append(std::unique_ptr<TStill_> aStill) {
  TStill_ *still = aStill.get();
  FList.push_back({still, std::move(aStill)});
  return still;
}

void TStillMaker_::AppendListed(TStill_ *aStill) {
  FList.push_back({aStill, nullptr});
}

TStill_ *TStillMaker_::_Create(TStream &pStream) {
  return AddStill(std::make_unique<TStill_Stream>(pStream));
}

int TStillMaker_::IncUseCount(const QString &aFName) {
  TStill_ *still = FindStill(aFName);
  if (!still && !aFName.isEmpty()) {
    // A picture that did not decode keeps its place in the book.
    const auto bad = std::find_if(FList.begin(), FList.end(), [&](const TEntry &entry) {
      return Matches(*entry.still, aFName);
    });
    if (bad != FList.end()) still = bad->still;
  }
  return still ? ++still->fUseCount : 0;
}

void TStillMaker_::ClearUseCount() {
  for (const TEntry &entry : FList)
    entry.still->fUseCount = 0;
}

void TStillMaker_::PackImage() {
  std::erase_if(FList, [](const TEntry &entry) { return entry.still->fUseCount <= 0; });
}

void TStillMaker_::Clear() {
  FList.clear();
}

TStill_ *TStillMaker_::_Create(const QString &aFName) {
  if (TStill_ *found = FindStill(aFName)) return found;
  std::unique_ptr<TStill_> still;
  if (!aFName.isEmpty()) {
    try {
      still = std::make_unique<TStill_File>(aFName);
    } catch (const Exception &) {
      return nullptr;
    }
  } else {
    try {
      still = std::make_unique<TStill_ClipBoard>();
    } catch (const Exception &) {
      still = std::make_unique<TStill_Dummy>();
      if (TCoreContext::Started()) CreatingFileName() = kDummyStillName.toString();
    }
  }
  if (!still->CreateResult) return nullptr;
  return AddStill(std::move(still));
}

TStillMaker::TStillMaker(TStillMaker *aParentMaker) : FParentMaker(aParentMaker) {}

void TStillMaker::SetGraphicClass(TStill_ &aStill) {
  aStill.CheckPicture();
  aStill.GraphicClass = ClassOf(aStill.Graphic());
}

TStill_ *TStillMaker::AddStill(std::unique_ptr<TStill_> aStill) {
  if (!aStill || aStill->fFilePath.isEmpty()) return nullptr;
  TStill_ *found = FindStill(aStill->fFilePath);
  while (found && found->Check() == TStill_::TCheck::Unchecked) {
    found->Graphic();
    found = FindStill(aStill->fFilePath);
  }
  if (found) return found;
  if (aStill->GraphicClass == TStillGraphicClass::None) SetGraphicClass(*aStill);
  return Append(std::move(aStill));
}

TStill_ *TStillMaker::FindStill(const QString &aName) const {
  if (aName.isEmpty()) return nullptr;
  for (const TEntry &entry : FList)
    if (entry.still->Check() != TStill_::TCheck::Bad && Matches(*entry.still, aName))
      return entry.still;
  return nullptr;
}

TStill_ *TStillMaker::_Create(const QString &aFName) {
  TStill_ *still = TStillMaker_::_Create(aFName);
  if (still || !FParentMaker) return still;
  still = FParentMaker->FindStill(aFName);
  if (still) AppendListed(still);
  return still;
}

// ---- Finding files ----

QString StillFilePath(const QString &aFName) {
  const QString bare = BareFileName(aFName);
  if (bare.isEmpty()) return QString();
  const QString program = TSysContext::Started() ? ProgramFolder() : QString();
  // Made one after the other: asking for the data folder may warn that it
  // is missing, which a file found as named does not need.
  const std::function<QString()> candidates[] = {
      [&] { return aFName; },
      [&] { return GetDataFolder() + u'/' + aFName; },
      [&] { return program.isEmpty() ? QString() : program + aFName; },
      [&] { return program.isEmpty() ? QString() : program + bare; },
      [&] { return QDir::currentPath() + u'/' + bare; },
  };
  for (const auto &candidate : candidates) {
    const QString path = candidate();
    if (!path.isEmpty() && QFileInfo(OnDisk(path)).isFile()) return path;
  }
  return QString();
}

// ---- Program-wide state ----

TStillStores::TStillStores() {
  Stores.push_back(std::make_unique<TStillMaker>());
}

TStillStores::~TStillStores() {
  // The board's stores list stills of the stores they keep: free them first.
  while (!Stores.empty())
    Stores.pop_back();
}

TStillMaker &StillMaker() {
  return *State().Stores.back();
}

TStillMaker &PutBoardStillMaker() {
  TStillMaker &kept = StillMaker();
  auto &stores = State().Stores;
  stores.push_back(std::make_unique<TStillMaker>(&kept));
  return *stores.back();
}

void RestoreStillMaker() {
  auto &stores = State().Stores;
  if (stores.size() > 1) stores.pop_back();
}

void ResetStillMaker() {
  TCoreContext::Get().Put(std::make_unique<TStillStores>());
}

TClipboardInfo &ClipboardInfo() {
  return State().Clipboard;
}

void SetStillClock(std::function<QDateTime()> aClock) {
  State().Clock = std::move(aClock);
}

} // namespace lumora
