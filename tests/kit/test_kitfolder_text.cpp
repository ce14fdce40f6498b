// The pure parts of the folder dialog: status-line compaction, caption
// lists by language and the language id of a locale.
#include "kit/kitfolder.h"
#include "kit/kitlang.h"

#include <QLocale>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

// Failure messages show QStrings as text.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace fegolin {
namespace {

struct CompactCase {
  const char* name;
  const char* path;
  int maximum;
  PathStyle style;
  const char* expected;
};

class CompactPathTest : public ::testing::TestWithParam<CompactCase> {};

TEST_P(CompactPathTest, Compacts) {
  const CompactCase& c = GetParam();
  const QString result = CompactPath(QString::fromUtf8(c.path), c.maximum, c.style);
  EXPECT_EQ(result.toStdString(), c.expected);
  EXPECT_LE(result.size(), c.maximum);
}

constexpr auto W = PathStyle::Windows;
constexpr auto P = PathStyle::Posix;

INSTANTIATE_TEST_SUITE_P(
    Examples, CompactPathTest,
    ::testing::Values(
        CompactCase{"LocalSettingsTemp",
                    R"(C:\Dokumente und Einstellungen\user\Lokale Einstellungen\Temp)", 50, W,
                    R"(C:\...\user\Lokale Einstellungen\Temp)"},
        CompactCase{"ShortPathUnchanged", R"(C:\Windows\Temp)", 50, W, R"(C:\Windows\Temp)"},
        CompactCase{"ExactlyMaximumUnchanged", R"(C:\abc\defgh)", 12, W, R"(C:\abc\defgh)"},
        CompactCase{"TinyMaximumTruncates", R"(C:\Windows\System32\Temp)", 5, W, R"(C:\Wi)"},
        CompactCase{"NoSeparatorTruncates", "abcdefghijklmnop", 10, W, "abcdefghij"},
        CompactCase{"DriveAndOneLongFolderTruncates",
                    R"(C:\A folder name far too long for the status line of the dialog)", 50, W,
                    R"(C:\A folder name far too long for the status line )"},
        CompactCase{"NetworkKeepsServer",
                    R"(\\fileserver\public share\department\projects\2004\archive\Temp)", 50, W,
                    R"(\\fileserver\...\projects\2004\archive\Temp)"},
        CompactCase{"LongLastFolderEndsInDots",
                    R"(C:\Temp\A last folder whose name alone is longer than fifty)", 30, W,
                    R"(C:\...\A last folder whose ...)"},
        CompactCase{"PosixRootKept", "/home/user/.cache/thumbnails/normal/very/deep/folder/x", 30,
                    P, "/.../normal/very/deep/folder/x"},
        CompactCase{"SingleLeadingBackslashIsNoNetworkPath",
                    R"(\Windows\Downloaded Program Files\Cache\Temporary)", 30, W,
                    R"(\...\Cache\Temporary)"}),
    [](const auto& param) { return std::string(param.param.name); });

struct CaptionCase {
  const char* name;
  const char* key;
  const char* newFolder;
  const char* label;
};

class DefaultCaptionsTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(DefaultCaptionsTest, ChoosesByLanguage) {
  const CaptionCase& c = GetParam();
  const QString key = QString::fromLatin1(c.key);
  EXPECT_EQ(CaptionForLanguage(DefaultNewFolderCaptions(), key), QString::fromUtf8(c.newFolder));
  EXPECT_EQ(CaptionForLanguage(DefaultLabelCaptions(), key), QString::fromUtf8(c.label));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, DefaultCaptionsTest,
    ::testing::Values(CaptionCase{"German", "0407", "Neuer Ordner", "Ausgewählter Ordner:"},
                      CaptionCase{"SwissGerman", "0807", "Neuer Ordner", "Ausgewählter Ordner:"},
                      CaptionCase{"UsEnglish", "0409", "New folder", "Current folder:"},
                      CaptionCase{"CanadianFrench", "0C0C", "Nouveau Dossier", "Dossier Courant:"},
                      CaptionCase{"LowerCaseKey", "0c0c", "Nouveau Dossier", "Dossier Courant:"},
                      CaptionCase{"Polish", "0415", "Nowy folder", "Bieżący folder"},
                      CaptionCase{"Brazilian", "0416", "Nova Pasta", "Pasta Atual:"},
                      CaptionCase{"RussianFallsBackToDefault", "0419", "New folder",
                                  "Current folder:"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CaptionForLanguage, FallsBackToDefaultThenFirstLine) {
  EXPECT_EQ(CaptionForLanguage({"0407=Ordner", "default=Folder"}, u"0409"), "Folder");
  EXPECT_EQ(CaptionForLanguage({"0407=Ordner", "040C=Dossier"}, u"0409"), "Ordner");
  EXPECT_EQ(CaptionForLanguage({"Just a caption"}, u"0409"), "Just a caption");
  EXPECT_EQ(CaptionForLanguage({}, u"0409"), "");
  // A value may hold further equals signs.
  EXPECT_EQ(CaptionForLanguage({"0409=a=b"}, u"0409"), "a=b");
}

struct LanguageCase {
  const char* locale;
  std::uint16_t id;
};

class WindowsLanguageIdTest : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(WindowsLanguageIdTest, MapsLocale) {
  const LanguageCase& c = GetParam();
  EXPECT_EQ(WindowsLanguageId(QLocale(QString::fromLatin1(c.locale))), c.id) << c.locale;
  EXPECT_EQ(FormatLanguageKey(c.id).size(), 4);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, WindowsLanguageIdTest,
    ::testing::Values(LanguageCase{"de_DE", 0x0407}, LanguageCase{"de_CH", 0x0807},
                      LanguageCase{"de_AT", 0x0C07}, LanguageCase{"en_US", 0x0409},
                      LanguageCase{"en_GB", 0x0809}, LanguageCase{"fr_CA", 0x0C0C},
                      LanguageCase{"it_CH", 0x0810}, LanguageCase{"pl_PL", 0x0415},
                      LanguageCase{"pt_BR", 0x0416}, LanguageCase{"pt_PT", 0x0816},
                      LanguageCase{"ru_RU", 0x0419}, LanguageCase{"es_ES", 0x0C0A},
                      LanguageCase{"C", 0x0409}),
    [](const auto& param) {
      std::string name = param.param.locale;
      return name == "C" ? std::string("CLocale") : name;
    });

TEST(FormatLanguageKey, FourUpperCaseHexDigits) {
  EXPECT_EQ(FormatLanguageKey(0x0C0C), "0C0C");
  EXPECT_EQ(FormatLanguageKey(0x0009), "0009");
}

} // namespace
} // namespace fegolin
