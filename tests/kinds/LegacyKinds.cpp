#include "tests/kinds/LegacyKinds.h"

#include "core/model/CoreContext.h"
#include "core/stream/MetaStream.h"

namespace lumora::test {
namespace {

TObjInfo PlainInfo(const QString &aKind, TFormType aForm) {
  TObjInfo info = TPlainRect::GetObjInfo();
  info.Name = aKind;
  info.FormType = aForm;
  return info;
}

} // namespace

TObjInfo TLegacyPageClear::GetObjInfo() {
  return PlainInfo(QString::fromUtf16(kPageClearKind), {otStamp});
}

TLegacyPageClear::TLegacyPageClear() : MadeWithStampSize(CreatingStampSize()) {
  FPolygon = {{0, 0}, {16, 0}, {16, 16}, {0, 16}};
}

void TLegacyPageClear::Move(TRealPoint aOffset) {
  Moved = {Moved.rx + aOffset.rx, Moved.ry + aOffset.ry};
  TPlainRect::Move(aOffset);
}

TObjInfo TLegacyGroup::GetObjInfo() {
  return PlainInfo(QString::fromUtf16(kGroupKind), {otAction});
}

void TLegacyGroup::LoadOption_Old(TMetaStream &aStream) {
  int32_t n = 0;
  aStream.ReadBuffer(n);
  CheckReadable(aStream, n, 4);
  for (int32_t i = 0; i < n; ++i) {
    QString name;
    aStream.ReadBuffer(name);
    Names << name;
  }
}

TObjInfo TLegacyAnimator::GetObjInfo() {
  return PlainInfo(QString::fromUtf16(kAnimatorKind), {otSurface});
}

void TLegacyAnimator::LoadOption_Old(TMetaStream &aStream) {
  aStream.ReadBuffer(Linked);
}

void TLegacyAnimator::AddNewObj(std::unique_ptr<TCommonObj> aObj, int32_t aTime) {
  aObj->SetVisible(false);
  Keys.emplace_back(std::move(aObj), aTime);
}

void RegisterLegacyKinds(TObjClassList &aList) {
  aList.Add<TLegacyPage>();
  aList.Add<TLegacyTape>();
  aList.Add<TLegacyPageClear>();
  aList.Add<TLegacyGroup>();
  aList.Add<TLegacyAnimator>();
}

} // namespace lumora::test
