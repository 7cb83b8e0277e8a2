#include "gui/termination_signals.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace vexaro {

namespace {

// The handler may only do what is safe in a signal handler: it writes one
// byte to a socket whose other end the message loop watches.
int signalSockets[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  const int savedErrno = errno;
  [[maybe_unused]] ssize_t written = ::write(signalSockets[0], &byte, 1);
  errno = savedErrno;
}

}  // namespace

void QuitOnTerminationSignals(QObject* parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0) {
    return;  // the program still runs; it just ends without its tidy-up on a signal
  }
  auto* notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, parent);
  QObject::connect(notifier, &QSocketNotifier::activated, parent, [] {
    char bytes[16];
    while (::read(signalSockets[1], bytes, sizeof bytes) > 0) {
    }
    QCoreApplication::quit();
  });

  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(number, &action, nullptr);
}

}  // namespace vexaro
