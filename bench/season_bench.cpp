// 通算集計 at 200 games: the folder read (among 1,000 other files), the table
// after a change, and the workbook. The files are real ones, written by
// データ保存 for four different games and copied under 200 prefixes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/lean_screens.h"
#include "export/export.h"
#include "files/platform_file.h"
#include "season/season.h"
#include "season/workbook.h"
#include "tests/support/temp_dir.h"

namespace kiroku::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kGames = 200, kOtherFiles = 1000;
const Text kHome = "\x93\x8c\x8b\x9e";  // 東京

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(benchmark::State& state, const std::string& name, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  state.counters[name + "_median_ms"] = ms[ms.size() / 2];
  state.counters[name + "_max_ms"] = ms.back();
}

struct Pair {
  std::string list, table;
};

// One game saved by データ保存: the home team on side 1 or 2, rosters and
// labels that differ a little from game to game.
Pair SavedGame(int variant) {
  testing::TempDir dir;
  LeanScreens screens;
  Recording rec(screens);
  SetupSheet sheet;
  CreateSetupSheet(sheet, rec);
  rec.SetUpEventGrids();
  const Text away = "\x91\x8a\x8e\xe8" + std::to_string(variant);  // 相手
  const int home = variant % 2 == 0 ? 1 : 2;
  sheet.StringGrid1.setCell(home == 1 ? 1 : 3, 1, kHome);
  sheet.StringGrid1.setCell(home == 1 ? 3 : 1, 1, away);
  for (int p = 1; p <= 16; ++p) {
    sheet.StringGrid1.setCell(1, p + 1, "\x8d\xb2\x93\xa1" + std::to_string(p + variant * (p > 13)));
    sheet.StringGrid1.setCell(3, p + 1, "\x97\xe9\x96\xd8" + std::to_string(p));
  }
  for (int k = 1; k <= 20; ++k) sheet.setEdit(k, "\x83\x56\x83\x85\x81\x5b\x83\x67" + std::to_string(k + variant * (k == 20)));
  for (int n = 0; n < 600; ++n) {
    rec.EnterItem1(1 + (n & 1), 1 + (n * 7 + variant) % 16, sheet.playerName(1 + (n & 1), 1 + (n * 7 + variant) % 16));
    rec.EnterItem2(1 + n % 10, sheet.item2Label(1 + n % 10));
    rec.EnterItem3(1 + (n / 3) % 10, sheet.item3Label(1 + (n / 3) % 10));
  }
  sheet.setEdit(21, "g");
  SaveResults(sheet, rec);
  return {testing::ReadFileBytes("glist.xls"), testing::ReadFileBytes("gtable.xls")};
}

// A folder of 200 games, a day apart, and 1,000 other files.
class SeasonFolder {
 public:
  SeasonFolder() {
    Pair pairs[4];
    for (int v = 0; v < 4; ++v) pairs[v] = SavedGame(v);
    const auto start = std::chrono::system_clock::from_time_t(1767225600);  // 2026-01-01
    for (int g = 0; g < kGames; ++g) {
      char number[8];
      std::snprintf(number, sizeof number, "%03d_", g);
      const std::string prefix = dir_.path() + "/game" + number;
      const auto when = std::chrono::file_clock::from_sys(start + std::chrono::hours(24 * g));
      for (const auto& [suffix, bytes] : {std::pair{"list.xls", &pairs[g % 4].list}, {"table.xls", &pairs[g % 4].table}}) {
        testing::WriteFileBytes(prefix + suffix, *bytes);
        std::filesystem::last_write_time(prefix + suffix, when);
      }
    }
    for (int n = 0; n < kOtherFiles; ++n)
      testing::WriteFileBytes(dir_.path() + "/memo" + std::to_string(n) + ".txt", std::string(2000, 'm'));
  }
  std::string path() const { return dir_.path(); }

 private:
  testing::TempDir dir_;
};

SeasonFolder& Folder() {
  static SeasonFolder folder;
  return folder;
}

// ReadFolder, alternated with what any reader of the same files must do:
// the folder listed and every game file read whole.
void BM_ReadFolder(benchmark::State& state) {
  const std::string path = Folder().path();
  std::vector<double> season, baseline;
  std::size_t games = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    const season::Folder f = season::ReadFolder(path);
    season.push_back(Ms(Clock::now() - t0));
    games = f.games.size();
    t0 = Clock::now();
    std::string bytes;
    for (const auto& e : platform::ListFiles(path))
      if (e.name.ends_with(".xls")) platform::ReadAll(path + "/" + e.name, bytes);
    baseline.push_back(Ms(Clock::now() - t0));
  }
  Report(state, "read_folder", season);
  Report(state, "list_and_read_all", baseline);
  state.counters["games"] = static_cast<double>(games);
}
BENCHMARK(BM_ReadFolder)->Iterations(30)->Unit(benchmark::kMillisecond);

// A change of a check (the season built again from the checked games and
// its table made), alternated with a change of team, category or view on
// the season as it stands (the table alone).
void BM_SeasonTable(benchmark::State& state) {
  static const season::Folder f = season::ReadFolder(Folder().path());
  std::vector<const season::Game*> checked;
  for (const auto& g : f.games) checked.push_back(&g);
  const auto view = static_cast<season::View>(state.range(0));
  const season::Season standing(checked);
  const Text team = standing.teams().front();
  const auto category =
      view == season::View::Share ? std::optional<Text>(standing.categories(team).front()) : std::nullopt;
  std::vector<double> rebuilt, tableOnly;
  std::size_t cells = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    const season::Season s(checked);
    const auto table = s.table(team, category, view);
    rebuilt.push_back(Ms(Clock::now() - t0));
    t0 = Clock::now();
    const auto again = standing.table(team, category, view);
    tableOnly.push_back(Ms(Clock::now() - t0));
    cells = table.size() * table.front().size();
    benchmark::DoNotOptimize(again.data());
  }
  Report(state, "season_and_table", rebuilt);
  Report(state, "table_only", tableOnly);
  state.counters["cells"] = static_cast<double>(cells);
  state.SetLabel(view == season::View::Counts ? "counts" : view == season::View::PerGame ? "per game" : "share");
}
BENCHMARK(BM_SeasonTable)->Arg(0)->Arg(1)->Arg(2)->Iterations(300)->Unit(benchmark::kMillisecond);

void BM_WriteWorkbook(benchmark::State& state) {
  static const season::Folder f = season::ReadFolder(Folder().path());
  std::vector<const season::Game*> checked;
  for (const auto& g : f.games) checked.push_back(&g);
  const season::Season s(checked);
  testing::TempDir dir;
  const std::string target = dir.path() + "/out.xlsx";
  for (auto _ : state) season::WriteWorkbook(target, s, s.teams().front());
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(target));
  state.counters["sheets"] = static_cast<double>(s.categories(s.teams().front()).size() + 2);
}
BENCHMARK(BM_WriteWorkbook)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kiroku::bench
