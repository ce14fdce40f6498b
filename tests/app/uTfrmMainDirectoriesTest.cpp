// The folder page of the main window on the real hive and the real check
// list box, offscreen; every dialog is answered through the Dialogs script.

#include "app/uTfrmMain.h"

#include "app/pages/uSelectPage.h"
#include "app/uDialogs.h"
#include "app/uDirectoryList.h"
#include "common/uCommon.h"
#include "common/uConst.h"
#include "kit/kitlist.h"
#include "settings/uTcPathData.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace fegolin {
namespace {

struct Stored {
  std::string name;
  std::string directory;
  bool state;
};

std::string ValueName(std::string_view word, int n) {
  return std::string(word) + " " + std::to_string(n);
}

void StoreList(const std::vector<Stored>& list) {
  for (int n = 0; n < static_cast<int>(list.size()); ++n) {
    const Stored& entry = list[static_cast<std::size_t>(n)];
    ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, ValueName("Display Name", n),
                              RegVariant(entry.name), TFieldType::ftString));
    ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, ValueName("Directory", n),
                              RegVariant(entry.directory), TFieldType::ftString));
    ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, ValueName("State", n),
                              RegVariant(entry.state), TFieldType::ftBoolean));
  }
}

// The stored list as "name|directory|state" lines; nothing once the key is
// gone.
std::optional<std::vector<std::string>> StoredList() {
  if (!KeyExists(kCurrentUserRoot, kRegKeyPaths)) {
    return std::nullopt;
  }
  std::vector<std::string> lines;
  for (int n = 0;; ++n) {
    const RegVariant name = ReadRegValue(kCurrentUserRoot, kRegKeyPaths,
                                         ValueName("Display Name", n), TFieldType::ftString);
    const auto* text = std::get_if<std::string>(&name);
    if (text == nullptr || text->empty()) {
      return lines;
    }
    const RegVariant dir = ReadRegValue(kCurrentUserRoot, kRegKeyPaths, ValueName("Directory", n),
                                        TFieldType::ftString);
    const RegVariant state =
        ReadRegValue(kCurrentUserRoot, kRegKeyPaths, ValueName("State", n), TFieldType::ftBoolean);
    const auto* checked = std::get_if<bool>(&state);
    lines.push_back(*text + "|" + std::get<std::string>(dir) + "|" +
                    (checked == nullptr ? "?"
                     : *checked         ? "1"
                                        : "0"));
  }
}

const std::vector<Stored> kThree{{"Projekt", "/srv/projekt", true},
                                 {"Archiv", "/srv/archiv", false},
                                 {"Medien", "/srv/medien", false}};
// kThree as the list sorts it.
const std::vector<std::string> kThreeItems{"Archiv\t(/srv/archiv) [ ]", "Medien\t(/srv/medien) [ ]",
                                           "Projekt\t(/srv/projekt) [x]"};
// kThree as it is stored, and as Save stores it again.
const std::vector<std::string> kThreeStored{"Projekt|/srv/projekt|1", "Archiv|/srv/archiv|0",
                                            "Medien|/srv/medien|0"};
const std::vector<std::string> kThreeSaved{"Archiv|/srv/archiv|0", "Medien|/srv/medien|0",
                                           "Projekt|/srv/projekt|1"};

class FolderPage : public ::testing::Test {
public:
  // Every start here is a later start, without the splash holding it up.
  void SetUp() override {
    ASSERT_TRUE(
        WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Show Splash", false, TFieldType::ftBoolean));
  }
  void TearDown() override { SetCurrentLanguage(0); }

  // A later start with `stored` in the hive, the window open on the folder
  // page.
  std::unique_ptr<TfrmMain> Open(const std::vector<Stored>& stored = kThree) {
    StoreList(stored);
    auto form = std::make_unique<TfrmMain>();
    form->actSelect->trigger();
    form->resize(496, 457);
    return form;
  }

  // The same with nothing in the list: a start always brings the defaults.
  std::unique_ptr<TfrmMain> OpenEmpty() {
    auto form = Open({});
    form->DirectoryList().ReleaseAll();
    return form;
  }

  static TkitCheckListBox& List(TfrmMain& form) { return *form.tabSelect->cbxKitDirectoryList; }
  static bool SaveEnabled(TfrmMain& form) { return form.tabSelect->btnApplyDir->isEnabled(); }

  // Every item as "text [x]"; each entry's state must match its mark.
  static std::vector<std::string> Items(TfrmMain& form) {
    std::vector<std::string> items;
    TkitCheckListBox& list = List(form);
    for (int i = 0; i < list.ItemCount(); ++i) {
      items.push_back(list.ItemText(i).toStdString() + (list.IsCheckedAt(i) ? " [x]" : " [ ]"));
      const TcPathData* entry = form.DirectoryList().Entry(i);
      EXPECT_NE(entry, nullptr) << i;
      if (entry != nullptr) {
        EXPECT_EQ(entry->State(), list.IsCheckedAt(i)) << items.back();
      }
    }
    return items;
  }

  static void ClickGlyph(TfrmMain& form, int index) {
    TkitCheckListBox& list = List(form);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.GlyphRect(list.ItemRect(index)).center());
  }

  // Opens the list's menu over `pos` and chooses its rename entry.
  static void RenameFromMenu(TfrmMain& form, QPoint pos) {
    // What the system sends on a right click.
    QWidget* viewport = List(form).viewport();
    QContextMenuEvent click(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QApplication::sendEvent(viewport, &click);
    QMenu& menu = *form.mnuPopUp;
    ASSERT_TRUE(menu.isVisible());
    auto* rename = menu.findChild<QAction*>(QStringLiteral("ShowStatus1"));
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(rename).center());
  }

  static bool ListActionsEnabled(TfrmMain& form) {
    const bool rename = form.actRenameEntry->isEnabled();
    EXPECT_EQ(form.actDeleteEntry->isEnabled(), rename);
    EXPECT_EQ(form.actDeleteAll->isEnabled(), rename);
    return rename;
  }

  test::ScopedHive hive_;
  // Folders the dialog picks: it takes only folders a run may clean.
  test::TempTree tree_;
};

// --- Delete all and set to defaults -----------------------------------------

enum class Reset { DeleteAll, Defaults };

struct ConfirmCase {
  const char* name;
  Reset action;
  bool yes;
};

class ConfirmedReset : public FolderPage, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(ConfirmedReset, OnlyYesChangesTheListAndOnlySaveStoresIt) {
  const ConfirmCase& c = GetParam();
  auto form = Open();
  TcDialogScript script;
  if (c.yes) {
    script.AnswerYes();
  } else {
    script.AnswerNo();
  }
  (c.action == Reset::DeleteAll ? form->actDeleteAll : form->actSetToDefaultEntries)->trigger();

  ASSERT_EQ(script.Requests().size(), 1u);
  EXPECT_EQ(script.Requests()[0].kind, DialogRequest::Kind::Confirm);
  EXPECT_EQ(script.Requests()[0].title, QStringLiteral("Warnung"));
  if (!c.yes) {
    EXPECT_EQ(Items(*form), kThreeItems);
    EXPECT_EQ(StoredList(), kThreeStored);
    EXPECT_FALSE(SaveEnabled(*form));
    EXPECT_TRUE(ListActionsEnabled(*form));
    return;
  }
  EXPECT_EQ(StoredList(), kThreeStored) << "stored only by Save";
  EXPECT_TRUE(SaveEnabled(*form));
  if (c.action == Reset::DeleteAll) {
    EXPECT_TRUE(Items(*form).empty());
    EXPECT_FALSE(ListActionsEnabled(*form));
    form->tabSelect->btnApplyDir->click();
    EXPECT_EQ(StoredList(), std::nullopt);
    EXPECT_FALSE(SaveEnabled(*form));
    return;
  }
  const std::string windowsTemp = form->Settings()->GetWindowsTempDir();
  const std::string userTemp = form->Settings()->GetUserTempDir();
  EXPECT_EQ(Items(*form), (std::vector<std::string>{"User Temp\t(" + userTemp + ") [ ]",
                                                    "Windows Temp\t(" + windowsTemp + ") [ ]"}));
  EXPECT_TRUE(ListActionsEnabled(*form));
  form->tabSelect->btnApplyDir->click();
  EXPECT_EQ(StoredList(), (std::vector<std::string>{"User Temp|" + userTemp + "|0",
                                                    "Windows Temp|" + windowsTemp + "|0"}));
  EXPECT_FALSE(SaveEnabled(*form));
}

INSTANTIATE_TEST_SUITE_P(FolderList, ConfirmedReset,
                         ::testing::Values(ConfirmCase{"DeleteAllNo", Reset::DeleteAll, false},
                                           ConfirmCase{"DeleteAllYes", Reset::DeleteAll, true},
                                           ConfirmCase{"DefaultsNo", Reset::Defaults, false},
                                           ConfirmCase{"DefaultsYes", Reset::Defaults, true}),
                         [](const auto& p) { return std::string(p.param.name); });

// --- The texts of the questions follow "Language" -----------------------------

struct LanguageCase {
  const char* name;
  std::int32_t language;
  const char16_t* deleteAll;
  const char16_t* defaults;
  const char16_t* renameTitle;
  const char16_t* renamePrompt;
};

class QuestionTexts : public FolderPage, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(QuestionTexts, FollowTheStoredLanguage) {
  const LanguageCase& c = GetParam();
  ASSERT_TRUE(
      WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Language", c.language, TFieldType::ftInteger));
  auto form = Open();
  TcDialogScript script;
  form->actDeleteAll->trigger();
  form->actSetToDefaultEntries->trigger();
  List(*form).SetItemIndex(0);
  form->actRenameEntry->trigger();

  ASSERT_EQ(script.Requests().size(), 3u);
  EXPECT_EQ(script.Requests()[0].text, QString::fromUtf16(c.deleteAll));
  EXPECT_EQ(script.Requests()[1].text, QString::fromUtf16(c.defaults));
  EXPECT_EQ(script.Requests()[2].kind, DialogRequest::Kind::Input);
  EXPECT_EQ(script.Requests()[2].title, QString::fromUtf16(c.renameTitle));
  EXPECT_EQ(script.Requests()[2].text, QString::fromUtf16(c.renamePrompt));
  EXPECT_EQ(script.Requests()[2].initial, QStringLiteral("Archiv"));
}

INSTANTIATE_TEST_SUITE_P(FolderList, QuestionTexts,
                         ::testing::Values(LanguageCase{"German", 2, u"Alle Einträge löschen?",
                                                        u"Alle Einträge auf Vorgabe stellen?",
                                                        u"Eintrag umbenennen",
                                                        u"Neuen Namen eingeben:"},
                                           LanguageCase{"English", 1, u"Delete All Entries?",
                                                        u"Reset all Entries to Defaults?",
                                                        u"Rename Entry", u"Enter new Name:"}),
                         [](const auto& p) { return std::string(p.param.name); });

// --- Rename -----------------------------------------------------------------

struct RenameCase {
  const char* name;
  int item;                      // position in kThreeItems
  std::optional<QString> answer; // nothing: the box is cancelled
  const char* newName;           // nothing renamed when null
};

class Rename : public FolderPage, public ::testing::WithParamInterface<RenameCase> {};

TEST_P(Rename, TrimsTheAnswerAndKeepsPlaceAndMark) {
  const RenameCase& c = GetParam();
  auto form = Open();
  List(*form).SetItemIndex(c.item);
  TcDialogScript script;
  if (c.answer) {
    script.AnswerText(*c.answer);
  } else {
    script.AnswerCancel();
  }
  form->actRenameEntry->trigger();

  std::vector<std::string> expected = kThreeItems;
  if (c.newName != nullptr) {
    std::string& item = expected[static_cast<std::size_t>(c.item)];
    item = c.newName + item.substr(item.find('\t'));
  }
  EXPECT_EQ(Items(*form), expected);
  EXPECT_EQ(SaveEnabled(*form), c.newName != nullptr);
  EXPECT_EQ(StoredList(), kThreeStored);
}

INSTANTIATE_TEST_SUITE_P(
    FolderList, Rename,
    ::testing::Values(RenameCase{"BlanksAroundGo", 1, QStringLiteral("  Bilder  "), "Bilder"},
                      RenameCase{"ControlCharactersAroundGo", 1,
                                 QStringLiteral("\t\x01"
                                                "Bilder\r\n"),
                                 "Bilder"},
                      RenameCase{"CheckedKeepsItsPlaceAndTickWhereItWouldSortFirst", 2,
                                 QStringLiteral("Aaa"), "Aaa"},
                      RenameCase{"OtherLetterCaseIsANewName", 1, QStringLiteral("MEDIEN"),
                                 "MEDIEN"},
                      RenameCase{"UnchangedNameIsIgnored", 1, QStringLiteral(" Medien "), nullptr},
                      RenameCase{"BlanksOnlyAreIgnored", 1, QStringLiteral(" \t "), nullptr},
                      RenameCase{"CancelIsIgnored", 1, std::nullopt, nullptr}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(FolderPage, RenameWithoutACurrentItemAsksNothing) {
  auto form = Open();
  List(*form).SetItemIndex(-1);
  TcDialogScript script;
  form->actRenameEntry->trigger();
  form->actDeleteEntry->trigger();
  EXPECT_TRUE(script.Requests().empty());
  EXPECT_EQ(Items(*form), kThreeItems);
}

// --- The list's menu ----------------------------------------------------------

TEST_F(FolderPage, RightClickThenRenameRenamesTheClickedItem) {
  auto form = Open();
  TkitCheckListBox& list = List(*form);
  list.SetItemIndex(0);
  TcDialogScript script;
  script.AnswerText(QStringLiteral("Bilder"));
  RenameFromMenu(*form, list.ItemRect(1).center());

  ASSERT_EQ(script.Requests().size(), 1u);
  EXPECT_EQ(script.Requests()[0].initial, QStringLiteral("Medien"));
  EXPECT_EQ(Items(*form), (std::vector<std::string>{kThreeItems[0], "Bilder\t(/srv/medien) [ ]",
                                                    kThreeItems[2]}));
}

// --- Delete one entry -----------------------------------------------------------

TEST_F(FolderPage, DeletingAnyEntryAsksNothingAndMarksTheListChanged) {
  for (const int item : {2, 0}) {
    SCOPED_TRACE(kThreeItems[static_cast<std::size_t>(item)]);
    auto form = Open();
    List(*form).SetItemIndex(item);
    TcDialogScript script;
    form->tabSelect->SpeedButton2->click();

    std::vector<std::string> expected = kThreeItems;
    expected.erase(expected.begin() + item);
    EXPECT_EQ(Items(*form), expected);
    EXPECT_TRUE(script.Requests().empty());
    EXPECT_TRUE(SaveEnabled(*form));
    EXPECT_EQ(StoredList(), kThreeStored);
  }
}

// --- Add a folder ---------------------------------------------------------------

TEST_F(FolderPage, AddListsTheSystemsNameWithThePathSortedInUntickedAsEveryStartWill) {
  auto form = Open();
  const std::string between = tree_.dir("zwischen").string();
  TcDialogScript script;
  script.AnswerFolder({QString::fromStdString(between), QStringLiteral("Mitte")});
  script.AnswerCancel();
  form->tabSelect->btnAddDirToList->click();
  form->actAddDirectory->trigger();

  ASSERT_EQ(script.Requests().size(), 2u);
  EXPECT_EQ(script.Requests()[0].kind, DialogRequest::Kind::Folder);
  EXPECT_TRUE(QFileInfo(script.Requests()[0].initial).isDir()) << "opens at a folder that exists";
  const std::vector<std::string> added{kThreeItems[0], kThreeItems[1],
                                       "Mitte\t(" + between + ") [ ]", kThreeItems[2]};
  EXPECT_EQ(Items(*form), added);
  EXPECT_TRUE(SaveEnabled(*form));

  form->tabSelect->btnApplyDir->click();
  EXPECT_FALSE(SaveEnabled(*form));
  EXPECT_EQ(StoredList(), (std::vector<std::string>{kThreeSaved[0], kThreeSaved[1],
                                                    "Mitte|" + between + "|0", kThreeSaved[2]}));
  form.reset();
  EXPECT_EQ(Items(*Open({})), added);
}

TEST_F(FolderPage, AddingToAnEmptiedListOffersRenameAndDeleteAtOnce) {
  auto form = Open();
  TcDialogScript script;
  script.AnswerYes();
  script.AnswerFolder({QString::fromStdString(tree_.dir("neu").string()), QStringLiteral("neu")});
  form->actDeleteAll->trigger();
  ASSERT_FALSE(ListActionsEnabled(*form));
  form->actAddDirectory->trigger();
  EXPECT_TRUE(ListActionsEnabled(*form));
}

// --- Check marks and Save ---------------------------------------------------------

TEST_F(FolderPage, AGlyphClickIsRecordedOnTheEntryAndStoredOnlyBySave) {
  auto form = Open();
  ClickGlyph(*form, 0);
  EXPECT_EQ(Items(*form)[0], "Archiv\t(/srv/archiv) [x]");
  EXPECT_TRUE(SaveEnabled(*form));
  EXPECT_EQ(StoredList(), kThreeStored);

  // Leaving the page and coming back keeps the change and its indication.
  form->actStatus->trigger();
  form->actSelect->trigger();
  EXPECT_TRUE(SaveEnabled(*form));
  EXPECT_EQ(Items(*form)[0], "Archiv\t(/srv/archiv) [x]");

  ClickGlyph(*form, 2);
  QTest::mouseClick(form->tabSelect->btnApplyDir, Qt::LeftButton);
  EXPECT_FALSE(SaveEnabled(*form));
  EXPECT_EQ(StoredList(), (std::vector<std::string>{"Archiv|/srv/archiv|1", kThreeSaved[1],
                                                    "Projekt|/srv/projekt|0"}));
}

// Two folders of the same name are two entries, each with its own mark.
TEST_F(FolderPage, FoldersOfTheSameNameKeepTheirOwnMarksAcrossARestart) {
  const std::string a = tree_.dir("a/tmp").string();
  const std::string b = tree_.dir("b/tmp").string();
  {
    auto form = OpenEmpty();
    TcDialogScript script;
    script.AnswerFolder({QString::fromStdString(a), QStringLiteral("tmp")});
    script.AnswerFolder({QString::fromStdString(b), QStringLiteral("tmp")});
    form->actAddDirectory->trigger();
    form->actAddDirectory->trigger();
    ClickGlyph(*form, 1);
    const std::vector<std::string> items{"tmp\t(" + a + ") [ ]", "tmp\t(" + b + ") [x]"};
    EXPECT_EQ(Items(*form), items);
    form->tabSelect->btnApplyDir->click();
  }
  EXPECT_EQ(StoredList(), (std::vector<std::string>{"tmp|" + a + "|0", "tmp|" + b + "|1"}));
  TfrmMain form;
  EXPECT_EQ(Items(form),
            (std::vector<std::string>{"tmp\t(" + a + ") [ ]", "tmp\t(" + b + ") [x]"}));
}

// --- Save follows the difference to the stored list ---------------------------------

struct PendingCase {
  const char* name;
  std::function<void(TfrmMain&, TcDialogScript&)> change;
  std::function<void(TfrmMain&, TcDialogScript&)> undo;
};

class PendingChanges : public FolderPage, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(PendingChanges, TurnSaveOnUntilTheListMatchesTheStoredOneAgain) {
  auto form = Open();
  ASSERT_FALSE(SaveEnabled(*form));
  ASSERT_FALSE(form->ListChanged());
  TcDialogScript script;
  GetParam().change(*form, script);
  EXPECT_TRUE(SaveEnabled(*form));
  EXPECT_TRUE(form->ListChanged());
  GetParam().undo(*form, script);
  EXPECT_FALSE(SaveEnabled(*form));
  EXPECT_FALSE(form->ListChanged());
}

void RenameItem(TfrmMain& form, TcDialogScript& script, int item, const char* name) {
  FolderPage::List(form).SetItemIndex(item);
  script.AnswerText(QString::fromUtf8(name));
  form.actRenameEntry->trigger();
}

INSTANTIATE_TEST_SUITE_P(
    FolderList, PendingChanges,
    ::testing::Values(
        PendingCase{"Tick", [](TfrmMain& f, TcDialogScript&) { FolderPage::ClickGlyph(f, 0); },
                    [](TfrmMain& f, TcDialogScript&) { FolderPage::ClickGlyph(f, 0); }},
        PendingCase{"Rename", [](TfrmMain& f, TcDialogScript& s) { RenameItem(f, s, 1, "Filme"); },
                    [](TfrmMain& f, TcDialogScript& s) { RenameItem(f, s, 1, "Medien"); }},
        PendingCase{"DeleteUnticked",
                    [](TfrmMain& f, TcDialogScript&) {
                      FolderPage::List(f).SetItemIndex(0);
                      f.actDeleteEntry->trigger();
                    },
                    // The stored folders are made up, and the folder dialog
                    // takes only real ones: Save makes the list match again.
                    [](TfrmMain& f, TcDialogScript&) { f.tabSelect->btnApplyDir->click(); }},
        PendingCase{
            "Add",
            [](TfrmMain& f, TcDialogScript& s) {
              const std::filesystem::path folder =
                  std::filesystem::path(std::getenv("TMPDIR")) / "neu";
              std::filesystem::create_directories(folder);
              s.AnswerFolder({QString::fromStdString(folder.string()), QStringLiteral("neu")});
              f.actAddDirectory->trigger();
            },
            [](TfrmMain& f, TcDialogScript&) {
              FolderPage::List(f).SetItemIndex(2);
              f.actDeleteEntry->trigger();
            }},
        PendingCase{"SaveAfterDeleteAll",
                    [](TfrmMain& f, TcDialogScript& s) {
                      s.AnswerYes();
                      f.actDeleteAll->trigger();
                    },
                    [](TfrmMain& f, TcDialogScript&) { f.tabSelect->btnApplyDir->click(); }}),
    [](const auto& p) { return std::string(p.param.name); });

// --- Ending the program with changes not saved ----------------------------------------

struct ExitCase {
  const char* name;
  std::optional<DialogAnswer> answer; // nothing: the list is unchanged
  bool ends;
  bool stored;
};

class ExitQuestion : public FolderPage, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitQuestion, AsksWhetherToSaveAndDoesWhatTheAnswerSays) {
  const ExitCase& c = GetParam();
  auto form = Open();
  QSignalSpy closed(form.get(), &TfrmMain::Closed);
  if (c.answer) {
    ClickGlyph(*form, 0);
  }
  TcDialogScript script;
  if (c.answer == DialogAnswer::Yes) {
    script.AnswerYes();
  } else if (c.answer == DialogAnswer::No) {
    script.AnswerNo();
  } else if (c.answer == DialogAnswer::Cancel) {
    script.AnswerCancel();
  }
  form->btnCancel->click();

  ASSERT_EQ(script.Requests().size(), c.answer ? 1u : 0u);
  if (c.answer) {
    EXPECT_EQ(script.Requests()[0].kind, DialogRequest::Kind::Question);
  }
  EXPECT_EQ(closed.count(), c.ends ? 1 : 0);
  EXPECT_EQ(StoredList()->front(), c.stored ? "Archiv|/srv/archiv|1" : "Projekt|/srv/projekt|1");
}

INSTANTIATE_TEST_SUITE_P(FolderList, ExitQuestion,
                         ::testing::Values(ExitCase{"NothingChanged", std::nullopt, true, false},
                                           ExitCase{"Yes", DialogAnswer::Yes, true, true},
                                           ExitCase{"No", DialogAnswer::No, true, false},
                                           ExitCase{"Cancel", DialogAnswer::Cancel, false, false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(FolderPage, ASessionEndNeverAsksNorStoresTheList) {
  auto form = Open();
  QSignalSpy closed(form.get(), &TfrmMain::Closed);
  ClickGlyph(*form, 0);
  TcDialogScript script;
  // What the handler of a termination signal does.
  form->close();
  EXPECT_TRUE(script.Requests().empty());
  EXPECT_EQ(closed.count(), 1);
  EXPECT_EQ(StoredList(), kThreeStored);
}

// --- A save that fails ----------------------------------------------------------------

TEST_F(FolderPage, AFailedSaveKeepsSaveOnAndTheStoredListAndSaysWhyInTheStatusBar) {
  auto form = Open();
  QSignalSpy closed(form.get(), &TfrmMain::Closed);
  ClickGlyph(*form, 0);
  test::RefuseWritesOf(hive_, "Directory 1", "attempt to write a readonly database");

  form->tabSelect->btnApplyDir->click();
  EXPECT_TRUE(SaveEnabled(*form));
  EXPECT_EQ(StoredList(), kThreeStored);
  const QString failed = QStringLiteral(
      "Die Verzeichnisliste konnte nicht gespeichert werden: attempt to write a readonly database");
  EXPECT_EQ(form->StatusBar1->currentMessage(), failed);

  // Ending with Yes: the program stays, on the folder page, saying why.
  form->actStatus->trigger();
  TcDialogScript script;
  script.AnswerYes();
  form->actExit->trigger();
  EXPECT_EQ(closed.count(), 0);
  EXPECT_EQ(form->pgeMain->currentWidget(), form->tabSelect);
  EXPECT_EQ(form->StatusBar1->currentMessage(), failed);

  test::AllowWrites(hive_);
  form->tabSelect->btnApplyDir->click();
  EXPECT_FALSE(SaveEnabled(*form));
  EXPECT_EQ(form->StatusBar1->currentMessage(), QString());
  EXPECT_EQ(StoredList()->front(), "Archiv|/srv/archiv|1");
}

// --- The keyboard -----------------------------------------------------------------------

TEST_F(FolderPage, SpaceTicksTheCurrentEntryAndF2AndDelRenameAndDelete) {
  auto form = Open();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  TkitCheckListBox& list = List(*form);
  list.setFocus();
  list.SetItemIndex(1);
  QTest::keyClick(&list, Qt::Key_Space);
  EXPECT_EQ(Items(*form)[1], "Medien\t(/srv/medien) [x]");
  EXPECT_TRUE(SaveEnabled(*form));
  QTest::keyClick(&list, Qt::Key_Space);
  EXPECT_EQ(Items(*form)[1], "Medien\t(/srv/medien) [ ]");

  TcDialogScript script;
  script.AnswerText(QStringLiteral("Filme"));
  QTest::keyClick(&list, Qt::Key_F2);
  QTest::keyClick(&list, Qt::Key_Delete);
  EXPECT_EQ(Items(*form), (std::vector<std::string>{kThreeItems[0], kThreeItems[2]}));
  ASSERT_EQ(script.Requests().size(), 1u);
  EXPECT_EQ(script.Requests()[0].initial, QStringLiteral("Medien"));
}

// Tab walks the page's controls; each of them answers Enter (and the tool
// buttons Space) by running its action.
TEST_F(FolderPage, TabReachesEveryActionOfThePageAndEnterRunsIt) {
  auto form = Open();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  TcSelectPage& page = *form->tabSelect;
  ClickGlyph(*form, 0); // gives Save something to do
  std::vector<QWidget*> reached;
  List(*form).setFocus();
  for (int i = 0; i < 20; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached.push_back(QApplication::focusWidget());
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{page.btnAddDirToList, page.SpeedButton1, page.SpeedButton2,
                                       page.SpeedButton3, page.SpeedButton4, page.btnApplyDir}) {
    EXPECT_NE(std::find(reached.begin(), reached.end(), control), reached.end())
        << control->objectName().toStdString();
  }

  TcDialogScript script;
  script.AnswerCancel(); // the folder dialog
  script.AnswerCancel(); // rename
  script.AnswerNo();     // delete all
  script.AnswerNo();     // defaults
  List(*form).SetItemIndex(0);
  for (QWidget* button : std::initializer_list<QWidget*>{page.btnAddDirToList, page.SpeedButton1,
                                                         page.SpeedButton3, page.SpeedButton4}) {
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
  }
  ASSERT_EQ(script.Requests().size(), 4u);
  EXPECT_EQ(script.Requests()[0].kind, DialogRequest::Kind::Folder);
  EXPECT_EQ(script.Requests()[1].kind, DialogRequest::Kind::Input);
  EXPECT_EQ(script.Requests()[2].text, QStringLiteral("Alle Einträge löschen?"));
  EXPECT_EQ(script.Requests()[3].text, QStringLiteral("Alle Einträge auf Vorgabe stellen?"));

  page.SpeedButton2->setFocus();
  QTest::keyClick(page.SpeedButton2, Qt::Key_Space);
  EXPECT_EQ(List(*form).ItemCount(), 2);
  page.btnApplyDir->setFocus();
  QTest::keyClick(page.btnApplyDir, Qt::Key_Return);
  EXPECT_EQ(StoredList(), (std::vector<std::string>{kThreeSaved[1], "Projekt|/srv/projekt|1"}));
}

TEST_F(FolderPage, RenamingOntoATickedCaptionTakesItsTick) {
  auto form = Open({{"Projekt", "/srv/projekt", true}, {"Kopie", "/srv/projekt", false}});
  List(*form).SetItemIndex(0); // Kopie
  TcDialogScript script;
  script.AnswerText(QStringLiteral("Projekt"));
  form->actRenameEntry->trigger();
  EXPECT_EQ(Items(*form), (std::vector<std::string>{"Projekt\t(/srv/projekt) [x]",
                                                    "Projekt\t(/srv/projekt) [x]"}));
}

} // namespace
} // namespace fegolin
