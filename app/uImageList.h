#pragma once

// lstImage: the six 16 x 16 images of the main window's actions.

#include <QIcon>
#include <QList>

namespace fegolin {

class TcImageList final {
public:
  TcImageList();
  [[nodiscard]] int Count() const { return static_cast<int>(icons_.size()); }
  // The image at `index`; a null icon outside the list.
  [[nodiscard]] QIcon Icon(int index) const;

private:
  QList<QIcon> icons_;
};

} // namespace fegolin
