#pragma once
#include <array>
#include <functional>

#include "core/recording.h"

namespace kiroku {

// The setup sheet's contents: the setup grid, the label fields Edit1 to
// Edit20, the file-name prefix Edit21, the time prefix Edit22, and the three
// never-shown layout grids of the exports.
class SetupSheet {
 public:
  static constexpr int kEdits = 22;

  SetupSheet();

  const Text& edit(int k) const { return edits_.at(k); }
  void setEdit(int k, Text text);
  // Told of every change made by the program (not by the operator's typing).
  void setEditObserver(std::function<void(int)> observer) { editObserver_ = std::move(observer); }
  // Records every change of a field or of a setup grid cell, whoever makes it.
  void setJournal(RecordPort* journal);
  RecordPort* journal() const { return journal_; }

  const Text& teamName(int team) const { return StringGrid1.cell(team == 2 ? 3 : 1, 1); }
  const Text& playerName(int team, int player) const { return StringGrid1.cell(team == 2 ? 3 : 1, player + 1); }
  const Text& item2Label(int k) const { return edits_.at(k); }
  const Text& item3Label(int k) const { return edits_.at(10 + k); }

  TStringGrid StringGrid1{4, 18, 1, 1};  // the setup grid
  TStringGrid StringGrid2;               // list grid of the event list file
  TStringGrid StringGrid3;               // table grid of the tally table file
  TStringGrid StringGrid4;               // label grid of the tally table file

 private:
  std::array<Text, kEdits + 1> edits_;  // index 1 to 22
  std::function<void(int)> editObserver_;
  RecordPort* journal_ = nullptr;
};

void FillSetupDefaults(SetupSheet& sheet);
void CopyPlayerNames(SetupSheet& sheet);
void ApplyLabels(const SetupSheet& sheet, ScreenPort& screens);
void HideUnlabelledButtons(const SetupSheet& sheet, ScreenPort& screens);
void PrepareRecordingScreens(const SetupSheet& sheet, Recording& recording);

// The setup sheet's creation: start values of the recording and the defaults.
void CreateSetupSheet(SetupSheet& sheet, Recording& recording);
// "入力切替": carries the sheet over once, then shows the recording screen.
void SwitchToRecording(const SetupSheet& sheet, Recording& recording);

// From now on every change to the sheet and the recording goes into the journal (none: nothing is recorded).
void AttachJournal(SetupSheet& sheet, Recording& recording, RecordPort* journal);

}  // namespace kiroku
