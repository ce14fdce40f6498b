// The main window on the real hive, offscreen: start-up, pages, hiding,
// Enter and the way out.

#include "app/uTfrmMain.h"

#include "app/pages/uAboutPage.h"
#include "app/pages/uHelpPage.h"
#include "app/pages/uOptionsPage.h"
#include "app/pages/uRadioGroup.h"
#include "app/pages/uSelectPage.h"
#include "app/pages/uStatusPage.h"
#include "app/uDialogs.h"
#include "app/uDirectoryList.h"
#include "common/uCommon.h"
#include "common/uConst.h"
#include "kit/kitlist.h"
#include "kit/kittray.h"
#include "platform/Registry.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace fegolin {
namespace {

std::vector<std::string> Items(TfrmMain& form) {
  std::vector<std::string> items;
  TkitCheckListBox* list = form.tabSelect->cbxKitDirectoryList;
  for (int i = 0; i < list->ItemCount(); ++i) {
    items.push_back(list->ItemText(i).toStdString() + (list->IsCheckedAt(i) ? " [x]" : " [ ]"));
  }
  return items;
}

std::uint32_t StoredDword(std::string_view name) {
  const RegVariant value = ReadRegValue(kCurrentUserRoot, kRegKeyApp, name, TFieldType::ftInteger);
  const auto* number = std::get_if<std::int32_t>(&value);
  return number != nullptr ? static_cast<std::uint32_t>(*number) : 0xFFFFFFFFu;
}

int CountOptionValues() {
  auto key = platform::OpenKey(platform::ProcessRegistry(), platform::kRegCurrentUser,
                               kRegKeyApp.substr(1), platform::RegOpenMode::Open);
  int count = 0;
  std::string name;
  platform::RegValue value;
  while (key && key->EnumValue(static_cast<std::uint32_t>(count), name, value) ==
                    platform::RegStatus::Ok) {
    ++count;
  }
  return count;
}

// The offscreen platform has no notification area, where the program keeps
// its window on the task bar; these tests are about life with one.
void AsWithANotificationArea(TfrmMain& form) {
  TkitTrayIconOptions options = form.kitTrayIcon1->Options();
  form.kitTrayIcon1->SetOptions(options.setFlag(TkitTrayIconOption::atiShowWithoutTray, false));
}

class MainWindow : public ::testing::Test {
protected:
  void TearDown() override { SetCurrentLanguage(0); }
  test::ScopedHive hive_;
};

TEST_F(MainWindow, FirstStartOpensOnTheFolderPageWithTheDefaultEntriesUnticked) {
  TfrmMain form;
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.pgeMain->currentWidget(), form.tabSelect);

  TcSettings* settings = form.Settings();
  ASSERT_NE(settings, nullptr);
  const std::string windowsTemp = settings->GetWindowsTempDir();
  const std::string userTemp = settings->GetUserTempDir();
  ASSERT_NE(windowsTemp, userTemp); // CTest gives every test its own TMPDIR
  const std::vector<std::string> expected{"User Temp\t(" + userTemp + ") [ ]",
                                          "Windows Temp\t(" + windowsTemp + ") [ ]"};
  EXPECT_EQ(Items(form), expected);

  EXPECT_EQ(CountOptionValues(), 9);
  // Looking for a stored list makes none: the key comes with the first save.
  EXPECT_FALSE(KeyExists(kCurrentUserRoot, kRegKeyPaths));
  const RegVariant run =
      ReadRegValue(kCurrentUserRoot, kRegKeyRun, kAppTitle, TFieldType::ftString);
  EXPECT_EQ(std::get<std::string>(run), "");
}

TEST_F(MainWindow, ALaterStartShowsNoWindow) {
  { TfrmMain first; }
  TfrmMain form;
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.pgeMain->currentWidget(), form.tabHelp);
  // The defaults are in the list again: the first start did not save them.
  EXPECT_EQ(form.DirectoryList().Count(), 2);
}

TEST_F(MainWindow, StartUpLoadsTheOptionsButShowsTheFirstUnit) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Run Interval Value", std::int32_t{17},
                            TFieldType::ftInteger));
  ASSERT_TRUE(
      WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Show Splash", false, TFieldType::ftBoolean));
  TfrmMain form;
  EXPECT_EQ(form.tabOptions->edtIntervalValue->value(), 17);
  EXPECT_FALSE(form.tabOptions->cbxOptionSplash->isChecked());
  EXPECT_TRUE(form.tabOptions->cbxAutoStart->isChecked());
  EXPECT_EQ(form.tabOptions->cbxInterval->currentIndex(), 0);
  EXPECT_EQ(StoredDword("Run Interval"), 2u);
  EXPECT_EQ(form.tabAbout->lblAppTitle->text(), QStringLiteral("Fegolin"));
  EXPECT_EQ(form.tabOptions->grpLanguage->ItemIndex(), 0);
  EXPECT_EQ(CurrentLanguage(), kLanguageGerman);
}

TEST_F(MainWindow, SavedListComesBackAfterExitAndRestartWithItsCheckMarks) {
  std::vector<std::string> saved;
  {
    TfrmMain form;
    TkitCheckListBox* list = form.tabSelect->cbxKitDirectoryList;
    form.DirectoryList().Add("Projekt\t(/srv/projekt)",
                             std::make_unique<TcPathData>("Projekt", "/srv/projekt"));
    form.DirectoryList()
        .Entry(list->IndexOfItem(QStringLiteral("Projekt\t(/srv/projekt)")))
        ->SetState(true);
    list->SetChecked(QStringLiteral("Projekt\t(/srv/projekt)"), true);
    form.Settings()->SaveDirectoryList();
    saved = Items(form);
    // Entries changed after the save are not stored on the way out when
    // the user says so.
    form.DirectoryList().Delete(0);
    TcDialogScript script;
    script.AnswerNo();
    form.actExit->trigger();
    EXPECT_EQ(form.Settings(), nullptr);
    EXPECT_EQ(form.DirectoryList().Count(), 0);
  }
  ASSERT_EQ(saved.size(), 3u);
  TfrmMain form;
  EXPECT_EQ(Items(form), saved);
}

TEST_F(MainWindow, WindowSizeAtExitIsTheSizeOfTheNextStartWhileTheOptionIsOn) {
  {
    TfrmMain form;
    EXPECT_EQ(form.size(), QSize(452, 305));
    form.resize(610, 420);
    form.actExit->trigger();
  }
  EXPECT_EQ(StoredDword("Form Height"), 420u);
  EXPECT_EQ(StoredDword("Form Width"), 610u);
  TfrmMain form;
  EXPECT_EQ(form.size(), QSize(610, 420));
}

TEST_F(MainWindow, WindowSizeIsLeftAloneWhileTheOptionIsOff) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Save Window Size", false,
                            TFieldType::ftBoolean));
  {
    TfrmMain form;
    // The form sizer's minimum width and design minimum height.
    EXPECT_EQ(form.size(), QSize(452, 444));
    form.resize(610, 420);
    form.actExit->trigger();
  }
  EXPECT_EQ(CountOptionValues(), 7);
}

TEST_F(MainWindow, ExitEndsTheApplicationOnce) {
  TfrmMain form;
  QSignalSpy closed(&form, &TfrmMain::Closed);
  form.btnCancel->click();
  EXPECT_EQ(closed.count(), 1);
  EXPECT_FALSE(form.isVisible());
}

struct PageCase {
  const char* action;
  const char* page;
};

class PageActions : public MainWindow, public ::testing::WithParamInterface<PageCase> {};

TEST_P(PageActions, SelectTheirPageAndShowTheWindow) {
  { TfrmMain first; }
  TfrmMain form;
  ASSERT_FALSE(form.isVisible());
  form.findChild<QAction*>(QLatin1String(GetParam().action))->trigger();
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.pgeMain->currentWidget()->objectName(), QLatin1String(GetParam().page));
}

INSTANTIATE_TEST_SUITE_P(Pages, PageActions,
                         ::testing::Values(PageCase{"actAbout", "tabAbout"},
                                           PageCase{"actInterval", "tabOptions"},
                                           PageCase{"actSelect", "tabSelect"},
                                           PageCase{"actStatus", "tabStatus"},
                                           PageCase{"actShow", "tabHelp"}),
                         [](const auto& p) { return std::string(p.param.action); });

TEST_F(MainWindow, HideKeepsTheProgramAndItsTimersRunning) {
  TfrmMain form;
  AsWithANotificationArea(form);
  form.btnHide->click();
  EXPECT_FALSE(form.isVisible());
  EXPECT_NE(form.Settings(), nullptr);
  EXPECT_TRUE(form.timCleanTimer->isActive());
  EXPECT_TRUE(form.timAktual->isActive());
  form.actShow->trigger();
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.pgeMain->currentWidget(), form.tabSelect);
}

// Enter belongs to the focused control; only "&Ende" itself ends the
// program.
TEST_F(MainWindow, EnterEndsTheProgramOnlyOnTheEndButton) {
  { TfrmMain first; }
  TfrmMain form;
  AsWithANotificationArea(form);
  QSignalSpy closed(&form, &TfrmMain::Closed);
  form.actInterval->trigger();
  form.activateWindow();

  // A value typed into the interval box and confirmed with Enter is the
  // interval at once, as leaving the box makes it.
  QSpinBox* value = form.tabOptions->edtIntervalValue;
  value->setFocus();
  value->selectAll();
  QTest::keyClicks(value, QStringLiteral("10"));
  QTest::keyClick(value, Qt::Key_Return);
  EXPECT_EQ(value->value(), 10);
  EXPECT_EQ(form.timCleanTimer->interval(), 10 * 3600000);
  EXPECT_TRUE(form.actApply->isEnabled());

  form.tabOptions->cbxOptionSplash->setFocus();
  QTest::keyClick(form.tabOptions->cbxOptionSplash, Qt::Key_Enter);

  form.actSelect->trigger();
  TkitCheckListBox* list = form.tabSelect->cbxKitDirectoryList;
  list->setFocus();
  list->SetItemIndex(0);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(closed.count(), 0);
  EXPECT_TRUE(form.isVisible());

  // A focused button takes Enter as a press.
  form.btnHide->setFocus();
  QTest::keyClick(form.btnHide, Qt::Key_Return);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(closed.count(), 0);

  form.actShow->trigger();
  form.btnCancel->setFocus();
  QTest::keyClick(form.btnCancel, Qt::Key_Return);
  EXPECT_EQ(closed.count(), 1);
}

TEST_F(MainWindow, TheHelpMemoKeepsEnterAndTab) {
  TfrmMain form;
  QSignalSpy closed(&form, &TfrmMain::Closed);
  form.pgeMain->setCurrentWidget(form.tabHelp);
  form.tabHelp->PageControl1->setCurrentWidget(form.tabHelp->tabHelpHelp);
  QPlainTextEdit* memo = form.tabHelp->Memo3;
  memo->setFocus();
  const int before = memo->toPlainText().size();
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClick(memo, Qt::Key_Tab);
  EXPECT_EQ(closed.count(), 0);
  EXPECT_EQ(memo->toPlainText().size(), before + 2);
}

TEST_F(MainWindow, ButtonsFollowTheirActionsButKeepTheirOwnTexts) {
  TfrmMain form;
  TcSelectPage* page = form.tabSelect;
  form.actRenameEntry->setEnabled(false);
  EXPECT_FALSE(page->SpeedButton1->isEnabled());
  form.actRenameEntry->setEnabled(true);
  EXPECT_TRUE(page->SpeedButton1->isEnabled());
  EXPECT_EQ(page->SpeedButton1->toolTip(), QStringLiteral("Eintrag umbenennen"));
  form.actApply->setEnabled(false);
  EXPECT_FALSE(form.tabOptions->btnApply->isEnabled());

  form.actDeleteAll->setToolTip(QStringLiteral("changed"));
  form.actDeleteAll->setEnabled(false);
  EXPECT_FALSE(page->SpeedButton3->isEnabled());
  EXPECT_EQ(page->SpeedButton3->toolTip(),
            QStringLiteral("Alle Verzeichnisse aus Liste entfernen"));

  EXPECT_EQ(form.btnClean->text(), QStringLiteral("&Jetzt Löschen"));
  EXPECT_EQ(form.btnClean->toolTip(), QStringLiteral("Jetzt Reinigen"));
  EXPECT_EQ(page->btnAddDirToList->text(), form.actAddDirectory->text());
  EXPECT_FALSE(page->btnAddDirToList->icon().isNull());

  // Whatever the action opens is answered as cancelled.
  TcDialogScript script;
  QSignalSpy ran(form.actAddDirectory, &QAction::triggered);
  QTest::mouseClick(page->btnAddDirToList, Qt::LeftButton);
  EXPECT_EQ(ran.count(), 1);
}

TEST_F(MainWindow, MenuEntriesRunTheirActionsAndFollowTheirState) {
  TfrmMain form;
  form.actHide->trigger();
  form.mnuPopupMain->findChild<QAction*>(QStringLiteral("About1"))->trigger();
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.pgeMain->currentWidget(), form.tabAbout);

  QAction* rename = form.mnuPopUp->findChild<QAction*>(QStringLiteral("ShowStatus1"));
  ASSERT_NE(rename, nullptr);
  EXPECT_FALSE(rename->text().isEmpty());
  form.actRenameEntry->setEnabled(false);
  EXPECT_FALSE(rename->isEnabled());
  form.actRenameEntry->setEnabled(true);
  EXPECT_TRUE(rename->isEnabled());
}

// At one device pixel per point the images are the hand-set 16 x 16 pixels,
// not the drawing rendered small.
TEST_F(MainWindow, TheActionImagesShowTheirPixelsAtTheirOwnSize) {
  TfrmMain form;
  const QStringList pixels =
      QDir(QStringLiteral(":/images/main")).entryList({QStringLiteral("*.png")});
  ASSERT_EQ(form.lstImage.Count(), 6);
  ASSERT_EQ(pixels.size(), 6);
  for (int i = 0; i < form.lstImage.Count(); ++i) {
    const QImage shown = form.lstImage.Icon(i).pixmap(QSize(16, 16), 1.0).toImage();
    const QImage drawn(QStringLiteral(":/images/main/") + pixels.at(i));
    EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32),
              drawn.convertToFormat(QImage::Format_ARGB32))
        << i;
  }
}

// A registry whose changes do not last (here one opened for reading only,
// as where the hive cannot be written) is named in the status bar at start.
TEST_F(MainWindow, TheStatusBarSaysWhenTheSettingsAreNotStored) {
  {
    TfrmMain form;
    EXPECT_EQ(form.StatusBar1->currentMessage(), QString());
  }
  const auto before = platform::SetProcessRegistryAccess(platform::RegAccess::ReadOnly);
  {
    TfrmMain form;
    EXPECT_EQ(form.StatusBar1->currentMessage(),
              QStringLiteral("Einstellungen werden nicht gespeichert: the registry is opened for "
                             "reading only"));
  }
  platform::SetProcessRegistryAccess(before);
}

} // namespace
} // namespace fegolin
