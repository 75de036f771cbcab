#include "core/recording.h"

namespace kiroku {

namespace {
constexpr int kPlayerButtons = 32;
constexpr int kCorrectButton = 36;  // Form2's "修正"
bool ValidTeam(int team) { return team == 1 || team == 2; }
}  // namespace

Recording::Recording(ScreenPort& screens) : screens_(screens) {}

void Recording::ResetRecordingState(const std::function<void()>& fillSheetDefaults) {
  EntryCursor[0] = EntryCursorState{0, 1};
  EntryCursor[1] = EntryCursorState{0, 1};
  EventHistory.clear();
  LabelsPending = 1;
  if (fillSheetDefaults) fillSheetDefaults();
  TallyTable.zero();
}

void Recording::IncrementTally(int team, int item1, int item2, int item3) {
  ++TallyTable.at(team, item1, item2, item3);
  if (tallyObserver_) tallyObserver_();
}

void Recording::PushHistory() {
  EventHistory.push_back({CurrentEvent.team, CurrentEvent.item1, CurrentEvent.item2, CurrentEvent.item3});
}

void Recording::UndoLastEvent() {
  if (EventHistory.empty()) return;
  const HistoryEntry top = EventHistory.back();
  --TallyTable.at(top.team, top.item1, top.item2, top.item3);
  EventHistory.pop_back();
  if (tallyObserver_) tallyObserver_();
}

void Recording::ClearTallyTotals() {
  for (int t = 1; t <= 2; ++t)
    for (int p = 1; p <= 17; ++p)
      for (int i = 1; i <= 11; ++i) TallyTable.at(t, p, i, 11) = 0;
  for (int t = 1; t <= 2; ++t)
    for (int i = 1; i <= 11; ++i)
      for (int k = 1; k <= 11; ++k) TallyTable.at(t, 17, i, k) = 0;
  for (int t = 1; t <= 2; ++t)
    for (int p = 1; p <= 17; ++p)
      for (int k = 1; k <= 11; ++k) TallyTable.at(t, p, 11, k) = 0;
}

// True when the current team's event stands at the given column. Every press
// checks the stage it belongs to, so a press that arrives out of turn cannot
// write outside the event's four cells or step into an earlier row.
bool Recording::inCapture(int column) const {
  if (!ValidTeam(CurrentEvent.team)) return false;
  return EntryCursor[CurrentEvent.team - 1].column == column;
}

void Recording::EnterItem1(int team, int index, const Text& caption) {
  if (!ValidTeam(team) || index < 1 || index > 16) return;
  if (ValidTeam(CurrentEvent.team) && !inCapture(0)) return;  // an event is still open
  if (cursor(team).column != 0) return;
  const Text clock = screens_.panelCaption(Form::Form2, 1);
  if (journal_) journal_->record(record::kPlayer, {std::to_string(team), std::to_string(index), clock, caption});
  CurrentEvent.team = team;
  CurrentEvent.item1 = index;
  const Text stamp = MakeTimeStamp(clock);
  auto& grid = eventGrid(team);
  auto& cur = cursor(team);
  grid.setCell(cur.column, cur.row, stamp);
  ++cur.column;
  grid.setCell(cur.column, cur.row, caption);
  ++cur.column;
  screens_.setButtonEnabled(Form::Form2, kCorrectButton, false);
  DisablePlayerButtons();
  screens_.showForm(Form::Form3);
}

void Recording::EnterItem2(int index, const Text& caption) {
  if (index < 1 || index > 10 || !inCapture(2)) return;
  if (journal_) journal_->record(record::kItem2, {std::to_string(index), caption});
  CurrentEvent.item2 = index;
  auto& cur = cursor(CurrentEvent.team);
  eventGrid(CurrentEvent.team).setCell(cur.column, cur.row, caption);
  ++cur.column;
  screens_.showForm(Form::Form4);
  screens_.closeForm(Form::Form3);
}

void Recording::EnterItem3(int index, const Text& caption) {
  if (index < 1 || index > 10 || !inCapture(3)) return;
  if (journal_) journal_->record(record::kItem3, {std::to_string(index), caption});
  CurrentEvent.item3 = index;
  const int team = CurrentEvent.team;
  auto& cur = cursor(team);
  auto& grid = eventGrid(team);
  grid.setCell(cur.column, cur.row, caption);
  cur.column = 0;
  ++cur.row;
  IncrementTally(team, CurrentEvent.item1, CurrentEvent.item2, CurrentEvent.item3);
  PushHistory();
  grid.setRowCount(grid.rowCount() + 1);
  grid.setRow(grid.row() + 1);
  EnablePlayerButtons();
  screens_.setButtonEnabled(Form::Form2, kCorrectButton, true);
  screens_.closeForm(Form::Form4);
}

void Recording::CorrectItem1() {
  if (!inCapture(2)) return;
  if (journal_) journal_->record(record::kFix1);
  auto& cur = cursor(CurrentEvent.team);
  auto& grid = eventGrid(CurrentEvent.team);
  --cur.column;
  grid.setCell(cur.column, cur.row, Text());
  --cur.column;
  grid.setCell(cur.column, cur.row, Text());
  EnablePlayerButtons();
  screens_.showForm(Form::Form2);
  screens_.closeForm(Form::Form3);
}

void Recording::CorrectItem2() {
  if (!inCapture(3)) return;
  if (journal_) journal_->record(record::kFix2);
  auto& cur = cursor(CurrentEvent.team);
  --cur.column;
  eventGrid(CurrentEvent.team).setCell(cur.column, cur.row, Text());
  screens_.showForm(Form::Form3);
  screens_.closeForm(Form::Form4);
}

void Recording::CorrectItem3() {
  if (!inCapture(0)) return;
  auto& cur = cursor(CurrentEvent.team);
  if (cur.row <= 1) return;  // nothing completed in this grid to take back
  if (journal_) journal_->record(record::kFix3);
  auto& grid = eventGrid(CurrentEvent.team);
  --cur.row;
  cur.column = 3;
  grid.setCell(cur.column, cur.row, Text());
  UndoLastEvent();
  grid.setRowCount(grid.rowCount() - 1);
  grid.setRow(grid.row() - 1);
  // The event is open again at its third stage: no new player press and no
  // second step back until it is completed or cancelled.
  screens_.setButtonEnabled(Form::Form2, kCorrectButton, false);
  DisablePlayerButtons();
  screens_.showForm(Form::Form4);
}

void Recording::setPlayerButtonsEnabled(bool enabled) {
  for (int n = 1; n <= kPlayerButtons; ++n) screens_.setButtonEnabled(Form::Form2, n, enabled);
}

void Recording::EnablePlayerButtons() { setPlayerButtonsEnabled(true); }
void Recording::DisablePlayerButtons() { setPlayerButtonsEnabled(false); }

void Recording::SetUpEventGrids() {
  for (TStringGrid* grid : {&StringGrid1, &StringGrid2}) {
    grid->setColWidth(0, 60);
    grid->setColWidth(1, 90);
    grid->setColWidth(2, 90);
    grid->setColWidth(3, 90);
    grid->setRowCommaText(0, cp932::kEventGridHeader);
  }
}

Text Recording::MakeTimeStamp() const { return MakeTimeStamp(screens_.panelCaption(Form::Form2, 1)); }

Text Recording::MakeTimeStamp(Text panel) {
  if (panel.size() < 5) panel.resize(5, ' ');
  Text stamp;
  stamp.reserve(6);
  stamp.append(panel, 0, 2);
  stamp.append(cp932::kFullWidthColon);
  stamp.append(panel, 3, 2);
  return stamp;
}

}  // namespace kiroku
