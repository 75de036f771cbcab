#pragma once
// Shared by the two start-up probes: quit at the first paint of a window, and
// read the process's peak resident memory.
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <cstdio>

class FirstPaint : public QObject {
 public:
  explicit FirstPaint(bool quit) : quit_(quit) {}
  bool painted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !painted) {
      painted = true;
      if (quit_) QCoreApplication::exit(0);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool quit_;
};

inline long PeakKiB() {
  QFile f(QStringLiteral("/proc/self/status"));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  for (const QByteArray& line : f.readAll().split('\n'))
    if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
  return -1;
}
