#include "platform/SessionSignals.h"

// A signal handler may do next to nothing: it writes one byte into a socket
// whose other end the event loop watches.

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <string>

namespace fegolin::platform {
namespace {

std::array<int, 2> signalSockets{-1, -1};

extern "C" void OnEndRequest(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
  errno = saved;
}

} // namespace

Result<int> WatchSessionEndRequests() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets.data()) !=
      0) {
    return SysError::FromErrno("cannot make the socket pair for the end signals");
  }
  struct sigaction action {};
  action.sa_handler = OnEndRequest;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
    if (::sigaction(signal, &action, nullptr) != 0) {
      SysError failure = SysError::FromErrno("cannot catch signal " + std::to_string(signal));
      // All or none: a request caught but never watched would end nothing.
      for (const int caught : {SIGTERM, SIGHUP, SIGINT}) {
        std::signal(caught, SIG_DFL);
      }
      return failure;
    }
  }
  return signalSockets[1];
}

void DrainSessionEndRequests() {
  std::array<char, 16> drained{};
  while (::read(signalSockets[1], drained.data(), drained.size()) > 0) {
  }
}

} // namespace fegolin::platform
