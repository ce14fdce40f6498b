#pragma once

// The message table: the nine run-time texts that follow the language
// setting. Every other caption of the windows is German as written and
// follows the setting through the program's Qt translation.
// Nothing here uses Qt; the texts are UTF-16 so the windows can take them
// as they are.

#include <string>
#include <string_view>

namespace fegolin {

// Language codes as stored in the registry value "Language".
inline constexpr int kLanguageEnglish = 1;
inline constexpr int kLanguageGerman = 2;

// The message names. Lookups compare the whole name, letter case included.
inline constexpr std::string_view csSetToDefaultEntriesDlg = "csSetToDefaultEntriesDlg";
inline constexpr std::string_view csDeleteAllEntriesDlg = "csDeleteAllEntriesDlg";
inline constexpr std::string_view csRenameEntryDlgTitle = "csRenameEntryDlgTitle";
inline constexpr std::string_view csRenameEntryDlgLabel = "csRenameEntryDlgLabel";
inline constexpr std::string_view csWorkingLabel = "csWorkingLabel";
inline constexpr std::string_view csIdleLabel = "csIdleLabel";
inline constexpr std::string_view csSeconds = "csSeconds";
inline constexpr std::string_view csMinutes = "csMinutes";
inline constexpr std::string_view csHours = "csHours";

// The language in force: 0 until the options are first loaded, then the
// stored "Language" value, whatever number that is.
int CurrentLanguage();
void SetCurrentLanguage(int language);

// The text of `name` in the current language; the empty text for an unknown
// name or a language other than English and German.
std::u16string GetConstString(std::string_view name);

} // namespace fegolin
