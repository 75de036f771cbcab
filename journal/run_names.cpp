#include "journal/run_names.h"

#include <algorithm>
#include <ctime>
#include <tuple>

#include "core/number.h"

namespace kiroku::run_names {

std::string_view Base(std::string_view fileName, std::string_view suffix) {
  if (fileName.size() <= suffix.size() || fileName.substr(fileName.size() - suffix.size()) != suffix) return {};
  return fileName.substr(0, fileName.size() - suffix.size());
}

RunName Parse(std::string_view base) {
  RunName name;
  Stamp stamp;
  if (base.size() < 17 || !ParseStamp(base.substr(0, 15), stamp) || base[15] != '-' || base.back() == '-')
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
  if (!ParseNumber(next(), pid)) return name;
  if (rest.starts_with('r') && (!ParseNumber(next().substr(1), sequence) || sequence < 1)) return name;
  if (!rest.empty() && (!ParseNumber(next(), copy) || copy < 2 || !rest.empty())) return name;
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

long NextSequence(const std::vector<platform::Entry>& files) {
  long last = 0;
  for (const auto& e : files)
    for (const std::string_view suffix : {kJournalSuffix, kAnsweredSuffix})
      if (const auto base = Base(e.name, suffix); !base.empty()) last = std::max(last, Parse(base).sequence);
  return last + 1;
}

std::vector<platform::Entry> Journals(std::vector<platform::Entry> files) {
  std::erase_if(files, [](const auto& e) { return Base(e.name).empty(); });
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return Newer(Base(a.name), Base(b.name)); });
  return files;
}

bool ParseStamp(std::string_view text, Stamp& stamp) {
  if (text.size() != 15 || text[8] != '-' || !IsDigits(text.substr(0, 8)) || !IsDigits(text.substr(9))) return false;
  const auto part = [&](std::size_t from, std::size_t count) {
    int value = 0;
    ParseNumber(text.substr(from, count), value);
    return value;
  };
  stamp = {part(0, 4), part(4, 2), part(6, 2), part(9, 2), part(11, 2), part(13, 2)};
  return true;
}

bool StampSeconds(const std::string& text, std::int64_t& seconds) {
  Stamp stamp;
  if (!ParseStamp(text, stamp)) return false;
  std::tm tm{};
  tm.tm_year = stamp.year - 1900;
  tm.tm_mon = stamp.month - 1;
  tm.tm_mday = stamp.day;
  tm.tm_hour = stamp.hour;
  tm.tm_min = stamp.minute;
  tm.tm_sec = stamp.second;
  tm.tm_isdst = -1;
  const std::time_t t = std::mktime(&tm);
  if (t == static_cast<std::time_t>(-1)) return false;
  seconds = static_cast<std::int64_t>(t);
  return true;
}

}  // namespace kiroku::run_names
