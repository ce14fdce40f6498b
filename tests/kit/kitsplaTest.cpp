// Splash screen: the command-line switch, the animation settings, the window's
// picture, size, timer and clicks, the picture outline and the JPEG decoder.
#include "kit/kitfspla.h"
#include "kit/kitjpeg.h"
#include "kit/kitshapf.h"
#include "kit/kitspla.h"
#include "kit/kitwanim.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QFile>
#include <QtCore/QTimer>
#include <QtGui/QGuiApplication>
#include <QtGui/QScreen>
#include <QtTest/QTest>
#include <QtWidgets/QFrame>

#include <gtest/gtest.h>

#include <stdexcept>

namespace fegolin {
namespace {

QImage Filled(int width, int height, QColor colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// Regions compare by area: the same pixels may be held as different bands.
::testing::AssertionResult SameArea(const QRegion& actual, const QRegion& expected) {
  if (actual.xored(expected).isEmpty()) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "regions differ; bounding " << actual.boundingRect().x() << ","
         << actual.boundingRect().y() << " " << actual.boundingRect().width() << "x"
         << actual.boundingRect().height() << ", " << actual.rectCount() << " rects";
}

void FlushDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Fires the window's close timer the way the timer itself does when due.
void FireCloseTimer(TkitsfSplash& window) {
  QTimerEvent due(window.CloseTimer().timerId());
  QCoreApplication::sendEvent(&window.CloseTimer(), &due);
}

// --- command line --------------------------------------------------------------

struct SwitchCase {
  const char* name;
  QStringList arguments;
  bool suppressed;
};

class NoSplashTest : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(NoSplashTest, RecognisesTheSwitchInAnyCase) {
  EXPECT_EQ(NoSplashRequested(GetParam().arguments), GetParam().suppressed);
}

INSTANTIATE_TEST_SUITE_P(Arguments, NoSplashTest,
                         ::testing::Values(SwitchCase{"Dash", {"-ns"}, true},
                                           SwitchCase{"SlashUpper", {"/NS"}, true},
                                           SwitchCase{"SlashMixed", {"/Ns"}, true},
                                           SwitchCase{"AmongOthers", {"-x", "-nS", "file"}, true},
                                           SwitchCase{"None", {}, false},
                                           SwitchCase{"BareWord", {"ns"}, false},
                                           SwitchCase{"DoubleDash", {"--ns"}, false},
                                           SwitchCase{"Longer", {"/nsx"}, false},
                                           SwitchCase{"PaddedBlank", {" -ns"}, false}),
                         [](const auto& p) { return std::string(p.param.name); });

// --- animation settings -----------------------------------------------------------

struct AnimCase {
  const char* name;
  std::function<void(TkitAnimateWin&)> change;
  TkitAnimEffect effect;
  TkitAnimDirection horz;
  TkitAnimDirection vert;
  std::uint32_t showFlags;
};

class AnimateWinTest : public ::testing::TestWithParam<AnimCase> {};

TEST_P(AnimateWinTest, SettersNormaliseAndFlagsAddUp) {
  const AnimCase& c = GetParam();
  TkitAnimateWin animation;
  c.change(animation);
  EXPECT_EQ(animation.Effect(), c.effect);
  EXPECT_EQ(animation.Horz(), c.horz);
  EXPECT_EQ(animation.Vert(), c.vert);
  EXPECT_EQ(animation.AnimateFlags(TkitAnimMode::Show), c.showFlags);
  EXPECT_EQ(animation.AnimateFlags(TkitAnimMode::Hide), c.showFlags | aw::HIDE);
}

using E = TkitAnimEffect;
using D = TkitAnimDirection;

INSTANTIATE_TEST_SUITE_P(
    Rules, AnimateWinTest,
    ::testing::Values(
        AnimCase{"Default", [](TkitAnimateWin&) {}, E::aweNone, D::awdNone, D::awdNone, 0},
        AnimCase{"RollGetsAHorizontalDirection", [](TkitAnimateWin& a) { a.SetEffect(E::aweRoll); },
                 E::aweRoll, D::awdPositive, D::awdNone, aw::HOR_POSITIVE},
        AnimCase{"SlideKeepsAnExistingDirection",
                 [](TkitAnimateWin& a) {
                   a.SetVert(D::awdNegative);
                   a.SetEffect(E::aweSlide);
                 },
                 E::aweSlide, D::awdNone, D::awdNegative, aw::SLIDE | aw::VER_NEGATIVE},
        AnimCase{"ClearingTheLastDirectionStopsARoll",
                 [](TkitAnimateWin& a) {
                   a.SetEffect(E::aweRoll);
                   a.SetHorz(D::awdNone);
                 },
                 E::aweNone, D::awdNone, D::awdNone, 0},
        AnimCase{"ClearingOneOfTwoDirectionsKeepsTheSlide",
                 [](TkitAnimateWin& a) {
                   a.SetEffect(E::aweSlide);
                   a.SetVert(D::awdPositive);
                   a.SetHorz(D::awdNone);
                 },
                 E::aweSlide, D::awdNone, D::awdPositive, aw::SLIDE | aw::VER_POSITIVE},
        AnimCase{"BlendNeedsNoDirection",
                 [](TkitAnimateWin& a) {
                   a.SetEffect(E::aweBlend);
                   a.SetHorz(D::awdNone);
                 },
                 E::aweBlend, D::awdNone, D::awdNone, aw::BLEND},
        AnimCase{"CenterWithBothDirections",
                 [](TkitAnimateWin& a) {
                   a.SetEffect(E::aweCenter);
                   a.SetHorz(D::awdNegative);
                   a.SetVert(D::awdPositive);
                 },
                 E::aweCenter, D::awdNegative, D::awdPositive,
                 aw::CENTER | aw::HOR_NEGATIVE | aw::VER_POSITIVE}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(AnimateWin, EveryChangeIsReported) {
  int changes = 0;
  TkitAnimateWin animation([&] { ++changes; });
  animation.SetEffect(E::aweRoll);
  animation.SetDuration(50);
  animation.SetVert(D::awdPositive);
  EXPECT_EQ(changes, 3);
}

TEST(SplashShaping, ShapingTurnsMovingEffectsIntoBlends) {
  TkitSplash splash;
  splash.AnimateShow().SetEffect(E::aweSlide);
  splash.AnimateHide().SetEffect(E::aweCenter);
  splash.SetShapeForm(true);
  EXPECT_TRUE(splash.ShapeForm());
  EXPECT_EQ(splash.AnimateShow().Effect(), E::aweBlend);
  EXPECT_EQ(splash.AnimateHide().Effect(), E::aweBlend);

  splash.AnimateHide().SetEffect(E::aweRoll);
  EXPECT_FALSE(splash.ShapeForm());
}

// --- picture outline ---------------------------------------------------------------

class ShapeFormTest : public ::testing::Test {
protected:
  QWidget form;
  TkitShapeForm shape{&form};
};

TEST_F(ShapeFormTest, RefusesAControlAsOwner) {
  QWidget inner(&form);
  EXPECT_THROW(TkitShapeForm{&inner}, std::runtime_error);
}

TEST_F(ShapeFormTest, BorderInTheToleranceRangeIsCutAway) {
  QImage picture = Filled(10, 8, QColor(100, 100, 100));
  picture.setPixel(0, 0, qRgb(116, 84, 100));  // at the edge of the range: cut
  picture.setPixel(9, 0, qRgb(117, 100, 100)); // one past it: kept
  for (int y = 2; y < 6; ++y) {
    for (int x = 3; x < 7; ++x) {
      picture.setPixel(x, y, qRgb(200, 50, 50));
    }
  }
  shape.SetPicture(picture);
  const QRegion expected = QRegion(3, 2, 4, 4) + QRegion(9, 0, 1, 1);
  EXPECT_TRUE(SameArea(shape.BuildRegion(), expected));
  EXPECT_EQ(form.size(), QSize(10, 8));
  EXPECT_TRUE(SameArea(form.mask(), expected));
}

// A picture for a screen with two device pixels per point: the window and
// its outline are measured in points.
TEST_F(ShapeFormTest, DensePictureIsMeasuredInPoints) {
  QImage picture = Filled(20, 16, QColor(100, 100, 100));
  for (int y = 4; y < 12; ++y) {
    for (int x = 6; x < 14; ++x) {
      picture.setPixel(x, y, qRgb(200, 50, 50));
    }
  }
  picture.setDevicePixelRatio(2);
  shape.SetPicture(picture);
  EXPECT_EQ(form.size(), QSize(10, 8));
  EXPECT_TRUE(SameArea(form.mask(), QRegion(3, 2, 4, 4)));
}

TEST_F(ShapeFormTest, RangeNearZeroKeepsItsFullWidth) {
  QImage picture = Filled(4, 1, QColor(5, 5, 5));
  picture.setPixel(1, 0, qRgb(32, 32, 32)); // below 2 x 16 above zero: transparent
  picture.setPixel(2, 0, qRgb(33, 5, 5));   // one channel out: opaque
  shape.SetPicture(picture);
  EXPECT_TRUE(SameArea(shape.BuildRegion(), QRegion(2, 0, 1, 1)));
}

TEST_F(ShapeFormTest, ManyRunsAreJoinedAcrossBatches) {
  // Every other column opaque: 50 runs a row, 2,500 in all.
  QImage picture = Filled(100, 50, QColor(0, 0, 0));
  QRegion expected;
  for (int x = 1; x < 100; x += 2) {
    for (int y = 0; y < 50; ++y) {
      picture.setPixel(x, y, qRgb(255, 255, 255));
    }
    expected += QRegion(x, 0, 1, 50);
  }
  picture.setPixel(0, 49, qRgb(0, 0, 0));
  shape.SetPicture(picture);
  EXPECT_TRUE(SameArea(shape.BuildRegion(), expected));
}

TEST_F(ShapeFormTest, NoOpaquePixelLeavesTheWindowRectangular) {
  shape.SetPicture(Filled(6, 6, QColor(40, 40, 40)));
  EXPECT_TRUE(shape.BuildRegion().isEmpty());
  EXPECT_TRUE(form.mask().isEmpty());
}

TEST_F(ShapeFormTest, DisablingRemovesTheOutline) {
  QImage picture = Filled(6, 6, QColor(0, 0, 0));
  picture.setPixel(2, 2, qRgb(255, 0, 0));
  shape.SetPicture(picture);
  EXPECT_FALSE(form.mask().isEmpty());
  shape.setEnabled(false);
  EXPECT_TRUE(form.mask().isEmpty());
  shape.setEnabled(true);
  EXPECT_TRUE(SameArea(form.mask(), QRegion(2, 2, 1, 1)));
}

TEST_F(ShapeFormTest, DragAreaFollowsTheSettings) {
  QWidget handle(&form);
  handle.setGeometry(10, 10, 20, 20);
  EXPECT_FALSE(shape.InDragArea(QPoint(15, 15)));
  shape.SetDragAnywhere(true);
  EXPECT_TRUE(shape.InDragArea(QPoint(50, 50)));
  shape.SetDragControl(&handle);
  EXPECT_FALSE(shape.DragAnywhere());
  EXPECT_TRUE(shape.InDragArea(QPoint(15, 15)));
  EXPECT_FALSE(shape.InDragArea(QPoint(50, 50)));
}

// --- the splash window -------------------------------------------------------------------

class SplashTest : public ::testing::Test {
protected:
  SplashTest() {
    splash.SetAllowLocalBmp(false);
    splash.SetPicture(Filled(300, 200, Qt::blue));
    splash.SetBevelWidth(3);
  }
  ~SplashTest() override {
    splash.HideSplash();
    FlushDeletes();
  }
  TkitSplash splash;
};

TEST_F(SplashTest, NeedsAPicture) {
  TkitSplash empty;
  try {
    empty.ShowSplash();
    FAIL() << "expected an error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Picture required");
  }
  EXPECT_EQ(empty.SplashWindow(), nullptr);
}

TEST_F(SplashTest, WindowFramesThePictureInTheMiddleOfTheScreen) {
  splash.SetDuration(2000);
  splash.ShowSplash();
  TkitsfSplash* window = splash.SplashWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->size(), QSize(306, 206));
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(window->pos(), QPoint((screen.width() - 306) / 2, (screen.height() - 206) / 2));
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->pnlSplash->isVisible());
  EXPECT_EQ(window->pnlSplash->lineWidth(), 3);
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(window->CloseTimerRunning());
  EXPECT_EQ(window->CloseInterval(), 2000);

  splash.ShowSplash();
  EXPECT_EQ(splash.SplashWindow(), window);
}

TEST_F(SplashTest, ClosesOnItsTimer) {
  int hidden = 0;
  splash.SetOnHide([&](TkitSplash&) { ++hidden; });
  splash.ShowSplash();
  QPointer<TkitsfSplash> window = splash.SplashWindow();
  FireCloseTimer(*window);
  FlushDeletes();
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(splash.SplashWindow(), nullptr);
  EXPECT_EQ(hidden, 1);
}

TEST_F(SplashTest, ClosesOnAClickUnlessToldNotTo) {
  splash.ShowSplash();
  QPointer<TkitsfSplash> window = splash.SplashWindow();
  QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(150, 100));
  FlushDeletes();
  EXPECT_TRUE(window.isNull());

  splash.SetHideOnClick(false);
  splash.ShowSplash();
  window = splash.SplashWindow();
  QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(150, 100));
  FlushDeletes();
  EXPECT_FALSE(window.isNull());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(SplashTest, NoDurationWithoutModalWaitsForTheProgram) {
  splash.SetDuration(0);
  splash.ShowSplash();
  EXPECT_FALSE(splash.SplashWindow()->CloseTimerRunning());
  QPointer<TkitsfSplash> window = splash.SplashWindow();
  splash.HideSplash();
  FlushDeletes();
  EXPECT_TRUE(window.isNull());
}

TEST_F(SplashTest, ModalRunWithoutDurationFallsBackToFiveSeconds) {
  splash.SetDuration(0);
  splash.SetShowModal(true);
  int interval = -1;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    TkitsfSplash* window = splash.SplashWindow();
    interval = window->CloseInterval();
    modal = window->isModal() && window->CloseTimerRunning();
    FireCloseTimer(*window);
  });
  splash.ShowSplash(); // returns once the window has gone
  EXPECT_EQ(interval, TkitSplash::kModalFallbackInterval);
  EXPECT_TRUE(modal);
  EXPECT_EQ(splash.SplashWindow(), nullptr);
}

TEST_F(SplashTest, AutoShowActsOnlyWhileLoading) {
  splash.SetAutoShow(true);
  EXPECT_EQ(splash.SplashWindow(), nullptr);
  splash.BeginLoading();
  splash.SetAutoShow(true);
  splash.Loaded();
  EXPECT_NE(splash.SplashWindow(), nullptr);
}

TEST_F(SplashTest, BlendAnimationsFadeInAndOut) {
  splash.AnimateShow().SetEffect(E::aweBlend);
  splash.AnimateShow().SetDuration(1);
  splash.AnimateHide().SetEffect(E::aweBlend);
  splash.AnimateHide().SetDuration(1);
  splash.ShowSplash();
  QPointer<TkitsfSplash> window = splash.SplashWindow();
  EXPECT_LT(window->windowOpacity(), 1.0);
  splash.HideSplash();
  FlushDeletes();
  EXPECT_TRUE(window.isNull());
}

TEST_F(SplashTest, ShapedWindowTakesThePictureOutline) {
  QImage picture = Filled(40, 30, QColor(0, 255, 0));
  for (int y = 5; y < 25; ++y) {
    for (int x = 5; x < 35; ++x) {
      picture.setPixel(x, y, qRgb(200, 0, 0));
    }
  }
  splash.SetPicture(picture);
  splash.SetBevelWidth(0);
  splash.SetShapeForm(true);
  splash.ShowSplash();
  TkitsfSplash* window = splash.SplashWindow();
  EXPECT_TRUE(window->kitShapeForm1->isVisible());
  EXPECT_FALSE(window->pnlSplash->isVisible());
  EXPECT_TRUE(SameArea(window->mask(), QRegion(5, 5, 30, 20)));
}

struct PictureCase {
  const char* name;
  bool picture;
  bool vga;
  int depth;
  bool expectVga;
};

class PictureChoiceTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureChoiceTest, PicksByDisplayDepth) {
  const PictureCase& c = GetParam();
  TkitSplash splash;
  const QImage normal = Filled(2, 2, Qt::red);
  const QImage vga = Filled(3, 3, Qt::green);
  if (c.picture) {
    splash.SetPicture(normal);
  }
  if (c.vga) {
    splash.SetPictureVGA(vga);
  }
  EXPECT_EQ(splash.ChoosePicture(c.depth), c.expectVga ? vga : normal);
}

INSTANTIATE_TEST_SUITE_P(
    Displays, PictureChoiceTest,
    ::testing::Values(PictureCase{"EightBitsTakeVga", true, true, 8, true},
                      PictureCase{"TrueColourTakesPicture", true, true, 32, false},
                      PictureCase{"OnlyVgaEverywhere", false, true, 32, true},
                      PictureCase{"EightBitsWithoutVga", true, false, 8, false}),
    [](const auto& p) { return std::string(p.param.name); });

// A bitmap named like the executable, beside it, for as long as the test runs.
class LocalBitmap {
public:
  explicit LocalBitmap(const QByteArray& bytes) : path_(TkitSplash::LocalBmpPath()) {
    QFile file(path_);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  explicit LocalBitmap(const QImage& image) : path_(TkitSplash::LocalBmpPath()) {
    EXPECT_TRUE(image.save(path_, "BMP"));
  }
  ~LocalBitmap() { QFile::remove(path_); }
  LocalBitmap(const LocalBitmap&) = delete;
  LocalBitmap& operator=(const LocalBitmap&) = delete;

private:
  QString path_;
};

TEST_F(SplashTest, LocalBitmapReplacesThePicture) {
  const LocalBitmap local(Filled(40, 30, Qt::yellow));
  splash.SetAllowLocalBmp(true);
  splash.ShowSplash();
  EXPECT_EQ(splash.SplashWindow()->size(), QSize(46, 36));
  EXPECT_EQ(splash.SplashWindow()->Picture().pixelColor(0, 0), QColor(Qt::yellow));
}

TEST_F(SplashTest, DamagedLocalBitmapMakesNoWindow) {
  const LocalBitmap local(QByteArray("BM not really a bitmap"));
  splash.SetAllowLocalBmp(true);
  EXPECT_THROW(splash.ShowSplash(), std::runtime_error);
  EXPECT_EQ(splash.SplashWindow(), nullptr);
}

// --- JPEG ----------------------------------------------------------------------------------

QImage ResourceJpeg(const char* name) {
  return LoadJpegFile(QStringLiteral(":/pictures/%1").arg(QLatin1String(name)));
}

void ExpectNear(QColor actual, QColor expected) {
  constexpr int kJpegSlack = 12;
  EXPECT_NEAR(actual.red(), expected.red(), kJpegSlack);
  EXPECT_NEAR(actual.green(), expected.green(), kJpegSlack);
  EXPECT_NEAR(actual.blue(), expected.blue(), kJpegSlack);
}

TEST(Jpeg, DecodesTheSplashPicture) {
  const QImage image = ResourceJpeg("splash.jpg");
  ASSERT_EQ(image.size(), QSize(300, 200));
  ExpectNear(image.pixelColor(290, 3), QColor(0x1d, 0x4e, 0x89));   // top of the sky gradient
  ExpectNear(image.pixelColor(290, 196), QColor(0x7f, 0xb3, 0xe0)); // its bottom
  ExpectNear(image.pixelColor(80, 130), QColor(0xe8, 0xd9, 0xa8));  // the folder
}

TEST(Jpeg, DecodesTheInfoPicture) {
  const QImage image = ResourceJpeg("info.jpg");
  ASSERT_EQ(image.size(), QSize(90, 115));
  ExpectNear(image.pixelColor(2, 2), QColor(0xf3, 0xef, 0xe2));
  ExpectNear(image.pixelColor(20, 85), QColor(0x1d, 0x4e, 0x89)); // the frame of the page
  ExpectNear(image.pixelColor(45, 75), QColor(0xf4, 0xf1, 0xe8)); // the page
}

TEST(Jpeg, DamagedDataGivesNoImage) {
  EXPECT_TRUE(DecodeJpeg({}).isNull());
  const QByteArray garbage("\xff\xd8\xff\xe0 this is not a JPEG stream at all");
  EXPECT_TRUE(DecodeJpeg(std::as_bytes(std::span(garbage.constData(),
                                                 static_cast<std::size_t>(garbage.size()))))
                  .isNull());
  EXPECT_TRUE(LoadJpegFile(QStringLiteral(":/pictures/absent.jpg")).isNull());
}

} // namespace
} // namespace fegolin
