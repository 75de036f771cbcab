// SIGTERM and SIGINT quit the event loop, so main ends the run as after "終了".
// A signal handler may do next to nothing: it writes one byte into a pipe,
// and the screen thread hears of it through the event loop.
#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

#include "app/session_end.h"

namespace {

int wakePipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const auto n = ::write(wakePipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

void EndNormallyWhenTheSystemEndsTheRun(kiroku::JournalWriter&) {
  if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
    char bytes[16];
    while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
    QCoreApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}
