#pragma once
#include <cstdint>

#include "core/recording.h"

namespace kiroku {

// Where the clock reads the time, in days (fractions of a day).
class TimeSource {
 public:
  virtual ~TimeSource() = default;
  virtual double now() = 0;
};

// Steady time since the program started: never runs backwards and does not
// wrap at midnight, so the game time shown can neither jump nor go negative.
class MonotonicTimeSource : public TimeSource {
 public:
  double now() override;
};

// The game clock of the recording screen: playing time without pauses,
// shown as "mm:ss" in Form2's Panel1.
class GameClock {
 public:
  GameClock(Recording& recording, TimeSource& time);

  void FormCreate() { Running = 1; }
  void Start();        // "スタート"
  void PauseResume();  // "中断/再開"
  void Tick();         // Timer1, every 500 ms while on
  void RefreshDisplay();
  // Stops the clock at a playing time, as if paused there: a continued game
  // starts from the time its run last showed, and 中断/再開 resumes it.
  void StandPausedAt(std::int64_t elapsedMs);

  // The "mm:ss" text for a playing time in days.
  static Text DisplayText(double elapsedDays);
  TimeSource& timeSource() const { return time_; }

  double StartTime = 0;
  double PauseStart = 0;
  double PauseTotal = 0;
  uint8_t Running = 0;

 private:
  Recording& recording_;
  TimeSource& time_;
};

}  // namespace kiroku
