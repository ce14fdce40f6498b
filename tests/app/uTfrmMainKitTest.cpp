// The kit components on the main window, offscreen on the real hive: the
// start-up with and without splash and tips, the size limits, the icon and
// the close box, and the Info page's labels.

#include "app/uTfrmMain.h"

#include "app/pages/uAboutPage.h"
#include "app/pages/uOptionsPage.h"
#include "app/pages/uStatusPage.h"
#include "app/ufrmSplash.h"
#include "app/ufrmTipps.h"
#include "common/uCommon.h"
#include "common/uConst.h"
#include "kit/kitcompf.h"
#include "kit/kitctl32.h"
#include "kit/kitfspla.h"
#include "kit/kitfti32.h"
#include "kit/kitlabel.h"
#include "kit/kittips.h"
#include "kit/kittray.h"
#include "kit/kitutil.h"
#include "kit/kitversn.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <optional>
#include <string>

namespace fegolin {
namespace {

void StoreFlag(Option option, bool value) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, InfoOf(option).name, value,
                            TFieldType::ftBoolean));
}

TfrmMain* MainWindowBeingMade() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* form = qobject_cast<TfrmMain*>(widget)) {
      return form;
    }
  }
  return nullptr;
}

// How far start-up had come when a window appeared.
struct Progress {
  bool titleSet = false;      // the Info page, built after start-up
  bool settingsMade = false;  // step 6
  bool timerArmed = false;    // step 7 gives the clean timer its interval
  bool listActionsOn = false; // step 14
  int widthMin = 0;           // step 4 raises it to 452
  bool formVisible = true;    // the tray icon hid it before FormCreate
  bool iconAdded = false;
};

Progress ProgressOf(TfrmMain& form) {
  return {form.tabAbout != nullptr && !form.tabAbout->lblAppTitle->text().isEmpty(),
          form.Settings() != nullptr,
          form.timCleanTimer->interval() != 1000,
          form.actDeleteEntry->isEnabled(),
          form.kitFormSizer->WidthMin(),
          form.isVisible(),
          form.kitTrayIcon1->IsIconAdded()};
}

// Notes the main window's progress when the splash or the tip window shows
// up, and clicks the splash away at once (as a user may).
class StartUpWatch final : public QObject {
public:
  StartUpWatch() { qApp->installEventFilter(this); }
  ~StartUpWatch() override { qApp->removeEventFilter(this); }
  StartUpWatch(const StartUpWatch&) = delete;
  StartUpWatch& operator=(const StartUpWatch&) = delete;

  std::optional<Progress> atSplash;
  std::optional<Progress> atTips;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Show) {
      return false;
    }
    TfrmMain* form = MainWindowBeingMade();
    if (auto* splash = qobject_cast<TkitsfSplash*>(watched);
        splash != nullptr && form != nullptr && !atSplash) {
      atSplash = ProgressOf(*form);
      QTimer::singleShot(0, splash, [splash] { QTest::mouseClick(splash, Qt::LeftButton); });
    }
    if (qobject_cast<TkitsfTip*>(watched) != nullptr && form != nullptr && !atTips) {
      atTips = ProgressOf(*form);
    }
    return false;
  }
};

// The offscreen platform has no notification area, where the program keeps
// its window on the task bar; these tests are about life with one.
void AsWithANotificationArea(TfrmMain& form) {
  TkitTrayIconOptions options = form.kitTrayIcon1->Options();
  form.kitTrayIcon1->SetOptions(options.setFlag(TkitTrayIconOption::atiShowWithoutTray, false));
}

TkitsfTip* VisibleTipWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* tip = qobject_cast<TkitsfTip*>(widget); tip != nullptr && tip->isVisible()) {
      return tip;
    }
  }
  return nullptr;
}

class MainWindowKit : public ::testing::Test {
protected:
  MainWindowKit() { TkitApplication::SetShowMainForm(true); }
  ~MainWindowKit() override { TkitApplication::SetShowMainForm(true); }

  // A later start: the program's key exists. Splash and tips as given.
  void LaterStart(bool splash, bool tips) {
    StoreFlag(Option::ShowSplash, splash);
    StoreFlag(Option::ShowTipps, tips);
  }

  test::ScopedHive hive_;
};

struct StartCase {
  const char* name;
  bool splash;
  bool tips;
};

class StartUp : public MainWindowKit, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartUp, ShowsSplashAndTipsInTheirPlaceOfTheSequence) {
  LaterStart(GetParam().splash, GetParam().tips);
  StartUpWatch watch;
  TfrmMain form;

  ASSERT_EQ(watch.atSplash.has_value(), GetParam().splash);
  ASSERT_EQ(watch.atTips.has_value(), GetParam().tips);
  EXPECT_EQ(form.SplashForm() != nullptr, GetParam().splash);
  EXPECT_EQ(form.TipsForm() != nullptr, GetParam().tips);
  if (GetParam().splash) {
    // Step 2: the components have loaded, the steps after it wait.
    const Progress& at = *watch.atSplash;
    EXPECT_FALSE(at.titleSet);
    EXPECT_FALSE(at.settingsMade);
    EXPECT_EQ(at.widthMin, 320);
    EXPECT_FALSE(at.formVisible);
    EXPECT_TRUE(at.iconAdded);
    EXPECT_FALSE(form.SplashForm()->isVisible());
  }
  if (GetParam().tips) {
    // Step 12: after the timer is armed (7), before the list actions (14).
    const Progress& at = *watch.atTips;
    EXPECT_TRUE(at.settingsMade);
    EXPECT_TRUE(at.timerArmed);
    EXPECT_FALSE(at.listActionsOn);
    TkitsfTip* tip = VisibleTipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_FALSE(tip->isModal());
    EXPECT_TRUE(tip->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(tip->windowTitle(), QStringLiteral("Willkommen"));
    EXPECT_EQ(tip->lblGreeting->text(), QStringLiteral("Willkommen bei Fegolin"));
    EXPECT_EQ(tip->lblDidYouKnow->text(), QStringLiteral("Wussten Sie, dass..."));
    EXPECT_EQ(
        tip->chkShowNext->text(),
        QStringLiteral("&Dieses Tippfenster beim nächsten Programmstart von Fegolin anzeigen"));
    EXPECT_TRUE(tip->chkShowNext->isChecked());
  } else {
    EXPECT_EQ(VisibleTipWindow(), nullptr);
  }
  // Either way start-up ran to its end, and the window stays hidden.
  EXPECT_EQ(form.tabAbout->lblAppTitle->text(), QStringLiteral("Fegolin"));
  EXPECT_TRUE(form.tabStatus->lblNextRun->text().trimmed().size() > 0);
  EXPECT_FALSE(form.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Options, StartUp,
                         ::testing::Values(StartCase{"Neither", false, false},
                                           StartCase{"SplashOnly", true, false},
                                           StartCase{"TipsOnly", false, true},
                                           StartCase{"SplashAndTips", true, true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(MainWindowKit, MissingOptionsShowTheSplashButNoTips) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Language", std::int32_t{2},
                            TFieldType::ftInteger));
  StartUpWatch watch;
  TfrmMain form;
  EXPECT_TRUE(watch.atSplash.has_value());
  EXPECT_FALSE(watch.atTips.has_value());
  EXPECT_TRUE(ReadBoolOption(Option::ShowSplash));
  EXPECT_FALSE(ReadBoolOption(Option::ShowTipps));
}

TEST_F(MainWindowKit, UntickingTheTipsBoxKeepsTheTipsAwayNextTime) {
  LaterStart(false, true);
  {
    TfrmMain form;
    TkitsfTip* tip = VisibleTipWindow();
    ASSERT_NE(tip, nullptr);
    QTest::mouseClick(tip->chkShowNext, Qt::LeftButton);
    const RegVariant stored = ReadRegValue(kCurrentUserRoot, kRegKeyApp,
                                           InfoOf(Option::ShowTipps).name, TFieldType::ftInteger);
    EXPECT_EQ(stored, RegVariant(std::int32_t{0}));
    form.actExit->trigger();
  }
  TfrmMain form;
  EXPECT_EQ(form.TipsForm(), nullptr);
  EXPECT_EQ(VisibleTipWindow(), nullptr);
}

TEST_F(MainWindowKit, WithoutSavedSizeTheWindowStartsAtTheSizerMinimumWidthAndDesignHeight) {
  LaterStart(false, false);
  StoreFlag(Option::SaveWindowSize, false);
  TfrmMain form;
  EXPECT_EQ(form.size(), QSize(452, 444));
  EXPECT_EQ(form.minimumSize(), QSize(452, 305));
  EXPECT_EQ(form.maximumSize(), QSize(2000, 2000));
  form.resize(100, 100);
  EXPECT_EQ(form.size(), QSize(452, 305));
}

TEST_F(MainWindowKit, ARestoredSizeIsHeldToTheLimits) {
  LaterStart(false, false);
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Form Width", std::int32_t{3000},
                            TFieldType::ftInteger));
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Form Height", std::int32_t{200},
                            TFieldType::ftInteger));
  TfrmMain form;
  EXPECT_EQ(form.size(), QSize(2000, 305));
}

TEST_F(MainWindowKit, AnOrdinaryStartLeavesOnlyTheIconAndAClickShowsTheInfoPage) {
  LaterStart(false, false);
  TfrmMain form;
  AsWithANotificationArea(form);
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(TkitApplication::ShowMainForm());
  EXPECT_TRUE(form.kitTrayIcon1->IsIconAdded());
  EXPECT_EQ(form.kitTrayIcon1->PopupMenu(), form.mnuPopupMain);

  emit form.kitTrayIcon1->SystemTrayIcon()->activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.pgeMain->currentWidget(), form.tabAbout);
}

TEST_F(MainWindowKit, AFirstStartStillOpensOnTheFolderPage) {
  StartUpWatch watch;
  TfrmMain form;
  EXPECT_TRUE(watch.atSplash.has_value());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.pgeMain->currentWidget()->objectName(), QStringLiteral("tabSelect"));
  EXPECT_TRUE(form.kitTrayIcon1->IsIconAdded());
}

TEST_F(MainWindowKit, TheCloseBoxAndMinimizingHideTheWindowAndOnlyExitCloses) {
  LaterStart(false, false);
  TfrmMain form;
  AsWithANotificationArea(form);
  QSignalSpy closed(&form, &TfrmMain::Closed);
  form.actAbout->trigger();
  QCoreApplication::processEvents();

  QCloseEvent closeBox;
  QCoreApplication::sendEvent(form.windowHandle(), &closeBox);
  EXPECT_FALSE(form.isVisible());

  form.actShow->trigger();
  QCoreApplication::processEvents();
  form.windowHandle()->showMinimized(); // as the window manager reports it
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
  EXPECT_EQ(closed.count(), 0);
  EXPECT_NE(form.Settings(), nullptr);
  EXPECT_TRUE(form.timCleanTimer->isActive());

  form.actExit->trigger();
  EXPECT_EQ(closed.count(), 1);
}

// Offscreen there is no notification area at all, as on a stock GNOME.
TEST_F(MainWindowKit, WithoutANotificationAreaTheWindowComesUpAndStaysOnTheTaskBar) {
  LaterStart(false, false);
  TfrmMain form;
  QSignalSpy closed(&form, &TfrmMain::Closed);
  EXPECT_FALSE(form.isVisible()); // a panel still starting gets its chance
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.isVisible(); }, 10000));
  EXPECT_EQ(form.pgeMain->currentWidget(), form.tabAbout);

  form.btnHide->click();
  EXPECT_TRUE(form.isMinimized());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(closed.count(), 0);
}

struct HintCase {
  const char* name;
  int language;
  int intervalHours;
  const char* hint;
};

class TrayHint : public MainWindowKit, public ::testing::WithParamInterface<HintCase> {
protected:
  ~TrayHint() override { SetCurrentLanguage(0); }
};

TEST_P(TrayHint, NamesTheNextRunInTheLanguageAndFollowsTheTimer) {
  LaterStart(false, false);
  TfrmMain form;
  AsWithANotificationArea(form);
  SetCurrentLanguage(GetParam().language);
  // A Friday morning.
  form.SetClock([] { return QDateTime(QDate(2024, 5, 24), QTime(10, 0, 30)); });
  form.timCleanTimer->start(GetParam().intervalHours * 3600 * 1000);
  QMetaObject::invokeMethod(form.timAktual, "timeout", Qt::DirectConnection);
  EXPECT_EQ(form.kitTrayIcon1->Hint(), QString::fromUtf8(GetParam().hint));

  // While a run holds the timer, there is no next run to name.
  form.timCleanTimer->stop();
  QMetaObject::invokeMethod(form.timAktual, "timeout", Qt::DirectConnection);
  EXPECT_EQ(form.kitTrayIcon1->Hint(), QStringLiteral("Fegolin"));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, TrayHint,
    ::testing::Values(HintCase{"German", 2, 1, "Fegolin – nächster Lauf 11:00"},
                      HintCase{"English", 1, 1, "Fegolin – next run 11:00"},
                      HintCase{"ADayAwayWithItsWeekday", 1, 30, "Fegolin – next run Sat 16:00"},
                      HintCase{"ADayAwayInGerman", 2, 30, "Fegolin – nächster Lauf Sa. 16:00"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(MainWindowKit, TheInfoPageShowsVersionsLinkAndPicture) {
  LaterStart(false, false);
  TfrmMain form;
  TcAboutPage& page = *form.tabAbout;
  EXPECT_EQ(page.kitVersionLabel->Caption(),
            QStringLiteral("Produktversion:\t" FEGOLIN_PRODUCT_VERSION
                           "\r\nDateiversion:\t" FEGOLIN_FILE_VERSION "\r\n"));
  EXPECT_EQ(
      page.kitVersionLabel1->Caption(),
      QStringLiteral("Beschreibung:\tLöscht Temporäre Dateien\r\nKommentar:\tFinal Version\r\n"));
  for (const TkitVersionLabel* label : {page.kitVersionLabel, page.kitVersionLabel1}) {
    EXPECT_FALSE(label->DoubleSpaced());
    EXPECT_EQ(label->TabStop(), 8);
    EXPECT_FALSE(label->autoFillBackground());
  }
  EXPECT_EQ(page.kitURLLabel1->text(), QStringLiteral("www.norvalt.de"));
  EXPECT_EQ(page.kitURLLabel1->URL(), QStringLiteral("http://www.norvalt.de"));
  EXPECT_EQ(page.kitURLLabel1->ShowBrowser(), TkitShowWindowStyle::aswShowDefault);
  // A hidden program has not decoded the picture; the page's first show does.
  EXPECT_TRUE(page.Image1->pixmap().isNull());
  form.actAboutExecute();
  EXPECT_EQ(page.Image1->pixmap().size(), QSize(90, 115));
}

// WCAG's contrast ratio of two colours: 1 (the same) to 21 (black on
// white); 4.5 is what running text needs.
double Contrast(const QColor& a, const QColor& b) {
  const auto luminance = [](const QColor& c) {
    const auto linear = [](double v) {
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
  };
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(MainWindowKit, TheCreditsCanBeScrolledToAndReadAtTheSmallestSize) {
  LaterStart(false, false);
  TfrmMain form;
  form.actAbout->trigger();
  ASSERT_EQ(form.size(), QSize(452, 305));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  TcAboutPage& page = *form.tabAbout;
  auto* area = page.findChild<QScrollArea*>();
  ASSERT_NE(area, nullptr);
  QScrollBar* bar = area->verticalScrollBar();
  ASSERT_TRUE(bar->isVisible()) << "the page is taller than its place";
  bar->setValue(bar->maximum());
  const QRect credits(page.Memo2->mapTo(area->viewport(), QPoint(0, 0)), page.Memo2->size());
  EXPECT_TRUE(area->viewport()->rect().contains(credits))
      << "the whole text in view once scrolled down";
  EXPECT_TRUE(page.Memo2->isEnabled());
  EXPECT_GE(Contrast(page.Memo2->palette().color(page.Memo2->foregroundRole()),
                     area->palette().color(QPalette::Window)),
            4.5);
}

TEST_F(MainWindowKit, TheIdleWelcomeTipsNeverShow) {
  LaterStart(false, false);
  TfrmMain form;
  EXPECT_EQ(form.kitWelcomeTips1->TipWindow(), nullptr);
  EXPECT_FALSE(form.kitWelcomeTips1->GetShowOnStartup());
  EXPECT_EQ(VisibleTipWindow(), nullptr);
}

} // namespace
} // namespace fegolin
