// What the journal costs a press on the screen's thread (with it against
// without it, in one run), and how long a press takes to be on the disk.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/lean_screens.h"
#include "core/recording.h"
#include "journal/journal.h"
#include "files/platform_file.h"
#include "recovery/unsaved_run.h"

namespace kiroku::bench {
namespace {

using Clock = std::chrono::steady_clock;
const Text kPlayer = "\x8d\xb2\x93\xa1", kItem2 = "\x83\x56\x83\x85\x81\x5b\x83\x67", kItem3 = "\x89\x45";

// A folder on the disk under test: $KIROKU_BENCH_DIR, or beside the program.
std::string BenchFolder() {
  const char* base = std::getenv("KIROKU_BENCH_DIR");
  std::string folder = std::string(base ? base : ".") + "/journal-bench-" + std::to_string(::getpid());
  std::filesystem::remove_all(folder);
  return folder;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(benchmark::State& state, const char* name, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  state.counters[std::string(name) + "_median_us"] = ms[ms.size() / 2] * 1000;
  state.counters[std::string(name) + "_max_us"] = ms.back() * 1000;
}

// One press on the screen's thread, the journal's record included: presses
// alternate between a recording with the journal and one without it.
void BM_PressWithAndWithoutJournal(benchmark::State& state) {
  const std::string folder = BenchFolder();
  LeanScreens screens;
  Recording with(screens), without(screens);
  JournalWriter journal(folder);
  with.setJournal(&journal);
  for (Recording* r : {&with, &without}) {
    r->ResetRecordingState();
    r->SetUpEventGrids();
  }
  std::vector<double> on, off;
  int n = 0;
  for (auto _ : state) {
    for (Recording* r : {&with, &without}) {
      const auto t0 = Clock::now();
      r->EnterItem1(1 + (n & 1), 1 + n % 16, kPlayer);
      const auto t1 = Clock::now();
      r->EnterItem2(1 + n % 10, kItem2);
      r->EnterItem3(1 + n % 7, kItem3);
      (r == &with ? on : off).push_back(Ms(t1 - t0));
    }
    ++n;
  }
  Report(state, "with_journal", on);
  Report(state, "without_journal", off);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PressWithAndWithoutJournal)->Iterations(20000)->Unit(benchmark::kMicrosecond);

// From the press to its record being durable (written and fdatasync'ed), one
// press at a time, at the pace of an operator.
void BM_PressToDurable(benchmark::State& state) {
  const std::string folder = BenchFolder();
  LeanScreens screens;
  Recording rec(screens);
  rec.ResetRecordingState();
  rec.SetUpEventGrids();
  JournalWriter journal(folder);
  rec.setJournal(&journal);
  journal.waitDurable(1, std::chrono::seconds(5));
  std::vector<double> ms;
  int n = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    rec.EnterItem1(1 + (n & 1), 1 + n % 16, kPlayer);
    journal.waitDurable(journal.recorded(), std::chrono::seconds(5));
    ms.push_back(Ms(Clock::now() - t0));
    state.PauseTiming();
    rec.EnterItem2(1 + n % 10, kItem2);
    rec.EnterItem3(1 + n % 7, kItem3);
    journal.waitDurable(journal.recorded(), std::chrono::seconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + n % 37));  // presses come at no fixed phase
    state.ResumeTiming();
    ++n;
  }
  Report(state, "press_to_durable", ms);
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PressToDurable)->Iterations(200)->Unit(benchmark::kMillisecond);

// The choice at start among 200 journals of 2,000 events each, all saved
// after their last event, so that every one is looked at and none offered;
// then with the oldest one unsaved, which is read whole.
void BM_FindUnsavedRunAmong200(benchmark::State& state) {
  const std::string folder = BenchFolder();
  platform::MakeFolders(folder);
  const bool oldestUnsaved = state.range(0) != 0;
  for (int run = 0; run < 200; ++run) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "20260101-%06d", 100000 + run);
    std::string bytes = FormatJournalLine(0, 0, "journal", {"1", stamp, "7"});
    std::uint64_t n = 1;
    bytes += FormatJournalLine(n++, 0, "cell", {"1", "1", "\x93\x8c"});
    bytes += FormatJournalLine(n++, 0, "switch", {});
    for (int e = 0; e < 2000; ++e) {
      bytes += FormatJournalLine(n++, 10 * e, "player", {"1", "3", "12:34", kPlayer});
      bytes += FormatJournalLine(n++, 10 * e, "item2", {"2", kItem2});
      bytes += FormatJournalLine(n++, 10 * e, "item3", {"3", kItem3});
    }
    if (!(oldestUnsaved && run == 0)) {
      bytes += FormatJournalLine(n++, 30000, "save", {"0"});
      bytes += FormatJournalLine(n++, 30000, "register", {"0"});
      bytes += FormatJournalLine(n++, 30000, "end", {});
    }
    bool exists = false;
    auto file = platform::CreateNew(folder + "/" + stamp + "-7.journal", exists);
    file->write(bytes.data(), bytes.size());
  }
  for (auto _ : state) {
    const auto run = FindUnsavedRun(folder);
    if (run.has_value() != oldestUnsaved) state.SkipWithError("the wrong choice");
    benchmark::DoNotOptimize(run);
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FindUnsavedRunAmong200)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kiroku::bench
