// The program's own start-up, up to the first paint of the setup sheet; with
// "press", then the time from a player press to the item-2 picker painted.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <vector>

#include "bench/probe_common.h"
#include "journal/journal.h"
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

}  // namespace

int main(int argc, char** argv) {
  const bool press = argc > 1 && QByteArray(argv[1]) == "press";
  QApplication app(argc, argv);
  InitApplication();
  CreateForms();
  FirstPaint paint(true);
  Form1->installEventFilter(&paint);
  Form1->show();
  int rc = QApplication::exec();
  if (press) MeasurePresses();
  std::printf("peak_kib %ld\n", PeakKiB());
  DestroyForms();
  return rc;
}
