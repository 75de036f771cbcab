// "データ保存" (both files, on disk) after 10,000 events of each team.
#include <benchmark/benchmark.h>

#include "bench/lean_screens.h"
#include "export/export.h"
#include "tests/support/temp_dir.h"

namespace kiroku::bench {
namespace {

void BM_SaveResults(benchmark::State& state) {
  testing::TempDir dir;
  LeanScreens screens;
  Recording rec(screens);
  SetupSheet sheet;
  CreateSetupSheet(sheet, rec);
  rec.SetUpEventGrids();
  for (int p = 1; p <= 16; ++p) {
    sheet.StringGrid1.setCell(1, p + 1, "\x8d\xb2\x93\xa1" + std::to_string(p));
    sheet.StringGrid1.setCell(3, p + 1, "\x97\xe9\x96\xd8" + std::to_string(p));
  }
  for (int k = 1; k <= 20; ++k) sheet.setEdit(k, "\x83\x56\x83\x85\x81\x5b\x83\x67" + std::to_string(k));
  for (int n = 0; n < 20000; ++n) {
    rec.EnterItem1(1 + (n & 1), 1 + n % 16, sheet.playerName(1 + (n & 1), 1 + n % 16));
    rec.EnterItem2(1 + n % 10, sheet.item2Label(1 + n % 10));
    rec.EnterItem3(1 + n % 9, sheet.item3Label(1 + n % 9));
  }
  for (auto _ : state) SaveResults(sheet, rec);
}
BENCHMARK(BM_SaveResults)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kiroku::bench
