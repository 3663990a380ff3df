#include "core/model/MakeInfo.h"

#include <QDateTime>
#include <QThread>
#include <ctime>

#include "core/model/CommonObj.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomMaker.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "core/support/RectOps.h"

namespace lumora {

namespace {
const QString kPlaceholderKind = QStringLiteral("仮オブジェクト");
const QString kFileNameCommand = QStringLiteral("ファイル名");
constexpr char kIdDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
} // namespace

// ---- TMakeInfo ----

void TMakeInfo::Assign(const TMakeInfo &aSource) {
  SysMode = aSource.SysMode;
  Base = aSource.Base;
  Canvas = aSource.Canvas;
  GrabHandle = aSource.GrabHandle;
  RootObj = aSource.RootObj;
}

void TMakeInfo::Construct(TBaseWindow *aBase, TCanvas *aCanvas, TMouseEventHandler *aGrabHandle,
                          TRootObj aObjPool) {
  TMakeInfo2 &info = TMakeInfo2::Get();
  info.Base = aBase;
  info.Canvas = aCanvas;
  info.GrabHandle = aGrabHandle;
  info.RootObj = std::move(aObjPool);
}

// ---- TMakeInfo2::TNameParent ----

TMakeInfo2::TNameParent::TNameParent() {
  SetClock(nullptr);
  SetSleeper(nullptr);
}

int64_t TMakeInfo2::TNameParent::RealClock() {
  // Wall-clock difference in local time: whole days times 86,400,000 plus
  // the milliseconds of the current day. The local time comes from
  // localtime_r, which reads the time zone once, rather than from
  // QDateTime, which has the C library read it again (a file status call)
  // for every id, and an open makes ids for every page.
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const time_t seconds = now.tv_sec;
  tm local{};
  if (!localtime_r(&seconds, &local)) {
    const QDateTime qt = QDateTime::currentDateTime();
    return (qt.date().toJulianDay() - QDate(2005, 1, 1).toJulianDay()) * 86'400'000 +
           qt.time().msecsSinceStartOfDay();
  }
  static const int64_t epoch = QDate(2005, 1, 1).toJulianDay();
  const int64_t days =
      QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday).toJulianDay() - epoch;
  const int64_t msecs = ((int64_t(local.tm_hour) * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 +
                        now.tv_nsec / 1'000'000;
  return days * 86'400'000 + msecs;
}

void TMakeInfo2::TNameParent::SetClock(TClock clock) {
  clock_ = clock ? std::move(clock) : TClock(&RealClock);
}

void TMakeInfo2::TNameParent::SetSleeper(TSleeper sleeper) {
  sleeper_ = sleeper ? std::move(sleeper) : TSleeper([](int ms) { QThread::msleep(ulong(ms)); });
}

int64_t TMakeInfo2::TNameParent::NewId() {
  const int64_t t = clock_();
  const int64_t base = t * FDeno;
  if (t != FSaveTime) {
    FBranch = 0;
    FSaveTime = t;
    return base;
  }
  ++FBranch;
  const int64_t id = base + FBranch % FDeno;
  // Nearly all slots of this millisecond are used: wait for the next one.
  if (FBranch >= FMaxBrc) sleeper_(1);
  return id;
}

QString TMakeInfo2::TNameParent::IdToText(int64_t aId) {
  QString text;
  while (aId > 0) {
    text.prepend(QLatin1Char(kIdDigits[aId % FDeno]));
    aId /= FDeno;
  }
  return text;
}

// ---- TMakeInfo2 ----

TMakeInfo2::TMakeInfo2() : FNameParent(std::make_unique<TNameParent>()) {}

QString TMakeInfo2::CreateId() {
  return TNameParent::IdToText(FNameParent->NewId());
}

QString TMakeInfo2::CreateName(TCommonObj &aObj, const QString &aName) {
  const int64_t id = FNameParent->NewId();
  aObj.FId = id;
  const QString kind = aName.isEmpty() ? aObj.Param.ObjName : aName;
  return kind + QLatin1Char('[') + TNameParent::IdToText(id) + QLatin1Char(']');
}

std::unique_ptr<TCommonObj> TMakeInfo2::LoadFromStream(TMetaStream &aStream) {
  if (!Readable(aStream, 1)) return nullptr;
  int32_t size = 0;
  aStream.ReadBuffer(size);
  const int64_t behindSize = aStream.Position();
  // The position goes back behind the size field however this ends.
  struct Restore {
    TMetaStream &s;
    int64_t p;
    ~Restore() { s.SetPosition(p); }
  } restore{aStream, behindSize};

  float version = 0;
  aStream.ReadVersion(version);
  // The kind and the text are all that is needed here, unless the kind is
  // unknown: the placeholder then takes the whole parameter record.
  const int64_t paramAt = aStream.Position();
  TObjParam param;
  aStream.ReadParamNames(param.ObjName, param.Text);
  auto wholeParam = [&] {
    aStream.SetPosition(paramAt);
    aStream.ReadBuffer(param);
  };

  const TObjClass *objClass = TCoreContext::Get().Classes().ClassOf(param.ObjName);
  std::unique_ptr<TCommonObj> obj;
  if (objClass) {
    try {
      obj = objClass->Create();
    } catch (const std::exception &) {
      obj.reset(); // a class that fails to construct gives the placeholder
    }
  }
  if (!obj) {
    wholeParam();
    return CreatePlaceholder(param);
  }
  obj->Data(kFileNameCommand, QVariantList{param.Text});
  return obj;
}

std::unique_ptr<TCommonObj> TMakeInfo2::CreatePlaceholder(const TObjParam &aParam) {
  const TObjInfo info = TCoreContext::Get().Classes().GetInfo(kPlaceholderKind);
  if (!info.ObjClass) return nullptr;
  std::unique_ptr<TCommonObj> obj = info.ObjClass->Create();
  if (!obj) return nullptr;
  obj->Param = aParam;
  obj->Param.Text = aParam.ObjName;
  obj->Param.ObjName = info.Name;
  return obj;
}

TObjList TMakeInfo2::FrontObjs(TCommonObj *aObj, TCommonObj *aObjList) const {
  TObjList front;
  if (!aObj) return front;
  if (!aObjList) aObjList = Root();
  if (!aObjList || !aObjList->Pool()) return front;
  TAbObjectPool &pool = *aObjList->Pool();
  const TRect bounds = aObj->BoundsRect();
  for (int i = pool.IndexOf(aObj) + 1; i < pool.Count(); ++i) {
    TCommonObj *obj = pool.Items(i);
    if (!obj || obj == aObj || !obj->ICan(atShow) || !obj->Visible()) continue;
    if (RectsIntersect(obj->BoundsRect(), bounds)) front.push_back(obj);
  }
  return front;
}

void TMakeInfo2::ReMakeFrontObj(TCommonObj *aObj, TCommonObj *aObjList, TObjList *aOverTopList) {
  TObjList own;
  TObjList &list = aOverTopList ? *aOverTopList : own;
  for (TCommonObj *obj : FrontObjs(aObj, aObjList))
    if (std::find(list.begin(), list.end(), obj) == list.end()) list.push_back(obj);
  const TObjList snapshot = list;
  for (TCommonObj *obj : snapshot) {
    if (obj == aObj) continue;
    obj->ReMake();
    if (obj->Maker()) obj->Maker()->Invalidate(false);
  }
}

} // namespace lumora
