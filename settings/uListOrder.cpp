#include "settings/uListOrder.h"

namespace fegolin {

bool ListsBefore(const QString& a, const QString& b) {
  const int order = QString::compare(a, b, Qt::CaseInsensitive);
  return order != 0 ? order < 0 : a < b;
}

int IndexOfText(int count, const std::function<QString(int)>& textAt, const QString& text) {
  for (int i = 0; i < count; ++i) {
    if (textAt(i) == text) {
      return i;
    }
  }
  for (int i = 0; i < count; ++i) {
    if (textAt(i).compare(text, Qt::CaseInsensitive) == 0) {
      return i;
    }
  }
  return -1;
}

} // namespace fegolin
