#pragma once
// The still-picture store: the pictures shown by still-picture objects, each
// held once and keyed by the path it was found under, with use counts for
// saving a book; the still entries of a book's image list; stills made from
// the clipboard; and the rendering of a still for a frame size, angle,
// mirror and upside-down state.
//
// A still entry (little-endian):
//   Int32 4, "Info";
//   text string: the path, in code page 932;
//   24-byte frame block: Int32 width, Int32 height, Double 0.0, one byte 0,
//   seven zero bytes;
//   Int32 s, then s bytes: one tagged picture (see MetaStream.h).
// Older entries lack the leading "Info": the path comes first, optionally
// followed by "Info" and the frame block.
//
// A still writes back exactly the picture bytes it holds (read from the book
// or from the picture file when it was made), so saving never depends on the
// picture files still being where they were. Entries whose picture carries
// a tag the stream does not know (such as "swf") give a still without a
// picture whose bytes are still written back unchanged.
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TCanvas;
class TGraphic;

// How a still is to be drawn.
struct TStillInfo {
  TRect Rect;
  int32_t Width = 0; // the frame
  int32_t Height = 0;
  double Angle = 0; // radians, clockwise on the screen
  bool Reverse = false;
  bool TurnUpside = false;
  int32_t Transparency = 0;
};

// The kind of a still's picture, which decides how its object draws it.
enum class TStillGraphicClass { None, Metafile, Png, Bitmap };

// The name of the blank placeholder still.
inline constexpr QStringView kDummyStillName = u"no_File__Dummy";

// One still picture: the stream's content is the picture in tagged form.
class TStill_ : public TMetaStream {
public:
  ~TStill_() override;

  QString fFilePath; // the path the picture was found under: the key
  int32_t fUseCount = 0;
  int32_t FWidth = 0; // the picture's size
  int32_t FHeight = 0;
  bool CreateResult = false; // the picture was made and may be stored
  TStillGraphicClass GraphicClass = TStillGraphicClass::None;

  // Loads the tagged picture from the start of the content into aPict.
  virtual void LoadImage(TPicture &aPict) = 0;
  // Writes one still entry.
  virtual void SaveToStream(TStream &aStream) const = 0;
  // aGraphic becomes a bitmap holding the still rendered for aInfo.
  virtual void DrawBitmap(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) = 0;
  // aGraphic becomes a metafile holding the picture sized to the frame
  // (mirrored by a negative width, flipped by a negative height); a turned
  // still or a raster picture goes as DrawBitmap.
  virtual void DrawMetaFile(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) = 0;
  // aGraphic becomes a PNG image of the picture (unturned) or of the still
  // rendered for aInfo.
  virtual void DrawPNG(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) = 0;
  // Draws the still into aPolygon (eight points in the grab-rectangle
  // layout, already zoomed and placed) on aCanvas at aZoom; the frame and
  // bounds in aInfo are taken from the polygon.
  virtual void ZoomDraw(TCanvas &aCanvas, TStillInfo aInfo, std::span<const TRealPoint> aPolygon,
                        double aZoom) = 0;

  // Whether the picture decodes. A still read from a book whose picture
  // header gives its size (or whose entry stores it) is decoded only when
  // first drawn; until then it is unchecked. The store's lookups pass over
  // a bad still; its bytes stay as they are.
  enum class TCheck { Unchecked, Good, Bad };
  TCheck Check() const { return fCheck; }

  // The picture decoded from the content, decoded once and kept; nullptr
  // when the content holds none or does not decode (the still is then
  // bad).
  const TGraphic *Graphic();
  // Decodes the picture now when it is unchecked; raises when it does not
  // decode, and the still is then bad.
  void CheckPicture();

protected:
  TStill_() = default;

  // Replaces the content by the graphic in tagged form and takes its size.
  void SetContent(const TGraphic &aGraphic);
  // Replaces the content by tagged picture bytes.
  void SetContentBytes(const QByteArray &aBytes);

  TCheck fCheck = TCheck::Good;

private:
  std::unique_ptr<TPicture> fDecoded; // made at the first Graphic()
};

// Gives the still operations their bodies; the descendants differ only in
// how they are made.
class TCustomStill : public TStill_ {
public:
  void LoadImage(TPicture &aPict) override;
  void SaveToStream(TStream &aStream) const override;
  void DrawBitmap(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) override;
  void DrawMetaFile(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) override;
  void DrawPNG(std::unique_ptr<TGraphic> &aGraphic, const TStillInfo &aInfo) override;
  void ZoomDraw(TCanvas &aCanvas, TStillInfo aInfo, std::span<const TRealPoint> aPolygon,
                double aZoom) override;

protected:
  TCustomStill() = default;
};

// A still loaded from a picture file. Raises "Can't Open File(" + aFName +
// ")" when no file is found (see StillFilePath) and "No Graphic File(" +
// aFName + ")" when it holds no picture the program reads.
class TStill_File : public TCustomStill {
public:
  explicit TStill_File(const QString &aFName);
};

// A still read from one still entry at the stream's position. A picture
// size that is negative or beyond the stream's end raises EReadError.
// While ReloadPictures() is set, the picture is loaded again from its file
// when that file can be read; otherwise the stored picture is kept.
class TStill_Stream : public TCustomStill {
public:
  explicit TStill_Stream(TStream &aStream);
};

// A still of the clipboard's picture, named as described at
// TClipboardInfo. Raises "No Graphic ClipBoard" when the clipboard offers
// no picture.
class TStill_ClipBoard : public TCustomStill {
public:
  TStill_ClipBoard();
};

// A blank white 50 x 50 bitmap named kDummyStillName.
class TStill_Dummy : public TCustomStill {
public:
  TStill_Dummy();
};

// A still rendered for one TStillInfo: the picture oversampled (up to twice
// the frame), mirrored, flipped and rotated on the key colour, then reduced
// by area averaging. Its transparent colour is the key colour.
class TStillBitmap : public TBitmap {
public:
  explicit TStillBitmap(const TStillInfo &aInfo);
  // Renders aPicture for fInfo; a frame below 1 x 1 leaves the bitmap empty.
  void Render(const TGraphic &aPicture);

  TStillInfo fInfo;
};

// The store base: an ordered list of stills. A store owns the stills it
// made or read; stills it lists from a parent store stay the parent's.
class TStillMaker_ {
public:
  TStillMaker_() = default;
  TStillMaker_(const TStillMaker_ &) = delete;
  TStillMaker_ &operator=(const TStillMaker_ &) = delete;
  virtual ~TStillMaker_();

  int Count() const { return int(FList.size()); }
  // The still at index (store order).
  TStill_ *Items(int index) const { return FList.at(size_t(index)).still; }

  // Reads one still entry and adds it; answers the still the store now
  // holds for its path (an earlier one of the same path wins). Raises when
  // the entry cannot be read; the store is then unchanged.
  TStill_ *_Create(TStream &pStream);
  // Raises the use count of the still FindStill gives (else of a bad still
  // of that name, so that its bytes are saved as read); the new count, 0
  // when there is none.
  int IncUseCount(const QString &aFName);
  // Every use count to 0.
  void ClearUseCount();
  // Removes every still whose use count is 0 or less.
  void PackImage();
  // Removes every still.
  void Clear();

  // Decodes the still's picture once and records its kind: metafile, PNG
  // or (anything else) bitmap. Raises when the picture does not decode.
  virtual void SetGraphicClass(TStill_ &aStill) = 0;
  // Adds a still whose path is not empty and that FindStill does not find,
  // recording its kind first when unset. Answers the still the store holds
  // for that path: aStill, or the one found (aStill is then freed); nullptr
  // for an empty path. A still found unchecked is decoded first: the first
  // good still of a path wins.
  virtual TStill_ *AddStill(std::unique_ptr<TStill_> aStill) = 0;
  // In store order, the first still that is not bad whose path equals
  // aName or occurs inside it; nullptr for an empty name.
  virtual TStill_ *FindStill(const QString &aName) const = 0;
  // The still of aFName: the one held, else loaded from its file; an empty
  // name takes the clipboard's picture, else the blank placeholder (which
  // also becomes the placing name). nullptr when the file cannot be loaded.
  virtual TStill_ *_Create(const QString &aFName);

protected:
  struct TEntry {
    TStill_ *still;
    std::unique_ptr<TStill_> owned; // empty for a still listed from a parent
  };
  // Appends a still owned by this store / listed from another store.
  TStill_ *Append(std::unique_ptr<TStill_> aStill);
  void AppendListed(TStill_ *aStill);

  std::vector<TEntry> FList;
};

class TStillMaker : public TStillMaker_ {
public:
  // A store that looks up a still it cannot make in aParentMaker.
  explicit TStillMaker(TStillMaker *aParentMaker = nullptr);

  using TStillMaker_::_Create;
  void SetGraphicClass(TStill_ &aStill) override;
  TStill_ *AddStill(std::unique_ptr<TStill_> aStill) override;
  TStill_ *FindStill(const QString &aName) const override;
  // As the base; when that gives none and there is a parent, the parent's
  // still of that name, which is also listed here (the parent keeps it).
  TStill_ *_Create(const QString &aFName) override;

  TStillMaker *Parent() const { return FParentMaker; }
  void SetParent(TStillMaker *aParentMaker) { FParentMaker = aParentMaker; }

private:
  TStillMaker *FParentMaker = nullptr;
};

// The last picture taken from the clipboard as a still. A clipboard still is
// named "ClipBoard_" + the date and time (the user's short date and long
// time format) + ".bmp"; a later one keeps the last name when both are
// bitmaps of the same size with equal pixels. Two different pictures taken
// within one second get the suffixes "_2", "_3", ... before ".bmp".
struct TClipboardInfo {
  QString FileName;
  TPicture tempPicture;
  // The name without suffix last formed, and its count of pictures.
  QString NameBase;
  int NameCount = 0;
};

// The first existing file for a still's name: aFName itself; the data
// folder (shared documents folder + the data folder name) + "/" + aFName;
// the program folder + aFName; the program folder + the bare name; the
// current folder + "/" + the bare name. Backslashes count as separators.
// The empty string when none exists (or aFName is empty).
QString StillFilePath(const QString &aFName);

// The still stores of the program, a store of the program's context: the
// program-wide still store, the stores the user-part board puts in its
// place, the last clipboard picture and the clock that names clipboard
// stills.
class TStillStores {
public:
  // Makes the program-wide store.
  TStillStores();
  // Frees the board's stores before the ones they keep.
  ~TStillStores();
  TStillStores(const TStillStores &) = delete;
  TStillStores &operator=(const TStillStores &) = delete;

  // [0] the program-wide store; a store put in place by the user-part board
  // follows the one it keeps aside.
  std::vector<std::unique_ptr<TStillMaker>> Stores;
  TClipboardInfo Clipboard;
  std::function<QDateTime()> Clock;
};

// The still store in use: the program-wide one, or the user-part board's.
TStillMaker &StillMaker();
// Keeps the program-wide store aside and puts in its place a new empty store
// whose parent is the kept one (the user-part board's store); answers it.
TStillMaker &PutBoardStillMaker();
// Frees the board's store (its own stills; those it listed from the kept
// store stay there) and puts the kept store back. Does nothing when no
// store was put in place.
void RestoreStillMaker();
// Puts fresh still stores in place (every store freed, the last clipboard
// picture and the clock forgotten); for tests that need the pictures
// forgotten mid-way.
void ResetStillMaker();
// The program-wide last clipboard picture.
TClipboardInfo &ClipboardInfo();
// The clock that names clipboard stills; an empty function restores the
// real one (tests pin it).
void SetStillClock(std::function<QDateTime()> aClock);

} // namespace lumora
