// The program's own start-up, up to the first paint of the setup sheet; with
// "press", then the time from a player press to the item-2 picker painted.
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <vector>

#include "bench/probe_common.h"
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

void MeasurePresses() {
  Form5->hide();
  for (int p = 1; p <= 16; ++p) Sheet().StringGrid1.setCell(1, p + 1, "P" + std::to_string(p));
  for (int k = 1; k <= 20; ++k) Sheet().setEdit(k, "L" + std::to_string(k));
  Form1->button(2)->click();  // 入力切替
  Form2->button(33)->click();  // スタート
  Settle(300);
  std::vector<double> ms, click;
  for (int i = 0; i < 30; ++i) {
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
  std::sort(ms.begin(), ms.end());
  std::sort(click.begin(), click.end());
  std::printf("press_handled_ms median %.3f max %.3f\n", click[click.size() / 2], click.back());
  std::printf("press_to_picker_ms median %.3f max %.3f\n", ms[ms.size() / 2], ms.back());
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
