#pragma once

// aniProgress: the little film on the Status page while a clean run works,
// a sheet of paper after another flying out of a folder into a waste bin.
// Frames 0 to 24, over and over.
//
// The film moves while entries go: the run looks, a frame's time apart,
// whether the engine (on a thread of its own) disposed of some, and calls
// Progress() when it did. At most every FrameInterval the film steps one
// frame and paints itself at once.

#include <QWidget>

#include <chrono>
#include <functional>

namespace fegolin {

class TcDeleteAnimation final : public QWidget {
  Q_OBJECT
public:
  using TimePoint = std::chrono::steady_clock::time_point;
  using SteadyClock = std::function<TimePoint()>;

  static constexpr int kStopFrame = 24;
  static constexpr std::chrono::milliseconds kFrameInterval{40};
  static constexpr QSize kSize{304, 77};

  explicit TcDeleteAnimation(QWidget* parent = nullptr);

  // Plays from the first frame; the first frame is painted at once.
  void Start();
  // Back to the resting picture (folder and bin, nothing in the air).
  void Stop();
  // Steps one frame and paints it, when the film is playing and the last
  // step is at least kFrameInterval ago.
  void Progress();

  [[nodiscard]] bool Active() const { return active_; }
  [[nodiscard]] int Frame() const { return frame_; }

  // The clock the frame pacing reads; steady_clock unless a test sets one.
  void SetClock(SteadyClock clock);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  SteadyClock clock_;
  TimePoint lastStep_{};
  int frame_ = 0;
  bool active_ = false;
};

} // namespace fegolin
