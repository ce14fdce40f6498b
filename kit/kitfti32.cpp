#include "kit/kitfti32.h"

#include "kit/kitctl32.h"
#include "kit/kittips.h"

#include <QtGui/QCloseEvent>
#include <QtGui/QGuiApplication>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>
#include <QtGui/QScreen>
#include <QtWidgets/QFrame>
#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>

#include <algorithm>
#include <stdexcept>

namespace fegolin {
namespace {

const QColor kTipBackground(255, 255, 231);

[[maybe_unused]] const bool kRegistered = [] {
  FormFactory().RegisterForm(FormClassOf<TkitsfTip>());
  return true;
}();

TkitCustomWelcomeTips* RequireTipsOwner(QObject* owner) {
  auto* tips = qobject_cast<TkitCustomWelcomeTips*>(owner);
  if (tips == nullptr) {
    throw std::runtime_error("This component must be owned by TkitCustomWelcomeTips");
  }
  return tips;
}

// The light bulb beside the "Did you know" heading.
QPixmap LightBulb() {
  QPixmap pixmap(32, 38);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(120, 100, 20), 1.5));
  painter.setBrush(QColor(255, 236, 120));
  QPainterPath glass;
  glass.addEllipse(QRectF(5, 1, 22, 22));
  glass.addRect(QRectF(11, 18, 10, 9));
  painter.drawPath(glass.simplified());
  painter.setBrush(QColor(170, 170, 170));
  painter.setPen(QPen(QColor(90, 90, 90), 1));
  for (int i = 0; i < 3; ++i) {
    painter.drawRect(QRectF(10.5, 27.5 + 3 * i, 11, 3));
  }
  painter.setBrush(QColor(90, 90, 90));
  painter.drawRect(QRectF(13.5, 36, 5, 1.5));
  painter.setPen(QPen(QColor(200, 150, 20), 1));
  painter.drawLine(QPointF(13, 18), QPointF(16, 10));
  painter.drawLine(QPointF(16, 10), QPointF(19, 18));
  return pixmap;
}

QPushButton* MakeButton(const QString& caption, QWidget* panel, int left, int top) {
  auto* button = new QPushButton(caption, panel);
  button->setGeometry(left, top, 113, 23);
  return button;
}

} // namespace

TkitsfTip::TkitsfTip(QObject* owner) : QDialog(nullptr), owner_(RequireTipsOwner(owner)) {
  BuildLayout();
  chkShowNext->setChecked(owner_->GetShowOnStartup());
  btnNextClick();
}

TkitsfTip::~TkitsfTip() {
  if (owner_ != nullptr) {
    owner_->TipWindowClosed(this);
  }
}

void TkitsfTip::BuildLayout() {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  QFont formFont(QStringLiteral("MS Sans Serif"));
  formFont.setPixelSize(11);
  setFont(formFont);

  pnlTop = new QWidget(this);
  pnlCenter = new QWidget(this);
  pnlBottom = new QWidget(this);
  pnlProgress = new QWidget(this);

  lblGreeting = new TkitMultilineLabel(pnlTop);
  // Serif faces with the line height the layout was drawn for: Times New
  // Roman where it exists; elsewhere fontconfig's Times stand-in has a much
  // deeper descent and would push the tip area down.
  QFont greetingFont;
  greetingFont.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                            QStringLiteral("DejaVu Serif")});
  greetingFont.setPixelSize(24);
  greetingFont.setBold(true);
  lblGreeting->setFont(greetingFont);
  lblGreeting->move(16, 10);

  Shape1 = new QFrame(pnlCenter);
  Shape1->setGeometry(13, 6, 329, 155);
  Shape1->setAutoFillBackground(true);
  QPalette tipPalette = Shape1->palette();
  tipPalette.setColor(QPalette::Window, kTipBackground);
  Shape1->setPalette(tipPalette);
  Bevel1 = new QFrame(pnlCenter);
  Bevel1->setGeometry(13, 6, 329, 155);
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  Image1 = new QLabel(pnlCenter);
  Image1->setGeometry(26, 24, 32, 38);
  Image1->setPixmap(LightBulb());

  lblDidYouKnow = new QLabel(pnlCenter);
  QFont headingFont = font();
  headingFont.setBold(true);
  lblDidYouKnow->setFont(headingFont);
  lblDidYouKnow->move(74, 33);

  lblTip = new QLabel(pnlCenter);
  lblTip->setGeometry(74, 64, 249, 81);
  lblTip->setWordWrap(true);
  lblTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblTip->setAutoFillBackground(true);
  lblTip->setPalette(tipPalette);

  btnNext = MakeButton(QStringLiteral("Next &Tip"), pnlCenter, 356, 6);
  btnHelp = MakeButton(QStringLiteral("&Help Contents"), pnlCenter, 356, 34);
  btnWhatsNew = MakeButton(QStringLiteral("What's &New"), pnlCenter, 356, 62);
  Bevel2 = new QFrame(pnlCenter);
  Bevel2->setGeometry(356, 160, 113, 2); // a line along the top of its 9-pixel box
  Bevel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);

  btnClose = MakeButton(QStringLiteral("Close"), pnlBottom, 356, 2);
  btnClose->setDefault(true);
  chkShowNext = new TkitCheckBox(pnlBottom);
  chkShowNext->setGeometry(14, 4, 327, 32);
  chkShowNext->setChecked(true);

  ProgressBar = new QProgressBar(pnlProgress);
  ProgressBar->setGeometry(14, 8, 454, 16);
  ProgressBar->setRange(0, 100);
  ProgressBar->setTextVisible(false);
  lblProgress = new QLabel(pnlProgress);
  lblProgress->move(14, 33);

  connect(btnNext, &QPushButton::clicked, this, &TkitsfTip::btnNextClick);
  connect(chkShowNext, &QCheckBox::clicked, this, &TkitsfTip::chkShowNextClick);
  connect(btnHelp, &QPushButton::clicked, this, &TkitsfTip::btnHelpClick);
  connect(btnWhatsNew, &QPushButton::clicked, this, &TkitsfTip::btnWhatsNewClick);
  connect(btnClose, &QPushButton::clicked, this, &TkitsfTip::btnCloseClick);

  AdjustLayout();
}

void TkitsfTip::SetGreeting(const QStringList& lines) {
  lblGreeting->SetLines(lines);
}

void TkitsfTip::SetHelpContexts(int contents, int whatsNew) {
  helpContents_ = contents;
  helpWhatsNew_ = whatsNew;
}

void TkitsfTip::SetStayOnTop(bool onTop) {
  setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

void TkitsfTip::AdjustLayout() {
  const int topHeight = std::max(lblGreeting->y() + lblGreeting->height() + 2, kMinTopHeight);
  const int bottomHeight = std::max(chkShowNext->y() + chkShowNext->height() + 2, kMinBottomHeight);
  const bool progressShown = !pnlProgress->isHidden();
  const int clientHeight =
      topHeight + kCenterHeight + bottomHeight + (progressShown ? kProgressHeight : 0);

  pnlTop->setGeometry(0, 0, kClientWidth, topHeight);
  pnlCenter->setGeometry(0, topHeight, kClientWidth, kCenterHeight);
  const int progressTop = clientHeight - (progressShown ? kProgressHeight : 0);
  pnlBottom->setGeometry(0, progressTop - bottomHeight, kClientWidth, bottomHeight);
  pnlProgress->setGeometry(0, progressTop, kClientWidth, kProgressHeight);
  setFixedSize(kClientWidth, clientHeight);
}

void TkitsfTip::btnNextClick() {
  if (owner_ != nullptr) {
    lblTip->setText(owner_->GetNextTip());
  }
}

void TkitsfTip::chkShowNextClick() {
  if (owner_ != nullptr) {
    owner_->SetShowOnStartup(chkShowNext->isChecked());
  }
}

void TkitsfTip::btnHelpClick() {
  if (owner_ != nullptr) {
    emit owner_->HelpRequested(helpContents_);
  }
}

void TkitsfTip::btnWhatsNewClick() {
  if (owner_ != nullptr) {
    emit owner_->HelpRequested(helpWhatsNew_);
  }
}

void TkitsfTip::btnCloseClick() {
  close();
}

void TkitsfTip::reject() {
  close();
}

void TkitsfTip::showEvent(QShowEvent* event) {
  AdjustLayout();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
  QDialog::showEvent(event);
}

void TkitsfTip::closeEvent(QCloseEvent* event) {
  // A closed tip window is done with: free it, and end a modal run as cancelled.
  setAttribute(Qt::WA_DeleteOnClose);
  setResult(QDialog::Rejected);
  event->accept();
}

} // namespace fegolin
