#pragma once
// The stamp picture store. Many stamps of a book share few pictures, so
// every picture is held once, in memory, in one program-wide store keyed by
// its bare file name; stamp objects keep only the name (their Param.Text).
// The store also counts which pictures the book being saved uses, so that
// the book file carries exactly those in its stamp list.
//
// A stored picture (TStamp_) is a document stream whose content is one
// tagged picture (tag string, Int32 size, the picture file's bytes). The
// bytes are those read from the picture file or from the book, and saving
// writes exactly them: a book saved where the picture files are missing
// keeps every picture it carries.
//
// Stamp entry (one entry of the book file's stamp list), little-endian:
//   Int32 n, n code page 932 bytes: the bare file name (no terminator)
//   Int32 s: the size of the tagged picture that follows (0: none)
//   s bytes: the tagged picture
//
// TStillbmp is the render cache of one stamp-faced object: it remembers
// how the object's picture was last rendered, so that a stamp that only
// moved is drawn from its recorded picture instead of being rendered again.
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "core/geometry/Geometry.h"
#include "core/stream/MetaStream.h"
#include "platform/graphics/Types.h"

namespace lumora {

class TCanvas;
class TCommonObj;
class TGraphic;
class TPicture;
class TStillbmp;

// The picture shown for a stamp whose file is missing, looked up in the
// program folder's "Stamp" folder.
inline constexpr QStringView kPlaceholderStamp = u"question.EMF";

// How a stamp is to be rendered; also the key of the render cache.
struct TStampInfo {
  TRect Rect;              // the bounds of the object's polygon
  int Width = 0;           // the frame's width and height (the picture
  int Height = 0;          // is stretched to them before it is turned)
  double Angle = 0;        // radians, as a bearing (positive turns clockwise)
  bool Reverse = false;    // mirrored left-right
  bool TurnUpside = false; // turned upside down
  int Transparency = 0;    // percent
  bool Empty = true;       // a redraw is forced
};

// The file of a stamp picture, given a name that may carry a folder part
// ('\' or '/'): the first existing file among
//   1. the program folder + the name with its folder part;
//   2. the user stamp folder + the bare name;
//   3. the name with its folder part (relative to the current folder);
//   4. the program folder + the bare name;
//   5. the current folder + the bare name;
//   6. the current folder + "Image/" + the bare name;
//   7. the program folder + "Stamp/" + kPlaceholderStamp.
// The empty string when none exists or the bare name is empty. The program
// folder is skipped while the system state has not started, the user stamp
// folder while it is not set.
QString StampFilePath(const QString &aName);

// One stored stamp picture.
class TStamp_ : public TMetaStream {
public:
  ~TStamp_() override;

  // The bare file name: the key in the store.
  const QString &FileName() const { return fFileName; }
  // How many stamp objects of the book being saved use it.
  int UseCount() const { return fUseCount; }
  // The picture's size in pixels.
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // Loads the tagged picture into the holder (an empty holder when the
  // content has none).
  virtual void LoadImage(TPicture &aPict) = 0;
  // Writes the stamp entry (see the unit comment).
  virtual void SaveToStream(const QString &aHolder, TStream &aStream) = 0;
  // Writes the stamp entry of the picture as a PNG picture, under the bare
  // name with the extension ".png".
  virtual void SavePngToStream(const QString &aHolder, TStream &aStream) = 0;
  // Never given: raises EAbstractError.
  virtual void SaveSvgToStream(const QString &aHolder, TStream &aStream);
  // Renders the picture for the object's own picture; aCanvas has its
  // origin at the object's top-left. aBitmap is the object's render cache.
  virtual void Draw(TCanvas &aCanvas, TStillbmp &aBitmap, const TStampInfo &aInfo) = 0;
  // Renders the picture straight onto a canvas for the zoomed, placed
  // polygon.
  virtual void ZoomDraw(TCanvas &aCanvas, const TStampInfo &aInfo,
                        std::span<const TRealPoint> aPolygon, double aZoom) = 0;

  // Whether the picture decodes. A stamp read from a book whose picture
  // header gives its size is decoded only when first drawn; until then it
  // is unchecked. The store's lookups pass over a bad stamp.
  enum class TCheck { Unchecked, Good, Bad };
  TCheck Check() const { return fCheck; }
  // The picture decoded for drawing (see LoadImage), decoded at the first
  // call and kept; nullptr when the content holds none, and the stamp is
  // then bad. Its bytes stay as they are.
  const TGraphic *Decoded();

protected:
  TStamp_() = default;

  QString fFileName;
  int fUseCount = 0;
  int FWidth = 0;
  int FHeight = 0;
  TCheck fCheck = TCheck::Good;
  std::unique_ptr<TPicture> fDecoded; // made at the first Decoded()

  friend class TStampMaker_;
};

class TStampImage : public TStamp_ {
public:
  // The tagged picture, read from the start of the content.
  void LoadImage(TPicture &aPict) override;
  // WriteEntry under fFileName.
  void SaveToStream(const QString &aHolder, TStream &aStream) override;
  // A PNG picture is written as held; any other picture is drawn at its own
  // size onto a transparent PNG picture first.
  void SavePngToStream(const QString &aHolder, TStream &aStream) override;
  // 1. A metafile drawn upright (Angle 0 within 0.01) larger than 5183
  //    pixels is drawn straight onto the canvas at Width x Height, mirrored
  //    and flipped as asked, clipped to (0, 0, Width, Height).
  // 2. Anything else goes through the render cache (TStillbmp::Draw) with
  //    the info's Rect moved to the origin.
  // Either way the cache keeps the info.
  void Draw(TCanvas &aCanvas, TStillbmp &aBitmap, const TStampInfo &aInfo) override;
  // The frame follows from the polygon: with eight points (the grab layout)
  // Width = |P4P5| and Height = |P6P7| in the polygon's bounds; with four
  // upright points |P1P3| x |P0P2|; with fewer points and a turn, a square
  // on the diagonal P0P2 turned by its bearing. Upright: the picture
  // stretched into the frame at the top-left, mirrored and flipped as
  // asked. Turned: above zoom 1 through DrawGraphicEx, else through a
  // temporary render cache.
  void ZoomDraw(TCanvas &aCanvas, const TStampInfo &aInfo, std::span<const TRealPoint> aPolygon,
                double aZoom) override;
  // Writes one stamp entry: aName, then the picture bytes this store holds
  // (size 0 when it holds none). aHolder (the folder the book writer names,
  // "Stamp\") is not used: the picture is not read from disk again, so the
  // bytes written are those read when the picture was loaded.
  virtual void WriteEntry(const QString &aHolder, TStream &aStream, const QString &aName);

protected:
  // An empty picture: no name, count and size 0.
  TStampImage() = default;
};

// A stamp picture loaded from its file.
class TStamp_File : public TStampImage {
public:
  // Finds the file (StampFilePath); none raises Exception "Can't Open
  // File(" + aFName + ")". The name becomes the bare name of the file found
  // (a placeholder hit is stored as "question.EMF"). A file that holds no
  // picture of its extension's kind raises "No Graphic File(" + aFName +
  // ")".
  explicit TStamp_File(const QString &aFName);
};

// A stamp picture read from a stamp entry.
class TStamp_Stream : public TStampImage {
public:
  // Reads one entry at the stream's position. The name is read as a sized
  // string of at most 100000 bytes, cut at a NUL and to its bare name; a
  // size of 0 or below, more than the bytes left, or a picture that cannot
  // be read raises Exception "Can't Create Image(" + name + ")" (the stream
  // is then behind the size field, or behind the picture bytes, so the
  // next entry can be read). A refused name count raises the same with an
  // empty name.
  //
  // With ReloadPictures set, the picture is replaced by that of the file of
  // the entry's name when such a file exists and holds a picture; the
  // stored picture is kept otherwise (a missing file or only the
  // placeholder must not cost the book its picture).
  explicit TStamp_Stream(TStream &pStream);
};

// The store: an owning list of stamp pictures; removing frees.
class TStampMaker_ {
public:
  using TWindowSize = std::function<QSize()>;

  TStampMaker_();
  virtual ~TStampMaker_();
  TStampMaker_(const TStampMaker_ &) = delete;
  TStampMaker_ &operator=(const TStampMaker_ &) = delete;

  // The stored picture of that name (exactly, or by its bare name), else
  // the picture loaded from its file (TStamp_File, which may raise) and
  // added; when the loaded picture's bare name is stored already (the
  // placeholder, say) the stored one is answered. None for an empty name.
  // A stored picture found unchecked is decoded here (objects ask for their
  // picture as they draw): one that turns out bad is passed over.
  TStamp_ *_Create(const QString &aFName);
  // Reads one stamp entry (TStamp_Stream, which may raise) and adds it;
  // when its name is stored already the stored picture is kept and
  // answered. None for an entry with an empty name.
  TStamp_ *_Create(TStream &pStream);
  // Raises the count of the stored picture of that name (a bad one when no
  // other has that name, so that its bytes are saved as read); the new
  // count, 0 when it is not stored.
  int IncUseCount(const QString &aFName);
  // Every count to 0.
  void ClearUseCount();
  // Removes and frees every picture whose count is 0 or less.
  void PackImage();
  // The number of pictures with a count above 0.
  int UsedStamps() const;
  // The frame of a new stamp aSize pixels wide with height / width aRatio,
  // shrunk to fit the current book's window: (0, 0, width, Round(aRatio *
  // width)).
  TRect StampRect(int aSize, double aRatio) const;

  // Adds the picture when its name is not empty and not stored yet, and
  // answers the stored picture of that name (none for an empty name); a
  // picture not added is freed. A stored picture of that name still
  // unchecked is decoded first: the first good picture of a name wins.
  virtual TStamp_ *AddStamp(std::unique_ptr<TStamp_> aStamp) = 0;
  // The first picture whose name equals aName exactly and that is not bad;
  // none otherwise.
  virtual TStamp_ *FindStamp(const QString &aName) const = 0;

  // The pictures in store order.
  int Count() const { return int(FItems.size()); }
  TStamp_ *Items(int aIndex) const { return FItems.at(size_t(aIndex)).get(); }

  // The size of the current book's window, which new stamps must fit. The
  // book sets it when it is made (the book belongs to the book model);
  // until then the book's default window of 800 x 600 is answered.
  TWindowSize BookWindowSize;

protected:
  std::vector<std::unique_ptr<TStamp_>> FItems;
};

class TStampMaker : public TStampMaker_ {
public:
  TStamp_ *AddStamp(std::unique_ptr<TStamp_> aStamp) override;
  TStamp_ *FindStamp(const QString &aName) const override;
};

// The program-wide stamp store, in the program's context.
TStampMaker &StampMaker();
// Puts a fresh store in its place (freeing every picture and the
// window-size hook); for tests that need the pictures forgotten mid-way.
void ResetStampMaker();

// The render cache of one stamp-faced object.
class TStillbmp {
public:
  // aOwner: the page object whose maker records the rendering; none for a
  // temporary cache.
  explicit TStillbmp(TCommonObj *aOwner);

  // Whether nothing is cached: the cached width is below 1.
  bool Empty() const { return fInfo.Width < 1; }
  void SetEmpty() { fInfo.Width = 0; }
  // The info of the last rendering.
  const TStampInfo &Info() const { return fInfo; }
  void SetInfo(const TStampInfo &aInfo) { fInfo = aInfo; }
  // Whether a stamp of aInfo may be drawn from the recorded picture: the
  // owner's maker still holds the picture the last rendering went into,
  // aInfo is not Empty, has the cached width, height, mirror and
  // upside-down state, an angle within 0.01 of the cached one and no
  // transparency, and the cache is not empty.
  bool IsMove(const TStampInfo &aInfo) const;
  // Renders aGraphic for the cached info at the info's Rect top-left, the
  // key colour transparent: oversampled (up to twice) when small or
  // turned, mirrored, flipped, turned and reduced again. Then the cache
  // notes the owner maker's picture (HoldOwnerPicture).
  void Draw(TCanvas &aCanvas, const TGraphic &aGraphic);
  // Notes the picture the owner's maker holds now as the one the rendering
  // went into.
  void HoldOwnerPicture();

private:
  TCommonObj *fOwner;
  TStampInfo fInfo;
  // The owner maker's picture of the last rendering; not owned, and only
  // compared with what the maker holds.
  const TGraphic *FGraphic = nullptr;
};

} // namespace lumora
