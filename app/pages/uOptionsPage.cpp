#include "app/pages/uOptionsPage.h"

#include "app/pages/uRadioGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

namespace fegolin {
namespace {

QCheckBox* AddCheckBox(QVBoxLayout* layout, const char* name, const QString& caption) {
  auto* box = new QCheckBox(caption);
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

  grpInterval = new QGroupBox(QStringLiteral("Reinigungs Intervall"), this);
  grpInterval->setFixedHeight(65);
  auto* interval = new QHBoxLayout(grpInterval);
  Label2 = new QLabel(QStringLiteral("Alle"));
  Label2->setObjectName(QStringLiteral("Label2"));
  edtIntervalValue = new QSpinBox;
  edtIntervalValue->setObjectName(QStringLiteral("edtIntervalValue"));
  edtIntervalValue->setRange(1, 99);
  edtIntervalValue->setValue(1);
  edtIntervalValue->setToolTip(QStringLiteral("Select Interval Value"));
  cbxInterval = new QComboBox;
  cbxInterval->setObjectName(QStringLiteral("cbxInterval"));
  cbxInterval->setEditable(false);
  cbxInterval->setToolTip(QStringLiteral("Select Interval "));
  cbxInterval->addItems({QStringLiteral("Seconds"), QStringLiteral("Minutes"), QStringLiteral("Hours")});
  cbxInterval->setMinimumContentsLength(10);
  interval->addWidget(Label2);
  interval->addWidget(edtIntervalValue);
  interval->addWidget(cbxInterval);
  interval->addStretch(1);
  // The language beside the interval, where the row has room to spare: in
  // the general group it would fall below the bottom of the window at its
  // smallest size.
  grpLanguage = new TcRadioGroup(QStringLiteral("Language "),
                                 {QStringLiteral("German"), QStringLiteral("English")}, 2);
  grpLanguage->setObjectName(QStringLiteral("grpLanguage"));
  grpLanguage->setFixedHeight(65);
  auto* top = new QHBoxLayout;
  top->addWidget(grpInterval, 1);
  top->addWidget(grpLanguage);
  page->addLayout(top);

  grpGeneral = new QGroupBox(QStringLiteral("Generelle Optionen"), this);
  auto* general = new QVBoxLayout(grpGeneral);
  cbxAutoStart = AddCheckBox(general, "cbxAutoStart", QStringLiteral("Starten von Fegolin beim Windowsstart"));
  cbxOptionWindowSize = AddCheckBox(general, "cbxOptionWindowSize", QStringLiteral("Fenstergrösse speichern"));
  cbxOptionSplash = AddCheckBox(general, "cbxOptionSplash", QStringLiteral("Splash-Screen beim Starten anzeigen"));
  cbxOptionTipps = AddCheckBox(general, "cbxOptionTipps", QStringLiteral("Show Tip's on Startup"));
  cbxOptionTipps->setVisible(false);
  general->addStretch(1);
  auto* buttons = new QHBoxLayout;
  btnAdvanced = OptionButton("btnAdvanced");
  btnAdvanced->setText(QStringLiteral("E&rweitert…"));
  btnAdvanced->setToolTip(QStringLiteral("Mindestalter und Muster, die immer bleiben"));
  btnDefaults = OptionButton("btnDefaults");
  btnApply = OptionButton("btnApply");
  buttons->addWidget(btnAdvanced);
  buttons->addStretch(1);
  buttons->addWidget(btnDefaults);
  buttons->addWidget(btnApply);
  general->addLayout(buttons);
  page->addWidget(grpGeneral, 1);
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
