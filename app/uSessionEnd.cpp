#include "app/uSessionEnd.h"

#include "app/uLog.h"
#include "platform/SessionSignals.h"

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

namespace fegolin {
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

} // namespace

void CloseOnSessionEnd(QWidget& mainWindow) {
  const platform::Result<int> watched = platform::WatchSessionEndRequests();
  if (!watched) {
    // The default action stays: the program ends without saving.
    qCWarning(lcWindow).noquote() << "an end the session asks for will not save:"
                                  << QString::fromStdString(watched.error().text);
    return;
  }
  if (watched.value() < 0) {
    return;
  }
  auto* notifier = new QSocketNotifier(watched.value(), QSocketNotifier::Read, &mainWindow);
  const QPointer<QWidget> window(&mainWindow);
  QObject::connect(notifier, &QSocketNotifier::activated, &mainWindow, [window] {
    platform::DrainSessionEndRequests();
    CloseWhenNoDialogIsOpen(window);
  });
}

} // namespace fegolin
