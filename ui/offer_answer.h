#pragma once
// The operator's answer to the offer of an unsaved run.
#include "recovery/unsaved_run.h"
#include "ui/offer.h"

namespace kiroku::ui {

// 続きから記録 (goOn) continues the run; 新しく始める shows the start-up choice.
// Only such an answer retires the run, and only once it is carried out: the
// box that a quit closes gave none, a run that cannot be read stays to be
// offered again, and a continued run is retired once its records are durable
// in this run's journal (till then it stays held). A mark that cannot be made
// is told with the journal's warning: the run will be offered again.
void AnswerOffer(const UnsavedRun& run, bool goOn, const RunRetirer& retire);

}  // namespace kiroku::ui
