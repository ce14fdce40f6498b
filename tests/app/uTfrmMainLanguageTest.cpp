// The language group of the Options page on the real window and the real
// hive: a pick changes the run-time texts and every caption at once, and
// Apply stores it.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uRadioGroup.h"
#include "app/pages/uSelectPage.h"
#include "app/pages/uStatusPage.h"
#include "app/uDialogs.h"
#include "app/ufrmPreview.h"
#include "app/ufrmTipps.h"
#include "kit/kitfolder.h"
#include "kit/kitfolderbrowser.h"
#include "kit/kitfoldertree.h"
#include "kit/kitfti32.h"
#include "kit/kitlist.h"
#include "kit/kittips.h"
#include "kit/kitversn.h"
#include "common/uCommon.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace fegolin {
namespace {

constexpr int kGermanItem = 0;
constexpr int kEnglishItem = 1;

std::optional<std::int32_t> StoredLanguage() {
  const RegVariant value =
      ReadRegValue(kCurrentUserRoot, kRegKeyApp, "Language", TFieldType::ftInteger);
  const auto* number = std::get_if<std::int32_t>(&value);
  return number != nullptr ? std::optional(*number) : std::nullopt;
}

class LanguageGroup : public ::testing::Test {
public:
  void SetUp() override { TfrmMain first; }

  void Start(std::optional<std::int32_t> stored = std::nullopt) {
    if (stored) {
      ASSERT_TRUE(
          WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Language", *stored, TFieldType::ftInteger));
    }
    form_ = std::make_unique<TfrmMain>();
    form_->actInterval->trigger();
  }
  TcOptionsPage& page() { return *form_->tabOptions; }
  QRadioButton* Item(int index) {
    return page().grpLanguage->findChildren<QRadioButton*>().at(index);
  }
  void Pick(int index) {
    QTest::mouseClick(Item(index), Qt::LeftButton, {}, QPoint(6, Item(index)->height() / 2));
  }
  QStringList Units() {
    QStringList names;
    for (int i = 0; i < page().cbxInterval->count(); ++i) {
      names << page().cbxInterval->itemText(i);
    }
    return names;
  }

  test::ScopedHive hive_;
  std::unique_ptr<TfrmMain> form_;
};

// Before the Options page was ever shown: the first paint speaks the
// stored language.
TEST_F(LanguageGroup, AStoredEnglishAppliesFromTheStart) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Language", std::int32_t{1},
                            TFieldType::ftInteger));
  form_ = std::make_unique<TfrmMain>();
  EXPECT_EQ(form_->tabStatus->lblAction->text(), QStringLiteral("Idle..."));
  EXPECT_EQ(Units(), (QStringList{"Seconds", "Minutes", "Hours"}));
  EXPECT_EQ(page().grpLanguage->ItemIndex(), kEnglishItem);
}

TEST_F(LanguageGroup, DefaultsShowTheLanguageTheyStore) {
  Start(1);
  ASSERT_EQ(page().grpLanguage->ItemIndex(), kEnglishItem);
  form_->actSetDefaults->trigger();
  EXPECT_EQ(StoredLanguage(), 2);
  EXPECT_EQ(page().grpLanguage->ItemIndex(), kGermanItem);
  EXPECT_TRUE(Item(kGermanItem)->isChecked());
  EXPECT_EQ(Units(), (QStringList{"Sekunden", "Minuten", "Stunden"}));
  EXPECT_EQ(form_->tabStatus->lblAction->text(), QStringLiteral("Untätig..."));
}

TEST_F(LanguageGroup, ShowsTheStoredLanguage) {
  Start();
  EXPECT_TRUE(page().grpLanguage->isVisibleTo(form_.get()));
  EXPECT_EQ(page().grpLanguage->ItemIndex(), kGermanItem);
  EXPECT_TRUE(Item(kGermanItem)->isChecked());
  form_.reset();
  Start(1);
  EXPECT_EQ(page().grpLanguage->ItemIndex(), kEnglishItem);
  EXPECT_TRUE(Item(kEnglishItem)->isChecked());
}

TEST_F(LanguageGroup, EnglishSwitchesTheTextsAtOnceAndApplyStoresIt) {
  Start();
  page().cbxInterval->setCurrentIndex(1);
  ASSERT_FALSE(form_->actApply->isEnabled());
  Pick(kEnglishItem);
  EXPECT_EQ(Units(), (QStringList{"Seconds", "Minutes", "Hours"}));
  EXPECT_EQ(page().cbxInterval->currentIndex(), 1);
  EXPECT_EQ(form_->tabStatus->lblAction->text(), QStringLiteral("Idle..."));
  EXPECT_EQ(StoredLanguage(), 2);
  ASSERT_TRUE(form_->actApply->isEnabled());
  form_->actApply->trigger();
  EXPECT_EQ(StoredLanguage(), 1);
}

TEST_F(LanguageGroup, APickNotAppliedIsUndoneWhenThePageIsShownAgain) {
  Start();
  Pick(kEnglishItem);
  form_->actStatus->trigger();
  form_->actInterval->trigger();
  EXPECT_EQ(page().grpLanguage->ItemIndex(), kGermanItem);
  EXPECT_EQ(Units(), (QStringList{"Sekunden", "Minuten", "Stunden"}));
  EXPECT_EQ(StoredLanguage(), 2);
}

TEST_F(LanguageGroup, AnUnknownStoredLanguageSelectsNoItemUntilOneIsPicked) {
  Start(3);
  EXPECT_EQ(page().grpLanguage->ItemIndex(), -1);
  EXPECT_FALSE(Item(kGermanItem)->isChecked());
  EXPECT_FALSE(Item(kEnglishItem)->isChecked());
  EXPECT_EQ(Units(), (QStringList{"", "", ""}));
  Pick(kGermanItem);
  EXPECT_EQ(Units(), (QStringList{"Sekunden", "Minuten", "Stunden"}));
  form_->actApply->trigger();
  EXPECT_EQ(StoredLanguage(), 2);
}

// Every text a reader meets, by where it is: window titles, hints,
// captions, group titles, tab and column names, box items, menu entries
// and the help texts, of `root` and everything below it.
using Texts = std::map<QString, QString>;

// Texts that are data rather than words: times, the title, the address,
// the user's patterns.
const std::set<QString> kDataTexts{"lblAppTitle", "lblLastRun",   "lblNextRun", "lblDuration",
                                   "lblTime",     "kitURLLabel1", "edtPatterns"};

void Collect(const QObject& object, const QString& where, Texts& texts) {
  const auto add = [&](const QString& what, const QString& text) {
    if (!text.trimmed().isEmpty()) {
      texts[where + what] = text;
    }
  };
  if (const auto* widget = qobject_cast<const QWidget*>(&object)) {
    if (widget->isWindow()) {
      add(QStringLiteral(".title"), widget->windowTitle());
    }
    add(QStringLiteral(".hint"), widget->toolTip());
  }
  if (const auto* version = qobject_cast<const TkitVersionLabel*>(&object)) {
    // The values come from the version resource, in its one language.
    QString captions = version->text();
    for (int i = 0; i < version->VersionInfo().Count(); ++i) {
      captions.remove(version->VersionInfo().Items(i).Value());
    }
    add(QString(), captions);
  } else if (const auto* label = qobject_cast<const QLabel*>(&object)) {
    add(QString(), label->text());
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(&object)) {
    add(QString(), button->text());
  }
  if (const auto* group = qobject_cast<const QGroupBox*>(&object)) {
    add(QString(), group->title());
  }
  if (const auto* action = qobject_cast<const QAction*>(&object)) {
    add(QString(), action->text());
    add(QStringLiteral(".hint"), action->toolTip());
  }
  if (const auto* tabs = qobject_cast<const QTabWidget*>(&object)) {
    for (int i = 0; i < tabs->count(); ++i) {
      add(QStringLiteral(".tab%1").arg(i), tabs->tabText(i));
    }
  }
  if (const auto* box = qobject_cast<const QComboBox*>(&object)) {
    for (int i = 0; i < box->count(); ++i) {
      add(QStringLiteral(".item%1").arg(i), box->itemText(i));
    }
  }
  if (const auto* tree = qobject_cast<const QTreeWidget*>(&object)) {
    for (int i = 0; i < tree->columnCount(); ++i) {
      add(QStringLiteral(".column%1").arg(i), tree->headerItem()->text(i));
    }
  }
  if (const auto* memo = qobject_cast<const QPlainTextEdit*>(&object)) {
    add(QString(), memo->toPlainText());
  }
  int index = 0;
  for (const QObject* child : object.children()) {
    const QString name =
        child->objectName().isEmpty()
            ? QString::fromLatin1(child->metaObject()->className()) + QString::number(index)
            : child->objectName();
    ++index;
    if (!kDataTexts.contains(name)) {
      Collect(*child, where + QLatin1Char('/') + name, texts);
    }
  }
}

class EveryText : public LanguageGroup {
public:
  // The window with its tips, its preview and the list's menu, the
  // Advanced dialog, the folder browser and the questions the folder page
  // asks.
  Texts Walk() {
    Texts texts;
    Collect(*form_, QStringLiteral("frmMain"), texts);
    Collect(*form_->TipsForm()->kitWelcomeTips->TipWindow(), QStringLiteral("tips"), texts);
    texts[QStringLiteral("dlgFolder.label")] = form_->dlgFolder->LabelCaption();
    texts[QStringLiteral("dlgFolder.newFolder")] = form_->dlgFolder->NewFolderCaption();
    TkitFolderTree tree(RootFolderLayout(TSHFolders::foMyComputer));
    TkitFolderBrowser browser(nullptr, tree);
    form_->dlgFolder->OnInitialized()(*form_->dlgFolder, browser);
    Collect(browser, QStringLiteral("browser"), texts);

    TcDialogScript script;
    script.AnswerWith(
        [&texts](QDialog& dialog) { Collect(dialog, QStringLiteral("advanced"), texts); });
    form_->tabOptions->btnAdvanced->click();
    form_->actDeleteAll->trigger();
    form_->actRenameEntry->trigger();
    form_->btnCancel->click(); // the list changed: the question before the end
    for (std::size_t i = 0; i < script.Requests().size(); ++i) {
      const DialogRequest& asked = script.Requests()[i];
      const QString where = QStringLiteral("dialog%1").arg(i);
      for (const auto& [what, text] :
           {std::pair{".title", asked.title}, std::pair{".text", asked.text},
            std::pair{".buttons", asked.buttons.join(QLatin1Char('|'))}}) {
        if (!text.isEmpty()) {
          texts[where + QLatin1String(what)] = text;
        }
      }
    }
    return texts;
  }
};

// Every text follows a pick of the language at once, the way back too.
TEST_F(EveryText, FollowsThePickedLanguageAtOnce) {
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Show Tipps on Startup", true,
                            TFieldType::ftBoolean));
  Start(2);
  // A changed list (the end asks about it) and an entry to rename; nothing
  // is ticked, so the preview reads no folder.
  TkitCheckListBox& list = *form_->tabSelect->cbxKitDirectoryList;
  ASSERT_GT(list.ItemCount(), 1);
  list.SetItemIndex(0);
  form_->actDeleteEntry->trigger();
  list.SetItemIndex(0);
  form_->actPreview->trigger();
  ASSERT_NE(form_->TipsForm(), nullptr);
  const Texts german = Walk();

  Pick(kEnglishItem);
  const Texts english = Walk();
  // Words that are the same in both languages.
  const std::set<QString> same{"OK", "Status", "Info", "&Info", "Fegolin", "n/a"};
  const QRegularExpression germanLetters(QStringLiteral("[äöüÄÖÜß„]"));
  ASSERT_EQ(english.size(), german.size());
  for (const auto& [where, text] : english) {
    EXPECT_FALSE(text.contains(germanLetters)) << where.toStdString() << ": " << text.toStdString();
    const auto before = german.find(where);
    ASSERT_NE(before, german.end()) << where.toStdString();
    if (!same.contains(before->second)) {
      EXPECT_NE(text, before->second) << where.toStdString() << " stays German";
    }
  }

  Pick(kGermanItem);
  EXPECT_EQ(Walk(), german);
}

} // namespace
} // namespace fegolin
