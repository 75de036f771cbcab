#include "core/recording.h"

#include <gtest/gtest.h>

#include "tests/support/fake_screens.h"

namespace kiroku {
namespace {

using testing::FakeScreens;

// 03：15
const Text kStamp0315 = "\x30\x33\x81\x46\x31\x35";

class RecordingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rec.ResetRecordingState();
    rec.SetUpEventGrids();
    screens.setPanelCaption(Form::Form2, 1, "03:15");
    rec.EnablePlayerButtons();
    screens.button(Form::Form2, 36).enabled = false;
  }
  void event(int team, int player, int item2, int item3) {
    rec.EnterItem1(team, player, "P" + std::to_string(player));
    rec.EnterItem2(item2, "I" + std::to_string(item2));
    rec.EnterItem3(item3, "K" + std::to_string(item3));
  }
  std::vector<Text> row(int team, int r) {
    std::vector<Text> cells;
    for (int c = 0; c < 4; ++c) cells.push_back(rec.eventGrid(team).cell(c, r));
    return cells;
  }
  int countsSum() {
    int sum = 0;
    for (int t = 1; t <= 2; ++t)
      for (int p = 1; p <= 16; ++p)
        for (int i = 1; i <= 10; ++i)
          for (int k = 1; k <= 10; ++k) sum += rec.TallyTable.at(t, p, i, k);
    return sum;
  }

  FakeScreens screens;
  Recording rec{screens};
};

TEST_F(RecordingTest, StartValues) {
  for (int t = 1; t <= 2; ++t) {
    EXPECT_EQ(rec.cursor(t).column, 0);
    EXPECT_EQ(rec.cursor(t).row, 1);
    EXPECT_EQ(rec.eventGrid(t).rowCount(), 6);
    EXPECT_EQ(rec.eventGrid(t).colWidth(0), 60);
    EXPECT_EQ(rec.eventGrid(t).colWidth(3), 90);
    // 時間 項目1 項目2 項目3
    EXPECT_EQ(row(t, 0), (std::vector<Text>{"\x8e\x9e\x8a\xd4", "\x8d\x80\x96\xda\x31", "\x8d\x80\x96\xda\x32",
                                            "\x8d\x80\x96\xda\x33"}));
  }
  EXPECT_EQ(rec.historyDepth(), 0);
  EXPECT_EQ(rec.LabelsPending, 1);
  EXPECT_EQ(rec.TallyTable, TallyTableT{});
}

TEST_F(RecordingTest, WorkedCycleStepByStep) {
  rec.EnterItem1(1, 2, "Two");
  EXPECT_EQ(rec.cursor(1).column, 2);
  EXPECT_EQ(row(1, 1), (std::vector<Text>{kStamp0315, "Two", "", ""}));
  EXPECT_EQ(screens.enabledPlayers(), 0);
  EXPECT_FALSE(screens.button(Form::Form2, 36).enabled);
  EXPECT_TRUE(screens.isShown(Form::Form3));

  rec.EnterItem2(5, "Five");
  EXPECT_EQ(rec.cursor(1).column, 3);
  EXPECT_EQ(rec.eventGrid(1).cell(2, 1), "Five");
  EXPECT_EQ(screens.log, (std::vector<std::string>{"show 3", "show 4", "close 3"}));

  rec.EnterItem3(1, "One");
  EXPECT_EQ(rec.cursor(1).column, 0);
  EXPECT_EQ(rec.cursor(1).row, 2);
  EXPECT_EQ(rec.TallyTable.at(1, 2, 5, 1), 1);
  EXPECT_EQ(rec.EventHistory, (std::vector<HistoryEntry>{{1, 2, 5, 1}}));
  EXPECT_EQ(rec.eventGrid(1).rowCount(), 7);
  EXPECT_EQ(rec.eventGrid(1).row(), 2);
  EXPECT_EQ(screens.enabledPlayers(), 32);
  EXPECT_TRUE(screens.button(Form::Form2, 36).enabled);
  EXPECT_FALSE(screens.isShown(Form::Form4));

  rec.CorrectItem3();
  EXPECT_EQ(rec.cursor(1).column, 3);
  EXPECT_EQ(rec.cursor(1).row, 1);
  EXPECT_EQ(rec.eventGrid(1).cell(3, 1), "");
  EXPECT_EQ(rec.TallyTable.at(1, 2, 5, 1), 0);
  EXPECT_EQ(rec.historyDepth(), 0);
  EXPECT_EQ(rec.eventGrid(1).rowCount(), 6);
  EXPECT_EQ(rec.eventGrid(1).row(), 1);
  EXPECT_TRUE(screens.isShown(Form::Form4));
  // The reopened event locks the player buttons and the step back again.
  EXPECT_EQ(screens.enabledPlayers(), 0);
  EXPECT_FALSE(screens.button(Form::Form2, 36).enabled);

  rec.EnterItem3(3, "Three");
  EXPECT_EQ(row(1, 1), (std::vector<Text>{kStamp0315, "Two", "Five", "Three"}));
  EXPECT_EQ(rec.TallyTable.at(1, 2, 5, 3), 1);
  EXPECT_EQ(rec.TallyTable.at(1, 2, 5, 1), 0);
  EXPECT_EQ(rec.EventHistory, (std::vector<HistoryEntry>{{1, 2, 5, 3}}));
  EXPECT_EQ(rec.cursor(1).row, 2);
  EXPECT_EQ(rec.eventGrid(1).rowCount(), 7);
}

TEST_F(RecordingTest, TeamsKeepTheirOwnGridsCursorsAndTallyHalves) {
  event(1, 4, 2, 2);
  event(2, 1, 4, 7);  // Button17: team 2, player 1
  event(2, 5, 4, 7);
  EXPECT_EQ(row(1, 1)[1], "P4");
  EXPECT_EQ(row(2, 1)[1], "P1");
  EXPECT_EQ(row(2, 2)[1], "P5");
  EXPECT_EQ(rec.cursor(1).row, 2);
  EXPECT_EQ(rec.cursor(2).row, 3);
  EXPECT_EQ(rec.TallyTable.at(2, 1, 4, 7), 1);
  EXPECT_EQ(rec.TallyTable.at(1, 1, 4, 7), 0);
  EXPECT_EQ(rec.TallyTable.at(2, 5, 4, 7), 1);
  EXPECT_EQ(rec.EventHistory.back(), (HistoryEntry{2, 5, 4, 7}));

  rec.CorrectItem3();  // takes back only team 2's last event
  EXPECT_EQ(rec.TallyTable.at(2, 5, 4, 7), 0);
  EXPECT_EQ(rec.TallyTable.at(2, 1, 4, 7), 1);
  EXPECT_EQ(rec.cursor(2).row, 2);
  EXPECT_EQ(rec.eventGrid(2).rowCount(), 7);
  EXPECT_EQ(rec.cursor(1).row, 2);
  EXPECT_EQ(rec.eventGrid(1).rowCount(), 7);
  EXPECT_EQ(row(1, 1)[3], "K2");
}

TEST_F(RecordingTest, FullStepBackRemovesTheEventAndReusesItsRow) {
  const TallyTableT tallyBefore = rec.TallyTable;
  event(1, 3, 6, 9);
  rec.CorrectItem3();
  rec.CorrectItem2();
  EXPECT_EQ(rec.cursor(1).column, 2);
  EXPECT_EQ(rec.eventGrid(1).cell(2, 1), "");
  EXPECT_TRUE(screens.isShown(Form::Form3));
  rec.CorrectItem1();
  EXPECT_EQ(row(1, 1), (std::vector<Text>{"", "", "", ""}));
  EXPECT_EQ(rec.cursor(1).column, 0);
  EXPECT_EQ(rec.cursor(1).row, 1);
  EXPECT_EQ(rec.TallyTable, tallyBefore);
  EXPECT_EQ(rec.historyDepth(), 0);
  EXPECT_EQ(rec.eventGrid(1).rowCount(), 6);
  EXPECT_EQ(screens.enabledPlayers(), 32);
  EXPECT_FALSE(screens.button(Form::Form2, 36).enabled);  // a cancelled event is not correctable

  event(1, 8, 1, 1);
  EXPECT_EQ(row(1, 1)[1], "P8");
  EXPECT_EQ(rec.cursor(1).row, 2);
}

TEST_F(RecordingTest, CancelAfterThePlayerPressKeepsTheCorrectionOff) {
  event(1, 1, 1, 1);
  ASSERT_TRUE(screens.button(Form::Form2, 36).enabled);
  rec.EnterItem1(1, 3, "P3");
  rec.CorrectItem1();
  EXPECT_EQ(row(1, 2), (std::vector<Text>{"", "", "", ""}));
  EXPECT_FALSE(screens.button(Form::Form2, 36).enabled);
  EXPECT_EQ(rec.CurrentEvent.item1, 3);  // left as it was
  EXPECT_EQ(rec.historyDepth(), 1);
  EXPECT_EQ(screens.log.back(), "close 3");
  EXPECT_EQ(screens.log[screens.log.size() - 2], "show 2");
}

TEST_F(RecordingTest, ItemTwoCanBeChosenAgainAfterItsCorrection) {
  rec.EnterItem1(2, 2, "P2");
  rec.EnterItem2(4, "I4");
  rec.CorrectItem2();
  rec.EnterItem2(6, "I6");
  rec.EnterItem3(1, "K1");
  EXPECT_EQ(row(2, 1)[2], "I6");
  EXPECT_EQ(rec.TallyTable.at(2, 2, 6, 1), 1);
  EXPECT_EQ(rec.TallyTable.at(2, 2, 4, 1), 0);
}

TEST_F(RecordingTest, PressesOutOfTurnWriteNothing) {
  rec.CorrectItem3();  // nothing completed yet
  rec.CorrectItem1();
  rec.CorrectItem2();
  rec.EnterItem2(1, "x");
  rec.EnterItem3(1, "x");
  EXPECT_EQ(rec.cursor(1).row, 1);
  EXPECT_EQ(rec.eventGrid(1).rowCount(), 6);

  event(1, 1, 1, 1);
  rec.CorrectItem3();
  rec.EnterItem1(2, 1, "x");  // the reopened event must be finished first
  rec.CorrectItem3();         // and cannot step into the row before
  EXPECT_EQ(rec.cursor(1).row, 1);
  EXPECT_EQ(rec.cursor(1).column, 3);
  EXPECT_EQ(rec.cursor(2).column, 0);
  EXPECT_EQ(row(2, 1), (std::vector<Text>{"", "", "", ""}));
  for (int c = 4; c < 8; ++c) EXPECT_EQ(rec.eventGrid(1).cell(c, 1), "");
  rec.EnterItem1(1, 17, "x");  // out of range
  rec.EnterItem3(2, "K2");
  EXPECT_EQ(rec.historyDepth(), 1);
  EXPECT_EQ(countsSum(), 1);
}

TEST_F(RecordingTest, EventsDuringAPauseGetTheFrozenPanelText) {
  screens.setPanelCaption(Form::Form2, 1, "12:34");
  rec.EnterItem1(1, 3, "P3");
  EXPECT_EQ(rec.eventGrid(1).cell(0, 1), "\x31\x32\x81\x46\x33\x34");
  EXPECT_EQ(rec.CurrentEvent.team, 1);
  EXPECT_EQ(rec.CurrentEvent.item1, 3);
}

TEST_F(RecordingTest, HistoryHasNoCeiling) {
  for (int n = 0; n < 2100; ++n) event(1 + n % 2, 1 + n % 16, 1 + n % 10, 1 + n % 7);
  EXPECT_EQ(rec.historyDepth(), 2100);
  EXPECT_EQ(countsSum(), 2100);
  EXPECT_EQ(rec.eventGrid(1).rowCount(), 6 + 1050);
  rec.CorrectItem3();
  EXPECT_EQ(countsSum(), 2099);
}

TEST(Tally, IncrementUndoAndClearTotals) {
  FakeScreens screens;
  Recording rec(screens);
  rec.ResetRecordingState();
  rec.IncrementTally(2, 16, 10, 10);
  int nonzero = 0;
  for (int t = 1; t <= 2; ++t)
    for (int p = 1; p <= 17; ++p)
      for (int i = 1; i <= 11; ++i)
        for (int k = 1; k <= 11; ++k) nonzero += rec.TallyTable.at(t, p, i, k) != 0;
  EXPECT_EQ(nonzero, 1);
  EXPECT_EQ(rec.TallyTable.at(2, 16, 10, 10), 1);

  rec.CurrentEvent = {1, 1, 1, 1};
  rec.IncrementTally(1, 1, 1, 1);
  rec.PushHistory();
  rec.CurrentEvent = {1, 2, 2, 2};
  rec.IncrementTally(1, 2, 2, 2);
  rec.PushHistory();
  rec.UndoLastEvent();
  EXPECT_EQ(rec.TallyTable.at(1, 2, 2, 2), 0);
  EXPECT_EQ(rec.TallyTable.at(1, 1, 1, 1), 1);
  rec.UndoLastEvent();
  rec.UndoLastEvent();  // empty: nothing happens
  EXPECT_EQ(rec.TallyTable.at(1, 1, 1, 1), 0);
  EXPECT_EQ(rec.historyDepth(), 0);

  for (int t = 1; t <= 2; ++t)
    for (int p = 1; p <= 17; ++p)
      for (int i = 1; i <= 11; ++i)
        for (int k = 1; k <= 11; ++k)
          if (TallyTableT::isTotal(p, i, k)) rec.TallyTable.at(t, p, i, k) = 7;
  rec.ClearTallyTotals();
  for (int t = 1; t <= 2; ++t)
    for (int p = 1; p <= 17; ++p)
      for (int i = 1; i <= 11; ++i)
        for (int k = 1; k <= 11; ++k)
          if (TallyTableT::isTotal(p, i, k)) {
            EXPECT_EQ(rec.TallyTable.at(t, p, i, k), 0);
          }
  EXPECT_EQ(rec.TallyTable.at(2, 16, 10, 10), 1);
}

}  // namespace
}  // namespace kiroku
