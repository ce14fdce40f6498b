// The clean cycle of the main window: the run itself, the clean timer and
// the clock, and the labels of the Status page.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uSelectPage.h"
#include "app/pages/uStatusPage.h"
#include "app/uDeleteAnimation.h"
#include "app/uDirectoryList.h"
#include "app/uLog.h"
#include "app/uRunAside.h"
#include "app/uTranslation.h"
#include "common/uCommon.h"
#include "common/uConst.h"
#include "kit/kitlist.h"
#include "settings/uCleanSettings.h"
#include "settings/uStoredList.h"
#include "settings/uTcPathData.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QSignalBlocker>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace fegolin {
namespace {

QString MessageText(std::string_view name) {
  return QString::fromStdU16String(GetConstString(name));
}

// The locale's long time format without the time zone: "14:03:59", not
// "14:03:59 MEZ". The zone letters (runs of 't' outside quoted text) go,
// with the blanks and the brackets that set them off ("(t)", "[t]").
QString TimeFormatWithoutZone(const QLocale& locale) {
  const QString format = locale.timeFormat(QLocale::LongFormat);
  QString kept;
  bool quoted = false;
  bool closeBracket = false;
  const auto dropTrailingBlanks = [&kept] {
    while (!kept.isEmpty() && kept.back().isSpace()) {
      kept.chop(1);
    }
  };
  for (const QChar c : format) {
    if (c == QLatin1Char('\'')) {
      quoted = !quoted;
    } else if (!quoted && c == QLatin1Char('t')) {
      dropTrailingBlanks();
      if (!kept.isEmpty() && (kept.back() == QLatin1Char('(') || kept.back() == QLatin1Char('['))) {
        kept.chop(1);
        dropTrailingBlanks();
        closeBracket = true;
      }
      continue;
    } else if (closeBracket && (c == QLatin1Char(')') || c == QLatin1Char(']'))) {
      closeBracket = false;
      continue;
    }
    closeBracket = false;
    kept += c;
  }
  return kept.trimmed();
}

QString TimeText(const QTime& value) {
  const QLocale locale;
  return locale.toString(value, TimeFormatWithoutZone(locale));
}

// The short date and the time; a value at exactly midnight shows its date
// alone.
QString DateTimeText(const QDateTime& value) {
  QString text = QLocale().toString(value.date(), QLocale::ShortFormat);
  if (value.time() != QTime(0, 0)) {
    text += QLatin1Char(' ') + TimeText(value.time());
  }
  return text;
}

// The engine reports every entry it disposes of, on the thread that runs
// it; counting costs it next to nothing. The film looks at the count on
// the GUI thread, a frame's time apart, and moves while entries go. What
// the system refused is logged with its reason as it happens.
class AnimationCue final : public CleanObserver {
public:
  // `status` is the window's Status page, null until the window is built,
  // which may happen while the run goes on.
  explicit AnimationCue(TcStatusPage* const& status) : status_(status) {
    frames_.setInterval(TcDeleteAnimation::kFrameInterval);
    QObject::connect(&frames_, &QTimer::timeout, &frames_, [this] { Follow(); });
    frames_.start();
  }
  void EntryRemoved() override { entries_.fetch_add(1, std::memory_order_relaxed); }
  void EntryLeft() override { entries_.fetch_add(1, std::memory_order_relaxed); }
  // Called one at a time, on whichever thread met the entry.
  void EntryFailed(const CleanEvent& event) override {
    qCInfo(lcClean).noquote() << QString::fromStdString(NormalizeDirPath(folder_)) +
                                     QString::fromUtf8(event.path.data(),
                                                       static_cast<qsizetype>(event.path.size()))
                              << "not removed:" << std::strerror(event.error);
    if (firstError_ == 0) {
      firstError_ = event.error;
    }
  }

  // Before each folder of the run.
  void Begin(const std::string& folder) {
    folder_ = folder;
    firstError_ = 0;
  }
  // The reason of the first entry the system refused in this folder.
  [[nodiscard]] int FirstError() const { return firstError_; }

  // One step when entries went since the last look.
  void Follow() {
    const std::uint64_t now = entries_.load(std::memory_order_relaxed);
    if (now != seen_ && status_ != nullptr) {
      seen_ = now;
      status_->aniProgress->Progress();
    }
  }

private:
  TcStatusPage* const& status_;
  QTimer frames_;
  std::atomic<std::uint64_t> entries_{0};
  std::uint64_t seen_ = 0;
  std::string folder_;
  int firstError_ = 0;
};

// One warning line for a folder the run could not empty as it should: it
// was refused, or entries stayed that a program still uses or the system
// would not let go. What the user's own rules keep is no news.
void LogFolder(const std::string& folder, const CleanSummary& summary, int firstError) {
  const QString name = QString::fromStdString(folder);
  if (!summary.target.ok()) {
    QString reason = QString::fromUtf8(platform::TargetRefusalText(summary.target.refusal).data());
    if (summary.target.error != 0) {
      reason +=
          QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(summary.target.error)));
    }
    qCWarning(lcClean).noquote() << name + QStringLiteral(": not cleaned: ") + reason;
    return;
  }
  const std::uint64_t inUse = summary.reasons[static_cast<std::size_t>(CleanReason::InUse)];
  if (inUse == 0 && summary.failed == 0) {
    return;
  }
  const std::uint64_t left = inUse + summary.failed;
  QString line = name + QStringLiteral(": left %1 %2:")
                            .arg(left)
                            .arg(left == 1 ? QStringLiteral("entry") : QStringLiteral("entries"));
  if (inUse != 0) {
    line += QStringLiteral(" %1 in use").arg(inUse);
  }
  if (summary.failed != 0) {
    line += QStringLiteral("%1 %2 not removed (%3)")
                .arg(inUse != 0 ? QStringLiteral(",") : QString())
                .arg(summary.failed)
                .arg(QString::fromLocal8Bit(std::strerror(firstError)));
  }
  qCWarning(lcClean).noquote() << line;
}

} // namespace

void TfrmMain::ConnectCleanCycle() {
  connect(actCleanDirectories, &QAction::triggered, this, &TfrmMain::actCleanDirectoriesExecute);
  connect(timCleanTimer, &QTimer::timeout, this, &TfrmMain::timCleanTimerTimer);
  connect(timAktual, &QTimer::timeout, this, &TfrmMain::timAktualTimer);
}

void TfrmMain::SetClock(Clock clock) {
  clock_ = std::move(clock);
}

void TfrmMain::actCleanDirectoriesExecute() {
  RunClean();
}

void TfrmMain::timCleanTimerTimer() {
  RunClean();
}

void TfrmMain::RunClean() {
  if (running_) {
    return;
  }
  try {
    if (directoryList_->Count() == 0 || !HasCheckedEntries()) {
      return;
    }
    running_ = true;
    // The window goes on painting while the engine works; the user's input
    // waits for the end, so nothing can start a second run or change the
    // list under it.
    const TcInputHold hold;
    lastRun_ = clock_();
    durationText_ = tr("läuft ...");
    ShowRunState();
    timCleanTimer->stop();
    QDateTime start;
    try {
      start = clock_();
      UpdateNextRunLabel();
      CleanCheckedDirectories();
    } catch (...) {
      // Whatever went wrong, the program goes back to idle and keeps its
      // schedule.
      LogHandlerFailure(lcClean, "the run");
    }
    running_ = false;
    const QDateTime end = clock_();
    RearmCleanTimer();
    durationText_ = QString::number(start.msecsTo(end)) + QStringLiteral(" ms");
    ShowRunState();
  } catch (...) {
    // The user sees no message; the log says what went wrong.
    LogHandlerFailure(lcWindow, "RunClean");
  }
  if (running_) {
    running_ = false;
    ShowRunState();
  }
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

bool TfrmMain::HasCheckedEntries() const {
  return !FoldersToClean(*directoryList_).empty();
}

void TfrmMain::CleanCheckedDirectories() {
  CleanSummary total;
  try {
    AnimationCue cue(tabStatus);
    // The rules as stored now: a pattern the user just added applies.
    const CleanRules rules = ReadCleanRules().Rules();
    for (const std::string& folder : FoldersToClean(*directoryList_)) {
      cue.Begin(folder);
      CleanSummary summary;
      RunAside([&] { summary = CleanFolder(folder, rules, CleanMode::Delete, &cue); });
      // A folder of a few entries is done before the film's next frame.
      cue.Follow();
      LogFolder(folder, summary, cue.FirstError());
      total.Add(summary);
    }
  } catch (const std::exception& e) {
    // The folders not reached wait for the next run.
    qCWarning(lcClean) << "the run ended early:" << e.what();
  }
  ShowRunOutcome(total);
}

void TfrmMain::ShowRunState() {
  if (tabStatus == nullptr) {
    return;
  }
  TcStatusPage& status = *tabStatus;
  if (running_) {
    status.aniProgress->Start();
  } else {
    status.aniProgress->Stop();
  }
  status.lblAction->setText(MessageText(running_ ? csWorkingLabel : csIdleLabel));
  if (lastRun_.isValid()) {
    status.lblLastRun->setText(DateTimeText(lastRun_));
    status.lblDuration->setText(durationText_);
  }
}

void TfrmMain::UpdateNextRunLabel() {
  if (tabStatus == nullptr) {
    return;
  }
  tabStatus->lblNextRun->setText(DateTimeText(clock_().addMSecs(timCleanTimer->interval())));
}

void TfrmMain::RearmCleanTimer(std::optional<std::uint32_t> interval) {
  timCleanTimer->stop();
  if (interval) {
    timCleanTimer->setInterval(std::chrono::milliseconds(*interval));
  }
  timCleanTimer->start();
  UpdateNextRunLabel();
}

void TfrmMain::timAktualTimer() {
  if (tabStatus == nullptr) {
    return;
  }
  try {
    tabStatus->lblTime->setText(TimeText(clock_().time()));
  } catch (...) {
    // The label keeps what it showed.
    LogHandlerFailure(lcWindow, "timAktualTimer");
  }
}

void TfrmMain::FillIntervalUnits() {
  QComboBox* units = tabOptions->cbxInterval;
  units->clear();
  for (const std::string_view name : {csSeconds, csMinutes, csHours}) {
    units->addItem(MessageText(name));
  }
}

void TfrmMain::RefreshLanguageTexts() {
  // The captions of every window follow (RetranslateUi on LanguageChange).
  ApplyLanguage(CurrentLanguage());
  if (!Built()) {
    return;
  }
  tabStatus->lblAction->setText(MessageText(running_ ? csWorkingLabel : csIdleLabel));
  // Refilling is the program's doing, not the user's pick of a unit.
  QComboBox* units = tabOptions->cbxInterval;
  const QSignalBlocker quiet(units);
  const int unit = units->currentIndex();
  FillIntervalUnits();
  units->setCurrentIndex(unit);
}

} // namespace fegolin
