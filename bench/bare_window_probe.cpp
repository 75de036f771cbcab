// A bare Qt Widgets window with one button: shown, painted once, then gone.
#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include "bench/probe_common.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(774, 587);
  auto* button = new QPushButton(QStringLiteral("OK"), &window);
  button->setGeometry(136, 496, 81, 41);
  FirstPaint paint(true);
  window.installEventFilter(&paint);
  window.show();
  const int rc = QApplication::exec();
  std::printf("peak_kib %ld\n", PeakKiB());
  return rc;
}
