#include "kit/kitcompf.h"

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QMetaObject>
#include <QWidget>

#include <algorithm>

namespace fegolin {

namespace {

QWidget* AsForm(QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  return widget != nullptr && widget->isWindow() ? widget : nullptr;
}

// Limiting a value v to min..max, where −1 is no limit on either side.
int LimitTo(int value, int min, int max) {
  if (min != -1 && value < min) {
    return min;
  }
  if (max != -1 && value > max) {
    return max;
  }
  return value;
}

} // namespace

// ---------------------------------------------------------------------------
// The hook chain of one form
// ---------------------------------------------------------------------------

// One event filter per form, shared by all hooks on it, so that the chain
// can ask the hooks in order, stop at the first that consumes an event and
// call back the followers afterwards. It lives as a child of the form; a
// QWidget outlives its native windows, so the chain survives every
// re-creation of the form's window without being installed again.
class TkitFormHook::Chain final : public QObject {
public:
  explicit Chain(QWidget* form) : QObject(form), form_(form) { form->installEventFilter(this); }

  static Chain* Of(QWidget* form) {
    for (QObject* child : form->children()) {
      if (auto* chain = dynamic_cast<Chain*>(child)) {
        return chain;
      }
    }
    return new Chain(form);
  }

  void Add(TkitFormHook* hook) { hooks_.append(hook); }
  void Remove(TkitFormHook* hook) { hooks_.removeAll(hook); }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != form_ || hooks_.isEmpty()) {
      return false;
    }
    const QPointer<Chain> alive(this);
    // A hook may go, or add another, while it handles the event: work on a
    // copy and skip the ones that are gone.
    const QList<QPointer<TkitFormHook>> chain = hooks_;
    QList<QPointer<TkitFormHook>> asked;
    bool consumed = false;
    for (auto it = chain.rbegin(); it != chain.rend() && !consumed; ++it) {
      TkitFormHook* hook = *it;
      if (hook == nullptr || !hook->hooked_) {
        continue;
      }
      asked.append(hook);
      consumed = hook->FormMessage(*event);
      if (!alive || form_ == nullptr) {
        return true;
      }
    }
    const bool follow =
        std::any_of(asked.begin(), asked.end(), [](const QPointer<TkitFormHook>& hook) {
          return hook != nullptr && hook->follows_;
        });
    if (!follow) {
      return consumed;
    }
    if (!consumed) {
      // QObject::event is public; this reaches the form's own handler
      // without running the filters again.
      static_cast<QObject*>(form_.data())->event(event);
    }
    for (auto it = asked.rbegin(); it != asked.rend(); ++it) {
      TkitFormHook* hook = *it;
      if (hook != nullptr && hook->follows_ && !hook->destroying_) {
        hook->FormMessageAfter(*event);
      }
    }
    return true;
  }

private:
  QPointer<QWidget> form_;
  QList<QPointer<TkitFormHook>> hooks_; // in the order they were installed
};

// ---------------------------------------------------------------------------
// TkitFormHook
// ---------------------------------------------------------------------------

TkitFormHook::TkitFormHook(QObject* owner) : QObject(owner) {
  QWidget* form = AsForm(owner);
  if (form == nullptr && owner != nullptr) {
    form = AsForm(owner->parent());
  }
  if (form == nullptr) {
    throw EComponentError("This component must be owned by a TForm");
  }
  form_ = form;
}

TkitFormHook::~TkitFormHook() {
  destroying_ = true;
  UnhookWindow();
}

void TkitFormHook::Loaded() {
  if (loaded_) {
    return;
  }
  loaded_ = true;
  HookWindow();
}

bool TkitFormHook::AppMessage(QEvent& /*message*/) {
  return false;
}

bool TkitFormHook::FormMessage(QEvent& /*message*/) {
  return false;
}

void TkitFormHook::FormMessageAfter(QEvent& /*message*/) {}

void TkitFormHook::HookWindow() {
  if (hooked_ || destroying_ || form_ == nullptr) {
    return;
  }
  chain_ = Chain::Of(form_);
  chain_->Add(this);
  if (QCoreApplication* app = QCoreApplication::instance()) {
    app->installEventFilter(this);
  }
  hooked_ = true;
  Hooked();
}

void TkitFormHook::UnhookWindow() {
  if (!hooked_) {
    return;
  }
  Unhooking();
  hooked_ = false;
  if (chain_ != nullptr) {
    chain_->Remove(this);
  }
  if (QCoreApplication* app = QCoreApplication::instance()) {
    app->removeEventFilter(this);
  }
}

bool TkitFormHook::eventFilter(QObject* watched, QEvent* event) {
  if (!hooked_ || watched == nullptr || watched != QCoreApplication::instance()) {
    return false;
  }
  return AppMessage(*event);
}

// ---------------------------------------------------------------------------
// TkitFormSizer
// ---------------------------------------------------------------------------

TkitFormSizer::TkitFormSizer(QObject* owner) : TkitFormHook(owner) {}

TkitFormSizer::~TkitFormSizer() = default;

void TkitFormSizer::SetEnabled(bool value) {
  if (enabled_ == value) {
    return;
  }
  enabled_ = value;
  if (enabled_) {
    RequestReapply();
  } else {
    SyncSizeHints();
  }
}

void TkitFormSizer::SetLimit(Limit which, int value) {
  const bool isSize = which >= kWidthMin;
  if (isSize && value < 0) {
    value = -1;
  }
  if (limits_[which] == value) {
    return;
  }
  limits_[which] = value;
  if (value != -1) {
    // The limits come in pairs: min at an even index, max right after it.
    const bool isMin = which % 2 == 0;
    int& partner = limits_[isMin ? which + 1 : which - 1];
    if (partner != -1 && (isMin ? value > partner : value < partner)) {
      partner = value;
    }
  }
  if (FormOutsideLimits()) {
    RequestReapply();
  } else if (!batch_) {
    SyncSizeHints();
  }
}

void TkitFormSizer::SetMinBounds(int left, int top, int width, int height) {
  batch_ = true;
  SetLeftMin(left);
  SetTopMin(top);
  SetWidthMin(width);
  SetHeightMin(height);
  batch_ = false;
  if (pending_) {
    Apply();
  } else {
    SyncSizeHints();
  }
}

void TkitFormSizer::SetMaxBounds(int left, int top, int width, int height) {
  batch_ = true;
  SetLeftMax(left);
  SetTopMax(top);
  SetWidthMax(width);
  SetHeightMax(height);
  batch_ = false;
  if (pending_) {
    Apply();
  } else {
    SyncSizeHints();
  }
}

void TkitFormSizer::Loaded() {
  if (IsLoaded()) {
    return;
  }
  TkitFormHook::Loaded();
  ApplyInitialPosSize();
}

void TkitFormSizer::Hooked() {
  SyncSizeHints();
}

bool TkitFormSizer::FormMessage(QEvent& message) {
  // The size hints keep the window manager and QWidget::resize within the
  // limits; what gets past them (a move, a platform that maximizes beyond
  // the hints, a maximized form away from the maximum position) is put back
  // right after the event.
  const QEvent::Type type = message.type();
  if (enabled_ && !snapQueued_ &&
      (type == QEvent::Move || type == QEvent::Resize || type == QEvent::WindowStateChange) &&
      FormOutsideLimits()) {
    snapQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          snapQueued_ = false;
          RequestReapply();
        },
        Qt::QueuedConnection);
  }
  return false;
}

QPoint TkitFormSizer::AllowedPos() const {
  const QWidget* form = Form();
  const QPoint pos = form->pos();
  // A maximized form stands at the maximum position, where one is set.
  if (form->isMaximized()) {
    return {LeftMax() != -1 ? LeftMax() : LimitTo(pos.x(), LeftMin(), LeftMax()),
            TopMax() != -1 ? TopMax() : LimitTo(pos.y(), TopMin(), TopMax())};
  }
  return {LimitTo(pos.x(), LeftMin(), LeftMax()), LimitTo(pos.y(), TopMin(), TopMax())};
}

QSize TkitFormSizer::AllowedSize() const {
  const QWidget* form = Form();
  return {LimitTo(form->width(), WidthMin(), WidthMax()),
          LimitTo(form->height(), HeightMin(), HeightMax())};
}

bool TkitFormSizer::FormOutsideLimits() const {
  const QWidget* form = Form();
  if (form == nullptr || !IsHooked() || !enabled_) {
    return false;
  }
  return AllowedPos() != form->pos() || AllowedSize() != form->size();
}

void TkitFormSizer::RequestReapply() {
  pending_ = true;
  if (!batch_) {
    Apply();
  }
}

void TkitFormSizer::Apply() {
  pending_ = false;
  QWidget* form = Form();
  if (form == nullptr || !IsHooked() || !enabled_) {
    return;
  }
  SyncSizeHints();
  // Both taken before anything changes: resizing a maximized form ends its
  // maximized state, and with it the claim on the maximum position. It
  // then stays where a maximized form belongs, now in the normal state,
  // as Qt cannot keep a window maximized at a place of its choosing.
  const QSize size = AllowedSize();
  const QPoint pos = AllowedPos();
  if (size != form->size()) {
    form->resize(size);
  }
  if (pos != form->pos()) {
    form->move(pos);
  }
}

void TkitFormSizer::SyncSizeHints() {
  QWidget* form = Form();
  if (form == nullptr || !IsHooked()) {
    return;
  }
  const auto hint = [this](Limit limit, int none) {
    return enabled_ && limits_[limit] != -1 ? limits_[limit] : none;
  };
  form->setMaximumSize(hint(kWidthMax, QWIDGETSIZE_MAX), hint(kHeightMax, QWIDGETSIZE_MAX));
  form->setMinimumSize(hint(kWidthMin, 0), hint(kHeightMin, 0));
}

void TkitFormSizer::ApplyInitialPosSize() {
  QWidget* form = Form();
  if (form == nullptr || !enabled_) {
    return;
  }
  const auto pick = [](TkitInitialPosSize mode, int current, int min, int max) {
    const int limit = mode == TkitInitialPosSize::ipsMin ? min : max;
    return limit != -1 ? limit : current;
  };
  if (initialSize_ != TkitInitialPosSize::ipsDefault) {
    form->resize(pick(initialSize_, form->width(), WidthMin(), WidthMax()),
                 pick(initialSize_, form->height(), HeightMin(), HeightMax()));
  }
  if (initialPos_ != TkitInitialPosSize::ipsDefault) {
    form->move(pick(initialPos_, form->x(), LeftMin(), LeftMax()),
               pick(initialPos_, form->y(), TopMin(), TopMax()));
  }
}

} // namespace fegolin
