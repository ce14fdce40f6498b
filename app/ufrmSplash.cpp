#include "app/ufrmSplash.h"

#include "app/uPictures.h"
#include "kit/kitspla.h"

#include <QtGui/QCloseEvent>

namespace fegolin {

TfrmSplash::TfrmSplash(QWidget* owner) : QWidget(owner, Qt::Window) {
  setWindowTitle(QStringLiteral("Fegolin"));
  resize(271, 229);

  kitSplash1 = new TkitSplash(this);
  kitSplash1->BeginLoading();
  kitSplash1->SetAllowLocalBmp(false);
  kitSplash1->AnimateShow().SetEffect(TkitAnimEffect::aweBlend);
  kitSplash1->AnimateHide().SetEffect(TkitAnimEffect::aweBlend);
  kitSplash1->SetBevelWidth(3);
  kitSplash1->SetDuration(2000);
  // Decoded only for a splash that shows, and let go once it has gone:
  // nothing shows it again, and the program may wait in the notification
  // area for days.
  if (!NoSplashRequested()) {
    const QImage picture = SplashPicture();
    kitSplash1->SetPicture(picture);
    kitSplash1->SetPictureVGA(picture);
  }
  kitSplash1->SetShowModal(true);
  kitSplash1->SetAutoShow(true); // shows the splash here, while loading
  kitSplash1->SetAutoShowOnDestroy(false);
  kitSplash1->Loaded();
  kitSplash1->SetPicture({});
  kitSplash1->SetPictureVGA({});
}

void TfrmSplash::closeEvent(QCloseEvent* event) {
  setAttribute(Qt::WA_DeleteOnClose);
  event->accept();
}

} // namespace fegolin
