// Windows may end the process as soon as WM_ENDSESSION is answered: the
// journal is finished inside it. kiroku is a window program: it has no
// console, and so no console events come to it.
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include "app/session_end.h"
#include "journal/journal.h"
#include "ui/quit_watch.h"

namespace {

kiroku::JournalWriter* journal = nullptr;

// On the screen thread: the journal's end, on the disk before returning.
// The journal records the end once, whoever records it first.
void EndRun() {
  journal->record(kiroku::record::kEnd);
  journal->flush();
}

class EndSessionFilter : public QAbstractNativeEventFilter {
 public:
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_ENDSESSION && msg->wParam) {
      // Whatever closes now closes with the session: the offer's box is not
      // answered by it, nor is a picker corrected.
      kiroku::ui::SetProgramEnding();
      EndRun();
    }
    return false;
  }
};

}  // namespace

void EndNormallyWhenTheSystemEndsTheRun(kiroku::JournalWriter& writer) {
  journal = &writer;
  static EndSessionFilter filter;
  QCoreApplication::instance()->installNativeEventFilter(&filter);
}
