#include "kit/kittray.h"

#include "kit/kitutil.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEvent>
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
    : TkitFormHook(owner),
      tray_(new QSystemTrayIcon(this)),
      animateTimer_(new QTimer(this)),
      monitorTimer_(new QTimer(this)) {
  animateTimer_->setInterval(static_cast<int>(animateInterval_));
  monitorTimer_->setInterval(static_cast<int>(monitorInterval_));
  connect(animateTimer_, &QTimer::timeout, this, &TkitTrayIcon::AnimateTick);
  connect(monitorTimer_, &QTimer::timeout, this, &TkitTrayIcon::MonitorTick);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
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
  hint_ = CutHint(value);
  if (added_) {
    tray_->setToolTip(hint_);
  }
}

void TkitTrayIcon::SetIcon(const QIcon& value) {
  icon_ = value;
  if (added_) {
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

void TkitTrayIcon::AddIcon() {
  if (added_) {
    return;
  }
  tray_->setIcon(CurrentIcon());
  tray_->setToolTip(hint_);
  tray_->show();
  added_ = true;
  trayMissing_ = !QSystemTrayIcon::isSystemTrayAvailable();
  if (options_.testFlag(Opt::atiMonitorTray)) {
    monitorTimer_->start();
  }
}

void TkitTrayIcon::RemoveIcon() {
  if (!added_) {
    return;
  }
  tray_->hide();
  added_ = false;
  monitorTimer_->stop();
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
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    trayMissing_ = true;
    return;
  }
  if (trayMissing_) {
    monitorTimer_->stop();
    RemoveIcon();
    AddIcon();
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
  if (alive == nullptr || handled || popupMenu_ == nullptr) {
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
  if (message.type() == QEvent::Close && options_.testFlag(Opt::atiHideOnClose)) {
    message.ignore();
    form->hide();
    return true;
  }
  if (message.type() == QEvent::WindowStateChange && form->isMinimized() &&
      options_.testFlag(Opt::atiHideOnMinimize)) {
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
