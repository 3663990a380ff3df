#pragma once
// Stand-ins for the kinds the legacy book reader makes or links whose
// classes belong to later subsystems: the page "ルモラ頁", the page-clear
// button "ページクリア", the group "グループ", the key-frame animation
// "アニメ編集", and the current name "テープ図" of the old "リボン図".
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "core/book/LegacyBook.h"
#include "tests/kinds/BookKinds.h"

namespace lumora::test {

LUMORA_TEST_BOOK_KIND(TLegacyPage, TMetaPage, "ルモラ頁")
LUMORA_PLAIN_KIND(TLegacyTape, "テープ図", ({otSurface}))
// A "ページプロパティ" class: a system object, never added to a page.
LUMORA_PLAIN_KIND(TLegacyPageProperty, "ページプロパティ", ({otSystem}))

// Remembers the stamp size it was made with and the offsets it was moved by.
class TLegacyPageClear : public TPlainRect {
  LUMORA_OBJECT(TLegacyPageClear, TPlainRect)
public:
  static TObjInfo GetObjInfo();
  using TPlainRect::Move;
  void Move(TRealPoint aOffset) override;

  int MadeWithStampSize = 0;
  TRealPoint Moved;

protected:
  TLegacyPageClear();
};

// Its old option block: Int32 n, then n names.
class TLegacyGroup : public TPlainRect, public IOldGroupLinks {
  LUMORA_OBJECT(TLegacyGroup, TPlainRect)
public:
  static TObjInfo GetObjInfo();
  void LoadOption_Old(TMetaStream &aStream) override;
  QStringList &LinkNames() override { return Names; }
  std::vector<int64_t> &LinkedIds() override { return Ids; }

  QStringList Names;
  std::vector<int64_t> Ids;

protected:
  TLegacyGroup() = default;
};

// Its old option block: the linked object's name.
class TLegacyAnimator : public TPlainRect, public IOldAnimator {
  LUMORA_OBJECT(TLegacyAnimator, TPlainRect)
public:
  static TObjInfo GetObjInfo();
  void LoadOption_Old(TMetaStream &aStream) override;
  QString &LinkedName() override { return Linked; }
  void SetLinkId(int64_t aId) override { LinkId = aId; }
  void AddNewObj(std::unique_ptr<TCommonObj> aObj, int32_t aTime) override;

  QString Linked;
  int64_t LinkId = 0;
  std::vector<std::pair<std::unique_ptr<TCommonObj>, int32_t>> Keys;

protected:
  TLegacyAnimator() = default;
};

// Registers the page, the tape figure, the page-clear button, the group
// and the animation (not the page property).
void RegisterLegacyKinds(TObjClassList &aList);

} // namespace lumora::test
