// The clean cycle of the main window: the run itself, the clean timer and
// the clock, and the labels of the Status page.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uSelectPage.h"
#include "app/pages/uStatusPage.h"
#include "app/uDeleteAnimation.h"
#include "common/uCommon.h"
#include "common/uConst.h"
#include "kit/kitlist.h"
#include "settings/uTcPathData.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>
#include <QTimer>

#include <string_view>
#include <utility>

namespace fegolin {
namespace {

constexpr std::string_view kEveryName = "*.*";

QString MessageText(std::string_view name) {
  return QString::fromStdU16String(GetConstString(name));
}

// The system's short date and long time; a value at exactly midnight shows
// its date alone.
QString DateTimeText(const QDateTime& value) {
  const QLocale locale = QLocale::system();
  QString text = locale.toString(value.date(), QLocale::ShortFormat);
  if (value.time() != QTime(0, 0)) {
    text += QLatin1Char(' ') + locale.toString(value.time(), QLocale::LongFormat);
  }
  return text;
}

QString TimeText(const QDateTime& value) {
  return QLocale::system().toString(value.time(), QLocale::LongFormat);
}

// The engine reports every entry it disposes of; the film takes that as
// its cue to move, the only chance it gets while the run holds the thread.
class AnimationCue final : public CleanObserver {
public:
  explicit AnimationCue(TcDeleteAnimation& animation) : animation_(animation) {}
  void EntryRemoved() override { animation_.Progress(); }
  void EntryLeft() override { animation_.Progress(); }

private:
  TcDeleteAnimation& animation_;
};

} // namespace

void TfrmMain::ConnectCleanCycle() {
  connect(actCleanDirectories, &QAction::triggered, this, &TfrmMain::actCleanDirectoriesExecute);
  connect(timCleanTimer, &QTimer::timeout, this, &TfrmMain::timCleanTimerTimer);
  connect(timAktual, &QTimer::timeout, this, &TfrmMain::timAktualTimer);
}

void TfrmMain::SetClock(Clock clock) { clock_ = std::move(clock); }

void TfrmMain::actCleanDirectoriesExecute() { RunClean(); }

void TfrmMain::timCleanTimerTimer() { RunClean(); }

void TfrmMain::RunClean() {
  try {
    if (tabSelect->cbxKitDirectoryList->ItemCount() == 0 || !HasCheckedEntries()) {
      return;
    }
    TcStatusPage& status = *tabStatus;
    status.aniProgress->Start();
    status.lblAction->setText(MessageText(csWorkingLabel));
    // Nothing paints while the run holds the thread; the caption must say
    // what is going on now, not afterwards.
    status.lblAction->repaint();
    status.lblLastRun->setText(DateTimeText(clock_()));
    timCleanTimer->stop();
    QDateTime start;
    try {
      start = clock_();
      UpdateNextRunLabel();
      CleanCheckedDirectories();
    } catch (...) {
      // Whatever went wrong, the program goes back to idle and keeps its
      // schedule.
    }
    status.aniProgress->Stop();
    status.lblAction->setText(MessageText(csIdleLabel));
    timCleanTimer->start();
    const QDateTime end = clock_();
    status.lblDuration->setText(QString::number(start.msecsTo(end)) + QStringLiteral(" ms"));
  } catch (...) {
    // A run reports nothing.
  }
}

bool TfrmMain::HasCheckedEntries() const {
  try {
    const TkitCheckListBox& list = *tabSelect->cbxKitDirectoryList;
    for (int i = 0; i < list.ItemCount(); ++i) {
      if (list.GetChecked(list.ItemText(i))) {
        return true;
      }
    }
  } catch (...) {
    // Treated as "nothing to do".
  }
  return false;
}

void TfrmMain::CleanCheckedDirectories() {
  try {
    const TkitCheckListBox& list = *tabSelect->cbxKitDirectoryList;
    AnimationCue cue(*tabStatus->aniProgress);
    const int count = list.ItemCount();
    for (int i = 0; i < count; ++i) {
      const QString text = list.ItemText(i);
      if (text.isEmpty() || !list.GetChecked(text)) {
        continue;
      }
      const auto* entry = list.ItemObjectAs<TcPathData>(i);
      if (entry == nullptr) {
        // An item without its entry is a broken list: this run ends here
        // rather than guess at what the item meant.
        return;
      }
      CleanDirectory(kEveryName, entry->Directory(), &cue);
    }
  } catch (...) {
    // The folders not reached wait for the next run.
  }
}

void TfrmMain::UpdateNextRunLabel() {
  try {
    tabStatus->lblNextRun->setText(DateTimeText(clock_().addMSecs(timCleanTimer->interval())));
  } catch (...) {
    // The label keeps what it showed.
  }
}

void TfrmMain::timAktualTimer() {
  try {
    tabStatus->lblTime->setText(TimeText(clock_()));
  } catch (...) {
    // The label keeps what it showed.
  }
}

void TfrmMain::FillIntervalUnits() {
  try {
    QComboBox* units = tabOptions->cbxInterval;
    units->clear();
    for (const std::string_view name : {csSeconds, csMinutes, csHours}) {
      units->addItem(MessageText(name));
    }
  } catch (...) {
    // The box keeps whatever it holds.
  }
}

void TfrmMain::RefreshLanguageTexts() {
  // Refilling is the program's doing, not the user's pick of a unit.
  QComboBox* units = tabOptions->cbxInterval;
  const QSignalBlocker quiet(units);
  const int unit = units->currentIndex();
  FillIntervalUnits();
  units->setCurrentIndex(unit);
  // No run is going while the window handles a click: the idle text.
  tabStatus->lblAction->setText(MessageText(csIdleLabel));
}

} // namespace fegolin
