#include "app/pages/uOptionsPage.h"

#include "app/pages/uRadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

namespace fegolin {
namespace {

QCheckBox* AddCheckBox(QVBoxLayout* layout, const char* name) {
  auto* box = new QCheckBox;
  box->setObjectName(QString::fromLatin1(name));
  layout->addWidget(box);
  return box;
}

QPushButton* OptionButton(const char* name) {
  auto* button = new QPushButton;
  button->setObjectName(QString::fromLatin1(name));
  button->setFixedSize(85, 25);
  button->setAutoDefault(true);
  return button;
}

} // namespace

TcOptionsPage::TcOptionsPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tabOptions"));
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);

  grpInterval = new QGroupBox(this);
  grpInterval->setFixedHeight(65);
  auto* interval = new QHBoxLayout(grpInterval);
  Label2 = new QLabel;
  Label2->setObjectName(QStringLiteral("Label2"));
  edtIntervalValue = new QSpinBox;
  edtIntervalValue->setObjectName(QStringLiteral("edtIntervalValue"));
  edtIntervalValue->setRange(kIntervalValueMin, kIntervalValueMax);
  edtIntervalValue->setValue(kIntervalValueMin);
  cbxInterval = new QComboBox;
  cbxInterval->setObjectName(QStringLiteral("cbxInterval"));
  cbxInterval->setEditable(false);
  cbxInterval->addItems(
      {QStringLiteral("Seconds"), QStringLiteral("Minutes"), QStringLiteral("Hours")});
  cbxInterval->setMinimumContentsLength(10);
  interval->addWidget(Label2);
  interval->addWidget(edtIntervalValue);
  interval->addWidget(cbxInterval);
  interval->addStretch(1);
  // The language beside the interval, where the row has room to spare: in
  // the general group it would fall below the bottom of the window at its
  // smallest size.
  grpLanguage = new TcRadioGroup({}, QStringList(2, QString()), 2);
  grpLanguage->setObjectName(QStringLiteral("grpLanguage"));
  grpLanguage->setFixedHeight(65);
  auto* top = new QHBoxLayout;
  top->addWidget(grpInterval, 1);
  top->addWidget(grpLanguage);
  page->addLayout(top);

  grpGeneral = new QGroupBox(this);
  auto* general = new QVBoxLayout(grpGeneral);
  cbxAutoStart = AddCheckBox(general, "cbxAutoStart");
  cbxOptionWindowSize = AddCheckBox(general, "cbxOptionWindowSize");
  cbxOptionSplash = AddCheckBox(general, "cbxOptionSplash");
  cbxOptionTipps = AddCheckBox(general, "cbxOptionTipps");
  cbxOptionTipps->setVisible(false);
  general->addStretch(1);
  auto* buttons = new QHBoxLayout;
  btnAdvanced = OptionButton("btnAdvanced");
  btnDefaults = OptionButton("btnDefaults");
  btnApply = OptionButton("btnApply");
  buttons->addWidget(btnAdvanced);
  buttons->addStretch(1);
  buttons->addWidget(btnDefaults);
  buttons->addWidget(btnApply);
  general->addLayout(buttons);
  page->addWidget(grpGeneral, 1);
  RetranslateUi();
}

void TcOptionsPage::RetranslateUi() {
  grpInterval->setTitle(tr("Reinigungs Intervall"));
  Label2->setText(tr("Alle"));
  edtIntervalValue->setToolTip(tr("Intervall wählen"));
  cbxInterval->setToolTip(tr("Einheit des Intervalls wählen"));
  grpLanguage->setTitle(tr("Sprache"));
  grpLanguage->SetItemTexts({tr("Deutsch"), tr("Englisch")});
  grpGeneral->setTitle(tr("Generelle Optionen"));
  cbxAutoStart->setText(tr("Starten von Fegolin beim Windowsstart"));
  cbxOptionWindowSize->setText(tr("Fenstergrösse speichern"));
  cbxOptionSplash->setText(tr("Splash-Screen beim Starten anzeigen"));
  cbxOptionTipps->setText(tr("Tipps beim Starten anzeigen"));
  btnAdvanced->setText(tr("E&rweitert…"));
  btnAdvanced->setToolTip(tr("Mindestalter und Muster, die immer bleiben"));
}

void TcOptionsPage::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
  }
  QWidget::changeEvent(event);
}

void TcOptionsPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window coming back from the task bar shows its pages again without
  // the page having changed.
  if (!event->spontaneous()) {
    emit Shown();
  }
}

} // namespace fegolin
