#pragma once

// kittray: the notification area icon.
//
// TkitTrayIcon puts one icon into the notification area, turns clicks on it
// into click, double-click, mouse and context-menu events, and lets the
// program live there: hidden at start, hidden instead of closed or
// minimized, shown again by a click. It is a form hook (kitcompf), owned by
// the form it shows and hides.
//
// The main window (TfrmMain) sets it up like this:
//
//   kitTrayIcon1 = new TkitTrayIcon(this);
//   kitTrayIcon1->SetAnimated(true);
//   kitTrayIcon1->SetOptions({TkitTrayIconOption::atiShowOnClick, TkitTrayIconOption::atiHideApp,
//                             TkitTrayIconOption::atiHideOnMinimize,
//                             TkitTrayIconOption::atiHideOnClose,
//                             TkitTrayIconOption::atiWin95Service,
//                             TkitTrayIconOption::atiTerminateOnLogoff,
//                             TkitTrayIconOption::atiMonitorTray,
//                             TkitTrayIconOption::atiShowWithoutTray});
//   kitTrayIcon1->SetPopupMenu(mnuPopupMain);
//   kitTrayIcon1->OnClick = [this](TkitTrayIcon&) { kitTrayIcon1DblClick(); };
//   kitTrayIcon1->OnDblClick = kitTrayIcon1->OnClick;
//   kitTrayIcon1->Loaded();   // icon added; form hidden, ShowMainForm off
//
// Order of events: a left click raises OnMouseDown, OnMouseUp, shows the
// form (atiShowOnClick), then OnClick. A right click raises OnMouseDown,
// OnMouseUp, OnContextPopup, shows PopupMenu at the cursor and waits until
// it closes, raises OnClick, and only then runs the command picked in the
// menu. A double click adds OnDblClick and a second OnMouseUp and OnClick.
//
// Where the notification area is a D-Bus StatusNotifierItem host (Plasma,
// GNOME's AppIndicator extension, waybar), Qt exports the icon, its
// tooltip and PopupMenu on the session bus and the host shows the menu
// itself: a pick there runs the command, and no OnClick follows it.

#include "kit/kitcompf.h"

#include <QFlags>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace fegolin {

class TkitTrayIcon;

// ---------------------------------------------------------------------------
// Options
// ---------------------------------------------------------------------------

enum class TkitTrayIconOption : std::uint16_t {
  atiShowOnClick = 1u << 0,           // a left click shows and restores the form
  atiShowOnDblClick = 1u << 1,        // a left double click shows and restores the form
  atiMenuDefaultOnDblClick = 1u << 2, // a left double click runs the menu's default item
  atiHideApp = 1u << 3,               // at start the form stays hidden: icon only
  atiHideOnMinimize = 1u << 4,        // minimizing the form hides it instead
  atiHideOnClose = 1u << 5,           // closing the form by its window hides it instead
  // Kept for the options' rules below. Registering as a service process and
  // outliving the user's session exist on Windows 95 only; here the program
  // always ends with the session, whatever these two say.
  atiWin95Service = 1u << 6,
  atiTerminateOnLogoff = 1u << 7,
  atiMonitorTray = 1u << 8, // the presence check runs
  // Without a notification area (stock GNOME, a bare Wayland compositor)
  // a hidden form could never be reached. With this option, when none has
  // come up within a few seconds of the start, the form shows (OnTrayMissing
  // follows), and while there is none the close and minimize boxes minimize
  // it to the task bar instead of hiding it. One that comes later takes over.
  atiShowWithoutTray = 1u << 9,
};
Q_DECLARE_FLAGS(TkitTrayIconOptions, TkitTrayIconOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TkitTrayIconOptions)

// ---------------------------------------------------------------------------
// Image list
// ---------------------------------------------------------------------------

// The frames of the icon's animation, and the images ImageIndex picks.
class TkitImageList final : public QObject {
  Q_OBJECT
public:
  explicit TkitImageList(QObject* owner = nullptr) : QObject(owner) {}
  void Add(const QIcon& icon) { icons_.append(icon); }
  [[nodiscard]] int Count() const { return static_cast<int>(icons_.size()); }
  [[nodiscard]] QIcon Icon(int index) const { return icons_.value(index); }

private:
  QList<QIcon> icons_;
};

// ---------------------------------------------------------------------------
// Events
// ---------------------------------------------------------------------------

using TkitTrayNotifyEvent = std::function<void(TkitTrayIcon& Sender)>;
// X and Y (and MousePos) are the cursor's screen position when the click
// arrived; Shift is always empty.
using TkitTrayMouseEvent = std::function<void(TkitTrayIcon& Sender, Qt::MouseButton Button,
                                              Qt::KeyboardModifiers Shift, int X, int Y)>;
using TkitTrayMouseMoveEvent =
    std::function<void(TkitTrayIcon& Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TkitTrayContextPopupEvent =
    std::function<void(TkitTrayIcon& Sender, QPoint MousePos, bool& Handled)>;

// What the notification area reports about the mouse on the icon.
enum class TkitTrayMouseMessage : std::uint8_t { Move, ButtonDown, ButtonUp, DoubleClick };

// ---------------------------------------------------------------------------
// TkitTrayIcon
// ---------------------------------------------------------------------------

class TkitTrayIcon final : public TkitFormHook {
  Q_OBJECT
public:
  static constexpr int kMaxHintLength = 63;

  // Throws EComponentError when not owned by a form (see TkitFormHook).
  explicit TkitTrayIcon(QObject* owner);
  ~TkitTrayIcon() override;

  // Cycles the icon through Images every AnimateInterval ms. Without Images
  // it has no effect.
  [[nodiscard]] bool Animated() const { return animated_; }
  void SetAnimated(bool value);
  [[nodiscard]] std::uint32_t AnimateInterval() const { return animateInterval_; }
  void SetAnimateInterval(std::uint32_t milliseconds);

  // The icon's tooltip, cut to its first 63 characters.
  [[nodiscard]] const QString& Hint() const { return hint_; }
  void SetHint(const QString& value);

  // The icon shown. When empty, the form's icon, else the application's,
  // else a standard one.
  [[nodiscard]] const QIcon& Icon() const { return icon_; }
  void SetIcon(const QIcon& value);

  // Setting Images checks ImageIndex against it (out of range: −1; in
  // range: the image becomes Icon); clearing Images, or the list going
  // away, turns Animated off.
  [[nodiscard]] TkitImageList* Images() const { return images_; }
  void SetImages(TkitImageList* value);
  [[nodiscard]] int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);

  // Period of the presence check (atiMonitorTray), in ms.
  [[nodiscard]] std::uint32_t MonitorInterval() const { return monitorInterval_; }
  void SetMonitorInterval(std::uint32_t milliseconds);

  // Setting normalises the set: of atiShowOnClick and atiShowOnDblClick,
  // and of atiShowOnDblClick and atiMenuDefaultOnDblClick, the one added
  // now wins; dropping atiWin95Service adds atiTerminateOnLogoff; without
  // atiTerminateOnLogoff, atiWin95Service is added.
  [[nodiscard]] TkitTrayIconOptions Options() const { return options_; }
  void SetOptions(TkitTrayIconOptions value);

  // The menu of a right click; cleared when the menu goes away.
  [[nodiscard]] QMenu* PopupMenu() const;
  void SetPopupMenu(QMenu* value);

  // Icon present in the notification area (default true). Takes effect at
  // once after Loaded().
  [[nodiscard]] bool Visible() const { return visible_; }
  void SetVisible(bool value);

  TkitTrayNotifyEvent OnClick;
  TkitTrayNotifyEvent OnDblClick;
  TkitTrayMouseEvent OnMouseDown;
  TkitTrayMouseEvent OnMouseUp;
  TkitTrayMouseMoveEvent OnMouseMove;
  TkitTrayContextPopupEvent OnContextPopup;
  // atiShowWithoutTray: no notification area came up in time; the form has
  // been shown.
  TkitTrayNotifyEvent OnTrayMissing;

  // Adds the icon (when Visible); with atiHideApp keeps the form hidden and
  // tells main() not to show it (TkitApplication::ShowMainForm).
  void Loaded() override;

  // Shows the form, brings it to the front and restores it.
  void ShowOwner();
  // Hides the form; with atiShowWithoutTray and no notification area to
  // bring it back from, minimizes it instead.
  void HideOwner();

  // One notification from the notification area. QSystemTrayIcon reports
  // whole clicks only; they arrive here as the button messages a click is
  // made of. The mouse moving over the icon is not reported by Qt.
  void MouseNotification(TkitTrayMouseMessage message, Qt::MouseButton button);

  // Whether the icon is in the notification area now (or waits there for
  // one to come up).
  [[nodiscard]] bool IsIconAdded() const { return added_; }

  // Whether a notification area shows the icon now.
  [[nodiscard]] bool TrayShowing() const;

  // The Qt icon behind the component. With atiShowWithoutTray it is made
  // only once a notification area is there, null before.
  [[nodiscard]] QSystemTrayIcon* SystemTrayIcon() const { return tray_; }

protected:
  bool AppMessage(QEvent& message) override;
  bool FormMessage(QEvent& message) override;

private:
  void AddIcon();
  void RemoveIcon();
  void MakeTrayIcon();
  [[nodiscard]] bool TrayHostPresent() const;
  void LatePanelTick();
  void TrayCameBack();
  [[nodiscard]] QIcon CurrentIcon() const;
  void DoClick(Qt::MouseButton button);
  void DoDblClick(Qt::MouseButton button);
  QAction* DoContextPopup(QPoint position);
  void ClickDefaultItems();
  void UpdateAnimation();
  void AnimateTick();
  void MonitorTick();

  QSystemTrayIcon* tray_ = nullptr;
  QTimer* animateTimer_;
  QTimer* monitorTimer_;
  // Polls for a notification area that starts after the program.
  QTimer* latePanelTimer_;
  int latePanelTicks_ = 0;
  // The menu goes to a StatusNotifierItem host, which shows it itself.
  bool menuExported_ = false;

  bool animated_ = false;
  std::uint32_t animateInterval_ = 700;
  QString hint_;
  QIcon icon_;
  QPointer<TkitImageList> images_;
  int imageIndex_ = 0;
  std::uint32_t monitorInterval_ = 5000;
  TkitTrayIconOptions options_ = {
      TkitTrayIconOption::atiShowOnDblClick, TkitTrayIconOption::atiHideApp,
      TkitTrayIconOption::atiHideOnClose, TkitTrayIconOption::atiTerminateOnLogoff};
  QPointer<QMenu> popupMenu_;
  bool visible_ = true;

  bool added_ = false;
  bool trayMissing_ = false;
  QPoint cursor_;
};

} // namespace fegolin
