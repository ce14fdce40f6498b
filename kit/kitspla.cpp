#include "kit/kitspla.h"

#include "kit/kitfspla.h"
#include "kit/kitshapf.h"
#include "kit/kittips.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QEventLoop>
#include <QtCore/QFileInfo>
#include <QtCore/QLoggingCategory>
#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtWidgets/QFrame>

#include <stdexcept>

namespace fegolin {
namespace {

Q_LOGGING_CATEGORY(lcSplash, "fegolin.splash", QtWarningMsg)

bool IsRollSlideOrCenter(TkitAnimEffect effect) {
  return effect == TkitAnimEffect::aweRoll || effect == TkitAnimEffect::aweSlide ||
         effect == TkitAnimEffect::aweCenter;
}

// Lower case for A to Z only, whatever the locale.
QString AsciiLower(const QString& text) {
  QString result = text;
  for (QChar& c : result) {
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
      c = QChar(c.unicode() + ('a' - 'A'));
    }
  }
  return result;
}

int ScreenDepth() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->depth() : 32;
}

QRect ScreenRect() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect();
}

// Runs the event loop until `window` has been destroyed.
void WaitUntilGone(TkitsfSplash* window) {
  if (window == nullptr) {
    return;
  }
  QEventLoop loop;
  QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
  loop.exec();
}

} // namespace

bool NoSplashRequested(const QStringList& arguments) {
  for (const QString& argument : arguments) {
    const QString lower = AsciiLower(argument);
    if (lower == QLatin1String("-ns") || lower == QLatin1String("/ns")) {
      return true;
    }
  }
  return false;
}

bool NoSplashRequested() {
  // The first entry is the program itself.
  return NoSplashRequested(QCoreApplication::arguments().mid(1));
}

TkitSplash::TkitSplash(QObject* owner)
    : QObject(owner), animateShow_([this] { AnimationChanged(); }),
      animateHide_([this] { AnimationChanged(); }) {}

TkitSplash::~TkitSplash() {
  if (autoShowOnDestroy_ && duration_ != 0 && !NoSplashRequested()) {
    try {
      ShowSplash();
      WaitUntilGone(window_);
    } catch (const std::runtime_error& e) {
      // A farewell splash that cannot be shown (no picture, or not a valid
      // one) is no reason to fail.
      qCWarning(lcSplash) << "no farewell splash:" << e.what();
    }
  }
  if (!window_.isNull()) {
    TkitsfSplash* window = window_;
    window_ = nullptr;
    window->OnShow = nullptr;
    window->OnHide = nullptr;
    delete window;
  }
}

void TkitSplash::SetShapeForm(bool value) {
  // Effects first: each effect change re-checks the shaping, which must not
  // see the other, not yet changed effect and switch shaping off again.
  if (value) {
    for (TkitAnimateWin* animation : {&animateShow_, &animateHide_}) {
      if (IsRollSlideOrCenter(animation->Effect())) {
        animation->SetEffect(TkitAnimEffect::aweBlend);
      }
    }
  }
  shapeForm_ = value;
}

void TkitSplash::AnimationChanged() {
  if (IsRollSlideOrCenter(animateShow_.Effect()) || IsRollSlideOrCenter(animateHide_.Effect())) {
    shapeForm_ = false;
  }
}

void TkitSplash::SetAutoShow(bool value) {
  autoShow_ = value;
  if (value && loading_ && !NoSplashRequested()) {
    ShowSplash();
  }
}

QString TkitSplash::LocalBmpPath() {
  const QFileInfo exe(QCoreApplication::applicationFilePath());
  return exe.absolutePath() + QLatin1Char('/') + exe.completeBaseName() + QLatin1String(".bmp");
}

QImage TkitSplash::ChoosePicture(int bitsPerPixel) const {
  if (bitsPerPixel < 9 && !pictureVGA_.isNull()) {
    return pictureVGA_;
  }
  return !picture_.isNull() ? picture_ : pictureVGA_;
}

void TkitSplash::ShowSplash() {
  if (picture_.isNull() && pictureVGA_.isNull()) {
    throw std::runtime_error("Picture required");
  }
  if (!window_.isNull()) {
    return;
  }
  // The local bitmap is read before any window exists, so a damaged file
  // ends here without leaving a half-made splash behind.
  QImage picture;
  if (allowLocalBmp_) {
    const QString localBmp = LocalBmpPath();
    if (QFileInfo::exists(localBmp)) {
      picture = QImage(localBmp, "BMP");
      if (picture.isNull()) {
        throw std::runtime_error("Bitmap image is not valid");
      }
    }
  }
  if (picture.isNull()) {
    picture = ChoosePicture(ScreenDepth());
  }

  QWidget* form = FormFactory().CreateForm(TkitsfSplash::staticMetaObject, this);
  auto* window = qobject_cast<TkitsfSplash*>(form);
  if (window == nullptr) {
    delete form;
    return;
  }
  window_ = window;
  window->OnShow = [this] { SplashShown(); };
  window->OnHide = [this] { SplashHidden(); };

  window->SetStayOnTop(stayOnTop_);
  window->SetCloseInterval(duration_);
  window->CloseOnClick = hideOnClick_;
  window->SetBevelWidth(bevelWidth_);
  window->SetPicture(picture);

  if (shapeForm_) {
    window->kitShapeForm1->SetTolerance(shapeTolerance_);
    window->kitShapeForm1->SetPicture(picture);
    window->kitShapeForm1->show();
  } else {
    window->pnlSplash->show();
  }

  // In points: a picture for a high-density screen carries more pixels.
  const QSize size = picture.deviceIndependentSize().toSize();
  const int width = size.width() + 2 * bevelWidth_;
  const int height = size.height() + 2 * bevelWidth_;
  const QRect screen = ScreenRect();
  window->setGeometry(screen.x() + (screen.width() - width) / 2,
                      screen.y() + (screen.height() - height) / 2, width, height);

  if (showModal_) {
    if (duration_ == 0) {
      window->SetCloseInterval(kModalFallbackInterval);
    }
    const QPointer<TkitSplash> self(this);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    WaitUntilGone(window_);
    if (self.isNull()) {
      return;
    }
  } else {
    window->show();
  }
  QCoreApplication::processEvents();
}

TkitsfSplash* TkitSplash::SplashWindow() const {
  return window_;
}

void TkitSplash::HideSplash() {
  if (!window_.isNull()) {
    window_->close();
  }
}

void TkitSplash::SplashShown() {
  animateShow_.PlayShow(window_);
  if (onShow_) {
    onShow_(*this);
  }
}

void TkitSplash::SplashHidden() {
  animateHide_.PlayHide(window_);
  if (onHide_) {
    onHide_(*this);
  }
  window_ = nullptr;
}

} // namespace fegolin
