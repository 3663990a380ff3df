// The author undo stack during a grip drag of a composite of 1,000
// members: an edit entry is asked on every mouse move, and every ask after
// the first is a repeat (one copy of the composite and one comparison).
//   BM_WriteRecord: the composite's record written once.
//   BM_EditEntryRepeat: one edit-entry request; the counter "x_write" is its
//     time over that of writing the record once, measured in the same run.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>

#include "bench/BenchKinds.h"
#include "core/model/CoreContext.h"
#include "core/model/ObjPool.h"
#include "core/stream/MetaStream.h"
#include "shell/undo/AbUndo.h"
#include "tests/kinds/PartKinds.h"
#include "tests/kinds/TestStart.h"

using namespace lumora;

namespace {

constexpr int kMembers = 1000;

void RegisterClasses(TObjClassList &aList) {
  RegisterCoreClasses(aList);
  bench::RegisterBenchKinds(aList);
  aList.Add<test::TPlainPart>();
}

// A page holding one composite of kMembers rectangles.
struct DragScene {
  DragScene() {
    test::StartTestCore({.RegisterClasses = RegisterClasses, .NoSleep = true});
    page = NewObject<test::TPlainPart>();
    std::unique_ptr<test::TPlainPart> made = NewObject<test::TPlainPart>();
    made->ReName(0);
    for (int k = 1; k <= kMembers; ++k)
      made->AddObj(bench::BenchObject(k, QString()));
    part = page->AddObj(std::move(made));
    undo = std::make_unique<TAbUndo>(99);
    undo->SetWorkPage(page.get());
  }
  ~DragScene() {
    undo.reset();
    page.reset();
    TCoreContext::Reset();
  }
  std::unique_ptr<test::TPlainPart> page;
  TCommonObj *part = nullptr;
  std::unique_ptr<TAbUndo> undo;
};

// Seconds of one write of the record (the best of several rounds).
double WriteSeconds(TCommonObj &aObj) {
  double best = 1e9;
  for (int round = 0; round < 20; ++round) {
    const auto start = std::chrono::steady_clock::now();
    TMetaStream stream;
    aObj.SaveToStream(stream);
    benchmark::DoNotOptimize(stream.Memory());
    const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    best = std::min(best, spent.count());
  }
  return best;
}

void BM_WriteRecord(benchmark::State &state) {
  DragScene scene;
  int64_t bytes = 0;
  for (auto _ : state) {
    TMetaStream stream;
    scene.part->SaveToStream(stream);
    bytes = stream.Size();
  }
  state.counters["record_bytes"] = double(bytes);
}
BENCHMARK(BM_WriteRecord)->Unit(benchmark::kMicrosecond);

void BM_EditEntryRepeat(benchmark::State &state) {
  DragScene scene;
  const double write = WriteSeconds(*scene.part);
  scene.undo->Add(kUndoEdit, scene.part); // the first move's entry
  double spent = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    scene.undo->Add(kUndoEdit, scene.part);
    spent += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  if (scene.undo->Count() != 1) state.SkipWithError("a repeat was recorded");
  state.counters["x_write"] = spent / double(state.iterations()) / write;
}
BENCHMARK(BM_EditEntryRepeat)->Unit(benchmark::kMicrosecond);

} // namespace
