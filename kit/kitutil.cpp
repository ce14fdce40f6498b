#include "kit/kitutil.h"

#include "platform/NamedLock.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QByteArray>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace fegolin {
namespace {

// fegolin.instance: why a start could not tell whether it is the first.
Q_LOGGING_CATEGORY(lcInstance, "fegolin.instance", QtWarningMsg)

QPointer<QWidget>& MainFormSlot() {
  static QPointer<QWidget> form;
  return form;
}

bool& ShowMainFormSlot() {
  static bool show = true;
  return show;
}

bool& TerminatedSlot() {
  static bool terminated = false;
  return terminated;
}

// Enough for a local socket: both ends are on this machine and the running
// instance answers from its event loop.
constexpr int kConnectTimeoutMs = 2000;

constexpr std::int32_t kMaxInstances = 65535;

const QByteArray kActivate = QByteArrayLiteral("activate");
const QByteArray kQuit = QByteArrayLiteral("quit");

} // namespace

// ---------------------------------------------------------------------------
// TkitApplication
// ---------------------------------------------------------------------------

QString TkitApplication::Title() {
  return QGuiApplication::applicationDisplayName();
}

QWidget* TkitApplication::MainForm() {
  return MainFormSlot();
}

void TkitApplication::SetMainForm(QWidget* form) {
  MainFormSlot() = form;
}

bool TkitApplication::ShowMainForm() {
  return ShowMainFormSlot();
}

void TkitApplication::SetShowMainForm(bool value) {
  ShowMainFormSlot() = value;
}

void TkitApplication::Terminate() {
  TerminatedSlot() = true;
  // QCoreApplication::quit() does nothing before exec() runs; a queued call
  // reaches it as soon as the loop starts.
  if (QCoreApplication* app = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(
        app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
  }
}

bool TkitApplication::Terminated() {
  return TerminatedSlot();
}

// ---------------------------------------------------------------------------
// TkitSingleInstance
// ---------------------------------------------------------------------------

TkitSingleInstance::TkitSingleInstance(QObject* owner)
    : QObject(owner), title_(TkitApplication::Title()) {
  // Every instance keeps its handle for as long as it lives, also a later
  // one: the mutex then exists as long as any instance runs, whichever
  // started first.
  auto mutex = platform::CreateNamedMutex(
      QStringLiteral("TkitSingleInstance in application %1").arg(title_).toStdString());
  if (mutex) {
    mutex_ = std::move(mutex).value();
  } else {
    // This start will take itself for a later one and end: the journal
    // should say why.
    qCWarning(lcInstance).noquote() << "cannot tell whether another instance runs:"
                                    << QString::fromStdString(mutex.error().text);
  }
  StopMessagePresenter = [](const QString& caption, const QString& text) {
    QMessageBox::warning(TkitApplication::MainForm(), caption, text);
  };
}

TkitSingleInstance::~TkitSingleInstance() = default;

void TkitSingleInstance::SetActivate(bool value) {
  activate_ = value;
  if (value) {
    closePrevious_ = false;
  }
}

void TkitSingleInstance::SetClosePrevious(bool value) {
  closePrevious_ = value;
  if (value) {
    activate_ = false;
    multipleInstances_ = false;
  }
}

void TkitSingleInstance::SetMultipleInstances(bool value) {
  multipleInstances_ = value;
  if (value) {
    closePrevious_ = false;
  }
}

bool TkitSingleInstance::IsFirstInstance() const {
  // A mutex that could not be had at all counts as another instance
  // running: better one start too few than two instances cleaning at once.
  return mutex_ != nullptr && !mutex_->AlreadyExisted();
}

void TkitSingleInstance::Loaded() {
  if (loaded_) {
    return;
  }
  loaded_ = true;
  // The window to bring forward when a later start asks for it.
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    connect(app, &QGuiApplication::focusWindowChanged, this, [this] {
      if (QWidget* window = QApplication::activeWindow()) {
        lastActive_ = window;
      }
    });
  }
  if (multipleInstances_) {
    JoinInstanceCount();
  }
  if (IsFirstInstance() || HandlePreviousInstance()) {
    Serve();
  }
}

void TkitSingleInstance::JoinInstanceCount() {
  if (semaphore_ != nullptr) {
    return;
  }
  semaphore_ = platform::CreateNamedSemaphore(
      QStringLiteral("TkitSingleInstance Semaphore in application %1").arg(title_).toStdString(),
      kMaxInstances);
  if (semaphore_ != nullptr && !semaphore_->Wait()) {
    semaphore_.reset();
  }
}

int TkitSingleInstance::CountInstances() {
  std::int32_t previous = 0;
  if (semaphore_ == nullptr || !semaphore_->Release(previous)) {
    return 1;
  }
  semaphore_->Wait();
  return kMaxInstances - previous;
}

bool TkitSingleInstance::HandlePreviousInstance() {
  if (multipleInstances_) {
    const int instances = CountInstances();
    if (!OnPreviousInstance) {
      return true;
    }
    bool halt = true;
    OnPreviousInstance(*this, instances - 1, halt);
    if (!halt) {
      return true;
    }
  }
  if (!stopMsg_.isEmpty() && StopMessagePresenter) {
    StopMessagePresenter(title_, stopMsg_);
  }
  if (!activate_ && !closePrevious_) {
    EndThisInstance();
    return false;
  }
  if (!SendToPrevious(closePrevious_ ? kQuit : kActivate)) {
    EndThisInstance();
    return false;
  }
  if (closePrevious_) {
    // Keeps running; the connection that carried "quit" tells us when the
    // previous instance has gone, and we take over its requests then.
    return true;
  }
  EndThisInstance();
  return false;
}

namespace {

// The running instance owns the settings: an instance on its way out reads
// what it still needs but stores nothing, not even its window size.
void StoreNothingMore() {
  platform::SetProcessRegistryAccess(platform::RegAccess::ReadOnly);
}

} // namespace

void TkitSingleInstance::EndThisInstance() {
  switch (terminateBy_) {
  case TkitTerminateMethod::atmAppTerminate:
    StoreNothingMore();
    TkitApplication::SetShowMainForm(false);
    TkitApplication::Terminate();
    break;
  case TkitTerminateMethod::atmCloseMainForm:
    // While the form is made there is none to close: the instance runs on.
    if (QWidget* form = TkitApplication::MainForm()) {
      StoreNothingMore();
      form->close();
    }
    break;
  case TkitTerminateMethod::atmExitProcess:
    std::fflush(nullptr);
    std::quick_exit(0);
  case TkitTerminateMethod::atmHalt:
    std::exit(0);
  case TkitTerminateMethod::atmTerminateProcess:
    std::_Exit(0);
  }
}

QString TkitSingleInstance::ServerName() const {
  return QString::fromStdString(platform::LocalServerName(
      QStringLiteral("TkitSingleInstance in application %1").arg(title_).toStdString()));
}

bool TkitSingleInstance::SendToPrevious(const QByteArray& command) {
  const QString name = ServerName();
  if (name.isEmpty()) {
    return false;
  }
  auto* socket = new QLocalSocket(this);
  socket->connectToServer(name);
  if (!socket->waitForConnected(kConnectTimeoutMs)) {
    delete socket;
    return false;
  }
  socket->write(command + '\n');
  socket->waitForBytesWritten(kConnectTimeoutMs);
  if (command == kQuit) {
    WatchServer(socket);
  } else {
    socket->disconnectFromServer();
    delete socket;
  }
  return true;
}

void TkitSingleInstance::Serve() {
  if (server_ != nullptr || watch_ != nullptr) {
    return;
  }
  const QString name = ServerName();
  if (name.isEmpty()) {
    return;
  }
  auto* probe = new QLocalSocket(this);
  probe->connectToServer(name);
  if (probe->waitForConnected(kConnectTimeoutMs)) {
    // Another instance takes the requests (one that was allowed to run
    // alongside, or the one we asked to quit).
    WatchServer(probe);
    return;
  }
  delete probe;
  // Nobody answers: what is left is the socket of an instance that died.
  QLocalServer::removeServer(name);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    delete server_;
    return;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      socket->setParent(this);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequests(socket); });
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      ReadRequests(socket);
    }
  });
}

void TkitSingleInstance::WatchServer(QLocalSocket* socket) {
  watch_ = socket;
  connect(
      socket, &QLocalSocket::disconnected, this,
      [this, socket] {
        socket->deleteLater();
        watch_ = nullptr;
        Serve();
      },
      Qt::QueuedConnection);
}

void TkitSingleInstance::ReadRequests(QLocalSocket* socket) {
  while (socket->canReadLine()) {
    const QByteArray command = socket->readLine().trimmed();
    if (command == kActivate) {
      ActivateThisInstance();
    } else if (command == kQuit) {
      QCoreApplication::quit();
    } else {
      continue;
    }
    emit PreviousInstanceRequest(QString::fromLatin1(command));
  }
}

void TkitSingleInstance::ActivateThisInstance() {
  QWidget* main = TkitApplication::MainForm();
  if (main == nullptr) {
    if (auto* owner = qobject_cast<QWidget*>(parent())) {
      main = owner->window();
    }
  }
  // A start from the menu is how a user looks for a program whose window
  // sits in the notification area (or whose notification area has gone):
  // a minimized or hidden main window comes back.
  if (main != nullptr && (main->isMinimized() || !main->isVisible())) {
    main->showNormal();
    main->raise();
    main->activateWindow();
    return;
  }
  QWidget* last = lastActive_ != nullptr ? lastActive_.data() : main;
  if (last != nullptr && last->isVisible() && last->isEnabled()) {
    last->raise();
    last->activateWindow();
  }
}

} // namespace fegolin
