// The list layer of the check list box: items with objects, selection,
// scrolling extent and the mirroring into a partner list.
#include "kit/kitlist.h"

#include "settings/uListOrder.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace fegolin {

namespace {

constexpr int kObjectRole = Qt::UserRole;

// Sorted lists order their items the way every folder list does.
class TkitListItem final : public QListWidgetItem {
public:
  using QListWidgetItem::QListWidgetItem;

  bool operator<(const QListWidgetItem& other) const override {
    return ListsBefore(text(), other.text());
  }
};

} // namespace

// --- TkitStringList ----------------------------------------------------------

const QString& TkitStringList::Strings(int index) const {
  return entries_.at(static_cast<std::size_t>(index)).Text;
}

void* TkitStringList::Objects(int index) const {
  return entries_.at(static_cast<std::size_t>(index)).Object;
}

int TkitStringList::IndexOf(const QString& text) const {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& entry) { return entry.Text == text; });
  return found == entries_.end() ? -1 : static_cast<int>(found - entries_.begin());
}

void TkitStringList::Add(const QString& text, void* object) {
  entries_.push_back({text, object});
}

void TkitStringList::Delete(int index) {
  entries_.erase(entries_.begin() + index);
}

// --- TkitCustomSyncListBox ---------------------------------------------------

TkitCustomSyncListBox::TkitCustomSyncListBox(QWidget* parent) : QListWidget(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setResizeMode(QListView::Adjust);
  ApplySelectionMode();
  TkitCustomSyncListBox::UpdateItemLayout();

  connections_.push_back(connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
                                 [this](int value) { MirrorScroll(Qt::Horizontal, value); }));
  connections_.push_back(connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
                                 [this](int value) { MirrorScroll(Qt::Vertical, value); }));
  const auto touched = [this] {
    if (inUserInput_) {
      selectionTouched_ = true;
    }
  };
  connections_.push_back(connect(this, &QListWidget::currentRowChanged, this, touched));
  connections_.push_back(connect(this, &QListWidget::itemSelectionChanged, this, touched));
}

TkitCustomSyncListBox::~TkitCustomSyncListBox() {
  for (const QMetaObject::Connection& connection : connections_) {
    disconnect(connection);
  }
}

int TkitCustomSyncListBox::AddItem(const QString& text, void* object) {
  auto* item = new TkitListItem(text);
  item->setData(kObjectRole, QVariant::fromValue(object));
  addItem(item);
  return row(item);
}

QString TkitCustomSyncListBox::ItemText(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr ? it->text() : QString();
}

void* TkitCustomSyncListBox::ItemObject(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr ? it->data(kObjectRole).value<void*>() : nullptr;
}

void TkitCustomSyncListBox::SetItemObject(int index, void* object) {
  if (QListWidgetItem* it = item(index)) {
    it->setData(kObjectRole, QVariant::fromValue(object));
  }
}

QString TkitCustomSyncListBox::ItemHint(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr ? it->toolTip() : QString();
}

void TkitCustomSyncListBox::SetItemHint(int index, const QString& hint) {
  SetItemDataInPlace(index, Qt::ToolTipRole, hint);
}

void TkitCustomSyncListBox::SetItemText(int index, const QString& text) {
  // A renamed entry stays where the user sees it.
  SetItemDataInPlace(index, Qt::DisplayRole, text);
}

void TkitCustomSyncListBox::SetItemDataInPlace(int index, int role, const QVariant& value) {
  QListWidgetItem* it = item(index);
  if (it == nullptr) {
    return;
  }
  // A sorted list would move the item at once; sorting pauses for the change.
  const bool sorted = isSortingEnabled();
  setSortingEnabled(false);
  it->setData(role, value);
  setSortingEnabled(sorted);
}

void TkitCustomSyncListBox::DeleteItem(int index) {
  if (index >= 0 && index < count()) {
    delete takeItem(index);
  }
}

void TkitCustomSyncListBox::ClearItems() {
  clear();
}

int TkitCustomSyncListBox::IndexOfItem(const QString& text) const {
  return IndexOfText(
      count(), [this](int i) { return item(i)->text(); }, text);
}

int TkitCustomSyncListBox::ItemAtPos(QPoint pos, bool existing) const {
  const QModelIndex index = indexAt(pos);
  if (index.isValid()) {
    return index.row();
  }
  return existing ? -1 : count();
}

QRect TkitCustomSyncListBox::ItemRect(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr ? visualItemRect(it) : QRect();
}

int TkitCustomSyncListBox::ItemIndex() const {
  return currentRow();
}

void TkitCustomSyncListBox::SetItemIndex(int index) {
  ApplyItemIndex(index);
  if (TkitCustomSyncListBox* partner = Partner(TListSyncOption::lsSelItem)) {
    Deliver(*partner, [&] { partner->ApplyItemIndex(index); });
  }
}

bool TkitCustomSyncListBox::Selected(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr && it->isSelected();
}

void TkitCustomSyncListBox::SetSelected(int index, bool value) {
  ApplySelected(index, value);
  if (TkitCustomSyncListBox* partner = Partner(TListSyncOption::lsSelItem)) {
    Deliver(*partner, [&] { partner->ApplySelected(index, value); });
  }
}

int TkitCustomSyncListBox::TopIndex() const {
  const QModelIndex top = indexAt(QPoint(0, 0));
  return top.isValid() ? top.row() : 0;
}

void TkitCustomSyncListBox::SetTopIndex(int index) {
  if (QListWidgetItem* it = item(index)) {
    scrollToItem(it, QAbstractItemView::PositionAtTop);
  }
  if (TkitCustomSyncListBox* partner = Partner(TListSyncOption::lsTopIndex)) {
    Deliver(*partner, [&] { partner->SetTopIndex(index); });
  }
}

void TkitCustomSyncListBox::SetSorted(bool value) {
  if (value == isSortingEnabled()) {
    return;
  }
  setSortingEnabled(value);
  if (value) {
    sortItems(Qt::AscendingOrder);
  }
}

void TkitCustomSyncListBox::SetMultiSelect(bool value) {
  multiSelect_ = value;
  ApplySelectionMode();
}

void TkitCustomSyncListBox::SetExtendedSelect(bool value) {
  extendedSelect_ = value;
  ApplySelectionMode();
}

bool TkitCustomSyncListBox::IsMultiSelection() const {
  const SelectionMode mode = selectionMode();
  return mode == QAbstractItemView::MultiSelection || mode == QAbstractItemView::ExtendedSelection;
}

void TkitCustomSyncListBox::SetColumns(int value) {
  columns_ = std::max(value, 0);
  UpdateItemLayout();
}

QColor TkitCustomSyncListBox::Color() const {
  return palette().color(QPalette::Base);
}

void TkitCustomSyncListBox::SetColor(const QColor& value) {
  QPalette colours = palette();
  colours.setColor(QPalette::Base, value);
  setPalette(colours);
}

QColor TkitCustomSyncListBox::FontColor() const {
  return palette().color(QPalette::Text);
}

void TkitCustomSyncListBox::SetFontColor(const QColor& value) {
  QPalette colours = palette();
  colours.setColor(QPalette::Text, value);
  setPalette(colours);
}

void TkitCustomSyncListBox::SetScrollWidth(std::uint16_t value) {
  scrollWidth_ = value;
  if (value != 0) {
    columns_ = 0;
  }
  UpdateItemLayout();
}

void TkitCustomSyncListBox::SetSyncControl(TkitCustomSyncListBox* value) {
  if (value != this) {
    syncControl_ = value;
  }
}

int TkitCustomSyncListBox::ItemExtent() const {
  if (columns_ > 0) {
    return std::max(viewport()->width() / columns_, 1);
  }
  return scrollWidth_;
}

void TkitCustomSyncListBox::UpdateItemLayout() {
  if (columns_ > 0) {
    // A multi-column list fills its columns top to bottom and scrolls
    // sideways, one column width per item.
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  } else {
    // Without an extent the list never scrolls sideways: long texts are
    // cut at the edge.
    setWrapping(false);
    setHorizontalScrollBarPolicy(scrollWidth_ != 0 ? Qt::ScrollBarAsNeeded
                                                   : Qt::ScrollBarAlwaysOff);
  }
  scheduleDelayedItemsLayout();
}

void TkitCustomSyncListBox::keyPressEvent(QKeyEvent* event) {
  RunUserInput([&] { QListWidget::keyPressEvent(event); });
}

void TkitCustomSyncListBox::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Print || !printing_) {
    QListWidget::keyReleaseEvent(event);
    return;
  }
  event->accept();
  // A key handler has no caller that could report the failure; like every
  // handler of the program it drops the error and leaves things as they are.
  try {
    Print();
  } catch (const std::exception&) {
  }
}

void TkitCustomSyncListBox::mousePressEvent(QMouseEvent* event) {
  RunUserInput([&] { QListWidget::mousePressEvent(event); });
}

void TkitCustomSyncListBox::mouseMoveEvent(QMouseEvent* event) {
  RunUserInput([&] { QListWidget::mouseMoveEvent(event); });
}

void TkitCustomSyncListBox::mouseReleaseEvent(QMouseEvent* event) {
  RunUserInput([&] { QListWidget::mouseReleaseEvent(event); });
}

template <class Handler> void TkitCustomSyncListBox::RunUserInput(Handler&& handler) {
  const bool outer = inUserInput_;
  inUserInput_ = true;
  handler();
  inUserInput_ = outer;
  if (!outer && selectionTouched_) {
    selectionTouched_ = false;
    MirrorClick();
  }
}

template <class Action>
void TkitCustomSyncListBox::Deliver(TkitCustomSyncListBox& partner, Action&& action) {
  partner.syncing_ = true;
  action();
  partner.syncing_ = false;
}

void TkitCustomSyncListBox::MirrorClick() {
  TkitCustomSyncListBox* partner = Partner(TListSyncOption::lsClick);
  if (partner == nullptr) {
    return;
  }
  Deliver(*partner, [&] {
    if (!IsMultiSelection()) {
      partner->ApplyItemIndex(ItemIndex());
    } else if (partner->IsMultiSelection()) {
      const int shared = std::min(count(), partner->count());
      for (int i = 0; i < shared; ++i) {
        partner->ApplySelected(i, Selected(i));
      }
    }
  });
}

void TkitCustomSyncListBox::MirrorScroll(Qt::Orientation orientation, int value) {
  const TListSyncOption option =
      orientation == Qt::Horizontal ? TListSyncOption::lsHScroll : TListSyncOption::lsVScroll;
  if (TkitCustomSyncListBox* partner = Partner(option)) {
    Deliver(*partner, [&] {
      QScrollBar* bar = orientation == Qt::Horizontal ? partner->horizontalScrollBar()
                                                      : partner->verticalScrollBar();
      bar->setValue(value);
    });
  }
}

TkitCustomSyncListBox* TkitCustomSyncListBox::Partner(TListSyncOption option) const {
  if (syncing_ || syncControl_.isNull() || !syncOptions_.testFlag(option)) {
    return nullptr;
  }
  return syncControl_.data();
}

void TkitCustomSyncListBox::ApplySelectionMode() {
  if (!multiSelect_) {
    setSelectionMode(QAbstractItemView::SingleSelection);
  } else {
    setSelectionMode(extendedSelect_ ? QAbstractItemView::ExtendedSelection
                                     : QAbstractItemView::MultiSelection);
  }
}

void TkitCustomSyncListBox::ApplyItemIndex(int index) {
  const QModelIndex target = model()->index(index, 0);
  if (IsMultiSelection()) {
    // Several selected items stay selected; only the caret moves.
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
  } else if (target.isValid()) {
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
  } else {
    selectionModel()->clear();
  }
  if (target.isValid()) {
    scrollTo(target);
  }
}

void TkitCustomSyncListBox::ApplySelected(int index, bool value) {
  QListWidgetItem* it = item(index);
  if (it == nullptr) {
    return;
  }
  if (IsMultiSelection()) {
    it->setSelected(value);
  } else if (value) {
    ApplyItemIndex(index);
  } else if (currentRow() == index) {
    ApplyItemIndex(-1);
  }
}

} // namespace fegolin
