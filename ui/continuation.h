#pragma once
// This run's journal, and the continuation of an earlier run in the live
// screens. The offer is ui/offer.h, its answer ui/offer_answer.h, the
// journal's warnings ui/journal_warning.h and the quit watch ui/quit_watch.h.
#include <functional>
#include <string>
#include <string_view>

#include "recovery/journal_replay.h"

namespace kiroku::ui {

// A run's start, as its screens are made: no warning given yet, not ending.
void BeginRun();

// This run's journal and its folder (none: nothing is recorded). From then on
// every change is recorded, and the writer's failure report reaches the screens.
void UseJournal(JournalWriter* journal, const std::string& folder);
const std::string& JournalFolderInUse();
std::string OwnJournalPath();  // empty until the journal's file is made
// The old journals removed, once the first screen is up (JournalWriter::tidyUp).
void TidyJournals();
// Calls `then` on the screen thread once all that this run recorded so far
// is durable in its journal, never while it is not; without a journal's
// file (tests), at once.
void WhenRecordedDurable(std::function<void()> then);

// Replays a run's journal into the screens and the recording of this run, as
// though its presses were made again, and leaves the clock standing where it
// showed last. The screen that was in front comes to the front.
ReplaySummary ContinueRun(std::string_view journalBytes);

}  // namespace kiroku::ui
