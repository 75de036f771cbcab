#pragma once
// The journal as the screens meet it: this run's journal, the offer at start
// to go on with an earlier run that was never saved, its continuation, and
// the warning when the journal cannot be written.
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "recovery/journal_replay.h"
#include "recovery/unsaved_run.h"

namespace kiroku::ui {

// A run's start, as its screens are made: no warning given yet, not ending.
void BeginRun();

// This run's journal and its folder (none: nothing is recorded). From then on
// every change is recorded, and the writer's failure report reaches the screens.
void UseJournal(JournalWriter* journal, const std::string& folder);

// Where the offer finds the run to offer and retires it; tests give their own.
using RunFinder = std::function<std::optional<UnsavedRun>()>;
using RunRetirer = std::function<void(const UnsavedRun&)>;
void SetUnsavedRuns(RunFinder find, RunRetirer retire);  // empty: the journal folder's

// At the setup sheet's first tick: asks whether to go on with an unsaved run
// and carries out the answer. False, and nothing shown, when there is none.
bool OfferUnsavedRun();
QString OfferText(const UnsavedRun& run);

// Replays a run's journal into the screens and the recording of this run, as
// though its presses were made again, and leaves the clock standing where it
// showed last. The screen that was in front comes to the front.
ReplaySummary ContinueRun(std::string_view journalBytes);

// The writer's report that it cannot write; from any thread.
void JournalFailing();
// Shows the journal warning if it waits and no event is being entered.
void ShowPendingWarning();
QString JournalWarningText();

// Once the program is ending, closing a picker no longer acts as 修正.
void SetProgramEnding();
bool ProgramEnding();

}  // namespace kiroku::ui
