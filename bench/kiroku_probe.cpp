// The program's own start-up, with its journal as the program has it, up to
// the first paint of the setup sheet; with "press", then the time from a
// player press to the item-2 picker painted; with "continue N", the time to
// continue a run of N events into the screens, windows shown at the end or
// press by press. "journals DIR COUNT EVENTS" only writes COUNT saved runs'
// journals of EVENTS events each into DIR.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/journal_folder.h"
#include "bench/probe_common.h"
#include "journal/journal.h"
#if __has_include("ui/continuation.h")
#include "ui/continuation.h"
#define KIROKU_PROBE_CONTINUES 1
#endif
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit5.h"
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

// Presses alternate between the program with its journal and without it, so
// that both see the same machine.
void MeasurePresses() {
  Form5->hide();
  for (int p = 1; p <= 16; ++p) Sheet().StringGrid1.setCell(1, p + 1, "P" + std::to_string(p));
  for (int k = 1; k <= 20; ++k) Sheet().setEdit(k, "L" + std::to_string(k));
  Form1->button(2)->click();  // 入力切替
  Form2->button(33)->click();  // スタート
  Settle(300);
  // The first show of the picker makes its window: not part of either side.
  Form2->button(1)->click();
  Settle(100);
  Form3->button(11)->click();
  Settle(100);
  const std::string folder =
      QDir::temp().filePath(QStringLiteral("kiroku-probe-%1").arg(QCoreApplication::applicationPid())).toStdString();
  kiroku::JournalWriter journal(folder);
  Times with, without;
  for (int i = 0; i < 60; ++i) {
    const bool journalled = i % 2 == 0;
    kiroku::AttachJournal(Sheet(), Rec(), journalled ? &journal : nullptr);
    auto& ms = journalled ? with.picker : without.picker;
    auto& click = journalled ? with.press : without.press;
    FirstPaint painted(false);
    Form3->installEventFilter(&painted);
    QElapsedTimer t;
    t.start();
    Form2->button(1 + i % 16)->click();
    click.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    while (!painted.painted && t.elapsed() < 2000) QCoreApplication::processEvents(QEventLoop::AllEvents);
    ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    Form3->removeEventFilter(&painted);
    Form3->button(11)->click();  // 修正: back to the player
    Settle(50);
  }
  kiroku::AttachJournal(Sheet(), Rec(), nullptr);
  Print("press_handled_ms with journal   ", with.press);
  Print("press_handled_ms without journal", without.press);
  Print("press_to_picker_ms with journal   ", with.picker);
  Print("press_to_picker_ms without journal", without.picker);
  QDir(QString::fromStdString(folder)).removeRecursively();
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
    Form1->timer(1)->stop();
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
  kiroku::JournalWriter journal(folder);
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
