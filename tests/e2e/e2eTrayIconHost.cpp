// A program that puts one TkitTrayIcon into the notification area and shows
// nothing else, for the end-to-end tests of the tray icon. The icon is a
// plain square of kIconColour so that a test can find it on the screen.
//
// It reports on stdout, one line each: "ready" once the icon is added, and
// what the icon tells the program: "down <button>", "up <button>", "click",
// "dblclick" (buttons: left, middle, right).
//
// Options: --monitor-interval MS (period of the presence check, 5000 when
// not given). SIGTERM ends the event loop, so the process leaves the way a
// desktop session ends it and exits with 0.

#include "kit/kittray.h"

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QSocketNotifier>
#include <QStringList>
#include <QWidget>

#include <array>
#include <csignal>
#include <cstdio>
#include <string>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// 0x00c000: the colour the tray test looks for at the icon's place.
constexpr QRgb kIconColour = 0xff00c000;

std::array<int, 2> termPipe{-1, -1};

void Say(const char* line) {
  std::fputs(line, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

const char* ButtonName(Qt::MouseButton button) {
  switch (button) {
  case Qt::LeftButton:
    return "left";
  case Qt::MiddleButton:
    return "middle";
  case Qt::RightButton:
    return "right";
  default:
    return "other";
  }
}

extern "C" void OnTerm(int /*signal*/) {
  const char byte = 't';
  // Nothing to do about a full pipe: one byte in it is enough.
  [[maybe_unused]] const auto written = ::write(termPipe[0], &byte, 1);
}

} // namespace

int main(int argc, char** argv) {
  using namespace fegolin;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Fegolin"));
  const QStringList args = QCoreApplication::arguments();

  std::uint32_t monitorInterval = 5000;
  if (const auto at = args.indexOf(QStringLiteral("--monitor-interval"));
      at >= 0 && at + 1 < args.size()) {
    bool ok = false;
    monitorInterval = args.at(at + 1).toUInt(&ok);
    if (!ok || monitorInterval == 0) {
      std::fputs("--monitor-interval wants a positive number of milliseconds\n", stderr);
      return 2;
    }
  }

  // SIGTERM goes through a socket pair into the event loop: quitting from
  // the handler itself is not allowed.
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, termPipe.data()) != 0) {
    std::perror("socketpair");
    return 2;
  }
  QSocketNotifier termNotifier(termPipe[1], QSocketNotifier::Read);
  QObject::connect(&termNotifier, &QSocketNotifier::activated, &app, [] { QApplication::quit(); });
  struct sigaction action {};
  action.sa_handler = OnTerm;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);

  QWidget form;
  form.setWindowTitle(QStringLiteral("e2eTrayIconHost"));
  auto* trayIcon = new TkitTrayIcon(&form);
  QPixmap picture(32, 32);
  picture.fill(QColor::fromRgb(kIconColour));
  trayIcon->SetIcon(QIcon(picture));
  trayIcon->SetHint(QStringLiteral("e2eTrayIconHost"));
  trayIcon->SetMonitorInterval(monitorInterval);
  trayIcon->SetOptions(trayIcon->Options() | TkitTrayIconOption::atiMonitorTray);
  trayIcon->OnMouseDown = [](TkitTrayIcon&, Qt::MouseButton button, Qt::KeyboardModifiers, int,
                             int) { Say((std::string("down ") + ButtonName(button)).c_str()); };
  trayIcon->OnMouseUp = [](TkitTrayIcon&, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    Say((std::string("up ") + ButtonName(button)).c_str());
  };
  trayIcon->OnClick = [](TkitTrayIcon&) { Say("click"); };
  trayIcon->OnDblClick = [](TkitTrayIcon&) { Say("dblclick"); };
  trayIcon->Loaded();

  Say("ready");
  return QApplication::exec();
}
