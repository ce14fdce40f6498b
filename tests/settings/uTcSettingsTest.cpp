#include "settings/uTcSettings.h"

#include "settings/uStoredList.h"

#include "common/uConst.h"
#include "platform/Registry.h"
#include "tests/support/ScopedHive.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fegolin {
namespace {

namespace fs = std::filesystem;

// The options page and window as plain values: what the controls would
// hold.
struct FormState final : TcSettingsView {
  std::map<Option, bool> checks;
  int unit = -1;
  int value = 1;
  int height = 457;
  int width = 496;

  bool IsOptionChecked(Option option) const override {
    const auto it = checks.find(option);
    return it != checks.end() && it->second;
  }
  void SetOptionChecked(Option option, bool checked) override { checks[option] = checked; }
  int IntervalUnitIndex() const override { return unit; }
  void SetIntervalUnitIndex(int index) override { unit = index; }
  int IntervalValue() const override { return value; }
  void SetIntervalValue(int v) override { value = v; }
  int WindowHeight() const override { return height; }
  void SetWindowHeight(int h) override { height = h; }
  int WindowWidth() const override { return width; }
  void SetWindowWidth(int w) override { width = w; }
};

struct Stored {
  platform::RegType type;
  std::vector<std::uint8_t> data;
};

std::optional<Stored> Raw(std::string_view key, std::string_view name) {
  auto open = platform::OpenKey(platform::ProcessRegistry(), platform::kRegCurrentUser,
                                key.substr(1), platform::RegOpenMode::Open);
  platform::RegValue value;
  if (!open || open->QueryValue(name, value) != platform::RegStatus::Ok) {
    return std::nullopt;
  }
  return Stored{value.type, value.data};
}

std::vector<std::string> ValueNames(std::string_view key) {
  std::vector<std::string> names;
  auto open = platform::OpenKey(platform::ProcessRegistry(), platform::kRegCurrentUser,
                                key.substr(1), platform::RegOpenMode::Open);
  if (!open) {
    return names;
  }
  std::string name;
  platform::RegValue value;
  for (std::uint32_t i = 0; open->EnumValue(i, name, value) == platform::RegStatus::Ok; ++i) {
    names.push_back(name);
  }
  return names;
}

std::vector<std::uint8_t> Dword(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

void Store(Option option, const RegVariant& value, TFieldType kind) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, InfoOf(option).name, value, kind));
}

fs::path AutostartEntry() {
  return fs::path(std::getenv("XDG_CONFIG_HOME")) / "autostart" / "fegolin.desktop";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SettingsStore : public ::testing::Test {
protected:
  void TearDown() override {
    std::error_code ec;
    fs::remove(AutostartEntry(), ec);
    SetCurrentLanguage(0);
  }

  test::ScopedHive hive_;
  FormState form_;
  TcStoredDirectoryList list_; // the options tests never touch it
};

TEST_F(SettingsStore, FirstLoadStoresExactlyTheNineOptionsWithTheirDefaults) {
  { TcSettings settings(form_, list_); }

  const std::vector<std::string> expected{
      "Show Splash",        "Save Window Size", "Show Tipps on Startup",
      "Start with Windows", "Run Interval",     "Run Interval Value",
      "Language",           "Form Height",      "Form Width"};
  EXPECT_EQ(ValueNames(kRegKeyApp), expected);
  const std::map<std::string, std::uint32_t> defaults{
      {"Show Splash", 1},        {"Save Window Size", 1}, {"Show Tipps on Startup", 0},
      {"Start with Windows", 1}, {"Run Interval", 2},     {"Run Interval Value", 5},
      {"Language", 2},           {"Form Height", 305},    {"Form Width", 452}};
  for (const auto& [name, number] : defaults) {
    const auto stored = Raw(kRegKeyApp, name);
    ASSERT_TRUE(stored) << name;
    EXPECT_EQ(stored->type, platform::kRegDword) << name;
    EXPECT_EQ(stored->data, Dword(number)) << name;
  }
  EXPECT_FALSE(Raw(kRegKeyRun, kAppTitle));
  EXPECT_FALSE(fs::exists(AutostartEntry()));
}

TEST_F(SettingsStore, FirstLoadPutsTheDefaultsIntoTheControls) {
  TcSettings settings(form_, list_);
  EXPECT_TRUE(form_.IsOptionChecked(Option::ShowSplash));
  EXPECT_TRUE(form_.IsOptionChecked(Option::SaveWindowSize));
  EXPECT_FALSE(form_.IsOptionChecked(Option::ShowTipps));
  EXPECT_TRUE(form_.IsOptionChecked(Option::StartWithWindows));
  EXPECT_EQ(form_.unit, 2);
  EXPECT_EQ(form_.value, 5);
  EXPECT_EQ(CurrentLanguage(), kLanguageGerman);
  EXPECT_EQ(form_.height, 305);
  EXPECT_EQ(form_.width, 452);
}

TEST_F(SettingsStore, LoadTakesTheStoredValuesAndLeavesThemAsTheyAre) {
  Store(Option::ShowSplash, false, TFieldType::ftBoolean);
  Store(Option::ShowTipps, std::int32_t{7}, TFieldType::ftInteger); // any non-zero is true
  Store(Option::StartWithWindows, false, TFieldType::ftBoolean);
  Store(Option::RunInterval, std::int32_t{0}, TFieldType::ftInteger);
  Store(Option::RunIntervalValue, std::int32_t{42}, TFieldType::ftInteger);
  Store(Option::Language, std::int32_t{1}, TFieldType::ftInteger);

  TcSettings settings(form_, list_);
  EXPECT_FALSE(form_.IsOptionChecked(Option::ShowSplash));
  EXPECT_TRUE(form_.IsOptionChecked(Option::ShowTipps));
  EXPECT_FALSE(form_.IsOptionChecked(Option::StartWithWindows));
  EXPECT_EQ(form_.unit, 0);
  EXPECT_EQ(form_.value, 42);
  EXPECT_EQ(CurrentLanguage(), kLanguageEnglish);
  EXPECT_EQ(Raw(kRegKeyApp, "Show Tipps on Startup")->data, Dword(7));
}

TEST_F(SettingsStore, ShowSplashStoredAsTextReadsAsDefaultAndStaysUntilSaved) {
  Store(Option::ShowSplash, std::string("0"), TFieldType::ftString);
  TcSettings settings(form_, list_);
  EXPECT_TRUE(form_.IsOptionChecked(Option::ShowSplash));
  EXPECT_EQ(Raw(kRegKeyApp, "Show Splash")->type, platform::kRegSz);

  settings.SaveOptions();
  EXPECT_EQ(Raw(kRegKeyApp, "Show Splash")->type, platform::kRegDword);
  EXPECT_EQ(Raw(kRegKeyApp, "Show Splash")->data, Dword(1));
}

TEST_F(SettingsStore, LanguageOutsideTheTableLeavesEveryTextEmpty) {
  Store(Option::Language, std::int32_t{3}, TFieldType::ftInteger);
  TcSettings settings(form_, list_);
  EXPECT_EQ(CurrentLanguage(), 3);
  EXPECT_TRUE(GetConstString(csHours).empty());
  settings.SaveOptions();
  EXPECT_EQ(Raw(kRegKeyApp, "Language")->data, Dword(3));
}

TEST_F(SettingsStore, SaveWritesTheControlsAndRegistersTheExecutable) {
  TcSettings settings(form_, list_);
  form_.SetOptionChecked(Option::ShowSplash, false);
  form_.SetOptionChecked(Option::SaveWindowSize, false);
  form_.SetOptionChecked(Option::ShowTipps, true);
  form_.unit = 1;
  form_.value = 99;
  settings.SaveOptions();

  EXPECT_EQ(Raw(kRegKeyApp, "Show Splash")->data, Dword(0));
  EXPECT_EQ(Raw(kRegKeyApp, "Save Window Size")->data, Dword(0));
  EXPECT_EQ(Raw(kRegKeyApp, "Show Tipps on Startup")->data, Dword(1));
  EXPECT_EQ(Raw(kRegKeyApp, "Start with Windows")->data, Dword(1));
  EXPECT_EQ(Raw(kRegKeyApp, "Run Interval")->data, Dword(1));
  EXPECT_EQ(Raw(kRegKeyApp, "Run Interval Value")->data, Dword(99));

  const std::string executable = QCoreApplication::applicationFilePath().toStdString();
  const auto run = Raw(kRegKeyRun, kAppTitle);
  ASSERT_TRUE(run);
  EXPECT_EQ(run->type, platform::kRegSz);
  EXPECT_EQ(std::string(run->data.begin(), run->data.end()), executable + '\0');
  EXPECT_NE(ReadFile(AutostartEntry()).find("\nExec=" + executable + "\n"), std::string::npos);
}

TEST_F(SettingsStore, SaveWithAutoStartOffRemovesTheRunValueAndTheEntry) {
  TcSettings settings(form_, list_);
  settings.SaveOptions();
  ASSERT_TRUE(Raw(kRegKeyRun, kAppTitle));
  ASSERT_TRUE(fs::exists(AutostartEntry()));

  form_.SetOptionChecked(Option::StartWithWindows, false);
  settings.SaveOptions();
  EXPECT_FALSE(Raw(kRegKeyRun, kAppTitle));
  EXPECT_FALSE(fs::exists(AutostartEntry()));
  EXPECT_EQ(Raw(kRegKeyApp, "Start with Windows")->data, Dword(0));
}

TEST_F(SettingsStore, ResetRestoresTheDefaultsAndTurnsAutoStartOnButKeepsTheSize) {
  Store(Option::ShowSplash, false, TFieldType::ftBoolean);
  Store(Option::StartWithWindows, false, TFieldType::ftBoolean);
  Store(Option::RunIntervalValue, std::int32_t{17}, TFieldType::ftInteger);
  Store(Option::Language, std::int32_t{1}, TFieldType::ftInteger);
  Store(Option::FormHeight, std::int32_t{600}, TFieldType::ftInteger);
  TcSettings settings(form_, list_);
  ASSERT_FALSE(form_.IsOptionChecked(Option::StartWithWindows));

  settings.ResetOptions();
  EXPECT_TRUE(form_.IsOptionChecked(Option::ShowSplash));
  EXPECT_TRUE(form_.IsOptionChecked(Option::StartWithWindows));
  EXPECT_EQ(form_.value, 5);
  EXPECT_EQ(form_.unit, 2);
  EXPECT_EQ(CurrentLanguage(), kLanguageGerman);
  EXPECT_EQ(Raw(kRegKeyApp, "Start with Windows")->data, Dword(1));
  EXPECT_TRUE(Raw(kRegKeyRun, kAppTitle));
  EXPECT_TRUE(fs::exists(AutostartEntry()));
  EXPECT_EQ(Raw(kRegKeyApp, "Form Height")->data, Dword(600));
}

TEST_F(SettingsStore, WindowSizeIsRestoredAndStoredWhileTheOptionIsOn) {
  Store(Option::FormHeight, std::int32_t{500}, TFieldType::ftInteger);
  Store(Option::FormWidth, std::int32_t{700}, TFieldType::ftInteger);
  {
    TcSettings settings(form_, list_);
    EXPECT_EQ(form_.height, 500);
    EXPECT_EQ(form_.width, 700);
    form_.height = 333;
    form_.width = 444;
  }
  EXPECT_EQ(Raw(kRegKeyApp, "Form Height")->data, Dword(333));
  EXPECT_EQ(Raw(kRegKeyApp, "Form Width")->data, Dword(444));
}

TEST_F(SettingsStore, WindowSizeIsNeitherReadNorStoredWhileTheOptionIsOff) {
  Store(Option::SaveWindowSize, false, TFieldType::ftBoolean);
  {
    TcSettings settings(form_, list_);
    EXPECT_EQ(form_.height, 457);
    EXPECT_EQ(form_.width, 496);
    form_.height = 333;
  }
  EXPECT_FALSE(Raw(kRegKeyApp, "Form Height"));
  EXPECT_FALSE(Raw(kRegKeyApp, "Form Width"));

  // Ticked again at exit: the size of that moment is stored.
  {
    TcSettings settings(form_, list_);
    form_.SetOptionChecked(Option::SaveWindowSize, true);
  }
  EXPECT_EQ(Raw(kRegKeyApp, "Form Height")->data, Dword(333));
}

TEST_F(SettingsStore, APickedLanguageIsCurrentAtOnceAndStoredOnlyBySave) {
  TcSettings settings(form_, list_);
  // Group item index -> language code; indexes outside the group keep the
  // language picked before.
  for (const auto& [index, language] :
       {std::pair{1, kLanguageEnglish}, std::pair{-1, kLanguageEnglish},
        std::pair{0, kLanguageGerman}, std::pair{2, kLanguageGerman},
        std::pair{1, kLanguageEnglish}}) {
    settings.SetLanguage(index);
    EXPECT_EQ(CurrentLanguage(), language) << "index " << index;
    EXPECT_EQ(Raw(kRegKeyApp, "Language")->data, Dword(2));
  }
  settings.SaveOptions();
  EXPECT_EQ(Raw(kRegKeyApp, "Language")->data, Dword(1));
}

TEST(PathData, CaptionIsNameTabAndFolderInParentheses) {
  TcPathData entry("Windows Temp", "C:\\WINDOWS\\Temp");
  EXPECT_EQ(entry.ListCaption(), "Windows Temp\t(C:\\WINDOWS\\Temp)");
  EXPECT_FALSE(entry.State());
  entry.SetDisplayName("");
  entry.SetDirectory("");
  EXPECT_EQ(entry.ListCaption(), "\t()");
}

} // namespace
} // namespace fegolin
