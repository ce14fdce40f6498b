#pragma once

// The settings store's view of the main window: the controls of the options
// page and the window's size.

#include "settings/uTcSettings.h"

class QWidget;

namespace fegolin {

class TcOptionsPage;

class TcOptionsView final : public TcSettingsView {
public:
  TcOptionsView(QWidget& window, TcOptionsPage& page);

  [[nodiscard]] bool IsOptionChecked(Option option) const override;
  void SetOptionChecked(Option option, bool checked) override;
  [[nodiscard]] int IntervalUnitIndex() const override;
  void SetIntervalUnitIndex(int index) override;
  [[nodiscard]] int IntervalValue() const override;
  void SetIntervalValue(int value) override;
  [[nodiscard]] int WindowHeight() const override;
  void SetWindowHeight(int height) override;
  [[nodiscard]] int WindowWidth() const override;
  void SetWindowWidth(int width) override;

private:
  QWidget& window_;
  TcOptionsPage& page_;
};

} // namespace fegolin
