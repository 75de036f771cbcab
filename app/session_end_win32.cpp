// Windows may end the process as soon as WM_ENDSESSION is answered, or a few
// seconds after a console's close: the journal is finished inside them.
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMetaObject>

#include "app/session_end.h"
#include "journal/journal.h"
#include "ui/quit_watch.h"

namespace {

kiroku::JournalWriter* journal = nullptr;
HANDLE endedEvent = nullptr;

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

// On a thread of the system's: the screen thread ends the run, and the
// process may go once the journal is on the disk.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT &&
      event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
    return FALSE;
  QMetaObject::invokeMethod(QCoreApplication::instance(), [] {
    EndRun();
    ::SetEvent(endedEvent);
    QCoreApplication::quit();
  }, Qt::QueuedConnection);
  ::WaitForSingleObject(endedEvent, 4000);  // the system allows about five seconds
  return TRUE;
}

}  // namespace

void EndNormallyWhenTheSystemEndsTheRun(kiroku::JournalWriter& writer) {
  journal = &writer;
  endedEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  static EndSessionFilter filter;
  QCoreApplication::instance()->installNativeEventFilter(&filter);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
