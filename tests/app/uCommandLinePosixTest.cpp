// The headless commands and the program's starts on POSIX, through the real
// executable where another process is the point: what they must leave
// alone, where they must still work, and exports beside running imports.

#include "app/uCommandLine.h"

#include "common/uCommon.h"
#include "common/uRegText.h"
#include "settings/uTcSettings.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ScopedHive.h"
#include "tests/support/UnwritablePlace.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fegolin {
namespace {

namespace fs = std::filesystem;
using test::EnvironmentOverride;
using test::ScopedHive;

// Generous bounds that only end a test that would otherwise hang.
constexpr int kPatienceMs = 20000;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string HiveText() {
  RegTextError error;
  return ExportRegText(platform::ProcessRegistry(), error).value_or("unreadable");
}

int RunCommand(std::vector<std::string_view> args, std::string* out = nullptr,
               std::string* err = nullptr) {
  std::istringstream in;
  std::ostringstream outText;
  std::ostringstream errText;
  const auto code = RunHeadlessCommand(args, in, outText, errText);
  if (out != nullptr) {
    *out = outText.str();
  }
  if (err != nullptr) {
    *err = errText.str();
  }
  return code.value_or(-1);
}

using Process = test::ProgramRun;

// The real program with the environment of the test, changed by `env`, and
// without any display unless it is given one.
Process RunFegolin(const QStringList& args, const std::vector<std::pair<QString, QString>>& env) {
  return test::RunProgram(QStringLiteral(FEGOLIN_EXECUTABLE), args, env);
}

Process RunFegolin(const QStringList& args, const fs::path& hive) {
  return RunFegolin(args, {{"FEGOLIN_REGISTRY", QString::fromStdString(hive.string())}});
}

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

// --- Reading commands leave everything as it was -----------------------------

// A clean or an export on a fresh account creates nothing at all, so the
// next windowed start is still the first one.
TEST(uCommandLinePosixTest, ReadingCommandsOnAFreshAccountCreateNothing) {
  test::TempTree tree;
  const std::vector<std::pair<QString, QString>> fresh{
      {"FEGOLIN_REGISTRY", ""},
      {"HOME", QString::fromStdString(tree.dir("home").string())},
      {"XDG_CONFIG_HOME", QString::fromStdString(tree.path("config").string())}};
  for (const QStringList& args : {QStringList{"--clean-once"}, QStringList{"--reg-export", "-"}}) {
    const Process process = RunFegolin(args, fresh);
    EXPECT_EQ(process.code, 0) << process.err;
    EXPECT_EQ(process.err, "");
  }
  EXPECT_EQ(RunFegolin({"--reg-export", "-"}, fresh).out, kHeader);
  EXPECT_FALSE(fs::exists(tree.path("config")));
  EXPECT_TRUE(test::EntriesBelow(tree.path("home")).empty());
}

TEST(uCommandLinePosixTest, ACleanLeavesTheFirstStartToTheWindow) {
  ScopedHive hive;
  // Only the start-with-the-session entry exists, as after an import of it.
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyRun, kAppTitle, RegVariant(std::string("x")),
                            TFieldType::ftString));
  const std::string before = HiveText();
  ASSERT_EQ(RunCommand({"--clean-once"}), 0);
  EXPECT_EQ(HiveText(), before);
  EXPECT_FALSE(KeyExists(kCurrentUserRoot, kRegKeyApp));
}

// --- Files at the hive's place that are not a sound hive of ours ---------------

TEST(uCommandLinePosixTest, AFileThatIsNotOurHiveIsReportedAndLeftAlone) {
  test::TempTree tree;
  const fs::path hive = tree.file("registry.db", "some notes, not a hive\n");
  const fs::path reg = tree.file("in.reg", "Windows Registry Editor Version 5.00\r\n");
  for (const QStringList& args :
       {QStringList{"--clean-once"}, QStringList{"--reg-export", "-"},
        QStringList{"--reg-import", QString::fromStdString(reg.string())}}) {
    const Process process = RunFegolin(args, hive);
    EXPECT_EQ(process.code, 2) << args.join(' ').toStdString();
    EXPECT_NE(process.err.find(hive.string() + " is not a Fegolin registry hive"),
              std::string::npos)
        << process.err;
    EXPECT_EQ(process.out, "");
  }
  EXPECT_EQ(ReadFile(hive), "some notes, not a hive\n");
  EXPECT_EQ(test::EntriesBelow(tree.root()), (std::set<std::string>{"in.reg", "registry.db"}));
}

// A hive of ours that is damaged is moved aside by the import, which starts
// a fresh one; an export only reads and leaves it where it is.
TEST(uCommandLinePosixTest, ADamagedHiveIsMovedAsideOnlyByAnImport) {
  test::TempTree tree;
  const fs::path hive = tree.path("registry.db");
  const fs::path reg = tree.file("in.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                           "[HKEY_CURRENT_USER\\Software\\T]\r\n\"v\"=\"x\"\r\n");
  ASSERT_EQ(RunFegolin({"--reg-import", QString::fromStdString(reg.string())}, hive).code, 0);
  {
    std::fstream file(hive, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(4096);
    file << std::string(8192, '\x5a');
  }
  const std::string damaged = ReadFile(hive);

  const Process exported = RunFegolin({"--reg-export", "-"}, hive);
  EXPECT_EQ(exported.code, 2);
  EXPECT_NE(exported.err.find("left as it is"), std::string::npos) << exported.err;
  EXPECT_TRUE(ReadFile(hive) == damaged);

  const Process imported = RunFegolin({"--reg-import", QString::fromStdString(reg.string())}, hive);
  EXPECT_EQ(imported.code, 0) << imported.err;
  EXPECT_NE(imported.err.find("damaged"), std::string::npos) << imported.err;
  EXPECT_NE(RunFegolin({"--reg-export", "-"}, hive).out.find("\"v\"=\"x\""), std::string::npos);
}

// --- Where nothing can be written ----------------------------------------------

// Runs the real program inside the child of RunWithUnwritable; its output
// goes to files outside the unwritable place.
int SpawnFegolin(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> words{FEGOLIN_EXECUTABLE};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
    return -1;
  }
  return WEXITSTATUS(status);
}

const char* PlaceName(test::Unwritable kind) {
  return kind == test::Unwritable::DiskFull ? "DiskFull" : "ReadOnly";
}

class uCommandLineUnwritableTest : public testing::TestWithParam<test::Unwritable> {};

// A temp cleaner has to work when the disk is full: the clean and the
// export read the hive even where it cannot be written.
TEST_P(uCommandLineUnwritableTest, TheReadingCommandsWorkWhereNothingCanBeWritten) {
  test::TempTree tree;
  const fs::path ticked = tree.dir("ticked");
  std::ofstream(ticked / "old.tmp") << "x";
  const fs::path source = tree.path("registry.db");
  const fs::path reg =
      tree.file("list.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin\\Paths]\r\n"
                            "\"Display Name 0\"=\"Ticked\"\r\n\"Directory 0\"=\"" +
                                ticked.string() +
                                "\"\r\n"
                                "\"State 0\"=dword:00000001\r\n\r\n");
  ASSERT_EQ(RunFegolin({"--reg-import", QString::fromStdString(reg.string())}, source).code, 0);
  const Process expected = RunFegolin({"--reg-export", "-"}, source);

  const fs::path place = tree.path("place");
  const fs::path hive = place / "registry.db";
  const int code = test::RunWithUnwritable(
      place, GetParam(), [&] { fs::copy_file(source, hive); },
      [&] {
        ::setenv("FEGOLIN_REGISTRY", hive.c_str(), 1);
        const int cleaned =
            SpawnFegolin({"--clean-once"}, tree.path("clean.out"), tree.path("clean.err"));
        const int exported =
            SpawnFegolin({"--reg-export", "-"}, tree.path("export.out"), tree.path("export.err"));
        return cleaned * 10 + exported;
      });
  if (code == test::kNoMountHere) {
    GTEST_SKIP() << "mounting is not permitted here";
  }
  EXPECT_EQ(code, 0) << ReadFile(tree.path("clean.err")) << ReadFile(tree.path("export.err"));
  const std::string cleaned = ReadFile(tree.path("clean.out"));
  EXPECT_EQ(cleaned.substr(0, cleaned.find(" failed, ")),
            ticked.string() + ": 1 removed, 0 kept, 0");
  EXPECT_EQ(ReadFile(tree.path("export.out")), expected.out);
}

INSTANTIATE_TEST_SUITE_P(Places, uCommandLineUnwritableTest,
                         testing::Values(test::Unwritable::DiskFull, test::Unwritable::ReadOnly),
                         [](const auto& test) { return std::string(PlaceName(test.param)); });

// An export that does not fit leaves the previous one whole, and no
// half-written file beside it.
TEST(uCommandLinePosixTest, AnExportThatDoesNotFitLeavesThePreviousOneWhole) {
  test::TempTree tree;
  const fs::path hive = tree.path("registry.db");
  const fs::path reg = tree.file("big.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                            "[HKEY_CURRENT_USER\\Software\\Big]\r\n"
                                            "\"v\"=\"" +
                                                std::string(100000, 'b') + "\"\r\n");
  ASSERT_EQ(RunFegolin({"--reg-import", QString::fromStdString(reg.string())}, hive).code, 0);

  const fs::path place = tree.path("place");
  const fs::path previous = place / "backup.reg";
  const fs::path report = tree.path("report");
  const int code = test::RunWithUnwritable(
      place, test::Unwritable::DiskFull, [&] { std::ofstream(previous) << "the previous export"; },
      [&] {
        ::setenv("FEGOLIN_REGISTRY", hive.c_str(), 1);
        const int exported =
            SpawnFegolin({"--reg-export", previous.string()}, tree.path("out"), tree.path("err"));
        // The place goes away with this child: what is in it is told here.
        std::ofstream out(report);
        out << ReadFile(previous) << '\n';
        for (const std::string& entry : test::EntriesBelow(place)) {
          out << entry << '\n';
        }
        return exported;
      });
  if (code == test::kNoMountHere) {
    GTEST_SKIP() << "mounting is not permitted here";
  }
  EXPECT_EQ(code, 2);
  EXPECT_NE(ReadFile(tree.path("err")).find("cannot write " + previous.string()), std::string::npos)
      << ReadFile(tree.path("err"));
  EXPECT_EQ(ReadFile(report), "the previous export\nbackup.reg\nfill\n");
}

// --- One state per export ---------------------------------------------------------

// Two states of the program's keys that differ in every value and subkey.
std::string State(char tag) {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                     "[-HKEY_CURRENT_USER\\Software\\Norvalt]\r\n\r\n";
  for (int key = 0; key < 20; ++key) {
    text += "[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin\\";
    text += tag;
    text += std::to_string(key) + "]\r\n";
    for (int value = 0; value < 10; ++value) {
      text += "\"" + std::string(1, tag) + std::to_string(value) + "\"=\"" + std::string(1, tag) +
              "\"\r\n";
    }
    text += "\r\n";
  }
  return text;
}

// An export reads one state: with another process importing one whole state
// after the other, every export shows one of them, and none fails.
TEST(uCommandLinePosixTest, AnExportShowsOneStateWhileAnotherProcessImports) {
  ScopedHive hive;
  const fs::path a = hive.tree().file("a.reg", State('a'));
  const fs::path b = hive.tree().file("b.reg", State('b'));
  const fs::path exported = hive.tree().path("out.reg");
  std::vector<std::string> states;
  for (const fs::path& reg : {b, a}) {
    ASSERT_EQ(RunCommand({"--reg-import", reg.c_str()}), 0);
    ASSERT_EQ(RunCommand({"--reg-export", exported.c_str()}), 0);
    states.push_back(ReadFile(exported));
  }

  QProcess importer;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("FEGOLIN_REGISTRY", QString::fromStdString(hive.path().string()));
  importer.setProcessEnvironment(environment);
  importer.start("sh", {"-c", QStringLiteral("while :; do \"%1\" --reg-import \"%2\" || exit 1; "
                                             "\"%1\" --reg-import \"%3\" || exit 1; done")
                                  .arg(FEGOLIN_EXECUTABLE, QString::fromStdString(a.string()),
                                       QString::fromStdString(b.string()))});
  ASSERT_TRUE(importer.waitForStarted(kPatienceMs));

  // A few hundred exports, and until both states have come by a few times:
  // that many imports ran beside them.
  std::vector<int> seen(states.size(), 0);
  int exports = 0;
  std::string failure;
  while ((exports < 300 || seen[0] < 5 || seen[1] < 5) && exports < 5000 && failure.empty() &&
         importer.state() == QProcess::Running) {
    std::string err;
    if (RunCommand({"--reg-export", exported.c_str()}, nullptr, &err) != 0) {
      failure = err;
      break;
    }
    ++exports;
    const std::string text = ReadFile(exported);
    const auto found = std::find(states.begin(), states.end(), text);
    if (found == states.end()) {
      failure = "a state that never was:\n" + text;
    } else {
      ++seen[static_cast<std::size_t>(found - states.begin())];
    }
  }
  const bool importing = importer.state() == QProcess::Running;
  importer.kill();
  importer.waitForFinished(kPatienceMs);
  EXPECT_TRUE(importing) << importer.readAllStandardError().toStdString();
  EXPECT_EQ(failure, "");
  EXPECT_GE(seen[0], 5) << exports << " exports";
  EXPECT_GE(seen[1], 5) << exports << " exports";
}

// --- A second start ----------------------------------------------------------------

// A start that ends because another instance runs leaves the hive alone:
// it stores no window size and no missing default.
TEST(uCommandLinePosixTest, ASecondStartWritesNothing) {
  ScopedHive hive;
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Show Splash", RegVariant(false),
                            TFieldType::ftBoolean));
  // The test's own runtime folder (a socket's path must be short).
  const fs::path runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::vector<std::pair<QString, QString>> env{
      {"FEGOLIN_REGISTRY", QString::fromStdString(hive.path().string())},
      {"QT_QPA_PLATFORM", "offscreen"}};

  QProcess first;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const auto& [name, value] : env) {
    environment.insert(name, value);
  }
  first.setProcessEnvironment(environment);
  first.start(QStringLiteral(FEGOLIN_EXECUTABLE), {"-ns"});
  ASSERT_TRUE(first.waitForStarted(kPatienceMs));
  // It is up once it takes requests and has stored the options it found
  // missing (the last of them the window width; "Language" is not read
  // again after it).
  const auto up = [&] {
    for (const auto& entry : fs::directory_iterator(runtime)) {
      if (entry.path().extension() == ".sock") {
        return HiveText().find("\"Form Width\"") != std::string::npos;
      }
    }
    return false;
  };
  for (int waited = 0; !up() && waited < kPatienceMs; waited += 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(up()) << first.readAllStandardError().toStdString();

  // What a start would correct or fill in if it were to write.
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Form Height", RegVariant(100),
                            TFieldType::ftInteger));
  DeleteRegValue(kCurrentUserRoot, kRegKeyApp, "Language");
  const std::string before = HiveText();

  const Process second = RunFegolin({"-ns"}, env);
  EXPECT_EQ(second.code, 0) << second.err;
  EXPECT_EQ(HiveText(), before);
  first.kill();
  first.waitForFinished(kPatienceMs);
}

} // namespace
} // namespace fegolin
