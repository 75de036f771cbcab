#include "export/export.h"

#include <map>
#include <tuple>

#include <gtest/gtest.h>

#include "files/text_file.h"
#include "tests/support/fake_screens.h"
#include "tests/support/temp_dir.h"

namespace kiroku {
namespace {

using testing::FakeScreens;
using testing::FileExists;
using testing::ReadFileBytes;
using testing::ScopedIoFaults;
using testing::TempDir;
using testing::WriteFileBytes;

const Text kGokei = "\x8d\x87\x8c\x76";                                   // 合計
const Text kPrefixDefault = "\x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc";  // ファイル名
// The same name as the file system holds it.
const std::string kPrefixOnDisk = "\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab\xe5\x90\x8d";
const std::vector<Text> kHeaders = {"'\x8e\x9e\x8a\xd4", "\x8d\x80\x96\xda\x31", "\x8d\x80\x96\xda\x32",
                                    "\x8d\x80\x96\xda\x33"};  // '時間 項目1 項目2 項目3

using Cells = std::vector<std::vector<Text>>;  // [line 1..][cell 1..]

std::string Join(const Cells& lines) {
  std::string out;
  for (size_t n = 1; n < lines.size(); ++n) {
    for (size_t j = 1; j < lines[n].size(); ++j) out += lines[n][j] + "\t";
    out += "\r\n";
  }
  return out;
}

struct Event {
  int team, player, item2, item3;
  Text stamp;  // "mm:ss" as the panel shows it
};

// Builds both files from the events, names and labels, without the code under test.
class Expected {
 public:
  Text names[3][18];  // [team][row 1..17]
  Text labels[21];
  std::vector<Event> events[3];  // rows of each team's grid in order

  std::string list() const {
    Cells l(301, std::vector<Text>(11));
    l[1][1] = names[1][1];
    l[1][6] = names[2][1];
    for (int t = 1; t <= 2; ++t) {
      const int off = t == 1 ? 1 : 6;
      for (int c = 0; c < 4; ++c) l[2][off + c] = kHeaders[c];
      for (size_t e = 0; e < events[t].size() && e < 298; ++e) {
        const auto& ev = events[t][e];
        l[3 + e][off] = "'" + ev.stamp.substr(0, 2) + "\x81\x46" + ev.stamp.substr(3, 2);
        l[3 + e][off + 1] = names[t][ev.player + 1];
        l[3 + e][off + 2] = labels[ev.item2];
        l[3 + e][off + 3] = labels[10 + ev.item3];
      }
    }
    return Join(l);
  }

  std::string table() const {
    std::map<std::tuple<int, int, int, int>, int> count;
    for (int t = 1; t <= 2; ++t)
      for (const auto& ev : events[t]) {
        for (int p : {ev.player, 17})
          for (int i : {ev.item2, 11})
            for (int k : {ev.item3, 11}) ++count[{t, p, i, k}];
      }
    Cells l(901, std::vector<Text>(16));
    for (int t = 1; t <= 2; ++t)
      for (int k = 1; k <= 11; ++k) {
        const int b = 209 * (t - 1) + 19 * (k - 1);
        l[b + 1][1] = k == 11 ? kGokei : labels[10 + k];
        for (int i = 1; i <= 11; ++i) l[b + 1][1 + i] = i == 11 ? kGokei : labels[i];
        for (int p = 1; p <= 17; ++p) {
          l[b + 1 + p][1] = p == 17 ? kGokei : names[t][p + 1];
          for (int i = 1; i <= 11; ++i) {
            auto it = count.find({t, p, i, k});
            l[b + 1 + p][1 + i] = std::to_string(it == count.end() ? 0 : it->second);
          }
        }
      }
    return Join(l);
  }
};

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateSetupSheet(sheet, rec);
    rec.SetUpEventGrids();
    for (int t = 1; t <= 2; ++t) exp.names[t][1] = sheet.teamName(t);
    screens.setPanelCaption(Form::Form2, 1, "00:00");
  }
  void name(int team, int player, Text text) {
    sheet.StringGrid1.setCell(team == 2 ? 3 : 1, player + 1, text);
    exp.names[team][player + 1] = text;
  }
  void label(int k, Text text) {  // 1-10 item 2, 11-20 item 3
    sheet.setEdit(k, text);
    exp.labels[k] = text;
  }
  // One whole event through the three presses, captions as the screens carry them.
  void record(int team, int player, int item2, int item3, const Text& stamp = "07:05") {
    screens.setPanelCaption(Form::Form2, 1, stamp);
    rec.EnterItem1(team, player, sheet.playerName(team, player));
    rec.EnterItem2(item2, sheet.item2Label(item2));
    rec.EnterItem3(item3, sheet.item3Label(item3));
    exp.events[team].push_back({team, player, item2, item3, stamp});
  }
  void expectTotalsCleared() {
    for (int t = 1; t <= 2; ++t)
      for (int p = 1; p <= 17; ++p)
        for (int i = 1; i <= 11; ++i)
          for (int k = 1; k <= 11; ++k)
            if (TallyTableT::isTotal(p, i, k)) {
              ASSERT_EQ(rec.TallyTable.at(t, p, i, k), 0);
            }
  }
  std::string listFile() { return ReadFileBytes(kPrefixOnDisk + "list.xls"); }
  std::string tableFile() { return ReadFileBytes(kPrefixOnDisk + "table.xls"); }
  static std::vector<std::string> Lines(const std::string& file) {
    std::vector<std::string> lines{""};
    size_t p = 0;
    for (size_t e; (e = file.find("\r\n", p)) != std::string::npos; p = e + 2) lines.push_back(file.substr(p, e - p));
    return lines;
  }

  TempDir dir;
  FakeScreens screens;
  Recording rec{screens};
  SetupSheet sheet;
  Expected exp;
};

TEST_F(ExportTest, NoEventsAtAll) {
  SaveResults(sheet, rec);
  const auto list = listFile();
  EXPECT_EQ(list, exp.list());
  const auto lines = Lines(list);
  ASSERT_EQ(lines.size(), 301u);
  // 団体名 then three empty cells, twice
  EXPECT_EQ(lines[1], "\x92\x63\x91\xcc\x96\xbc\t\t\t\t\t\x92\x63\x91\xcc\x96\xbc\t\t\t\t\t");
  EXPECT_EQ(lines[300], std::string(10, '\t'));
  const auto table = tableFile();
  EXPECT_EQ(table, exp.table());
  EXPECT_EQ(Lines(table).size(), 901u);
  EXPECT_EQ(Lines(table)[900], std::string(15, '\t'));
  expectTotalsCleared();
}

TEST_F(ExportTest, OneEventLandsInItsBlockAndTheTotals) {
  name(1, 3, "Sato");
  label(5, "Kick");
  label(12, "Left");
  record(1, 3, 5, 2);
  SaveResults(sheet, rec);
  EXPECT_EQ(listFile(), exp.list());
  const auto table = tableFile();
  EXPECT_EQ(table, exp.table());
  const auto lines = Lines(table);
  // Lines 23 and 37 (block 1,2) and 194 and 208 (block 1,11): "1" in cells 6 and 12.
  for (int n : {23, 37, 194, 208})
    EXPECT_EQ(lines[n].substr(lines[n].find('\t') + 1), "0\t0\t0\t0\t1\t0\t0\t0\t0\t0\t1\t\t\t\t") << n;
  EXPECT_EQ(Lines(listFile())[3].substr(0, 8), "'07\x81\x46\x30\x35\t");
  int ones = 0;
  for (size_t p = 0; (p = table.find("\t1\t", p)) != std::string::npos; ++p) ++ones;
  EXPECT_EQ(ones, 8);
}

TEST_F(ExportTest, ManyEventsUnequalTeamsCorrectionsAndRepeatedClicks) {
  for (int p = 1; p <= 16; ++p) {
    name(1, p, "a" + std::to_string(p));
    if (p % 3) name(2, p, "\x83\x60" + std::to_string(p));
  }
  for (int k = 1; k <= 20; ++k)
    if (k != 4 && k != 17) label(k, "L" + std::to_string(k));
  for (int n = 0; n < 305; ++n) {
    char stamp[6];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d", n / 60 % 60, n % 60);
    record(1, 1 + n % 16, 1 + n % 10, 1 + n * 7 % 10, stamp);
    if (n % 5 == 0) record(2, 1 + n % 16, 1 + n % 9, 1 + n % 10, stamp);
  }
  // A team-2 event taken back completely leaves its row empty for the next one.
  rec.EnterItem1(2, 2, "x");
  rec.CorrectItem1();
  SaveResults(sheet, rec);
  const auto list = listFile();
  const auto table = tableFile();
  EXPECT_EQ(list, exp.list());
  EXPECT_EQ(table, exp.table());
  EXPECT_EQ(Lines(list).size(), 301u);
  expectTotalsCleared();

  SaveResults(sheet, rec);  // nothing in between: the same bytes
  EXPECT_EQ(listFile(), list);
  EXPECT_EQ(tableFile(), table);
}

TEST_F(ExportTest, ARowClearedByCorrectionsIsWrittenEmpty) {
  name(1, 1, "A");
  label(1, "x");
  label(11, "y");
  record(1, 1, 1, 1);
  record(1, 1, 1, 1);
  rec.CorrectItem3();
  rec.CorrectItem2();  // row 2 keeps its time and player only
  exp.events[1].pop_back();
  SaveResults(sheet, rec);
  const auto lines = Lines(listFile());
  EXPECT_EQ(lines[4], "'07\x81\x46\x30\x35\tA\t\t\t\t\t\t\t\t\t");
  EXPECT_EQ(tableFile(), exp.table());
}

TEST_F(ExportTest, TheSheetIsReadAtTheMomentOfTheExport) {
  name(1, 2, "Old");
  label(3, "Before");
  record(1, 2, 3, 1);
  name(1, 2, "New");
  label(3, "After");
  sheet.StringGrid1.setCell(3, 1, "");  // team 2's name emptied
  SaveResults(sheet, rec);
  const auto list = Lines(listFile());
  EXPECT_EQ(list[3].substr(0, 19), "'07\x81\x46\x30\x35\tOld\tBefore\t");  // the grid keeps what was pressed
  EXPECT_EQ(list[1].substr(list[1].size() - 5), "\t\t\t\t\t");
  const auto table = Lines(tableFile());
  EXPECT_EQ(table[1].substr(0, 9), "\t\t\tAfter\t");
  EXPECT_EQ(table[3].substr(0, 4), "New\t");
  EXPECT_EQ(table[18].substr(0, 5), kGokei + "\t");
  EXPECT_EQ(table[227].substr(0, 5), kGokei + "\t");
}

TEST_F(ExportTest, EmptyPrefixWritesIntoTheWorkingFolder) {
  sheet.setEdit(21, "");
  SaveResults(sheet, rec);
  EXPECT_EQ(ReadFileBytes("list.xls"), exp.list());
  EXPECT_EQ(ReadFileBytes("table.xls"), exp.table());
}

TEST_F(ExportTest, AMissingFolderFailsWithCode3AndChangesNothing) {
  record(1, 1, 1, 1);
  sheet.setEdit(21, "nowhere/game");
  const auto tally = rec.TallyTable;
  EXPECT_EQ(testing::IoErrorCode([&] { SaveResults(sheet, rec); }), 3);
  EXPECT_EQ(rec.TallyTable, tally);
  EXPECT_EQ(testing::ListDirectory(), "");
}

TEST_F(ExportTest, AWriteFailingMidwayKeepsTheOldFilesAndClearsTheTotals) {
  record(2, 4, 4, 4);
  WriteFileBytes(kPrefixOnDisk + "list.xls", "old list");
  WriteFileBytes(kPrefixOnDisk + "table.xls", "old table");
  {
    ScopedIoFaults faults({.pathSuffix = "list.xls", .lineNumber = 150, .lineCode = 101});
    EXPECT_EQ(testing::IoErrorCode([&] { SaveResults(sheet, rec); }), 101);
  }
  EXPECT_EQ(listFile(), "old list");
  EXPECT_EQ(tableFile(), "old table");
  expectTotalsCleared();
  {
    ScopedIoFaults faults({.pathSuffix = "table.xls", .lineNumber = 400, .lineCode = 101});
    EXPECT_EQ(testing::IoErrorCode([&] { SaveResults(sheet, rec); }), 101);
  }
  EXPECT_EQ(listFile(), exp.list());
  EXPECT_EQ(tableFile(), "old table");
  expectTotalsCleared();
  SaveResults(sheet, rec);  // totals are the counts alone again
  EXPECT_EQ(tableFile(), exp.table());
  EXPECT_EQ(testing::ListDirectory(), kPrefixOnDisk + "list.xls\n" + kPrefixOnDisk + "table.xls\n");
}

}  // namespace
}  // namespace kiroku
