// The journal's writer: a folder that fails is retried without losing a
// record, another run's journal is never touched, and old journals go.
#include <chrono>
#include <ctime>
#include <filesystem>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "journal/journal.h"
#include "journal/journal_file.h"
#include "tests/support/temp_dir.h"

namespace kiroku {
namespace {

using namespace std::chrono_literals;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

const JournalOptions kQuick{5ms, 20ms, 50, 30};

std::vector<std::string> Kinds(const std::string& bytes) {
  const auto contents = ParseJournal(bytes);
  EXPECT_FALSE(contents.tornTail);
  EXPECT_EQ(contents.damagedLine, 0);
  std::vector<std::string> kinds;
  for (const auto& r : contents.records) kinds.push_back(r.kind + (r.fields.empty() ? "" : " " + r.fields.back()));
  return kinds;
}

TEST(JournalWriterTest, AFolderThatCannotBeMadeIsRetriedAndNoRecordIsLostOrDoubled) {
  testing::TempDir dir;
  WriteFileBytes("blocked", "a file where the folder should be");
  // Another run's journal under the name this run would take first.
  std::filesystem::create_directory("free");
  const std::string taken =
      "free/" + journal_file::LocalStamp() + "-" + std::to_string(journal_file::ProcessId()) + ".journal";
  WriteFileBytes(taken, "another run\n");
  {
    JournalWriter blocked("blocked/journal", kQuick);
    blocked.record(record::kField, {"1", "\x83\x5c\\"});
    blocked.record(record::kSwitch);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(blocked.durable(), 0u);
    EXPECT_EQ(blocked.path(), "");
    std::filesystem::remove("blocked");
    ASSERT_TRUE(blocked.waitDurable(3, 5s));
    blocked.record(record::kEnd);  // written by the writer's last attempt
    EXPECT_EQ(Kinds(ReadFileBytes(blocked.path())), (std::vector<std::string>{"journal " + std::to_string(
                                                         journal_file::ProcessId()), "field \x83\x5c\\", "switch"}));

    JournalWriter beside("free", kQuick);
    ASSERT_TRUE(beside.waitDurable(1, 5s));
    EXPECT_NE(beside.path(), taken);
  }
  EXPECT_EQ(ReadFileBytes(taken), "another run\n");
  const auto journals = journal_file::List("blocked/journal");
  ASSERT_EQ(journals.size(), 1u);
  EXPECT_EQ(Kinds(ReadFileBytes("blocked/journal/" + journals[0].name)).back(), "end");
}

TEST(JournalWriterTest, OnlyJournalsBeyondTheNewestFiftyThatAreOlderThanThirtyDaysAreRemoved) {
  testing::TempDir dir;
  const std::time_t now = std::time(nullptr);
  auto make = [](const std::string& name, std::time_t modified) {
    WriteFileBytes(name, "x\n");
    std::filesystem::last_write_time(
        name, std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(modified)));
  };
  std::set<std::string> kept;
  for (int i = 0; i < 3; ++i) {  // young
    make("y" + std::to_string(i) + ".journal", now - 3600 * i);
    kept.insert("y" + std::to_string(i) + ".journal");
  }
  for (int i = 0; i < 55; ++i) {  // 31 days old and more; the 47 newest of them stay
    const std::string name = "old" + std::to_string(100 + i) + ".journal";
    make(name, now - 31 * 86400 - 3600 * i);
    if (i < 47) kept.insert(name);
  }
  make("notes.txt", now - 400 * 86400);
  JournalWriter writer(".", kQuick);
  ASSERT_TRUE(writer.waitDurable(1, 5s));
  kept.insert(writer.path().substr(2));
  std::set<std::string> left;
  for (const auto& e : journal_file::List(".")) left.insert(e.name);
  EXPECT_EQ(left, kept);
  EXPECT_TRUE(testing::FileExists("notes.txt"));
}

}  // namespace
}  // namespace kiroku
