#include "journal/journal.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "journal/journal_file.h"

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

template <typename T>
bool ParseNumber(std::string_view s, T& value, int base = 10) {
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
  return ec == std::errc() && end == s.data() + s.size();
}

// One line without its LF; false when it is not a whole, unchanged record.
bool ParseLine(std::string_view line, JournalRecord& rec) {
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

}  // namespace

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
    const bool good = ParseLine(bytes.substr(pos, lf - pos), rec) && rec.number == out.records.size();
    pos = lf + 1;
    if (!good) {
      if (pos == bytes.size())
        out.tornTail = true;
      else
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
  write(FormatJournalLine(next_++, ms.count(), kind, fields));
}

void Journal::recordHeader(std::string_view started, long pid) {
  record(record::kHeader, {std::to_string(record::kVersion), started, std::to_string(pid)});
}

// ---------------------------------------------------------------- JournalWriter

JournalWriter::JournalWriter(std::string folder, JournalOptions options)
    : folder_(std::move(folder)), options_(options) {
  const std::string stamp = journal_file::LocalStamp();
  const long pid = journal_file::ProcessId();
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
}

std::string JournalWriter::path() const {
  std::lock_guard lock(mutex_);
  return path_;
}

void JournalWriter::write(std::string&& line) {
  // The press path: memory only. The writer looks for new lines by itself,
  // so not even a wake-up is sent from here.
  std::lock_guard lock(mutex_);
  queue_ += line;
  ++queuedRecords_;
}

bool JournalWriter::waitDurable(std::uint64_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return durableChanged_.wait_for(lock, timeout, [&] { return durable_.load() >= count; });
}

bool JournalWriter::flush(std::chrono::milliseconds timeout) {
  const std::uint64_t count = recorded();
  wake_.notify_one();
  return waitDurable(count, timeout);
}

void JournalWriter::setOnFailing(std::function<void()> callback) {
  std::lock_guard lock(mutex_);
  onFailing_ = std::move(callback);
}

void JournalWriter::run() {
  removeOldJournals();
  std::string pending;
  std::uint64_t pendingRecords = 0;
  bool failing = false;
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait_for(lock, failing ? options_.retry : options_.poll, [&] { return stopping_; });
    const bool stop = stopping_;
    if (pending.empty())
      pending.swap(queue_);
    else
      pending += queue_;
    queue_.clear();
    pendingRecords += queuedRecords_;
    queuedRecords_ = 0;
    lock.unlock();
    if (pendingRecords > 0) failing = !drain(pending, pendingRecords);
    lock.lock();
    if (stop) break;
  }
}

// Writes what is pending and makes it durable; what could not be written
// stays pending for the next attempt, so no byte is written twice.
bool JournalWriter::drain(std::string& pending, std::uint64_t& pendingRecords) {
  auto& file = file_;
  if (!file) {
    if (!journal_file::MakeFolders(folder_)) return false;
    // Never another run's journal: a name that is taken gets a number.
    for (int n = 1; !file && n < 100; ++n) {
      const std::string path = folder_ + "/" + base_ + (n == 1 ? "" : "-" + std::to_string(n)) + ".journal";
      bool exists = false;
      file = journal_file::CreateNew(path, exists);
      if (file) {
        std::lock_guard lock(mutex_);
        path_ = path;
      } else if (!exists) {
        return false;
      }
    }
    if (!file) return false;
  }
  size_t done = 0;
  while (done < pending.size()) {
    const long n = file->write(pending.data() + done, pending.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  pending.erase(0, done);
  if (!pending.empty() || !file->sync()) return false;
  {
    std::lock_guard lock(mutex_);
    durable_ += pendingRecords;
  }
  pendingRecords = 0;
  durableChanged_.notify_all();
  return true;
}

void JournalWriter::removeOldJournals() {
  auto entries = journal_file::List(folder_);
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return a.modified != b.modified ? a.modified > b.modified : a.name > b.name;
  });
  const std::int64_t now =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  const std::int64_t limit = static_cast<std::int64_t>(options_.keepDays) * 86400;
  for (size_t i = static_cast<size_t>(options_.keepNewest); i < entries.size(); ++i)
    if (now - entries[i].modified > limit) journal_file::Remove(folder_ + "/" + entries[i].name);
}

}  // namespace kiroku
