#pragma once

// TkitShapeForm: a picture control that covers its form and gives the form
// the outline of the picture. Pixels whose colour lies near the picture's
// bottom-left pixel are cut out of the window; optionally the window can be
// dragged by any point, or by one control.

#include <QtCore/QPointer>
#include <QtGui/QColor>
#include <QtGui/QImage>
#include <QtGui/QRegion>
#include <QtWidgets/QWidget>

#include <functional>

namespace fegolin {

inline const QColor kDefaultShapeTolerance(0x10, 0x10, 0x10);

class TkitShapeForm : public QWidget {
  Q_OBJECT

public:
  // Throws std::runtime_error "This component must be owned by a TForm"
  // unless `form` is a window.
  explicit TkitShapeForm(QWidget* form);

  bool DragAnywhere() const { return dragAnywhere_; }
  void SetDragAnywhere(bool value) { dragAnywhere_ = value; }
  // Setting a drag control turns DragAnywhere off.
  QWidget* DragControl() const { return dragControl_; }
  void SetDragControl(QWidget* control);
  QImage Picture() const { return picture_; }
  void SetPicture(const QImage& picture);
  QColor Tolerance() const { return tolerance_; }
  void SetTolerance(const QColor& value) { tolerance_ = value; }
  // The colour cut away: the bottom-left pixel of the picture.
  QColor TransparentColor() const;

  void SetOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
  void SetOnDblClick(std::function<void()> handler) { onDblClick_ = std::move(handler); }

  // The opaque part of the picture as rows of rectangles; empty when there
  // is no picture (the window then stays rectangular).
  QRegion BuildRegion() const;
  // Sets the form's mask to BuildRegion() (on) or removes it (off).
  void ApplyRegion(bool on);
  // Follows the form's size and lets it be dragged by the drag area.
  void HookFormWindow();
  // Sizes the form to the picture.
  void FitFormToPicture();
  void PictureChanged();

  // Whether a press at `formPos` (form coordinates) starts a window drag.
  bool InDragArea(const QPoint& formPos) const;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
  bool StartDrag(const QPoint& formPos);

  QWidget* form_;
  bool dragAnywhere_ = false;
  QPointer<QWidget> dragControl_;
  QImage picture_;
  QImage bitmap_; // 32-bit copy the region and the painting use
  QColor tolerance_ = kDefaultShapeTolerance;
  bool pressed_ = false;
  std::function<void()> onClick_;
  std::function<void()> onDblClick_;
};

} // namespace fegolin
