#include "app/uImageList.h"

#include <QPixmap>
#include <QString>

// The images come from a static archive; referencing the resource's
// initialiser keeps them in the program. Q_INIT_RESOURCE belongs in the
// global namespace, where rcc defines the initialiser.
static void InitMainImages() { Q_INIT_RESOURCE(fegolin_main_images); }

namespace fegolin {

TcImageList::TcImageList() {
  InitMainImages();
  for (const char* name : {"0_add_directory", "1_save", "2_delete_entry", "3_delete_all",
                           "4_rename_entry", "5_default_entries"}) {
    icons_.append(QIcon(QPixmap(QStringLiteral(":/images/main/%1.png").arg(QLatin1String(name)))));
  }
}

QIcon TcImageList::Icon(int index) const {
  return index >= 0 && index < icons_.size() ? icons_.at(index) : QIcon();
}

} // namespace fegolin
