#include "kit/kitlabel.h"

#include "platform/Registry.h"
#include "tests/support/TempTree.h"

#include <QCursor>
#include <QDesktopServices>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <QWindow>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace fegolin {
namespace {

using Effect = TkitLabelMouseEffect;

// ---------------------------------------------------------------------------
// The browser command line
// ---------------------------------------------------------------------------

struct CommandCase {
  const char* name;
  const char* openCommand;
  const char* url;
  const char* expected;
};

class BuildBrowserCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(BuildBrowserCommandTest, CutsAtThePlaceholderAndAppendsTheUrl) {
  const auto& c = GetParam();
  EXPECT_EQ(BuildBrowserCommand(c.openCommand, c.url), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildBrowserCommandTest,
    ::testing::Values(
        CommandCase{"QuotedPlaceholderLeavesTwoSpaces",
                    R"("C:\Program Files\Browser\browser.exe" "%1")", "http://norvalt.example",
                    R"("C:\Program Files\Browser\browser.exe"  http://norvalt.example)"},
        CommandCase{"BarePlaceholder", "browser -new %1", "http://a.example/x",
                    "browser -new  http://a.example/x"},
        CommandCase{"NoPlaceholderAppendsToTheWholeCommand", "browser -nohome", "http://a.example",
                    "browser -nohome http://a.example"},
        CommandCase{"TextAfterThePlaceholderIsDropped", R"(browser "%1" -remote)",
                    "http://a.example", "browser  http://a.example"},
        CommandCase{"QuotedFormIsLookedForFirst", R"(browser %1 "%1")", "u", "browser %1  u"},
        CommandCase{"UrlIsNotQuoted", "browser", "http://a.example/a b",
                    "browser http://a.example/a b"},
        CommandCase{"EmptyUrlLeavesASingleSpace", "browser", "", "browser "}),
    [](const auto& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------
// Effect sets
// ---------------------------------------------------------------------------

struct EffectsCase {
  const char* name;
  TkitLabelMouseEffects current;
  TkitLabelMouseEffects proposed;
  TkitLabelMouseEffects expected;
};

class NormalizeMouseEffectsTest : public ::testing::TestWithParam<EffectsCase> {};

TEST_P(NormalizeMouseEffectsTest, ColourAndHaloExcludeEachOther) {
  const auto& c = GetParam();
  EXPECT_EQ(NormalizeMouseEffects(c.current, c.proposed), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizeMouseEffectsTest,
    ::testing::Values(EffectsCase{"BothAtOnceKeepsHalo",
                                  {},
                                  {Effect::almColor, Effect::almColorShadow},
                                  {Effect::almColorShadow}},
                      EffectsCase{"AddingHaloDropsColour",
                                  {Effect::almColor, Effect::almSound},
                                  {Effect::almColor, Effect::almColorShadow, Effect::almSound},
                                  {Effect::almColorShadow, Effect::almSound}},
                      EffectsCase{"AddingColourDropsHalo",
                                  {Effect::almColorShadow},
                                  {Effect::almColor, Effect::almColorShadow, Effect::almUnderline},
                                  {Effect::almColor, Effect::almUnderline}},
                      EffectsCase{"OtherSetsStayAsGiven",
                                  {Effect::almColor},
                                  {Effect::almUnderline, Effect::almSound},
                                  {Effect::almUnderline, Effect::almSound}}),
    [](const auto& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------
// Mouse tracking
// ---------------------------------------------------------------------------

class RecordingWaveList final : public TkitCustomWaveList {
public:
  void Play(std::uint16_t index) override { played.push_back(index); }
  std::vector<std::uint16_t> played;
};

// A shown window with the label at (20, 20). Pointer and buttons go through
// the window system, so Qt works out enter, leave and the grab while a button
// is held as for a real pointer. Points are in window coordinates.
template <typename Label> class LabelWindow {
public:
  LabelWindow() {
    window.resize(200, 100);
    label = new Label(&window);
    label->setText(QStringLiteral("norvalt.example"));
    label->setGeometry(20, 20, 120, 30);
    // The pointer starts off the label, whatever the previous test left.
    QCursor::setPos(window.mapToGlobal(Outside()));
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    MoveTo(Outside());
  }
  [[nodiscard]] QPoint Inside() const { return label->geometry().center(); }
  [[nodiscard]] static QPoint Outside() { return {5, 80}; }
  // Moving the cursor is what QTest::mouseMove does for widgets too; it also
  // keeps QCursor::pos() true for code that asks where the pointer is.
  void MoveTo(QPoint point) {
    QCursor::setPos(window.mapToGlobal(point));
    QCoreApplication::processEvents();
  }
  void Press(QPoint point) { QTest::mousePress(Handle(), Qt::LeftButton, {}, point); }
  void Release(QPoint point) { QTest::mouseRelease(Handle(), Qt::LeftButton, {}, point); }
  void Click(QPoint point) { QTest::mouseClick(Handle(), Qt::LeftButton, {}, point); }

  QWidget window;
  Label* label;

private:
  QWindow* Handle() { return window.windowHandle(); }
};

TEST(TkitMouseLabel, HoverFollowsThePointer) {
  LabelWindow<TkitMouseLabel> w;
  QSignalSpy entered(w.label, &TkitMouseLabel::OnMouseEnter);
  QSignalSpy left(w.label, &TkitMouseLabel::OnMouseLeave);

  w.MoveTo(w.Inside());
  EXPECT_TRUE(w.label->IsHovered());
  EXPECT_EQ(entered.count(), 1);

  w.MoveTo(w.Outside());
  EXPECT_FALSE(w.label->IsHovered());
  EXPECT_EQ(left.count(), 1);
}

TEST(TkitMouseLabel, PressAndReleaseOnTheLabelClicks) {
  LabelWindow<TkitMouseLabel> w;
  QSignalSpy clicks(w.label, &TkitMouseLabel::OnClick);
  w.MoveTo(w.Inside());

  w.Press(w.Inside());
  EXPECT_TRUE(w.label->IsPressed());
  w.Release(w.Inside());
  EXPECT_FALSE(w.label->IsPressed());
  EXPECT_TRUE(w.label->IsHovered());
  EXPECT_EQ(clicks.count(), 1);
}

TEST(TkitMouseLabel, DraggingOffBeforeReleaseDropsPressAndHoverWithoutClick) {
  LabelWindow<TkitMouseLabel> w;
  QSignalSpy clicks(w.label, &TkitMouseLabel::OnClick);
  w.MoveTo(w.Inside());

  w.Press(w.Inside());
  w.MoveTo(w.Outside());
  w.Release(w.Outside());
  EXPECT_FALSE(w.label->IsPressed());
  EXPECT_FALSE(w.label->IsHovered());
  EXPECT_EQ(clicks.count(), 0);
}

TEST(TkitMouseLabel, DisabledLabelKeepsItsPlainLook) {
  LabelWindow<TkitMouseLabel> w;
  QSignalSpy clicks(w.label, &TkitMouseLabel::OnClick);
  w.label->setEnabled(false);

  w.MoveTo(w.Inside());
  EXPECT_FALSE(w.label->IsHovered());
  w.Click(w.Inside());
  EXPECT_FALSE(w.label->IsPressed());
  EXPECT_EQ(clicks.count(), 0);

  // Enabled again under the pointer, it takes up the hover look at once.
  w.label->setEnabled(true);
  EXPECT_TRUE(w.label->IsHovered());
}

TEST(TkitMouseLabel, DisablingWhilePressedDropsThePress) {
  LabelWindow<TkitMouseLabel> w;
  w.MoveTo(w.Inside());
  w.Press(w.Inside());
  ASSERT_TRUE(w.label->IsPressed());
  w.label->setEnabled(false);
  EXPECT_FALSE(w.label->IsPressed());
  w.Release(w.Inside());
}

TEST(TkitMouseLabel, SoundsPlayThroughTheAttachedList) {
  LabelWindow<TkitMouseLabel> w;
  auto* sounds = new RecordingWaveList;
  w.label->SetSoundList(sounds);
  w.label->SetSoundOver(3);
  w.label->SetSoundDown(7);

  w.MoveTo(w.Inside());
  w.Click(w.Inside());
  EXPECT_EQ(sounds->played, (std::vector<std::uint16_t>{3, 7}));

  // Without almSound among the effects the list stays silent.
  w.MoveTo(w.Outside());
  w.label->SetMouseOverEffects({Effect::almUnderline});
  w.label->SetMouseDownEffects({Effect::almColor});
  w.MoveTo(w.Inside());
  w.Click(w.Inside());
  EXPECT_EQ(sounds->played.size(), 2u);

  // A destroyed list is forgotten, not played into.
  delete sounds;
  EXPECT_EQ(w.label->SoundList(), nullptr);
  w.label->SetMouseOverEffects({Effect::almSound});
  w.MoveTo(w.Outside());
  w.MoveTo(w.Inside());
  EXPECT_TRUE(w.label->IsHovered());
}

TEST(TkitMouseLabel, SettingBothColourEffectsKeepsTheHalo) {
  TkitMouseLabel label;
  label.SetMouseOverEffects({Effect::almColor, Effect::almColorShadow});
  EXPECT_EQ(label.MouseOverEffects(), TkitLabelMouseEffects(Effect::almColorShadow));
}

// ---------------------------------------------------------------------------
// The link label
// ---------------------------------------------------------------------------

// Takes the place of the desktop's URL handler for one scheme while alive.
class UrlCatcher final : public QObject {
  Q_OBJECT

public:
  explicit UrlCatcher(const QString& scheme) : scheme_(scheme) {
    QDesktopServices::setUrlHandler(scheme_, this, "Catch");
  }
  ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(scheme_); }

  QList<QUrl> caught;
  std::function<void()> onCatch;

public slots:
  void Catch(const QUrl& url) {
    caught.append(url);
    if (onCatch) {
      onCatch();
    }
  }

private:
  QString scheme_;
};

TEST(TkitURLLabel, ClickRaisesOnClickThenOpensTheUrl) {
  UrlCatcher browser(QStringLiteral("https"));
  LabelWindow<TkitURLLabel> w;
  w.label->SetURL(QStringLiteral("https://norvalt.example/fegolin"));
  int opensBeforeOnClick = -1;
  QObject::connect(w.label, &TkitURLLabel::OnClick,
                   [&] { opensBeforeOnClick = static_cast<int>(browser.caught.size()); });

  w.Click(w.Inside());
  EXPECT_EQ(opensBeforeOnClick, 0);
  ASSERT_EQ(browser.caught.size(), 1);
  EXPECT_EQ(browser.caught.front(), QUrl(QStringLiteral("https://norvalt.example/fegolin")));
}

TEST(TkitURLLabel, DisabledLabelOpensNothing) {
  UrlCatcher browser(QStringLiteral("https"));
  LabelWindow<TkitURLLabel> w;
  w.label->SetURL(QStringLiteral("https://norvalt.example/"));
  w.label->setEnabled(false);
  w.Click(w.Inside());
  EXPECT_TRUE(browser.caught.isEmpty());
}

TEST(TkitURLLabel, AddressWithoutSchemeOpensAsWebAddress) {
  UrlCatcher browser(QStringLiteral("http"));
  EXPECT_TRUE(OpenURL(QStringLiteral("www.norvalt.example")));
  ASSERT_EQ(browser.caught.size(), 1);
  EXPECT_EQ(browser.caught.front().host(), QStringLiteral("www.norvalt.example"));
}

// Counts the pixels of one colour, give or take the edges of antialiased text.
int CountPixels(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (std::abs(pixel.red() - colour.red()) < 24 &&
          std::abs(pixel.green() - colour.green()) < 24 &&
          std::abs(pixel.blue() - colour.blue()) < 24) {
        ++count;
      }
    }
  }
  return count;
}

TEST(TkitURLLabel, PressedLabelIsDrawnPurpleAndHoveredOneUnderlined) {
  LabelWindow<TkitURLLabel> w;
  QFont big = w.label->font();
  big.setPixelSize(24);
  big.setBold(true);
  w.label->setFont(big);
  w.label->setText(QStringLiteral("HHHH"));
  const QColor blue(0, 0, 255);
  const QColor purple(0x80, 0x00, 0x80);

  const QImage plain = w.label->grab().toImage();
  EXPECT_GT(CountPixels(plain, blue), 0);
  EXPECT_EQ(CountPixels(plain, purple), 0);

  w.MoveTo(w.Inside());
  const QImage hovered = w.label->grab().toImage();
  // The underline adds a run of blue at least as long as the text is wide.
  EXPECT_GT(CountPixels(hovered, blue), CountPixels(plain, blue) + 30);

  w.Press(w.Inside());
  const QImage pressed = w.label->grab().toImage();
  EXPECT_EQ(CountPixels(pressed, blue), 0);
  EXPECT_EQ(CountPixels(pressed, purple), CountPixels(plain, blue));
  w.Release(w.Outside());
}

// The browser registered for ".htm" files in the registry wins over the
// desktop's handler when it can be started.
class RegisteredBrowser : public ::testing::Test {
protected:
  static void SetDefault(std::string_view key, std::string_view text) {
    const auto opened = platform::OpenKey(platform::ProcessRegistry(), platform::kRegClassesRoot,
                                          key, platform::RegOpenMode::Create);
    ASSERT_NE(opened, nullptr) << platform::ProcessRegistry().Problem();
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    ASSERT_EQ(opened->SetValue("", platform::kRegSz, bytes), platform::RegStatus::Ok);
  }
  void TearDown() override {
    const auto root = platform::ProcessRegistry().OpenRoot(platform::kRegClassesRoot);
    ASSERT_NE(root, nullptr);
    platform::DeleteKeyTree(*root, ".htm");
    platform::DeleteKeyTree(*root, "FegolinTestPage");
  }
};

TEST_F(RegisteredBrowser, ItsOpenCommandIsStartedWithTheUrl) {
  test::TempTree tree;
  const auto opened = tree.path("opened");
  SetDefault(".htm", "FegolinTestPage");
  SetDefault("FegolinTestPage\\shell\\open\\command", "/usr/bin/touch \"%1\"");
  UrlCatcher desktop(QStringLiteral("file"));

  EXPECT_TRUE(OpenURL(QString::fromStdString(opened.string())));
  EXPECT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(opened); }, 30000));
  EXPECT_TRUE(desktop.caught.isEmpty());
}

TEST_F(RegisteredBrowser, CommandThatCannotStartFallsBackToTheDesktop) {
  SetDefault(".htm", "FegolinTestPage");
  SetDefault("FegolinTestPage\\shell\\open\\command", "/nonexistent/browser \"%1\"");
  UrlCatcher desktop(QStringLiteral("https"));
  EXPECT_TRUE(OpenURL(QStringLiteral("https://norvalt.example/")));
  EXPECT_EQ(desktop.caught.size(), 1);
}

TEST_F(RegisteredBrowser, ClassesRootDefaultsAreReadWithoutCreatingKeys) {
  SetDefault(".htm", "FegolinTestPage");
  EXPECT_EQ(ReadClassesRootDefault(".htm"), "FegolinTestPage");
  EXPECT_EQ(ReadClassesRootDefault("FegolinTestPage\\shell\\open\\command"), "");
  EXPECT_EQ(platform::OpenKey(platform::ProcessRegistry(), platform::kRegClassesRoot,
                              "FegolinTestPage", platform::RegOpenMode::Open),
            nullptr);
}

// ---------------------------------------------------------------------------
// The multi-line label
// ---------------------------------------------------------------------------

struct LinesCase {
  const char* name;
  QStringList lines;
  QString caption;
};

class MultilineCaptionTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(MultilineCaptionTest, CaptionIsTheLinesWithoutTrailingBreaks) {
  TkitMultilineLabel label;
  label.SetLines(GetParam().lines);
  EXPECT_EQ(label.Caption(), GetParam().caption);
  EXPECT_FALSE(label.Caption().endsWith(QStringLiteral("\r\n")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MultilineCaptionTest,
    ::testing::Values(LinesCase{"Empty", {}, ""}, LinesCase{"OneLine", {"Hallo"}, "Hallo"},
                      LinesCase{"TrailingEmptyLineDropped", {"Hallo", ""}, "Hallo"},
                      LinesCase{"SeveralTrailingEmptyLinesDropped", {"a", "", "", ""}, "a"},
                      LinesCase{
                          "InnerAndLeadingEmptyLinesKept", {"", "a", "", "b"}, "\r\na\r\n\r\nb"},
                      LinesCase{"BreaksInsideALastLineDropped", {"a", "b\r\n\r\n"}, "a\r\nb"},
                      LinesCase{"OnlyEmptyLines", {"", ""}, ""}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TkitMultilineLabel, SizesItselfToItsLinesAndReportsIt) {
  TkitMultilineLabel label;
  QSignalSpy resized(&label, &TkitMultilineLabel::OnResize);
  label.SetLines({"Willkommen"});
  const QSize one = label.size();
  EXPECT_EQ(resized.count(), 1);

  label.SetLines({"Willkommen", "bei Fegolin, dem Reiniger"});
  EXPECT_GT(label.height(), one.height());
  EXPECT_GT(label.width(), one.width());
  EXPECT_EQ(resized.count(), 2);

  label.SetAutoSize(false);
  label.SetLines({"x"});
  EXPECT_EQ(resized.count(), 2);
  label.SetBounds(label.x(), label.y(), label.width(), label.height());
  EXPECT_EQ(resized.count(), 3);
}

} // namespace
} // namespace fegolin

#include "kitlabelTest.moc"
