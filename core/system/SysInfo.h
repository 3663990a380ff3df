#pragma once
// The system state: the one object that knows the system mode, the page
// window and its mouse handler, the selection, the data folders, the zoom
// of the page shown and the open book, and that turns a stored line width
// into a pen at the current zoom. TSysContext (SysContext.h) owns the
// program's one instance.
#include <QString>
#include <cstdint>
#include <functional>

#include "core/params/ObjParam.h"
#include "core/params/ObjTypes.h"
#include "core/system/SysInterfaces.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"

class QWidget;

namespace lumora {

class TBaseWindow;
class TButtonMediator;
class TCanvas;
class TCommonObj;
class TStream;

// Where a tool window goes home: the rectangle for a form.
using TGetHomeRect = std::function<TRect(QWidget *aForm)>;

// The platform id OSPlatform answers: above the ids of the Windows 9x
// family (0, 1) and of Windows NT (2), so that nothing takes this system
// for one of them.
inline constexpr int32_t kOSPlatformLinux = 4;

class TSysInfo {
public:
  // All references empty, author mode, zoom 1.
  TSysInfo() = default;
  TSysInfo(const TSysInfo &) = delete;
  TSysInfo &operator=(const TSysInfo &) = delete;

  TSysMode SysMode() const { return FSysMode; }
  // Also sets the making context's mode (the object model must be started).
  void SetSysMode(TSysMode aMode);

  // The hidden base form whose surface paints the page.
  TBaseWindow *ObjBase() const { return FObjBase; }
  void SetObjBase(TBaseWindow *aBase) { FObjBase = aBase; }
  // The base form's canvas; null without a base form.
  TCanvas *Canvas() const;

  IMouseHandler *GrabHandle() const { return FGrabHandle; }
  // Takes the handler's snapping map as Adsorb (none when the handler has
  // no grip set, so that no map of a former handler is kept).
  void SetGrabHandle(IMouseHandler *aHandler);
  IAdsorbMap *Adsorb() const { return FAdsorb; }

  // Kept in the mouse handler: without one they read gsNone, omNon and
  // null, and writes do nothing.
  TGrabState GrabState() const;
  void SetGrabState(TGrabState aState);
  TObjMode ObjMode() const;
  void SetObjMode(TObjMode aMode);
  TCommonObj *ActiveObj() const;

  // The last object activated in presentation and the user part around it.
  TCommonObj *LastActive() const { return FLastActiveObj; }
  // Null clears LastActive only. Otherwise the object becomes LastActive
  // when it can be shown, passes IsLinkableActive and, when it lies in a
  // user part, can be dragged, sized or rotated; LastUserObj becomes that
  // user part (null when none). Else nothing changes.
  void SetLastActive(TCommonObj *aObj);
  TCommonObj *LastUserObj() const { return FLastUserObj; }

  // The kind name and the file chosen in the palette for the next placement.
  const QString &SelectObj() const { return FSelectObj; }
  void SetSelectObj(const QString &aKind) { FSelectObj = aKind; }
  const QString &SelectedFile() const { return FSelectedFile; }
  void SetSelectedFile(const QString &aFile) { FSelectedFile = aFile; }

  static int32_t OSPlatform() { return kOSPlatformLinux; }

  // Sets the data folder (a folder below the shared documents folder, as
  // "/Lumora算数"; '\' becomes '/') and the folders derived from it.
  void SetLumoraHolder(const QString &aFolder);
  const QString &LumoraDir() const { return FLumoraDir; }
  // The data folder + "/ユーザーオリジナル" (user parts).
  const QString &UserObjFolder() const { return FUserObjFolder; }
  // The data folder + "/教材" (teaching-material books).
  const QString &MaterialFolder() const { return FMaterialFolder; }
  // The data folder + "/静止画/" (still pictures), with the separator.
  const QString &StillFolder() const { return FStillFolder; }
  // The data folder + "/音/" (sounds), with the separator.
  const QString &SoundFolder() const { return FSoundFolder; }

  // Held by the presentation creator: false without one, and a write then
  // does nothing.
  bool FormSizeable() const;
  void SetFormSizeable(bool aValue);

  // The zoom of the page shown.
  long double Zoom() const { return FZoom; }
  void SetZoom(long double aZoom) { FZoom = aZoom; }

  // While multi-selecting (gsMultiSelect, gsMultiMoving) every state but
  // these two is refused: False and nothing changes. Otherwise a state other than
  // gsNone is set, and the answer is True.
  bool IsValidGrabState(TGrabState aState);
  // Closes the property window when it is showing, drops the selection,
  // grab state gsNormal, and mode omNon unless it is omCreate.
  void ClearActive(IPropServer *aPropSv);
  // The snapping map of the shown page.
  void OpenAdsorb(TCommonObj *aPage);
  void UpdateAdsorb(TCommonObj *aPage0, TCommonObj *aPage);
  // Drops the selection, closes the snapping map and clears the grips.
  void ClosePage();

  // The pen rule. Within 0.3 of zoom 1 a line is drawn with its stored
  // width, at other zooms with the width times the zoom (ApplyPen). The
  // first form fades thin lines toward the face colour when the object is
  // filled, else toward silver ($C0C0C0), and leaves the brush alone. The
  // second makes the brush clear; clNone makes the pen clear; thin lines
  // fade toward silver away from zoom 1.
  void SetPen(TCanvas &aCanvas, const TObjParam &aParam) const;
  void SetPen(TCanvas &aCanvas, double aWidth, TColor aColor) const;
  // A width below one pixel (or not a number) gives a one-pixel pen in
  // BlendColor(aColor, aFaceColor, width); a line colour of clNone stays
  // clNone (no line). Otherwise aColor at the width truncated (at most
  // kMaxPenWidth). The pen is solid.
  static void ApplyPen(TCanvas &aCanvas, TColor aColor, TColor aFaceColor, double aWidth);
  static constexpr int kMaxPenWidth = 10000;

  // For a file stream of a tablet book (extension ".lmm3"), a picture path
  // ending ".emf" becomes its bare file name with ".png", one ending ".png"
  // its bare file name with ".emf"; any other path, or any other stream,
  // gives the path unchanged. The bare name is taken after the last '\' or
  // '/', since the paths come from Windows books.
  static QString ChangeEmfPngExt(const TStream &aStream, const QString &aFilePath);

  QString FileName;      // the open book
  float FileVersion = 0; // the format version read from its header
  // The editing command that brings the objects of priority below 40 to
  // the front of the page (painted over the others and hit first).
  bool FunctionTopDraw = false;
  IModeCreator *AuthorCreator = nullptr;
  IExecCreator *ExecutCreator = nullptr;
  TButtonMediator *BtnMediator = nullptr;
  TGetHomeRect GetHomeRect;

private:
  TSysMode FSysMode = smAuthor;
  TBaseWindow *FObjBase = nullptr;
  IMouseHandler *FGrabHandle = nullptr;
  IAdsorbMap *FAdsorb = nullptr;
  QString FSelectObj;
  QString FSelectedFile;
  TCommonObj *FLastActiveObj = nullptr;
  TCommonObj *FLastUserObj = nullptr;
  QString FLumoraDir;
  QString FUserObjFolder;
  QString FMaterialFolder;
  QString FStillFolder;
  QString FSoundFolder;
  long double FZoom = 1.0L;
};

// Each channel trunc(x * channel of aColor1 + (1 - x) * channel of
// aColor2), system colours resolved and clNone counting as white. x is
// taken into [0, 1]; not a number counts as 0.
TColor BlendColor(TColor aColor1, TColor aColor2, double x);

// Whether an object may become the last active object: never a custom
// action object (awCustom); always one without a linked object; with one,
// when it is selectable itself, else unless the linked object is a "伝送路",
// and then only when the linked object has a linked object of its own.
bool IsLinkableActive(TCommonObj *aObj);

// The lower-case extension (with its dot) of the file behind a file
// stream; empty for any other stream.
QString StreamFileExt(const TStream &aStream);

} // namespace lumora
