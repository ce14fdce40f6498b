// The folder list as the program stores and loads it: the real list
// control, the real options page and the real hive.

#include "app/pages/uOptionsPage.h"
#include "app/uDirectoryList.h"
#include "app/uOptionsView.h"
#include "common/uCommon.h"
#include "kit/kitlist.h"
#include "platform/Registry.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fegolin {
namespace {

struct Item {
  std::string caption;
  bool checked;
  friend bool operator==(const Item&, const Item&) = default;
};

void PrintTo(const Item& item, std::ostream* os) {
  *os << "{" << item.caption << ", " << (item.checked ? "checked" : "unchecked") << "}";
}

// One start of the program's list: the list control with its entries and a
// settings object over the options page.
class ListWindow {
public:
  ListWindow()
      : page_(new TcOptionsPage(&window_)), list_(new TkitCheckListBox(&window_)), view_(window_),
        settings_(view_, entries_) {
    // The page and the control take the options and the list from here on.
    view_.Attach(*page_);
    entries_.Attach(*list_);
    // Every check change is recorded on the entry, as the folder page does.
    list_->OnCheck = [this](TkitCustomCheckListBox&, int index, bool& value) {
      if (TcPathData* entry = entries_.Entry(index)) {
        entry->SetState(value);
      }
    };
    list_->SetSorted(true);
    list_->SetOptions(TCheckOption::chClickGlyph | TCheckOption::chMultiSelect);
  }

  TcDirectoryList& Entries() { return entries_; }
  TkitCheckListBox& List() { return *list_; }
  TcSettings& Settings() { return settings_; }

  void Add(const std::string& name, const std::string& directory, bool checked = false) {
    auto entry = std::make_unique<TcPathData>(name, directory);
    const std::string caption = entry->ListCaption();
    entries_.Add(caption, std::move(entry));
    entries_.SetChecked(caption, checked);
  }

  std::vector<Item> Items() const {
    std::vector<Item> items;
    for (int i = 0; i < list_->ItemCount(); ++i) {
      items.push_back({list_->ItemText(i).toStdString(), list_->IsCheckedAt(i)});
      const TcPathData* entry = entries_.Entry(i);
      EXPECT_NE(entry, nullptr);
      if (entry != nullptr) {
        EXPECT_EQ(entry->ListCaption(), items.back().caption);
        EXPECT_EQ(entry->State(), items.back().checked) << entry->ListCaption();
      }
    }
    return items;
  }

private:
  QWidget window_;
  TcOptionsPage* page_;
  TkitCheckListBox* list_;
  TcDirectoryList entries_;
  TcOptionsView view_;
  TcSettings settings_;
};

std::vector<Item> Reloaded() {
  ListWindow next;
  EXPECT_TRUE(next.Settings().LoadDirectoryList());
  return next.Items();
}

void StoreText(const std::string& name, const std::string& text) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, name, text, TFieldType::ftString));
}

void StoreBool(const std::string& name, bool value) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, name, value, TFieldType::ftBoolean));
}

void StoreEntry(int n, const std::string& name, const std::string& dir, bool state) {
  StoreText("Display Name " + std::to_string(n), name);
  StoreText("Directory " + std::to_string(n), dir);
  StoreBool("State " + std::to_string(n), state);
}

std::vector<std::string> StoredNames() {
  std::vector<std::string> names;
  auto key = platform::OpenKey(platform::ProcessRegistry(), platform::kRegCurrentUser,
                               kRegKeyPaths.substr(1), platform::RegOpenMode::Open);
  if (!key) {
    return names;
  }
  std::string name;
  platform::RegValue value;
  for (std::uint32_t i = 0; key->EnumValue(i, name, value) == platform::RegStatus::Ok; ++i) {
    names.push_back(name);
  }
  return names;
}

std::string Caption(const std::string& name, const std::string& dir) {
  return name + "\t(" + dir + ")";
}

class DirectoryList : public ::testing::Test {
protected:
  test::ScopedHive hive_;
};

TEST_F(DirectoryList, SaveAndRestartBringBackEntriesOrderAndCheckMarks) {
  {
    ListWindow first;
    first.Add("zeta", "/srv/z", true);
    first.Add("Alpha", "/srv/a");
    first.Add("mid", "/srv/m", true);
    first.Settings().SaveDirectoryList();
  }
  const std::vector<Item> expected{{Caption("Alpha", "/srv/a"), false},
                                   {Caption("mid", "/srv/m"), true},
                                   {Caption("zeta", "/srv/z"), true}};
  EXPECT_EQ(Reloaded(), expected);
  const std::vector<std::string> names{"Display Name 0", "Directory 0", "State 0",
                                       "Display Name 1", "Directory 1", "State 1",
                                       "Display Name 2", "Directory 2", "State 2"};
  EXPECT_EQ(StoredNames(), names);
}

TEST_F(DirectoryList, SavingAfterADeleteLeavesNoStaleNumbers) {
  ListWindow window;
  window.Add("a", "/a");
  window.Add("b", "/b", true);
  window.Add("c", "/c");
  window.Settings().SaveDirectoryList();
  window.Entries().Delete(1);
  window.Settings().SaveDirectoryList();

  EXPECT_EQ(StoredNames().size(), 6u);
  EXPECT_EQ(Reloaded(),
            (std::vector<Item>{{Caption("a", "/a"), false}, {Caption("c", "/c"), false}}));
}

TEST_F(DirectoryList, DeletingACheckedItemReportsTheUncheckAndReleasesTheEntry) {
  ListWindow window;
  window.Add("a", "/a", true);
  int reported = -1;
  bool reportedValue = true;
  window.List().OnCheck = [&](TkitCustomCheckListBox&, int index, bool& value) {
    reported = index;
    reportedValue = value;
  };
  window.Entries().Delete(0);
  EXPECT_EQ(reported, 0);
  EXPECT_FALSE(reportedValue);
  EXPECT_EQ(window.Entries().Count(), 0);
}

TEST_F(DirectoryList, SavingAnEmptyListRemovesThePathsKey) {
  {
    ListWindow window;
    window.Add("a", "/a");
    window.Settings().SaveDirectoryList();
  }
  ASSERT_TRUE(KeyExists(kCurrentUserRoot, kRegKeyPaths));
  ListWindow empty;
  empty.Settings().SaveDirectoryList();
  EXPECT_FALSE(KeyExists(kCurrentUserRoot, kRegKeyPaths));
}

TEST_F(DirectoryList, ClearEmptiesAndStoresAtOnceButNotWhenAlreadyEmpty) {
  ListWindow window;
  window.Add("a", "/a", true);
  window.Settings().SaveDirectoryList();

  ListWindow empty;
  empty.Settings().ClearDirectoryList();
  EXPECT_TRUE(KeyExists(kCurrentUserRoot, kRegKeyPaths));

  window.Settings().ClearDirectoryList();
  EXPECT_EQ(window.Entries().Count(), 0);
  EXPECT_TRUE(window.List().CheckedItems().IsEmpty());
  EXPECT_FALSE(KeyExists(kCurrentUserRoot, kRegKeyPaths));
}

TEST_F(DirectoryList, ReadingAnEmptyStoreCreatesNothing) {
  EXPECT_TRUE(Reloaded().empty());
  EXPECT_FALSE(KeyExists(kCurrentUserRoot, kRegKeyPaths));
}

// --- Stored lists the load must stop in, stored straight into the hive.

TEST_F(DirectoryList, LoadStopsAtAGapInTheNumbering) {
  StoreEntry(0, "a", "/a", true);
  StoreEntry(2, "c", "/c", false);
  EXPECT_EQ(Reloaded(), (std::vector<Item>{{Caption("a", "/a"), true}}));
}

TEST_F(DirectoryList, LoadStopsAtAnEmptyDisplayName) {
  StoreEntry(0, "a", "/a", false);
  StoreEntry(1, "", "/b", false);
  StoreEntry(2, "c", "/c", false);
  EXPECT_EQ(Reloaded(), (std::vector<Item>{{Caption("a", "/a"), false}}));
}

TEST_F(DirectoryList, LoadStopsAtADisplayNameThatIsNoText) {
  StoreEntry(0, "a", "/a", false);
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, "Display Name 1", std::int32_t{1},
                            TFieldType::ftInteger));
  StoreText("Directory 1", "/b");
  StoreBool("State 1", false);
  EXPECT_EQ(Reloaded().size(), 1u);
}

TEST_F(DirectoryList, LoadStopsBeforeAnEntryWithoutAReadableState) {
  StoreEntry(0, "a", "/a", true);
  StoreEntry(1, "b", "/b", true);
  StoreEntry(2, "c", "/c", true);
  StoreText("State 1", "1");
  EXPECT_EQ(Reloaded(), (std::vector<Item>{{Caption("a", "/a"), true}}));

  DeleteRegValue(kCurrentUserRoot, kRegKeyPaths, "State 1");
  EXPECT_EQ(Reloaded(), (std::vector<Item>{{Caption("a", "/a"), true}}));
}

TEST_F(DirectoryList, AMissingDirectoryLoadsAsEmpty) {
  StoreText("Display Name 0", "nowhere");
  StoreBool("State 0", false);
  EXPECT_EQ(Reloaded(), (std::vector<Item>{{Caption("nowhere", ""), false}}));
}

TEST_F(DirectoryList, ACheckMarkGoesToTheFirstItemOfACaption) {
  StoreEntry(0, "same", "/s", true);
  StoreEntry(1, "same", "/s", false);
  ListWindow next;
  EXPECT_TRUE(next.Settings().LoadDirectoryList());
  ASSERT_EQ(next.Entries().Count(), 2);
  // The marks are kept by caption: the second entry's "unchecked" wins for
  // both items.
  EXPECT_FALSE(next.List().GetChecked(QString::fromStdString(Caption("same", "/s"))));
}

// --- A save that fails half-way keeps the list saved before it.

class FailingHive : public DirectoryList {
protected:
  // From now on, writing the value `name` fails inside the hive.
  void FailWritesOf(const std::string& name) {
    hive_.ExecuteSql("CREATE TRIGGER fail_write BEFORE INSERT ON reg_value WHEN NEW.name = '" +
                     name + "' BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
  }
};

TEST_F(FailingHive, AFailedWriteLeavesThePreviousListLoadable) {
  {
    ListWindow window;
    window.Add("old", "/old", true);
    window.Add("older", "/older");
    window.Settings().SaveDirectoryList();
  }
  const std::vector<Item> before = Reloaded();
  ASSERT_EQ(before.size(), 2u);

  FailWritesOf("Directory 1");
  ListWindow window;
  window.Add("new", "/new");
  window.Add("newer", "/newer", true);
  window.Add("newest", "/newest");
  window.Settings().SaveDirectoryList();

  EXPECT_EQ(Reloaded(), before);
}

TEST_F(FailingHive, AFailedFirstWriteKeepsTheKeyAndItsValues) {
  {
    ListWindow window;
    window.Add("old", "/old", true);
    window.Settings().SaveDirectoryList();
  }
  FailWritesOf("Display Name 0");
  ListWindow window;
  window.Add("new", "/new");
  window.Settings().SaveDirectoryList();
  EXPECT_EQ(Reloaded(), (std::vector<Item>{{Caption("old", "/old"), true}}));
}

// --- Default entries.

class DefaultEntries : public DirectoryList {
protected:
  void SetUp() override { savedTmp_ = std::getenv("TMPDIR"); }
  void TearDown() override { setenv("TMPDIR", savedTmp_.c_str(), 1); }
  std::string savedTmp_;
};

TEST_F(DefaultEntries, AreBothTempFoldersUncheckedWhenTheyDiffer) {
  ListWindow window;
  window.Settings().AddDefaultEntries();
  const std::string windowsTemp = window.Settings().GetWindowsTempDir();
  const std::string userTemp = window.Settings().GetUserTempDir();
  ASSERT_NE(windowsTemp, userTemp);
  EXPECT_EQ(windowsTemp, "/tmp");
  EXPECT_EQ(userTemp, std::filesystem::path(savedTmp_).lexically_normal().string());
  std::vector<Item> expected{{Caption("User Temp", userTemp), false},
                             {Caption("Windows Temp", windowsTemp), false}};
  EXPECT_EQ(window.Items(), expected);
  // Nothing is stored until the list is saved.
  EXPECT_FALSE(KeyExists(kCurrentUserRoot, kRegKeyPaths));
}

TEST_F(DefaultEntries, AreOneEntryWhenTheUserTempIsTheSystemTemp) {
  setenv("TMPDIR", "/tmp/", 1);
  ListWindow window;
  window.Settings().AddDefaultEntries();
  EXPECT_EQ(window.Items(), (std::vector<Item>{{Caption("Windows Temp", "/tmp"), false}}));
}

TEST_F(DefaultEntries, AreNotAddedToAListWithEntries) {
  ListWindow window;
  window.Add("mine", "/mine");
  window.Settings().AddDefaultEntries();
  EXPECT_EQ(window.Entries().Count(), 1);
}

} // namespace
} // namespace fegolin
