#include "kit/kitwanim.h"

#include <QtCore/QEventLoop>
#include <QtCore/QPointer>
#include <QtCore/QPropertyAnimation>
#include <QtWidgets/QWidget>

namespace fegolin {
namespace {

// Marks the animations this unit starts, so a hide can stop a running show.
constexpr const char* kAnimationName = "kitAnimateWin";

bool IsRollOrSlide(TkitAnimEffect effect) {
  return effect == TkitAnimEffect::aweRoll || effect == TkitAnimEffect::aweSlide;
}

std::uint32_t DirectionFlag(TkitAnimDirection direction, std::uint32_t positive,
                            std::uint32_t negative) {
  switch (direction) {
  case TkitAnimDirection::awdNone:
    return 0;
  case TkitAnimDirection::awdPositive:
    return positive;
  case TkitAnimDirection::awdNegative:
    return negative;
  }
  return 0;
}

// The window's outline at the collapsed end of a roll, slide or centre
// animation. Showing "positive" grows away from the left (top) edge; hiding
// "positive" shrinks towards the right (bottom) edge, so both move along the
// same direction.
QRect CollapsedRect(const QRect& full, TkitAnimEffect effect, TkitAnimDirection horz,
                    TkitAnimDirection vert, TkitAnimMode mode) {
  if (effect == TkitAnimEffect::aweCenter) {
    return {full.center(), QSize(1, 1)};
  }
  const bool hide = mode == TkitAnimMode::Hide;
  QRect rect = full;
  if (horz != TkitAnimDirection::awdNone) {
    const bool anchorLeft = (horz == TkitAnimDirection::awdPositive) != hide;
    rect = anchorLeft ? QRect(full.left(), rect.top(), 1, rect.height())
                      : QRect(full.right(), rect.top(), 1, rect.height());
  }
  if (vert != TkitAnimDirection::awdNone) {
    const bool anchorTop = (vert == TkitAnimDirection::awdPositive) != hide;
    rect = anchorTop ? QRect(rect.left(), full.top(), rect.width(), 1)
                     : QRect(rect.left(), full.bottom(), rect.width(), 1);
  }
  return rect;
}

void StopRunningAnimations(QWidget* window) {
  for (auto* animation : window->findChildren<QPropertyAnimation*>(QLatin1String(kAnimationName),
                                                                   Qt::FindDirectChildrenOnly)) {
    animation->stop();
  }
}

QPropertyAnimation* MakeAnimation(QWidget* window, const QByteArray& property, const QVariant& from,
                                  const QVariant& to, int duration) {
  auto* animation = new QPropertyAnimation(window, property, window);
  animation->setObjectName(QLatin1String(kAnimationName));
  animation->setDuration(duration);
  animation->setStartValue(from);
  animation->setEndValue(to);
  return animation;
}

} // namespace

void TkitAnimateWin::Changed() const {
  if (changed_) {
    changed_();
  }
}

bool TkitAnimateWin::NeedsDirection() const {
  return IsRollOrSlide(effect_) && horz_ == TkitAnimDirection::awdNone &&
         vert_ == TkitAnimDirection::awdNone;
}

void TkitAnimateWin::SetDuration(std::uint16_t value) {
  duration_ = value;
  Changed();
}

void TkitAnimateWin::SetEffect(TkitAnimEffect value) {
  effect_ = value;
  if (NeedsDirection()) {
    horz_ = TkitAnimDirection::awdPositive;
  }
  Changed();
}

void TkitAnimateWin::SetHorz(TkitAnimDirection value) {
  horz_ = value;
  if (NeedsDirection()) {
    effect_ = TkitAnimEffect::aweNone;
  }
  Changed();
}

void TkitAnimateWin::SetVert(TkitAnimDirection value) {
  vert_ = value;
  if (NeedsDirection()) {
    effect_ = TkitAnimEffect::aweNone;
  }
  Changed();
}

std::uint32_t TkitAnimateWin::AnimateFlags(TkitAnimMode mode) const {
  std::uint32_t flags = mode == TkitAnimMode::Hide ? aw::HIDE : 0;
  switch (effect_) {
  case TkitAnimEffect::aweNone:
  case TkitAnimEffect::aweRoll:
    break;
  case TkitAnimEffect::aweSlide:
    flags |= aw::SLIDE;
    break;
  case TkitAnimEffect::aweBlend:
    flags |= aw::BLEND;
    break;
  case TkitAnimEffect::aweCenter:
    flags |= aw::CENTER;
    break;
  }
  flags |= DirectionFlag(horz_, aw::HOR_POSITIVE, aw::HOR_NEGATIVE);
  flags |= DirectionFlag(vert_, aw::VER_POSITIVE, aw::VER_NEGATIVE);
  return flags;
}

bool TkitAnimateWin::PlayShow(QWidget* window) const {
  if (effect_ == TkitAnimEffect::aweNone || window == nullptr) {
    return false;
  }
  StopRunningAnimations(window);
  QPropertyAnimation* animation = nullptr;
  if (effect_ == TkitAnimEffect::aweBlend) {
    window->setWindowOpacity(0.0);
    animation = MakeAnimation(window, "windowOpacity", 0.0, 1.0, duration_);
  } else {
    const QRect full = window->geometry();
    const QRect start = CollapsedRect(full, effect_, horz_, vert_, TkitAnimMode::Show);
    window->setGeometry(start);
    animation = MakeAnimation(window, "geometry", start, full, duration_);
  }
  QObject::connect(animation, &QPropertyAnimation::finished, window,
                   [window] { window->update(); });
  animation->start(QAbstractAnimation::DeleteWhenStopped);
  return true;
}

bool TkitAnimateWin::PlayHide(QWidget* window) const {
  if (window == nullptr) {
    return false;
  }
  StopRunningAnimations(window);
  bool ran = false;
  if (effect_ != TkitAnimEffect::aweNone && window->isVisible()) {
    const QPointer<QWidget> guard(window);
    const QRect full = window->geometry();
    const double opacity = window->windowOpacity();
    QPropertyAnimation* animation =
        effect_ == TkitAnimEffect::aweBlend
            ? MakeAnimation(window, "windowOpacity", opacity, 0.0, duration_)
            : MakeAnimation(window, "geometry", full,
                            CollapsedRect(full, effect_, horz_, vert_, TkitAnimMode::Hide),
                            duration_);
    // The window has to stay until the animation is over, as the system
    // call blocks too.
    QEventLoop loop;
    QObject::connect(animation, &QPropertyAnimation::finished, &loop, &QEventLoop::quit);
    QObject::connect(animation, &QObject::destroyed, &loop, &QEventLoop::quit);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    loop.exec();
    if (guard.isNull()) {
      return true;
    }
    window->hide();
    window->setWindowOpacity(1.0);
    window->setGeometry(full);
    ran = true;
  }
  window->hide();
  return ran;
}

} // namespace fegolin
