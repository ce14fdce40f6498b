// The tips host: its German captions on the tip window and the registry flag
// that the window's check box keeps.
#include "app/ufrmTipps.h"

#include "common/uCommon.h"
#include "kit/kitctl32.h"
#include "kit/kitfti32.h"
#include "kit/kittips.h"
#include "settings/uTcSettings.h"
#include "tests/support/ScopedHive.h"

#include <QtCore/QCoreApplication>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>

#include <gtest/gtest.h>

namespace fegolin {
namespace {

constexpr std::string_view kShowTipps = "Show Tipps on Startup";

RegVariant StoredFlag() {
  return ReadRegValue(kCurrentUserRoot, kRegKeyApp, kShowTipps, TFieldType::ftInteger);
}

class TfrmTippsTest : public ::testing::Test {
protected:
  ~TfrmTippsTest() override {
    delete form;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  test::ScopedHive hive;
  QWidget owner;
  TfrmTipps* form = nullptr;
};

TEST_F(TfrmTippsTest, ShowsTheGermanWindowWhenTheFlagIsOn) {
  WriteRegValue(kCurrentUserRoot, kRegKeyApp, kShowTipps, true, TFieldType::ftBoolean);
  form = new TfrmTipps(&owner);
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Tipps"));

  TkitsfTip* window = form->kitWelcomeTips->TipWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(window->isModal());
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Willkommen"));
  EXPECT_EQ(window->lblGreeting->text(), QStringLiteral("Willkommen bei Fegolin"));
  EXPECT_EQ(window->lblDidYouKnow->text(), QStringLiteral("Wussten Sie, dass..."));
  EXPECT_EQ(window->lblTip->text(), QString());
  EXPECT_EQ(window->chkShowNext->text(),
            QStringLiteral("&Dieses Tippfenster beim nächsten Programmstart von Fegolin anzeigen"));
  EXPECT_TRUE(window->chkShowNext->isChecked());
  EXPECT_TRUE(window->btnNext->isVisibleTo(window));
  EXPECT_TRUE(window->btnClose->isVisibleTo(window));
  EXPECT_FALSE(window->btnHelp->isVisibleTo(window));
  EXPECT_EQ(window->height(), 261);
}

TEST_F(TfrmTippsTest, TheCheckBoxWritesTheFlagAsAnInteger) {
  WriteRegValue(kCurrentUserRoot, kRegKeyApp, kShowTipps, true, TFieldType::ftBoolean);
  form = new TfrmTipps(&owner);
  TkitsfTip* window = form->kitWelcomeTips->TipWindow();
  ASSERT_NE(window, nullptr);

  QTest::mouseClick(window->chkShowNext, Qt::LeftButton);
  EXPECT_EQ(StoredFlag(), RegVariant(std::int32_t{0}));
  QTest::mouseClick(window->chkShowNext, Qt::LeftButton);
  EXPECT_EQ(StoredFlag(), RegVariant(std::int32_t{-1}));
  EXPECT_TRUE(ReadBoolOption(Option::ShowTipps));
}

TEST_F(TfrmTippsTest, NextTipLeavesTheTipEmpty) {
  form = new TfrmTipps(&owner); // a missing flag reads as true and is stored
  TkitsfTip* window = form->kitWelcomeTips->TipWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(ReadRegValue(kCurrentUserRoot, kRegKeyApp, kShowTipps, TFieldType::ftBoolean),
            RegVariant(true));
  QTest::mouseClick(window->btnNext, Qt::LeftButton);
  EXPECT_EQ(window->lblTip->text(), QString());
  EXPECT_EQ(form->kitWelcomeTips->TipIndex(), 0);
}

TEST_F(TfrmTippsTest, FlagOffShowsNothing) {
  WriteRegValue(kCurrentUserRoot, kRegKeyApp, kShowTipps, false, TFieldType::ftBoolean);
  form = new TfrmTipps(&owner);
  EXPECT_EQ(form->kitWelcomeTips->TipWindow(), nullptr);
}

TEST_F(TfrmTippsTest, TheWindowGoesWithItsHost) {
  form = new TfrmTipps(&owner);
  QPointer<TkitsfTip> window = form->kitWelcomeTips->TipWindow();
  ASSERT_FALSE(window.isNull());
  delete form;
  form = nullptr;
  EXPECT_TRUE(window.isNull());
}

} // namespace
} // namespace fegolin
