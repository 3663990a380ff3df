// Creating, writing and reading back a composite of 100,000 small objects.
#include <benchmark/benchmark.h>

#include "core/drawable/CoreClasses.h"
#include "core/model/CoreContext.h"
#include "core/model/CustomCompo.h"
#include "core/model/LeafObj.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kObjects = 100'000;

class TBenchLeaf : public TRepreLeaf {
  LUMORA_OBJECT(TBenchLeaf, TRepreLeaf)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("ベンチ図形");
    info.FormType = {otSurface};
    return info;
  }
  void ReMake() override {}

protected:
  TBenchLeaf() {
    Param.ObjName = QStringLiteral("ベンチ図形");
    Param.Grabs = 4;
    Param.Layer = 10;
    FPolygon = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  }
};

class TBenchPage : public TCustomCompo {
  LUMORA_OBJECT(TBenchPage, TCustomCompo)
public:
  static TObjInfo GetObjInfo() {
    TObjInfo info;
    info.Name = QStringLiteral("ベンチ頁");
    return info;
  }
  bool RemoveObj(TCommonObj *&) override { return false; }

protected:
  TBenchPage() = default;
  std::unique_ptr<TAbObjectPool> NewPool() const override {
    return std::make_unique<TOwnedObjPool>();
  }
};

void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  aList.Add<TBenchLeaf>();
  aList.Add<TBenchPage>();
}

void StartModel() {
  test::StartTestCore({.RegisterClasses = RegisterClasses});
}

// Every object gets the next priority, so that each is added at the end of
// the pool in a single pass.
std::unique_ptr<TBenchPage> MakePage() {
  std::unique_ptr<TBenchPage> page = NewObject<TBenchPage>();
  for (int i = 0; i < kObjects; ++i) {
    std::unique_ptr<TCommonObj> obj = ObjClassList().CreateObject(QStringLiteral("ベンチ図形"));
    obj->Param.Priority = i;
    page->OwnedPool()->Add(std::move(obj));
  }
  return page;
}

void BM_CreateObjects(benchmark::State &state) {
  StartModel();
  for (auto _ : state) {
    std::unique_ptr<TBenchPage> page = MakePage();
    benchmark::DoNotOptimize(page.get());
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
  TCoreContext::Reset();
}

void BM_WriteComposite(benchmark::State &state) {
  StartModel();
  std::unique_ptr<TBenchPage> page = MakePage();
  int64_t bytes = 0;
  for (auto _ : state) {
    TMetaStream stream;
    page->SaveToStream(stream);
    bytes = stream.Size();
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["record_bytes"] = double(bytes);
  page.reset();
  TCoreContext::Reset();
}

void BM_ReadComposite(benchmark::State &state) {
  StartModel();
  TMetaStream stream;
  MakePage()->SaveToStream(stream);
  for (auto _ : state) {
    stream.SetPosition(0);
    std::unique_ptr<TBenchPage> page = NewObject<TBenchPage>();
    page->LoadFromStream(stream);
    if (page->Count() != kObjects) state.SkipWithError("not every object was read");
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(state.iterations() * stream.Size());
  TCoreContext::Reset();
}

} // namespace

// Creation is paced by the id generator (62 ids per millisecond, a pause
// after 56): measured in wall time.
BENCHMARK(BM_CreateObjects)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteComposite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadComposite)->Unit(benchmark::kMillisecond);
