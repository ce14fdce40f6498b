#pragma once

// TfrmAdvanced: the cleaning rules beside the options, reached from the
// Options page ("Erweitert..."): the minimum age of what a run removes and
// the name patterns it always keeps. It shows the stored rules and stores
// them on OK, at once and apart from the page's own Apply; a store that
// fails keeps the dialog open and says so.

#include "settings/uCleanSettings.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace fegolin {

class TfrmAdvanced final : public QDialog {
  Q_OBJECT
public:
  explicit TfrmAdvanced(QWidget* parent = nullptr);

  QGroupBox* grpAge;
  QCheckBox* cbxMinimumAge;
  QSpinBox* edtMinimumAge;
  QComboBox* cbxAgeUnit; // 0 hours, 1 days, as stored
  QGroupBox* grpPatterns;
  QPlainTextEdit* edtPatterns; // one pattern a line
  QPushButton* btnDefaultPatterns;
  QLabel* lblError; // why OK did not close the dialog
  QDialogButtonBox* btnsDialog;
  QPushButton* btnOk;
  QPushButton* btnCancel;

  // OK: stores the rules and closes; stays open when that fails.
  void accept() override;

protected:
  void changeEvent(QEvent* event) override;

private:
  // The captions in the language in force.
  void RetranslateUi();
  // Shows `rules` in the controls.
  void ShowRules(const StoredCleanRules& rules);
  // The rules the controls show; nothing when a pattern cannot be stored
  // as it is meant (lblError then says why).
  [[nodiscard]] std::optional<StoredCleanRules> ReadControls();
  void ShowError(const QString& text);

  QLabel* lblAgeNote_;
  QLabel* lblPatternsNote_;
};

} // namespace fegolin
