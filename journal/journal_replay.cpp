#include "journal/journal_replay.h"

#include <charconv>
#include <cstdlib>

#include "export/export.h"
#include "setup/backup.h"

namespace kiroku {

namespace {

bool Int(const Text& s, int& value, int low, int high) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty() && value >= low && value <= high;
}

}  // namespace

JournalReplay::JournalReplay(std::string_view journalBytes) {
  // As the program starts: the sheet's creation, then the recording screen's.
  CreateSetupSheet(sheet_, recording_);
  recording_.SetUpEventGrids();

  const JournalContents contents = ParseJournal(journalBytes);
  summary_.tornTail = contents.tornTail;
  const auto& records = contents.records;
  std::size_t i = 0;
  if (records.empty() || records[0].kind != record::kHeader || records[0].fields.size() < 3 ||
      records[0].fields[0] != std::to_string(record::kVersion)) {
    summary_.stoppedAtLine = 1;
    summary_.problem = records.empty() && contents.damagedLine == 0 ? "the journal is empty"
                                                                   : "not a kiroku journal of this version";
    return;
  }
  summary_.started = records[0].fields[1];
  summary_.pid = std::atol(records[0].fields[2].c_str());
  for (i = 1; i < records.size(); ++i) {
    if (!apply(records[i])) {
      summary_.stoppedAtLine = static_cast<int>(i) + 1;
      summary_.problem = "line " + std::to_string(i + 1) + " holds a record this program does not know (\"" +
                         records[i].kind + "\")";
      break;
    }
  }
  summary_.records = i;
  if (summary_.stoppedAtLine == 0 && contents.damagedLine != 0) {
    summary_.stoppedAtLine = contents.damagedLine;
    summary_.problem = "line " + std::to_string(contents.damagedLine) + " is damaged (its checksum does not match)";
  }
  for (const auto& e : recording_.EventHistory) ++summary_.events[e.team == 2 ? 1 : 0];
}

bool JournalReplay::apply(const JournalRecord& r) {
  const auto& f = r.fields;
  const std::string_view kind = r.kind;
  int a = 0, b = 0;
  bool change = true;
  if (kind == record::kPlayer) {
    if (f.size() != 4 || !Int(f[0], a, 1, 2) || !Int(f[1], b, 1, 16)) return false;
    screens_.setPanelCaption(Form::Form2, 1, f[2]);  // the clock as it read at the press
    recording_.EnterItem1(a, b, f[3]);
  } else if (kind == record::kItem2 || kind == record::kItem3) {
    if (f.size() != 2 || !Int(f[0], a, 1, 10)) return false;
    if (kind == record::kItem2)
      recording_.EnterItem2(a, f[1]);
    else
      recording_.EnterItem3(a, f[1]);
  } else if (kind == record::kFix1) {
    recording_.CorrectItem1();
  } else if (kind == record::kFix2) {
    recording_.CorrectItem2();
  } else if (kind == record::kFix3) {
    recording_.CorrectItem3();
  } else if (kind == record::kCell) {
    if (f.size() != 3 || !Int(f[0], a, 0, 3) || !Int(f[1], b, 0, 18)) return false;
    sheet_.StringGrid1.setCell(a, b, f[2]);
  } else if (kind == record::kField) {
    if (f.size() != 2 || !Int(f[0], a, 1, SetupSheet::kEdits)) return false;
    sheet_.setEdit(a, f[1]);
  } else if (kind == record::kSwitch) {
    SwitchToRecording(sheet_, recording_);
  } else if (kind == record::kSave) {
    change = false;
    if (f.size() == 1 && f[0] == "0") summary_.exportedAfterLastChange = true;
  } else if (kind == record::kEnd) {
    change = false;
    summary_.endedNormally = true;
  } else if (kind == record::kStart || kind == record::kPause || kind == record::kResume ||
             kind == record::kCopy || kind == record::kBackup || kind == record::kRegister) {
    // The stamps come with the presses, and the sheet's changes with their own records.
    change = false;
  } else {
    return false;
  }
  if (change) {
    summary_.changed = true;
    summary_.exportedAfterLastChange = false;
    summary_.endedNormally = false;
  }
  return true;
}

std::vector<Text> JournalReplay::fileNames() const {
  const Text& prefix = sheet_.edit(21);
  return {prefix + "list.xls", prefix + "table.xls", kBackupFileName};
}

void JournalReplay::writeFiles() {
  SaveResults(sheet_, recording_);
  SaveSetupBackup(sheet_);
}

}  // namespace kiroku
