#include "app/uDialogs.h"

#include "kit/kitfolder.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(script.Requests()[0].title, QStringLiteral("Warning"));
  EXPECT_EQ(script.Requests()[0].text, QStringLiteral("Alle Einträge löschen?"));
  EXPECT_EQ(script.Requests()[1].kind, DialogRequest::Kind::Input);
  EXPECT_EQ(script.Requests()[1].title, QStringLiteral("Eintrag umbenennen"));
  EXPECT_EQ(script.Requests()[1].initial, QStringLiteral("alt"));
}

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
