#pragma once
// The offer at start to go on with an earlier run that was never saved.
#include <QString>
#include <functional>
#include <optional>

#include "recovery/unsaved_run.h"

namespace kiroku::ui {

// Where the offer finds the run to offer and retires it; tests give their own.
using RunFinder = std::function<std::optional<UnsavedRun>()>;
using RunRetirer = std::function<bool(const UnsavedRun&)>;  // false: the mark could not be made
void SetUnsavedRuns(RunFinder find, RunRetirer retire);  // empty: the journal folder's

// At the setup sheet's first tick: asks whether to go on with an unsaved run,
// and leaves the answer to AnswerOffer. False, and nothing shown, when there
// is none.
bool OfferUnsavedRun();
QString OfferText(const UnsavedRun& run);

}  // namespace kiroku::ui
