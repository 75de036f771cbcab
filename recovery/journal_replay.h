#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/game_clock.h"
#include "journal/journal.h"
#include "recovery/headless_screens.h"
#include "setup/setup_sheet.h"

namespace kiroku {

struct ReplaySummary {
  std::string started;  // the run's local start time, "YYYYMMDD-HHMMSS"
  long pid = 0;
  std::size_t records = 0;                // records replayed, the header included
  int events[2] = {0, 0};                 // completed events of team 1 and team 2
  bool changed = false;                   // something was recorded that the files hold
  bool exportedAfterLastChange = false;   // a データ保存 succeeded after the last change
  bool endedNormally = false;
  bool tornTail = false;                  // an incomplete last line was skipped
  int stoppedAtLine = 0;                  // a damaged or unknown record: the replay stopped before it
  std::string problem;                    // why it stopped there, for the operator
  bool switched = false;                  // 入力切替 was pressed
  bool clockStarted = false;              // スタート was pressed
  std::int64_t clockMs = 0;               // the playing time the clock showed at the last record
};

// What a replay drives: the setup sheet, the recording (and through it the
// screens) and the clock of a program, the live one or one with no window.
// Each record is applied through the operation that made it, so a journal
// attached to the target records the replayed game again.
struct ReplayTarget {
  SetupSheet& sheet;
  Recording& recording;
  GameClock& clock;
};

// Applies a journal to a target that stands as the program does after its
// screens' creation.
ReplaySummary ReplayJournal(std::string_view journalBytes, ReplayTarget target);
// The same, to go on with the run: the clock then stands paused at the time
// it showed at the last record, and says so in the target's journal, so that
// a continuation of the continued run stands there too.
ReplaySummary ContinueJournal(std::string_view journalBytes, ReplayTarget target);

// A run rebuilt from its journal with no screen: the same setup sheet and
// recording core as the program, driven by the recorded operations.
class JournalReplay {
 public:
  explicit JournalReplay(std::string_view journalBytes);
  JournalReplay(const JournalReplay&) = delete;
  JournalReplay& operator=(const JournalReplay&) = delete;

  const ReplaySummary& summary() const { return summary_; }
  SetupSheet& sheet() { return sheet_; }
  Recording& recording() { return recording_; }

  // The names of the files below, as the program names them.
  std::vector<Text> fileNames() const;
  // What データ保存 and データ登録 would write now, in the working folder, in
  // the order of fileNames(); written counts the files written, also when a
  // later one fails.
  void writeFiles(std::size_t* written = nullptr);

 private:
  class StillTime : public TimeSource {
   public:
    double now() override { return 0; }
  };

  SetupSheet sheet_;
  HeadlessScreens screens_;
  StillTime time_;
  Recording recording_{screens_};
  GameClock clock_{recording_, time_};
  ReplaySummary summary_;
};

}  // namespace kiroku
