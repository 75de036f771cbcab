#include "journal/journal.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "core/number.h"
#include "files/platform_file.h"
#include "journal/run_names.h"

namespace kiroku {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr auto kCrcTable = MakeCrcTable();

void AppendEscaped(std::string& out, std::string_view field) {
  for (const char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
}

bool Unescape(std::string_view field, Text& out) {
  out.clear();
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return false;
    switch (field[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      default: return false;
    }
  }
  return true;
}

}  // namespace

bool ParseJournalLine(std::string_view line, JournalRecord& rec) {
  const auto lastTab = line.rfind('\t');
  if (lastTab == std::string_view::npos || line.size() - lastTab - 1 != 8) return false;
  std::uint32_t crc = 0;
  if (!ParseNumber(line.substr(lastTab + 1), crc, 16) || crc != Crc32(line.substr(0, lastTab))) return false;
  std::vector<std::string_view> parts;
  std::string_view body = line.substr(0, lastTab);
  for (;;) {
    const auto tab = body.find('\t');
    parts.push_back(body.substr(0, tab));
    if (tab == std::string_view::npos) break;
    body.remove_prefix(tab + 1);
  }
  if (parts.size() < 3 || !ParseNumber(parts[0], rec.number) || !ParseNumber(parts[1], rec.ms) || parts[2].empty())
    return false;
  rec.kind.assign(parts[2]);
  rec.fields.resize(parts.size() - 3);
  for (size_t i = 3; i < parts.size(); ++i)
    if (!Unescape(parts[i], rec.fields[i - 3])) return false;
  return true;
}

std::uint32_t Crc32(std::string_view bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (const char ch : bytes) c = kCrcTable[(c ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string FormatJournalLine(std::uint64_t number, std::int64_t ms, std::string_view kind,
                              std::initializer_list<std::string_view> fields) {
  std::string line;
  line.reserve(48);
  line += std::to_string(number);
  line += '\t';
  line += std::to_string(ms);
  line += '\t';
  line += kind;
  for (const auto f : fields) {
    line += '\t';
    AppendEscaped(line, f);
  }
  char crc[16];
  const auto [end, ec] = std::to_chars(crc, crc + sizeof crc, Crc32(line), 16);
  line += '\t';
  line.append(8 - static_cast<size_t>(end - crc), '0');
  line.append(crc, end);
  line += '\n';
  return line;
}

JournalContents ParseJournal(std::string_view bytes) {
  JournalContents out;
  size_t pos = 0;
  int lineNumber = 0;
  while (pos < bytes.size()) {
    ++lineNumber;
    const auto lf = bytes.find('\n', pos);
    if (lf == std::string_view::npos) {  // no end: the write was cut short
      out.tornTail = true;
      break;
    }
    JournalRecord rec;
    const bool good = ParseJournalLine(bytes.substr(pos, lf - pos), rec) && rec.number == out.records.size();
    pos = lf + 1;
    if (!good) {
      out.damagedLine = lineNumber;
      break;
    }
    out.records.push_back(std::move(rec));
  }
  return out;
}

// ---------------------------------------------------------------- Journal

void Journal::record(std::string_view kind, std::initializer_list<std::string_view> fields) {
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
  if (kind == record::kEnd) {
    // The system's end and the program's own may both come: one is the end.
    if (ended_) return;
    ended_ = true;
  } else if (kind != record::kHeader) {
    holdsSomething_ = true;
  }
  write(FormatJournalLine(next_++, ms.count(), kind, fields));
}

void Journal::recordHeader(std::string_view started, long pid) {
  record(record::kHeader, {std::to_string(record::kVersion), started, std::to_string(pid)});
}

// ---------------------------------------------------------------- JournalWriter

namespace {

using Steady = std::chrono::steady_clock;

std::int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

enum class Holds { Nothing, NoHeader, Something };

// What a journal holds, for its tidy-up: only its header and maybe its end
// (a run that recorded nothing), not even a whole header (a run that made
// its file under its name and has not locked it yet, or ended there), or
// more. Such journals are small, so no big one is read.
Holds WhatItHolds(const std::string& path, std::int64_t size) {
  if (size == 0) return Holds::NoHeader;
  if (size > 512) return Holds::Something;
  std::string bytes;
  if (!platform::ReadAll(path, bytes)) return Holds::Something;
  const auto contents = ParseJournal(bytes);
  if (contents.damagedLine != 0) return Holds::Something;
  if (contents.records.empty()) return Holds::NoHeader;
  return std::all_of(contents.records.begin(), contents.records.end(),
                     [](const auto& r) { return r.kind == record::kHeader || r.kind == record::kEnd; })
             ? Holds::Nothing
             : Holds::Something;
}

}  // namespace

JournalWriter::JournalWriter(std::string folder, JournalOptions options)
    : folder_(std::move(folder)), options_(std::move(options)), tidyWanted_(options_.tidyAtStart) {
  const std::string stamp = platform::LocalStamp();
  const long pid = platform::ProcessId();
  base_ = stamp + "-" + std::to_string(pid);
  recordHeader(stamp, pid);
  thread_ = std::thread([this] { run(); });
}

JournalWriter::~JournalWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
  if (file_ && !holdsSomething()) {
    file_.reset();  // the lock goes with it; on Windows an open file cannot go
    platform::Remove(path_);
  }
}

std::string JournalWriter::path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void JournalWriter::write(std::string&& line) {
  // The press path: memory, and a wake-up for the writer.
  {
    std::lock_guard lock(mutex_);
    queue_ += line;
    ++queuedRecords_;
  }
  wake_.notify_one();
}

bool JournalWriter::waitDurable(std::uint64_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return durableChanged_.wait_for(lock, timeout, [&] { return durable_.load() >= count; });
}

void JournalWriter::whenDurable(std::uint64_t count, std::function<void()> then) {
  {
    std::lock_guard lock(mutex_);
    if (durable_.load() < count) {
      durableWaits_.emplace_back(count, std::move(then));
      return;
    }
  }
  then();
}

bool JournalWriter::flush(std::chrono::milliseconds timeout) {
  const std::uint64_t count = recorded();
  {
    std::lock_guard lock(mutex_);
    flushing_ = true;
  }
  wake_.notify_one();
  return waitDurable(count, timeout);
}

void JournalWriter::setOnFailing(std::function<void()> callback) {
  std::lock_guard lock(mutex_);
  onFailing_ = std::move(callback);
}

void JournalWriter::tidyUp() {
  std::unique_lock lock(mutex_);
  tidyWanted_ = true;
  wake_.notify_one();
  tidiedChanged_.wait(lock, [&] { return tidied_ || stopping_; });
}

void JournalWriter::run() {
  sequence_ = run_names::NextSequence(platform::ListFiles(folder_));
  std::string pending;
  std::uint64_t pendingRecords = 0;
  bool failing = false, told = false;
  Steady::time_point failingSince, nextTry;
  std::unique_lock lock(mutex_);
  for (;;) {
    // Asleep until there is something to write; only a failure sets a time.
    if (failing)
      wake_.wait_until(lock, nextTry, [&] { return stopping_ || flushing_ || (tidyWanted_ && !tidied_); });
    else
      wake_.wait(lock, [&] { return stopping_ || flushing_ || queuedRecords_ > 0 || (tidyWanted_ && !tidied_); });
    const bool stop = stopping_, tidy = tidyWanted_ && !tidied_;
    flushing_ = false;
    pending += queue_;
    queue_.clear();
    pendingRecords += queuedRecords_;
    queuedRecords_ = 0;
    std::function<void()> report;
    lock.unlock();
    if (tidy) {
      removeOldJournals();
      std::lock_guard guard(mutex_);
      tidied_ = true;
      tidiedChanged_.notify_all();
    }
    if (pendingRecords > 0) {
      const bool ok = drain(pending, pendingRecords);
      const auto now = Steady::now();
      if (ok) {
        failing = false;
      } else {
        if (!failing) failingSince = now;
        failing = true;
        nextTry = now + options_.retry;
        if (!told) {
          const auto due = failingSince + options_.failingAfter;
          if (now >= due) {
            told = true;
            std::lock_guard guard(mutex_);
            report = onFailing_;
          } else if (due < nextTry) {
            nextTry = due;
          }
        }
      }
    } else {
      failing = false;
    }
    if (report) report();
    lock.lock();
    if (stop) break;
  }
}

bool JournalWriter::open() {
  if (!platform::MakeFolders(folder_)) return false;
  const auto& create = options_.create ? options_.create : platform::CreateNew;
  // Never another run's journal: a name that is taken gets a number.
  for (int n = 1; n < 100; ++n) {
    const std::string path =
        folder_ + "/" + base_ + "-r" + std::to_string(sequence_) + (n == 1 ? "" : "-" + std::to_string(n)) +
        std::string(run_names::kJournalSuffix);
    bool exists = false;
    file_ = create(path, exists);
    if (file_) {
      std::lock_guard lock(mutex_);
      path_ = path;
      return true;
    }
    if (!exists) return false;
  }
  return false;
}

// Writes what is pending and makes it durable; what could not be written
// stays pending for the next attempt, so no byte is written twice.
bool JournalWriter::drain(std::string& pending, std::uint64_t& pendingRecords) {
  if (!file_ && !open()) return false;
  size_t done = 0;
  while (done < pending.size()) {
    const long n = file_->write(pending.data() + done, pending.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  pending.erase(0, done);
  if (!pending.empty() || !file_->sync()) return false;
  std::vector<std::function<void()>> due;
  {
    std::lock_guard lock(mutex_);
    durable_ += pendingRecords;
    std::erase_if(durableWaits_, [&](auto& wait) {
      if (wait.first > durable_.load()) return false;
      due.push_back(std::move(wait.second));
      return true;
    });
  }
  pendingRecords = 0;
  durableChanged_.notify_all();
  for (const auto& then : due) then();
  return true;
}

// Journals of runs that recorded nothing go. Of the others, the newest by
// name are kept whatever their age; beyond those, one goes only when both its
// name and its file say it is old, so that a clock set wrong removes nothing
// young. A journal without its header may be a run's that is making it: it
// counts for none of the newest and goes only when old. A journal that a
// running kiroku holds is never touched, nor a hidden temporary that a run
// is naming.
void JournalWriter::removeOldJournals() {
  const auto files = platform::ListFiles(folder_);
  const std::int64_t now = NowSeconds();
  const std::int64_t limit = static_cast<std::int64_t>(options_.keepDays) * 86400;
  std::vector<std::string> left;
  int kept = 0;
  for (const auto& e : run_names::Journals(files)) {
    const std::string path = folder_ + "/" + e.name;
    const std::string base(run_names::Base(e.name));
    const Holds holds = WhatItHolds(path, e.size);
    if (holds == Holds::Nothing) {
      if (!platform::HeldOpen(path)) platform::Remove(path);
      continue;
    }
    left.push_back(base);
    if (holds == Holds::Something && kept++ < options_.keepNewest) continue;
    std::int64_t started = 0;
    const bool oldName = run_names::StampSeconds(run_names::Parse(base).stamp, started) && now - started > limit;
    if (oldName && now - e.modified > limit && !platform::HeldOpen(path) && platform::Remove(path))
      left.pop_back();
  }
  for (const auto& e : files) {
    // The marks of answered runs go with their journals.
    if (const auto base = run_names::Base(e.name, run_names::kAnsweredSuffix);
        !base.empty() && std::find(left.begin(), left.end(), base) == left.end())
      platform::Remove(folder_ + "/" + e.name);
    // What a run left that ended between making its journal and naming it.
    if (platform::IsLeftover(e.name) && !platform::HeldOpen(folder_ + "/" + e.name))
      platform::Remove(folder_ + "/" + e.name);
  }
}

}  // namespace kiroku
