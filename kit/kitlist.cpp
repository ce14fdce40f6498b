// The check layer of the check list box: check and disabled marks kept by
// item text, toggling by mouse and keyboard, and the OnCheck event.
#include "kit/kitlist.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace fegolin {

namespace {

constexpr auto kValueNotInItems = "Value does not exist in Items";

// Item data beside the item's object, which Qt::UserRole holds
// (kitlistsync.cpp).
constexpr int kGrayedRole = Qt::UserRole + 1;

// Whether some item carries exactly `text`.
bool ItemsContain(const TkitCustomSyncListBox& list, const QString& text) {
  for (int i = 0; i < list.ItemCount(); ++i) {
    if (list.ItemText(i) == text) {
      return true;
    }
  }
  return false;
}

} // namespace

TkitCustomCheckListBox::TkitCustomCheckListBox(QWidget* parent) : TkitCustomSyncListBox(parent) {
  InstallDelegate();
  checkedColor_ = FontColor();
  lastFontColor_ = checkedColor_;
  // The model tells about every removal, whichever call caused it: through
  // DeleteItem() as well as QListWidget's own takeItem() or clear().
  modelConnections_.push_back(connect(
      model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
      [this](const QModelIndex&, int first, int last) { ItemsAboutToBeRemoved(first, last); }));
  modelConnections_.push_back(
      connect(model(), &QAbstractItemModel::modelReset, this, [this] { ContentReset(); }));
  // Any change of the texts may change the widths of the tab columns.
  const auto forget = [this] { ForgetColumns(); };
  modelConnections_.push_back(connect(model(), &QAbstractItemModel::rowsInserted, this, forget));
  modelConnections_.push_back(connect(model(), &QAbstractItemModel::rowsRemoved, this, forget));
  modelConnections_.push_back(connect(model(), &QAbstractItemModel::dataChanged, this, forget));
  // Loading the default style also lays the items out for their height.
  LoadStyleGlyph();
}

TkitCustomCheckListBox::~TkitCustomCheckListBox() {
  for (const QMetaObject::Connection& connection : modelConnections_) {
    disconnect(connection);
  }
}

// --- Marks ------------------------------------------------------------------

bool TkitCustomCheckListBox::GetChecked(const QString& text) const {
  return checkedItems_.Contains(text);
}

bool TkitCustomCheckListBox::SetChecked(const QString& text, bool value) {
  const int index = IndexOfItem(text);
  if (index < 0) {
    return false;
  }
  SetCheckedAt(index, value);
  return true;
}

bool TkitCustomCheckListBox::IsCheckedAt(int index) const {
  return index >= 0 && index < count() && checkedItems_.Contains(ItemText(index));
}

bool TkitCustomCheckListBox::AskOnCheck(int index, bool value) {
  if (!OnCheck) {
    return true;
  }
  bool proposed = value;
  OnCheck(*this, index, proposed);
  return proposed == value;
}

void TkitCustomCheckListBox::SetCheckedAt(int index, bool value) {
  if (index < 0 || index >= count() || IsCheckedAt(index) == value) {
    return;
  }
  const QString text = ItemText(index);
  void* object = ItemObject(index);
  if (!AskOnCheck(index, value)) {
    return;
  }
  // Looked up again: the handler may have changed the marks itself.
  const int at = checkedItems_.IndexOf(text);
  if (value && at < 0) {
    checkedItems_.Add(text, object);
  } else if (!value && at >= 0) {
    checkedItems_.Delete(at);
  }
  RepaintItem(index);
}

bool TkitCustomCheckListBox::IsDisabledAt(int index) const {
  return index >= 0 && index < count() && disabledItems_.Contains(ItemText(index));
}

void TkitCustomCheckListBox::SetDisabledAt(int index, bool value) {
  if (index < 0 || index >= count()) {
    return;
  }
  const QString text = ItemText(index);
  const int at = disabledItems_.IndexOf(text);
  if (value && at < 0) {
    disabledItems_.Add(text, ItemObject(index));
  } else if (!value && at >= 0) {
    disabledItems_.Delete(at);
  } else {
    return;
  }
  RepaintItem(index);
}

bool TkitCustomCheckListBox::IsGrayedAt(int index) const {
  const QListWidgetItem* it = item(index);
  return it != nullptr && it->data(kGrayedRole).toBool();
}

void TkitCustomCheckListBox::SetGrayedAt(int index, bool value) {
  if (index < 0 || index >= count() || IsGrayedAt(index) == value) {
    return;
  }
  SetItemDataInPlace(index, kGrayedRole, value);
  RepaintItem(index);
}

void TkitCustomCheckListBox::CopyMarks(const TkitStringList& value, TkitStringList& target,
                                       bool firstOnly) {
  if (&value == &target) {
    return;
  }
  for (int i = 0; i < value.Count(); ++i) {
    if (!ItemsContain(*this, value.Strings(i))) {
      throw TkitListError(kValueNotInItems);
    }
  }
  if (firstOnly) {
    target.Clear();
    if (!value.IsEmpty()) {
      target.Add(value.Strings(0), value.Objects(0));
    }
  } else {
    target = value;
  }
  viewport()->update();
}

void TkitCustomCheckListBox::SetCheckedItems(const TkitStringList& value) {
  CopyMarks(value, checkedItems_, !options_.testFlag(TCheckOption::chMultiSelect));
}

void TkitCustomCheckListBox::SetDisabledItems(const TkitStringList& value) {
  CopyMarks(value, disabledItems_, false);
}

void TkitCustomCheckListBox::Loaded() {
  if (!checkedItems_.IsEmpty()) {
    const QString first = checkedItems_.Strings(0);
    for (int i = 0; i < count(); ++i) {
      if (ItemText(i) == first) {
        SetItemIndex(i);
        return;
      }
    }
  }
}

void TkitCustomCheckListBox::SetItemText(int index, const QString& text) {
  const QString old = ItemText(index);
  if (index < 0 || index >= count() || old == text) {
    return;
  }
  // The marks belong to the item, so they move with it to its new text; the
  // old text keeps its marks only while another item still carries it.
  const bool shared = TextCarriedOutside(old, index, index);
  const auto move = [&](TkitStringList& marks) {
    const int at = marks.IndexOf(old);
    if (at < 0) {
      return;
    }
    void* object = marks.Objects(at);
    if (!shared) {
      marks.Delete(at);
    }
    if (!marks.Contains(text)) {
      marks.Add(text, object);
    }
  };
  move(checkedItems_);
  move(disabledItems_);
  TkitCustomSyncListBox::SetItemText(index, text);
  viewport()->update();
}

bool TkitCustomCheckListBox::TextCarriedOutside(const QString& text, int first, int last) const {
  for (int i = 0; i < count(); ++i) {
    if ((i < first || i > last) && ItemText(i) == text) {
      return true;
    }
  }
  return false;
}

void TkitCustomCheckListBox::ItemsAboutToBeRemoved(int first, int last) {
  for (int i = first; i <= last; ++i) {
    // Items with the same text share one mark; the one that stays keeps it.
    if (TextCarriedOutside(ItemText(i), first, last)) {
      continue;
    }
    SetCheckedAt(i, false);
    SetDisabledAt(i, false);
  }
}

void TkitCustomCheckListBox::ContentReset() {
  ForgetColumns();
  checkedItems_.Clear();
  disabledItems_.Clear();
  if (!options_.testFlag(TCheckOption::chMultiSelect)) {
    SetItemIndex(-1);
  }
  viewport()->update();
}

// --- Options and toggling ---------------------------------------------------

void TkitCustomCheckListBox::SetOptions(TkitCheckOptions value) {
  using enum TCheckOption;
  if (value == options_) {
    return;
  }
  const TkitCheckOptions added = value & ~options_;
  const bool extendedChanged = (value ^ options_).testFlag(chExtendedSelect);
  if (added.testFlag(chExtendedSelect)) {
    value |= chMultiSelect;
  }
  if (added.testFlag(chClick)) {
    value &= ~TkitCheckOptions(chClickGlyph | chDblClick);
  } else if (added.testFlag(chClickGlyph)) {
    value &= ~TkitCheckOptions(chClick | chDblClick);
  } else if (added.testFlag(chDblClick)) {
    value &= ~TkitCheckOptions(chClick | chClickGlyph);
  }
  options_ = value;
  if (extendedChanged) {
    const bool extended = value.testFlag(chExtendedSelect);
    SetMultiSelect(extended);
    SetExtendedSelect(extended);
  }
  if (!value.testFlag(chMultiSelect) && checkedItems_.Count() >= 2) {
    // One check at most from now on. All marks go, disabled ones too, as
    // when the list is emptied; the current item, if it was checked, is
    // then checked anew the ordinary way, so its handler hears of it and
    // may refuse.
    const int current = ItemIndex();
    const bool currentWasChecked = IsCheckedAt(current);
    checkedItems_.Clear();
    disabledItems_.Clear();
    viewport()->update();
    if (currentWasChecked) {
      SetCheckedAt(current, true);
    }
  }
}

bool TkitCustomCheckListBox::TogglesSelection(Qt::KeyboardModifiers modifiers) const {
  using enum TCheckOption;
  return options_.testFlag(chMultiSelect) && options_.testFlag(chExtendedSelect) &&
         (!options_.testFlag(chShiftRange) || modifiers.testFlag(Qt::ShiftModifier));
}

void TkitCustomCheckListBox::ToggleSelection(int keep) {
  for (int i = 0; i < count(); ++i) {
    if (!Selected(i)) {
      continue;
    }
    if (!IsDisabledAt(i)) {
      Toggle(i);
    }
    if (i != keep) {
      SetSelected(i, false);
    }
  }
}

void TkitCustomCheckListBox::MakeOnlyChecked(int index) {
  // The item is checked anew even when it already is the checked one, so
  // the handler hears of every such click. It is asked before anything
  // changes: a refusal leaves every mark as it was.
  if (!AskOnCheck(index, true)) {
    return;
  }
  void* object = ItemObject(index);
  checkedItems_.Clear();
  checkedItems_.Add(ItemText(index), object);
  viewport()->update();
}

void TkitCustomCheckListBox::ToggleAtPoint(QPoint pos, Qt::KeyboardModifiers modifiers) {
  const int index = ItemAtPos(pos);
  if (index < 0 || IsDisabledAt(index)) {
    return;
  }
  if (options_.testFlag(TCheckOption::chClickGlyph) && !GlyphRect(ItemRect(index)).contains(pos)) {
    return;
  }
  if (TogglesSelection(modifiers)) {
    ToggleSelection(index);
  } else if (options_.testFlag(TCheckOption::chMultiSelect)) {
    Toggle(index);
  } else {
    MakeOnlyChecked(index);
  }
}

void TkitCustomCheckListBox::keyPressEvent(QKeyEvent* event) {
  TkitCustomSyncListBox::keyPressEvent(event);
  if (!options_.testFlag(TCheckOption::chSpaceKey) || event->key() != Qt::Key_Space) {
    return;
  }
  if (TogglesSelection(event->modifiers())) {
    ToggleSelection(ItemIndex());
    return;
  }
  if (count() == 0) {
    return;
  }
  const int target = ItemIndex() >= 0 ? ItemIndex() : 0;
  if (IsDisabledAt(target)) {
    return;
  }
  if (options_.testFlag(TCheckOption::chMultiSelect)) {
    Toggle(target);
  } else {
    MakeOnlyChecked(target);
  }
}

void TkitCustomCheckListBox::mouseReleaseEvent(QMouseEvent* event) {
  TkitCustomSyncListBox::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton &&
      options_.testAnyFlags(TCheckOption::chClick | TCheckOption::chClickGlyph)) {
    ToggleAtPoint(event->position().toPoint(), event->modifiers());
  }
}

void TkitCustomCheckListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  TkitCustomSyncListBox::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton && options_.testFlag(TCheckOption::chDblClick)) {
    ToggleAtPoint(event->position().toPoint(), event->modifiers());
  }
}

void TkitCustomCheckListBox::RepaintItem(int index) {
  if (index < TopIndex() || index >= count()) {
    return;
  }
  const QRect rect = ItemRect(index);
  if (rect.top() <= viewport()->height()) {
    viewport()->repaint(rect);
  }
}

// --- TkitCheckListBox -------------------------------------------------------

TkitCheckListBox::TkitCheckListBox(QWidget* parent) : TkitCustomCheckListBox(parent) {}

TkitCheckListBox::~TkitCheckListBox() = default;

} // namespace fegolin
