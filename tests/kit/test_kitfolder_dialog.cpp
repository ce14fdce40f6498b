// The folder dialog driven the way a user drives it: the real dialog runs
// modally on the offscreen platform, and a script acts in each pass once the
// dialog is up. The home folder is a temporary tree.
#include "kit/kitfolder.h"
#include "kit/kitfolderbrowser.h"
#include "tests/support/TempTree.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <vector>

// Failure messages show QStrings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace fegolin {
namespace {

using Step = std::function<void(TkitFolderBrowser&)>;

QString Native(const std::filesystem::path& path) {
  return QDir::toNativeSeparators(QString::fromStdString(path.string()));
}

QString SelectedPath(const TkitFolderBrowser& dialog) {
  return dialog.Model().FilePath(dialog.SelectedItem());
}

void ClickOk(TkitFolderBrowser& dialog) {
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
}

class FolderDialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    savedHome_ = qgetenv("HOME");
    qputenv("HOME", home_.root().string().c_str());
  }
  void TearDown() override { qputenv("HOME", savedHome_); }

  // Runs Execute with one step per pass; a pass the steps leave open (or
  // one no step was written for) is cancelled, so a failing test cannot hang.
  bool Run(std::vector<Step> steps) {
    std::size_t pass = 0;
    dialog_.SetOnInitialized([&](TkitFolderDialog&, TkitFolderBrowser& browser) {
      if (pass < steps.size()) {
        steps[pass](browser);
      }
      ++pass;
      if (browser.isVisible()) {
        browser.reject();
      }
    });
    const bool result = dialog_.Execute();
    passes_ = pass;
    return result;
  }

  test::TempTree home_;
  QByteArray savedHome_;
  TkitFolderDialog dialog_{nullptr, 0x0409};
  std::size_t passes_ = 0;
};

TEST_F(FolderDialogTest, PreselectsFolderAndReturnsPathAndDisplayName) {
  const QString temp = Native(home_.dir("Windows/Temp"));
  dialog_.SetFolder(temp);
  ASSERT_TRUE(Run({[&](TkitFolderBrowser& d) {
    EXPECT_EQ(SelectedPath(d), temp);
    ClickOk(d);
  }}));
  EXPECT_EQ(dialog_.Folder(), temp);
  EXPECT_EQ(dialog_.SelectedDisplayName(), "Temp");
}

TEST_F(FolderDialogTest, KeyboardSelectionIsReportedAndReturned) {
  const QString a = Native(home_.dir("a"));
  const QString c = Native(home_.dir("c"));
  dialog_.SetFolder(a);
  QStringList reported;
  dialog_.SetOnSelectionChanged([&](TkitFolderDialog&, TkitFolderBrowser&, const QModelIndex&,
                                    const QString& folder) { reported << folder; });
  ASSERT_TRUE(Run({[&](TkitFolderBrowser& d) {
    const QModelIndex parent = d.SelectedItem().parent();
    ASSERT_TRUE(QTest::qWaitFor([&] { return d.Model().rowCount(parent) == 2; }));
    d.Tree()->setFocus();
    QTest::keyClick(d.Tree(), Qt::Key_Down);
    EXPECT_EQ(SelectedPath(d), c);
    ClickOk(d);
  }}));
  EXPECT_EQ(dialog_.Folder(), c);
  EXPECT_EQ(dialog_.SelectedDisplayName(), "c");
  EXPECT_EQ(reported.value(0), a);
  EXPECT_EQ(reported.last(), c);
}

TEST_F(FolderDialogTest, CancelKeepsFolder) {
  const QString a = Native(home_.dir("a"));
  dialog_.SetFolder(a);
  EXPECT_FALSE(Run({[&](TkitFolderBrowser& d) {
    d.SelectPath(Native(home_.dir("b")));
    QTest::mouseClick(d.CancelButton(), Qt::LeftButton);
  }}));
  EXPECT_EQ(dialog_.Folder(), a);
  EXPECT_TRUE(dialog_.SelectedDisplayName().isEmpty());
}

TEST_F(FolderDialogTest, ComputerItemHasNoPathButCanBeChosen) {
  dialog_.SetRootFolder(TSHFolders::foMyComputer);
  ASSERT_TRUE(Run({[&](TkitFolderBrowser& d) {
    d.SelectItem(d.Model().GroupIndex());
    EXPECT_EQ(d.StatusLabel()->text(), "Computer");
    EXPECT_TRUE(d.OkButton()->isEnabled());
    EXPECT_FALSE(d.NewFolderButton()->isEnabled());
    ClickOk(d);
  }}));
  EXPECT_TRUE(dialog_.Folder().isEmpty());
  EXPECT_EQ(dialog_.SelectedDisplayName(), "Computer");
}

TEST_F(FolderDialogTest, OnlyFileSystemEnablesOkForFoldersOnly) {
  dialog_.SetRootFolder(TSHFolders::foMyComputer);
  dialog_.SetFlags(TBrowseInfoFlags::OnlyFileSystem | TBrowseInfoFlags::ShowPath);
  const QString a = Native(home_.dir("a"));
  ASSERT_TRUE(Run({[&](TkitFolderBrowser& d) {
    d.SelectItem(d.Model().GroupIndex());
    EXPECT_FALSE(d.OkButton()->isEnabled());
    ClickOk(d); // ignored while disabled
    EXPECT_TRUE(d.isVisible());
    d.SelectPath(a);
    EXPECT_TRUE(d.OkButton()->isEnabled());
    ClickOk(d);
  }}));
  EXPECT_EQ(dialog_.Folder(), a);
}

TEST_F(FolderDialogTest, StatusLineShowsCompactedPathOnlyWithShowPath) {
  const QString deep = Native(home_.dir("Lokale Einstellungen/Anwendungsdaten/Temporary Files"));
  ASSERT_GT(deep.size(), 50);
  dialog_.SetFolder(deep);
  Run({[&](TkitFolderBrowser& d) {
    EXPECT_FALSE(d.StatusLabel()->isHidden());
    EXPECT_EQ(d.StatusLabel()->text(), CompactPath(deep, 50));
    EXPECT_TRUE(d.StatusLabel()->text().endsWith(QStringLiteral("Temporary Files")));
  }});
  dialog_.SetFlags({});
  Run({[&](TkitFolderBrowser& d) { EXPECT_TRUE(d.StatusLabel()->isHidden()); }});
}

TEST_F(FolderDialogTest, NewFolderCreatesParentsAndReopensThere) {
  const QString a = Native(home_.dir("a"));
  dialog_.SetFolder(a);
  QString askedTitle;
  dialog_.SetPrompts(
      {[&](QWidget*, const QString& title) -> std::optional<QString> {
         askedTitle = title;
         return QStringLiteral("x/y");
       },
       [](QWidget*, const QString&, const QString& text) { ADD_FAILURE() << text.toStdString(); }});
  const QString created = Native(home_.path("a/x/y"));
  ASSERT_TRUE(Run({[](TkitFolderBrowser& d) {
                     ASSERT_TRUE(d.NewFolderButton()->isEnabled());
                     QTest::mouseClick(d.NewFolderButton(), Qt::LeftButton);
                   },
                   [&](TkitFolderBrowser& d) {
                     EXPECT_EQ(SelectedPath(d), created);
                     ClickOk(d);
                   }}));
  EXPECT_EQ(passes_, 2U);
  EXPECT_EQ(askedTitle, "New folder");
  EXPECT_TRUE(std::filesystem::is_directory(home_.path("a/x/y")));
  EXPECT_EQ(dialog_.Folder(), created);
  EXPECT_EQ(dialog_.SelectedDisplayName(), "y");
}

TEST_F(FolderDialogTest, NewFolderFailureShowsSystemTextAndReopensAtSelection) {
  const QString a = Native(home_.dir("a"));
  home_.file("a/blocker");
  dialog_.SetFolder(a);
  QStringList errors;
  dialog_.SetPrompts(
      {[](QWidget*, const QString&) -> std::optional<QString> {
         return QStringLiteral("blocker/sub");
       },
       [&](QWidget*, const QString& title, const QString& text) { errors << title << text; }});
  EXPECT_FALSE(
      Run({[](TkitFolderBrowser& d) { QTest::mouseClick(d.NewFolderButton(), Qt::LeftButton); },
           [&](TkitFolderBrowser& d) { EXPECT_EQ(SelectedPath(d), a); }}));
  EXPECT_EQ(passes_, 2U);
  ASSERT_EQ(errors.size(), 2);
  EXPECT_EQ(errors[0], "New folder");
  EXPECT_FALSE(errors[1].isEmpty());
  EXPECT_FALSE(std::filesystem::exists(home_.path("a/blocker/sub")));
}

TEST_F(FolderDialogTest, EmptyFolderNameDoesNothing) {
  dialog_.SetFolder(Native(home_.dir("a")));
  dialog_.SetPrompts({[](QWidget*, const QString&) -> std::optional<QString> { return QString(); },
                      [](QWidget*, const QString&, const QString&) { ADD_FAILURE(); }});
  Run({[](TkitFolderBrowser& d) {
    QTest::mouseClick(d.NewFolderButton(), Qt::LeftButton);
    EXPECT_TRUE(d.isVisible());
  }});
  EXPECT_EQ(passes_, 1U);
}

TEST_F(FolderDialogTest, NewFolderButtonFollowsSettersWhileOpen) {
  dialog_.SetFolder(Native(home_.dir("a")));
  Run({[&](TkitFolderBrowser& d) {
    QPushButton* button = d.NewFolderButton();
    EXPECT_TRUE(button->isVisible());
    dialog_.SetNewFolderEnabled(false);
    EXPECT_FALSE(button->isEnabled());
    dialog_.SetNewFolderEnabled(true);
    EXPECT_TRUE(button->isEnabled());
    dialog_.SetNewFolderVisible(false);
    EXPECT_FALSE(button->isVisible());
    dialog_.SetNewFolderCaptions({QStringLiteral("Default=Make folder")});
    EXPECT_EQ(button->text(), "Make folder");
  }});
}

// The program's own settings on a German system, opened at the home folder
// as the directory list page does.
TEST_F(FolderDialogTest, ProgramSettingsOnGermanSystem) {
  TkitFolderDialog dlgFolder(nullptr, 0x0407);
  dlgFolder.SetFlags(TBrowseInfoFlags::ShowPath);
  dlgFolder.SetRootFolder(TSHFolders::foMyComputer);
  dlgFolder.SetNewFolderVisible(false);
  dlgFolder.SetNewFolderEnabled(false);
  const QString home = QDir::toNativeSeparators(QDir::homePath());
  dlgFolder.SetFolder(home);
  dlgFolder.SetOnInitialized([&](TkitFolderDialog&, TkitFolderBrowser& d) {
    EXPECT_EQ(d.TitleLabel()->text(), "Ausgewählter Ordner:");
    EXPECT_EQ(d.NewFolderButton()->text(), "Neuer Ordner");
    EXPECT_FALSE(d.NewFolderButton()->isVisible());
    EXPECT_TRUE(d.Model().IsGroup(d.Model().index(0, 0)));
    EXPECT_EQ(SelectedPath(d), home);
    EXPECT_EQ(d.SelectedItem().parent(), d.Model().GroupIndex());
    EXPECT_EQ(d.StatusLabel()->text(), CompactPath(home, 50));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(d.pos(),
              QPoint(screen.width() / 2 - d.width() / 2, screen.height() / 2 - d.height() / 2));
    ClickOk(d);
  });
  ASSERT_TRUE(dlgFolder.Execute());
  EXPECT_EQ(dlgFolder.Folder(), home);
  EXPECT_EQ(dlgFolder.SelectedDisplayName(), QDir(home).dirName());
}

TEST_F(FolderDialogTest, MissingFolderOpensAtTheRoot) {
  dialog_.SetFolder(Native(home_.path("gone")));
  Run({[](TkitFolderBrowser& d) { EXPECT_EQ(d.SelectedItem(), d.Model().index(0, 0)); }});
  EXPECT_EQ(dialog_.Folder(), Native(home_.path("gone")));
}

TEST_F(FolderDialogTest, RootFoldersMapToExistingFoldersOrEverything) {
  const TkitFolderTreeLayout computer = RootFolderLayout(TSHFolders::foMyComputer);
  EXPECT_TRUE(computer.TopFolders.isEmpty());
  EXPECT_EQ(computer.GroupFolders.last(), QDir::homePath());
  EXPECT_EQ(computer.GroupFolders.first(), QDir::rootPath());

  const QString autostart = qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart";
  QDir().mkpath(autostart);
  EXPECT_EQ(RootFolderLayout(TSHFolders::foStartup).TopFolders, QStringList{autostart});
  QDir(autostart).removeRecursively();
  const TkitFolderTreeLayout fallback = RootFolderLayout(TSHFolders::foStartup);
  EXPECT_EQ(fallback.TopFolders, QStringList{QDir::homePath()});
  EXPECT_EQ(fallback.GroupFolders, QStringList{QDir::rootPath()});
  EXPECT_TRUE(fallback.Expanded);
}

} // namespace
} // namespace fegolin
