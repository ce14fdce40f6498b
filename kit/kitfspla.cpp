#include "kit/kitfspla.h"

#include "kit/kitshapf.h"
#include "kit/kittips.h"

#include <QtCore/QPointer>
#include <QtGui/QCloseEvent>
#include <QtGui/QMouseEvent>
#include <QtGui/QPixmap>
#include <QtWidgets/QFrame>
#include <QtWidgets/QLabel>

namespace fegolin {
namespace {

[[maybe_unused]] const bool kRegistered = [] {
  FormFactory().RegisterForm(FormClassOf<TkitsfSplash>());
  return true;
}();

} // namespace

TkitsfSplash::TkitsfSplash(QObject* owner) : QWidget(nullptr), owner_(owner) {
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

  pnlSplash = new QFrame(this);
  pnlSplash->setFrameStyle(QFrame::Panel | QFrame::Raised);
  pnlSplash->hide();
  imgSplash = new QLabel(pnlSplash);
  // Clicks reach the window, which decides whether they close it.
  imgSplash->setAttribute(Qt::WA_TransparentForMouseEvents);

  kitShapeForm1 = new TkitShapeForm(this);
  kitShapeForm1->hide();
  kitShapeForm1->SetOnClick([this] { kitShapeForm1Click(); });

  tmrClose.setInterval(kDesignInterval);
  connect(&tmrClose, &QTimer::timeout, this, &TkitsfSplash::tmrCloseTimer);
  UpdateCloseTimer();
}

TkitsfSplash::~TkitsfSplash() {
  OnShow = nullptr;
  OnHide = nullptr;
}

void TkitsfSplash::UpdateCloseTimer() {
  if (closeTimerEnabled_ && tmrClose.interval() > 0) {
    tmrClose.start();
  } else {
    tmrClose.stop();
  }
}

void TkitsfSplash::SetCloseInterval(int milliseconds) {
  tmrClose.setInterval(milliseconds);
  UpdateCloseTimer();
}

void TkitsfSplash::SetStayOnTop(bool onTop) {
  setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

void TkitsfSplash::SetBevelWidth(int width) {
  pnlSplash->setLineWidth(width);
  PlacePicture();
}

void TkitsfSplash::SetPicture(const QImage& picture) {
  picture_ = picture;
  imgSplash->setPixmap(QPixmap::fromImage(picture));
  PlacePicture();
}

QImage TkitsfSplash::Picture() const {
  return picture_;
}

void TkitsfSplash::PlacePicture() {
  pnlSplash->setGeometry(rect());
  const int bevel = pnlSplash->lineWidth();
  imgSplash->setGeometry(pnlSplash->rect().adjusted(bevel, bevel, -bevel, -bevel));
}

void TkitsfSplash::resizeEvent(QResizeEvent* event) {
  PlacePicture();
  QWidget::resizeEvent(event);
}

void TkitsfSplash::tmrCloseTimer() {
  close();
}

// The timer counts once the window is up; with no interval it stays off
// and the window waits for a click or the program.
void TkitsfSplash::FormActivate() {
  closeTimerEnabled_ = tmrClose.interval() != 0;
  UpdateCloseTimer();
}

void TkitsfSplash::imgSplashClick() {
  if (CloseOnClick) {
    close();
  }
}

void TkitsfSplash::kitShapeForm1Click() {
  if (CloseOnClick) {
    close();
  }
}

void TkitsfSplash::mousePressEvent(QMouseEvent* event) {
  // The whole window acts as its caption: a press never reaches a control,
  // it only closes the window when that is allowed (and never moves it).
  event->accept();
  imgSplashClick();
}

void TkitsfSplash::setVisible(bool visible) {
  if (visible == isVisible() || hiding_) {
    QWidget::setVisible(visible);
    return;
  }
  if (visible) {
    if (OnShow) {
      OnShow();
    }
    QWidget::setVisible(true);
    return;
  }
  const QPointer<TkitsfSplash> self(this);
  hiding_ = true;
  tmrClose.stop();
  if (OnHide) {
    OnHide();
  }
  if (self.isNull()) {
    return;
  }
  QWidget::setVisible(false);
  hiding_ = false;
}

void TkitsfSplash::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormActivate();
}

void TkitsfSplash::closeEvent(QCloseEvent* event) {
  setAttribute(Qt::WA_DeleteOnClose);
  event->accept();
}

} // namespace fegolin
