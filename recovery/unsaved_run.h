#pragma once
// Which earlier run to offer at start: the newest (by its count, never by a
// clock) of this user's runs that recorded an event or a correction after its
// last successful データ保存, that no other kiroku holds open, offers or
// continues, and whose offer was not answered. One run a start: the next one
// comes at the next start. The kiroku before the count marked only the newest
// run it was answered for, and that mark answered every older run of its own.
#include <memory>
#include <optional>
#include <string>

#include "core/text.h"
#include "files/platform_file.h"

namespace kiroku {

struct UnsavedRun {
  std::string path;     // the journal's file
  std::string name;     // its file name without ".journal"
  std::string started;  // the run's local start time, "YYYYMMDD-HHMMSS"
  Text team1, team2;    // the team names the run last had (CP932)
  int events[2] = {0, 0};  // completed events of team 1 and team 2
  // Held for as long as a copy lives: no other kiroku offers the run meanwhile.
  std::shared_ptr<platform::HeldFile> hold;
};

// Cheap when there is nothing to offer: it reads no whole journal then.
// ownPath is this run's own journal, never offered.
std::optional<UnsavedRun> FindUnsavedRun(const std::string& folder, const std::string& ownPath = {});

// Once answered, either way, that run alone is never offered again; its
// journal stays. False when the mark that says so could not be made.
bool RetireRun(const std::string& folder, const UnsavedRun& run);

}  // namespace kiroku
