#include "setup/setup_sheet.h"

#include <string>

namespace kiroku {

SetupSheet::SetupSheet() {
  edits_[21] = Text(cp932::kFileNameDefault);
  edits_[22] = "'";
}

void SetupSheet::setEdit(int k, Text text) {
  edits_.at(k) = std::move(text);
  if (journal_) journal_->record(record::kField, {std::to_string(k), edits_[k]});
  if (editObserver_) editObserver_(k);
}

void SetupSheet::setJournal(RecordPort* journal) {
  journal_ = journal;
  if (!journal) {
    StringGrid1.setCellHook({});
    return;
  }
  StringGrid1.setCellHook([this](int col, int row, const Text& value) {
    journal_->record(record::kCell, {std::to_string(col), std::to_string(row), value});
  });
}

void FillSetupDefaults(SetupSheet& sheet) {
  auto& grid = sheet.StringGrid1;
  grid.setCell(1, 1, Text(cp932::kTeamDefault));
  grid.setCell(3, 1, Text(cp932::kTeamDefault));
  const int widths[] = {60, 100, 15, 100};
  for (int c = 0; c < 4; ++c) grid.setColWidth(c, widths[c]);
  for (int r = 0; r < grid.rowCount(); ++r) grid.setRowHeight(r, 20);
  Text header = "\" \",";
  header.append(cp932::kTeamHeader).append(",\" \",").append(cp932::kTeamHeader);
  grid.setRowCommaText(0, header);
  Text column = "\" \",";
  column.append(cp932::kTeamNameRow);
  for (int p = 1; p <= 16; ++p) column.append(",").append(std::to_string(p));
  grid.setColCommaText(0, column);
}

void CopyPlayerNames(SetupSheet& sheet) {
  if (RecordPort* j = sheet.journal()) j->record(record::kCopy);  // the cells it sets follow
  auto& grid = sheet.StringGrid1;
  for (int r = 2; r < grid.rowCount(); ++r) grid.setCell(3, r, grid.cell(1, r));
}

namespace {

// The 52 buttons that carry a label from the sheet, in the order they are set.
template <typename F>
void ForEachLabelledButton(const SetupSheet& sheet, F&& f) {
  for (int p = 1; p <= 16; ++p) f(Form::Form2, p, sheet.playerName(1, p));
  for (int p = 1; p <= 16; ++p) f(Form::Form2, 16 + p, sheet.playerName(2, p));
  for (int k = 1; k <= 10; ++k) f(Form::Form3, k, sheet.item2Label(k));
  for (int k = 1; k <= 10; ++k) f(Form::Form4, k, sheet.item3Label(k));
}

}  // namespace

void ApplyLabels(const SetupSheet& sheet, ScreenPort& screens) {
  screens.setPanelCaption(Form::Form2, 2, sheet.teamName(1));
  screens.setPanelCaption(Form::Form2, 4, sheet.teamName(1));
  screens.setPanelCaption(Form::Form2, 3, sheet.teamName(2));
  screens.setPanelCaption(Form::Form2, 5, sheet.teamName(2));
  ForEachLabelledButton(sheet, [&](Form form, int button, const Text& label) {
    screens.setButtonCaption(form, button, label);
  });
}

void HideUnlabelledButtons(const SetupSheet& sheet, ScreenPort& screens) {
  ForEachLabelledButton(sheet, [&](Form form, int button, const Text& label) {
    if (label.empty()) screens.setButtonVisible(form, button, false);
  });
}

void PrepareRecordingScreens(const SetupSheet& sheet, Recording& recording) {
  ApplyLabels(sheet, recording.screens());
  recording.DisablePlayerButtons();
  HideUnlabelledButtons(sheet, recording.screens());
  recording.LabelsPending = 0;
}

void CreateSetupSheet(SetupSheet& sheet, Recording& recording) {
  recording.ResetRecordingState([&] { FillSetupDefaults(sheet); });
}

void SwitchToRecording(const SetupSheet& sheet, Recording& recording) {
  if (RecordPort* j = recording.journal()) j->record(record::kSwitch);
  if (recording.LabelsPending == 1) PrepareRecordingScreens(sheet, recording);
  recording.screens().showForm(Form::Form2);
}

void AttachJournal(SetupSheet& sheet, Recording& recording, RecordPort* journal) {
  sheet.setJournal(journal);
  recording.setJournal(journal);
}

}  // namespace kiroku
