#include "kit/kittray.h"

#include "kit/kitutil.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMetaObject>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <vector>

namespace fegolin {

namespace {

using Opt = TkitTrayIconOption;

// How long a start waits for a notification area that comes up after the
// program (a panel still starting at log-in), and how often it looks.
constexpr int kLatePanelMs = 3000;
constexpr int kLatePanelPollMs = 250;

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

bool OnWayland() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Whether a StatusNotifierItem host has registered with the watcher on the
// session bus: asked on the bus itself, so that Qt's own choice stays open.
bool StatusNotifierHostPresent() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr ||
      !bus.interface()->isServiceRegistered(kWatcherService).value()) {
    return false;
  }
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcherService, QStringLiteral("/StatusNotifierWatcher"),
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  constexpr int kAnswerMs = 2000;
  const QDBusMessage reply = bus.call(get, QDBus::Block, kAnswerMs);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

// Qt settles between its D-Bus tray and the X11 one the first time a tray
// icon is made or asked about, once per process, by the same question as
// above. Asked just before that first time, this is the answer Qt got.
bool QtUsesStatusNotifier() {
  static const bool uses = [] {
    const QString platform = QGuiApplication::platformName();
    return (platform == QLatin1String("xcb") || OnWayland()) && StatusNotifierHostPresent();
  }();
  return uses;
}

TkitTrayIconOptions NormalizeOptions(TkitTrayIconOptions before, TkitTrayIconOptions value) {
  // Of two options that exclude each other, the one just added wins.
  const auto exclusive = [&](Opt a, Opt b) {
    if (value.testFlag(a) && value.testFlag(b)) {
      value.setFlag(before.testFlag(a) ? a : b, false);
    }
  };
  exclusive(Opt::atiShowOnDblClick, Opt::atiShowOnClick);
  exclusive(Opt::atiShowOnDblClick, Opt::atiMenuDefaultOnDblClick);
  if (before.testFlag(Opt::atiWin95Service) && !value.testFlag(Opt::atiWin95Service)) {
    value |= Opt::atiTerminateOnLogoff;
  }
  if (!value.testFlag(Opt::atiTerminateOnLogoff)) {
    value |= Opt::atiWin95Service;
  }
  return value;
}

// Cuts without splitting a surrogate pair.
QString CutHint(const QString& text) {
  if (text.size() <= TkitTrayIcon::kMaxHintLength) {
    return text;
  }
  qsizetype length = TkitTrayIcon::kMaxHintLength;
  if (text.at(length - 1).isHighSurrogate()) {
    --length;
  }
  return text.left(length);
}

void CollectActions(const QMenu& menu, std::vector<QPointer<QAction>>& into) {
  for (QAction* action : menu.actions()) {
    into.emplace_back(action);
    if (const QMenu* sub = action->menu()) {
      CollectActions(*sub, into);
    }
  }
}

// Runs the menu and hands back the action picked in it without having run
// it. Like a command that the system posts once the menu has closed, it
// runs after whatever the caller does next (the icon's OnClick).
QAction* PickFromMenu(QMenu& menu, QPoint position) {
  struct Saved {
    QPointer<QAction> action;
    bool blocked;
    bool checked;
  };
  std::vector<QPointer<QAction>> actions;
  CollectActions(menu, actions);
  std::vector<Saved> saved;
  saved.reserve(actions.size());
  for (const auto& action : actions) {
    saved.push_back({action, action->blockSignals(true), action->isChecked()});
  }
  const QPointer<QAction> picked = menu.exec(position);
  for (const Saved& entry : saved) {
    if (entry.action == nullptr) {
      continue;
    }
    // Picking toggled a checkable action silently; trigger() toggles it
    // again with all its signals.
    if (entry.action->isChecked() != entry.checked) {
      entry.action->setChecked(entry.checked);
    }
    entry.action->blockSignals(entry.blocked);
  }
  return picked;
}

} // namespace

TkitTrayIcon::TkitTrayIcon(QObject* owner)
    : TkitFormHook(owner), animateTimer_(new QTimer(this)), monitorTimer_(new QTimer(this)),
      latePanelTimer_(new QTimer(this)) {
  animateTimer_->setInterval(static_cast<int>(animateInterval_));
  monitorTimer_->setInterval(static_cast<int>(monitorInterval_));
  latePanelTimer_->setInterval(kLatePanelPollMs);
  connect(animateTimer_, &QTimer::timeout, this, &TkitTrayIcon::AnimateTick);
  connect(monitorTimer_, &QTimer::timeout, this, &TkitTrayIcon::MonitorTick);
  connect(latePanelTimer_, &QTimer::timeout, this, &TkitTrayIcon::LatePanelTick);
}

void TkitTrayIcon::MakeTrayIcon() {
  // Qt's D-Bus tray exports the menu; its X11 tray would pop the menu up
  // by itself on top of the one DoContextPopup shows.
  menuExported_ = QtUsesStatusNotifier();
  tray_ = new QSystemTrayIcon(this);
  if (menuExported_) {
    tray_->setContextMenu(popupMenu_);
  }
  connect(tray_, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) {
            // Qt reports whole clicks; the notification area reports their parts.
            // A double click follows the click of its first press, and its second
            // release counts as a click again.
            const QPointer<TkitTrayIcon> alive(this);
            const auto send = [&](TkitTrayMouseMessage message, Qt::MouseButton button) {
              if (alive != nullptr) {
                MouseNotification(message, button);
              }
            };
            const auto click = [&](Qt::MouseButton button) {
              send(TkitTrayMouseMessage::ButtonDown, button);
              send(TkitTrayMouseMessage::ButtonUp, button);
            };
            switch (reason) {
            case QSystemTrayIcon::Trigger:
              click(Qt::LeftButton);
              break;
            case QSystemTrayIcon::Context:
              click(Qt::RightButton);
              break;
            case QSystemTrayIcon::MiddleClick:
              click(Qt::MiddleButton);
              break;
            case QSystemTrayIcon::DoubleClick:
              send(TkitTrayMouseMessage::DoubleClick, Qt::LeftButton);
              send(TkitTrayMouseMessage::ButtonUp, Qt::LeftButton);
              break;
            case QSystemTrayIcon::Unknown:
              break;
            }
          });
}

TkitTrayIcon::~TkitTrayIcon() {
  animateTimer_->stop();
  monitorTimer_->stop();
  latePanelTimer_->stop();
  RemoveIcon();
  UnhookWindow();
}

// --- Properties -------------------------------------------------------------

void TkitTrayIcon::SetAnimated(bool value) {
  animated_ = value;
  UpdateAnimation();
}

void TkitTrayIcon::SetAnimateInterval(std::uint32_t milliseconds) {
  animateInterval_ = milliseconds;
  animateTimer_->setInterval(static_cast<int>(std::min<std::uint32_t>(milliseconds, INT_MAX)));
}

void TkitTrayIcon::SetHint(const QString& value) {
  const QString hint = CutHint(value);
  if (hint == hint_) {
    return; // a D-Bus host would be told of a new tooltip every time
  }
  hint_ = hint;
  if (added_ && tray_ != nullptr) {
    tray_->setToolTip(hint_);
  }
}

void TkitTrayIcon::SetIcon(const QIcon& value) {
  icon_ = value;
  if (added_ && tray_ != nullptr) {
    tray_->setIcon(CurrentIcon());
  }
}

void TkitTrayIcon::SetImages(TkitImageList* value) {
  if (images_ != nullptr) {
    disconnect(images_, &QObject::destroyed, this, nullptr);
  }
  images_ = value;
  if (value != nullptr) {
    connect(value, &QObject::destroyed, this, [this] { SetImages(nullptr); });
    if (imageIndex_ < 0 || imageIndex_ >= value->Count()) {
      imageIndex_ = -1;
    } else {
      SetIcon(value->Icon(imageIndex_));
    }
  } else {
    animated_ = false;
  }
  UpdateAnimation();
}

void TkitTrayIcon::SetImageIndex(int value) {
  imageIndex_ = value;
  if (images_ != nullptr && value >= 0 && value < images_->Count()) {
    SetIcon(images_->Icon(value));
  }
}

void TkitTrayIcon::SetMonitorInterval(std::uint32_t milliseconds) {
  monitorInterval_ = milliseconds;
  monitorTimer_->setInterval(static_cast<int>(std::min<std::uint32_t>(milliseconds, INT_MAX)));
}

void TkitTrayIcon::SetOptions(TkitTrayIconOptions value) {
  options_ = NormalizeOptions(options_, value);
  if (!options_.testFlag(Opt::atiShowWithoutTray) && latePanelTimer_->isActive()) {
    // Nothing to wait for any more: the icon as Qt can give it.
    latePanelTimer_->stop();
    if (added_ && tray_ == nullptr) {
      RemoveIcon();
      AddIcon();
    }
  }
  if (added_) {
    if (options_.testFlag(Opt::atiMonitorTray)) {
      monitorTimer_->start();
    } else {
      monitorTimer_->stop();
    }
  }
}

QMenu* TkitTrayIcon::PopupMenu() const {
  return popupMenu_;
}

void TkitTrayIcon::SetPopupMenu(QMenu* value) {
  popupMenu_ = value;
  if (tray_ != nullptr && menuExported_) {
    tray_->setContextMenu(value);
  }
}

void TkitTrayIcon::SetVisible(bool value) {
  visible_ = value;
  if (!IsLoaded()) {
    return;
  }
  if (value) {
    AddIcon();
  } else {
    RemoveIcon();
  }
}

// --- Life ------------------------------------------------------------------

void TkitTrayIcon::Loaded() {
  if (IsLoaded()) {
    return;
  }
  TkitFormHook::Loaded();
  if (visible_) {
    AddIcon();
  }
  if (options_.testFlag(Opt::atiHideApp)) {
    // A hidden window has no task-bar entry either; main() leaves the form
    // hidden when the event loop starts.
    if (QWidget* form = Form()) {
      form->hide();
    }
    TkitApplication::SetShowMainForm(false);
  }
  UpdateAnimation();
}

bool TkitTrayIcon::TrayHostPresent() const {
  // On Wayland only a StatusNotifierItem host can show an icon. Until one
  // is there, Qt is not asked: it would settle on "no tray" for good.
  if ((tray_ == nullptr && OnWayland()) || QtUsesStatusNotifier()) {
    return StatusNotifierHostPresent();
  }
  return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TkitTrayIcon::TrayShowing() const {
  return added_ && tray_ != nullptr && TrayHostPresent();
}

void TkitTrayIcon::AddIcon() {
  if (added_) {
    return;
  }
  added_ = true;
  const bool host = TrayHostPresent();
  trayMissing_ = !host;
  if (tray_ == nullptr && !host && options_.testFlag(Opt::atiShowWithoutTray)) {
    // Made once a notification area is there (LatePanelTick, MonitorTick).
    latePanelTicks_ = 0;
    latePanelTimer_->start();
    return;
  }
  if (tray_ == nullptr) {
    MakeTrayIcon();
  }
  tray_->setIcon(CurrentIcon());
  tray_->setToolTip(hint_);
  tray_->show();
  if (options_.testFlag(Opt::atiMonitorTray)) {
    monitorTimer_->start();
  }
}

void TkitTrayIcon::RemoveIcon() {
  if (!added_) {
    return;
  }
  if (tray_ != nullptr) {
    tray_->hide();
  }
  added_ = false;
  monitorTimer_->stop();
}

void TkitTrayIcon::LatePanelTick() {
  if (!added_) {
    latePanelTimer_->stop();
    return;
  }
  if (TrayHostPresent()) {
    latePanelTimer_->stop();
    TrayCameBack();
    return;
  }
  if (++latePanelTicks_ * kLatePanelPollMs < kLatePanelMs) {
    return;
  }
  latePanelTimer_->stop();
  // The presence check goes on looking for one that comes later still.
  if (options_.testFlag(Opt::atiMonitorTray)) {
    monitorTimer_->start();
  }
  QWidget* form = Form();
  if (form == nullptr || form->isVisible()) {
    return; // shown already (a first start): it stays as it is
  }
  const QPointer<TkitTrayIcon> alive(this);
  ShowOwner();
  if (alive != nullptr && OnTrayMissing) {
    OnTrayMissing(*this);
  }
}

void TkitTrayIcon::TrayCameBack() {
  RemoveIcon();
  AddIcon();
  // A form that waits minimized on the task bar goes to the notification
  // area, as if it had been minimized there.
  QWidget* form = Form();
  if (form != nullptr && form->isMinimized() && options_.testFlag(Opt::atiShowWithoutTray) &&
      options_.testFlag(Opt::atiHideOnMinimize) && !trayMissing_) {
    form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
    form->hide();
  }
}

QIcon TkitTrayIcon::CurrentIcon() const {
  if (!icon_.isNull()) {
    return icon_;
  }
  // QWidget::windowIcon() falls back to the application's icon by itself.
  if (const QWidget* form = Form(); form != nullptr && !form->windowIcon().isNull()) {
    return form->windowIcon();
  }
  return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

void TkitTrayIcon::MonitorTick() {
  // Qt puts the icon back by itself when a notification area replaces
  // another; what it does not do reliably is show an icon that was added
  // while there was no notification area at all (the panel starting after
  // the program, or crashing and coming back). Once there is one again, the
  // icon is added anew.
  if (!added_) {
    return;
  }
  if (!TrayHostPresent()) {
    trayMissing_ = true;
    return;
  }
  if (trayMissing_ || tray_ == nullptr) {
    monitorTimer_->stop();
    TrayCameBack();
  }
}

void TkitTrayIcon::UpdateAnimation() {
  if (animated_ && images_ != nullptr && images_->Count() > 0) {
    if (!animateTimer_->isActive()) {
      animateTimer_->start();
    }
  } else {
    animateTimer_->stop();
  }
}

void TkitTrayIcon::AnimateTick() {
  if (images_ == nullptr || images_->Count() == 0) {
    return;
  }
  SetImageIndex(imageIndex_ + 1 >= images_->Count() ? 0 : imageIndex_ + 1);
}

// --- Clicks -----------------------------------------------------------------

void TkitTrayIcon::MouseNotification(TkitTrayMouseMessage message, Qt::MouseButton button) {
  cursor_ = QCursor::pos();
  const int x = cursor_.x();
  const int y = cursor_.y();
  switch (message) {
  case TkitTrayMouseMessage::Move:
    if (OnMouseMove) {
      OnMouseMove(*this, Qt::NoModifier, x, y);
    }
    break;
  case TkitTrayMouseMessage::ButtonDown:
    if (OnMouseDown) {
      OnMouseDown(*this, button, Qt::NoModifier, x, y);
    }
    break;
  case TkitTrayMouseMessage::ButtonUp: {
    const QPointer<TkitTrayIcon> alive(this);
    if (OnMouseUp) {
      OnMouseUp(*this, button, Qt::NoModifier, x, y);
    }
    if (alive != nullptr) {
      DoClick(button);
    }
    break;
  }
  case TkitTrayMouseMessage::DoubleClick:
    DoDblClick(button);
    break;
  }
}

void TkitTrayIcon::DoClick(Qt::MouseButton button) {
  const QPointer<TkitTrayIcon> alive(this);
  QPointer<QAction> picked;
  if (button == Qt::LeftButton && options_.testFlag(Opt::atiShowOnClick)) {
    ShowOwner();
  } else if (button == Qt::RightButton) {
    picked = DoContextPopup(cursor_);
  }
  if (alive != nullptr && OnClick) {
    OnClick(*this);
  }
  if (picked != nullptr) {
    // Like the command a menu posts when it closes, it runs from the event
    // loop once this click is through: run here, "Exit" would remove the
    // icon while the notification area is still delivering the click to it.
    QMetaObject::invokeMethod(picked, &QAction::trigger, Qt::QueuedConnection);
  }
}

void TkitTrayIcon::DoDblClick(Qt::MouseButton button) {
  if (button == Qt::LeftButton) {
    if (options_.testFlag(Opt::atiShowOnDblClick)) {
      ShowOwner();
    } else if (options_.testFlag(Opt::atiMenuDefaultOnDblClick)) {
      ClickDefaultItems();
    }
  }
  if (OnDblClick) {
    OnDblClick(*this);
  }
}

QAction* TkitTrayIcon::DoContextPopup(QPoint position) {
  bool handled = false;
  const QPointer<TkitTrayIcon> alive(this);
  if (OnContextPopup) {
    OnContextPopup(*this, position, handled);
  }
  // An exported menu is the host's to show.
  if (alive == nullptr || handled || popupMenu_ == nullptr || menuExported_) {
    return nullptr;
  }
  return PickFromMenu(*popupMenu_, position);
}

void TkitTrayIcon::ClickDefaultItems() {
  // A QMenu has one default item at most.
  if (popupMenu_ != nullptr) {
    if (QAction* item = popupMenu_->defaultAction()) {
      item->trigger();
    }
  }
}

void TkitTrayIcon::ShowOwner() {
  QWidget* form = Form();
  if (form == nullptr) {
    return;
  }
  form->showNormal();
  form->raise();
  form->activateWindow();
}

void TkitTrayIcon::HideOwner() {
  QWidget* form = Form();
  if (form == nullptr) {
    return;
  }
  if (options_.testFlag(Opt::atiShowWithoutTray) && !TrayShowing()) {
    form->showMinimized();
  } else {
    form->hide();
  }
}

// --- Hook -------------------------------------------------------------------

bool TkitTrayIcon::AppMessage(QEvent& message) {
  if (message.type() == QEvent::Quit) {
    RemoveIcon();
  }
  return false;
}

bool TkitTrayIcon::FormMessage(QEvent& message) {
  QWidget* form = Form();
  if (form == nullptr || !message.spontaneous()) {
    // Closing or minimizing by the program itself is not affected.
    return false;
  }
  // Without a notification area, the task bar is the one way back.
  const auto noWayBack = [this] {
    return options_.testFlag(Opt::atiShowWithoutTray) && !TrayShowing();
  };
  if (message.type() == QEvent::Close && options_.testFlag(Opt::atiHideOnClose)) {
    message.ignore();
    if (noWayBack()) {
      form->showMinimized();
    } else {
      form->hide();
    }
    return true;
  }
  if (message.type() == QEvent::WindowStateChange && form->isMinimized() &&
      options_.testFlag(Opt::atiHideOnMinimize) && !noWayBack()) {
    // The window manager has minimized the window already. Hide it instead
    // and drop the minimized state, once this event is through, so that
    // showing it again brings it back as it was. The state goes first: on
    // X11 leaving the minimized state maps the window again, which would
    // leave an empty frame on the screen behind a hidden form.
    QMetaObject::invokeMethod(
        this,
        [this] {
          if (QWidget* target = Form()) {
            target->setWindowState(target->windowState() & ~Qt::WindowMinimized);
            target->hide();
          }
        },
        Qt::QueuedConnection);
    return true;
  }
  return false;
}

} // namespace fegolin
