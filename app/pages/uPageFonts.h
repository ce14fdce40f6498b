#pragma once

// The fonts of the main window, given as the pixel heights the layouts were
// drawn with. Where a family is missing, the platform's nearest one of the
// same kind stands in.

#include <QFont>
#include <QString>

namespace fegolin {

QFont PixelFont(const QString& family, int pixelHeight, QFont::StyleHint hint, bool bold = false);

// The window's own font: "MS Sans Serif", 11 pixels (8 points).
QFont FormFont();

} // namespace fegolin
