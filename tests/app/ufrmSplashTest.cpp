// The splash host: creating it runs the modal splash with the program's
// picture and settings, and returns once the splash has gone.
#include "app/ufrmSplash.h"

#include "app/uPictures.h"
#include "kit/kitfspla.h"
#include "kit/kitspla.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFrame>

#include <gtest/gtest.h>

namespace fegolin {
namespace {

TkitsfSplash* LiveSplashWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* splash = qobject_cast<TkitsfSplash*>(widget);
        splash != nullptr && splash->isVisible()) {
      return splash;
    }
  }
  return nullptr;
}

struct Seen {
  bool found = false;
  QSize size;
  int interval = 0;
  int bevel = 0;
  bool modal = false;
  bool onTop = false;
};

TEST(TfrmSplash, ShowsTheModalSplashWhileItIsCreated) {
  Seen seen;
  // Runs inside the splash's modal loop: look at the window, then let its
  // close timer fire.
  QTimer::singleShot(0, [&seen] {
    TkitsfSplash* window = LiveSplashWindow();
    if (window == nullptr) {
      return;
    }
    seen = {true,
            window->size(),
            window->CloseInterval(),
            window->pnlSplash->lineWidth(),
            window->isModal(),
            window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)};
    QTimerEvent due(window->CloseTimer().timerId());
    QCoreApplication::sendEvent(&window->CloseTimer(), &due);
  });
  QWidget owner;
  auto* form = new TfrmSplash(&owner);

  ASSERT_TRUE(seen.found);
  EXPECT_EQ(seen.size, QSize(306, 206));
  EXPECT_EQ(seen.interval, 2000);
  EXPECT_EQ(seen.bevel, 3);
  EXPECT_TRUE(seen.modal);
  EXPECT_TRUE(seen.onTop);
  EXPECT_EQ(form->kitSplash1->SplashWindow(), nullptr);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Fegolin"));
  EXPECT_EQ(form->kitSplash1->AnimateShow().Effect(), TkitAnimEffect::aweBlend);
  EXPECT_EQ(form->kitSplash1->AnimateHide().Effect(), TkitAnimEffect::aweBlend);
  EXPECT_FALSE(form->kitSplash1->AllowLocalBmp());
  EXPECT_FALSE(form->kitSplash1->ShapeForm());
  // Gone with the splash: nothing shows it again.
  EXPECT_TRUE(form->kitSplash1->Picture().isNull());
  EXPECT_TRUE(form->kitSplash1->PictureVGA().isNull());
}

TEST(Pictures, BothPicturesDecode) {
  EXPECT_EQ(SplashPicture().size(), QSize(300, 200));
  EXPECT_EQ(InfoPicture().size(), QSize(90, 115));
}

} // namespace
} // namespace fegolin
