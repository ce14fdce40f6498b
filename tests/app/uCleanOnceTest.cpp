// fegolin --clean-once: in process on the real hive and real trees, against
// the order of the window's own list, and through the real executable with
// a hive of its own and no display.

#include "app/uCleanOnce.h"
#include "common/uRegText.h"
#include "app/uCommandLine.h"

#include "app/pages/uSelectPage.h"
#include "app/uDirectoryList.h"
#include "app/uTfrmMain.h"
#include "common/uCommon.h"
#include "common/uRegText.h"
#include "kit/kitlist.h"
#include "settings/uTcPathData.h"
#include "settings/uStoredList.h"
#include "settings/uTcSettings.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ScopedHive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fegolin {
namespace {

namespace fs = std::filesystem;

struct Stored {
  std::string name;
  std::string directory;
  bool ticked;
};

// The list as the window saves it: entries numbered from 0 in stored order.
void StoreList(const std::vector<Stored>& entries) {
  int n = 0;
  for (const Stored& e : entries) {
    const std::string suffix = " " + std::to_string(n++);
    ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, "Display Name" + suffix, e.name,
                              TFieldType::ftString));
    ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, "Directory" + suffix, e.directory,
                              TFieldType::ftString));
    ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyPaths, "State" + suffix, e.ticked,
                              TFieldType::ftBoolean));
  }
}

// Three files and two folders: five entries to remove.
fs::path FilledFolder(const test::TempTree& tree, const std::string& folder) {
  tree.file(folder + "/a.txt");
  tree.file(folder + "/.hidden");
  tree.file(folder + "/sub/deeper/b.txt");
  return tree.path(folder);
}

std::string HiveText() {
  RegTextError error;
  return ExportRegText(platform::ProcessRegistry(), error).value_or("unreadable");
}

struct Outcome {
  std::optional<int> code;
  std::string out;
  std::string err;
};

Outcome CleanOnce(std::vector<std::string_view> args = {"--clean-once"}) {
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const auto code = RunHeadlessCommand(args, in, out, err);
  return {code, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

TEST(CleanOnce, EmptiesTheTickedFoldersInListOrderAndOnlyReadsTheRegistry) {
  test::ScopedHive hive;
  const test::TempTree& tree = hive.tree();
  const fs::path zeta = FilledFolder(tree, "1");
  const fs::path alpha = FilledFolder(tree, "2");
  const fs::path untouched = FilledFolder(tree, "3");
  const fs::path missing = tree.path("missing");
  const fs::path file = tree.file("plain-file");
  StoreList({{"zeta", zeta.string(), true},
             {"Alpha", alpha.string(), true},
             {"mid", untouched.string(), false},
             {"beta", missing.string(), true},
             {"gamma", file.string(), true},
             {"relative", "tmp/..", true}});
  const std::string before = HiveText();

  const Outcome outcome = CleanOnce();

  // The folders that could not be cleaned at all fail the command, after
  // the others were cleaned.
  EXPECT_EQ(outcome.code, 2);
  std::vector<std::string> counts;
  for (const std::string& line : Lines(outcome.out)) {
    counts.push_back(line.substr(0, line.find(" failed, ")));
  }
  EXPECT_EQ(counts, (std::vector<std::string>{alpha.string() + ": 5 removed, 0 kept, 0",
                                              zeta.string() + ": 5 removed, 0 kept, 0"}));
  EXPECT_EQ(Lines(outcome.err), (std::vector<std::string>{
                                    "fegolin: " + missing.string() +
                                        ": not cleaned: does not exist (No such file or directory)",
                                    "fegolin: " + file.string() + ": not cleaned: not a folder",
                                    "fegolin: tmp/..: not cleaned: not an absolute path"}));
  EXPECT_TRUE(fs::is_empty(alpha));
  EXPECT_TRUE(fs::is_empty(zeta));
  EXPECT_TRUE(fs::exists(untouched / "sub/deeper/b.txt"));
  EXPECT_EQ(HiveText(), before);
}

TEST(CleanOnce, DryRunAnnouncesWhatTheRunThenRemovesAndChangesNothing) {
  test::ScopedHive hive;
  const test::TempTree& tree = hive.tree();
  const fs::path folder = FilledFolder(tree, "list");
  tree.file("list/krb5cc_1000");
  tree.file("list/sub/line\x1b[2Jbreak");
  StoreList({{"list", folder.string(), true}});
  const auto before = test::EntriesBelow(folder);

  const Outcome dry = CleanOnce({"--clean-once", "--dry-run"});
  ASSERT_EQ(dry.code, 0) << dry.err;
  EXPECT_EQ(test::EntriesBelow(folder), before);
  std::set<std::string> announced;
  for (const std::string& line : Lines(dry.out)) {
    if (line.rfind("remove\t", 0) == 0) {
      announced.insert(line.substr(7));
    }
  }
  EXPECT_TRUE(announced.contains(folder.string() + "/sub/line\\x1b[2Jbreak")) << dry.out;
  EXPECT_NE(dry.out.find("keep\t" + folder.string() + "/krb5cc_1000\tkeep pattern\n"),
            std::string::npos);

  const Outcome run = CleanOnce();
  ASSERT_EQ(run.code, 0) << run.err;
  std::set<std::string> removed;
  for (const std::string& entry : before) {
    if (!fs::exists(folder / entry)) {
      removed.insert(PrintableText(folder.string() + "/" + entry));
    }
  }
  EXPECT_EQ(removed, announced);
}

TEST(CleanOnce, FollowsTheOrderAndTheMarksOfTheWindowsList) {
  test::ScopedHive hive;
  const test::TempTree& tree = hive.tree();
  std::vector<Stored> entries;
  int folder = 0;
  for (const char* name :
       {"b", "A", "a", "\xc3\x84rger", "\xc3\xa4", "_x", "10", "9", "Zeta", "zeta", "Ab", "aB"}) {
    entries.push_back({name, tree.dir("f" + std::to_string(folder++)).string(), true});
  }
  // Two entries with one text share one mark; the later one decides.
  const std::string twice = tree.dir("twice").string();
  entries.push_back({"Twice", twice, true});
  entries.push_back({"Twice", twice, false});
  StoreList(entries);

  TcStoredDirectoryList stored;
  ReadStoredDirectoryList(stored);
  TfrmMain form;
  const auto headless = FoldersToClean(stored);
  EXPECT_EQ(headless.size(), 12u);
  EXPECT_EQ(headless, FoldersToClean(form.DirectoryList()));
}

TEST(CleanOnce, TakesNoOperands) {
  test::ScopedHive hive;
  for (const auto& args :
       std::vector<std::vector<std::string_view>>{{"--clean-once", "x"}, {"-ns", "--clean-once"}}) {
    const Outcome outcome = CleanOnce(args);
    EXPECT_EQ(outcome.code, 2);
    EXPECT_NE(outcome.err.find("--clean-once takes no operands"), std::string::npos) << outcome.err;
  }
}

// --- The executable ----------------------------------------------------------

using Process = test::ProgramRun;

// The real program with its own hive and without any display: a command
// that needed a window could not even start.
Process RunFegolin(const QStringList& args, const fs::path& hive) {
  return test::RunProgram(QStringLiteral(FEGOLIN_EXECUTABLE), args,
                          {{"FEGOLIN_REGISTRY", QString::fromStdString(hive.string())}});
}

TEST(CleanOnceProgram, CleansTheListOfItsOwnHiveWithoutAWindow) {
  test::TempTree tree;
  const fs::path hive = tree.path("registry.db");
  const fs::path ticked = FilledFolder(tree, "ticked");
  const fs::path unticked = FilledFolder(tree, "unticked");
  // A file some process holds open stays, as on the desktop it came from.
  const fs::path busy = tree.file("ticked/busy.log");
  std::ifstream holder(busy);
  ASSERT_TRUE(holder.is_open());

  const std::string reg = "Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin\\Paths]\r\n"
                          "\"Display Name 0\"=\"Kept\"\r\n"
                          "\"Directory 0\"=\"" +
                          unticked.string() +
                          "\"\r\n"
                          "\"State 0\"=dword:00000000\r\n"
                          "\"Display Name 1\"=\"Cleaned\"\r\n"
                          "\"Directory 1\"=\"" +
                          ticked.string() +
                          "\"\r\n"
                          "\"State 1\"=dword:00000001\r\n\r\n";
  const fs::path regFile = tree.file("list.reg", reg);
  const Process imported =
      RunFegolin({"--reg-import", QString::fromStdString(regFile.string())}, hive);
  ASSERT_EQ(imported.code, 0) << imported.err;

  const Process cleaned = RunFegolin({"--clean-once"}, hive);
  EXPECT_EQ(cleaned.code, 0) << cleaned.err;
  EXPECT_EQ(cleaned.out.substr(0, cleaned.out.find(" failed, ")),
            ticked.string() + ": 5 removed, 1 kept, 0");
  EXPECT_EQ(cleaned.err, "");
  EXPECT_TRUE(fs::exists(busy));
  EXPECT_FALSE(fs::exists(ticked / "a.txt"));
  EXPECT_FALSE(fs::exists(ticked / "sub"));
  EXPECT_TRUE(fs::exists(unticked / "a.txt"));
  EXPECT_TRUE(fs::exists(unticked / "sub/deeper/b.txt"));
}

TEST(CleanOnceProgram, FailsOnAHiveItCannotOpen) {
  test::TempTree tree;
  const fs::path notAHive = tree.file("registry.db", "some notes");
  const Process process = RunFegolin({"--clean-once"}, notAHive);
  EXPECT_EQ(process.code, 2);
  EXPECT_NE(process.err.find(notAHive.string()), std::string::npos) << process.err;
  EXPECT_EQ(process.out, "");
}

} // namespace
} // namespace fegolin
