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
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool IsEmptyFolder(const fs::path& folder) {
  return fs::is_directory(folder) && fs::is_empty(folder);
}

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

void FireTimer(QTimer* timer) {
  QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

class CleanCycle : public ::testing::Test {
protected:
  void SetUp() override {
    // Dates and times as a German system writes them.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
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
    QLocale::setDefault(QLocale::system());
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
    const fs::path folder =
        withUntickedEntry ? AddFolder("Unticked", "unticked", false) : fs::path();
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

  // The film steps at least once per folder, and paints at once; each
  // paint notes which folders are already empty.
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

// Started hidden, the window has no pages: the timer cleans the ticked
// folders of the stored list all the same, and the window built on its
// first show has that run, the list as stored and nothing to save.
TEST_F(CleanCycle, AHiddenStartCleansWithoutItsPagesAndShowsTheRunOnceBuilt) {
  const fs::path ticked = AddFolder("Cache", "1", true);
  const fs::path unticked = AddFolder("Keep", "2", false);
  form().tabSelect->btnApplyDir->click();
  form_.reset();

  TfrmMain hidden(nullptr, TfrmMain::Pages::OnFirstShow);
  ASSERT_FALSE(hidden.Built());
  EXPECT_EQ(hidden.tabStatus, nullptr);
  EXPECT_EQ(hidden.DirectoryList().Count(), 2);
  FireTimer(hidden.timCleanTimer);
  EXPECT_TRUE(IsEmptyFolder(ticked));
  EXPECT_TRUE(fs::exists(unticked / "a.txt"));
  EXPECT_FALSE(hidden.Built());
  EXPECT_TRUE(hidden.TrayHint().contains(QStringLiteral("nächster Lauf")));

  hidden.actStatus->trigger();
  ASSERT_TRUE(hidden.Built());
  const TcStatusPage& page = *hidden.tabStatus;
  EXPECT_NE(page.lblLastRun->text(), QStringLiteral("n/a"));
  EXPECT_TRUE(page.lblDuration->text().endsWith(QStringLiteral(" ms")));
  EXPECT_FALSE(page.lblOutcome->text().contains(QStringLiteral("n/a")));
  const TkitCheckListBox& shown = *hidden.tabSelect->cbxKitDirectoryList;
  ASSERT_EQ(shown.ItemCount(), 2);
  EXPECT_TRUE(shown.IsCheckedAt(0));
  EXPECT_FALSE(shown.IsCheckedAt(1));
  EXPECT_FALSE(hidden.tabSelect->btnApplyDir->isEnabled());
  EXPECT_FALSE(hidden.ListChanged());
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

// What a run leaves that it should not (a file a program holds, a folder it
// may not touch) is one warning line with the reason, which a desktop
// session's journal keeps; what the user's rules keep is no news.
TEST_F(CleanCycle, WhatARunLeavesIsOneWarningLineWithTheReason) {
  static QStringList warnings;
  warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && QByteArray(context.category) == "fegolin.clean") {
          warnings << text;
        }
      });
  const fs::path busy = AddFolder("Busy", "busy", true);
  AddFolder("Plain", "plain", true);
  AddFolder("Gone", "gone", true);
  fs::remove_all(tree_.path("gone"));
  std::ifstream held(busy / "a.txt");
  ASSERT_TRUE(held.is_open());

  form().btnClean->click();
  qInstallMessageHandler(previous);

  EXPECT_EQ(warnings,
            (QStringList{QString::fromStdString(busy.string()) + ": left 1 entry: 1 in use",
                         QString::fromStdString(tree_.path("gone").string()) +
                             ": not cleaned: does not exist (No such file or directory)"}));
}

TEST_F(CleanCycle, AnItemWithoutItsEntryIsPassedOverAndTheRunReturnsToIdle) {
  const fs::path first = AddFolder("A first", "first", true);
  // An item that lost its entry: the run cannot know its folder.
  list().AddItem(QStringLiteral("B broken"), nullptr);
  list().SetChecked(QStringLiteral("B broken"), true);
  const fs::path last = AddFolder("C last", "last", true);
  SetCurrentLanguage(kLanguageEnglish);

  form().timCleanTimer->stop();
  form().btnClean->click();

  EXPECT_TRUE(IsEmptyFolder(first));
  EXPECT_TRUE(IsEmptyFolder(last));
  EXPECT_EQ(status().lblAction->text(), QStringLiteral("Idle..."));
  EXPECT_FALSE(status().aniProgress->Active());
  EXPECT_TRUE(form().timCleanTimer->isActive());
  EXPECT_TRUE(status().lblDuration->text().endsWith(QStringLiteral(" ms")));
}

// --- While a run works ---------------------------------------------------------

// The engine works on a thread of its own while the window goes on handling
// its events: an event posted before the run is delivered in the middle of
// it. What it sees there is what the window shows and does during a run.
TEST_F(CleanCycle, DuringARunTheWindowLivesButHoldsBackTheUsersInput) {
  const fs::path cleaned = AddFolder("A cleaned", "cleaned", true);
  AddFolder("B unticked", "unticked", false);
  QSignalSpy closed(&form(), &TfrmMain::Closed);
  form().actSelect->trigger();
  bool probed = false;
  QMetaObject::invokeMethod(
      &form(),
      [&] {
        probed = true;
        EXPECT_TRUE(form().Running());
        EXPECT_EQ(status().lblAction->text(), QStringLiteral("Arbeite..."));
        EXPECT_EQ(status().lblDuration->text(), QStringLiteral("läuft ..."));
        EXPECT_TRUE(status().aniProgress->Active());
        // A click on a glyph and the space bar would tick the second entry;
        // the clean button and the exit button would start or end things.
        list().SetItemIndex(1);
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {},
                          list().GlyphRect(list().ItemRect(1)).center());
        QTest::keyClick(&list(), Qt::Key_Space);
        QTest::mouseClick(form().btnClean, Qt::LeftButton);
        QTest::keyClick(form().btnCancel, Qt::Key_E, Qt::AltModifier);
        EXPECT_FALSE(list().IsCheckedAt(1));
        EXPECT_EQ(closed.count(), 0);
        // What a session's end asks for waits for the run to end.
        form().close();
        EXPECT_EQ(closed.count(), 0);
      },
      Qt::QueuedConnection);

  form().btnClean->click();

  EXPECT_TRUE(probed);
  EXPECT_TRUE(IsEmptyFolder(cleaned));
  EXPECT_FALSE(form().Running());
  EXPECT_TRUE(status().lblDuration->text().endsWith(QStringLiteral(" ms")));
  EXPECT_TRUE(closed.wait(5000));
}

// --- What the Status page says --------------------------------------------------

struct LabelCase {
  const char* name;
  QDateTime now; // the clock, standing still
  std::chrono::milliseconds interval;
  const char* lastRun;
  const char* nextRun;
};

class RunLabels : public CleanCycle, public ::testing::WithParamInterface<LabelCase> {};

TEST_P(RunLabels, ShowTheRunAndTheNextOneInTheSystemsFormatsWithoutTheZone) {
  const LabelCase& c = GetParam();
  AddFolder("Folder", "folder", true);
  form().SetClock([now = c.now] { return now; });
  form().timCleanTimer->setInterval(c.interval);
  form().btnClean->click();
  EXPECT_EQ(status().lblLastRun->text(), QString::fromUtf8(c.lastRun));
  EXPECT_EQ(status().lblNextRun->text(), QString::fromUtf8(c.nextRun));
  EXPECT_EQ(status().lblDuration->text(), QStringLiteral("0 ms"));
}

const QDateTime kMidnight(QDate(2024, 2, 29), QTime(0, 0));
const QDateTime kAfternoon(QDate(2024, 3, 1), QTime(12, 34, 56));
const QDateTime kLateEvening(QDate(2024, 2, 28), QTime(23, 0));
const QDateTime kJustAfterMidnight(QDate(2024, 2, 29), QTime(0, 0, 0, 1));

INSTANTIATE_TEST_SUITE_P(Clock, RunLabels,
                         ::testing::Values(LabelCase{"AtMidnightTheDateAlone", kMidnight, 5h,
                                                     "29.02.24", "29.02.24 05:00:00"},
                                           LabelCase{"NextRunAtMidnightTheDateAlone", kLateEvening,
                                                     1h, "28.02.24 23:00:00", "29.02.24"},
                                           LabelCase{"OneMillisecondPastMidnightWithTheTime",
                                                     kJustAfterMidnight, 1s, "29.02.24 00:00:00",
                                                     "29.02.24 00:00:01"},
                                           LabelCase{"NinetyNineHoursAhead", kAfternoon, 99h,
                                                     "01.03.24 12:34:56", "05.03.24 15:34:56"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(CleanCycle, ARunLongerThanASecondShowsItsWholeDurationAndTheNextRunFromItsEnd) {
  AddFolder("Folder", "folder", true);
  // Every look at the clock is 1.25 s later: the run takes its start after
  // the last-run label and its end after the cleaning, two looks apart;
  // the timer is armed again one look after the end.
  auto now = std::make_shared<QDateTime>(kAfternoon);
  form().SetClock([now] {
    const QDateTime seen = *now;
    *now = now->addMSecs(1250);
    return seen;
  });
  form().timCleanTimer->setInterval(1min);
  form().btnClean->click();
  EXPECT_EQ(status().lblDuration->text(), QStringLiteral("2500 ms"));
  EXPECT_EQ(status().lblLastRun->text(), QStringLiteral("01.03.24 12:34:56"));
  EXPECT_EQ(status().lblNextRun->text(), QStringLiteral("01.03.24 12:36:01"));
}

// The clock label in a few of the system's formats: the time with its
// seconds, never the zone, wherever the locale puts it.
struct ClockCase {
  const char* name;
  QLocale locale;
  const char* shown;
};

class ClockLabel : public CleanCycle, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(ClockLabel, ShowsTheTimeWithoutTheZoneAlsoWhileTheWindowIsHidden) {
  QLocale::setDefault(GetParam().locale);
  form().actHide->trigger();
  form().SetClock([] { return kAfternoon; });
  FireTimer(form().timAktual);
  EXPECT_EQ(status().lblTime->text(), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Locales, ClockLabel,
    ::testing::Values(
        ClockCase{"German", QLocale(QLocale::German, QLocale::Germany), "12:34:56"},
        ClockCase{"UnitedStates", QLocale(QLocale::English, QLocale::UnitedStates), "12:34:56 PM"},
        ClockCase{"ZoneFirst", QLocale(QLocale::Chinese, QLocale::China), "12:34:56"},
        ClockCase{"ZoneInBrackets", QLocale(QLocale::Catalan, QLocale::Spain), "12:34:56"},
        ClockCase{"Korean", QLocale(QLocale::Korean, QLocale::SouthKorea), "오후 12시 34분 56초"}),
    [](const auto& p) { return std::string(p.param.name); });

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
    ::testing::Values(LanguageCase{"German",
                                   kLanguageGerman,
                                   QStringLiteral("Arbeite..."),
                                   QStringLiteral("Untätig..."),
                                   {QStringLiteral("Sekunden"), QStringLiteral("Minuten"),
                                    QStringLiteral("Stunden")}},
                      LanguageCase{"English",
                                   kLanguageEnglish,
                                   QStringLiteral("Working..."),
                                   QStringLiteral("Idle..."),
                                   {QStringLiteral("Seconds"), QStringLiteral("Minutes"),
                                    QStringLiteral("Hours")}}),
    [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace fegolin
