#include "app/pages/uPageFonts.h"

#include <QStringList>

namespace fegolin {

QFont PixelFont(const QString& family, int pixelHeight, QFont::StyleHint hint, bool bold) {
  QFont font(family);
  font.setStyleHint(hint);
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return font;
}

QFont FormFont() {
  // Without the classic bitmap font the platform would fall back to its
  // default sans, which is much wider than the layouts were drawn for; a
  // Helvetica-like face keeps the captions inside their buttons.
  static const bool substituted = [] {
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    return true;
  }();
  static_cast<void>(substituted);
  return PixelFont(QStringLiteral("MS Sans Serif"), 11, QFont::SansSerif);
}

} // namespace fegolin
