#include "common/uConst.h"

#include <array>

namespace fegolin {
namespace {

struct Message {
  std::string_view name;
  std::u16string_view english;
  std::u16string_view german;
};

constexpr std::array<Message, 9> kMessages{{
    {csSetToDefaultEntriesDlg, u"Reset all Entries to Defaults?",
     u"Alle Einträge auf Vorgabe stellen?"},
    {csDeleteAllEntriesDlg, u"Delete All Entries?", u"Alle Einträge löschen?"},
    {csRenameEntryDlgTitle, u"Rename Entry", u"Eintrag umbenennen"},
    {csRenameEntryDlgLabel, u"Enter new Name:", u"Neuen Namen eingeben:"},
    {csWorkingLabel, u"Working...", u"Arbeite..."},
    {csIdleLabel, u"Idle...", u"Untätig..."},
    {csSeconds, u"Seconds", u"Sekunden"},
    {csMinutes, u"Minutes", u"Minuten"},
    {csHours, u"Hours", u"Stunden"},
}};

// One language for the whole program; only the GUI thread touches it.
int gCurrentLanguage = 0;

} // namespace

int CurrentLanguage() {
  return gCurrentLanguage;
}

void SetCurrentLanguage(int language) {
  gCurrentLanguage = language;
}

std::u16string GetConstString(std::string_view name) {
  if (gCurrentLanguage != kLanguageEnglish && gCurrentLanguage != kLanguageGerman) {
    return {};
  }
  for (const Message& message : kMessages) {
    if (message.name == name) {
      return std::u16string(gCurrentLanguage == kLanguageEnglish ? message.english
                                                                 : message.german);
    }
  }
  return {};
}

} // namespace fegolin
