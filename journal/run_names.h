#pragma once
// The names of the journals in their folder: "YYYYMMDD-HHMMSS-PID-rN.journal"
// (a taken name gets "-2", "-3" before the suffix), and the mark of a run
// whose offer was answered, "<name>.answered". N counts the runs in the
// folder: one more than any name there holds. It, not the start time and not
// the file's time, says which run is newer: a clock set back, a copy or a
// flat clock battery moves times, never the count. Names of runs made before
// the count (without "-rN") are older than every counted run.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/platform_file.h"

namespace kiroku::run_names {

inline constexpr std::string_view kJournalSuffix = ".journal";
inline constexpr std::string_view kAnsweredSuffix = ".answered";

// The name without the suffix, or empty when it does not end in it.
std::string_view Base(std::string_view fileName, std::string_view suffix = kJournalSuffix);

struct RunName {
  std::string stamp;  // "YYYYMMDD-HHMMSS", empty when the name is not a run's
  long pid = 0;
  long sequence = 0;  // N of "-rN"; 0 when the name has none
  int copy = 1;
};
RunName Parse(std::string_view base);

// Whether the run named a started after the one named b. Names that are not
// a run's come after (are older than) every run's.
bool Newer(std::string_view a, std::string_view b);

// The N for a new run among a folder's files: one more than any there.
long NextSequence(const std::vector<platform::Entry>& files);

// The journals among a folder's files, newest first.
std::vector<platform::Entry> Journals(std::vector<platform::Entry> files);

// A run's local start time, "YYYYMMDD-HHMMSS", in its parts; false when the
// text is not one.
struct Stamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
bool ParseStamp(std::string_view text, Stamp& stamp);

// Seconds since 1970-01-01 UTC of a local "YYYYMMDD-HHMMSS"; false when it is not one.
bool StampSeconds(const std::string& stamp, std::int64_t& seconds);

}  // namespace kiroku::run_names
