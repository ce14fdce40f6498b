#pragma once

// The settings store's view of the main window: the controls of the options
// page and the window's size. Until the page is built the view holds the
// options itself, as the page's controls would hold them.

#include "settings/uTcSettings.h"

#include <array>

class QWidget;

namespace fegolin {

class TcOptionsPage;

class TcOptionsView final : public TcSettingsView {
public:
  explicit TcOptionsView(QWidget& window);
  // From now on `page` holds the options, taking the values held so far.
  // Its change handlers are not yet connected: taking them changes
  // nothing.
  void Attach(TcOptionsPage& page);

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
  TcOptionsPage* page_ = nullptr;
  // Until Attach: the four boolean options, by Option, the unit and the
  // value.
  std::array<bool, 4> checked_{};
  int unit_ = -1;
  int value_;
};

} // namespace fegolin
