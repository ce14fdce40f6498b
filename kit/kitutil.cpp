#include "kit/kitutil.h"

#include "platform/LocalChannel.h"
#include "platform/NamedLock.h"
#include "platform/Registry.h"

#include <QApplication>
#include <QByteArray>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>
#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#else
#include <QSocketNotifier>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>

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

// What tells the event loop that an end of the channel has news: its ready
// handle is a descriptor on POSIX and an event object on Windows.
#ifdef Q_OS_WIN
using TkitNotifier = QWinEventNotifier;
std::unique_ptr<TkitNotifier> NewNotifier(platform::WaitHandle handle) {
  return std::make_unique<QWinEventNotifier>(reinterpret_cast<Qt::HANDLE>(handle));
}
#else
using TkitNotifier = QSocketNotifier;
std::unique_ptr<TkitNotifier> NewNotifier(platform::WaitHandle handle) {
  return std::make_unique<QSocketNotifier>(static_cast<qintptr>(handle), QSocketNotifier::Read);
}
#endif

} // namespace

// One end of the channel between instances, listening or connected, as the
// event loop watches it: `news` runs whenever the end has something (a
// connection waiting, bytes, the peer gone). Deleting it closes the end.
class TkitInstanceChannel final : public QObject {
public:
  using News = std::function<void(TkitInstanceChannel&)>;

  TkitInstanceChannel(std::unique_ptr<platform::LocalListener> listener, QObject* owner, News news)
      : QObject(owner), listener_(std::move(listener)) {
    Watch(listener_->ReadyHandle(), std::move(news));
  }
  TkitInstanceChannel(std::unique_ptr<platform::LocalLink> link, QObject* owner, News news)
      : QObject(owner), link_(std::move(link)) {
    Watch(link_->ReadyHandle(), std::move(news));
  }

  [[nodiscard]] platform::LocalListener& Listener() { return *listener_; }

  // Adds what a connection has received to Received(); false once its peer
  // has gone.
  bool Receive() {
    if (const platform::Status status = link_->Receive(received_); !status) {
      qCDebug(lcInstance).noquote() << QString::fromStdString(status.error().text);
    }
    return !link_->PeerClosed();
  }
  // What has arrived and is not used up yet.
  [[nodiscard]] std::string& Received() { return received_; }

  // No more news. The end closes once the event loop is back, since it may
  // be the one telling us something right now.
  void Close() {
    notifier_->setEnabled(false);
    deleteLater();
  }

private:
  void Watch(platform::WaitHandle handle, News news) {
    notifier_ = NewNotifier(handle);
    connect(notifier_.get(), &TkitNotifier::activated, this,
            [this, news = std::move(news)] { news(*this); });
  }

  std::unique_ptr<platform::LocalListener> listener_;
  std::unique_ptr<platform::LocalLink> link_;
  std::string received_;
  // Last, so that it goes before the end it watches.
  std::unique_ptr<TkitNotifier> notifier_;
};

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

std::string TkitSingleInstance::ServerName() const {
  return platform::LocalServerName(
      QStringLiteral("TkitSingleInstance in application %1").arg(title_).toStdString());
}

bool TkitSingleInstance::SendToPrevious(const QByteArray& command) {
  const std::string name = ServerName();
  if (name.empty()) {
    return false;
  }
  auto link = platform::ConnectLocal(name, std::chrono::milliseconds(kConnectTimeoutMs));
  if (!link) {
    qCDebug(lcInstance).noquote() << QString::fromStdString(link.error().text);
    return false;
  }
  const platform::Status sent = link.value()->Send((command + '\n').toStdString(),
                                                   std::chrono::milliseconds(kConnectTimeoutMs));
  if (!sent) {
    qCWarning(lcInstance).noquote() << "the running instance did not get" << command << "-"
                                    << QString::fromStdString(sent.error().text);
  }
  if (command == kQuit) {
    WatchServer(std::move(link).value());
  }
  return true;
}

void TkitSingleInstance::Serve() {
  if (server_ != nullptr || watch_ != nullptr) {
    return;
  }
  const std::string name = ServerName();
  if (name.empty()) {
    return;
  }
  if (auto probe = platform::ConnectLocal(name, std::chrono::milliseconds(kConnectTimeoutMs))) {
    // Another instance takes the requests (one that was allowed to run
    // alongside, or the one we asked to quit).
    WatchServer(std::move(probe).value());
    return;
  }
  // Nobody answers: a socket left by an instance that died is replaced.
  auto listener = platform::ListenLocal(name);
  if (!listener) {
    qCWarning(lcInstance).noquote() << "later starts cannot reach this instance:"
                                    << QString::fromStdString(listener.error().text);
    return;
  }
  server_ =
      new TkitInstanceChannel(std::move(listener).value(), this,
                              [this](TkitInstanceChannel& server) { AcceptRequests(server); });
}

void TkitSingleInstance::AcceptRequests(TkitInstanceChannel& server) {
  for (;;) {
    auto link = server.Listener().Accept();
    if (!link) {
      // A connection we cannot take stays waiting and would wake us again
      // and again: better stop listening.
      qCWarning(lcInstance).noquote() << "later starts cannot reach this instance any more:"
                                      << QString::fromStdString(link.error().text);
      server.Close();
      return;
    }
    if (link.value() == nullptr) {
      return;
    }
    auto* connection =
        new TkitInstanceChannel(std::move(link).value(), this,
                                [this](TkitInstanceChannel& request) { ReadRequests(request); });
    ReadRequests(*connection);
  }
}

void TkitSingleInstance::WatchServer(std::unique_ptr<platform::LocalLink> link) {
  watch_ = new TkitInstanceChannel(std::move(link), this, [this](TkitInstanceChannel& watch) {
    // The serving instance never writes to us; what counts is its end.
    const bool open = watch.Receive();
    watch.Received().clear();
    if (open) {
      return;
    }
    watch.Close();
    watch_ = nullptr;
    Serve();
  });
}

void TkitSingleInstance::ReadRequests(TkitInstanceChannel& connection) {
  const bool open = connection.Receive();
  std::string& received = connection.Received();
  for (auto end = received.find('\n'); end != std::string::npos; end = received.find('\n')) {
    const QByteArray command = QByteArray(received.data(), static_cast<qsizetype>(end)).trimmed();
    received.erase(0, end + 1);
    if (command == kActivate) {
      ActivateThisInstance();
    } else if (command == kQuit) {
      QCoreApplication::quit();
    } else {
      continue;
    }
    emit PreviousInstanceRequest(QString::fromLatin1(command));
  }
  if (!open) {
    connection.Close();
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
