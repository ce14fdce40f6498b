// The headless commands, in process and through the real executable.

#include "app/uCommandLine.h"

#include "common/uRegText.h"
#include "tests/support/ScopedHive.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fegolin {
namespace {

using test::ScopedHive;

const std::string kGoodFile = "Windows Registry Editor Version 5.00\r\n\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin]\r\n"
                              "\"Show Splash\"=dword:00000000\r\n"
                              "\"Language\"=dword:00000001\r\n\r\n";
const std::string kBadFile = "Windows Registry Editor Version 5.00\n\n"
                             "[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin]\n"
                             "\"Show Splash\"=dword:00000000\n"
                             "\"Language\"=\"unterminated\n";

struct Outcome {
  std::optional<int> code;
  std::string out;
  std::string err;
};

Outcome RunCommand(std::vector<std::string_view> args, const std::string& input = {}) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const auto code = RunHeadlessCommand(args, in, out, err);
  return {code, out.str(), err.str()};
}

std::string HiveText() {
  RegTextError error;
  return ExportRegText(platform::ProcessRegistry(), error).value_or("unreadable");
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(uCommandLineTest, LeavesTheWindowAndItsSwitchInAnyCaseToTheWindow) {
  for (const auto& args :
       std::vector<std::vector<std::string_view>>{{}, {"-ns"}, {"/NS"}, {"-nS", "/Ns"}}) {
    EXPECT_EQ(RunCommand(args).code, std::nullopt) << args.size();
  }
}

// Whatever the program does not know is refused before a window (or a
// display) is needed, with the usage text.
TEST(uCommandLineTest, RefusesWhatItDoesNotKnowWithTheUsage) {
  ScopedHive hive;
  for (const auto& [args, reason] :
       std::vector<std::pair<std::vector<std::string_view>, std::string>>{
           {{"--clean-onc"}, "unknown option '--clean-onc'"},
           {{"--reg-export=x"}, "unknown option '--reg-export=x'"},
           {{"--REG-EXPORT", "x"}, "unknown option '--REG-EXPORT'"},
           {{"-ns", "/x"}, "unknown option '/x'"},
           {{"-"}, "unknown option '-'"},
           {{"-\x1b[2J"}, "unknown option '-\\x1b[2J'"},
           {{"stray"}, "unexpected argument 'stray'"},
           {{"--clean-once", "--reg-export", "x"},
            "--clean-once and --reg-export cannot be combined"}}) {
    const Outcome outcome = RunCommand(args);
    EXPECT_EQ(outcome.code, 2) << reason;
    EXPECT_EQ(outcome.err.rfind("fegolin: " + reason + "\n\nUsage: fegolin", 0), 0u) << outcome.err;
    EXPECT_EQ(outcome.out, "");
  }
  EXPECT_EQ(HiveText(), "Windows Registry Editor Version 5.00\r\n\r\n") << "nothing ran";
}

TEST(uCommandLineTest, HelpNamesTheCommandsAndVersionNamesTheRelease) {
  const Outcome help = RunCommand({"--help"});
  EXPECT_EQ(help.code, 0);
  for (const char* command :
       {"--reg-export FILE", "--reg-import FILE", "--clean-once", "--version"}) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  }
  // The release the package carries.
  const Outcome version = RunCommand({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out, "Fegolin " FEGOLIN_FILE_VERSION "\n");
  EXPECT_EQ(version.err, "");
}

TEST(uCommandLineTest, CommandsWithWrongOperandsFail) {
  ScopedHive hive;
  for (const auto& args : std::vector<std::vector<std::string_view>>{
           {"--reg-export"}, {"--reg-import", "a", "b"}, {"-ns", "--reg-export", "-"}}) {
    const Outcome outcome = RunCommand(args);
    EXPECT_EQ(outcome.code, 2) << args.size();
    EXPECT_NE(outcome.err.find("exactly one FILE"), std::string::npos) << outcome.err;
  }
}

TEST(uCommandLineTest, ExportsToAndImportsFromFiles) {
  ScopedHive hive;
  const auto source = hive.tree().file("in.reg", kGoodFile);
  ASSERT_EQ(RunCommand({"--reg-import", source.c_str()}).code, 0);
  const auto target = hive.tree().path("out.reg");
  ASSERT_EQ(RunCommand({"--reg-export", target.c_str()}).code, 0);
  EXPECT_EQ(ReadFile(target), HiveText());
}

TEST(uCommandLineTest, AMalformedFileNamesItsLineAndChangesNothing) {
  ScopedHive hive;
  ASSERT_EQ(RunCommand({"--reg-import", "-"}, kGoodFile).code, 0);
  const std::string before = HiveText();
  const auto source = hive.tree().file("bad.reg", kBadFile);
  const Outcome outcome = RunCommand({"--reg-import", source.c_str()});
  EXPECT_EQ(outcome.code, 2);
  EXPECT_NE(outcome.err.find(source.string() + ":5: "), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("nothing was imported"), std::string::npos) << outcome.err;
  EXPECT_EQ(HiveText(), before);
}

TEST(uCommandLineTest, FilesThatCannotBeOpenedFail) {
  ScopedHive hive;
  const auto missing = hive.tree().path("missing/x.reg");
  for (const auto& args :
       std::vector<std::vector<std::string_view>>{{"--reg-import", missing.c_str()},
                                                  {"--reg-export", missing.c_str()},
                                                  {"--reg-import", hive.tree().root().c_str()}}) {
    const Outcome outcome = RunCommand(args);
    EXPECT_EQ(outcome.code, 2) << args[1];
    EXPECT_NE(outcome.err.find(std::string(args[1])), std::string::npos) << outcome.err;
  }
}

// --- The executable --------------------------------------------------------

struct Process {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs the real program with its own hive and without any display, so a
// command that created a window could not even start.
Process RunFegolin(const QStringList& args, const std::string& hivePath,
                   const std::string& input = {}) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("FEGOLIN_REGISTRY", QString::fromStdString(hivePath));
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    env.remove(name);
  }
  process.setProcessEnvironment(env);
  process.start(QStringLiteral(FEGOLIN_EXECUTABLE), args);
  if (!process.waitForStarted()) {
    return {};
  }
  process.write(input.data(), static_cast<qint64>(input.size()));
  process.closeWriteChannel();
  process.waitForFinished(-1);
  const int code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  return {code, process.readAllStandardOutput().toStdString(),
          process.readAllStandardError().toStdString()};
}

TEST(uCommandLineTest, TheProgramImportsAndExportsWithoutAWindow) {
  test::TempTree tree;
  const std::string hivePath = tree.path("registry.db").string();
  const std::string goodPath = tree.file("good.reg", kGoodFile).string();
  const std::string badPath = tree.file("bad.reg", kBadFile).string();

  const Process imported = RunFegolin({"--reg-import", QString::fromStdString(goodPath)}, hivePath);
  EXPECT_EQ(imported.code, 0) << imported.err;
  const Process refused = RunFegolin({"--reg-import", "-"}, hivePath, kBadFile);
  EXPECT_EQ(refused.code, 2);
  EXPECT_NE(refused.err.find("<stdin>:5:"), std::string::npos) << refused.err;

  const Process exported = RunFegolin({"--reg-export", "-"}, hivePath);
  EXPECT_EQ(exported.code, 0) << exported.err;
  EXPECT_NE(exported.out.find("\"Show Splash\"=dword:00000000\r\n\"Language\"=dword:00000001"),
            std::string::npos)
      << exported.out;

  const Process reimported = RunFegolin({"--reg-import", "-"}, hivePath, exported.out);
  EXPECT_EQ(reimported.code, 0) << reimported.err;
  EXPECT_EQ(RunFegolin({"--reg-export", "-"}, hivePath).out, exported.out);

  const Process badOperand =
      RunFegolin({"--reg-import", QString::fromStdString(badPath)}, hivePath);
  EXPECT_EQ(badOperand.code, 2);
}

TEST(uCommandLineTest, TheProgramRefusesAnUnknownOptionWithoutADisplay) {
  test::TempTree tree;
  const Process process = RunFegolin({"--clean-onc"}, tree.path("registry.db").string());
  EXPECT_EQ(process.code, 2);
  EXPECT_NE(process.err.find("Usage: fegolin"), std::string::npos) << process.err;
}

} // namespace
} // namespace fegolin
