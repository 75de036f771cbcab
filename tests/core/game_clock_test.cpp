#include "core/game_clock.h"

#include <gtest/gtest.h>

#include "tests/support/fake_screens.h"

namespace kiroku {
namespace {

using testing::FakeScreens;
using testing::FakeTime;

TEST(ClockDisplay, RoundsToTheMillisecondThenDropsTheFractionAndTheHours) {
  auto at = [](double seconds) { return GameClock::DisplayText(seconds / 86400.0); };
  EXPECT_EQ(at(0), "00:00");
  EXPECT_EQ(at(65.7), "01:05");
  EXPECT_EQ(at(3723), "02:03");  // 1 h 2 min 3 s
  EXPECT_EQ(at(3600), "00:00");  // exactly 60 minutes
  EXPECT_EQ(at(59.9996), "01:00");  // rounds up to the next millisecond first
  EXPECT_EQ(at(59.9994), "00:59");
  EXPECT_EQ(at(-5), "00:00");
}

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rec.ResetRecordingState();
    screens.setPanelCaption(Form::Form2, 1, "00:00");
    screens.button(Form::Form2, 34).enabled = false;
    rec.DisablePlayerButtons();
    clock.FormCreate();
  }
  Text panel() { return screens.panelCaption(Form::Form2, 1); }

  FakeScreens screens;
  FakeTime time;
  Recording rec{screens};
  GameClock clock{rec, time};
};

TEST_F(ClockTest, StartRunsTheTimerSwapsTheButtonsAndOpensCapture) {
  EXPECT_EQ(clock.Running, 1);
  clock.Start();
  EXPECT_TRUE(screens.timerOn(Form::Form2, 1));
  EXPECT_FALSE(screens.button(Form::Form2, 33).enabled);
  EXPECT_TRUE(screens.button(Form::Form2, 34).enabled);
  EXPECT_EQ(screens.enabledPlayers(), 32);
  EXPECT_EQ(panel(), "00:00");  // no refresh until the first tick
  time.advanceSeconds(0.5);
  clock.Tick();
  EXPECT_EQ(panel(), "00:00");
  time.advanceSeconds(65.2);
  clock.Tick();
  EXPECT_EQ(panel(), "01:05");
}

TEST_F(ClockTest, PauseFreezesAndResumeShowsTheSameGameTimeAtOnce) {
  clock.Start();
  time.advanceSeconds(90.2);
  clock.Tick();
  time.advanceSeconds(0.4);
  clock.PauseResume();
  EXPECT_EQ(clock.Running, 0);
  EXPECT_FALSE(screens.timerOn(Form::Form2, 1));
  time.advanceSeconds(300);
  EXPECT_EQ(panel(), "01:30");
  clock.PauseResume();
  EXPECT_EQ(clock.Running, 1);
  EXPECT_TRUE(screens.timerOn(Form::Form2, 1));
  EXPECT_EQ(panel(), "01:30");  // 90.6 s of play
  time.advanceSeconds(10);
  clock.Tick();
  EXPECT_EQ(panel(), "01:40");
}

TEST_F(ClockTest, TwoPausesAreLeftOut) {
  clock.Start();
  time.advanceSeconds(100);
  clock.PauseResume();
  time.advanceSeconds(30);
  clock.PauseResume();
  time.advanceSeconds(100);
  clock.PauseResume();
  time.advanceSeconds(45);
  clock.PauseResume();
  time.advanceSeconds(20);
  clock.Tick();
  EXPECT_EQ(panel(), "03:40");  // 295 s since the start less 75 s
  EXPECT_NEAR(clock.PauseTotal * 86400.0, 75.0, 1e-6);
}

TEST_F(ClockTest, TwoQuickPressesAddTheShortSpan) {
  clock.Start();
  time.advanceSeconds(10);
  clock.PauseResume();
  time.advanceSeconds(0.05);
  clock.PauseResume();
  EXPECT_NEAR(clock.PauseTotal * 86400.0, 0.05, 1e-6);
  EXPECT_EQ(clock.Running, 1);
  EXPECT_EQ(panel(), "00:10");
}

TEST_F(ClockTest, AnEventDuringAPauseIsStampedWithTheFrozenDisplay) {
  rec.SetUpEventGrids();
  clock.Start();
  time.advanceSeconds(125.3);
  clock.Tick();
  clock.PauseResume();
  time.advanceSeconds(40);
  rec.EnterItem1(2, 1, "x");
  EXPECT_EQ(rec.eventGrid(2).cell(0, 1), "\x30\x32\x81\x46\x30\x35");  // 02：05
}

}  // namespace
}  // namespace kiroku
