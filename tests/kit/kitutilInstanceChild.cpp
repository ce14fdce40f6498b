// A later start of a program with a TkitSingleInstance, for kitutilTest. It
// reports on stdout what happens to it, one line per step:
//
//   first | second        what the mutex said at construction
//   previous <n>          OnPreviousInstance was asked (--handler)
//   stopmsg <caption>: <text>
//   loaded                Loaded() returned (it did not end the process)
//   shown                 main() would show the main form
//   request <command>     a later start asked this one for something
//   exit                  the event loop ended
//
// Options: --title T, --close-previous, --multiple, --handler run|halt,
// --stop-msg TEXT, --terminate-by N (index of TkitTerminateMethod).
// It stays in its event loop until stdin closes or it is told to quit.

#include "kit/kitutil.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <QWidget>

#include <cstdio>
#include <string>

namespace {

void Say(const QString& line) {
  std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
  std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
  using namespace fegolin;
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  const auto value = [&](const QString& name) {
    const auto at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
  };
  QCoreApplication::setApplicationName(value(QStringLiteral("--title")));

  QWidget form;
  auto* guard = new TkitSingleInstance(&form);
  if (args.contains(QStringLiteral("--close-previous"))) {
    guard->SetClosePrevious(true);
  }
  if (args.contains(QStringLiteral("--multiple"))) {
    guard->SetMultipleInstances(true);
  }
  const QString handler = value(QStringLiteral("--handler"));
  if (!handler.isEmpty()) {
    guard->OnPreviousInstance = [handler](TkitSingleInstance&, int previous, bool& halt) {
      Say(QStringLiteral("previous %1").arg(previous));
      halt = handler == QStringLiteral("halt");
    };
  }
  guard->SetStopMsg(value(QStringLiteral("--stop-msg")));
  if (const QString method = value(QStringLiteral("--terminate-by")); !method.isEmpty()) {
    guard->SetTerminateBy(static_cast<TkitTerminateMethod>(method.toInt()));
  }
  guard->StopMessagePresenter = [](const QString& caption, const QString& text) {
    Say(QStringLiteral("stopmsg %1: %2").arg(caption, text));
  };
  QObject::connect(guard, &TkitSingleInstance::PreviousInstanceRequest,
                   [](const QString& command) { Say(QStringLiteral("request ") + command); });

  Say(guard->IsFirstInstance() ? QStringLiteral("first") : QStringLiteral("second"));
  guard->Loaded();
  Say(QStringLiteral("loaded"));

  TkitApplication::SetMainForm(&form);
  if (TkitApplication::ShowMainForm()) {
    form.show();
    Say(QStringLiteral("shown"));
  }
  QSocketNotifier input(0, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&input] {
    char buffer[64];
    if (std::fread(buffer, 1, 1, stdin) == 0) {
      input.setEnabled(false);
      QCoreApplication::quit();
    }
  });
  const int result = QApplication::exec();
  Say(QStringLiteral("exit"));
  return result;
}
