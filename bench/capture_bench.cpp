// The cost of one complete event (player, item 2, item 3) once a game already
// holds 100, 10,000 or 100,000 events: it must not grow with the game.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/lean_screens.h"
#include "core/recording.h"

namespace kiroku::bench {
namespace {

const Text kPlayer = "\x8d\xb2\x93\xa1", kItem2 = "\x83\x56\x83\x85\x81\x5b\x83\x67", kItem3 = "\x89\x45";

void OneEvent(Recording& rec, int n) {
  rec.EnterItem1(1 + (n & 1), 1 + n % 16, kPlayer);
  rec.EnterItem2(1 + n % 10, kItem2);
  rec.EnterItem3(1 + n % 7, kItem3);
}

void BM_EventAfter(benchmark::State& state) {
  const int before = static_cast<int>(state.range(0));
  constexpr int kBatch = 1000;
  LeanScreens screens;
  for (auto _ : state) {
    state.PauseTiming();
    auto rec = std::make_unique<Recording>(screens);
    rec->ResetRecordingState();
    rec->SetUpEventGrids();
    for (int n = 0; n < before; ++n) OneEvent(*rec, n);
    state.ResumeTiming();
    for (int n = before; n < before + kBatch; ++n) OneEvent(*rec, n);
    benchmark::DoNotOptimize(rec->TallyTable);
    state.PauseTiming();
    rec.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
  state.counters["ns_per_event"] =
      benchmark::Counter(static_cast<double>(state.iterations() * kBatch),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_EventAfter)->Arg(100)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kiroku::bench
