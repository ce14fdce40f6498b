#include "settings/uTcSettings.h"

#include "common/uConst.h"
#include "platform/AutoStart.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QString>

#include <algorithm>
#include <exception>
#include <cstdint>
#include <utility>
#include <variant>

namespace fegolin {
namespace {

constexpr std::array<Option, 4> kBoolOptionsInLoadOrder{
    Option::ShowSplash, Option::SaveWindowSize, Option::ShowTipps, Option::StartWithWindows};

bool WriteOption(Option option, const RegVariant& value) {
  const OptionInfo& info = InfoOf(option);
  return WriteRegValue(kCurrentUserRoot, kRegKeyApp, info.name, value, info.kind);
}

bool WriteBool(Option option, bool value) {
  return WriteOption(option, RegVariant(value));
}

bool WriteInt(Option option, int value) {
  return WriteOption(option, RegVariant(static_cast<std::int32_t>(value)));
}

std::string ExecutablePath() {
  return QCoreApplication::applicationFilePath().toStdString();
}

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return out;
}

std::string PathValueName(std::string_view word, int n) {
  return std::string(word) + " " + std::to_string(n);
}

// The reason of the registry change that just failed.
StoreResult RegistryFailure() {
  return StoreResult::Failed(platform::ProcessRegistry().LastFailure());
}

} // namespace

StoreResult StoreResult::Failed(std::string why) {
  if (why.empty()) {
    why = "the registry refused the change";
  }
  return {false, std::move(why)};
}

const OptionInfo& InfoOf(Option option) {
  return kOptionTable[static_cast<std::size_t>(option)];
}

RegVariant DefaultOf(Option option) {
  const OptionInfo& info = InfoOf(option);
  if (info.kind == TFieldType::ftBoolean) {
    return RegVariant(info.fallback != 0);
  }
  return RegVariant(info.fallback);
}

bool ReadBoolOption(Option option) {
  const OptionInfo& info = InfoOf(option);
  const RegVariant value =
      ReadRegValueDef(kCurrentUserRoot, kRegKeyApp, info.name, DefaultOf(option), info.kind);
  if (const bool* b = std::get_if<bool>(&value)) {
    return *b;
  }
  return info.fallback != 0;
}

std::int32_t ReadIntOption(Option option) {
  const OptionInfo& info = InfoOf(option);
  const RegVariant value =
      ReadRegValueDef(kCurrentUserRoot, kRegKeyApp, info.name, DefaultOf(option), info.kind);
  if (const std::int32_t* i = std::get_if<std::int32_t>(&value)) {
    return *i;
  }
  return info.fallback;
}

TcSettings::TcSettings(TcSettingsView& view, TcDirectoryListView& list) : view_(view), list_(list) {
  LoadOptions();
  if (view_.IsOptionChecked(Option::SaveWindowSize)) {
    view_.SetWindowHeight(ReadIntOption(Option::FormHeight));
    view_.SetWindowWidth(ReadIntOption(Option::FormWidth));
  }
}

TcSettings::~TcSettings() {
  // Shutting down: a size that cannot be stored is simply not stored (the
  // registry routines absorb their failures).
  if (view_.IsOptionChecked(Option::SaveWindowSize)) {
    WriteInt(Option::FormHeight, view_.WindowHeight());
    WriteInt(Option::FormWidth, view_.WindowWidth());
  }
}

void TcSettings::LoadOptions() {
  for (Option option : kBoolOptionsInLoadOrder) {
    view_.SetOptionChecked(option, ReadBoolOption(option));
  }
  view_.SetIntervalUnitIndex(ReadIntOption(Option::RunInterval));
  view_.SetIntervalValue(ReadIntOption(Option::RunIntervalValue));
  SetCurrentLanguage(ReadIntOption(Option::Language));
}

StoreResult TcSettings::SaveOptions() {
  const bool autoStart = view_.IsOptionChecked(Option::StartWithWindows);
  {
    // All of the page or nothing: a half-stored page would come back as
    // something the user never saw.
    RegTransaction transaction;
    const bool written =
        WriteBool(Option::ShowSplash, view_.IsOptionChecked(Option::ShowSplash)) &&
        WriteBool(Option::SaveWindowSize, view_.IsOptionChecked(Option::SaveWindowSize)) &&
        WriteBool(Option::ShowTipps, view_.IsOptionChecked(Option::ShowTipps)) &&
        WriteInt(Option::RunInterval, view_.IntervalUnitIndex()) &&
        WriteInt(Option::RunIntervalValue, view_.IntervalValue()) &&
        WriteInt(Option::Language, CurrentLanguage()) &&
        WriteBool(Option::StartWithWindows, autoStart) && WriteRunValue(autoStart);
    if (!written || !transaction.Commit()) {
      return RegistryFailure();
    }
  }
  return FollowRunValue(autoStart);
}

StoreResult TcSettings::ResetOptions() {
  StoreResult result;
  {
    RegTransaction transaction;
    // Every option but the window size goes back to its default; the size
    // is the user's, not an option the page shows.
    bool written = true;
    for (const OptionInfo& info : kOptionTable) {
      if (info.option != Option::FormHeight && info.option != Option::FormWidth) {
        written = written && WriteOption(info.option, DefaultOf(info.option));
      }
    }
    written = written && WriteRunValue(true);
    if (!written || !transaction.Commit()) {
      result = RegistryFailure();
    }
  }
  if (result.stored) {
    result = FollowRunValue(true);
  }
  LoadOptions();
  return result;
}

bool TcSettings::WriteRunValue(bool on) {
  if (on) {
    return WriteRegValue(kCurrentUserRoot, kRegKeyRun, kAppTitle, RegVariant(ExecutablePath()),
                         TFieldType::ftString);
  }
  // Nothing to delete is no failure; a refused delete dooms the open
  // transaction, which its commit then reports.
  DeleteRegValue(kCurrentUserRoot, kRegKeyRun, kAppTitle);
  return true;
}

StoreResult TcSettings::FollowRunValue(bool on) {
  const platform::Status followed = on ? platform::RegisterAutoStart(kAppTitle, ExecutablePath())
                                       : platform::UnregisterAutoStart(kAppTitle);
  if (!followed) {
    return StoreResult::Failed("the desktop's autostart entry could not be changed: " +
                               followed.error().text);
  }
  return {};
}

void TcSettings::SetLanguage(int index) {
  // The group lists German first; its item indexes are not language codes.
  if (index == 0) {
    SetCurrentLanguage(kLanguageGerman);
  } else if (index == 1) {
    SetCurrentLanguage(kLanguageEnglish);
  }
}

std::string TcSettings::GetUserTempDir() const {
  return GetLongDisplayPath(GetTempDirPath());
}

std::string TcSettings::GetWindowsTempDir() const {
  return fegolin::GetWindowsTempDir();
}

StoreResult TcSettings::SaveDirectoryList() {
  // Whatever ends the save early, the transaction rolls back on the way
  // out: the stored list stays.
  RegTransaction transaction;
  if (WriteDirectoryList() && transaction.Commit()) {
    return {};
  }
  return RegistryFailure();
}

bool TcSettings::WriteDirectoryList() {
  DeleteRegKey(kCurrentUserRoot, kRegKeyPaths);
  const int count = list_.Count();
  for (int i = 0; i < count; ++i) {
    const TcPathData* entry = list_.Entry(i);
    if (entry == nullptr) {
      return false;
    }
    if (!WriteRegValue(kCurrentUserRoot, kRegKeyPaths, PathValueName("Display Name", i),
                       RegVariant(entry->DisplayName()), TFieldType::ftString) ||
        !WriteRegValue(kCurrentUserRoot, kRegKeyPaths, PathValueName("Directory", i),
                       RegVariant(entry->Directory()), TFieldType::ftString) ||
        !WriteRegValue(kCurrentUserRoot, kRegKeyPaths, PathValueName("State", i),
                       RegVariant(entry->State()), TFieldType::ftBoolean)) {
      return false;
    }
  }
  return true;
}

void ReadStoredDirectoryList(TcDirectoryListView& list) {
  for (int n = 0;; ++n) {
    const RegVariant name = ReadRegValue(kCurrentUserRoot, kRegKeyPaths,
                                         PathValueName("Display Name", n), TFieldType::ftString);
    const std::string* displayName = std::get_if<std::string>(&name);
    if (displayName == nullptr || displayName->empty()) {
      return;
    }
    const RegVariant dir = ReadRegValue(kCurrentUserRoot, kRegKeyPaths,
                                        PathValueName("Directory", n), TFieldType::ftString);
    const std::string* directory = std::get_if<std::string>(&dir);
    // A state that is missing or not a DWORD does not read as a boolean;
    // the list ends before this entry.
    const RegVariant state = ReadRegValue(kCurrentUserRoot, kRegKeyPaths, PathValueName("State", n),
                                          TFieldType::ftBoolean);
    const bool* checked = std::get_if<bool>(&state);
    if (checked == nullptr) {
      return;
    }
    auto entry = std::make_unique<TcPathData>(*displayName, directory != nullptr ? *directory : "");
    entry->SetState(*checked);
    const std::string caption = entry->ListCaption();
    list.Add(caption, std::move(entry));
    list.SetChecked(caption, *checked);
  }
}

platform::Status TcSettings::LoadDirectoryList() {
  try {
    ClearDirectoryList();
    ReadStoredDirectoryList(list_);
  } catch (const std::exception& e) {
    // The load ends here; the entries added so far stay.
    return platform::SysError::Because(e.what());
  }
  return {};
}

StoreResult TcSettings::ClearDirectoryList() {
  if (list_.Count() == 0) {
    return {};
  }
  list_.ReleaseAll();
  return SaveDirectoryList();
}

void TcSettings::AddDefaultEntries() {
  if (list_.Count() != 0) {
    return;
  }
  const std::string windowsTemp = GetWindowsTempDir();
  auto windowsEntry = std::make_unique<TcPathData>("Windows Temp", windowsTemp);
  const std::string windowsCaption = windowsEntry->ListCaption();
  list_.Add(windowsCaption, std::move(windowsEntry));

  // Only the case of ASCII letters is ignored; nothing else is normalised,
  // so the same folder with and without a trailing separator counts twice.
  const std::string userTemp = GetUserTempDir();
  if (AsciiUpper(userTemp) != AsciiUpper(windowsTemp)) {
    auto userEntry = std::make_unique<TcPathData>("User Temp", userTemp);
    const std::string userCaption = userEntry->ListCaption();
    list_.Add(userCaption, std::move(userEntry));
  }
}

} // namespace fegolin
