// A game recorded with a journal, replayed with no screen, must give the
// files that the live program writes, byte for byte.
#include "recovery/journal_replay.h"

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "core/game_clock.h"
#include "export/export.h"
#include "setup/backup.h"
#include "tests/support/fake_screens.h"
#include "tests/support/temp_dir.h"

namespace kiroku {
namespace {

using Files = std::map<std::string, std::string>;  // name on disk -> bytes

// Runs the work in a fresh folder below the working one; gives its files.
Files FilesWrittenIn(const std::string& folder, const std::function<void()>& work) {
  std::filesystem::create_directory(folder);
  std::filesystem::current_path(folder);
  work();
  Files files;
  for (const auto& e : std::filesystem::directory_iterator("."))
    files[e.path().filename().string()] = testing::ReadFileBytes(e.path().string());
  std::filesystem::current_path("..");
  return files;
}

Files Replayed(std::string_view journal, const std::string& folder, ReplaySummary* summary = nullptr) {
  JournalReplay replay(journal);
  if (summary) *summary = replay.summary();
  return FilesWrittenIn(folder, [&] { replay.writeFiles(); });
}

// The program's state with a journal, driven through the same operations as the screens.
struct LiveRun {
  testing::FakeScreens screens;
  testing::FakeTime time;
  SetupSheet sheet;
  Recording rec{screens};
  GameClock clock{rec, time};
  MemoryJournal journal;

  LiveRun() {
    CreateSetupSheet(sheet, rec);
    clock.FormCreate();
    rec.SetUpEventGrids();
    AttachJournal(sheet, rec, &journal);
  }
  void tick(double seconds) {
    time.advanceSeconds(seconds);
    clock.Tick();
  }
  void player(int team, int p) { rec.EnterItem1(team, p, sheet.playerName(team, p)); }
  void event(int team, int p, int i2, int i3) {
    player(team, p);
    rec.EnterItem2(i2, sheet.item2Label(i2));
    rec.EnterItem3(i3, sheet.item3Label(i3));
  }
  Files save(const std::string& folder) {
    return FilesWrittenIn(folder, [&] {
      SaveResults(sheet, rec);
      SaveSetupBackup(sheet);
    });
  }

  // Every kind of sheet change, capture and correction, with CP932 bytes
  // that need escaping (the second byte of ソ and 表 is a backslash).
  void playGame() {
    // Back Up of a file with team 1's name and two players.
    testing::WriteFileBytes("morvane.txt", "\x8d\xb2\x93\xa1\x8c\x52\r\n\x83\x5c\x83\x93\r\nB\\2\r\n");
    StartupChoiceOk(1, sheet, screens);
    ASSERT_EQ(sheet.playerName(1, 2), "B\\2");
    sheet.StringGrid1.setCell(1, 4, "\x95\x5c\x8e\x86");  // 表紙, typed into a cell
    CopyPlayerNames(sheet);
    sheet.StringGrid1.setCell(3, 1, "\x94\x92");        // team 2's name
    sheet.StringGrid1.setCell(3, 3, "Tab\there");       // and one of its players
    sheet.setEdit(1, "\x83\x56\x83\x85\x81\x5b\x83\x67");  // シュート
    sheet.setEdit(2, "\x83\x70\x83\x58");                  // パス
    sheet.setEdit(11, "\x89\x45");                         // 右
    sheet.setEdit(12, "\x8d\xb6");                         // 左
    sheet.setEdit(13, "\\");
    sheet.setEdit(21, "\x8e\x8e\x8d\x87_");  // the prefix: 試合_
    SwitchToRecording(sheet, rec);
    clock.Start();
    tick(61.2);
    event(1, 1, 1, 1);
    event(2, 3, 2, 3);
    player(1, 2);  // cancelled at the item-2 picker
    rec.CorrectItem1();
    tick(3);
    event(1, 3, 2, 2);
    player(2, 1);  // item 2 taken back and chosen again
    rec.EnterItem2(1, sheet.item2Label(1));
    rec.CorrectItem2();
    rec.EnterItem2(2, sheet.item2Label(2));
    rec.EnterItem3(1, sheet.item3Label(1));
    rec.CorrectItem3();  // item 3 of the last event taken back and chosen again
    rec.EnterItem3(2, sheet.item3Label(2));
    clock.PauseResume();  // paused: the next event gets the frozen time
    time.advanceSeconds(30);
    event(1, 2, 1, 3);
    clock.PauseResume();
    tick(0.5);
    SaveResults(sheet, rec);  // a データ保存 midway changes nothing that follows
    event(2, 1, 1, 1);
    rec.CorrectItem3();  // a whole event taken back
    rec.CorrectItem2();
    rec.CorrectItem1();
    sheet.setEdit(2, "\x83\x70\x83\x58\x82\x51");  // a label renamed after recording: パス２
    tick(7);
    event(2, 2, 2, 1);
  }
};

class JournalReplayTest : public ::testing::Test {
 protected:
  testing::TempDir dir;
};

TEST_F(JournalReplayTest, ReplayWritesTheFilesOfTheLiveProgram) {
  LiveRun live;
  live.playGame();
  const std::string journal = live.journal.bytes;
  const Files expected = live.save("live");

  ReplaySummary summary;
  EXPECT_EQ(Replayed(journal, "replay", &summary), expected);
  ASSERT_EQ(expected.size(), 3u);
  EXPECT_TRUE(expected.count("\xe8\xa9\xa6\xe5\x90\x88_list.xls"));  // named by the last prefix: 試合_
  // Line 4 of the list: the second event of each team, stamped as the clock showed it.
  const std::string& list = expected.at("\xe8\xa9\xa6\xe5\x90\x88_list.xls");
  size_t at = 0;
  for (int n = 1; n < 4; ++n) at = list.find("\r\n", at) + 2;
  EXPECT_EQ(list.substr(at, list.find("\r\n", at) - at),
            "'01\x81\x46" "04\t\x95\x5c\x8e\x86\t\x83\x70\x83\x58\t\x8d\xb6\t\t"
            "'01\x81\x46" "04\t\x83\x5c\x83\x93\t\x83\x70\x83\x58\t\x8d\xb6\t\t");
  EXPECT_EQ(summary.events[0], 3);
  EXPECT_EQ(summary.events[1], 3);
  EXPECT_FALSE(summary.exportedAfterLastChange);
  EXPECT_FALSE(summary.tornTail);
  EXPECT_EQ(summary.stoppedAtLine, 0);
}

TEST_F(JournalReplayTest, AJournalCutAnywhereInItsLastRecordReplaysToTheRecordBefore) {
  LiveRun live;
  live.playGame();
  live.player(1, 1);
  live.rec.EnterItem2(2, live.sheet.item2Label(2));
  const Files before = live.save("before");
  const size_t lastLine = live.journal.bytes.size();
  live.rec.EnterItem3(3, live.sheet.item3Label(3));  // the last record completes an event
  const std::string journal = live.journal.bytes;
  const Files after = live.save("after");
  ASSERT_NE(before, after);

  for (size_t cut = lastLine; cut < journal.size(); ++cut) {
    ReplaySummary summary;
    EXPECT_EQ(Replayed(std::string_view(journal).substr(0, cut), "cut" + std::to_string(cut), &summary), before)
        << "cut at byte " << cut;
    EXPECT_EQ(summary.tornTail, cut > lastLine);
    EXPECT_EQ(summary.stoppedAtLine, 0);
  }
  EXPECT_EQ(Replayed(journal, "whole"), after);
}

TEST_F(JournalReplayTest, ADamagedMiddleRecordStopsTheReplayThereAndSaysSo) {
  LiveRun live;
  live.playGame();
  const std::string journal = live.journal.bytes;
  // The line of the third player press: one byte of its caption changed.
  size_t start = 0;
  int line = 1;
  for (int players = 0;; start = journal.find('\n', start) + 1, ++line) {
    const size_t end = journal.find('\n', start);
    if (journal.substr(start, end - start).find("\tplayer\t") != std::string::npos && ++players == 3) break;
  }
  std::string damaged = journal;
  damaged[damaged.find('\n', start) - 10] ^= 0x01;

  ReplaySummary summary;
  const Files files = Replayed(damaged, "damaged", &summary);
  EXPECT_EQ(summary.stoppedAtLine, line);
  EXPECT_NE(summary.problem.find("line " + std::to_string(line) + " is damaged"), std::string::npos)
      << summary.problem;
  EXPECT_FALSE(summary.tornTail);
  EXPECT_EQ(summary.records, static_cast<size_t>(line - 1));
  EXPECT_EQ(files, Replayed(std::string_view(journal).substr(0, start), "upto"));
  EXPECT_EQ(summary.events[0] + summary.events[1], 2);  // the two events before the damaged press
}


// The state a continuation must stand in: the event under way, the cursors,
// the pickers shown and the player buttons.
void ExpectSameCapture(LiveRun& a, LiveRun& b) {
  EXPECT_EQ(a.rec.CurrentEvent.team, b.rec.CurrentEvent.team);
  EXPECT_EQ(a.rec.CurrentEvent.item1, b.rec.CurrentEvent.item1);
  EXPECT_EQ(a.rec.CurrentEvent.item2, b.rec.CurrentEvent.item2);
  for (int team : {1, 2}) {
    EXPECT_EQ(a.rec.cursor(team).column, b.rec.cursor(team).column) << team;
    EXPECT_EQ(a.rec.cursor(team).row, b.rec.cursor(team).row) << team;
  }
  EXPECT_EQ(a.rec.EventHistory, b.rec.EventHistory);
  EXPECT_EQ(a.screens.isShown(Form::Form3), b.screens.isShown(Form::Form3));
  EXPECT_EQ(a.screens.isShown(Form::Form4), b.screens.isShown(Form::Form4));
  EXPECT_EQ(a.screens.enabledPlayers(), b.screens.enabledPlayers());
  EXPECT_EQ(a.screens.button(Form::Form2, 36).enabled, b.screens.button(Form::Form2, 36).enabled);
}

// Stopped at each stage of an event, continued, and continued again from the
// continued run's journal: each goes on as the first run would have.
TEST_F(JournalReplayTest, AContinuedRunGoesOnFromEachStageAsTheRunWould) {
  struct Stage {
    const char* name;
    std::function<void(LiveRun&)> stop, finish;
  };
  const Stage stages[] = {
      {"player", [](LiveRun& r) { r.player(1, 2); },
       [](LiveRun& r) {
         r.rec.EnterItem2(2, r.sheet.item2Label(2));
         r.rec.EnterItem3(1, r.sheet.item3Label(1));
       }},
      {"item2", [](LiveRun& r) { r.player(2, 3), r.rec.EnterItem2(1, r.sheet.item2Label(1)); },
       [](LiveRun& r) {
         r.rec.CorrectItem2();
         r.rec.EnterItem2(2, r.sheet.item2Label(2));
         r.rec.EnterItem3(2, r.sheet.item3Label(2));
       }},
      {"fix3", [](LiveRun& r) { r.rec.CorrectItem3(); },
       [](LiveRun& r) { r.rec.EnterItem3(1, r.sheet.item3Label(1)); }},
      {"complete", [](LiveRun&) {},
       [](LiveRun& r) {
         r.rec.CorrectItem3();  // a restored event taken back
         r.rec.CorrectItem2();
         r.rec.CorrectItem1();
       }},
  };
  for (const Stage& stage : stages) {
    SCOPED_TRACE(stage.name);
    LiveRun first;
    first.playGame();
    stage.stop(first);
    const std::string journal = first.journal.bytes;

    LiveRun second;
    ContinueJournal(journal, {second.sheet, second.rec, second.clock});
    ExpectSameCapture(first, second);
    EXPECT_EQ(second.save(std::string("second-") + stage.name), first.save(std::string("first-") + stage.name));
    LiveRun third;
    ContinueJournal(second.journal.bytes, {third.sheet, third.rec, third.clock});
    ExpectSameCapture(first, third);

    // Finished alike (new presses would be stamped by each run's own clock).
    stage.finish(first);
    stage.finish(third);
    EXPECT_EQ(third.save(std::string("third-") + stage.name), first.save(std::string("end-") + stage.name));
  }
}

std::string Line(std::uint64_t n, std::int64_t ms, std::string_view kind,
                 std::initializer_list<std::string_view> fields = {}) {
  return FormatJournalLine(n, ms, kind, fields);
}

// The time a continued run stands at is the playing time at the journal's
// last record: pauses left out, and the same again one continuation later.
TEST_F(JournalReplayTest, TheContinuedClockStandsAtThePlayingTimeOfTheLastRecord) {
  const std::string journal = Line(0, 0, "journal", {"1", "20261208-143000", "42"}) + Line(1, 1000, "switch") +
                              Line(2, 1500, "start") + Line(3, 5500, "pause") + Line(4, 9000, "resume") +
                              Line(5, 12250, "player", {"1", "1", "00:07", "A"});
  LiveRun second;
  const ReplaySummary s = ContinueJournal(journal, {second.sheet, second.rec, second.clock});
  EXPECT_TRUE(s.clockStarted);
  EXPECT_EQ(s.clockMs, 4000 + 3250);
  EXPECT_EQ(second.screens.panelCaption(Form::Form2, 1), "00:07");
  EXPECT_EQ(second.clock.Running, 0);
  EXPECT_FALSE(second.screens.timerOn(Form::Form2, 1));
  EXPECT_FALSE(second.screens.button(Form::Form2, 33).enabled);
  EXPECT_TRUE(second.screens.button(Form::Form2, 34).enabled);

  LiveRun third;
  EXPECT_EQ(ContinueJournal(second.journal.bytes, {third.sheet, third.rec, third.clock}).clockMs, 7250);
  EXPECT_EQ(third.screens.panelCaption(Form::Form2, 1), "00:07");
  third.time.advanceSeconds(100);  // the time stood still
  third.clock.PauseResume();       // 中断/再開 goes on from there
  third.tick(2);
  EXPECT_EQ(third.screens.panelCaption(Form::Form2, 1), "00:09");
  third.rec.EnterItem2(1, "B");  // the half-entered event, stamped as the first run's clock read
  third.rec.EnterItem3(1, "C");
  third.event(1, 1, 1, 1);
  EXPECT_EQ(third.rec.StringGrid1.cell(0, 1), "00\x81\x46" "07");
  EXPECT_EQ(third.rec.StringGrid1.cell(0, 2), "00\x81\x46" "09");

  LiveRun neverStarted;
  const ReplaySummary idle =
      ContinueJournal(Line(0, 0, "journal", {"1", "-", "1"}) + Line(1, 800, "field", {"1", "x"}),
                      {neverStarted.sheet, neverStarted.rec, neverStarted.clock});
  EXPECT_FALSE(idle.clockStarted);
  EXPECT_EQ(neverStarted.clock.Running, 1);  // スタート works as in any run
  EXPECT_EQ(neverStarted.journal.bytes.find("\tclock\t"), std::string::npos);
}

}  // namespace
}  // namespace kiroku
