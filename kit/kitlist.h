#pragma once

// The check list box of the kit: a list whose items carry a text, an object
// the caller owns, and a check mark drawn from a two-cell glyph bitmap.
//
// Three layers:
//   TkitCustomSyncListBox   the list itself: items with objects, sorting,
//                           printing on the Print Screen key and mirroring
//                           of scrolling and selection into a partner list.
//   TkitCustomCheckListBox  check and disabled marks, glyphs, toggling by
//                           mouse and keyboard, the vetoable OnCheck event.
//   TkitCheckListBox        the one to put on a window; adds no behaviour.
//
// Check and disabled marks are kept by item TEXT, not by position: an item
// is checked exactly when its text is in CheckedItems(). So a mark survives
// sorting and the insertion or deletion of other items, two items with the
// same text share one mark, and an item added with a checked text shows
// checked at once. Texts compare exactly, letter case included.
//
// Typical use (the folder list of the main window):
//
//   auto* list = new TkitCheckListBox(parent);
//   list->SetGlyphStyle(TkitCheckStyle::csTick3D);
//   list->SetOptions({TCheckOption::chClickGlyph, TCheckOption::chMultiSelect});
//   list->SetSorted(true);
//   list->SetTabColumns(true);   // "name<TAB>(path)" in two aligned columns
//   list->SetItemHeight(16);
//   list->SetColor(list->palette().color(QPalette::Button));
//   list->OnCheck = [](TkitCustomCheckListBox& sender, int index, bool& value) {
//     // called BEFORE the mark changes; set `value` to !value to refuse it
//   };
//   int index = list->AddItem(caption, entry);      // sorted into place
//   list->SetChecked(caption, true);                // raises OnCheck
//   auto* e = list->ItemObjectAs<TcPathData>(index);
//
// Positions given to ItemAtPos() and ItemRect() are in viewport()
// coordinates, as are the positions of mouse events and of
// customContextMenuRequested(): a context menu handler makes the item under
// the pointer current with SetItemIndex(ItemAtPos(pos)) (-1 over empty space).

#include <QColor>
#include <QFlags>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;

namespace fegolin {

// A list of texts, each with the object it was added with. Lookups compare
// the whole text, letter case included.
class TkitStringList final {
public:
  [[nodiscard]] int Count() const { return static_cast<int>(entries_.size()); }
  [[nodiscard]] bool IsEmpty() const { return entries_.empty(); }
  [[nodiscard]] const QString& Strings(int index) const;
  [[nodiscard]] void* Objects(int index) const;
  // The position of `text`, or -1.
  [[nodiscard]] int IndexOf(const QString& text) const;
  [[nodiscard]] bool Contains(const QString& text) const { return IndexOf(text) >= 0; }

  void Add(const QString& text, void* object = nullptr);
  void Delete(int index);
  void Clear() { entries_.clear(); }

  friend bool operator==(const TkitStringList&, const TkitStringList&) = default;

private:
  struct Entry {
    QString Text;
    void* Object = nullptr;
    friend bool operator==(const Entry&, const Entry&) = default;
  };
  std::vector<Entry> entries_;
};

// Raised when CheckedItems or DisabledItems are assigned a text that no item
// carries; the lists keep their previous content.
class TkitListError final : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Raised when the list cannot be printed.
class TkitPrintError final : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Where the Print Screen key sends the item texts. Coordinates are device
// units of the printer; TextOut places the top left corner of the text.
// The list uses the default printer unless a test or caller injects another
// device with SetPrintDeviceFactory().
class TkitPrintDevice {
public:
  virtual ~TkitPrintDevice() = default;
  virtual void BeginDoc() = 0;
  virtual void NewPage() = 0;
  virtual void TextOut(int x, int y, const QString& text) = 0;
  virtual void EndDoc() = 0;
};
using TkitPrintDeviceFactory = std::function<std::unique_ptr<TkitPrintDevice>()>;

// A device that prints on the system's default printer.
[[nodiscard]] std::unique_ptr<TkitPrintDevice> CreateDefaultPrintDevice();

enum class TListSyncOption : unsigned {
  lsHScroll = 0x01,  // horizontal scrolling
  lsVScroll = 0x02,  // vertical scrolling
  lsClick = 0x04,    // the user's change of the current item / selection
  lsSelItem = 0x08,  // SetItemIndex() and SetSelected()
  lsTopIndex = 0x10, // SetTopIndex()
};
Q_DECLARE_FLAGS(TkitListSyncOptions, TListSyncOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TkitListSyncOptions)

// ---------------------------------------------------------------------------

class TkitCustomSyncListBox : public QListWidget {
  Q_OBJECT

public:
  explicit TkitCustomSyncListBox(QWidget* parent = nullptr);
  ~TkitCustomSyncListBox() override;

  // --- Items. The object is the caller's; the list never releases it.
  // Adds an item; with Sorted() it takes its sorted place (letter case
  // ignored, exact text as tie-break), otherwise the last. Returns its index.
  int AddItem(const QString& text, void* object = nullptr);
  [[nodiscard]] int ItemCount() const { return count(); }
  [[nodiscard]] QString ItemText(int index) const;
  [[nodiscard]] void* ItemObject(int index) const;
  template <class T> [[nodiscard]] T* ItemObjectAs(int index) const {
    return static_cast<T*>(ItemObject(index));
  }
  void SetItemObject(int index, void* object);
  // The hint shown while the pointer rests on an item (empty: none). It
  // belongs to the item and moves with it when the list sorts.
  [[nodiscard]] QString ItemHint(int index) const;
  void SetItemHint(int index, const QString& hint);
  // Replaces the text of an item where it stands, even in a sorted list (it
  // is sorted again when sorting is next turned on).
  virtual void SetItemText(int index, const QString& text);
  // Removes one item. In a check list box a checked item first reports its
  // uncheck through OnCheck, with the item still at `index`; its mark stays
  // when another item carries the same text.
  void DeleteItem(int index);
  // Removes all items; a check list box raises no events and drops every mark.
  void ClearItems();
  // The first item whose text equals `text` exactly, else the first that
  // equals it regardless of letter case, else -1.
  [[nodiscard]] int IndexOfItem(const QString& text) const;
  // The item under `pos` (viewport coordinates); -1 over empty space, or
  // the item count when `existing` is false.
  [[nodiscard]] int ItemAtPos(QPoint pos, bool existing = true) const;
  [[nodiscard]] QRect ItemRect(int index) const;

  // The current item (-1: none). In single selection setting it selects it.
  [[nodiscard]] int ItemIndex() const;
  void SetItemIndex(int index);
  [[nodiscard]] bool Selected(int index) const;
  // In single selection, selecting makes the item current and deselecting
  // the current item leaves none current.
  void SetSelected(int index, bool value);
  [[nodiscard]] int TopIndex() const;
  void SetTopIndex(int index);

  [[nodiscard]] bool Sorted() const { return isSortingEnabled(); }
  // Turning sorting on sorts the present items at once.
  void SetSorted(bool value);
  [[nodiscard]] bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool value);
  [[nodiscard]] bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool value);
  // Whether several items can be selected at once.
  [[nodiscard]] bool IsMultiSelection() const;
  // Columns of a multi-column list; 0 = one column, scrolling vertically.
  [[nodiscard]] int Columns() const { return columns_; }
  void SetColumns(int value);

  // The background colour of the list and the colour of its text.
  [[nodiscard]] QColor Color() const;
  void SetColor(const QColor& value);
  [[nodiscard]] QColor FontColor() const;
  void SetFontColor(const QColor& value);

  // --- Printing on the Print Screen key.
  [[nodiscard]] std::uint8_t PrintIndent() const { return printIndent_; }
  void SetPrintIndent(std::uint8_t value) { printIndent_ = value; }
  [[nodiscard]] std::uint8_t PrintLines() const { return printLines_; }
  void SetPrintLines(std::uint8_t value) { printLines_ = value; }
  [[nodiscard]] bool Printing() const { return printing_; }
  void SetPrinting(bool value) { printing_ = value; }
  // An empty factory restores the default printer.
  void SetPrintDeviceFactory(TkitPrintDeviceFactory factory) {
    printDeviceFactory_ = std::move(factory);
  }
  // Prints every item text, PrintLines() lines a page, 100 device units
  // apart, PrintIndent() units from the left. Shows the wait cursor while
  // it runs. Throws TkitPrintError when the device fails.
  void Print();

  // --- Horizontal scroll extent in pixels; 0 = no horizontal scrolling.
  // A non-zero extent turns Columns() off.
  [[nodiscard]] std::uint16_t ScrollWidth() const { return scrollWidth_; }
  void SetScrollWidth(std::uint16_t value);

  // --- Mirroring into a partner list. The partner does not mirror back
  // what it receives; a list cannot be its own partner, and the reference
  // clears itself when the partner is destroyed.
  [[nodiscard]] TkitCustomSyncListBox* SyncControl() const { return syncControl_; }
  void SetSyncControl(TkitCustomSyncListBox* value);
  [[nodiscard]] TkitListSyncOptions SyncOptions() const { return syncOptions_; }
  void SetSyncOptions(TkitListSyncOptions value) { syncOptions_ = value; }

protected:
  // The width every item reports for the layout: the scroll extent, or the
  // column width of a multi-column list.
  [[nodiscard]] int ItemExtent() const;
  // Applies Columns(), ScrollWidth() and the item sizes to the view.
  virtual void UpdateItemLayout();
  // Sets one value of an item without moving it: a sorted list would sort
  // a changed item again at once.
  void SetItemDataInPlace(int index, int role, const QVariant& value);

  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  // Runs a standard input handler and reports a selection change it caused
  // to the partner (lsClick).
  template <class Handler> void RunUserInput(Handler&& handler);
  // Runs `action` with the partner's syncing flag set, so that the partner
  // does not mirror the change back.
  template <class Action> static void Deliver(TkitCustomSyncListBox& partner, Action&& action);
  void MirrorClick();
  void MirrorScroll(Qt::Orientation orientation, int value);
  // The partner to mirror `option` to, or null.
  [[nodiscard]] TkitCustomSyncListBox* Partner(TListSyncOption option) const;
  void ApplySelectionMode();
  // SetItemIndex() and SetSelected() without the mirroring.
  void ApplyItemIndex(int index);
  void ApplySelected(int index, bool value);

  std::uint8_t printIndent_ = 5;
  std::uint8_t printLines_ = 60;
  bool printing_ = true;
  TkitPrintDeviceFactory printDeviceFactory_;
  std::uint16_t scrollWidth_ = 0;
  int columns_ = 0;
  bool multiSelect_ = false;
  bool extendedSelect_ = true;
  QPointer<TkitCustomSyncListBox> syncControl_;
  TkitListSyncOptions syncOptions_ = TListSyncOption::lsHScroll | TListSyncOption::lsVScroll |
                                     TListSyncOption::lsClick | TListSyncOption::lsSelItem |
                                     TListSyncOption::lsTopIndex;
  // Set while a partner delivers a mirrored change to this list.
  bool syncing_ = false;
  bool inUserInput_ = false;
  bool selectionTouched_ = false;
  // Dropped on destruction: the view's children still signal while they go.
  std::vector<QMetaObject::Connection> connections_;
};

// ---------------------------------------------------------------------------

enum class TCheckOption : unsigned {
  chClick = 0x01,          // releasing the left button over an item toggles it
  chClickGlyph = 0x02,     // ... only inside the item's glyph
  chDblClick = 0x04,       // a left double click toggles
  chSpaceKey = 0x08,       // the space bar toggles
  chShiftRange = 0x10,     // with chExtendedSelect: toggling the selection needs Shift
  chExtendedSelect = 0x20, // extended selection; toggling acts on all selected items
  chMultiSelect = 0x40,    // several items may be checked; without it one at most
};
Q_DECLARE_FLAGS(TkitCheckOptions, TCheckOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TkitCheckOptions)

enum class TkitCheckStyle {
  csTickSunken,
  csTickFlat,
  csTickRaised,
  csTickTransparent,
  csTick3D,
  csCrossSunken,
  csCrossFlat,
  csCrossRaised,
  csCrossTransparent,
  csCross3D,
  csDiamondSunken,
  csDiamondFlat,
  csDiamondRaised,
  csDiamond3D,
  csCustom,
  csTickFlatWindows,
};

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TkitGlyphAlignH { gahLeft, gahRight };
enum class TkitGlyphAlignV { gavBottom, gavCenter, gavTop };

// The state of an item handed to OnDrawItem.
struct TkitOwnerDrawState {
  bool Selected = false;
  bool Focused = false;
  bool Disabled = false;
};

class TkitCustomCheckListBox;

// Raised before a check mark changes. `Value` is the state about to be set;
// a handler that changes it cancels the change. While it reports the
// uncheck of an item being removed, the handler must not add or remove items.
using TkitCheckNotifyEvent =
    std::function<void(TkitCustomCheckListBox& Sender, int Index, bool& Value)>;
// Replaces the list's own drawing of an item (the focus frame is still drawn).
using TkitDrawItemEvent =
    std::function<void(TkitCustomCheckListBox& Sender, QPainter& Canvas, int Index,
                       const QRect& Rect, TkitOwnerDrawState State)>;
// Adjusts the measured height of an item of a word-wrapping list.
using TkitMeasureItemEvent =
    std::function<void(TkitCustomCheckListBox& Sender, int Index, int& Height)>;

class TkitCustomCheckListBox : public TkitCustomSyncListBox {
  Q_OBJECT

public:
  explicit TkitCustomCheckListBox(QWidget* parent = nullptr);
  ~TkitCustomCheckListBox() override;

  // --- Marks.
  [[nodiscard]] bool GetChecked(const QString& text) const;
  // Sets the mark of the item found by IndexOfItem(); false when there is none.
  bool SetChecked(const QString& text, bool value);
  [[nodiscard]] bool IsCheckedAt(int index) const;
  // Raises OnCheck when the mark would change; a vetoed change does nothing.
  void SetCheckedAt(int index, bool value);
  [[nodiscard]] bool IsDisabledAt(int index) const;
  // A disabled item cannot be toggled by mouse or keyboard.
  void SetDisabledAt(int index, bool value);
  // A greyed item is drawn in the grey of disabled text but toggles as
  // any other: set apart, not locked. Unlike the marks it belongs to the
  // item, not to its text.
  [[nodiscard]] bool IsGrayedAt(int index) const;
  void SetGrayedAt(int index, bool value);

  [[nodiscard]] const TkitStringList& CheckedItems() const { return checkedItems_; }
  // Copies `value` without events; without chMultiSelect only its first
  // entry. Throws TkitListError ("Value does not exist in Items") when a
  // text is not among the items.
  void SetCheckedItems(const TkitStringList& value);
  [[nodiscard]] const TkitStringList& DisabledItems() const { return disabledItems_; }
  void SetDisabledItems(const TkitStringList& value);

  // Keeps the item's place; its marks move with it to the new text, without
  // OnCheck.
  void SetItemText(int index, const QString& text) override;

  // Makes the first checked item current; for callers that fill a list
  // from stored state before showing it.
  void Loaded();

  TkitCheckNotifyEvent OnCheck;
  TkitDrawItemEvent OnDrawItem;
  TkitMeasureItemEvent OnMeasureItem;

  // --- How marks are toggled. Setting normalises at once: the three click
  // modes exclude each other (the newly added wins), chExtendedSelect brings
  // chMultiSelect and the list's extended selection. Dropping
  // chMultiSelect while several items are checked drops every check and
  // disabled mark, then checks the current item again through OnCheck when
  // it was checked.
  [[nodiscard]] TkitCheckOptions Options() const { return options_; }
  void SetOptions(TkitCheckOptions value);

  // --- Glyph. Built-in styles load their bitmap; csCustom keeps Glyph().
  [[nodiscard]] TkitCheckStyle GlyphStyle() const { return glyphStyle_; }
  void SetGlyphStyle(TkitCheckStyle value);
  [[nodiscard]] const QImage& Glyph() const { return glyph_; }
  // Two cells side by side, checked left, unchecked right; magenta pixels
  // are the mark, olive ones the background. An empty image draws no mark.
  // Assigning a glyph makes the style csCustom.
  void SetGlyph(const QImage& value);
  [[nodiscard]] QColor GlyphForeColor() const { return glyphForeColor_; }
  void SetGlyphForeColor(const QColor& value);
  [[nodiscard]] TkitGlyphAlignH GlyphAlignH() const { return glyphAlignH_; }
  void SetGlyphAlignH(TkitGlyphAlignH value);
  [[nodiscard]] TkitGlyphAlignV GlyphAlignV() const { return glyphAlignV_; }
  void SetGlyphAlignV(TkitGlyphAlignV value);
  // Spacing unit around glyph and text, 1..10 pixels.
  [[nodiscard]] int GlyphSpace() const { return glyphSpace_; }
  void SetGlyphSpace(int value);

  // The glyph's place in an item rectangle, and the text's.
  [[nodiscard]] QRect GlyphRect(const QRect& itemRect) const;
  [[nodiscard]] QRect TextRect(const QRect& itemRect) const;

  // --- Drawing.
  [[nodiscard]] TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  [[nodiscard]] QColor CheckedColor() const { return checkedColor_; }
  void SetCheckedColor(const QColor& value);
  // CheckedColor follows every change of the font colour.
  [[nodiscard]] bool CheckedColorChange() const { return checkedColorChange_; }
  void SetCheckedColorChange(bool value);
  [[nodiscard]] bool DisabledItemsGrayed() const { return disabledItemsGrayed_; }
  void SetDisabledItemsGrayed(bool value);
  [[nodiscard]] bool ExpandTabs() const { return expandTabs_; }
  void SetExpandTabs(bool value);
  // Item texts split at their tabs into fields drawn in columns, lined up
  // across all items: each column as wide as its widest field (a column
  // before the last at most half the width left for it), a gap between
  // columns that never shrinks, and a field too wide for its place
  // shortened with an ellipsis (the last one in its middle, so that a path
  // keeps both ends). One line per item, left aligned; ExpandTabs, WordWrap
  // and Alignment do not apply while it is on. The texts stay as they are.
  [[nodiscard]] bool TabColumns() const { return tabColumns_; }
  void SetTabColumns(bool value);
  // Wrapped text gives items of varying height (in a one-column list).
  [[nodiscard]] bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  [[nodiscard]] bool ShowSelectedItem() const { return showSelectedItem_; }
  void SetShowSelectedItem(bool value);
  [[nodiscard]] bool ShowFocusRect() const { return showFocusRect_; }
  void SetShowFocusRect(bool value);
  // The height of every item when the heights are fixed.
  [[nodiscard]] int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int value);

  // Repaints one item at once, if it can be seen.
  virtual void RepaintItem(int index);

protected:
  // Applies the item height rule (fixed, or measured when word wrapping).
  void UpdateItemLayout() override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
  class TItemDelegate;

  // Marks.
  // Raises OnCheck; false when the handler refused the change.
  bool AskOnCheck(int index, bool value);
  void Toggle(int index) { SetCheckedAt(index, !IsCheckedAt(index)); }
  // Toggles every selected item and deselects all but `keep`.
  void ToggleSelection(int keep);
  // Single-check mode: `index` becomes the one checked item, with OnCheck
  // raised for it even when it already was.
  void MakeOnlyChecked(int index);
  void ToggleAtPoint(QPoint pos, Qt::KeyboardModifiers modifiers);
  [[nodiscard]] bool TogglesSelection(Qt::KeyboardModifiers modifiers) const;
  void CopyMarks(const TkitStringList& value, TkitStringList& target, bool firstOnly);
  // Whether an item outside the rows first..last carries `text`.
  [[nodiscard]] bool TextCarriedOutside(const QString& text, int first, int last) const;
  // Model hooks: items about to go, all items gone.
  void ItemsAboutToBeRemoved(int first, int last);
  void ContentReset();

  // Glyphs and drawing.
  void InstallDelegate();
  void LoadStyleGlyph();
  void AssignGlyph(const QImage& value, bool fromStyle);
  void BuildGlyphCache();
  [[nodiscard]] bool VariableHeight() const;
  [[nodiscard]] int TextFlags() const;
  // The columns of TabColumns: the width of every column but the last,
  // measured once after the items or the font change.
  [[nodiscard]] const std::vector<int>& ColumnWidths() const;
  [[nodiscard]] int ColumnGap() const;
  void DrawColumns(QPainter& canvas, const QRect& area, const QString& text) const;
  void ForgetColumns();
  void DrawItem(QPainter& painter, int index, const QRect& rect, TkitOwnerDrawState state);
  [[nodiscard]] int MeasureItem(int index) const;
  [[nodiscard]] QColor GrayTextColor() const;
  void FollowFontColor();
  void Relayout();

  TkitStringList checkedItems_;
  TkitStringList disabledItems_;
  TkitCheckOptions options_ =
      TCheckOption::chClick | TCheckOption::chSpaceKey | TCheckOption::chMultiSelect;
  TkitCheckStyle glyphStyle_ = TkitCheckStyle::csTickSunken;
  QImage glyph_;
  // Upper half: the glyph in its normal colours; lower half: greyed.
  QImage glyphCache_;
  // The off-screen buffer every item is composed in.
  QPixmap itemBuffer_;
  int cellWidth_ = 0;
  int cellHeight_ = 0;
  QColor glyphForeColor_ = Qt::black;
  TkitGlyphAlignH glyphAlignH_ = TkitGlyphAlignH::gahLeft;
  TkitGlyphAlignV glyphAlignV_ = TkitGlyphAlignV::gavCenter;
  int glyphSpace_ = 2;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  QColor checkedColor_;
  bool checkedColorChange_ = true;
  bool disabledItemsGrayed_ = true;
  bool expandTabs_ = false;
  bool tabColumns_ = false;
  mutable std::vector<int> columnWidths_;
  mutable bool columnsMeasured_ = false;
  bool wordWrap_ = false;
  bool showSelectedItem_ = true;
  bool showFocusRect_ = true;
  int itemHeight_ = 16;
  // The font colour CheckedColor last followed.
  QColor lastFontColor_;
  // Dropped on destruction: the model empties itself while it goes.
  std::vector<QMetaObject::Connection> modelConnections_;
};

// The check list box to place on a window.
class TkitCheckListBox final : public TkitCustomCheckListBox {
  Q_OBJECT

public:
  explicit TkitCheckListBox(QWidget* parent = nullptr);
  ~TkitCheckListBox() override;
};

} // namespace fegolin
