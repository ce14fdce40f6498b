#include "common/uConst.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace fegolin {
namespace {

struct MessageCase {
  std::string_view name;
  std::u16string_view english;
  std::u16string_view german;
};

class MessageTable : public ::testing::TestWithParam<MessageCase> {
protected:
  void TearDown() override { SetCurrentLanguage(0); }
};

TEST_P(MessageTable, GivesTheTextOfTheCurrentLanguage) {
  const MessageCase& c = GetParam();
  SetCurrentLanguage(kLanguageEnglish);
  EXPECT_EQ(GetConstString(c.name), c.english);
  SetCurrentLanguage(kLanguageGerman);
  EXPECT_EQ(GetConstString(c.name), c.german);
}

TEST_P(MessageTable, IsEmptyForAnyOtherLanguage) {
  for (int language : {0, 3, -1, 1031}) {
    SetCurrentLanguage(language);
    EXPECT_TRUE(GetConstString(GetParam().name).empty()) << language;
  }
}

TEST_P(MessageTable, MatchesTheWholeNameWithItsLetterCase) {
  SetCurrentLanguage(kLanguageGerman);
  std::string upper(GetParam().name);
  for (char& ch : upper) {
    ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  }
  EXPECT_TRUE(GetConstString(upper).empty());
  EXPECT_TRUE(GetConstString(std::string(GetParam().name) + " ").empty());
  EXPECT_TRUE(GetConstString(GetParam().name.substr(1)).empty());
}

INSTANTIATE_TEST_SUITE_P(
    NineTexts, MessageTable,
    ::testing::Values(
        MessageCase{csSetToDefaultEntriesDlg, u"Reset all Entries to Defaults?",
                    u"Alle Einträge auf Vorgabe stellen?"},
        MessageCase{csDeleteAllEntriesDlg, u"Delete All Entries?", u"Alle Einträge löschen?"},
        MessageCase{csRenameEntryDlgTitle, u"Rename Entry", u"Eintrag umbenennen"},
        MessageCase{csRenameEntryDlgLabel, u"Enter new Name:", u"Neuen Namen eingeben:"},
        MessageCase{csWorkingLabel, u"Working...", u"Arbeite..."},
        MessageCase{csIdleLabel, u"Idle...", u"Untätig..."},
        MessageCase{csSeconds, u"Seconds", u"Sekunden"},
        MessageCase{csMinutes, u"Minutes", u"Minuten"}, MessageCase{csHours, u"Hours", u"Stunden"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(MessageTableUmlauts, AreSingleUtf16Units) {
  SetCurrentLanguage(kLanguageGerman);
  const std::u16string text = GetConstString(csDeleteAllEntriesDlg);
  EXPECT_EQ(text.size(), std::u16string_view(u"Alle Eintraege loeschen?").size() - 2);
  EXPECT_NE(text.find(u'\u00E4'), std::u16string::npos);
  EXPECT_NE(text.find(u'\u00F6'), std::u16string::npos);
  SetCurrentLanguage(0);
}

TEST(MessageTableLanguage, StartsUnset) {
  EXPECT_EQ(CurrentLanguage(), 0);
}

} // namespace
} // namespace fegolin
