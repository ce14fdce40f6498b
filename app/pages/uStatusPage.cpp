#include "app/pages/uStatusPage.h"

#include "app/pages/uPageFonts.h"
#include "app/uDeleteAnimation.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace fegolin {
namespace {

QLabel* AddRow(QGridLayout* grid, int row, QLabel* fixed, const char* valueName,
               const QString& initial) {
  auto* value = new QLabel(initial);
  value->setObjectName(QString::fromLatin1(valueName));
  grid->addWidget(fixed, row, 0);
  grid->addWidget(value, row, 1);
  return value;
}

} // namespace

TcStatusPage::TcStatusPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabStatus"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->setSpacing(0);

  pnlProgressInfo = new QFrame(this);
  pnlProgressInfo->setObjectName(QStringLiteral("pnlProgressInfo"));
  pnlProgressInfo->setFixedHeight(36);
  auto* progress = new QHBoxLayout(pnlProgressInfo);
  progress->setContentsMargins(12, 0, 12, 0);
  lblAction = new QLabel(QStringLiteral("Untätig..."), pnlProgressInfo);
  lblAction->setObjectName(QStringLiteral("lblAction"));
  lblAction->setFont(PixelFont(QStringLiteral("Arial"), 27, QFont::SansSerif));
  progress->addWidget(lblAction);
  page->addWidget(pnlProgressInfo);

  auto* times = new QGridLayout;
  times->setContentsMargins(12, 12, 12, 12);
  times->setHorizontalSpacing(8);
  times->setVerticalSpacing(6);
  for (QLabel*& caption : captions_) {
    caption = new QLabel;
  }
  lblLastRun = AddRow(times, 0, captions_[0], "lblLastRun", QStringLiteral("n/a"));
  lblNextRun = AddRow(times, 1, captions_[1], "lblNextRun", QStringLiteral(" "));
  lblDuration = AddRow(times, 2, captions_[2], "lblDuration", QStringLiteral("n/a"));
  lblTime = AddRow(times, 3, captions_[3], "lblTime", QStringLiteral(" "));
  // What the last run did, beside the times: below them there is no room
  // left at the window's smallest size.
  // The main window says what the last run did, in the language in force.
  lblOutcome = new QLabel;
  lblOutcome->setObjectName(QStringLiteral("lblOutcome"));
  lblOutcome->setWordWrap(true);
  lblOutcome->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  times->addWidget(lblOutcome, 0, 2, 4, 1);
  times->setColumnStretch(1, 1);
  times->setColumnStretch(2, 1);
  page->addLayout(times);
  page->addStretch(1);

  Panel9 = new QFrame(this);
  Panel9->setObjectName(QStringLiteral("Panel9"));
  Panel9->setFixedHeight(97);
  auto* animation = new QHBoxLayout(Panel9);
  animation->setContentsMargins(10, 10, 10, 10);
  aniProgress = new TcDeleteAnimation(Panel9);
  animation->addWidget(aniProgress);
  animation->addStretch(1);
  page->addWidget(Panel9);
  RetranslateUi();
}

void TcStatusPage::RetranslateUi() {
  captions_[0]->setText(tr("Letzter Lauf: "));
  captions_[1]->setText(tr("Nächster Lauf: "));
  captions_[2]->setText(tr("Dauer: "));
  captions_[3]->setText(tr("Zeit: "));
}

void TcStatusPage::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
  }
  QWidget::changeEvent(event);
}

} // namespace fegolin
