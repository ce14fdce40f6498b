#include "app/pages/uRadioGroup.h"

#include <QGridLayout>
#include <QRadioButton>

#include <algorithm>

namespace fegolin {

TcRadioGroup::TcRadioGroup(const QString& caption, const QStringList& items, int columns,
                           QWidget* parent)
    : QGroupBox(caption, parent) {
  auto* grid = new QGridLayout(this);
  const int perColumn = (static_cast<int>(items.size()) + columns - 1) / std::max(columns, 1);
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items.at(i), this);
    grid->addWidget(button, i % perColumn, i / perColumn);
    connect(button, &QRadioButton::clicked, this, [this, i] {
      SetItemIndex(i);
      emit Clicked();
    });
    buttons_.push_back(button);
  }
  SetItemIndex(-1);
}

void TcRadioGroup::SetItemTexts(const QStringList& items) {
  for (int i = 0; i < std::min(Count(), static_cast<int>(items.size())); ++i) {
    buttons_[static_cast<std::size_t>(i)]->setText(items.at(i));
  }
}

void TcRadioGroup::SetItemIndex(int index) {
  itemIndex_ = index < 0 ? -1 : std::min(index, Count() - 1);
  // An exclusive radio button refuses to be unchecked, so "no item" needs
  // the exclusivity lifted while the marks are set.
  for (QRadioButton* button : buttons_) {
    button->setAutoExclusive(false);
  }
  for (int i = 0; i < Count(); ++i) {
    buttons_[static_cast<std::size_t>(i)]->setChecked(i == itemIndex_);
  }
  for (QRadioButton* button : buttons_) {
    button->setAutoExclusive(true);
  }
  // Tab enters the group at the chosen item (the first while none is);
  // the arrow keys move between the items.
  for (int i = 0; i < Count(); ++i) {
    const bool entry = i == std::max(itemIndex_, 0);
    buttons_[static_cast<std::size_t>(i)]->setFocusPolicy(entry ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

} // namespace fegolin
