#include "kit/kitshapf.h"

#include <QtGui/QMouseEvent>
#include <QtGui/QPainter>
#include <QtGui/QWindow>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace fegolin {
namespace {

// Rectangles gathered before they are joined into the result, which keeps
// the cost of the joins low for busy pictures.
constexpr std::size_t kRectBatch = 2000;

QWidget* RequireForm(QWidget* form) {
  if (form == nullptr || !form->isWindow()) {
    throw std::runtime_error("This component must be owned by a TForm");
  }
  return form;
}

struct ChannelRange {
  int low;
  int high;
  [[nodiscard]] bool contains(int value) const { return value >= low && value <= high; }
};

// low = T - D clamped, high = low + 2D clamped: near 0 the range keeps its
// full width instead of being cut at T + D.
ChannelRange RangeAround(int transparent, int tolerance) {
  const int low = std::clamp(transparent - tolerance, 0, 255);
  return {low, std::clamp(low + 2 * tolerance, 0, 255)};
}

} // namespace

TkitShapeForm::TkitShapeForm(QWidget* form) : QWidget(RequireForm(form)), form_(form) {
  setGeometry(form_->rect());
  HookFormWindow();
}

void TkitShapeForm::SetDragControl(QWidget* control) {
  dragControl_ = control;
  if (control != nullptr) {
    dragAnywhere_ = false;
  }
}

void TkitShapeForm::SetPicture(const QImage& picture) {
  picture_ = picture;
  PictureChanged();
}

QColor TkitShapeForm::TransparentColor() const {
  if (bitmap_.isNull()) {
    return {};
  }
  return QColor::fromRgb(bitmap_.pixel(0, bitmap_.height() - 1));
}

void TkitShapeForm::PictureChanged() {
  bitmap_ = picture_.isNull() ? QImage() : picture_.convertToFormat(QImage::Format_RGB32);
  FitFormToPicture();
  if (isEnabled()) {
    ApplyRegion(true);
  } else {
    update();
  }
}

void TkitShapeForm::FitFormToPicture() {
  // In points: a picture for a high-density screen carries more pixels.
  const QSize size = picture_.deviceIndependentSize().toSize();
  if (!picture_.isNull() && form_->size() != size) {
    form_->resize(size);
  }
}

QRegion TkitShapeForm::BuildRegion() const {
  if (bitmap_.isNull()) {
    return {};
  }
  const QColor transparent = TransparentColor();
  const ChannelRange red = RangeAround(transparent.red(), tolerance_.red());
  const ChannelRange green = RangeAround(transparent.green(), tolerance_.green());
  const ChannelRange blue = RangeAround(transparent.blue(), tolerance_.blue());
  const auto see_through = [&](QRgb pixel) {
    return red.contains(qRed(pixel)) && green.contains(qGreen(pixel)) &&
           blue.contains(qBlue(pixel));
  };

  QRegion result;
  std::vector<QRect> batch;
  batch.reserve(kRectBatch);
  const auto flush = [&] {
    if (!batch.empty()) {
      QRegion part;
      // Rows top to bottom, runs left to right: the banded order setRects needs.
      part.setRects(batch.data(), static_cast<int>(batch.size()));
      result += part;
      batch.clear();
    }
  };
  // The mask is measured in points: a picture for a high-density screen is
  // read at its size in points.
  const QImage points = bitmap_.devicePixelRatio() == 1
                            ? bitmap_
                            : bitmap_.scaled(bitmap_.deviceIndependentSize().toSize(),
                                             Qt::IgnoreAspectRatio, Qt::FastTransformation);
  const int width = points.width();
  for (int y = 0; y < points.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(points.constScanLine(y));
    int x = 0;
    while (x < width) {
      if (see_through(row[x])) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < width && !see_through(row[x])) {
        ++x;
      }
      batch.emplace_back(start, y, x - start, 1);
      if (batch.size() == kRectBatch) {
        flush();
      }
    }
  }
  flush();
  return result;
}

void TkitShapeForm::ApplyRegion(bool on) {
  const QRegion region = on ? BuildRegion() : QRegion();
  if (region.isEmpty()) {
    form_->clearMask();
  } else {
    form_->setMask(region);
  }
}

void TkitShapeForm::HookFormWindow() {
  form_->removeEventFilter(this);
  form_->installEventFilter(this);
}

bool TkitShapeForm::InDragArea(const QPoint& formPos) const {
  if (dragAnywhere_) {
    return true;
  }
  return !dragControl_.isNull() && dragControl_->geometry().contains(formPos);
}

bool TkitShapeForm::StartDrag(const QPoint& formPos) {
  if (!InDragArea(formPos)) {
    return false;
  }
  if (QWindow* handle = form_->windowHandle()) {
    handle->startSystemMove();
  }
  return true;
}

bool TkitShapeForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == form_) {
    if (event->type() == QEvent::Resize) {
      setGeometry(form_->rect());
    } else if (event->type() == QEvent::MouseButtonPress) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton && StartDrag(mouse->position().toPoint())) {
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TkitShapeForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    ApplyRegion(isEnabled());
  }
  QWidget::changeEvent(event);
}

void TkitShapeForm::paintEvent(QPaintEvent* /*event*/) {
  if (!bitmap_.isNull()) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), bitmap_);
  }
}

void TkitShapeForm::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && StartDrag(mapTo(form_, event->position().toPoint()))) {
    return;
  }
  pressed_ = event->button() == Qt::LeftButton;
}

void TkitShapeForm::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click && onClick_) {
    onClick_();
  }
}

void TkitShapeForm::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && onDblClick_) {
    onDblClick_();
  }
}

} // namespace fegolin
