// Fuzzes the record readers of action objects (single and multi link, the
// current and the oldest option layout), action containers and tables,
// with the work that follows a load: resolving links and re-making. The
// first byte picks the class and the mode, the rest is the stored data.
// Bad data must end in lumora::Exception, never in a crash, a read out of
// bounds or a huge allocation.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/drawable/ActionObj.h"
#include "core/drawable/CoreClasses.h"
#include "core/drawable/CustomTable.h"
#include "core/drawable/LinkableContnr.h"
#include "core/model/CoreContext.h"
#include "core/stream/MetaStream.h"
#include "fuzz/FuzzApp.h"
#include "platform/graphics/Canvas.h"
#include "platform/system/Exception.h"
#include "platform/system/Stream.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

class TFuzzMultiLink : public TMultiLink {
public:
  using TMultiLink::TMultiLink;
  bool CanLink(TCommonObj *aObj) override { return aObj != nullptr; }
};

class TFuzzSingleAct : public TSingleLinkAction {
  LUMORA_OBJECT(TFuzzSingleAct, TSingleLinkAction)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("FuzzSingle");
    info.FormType = {otAction};
    return info;
  }
  void CreateMode(TSysMode) override {
    FMaker = std::make_unique<TActMake>(this);
    FLink = std::make_unique<TActLink>(this, nullptr);
  }

protected:
  TFuzzSingleAct() : TSingleLinkAction(TObjParam()) {}
};

class TFuzzMultiAct : public TMultiLinkAction {
  LUMORA_OBJECT(TFuzzMultiAct, TMultiLinkAction)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("FuzzMulti");
    info.FormType = {otAction};
    return info;
  }
  void CreateMode(TSysMode) override {
    FMaker = std::make_unique<TActMake>(this);
    FLink = std::make_unique<TFuzzMultiLink>(this, nullptr);
  }
  void LoadOption(TMetaStream &aStream) override {
    ReadActParam(aStream);
    TMultiLinkAction::LoadOption(aStream);
  }

protected:
  TFuzzMultiAct() : TMultiLinkAction(TObjParam()) {}
};

class TFuzzTray : public TActContnr {
  LUMORA_OBJECT(TFuzzTray, TActContnr)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info = TActContnr::GetObjInfo();
    info.Name = QStringLiteral("FuzzTray");
    return info;
  }

protected:
  TFuzzTray() { FLink = std::make_unique<TContnrLink>(this, nullptr); }
};

// A table whose cells are trays (any registered class would do).
class TFuzzTable : public TCustomTable {
  LUMORA_OBJECT(TFuzzTable, TCustomTable)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("FuzzTable");
    info.FormType = {otTable};
    return info;
  }
  std::unique_ptr<TCommonObj> NewCell() override { return NewObject<TFuzzTray>(); }
  void ReLayout(int aColCount) override {
    SetColCount(aColCount);
    LayoutCells();
  }
  void CellRect(TCommonObj *aCell, TRect &aRect) override {
    const int i = IndexOf(aCell), cols = std::max(ColCount(), 1);
    aRect = {(i % cols) * 10, (i / cols) * 10, (i % cols) * 10 + 10, (i / cols) * 10 + 10};
  }
  double RowHeight(std::span<const TRealPoint>) override { return 10; }
  void DrawRules(TCanvas &, std::span<const TRealPoint>) override {}
  void SetColCount(int aCount) override {
    Param.Grabs = int32_t(std::min<int64_t>(int64_t(aCount) + 7, INT32_MAX));
  }
  void SetRowCount(int) override {}
  void LayoutCells() override {
    for (TCommonObj *cell : Children()) {
      TRect r;
      CellRect(cell, r);
      cell->SetBoundsRect(r);
    }
  }
  using TCustomTable::DrawObj;
  void DrawObj(TCanvas &, std::span<const TRealPoint>) override {}

protected:
  TFuzzTable() : TCustomTable(TObjParam()) { Param.Grabs = 8; }
};

void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  aList.Add<TFuzzSingleAct>();
  aList.Add<TFuzzMultiAct>();
  aList.Add<TFuzzTray>();
  aList.Add<TFuzzTable>();
}

template <class T> void Exercise(TMemoryStream &aStream, bool aOldest) {
  std::unique_ptr<T> obj = NewObject<T>();
  if (aOldest) {
    TMetaStream record;
    record.CopyFrom(aStream, aStream.Remaining());
    record.SetPosition(0);
    obj->LoadOption_Old(record);
  } else {
    obj->LoadFromStream(aStream);
  }
  obj->UpdateLink(nullptr);
  obj->ReMake();
  TMetaStream out;
  obj->SaveToStream(out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool started =
      (test::StartTestCore({.RegisterClasses = RegisterClasses, .NoSleep = true}), true);
  (void)started;
  if (size < 1) return 0;
  TMakeInfo2::Get().SysMode = (data[0] & 8) ? smExec : smAuthor;
  TMemoryStream stream;
  stream.SetBytes(QByteArray(reinterpret_cast<const char *>(data + 1), int(size - 1)));
  try {
    switch (data[0] & 7) {
    case 0:
      Exercise<TFuzzSingleAct>(stream, false);
      break;
    case 1:
      Exercise<TFuzzSingleAct>(stream, true);
      break;
    case 2:
      Exercise<TFuzzMultiAct>(stream, false);
      break;
    case 3:
      Exercise<TFuzzTray>(stream, false);
      break;
    default: {
      std::unique_ptr<TFuzzTable> table = NewObject<TFuzzTable>();
      table->LoadFromStream(stream);
      table->UpdateLink(nullptr);
      QVariantList all;
      table->Value(QStringLiteral("固有値"), all);
      table->Data(QStringLiteral("セル固有値"), {QStringLiteral("1:2:3"), 1, 2});
      table->InsertCol(0);
      table->InsertRow(0);
      table->DeleteCol(0);
      table->DeleteRow(0);
      break;
    }
    }
  } catch (const Exception &) {
  }
  return 0;
}
