// The cleaning rules on the real window, the real hive and real folder
// trees: the dialog of the minimum age and the keep patterns, the preview of
// what a run would do, the look of refused entries, the folder dialog's
// refusal and the last run's outcome on the Status page.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uSelectPage.h"
#include "app/pages/uStatusPage.h"
#include "app/uDialogs.h"
#include "app/uDirectoryList.h"
#include "app/ufrmAdvanced.h"
#include "app/ufrmPreview.h"
#include "common/uCommon.h"
#include "kit/kitlist.h"
#include "settings/uCleanSettings.h"
#include "settings/uTcPathData.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace fegolin {
namespace {

namespace fs = std::filesystem;

class CleanRulesWindow : public ::testing::Test {
protected:
  void SetUp() override {
    // A later start with an empty list: the real temp folders stay out.
    { TfrmMain first; }
    // The default rules, stored as OK on a fresh dialog stores them.
    ASSERT_EQ(WriteCleanRules(StoredCleanRules{}), std::nullopt);
    form_ = std::make_unique<TfrmMain>();
    form_->DirectoryList().ReleaseAll();
  }

  TfrmMain& form() { return *form_; }
  TkitCheckListBox& list() { return *form_->tabSelect->cbxKitDirectoryList; }

  void AddEntry(const std::string& name, const std::string& directory, bool ticked) {
    auto entry = std::make_unique<TcPathData>(name, directory);
    const std::string caption = entry->ListCaption();
    form().DirectoryList().Add(caption, std::move(entry));
    list().SetChecked(QString::fromStdString(caption), ticked);
  }

  int IndexOf(const std::string& name) {
    for (int i = 0; i < list().ItemCount(); ++i) {
      if (list().ItemText(i).startsWith(QString::fromStdString(name + "\t"))) {
        return i;
      }
    }
    return -1;
  }

  // Opens the dialog from the Options page; `user` acts on it.
  void OnAdvancedDialog(const std::function<void(TfrmAdvanced&)>& user) {
    form().actInterval->trigger();
    TcDialogScript script;
    script.AnswerWith([&user](QDialog& dialog) { user(dynamic_cast<TfrmAdvanced&>(dialog)); });
    form().tabOptions->btnAdvanced->click();
    ASSERT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(script.Requests()[0].kind, DialogRequest::Kind::Window);
  }

  test::ScopedHive hive_;
  test::TempTree tree_;
  std::unique_ptr<TfrmMain> form_;
};

void AddPatternLine(QPlainTextEdit* edit, const char* pattern) {
  edit->moveCursor(QTextCursor::End);
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClicks(edit, QString::fromUtf8(pattern));
}

std::vector<std::string> WithDefaults(std::initializer_list<const char*> extra) {
  std::vector<std::string> patterns = DefaultKeepPatterns();
  patterns.insert(patterns.end(), extra.begin(), extra.end());
  return patterns;
}

// --- The dialog -----------------------------------------------------------------

TEST_F(CleanRulesWindow, TheDialogShowsTheStoredRulesStoresThemOnOkAndOnlyThere) {
  // Age off, the default patterns on show.
  OnAdvancedDialog([](TfrmAdvanced& dialog) {
    EXPECT_FALSE(dialog.cbxMinimumAge->isChecked());
    EXPECT_FALSE(dialog.edtMinimumAge->isEnabled());
    EXPECT_EQ(dialog.edtPatterns->toPlainText().split(QLatin1Char('\n')).size(),
              static_cast<qsizetype>(DefaultKeepPatterns().size()));
    QTest::mouseClick(dialog.cbxMinimumAge, Qt::LeftButton, {},
                      QPoint(6, dialog.cbxMinimumAge->height() / 2));
    ASSERT_TRUE(dialog.edtMinimumAge->isEnabled());
    dialog.edtMinimumAge->selectAll();
    QTest::keyClicks(dialog.edtMinimumAge, QStringLiteral("3"));
    QTest::keyClick(dialog.cbxAgeUnit, Qt::Key_Down);
    AddPatternLine(dialog.edtPatterns, "  behalten-*  ");
    QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
  });
  const StoredCleanRules stored{3, AgeUnit::Days, WithDefaults({"behalten-*"})};
  EXPECT_EQ(ReadCleanRules(), stored);

  // Shown again as stored; the default patterns come back on "Vorgabe", but
  // Cancel stores nothing.
  OnAdvancedDialog([](TfrmAdvanced& dialog) {
    EXPECT_TRUE(dialog.cbxMinimumAge->isChecked());
    EXPECT_EQ(dialog.edtMinimumAge->value(), 3);
    EXPECT_EQ(dialog.cbxAgeUnit->currentText(), QStringLiteral("Tage"));
    EXPECT_TRUE(dialog.edtPatterns->toPlainText().endsWith(QStringLiteral("\nbehalten-*")));
    dialog.btnDefaultPatterns->click();
    EXPECT_FALSE(dialog.edtPatterns->toPlainText().contains(QStringLiteral("behalten")));
    QTest::keyClick(&dialog, Qt::Key_Escape);
  });
  EXPECT_EQ(ReadCleanRules(), stored);

  // Unticked, the age is off again.
  OnAdvancedDialog([](TfrmAdvanced& dialog) {
    dialog.cbxMinimumAge->setChecked(false);
    dialog.btnOk->click();
  });
  EXPECT_EQ(ReadCleanRules().minimumAge, 0);
}

struct RefusedStore {
  const char* name;
  const char* pattern;
  bool hiveFails;
  const char* says;
};

class DialogRefusal : public CleanRulesWindow,
                      public ::testing::WithParamInterface<RefusedStore> {};

TEST_P(DialogRefusal, KeepsTheDialogOpenSaysWhyAndStoresNothing) {
  const RefusedStore& c = GetParam();
  if (c.hiveFails) {
    hive_.ExecuteSql("CREATE TRIGGER fail_write BEFORE INSERT ON reg_value WHEN NEW.name = "
                     "'Keep Patterns' BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
  }
  OnAdvancedDialog([&c](TfrmAdvanced& dialog) {
    dialog.cbxMinimumAge->setChecked(true);
    AddPatternLine(dialog.edtPatterns, c.pattern);
    dialog.btnOk->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.lblError->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.lblError->text().contains(QString::fromUtf8(c.says)))
        << dialog.lblError->text().toStdString();
  });
  EXPECT_EQ(ReadCleanRules(), StoredCleanRules{});
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DialogRefusal,
    ::testing::Values(RefusedStore{"TheHiveFails", "neu-*", true, "nicht gespeichert"},
                      RefusedStore{"APath", "/tmp/wichtig", false, "nicht für Pfade"},
                      RefusedStore{"TheStoredSeparator", "a;b", false, "„;“"}),
    [](const auto& p) { return std::string(p.param.name); });

// --- The preview ------------------------------------------------------------------

// The texts of `item`'s children, as "text | detail".
std::vector<std::string> Children(const QTreeWidgetItem* item) {
  std::vector<std::string> texts;
  for (int i = 0; i < item->childCount(); ++i) {
    const QTreeWidgetItem* child = item->child(i);
    texts.push_back((child->text(0) + QStringLiteral(" | ") + child->text(1)).toStdString());
  }
  return texts;
}

std::set<std::string> AsSet(const std::vector<std::string>& texts) {
  return {texts.begin(), texts.end()};
}

TEST_F(CleanRulesWindow, ThePreviewShowsWhatARunWouldDoAndTheRunDoesIt) {
  const fs::path folder = tree_.dir("ordner");
  tree_.file("ordner/weg.txt", "12345");
  tree_.file("ordner/sub/auch-weg.txt", "123");
  tree_.file("ordner/krb5cc_1000");
  tree_.file("ordner/tief/.X11-unix/X0");
  tree_.file("ordner/behalten-1.txt");
  for (int i = 0; i < 1003; ++i) {
    tree_.file("viele/" + std::to_string(i));
  }
  AddEntry("B Ordner", folder.string(), true);
  AddEntry("A Relativ", "relativ/ordner", true);
  AddEntry("C Viele", tree_.path("viele").string(), true);
  AddEntry("D Nicht angehakt", tree_.dir("frei").string(), false);

  // From the icon's menu, with the window hidden.
  QAction* item = form().mnuPopupMain->findChild<QAction*>(QStringLiteral("Preview1"));
  ASSERT_NE(item, nullptr);
  item->trigger();
  TfrmPreview* preview = form().PreviewForm();
  ASSERT_NE(preview, nullptr);
  EXPECT_TRUE(preview->isVisible());
  const QTreeWidget& shown = *preview->tvwPreview;

  // The ticked folders in list order, the unticked one left out.
  ASSERT_EQ(shown.topLevelItemCount(), 3);
  EXPECT_EQ(shown.topLevelItem(0)->text(0), QStringLiteral("A Relativ (relativ/ordner)"));
  EXPECT_EQ(Children(shown.topLevelItem(0)),
            std::vector<std::string>{"Wird nicht gereinigt: kein absoluter Pfad | "});

  const QTreeWidgetItem* ordner = shown.topLevelItem(1);
  ASSERT_EQ(ordner->childCount(), 2);
  EXPECT_EQ(ordner->child(0)->text(0), QStringLiteral("Wird entfernt: 4 Einträge, 9 Bytes"));
  EXPECT_EQ(AsSet(Children(ordner->child(0))),
            (std::set<std::string>{"weg.txt | 5 Bytes", "behalten-1.txt | 1 Bytes",
                                   "sub/auch-weg.txt | 3 Bytes", "sub | Verzeichnis"}));
  EXPECT_EQ(ordner->child(1)->text(0), QStringLiteral("Bleibt: 3 Einträge"));
  EXPECT_EQ(AsSet(Children(ordner->child(1))),
            (std::set<std::string>{"krb5cc_1000 | Schutzmuster", "tief/.X11-unix | Schutzmuster",
                                   "tief | enthält Bleibendes"}));

  const QTreeWidgetItem* viele = shown.topLevelItem(2)->child(0);
  EXPECT_TRUE(viele->text(0).startsWith(QStringLiteral("Wird entfernt: 1.003 Einträge")));
  ASSERT_EQ(viele->childCount(), 1001);
  EXPECT_EQ(viele->child(1000)->text(0), QStringLiteral("… und 3 weitere"));
  EXPECT_TRUE(
      preview->lblSummary->text().contains(QStringLiteral("1 Verzeichnis wird nicht gereinigt")));
  ASSERT_TRUE(fs::exists(tree_.path("viele/1002"))) << "a preview deletes nothing";

  // A pattern the user types applies to the next preview and the next run.
  OnAdvancedDialog([](TfrmAdvanced& dialog) {
    AddPatternLine(dialog.edtPatterns, "behalten-*");
    dialog.btnOk->click();
  });
  preview->btnRefresh->click();
  EXPECT_TRUE(
      AsSet(Children(shown.topLevelItem(1)->child(1))).contains("behalten-1.txt | Schutzmuster"));
  const CleanSummary run =
      CleanFolder(folder.string(), ReadCleanRules().Rules(), CleanMode::Delete);
  EXPECT_EQ(run.removed, 3u);
  EXPECT_EQ(test::EntriesBelow(folder),
            (std::set<std::string>{"krb5cc_1000", "behalten-1.txt", "tief", "tief/.X11-unix",
                                   "tief/.X11-unix/X0"}));

  QTest::keyClick(preview, Qt::Key_Escape);
  EXPECT_FALSE(preview->isVisible());
  // The list's menu and the window's key bring it back.
  EXPECT_NE(form().mnuPopUp->findChild<QAction*>(QStringLiteral("Preview2")), nullptr);
  form().actSelect->trigger();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form()));
  QTest::keyClick(&form(), Qt::Key_F5);
  EXPECT_TRUE(preview->isVisible());
}

// --- Refused folders in the list and in the folder dialog --------------------------

TEST_F(CleanRulesWindow, ARefusedEntryIsGreyWithItsReasonUntilItsFolderIsFine) {
  AddEntry("Gut", tree_.dir("gut").string(), true);
  AddEntry("Relativ", "relativ", false);
  AddEntry("Fehlt", tree_.path("kommt-noch").string(), false);
  form().actSelect->trigger();

  EXPECT_FALSE(list().IsGrayedAt(IndexOf("Gut")));
  EXPECT_EQ(list().ItemHint(IndexOf("Gut")), QString());
  EXPECT_TRUE(list().IsGrayedAt(IndexOf("Relativ")));
  EXPECT_EQ(list().ItemHint(IndexOf("Relativ")),
            QStringLiteral("Wird nicht gereinigt: kein absoluter Pfad"));
  EXPECT_TRUE(list().IsGrayedAt(IndexOf("Fehlt")));
  EXPECT_EQ(list().ItemHint(IndexOf("Fehlt")),
            QStringLiteral("Wird nicht gereinigt: existiert nicht"));

  tree_.dir("kommt-noch");
  form().actStatus->trigger();
  form().actSelect->trigger();
  EXPECT_FALSE(list().IsGrayedAt(IndexOf("Fehlt")));
  EXPECT_EQ(list().ItemHint(IndexOf("Fehlt")), QString());
}

struct PickedFolder {
  const char* name;
  std::function<std::string(const test::TempTree&)> folder;
  const char* says; // empty: added
};

class FolderDialogPick : public CleanRulesWindow,
                         public ::testing::WithParamInterface<PickedFolder> {};

TEST_P(FolderDialogPick, AFolderARunWouldRefuseIsNotAddedAndTheUserIsToldWhy) {
  const PickedFolder& c = GetParam();
  const QString folder = QString::fromStdString(c.folder(tree_));
  TcDialogScript script;
  script.AnswerFolder({folder, QStringLiteral("gewählt")});
  form().actAddDirectory->trigger();

  if (*c.says == '\0') {
    EXPECT_EQ(script.Requests().size(), 1u);
    EXPECT_EQ(list().ItemCount(), 1);
    return;
  }
  EXPECT_EQ(list().ItemCount(), 0);
  ASSERT_EQ(script.Requests().size(), 2u);
  const DialogRequest& warning = script.Requests()[1];
  EXPECT_EQ(warning.kind, DialogRequest::Kind::Message);
  EXPECT_TRUE(warning.text.contains(folder));
  EXPECT_TRUE(warning.text.contains(QString::fromUtf8(c.says))) << warning.text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderDialogPick,
    ::testing::Values(
        PickedFolder{"AFolderOfItsOwn",
                     [](const test::TempTree& scratch) { return scratch.dir("eigen").string(); },
                     ""},
        PickedFolder{"Relative", [](const test::TempTree&) { return std::string("relativ"); },
                     "kein absoluter Pfad"},
        PickedFolder{"AFile",
                     [](const test::TempTree& scratch) { return scratch.file("datei").string(); },
                     "kein Verzeichnis"},
        PickedFolder{"TheRootSpelledOtherwise",
                     [](const test::TempTree&) { return std::string("/tmp/.."); },
                     "das Wurzelverzeichnis"}),
    [](const auto& p) { return std::string(p.param.name); });

// --- The last run on the Status page --------------------------------------------

TEST_F(CleanRulesWindow, TheStatusPageSaysWhatTheLastRunDid) {
  CleanSummary total;
  total.removed = 1234;
  total.kept = 5;
  total.failed = 1;
  total.bytes = 12'345'678;
  form().ShowRunOutcome(total);
  EXPECT_EQ(form().tabStatus->lblOutcome->text().replace(QChar(0xa0), QLatin1Char(' ')),
            QStringLiteral("Ergebnis:\n1.234 entfernt, 5 behalten, 1 fehlgeschlagen, 12,3 MB "
                           "frei geworden"));
}

} // namespace
} // namespace fegolin
