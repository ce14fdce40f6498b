// The Options page on the real window and the real hive: when Apply is on,
// how the clean timer follows the interval, stored values outside their
// range, Apply and Defaults.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uRadioGroup.h"
#include "app/pages/uStatusPage.h"
#include "common/uCommon.h"
#include "common/uConst.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fegolin {
namespace {

constexpr int kSeconds = 0;
constexpr int kMinutes = 1;
constexpr int kHours = 2;

void Store(std::string_view name, std::int32_t value) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, name, value, TFieldType::ftInteger));
}

void StoreFlag(std::string_view name, bool value) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, name, value, TFieldType::ftBoolean));
}

std::optional<std::int32_t> Stored(std::string_view name) {
  const RegVariant value = ReadRegValue(kCurrentUserRoot, kRegKeyApp, name, TFieldType::ftInteger);
  const auto* number = std::get_if<std::int32_t>(&value);
  return number != nullptr ? std::optional(*number) : std::nullopt;
}

void Click(QCheckBox* box) {
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// The program's entry in the Run key; empty when there is none.
std::string RunEntry() {
  const RegVariant run =
      ReadRegValue(kCurrentUserRoot, kRegKeyRun, kAppTitle, TFieldType::ftString);
  const auto* text = std::get_if<std::string>(&run);
  return text != nullptr ? *text : std::string();
}

// The user's pick in the unit box, by keyboard.
void PickUnit(QComboBox* box, int unit) {
  QTest::keyClick(box, Qt::Key_Home);
  for (int i = 0; i < unit; ++i) {
    QTest::keyClick(box, Qt::Key_Down);
  }
  ASSERT_EQ(box->currentIndex(), unit);
}

class OptionsPage : public ::testing::Test {
public:
  // A later start with what the test stored, the Options page shown.
  void Start() {
    form_ = std::make_unique<TfrmMain>();
    form().actInterval->trigger();
  }
  void SetUp() override { TfrmMain first; }

  TfrmMain& form() { return *form_; }
  TcOptionsPage& page() { return *form_->tabOptions; }
  bool ApplyOn() { return form_->actApply->isEnabled(); }
  void ShowPageAgain() {
    form().actStatus->trigger();
    form().actInterval->trigger();
  }

  test::ScopedHive hive_;
  std::unique_ptr<TfrmMain> form_;
};

// --- Apply -------------------------------------------------------------------

struct ApplyCase {
  const char* name;
  std::function<void()> storeFirst;
  std::function<void(OptionsPage&)> step;
  bool applyOn;
};

class ApplyState : public OptionsPage, public ::testing::WithParamInterface<ApplyCase> {};

TEST_P(ApplyState, FollowsTheChangesOfThePage) {
  if (GetParam().storeFirst) {
    GetParam().storeFirst();
  }
  Start();
  ASSERT_FALSE(ApplyOn());
  GetParam().step(*this);
  EXPECT_EQ(ApplyOn(), GetParam().applyOn);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ApplyState,
    ::testing::Values(
        ApplyCase{"OffWhenThePageIsShown", {}, [](OptionsPage&) {}, false},
        ApplyCase{"OnAfterAutoStartIsClicked",
                  {},
                  [](OptionsPage& fixture) { Click(fixture.page().cbxAutoStart); },
                  true},
        ApplyCase{"OnAfterWindowSizeIsClicked",
                  {},
                  [](OptionsPage& fixture) { Click(fixture.page().cbxOptionWindowSize); },
                  true},
        ApplyCase{"OnAfterSplashIsClicked",
                  {},
                  [](OptionsPage& fixture) { Click(fixture.page().cbxOptionSplash); },
                  true},
        ApplyCase{"OffAfterTheHiddenTipsBoxChanges",
                  {},
                  [](OptionsPage& fixture) { fixture.page().cbxOptionTipps->setChecked(true); },
                  false},
        ApplyCase{"OnAfterTheValueChanges",
                  {},
                  [](OptionsPage& fixture) {
                    QTest::keyClick(fixture.page().edtIntervalValue, Qt::Key_Up);
                  },
                  true},
        ApplyCase{"OnAfterAUnitIsPicked",
                  {},
                  [](OptionsPage& fixture) { PickUnit(fixture.page().cbxInterval, kMinutes); },
                  true},
        ApplyCase{"OffAfterApply",
                  {},
                  [](OptionsPage& fixture) {
                    Click(fixture.page().cbxOptionSplash);
                    fixture.form().actApply->trigger();
                  },
                  false},
        ApplyCase{"OffWhenThePageIsShownAgain",
                  {},
                  [](OptionsPage& fixture) {
                    Click(fixture.page().cbxOptionSplash);
                    fixture.ShowPageAgain();
                  },
                  false},
        ApplyCase{"OffAfterDefaultsThatChangeNothingOnThePage",
                  {},
                  [](OptionsPage& fixture) { fixture.form().actSetDefaults->trigger(); },
                  false},
        ApplyCase{"OnAfterDefaultsThatChangeABox", [] { StoreFlag("Show Splash", false); },
                  [](OptionsPage& fixture) { fixture.form().actSetDefaults->trigger(); }, true},
        ApplyCase{"OnAfterDefaultsThatChangeTheValue", [] { Store("Run Interval Value", 9); },
                  [](OptionsPage& fixture) { fixture.form().actSetDefaults->trigger(); }, true}),
    [](const auto& p) { return std::string(p.param.name); });

// --- The live interval -----------------------------------------------------------

struct IntervalCase {
  const char* name;
  int unit;
  int value;
  int milliseconds;
};

class LiveInterval : public OptionsPage, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(LiveInterval, ReArmsTheTimerAtOnceWithoutStoring) {
  const IntervalCase& c = GetParam();
  Start();
  page().edtIntervalValue->setValue(c.value);
  // Stopped, the timer shows whether the last change started it again.
  form().timCleanTimer->stop();
  PickUnit(page().cbxInterval, c.unit);
  EXPECT_TRUE(form().timCleanTimer->isActive());
  EXPECT_EQ(form().timCleanTimer->interval(), c.milliseconds);
  EXPECT_EQ(Stored("Run Interval"), 2);
  EXPECT_EQ(Stored("Run Interval Value"), 5);
}

INSTANTIATE_TEST_SUITE_P(Units, LiveInterval,
                         ::testing::Values(IntervalCase{"OneSecond", kSeconds, 1, 1000},
                                           IntervalCase{"SeventyMinutes", kMinutes, 70, 4200000},
                                           IntervalCase{"FiveHours", kHours, 5, 18000000},
                                           IntervalCase{"NinetyNineHours", kHours, 99, 356400000}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(OptionsPage, ChangesNotAppliedAreGoneWhenThePageIsShownAgainAndTheTimerFollows) {
  Start();
  form().timCleanTimer->stop();
  QTest::keyClick(page().edtIntervalValue, Qt::Key_Up);
  ASSERT_TRUE(form().timCleanTimer->isActive());
  ASSERT_EQ(form().timCleanTimer->interval(), 6 * 3600000);
  ShowPageAgain();
  EXPECT_EQ(page().edtIntervalValue->value(), 5);
  EXPECT_EQ(form().timCleanTimer->interval(), 5 * 3600000);

  // The unit comes back without a change handler; the timer follows all
  // the same, so it never runs on a unit the page does not show.
  PickUnit(page().cbxInterval, kSeconds);
  ASSERT_EQ(form().timCleanTimer->interval(), 5000);
  ShowPageAgain();
  EXPECT_EQ(page().cbxInterval->currentIndex(), kHours);
  EXPECT_TRUE(form().timCleanTimer->isActive());
  EXPECT_EQ(form().timCleanTimer->interval(), 5 * 3600000);
}

// --- The next run follows the timer ------------------------------------------------

struct NextRunCase {
  const char* name;
  std::function<void()> storeFirst;
  std::function<void(OptionsPage&)> step;
  const char* nextRun; // the clock stands at 01.03.24 12:00:00
};

class NextRun : public OptionsPage, public ::testing::WithParamInterface<NextRunCase> {};

TEST_P(NextRun, FollowsEveryReArmingOfTheCleanTimer) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  if (GetParam().storeFirst) {
    GetParam().storeFirst();
  }
  Start();
  form().SetClock([] { return QDateTime(QDate(2024, 3, 1), QTime(12, 0)); });
  GetParam().step(*this);
  EXPECT_EQ(form().tabStatus->lblNextRun->text(), QString::fromUtf8(GetParam().nextRun));
  QLocale::setDefault(QLocale::system());
}

INSTANTIATE_TEST_SUITE_P(
    Interval, NextRun,
    ::testing::Values(
        NextRunCase{"ANewValue",
                    {},
                    [](OptionsPage& fixture) {
                      QTest::keyClick(fixture.page().edtIntervalValue, Qt::Key_Up);
                    },
                    "01.03.24 18:00:00"},
        NextRunCase{"ANewUnit",
                    {},
                    [](OptionsPage& fixture) { PickUnit(fixture.page().cbxInterval, kMinutes); },
                    "01.03.24 12:05:00"},
        NextRunCase{"ThePageReloadingTheStoredInterval",
                    {},
                    [](OptionsPage& fixture) {
                      PickUnit(fixture.page().cbxInterval, kSeconds);
                      fixture.form().SetClock(
                          [] { return QDateTime(QDate(2024, 3, 1), QTime(13, 0)); });
                      fixture.ShowPageAgain();
                    },
                    "01.03.24 18:00:00"},
        NextRunCase{"Defaults", [] { Store("Run Interval Value", 17); },
                    [](OptionsPage& fixture) { fixture.form().actSetDefaults->trigger(); },
                    "01.03.24 17:00:00"}),
    [](const auto& p) { return std::string(p.param.name); });

// --- A store that fails ------------------------------------------------------------

TEST_F(OptionsPage, AFailedApplyKeepsApplyOnStoresNothingAndSaysWhyInTheStatusBar) {
  Start();
  Click(page().cbxOptionSplash);
  page().edtIntervalValue->setValue(9);
  test::RefuseWritesOf(hive_, "Run Interval Value");

  // The journal of a desktop session gets the same as one warning line.
  static QStringList warnings;
  warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtWarningMsg && QByteArray(context.category) == "fegolin.settings") {
          warnings << text;
        }
      });
  form().actApply->trigger();
  qInstallMessageHandler(previous);
  EXPECT_TRUE(ApplyOn());
  EXPECT_EQ(Stored("Run Interval Value"), 5);
  EXPECT_EQ(Stored("Show Splash"), 1) << "the values before the refused one are not kept either";
  const QString message = form().StatusBar1->currentMessage();
  EXPECT_TRUE(message.startsWith(QStringLiteral("Die Optionen konnten nicht gespeichert werden")))
      << message.toStdString();
  EXPECT_TRUE(message.endsWith(QStringLiteral("database or disk is full")))
      << message.toStdString();
  EXPECT_EQ(warnings, QStringList{message});

  test::AllowWrites(hive_);
  form().actApply->trigger();
  EXPECT_FALSE(ApplyOn());
  EXPECT_EQ(Stored("Run Interval Value"), 9);
  EXPECT_EQ(Stored("Show Splash"), 0);
  EXPECT_EQ(form().StatusBar1->currentMessage(), QString());
}

// --- The keyboard -------------------------------------------------------------------

// Tab walks every control of the page; in the language group it lands on
// the item that is chosen, as in any group of radio buttons.
TEST_F(OptionsPage, TabReachesEveryControlAndTheChosenLanguage) {
  Store("Language", 1);
  Start();
  form().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  const auto languages = page().grpLanguage->findChildren<QRadioButton*>();
  ASSERT_EQ(languages.size(), 2);
  page().edtIntervalValue->setValue(6); // gives Apply something to do
  page().edtIntervalValue->setFocus();
  std::vector<QWidget*> reached;
  for (int i = 0; i < 12; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(std::find(reached.begin(), reached.end(), languages[0]), reached.end())
      << "German is not chosen";
  EXPECT_NE(std::find(reached.begin(), reached.end(), languages[1]), reached.end());
  for (QWidget* control : std::initializer_list<QWidget*>{
           page().cbxInterval, page().cbxAutoStart, page().cbxOptionWindowSize,
           page().cbxOptionSplash, page().btnDefaults, page().btnApply}) {
    EXPECT_NE(std::find(reached.begin(), reached.end(), control), reached.end())
        << control->objectName().toStdString();
  }
  // The arrow keys pick the other language.
  languages[1]->setFocus();
  QTest::keyClick(languages[1], Qt::Key_Left);
  EXPECT_EQ(QApplication::focusWidget(), languages[0]);
  EXPECT_EQ(page().grpLanguage->ItemIndex(), 0);
  EXPECT_EQ(CurrentLanguage(), kLanguageGerman);
}

// --- Stored values out of range ---------------------------------------------------

struct RangeCase {
  const char* name;
  std::int32_t storedUnit;
  std::int32_t storedValue;
  int shownUnit;
  int shownValue;
  int milliseconds;
};

class OutOfRange : public OptionsPage, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(OutOfRange, ShowsTheNearestAndKeepsTheStoredValuesUntilApply) {
  const RangeCase& c = GetParam();
  Store("Run Interval", c.storedUnit);
  Store("Run Interval Value", c.storedValue);
  form_ = std::make_unique<TfrmMain>();
  // The timer runs on the clamped interval from the start.
  EXPECT_EQ(form().timCleanTimer->interval(), c.milliseconds);
  form().actInterval->trigger();
  EXPECT_EQ(page().cbxInterval->currentIndex(), c.shownUnit);
  EXPECT_EQ(page().edtIntervalValue->value(), c.shownValue);
  EXPECT_TRUE(form().timCleanTimer->isActive());
  EXPECT_EQ(form().timCleanTimer->interval(), c.milliseconds);
  EXPECT_EQ(Stored("Run Interval"), c.storedUnit);
  EXPECT_EQ(Stored("Run Interval Value"), c.storedValue);

  // Apply needs a change first; ticking a box and back is one.
  Click(page().cbxOptionSplash);
  Click(page().cbxOptionSplash);
  form().actApply->trigger();
  EXPECT_EQ(Stored("Run Interval"), c.shownUnit);
  EXPECT_EQ(Stored("Run Interval Value"), c.shownValue);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, OutOfRange,
    ::testing::Values(RangeCase{"UnitAboveHoursValueZero", 7, 0, kHours, 1, 3600000},
                      RangeCase{"NegativeUnitValueAboveNinetyNine", -1, 150, kSeconds, 99, 99000},
                      RangeCase{"NegativeValue", kMinutes, -20, kMinutes, 1, 60000},
                      RangeCase{"HugeUnit", 0x7FFFFFFF, 99, kHours, 99, 356400000}),
    [](const auto& p) { return std::string(p.param.name); });

// --- Apply and Defaults ---------------------------------------------------------------

TEST_F(OptionsPage, ApplyStoresWhatThePageShowsAndTheRunEntry) {
  Start();
  PickUnit(page().cbxInterval, kMinutes);
  page().edtIntervalValue->setValue(7);
  Click(page().cbxAutoStart);
  ASSERT_FALSE(page().cbxAutoStart->isChecked());
  form().actApply->trigger();
  EXPECT_EQ(Stored("Run Interval"), kMinutes);
  EXPECT_EQ(Stored("Run Interval Value"), 7);
  EXPECT_EQ(Stored("Start with Windows"), 0);
  EXPECT_EQ(RunEntry(), "");
}

TEST_F(OptionsPage, DefaultsAreStoredAndShownWithoutAskingAndTheTimerFollows) {
  Store("Run Interval", kSeconds);
  Store("Run Interval Value", 17);
  StoreFlag("Start with Windows", false);
  StoreFlag("Show Splash", false);
  StoreFlag("Save Window Size", false);
  Start();
  ASSERT_EQ(form().timCleanTimer->interval(), 17000);

  form().actSetDefaults->trigger();

  EXPECT_EQ(Stored("Run Interval"), kHours);
  EXPECT_EQ(Stored("Run Interval Value"), 5);
  EXPECT_EQ(Stored("Start with Windows"), 1);
  EXPECT_EQ(Stored("Show Splash"), 1);
  EXPECT_NE(RunEntry(), "");

  EXPECT_EQ(page().cbxInterval->currentIndex(), kHours);
  EXPECT_EQ(page().edtIntervalValue->value(), 5);
  EXPECT_TRUE(page().cbxAutoStart->isChecked());
  EXPECT_TRUE(page().cbxOptionWindowSize->isChecked());
  EXPECT_TRUE(page().cbxOptionSplash->isChecked());
  EXPECT_FALSE(page().cbxOptionTipps->isChecked());
  EXPECT_TRUE(form().timCleanTimer->isActive());
  EXPECT_EQ(form().timCleanTimer->interval(), 18000000);
}

} // namespace
} // namespace fegolin
