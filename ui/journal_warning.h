#pragma once
// The warnings about the journal, each at most once a run, in a box that
// blocks nothing and never comes between a player press and its item-3 press.
#include <QString>

namespace kiroku::ui {

// At a run's start: nothing warned of, nothing waiting.
void ResetJournalWarnings();

// The writer's report that it cannot write; from any thread.
void JournalFailing();
// A continued run whose journal could be read only up to a damaged line.
void JournalPartlyRead();

// Shows what waits, if no event is being entered.
void ShowPendingWarning();

QString JournalWarningText();
QString PartlyReadWarningText();

}  // namespace kiroku::ui
