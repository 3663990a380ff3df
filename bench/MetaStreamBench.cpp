// Throughput of the typed document stream on a mix of values like those of a
// page's object records, against a plain memcpy of the same number of bytes.
#include "core/stream/MetaStream.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

using namespace lumora;

namespace {

constexpr int kObjects = 200;

TObjParam SampleParam(int i) {
  TObjParam p;
  p.ObjName = i % 2 ? QStringLiteral("四角形") : QStringLiteral("TextObj");
  p.Layer = 10;
  p.Priority = 50 + i;
  p.ActType = {atShow, atDrag, atSize};
  p.Width = 1;
  p.Grabs = 8;
  p.LineColor = 0;
  p.FaceColor = 0xFFFFFF;
  p.Coating = true;
  p.Text = i % 3 ? QString() : QStringLiteral("さんすう の もんだい %1").arg(i);
  return p;
}

std::vector<TRealPoint> SamplePolygon(int i) {
  std::vector<TRealPoint> points(size_t(4 + i % 13));
  for (size_t k = 0; k < points.size(); ++k)
    points[k] = {10.5 * double(k), 20.25 + double(i)};
  return points;
}

struct TSample {
  std::vector<TObjParam> params;
  std::vector<std::vector<TRealPoint>> polygons;
  std::vector<QString> names;
};

const TSample &Sample() {
  static const TSample sample = [] {
    TSample s;
    for (int i = 0; i < kObjects; ++i) {
      s.params.push_back(SampleParam(i));
      s.polygons.push_back(SamplePolygon(i));
      s.names.push_back(i % 2 ? QStringLiteral("図形%1").arg(i) : QStringLiteral("Shape%1").arg(i));
    }
    return s;
  }();
  return sample;
}

// One page's worth of object records, laid out as the object record does.
void WritePage(TMetaStream &s) {
  const TSample &sample = Sample();
  for (int i = 0; i < kObjects; ++i) {
    s.WriteBuffer(int32_t(0)); // record size, patched by the real writer
    s.WriteVersion(3.2f);
    s.WriteBuffer(sample.params[size_t(i)]);
    s.WriteBuffer(int32_t(10));
    s.WriteBuffer(int64_t(1000 + i));
    s.WriteBuffer(sample.names[size_t(i)]);
    s.WriteBuffer(sample.polygons[size_t(i)]);
    s.WriteBuffer(int64_t(0));
    s.WriteBuffer(23.0);
    s.WriteBuffer(int64_t(0));
    s.WriteBuffer(int64_t(0));
  }
}

void ReadPage(TMetaStream &s) {
  TObjParam param;
  std::vector<TRealPoint> polygon;
  QString name;
  int32_t i32;
  int64_t i64;
  float version;
  double d;
  for (int i = 0; i < kObjects; ++i) {
    s.ReadBuffer(i32);
    s.ReadVersion(version);
    s.ReadBuffer(param);
    s.ReadBuffer(i32);
    s.ReadBuffer(i64);
    s.ReadBuffer(name);
    s.ReadBuffer(polygon);
    s.ReadBuffer(i64);
    s.ReadBuffer(d);
    s.ReadBuffer(i64);
    s.ReadBuffer(i64);
  }
  benchmark::DoNotOptimize(param);
  benchmark::DoNotOptimize(polygon);
}

int64_t PageBytes() {
  static const int64_t bytes = [] {
    TMetaStream s;
    WritePage(s);
    return s.Size();
  }();
  return bytes;
}

void BM_MetaStreamWrite(benchmark::State &state) {
  for (auto _ : state) {
    TMetaStream s;
    WritePage(s);
    benchmark::DoNotOptimize(s.Memory());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * PageBytes());
}
BENCHMARK(BM_MetaStreamWrite);

void BM_MetaStreamRead(benchmark::State &state) {
  TMetaStream s;
  WritePage(s);
  for (auto _ : state) {
    s.SetPosition(0);
    ReadPage(s);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * s.Size());
}
BENCHMARK(BM_MetaStreamRead);

void BM_Memcpy(benchmark::State &state) {
  const std::vector<char> from(size_t(PageBytes()), 'x');
  std::vector<char> to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from.size()));
}
BENCHMARK(BM_Memcpy);

} // namespace
