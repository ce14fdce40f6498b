#pragma once

// tabStatus: what the clean cycle is doing. The labels are written by the
// clean cycle; the page itself only lays them out.

#include <QWidget>

class QFrame;
class QHBoxLayout;
class QLabel;

namespace fegolin {

class TcStatusPage final : public QWidget {
  Q_OBJECT
public:
  explicit TcStatusPage(QWidget* parent = nullptr);

  QFrame* pnlProgressInfo;
  QLabel* lblAction;
  QLabel* lblLastRun;
  QLabel* lblNextRun;
  QLabel* lblDuration;
  QLabel* lblTime;
  QFrame* Panel9;
  // Panel9's row: the delete animation (aniProgress, 304 x 77) goes in
  // at index 0, before the stretch that keeps it at the left.
  QHBoxLayout* layAnimation;
};

} // namespace fegolin
