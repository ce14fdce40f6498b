#pragma once

// tabStatus: what the clean cycle is doing. The labels are written by the
// clean cycle; the page itself only lays them out.

#include <QWidget>

#include <array>

class QFrame;
class QLabel;

namespace fegolin {

class TcDeleteAnimation;

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
  QLabel* lblOutcome; // what the last run removed, kept and freed
  QFrame* Panel9;
  TcDeleteAnimation* aniProgress; // at Panel9's left

protected:
  void changeEvent(QEvent* event) override;

private:
  // The page's captions in the language in force.
  void RetranslateUi();

  // The captions beside lblLastRun, lblNextRun, lblDuration and lblTime.
  std::array<QLabel*, 4> captions_{};
};

} // namespace fegolin
