#pragma once
// The thumbnail object "サムネール": a small picture of the object it is
// linked to (a page, a user part). Every page owns one; the book makes one
// for the book file's thumbnail with the big cell's four grab points.
//
// The polygon holds four points: 0 and 1 the top-left and bottom-right
// corners of the whole cell, 2 and 3 those of the picture area. The picture
// is the maker's bitmap (GetGraphic); ReMake renders the linked object into
// it, fitted into the picture area on the face colour.
//
// TThumbnail is the base; TSmallThumb (59 x 69 cell, 41 x 41 picture) is
// the class registered under the kind, in both modes.
#include <QString>
#include <vector>

#include "core/drawable/DrawObj.h"
#include "core/model/CustomMaker.h"

namespace lumora {

class TBitmap;

class TThumbnail : public TDrawObj {
  LUMORA_ABSTRACT_OBJECT(TThumbnail, TDrawObj)
public:
  static constexpr const char16_t *kKindName = u"サムネール";
  // The frame colour command: one integer.
  static constexpr const char16_t *kFrameColorCommand = u"枠色";

  static TObjInfo GetObjInfo();
  static TObjParam DefaultParam();

  // No executor in either mode: the maker is made by the constructor.
  void CreateMode(TSysMode) override {}
  // "枠色" sets the frame colour (True); any other command False.
  bool Data(const QString &aCommand, const QVariantList &aArg) override;
  // Renders the linked object into the picture; nothing without one.
  void ReMake() override;
  // Itself when visible and the point (rounded half away from zero) lies in
  // the picture area; else null.
  TCommonObj *Search(TRealPoint aPos, TSearch aKind) override;
  using TDrawObj::DrawObj;
  // A thumbnail draws through its maker's picture only.
  void DrawObj(TCanvas &, std::span<const TRealPoint>) override {}
  bool CheckForm(int, std::span<const TRealPoint>, TPoint &) override { return true; }

  // The picture area: polygon points 2 and 3, rounded half away from zero.
  TRect PictureRect() const;
  // Takes the four cell points (the extra ones are ignored).
  void SetCell(std::span<const TRealPoint> aPoints);

  QString ObjName; // the kind a choice of the thumbnail creates
  QString Hint;
  QString Caption;
  QString FilePath;
  TRect OrgRect;               // the picture's default size (its width only counts)
  TColor WakuColor = 0xFFFFFF; // the frame colour

protected:
  TThumbnail() = default;
  // The default cell of the class, its bounds, the maker TMakeThumbnail, no
  // snap radius; the click link is the drawable's.
  TThumbnail(const TObjParam &aParam, std::vector<TRealPoint> aCell);
};

// The small thumbnail: the registered class of the kind "サムネール".
class TSmallThumb : public TThumbnail {
  LUMORA_OBJECT(TSmallThumb, TThumbnail)
public:
  // (0, 0), (59, 69), (9, 7), (50, 48).
  static std::vector<TRealPoint> DefaultCell();

protected:
  TSmallThumb();
  explicit TSmallThumb(const TObjParam &aParam);
};

// The maker of a thumbnail: its picture is the rendered linked object.
class TMakeThumbnail : public TMakeBmpObj {
public:
  explicit TMakeThumbnail(TThumbnail *aSelf);

  // The four grab points become the cell; then the centre and the
  // rendering of the linked object.
  void ReMake(const TGrabRect &aGrab) override;
  // The bounds of the polygon; the link centre is the middle of points 0
  // and 1.
  void SetCenter() override;
  // SetCenter, then a repaint of the owner's area.
  void Update() override;

  // Renders the owner's linked object into the picture: scaled to the
  // picture area keeping its aspect (at the system zoom), oversampled and
  // averaged down when smaller than 0.23 of its size, on the face colour
  // (the key colour $FF00FF for none), then fitted into the picture area.
  void Render();
  // Fits aPicture into the picture area: centred and scaled to fit on the
  // face colour, or taken unscaled when it fits exactly.
  void FitPicture(const TBitmap &aPicture);

private:
  TThumbnail *Thumb() const;
};

} // namespace lumora
