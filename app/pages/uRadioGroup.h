#pragma once

// A captioned group of radio buttons laid out in columns, with one item
// index for the selection (-1: none).

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QRadioButton;

namespace fegolin {

class TcRadioGroup final : public QGroupBox {
  Q_OBJECT
public:
  TcRadioGroup(const QString& caption, const QStringList& items, int columns,
               QWidget* parent = nullptr);

  [[nodiscard]] int ItemIndex() const { return itemIndex_; }
  // Selects item `index`; an index past the last item selects the last one,
  // a negative one clears the selection.
  void SetItemIndex(int index);
  [[nodiscard]] int Count() const { return static_cast<int>(buttons_.size()); }
  // New captions for the items, in their order; extra ones are ignored.
  void SetItemTexts(const QStringList& items);

signals:
  // The user clicked an item; the item index is already updated.
  void Clicked();

private:
  std::vector<QRadioButton*> buttons_;
  int itemIndex_ = -1;
};

} // namespace fegolin
