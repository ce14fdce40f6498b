// The autostart entry as a desktop session sees it: checked by the desktop
// entry validator and started by GLib's launcher (gio launch), the code a
// GNOME session runs for every autostart entry at log-in.

#include "platform/AutoStart.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace fegolin {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string output;
};

// Runs a program from the PATH to its end, standard output and error
// together in `output`.
RunResult RunProgram(std::vector<std::string> args, const fs::path& outputFile) {
  std::vector<char*> argv;
  for (auto& arg : args) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  RunResult result;
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.output = std::string("cannot start ") + argv[0];
    return result;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(outputFile);
  std::stringstream text;
  text << in.rdbuf();
  result.output = text.str();
  return result;
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The launcher returns once the program is spawned; the program itself
// reports by writing its marker. Generous, as the machine may be busy.
bool WaitForFile(const fs::path& file) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    if (fs::exists(file) && fs::file_size(file) > 0) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

struct LaunchCase {
  const char* label;
  const char* folder; // holds the executable

  friend void PrintTo(const LaunchCase& c, std::ostream* os) { *os << c.folder; }
};

class AutoStartLaunch : public ::testing::TestWithParam<LaunchCase> {
protected:
  void TearDown() override { (void)platform::UnregisterAutoStart("Fegolin"); }
  test::TempTree tree_;
};

// A stand-in program at the path under test that records how it was
// started: its own path and its argument count.
TEST_P(AutoStartLaunch, StartsTheProgramAtItsPathWithoutArguments) {
  const fs::path marker = tree_.path("started");
  const fs::path program =
      tree_.file(std::string(GetParam().folder) + "/fegolin",
                 "#!/bin/sh\nprintf '%s|%s' \"$0\" \"$#\" > '" + marker.string() + "'\n");
  fs::permissions(program, fs::perms::owner_all);
  ASSERT_TRUE(platform::RegisterAutoStart("Fegolin", program.string()));
  const fs::path entry = fs::path(std::getenv("XDG_CONFIG_HOME")) / "autostart" / "fegolin.desktop";

  const RunResult validated =
      RunProgram({"desktop-file-validate", entry.string()}, tree_.path("validate.txt"));
  EXPECT_EQ(validated.status, 0) << validated.output;
  EXPECT_EQ(validated.output.find("error"), std::string::npos) << validated.output;
  EXPECT_EQ(validated.output.find("warning"), std::string::npos) << validated.output;

  const RunResult launched =
      RunProgram({"gio", "launch", entry.string()}, tree_.path("launch.txt"));
  ASSERT_EQ(launched.status, 0) << launched.output << "\n" << ReadFile(entry);
  ASSERT_TRUE(WaitForFile(marker)) << ReadFile(entry);
  EXPECT_EQ(ReadFile(marker), program.string() + "|0");
}

// Every character the desktop-entry rules reserve, and those that stay
// special inside quotes; '%' is missing because GLib looks the program up
// before it undoes the doubled '%', so no GLib session can start such a path.
INSTANTIATE_TEST_SUITE_P(Paths, AutoStartLaunch,
                         ::testing::Values(LaunchCase{"Plain", "bin"},
                                           LaunchCase{"Blanks", "my apps/Fegolin 1.0"},
                                           LaunchCase{"QuotesAndDollar", "it's \"$HOME\""},
                                           LaunchCase{"BackslashAndBacktick", "a\\b `c`"},
                                           LaunchCase{"ShellCharacters", "x;y&z|w<v>u*t?s#r(q)~p"}),
                         [](const auto& p) { return std::string(p.param.label); });

} // namespace
} // namespace fegolin
