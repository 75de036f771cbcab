#include "season/season.h"

#include "season/workbook.h"

#include <array>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include "export/export.h"
#include "tests/support/fake_screens.h"
#include "tests/support/temp_dir.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace kiroku::season {
namespace {

const Text kTotal = "\x8d\x87\x8c\x76";                                  // 合計
const Text kGames = "\x8e\x8e\x8d\x87\x90\x94";                          // 試合数
const Text kNoName = "\x81\x69\x96\xbc\x91\x4f\x82\xc8\x82\xb5\x81\x6a";  // （名前なし）
const Text kNotList =                                                    // 一覧表の形ではありません
    "\x88\xea\x97\x97\x95\x5c\x82\xcc\x8c\x60\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";
// 集計表の形ではありません（N 行目）
Text NotTable(int line) {
  return "\x8f\x57\x8c\x76\x95\x5c\x82\xcc\x8c\x60\x82\xc5\x82\xcd\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x69" +
         std::to_string(line) + " \x8d\x73\x96\xda\x81\x6a";
}
const Text kWide = "\x81\x40";  // the full-width space

// One team's side of a game as the setup sheet had it; counts {player,
// item 2, item 3, n}, all from 1.
struct Side {
  Text team;
  std::vector<Text> players, item2, item3;
  std::vector<std::array<int, 4>> counts;
};

using Grid = std::vector<std::vector<Text>>;  // [line from 1][cell from 1]

struct PlayedGame {
  Side sides[2];
  bool resaved = false;  // as a spreadsheet saves tab-separated text again
  std::function<void(Grid& list, Grid& table)> edit;
  Text refusal;
};

Text At(const std::vector<Text>& v, int n) { return n <= static_cast<int>(v.size()) ? v[n - 1] : Text(); }

std::string Bytes(const Grid& grid, bool resaved) {
  std::vector<std::string> lines;
  for (std::size_t n = 1; n < grid.size(); ++n) {
    std::size_t cells = grid[n].size() - 1;
    if (resaved)
      while (cells > 0 && grid[n][cells].empty()) --cells;
    std::string line;
    for (std::size_t j = 1; j <= cells; ++j) line += grid[n][j] + (resaved && j == cells ? "" : "\t");
    lines.push_back(line);
  }
  if (resaved)
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
  std::string out;
  for (const auto& l : lines) out += l + (resaved ? "\n" : "\r\n");
  return out;
}

// Both files as データ保存 lays them out: 300 lines of 10 cells, 900 of 15.
std::pair<std::string, std::string> Files(const PlayedGame& g) {
  Grid list(301, std::vector<Text>(11)), table(901, std::vector<Text>(16));
  const Text headers[] = {"'\x8e\x9e\x8a\xd4", "\x8d\x80\x96\xda\x31", "\x8d\x80\x96\xda\x32",
                          "\x8d\x80\x96\xda\x33"};  // '時間 項目1 項目2 項目3
  for (int t = 0; t < 2; ++t) {
    const Side& s = g.sides[t];
    list[1][1 + 5 * t] = s.team;
    for (int c = 0; c < 4; ++c) list[2][1 + 5 * t + c] = headers[c];
    int n[18][12][12] = {};
    for (const auto& [p, i, k, v] : s.counts)
      for (int pp : {p, 17})
        for (int ii : {i, 11})
          for (int kk : {k, 11}) n[pp][ii][kk] += v;
    for (int k = 1; k <= 11; ++k) {
      const int base = 209 * t + 19 * (k - 1);
      table[base + 1][1] = k == 11 ? kTotal : At(s.item3, k);
      for (int i = 1; i <= 10; ++i) table[base + 1][i + 1] = At(s.item2, i);
      table[base + 1][12] = kTotal;
      for (int p = 1; p <= 17; ++p) {
        table[base + 1 + p][1] = p == 17 ? kTotal : At(s.players, p);
        for (int i = 1; i <= 11; ++i) table[base + 1 + p][i + 1] = std::to_string(n[p][i][k]);
      }
    }
  }
  if (g.edit) g.edit(list, table);
  return {Bytes(list, g.resaved), Bytes(table, g.resaved)};
}

std::string Replace(std::string s, const std::vector<std::pair<std::string, std::string>>& words) {
  for (const auto& [from, to] : words)
    for (std::size_t at; (at = s.find(from)) != std::string::npos;) s.replace(at, from.size(), to);
  return s;
}

// Expected tables: rows split by ";", cells by ","; {T} 合計, {G} 試合数, {N} （名前なし）.
Text Expand(const std::string& s) { return Replace(s, {{"{T}", kTotal}, {"{G}", kGames}, {"{N}", kNoName}}); }

std::string Show(const Season::Table& t) {
  std::string out;
  for (std::size_t r = 0; r < t.size(); ++r) {
    for (std::size_t c = 0; c < t[r].size(); ++c) out += (c ? "," : "") + t[r][c];
    out += r + 1 < t.size() ? ";" : "";
  }
  return out;
}

struct Case {
  const char* name;
  std::vector<PlayedGame> games;  // oldest first
  const char* category;           // of team T; nullptr: 合計
  View view;
  std::string table, teams, categories;
};

const Side kT{"T", {"A", "B"}, {"x", "y"}, {"k1", "k2"}, {{1, 1, 1, 3}, {2, 2, 2, 2}}};
const Side kU{"U", {"P", "Q"}, {"x", "y"}, {"k1", "k2"}, {{1, 1, 1, 9}}};
const std::string kTOfTU = "{T},{G},x,y,{T};A,1,3,0,3;B,1,0,2,2;{T},1,3,2,5", kNothing = "{T},{G},{T};{T},0,0";

std::function<void(Grid&, Grid&)> TableCell(int line, int cell, Text value) {
  return [=](Grid&, Grid& t) { t[line][cell] = value; };
}

// One game {kT, kU}, its files edited so that it is refused.
Case Refused(const char* name, std::function<void(Grid&, Grid&)> edit, Text refusal, bool resaved = false) {
  return {name, {{{kT, kU}, resaved, edit, refusal}}, nullptr, View::Counts, kNothing, "", ""};
}

std::vector<PlayedGame> Repeat(const PlayedGame& g, int n) { return std::vector<PlayedGame>(n, g); }

std::vector<PlayedGame> Cat(std::vector<PlayedGame> a, const std::vector<PlayedGame>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Case kCases[] = {
    {"one game, team 1", {{{kT, kU}}}, nullptr, View::Counts, kTOfTU, "T,U", "k1,k2"},
    {"the team on side 2 and rosters that differ",
     {{{kT, kU}}, {{Side{"U", {"P"}, {"x"}, {"k1"}, {{1, 1, 1, 1}}}, Side{"T", {"C", "B"}, {"y", "z"}, {"k2"}, {{1, 2, 1, 4}, {2, 1, 1, 1}}}}}},
     nullptr, View::Counts, "{T},{G},x,y,z,{T};A,1,3,0,0,3;B,2,0,3,0,3;C,1,0,0,4,4;{T},2,3,3,4,10", "T,U", "k1,k2"},
    {"both sides the team: added, the game once",
     {{{kT, Side{"T", {"B", "C"}, {"x"}, {"k2"}, {{1, 1, 1, 5}, {2, 1, 1, 1}}}}}}, nullptr, View::Counts,
     "{T},{G},x,y,{T};A,1,3,0,3;B,1,5,2,7;C,1,1,0,1;{T},1,9,2,11", "T", "k1,k2"},
    {"most games first, ties by first appearance",
     {{{kU, Side{"V", {}, {}, {}, {}}}}, {{Side{"W", {}, {}, {}, {}}, kT}}, {{kT, Side{"U", {}, {}, {}, {}}}}}, "k2",
     View::Counts, "k2,{G},x,y,{T};A,2,0,0,0;B,2,0,4,4;{T},2,0,4,4", "U,T,V,W", "k1,k2"},
    {"trailing spaces and 81 40 trimmed, a trail byte 81 before 40 kept",
     {{{Side{" T" + kWide, {"A ", kWide + "A", "\x83\x81\x40"}, {"x" + kWide, "x"}, {kWide + "k1 "},
             {{1, 1, 1, 1}, {2, 2, 1, 2}, {3, 1, 1, 4}}},
        kU}}},
     "k1", View::Counts, "k1,{G},x,{T};A,1,3,3;\x83\x81\x40,1,4,4;{T},1,7,7", "T,U", "k1"},
    {"empty names and labels: （名前なし） with counts, else left out",
     {{{Side{"T", {"A", "", "", "B"}, {"", "x", ""}, {"", "k2", ""}, {{2, 1, 1, 1}, {1, 2, 2, 2}}}, kU}}}, nullptr,
     View::Counts, "{T},{G},{N},x,{T};A,1,0,2,2;{N},1,1,0,1;B,1,0,0,0;{T},1,1,2,3", "T,U", "{N},k2"},
    {"a name twice in one game is one row",
     {{{Side{"T", {"A", "A"}, {"x", "x"}, {"k1", "k1"}, {{1, 1, 1, 1}, {2, 2, 2, 10}}}, kU}}}, nullptr, View::Counts,
     "{T},{G},x,{T};A,1,11,11;{T},1,11,11", "T,U", "k1"},
    {"a block that names its rows otherwise than the one before",
     {{{Side{"T", {"A", ""}, {"x"}, {"k1", "k2"}, {{2, 1, 2, 5}}}, kU}, false, TableCell(21, 1, "C")}}, nullptr,
     View::Counts, "{T},{G},x,{T};A,1,0,0;C,1,0,0;{N},1,5,5;{T},1,5,5", "T,U", "k1,k2"},
    {"a spreadsheet's save reads the same", {{{kT, kU}, true}}, nullptr, View::Counts, kTOfTU, "T,U", "k1,k2"},
    {"per game, halves up at .x5",
     Cat(Repeat({{Side{"T", {"A", "B"}, {"x", "y"}, {"k1"}, {{1, 1, 1, 1}}}, kU}}, 2),
         Repeat({{Side{"T", {"A"}, {"x", "y"}, {"k1"}, {{1, 2, 1, 5}}}, kU}}, 2)),
     nullptr, View::PerGame, "{T},{G},x,y,{T};A,4,0.5,2.5,3.0;B,2,0.0,0.0,0.0;{T},4,0.5,2.5,3.0", "T,U", "k1"},
    {"per game, thirds and quarters",
     Cat({{{Side{"T", {"A"}, {"x", "y", "z"}, {"k1"}, {{1, 1, 1, 1}, {1, 2, 1, 3}, {1, 3, 1, 5}}}, kU}}},
         Repeat({{Side{"T", {"A"}, {"x"}, {"k1"}, {}}, kU}}, 3)),
     nullptr, View::PerGame, "{T},{G},x,y,z,{T};A,4,0.3,0.8,1.3,2.3;{T},4,0.3,0.8,1.3,2.3", "T,U", "k1"},
    {"share, halves up, empty at 0",
     {{{Side{"T", {"A", "B"}, {"x", "y", "z"}, {"k1", "k2"},
             {{1, 1, 1, 1}, {1, 1, 2, 15}, {1, 2, 1, 3}, {1, 2, 2, 13}, {2, 1, 2, 3}}},
        kU}}},
     "k1", View::Share, "k1,{G},x,y,z,{T};A,1,6.3%,18.8%,,12.5%;B,1,0.0%,,,0.0%;{T},1,5.3%,18.8%,,11.4%", "T,U", "k1,k2"},
    {"share of one third", {{{Side{"T", {"A"}, {"x"}, {"k1", "k2"}, {{1, 1, 1, 1}, {1, 1, 2, 2}}}, kU}}}, "k2",
     View::Share, "k2,{G},x,{T};A,1,66.7%,66.7%;{T},1,66.7%,66.7%", "T,U", "k1,k2"},
    {"refused games are left out",
     {{{kT, kU}}, {{kT, kU}, false, [](Grid& l, Grid&) { l[2][3] = "x"; }, kNotList}}, nullptr, View::Counts, kTOfTU,
     "T,U", "k1,k2"},
    Refused("list line 2 moved", [](Grid& l, Grid&) { l[2].erase(l[2].begin() + 1); }, kNotList),
    Refused("row 1 cell 12 of team 2's block 3", TableCell(248, 12, "x"), NotTable(248)),
    Refused("row 18 cell 1", TableCell(18, 1, kTotal + " "), NotTable(18)),
    {"a count that is no whole number",
     {{{kT, kU}, false, TableCell(22, 4, "1.5"), NotTable(22)},
      {{kT, kU}, false, TableCell(23, 2, "1234567890"), NotTable(23)},
      {{kT, kU}, false, TableCell(230, 2, "+1"), NotTable(230)},
      {{kT, kU}, false, TableCell(3, 11, ""), NotTable(3)},
      {{kT, kU}, false, TableCell(2, 2, "-123456789")}},
     nullptr, View::Counts, "{T},{G},x,y,{T};A,1,-123456789,0,-123456789;B,1,0,2,2;{T},1,-123456789,2,-123456787",
     "T,U", "k1,k2"},
    Refused("a table file that ends early", [](Grid&, Grid& t) { t.resize(101); }, NotTable(101), true),
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class SeasonCases : public ::testing::TestWithParam<Case> {};

TEST_P(SeasonCases, ReadsMatchesAndShows) {
  const Case& c = GetParam();
  std::vector<Game> games(c.games.size());
  std::vector<const Game*> checked;
  for (std::size_t n = 0; n < games.size(); ++n) {
    const auto [list, table] = Files(c.games[n]);
    ReadGame(list, table, games[n]);
    EXPECT_EQ(games[n].refusal, c.games[n].refusal) << "game " << n;
    checked.push_back(&games[n]);  // refused ones too: the season passes them over
  }
  const Season season(checked);
  EXPECT_EQ(Show({season.teams()}), c.teams);
  EXPECT_EQ(Show({season.categories("T")}), Expand(c.categories));
  const auto category = c.category ? std::optional<Text>(c.category) : std::nullopt;
  EXPECT_EQ(Show(season.table("T", category, c.view)), Expand(c.table));
}

INSTANTIATE_TEST_SUITE_P(Cases, SeasonCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(SeasonText, CellsByTabRowsByCrLf) {
  EXPECT_EQ(TableText({{"a", "", "b"}, {"c"}}), "a\t\tb\r\nc\r\n");
}

// ---------------------------------------------------------------- a folder

void WriteAt(const std::string& name, const std::string& bytes, std::time_t when) {
  testing::WriteFileBytes(name, bytes);
  std::filesystem::last_write_time(testing::NativePath(name),
                                   std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(when)));
}

const auto kTUFiles = Files({{kT, kU}});  // list, table

void WriteGame(const std::string& prefix, std::time_t when) {
  WriteAt(prefix + "list.xls", kTUFiles.first, when);
  WriteAt(prefix + "table.xls", kTUFiles.second, when);
}

TEST(SeasonFolder, FindsWhatDataSaveNamesOldestFirst) {
  testing::TempDir dir;
  const std::time_t t0 = 1700000000;
  const std::string utf8Shiai = "\xe8\xa9\xa6\xe5\x90\x88";  // 試合, as the folder lists it
  WriteGame(utf8Shiai, t0 + 60);
  WriteGame("", t0);
  WriteGame("b_", t0 + 120);
  WriteGame("a_", t0 + 120);
  WriteAt("x_table.xls", kTUFiles.second, t0);  // no partner
  WriteAt("y_list.xls", kTUFiles.first, t0);
  testing::MakeFolder("sub");
  WriteGame("sub/", t0);
  WriteGame("\xf0\x9f\x98\x80", t0);  // a name with no CP932 form
#ifndef _WIN32
  WriteGame("\xff\xfe", t0);  // no UTF-8 name at all
#endif
  WriteAt("big_table.xls", std::string(10 << 20, 'x'), t0 + 180);
  WriteAt("big_list.xls", kTUFiles.first, t0 + 180);
  std::string noise(50000, 0);
  unsigned seed = 1;
  for (auto& c : noise) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
  WriteAt("rnd_table.xls", noise, t0 + 180);
  WriteAt("rnd_list.xls", noise, t0 + 180);

  const Folder folder = ReadFolder(dir.path());
  EXPECT_EQ(folder.error, "");
  std::string seen;
  for (const Game& g : folder.games) {
    const std::time_t t = static_cast<std::time_t>(g.modified);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y/%m/%d %H:%M", std::localtime(&t));
    EXPECT_EQ(g.stamp, stamp);
    seen += "[" + g.prefix + "] " + std::to_string(g.modified - t0) + " " + g.teams[0] + "/" + g.teams[1] + " " +
            g.refusal + "\n";
  }
  EXPECT_EQ(seen, "[] 0 T/U \n[\x8e\x8e\x8d\x87] 60 T/U \n[a_] 120 T/U \n[b_] 120 T/U \n[big_] 180 T/U " +
                      NotTable(1) + "\n[rnd_] 180 / " + kNotList + "\n");
  ASSERT_EQ(folder.games.size(), 6u);
  EXPECT_EQ(folder.games[1].tableFile, dir.path() + "/" + utf8Shiai + "table.xls");
  EXPECT_EQ(Show(Season({&folder.games[1]}).table("T", std::nullopt, View::Counts)), Expand(kTOfTU));
}

// What データ保存 itself wrote reads back as it was recorded, on either side.
TEST(SeasonFolder, ReadsWhatDataSaveWrote) {
  testing::TempDir dir;
  testing::FakeScreens screens;
  Recording rec(screens);
  SetupSheet sheet;
  CreateSetupSheet(sheet, rec);
  rec.SetUpEventGrids();
  screens.setPanelCaption(Form::Form2, 1, "00:00");
  sheet.StringGrid1.setCell(1, 1, "T");
  sheet.StringGrid1.setCell(3, 1, "U");
  for (int p = 1; p <= 16; ++p) {
    sheet.StringGrid1.setCell(1, p + 1, p <= 2 ? "A" + std::to_string(p) : "");
    sheet.StringGrid1.setCell(3, p + 1, p <= 2 ? "B" + std::to_string(p) : "");
  }
  const char* labels[] = {"x", "y", "z", "", "", "", "", "", "", "", "k1", "k2"};
  for (int k = 1; k <= 20; ++k) sheet.setEdit(k, k <= 12 ? labels[k - 1] : "");
  sheet.setEdit(21, "\x8e\x8e\x8d\x87");
  for (const auto [team, player, item2, item3] : {std::array{1, 1, 1, 2}, {1, 1, 1, 2}, {1, 2, 3, 1}, {2, 1, 2, 2}}) {
    rec.EnterItem1(team, player, sheet.playerName(team, player));
    rec.EnterItem2(item2, sheet.item2Label(item2));
    rec.EnterItem3(item3, sheet.item3Label(item3));
  }
  SaveResults(sheet, rec);

  const Folder folder = ReadFolder(dir.path());
  ASSERT_EQ(folder.games.size(), 1u);
  EXPECT_EQ(folder.games[0].refusal, "");
  const Season season({&folder.games[0]});
  EXPECT_EQ(Show(season.table("T", std::nullopt, View::Counts)),
            Expand("{T},{G},x,y,z,{T};A1,1,2,0,0,2;A2,1,0,0,1,1;{T},1,2,0,1,3"));
  EXPECT_EQ(Show(season.table("U", "k2", View::Counts)), Expand("k2,{G},x,y,z,{T};B1,1,0,1,0,1;B2,1,0,0,0,0;{T},1,0,1,0,1"));
}

// 読めません（コード N）
Text Unreadable(int code) {
  return "\x93\xc7\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x81\x69\x83\x52\x81\x5b\x83\x68 " + std::to_string(code) +
         "\x81\x6a";
}

TEST(SeasonFolder, SaysWhatCannotBeRead) {
  testing::TempDir dir;
  const Folder missing = ReadFolder(dir.path() + "/missing");
  EXPECT_TRUE(missing.games.empty());
  EXPECT_EQ(missing.error, Unreadable(3));

  WriteGame("held_", 0);
#ifdef _WIN32
  // As Excel holds the file it shows.
  const HANDLE held = ::CreateFileW(L"held_table.xls", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Folder folder = ReadFolder(dir.path());
  ::CloseHandle(held);
  const int code = 32;
#else
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  std::filesystem::permissions("held_list.xls", std::filesystem::perms::none);
  const Folder folder = ReadFolder(dir.path());
  const int code = 5;
#endif
  ASSERT_EQ(folder.games.size(), 1u);
  EXPECT_EQ(folder.games[0].refusal, Unreadable(code));
}

// ---------------------------------------------------------------- the workbook

// Every sheet as openpyxl reads it: its name and frozen cell, its rows (n for
// a number, d for a date, * for bold), and any column narrower than its text.
constexpr const char* kDumpScript = R"(import sys, unicodedata, openpyxl
from openpyxl.utils import get_column_letter
wb = openpyxl.load_workbook(sys.argv[1])
out = []
for ws in wb.worksheets:
    out.append('# %s %s' % (ws.title, ws.freeze_panes))
    for row in ws.iter_rows():
        cells = []
        for c in row:
            v = c.value
            if v is None: t = ''
            elif hasattr(v, 'strftime'): t = 'd' + v.strftime('%Y/%m/%d %H:%M')
            elif isinstance(v, (int, float)): t = 'n%g' % v
            else: t = v
            cells.append(('*' if c.font.b else '') + t)
        out.append('|'.join(cells))
    for i, col in enumerate(ws.iter_cols(), 1):
        need = max(16 if hasattr(c.value, 'strftime') else
                   sum(2 if unicodedata.east_asian_width(ch) in 'WF' else 1 for ch in str(c.value or ''))
                   for c in col)
        if ws.column_dimensions[get_column_letter(i)].width < need: out.append('narrow %d' % i)
sys.stdout.buffer.write(('\n'.join(out) + '\n').encode('utf-8'))
)";

// UTF-8 of the Japanese texts: {T} 合計, {G} 試合数, {Y} 山田, {K} 攻撃, {S} 試合, {D} 日付, {F} ファイル, {C} チーム.
[[maybe_unused]] std::string Utf8Expand(const std::string& s) {
  return Replace(s, {{"{T}", "\xe5\x90\x88\xe8\xa8\x88"}, {"{G}", "\xe8\xa9\xa6\xe5\x90\x88\xe6\x95\xb0"},
                     {"{Y}", "\xe5\xb1\xb1\xe7\x94\xb0"}, {"{K}", "\xe6\x94\xbb\xe6\x92\x83"},
                     {"{S}", "\xe8\xa9\xa6\xe5\x90\x88"}, {"{D}", "\xe6\x97\xa5\xe4\xbb\x98"},
                     {"{F}", "\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab"},
                     {"{C}", "\xe3\x83\x81\xe3\x83\xbc\xe3\x83\xa0"}});
}

TEST(SeasonWorkbook, HoldsEachCategorysCountsAndTheGames) {
  testing::TempDir dir;
  const Text long1 = "abcdefghijklmnopqrstuvwxyz012345678", long2 = "abcdefghijklmnopqrstuvwxyz01234XYZW";
  Game game;
  const auto [list, table] = Files({{Side{"T", {"\x8e\x52\x93\x63", "B"}, {"x", "y"},
                                          {"a/b", long1, "Abc", "abc", long2, "\x8d\x55\x8c\x82"},
                                          {{1, 1, 1, 2}, {2, 2, 3, 1}, {1, 2, 4, 4}}},
                                     kU}});
  ReadGame(list, table, game);
  game.prefix = "\x8e\x8e\x8d\x87";
  game.stamp = "2026/12/10 09:30";
  // シーズン/通算集計_赤.xlsx, in UTF-8: MinGW's libxlsxwriter, as it comes, opens it in the ANSI code page.
  const std::string folder = "\xe3\x82\xb7\xe3\x83\xbc\xe3\x82\xba\xe3\x83\xb3",
                    name = "\xe9\x80\x9a\xe7\xae\x97\xe9\x9b\x86\xe8\xa8\x88_\xe8\xb5\xa4.xlsx";
  testing::MakeFolder(folder);
  testing::WriteFileBytes(folder + "/" + name, "old");
  WriteWorkbook(folder + "/" + name, Season({&game}), "T");
  EXPECT_EQ(testing::ListDirectory(folder), name + "\n");  // nothing left beside it
  EXPECT_EQ(testing::ReadFileBytes(folder + "/" + name).substr(0, 4), std::string("PK\x03\x04", 4));
#ifdef _WIN32
  GTEST_SKIP() << "openpyxl reads it back on Linux";
#else
  testing::WriteFileBytes("dump.py", kDumpScript);
  ASSERT_EQ(std::system((KIROKU_PYTHON3 " dump.py " + folder + "/" + name + " > dump.txt").c_str()), 0);
  const std::string zeros = "|*{G}|*x|*y|*{T}\n{Y}|n1|n0|n0|n0\nB|n1|n0|n0|n0\n{T}|n1|n0|n0|n0\n";
  EXPECT_EQ(testing::ReadFileBytes("dump.txt"),
            Utf8Expand("# {T} B2\n*{T}|*{G}|*x|*y|*{T}\n{Y}|n1|n2|n4|n6\nB|n1|n0|n1|n1\n{T}|n1|n2|n5|n7\n"
                       "# a_b B2\n*a/b|*{G}|*x|*y|*{T}\n{Y}|n1|n2|n0|n2\nB|n1|n0|n0|n0\n{T}|n1|n2|n0|n2\n"
                       "# abcdefghijklmnopqrstuvwxyz01234 B2\n*" + long1 + zeros +
                       "# Abc B2\n*Abc|*{G}|*x|*y|*{T}\n{Y}|n1|n0|n0|n0\nB|n1|n0|n1|n1\n{T}|n1|n0|n1|n1\n"
                       "# abc (2) B2\n*abc|*{G}|*x|*y|*{T}\n{Y}|n1|n0|n4|n4\nB|n1|n0|n0|n0\n{T}|n1|n0|n4|n4\n"
                       "# abcdefghijklmnopqrstuvwxyz0 (2) B2\n*" + long2 + zeros +
                       "# {K} B2\n*{K}" + zeros +
                       "# {S} A2\n*{D}|*{F}|*{C}1|*{C}2\nd2026/12/10 09:30|{S}|T|U\n"));
#endif
}

TEST(SeasonWorkbook, FailsWithItsCodeAndLeavesTheFileThere) {
  testing::TempDir dir;
  const Season season({});
  EXPECT_EQ(testing::IoErrorCode([&] { WriteWorkbook(dir.path() + "/missing/out.xlsx", season, "T"); }), 3);
  testing::WriteFileBytes("out.xlsx", "old");
#ifndef _WIN32
  SetWorkbookLibraryName("libkiroku-none.so.0");  // the package's dependency removed meanwhile
  EXPECT_EQ(testing::IoErrorCode([&] { WriteWorkbook(dir.path() + "/out.xlsx", season, "T"); }), 126);
  SetWorkbookLibraryName(nullptr);
  EXPECT_EQ(testing::ReadFileBytes("out.xlsx"), "old");
#endif
  testing::MakeReadOnly("out.xlsx");
  EXPECT_EQ(testing::IoErrorCode([&] { WriteWorkbook(dir.path() + "/out.xlsx", season, "T"); }), 5);
  EXPECT_EQ(testing::ReadFileBytes("out.xlsx"), "old");
  EXPECT_EQ(testing::ListDirectory(), "out.xlsx\n");
}

TEST(SeasonWorkbook, NameKeepsTrailBytesAndReplacesTheRest) {
  // 通算集計_, then ソ, whose second byte is a backslash.
  EXPECT_EQ(WorkbookName("a/b:c*d?e\"f<g>h|i\\j\x83\x5c"),
            "\x92\xca\x8e\x5a\x8f\x57\x8c\x76_a_b_c_d_e_f_g_h_i_j\x83\x5c.xlsx");
}

}  // namespace
}  // namespace kiroku::season
