#pragma once

// The settings store. The options have no record of their own: their
// in-memory home is the options page, reached through TcSettingsView, and
// the folder list lives in the list control, reached through
// TcDirectoryListView. Loading writes into those controls, saving reads from
// them. All registry access goes through the registry routines of uCommon.

#include "common/uCommon.h"
#include "platform/Result.h"
#include "settings/uTcPathData.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace fegolin {

inline constexpr std::string_view kAppTitle = "Fegolin";
inline constexpr std::string_view kRegKeyApp = "\\Software\\Norvalt\\Fegolin";
inline constexpr std::string_view kRegKeyPaths = "\\Software\\Norvalt\\Fegolin\\Paths";
inline constexpr std::string_view kRegKeyRun =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Every option stored under kRegKeyApp.
enum class Option : std::uint8_t {
  ShowSplash,
  SaveWindowSize,
  ShowTipps,
  StartWithWindows,
  RunInterval,
  RunIntervalValue,
  Language,
  FormHeight,
  FormWidth,
};

struct OptionInfo {
  Option option;
  std::string_view name; // the registry value name
  TFieldType kind;       // ftBoolean or ftInteger
  std::int32_t fallback; // the default; booleans as 0 / 1
};

// The one table of the options: registry name, kind and default.
inline constexpr std::array<OptionInfo, 9> kOptionTable{{
    {Option::ShowSplash, "Show Splash", TFieldType::ftBoolean, 1},
    {Option::SaveWindowSize, "Save Window Size", TFieldType::ftBoolean, 1},
    {Option::ShowTipps, "Show Tipps on Startup", TFieldType::ftBoolean, 0},
    {Option::StartWithWindows, "Start with Windows", TFieldType::ftBoolean, 1},
    {Option::RunInterval, "Run Interval", TFieldType::ftInteger, 2},
    {Option::RunIntervalValue, "Run Interval Value", TFieldType::ftInteger, 5},
    {Option::Language, "Language", TFieldType::ftInteger, 2},
    {Option::FormHeight, "Form Height", TFieldType::ftInteger, 305},
    {Option::FormWidth, "Form Width", TFieldType::ftInteger, 452},
}};

[[nodiscard]] const OptionInfo& InfoOf(Option option);
// The default in the variant type its kind reads back as.
[[nodiscard]] RegVariant DefaultOf(Option option);
// Reads an option with its default (storing the default when missing).
[[nodiscard]] bool ReadBoolOption(Option option);
[[nodiscard]] std::int32_t ReadIntOption(Option option);

// The options page and the window as the settings store sees them.
class TcSettingsView {
public:
  virtual ~TcSettingsView() = default;
  // The check boxes of the four boolean options (ShowSplash, SaveWindowSize,
  // ShowTipps, StartWithWindows).
  [[nodiscard]] virtual bool IsOptionChecked(Option option) const = 0;
  virtual void SetOptionChecked(Option option, bool checked) = 0;
  // Item index of the unit box (0 seconds, 1 minutes, 2 hours, -1 none).
  [[nodiscard]] virtual int IntervalUnitIndex() const = 0;
  virtual void SetIntervalUnitIndex(int index) = 0;
  [[nodiscard]] virtual int IntervalValue() const = 0;
  virtual void SetIntervalValue(int value) = 0;
  [[nodiscard]] virtual int WindowHeight() const = 0;
  virtual void SetWindowHeight(int height) = 0;
  [[nodiscard]] virtual int WindowWidth() const = 0;
  virtual void SetWindowWidth(int width) = 0;
};

// The folder list control as the list routines see it. Items are sorted by
// their text; check marks are kept by text. The list owns its entries.
class TcDirectoryListView {
public:
  virtual ~TcDirectoryListView() = default;
  [[nodiscard]] virtual int Count() const = 0;
  // The entry of the item at `index` in list order; null when the item has
  // none.
  [[nodiscard]] virtual TcPathData* Entry(int index) const = 0;
  // Whether the item at `index` carries a check mark.
  [[nodiscard]] virtual bool IsChecked(int index) const = 0;
  // Adds an item with `text`, owning `entry`; the list sorts it into place.
  virtual void Add(std::string_view text, std::unique_ptr<TcPathData> entry) = 0;
  // Sets the check mark of the first item whose text equals `text` (letter
  // case ignored). False when there is no such item.
  virtual bool SetChecked(std::string_view text, bool checked) = 0;
  // Releases every entry and empties the list. Nothing is stored.
  virtual void ReleaseAll() = 0;
};

// What came of storing: stored, or not and why. A store that fails keeps
// what was stored before it, as a whole.
struct StoreResult {
  bool stored = true;
  std::string reason; // the registry's words; empty when stored

  [[nodiscard]] static StoreResult Failed(std::string why);
};

// Adds the stored folder list to `list` in stored order, each item with its
// stored check mark; the list ends at the first entry without a name or a
// state. Reads only: nothing is created in the registry. Callers that
// start afresh empty `list` first.
void ReadStoredDirectoryList(TcDirectoryListView& list);

class TcSettings final {
public:
  // Loads the options into the view, then restores the window size when
  // "Save Window Size" is ticked.
  TcSettings(TcSettingsView& view, TcDirectoryListView& list);
  // Stores the window size when "Save Window Size" is ticked.
  ~TcSettings();
  TcSettings(const TcSettings&) = delete;
  TcSettings& operator=(const TcSettings&) = delete;

  void LoadOptions();
  // Stores every option and the Run value in one transaction, then the
  // desktop session's autostart entry.
  StoreResult SaveOptions();
  // Stores the defaults (the window size stays) and starting with Windows,
  // then loads what is stored: after a failure that is the old values.
  StoreResult ResetOptions();
  // A language picked in the options page's language group (0 German,
  // 1 English) becomes the current language; other indexes change nothing.
  // SaveOptions stores it.
  void SetLanguage(int index);

  [[nodiscard]] std::string GetUserTempDir() const;
  [[nodiscard]] std::string GetWindowsTempDir() const;

  // Replaces the stored list with the one in the control. The old list is
  // removed and the new one written in one transaction of the hive: if any
  // part fails, the previously stored list stays as it was.
  StoreResult SaveDirectoryList();
  // Fills the (emptied) control from the stored list. A failure ends the
  // load where it is, keeping the entries added so far, and says why.
  platform::Status LoadDirectoryList();
  // Releases all entries, empties the control and stores the empty list;
  // does nothing at all on an empty list.
  StoreResult ClearDirectoryList();
  // Adds "Windows Temp" and, where it differs, "User Temp", unticked, to an
  // empty list. Nothing is stored.
  void AddDefaultEntries();

private:
  [[nodiscard]] bool WriteDirectoryList();
  // Writes (on) or deletes (off) the Run value, joining the open
  // transaction.
  [[nodiscard]] static bool WriteRunValue(bool on);
  // The desktop session's entry, after the Run value is stored.
  [[nodiscard]] static StoreResult FollowRunValue(bool on);

  TcSettingsView& view_;
  TcDirectoryListView& list_;
};

} // namespace fegolin
