#include "kit/kittray.h"
#include "kit/kitutil.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fegolin {
namespace {

using Opt = TkitTrayIconOption;
using Log = std::vector<std::string>;

const TkitTrayIconOptions kDefaults = {Opt::atiShowOnDblClick, Opt::atiHideApp, Opt::atiHideOnClose,
                                       Opt::atiTerminateOnLogoff};
const TkitTrayIconOptions kProgram = {
    Opt::atiShowOnClick,  Opt::atiHideApp,           Opt::atiHideOnMinimize, Opt::atiHideOnClose,
    Opt::atiWin95Service, Opt::atiTerminateOnLogoff, Opt::atiMonitorTray};

// --- Options ---------------------------------------------------------------

struct OptionsCase {
  std::string name;
  TkitTrayIconOptions before;
  TkitTrayIconOptions assigned;
  TkitTrayIconOptions expected;
};

class TrayOptions : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(TrayOptions, AreNormalisedWhenSet) {
  QWidget form;
  TkitTrayIcon tray(&form);
  tray.SetOptions(GetParam().before);
  ASSERT_EQ(tray.Options(), GetParam().before) << "the starting set must be stable";
  tray.SetOptions(GetParam().assigned);
  EXPECT_EQ(tray.Options(), GetParam().expected);
}

const TkitTrayIconOptions kLogoff = Opt::atiTerminateOnLogoff;

INSTANTIATE_TEST_SUITE_P(
    Rules, TrayOptions,
    ::testing::Values(OptionsCase{"TheProgramsSetPassesUnchanged", kDefaults, kProgram, kProgram},
                      OptionsCase{"AddedShowOnClickWinsOverShowOnDblClick", kDefaults,
                                  kLogoff | Opt::atiShowOnClick | Opt::atiShowOnDblClick,
                                  kLogoff | Opt::atiShowOnClick},
                      OptionsCase{"AddedShowOnDblClickWinsOverShowOnClick",
                                  kLogoff | Opt::atiShowOnClick,
                                  kLogoff | Opt::atiShowOnClick | Opt::atiShowOnDblClick,
                                  kLogoff | Opt::atiShowOnDblClick},
                      OptionsCase{"AddedMenuDefaultWinsOverShowOnDblClick", kDefaults,
                                  kLogoff | Opt::atiShowOnDblClick | Opt::atiMenuDefaultOnDblClick,
                                  kLogoff | Opt::atiMenuDefaultOnDblClick},
                      OptionsCase{"AddedShowOnDblClickWinsOverMenuDefault",
                                  kLogoff | Opt::atiMenuDefaultOnDblClick,
                                  kLogoff | Opt::atiShowOnDblClick | Opt::atiMenuDefaultOnDblClick,
                                  kLogoff | Opt::atiShowOnDblClick},
                      OptionsCase{"DroppingTheServiceKeepsTerminateOnLogoff",
                                  kLogoff | Opt::atiWin95Service, TkitTrayIconOptions{}, kLogoff},
                      OptionsCase{"WithoutTerminateOnLogoffTheServiceIsAdded", kDefaults,
                                  TkitTrayIconOptions{Opt::atiHideApp},
                                  Opt::atiHideApp | Opt::atiWin95Service}),
    [](const auto& param) { return param.param.name; });

// --- Properties -------------------------------------------------------------

TEST(TrayHint, IsCutTo63CharactersWithoutSplittingACharacter) {
  QWidget form;
  TkitTrayIcon tray(&form);
  const QString exact(63, QLatin1Char('a'));
  tray.SetHint(exact);
  EXPECT_EQ(tray.Hint(), exact);
  tray.SetHint(exact + QStringLiteral("bcd"));
  EXPECT_EQ(tray.Hint(), exact);
  // A character outside the basic plane straddling the cut goes as a whole.
  const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
  tray.SetHint(QString(62, QLatin1Char('a')) + clef);
  EXPECT_EQ(tray.Hint(), QString(62, QLatin1Char('a')));

  tray.Loaded();
  tray.SetHint(QStringLiteral("Fegolin"));
  EXPECT_EQ(tray.SystemTrayIcon()->toolTip(), QStringLiteral("Fegolin"));
}

TEST(TrayImages, PickTheIconAndGuardTheIndex) {
  QWidget form;
  TkitTrayIcon tray(&form);
  auto* images = new TkitImageList(&form);
  QPixmap red(16, 16);
  red.fill(Qt::red);
  QPixmap blue(16, 16);
  blue.fill(Qt::blue);
  images->Add(QIcon(red));
  images->Add(QIcon(blue));

  tray.SetImageIndex(1);
  tray.SetAnimated(true);
  tray.SetImages(images);
  EXPECT_EQ(tray.Icon().pixmap(16).toImage().pixelColor(0, 0), QColor(Qt::blue));
  tray.SetImageIndex(0);
  EXPECT_EQ(tray.Icon().pixmap(16).toImage().pixelColor(0, 0), QColor(Qt::red));
  tray.SetImageIndex(7); // outside the list: the icon stays
  EXPECT_EQ(tray.Icon().pixmap(16).toImage().pixelColor(0, 0), QColor(Qt::red));

  TkitImageList single;
  single.Add(QIcon(blue));
  tray.SetImageIndex(1);
  tray.SetImages(&single);
  EXPECT_EQ(tray.ImageIndex(), -1);
  EXPECT_TRUE(tray.Animated());

  tray.SetImages(images);
  delete images; // the list going away is as if none was set
  EXPECT_EQ(tray.Images(), nullptr);
  EXPECT_FALSE(tray.Animated());
}

TEST(TrayIcon, MustBeOwnedByAForm) {
  EXPECT_THROW(TkitTrayIcon(nullptr), EComponentError);
}

TEST(TrayIcon, VisibleAddsAndRemovesTheIconOnceLoaded) {
  QWidget form;
  TkitTrayIcon tray(&form);
  tray.SetVisible(false);
  tray.Loaded();
  EXPECT_FALSE(tray.IsIconAdded());
  tray.SetVisible(true);
  EXPECT_TRUE(tray.IsIconAdded());
  EXPECT_TRUE(tray.SystemTrayIcon()->isVisible());
  EXPECT_FALSE(tray.SystemTrayIcon()->icon().isNull());
  tray.SetVisible(false);
  EXPECT_FALSE(tray.SystemTrayIcon()->isVisible());
}

TEST(TrayIcon, QuittingRemovesTheIcon) {
  // Keeps the quit from reaching the application, which would end every
  // event loop of the tests after this one. Installed before the icon's
  // hook, it runs after it.
  class QuitStopper : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
      return watched == qApp && event->type() == QEvent::Quit;
    }
  } stopper;
  qApp->installEventFilter(&stopper);
  QWidget form;
  TkitTrayIcon tray(&form);
  tray.Loaded();
  ASSERT_TRUE(tray.IsIconAdded());
  QEvent quit(QEvent::Quit);
  QCoreApplication::sendEvent(qApp, &quit);
  EXPECT_FALSE(tray.IsIconAdded());
}

// --- Start and hiding ---------------------------------------------------------

// Notes every close event that reaches the form itself.
class Form : public QWidget {
public:
  int closes = 0;

protected:
  void closeEvent(QCloseEvent* event) override {
    ++closes;
    QWidget::closeEvent(event);
  }
};

class TrayForm : public ::testing::Test {
protected:
  TrayForm() { TkitApplication::SetShowMainForm(true); }
  ~TrayForm() override { TkitApplication::SetShowMainForm(true); }

  // What the window manager does when the user clicks the close box.
  void CloseBoxClicked() {
    QCloseEvent close;
    QCoreApplication::sendEvent(form.windowHandle(), &close);
  }

  Form form;
  TkitTrayIcon* tray = new TkitTrayIcon(&form);
};

TEST_F(TrayForm, HideAppStartsWithTheIconOnly) {
  tray->SetOptions(kProgram);
  tray->Loaded();
  EXPECT_TRUE(tray->IsIconAdded());
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(TkitApplication::ShowMainForm());
}

TEST_F(TrayForm, CloseBoxHidesTheFormAndTheProgramsCloseCloses) {
  tray->SetOptions(kProgram);
  tray->Loaded();
  form.show();
  CloseBoxClicked();
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.closes, 0);
  form.show();
  EXPECT_TRUE(form.close());
  EXPECT_EQ(form.closes, 1);
}

TEST_F(TrayForm, WithoutHideOnCloseTheCloseBoxCloses) {
  tray->SetOptions(kLogoff);
  tray->Loaded();
  form.show();
  CloseBoxClicked();
  EXPECT_EQ(form.closes, 1);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(TrayForm, MinimizeBoxHidesAndAClickBringsTheFormBack) {
  tray->SetOptions(kProgram);
  tray->Loaded();
  form.show();
  QCoreApplication::processEvents();
  form.windowHandle()->showMinimized(); // as the window manager reports it
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());

  emit tray->SystemTrayIcon()->activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
}

TEST_F(TrayForm, MinimizingByTheProgramIsNotHidden) {
  tray->SetOptions(kProgram);
  tray->Loaded();
  form.show();
  form.showMinimized();
  QCoreApplication::processEvents();
  EXPECT_TRUE(form.isMinimized());
  EXPECT_TRUE(form.isVisible());
}

// Offscreen there is no notification area at all, as on a stock GNOME.
TEST_F(TrayForm, WithoutANotificationAreaTheFormComesUpAndMinimizesInsteadOfHiding) {
  int missing = 0;
  tray->OnTrayMissing = [&](TkitTrayIcon&) { ++missing; };
  tray->SetOptions(kProgram | Opt::atiShowWithoutTray);
  tray->Loaded();
  EXPECT_FALSE(form.isVisible()); // a panel still starting gets its chance
  EXPECT_EQ(tray->SystemTrayIcon(), nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form.isVisible(); }, 10000));
  EXPECT_EQ(missing, 1);
  EXPECT_FALSE(tray->TrayShowing());

  CloseBoxClicked();
  EXPECT_TRUE(form.isMinimized());
  EXPECT_EQ(form.closes, 0);
  form.showNormal();
  QCoreApplication::processEvents();
  form.windowHandle()->showMinimized(); // as the window manager reports it
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(form.isMinimized());
  EXPECT_TRUE(form.isVisible());
  form.showNormal();
  tray->HideOwner();
  EXPECT_TRUE(form.isMinimized());
  EXPECT_TRUE(form.isVisible());
}

// --- Clicks -----------------------------------------------------------------

class TrayClicks : public TrayForm {
protected:
  TrayClicks() {
    QCursor::setPos(123, 45);
    menu = new QMenu(&form);
    show = menu->addAction(QStringLiteral("&Zeigen"));
    QObject::connect(show, &QAction::triggered, [this] { log.push_back("menu command"); });
    tray->SetPopupMenu(menu);
    const auto position = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y); };
    tray->OnMouseDown = [this, position](TkitTrayIcon&, Qt::MouseButton b, Qt::KeyboardModifiers,
                                         int x, int y) {
      log.push_back("down " + Name(b) + " " + position(x, y));
    };
    tray->OnMouseUp = [this](TkitTrayIcon&, Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
      log.push_back("up " + Name(b));
    };
    tray->OnClick = [this](TkitTrayIcon&) {
      log.push_back(form.isVisible() ? "click (form shown)" : "click");
    };
    tray->OnDblClick = [this](TkitTrayIcon&) { log.push_back("dblclick"); };
    tray->OnContextPopup = [this, position](TkitTrayIcon&, QPoint at, bool& handled) {
      log.push_back("context " + position(at.x(), at.y()));
      handled = handleContext;
    };
    // Picks the command once the menu is up, as the user would.
    QObject::connect(menu, &QMenu::aboutToShow, [this] {
      QMetaObject::invokeMethod(
          menu,
          [this] {
            log.push_back(
                "menu open near cursor: " +
                std::string((menu->pos() - QPoint(123, 45)).manhattanLength() < 30 ? "yes" : "no"));
            menu->setActiveAction(show);
            QTest::keyClick(menu, Qt::Key_Return);
          },
          Qt::QueuedConnection);
    });
  }

  static std::string Name(Qt::MouseButton button) {
    return button == Qt::LeftButton ? "left" : button == Qt::RightButton ? "right" : "middle";
  }

  void Activate(QSystemTrayIcon::ActivationReason reason) {
    emit tray->SystemTrayIcon()->activated(reason);
  }

  Log log;
  QMenu* menu;
  QAction* show;
  bool handleContext = false;
};

TEST_F(TrayClicks, LeftClickShowsTheFormBeforeOnClick) {
  tray->SetOptions(kProgram);
  tray->Loaded();
  Activate(QSystemTrayIcon::Trigger);
  EXPECT_EQ(log, (Log{"down left 123,45", "up left", "click (form shown)"}));
}

TEST_F(TrayClicks, RightClickShowsTheMenuThenOnClickThenTheCommand) {
  tray->SetOptions(kProgram);
  tray->Loaded();
  Activate(QSystemTrayIcon::Context);
  EXPECT_EQ(log.back(), "click"); // the command waits for the event loop
  QCoreApplication::processEvents();
  EXPECT_EQ(log, (Log{"down right 123,45", "up right", "context 123,45",
                      "menu open near cursor: yes", "click", "menu command"}));
  EXPECT_FALSE(form.isVisible());
}

TEST_F(TrayClicks, HandledContextPopupShowsNoMenu) {
  handleContext = true;
  tray->Loaded();
  Activate(QSystemTrayIcon::Context);
  EXPECT_EQ(log, (Log{"down right 123,45", "up right", "context 123,45", "click"}));
}

TEST_F(TrayClicks, MiddleClickOnlyReports) {
  tray->SetOptions(kProgram);
  tray->Loaded();
  Activate(QSystemTrayIcon::MiddleClick);
  EXPECT_EQ(log, (Log{"down middle 123,45", "up middle", "click"}));
}

TEST_F(TrayClicks, DoubleClickIsClickDoubleClickAndClickAgain) {
  tray->Loaded(); // default options: show on double click only
  Activate(QSystemTrayIcon::Trigger);
  Activate(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(log, (Log{"down left 123,45", "up left", "click", "dblclick", "up left",
                      "click (form shown)"}));
}

TEST_F(TrayClicks, DoubleClickCanRunTheMenusDefaultItem) {
  tray->SetOptions(kLogoff | Opt::atiMenuDefaultOnDblClick);
  menu->setDefaultAction(show);
  tray->Loaded();
  Activate(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(log, (Log{"menu command", "dblclick", "up left", "click"}));
  EXPECT_FALSE(form.isVisible());
}

TEST_F(TrayClicks, CheckableCommandTogglesOnceAfterOnClick) {
  show->setCheckable(true);
  std::vector<bool> toggles;
  QObject::connect(show, &QAction::toggled, [&](bool on) { toggles.push_back(on); });
  tray->Loaded();
  Activate(QSystemTrayIcon::Context);
  QCoreApplication::processEvents();
  EXPECT_TRUE(show->isChecked());
  EXPECT_EQ(toggles, (std::vector<bool>{true}));
  EXPECT_EQ(log.back(), "menu command");
}

} // namespace
} // namespace fegolin
