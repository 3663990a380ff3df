#include "core/system/SysInfo.h"

#include <cmath>

#include "core/model/BaseWindow.h"
#include "core/model/CommonObj.h"
#include "core/model/MakeInfo.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Stream.h"

namespace lumora {

namespace {

constexpr TColor kUnfilledFace = clSilver; // $C0C0C0
constexpr long double kNearOne = 0.3L;

bool NearZoomOne(long double aZoom) {
  return std::fabs(aZoom - 1.0L) <= kNearOne;
}

// The file name after the last '/' or '\'.
QString BareFileName(const QString &aPath) {
  const qsizetype cut =
      std::max(aPath.lastIndexOf(QLatin1Char('/')), aPath.lastIndexOf(QLatin1Char('\\')));
  return aPath.mid(cut + 1);
}

QString JoinFolder(const QString &aFolder, const QString &aName) {
  return aFolder.endsWith(QLatin1Char('/')) ? aFolder + aName : aFolder + QLatin1Char('/') + aName;
}

} // namespace

void TSysInfo::SetSysMode(TSysMode aMode) {
  FSysMode = aMode;
  TMakeInfo2::Get().SysMode = aMode;
}

TCanvas *TSysInfo::Canvas() const {
  return FObjBase ? FObjBase->Canvas() : nullptr;
}

void TSysInfo::SetGrabHandle(IMouseHandler *aHandler) {
  FGrabHandle = aHandler;
  FAdsorb = aHandler ? aHandler->Adsorb() : nullptr;
}

TGrabState TSysInfo::GrabState() const {
  return FGrabHandle ? FGrabHandle->GrabState() : gsNone;
}

void TSysInfo::SetGrabState(TGrabState aState) {
  if (FGrabHandle) FGrabHandle->SetGrabState(aState);
}

TObjMode TSysInfo::ObjMode() const {
  return FGrabHandle ? FGrabHandle->ObjMode() : omNon;
}

void TSysInfo::SetObjMode(TObjMode aMode) {
  if (FGrabHandle) FGrabHandle->SetObjMode(aMode);
}

TCommonObj *TSysInfo::ActiveObj() const {
  return FGrabHandle ? FGrabHandle->ActiveObj() : nullptr;
}

void TSysInfo::SetLastActive(TCommonObj *aObj) {
  if (!aObj) {
    FLastActiveObj = nullptr;
    return;
  }
  if (!aObj->ICan(atShow) || !IsLinkableActive(aObj)) return;
  TCommonObj *userPart = FGrabHandle ? FGrabHandle->ParentUseObj(aObj) : nullptr;
  // Inside a user part only an object the user can move counts.
  if (userPart && (aObj->Param.ActType * TActType{atDrag, atSize, atRotate}).Empty()) return;
  FLastActiveObj = aObj;
  FLastUserObj = userPart;
}

void TSysInfo::SetLumoraHolder(const QString &aFolder) {
  FLumoraDir = aFolder;
  FLumoraDir.replace(QLatin1Char('\\'), QLatin1Char('/'));
  FUserObjFolder = JoinFolder(FLumoraDir, QStringLiteral("ユーザーオリジナル"));
  FMaterialFolder = JoinFolder(FLumoraDir, QStringLiteral("教材"));
  FStillFolder = JoinFolder(FLumoraDir, QStringLiteral("静止画/"));
  FSoundFolder = JoinFolder(FLumoraDir, QStringLiteral("音/"));
}

bool TSysInfo::FormSizeable() const {
  return ExecutCreator && ExecutCreator->Sizeable();
}

void TSysInfo::SetFormSizeable(bool aValue) {
  if (ExecutCreator) ExecutCreator->SetSizeable(aValue);
}

bool TSysInfo::IsValidGrabState(TGrabState aState) {
  const auto multi = [](TGrabState s) { return s == gsMultiSelect || s == gsMultiMoving; };
  if (multi(GrabState()) && !multi(aState)) return false;
  if (aState != gsNone) SetGrabState(aState);
  return true;
}

void TSysInfo::ClearActive(IPropServer *aPropSv) {
  if (aPropSv && aPropSv->Showing()) aPropSv->Close();
  if (!FGrabHandle) return;
  FGrabHandle->SetActiveObj(nullptr);
  FGrabHandle->SetGrabState(gsNormal);
  if (FGrabHandle->ObjMode() != omCreate) FGrabHandle->SetObjMode(omNon);
}

void TSysInfo::OpenAdsorb(TCommonObj *aPage) {
  if (FAdsorb) FAdsorb->OpenPage(aPage);
}

void TSysInfo::UpdateAdsorb(TCommonObj *aPage0, TCommonObj *aPage) {
  if (FAdsorb) FAdsorb->UpdateMap(aPage0, aPage);
}

void TSysInfo::ClosePage() {
  if (FGrabHandle) FGrabHandle->SetActiveObj(nullptr);
  if (FAdsorb) FAdsorb->ClosePage();
  if (FGrabHandle) FGrabHandle->ClearGrips();
}

void TSysInfo::SetPen(TCanvas &aCanvas, const TObjParam &aParam) const {
  const double w = aParam.Width;
  if (NearZoomOne(FZoom))
    ApplyPen(aCanvas, aParam.LineColor, clNone, w);
  else
    ApplyPen(aCanvas, aParam.LineColor, aParam.Coating ? aParam.FaceColor : kUnfilledFace,
             double(w * FZoom));
}

void TSysInfo::SetPen(TCanvas &aCanvas, double aWidth, TColor aColor) const {
  aCanvas.Brush().SetStyle(bsClear);
  if (aColor == clNone) {
    aCanvas.Pen().SetStyle(psClear);
    return;
  }
  if (NearZoomOne(FZoom))
    ApplyPen(aCanvas, aColor, clNone, aWidth);
  else
    ApplyPen(aCanvas, aColor, kUnfilledFace, double(aWidth * FZoom));
}

void TSysInfo::ApplyPen(TCanvas &aCanvas, TColor aColor, TColor aFaceColor, double aWidth) {
  TPen &pen = aCanvas.Pen();
  if (!(aWidth >= 1)) {
    // A line that is not there stays away however thin it is.
    pen.SetColor(aColor == clNone ? clNone : BlendColor(aColor, aFaceColor, aWidth));
    pen.SetWidth(1);
  } else {
    pen.SetColor(aColor);
    pen.SetWidth(aWidth >= kMaxPenWidth ? kMaxPenWidth : int(aWidth));
  }
  pen.SetStyle(psSolid);
}

QString TSysInfo::ChangeEmfPngExt(const TStream &aStream, const QString &aFilePath) {
  if (StreamFileExt(aStream) != QStringLiteral(".lmm3")) return aFilePath;
  const auto swapped = [&](int aExtLength, const char *aNewExt) {
    const QString name = BareFileName(aFilePath);
    return name.left(name.size() - aExtLength) + QLatin1String(aNewExt);
  };
  if (aFilePath.endsWith(QStringLiteral(".emf"), Qt::CaseInsensitive)) return swapped(4, ".png");
  if (aFilePath.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) return swapped(4, ".emf");
  return aFilePath;
}

TColor BlendColor(TColor aColor1, TColor aColor2, double x) {
  if (!(x > 0)) x = 0; // also not a number
  if (x > 1) x = 1;
  // clNone's low three bytes are $FFFFFF, so it blends as white.
  const TColor c1 = ColorToRGB(aColor1) & 0xFFFFFF;
  const TColor c2 = ColorToRGB(aColor2) & 0xFFFFFF;
  const auto channel = [x](int a, int b) { return int(std::trunc(x * a + (1 - x) * b)); };
  return channel(GetRValue(c1), GetRValue(c2)) + channel(GetGValue(c1), GetGValue(c2)) * 256 +
         channel(GetBValue(c1), GetBValue(c2)) * 65536;
}

bool IsLinkableActive(TCommonObj *aObj) {
  if (aObj->Param.ActType.Contains(awCustom)) return false;
  TCommonObj *linked = aObj->LinkedObj();
  if (!linked) return true;
  if (aObj->Param.ActType.Contains(atSelectable)) return true;
  if (linked->ObjInfo().Name == QStringLiteral("伝送路")) return false;
  return linked->LinkedObj() != nullptr;
}

QString StreamFileExt(const TStream &aStream) {
  const auto *file = dynamic_cast<const TFileStream *>(&aStream);
  if (!file) return QString();
  const QString name = BareFileName(file->FileName());
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : name.mid(dot).toLower();
}

} // namespace lumora
