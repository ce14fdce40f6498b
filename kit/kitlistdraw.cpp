// Glyphs and drawing of the check list box. Every item is composed in an
// off-screen buffer and copied to the screen in one step; the recoloured
// glyphs are prepared once in a cache instead of at every paint.
#include "kit/kitlist.h"

#include "kit/kitjpeg.h"

#include <QAbstractItemDelegate>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QStyle>
#include <QStringList>
#include <QStyleOptionFocusRect>
#include <QTransform>

#include <algorithm>
#include <array>
#include <vector>

// The glyph bitmaps live in a resource of the kit's static library. Asking
// for it by name here keeps the linker from dropping it; the call has to be
// made outside any namespace.
static void InitKitGlyphResources() {
  Q_INIT_RESOURCE(kitglyphs);
}

namespace fegolin {

namespace {

// The two colours of a glyph bitmap that have a meaning.
constexpr QRgb kMarkColour = qRgb(255, 0, 255);
constexpr QRgb kBackgroundColour = qRgb(128, 128, 0);

// Resource names in the order of TkitCheckStyle; csCustom has none.
constexpr std::array<const char*, 16> kStyleResources = {
    "KITBMSCHECK", "KITBMFCHECK", "KITBMRCHECK", "KITBMTCHECK",   "KITBM3DCHECK", "KITBMSCROSS",
    "KITBMFCROSS", "KITBMRCROSS", "KITBMTCROSS", "KITBM3DCROSS",  "KITBMSDIAM",   "KITBMFDIAM",
    "KITBMRDIAM",  "KITBM3DDIAM", nullptr,       "KITBMFCHECKWIN"};

QImage LoadGlyphResource(TkitCheckStyle style) {
  static const bool registered = [] {
    InitKitGlyphResources();
    return true;
  }();
  (void)registered;
  const char* name = kStyleResources.at(static_cast<std::size_t>(style));
  if (name == nullptr) {
    return {};
  }
  // Where any screen has more than one device pixel per point, the bitmap
  // drawn at twice the size: scaled down on a plain screen it stays crisp,
  // while the small one scaled up would turn blocky.
  if (qGuiApp != nullptr && qGuiApp->devicePixelRatio() > 1) {
    QImage sharp =
        LoadBuiltInImage(QStringLiteral(":/kitglyphs/%1@2x").arg(QLatin1String(name)), "bmp");
    sharp.setDevicePixelRatio(2);
    return sharp;
  }
  return LoadBuiltInImage(QStringLiteral(":/kitglyphs/") + QLatin1String(name), "bmp");
}

} // namespace

// The view asks its delegate to draw and measure each item; both go back to
// the list, which does the owner drawing.
class TkitCustomCheckListBox::TItemDelegate final : public QAbstractItemDelegate {
public:
  explicit TItemDelegate(TkitCustomCheckListBox& list)
      : QAbstractItemDelegate(&list), list_(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    TkitOwnerDrawState state;
    state.Selected = option.state.testFlag(QStyle::State_Selected);
    state.Focused = option.state.testFlag(QStyle::State_HasFocus);
    list_.DrawItem(*painter, index.row(), option.rect, state);
  }

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const override {
    const int height = list_.VariableHeight() ? list_.MeasureItem(index.row()) : list_.itemHeight_;
    return {list_.ItemExtent(), height};
  }

private:
  TkitCustomCheckListBox& list_;
};

void TkitCustomCheckListBox::InstallDelegate() {
  setItemDelegate(new TItemDelegate(*this));
}

// --- Glyph ------------------------------------------------------------------

void TkitCustomCheckListBox::SetGlyphStyle(TkitCheckStyle value) {
  glyphStyle_ = value;
  if (value != TkitCheckStyle::csCustom) {
    LoadStyleGlyph();
  }
}

void TkitCustomCheckListBox::LoadStyleGlyph() {
  AssignGlyph(LoadGlyphResource(glyphStyle_), true);
}

void TkitCustomCheckListBox::SetGlyph(const QImage& value) {
  AssignGlyph(value, false);
}

void TkitCustomCheckListBox::AssignGlyph(const QImage& value, bool fromStyle) {
  if (!fromStyle) {
    glyphStyle_ = TkitCheckStyle::csCustom;
  }
  glyph_ = value;
  BuildGlyphCache();
  Relayout();
}

void TkitCustomCheckListBox::SetGlyphForeColor(const QColor& value) {
  glyphForeColor_ = value;
  BuildGlyphCache();
}

void TkitCustomCheckListBox::BuildGlyphCache() {
  // Cells are measured in points; a glyph may carry more pixels per point.
  const qreal scale = glyph_.devicePixelRatio();
  cellWidth_ = qRound(glyph_.width() / scale) / 2;
  cellHeight_ = qRound(glyph_.height() / scale);
  if (glyph_.isNull()) {
    glyphCache_ = QImage();
    cellWidth_ = 0;
    cellHeight_ = 0;
  } else {
    const QImage source = glyph_.convertToFormat(QImage::Format_RGB32);
    const int height = source.height();
    glyphCache_ = QImage(source.width(), 2 * height, QImage::Format_RGB32);
    const QRgb background = Color().rgb();
    const QRgb fore = glyphForeColor_.rgb();
    const QRgb gray = GrayTextColor().rgb();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < source.width(); ++x) {
        const QRgb pixel = source.pixel(x, y);
        const bool mark = (pixel & RGB_MASK) == (kMarkColour & RGB_MASK);
        const bool back = (pixel & RGB_MASK) == (kBackgroundColour & RGB_MASK);
        glyphCache_.setPixel(x, y, back ? background : mark ? fore : pixel);
        glyphCache_.setPixel(x, y + height, back ? background : mark ? gray : pixel);
      }
    }
    glyphCache_.setDevicePixelRatio(scale);
  }
  viewport()->update();
}

QRect TkitCustomCheckListBox::GlyphRect(const QRect& itemRect) const {
  const int top = itemRect.y();
  const int bottom = itemRect.y() + itemRect.height();
  int glyphTop = top;
  switch (glyphAlignV_) {
  case TkitGlyphAlignV::gavBottom:
    glyphTop = bottom - cellHeight_;
    break;
  case TkitGlyphAlignV::gavCenter:
    glyphTop = (top + bottom - cellHeight_) / 2;
    break;
  case TkitGlyphAlignV::gavTop:
    break;
  }
  const int glyphLeft = glyphAlignH_ == TkitGlyphAlignH::gahLeft
                            ? itemRect.x() + 2 * glyphSpace_
                            : itemRect.x() + itemRect.width() - cellWidth_ - 2 * glyphSpace_;
  return {glyphLeft, glyphTop, cellWidth_, cellHeight_};
}

QRect TkitCustomCheckListBox::TextRect(const QRect& itemRect) const {
  const int glyphPart = cellWidth_ + 3 * glyphSpace_;
  if (glyphAlignH_ == TkitGlyphAlignH::gahLeft) {
    return itemRect.adjusted(glyphPart, 0, 0, 0);
  }
  return itemRect.adjusted(0, 0, -glyphPart, 0);
}

// --- Drawing ----------------------------------------------------------------

QColor TkitCustomCheckListBox::GrayTextColor() const {
  return palette().color(QPalette::Disabled, QPalette::Text);
}

int TkitCustomCheckListBox::TextFlags() const {
  int flags = Qt::AlignTop;
  switch (alignment_) {
  case TAlignment::taLeftJustify:
    // Tabs expand only in left-aligned text.
    flags |= Qt::AlignLeft;
    break;
  case TAlignment::taRightJustify:
    flags |= Qt::AlignRight;
    break;
  case TAlignment::taCenter:
    flags |= Qt::AlignHCenter;
    break;
  }
  if (expandTabs_) {
    flags |= Qt::TextExpandTabs;
  }
  if (wordWrap_) {
    flags |= Qt::TextWordWrap;
  }
  return flags;
}

void TkitCustomCheckListBox::DrawItem(QPainter& painter, int index, const QRect& rect,
                                      TkitOwnerDrawState state) {
  QColor brush = Color();
  QColor pen = FontColor();
  if (showSelectedItem_ && state.Selected) {
    brush = palette().color(QPalette::Highlight);
    pen = palette().color(QPalette::HighlightedText);
  }
  state.Disabled = IsDisabledAt(index);
  if (OnDrawItem) {
    OnDrawItem(*this, painter, index, rect, state);
  } else if (!rect.isEmpty()) {
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QSize pixels = rect.size() * ratio;
    if (itemBuffer_.size() != pixels || itemBuffer_.devicePixelRatioF() != ratio) {
      itemBuffer_ = QPixmap(pixels);
      itemBuffer_.setDevicePixelRatio(ratio);
    }
    const QRect local(QPoint(0, 0), rect.size());
    const QRect text = TextRect(local);
    QPainter canvas(&itemBuffer_);
    canvas.fillRect(local, Color());
    // Only the text area shows the selection.
    canvas.fillRect(text, brush);
    const bool checked = IsCheckedAt(index);
    const bool grayed = state.Disabled && disabledItemsGrayed_;
    if (!state.Selected) {
      if (grayed || IsGrayedAt(index)) {
        pen = GrayTextColor();
      } else if (checked && checkedColor_ != pen) {
        pen = checkedColor_;
      }
    }
    if (cellWidth_ > 0 && cellHeight_ > 0) {
      const QRect cell(checked ? 0 : cellWidth_, grayed ? cellHeight_ : 0, cellWidth_, cellHeight_);
      const qreal scale = glyphCache_.devicePixelRatio();
      canvas.drawImage(GlyphRect(local).topLeft(), glyphCache_,
                       QTransform::fromScale(scale, scale).mapRect(cell));
    }
    canvas.setFont(font());
    canvas.setPen(pen);
    const QRect area = text.adjusted(glyphSpace_, 0, -glyphSpace_, 0);
    if (tabColumns_) {
      DrawColumns(canvas, area, ItemText(index));
    } else {
      canvas.drawText(area, TextFlags(), ItemText(index));
    }
    canvas.end();
    painter.drawPixmap(rect.topLeft(), itemBuffer_);
  }
  if (showFocusRect_ && state.Focused) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = TextRect(rect);
    focus.backgroundColor = brush;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

// --- Tab columns ------------------------------------------------------------

const std::vector<int>& TkitCustomCheckListBox::ColumnWidths() const {
  if (!columnsMeasured_) {
    columnWidths_.clear();
    const QFontMetrics metrics(font());
    for (int i = 0; i < count(); ++i) {
      const QStringList fields = ItemText(i).split(QLatin1Char('\t'));
      for (qsizetype f = 0; f + 1 < fields.size(); ++f) {
        const auto column = static_cast<std::size_t>(f);
        if (columnWidths_.size() <= column) {
          columnWidths_.resize(column + 1, 0);
        }
        columnWidths_[column] =
            std::max(columnWidths_[column], metrics.horizontalAdvance(fields[f]));
      }
    }
    columnsMeasured_ = true;
  }
  return columnWidths_;
}

int TkitCustomCheckListBox::ColumnGap() const {
  return std::max(2 * QFontMetrics(font()).averageCharWidth(), 8);
}

void TkitCustomCheckListBox::DrawColumns(QPainter& canvas, const QRect& area,
                                         const QString& text) const {
  const QStringList fields = text.split(QLatin1Char('\t'));
  const std::vector<int>& widths = ColumnWidths();
  const QFontMetrics metrics(font());
  const int gap = ColumnGap();
  int x = area.left();
  for (qsizetype f = 0; f < fields.size(); ++f) {
    const int room = area.right() + 1 - x;
    if (room <= 0) {
      return;
    }
    const bool last = f + 1 == fields.size();
    const auto column = static_cast<std::size_t>(f);
    const int width = last ? room : std::min(column < widths.size() ? widths[column] : 0, room / 2);
    const QString shown =
        metrics.elidedText(fields[f], last ? Qt::ElideMiddle : Qt::ElideRight, width);
    canvas.drawText(QRect(x, area.top(), width, area.height()),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
    x += width + gap;
  }
}

void TkitCustomCheckListBox::ForgetColumns() {
  columnsMeasured_ = false;
  viewport()->update();
}

void TkitCustomCheckListBox::SetTabColumns(bool value) {
  tabColumns_ = value;
  ForgetColumns();
}

bool TkitCustomCheckListBox::VariableHeight() const {
  return wordWrap_ && !tabColumns_ && Columns() == 0;
}

int TkitCustomCheckListBox::MeasureItem(int index) const {
  // Measured with the width the text is drawn in, so that no wrapped line
  // falls below the item.
  const int width = std::max(viewport()->width() - cellWidth_ - 5 * glyphSpace_, 1);
  const QFontMetrics metrics(font());
  const QRect bounds = metrics.boundingRect(QRect(0, 0, width, 0), TextFlags(), ItemText(index));
  int height = std::max(bounds.height(), metrics.height());
  if (OnMeasureItem) {
    OnMeasureItem(const_cast<TkitCustomCheckListBox&>(*this), index, height);
  }
  return std::max(height, 1);
}

void TkitCustomCheckListBox::UpdateItemLayout() {
  setUniformItemSizes(!VariableHeight());
  // Lets the view lay the items out again when its width changes.
  setWordWrap(VariableHeight());
  TkitCustomSyncListBox::UpdateItemLayout();
}

void TkitCustomCheckListBox::Relayout() {
  // The view caches the size of uniform items; switching the cache off and
  // on forgets it.
  setUniformItemSizes(false);
  UpdateItemLayout();
  viewport()->update();
}

// --- Colours and fonts ------------------------------------------------------

void TkitCustomCheckListBox::changeEvent(QEvent* event) {
  TkitCustomSyncListBox::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) {
    BuildGlyphCache();
    if (FontColor() != lastFontColor_) {
      FollowFontColor();
    }
  } else if (event->type() == QEvent::FontChange) {
    ForgetColumns();
    FollowFontColor();
    if (VariableHeight()) {
      Relayout();
    }
  }
}

void TkitCustomCheckListBox::FollowFontColor() {
  lastFontColor_ = FontColor();
  if (checkedColorChange_) {
    checkedColor_ = lastFontColor_;
  }
  viewport()->update();
}

void TkitCustomCheckListBox::SetCheckedColor(const QColor& value) {
  checkedColor_ = value;
  viewport()->update();
}

void TkitCustomCheckListBox::SetCheckedColorChange(bool value) {
  checkedColorChange_ = value;
  if (value) {
    FollowFontColor();
  }
}

// --- Plain drawing properties -----------------------------------------------

void TkitCustomCheckListBox::SetGlyphAlignH(TkitGlyphAlignH value) {
  glyphAlignH_ = value;
  viewport()->update();
}

void TkitCustomCheckListBox::SetGlyphAlignV(TkitGlyphAlignV value) {
  glyphAlignV_ = value;
  viewport()->update();
}

void TkitCustomCheckListBox::SetGlyphSpace(int value) {
  glyphSpace_ = std::clamp(value, 1, 10);
  Relayout();
}

void TkitCustomCheckListBox::SetAlignment(TAlignment value) {
  alignment_ = value;
  viewport()->update();
}

void TkitCustomCheckListBox::SetDisabledItemsGrayed(bool value) {
  disabledItemsGrayed_ = value;
  viewport()->update();
}

void TkitCustomCheckListBox::SetExpandTabs(bool value) {
  expandTabs_ = value;
  Relayout();
}

void TkitCustomCheckListBox::SetWordWrap(bool value) {
  wordWrap_ = value;
  Relayout();
}

void TkitCustomCheckListBox::SetShowSelectedItem(bool value) {
  showSelectedItem_ = value;
  viewport()->update();
}

void TkitCustomCheckListBox::SetShowFocusRect(bool value) {
  showFocusRect_ = value;
  viewport()->update();
}

void TkitCustomCheckListBox::SetItemHeight(int value) {
  itemHeight_ = std::max(value, 1);
  Relayout();
}

} // namespace fegolin
