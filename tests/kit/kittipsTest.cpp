// Welcome tips: the title marker, the form registry, the tip window's layout
// and the tip ini files read and written on disk.
#include "kit/kitctl32.h"
#include "kit/kitfti32.h"
#include "kit/kittips.h"

#include "tests/support/TempTree.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QFile>
#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>

#include <gtest/gtest.h>

#include <stdexcept>

namespace fegolin {
namespace {

using test::TempTree;

QString ReadText(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromUtf8(file.readAll());
}

// A tips component that records its warnings instead of showing boxes.
struct RecordingTips {
  TkitWelcomeTips tips;
  QStringList warnings;
  RecordingTips() {
    tips.SetWarningPresenter([this](const QString& text) { warnings << text; });
  }
  ~RecordingTips() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

// --- title marker -----------------------------------------------------------

struct ReplaceCase {
  const char* name;
  QString text;
  int count;
  QString expected;
};

class StrReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(StrReplaceTest, ReplacesExactCaseMarkers) {
  const ReplaceCase& c = GetParam();
  const TkitReplaceResult result = StrReplace(c.text, kAppTitleMarker, QStringLiteral("Fegolin"));
  EXPECT_EQ(result.text, c.expected);
  EXPECT_EQ(result.count, c.count);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, StrReplaceTest,
    ::testing::Values(ReplaceCase{"None", QStringLiteral("plain"), 0, QStringLiteral("plain")},
                      ReplaceCase{"TwoMarkers", QStringLiteral("#AppTitle# and #AppTitle#!"), 2,
                                  QStringLiteral("Fegolin and Fegolin!")},
                      ReplaceCase{"Adjacent", QStringLiteral("#AppTitle##AppTitle#"), 2,
                                  QStringLiteral("FegolinFegolin")},
                      ReplaceCase{"OtherCaseStays", QStringLiteral("#apptitle# #AppTitle#"), 1,
                                  QStringLiteral("#apptitle# Fegolin")},
                      ReplaceCase{"PartialMarker", QStringLiteral("#AppTitle"), 0,
                                  QStringLiteral("#AppTitle")}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(StrReplace, EmptySearchChangesNothing) {
  const TkitReplaceResult result =
      StrReplace(QStringLiteral("abc"), QString(), QStringLiteral("x"));
  EXPECT_EQ(result.text, QStringLiteral("abc"));
  EXPECT_EQ(result.count, 0);
}

// --- form registry ----------------------------------------------------------

class TkitsfTipVariant : public TkitsfTip {
  Q_OBJECT
public:
  explicit TkitsfTipVariant(QObject* owner) : TkitsfTip(owner) {}
};

class NotATipWindow : public QWidget {
  Q_OBJECT
public:
  explicit NotATipWindow(QObject* /*owner*/) {}
};

class FormFactoryTest : public ::testing::Test {
protected:
  ~FormFactoryTest() override { FormFactory().RegisterForm(FormClassOf<TkitsfTip>()); }
};

TEST_F(FormFactoryTest, RejectsAFormOfAnotherLineage) {
  try {
    FormFactory().RegisterForm(TkitsfTip::staticMetaObject, FormClassOf<NotATipWindow>());
    FAIL() << "expected an error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Form Factory error: NotATipWindow does not inherit from TkitsfTip");
  }
  EXPECT_EQ(FormFactory().FindForm(TkitsfTip::staticMetaObject)->meta,
            &TkitsfTip::staticMetaObject);
}

TEST_F(FormFactoryTest, ADescendantReplacesTheKitWindow) {
  FormFactory().RegisterForm(TkitsfTip::staticMetaObject, FormClassOf<TkitsfTipVariant>());
  RecordingTips host;
  host.tips.ShowTips();
  EXPECT_NE(qobject_cast<TkitsfTipVariant*>(host.tips.TipWindow()), nullptr);

  FormFactory().UnregisterForm(TkitsfTip::staticMetaObject);
  EXPECT_EQ(FormFactory().FindForm(TkitsfTip::staticMetaObject), nullptr);
  EXPECT_EQ(FormFactory().CreateForm(TkitsfTip::staticMetaObject, &host.tips), nullptr);
}

TEST(TkitsfTip, RefusesAnOwnerThatIsNoTipsComponent) {
  QObject stranger;
  try {
    TkitsfTip window(&stranger);
    FAIL() << "expected an error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "This component must be owned by TkitCustomWelcomeTips");
  }
}

// --- the window --------------------------------------------------------------

TEST(TipWindow, DefaultsGiveTheStoredLayout) {
  RecordingTips host;
  host.tips.ShowTips();
  TkitsfTip* window = host.tips.TipWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Welcome"));
  EXPECT_EQ(window->lblGreeting->text(), QStringLiteral("Welcome to Fegolin"));
  EXPECT_EQ(window->chkShowNext->text(),
            QStringLiteral("&Show this Welcome Screen the next time you start Fegolin"));
  EXPECT_FALSE(window->btnHelp->isVisibleTo(window));
  EXPECT_FALSE(window->btnWhatsNew->isVisibleTo(window));
  EXPECT_TRUE(window->btnNext->isVisibleTo(window));
  EXPECT_EQ(window->width(), 486);
  EXPECT_EQ(window->height(), 41 + 180 + 40);
  EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(TipWindow, ProgressPanelAndTallGreetingGrowTheWindow) {
  RecordingTips host;
  host.tips.SetCaptionGreeting({QStringLiteral("Line one"), QStringLiteral("Line two")});
  host.tips.ShowTips();
  TkitsfTip* window = host.tips.TipWindow();
  const int top = window->lblGreeting->y() + window->lblGreeting->height() + 2;
  ASSERT_GT(top, 41);
  EXPECT_EQ(window->pnlTop->height(), top);
  EXPECT_EQ(window->height(), top + 180 + 40);

  host.tips.SetShowProgress(true);
  EXPECT_EQ(window->height(), top + 180 + 40 + 54);
  host.tips.SetProgressPos(30);
  host.tips.StepProgress();
  EXPECT_EQ(window->ProgressBar->value(), 40);
  host.tips.SetCaptionProgress(QStringLiteral("#AppTitle# lädt"));
  EXPECT_EQ(window->lblProgress->text(), QStringLiteral("Fegolin lädt"));
}

TEST(TipWindow, GreetingIsAMultiLineLabelWithoutTrailingLineBreaks) {
  RecordingTips host;
  host.tips.SetCaptionGreeting(
      {QStringLiteral("Hello #AppTitle#"), QStringLiteral("there"), QString()});
  host.tips.ShowTips();
  TkitsfTip* window = host.tips.TipWindow();
  EXPECT_EQ(window->lblGreeting->Caption(), QStringLiteral("Hello Fegolin\r\nthere"));
  const int twoLines = window->height();

  host.tips.SetCaptionGreeting({kit_tips_defaults::Greeting, QString(), QString()});
  host.tips.ShowTips();
  EXPECT_EQ(host.tips.TipWindow()->lblGreeting->Caption(), QStringLiteral("Welcome to Fegolin"));
  EXPECT_EQ(host.tips.TipWindow()->height(), 41 + 180 + 40);
  EXPECT_GT(twoLines, 41 + 180 + 40);
}

TEST(TipWindow, CloseButtonFreesTheWindowAndTheComponentForgetsIt) {
  RecordingTips host;
  host.tips.ShowTips();
  QPointer<TkitsfTip> window = host.tips.TipWindow();
  QTest::mouseClick(window->btnClose, Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
  EXPECT_EQ(host.tips.TipWindow(), nullptr);
}

TEST(TipWindow, EscapeFreesTheWindow) {
  RecordingTips host;
  host.tips.ShowTips();
  QPointer<TkitsfTip> window = host.tips.TipWindow();
  QTest::keyClick(window, Qt::Key_Escape);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window.isNull());
}

TEST(TipWindow, HandlerPathKeepsTheIndexForTheHandler) {
  RecordingTips host;
  QList<int> seen;
  host.tips.SetOnGetTip([&](TkitCustomWelcomeTips&, int& index, QString& text) {
    seen << index;
    text = QStringLiteral("Tip %1").arg(index++);
  });
  host.tips.ShowTips();
  QTest::mouseClick(host.tips.TipWindow()->btnNext, Qt::LeftButton);
  EXPECT_EQ(seen, (QList<int>{0, 1}));
  EXPECT_EQ(host.tips.TipWindow()->lblTip->text(), QStringLiteral("Tip 1"));
}

TEST(TipWindow, WithoutHandlerOrFileNothingShows) {
  RecordingTips host;
  EXPECT_FALSE(host.tips.GetShowOnStartup());
  host.tips.Loaded();
  EXPECT_EQ(host.tips.TipWindow(), nullptr);
  EXPECT_TRUE(host.warnings.isEmpty());
}

// --- tip ini files -----------------------------------------------------------

struct IniCase {
  const char* name;
  const char* ini;
  QString firstTip;
  int storedNext;
};

class TipIniTest : public ::testing::TestWithParam<IniCase> {};

TEST_P(TipIniTest, FirstTipAndStoredNumber) {
  const IniCase& c = GetParam();
  TempTree tree;
  const auto ini = tree.file("tips.ini", c.ini);
  RecordingTips host;
  host.tips.SetIniFileName(QString::fromStdString(ini.string()));
  host.tips.ShowTips();
  ASSERT_NE(host.tips.TipWindow(), nullptr);
  EXPECT_EQ(host.tips.TipWindow()->lblTip->text(), c.firstTip);
  EXPECT_TRUE(ReadText(ini).contains(QStringLiteral("NextTip=%1").arg(c.storedNext)));
}

constexpr const char* kThreeTips = "[TIP TEXT]\nTip1=first\nTip2=second\nTip3=third\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, TipIniTest,
    ::testing::Values(
        IniCase{"NextTipPastTheEndWraps",
                "[TIPS]\nNextTip=5\n[TIP TEXT]\nTip1=first\nTip2=second\nTip3=third\n",
                QStringLiteral("first"), 2},
        IniCase{"NoNextTipStartsAtOne", kThreeTips, QStringLiteral("first"), 2},
        IniCase{"NextTipContinues",
                "[TIPS]\nNextTip=3\n[TIP TEXT]\nTip1=first\nTip2=second\nTip3=third\n",
                QStringLiteral("third"), 4},
        IniCase{"NoTipsAtAll", "[TIPS]\nShowOnStartup=1\n", QString(), 2},
        IniCase{"EmptyTipWraps", "[TIPS]\nNextTip=2\n[TIP TEXT]\nTip1=first\nTip2=\n",
                QStringLiteral("first"), 2},
        // Values lose one pair of matching quotes around them, numbers too.
        IniCase{"DoubleQuotesGo", "[TIP TEXT]\nTip1=\"  padded \"\n", QStringLiteral("  padded "),
                2},
        IniCase{"SingleQuotesGo", "[TIPS]\nNextTip='2'\n[TIP TEXT]\nTip1=one\nTip2='two'\n",
                QStringLiteral("two"), 3},
        IniCase{"UnmatchedQuotesStay", "[TIP TEXT]\nTip1=\"mixed'\n", QStringLiteral("\"mixed'"),
                2},
        IniCase{"LoneQuoteStays", "[TIP TEXT]\nTip1=\"\n", QStringLiteral("\""), 2}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(TipIni, NextTipWalksThroughAndWrapsAround) {
  TempTree tree;
  const auto ini = tree.file("tips.ini", kThreeTips);
  RecordingTips host;
  host.tips.SetIniFileName(QString::fromStdString(ini.string()));
  host.tips.ShowTips();
  QStringList shown{host.tips.TipWindow()->lblTip->text()};
  for (int i = 0; i < 3; ++i) {
    QTest::mouseClick(host.tips.TipWindow()->btnNext, Qt::LeftButton);
    shown << host.tips.TipWindow()->lblTip->text();
  }
  EXPECT_EQ(shown, (QStringList{"first", "second", "third", "first"}));
}

TEST(TipIni, WritesKeepTheRestOfTheFile) {
  TempTree tree;
  const auto ini =
      tree.file("tips.ini", "; tips of the day\n[Other]\nColour=blue\n\n; shown at start\n[TIPS]\n"
                            "ShowOnStartup=1\nNextTip=1\n[TIP TEXT]\n; the only tip\nTip1=one\n");
  RecordingTips host;
  host.tips.SetIniFileName(QString::fromStdString(ini.string()));
  host.tips.ShowTips();
  QTest::mouseClick(host.tips.TipWindow()->chkShowNext, Qt::LeftButton);

  const QString text = ReadText(ini);
  for (const char* kept : {"; tips of the day", "[Other]", "Colour=blue", "; shown at start",
                           "; the only tip", "Tip1=one", "NextTip=2", "ShowOnStartup=0"}) {
    EXPECT_TRUE(text.contains(QLatin1String(kept))) << kept << " missing from\n"
                                                    << text.toStdString();
  }
  EXPECT_FALSE(host.tips.GetShowOnStartup());
}

TEST(TipIni, SharedFileSuppliesTextsAndStaysUntouched) {
  TempTree tree;
  const auto ini =
      tree.file("tips.ini", "[TIPS]\nNextTip=2\n[TIP TEXT]\nTip1=local one\nTip2=local two\n");
  const char* sharedText = "[TIP TEXT]\nTip1=shared one\nTip2=shared two\n";
  const auto shared = tree.file("shared.ini", sharedText);
  RecordingTips host;
  host.tips.SetIniFileName(QString::fromStdString(ini.string()));
  host.tips.SetSharedTipFileName(QString::fromStdString(shared.string()));
  host.tips.ShowTips();
  EXPECT_EQ(host.tips.TipWindow()->lblTip->text(), QStringLiteral("shared two"));
  EXPECT_TRUE(ReadText(ini).contains(QLatin1String("NextTip=3")));
  EXPECT_EQ(ReadText(shared), QString::fromUtf8(sharedText));
}

TEST(TipIni, MissingFilesAreReportedAndSkipped) {
  TempTree tree;
  const QString missingIni = QString::fromStdString(tree.path("none.ini").string());
  const QString missingShared = QString::fromStdString(tree.path("shared.ini").string());
  RecordingTips host;
  host.tips.SetIniFileName(missingIni);
  host.tips.SetSharedTipFileName(missingShared);
  EXPECT_FALSE(host.tips.GetShowOnStartup());
  EXPECT_EQ(
      host.warnings,
      (QStringList{QStringLiteral("Ini File \"%1\" was not found.").arg(missingIni),
                   QStringLiteral("Shared Tip File \"%1\" was not found.").arg(missingShared)}));
  EXPECT_FALSE(host.tips.TipFileOpen());
}

TEST(TipIni, AFolderIsNoTipFile) {
  TempTree tree;
  const QString folder = QString::fromStdString(tree.dir("tips.ini").string());
  const QString sharedFolder = QString::fromStdString(tree.dir("shared.ini").string());
  RecordingTips host;
  host.tips.SetIniFileName(folder);
  host.tips.SetSharedTipFileName(sharedFolder);
  host.tips.OpenTipFiles();
  EXPECT_FALSE(host.tips.TipFileOpen());
  EXPECT_FALSE(host.tips.SharedTipFileOpen());
  EXPECT_EQ(
      host.warnings,
      (QStringList{QStringLiteral("Ini File \"%1\" was not found.").arg(folder),
                   QStringLiteral("Shared Tip File \"%1\" was not found.").arg(sharedFolder)}));
}

TEST(TipIni, SharedFileWithoutIniFileOpensNothing) {
  TempTree tree;
  const auto shared = tree.file("shared.ini", "[TIP TEXT]\nTip1=x\n");
  RecordingTips host;
  host.tips.SetSharedTipFileName(QString::fromStdString(shared.string()));
  host.tips.OpenTipFiles();
  EXPECT_FALSE(host.tips.SharedTipFileOpen());
  EXPECT_TRUE(host.warnings.isEmpty());
}

TEST(TipIni, LocalNameIsLookedForBesideTheExecutable) {
  RecordingTips host;
  host.tips.SetIniLocal(true);
  host.tips.SetIniFileName(QStringLiteral("kittipsTest-absent.ini"));
  host.tips.OpenTipFiles();
  ASSERT_EQ(host.warnings.size(), 1);
  EXPECT_EQ(host.warnings.front(),
            QStringLiteral("Ini File \"%1/kittipsTest-absent.ini\" was not found.")
                .arg(QCoreApplication::applicationDirPath()));
}

TEST(TipIni, ClosingTheWindowClosesTheFiles) {
  TempTree tree;
  const auto ini = tree.file("tips.ini", kThreeTips);
  RecordingTips host;
  host.tips.SetIniFileName(QString::fromStdString(ini.string()));
  host.tips.ShowTips();
  EXPECT_TRUE(host.tips.TipFileOpen());
  host.tips.TipWindow()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(host.tips.TipFileOpen());
}

// --- word-wrapping check box ---------------------------------------------------

TEST(TkitCheckBox, LongCaptionWrapsWithinItsWidth) {
  TkitCheckBox box(
      QStringLiteral("&Dieses Tippfenster beim nächsten Programmstart von Fegolin anzeigen"),
      nullptr);
  const int oneLine = box.fontMetrics().height();
  EXPECT_GE(box.heightForWidth(200), 2 * oneLine);
  box.SetWordWrap(false);
  EXPECT_LT(box.heightForWidth(200), 2 * oneLine);
}

TEST(TkitCheckBox, AlignmentFollowsBothProperties) {
  TkitCheckBox box;
  EXPECT_EQ(box.CaptionAlignment(), Qt::AlignLeft | Qt::AlignTop);
  box.SetAlignHorz(TkitHAlignment::taCenter);
  box.SetAlignVert(TkitVAlignment::vaBottom);
  EXPECT_EQ(box.CaptionAlignment(), Qt::AlignHCenter | Qt::AlignBottom);
  box.SetAlignHorz(TkitHAlignment::taRightJustify);
  box.SetAlignVert(TkitVAlignment::vaCenter);
  EXPECT_EQ(box.CaptionAlignment(), Qt::AlignRight | Qt::AlignVCenter);
}

TEST(TkitCheckBox, ClickAnywhereOnTheCaptionToggles) {
  TkitCheckBox box(QStringLiteral("Caption"), nullptr);
  box.resize(300, 32);
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(250, 25));
  EXPECT_TRUE(box.isChecked());
}

} // namespace
} // namespace fegolin

#include "kittipsTest.moc"
