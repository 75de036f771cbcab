// The journal's writer: a folder that fails is retried without losing a
// record and is reported once, another run's journal is never touched, a
// short write loses nothing, and old or empty journals go.
#include <atomic>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <set>
#include <thread>
#include <tuple>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

#include <gtest/gtest.h>

#include "files/platform_file.h"
#include "journal/journal.h"
#include "journal/run_names.h"
#include "tests/support/temp_dir.h"

namespace kiroku {
namespace {

using namespace std::chrono_literals;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

JournalOptions Quick() {
  JournalOptions options;
  options.retry = 20ms;
  options.failingAfter = 60ms;
  return options;
}

std::vector<std::string> Kinds(const std::string& bytes) {
  const auto contents = ParseJournal(bytes);
  EXPECT_FALSE(contents.tornTail);
  EXPECT_EQ(contents.damagedLine, 0);
  std::vector<std::string> kinds;
  for (const auto& r : contents.records) kinds.push_back(r.kind + (r.fields.empty() ? "" : " " + r.fields.back()));
  return kinds;
}

template <typename Done>
bool Eventually(Done done) {
  // By the clock, not by a count of sleeps: under Wine on a loaded machine
  // 500 sleeps of 10 ms once gave up within 0.9 s.
  const auto until = std::chrono::steady_clock::now() + 5s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

TEST(JournalWriterTest, AFolderThatCannotBeMadeIsRetriedReportedOnceAndNoRecordIsLostOrDoubled) {
  testing::TempDir dir;
  WriteFileBytes("blocked", "a file where the folder should be");
  // Another run's journal under the name this run would take first.
  std::filesystem::create_directory("free");
  const std::string taken =
      "free/" + platform::LocalStamp() + "-" + std::to_string(platform::ProcessId()) + ".journal";
  WriteFileBytes(taken, "another run\n");
  WriteFileBytes("free/20000101-000000-1-r41.journal", "a counted run\n");
  std::string blockedPath, besidePath;
  {
    JournalWriter blocked("blocked/journal", Quick());
    std::atomic<int> told{0};
    std::atomic<bool> onWriterThread{false};
    const auto screenThread = std::this_thread::get_id();
    blocked.setOnFailing([&] {
      onWriterThread = std::this_thread::get_id() != screenThread;
      ++told;
    });
    blocked.record(record::kField, {"1", "\x83\x5c\\"});
    blocked.record(record::kSwitch);
    ASSERT_TRUE(Eventually([&] { return told > 0; }));
    EXPECT_TRUE(onWriterThread);
    std::this_thread::sleep_for(150ms);  // many more failed attempts: still told once
    EXPECT_EQ(told, 1);
    EXPECT_EQ(blocked.durable(), 0u);
    EXPECT_EQ(blocked.path(), "");
    std::filesystem::remove("blocked");
    ASSERT_TRUE(blocked.waitDurable(3, 5s));
    blocked.record(record::kEnd);
    blocked.record(record::kEnd);  // the system's end after the program's: one end
    ASSERT_TRUE(blocked.flush());
    blockedPath = blocked.path();
    EXPECT_EQ(Kinds(ReadFileBytes(blockedPath)),
              (std::vector<std::string>{"journal " + std::to_string(platform::ProcessId()),
                                        "field \x83\x5c\\", "switch", "end"}));
    EXPECT_TRUE(platform::HeldOpen(blockedPath));

    JournalWriter beside("free", Quick());
    beside.setOnFailing([&] { ++told; });
    ASSERT_TRUE(beside.waitDurable(1, 5s));
    besidePath = beside.path();
    EXPECT_NE(besidePath, taken);
    EXPECT_TRUE(besidePath.ends_with("-r42.journal")) << besidePath << ": one more than any run in the folder";
    EXPECT_TRUE(testing::FileExists(besidePath));
    beside.record(record::kEnd);
    EXPECT_TRUE(beside.flush());
    EXPECT_EQ(told, 1);
  }
  EXPECT_EQ(ReadFileBytes(taken), "another run\n");
  EXPECT_FALSE(platform::HeldOpen(blockedPath));
  EXPECT_TRUE(testing::FileExists(blockedPath));
  EXPECT_FALSE(testing::FileExists(besidePath)) << "a run that recorded nothing leaves no journal";
}

// Writes at most a few bytes a call, and fails every third call outright.
class StingyFile : public platform::AppendFile {
 public:
  explicit StingyFile(std::unique_ptr<platform::AppendFile> file) : file_(std::move(file)) {}
  long write(const char* data, std::size_t size) override {
    if (++calls_ % 3 == 0) return -1;
    return file_->write(data, std::min<std::size_t>(size, 7));
  }
  bool sync() override { return file_->sync(); }

 private:
  std::unique_ptr<platform::AppendFile> file_;
  int calls_ = 0;
};

TEST(JournalWriterTest, ShortAndFailedWritesGoOnWhereTheyStopped) {
  testing::TempDir dir;
  JournalOptions options = Quick();
  options.retry = 1ms;
  options.create = [](const std::string& path, bool& exists) -> std::unique_ptr<platform::AppendFile> {
    auto file = platform::CreateNew(path, exists);
    if (!file) return nullptr;
    return std::make_unique<StingyFile>(std::move(file));
  };
  JournalWriter writer(".", options);
  std::vector<std::string> expected{"journal " + std::to_string(platform::ProcessId())};
  for (int i = 0; i < 40; ++i) {
    const std::string text = "\x93\x8c" + std::to_string(i);
    writer.record(record::kField, {"1", text});
    expected.push_back("field " + text);
    if (i % 8 == 0) {
      ASSERT_TRUE(writer.waitDurable(writer.recorded(), 5s));
    }
  }
  ASSERT_TRUE(writer.flush(5s));
  EXPECT_EQ(writer.durable(), 41u);
  EXPECT_EQ(Kinds(ReadFileBytes(writer.path())), expected);
}

#ifdef _WIN32
constexpr unsigned long kRefused = ERROR_LOCK_VIOLATION, kNo = ERROR_NOT_SUPPORTED, kBadHandle = ERROR_INVALID_HANDLE;
const std::string kUnnamedTried = "";  // Windows has no files without a name
const std::string kFirstWay = "temporary unlocked 0; temporary locked; journal locked; ";
#else
constexpr unsigned long kRefused = EWOULDBLOCK, kNo = EOPNOTSUPP, kBadHandle = EBADF;
const std::string kUnnamedTried = "nothing; nothing; ";
const std::string kFirstWay = kUnnamedTried + "journal locked; ";
#endif

// The folder as another run sees it at a step of making a journal.
std::string Seen() {
  std::string seen;
  for (const auto& e : platform::ListFiles("."))
    seen += (e.name.ends_with(".journal") ? "journal" : "temporary") +
            (platform::HeldOpen(e.name) ? std::string(" locked; ") : " unlocked " + std::to_string(e.size) + "; ");
  return seen.empty() ? "nothing; " : seen;
}

// Each way of making a journal falls to the next where a step fails: a file
// without a name, named through /proc; a hidden one, linked to its name;
// the journal under its name, then locked, which another run sees empty
// until then. A lock refused leaves nothing, and the run tries again.
TEST(JournalWriterTest, EachWayOfMakingAJournalFallsToTheNextAndShowsNoLiveRunUnlocked) {
  using platform::Step;
  const std::string hidden = "temporary unlocked 0; temporary locked; ", linked = "journal locked; ",
                    itself = "journal unlocked 0; journal locked; ";
  const struct {
    const char* what;
    std::vector<Step> failing;  // every time
    std::string seen;           // at each step; "" where the lock is refused
  } ways[] = {
      {"every step works", {}, kFirstWay},
      {"no files without a name (NFS)", {Step::Unnamed}, hidden + linked},
      {"no /proc", {Step::NameUnnamed}, kUnnamedTried + hidden + linked},
      {"no hard links (exFAT, vfat)", {Step::Unnamed, Step::Link}, hidden + itself},
      {"no /proc, no hard links", {Step::NameUnnamed, Step::Link}, kUnnamedTried + hidden + itself},
      {"no hidden temporary", {Step::Unnamed, Step::Temporary}, itself},
      {"the lock refused", {Step::Lock}, ""},
      {"the lock refused under its own name", {Step::Unnamed, Step::Temporary, Step::Lock}, ""},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.what);
    testing::TempDir dir;
    std::vector<std::unique_ptr<testing::ScopedFaults>> faults;
    for (const Step step : way.failing)
      faults.push_back(std::make_unique<testing::ScopedFaults>(step, 1000, step == Step::Lock ? kRefused : kNo));
    std::string seen, path;
    platform::SetCreateSteps([&] { seen += Seen(); });
    const std::shared_ptr<void> unwatch(nullptr, [](void*) { platform::SetCreateSteps(nullptr); });
    {
      JournalWriter writer(".", Quick());
      writer.record(record::kSwitch);
      if (way.seen.empty()) {
        // The writer goes on trying while the folder is read, so its file may
        // be there mid-attempt; one refused and undone leaves the folder empty.
        EXPECT_TRUE(Eventually([&] {
          return faults.back()->attempts() >= 3 && (writer.path() + testing::ListDirectory()).empty();
        })) << writer.path() + testing::ListDirectory();
        faults.back().reset();
      }
      ASSERT_TRUE(writer.waitDurable(2, 5s));
      path = writer.path();
      EXPECT_TRUE(platform::HeldOpen(path));
      EXPECT_EQ(Kinds(ReadFileBytes(path)),
                (std::vector<std::string>{"journal " + std::to_string(platform::ProcessId()), "switch"}));
    }
    if (!way.seen.empty()) {
      EXPECT_EQ(seen, way.seen);
    }
    EXPECT_EQ(testing::ListDirectory(), path.substr(2) + "\n") << "nothing else left behind";
  }
}

// Journal names as the writer gives them, for a local time so many days ago.
std::string RunName(double daysAgo, long pid) {
  const std::time_t t = std::time(nullptr) - static_cast<std::time_t>(daysAgo * 86400);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
  return std::string(stamp) + "-" + std::to_string(pid) + ".journal";
}

void Make(const std::string& name, double modifiedDaysAgo, const std::string& bytes) {
  WriteFileBytes(name, bytes);
  const auto when = std::chrono::system_clock::now() - std::chrono::seconds(static_cast<long>(modifiedDaysAgo * 86400));
  std::filesystem::last_write_time(name, std::chrono::file_clock::from_sys(when));
}

const std::string kHeader = FormatJournalLine(0, 0, "journal", {"1", "20010101-000000", "1"});
const std::string kSomething = kHeader + FormatJournalLine(1, 5, "field", {"1", "x"});

std::set<std::string> Left(const std::string& folder, const std::string& own) {
  std::set<std::string> left;
  for (const auto& e : platform::ListFiles(folder))
    if (folder + "/" + e.name != own) left.insert(e.name);
  return left;
}

TEST(JournalWriterTest, AJournalGoesOnlyWhenItsNameAndItsFileAreOldAndNoRunHoldsIt) {
  testing::TempDir dir;
  std::filesystem::create_directory("a");
  const std::string newest = RunName(0.01, 1), youngName = RunName(0.05, 2), youngFile = RunName(40, 3),
                    old = RunName(40, 4), held = RunName(50, 5);
  Make("a/" + newest, 41, kSomething);     // within the newest kept, whatever its age
  Make("a/" + youngName, 41, kSomething);  // a file time gone wrong
  Make("a/" + youngFile, 0, kSomething);   // a start time gone wrong
  Make("a/" + old, 41, kSomething);
  bool exists = false;
  auto holder = platform::CreateNew("a/" + held, exists);  // another kiroku's open run
  ASSERT_TRUE(holder);
  holder->write(kSomething.data(), kSomething.size());
#ifndef _WIN32  // Windows sets no time on a file another handle holds
  std::filesystem::last_write_time("a/" + held, std::filesystem::file_time_type::clock::now() - 51 * 24h);
#endif
  Make("a/notes.txt", 400, "x\n");
  const std::string youngMark = youngName.substr(0, youngName.size() - 8) + ".answered";
  const std::string oldMark = old.substr(0, old.size() - 8) + ".answered";
  Make("a/" + youngMark, 41, "");
  Make("a/" + oldMark, 41, "");
  JournalOptions options = Quick();
  options.keepNewest = 1;
  JournalWriter writer("a", options);
  ASSERT_TRUE(writer.waitDurable(1, 5s));
  EXPECT_EQ(Left("a", writer.path()), (std::set<std::string>{newest, youngName, youngFile, held, "notes.txt", youngMark}));
}

TEST(JournalWriterTest, JournalsThatHoldNothingGoAndAreNotCountedAmongTheNewest) {
  testing::TempDir dir;
  std::filesystem::create_directory("b");
  const std::string headerOnly = RunName(0.01, 1), ended = RunName(0.02, 2), empty = RunName(0.03, 3),
                    old = RunName(40, 4), older = RunName(45, 5), openEmpty = RunName(0.04, 6),
                    emptyOld = RunName(41, 7), torn = RunName(0.035, 8);
  Make("b/" + headerOnly, 0, kHeader);
  Make("b/" + ended, 0, kHeader + FormatJournalLine(1, 9, "end", {}));
  Make("b/" + empty, 0, "");  // made under its name, not yet locked: goes only when old
  Make("b/" + emptyOld, 41, "");
  Make("b/" + torn, 0, kHeader.substr(0, 9));
#ifdef _WIN32
  const std::string leftover = "~kj0a1b2.tmp", heldTemporary = "~kjfffff.tmp";
#else
  const std::string leftover = ".kiroku-a1B2c3", heldTemporary = ".kiroku-Z9y8X7";
#endif
  Make("b/" + leftover, 0, "");  // a run's that ended before it named its journal
  bool exists = false;
  auto making = platform::CreateNew("b/" + heldTemporary, exists);  // a run naming its journal now
  Make("b/" + old, 41, kSomething);  // the newest that holds something
  Make("b/" + older, 41, kSomething);
  auto holder = platform::CreateNew("b/" + openEmpty, exists);  // a run just begun elsewhere
  ASSERT_TRUE(holder);
  JournalOptions options = Quick();
  options.keepNewest = 1;
  options.tidyAtStart = false;  // as the program starts: nothing goes until it asks
  JournalWriter writer("b", options);
  ASSERT_TRUE(writer.waitDurable(1, 5s));
  EXPECT_EQ(Left("b", writer.path()).size(), 10u);
  writer.tidyUp();
  EXPECT_EQ(Left("b", writer.path()),
            (std::set<std::string>{old, openEmpty, empty, torn, heldTemporary}));
}

// A run's lock that cannot be learned (NFS refuses an exclusive lock on a
// file opened to read) counts as held: such a journal is neither removed nor offered.
TEST(JournalWriterTest, ALockThatCannotBeLearnedCountsAsHeld) {
  testing::TempDir dir;
  bool exists = false;
  auto holder = platform::CreateNew("held.journal", exists);
  WriteFileBytes("free.journal", kSomething);
  for (const auto& [path, fails, held] : std::vector<std::tuple<std::string, unsigned long, bool>>{
           {"held.journal", 0, true}, {"free.journal", 0, false}, {"free.journal", kBadHandle, true},
           {"free.journal", kRefused, true}, {"gone.journal", 0, false}}) {
    testing::ScopedFaults failing(platform::Step::Probe, fails ? 1 : 0, fails);
    EXPECT_EQ(platform::HeldOpen(path), held) << path << " " << fails;
  }
}

}  // namespace
}  // namespace kiroku
