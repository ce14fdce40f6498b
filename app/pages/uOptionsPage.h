#pragma once

// tabOptions: the cleaning interval and the general options. Its controls
// hold the options in memory; the settings store loads and saves them.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace fegolin {

class TcRadioGroup;

class TcOptionsPage final : public QWidget {
  Q_OBJECT
public:
  explicit TcOptionsPage(QWidget* parent = nullptr);

  // What edtIntervalValue takes, and the units cbxInterval lists (seconds,
  // minutes, hours).
  static constexpr int kIntervalValueMin = 1;
  static constexpr int kIntervalValueMax = 99;
  static constexpr int kIntervalUnits = 3;

  QGroupBox* grpInterval;
  QLabel* Label2;
  QSpinBox* edtIntervalValue;
  QComboBox* cbxInterval;
  QGroupBox* grpGeneral;
  QCheckBox* cbxAutoStart;
  QCheckBox* cbxOptionWindowSize;
  QCheckBox* cbxOptionSplash;
  QCheckBox* cbxOptionTipps; // hidden: the tips window changes it
  TcRadioGroup* grpLanguage; // the language of every text
  QPushButton* btnAdvanced;  // the cleaning rules, in a dialog of their own
  QPushButton* btnDefaults;
  QPushButton* btnApply;

signals:
  // The page became visible (tabOptionsShow).
  void Shown();

protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  // The page's captions in the language in force.
  void RetranslateUi();
};

} // namespace fegolin
