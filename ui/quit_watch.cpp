#include "ui/quit_watch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

namespace kiroku::ui {

namespace {
bool g_ending = false;

// A quit from anywhere may close the windows before the event loop ends.
class QuitWatch : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Quit) SetProgramEnding();
    return QObject::eventFilter(watched, event);
  }
};
}  // namespace

void WatchForQuit() {
  g_ending = false;
  QCoreApplication* app = QCoreApplication::instance();
  static QPointer<QuitWatch> watch;  // one per application, gone with it
  if (app && !watch) {
    watch = new QuitWatch;
    watch->setParent(app);
    app->installEventFilter(watch);
  }
}

void SetProgramEnding() { g_ending = true; }
bool ProgramEnding() { return g_ending; }

}  // namespace kiroku::ui
