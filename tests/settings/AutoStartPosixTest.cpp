#include "platform/AutoStart.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fegolin {
namespace {

namespace fs = std::filesystem;

fs::path ConfigHome() {
  return fs::path(std::getenv("XDG_CONFIG_HOME"));
}

std::string Entry(const fs::path& home) {
  std::ifstream in(home / "autostart" / "fegolin.desktop");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string ExecLine(const std::string& entry) {
  const auto start = entry.find("\nExec=");
  if (start == std::string::npos) {
    return {};
  }
  const auto end = entry.find('\n', start + 1);
  return entry.substr(start + 6, end - start - 6);
}

class AutoStartEntry : public ::testing::Test {
protected:
  void TearDown() override { (void)platform::UnregisterAutoStart("Fegolin"); }
};

TEST_F(AutoStartEntry, IsADesktopEntryNamedAfterTheTitle) {
  ASSERT_TRUE(platform::RegisterAutoStart("Fegolin", "/usr/bin/fegolin"));
  const std::string entry = Entry(ConfigHome());
  EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
  EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
  EXPECT_NE(entry.find("\nName=Fegolin\n"), std::string::npos);
  EXPECT_EQ(ExecLine(entry), "/usr/bin/fegolin");
}

struct ExecCase {
  const char* label;
  const char* path;
  const char* exec; // as it stands in the file
};

class AutoStartExec : public AutoStartEntry, public ::testing::WithParamInterface<ExecCase> {};

// Desktop entries quote reserved characters, escape what stays special
// inside quotes, double '%', and then escape backslashes once more as
// string values.
TEST_P(AutoStartExec, NamesTheExecutableAsOneWord) {
  ASSERT_TRUE(platform::RegisterAutoStart("Fegolin", GetParam().path));
  EXPECT_EQ(ExecLine(Entry(ConfigHome())), GetParam().exec);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, AutoStartExec,
    ::testing::Values(ExecCase{"Plain", "/opt/fegolin/bin/fegolin", "/opt/fegolin/bin/fegolin"},
                      ExecCase{"Blank", "/opt/my apps/fegolin", "\"/opt/my apps/fegolin\""},
                      ExecCase{"Percent", "/opt/100%/fegolin", "/opt/100%%/fegolin"},
                      ExecCase{"QuoteAndDollar", "/opt/a\"b$c/fegolin",
                               "\"/opt/a\\\\\"b\\\\$c/fegolin\""},
                      ExecCase{"Backslash", "/opt/a\\b/fegolin", "\"/opt/a\\\\\\\\b/fegolin\""},
                      ExecCase{"Newline", "/opt/a\nb/fegolin", "\"/opt/a\\nb/fegolin\""}),
    [](const auto& p) { return std::string(p.param.label); });

TEST_F(AutoStartEntry, RefusesARelativeExecutable) {
  EXPECT_FALSE(platform::RegisterAutoStart("Fegolin", "bin/fegolin"));
  EXPECT_FALSE(platform::RegisterAutoStart("Fegolin", ""));
  EXPECT_FALSE(fs::exists(ConfigHome() / "autostart" / "fegolin.desktop"));
}

// The reason travels up to the status bar and the log: the system's error
// and the place it refused.
TEST_F(AutoStartEntry, AFailedRegistrationSaysWhy) {
  const fs::path folder = ConfigHome() / "autostart";
  fs::remove_all(folder);
  std::ofstream(folder) << "a file where the folder belongs";
  const platform::Status status = platform::RegisterAutoStart("Fegolin", "/usr/bin/fegolin");
  fs::remove(folder);
  ASSERT_FALSE(status);
  EXPECT_NE(status.error().code, 0);
  EXPECT_NE(status.error().text.find(folder.string()), std::string::npos) << status.error().text;
}

TEST_F(AutoStartEntry, UnregisterRemovesTheEntryAndIsFineWithoutOne) {
  ASSERT_TRUE(platform::RegisterAutoStart("Fegolin", "/usr/bin/fegolin"));
  EXPECT_TRUE(platform::UnregisterAutoStart("Fegolin"));
  EXPECT_FALSE(fs::exists(ConfigHome() / "autostart" / "fegolin.desktop"));
  EXPECT_TRUE(platform::UnregisterAutoStart("Fegolin"));
}

TEST_F(AutoStartEntry, ReplacesAnEarlierEntryWhole) {
  ASSERT_TRUE(platform::RegisterAutoStart("Fegolin", "/a/very/long/path/to/an/old/fegolin"));
  ASSERT_TRUE(platform::RegisterAutoStart("Fegolin", "/new/fegolin"));
  const std::string entry = Entry(ConfigHome());
  EXPECT_EQ(ExecLine(entry), "/new/fegolin");
  EXPECT_EQ(entry.find("old"), std::string::npos);
  for (const auto& file : fs::directory_iterator(ConfigHome() / "autostart")) {
    EXPECT_EQ(file.path().filename(), "fegolin.desktop");
  }
}

TEST_F(AutoStartEntry, IgnoresARelativeConfigHome) {
  const std::string savedConfig = std::getenv("XDG_CONFIG_HOME");
  const char* savedHome = std::getenv("HOME");
  const std::string home = (ConfigHome().parent_path() / "home").string();
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  const bool registered = platform::RegisterAutoStart("Fegolin", "/usr/bin/fegolin").ok();
  const bool landed = fs::exists(fs::path(home) / ".config" / "autostart" / "fegolin.desktop");
  (void)platform::UnregisterAutoStart("Fegolin");
  setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
  if (savedHome != nullptr) {
    setenv("HOME", savedHome, 1);
  } else {
    unsetenv("HOME");
  }
  EXPECT_TRUE(registered);
  EXPECT_TRUE(landed);
  EXPECT_FALSE(fs::exists("relative"));
}

} // namespace
} // namespace fegolin
