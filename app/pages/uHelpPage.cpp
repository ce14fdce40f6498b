#include "app/pages/uHelpPage.h"

#include "app/pages/uHelpTexts.h"
#include "app/pages/uPageFonts.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace fegolin {
namespace {

QPlainTextEdit* HelpMemo(const char* name, QWidget* parent) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setFont(PixelFont(QStringLiteral("Courier New"), 12, QFont::TypeWriter));
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  auto* layout = new QVBoxLayout(parent);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(memo);
  return memo;
}

} // namespace

TcHelpPage::TcHelpPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabHelp"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->tabBar()->setAttribute(Qt::WA_Hover);

  tabHelpDisclaimer = new QWidget;
  tabHelpDisclaimer->setObjectName(QStringLiteral("tabHelpDisclaimer"));
  Memo1 = HelpMemo("Memo1", tabHelpDisclaimer);
  Memo1->setReadOnly(true);
  PageControl1->addTab(tabHelpDisclaimer, QString());

  tabHelpHelp = new QWidget;
  tabHelpHelp->setObjectName(QStringLiteral("tabHelpHelp"));
  Memo3 = HelpMemo("Memo3", tabHelpHelp);
  Memo3->setTabChangesFocus(false);
  PageControl1->addTab(tabHelpHelp, QString());

  page->addWidget(PageControl1);
  RetranslateUi();
}

void TcHelpPage::RetranslateUi() {
  PageControl1->setTabText(PageControl1->indexOf(tabHelpDisclaimer), tr("Verwendungshinweis"));
  PageControl1->setTabText(PageControl1->indexOf(tabHelpHelp), tr("Hilfe"));
  // The reader's marks in the help go with the old text.
  Memo1->setPlainText(UsageNoticeText());
  Memo3->setPlainText(HelpText());
}

void TcHelpPage::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
  }
  QWidget::changeEvent(event);
}

} // namespace fegolin
