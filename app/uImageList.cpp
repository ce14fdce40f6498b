#include "app/uImageList.h"

#include <QSize>
#include <QString>

// The images come from a static archive; referencing the resource's
// initialiser keeps them in the program. Q_INIT_RESOURCE belongs in the
// global namespace, where rcc defines the initialiser.
static void InitMainImages() {
  Q_INIT_RESOURCE(fegolin_main_images);
}
static void InitProgramIcon() {
  Q_INIT_RESOURCE(fegolin_icon);
}

namespace fegolin {

TcImageList::TcImageList() {
  InitMainImages();
  for (const char* name : {"0_add_directory", "1_save", "2_delete_entry", "3_delete_all",
                           "4_rename_entry", "5_default_entries"}) {
    // Qt's SVG icon engine renders the drawing at each size and density
    // asked for, and hands out the pixel image unchanged where its size is
    // asked for exactly: at one device pixel per point.
    QIcon icon(QStringLiteral(":/images/main/%1.svg").arg(QLatin1String(name)));
    icon.addFile(QStringLiteral(":/images/main/%1.png").arg(QLatin1String(name)), QSize(16, 16));
    icons_.append(icon);
  }
}

QIcon TcImageList::Icon(int index) const {
  return index >= 0 && index < icons_.size() ? icons_.at(index) : QIcon();
}

QIcon ProgramIcon() {
  InitProgramIcon();
  return QIcon(QStringLiteral(":/icons/fegolin.svg"));
}

} // namespace fegolin
