#include "kit/kitversn.h"

#include "platform/VersionResource.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

namespace fegolin {
namespace {

const QString kProductAndFile = QStringLiteral("Product Version:\t" FEGOLIN_PRODUCT_VERSION
                                               "\r\nFile Version:\t" FEGOLIN_FILE_VERSION "\r\n");

// The two version labels of the Info page, set up the way the page sets them.
void SetUpLikeInfoPage(TkitVersionLabel& label, const QString& key1, const QString& caption1,
                       const QString& key2, const QString& caption2) {
  label.SetDoubleSpaced(false);
  label.SetTabStop(8);
  label.VersionInfo().Add(key1, caption1);
  label.VersionInfo().Add(key2, caption2);
}

TEST(TkitVersionLabel, InfoPageLabelsShowTheProgramsVersions) {
  TkitVersionLabel versions;
  SetUpLikeInfoPage(versions, "ProductVersion", "Product Version:", "FileVersion", "File Version:");
  EXPECT_EQ(versions.Caption(), kProductAndFile);

  TkitVersionLabel description;
  SetUpLikeInfoPage(description, "FileDescription", "File Description:", "Comments", "Comments:");
  EXPECT_EQ(description.Caption(),
            QStringLiteral(
                "File Description:\tLöscht Temporäre Dateien\r\nComments:\tFinal Version\r\n"));
}

TEST(TkitVersionLabel, DefaultsAreDoubleSpacedWithTabStopTen) {
  TkitVersionLabel label;
  EXPECT_TRUE(label.DoubleSpaced());
  EXPECT_EQ(label.TabStop(), 10);
  EXPECT_TRUE(label.wordWrap());
  EXPECT_EQ(label.Caption(), QString());

  label.VersionInfo().Add("ProductVersion", "Product Version:");
  label.VersionInfo().Add("FileVersion", "File Version:");
  // Four lines, every second one empty.
  EXPECT_EQ(label.Caption(),
            QStringLiteral("Product Version:\t" FEGOLIN_PRODUCT_VERSION
                           "\r\n\r\nFile Version:\t" FEGOLIN_FILE_VERSION "\r\n\r\n"));
}

TEST(TkitVersionLabel, TabStopZeroJoinsCaptionAndValue) {
  TkitVersionLabel label;
  label.SetDoubleSpaced(false);
  label.SetTabStop(0);
  label.VersionInfo().Add("ProductVersion", "P&V:");
  EXPECT_EQ(label.Caption(), QStringLiteral("P&V:" FEGOLIN_PRODUCT_VERSION "\r\n"));
}

TEST(TkitVersionLabel, HiddenItemsAreSkippedAndOthersKeepTheirOrder) {
  TkitVersionLabel label;
  label.SetDoubleSpaced(false);
  label.VersionInfo().Add("Comments", "C:");
  auto& hidden = label.VersionInfo().Add("FileVersion", "F:");
  label.VersionInfo().Add("ProductName", "N:");
  hidden.SetVisible(false);
  EXPECT_EQ(label.Caption(), QStringLiteral("C:\tFinal Version\r\nN:\tFegolin\r\n"));
  hidden.SetVisible(true);
  EXPECT_EQ(label.Caption(),
            QStringLiteral("C:\tFinal Version\r\nF:\t" FEGOLIN_FILE_VERSION "\r\nN:\tFegolin\r\n"));
}

TEST(TkitVersionLabel, MissingKeyShowsCaptionAndSeparatorOnly) {
  TkitVersionLabel label;
  label.SetDoubleSpaced(false);
  label.VersionInfo().Add("PrivateBuild", "Private:");
  label.VersionInfo().Add("ProductVersion", "Product Version:");
  EXPECT_EQ(label.Caption(),
            QStringLiteral("Private:\t\r\nProduct Version:\t" FEGOLIN_PRODUCT_VERSION "\r\n"));
}

TEST(TkitVersionLabel, ChangingAnItemReadsValuesAgainBeforeTheTextIsRebuilt) {
  TkitVersionLabel label;
  label.SetDoubleSpaced(false);
  auto& item = label.VersionInfo().Add("ProductVersion", "V:");
  QString valueSeen;
  QString captionSeen;
  QObject::connect(&label, &TkitVersionLabel::OnUpdateVersionInfo, [&] {
    valueSeen = label.VersionInfo().Items(0).Value();
    captionSeen = label.Caption();
  });
  item.SetKey("FileVersion");
  EXPECT_EQ(valueSeen, QStringLiteral(FEGOLIN_FILE_VERSION));
  EXPECT_EQ(captionSeen, QStringLiteral("V:\t" FEGOLIN_PRODUCT_VERSION "\r\n"));
  EXPECT_EQ(label.Caption(), QStringLiteral("V:\t" FEGOLIN_FILE_VERSION "\r\n"));
}

TEST(TkitVersionLabel, BatchedChangesUpdateOnce) {
  TkitVersionLabel label;
  QSignalSpy updates(&label, &TkitVersionLabel::OnUpdateVersionInfo);
  label.VersionInfo().BeginUpdate();
  label.VersionInfo().Add("ProductVersion", "P:");
  label.VersionInfo().Add("FileVersion", "F:");
  label.VersionInfo().Items(0).SetCaption("Product:");
  EXPECT_EQ(updates.count(), 0);
  EXPECT_EQ(label.Caption(), QString());
  label.VersionInfo().EndUpdate();
  EXPECT_EQ(updates.count(), 1);
  EXPECT_EQ(label.Caption(), QStringLiteral("Product:\t" FEGOLIN_PRODUCT_VERSION
                                            "\r\n\r\nF:\t" FEGOLIN_FILE_VERSION "\r\n\r\n"));
}

TEST(TkitVersionLabel, SetVersionInfoCopiesTheItems) {
  TkitVersionLabel source;
  SetUpLikeInfoPage(source, "ProductVersion", "Product Version:", "FileVersion", "File Version:");
  TkitVersionLabel copy;
  copy.SetDoubleSpaced(false);
  copy.SetTabStop(8);
  copy.VersionInfo().Add("Comments", "old");
  copy.SetVersionInfo(source.VersionInfo());
  EXPECT_EQ(copy.Caption(), kProductAndFile);
  source.VersionInfo().Clear();
  EXPECT_EQ(copy.VersionInfo().Count(), 2);
  EXPECT_EQ(copy.VersionInfo().Items(1).DisplayName(), QStringLiteral("FileVersion"));
}

TEST(TkitVersionLabel, RemovingItems) {
  TkitVersionLabel label;
  label.SetDoubleSpaced(false);
  label.VersionInfo().Add("ProductVersion", "P:");
  label.VersionInfo().Add("FileVersion", "F:");
  label.VersionInfo().Delete(0);
  EXPECT_EQ(label.Caption(), QStringLiteral("F:\t" FEGOLIN_FILE_VERSION "\r\n"));
  EXPECT_THROW(label.VersionInfo().Delete(1), std::out_of_range);
  label.VersionInfo().Clear();
  EXPECT_EQ(label.Caption(), QString());
}

// ---------------------------------------------------------------------------

TEST(ReadVersionStrings, OneValuePerKeyInOrder) {
  const auto values = ReadVersionStrings(
      QCoreApplication::applicationFilePath(),
      {"FileVersion", "NoSuchKey", "BuildFlags", "buildflags", "productversion"});
  ASSERT_TRUE(values);
  // The program's flags are 0; the pseudo key is case-sensitive, the
  // string keys are not.
  EXPECT_EQ(*values, QStringList({FEGOLIN_FILE_VERSION, "", "", "", FEGOLIN_PRODUCT_VERSION}));
}

TEST(ReadVersionStrings, FileWithoutVersionInformationFails) {
  const QString other = QCoreApplication::applicationDirPath() + "/CTestTestfile.cmake";
  EXPECT_FALSE(ReadVersionStrings(other, {"FileVersion"}));
  EXPECT_FALSE(ReadVersionStrings(QString(), {"FileVersion"}));
}

// ---------------------------------------------------------------------------

struct TranslationCase {
  const char* name;
  std::vector<std::uint16_t> words;
  std::size_t bytes; // how many bytes of `words` the block holds
  const char* expected;
};

class TranslationBlockNameTest : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(TranslationBlockNameTest, FormatsLanguageThenCodePage) {
  const auto& c = GetParam();
  const auto bytes = std::as_bytes(std::span(c.words)).first(c.bytes);
  EXPECT_EQ(TranslationBlockName(bytes), QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TranslationBlockNameTest,
    ::testing::Values(TranslationCase{"SwissGerman1252", {0x0807, 0x04E4}, 4, "080704E4"},
                      TranslationCase{"UsEnglishUnicode", {0x0409, 0x04B0}, 4, "040904B0"},
                      TranslationCase{"PadsAndUpperCases", {0x000a, 0x00bc}, 4, "000A00BC"},
                      TranslationCase{
                          "FirstOfSeveral", {0x0407, 0x04E4, 0x0409, 0x04B0}, 8, "040704E4"},
                      TranslationCase{"ShortEntryFallsBack", {0x0807, 0x04E4}, 3, "040904E4"},
                      TranslationCase{"NoEntryFallsBack", {}, 0, "040904E4"}),
    [](const auto& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------------------

struct FlagsCase {
  const char* name;
  std::uint32_t flags;
  const char* expected;
};

class BuildFlagsTextTest : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(BuildFlagsTextTest, WordsInFixedOrder) {
  platform::FixedFileInfo info{};
  info.dwSignature = platform::kFixedFileInfoSignature;
  info.dwFileFlags = GetParam().flags;
  info.dwFileFlagsMask = 0; // the words do not depend on the mask
  EXPECT_EQ(BuildFlagsText(std::as_bytes(std::span(&info, 1))),
            QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BuildFlagsTextTest,
    ::testing::Values(FlagsCase{"None", 0x00, ""},
                      FlagsCase{"DebugPreRelease", 0x03, "Debug, Pre-Release"},
                      FlagsCase{"PatchedSpecial", 0x24, "Patched, Special"},
                      FlagsCase{"All", 0x3F,
                                "Debug, InfoInferred, Patched, Pre-Release, Private, Special"},
                      FlagsCase{"UnknownBitsIgnored", 0xFFC0, ""},
                      FlagsCase{"PrivateInfoInferred", 0x18, "InfoInferred, Private"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(BuildFlagsText, BlockTooShortForTheFlagsGivesNothing) {
  platform::FixedFileInfo info{};
  info.dwFileFlags = 0x3F;
  const auto bytes = std::as_bytes(std::span(&info, 1));
  EXPECT_EQ(BuildFlagsText(bytes.first(offsetof(platform::FixedFileInfo, dwFileFlags))), QString());
  EXPECT_EQ(BuildFlagsText(bytes.first(1)), QString());
  EXPECT_EQ(BuildFlagsText({}), QString());
}

} // namespace
} // namespace fegolin
