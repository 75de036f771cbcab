// Which earlier run is offered at start.
#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "journal/journal.h"
#include "files/platform_file.h"
#include "recovery/unsaved_run.h"
#include "tests/support/temp_dir.h"

namespace kiroku {
namespace {

using testing::WriteFileBytes;

// A journal of lines (kind, fields...) numbered from the header on.
std::string Journal(const std::string& stamp, std::vector<std::vector<std::string>> lines) {
  std::string bytes = FormatJournalLine(0, 0, "journal", {"1", stamp, "7"});
  std::uint64_t n = 1;
  for (const auto& l : lines) {
    std::vector<std::string_view> f(l.begin() + 1, l.end());
    switch (f.size()) {
      case 0: bytes += FormatJournalLine(n, 10 * n, l[0], {}); break;
      case 1: bytes += FormatJournalLine(n, 10 * n, l[0], {f[0]}); break;
      case 2: bytes += FormatJournalLine(n, 10 * n, l[0], {f[0], f[1]}); break;
      case 3: bytes += FormatJournalLine(n, 10 * n, l[0], {f[0], f[1], f[2]}); break;
      default: bytes += FormatJournalLine(n, 10 * n, l[0], {f[0], f[1], f[2], f[3]});
    }
    ++n;
  }
  return bytes;
}

// Team 1 東高校 with one event, team 2 西クラブ with one, in CP932.
const std::vector<std::vector<std::string>> kGame = {
    {"cell", "1", "1", "\x93\x8c\x8d\x82\x8d\x5a"},
    {"cell", "3", "1", "\x90\xbc\x83\x4e\x83\x89\x83\x75"},
    {"switch"},
    {"player", "1", "1", "00:01", "A"}, {"item2", "1", "x"}, {"item3", "1", "y"},
    {"player", "2", "3", "00:02", "B"}, {"item2", "2", "x"}, {"item3", "2", "y"},
};

std::vector<std::vector<std::string>> Then(std::vector<std::vector<std::string>> lines,
                                           const std::vector<std::vector<std::string>>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

void Put(const std::string& name, const std::string& bytes, int modifiedHoursAgo = 0) {
  WriteFileBytes("j/" + name, bytes);
  std::filesystem::last_write_time("j/" + name, std::filesystem::file_time_type::clock::now() -
                                                    std::chrono::hours(modifiedHoursAgo));
}

std::string Offered(const std::string& own = {}) {
  const auto run = FindUnsavedRun("j", own);
  return run ? run->name : "none";
}

class UnsavedRunTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directory("j"); }
  kiroku::testing::TempDir dir_;
};

TEST_F(UnsavedRunTest, OnlyARunWithAnEventOrACorrectionAfterItsLastGoodSaveIsOffered) {
  EXPECT_EQ(Offered(), "none");
  Put("20261201-100000-1.journal", Journal("20261201-100000", Then(kGame, {{"save", "0"}, {"end"}})));
  Put("20261202-100000-1.journal", Journal("20261202-100000", {{"cell", "1", "2", "x"}, {"start"}, {"end"}}));
  EXPECT_EQ(Offered(), "none") << "saved, or no event at all";
  Put("20261203-100000-1.journal", Journal("20261203-100000", Then(kGame, {{"save", "5"}, {"end"}})));
  EXPECT_EQ(Offered(), "20261203-100000-1") << "a save that failed saves nothing";
  Put("20261204-100000-1.journal",
      Journal("20261204-100000", Then(kGame, {{"save", "0"}, {"fix3"}, {"register", "0"}, {"end"}})));
  auto run = FindUnsavedRun("j");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->name, "20261204-100000-1");
  EXPECT_EQ(run->path, "j/20261204-100000-1.journal");
  EXPECT_EQ(run->started, "20261204-100000");
  EXPECT_EQ(run->team1, "\x93\x8c\x8d\x82\x8d\x5a");
  EXPECT_EQ(run->team2, "\x90\xbc\x83\x4e\x83\x89\x83\x75");
  EXPECT_EQ(run->events[0], 1) << "the correction took back team 2's event";
  EXPECT_EQ(run->events[1], 0);
  run.reset();  // no longer offered
  // Saved after the last change, with a long tail of sheet edits: not offered.
  std::vector<std::vector<std::string>> edits;
  for (int i = 0; i < 400; ++i) edits.push_back({"cell", "1", "2", std::string(20, 'a' + i % 26)});
  Put("20261205-100000-1.journal", Journal("20261205-100000", Then(Then(kGame, {{"save", "0"}}), edits)));
  EXPECT_EQ(Offered(), "20261204-100000-1");
  // An event long before the end, with a torn last line after it.
  std::string torn = Journal("20261206-100000", Then(Then(kGame, {{"save", "0"}, {"player", "1", "2", "00:03", "C"}}),
                                                     edits));
  torn += "412\t99\tfield\t1";
  Put("20261206-100000-1.journal", torn);
  EXPECT_EQ(Offered(), "20261206-100000-1");
}

TEST_F(UnsavedRunTest, TheNewestByNameIsOfferedNeverOwnNorOneHeldOpenOrOfferedNorOneAnswered) {
  const std::string unsaved = Journal("x", kGame);
  Put("20261201-090000-5.journal", unsaved, 1);
  Put("20261201-100000-3.journal", unsaved, 48);  // the newest by name, the oldest by file time
  Put("20261201-100000-12.journal", unsaved, 30);  // the newest: its process number is the larger
  Put("notes.journal.txt", unsaved);
  EXPECT_EQ(Offered(), "20261201-100000-12");
  EXPECT_EQ(Offered("j/20261201-100000-12.journal"), "20261201-100000-3");

  bool exists = false;
  auto held = platform::CreateNew("j/20261201-110000-9.journal", exists);  // another kiroku's run
  ASSERT_TRUE(held);
  held->write(unsaved.data(), unsaved.size());
  EXPECT_EQ(Offered(), "20261201-100000-12");
  held.reset();
  auto run = FindUnsavedRun("j");
  ASSERT_TRUE(run);
  EXPECT_EQ(run->name, "20261201-110000-9") << "a run whose kiroku ended";
  EXPECT_EQ(Offered(), "20261201-100000-12") << "offered by one kiroku: another started meanwhile passes it over";
  EXPECT_FALSE(RetireRun("missing", *run));
  EXPECT_TRUE(RetireRun("j", *run));
  EXPECT_TRUE(kiroku::testing::FileExists(run->path));
  run.reset();
  // Before the count, the newest mark answered every older run as well.
  EXPECT_EQ(Offered(), "none");
  Put("20261201-120000-4.journal", unsaved);
  EXPECT_EQ(Offered(), "20261201-120000-4");
  // Counted runs are newer than every run from before the count, and among
  // them the count decides, whatever their clocks said.
  Put("20261201-120000-4-r1.journal", unsaved);
  Put("20000101-100000-6-r2.journal", unsaved);  // its clock had gone back
  Put("20000101-090000-5-r2-2.journal", unsaved);
  EXPECT_EQ(Offered(), "20000101-100000-6-r2");
  RetireRun("j", *FindUnsavedRun("j"));
  EXPECT_EQ(Offered(), "20000101-090000-5-r2-2") << "a mark answers its own run alone";
}

}  // namespace
}  // namespace kiroku
