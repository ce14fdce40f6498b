// The clean run's film: frame pacing on a test clock, the loop of 25
// frames, and painting at once while nothing else gets to run.

#include "app/uDeleteAnimation.h"

#include <QEvent>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>

namespace fegolin {
namespace {

using namespace std::chrono_literals;

class PaintCounter final : public QObject {
public:
  int paints = 0;

protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    paints += event->type() == QEvent::Paint ? 1 : 0;
    return false;
  }
};

class DeleteAnimation : public ::testing::Test {
protected:
  void SetUp() override {
    animation_.SetClock([this] { return now_; });
    animation_.installEventFilter(&paints_);
    animation_.show();
    // Painting at once needs a window the platform has put on screen.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&animation_));
  }

  TcDeleteAnimation animation_;
  TcDeleteAnimation::TimePoint now_{1h};
  PaintCounter paints_;
};

TEST_F(DeleteAnimation, StepsAtMostOnceEveryFortyMillisecondsAndPaintsEachStepAtOnce) {
  animation_.Start();
  EXPECT_EQ(animation_.Frame(), 0);
  const int afterStart = paints_.paints;
  EXPECT_GE(afterStart, 1);

  now_ += 39ms;
  animation_.Progress();
  EXPECT_EQ(animation_.Frame(), 0);
  now_ += 1ms;
  animation_.Progress();
  animation_.Progress();
  EXPECT_EQ(animation_.Frame(), 1);
  EXPECT_EQ(paints_.paints, afterStart + 1);
  // A long pause is still one step, not a catch-up burst.
  now_ += 500ms;
  animation_.Progress();
  EXPECT_EQ(animation_.Frame(), 2);
}

TEST_F(DeleteAnimation, LoopsThroughFramesZeroToTwentyFourStandsStillWhenStoppedAndRestartsAtZero) {
  animation_.Start();
  for (int step = 1; step <= 2 * (TcDeleteAnimation::kStopFrame + 1); ++step) {
    now_ += TcDeleteAnimation::kFrameInterval;
    animation_.Progress();
    ASSERT_EQ(animation_.Frame(), step % 25) << step;
  }
  animation_.Progress();
  animation_.Stop();
  now_ += 100ms;
  animation_.Progress();
  EXPECT_FALSE(animation_.Active());
  EXPECT_EQ(animation_.Frame(), 0);
  animation_.Start();
  EXPECT_TRUE(animation_.Active());
  EXPECT_EQ(animation_.Frame(), 0);
}

TEST_F(DeleteAnimation, FramesInTheAirDifferFromTheRestingPicture) {
  EXPECT_EQ(animation_.size(), QSize(304, 77));
  const QImage resting = animation_.grab().toImage();
  animation_.Start();
  const QImage first = animation_.grab().toImage();
  now_ += 40ms;
  animation_.Progress();
  const QImage second = animation_.grab().toImage();
  EXPECT_NE(first, resting);
  EXPECT_NE(second, first);
}

} // namespace
} // namespace fegolin
