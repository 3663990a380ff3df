#pragma once
// A picture holder owning at most one graphic, as the platform's picture
// object: asking for the bitmap or the icon replaces a graphic of another
// class by a new empty one of that class.
#include <memory>

#include "platform/graphics/Graphic.h"

namespace lumora {

class TBitmap;
class TIcon;

class TPicture {
public:
  TPicture();
  TPicture(const TPicture &other);
  TPicture &operator=(const TPicture &other);
  ~TPicture();

  TGraphic *Graphic() const { return graphic_.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  TBitmap &Bitmap();
  TIcon &Icon();
  // Holds a copy of the graphic (with its original file bytes).
  void Assign(const TGraphic &graphic);
  void Clear() { graphic_.reset(); }

  int Width() const;
  int Height() const;

private:
  std::unique_ptr<TGraphic> graphic_;
};

} // namespace lumora
