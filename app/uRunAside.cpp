#include "app/uRunAside.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>

#include <exception>
#include <thread>

namespace fegolin {
namespace {

bool IsUserInput(const QObject& target, const QEvent& event) {
  switch (event.type()) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
  case QEvent::MouseMove:
  case QEvent::NonClientAreaMouseButtonPress:
  case QEvent::NonClientAreaMouseButtonRelease:
  case QEvent::NonClientAreaMouseButtonDblClick:
  case QEvent::NonClientAreaMouseMove:
  case QEvent::Wheel:
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride:
  case QEvent::Shortcut:
  case QEvent::InputMethod:
  case QEvent::ContextMenu:
  case QEvent::TouchBegin:
  case QEvent::TouchUpdate:
  case QEvent::TouchEnd:
  case QEvent::TouchCancel:
  case QEvent::TabletPress:
  case QEvent::TabletRelease:
  case QEvent::TabletMove:
  case QEvent::Gesture:
  case QEvent::NativeGesture:
  case QEvent::DragEnter:
  case QEvent::DragMove:
  case QEvent::Drop:
    return true;
  case QEvent::Close:
    // The close box reaches the widget as a spontaneous close; the
    // program's own close (a session's end) does not, and is the window's
    // to put off. Either passes through the platform window first, always
    // marked spontaneous.
    return event.spontaneous() && target.isWidgetType();
  default:
    return false;
  }
}

} // namespace

TcInputHold::TcInputHold() {
  QCoreApplication::instance()->installEventFilter(this);
}

TcInputHold::~TcInputHold() {
  if (QCoreApplication* app = QCoreApplication::instance()) {
    app->removeEventFilter(this);
  }
}

bool TcInputHold::eventFilter(QObject* watched, QEvent* event) {
  if (IsUserInput(*watched, *event)) {
    event->ignore();
    return true;
  }
  return false;
}

void RunAside(const std::function<void()>& work) {
  QEventLoop loop;
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    // Posted, not called: the loop belongs to the GUI thread. A quit that
    // arrives before the loop runs waits for it in the queue.
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  // The loop also ends when the application quits; the work still has to
  // finish before anything it uses goes away.
  worker.join();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

} // namespace fegolin
