#include "journal/run_names.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <tuple>

namespace kiroku::run_names {

namespace {

bool Digits(std::string_view s, std::size_t from, std::size_t count) {
  if (s.size() < from + count) return false;
  return std::all_of(s.begin() + from, s.begin() + from + count, [](char c) { return c >= '0' && c <= '9'; });
}

template <typename T>
bool Number(std::string_view s, T& value) {
  if (s.empty() || s.size() > 18) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

}  // namespace

std::string_view Base(std::string_view fileName, std::string_view suffix) {
  if (fileName.size() <= suffix.size() || fileName.substr(fileName.size() - suffix.size()) != suffix) return {};
  return fileName.substr(0, fileName.size() - suffix.size());
}

RunName Parse(std::string_view base) {
  RunName name;
  if (!Digits(base, 0, 8) || base.size() < 17 || base[8] != '-' || !Digits(base, 9, 6) || base[15] != '-' ||
      base.back() == '-')
    return name;
  // PID, then perhaps "rN", then perhaps the copy's number.
  std::string_view rest = base.substr(16);
  const auto next = [&rest] {
    const auto dash = rest.find('-');
    const std::string_view part = rest.substr(0, dash);
    rest = dash == std::string_view::npos ? std::string_view() : rest.substr(dash + 1);
    return part;
  };
  long pid = 0, sequence = 0;
  int copy = 1;
  if (!Number(next(), pid)) return name;
  if (rest.starts_with('r') && (!Number(next().substr(1), sequence) || sequence < 1)) return name;
  if (!rest.empty() && (!Number(next(), copy) || copy < 2 || !rest.empty())) return name;
  name.stamp.assign(base.substr(0, 15));
  name.pid = pid;
  name.sequence = sequence;
  name.copy = copy;
  return name;
}

bool Newer(std::string_view a, std::string_view b) {
  const RunName x = Parse(a), y = Parse(b);
  if (x.stamp.empty() != y.stamp.empty()) return y.stamp.empty();
  if (x.stamp.empty()) return a > b;
  return std::tie(x.sequence, x.stamp, x.pid, x.copy) > std::tie(y.sequence, y.stamp, y.pid, y.copy);
}

long NextSequence(const std::vector<journal_file::Entry>& files) {
  long last = 0;
  for (const auto& e : files)
    for (const std::string_view suffix : {kJournalSuffix, kAnsweredSuffix})
      if (const auto base = Base(e.name, suffix); !base.empty()) last = std::max(last, Parse(base).sequence);
  return last + 1;
}

std::vector<journal_file::Entry> Journals(std::vector<journal_file::Entry> files) {
  std::erase_if(files, [](const auto& e) { return Base(e.name).empty(); });
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return Newer(Base(a.name), Base(b.name)); });
  return files;
}

bool StampSeconds(const std::string& stamp, std::int64_t& seconds) {
  if (stamp.size() != 15 || !Digits(stamp, 0, 8) || stamp[8] != '-' || !Digits(stamp, 9, 6)) return false;
  const auto part = [&](std::size_t from, std::size_t count) { return std::stoi(stamp.substr(from, count)); };
  std::tm tm{};
  tm.tm_year = part(0, 4) - 1900;
  tm.tm_mon = part(4, 2) - 1;
  tm.tm_mday = part(6, 2);
  tm.tm_hour = part(9, 2);
  tm.tm_min = part(11, 2);
  tm.tm_sec = part(13, 2);
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return false;
  seconds = static_cast<std::int64_t>(t);
  return true;
}

}  // namespace kiroku::run_names
