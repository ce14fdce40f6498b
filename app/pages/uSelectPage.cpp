#include "app/pages/uSelectPage.h"

#include "kit/kitlist.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace fegolin {
namespace {

// A flat button the keyboard reaches with Tab (a click leaves the focus in
// the list) and presses with Space or Enter, as it does a push button.
class TcFlatButton final : public QToolButton {
public:
  using QToolButton::QToolButton;

protected:
  void keyPressEvent(QKeyEvent* event) override {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
      click();
      return;
    }
    QToolButton::keyPressEvent(event);
  }
};

QToolButton* FlatButton(const char* name, QSize size) {
  auto* button = new TcFlatButton;
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::TabFocus);
  button->setFixedSize(size);
  button->setIconSize(QSize(16, 16));
  return button;
}

} // namespace

TcSelectPage::TcSelectPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabSelect"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);

  grpDirectories = new QGroupBox(this);
  auto* group = new QVBoxLayout(grpDirectories);
  group->setContentsMargins(5, 5, 5, 5);
  group->setSpacing(5);

  auto* tools = new QWidget(grpDirectories);
  tools->setFixedHeight(34);
  auto* row = new QHBoxLayout(tools);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  btnAddDirToList = FlatButton("btnAddDirToList", QSize(259, 22));
  btnAddDirToList->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  SpeedButton1 = FlatButton("SpeedButton1", QSize(23, 22));
  SpeedButton2 = FlatButton("SpeedButton2", QSize(23, 22));
  SpeedButton3 = FlatButton("SpeedButton3", QSize(23, 22));
  SpeedButton3->setText(QStringLiteral(" "));
  SpeedButton4 = FlatButton("SpeedButton4", QSize(23, 22));
  btnApplyDir = new QPushButton;
  btnApplyDir->setObjectName(QStringLiteral("btnApplyDir"));
  btnApplyDir->setAutoDefault(true);
  btnApplyDir->setEnabled(false);
  for (QWidget* w : {static_cast<QWidget*>(btnAddDirToList), static_cast<QWidget*>(SpeedButton1),
                     static_cast<QWidget*>(SpeedButton2), static_cast<QWidget*>(SpeedButton3),
                     static_cast<QWidget*>(SpeedButton4)}) {
    row->addWidget(w);
  }
  row->addStretch(1);
  row->addWidget(btnApplyDir);
  group->addWidget(tools);

  cbxKitDirectoryList = new TkitCheckListBox(grpDirectories);
  cbxKitDirectoryList->setObjectName(QStringLiteral("cbxKitDirectoryList"));
  cbxKitDirectoryList->SetExpandTabs(true);
  // Names and folders in two columns, whatever their lengths.
  cbxKitDirectoryList->SetTabColumns(true);
  cbxKitDirectoryList->SetGlyphStyle(TkitCheckStyle::csTick3D);
  // The space bar ticks the current entry, as a click on its glyph does.
  cbxKitDirectoryList->SetOptions(TCheckOption::chClickGlyph | TCheckOption::chSpaceKey |
                                  TCheckOption::chMultiSelect);
  cbxKitDirectoryList->SetScrollWidth(0);
  cbxKitDirectoryList->SetSorted(true);
  cbxKitDirectoryList->SetItemHeight(16);
  cbxKitDirectoryList->SetColor(cbxKitDirectoryList->palette().color(QPalette::Button));
  cbxKitDirectoryList->setContextMenuPolicy(Qt::CustomContextMenu);
  group->addWidget(cbxKitDirectoryList, 1);

  page->addWidget(grpDirectories);
  RetranslateUi();
}

void TcSelectPage::RetranslateUi() {
  grpDirectories->setTitle(tr("Reinige folgende Verzeichnisse"));
  SpeedButton3->setToolTip(tr("Alle Verzeichnisse aus Liste entfernen"));
  btnApplyDir->setText(tr("&Speichern"));
  btnApplyDir->setToolTip(tr("Änderungen speichern"));
}

void TcSelectPage::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
  }
  QWidget::changeEvent(event);
}

void TcSelectPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window coming back from the task bar shows its pages again without
  // the page having changed.
  if (!event->spontaneous()) {
    emit Shown();
  }
}

} // namespace fegolin
