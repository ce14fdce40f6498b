#include "kit/kitctl32.h"

#include <QtGui/QPainter>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOptionButton>

#include <algorithm>

namespace fegolin {
namespace {

constexpr int kUnboundedHeight = 100000;

QStyleOptionButton IndicatorOption(const QCheckBox& box) {
  QStyleOptionButton option;
  option.initFrom(&box);
  return option;
}

} // namespace

TkitCheckBox::TkitCheckBox(QWidget* parent) : QCheckBox(parent) {}

TkitCheckBox::TkitCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {}

void TkitCheckBox::SetAlignHorz(TkitHAlignment value) {
  if (alignHorz_ != value) {
    alignHorz_ = value;
    Restyle();
  }
}

void TkitCheckBox::SetAlignVert(TkitVAlignment value) {
  if (alignVert_ != value) {
    alignVert_ = value;
    Restyle();
  }
}

void TkitCheckBox::SetWordWrap(bool value) {
  if (wordWrap_ != value) {
    wordWrap_ = value;
    Restyle();
  }
}

void TkitCheckBox::Restyle() {
  updateGeometry();
  update();
}

Qt::Alignment TkitCheckBox::CaptionAlignment() const {
  Qt::Alignment result;
  switch (alignHorz_) {
  case TkitHAlignment::taLeftJustify:
    result = Qt::AlignLeft;
    break;
  case TkitHAlignment::taRightJustify:
    result = Qt::AlignRight;
    break;
  case TkitHAlignment::taCenter:
    result = Qt::AlignHCenter;
    break;
  }
  switch (alignVert_) {
  case TkitVAlignment::vaTop:
    result |= Qt::AlignTop;
    break;
  case TkitVAlignment::vaBottom:
    result |= Qt::AlignBottom;
    break;
  case TkitVAlignment::vaCenter:
    result |= Qt::AlignVCenter;
    break;
  }
  return result;
}

int TkitCheckBox::TextFlags() const {
  int flags = static_cast<int>(CaptionAlignment()) | Qt::TextShowMnemonic;
  if (wordWrap_) {
    flags |= Qt::TextWordWrap;
  }
  return flags;
}

QRect TkitCheckBox::IndicatorRect() const {
  const QStyleOptionButton option = IndicatorOption(*this);
  const int w = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
  const int h = style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this);
  const QRect bounds = rect();
  int top = bounds.top();
  // The box follows the caption: beside its first line, its middle or its last line.
  const int lineHeight = fontMetrics().height();
  switch (alignVert_) {
  case TkitVAlignment::vaTop:
    top = bounds.top() + std::max(0, (lineHeight - h) / 2);
    break;
  case TkitVAlignment::vaCenter:
    top = bounds.top() + (bounds.height() - h) / 2;
    break;
  case TkitVAlignment::vaBottom:
    top = bounds.bottom() + 1 - std::max(h, (lineHeight + h) / 2);
    break;
  }
  return {bounds.left(), top, w, h};
}

QRect TkitCheckBox::CaptionRectFor(const QRect& bounds) const {
  const QStyleOptionButton option = IndicatorOption(*this);
  const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
  const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);
  return bounds.adjusted(indicator + spacing, 0, 0, 0);
}

QRect TkitCheckBox::CaptionRect() const {
  return CaptionRectFor(rect());
}

int TkitCheckBox::heightForWidth(int width) const {
  const QRect caption = CaptionRectFor(QRect(0, 0, width, kUnboundedHeight));
  const int textHeight = fontMetrics().boundingRect(caption, TextFlags(), text()).height();
  const QStyleOptionButton option = IndicatorOption(*this);
  return std::max(textHeight, style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this));
}

QSize TkitCheckBox::sizeHint() const {
  const QStyleOptionButton option = IndicatorOption(*this);
  const int indicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this);
  const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, this);
  const QRect line = fontMetrics().boundingRect(QRect(0, 0, kUnboundedHeight, kUnboundedHeight),
                                                Qt::TextShowMnemonic, text());
  const int width = indicator + spacing + line.width();
  return {width, heightForWidth(width)};
}

QSize TkitCheckBox::minimumSizeHint() const {
  const QStyleOptionButton option = IndicatorOption(*this);
  return {style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, this),
          style()->pixelMetric(QStyle::PM_IndicatorHeight, &option, this)};
}

void TkitCheckBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  QStyleOptionButton option = IndicatorOption(*this);
  switch (checkState()) {
  case Qt::Unchecked:
    option.state |= QStyle::State_Off;
    break;
  case Qt::PartiallyChecked:
    option.state |= QStyle::State_NoChange;
    break;
  case Qt::Checked:
    option.state |= QStyle::State_On;
    break;
  }
  if (isDown()) {
    option.state |= QStyle::State_Sunken;
  }
  option.rect = IndicatorRect();
  style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);

  const QRect caption = CaptionRect();
  style()->drawItemText(&painter, caption, TextFlags(), palette(), isEnabled(), text(),
                        QPalette::WindowText);
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = fontMetrics().boundingRect(caption, TextFlags(), text()).intersected(caption);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

bool TkitCheckBox::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}

} // namespace fegolin
