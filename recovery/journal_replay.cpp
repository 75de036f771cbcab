#include "recovery/journal_replay.h"

#include "core/number.h"
#include "export/export.h"
#include "setup/backup.h"

namespace kiroku {

namespace {

template <typename T>
bool Int(const Text& s, T& value, T low, T high) {
  return ParseNumber(s, value) && value >= low && value <= high;
}

// The playing time as the records tell it: the clock runs from スタート or a
// resume, and stands at a pause or where a continued run set it.
class ClockTrack {
 public:
  void start(std::int64_t ms) { base_ = 0, since_ = ms, running_ = started_ = true; }
  void pause(std::int64_t ms) {
    if (running_) base_ += ms - since_;
    running_ = false;
  }
  void resume(std::int64_t ms) { since_ = ms, running_ = true; }
  void standAt(std::int64_t elapsed) { base_ = elapsed, running_ = false, started_ = true; }
  std::int64_t at(std::int64_t ms) const { return base_ + (running_ ? ms - since_ : 0); }
  bool started() const { return started_; }

 private:
  std::int64_t base_ = 0, since_ = 0;
  bool running_ = false, started_ = false;
};

class Replayer {
 public:
  Replayer(ReplayTarget target, ReplaySummary& summary) : t_(target), s_(summary) {}
  bool apply(const JournalRecord& r);
  const ClockTrack& clock() const { return track_; }

 private:
  ReplayTarget t_;
  ReplaySummary& s_;
  ClockTrack track_;
};

bool Replayer::apply(const JournalRecord& r) {
  const auto& f = r.fields;
  const std::string_view kind = r.kind;
  Recording& rec = t_.recording;
  int a = 0, b = 0;
  bool change = true;
  if (kind == record::kPlayer) {
    if (f.size() != 4 || !Int(f[0], a, 1, 2) || !Int(f[1], b, 1, 16)) return false;
    rec.screens().setPanelCaption(Form::Form2, 1, f[2]);  // the clock as it read at the press
    rec.EnterItem1(a, b, f[3]);
  } else if (kind == record::kItem2 || kind == record::kItem3) {
    if (f.size() != 2 || !Int(f[0], a, 1, 10)) return false;
    if (kind == record::kItem2)
      rec.EnterItem2(a, f[1]);
    else
      rec.EnterItem3(a, f[1]);
  } else if (kind == record::kFix1) {
    rec.CorrectItem1();
  } else if (kind == record::kFix2) {
    rec.CorrectItem2();
  } else if (kind == record::kFix3) {
    rec.CorrectItem3();
  } else if (kind == record::kCell) {
    if (f.size() != 3 || !Int(f[0], a, 0, 3) || !Int(f[1], b, 0, 18)) return false;
    t_.sheet.StringGrid1.setCell(a, b, f[2]);
  } else if (kind == record::kField) {
    if (f.size() != 2 || !Int(f[0], a, 1, SetupSheet::kEdits)) return false;
    t_.sheet.setEdit(a, f[1]);
  } else if (kind == record::kSwitch) {
    SwitchToRecording(t_.sheet, rec);
    s_.switched = true;
  } else if (kind == record::kStart || kind == record::kPause || kind == record::kResume ||
             kind == record::kClock) {
    // The clock's presses change no file (the stamps come with the player
    // presses), but they set the buttons and the time a continued run shows.
    change = false;
    GameClock& clock = t_.clock;
    if (kind == record::kStart) {
      track_.start(r.ms);
      clock.Start();
    } else if (kind == record::kPause) {
      track_.pause(r.ms);
      if (clock.Running == 1) clock.PauseResume();
    } else if (kind == record::kResume) {
      track_.resume(r.ms);
      if (clock.Running == 0) clock.PauseResume();
    } else {
      std::int64_t elapsed = 0;
      if (f.size() != 1 || !Int<std::int64_t>(f[0], elapsed, 0, INT64_MAX / 2)) return false;
      track_.standAt(elapsed);
      clock.StandPausedAt(elapsed);
    }
  } else if (kind == record::kSave) {
    change = false;
    if (f.size() == 1 && f[0] == "0") s_.exportedAfterLastChange = true;
  } else if (kind == record::kEnd) {
    change = false;
    s_.endedNormally = true;
  } else if (kind == record::kCopy || kind == record::kBackup || kind == record::kRegister) {
    // The sheet's changes come with their own records.
    change = false;
  } else {
    return false;
  }
  if (change) {
    s_.changed = true;
    s_.exportedAfterLastChange = false;
    s_.endedNormally = false;
  }
  return true;
}

}  // namespace

ReplaySummary ReplayJournal(std::string_view journalBytes, ReplayTarget target) {
  ReplaySummary summary;
  const JournalContents contents = ParseJournal(journalBytes);
  summary.tornTail = contents.tornTail;
  const auto& records = contents.records;
  if (records.empty() || records[0].kind != record::kHeader || records[0].fields.size() < 3 ||
      records[0].fields[0] != std::to_string(record::kVersion)) {
    summary.stoppedAtLine = 1;
    summary.problem = records.empty() && contents.damagedLine == 0 ? "the journal is empty"
                                                                  : "not a kiroku journal of this version";
    return summary;
  }
  summary.started = records[0].fields[1];
  if (!ParseNumber(records[0].fields[2], summary.pid)) summary.pid = 0;
  Replayer replayer(target, summary);
  std::size_t i = 1;
  for (; i < records.size(); ++i) {
    if (!replayer.apply(records[i])) {
      summary.stoppedAtLine = static_cast<int>(i) + 1;
      summary.problem = "line " + std::to_string(i + 1) + " holds a record this program does not know (\"" +
                        records[i].kind + "\")";
      break;
    }
  }
  summary.records = i;
  if (summary.stoppedAtLine == 0 && contents.damagedLine != 0) {
    summary.stoppedAtLine = contents.damagedLine;
    summary.problem = "line " + std::to_string(contents.damagedLine) + " is damaged (its checksum does not match)";
  }
  summary.clockStarted = replayer.clock().started();
  summary.clockMs = replayer.clock().at(records[i - 1].ms);
  for (const auto& e : target.recording.EventHistory) ++summary.events[e.team == 2 ? 1 : 0];
  return summary;
}

ReplaySummary ContinueJournal(std::string_view journalBytes, ReplayTarget target) {
  ReplaySummary summary = ReplayJournal(journalBytes, target);
  if (summary.clockStarted) target.clock.StandPausedAt(summary.clockMs);
  return summary;
}

JournalReplay::JournalReplay(std::string_view journalBytes) {
  // As the program starts: the sheet's creation, then the recording screen's.
  CreateSetupSheet(sheet_, recording_);
  clock_.FormCreate();
  recording_.SetUpEventGrids();
  summary_ = ReplayJournal(journalBytes, {sheet_, recording_, clock_});
}

std::vector<Text> JournalReplay::fileNames() const {
  const Text& prefix = sheet_.edit(21);
  return {prefix + "list.xls", prefix + "table.xls", kBackupFileName};
}

void JournalReplay::writeFiles(std::size_t* written) {
  std::size_t done = 0;
  const auto count = [&] {
    if (written) *written = ++done;
  };
  if (written) *written = 0;
  SaveResults(sheet_, recording_, count);
  count();
  SaveSetupBackup(sheet_);
  count();
}

}  // namespace kiroku
