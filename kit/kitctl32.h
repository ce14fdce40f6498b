#pragma once

// TkitCheckBox: a check box whose caption wraps onto further lines inside
// the box's own width and can be aligned horizontally and vertically.

#include <QtWidgets/QCheckBox>

#include <cstdint>

namespace fegolin {

enum class TkitHAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TkitVAlignment : std::uint8_t { vaTop, vaBottom, vaCenter };

class TkitCheckBox : public QCheckBox {
  Q_OBJECT

public:
  explicit TkitCheckBox(QWidget* parent = nullptr);
  TkitCheckBox(const QString& text, QWidget* parent);

  TkitHAlignment AlignHorz() const { return alignHorz_; }
  void SetAlignHorz(TkitHAlignment value);
  TkitVAlignment AlignVert() const { return alignVert_; }
  void SetAlignVert(TkitVAlignment value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);

  // Where the caption goes inside the box, from the three properties.
  Qt::Alignment CaptionAlignment() const;
  // The rectangles of the indicator and the caption for the current size.
  QRect IndicatorRect() const;
  QRect CaptionRect() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  bool hasHeightForWidth() const override { return wordWrap_; }
  int heightForWidth(int width) const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  bool hitButton(const QPoint& pos) const override;

private:
  int TextFlags() const;
  QRect CaptionRectFor(const QRect& bounds) const;
  void Restyle();

  TkitHAlignment alignHorz_ = TkitHAlignment::taLeftJustify;
  TkitVAlignment alignVert_ = TkitVAlignment::vaTop;
  bool wordWrap_ = true;
};

} // namespace fegolin
