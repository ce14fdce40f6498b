#include "app/uOptionsView.h"

#include "app/pages/uOptionsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QWidget>

#include <algorithm>

namespace fegolin {
namespace {

QCheckBox* BoxOf(const TcOptionsPage& page, Option option) {
  switch (option) {
  case Option::ShowSplash:
    return page.cbxOptionSplash;
  case Option::SaveWindowSize:
    return page.cbxOptionWindowSize;
  case Option::ShowTipps:
    return page.cbxOptionTipps;
  case Option::StartWithWindows:
    return page.cbxAutoStart;
  default:
    return nullptr;
  }
}

// The options with a check box, by the option table; the four of them come
// first, so their place in checked_ is their number.
static_assert(std::all_of(kOptionTable.begin(), kOptionTable.begin() + 4,
                          [](const OptionInfo& info) {
                            return info.kind == TFieldType::ftBoolean &&
                                   static_cast<std::size_t>(info.option) < 4;
                          }) &&
              std::none_of(kOptionTable.begin() + 4, kOptionTable.end(),
                           [](const OptionInfo& info) {
                             return info.kind == TFieldType::ftBoolean;
                           }));

bool IsBooleanOption(Option option) {
  return InfoOf(option).kind == TFieldType::ftBoolean;
}

} // namespace

TcOptionsView::TcOptionsView(QWidget& window)
    : window_(window), value_(TcOptionsPage::kIntervalValueMin) {}

void TcOptionsView::Attach(TcOptionsPage& page) {
  if (page_ != nullptr) {
    return;
  }
  page_ = &page;
  for (std::size_t i = 0; i < checked_.size(); ++i) {
    SetOptionChecked(static_cast<Option>(i), checked_[i]);
  }
  SetIntervalUnitIndex(unit_);
  SetIntervalValue(value_);
}

bool TcOptionsView::IsOptionChecked(Option option) const {
  if (page_ == nullptr) {
    return IsBooleanOption(option) && checked_[static_cast<std::size_t>(option)];
  }
  const QCheckBox* box = BoxOf(*page_, option);
  return box != nullptr && box->isChecked();
}

void TcOptionsView::SetOptionChecked(Option option, bool checked) {
  if (page_ == nullptr) {
    if (IsBooleanOption(option)) {
      checked_[static_cast<std::size_t>(option)] = checked;
    }
    return;
  }
  if (QCheckBox* box = BoxOf(*page_, option)) {
    box->setChecked(checked);
  }
}

int TcOptionsView::IntervalUnitIndex() const {
  return page_ == nullptr ? unit_ : page_->cbxInterval->currentIndex();
}

void TcOptionsView::SetIntervalUnitIndex(int index) {
  // Choosing an item from code is not the user's pick: the unit box's change
  // handler runs only for the latter. A stored number outside the units
  // shows as the nearest unit, so the box always names the unit the timer
  // runs with; the stored number itself stays until the options are saved.
  if (page_ == nullptr) {
    unit_ = std::clamp(index, 0, TcOptionsPage::kIntervalUnits - 1);
    return;
  }
  const QSignalBlocker quiet(page_->cbxInterval);
  const int last = page_->cbxInterval->count() - 1;
  page_->cbxInterval->setCurrentIndex(last < 0 ? -1 : std::clamp(index, 0, last));
}

int TcOptionsView::IntervalValue() const {
  return page_ == nullptr ? value_ : page_->edtIntervalValue->value();
}

void TcOptionsView::SetIntervalValue(int value) {
  if (page_ == nullptr) {
    // As the spin box would take it.
    value_ = std::clamp(value, TcOptionsPage::kIntervalValueMin, TcOptionsPage::kIntervalValueMax);
    return;
  }
  page_->edtIntervalValue->setValue(value);
}

int TcOptionsView::WindowHeight() const {
  return window_.height();
}

void TcOptionsView::SetWindowHeight(int height) {
  window_.resize(window_.width(), height);
}

int TcOptionsView::WindowWidth() const {
  return window_.width();
}

void TcOptionsView::SetWindowWidth(int width) {
  window_.resize(width, window_.height());
}

} // namespace fegolin
