#pragma once
// The base form: the hidden main form whose surface every page is painted
// on. A mode window makes it a child of its page area and shows it there;
// it is never a window of its own. It paints the current book's work page
// (common page, then the objects back to front) and the mouse handler's
// grips into its own canvas, and empties the temporary media folder when the
// program ends unless another copy still runs.
#include <QStringList>
#include <QWidget>

#include "core/book/PageCache.h"
#include "core/model/BaseWindow.h"
#include "platform/graphics/Bitmap.h"

namespace lumora {

class TBaseForm : public QWidget, public TBaseWindow {
  Q_OBJECT
public:
  // The form colour (clMedGray, $A4A0A0) and its design client size.
  static constexpr TColor kFormColor = 0xA4A0A0;
  static constexpr int kDesignWidth = 802;
  static constexpr int kDesignHeight = 603;

  // Registers itself as the system state's drawing base (when the system
  // state has started).
  explicit TBaseForm(QWidget *aParent = nullptr);
  ~TBaseForm() override;

  // While true the form paints nothing (set around a reload, so that a
  // half-built book never shows).
  bool Loading = false;
  // The program-wide paint guard: set while a paint runs.
  static bool Painting;

  // ---- TBaseWindow ----
  // The objects inside aRect changed: that part of the cached page is
  // painted again at the next paint, and the form shows it.
  void Invalidate(const TRect &aRect, bool aErase) override;
  void InvalidateOverlay(const TRect &aRect) override;
  // The form's canvas: a picture of the form's client size that paints
  // draw into and that the form shows.
  TCanvas *Canvas() override;

  // Paints the book into the form's canvas as a paint event does; false
  // when nothing was painted (Loading, or the guard caught a re-entry).
  // The work page comes from the page cache: painted in full after a
  // change of page, zoom or size, otherwise only where Invalidate said.
  bool FormPaint();
  // The cached page: a drag lifts the objects it changes from it.
  TPageCache &PageCache() { return FCache; }
  // Everything on the page may have changed: the next paint is a full one.
  void DropPageCache();
  // The mouse handler laid over the form; null while there is none.
  TMouseEventHandler *Handler() const;
  // Copies the rectangle pRect of pCanvas to the same rectangle of the
  // form's canvas and shows it.
  void PaintCanvas(TCanvas &pCanvas, const TRect &pRect);
  // Asks the visible mode window whether the program may close.
  bool FormCloseQuery();
  // The program ends: empties the temporary media folder unless another
  // copy runs, and hides the form.
  void FormClose();
  // Whether another copy of this program, or "LumoraShow.exe", is running.
  bool checkMutex() const;

  // The count behind checkMutex: over the executable names, one for each
  // name equal (exactly) to aOwnName and one for each "LumoraShow.exe";
  // true when above 1, since this process counts itself.
  static bool OtherCopyRuns(const QStringList &aExeNames, const QString &aOwnName);

protected:
  void paintEvent(QPaintEvent *aEvent) override;
  void resizeEvent(QResizeEvent *aEvent) override;
  void showEvent(QShowEvent *aEvent) override;

private:
  void FormResize();
  void FormShow();

  TBitmap FBuffer;
  TPageCache FCache;
};

} // namespace lumora
