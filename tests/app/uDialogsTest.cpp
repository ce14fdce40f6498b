#include "app/uDialogs.h"

#include "app/uTranslation.h"
#include "common/uConst.h"
#include "kit/kitfolder.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <string>

namespace fegolin {
namespace {

TEST(DialogScript, AnswersInOrderAndRecordsWhatWasAsked) {
  TcDialogScript script;
  script.AnswerYes();
  script.AnswerText(QStringLiteral("  neu  "));
  script.AnswerNo();

  EXPECT_TRUE(Dialogs::ConfirmWarning(nullptr, QStringLiteral("Alle Einträge löschen?")));
  EXPECT_EQ(Dialogs::InputBox(nullptr, QStringLiteral("Eintrag umbenennen"),
                              QStringLiteral("Neuen Namen eingeben:"), QStringLiteral("alt")),
            QStringLiteral("  neu  "));
  EXPECT_FALSE(Dialogs::ConfirmWarning(nullptr, QStringLiteral("second")));

  ASSERT_EQ(script.Requests().size(), 3u);
  EXPECT_EQ(script.Requests()[0].kind, DialogRequest::Kind::Confirm);
  EXPECT_EQ(script.Requests()[0].title, QStringLiteral("Warnung"));
  EXPECT_EQ(script.Requests()[0].text, QStringLiteral("Alle Einträge löschen?"));
  EXPECT_EQ(script.Requests()[1].kind, DialogRequest::Kind::Input);
  EXPECT_EQ(script.Requests()[1].title, QStringLiteral("Eintrag umbenennen"));
  EXPECT_EQ(script.Requests()[1].initial, QStringLiteral("alt"));
}

// The words the dialogs add themselves follow the language; Qt's own
// button words would stay English whatever the choice.
struct LanguageCase {
  const char* name;
  int language;
  QString warning;
  QStringList question; // also: a confirmation takes the first two
  QStringList input;
};

class DialogTexts : public ::testing::TestWithParam<LanguageCase> {
public:
  void TearDown() override { ApplyLanguage(kLanguageGerman); }
};

TEST_P(DialogTexts, TitlesAndButtonsAreInTheLanguageInForce) {
  const LanguageCase& c = GetParam();
  ApplyLanguage(c.language);
  TcDialogScript script;
  Dialogs::AskYesNoCancel(nullptr, QStringLiteral("Fegolin"), QStringLiteral("?"));
  Dialogs::ConfirmWarning(nullptr, QStringLiteral("?"));
  Dialogs::ShowWarning(nullptr, QStringLiteral("Fegolin"), QStringLiteral("!"));
  Dialogs::InputBox(nullptr, QStringLiteral("Fegolin"), QStringLiteral("?"), {});

  const auto& asked = script.Requests();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].buttons, c.question);
  EXPECT_EQ(asked[1].title, c.warning);
  EXPECT_EQ(asked[1].buttons, c.question.mid(0, 2));
  EXPECT_EQ(asked[2].buttons, QStringList{QStringLiteral("OK")});
  EXPECT_EQ(asked[3].buttons, c.input);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogTexts,
    ::testing::Values(
        LanguageCase{"German",
                     kLanguageGerman,
                     QStringLiteral("Warnung"),
                     {QStringLiteral("&Ja"), QStringLiteral("&Nein"), QStringLiteral("&Abbrechen")},
                     {QStringLiteral("OK"), QStringLiteral("&Abbrechen")}},
        LanguageCase{"English",
                     kLanguageEnglish,
                     QStringLiteral("Warning"),
                     {QStringLiteral("&Yes"), QStringLiteral("&No"), QStringLiteral("&Cancel")},
                     {QStringLiteral("OK"), QStringLiteral("&Cancel")}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(DialogScript, AnUnansweredDialogCountsAsCancelled) {
  TcDialogScript script;
  script.AnswerCancel();
  EXPECT_EQ(Dialogs::InputBox(nullptr, {}, {}, QStringLiteral("alt")), QStringLiteral("alt"));
  EXPECT_EQ(Dialogs::InputBox(nullptr, {}, {}, QStringLiteral("alt")), QStringLiteral("alt"));
  EXPECT_FALSE(Dialogs::ConfirmWarning(nullptr, QStringLiteral("?")));
  EXPECT_EQ(script.Requests().size(), 3u);
}

TEST(DialogScript, AnInnerScriptAnswersUntilItEnds) {
  TcDialogScript outer;
  outer.AnswerYes();
  {
    TcDialogScript inner;
    EXPECT_FALSE(Dialogs::ConfirmWarning(nullptr, QStringLiteral("inner")));
    EXPECT_EQ(inner.Requests().size(), 1u);
  }
  EXPECT_TRUE(Dialogs::ConfirmWarning(nullptr, QStringLiteral("outer")));
  EXPECT_EQ(outer.Requests().size(), 1u);
}

TEST(DialogScript, AFolderAnswerBecomesTheDialogsFolder) {
  TkitFolderDialog dialog;
  TcDialogScript script;
  script.AnswerFolder({QStringLiteral("/srv/daten"), QStringLiteral("daten")});
  const auto chosen = Dialogs::BrowseFolder(dialog, QStringLiteral("C:"));
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->displayName, QStringLiteral("daten"));
  EXPECT_EQ(dialog.Folder(), QStringLiteral("/srv/daten"));
  EXPECT_EQ(script.Requests().at(0).initial, QStringLiteral("C:"));

  EXPECT_FALSE(Dialogs::BrowseFolder(dialog, QStringLiteral("C:")));
  EXPECT_EQ(dialog.Folder(), QStringLiteral("C:"));
}

} // namespace
} // namespace fegolin
