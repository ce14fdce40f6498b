// The language group of the Options page on the real window and the real
// hive: a pick changes the run-time texts at once and Apply stores it.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uRadioGroup.h"
#include "app/pages/uStatusPage.h"
#include "common/uCommon.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace fegolin {
namespace {

constexpr int kGermanItem = 0;
constexpr int kEnglishItem = 1;

std::optional<std::int32_t> StoredLanguage() {
  const RegVariant value = ReadRegValue(kCurrentUserRoot, kRegKeyApp, "Language", TFieldType::ftInteger);
  const auto* number = std::get_if<std::int32_t>(&value);
  return number != nullptr ? std::optional(*number) : std::nullopt;
}

class LanguageGroup : public ::testing::Test {
public:
  void SetUp() override { TfrmMain first; }

  void Start(std::optional<std::int32_t> stored = std::nullopt) {
    if (stored) {
      ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Language", *stored, TFieldType::ftInteger));
    }
    form_ = std::make_unique<TfrmMain>();
    form_->actInterval->trigger();
  }
  TcOptionsPage& page() { return *form_->tabOptions; }
  QRadioButton* Item(int index) { return page().grpLanguage->findChildren<QRadioButton*>().at(index); }
  void Pick(int index) { QTest::mouseClick(Item(index), Qt::LeftButton, {}, QPoint(6, Item(index)->height() / 2)); }
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
  ASSERT_TRUE(WriteRegValue(kCurrentUserRoot, kRegKeyApp, "Language", std::int32_t{1}, TFieldType::ftInteger));
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

} // namespace
} // namespace fegolin
