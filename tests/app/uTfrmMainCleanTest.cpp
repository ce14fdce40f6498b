// The clean cycle on the real window, the real hive and real folder trees:
// what a run cleans and in which order, what it leaves alone, and what the
// Status page says before, during and after it.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uSelectPage.h"
#include "app/pages/uStatusPage.h"
#include "app/uDeleteAnimation.h"
#include "app/uDirectoryList.h"
#include "common/uCommon.h"
#include "common/uConst.h"
#include "kit/kitlist.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool IsEmptyFolder(const fs::path& folder) { return fs::is_directory(folder) && fs::is_empty(folder); }

// Calls `probe` every time `watched` paints; paints during a run can only
// be the ones the run asks for at once.
class PaintProbe final : public QObject {
public:
  PaintProbe(QWidget& watched, std::function<void()> probe) : probe_(std::move(probe)) {
    watched.installEventFilter(this);
  }

protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      probe_();
    }
    return false;
  }

private:
  std::function<void()> probe_;
};

void FireTimer(QTimer* timer) { QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection); }

class CleanCycle : public ::testing::Test {
protected:
  void SetUp() override {
    // A later start: the defaults (the real temp folders) are not in a
    // stored list, and the list starts out empty below.
    { TfrmMain first; }
    form_ = std::make_unique<TfrmMain>();
    form_->DirectoryList().ReleaseAll();
    form_->actStatus->trigger();
    // Painting at once needs a window the platform has put on screen.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  }
  void TearDown() override {
    form_.reset();
    SetCurrentLanguage(0);
  }

  TfrmMain& form() { return *form_; }
  TcStatusPage& status() { return *form_->tabStatus; }
  TkitCheckListBox& list() { return *form_->tabSelect->cbxKitDirectoryList; }

  // A folder with a few files and a subfolder tree, listed under `name`.
  fs::path AddFolder(const std::string& name, const std::string& folder, bool ticked) {
    tree_.file(folder + "/a.txt");
    tree_.file(folder + "/.hidden");
    tree_.file(folder + "/sub/deeper/b.txt");
    const fs::path path = tree_.path(folder);
    AddEntry(name, path.string(), ticked);
    return path;
  }

  void AddEntry(const std::string& name, const std::string& directory, bool ticked) {
    auto entry = std::make_unique<TcPathData>(name, directory);
    const std::string caption = entry->ListCaption();
    form().DirectoryList().Add(caption, std::move(entry));
    list().SetChecked(QString::fromStdString(caption), ticked);
  }

  struct Labels {
    QString action, lastRun, nextRun, duration;
    friend bool operator==(const Labels&, const Labels&) = default;
  };
  Labels ReadLabels() {
    return {status().lblAction->text(), status().lblLastRun->text(), status().lblNextRun->text(),
            status().lblDuration->text()};
  }

  test::ScopedHive hive_;
  test::TempTree tree_;
  std::unique_ptr<TfrmMain> form_;
};

// --- Nothing to do ----------------------------------------------------------

TEST_F(CleanCycle, WithoutATickedEntryTheButtonChangesNothingAndLeavesTheTimerAlone) {
  for (const bool withUntickedEntry : {false, true}) {
    SCOPED_TRACE(withUntickedEntry ? "unticked entry" : "empty list");
    const fs::path folder = withUntickedEntry ? AddFolder("Unticked", "unticked", false) : fs::path();
    const Labels before = ReadLabels();
    // A stopped timer shows whether the run touched it: a run restarts it.
    form().timCleanTimer->stop();
    form().btnClean->click();
    EXPECT_EQ(ReadLabels(), before);
    EXPECT_FALSE(form().timCleanTimer->isActive());
    EXPECT_FALSE(status().aniProgress->Active());
    if (withUntickedEntry) {
      EXPECT_TRUE(fs::exists(folder / "sub/deeper/b.txt"));
    }
  }
}

// --- What a run cleans --------------------------------------------------------

TEST_F(CleanCycle, ATimerTickEmptiesTheTickedFoldersInListOrderAndNothingElse) {
  // The list sorts by its texts, letter case aside; the folder names run the
  // other way so that the order cannot come from them.
  const fs::path gamma = AddFolder("gamma", "1", true);
  const fs::path alpha = AddFolder("Alpha", "3", true);
  const fs::path beta = AddFolder("beta", "2", true);
  const fs::path skipped = AddFolder("Between", "4", false);
  const std::vector<fs::path> ticked{alpha, beta, gamma};

  // Every entry the engine removes makes the film step and paint at once;
  // each paint notes which folders are already empty.
  auto steps = std::make_shared<std::chrono::milliseconds>(0ms);
  status().aniProgress->SetClock([steps] {
    *steps += 40ms;
    return std::chrono::steady_clock::time_point(*steps);
  });
  std::vector<std::vector<bool>> seen;
  PaintProbe probe(*status().aniProgress, [&] {
    std::vector<bool> empty;
    for (const fs::path& folder : ticked) {
      empty.push_back(IsEmptyFolder(folder));
    }
    seen.push_back(empty);
  });

  form().timCleanTimer->stop();
  FireTimer(form().timCleanTimer);

  for (const fs::path& folder : ticked) {
    EXPECT_TRUE(IsEmptyFolder(folder)) << folder;
  }
  EXPECT_TRUE(fs::exists(skipped / "a.txt"));
  EXPECT_TRUE(fs::exists(skipped / "sub/deeper/b.txt"));

  // Five entries per folder (three files, two folders), one step each.
  EXPECT_GE(seen.size(), 15u);
  std::vector<std::vector<bool>> emptied;
  for (const auto& empty : seen) {
    if (emptied.empty() || emptied.back() != empty) {
      emptied.push_back(empty);
    }
  }
  const std::vector<std::vector<bool>> inListOrder{
      {false, false, false}, {true, false, false}, {true, true, false}, {true, true, true}};
  EXPECT_EQ(emptied, inListOrder);

  EXPECT_FALSE(status().aniProgress->Active());
  EXPECT_TRUE(form().timCleanTimer->isActive());
}

TEST_F(CleanCycle, AnItemWithAnEmptyTextIsNeverCleaned) {
  tree_.file("nameless/keep.txt");
  form().DirectoryList().Add("", std::make_unique<TcPathData>("", tree_.path("nameless").string()));
  list().SetChecked(QString(), true);
  ASSERT_TRUE(list().GetChecked(QString()));
  const fs::path cleaned = AddFolder("Named", "named", true);

  form().btnClean->click();

  EXPECT_TRUE(fs::exists(tree_.path("nameless/keep.txt")));
  EXPECT_TRUE(IsEmptyFolder(cleaned));
}

TEST_F(CleanCycle, AnErrorEndsTheLoopButTheRunStillReturnsToIdle) {
  const fs::path first = AddFolder("A first", "first", true);
  // An item that lost its entry: the run cannot know its folder.
  list().AddItem(QStringLiteral("B broken"), nullptr);
  list().SetChecked(QStringLiteral("B broken"), true);
  const fs::path last = AddFolder("C last", "last", true);
  SetCurrentLanguage(kLanguageEnglish);

  form().timCleanTimer->stop();
  form().btnClean->click();

  EXPECT_TRUE(IsEmptyFolder(first));
  EXPECT_TRUE(fs::exists(last / "a.txt"));
  EXPECT_EQ(status().lblAction->text(), QStringLiteral("Idle..."));
  EXPECT_FALSE(status().aniProgress->Active());
  EXPECT_TRUE(form().timCleanTimer->isActive());
  EXPECT_TRUE(status().lblDuration->text().endsWith(QStringLiteral(" ms")));
}

// --- What the Status page says --------------------------------------------------

QString ShortDate(const QDateTime& value) { return QLocale::system().toString(value.date(), QLocale::ShortFormat); }
QString LongTime(const QDateTime& value) { return QLocale::system().toString(value.time(), QLocale::LongFormat); }
QString DateAndTime(const QDateTime& value) { return ShortDate(value) + ' ' + LongTime(value); }

enum class Shown { DateOnly, DateAndTime };

QString TextOf(const QDateTime& value, Shown shown) {
  return shown == Shown::DateOnly ? ShortDate(value) : DateAndTime(value);
}

struct LabelCase {
  const char* name;
  QDateTime now;  // the clock, standing still
  std::chrono::milliseconds interval;
  Shown lastRun;
  QDateTime nextRun;
  Shown nextRunShown;
};

class RunLabels : public CleanCycle, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(RunLabels, ShowTheRunAndTheNextOneInTheSystemsFormats) {
  const LabelCase& c = GetParam();
  AddFolder("Folder", "folder", true);
  form().SetClock([now = c.now] { return now; });
  form().timCleanTimer->setInterval(c.interval);
  form().btnClean->click();
  EXPECT_EQ(status().lblLastRun->text(), TextOf(c.now, c.lastRun));
  EXPECT_EQ(status().lblNextRun->text(), TextOf(c.nextRun, c.nextRunShown));
  EXPECT_EQ(status().lblDuration->text(), QStringLiteral("0 ms"));
}

const QDateTime kMidnight(QDate(2024, 2, 29), QTime(0, 0));
const QDateTime kAfternoon(QDate(2024, 3, 1), QTime(12, 34, 56));
const QDateTime kLateEvening(QDate(2024, 2, 28), QTime(23, 0));
const QDateTime kJustAfterMidnight(QDate(2024, 2, 29), QTime(0, 0, 0, 1));

INSTANTIATE_TEST_SUITE_P(
    Clock, RunLabels,
    ::testing::Values(
        LabelCase{"AtMidnightTheDateAlone", kMidnight, 5h, Shown::DateOnly,
                  QDateTime(QDate(2024, 2, 29), QTime(5, 0)), Shown::DateAndTime},
        LabelCase{"NextRunAtMidnightTheDateAlone", kLateEvening, 1h, Shown::DateAndTime, kMidnight,
                  Shown::DateOnly},
        LabelCase{"OneMillisecondPastMidnightWithTheTime", kJustAfterMidnight, 1s, Shown::DateAndTime,
                  QDateTime(QDate(2024, 2, 29), QTime(0, 0, 1, 1)), Shown::DateAndTime},
        LabelCase{"NinetyNineHoursAhead", kAfternoon, 99h, Shown::DateAndTime,
                  QDateTime(QDate(2024, 3, 5), QTime(15, 34, 56)), Shown::DateAndTime}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(CleanCycle, ARunLongerThanASecondShowsItsWholeDuration) {
  AddFolder("Folder", "folder", true);
  // Every look at the clock is 1.25 s later: the run takes its start after
  // the last-run label and its end after the cleaning, two looks apart.
  auto now = std::make_shared<QDateTime>(kAfternoon);
  form().SetClock([now] {
    const QDateTime seen = *now;
    *now = now->addMSecs(1250);
    return seen;
  });
  form().timCleanTimer->setInterval(1min);
  form().btnClean->click();
  EXPECT_EQ(status().lblDuration->text(), QStringLiteral("2500 ms"));
  EXPECT_EQ(status().lblLastRun->text(), DateAndTime(kAfternoon));
  // One interval after the start of the run.
  EXPECT_EQ(status().lblNextRun->text(), DateAndTime(kAfternoon.addMSecs(2500).addSecs(60)));
}

TEST_F(CleanCycle, TheClockLabelShowsTheTimeAlsoWhileTheWindowIsHidden) {
  form().actHide->trigger();
  form().SetClock([] { return kAfternoon; });
  FireTimer(form().timAktual);
  EXPECT_EQ(status().lblTime->text(), LongTime(kAfternoon));
}

struct LanguageCase {
  const char* name;
  int language;
  QString working;
  QString idle;
  QStringList units;
};

class RunCaptions : public CleanCycle, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(RunCaptions, SayWorkingWhileTheRunWorksAndIdleAfterwards) {
  const LanguageCase& c = GetParam();
  // The language comes from the registry at start-up.
  form_.reset();
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Language", std::int32_t{c.language},
                            TFieldType::ftInteger));
  form_ = std::make_unique<TfrmMain>();
  form().DirectoryList().ReleaseAll();
  form().actStatus->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  QStringList units;
  for (int i = 0; i < form().tabOptions->cbxInterval->count(); ++i) {
    units << form().tabOptions->cbxInterval->itemText(i);
  }
  EXPECT_EQ(units, c.units);

  AddFolder("Folder", "folder", true);
  QStringList painted;
  PaintProbe probe(*status().lblAction, [&] { painted << status().lblAction->text(); });
  form().btnClean->click();
  ASSERT_FALSE(painted.isEmpty());
  EXPECT_EQ(painted.first(), c.working);
  EXPECT_EQ(status().lblAction->text(), c.idle);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, RunCaptions,
    ::testing::Values(LanguageCase{"German", kLanguageGerman, QStringLiteral("Arbeite..."),
                                   QStringLiteral("Untätig..."),
                                   {QStringLiteral("Sekunden"), QStringLiteral("Minuten"), QStringLiteral("Stunden")}},
                      LanguageCase{"English", kLanguageEnglish, QStringLiteral("Working..."),
                                   QStringLiteral("Idle..."),
                                   {QStringLiteral("Seconds"), QStringLiteral("Minutes"), QStringLiteral("Hours")}}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace fegolin
