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

} // namespace

TcOptionsView::TcOptionsView(QWidget& window, TcOptionsPage& page) : window_(window), page_(page) {}

bool TcOptionsView::IsOptionChecked(Option option) const {
  const QCheckBox* box = BoxOf(page_, option);
  return box != nullptr && box->isChecked();
}

void TcOptionsView::SetOptionChecked(Option option, bool checked) {
  if (QCheckBox* box = BoxOf(page_, option)) {
    box->setChecked(checked);
  }
}

int TcOptionsView::IntervalUnitIndex() const {
  return page_.cbxInterval->currentIndex();
}

void TcOptionsView::SetIntervalUnitIndex(int index) {
  // Choosing an item from code is not the user's pick: the unit box's change
  // handler runs only for the latter. A stored number outside the units
  // shows as the nearest unit, so the box always names the unit the timer
  // runs with; the stored number itself stays until the options are saved.
  const QSignalBlocker quiet(page_.cbxInterval);
  const int last = page_.cbxInterval->count() - 1;
  page_.cbxInterval->setCurrentIndex(last < 0 ? -1 : std::clamp(index, 0, last));
}

int TcOptionsView::IntervalValue() const {
  return page_.edtIntervalValue->value();
}

void TcOptionsView::SetIntervalValue(int value) {
  page_.edtIntervalValue->setValue(value);
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
