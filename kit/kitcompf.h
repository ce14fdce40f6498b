#pragma once

// kitcompf: the form hook and the form sizer.
//
// TkitFormHook is the base of components that watch the events of the form
// that owns them and of the application object: the form sizer below and
// the tray icon (kittray). A hook must be owned by a form (a top-level
// QWidget) or by an object owned by one; the form calls Loaded() once after
// it has set the component's properties, and from then on the hook sees the
// form's events before the form handles them.
//
// Typical use on a form (TfrmMain):
//
//   kitFormSizer = new TkitFormSizer(this);      // owned by the form
//   kitFormSizer->SetHeightMax(2000);
//   kitFormSizer->SetHeightMin(444);
//   kitFormSizer->SetWidthMax(2000);
//   kitFormSizer->SetWidthMin(320);
//   kitFormSizer->SetInitialFormSize(TkitInitialPosSize::ipsMin);
//   kitFormSizer->Loaded();                      // 320 x 444, limits in force
//   ...
//   kitFormSizer->SetHeightMin(305);             // later, at run time
//   kitFormSizer->SetWidthMin(452);              // widens the form at once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>

#include <array>
#include <cstdint>
#include <stdexcept>

class QEvent;
class QWidget;

namespace fegolin {

// Errors of the kit's components, with fixed English texts.
class EComponentError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------
// TkitFormHook
// ---------------------------------------------------------------------------

class TkitFormHook : public QObject {
  Q_OBJECT
public:
  // Throws EComponentError "This component must be owned by a TForm" when
  // neither `owner` nor its parent is a form.
  explicit TkitFormHook(QObject* owner);
  ~TkitFormHook() override;

  // The form whose events this hook sees.
  [[nodiscard]] QWidget* Form() const { return form_; }

  // The form has set the properties: install the hook. Derived components
  // do their start-up work here as well. Calling it again does nothing.
  virtual void Loaded();
  [[nodiscard]] bool IsLoaded() const { return loaded_; }
  [[nodiscard]] bool IsHooked() const { return hooked_; }

protected:
  // After the hook has been installed / before it is removed. A derived
  // class that overrides Unhooking must call UnhookWindow() in its own
  // destructor, since the base destructor can no longer reach the override.
  virtual void Hooked() {}
  virtual void Unhooking() {}

  // An event sent to the application object (quit, language change,
  // application state, ...). True = consumed, nobody else sees it.
  virtual bool AppMessage(QEvent& message);

  // An event of the form before the form handles it. True = consumed: the
  // hooks installed before this one and the form itself never see it.
  // Several hooks on one form chain: the one installed last asks first.
  virtual bool FormMessage(QEvent& message);

  // An event of the form after the form has handled it (or after a hook
  // consumed it), called for every hook that was asked, the one installed
  // first first. Only hooks that switched SetFollowsFormMessages on get it:
  // following needs the chain to deliver the event to the form itself, so
  // event filters installed on the form before its first hook are bypassed
  // while any hook follows.
  virtual void FormMessageAfter(QEvent& message);
  void SetFollowsFormMessages(bool on) { follows_ = on; }

  void HookWindow();
  void UnhookWindow();

  [[nodiscard]] bool IsDestroying() const { return destroying_; }

  // Only the application object's events arrive here; the form's events go
  // through the form's hook chain.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  class Chain;

  QPointer<QWidget> form_;
  QPointer<Chain> chain_;
  bool loaded_ = false;
  bool hooked_ = false;
  bool destroying_ = false;
  bool follows_ = false;
};

// ---------------------------------------------------------------------------
// TkitFormSizer
// ---------------------------------------------------------------------------

// Where InitialFormPos / InitialFormSize take the form's position or size
// from when it has loaded: left alone, the minimum limits, the maximum ones.
enum class TkitInitialPosSize : std::uint8_t { ipsDefault, ipsMin, ipsMax };

// Keeps the form's position and size within limits: while the user drags
// or maximizes it (the limits are the window's size hints) and whenever the
// program resizes or moves it. In every limit −1 means no limit. Sizes are
// the size of the form itself, without the frame the window manager adds;
// positions are those of the frame, like QWidget::pos(). A form that is
// maximized away from (LeftMax, TopMax), each where it is set, or beyond
// the maximum size is moved and sized there; Qt keeps no window maximized
// at a place of the program's choosing, so it is then in the normal state.
class TkitFormSizer : public TkitFormHook {
  Q_OBJECT
public:
  explicit TkitFormSizer(QObject* owner);
  ~TkitFormSizer() override;

  // Off: the form may take any position and size (default on).
  [[nodiscard]] bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);

  // A minimum above its maximum raises the maximum to it, a maximum below
  // its minimum lowers the minimum (a −1 partner stays −1). When the form
  // breaks a new limit it is moved or resized into its limits at once.
  // Negative widths and heights count as −1.
  [[nodiscard]] int LeftMin() const { return limits_[kLeftMin]; }
  [[nodiscard]] int LeftMax() const { return limits_[kLeftMax]; }
  [[nodiscard]] int TopMin() const { return limits_[kTopMin]; }
  [[nodiscard]] int TopMax() const { return limits_[kTopMax]; }
  [[nodiscard]] int WidthMin() const { return limits_[kWidthMin]; }
  [[nodiscard]] int WidthMax() const { return limits_[kWidthMax]; }
  [[nodiscard]] int HeightMin() const { return limits_[kHeightMin]; }
  [[nodiscard]] int HeightMax() const { return limits_[kHeightMax]; }
  void SetLeftMin(int value) { SetLimit(kLeftMin, value); }
  void SetLeftMax(int value) { SetLimit(kLeftMax, value); }
  void SetTopMin(int value) { SetLimit(kTopMin, value); }
  void SetTopMax(int value) { SetLimit(kTopMax, value); }
  void SetWidthMin(int value) { SetLimit(kWidthMin, value); }
  void SetWidthMax(int value) { SetLimit(kWidthMax, value); }
  void SetHeightMin(int value) { SetLimit(kHeightMin, value); }
  void SetHeightMax(int value) { SetLimit(kHeightMax, value); }

  // The four minimum or maximum limits in one go: the form is fitted once,
  // after all four are set.
  virtual void SetMinBounds(int left, int top, int width, int height);
  virtual void SetMaxBounds(int left, int top, int width, int height);

  // Applied once by Loaded() (when Enabled): ipsMin / ipsMax move the form
  // to (LeftMin, TopMin) / (LeftMax, TopMax) and size it to (WidthMin,
  // HeightMin) / (WidthMax, HeightMax), each coordinate only where its limit
  // is set. ipsDefault leaves position or size as they are.
  [[nodiscard]] TkitInitialPosSize InitialFormPos() const { return initialPos_; }
  void SetInitialFormPos(TkitInitialPosSize value) { initialPos_ = value; }
  [[nodiscard]] TkitInitialPosSize InitialFormSize() const { return initialSize_; }
  void SetInitialFormSize(TkitInitialPosSize value) { initialSize_ = value; }

  void Loaded() override;

protected:
  void Hooked() override;
  bool FormMessage(QEvent& message) override;

private:
  enum Limit : std::uint8_t {
    kLeftMin,
    kLeftMax,
    kTopMin,
    kTopMax,
    kWidthMin,
    kWidthMax,
    kHeightMin,
    kHeightMax
  };

  void SetLimit(Limit which, int value);
  // Where the form may stand and how large it may be now, from its current
  // place and size.
  [[nodiscard]] QPoint AllowedPos() const;
  [[nodiscard]] QSize AllowedSize() const;
  [[nodiscard]] bool FormOutsideLimits() const;
  void RequestReapply();
  void Apply();
  void SyncSizeHints();
  void ApplyInitialPosSize();

  std::array<int, 8> limits_{-1, -1, -1, -1, -1, -1, -1, -1};
  bool enabled_ = true;
  bool batch_ = false;
  bool pending_ = false;
  bool snapQueued_ = false;
  TkitInitialPosSize initialPos_ = TkitInitialPosSize::ipsDefault;
  TkitInitialPosSize initialSize_ = TkitInitialPosSize::ipsDefault;
};

} // namespace fegolin
