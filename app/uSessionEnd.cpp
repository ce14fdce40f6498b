#include "app/uSessionEnd.h"

#include <QWidget>

#ifndef _WIN32
#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace fegolin {

#ifndef _WIN32
namespace {

// Closes the modal dialogs one by one, each after its own loop has ended,
// then the main window.
void CloseWhenNoDialogIsOpen(const QPointer<QWidget>& mainWindow) {
  if (mainWindow.isNull()) {
    return;
  }
  if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != mainWindow) {
    modal->close();
    QTimer::singleShot(0, mainWindow, [mainWindow] { CloseWhenNoDialogIsOpen(mainWindow); });
    return;
  }
  mainWindow->close();
}

// A signal handler may do next to nothing: it writes one byte into a socket
// whose other end the event loop watches.
std::array<int, 2> signalSockets{-1, -1};

extern "C" void OnTerminationSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
  errno = saved;
}

} // namespace

void CloseOnSessionEnd(QWidget& mainWindow) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets.data()) != 0) {
    return;  // the default action stays: the program ends without saving
  }
  auto* notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, &mainWindow);
  const QPointer<QWidget> window(&mainWindow);
  QObject::connect(notifier, &QSocketNotifier::activated, &mainWindow, [window] {
    std::array<char, 16> drained{};
    while (::read(signalSockets[1], drained.data(), drained.size()) > 0) {
    }
    CloseWhenNoDialogIsOpen(window);
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    ::sigaction(signal, &action, nullptr);
  }
}
#else
// Windows ends a session with window messages, not signals; there is no
// signal to catch.
void CloseOnSessionEnd(QWidget&) {}
#endif

} // namespace fegolin
