#include "core/game_clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

namespace kiroku {

namespace {
constexpr int kStartButton = 33;
constexpr int kPauseButton = 34;
constexpr int kClockPanel = 1;
constexpr int kClockTimer = 1;
constexpr double kMsPerDay = 86400000.0;
}  // namespace

double MonotonicTimeSource::now() {
  static const auto origin = std::chrono::steady_clock::now();
  const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - origin;
  return ms.count() / kMsPerDay;
}

GameClock::GameClock(Recording& recording, TimeSource& time) : recording_(recording), time_(time) {}

Text GameClock::DisplayText(double elapsedDays) {
  long long ms = std::llround(elapsedDays * kMsPerDay);
  if (ms < 0) ms = 0;  // a time source that stepped back shows the start, never garbage
  const long long seconds = ms / 1000;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d", static_cast<int>((seconds / 60) % 60),
                static_cast<int>(seconds % 60));
  return buf;
}

void GameClock::RefreshDisplay() {
  const double elapsed = time_.now() - StartTime - PauseTotal;
  recording_.screens().setPanelCaption(Form::Form2, kClockPanel, DisplayText(elapsed));
}

void GameClock::Start() {
  auto& screens = recording_.screens();
  if (RecordPort* j = recording_.journal()) j->record(record::kStart);
  StartTime = time_.now();
  screens.setTimerEnabled(Form::Form2, kClockTimer, true);
  screens.setButtonEnabled(Form::Form2, kStartButton, false);
  screens.setButtonEnabled(Form::Form2, kPauseButton, true);
  recording_.EnablePlayerButtons();
}

void GameClock::PauseResume() {
  auto& screens = recording_.screens();
  if (RecordPort* j = recording_.journal()) j->record(Running == 1 ? record::kPause : record::kResume);
  if (Running == 1) {
    screens.setTimerEnabled(Form::Form2, kClockTimer, false);
    PauseStart = time_.now();
    Running = 0;
  } else {
    PauseTotal = (time_.now() - PauseStart) + PauseTotal;
    RefreshDisplay();
    screens.setTimerEnabled(Form::Form2, kClockTimer, true);
    Running = 1;
  }
}

void GameClock::StandPausedAt(std::int64_t elapsedMs) {
  auto& screens = recording_.screens();
  if (RecordPort* j = recording_.journal()) j->record(record::kClock, {std::to_string(elapsedMs)});
  const double now = time_.now();
  StartTime = now - static_cast<double>(elapsedMs) / kMsPerDay;
  PauseStart = now;
  PauseTotal = 0;
  Running = 0;
  screens.setTimerEnabled(Form::Form2, kClockTimer, false);
  screens.setPanelCaption(Form::Form2, kClockPanel, DisplayText(static_cast<double>(elapsedMs) / kMsPerDay));
  screens.setButtonEnabled(Form::Form2, kStartButton, false);
  screens.setButtonEnabled(Form::Form2, kPauseButton, true);
}

void GameClock::Tick() { RefreshDisplay(); }

}  // namespace kiroku
