#pragma once
// The journal of a run: every operation that changes what the result files or
// the backup file would hold, one record a line, each line with its CRC-32,
// so that a line torn by a power cut is recognised.
//
//   <number> TAB <ms since the run began> TAB <kind> {TAB <field>} TAB <crc> LF
//
// Fields are CP932 bytes as they stand; only backslash, TAB, CR and LF are
// escaped (\\ \t \r \n). The CRC covers everything before its own TAB.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "core/text.h"
#include "core/record_port.h"

namespace kiroku {

namespace platform {
class AppendFile;
}

namespace record {
inline constexpr int kVersion = 1;
}  // namespace record

std::uint32_t Crc32(std::string_view bytes);

// One complete line, LF included.
std::string FormatJournalLine(std::uint64_t number, std::int64_t ms, std::string_view kind,
                              std::initializer_list<std::string_view> fields);

struct JournalRecord {
  std::uint64_t number = 0;
  std::int64_t ms = 0;
  std::string kind;
  std::vector<Text> fields;
};

// One line without its LF; false when it is not a whole, unchanged record.
// The record's number is not checked against its place.
bool ParseJournalLine(std::string_view line, JournalRecord& record);

struct JournalContents {
  std::vector<JournalRecord> records;  // the good records, up to the first bad one
  bool tornTail = false;               // a last line without its LF was skipped
  int damagedLine = 0;                 // a bad or misnumbered whole line: reading stopped there
};

// Reads the records of a journal. Only a last line without its LF is a write
// that a crash cut short, and is skipped; any other bad line is damage and
// stops the reading.
JournalContents ParseJournal(std::string_view bytes);

// Where the operations put their records. Called on the screen thread only.
class Journal : public RecordPort {
 public:
  void record(std::string_view kind, std::initializer_list<std::string_view> fields = {}) override;
  std::uint64_t recorded() const { return next_; }
  // Anything beyond the header and the end: a journal without it is not kept.
  bool holdsSomething() const { return holdsSomething_; }

 protected:
  Journal() : start_(std::chrono::steady_clock::now()) {}
  void recordHeader(std::string_view started, long pid);
  virtual void write(std::string&& line) = 0;

 private:
  std::uint64_t next_ = 0;
  bool holdsSomething_ = false;
  bool ended_ = false;
  std::chrono::steady_clock::time_point start_;
};

// A journal kept in memory.
class MemoryJournal : public Journal {
 public:
  MemoryJournal() { recordHeader("-", 0); }
  std::string bytes;

 protected:
  void write(std::string&& line) override { bytes += line; }
};

struct JournalOptions {
  std::chrono::milliseconds retry{500};          // wait after a failure before trying again
  int keepNewest = 50;                           // journals with something in them that are kept whatever their age
  int keepDays = 30;                             // older journals beyond those are removed
  std::chrono::milliseconds failingAfter{2000};  // failing this long is reported
  bool tidyAtStart = true;                       // old journals go at once; else at tidyUp()
  // Makes the journal's file; platform::CreateNew unless a test stands in.
  std::function<std::unique_ptr<platform::AppendFile>(const std::string& path, bool& exists)> create;
};

// The journal of this run in a folder, named by the run's start time, process
// id and count among the folder's runs (journal/run_names.h), and locked while
// the run lives. The screen thread only appends to memory and wakes the
// writer's own thread, which writes the records and makes them durable; while
// nothing comes, that thread sleeps. A folder or
// file that fails never stops the recording: the writer keeps the records,
// tries again, and reports once when it has failed for a while. A run that
// recorded nothing leaves no journal.
class JournalWriter : public Journal {
 public:
  explicit JournalWriter(std::string folder, JournalOptions options = {});
  ~JournalWriter() override;  // one last attempt to write what is left
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  std::string path() const;
  std::uint64_t durable() const { return durable_.load(); }  // records on the disk
  // Waits until that many records are durable; false on timeout.
  bool waitDurable(std::uint64_t count, std::chrono::milliseconds timeout);
  // Calls `then` once that many records are durable: on the writer's thread,
  // or on this one at once when they are already; never while they are not.
  void whenDurable(std::uint64_t count, std::function<void()> then);
  // Writes what is queued and makes it durable before it returns, waiting at
  // most the timeout: for an end that leaves no time for the writer's thread.
  bool flush(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
  // Removes the old journals on the writer's thread and returns when it is
  // done: a program asks once its first screen is up, so that the start is
  // not slowed by a full folder, and before it looks for a run to offer.
  void tidyUp();
  // Called once per run, on the writer's thread, when writing has failed for
  // two seconds; the screens must hand it over to their own thread.
  void setOnFailing(std::function<void()> callback);

 protected:
  void write(std::string&& line) override;

 private:
  void run();
  bool drain(std::string& pending, std::uint64_t& pendingRecords);
  void removeOldJournals();
  bool open();

  const std::string folder_;
  const JournalOptions options_;
  std::string base_;  // the file name without its count and ".journal"
  long sequence_ = 1;  // the run's count in the folder
  std::unique_ptr<platform::AppendFile> file_;  // the writer thread's alone

  mutable std::mutex mutex_;
  std::string queue_;  // lines not yet taken by the writer
  std::uint64_t queuedRecords_ = 0;
  bool stopping_ = false;
  bool flushing_ = false;  // try now, even while failing
  bool tidyWanted_, tidied_ = false;
  std::condition_variable tidiedChanged_;
  std::condition_variable wake_;
  std::string path_;

  std::function<void()> onFailing_;
  std::condition_variable durableChanged_;
  std::vector<std::pair<std::uint64_t, std::function<void()>>> durableWaits_;
  std::atomic<std::uint64_t> durable_{0};
  std::thread thread_;
};

}  // namespace kiroku
