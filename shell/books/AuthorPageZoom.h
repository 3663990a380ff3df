#pragma once
// The zoom of the author page: while a page is open at a zoom other than 1,
// its objects' geometry is scaled in place, so that drawing, hit tests and
// grips all work in screen pixels; closing the page puts the geometry back.
// A point the teacher moved while zoomed keeps the move; an untouched point
// returns exactly, without drift.
#include <vector>

#include "core/book/MetaBook.h"
#include "core/geometry/Geometry.h"

namespace lumora {

class TCommonObj;
class TMetaPage;

// One zoomed object and its polygon as it was when the page opened.
class TOrgObj {
public:
  explicit TOrgObj(TCommonObj *aObj);
  // Every point times aZoom; nothing within 0.0005 of 1.
  void Zoom(long double aZoom);
  // Every point divided by aZoom; a point that then lies within 0.0005 of
  // its recorded place takes that place exactly.
  void UnZoom(long double aZoom);
  TCommonObj *Obj() const { return fObj; }

private:
  // Makes the object again from its new points.
  static void UpDate(TCommonObj *aObj);

  TCommonObj *fObj;
  std::vector<TRealPoint> fPolygon;
};

// Opens and closes the author pages at the system zoom.
class TOpenAuthorPage {
public:
  // Records every object of aPage (and of the compounds in it, but not
  // animated ones) and zooms them by the system zoom.
  void Open(TMetaPage *aPage);
  // Puts every recorded object back and forgets them.
  void Close();
  int Count() const { return int(FOrgObjes.size()); }

private:
  TMetaPage *FPage = nullptr;
  std::vector<TOrgObj> FOrgObjes;
  long double FOpenZoom = 1.0L;
};

// Fits the author page to the panel that shows it: the page's longer side
// fills the panel.
class TAuthPageZoomEx : public TPageZoom {
public:
  // Remembers the book's current page.
  TAuthPageZoomEx(IGraphicPanel *aPanel, TMetaBook *aParent);
  // Opens page aNo and zooms it for the panel.
  void OpenPage(TMetaPage *aPage, int aNo) override;
  // After the panel changed its size: the common and the work page shown
  // at the zoom the panel now asks for.
  void ResizePage() override;
  // The work page at the zoom of the panel, or made again at its own.
  void ZoomPage() override;
  void SetPanel(IGraphicPanel *aPanel) { FGraphicPanel = aPanel; }
  // The zoom the panel asks for: false when neither the work page's nor
  // the system zoom changes; aDelta the factor from the page's zoom.
  bool ComputeZoom(long double &aDelta);
  int Page() const { return FPage; }

private:
  int FPage = 0;
};

// The program's page opener, made with the author book; null while there
// is none.
TOpenAuthorPage *AuthorPageOpener();
void SetAuthorPageOpener(TOpenAuthorPage *aOpener);

} // namespace lumora
