// The program's own start-up, with its journal as the program has it, up to
// the first paint of the setup sheet; with "press", then the time from a
// player press to the item-2 picker painted; with "continue N", the time to
// continue a run of N events into the screens, windows shown at the end or
// press by press; with "season", a folder of 200 games and 1,000 other files:
// the press of 通算集計 to its painted totals, a change of a check, team,
// category or view to the totals painted, and player presses while the folder
// is read and not. "journals DIR COUNT EVENTS" only writes COUNT saved runs'
// journals of EVENTS events each into DIR.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <algorithm>
#include <functional>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/journal_folder.h"
#include "export/export.h"
#include "bench/probe_common.h"
#include "journal/journal.h"
#if __has_include("ui/continuation.h")
#include "ui/continuation.h"
#define KIROKU_PROBE_CONTINUES 1
#endif
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"
#include "ui/Unit5.h"
#include "ui/Unit6.h"
#include "ui/Unit7.h"
#include "ui/grid_view.h"
#include "ui/application.h"

using namespace kiroku::ui;

namespace {

void Settle(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

struct Times {
  std::vector<double> press, picker;
};

void Print(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  std::printf("%s median %.3f max %.3f\n", what, ms[ms.size() / 2], ms.back());
}

// The sheet filled, 入力切替 and スタート; the picker made once, as its first
// show makes its window, which is part of neither side of a measurement.
void StartGame() {
  Form5->hide();
  for (int p = 1; p <= 16; ++p) Sheet().StringGrid1.setCell(1, p + 1, "P" + std::to_string(p));
  for (int k = 1; k <= 20; ++k) Sheet().setEdit(k, "L" + std::to_string(k));
  Form1->button(2)->click();  // 入力切替
  Form2->button(33)->click();  // スタート
  Settle(300);
  Form2->button(1)->click();
  Settle(100);
  Form3->button(11)->click();
  Settle(100);
}

// Presses alternate between two sides of one choice, so that both see the
// same machine: the press handled, and the item-2 picker painted.
void AlternatePresses(const char* first, const char* second, const std::function<void(bool)>& side,
                      const std::function<void(bool)>& justBefore = {}) {
  Times a, b;
  for (int i = 0; i < 60; ++i) {
    const bool isFirst = i % 2 == 0;
    side(isFirst);
    Settle(50);
    Times& times = isFirst ? a : b;
    FirstPaint painted(false);
    Form3->installEventFilter(&painted);
    if (justBefore) justBefore(isFirst);
    QElapsedTimer t;
    t.start();
    Form2->button(1 + i % 16)->click();
    times.press.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    while (!painted.painted && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents);
    times.picker.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    Form3->removeEventFilter(&painted);
    Form3->button(11)->click();  // 修正: back to the player
    Settle(50);
  }
  const std::string pressA = std::string("press_handled_ms ") + first, pressB = std::string("press_handled_ms ") + second;
  const std::string pickerA = std::string("press_to_picker_ms ") + first;
  const std::string pickerB = std::string("press_to_picker_ms ") + second;
  Print(pressA.c_str(), a.press);
  Print(pressB.c_str(), b.press);
  Print(pickerA.c_str(), a.picker);
  Print(pickerB.c_str(), b.picker);
}

void MeasurePresses() {
  StartGame();
  const std::string folder =
      QDir::temp().filePath(QStringLiteral("kiroku-probe-%1").arg(QCoreApplication::applicationPid())).toStdString();
  kiroku::JournalWriter journal(folder);
  AlternatePresses("with journal   ", "without journal",
                   [&](bool with) { kiroku::AttachJournal(Sheet(), Rec(), with ? &journal : nullptr); });
  kiroku::AttachJournal(Sheet(), Rec(), nullptr);
  QDir(QString::fromStdString(folder)).removeRecursively();
}

// With 2,000 events counted: the item-3 press until the tally screen has
// painted its new counts, and press to picker with it open and closed.
void MeasureTally() {
  StartGame();
  for (int e = 0; e < 2000; ++e) {
    Rec().EnterItem1(1 + e % 2, 1 + e % 16, "P");
    Rec().EnterItem2(1 + e % 10, "L");
    Rec().EnterItem3(1 + e % 7, "L");
  }
  Form6->Open();
  Settle(300);
  std::vector<double> update;
  for (int i = 0; i < 60; ++i) {
    Form2->button(1 + i % 16)->click();
    Form3->button(1 + i % 10)->click();
    Settle(50);
    FirstPaint painted(false);
    Form6->StringGrid1->viewport()->installEventFilter(&painted);
    QElapsedTimer t;
    t.start();
    Form4->button(1 + i % 7)->click();
    while (!painted.painted && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents);
    update.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    Form6->StringGrid1->viewport()->removeEventFilter(&painted);
  }
  Print("item3_to_tally_painted_ms at 2000 events", update);
  AlternatePresses("tally open  ", "tally closed", [](bool open) {
    if (open)
      Form6->Open();
    else
      Form6->hide();
  });
}

// The totals painted once the folder's games are in: a paint while it is
// still being read shows the last read's.
class TotalsPainted : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !Form7->reading() && Form7->StringGrid2->model()->rowCount() > 0)
      painted = true;
    return QObject::eventFilter(watched, event);
  }
};

// The longest the screen thread was held by one turn of its event loop
// while the totals came, the press itself apart.
double g_longestTurnMs = 0;

double UntilTotalsPainted(const std::function<void()>& act) {
  TotalsPainted painted;
  QElapsedTimer t, turn;
  t.start();
  act();
  // Watched from here: the first show makes the grid, and paints only later.
  Form7->StringGrid2->viewport()->installEventFilter(&painted);
  g_longestTurnMs = 0;
  while (!painted.painted && t.elapsed() < 5000) {
    turn.start();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    g_longestTurnMs = std::max(g_longestTurnMs, static_cast<double>(turn.nsecsElapsed()) / 1e6);
  }
  Form7->StringGrid2->viewport()->removeEventFilter(&painted);
  return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// 200 games of データ保存, each with teams and rosters of its own drawn from
// a league of 12 teams and 60 players, and 1,000 other files beside them.
void WriteSeason(const QString& folder, int games, int others) {
  QDir().mkpath(folder);
  QDir::setCurrent(folder);
  for (int e = 0; e < 300; ++e) {
    Rec().EnterItem1(1 + e % 2, 1 + e % 16, "P");
    Rec().EnterItem2(1 + e % 10, "L");
    Rec().EnterItem3(1 + e % 7, "L");
  }
  for (int g = 0; g < games; ++g) {
    Sheet().StringGrid1.setCell(1, 1, "T" + std::to_string(g % 12));
    Sheet().StringGrid1.setCell(3, 1, "T" + std::to_string((g + 5) % 12));
    for (int p = 1; p <= 16; ++p) {
      Sheet().StringGrid1.setCell(1, p + 1, "P" + std::to_string((g * 3 + p) % 60));
      Sheet().StringGrid1.setCell(3, p + 1, "P" + std::to_string((g * 7 + p) % 60));
    }
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "g%03d_", g);
    Sheet().setEdit(21, prefix);
    kiroku::SaveResults(Sheet(), Rec());
  }
  for (int i = 0; i < others; ++i) {
    QFile f(QStringLiteral("note%1.txt").arg(i, 4, 10, QLatin1Char('0')));
    if (!f.open(QIODevice::WriteOnly) || f.write("x\r\n") < 0) std::exit(1);
  }
}

void MeasureSeason() {
  StartGame();
  const QString folder = QDir::temp().filePath(QStringLiteral("kiroku-season-%1").arg(QCoreApplication::applicationPid()));
  WriteSeason(folder, 200, 1000);
  Form7->setFolder(folder);
  std::vector<double> open, held;
  for (int i = 0; i < 11; ++i) {
    Form7->hide();
    Form1->activateWindow();
    Settle(100);
    open.push_back(UntilTotalsPainted([] { Form1->button(6)->click(); }));
    held.push_back(g_longestTurnMs);
  }
  std::printf("season games %d\n", Form7->StringGrid1->model()->rowCount());
  Print("season_press_to_totals_painted_ms 200 games, 1000 other files", open);
  Print("season_screen_thread_longest_turn_ms meanwhile", held);
  Settle(200);
  auto* games = Form7->StringGrid1->model();
  const std::pair<const char*, std::function<void(int)>> changes[] = {
      {"check   ", [games](int i) {
         const QModelIndex at = games->index(i / 2 % 200, 0);
         games->setData(at, i % 2 ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
       }},
      {"team    ", [](int i) { Form7->ComboBox1->setCurrentIndex((i + 1) % 2); }},
      {"category", [](int i) { Form7->ComboBox2->setCurrentIndex((i + 1) % 2); }},
      {"view    ", [](int i) { Form7->ComboBox3->setCurrentIndex((i + 1) % 2); }},
  };
  for (const auto& [what, change] : changes) {
    std::vector<double> ms;
    for (int i = 0; i < 40; ++i) {
      ms.push_back(UntilTotalsPainted([&] { change(i); }));
      Settle(20);
    }
    Print((std::string("season_change_to_totals_painted_ms ") + what).c_str(), ms);
  }
  // Excel に保存 for the team in most games, the save choice answered at once.
  const QString book = QDir(folder).filePath(QStringLiteral("season.xlsx"));
  SetSaveChoice([book](QWidget*, const QString&) { return book; });
  Form7->ComboBox1->setCurrentIndex(0);
  std::vector<double> written;
  for (int i = 0; i < 5; ++i) {
    QElapsedTimer t;
    t.start();
    Form7->button(3)->click();
    written.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  SetSaveChoice({});
  Print("season_workbook_written_ms 200 games", written);
  std::printf("season workbook bytes %lld, %d sheets of categories\n", static_cast<long long>(QFileInfo(book).size()),
              Form7->ComboBox2->count());
  int overlapped = 0;
  AlternatePresses(
      "season reading    ", "season not reading", [](bool) {},
      [&](bool reading) {
        if (!reading) return;
        Form7->FollowSave();
        QThread::msleep(5);  // the reading well under way
        overlapped += Form7->reading();
      });
  std::printf("season presses while reading %d of 30\n", overlapped);
  Form7->hide();
  QDir(folder).removeRecursively();
}

// A run's journal: the sheet filled, 入力切替, スタート, then the events, the
// last one left at its player press; saved at the end when told so.
std::string GameJournal(int events, bool saved) {
  std::uint64_t n = 0;
  auto line = [&](std::string_view kind, std::initializer_list<std::string_view> fields) {
    const std::int64_t ms = static_cast<std::int64_t>(n) * 10;
    return kiroku::FormatJournalLine(n++, ms, kind, fields);
  };
  std::string j = line("journal", {"1", "20261208-143000", "1"});
  for (int p = 1; p <= 16; ++p) j += line("cell", {"1", std::to_string(p + 1), "P" + std::to_string(p)});
  for (int k = 1; k <= 20; ++k) j += line("field", {std::to_string(k), "L" + std::to_string(k)});
  j += line("switch", {});
  j += line("start", {});
  for (int e = 0; e < events; ++e) {
    const std::string p = std::to_string(1 + e % 16), i2 = std::to_string(1 + e % 10), i3 = std::to_string(1 + e % 7);
    j += line("player", {std::to_string(1 + e % 2), p, "12:34", "P" + p});
    if (e + 1 == events && !saved) break;
    j += line("item2", {i2, "L" + i2});
    j += line("item3", {i3, "L" + std::to_string(10 + 1 + e % 7)});
  }
  if (saved) j += line("save", {"0"}) + line("end", {});
  return j;
}

void WriteJournals(const QString& folder, int count, int events) {
  QDir().mkpath(folder);
  const std::string bytes = GameJournal(events, true);
  for (int i = 0; i < count; ++i) {
    QFile f(folder + QStringLiteral("/20260101-10%1%2-%3.journal")
                                .arg(i / 60, 2, 10, QLatin1Char('0'))
                                .arg(i % 60, 2, 10, QLatin1Char('0'))
                                .arg(1000 + i));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) std::exit(1);
  }
}

#ifdef KIROKU_PROBE_CONTINUES
// Continuing alternates between the windows shown once at the end and the
// same replay showing and hiding the pickers at every press.
void MeasureContinuing(int events) {
  const std::string journal = GameJournal(events, false);
  std::vector<double> deferred, pressByPress;
  for (int i = 0; i < 10; ++i) {
    const bool atTheEnd = i % 2 == 0;
    DestroyForms();
    CreateForms();
    Form1->timer(1)->setInterval(24 * 3600 * 1000);  // no start-up choice in this measurement
    Form1->show();
    Settle(200);
    FirstPaint painted(false);
    Form3->installEventFilter(&painted);
    QElapsedTimer t;
    t.start();
    if (atTheEnd) {
      ContinueRun(journal);
    } else {
      kiroku::ReplayJournal(journal, {Sheet(), Rec(), Clock()});
      Form2->show();
      Form3->show();
    }
    while (!painted.painted && t.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents);
    (atTheEnd ? deferred : pressByPress).push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    Form3->removeEventFilter(&painted);
  }
  std::printf("events %d\n", events);
  Print("continue_to_picker_ms windows at the end ", deferred);
  Print("continue_to_picker_ms windows press by press", pressByPress);
}
#endif

}  // namespace

int main(int argc, char** argv) {
  const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
  if (mode == "journals" && argc == 5) {
    WriteJournals(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    return 0;
  }
  QApplication app(argc, argv);
  InitApplication();
  CreateForms();
  // As the program starts: its journal, and the offer of an unsaved run at the first tick.
  const std::string folder = JournalFolder();
  kiroku::JournalWriter journal(folder, {.tidyAtStart = false});
#ifdef KIROKU_PROBE_CONTINUES
  UseJournal(&journal, folder);
#else
  kiroku::AttachJournal(Sheet(), Rec(), &journal);
#endif
  FirstPaint paint(true);
  Form1->installEventFilter(&paint);
  Form1->show();
  int rc = QApplication::exec();
  if (mode == "press") MeasurePresses();
  if (mode == "tally") MeasureTally();
  if (mode == "season") MeasureSeason();
#ifdef KIROKU_PROBE_CONTINUES
  if (mode == "continue") MeasureContinuing(argc > 2 ? std::atoi(argv[2]) : 2000);
#endif
  std::printf("peak_kib %ld\n", PeakKiB());
#ifdef KIROKU_PROBE_CONTINUES
  UseJournal(nullptr, {});
#else
  kiroku::AttachJournal(Sheet(), Rec(), nullptr);
#endif
  DestroyForms();
  return rc;
}
