#include "tests/kinds/BookKinds.h"

#include "core/model/ClassRegistry.h"
#include "tests/kinds/PartKinds.h"

namespace lumora::test {

TObjInfo TBookTestMemo::GetObjInfo() {
  TObjInfo info = TTestRect::GetObjInfo();
  info.Name = QString::fromUtf16(kSysTextKind);
  return info;
}

TBookTestMemo::TBookTestMemo() : TTestRect(DefaultParam(QString::fromUtf16(kSysTextKind))) {}

bool TBookTestMemo::Value(const QString &aCommand, QVariantList &aArg) {
  if (aCommand != QStringLiteral("固有値")) return TTestRect::Value(aCommand, aArg);
  aArg = {Param.Text};
  return true;
}

bool TBookTestMemo::Data(const QString &aCommand, const QVariantList &aArg) {
  if (aCommand != QStringLiteral("レイアウト")) return TTestRect::Data(aCommand, aArg);
  Layout = aArg;
  return true;
}

void TBookTestMemo::Paint(TCanvas &) {
  gLog << QStringLiteral("memo ") + Name;
}

void RegisterPlainBookKinds(TObjClassList &aList) {
  aList.Add<TBookTestBook>();
  aList.Add<TBookTestPage>();
  aList.Add<TPlainRect>();
  aList.Add<TPlainStill>();
  aList.Add<TPlainMemo>();
  aList.Add<TPlainStamp>();
  aList.Add<TTestPictureStamp>();
  aList.Add<TPlainPart>();
}

} // namespace lumora::test
