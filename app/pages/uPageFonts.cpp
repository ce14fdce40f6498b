#include "app/pages/uPageFonts.h"

namespace fegolin {

QFont PixelFont(const QString& family, int pixelHeight, QFont::StyleHint hint, bool bold) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return font;
}

QFont FormFont() {
  return PixelFont(QStringLiteral("MS Sans Serif"), 11, QFont::SansSerif);
}

} // namespace fegolin
