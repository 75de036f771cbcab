#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/record_port.h"
#include "core/screen_port.h"
#include "core/text_grid.h"

namespace kiroku {

struct CurrentEventState {
  int32_t team = 0;
  int32_t item1 = 0;
  int32_t item2 = 0;
  int32_t item3 = 0;
};

struct EntryCursorState {
  int32_t column = 0;
  int32_t row = 1;
};

struct HistoryEntry {
  int32_t team, item1, item2, item3;
  bool operator==(const HistoryEntry&) const = default;
};

// Counts by team x player x item 2 x item 3, all from 1. Player 17 and item
// index 11 are the totals, filled only while the table file is laid out.
class TallyTableT {
 public:
  static constexpr int kTeams = 2, kItem1 = 17, kItem2 = 11, kItem3 = 11;
  int32_t& at(int team, int item1, int item2, int item3) { return cells_[index(team, item1, item2, item3)]; }
  int32_t at(int team, int item1, int item2, int item3) const { return cells_[index(team, item1, item2, item3)]; }
  static bool isTotal(int item1, int item2, int item3) { return item1 == kItem1 || item2 == kItem2 || item3 == kItem3; }
  void zero() { cells_.fill(0); }
  bool operator==(const TallyTableT&) const = default;

 private:
  static size_t index(int team, int item1, int item2, int item3) {
    return ((static_cast<size_t>(team - 1) * kItem1 + (item1 - 1)) * kItem2 + (item2 - 1)) * kItem3 + (item3 - 1);
  }
  std::array<int32_t, kTeams * kItem1 * kItem2 * kItem3> cells_{};
};

// The state shared by all screens while a game is recorded, and the three
// presses that make an event with their corrections.
class Recording {
 public:
  explicit Recording(ScreenPort& screens);

  ScreenPort& screens() { return screens_; }
  // Where the presses, the corrections and the clock are recorded; none: not recorded.
  void setJournal(RecordPort* journal) { journal_ = journal; }
  RecordPort* journal() const { return journal_; }
  // Told after every change to the counts, so that a view of them can follow.
  void setTallyObserver(std::function<void()> observer) { tallyObserver_ = std::move(observer); }

  // The start values. fillSheetDefaults runs between the flag and the tally,
  // where the setup sheet's creation fills its defaults.
  void ResetRecordingState(const std::function<void()>& fillSheetDefaults = {});
  void IncrementTally(int team, int item1, int item2, int item3);
  void PushHistory();
  void UndoLastEvent();
  void ClearTallyTotals();

  void EnterItem1(int team, int index, const Text& caption);
  void EnterItem2(int index, const Text& caption);
  void EnterItem3(int index, const Text& caption);
  void CorrectItem1();
  void CorrectItem2();
  void CorrectItem3();
  void EnablePlayerButtons();
  void DisablePlayerButtons();
  void SetUpEventGrids();
  Text MakeTimeStamp() const;
  static Text MakeTimeStamp(Text clockText);

  TStringGrid& eventGrid(int team) { return team == 2 ? StringGrid2 : StringGrid1; }
  const TStringGrid& eventGrid(int team) const { return team == 2 ? StringGrid2 : StringGrid1; }
  EntryCursorState& cursor(int team) { return EntryCursor[team == 2 ? 1 : 0]; }
  int historyDepth() const { return static_cast<int>(EventHistory.size()); }

  CurrentEventState CurrentEvent;
  std::array<EntryCursorState, 2> EntryCursor{};  // team 1, team 2
  TallyTableT TallyTable;
  std::vector<HistoryEntry> EventHistory;  // grows as needed: no event is ever refused
  uint8_t LabelsPending = 1;

  // The recording screen's event grids: team 1 and team 2.
  TStringGrid StringGrid1{4, 6, 0, 1};
  TStringGrid StringGrid2{4, 6, 0, 1};

 private:
  bool inCapture(int column) const;
  void setPlayerButtonsEnabled(bool enabled);

  ScreenPort& screens_;
  RecordPort* journal_ = nullptr;
  std::function<void()> tallyObserver_;
};

}  // namespace kiroku
