#include "ui/offer_answer.h"

#include <string>

#include "files/platform_file.h"
#include "setup/backup.h"
#include "ui/Unit1.h"
#include "ui/continuation.h"
#include "ui/journal_warning.h"
#include "ui/quit_watch.h"
#include "ui/screens.h"

namespace kiroku::ui {

void AnswerOffer(const UnsavedRun& run, bool goOn, const RunRetirer& retire) {
  if (ProgramEnding()) return;  // closed by a quit, not answered
  if (!goOn) {
    if (!retire(run)) JournalFailing();
    ShowStartupChoice(Screens());
    return;
  }
  std::string bytes;
  if (!platform::ReadAll(run.path, bytes)) {
    Guarded([] { throw IoError(2); });
    ShowStartupChoice(Screens());
    return;
  }
  const ReplaySummary summary = ContinueRun(bytes);
  if (summary.stoppedAtLine != 0) JournalPartlyRead();
  // Never durable (the journal fails): never retired, and the writer's own
  // report warns.
  WhenRecordedDurable([run, retire] {
    if (!retire(run)) JournalFailing();
  });
}

}  // namespace kiroku::ui
