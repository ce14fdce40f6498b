#include "app/ufrmAdvanced.h"

#include "app/uLog.h"
#include "common/uCommon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace fegolin {
namespace {

// Where a run with the age rule newly switched on starts: a day.
constexpr int kSuggestedAgeHours = 24;

QLabel* NoteLabel() {
  auto* label = new QLabel;
  label->setWordWrap(true);
  return label;
}

QString PatternLines(const std::vector<std::string>& patterns) {
  QStringList lines;
  for (const std::string& pattern : patterns) {
    lines << QString::fromStdString(pattern);
  }
  return lines.join(QLatin1Char('\n'));
}

// Why `pattern` cannot be kept as the user meant it, or nothing. The
// stored form separates patterns by ';', and a pattern is matched against
// names alone: one with a separator in it would silently keep nothing.
std::optional<QString> PatternFault(const QString& pattern) {
  if (pattern.contains(QLatin1Char(';'))) {
    return TfrmAdvanced::tr("Ein Muster darf kein „;“ enthalten: „%1“").arg(pattern);
  }
  if (pattern.contains(QLatin1Char('/')) || pattern.contains(QLatin1Char(PathSeparator()))) {
    return TfrmAdvanced::tr("Muster gelten für Namen, nicht für Pfade: „%1“").arg(pattern);
  }
  return std::nullopt;
}

} // namespace

TfrmAdvanced::TfrmAdvanced(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAdvanced"));
  auto* form = new QVBoxLayout(this);

  grpAge = new QGroupBox(this);
  auto* age = new QVBoxLayout(grpAge);
  auto* ageRow = new QHBoxLayout;
  cbxMinimumAge = new QCheckBox;
  cbxMinimumAge->setObjectName(QStringLiteral("cbxMinimumAge"));
  edtMinimumAge = new QSpinBox;
  edtMinimumAge->setObjectName(QStringLiteral("edtMinimumAge"));
  edtMinimumAge->setRange(1, kMaxMinimumAge);
  cbxAgeUnit = new QComboBox;
  cbxAgeUnit->setObjectName(QStringLiteral("cbxAgeUnit"));
  cbxAgeUnit->addItems(QStringList(2, QString()));
  ageRow->addWidget(cbxMinimumAge);
  ageRow->addWidget(edtMinimumAge);
  ageRow->addWidget(cbxAgeUnit);
  ageRow->addStretch(1);
  age->addLayout(ageRow);
  lblAgeNote_ = NoteLabel();
  age->addWidget(lblAgeNote_);
  form->addWidget(grpAge);
  connect(cbxMinimumAge, &QCheckBox::toggled, edtMinimumAge, &QWidget::setEnabled);
  connect(cbxMinimumAge, &QCheckBox::toggled, cbxAgeUnit, &QWidget::setEnabled);

  grpPatterns = new QGroupBox(this);
  auto* patterns = new QVBoxLayout(grpPatterns);
  lblPatternsNote_ = NoteLabel();
  patterns->addWidget(lblPatternsNote_);
  edtPatterns = new QPlainTextEdit;
  edtPatterns->setObjectName(QStringLiteral("edtPatterns"));
  edtPatterns->setTabChangesFocus(true);
  edtPatterns->setLineWrapMode(QPlainTextEdit::NoWrap);
  patterns->addWidget(edtPatterns, 1);
  auto* patternButtons = new QHBoxLayout;
  btnDefaultPatterns = new QPushButton;
  btnDefaultPatterns->setObjectName(QStringLiteral("btnDefaultPatterns"));
  btnDefaultPatterns->setAutoDefault(false);
  patternButtons->addWidget(btnDefaultPatterns);
  patternButtons->addStretch(1);
  patterns->addLayout(patternButtons);
  form->addWidget(grpPatterns, 1);
  connect(btnDefaultPatterns, &QPushButton::clicked, this,
          [this] { edtPatterns->setPlainText(PatternLines(DefaultKeepPatterns())); });

  lblError = new QLabel;
  lblError->setObjectName(QStringLiteral("lblError"));
  lblError->setWordWrap(true);
  lblError->setStyleSheet(QStringLiteral("color: #b00000;"));
  lblError->hide();
  form->addWidget(lblError);

  btnsDialog = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  btnOk = btnsDialog->button(QDialogButtonBox::Ok);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnCancel = btnsDialog->button(QDialogButtonBox::Cancel);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  form->addWidget(btnsDialog);
  connect(btnsDialog, &QDialogButtonBox::accepted, this, &TfrmAdvanced::accept);
  connect(btnsDialog, &QDialogButtonBox::rejected, this, &TfrmAdvanced::reject);

  resize(440, 470);
  RetranslateUi();
  ShowRules(ReadCleanRules());
}

void TfrmAdvanced::RetranslateUi() {
  setWindowTitle(tr("Erweiterte Optionen"));
  grpAge->setTitle(tr("Mindestalter"));
  cbxMinimumAge->setText(tr("&Nur Einträge löschen, die älter sind als"));
  cbxAgeUnit->setItemText(0, tr("Stunden"));
  cbxAgeUnit->setItemText(1, tr("Tage"));
  lblAgeNote_->setText(tr("Alt ist ein Eintrag, der so lange weder geändert noch gelesen wurde. "
                          "Ein Verzeichnis geht erst, wenn es leer geworden und selbst alt ist."));
  grpPatterns->setTitle(tr("Immer behalten"));
  lblPatternsNote_->setText(
      tr("Einträge, deren Name zu einem Muster passt, bleiben in jeder Tiefe, "
         "mit allem, was sie enthalten. Ein Muster pro Zeile: * steht für "
         "beliebig viele Zeichen, ? für eines, [abc] für eines der Zeichen."));
  btnDefaultPatterns->setText(tr("&Vorgabe"));
  btnDefaultPatterns->setToolTip(tr("Die vorgegebenen Muster wieder einsetzen"));
  btnOk->setText(tr("OK"));
  btnCancel->setText(tr("Abbrechen"));
}

void TfrmAdvanced::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
  }
  QDialog::changeEvent(event);
}

void TfrmAdvanced::ShowRules(const StoredCleanRules& rules) {
  const bool on = rules.minimumAge > 0;
  cbxMinimumAge->setChecked(on);
  edtMinimumAge->setValue(on ? rules.minimumAge : kSuggestedAgeHours);
  cbxAgeUnit->setCurrentIndex(on && rules.unit == AgeUnit::Days ? 1 : 0);
  edtMinimumAge->setEnabled(on);
  cbxAgeUnit->setEnabled(on);
  edtPatterns->setPlainText(PatternLines(rules.keepPatterns));
}

std::optional<StoredCleanRules> TfrmAdvanced::ReadControls() {
  StoredCleanRules rules;
  rules.minimumAge = cbxMinimumAge->isChecked() ? edtMinimumAge->value() : 0;
  rules.unit = cbxAgeUnit->currentIndex() == 1 ? AgeUnit::Days : AgeUnit::Hours;
  rules.keepPatterns.clear();
  const QStringList lines = edtPatterns->toPlainText().split(QLatin1Char('\n'));
  for (const QString& line : lines) {
    const QString pattern = line.trimmed();
    if (pattern.isEmpty()) {
      continue;
    }
    if (const auto fault = PatternFault(pattern)) {
      ShowError(*fault);
      return std::nullopt;
    }
    rules.keepPatterns.push_back(pattern.toStdString());
  }
  return rules;
}

void TfrmAdvanced::accept() {
  const auto rules = ReadControls();
  if (!rules) {
    return;
  }
  if (const auto failure = WriteCleanRules(*rules)) {
    qCWarning(lcSettings).noquote() << "the cleaning rules are not stored:" << failure->c_str();
    ShowError(tr("Die Einstellungen konnten nicht gespeichert werden (%1).")
                  .arg(QString::fromStdString(*failure)));
    return;
  }
  lblError->hide();
  QDialog::accept();
}

void TfrmAdvanced::ShowError(const QString& text) {
  lblError->setText(text);
  lblError->show();
}

} // namespace fegolin
