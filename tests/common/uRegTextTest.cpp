// The registry text exchange: exact export, import of what the registry
// editor and text editors write, refusal of malformed files, round trips.

#include "common/uRegText.h"

#include "tests/support/ScopedHive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fegolin {
namespace {

using platform::RegValue;
using test::ScopedHive;

template <std::size_t N> std::vector<std::uint8_t> Bytes(const char (&text)[N]) {
  return {text, text + N - 1};
}

std::string Crlf(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '\n') {
      out += '\r';
    }
    out += c;
  }
  return out;
}

void Store(platform::Registry& registry, platform::RegRoot root, std::string_view key,
           std::string_view name, platform::RegType type, const std::vector<std::uint8_t>& data) {
  auto opened = platform::OpenKey(registry, root, key, platform::RegOpenMode::Create);
  ASSERT_TRUE(opened);
  ASSERT_EQ(opened->SetValue(name, type, data), platform::RegStatus::Ok);
}

std::optional<RegValue> Stored(platform::Registry& registry, std::string_view key,
                               std::string_view name) {
  auto opened =
      platform::OpenKey(registry, platform::kRegCurrentUser, key, platform::RegOpenMode::Open);
  RegValue value;
  if (!opened || opened->QueryValue(name, value) != platform::RegStatus::Ok) {
    return std::nullopt;
  }
  return value;
}

std::string Export(platform::Registry& registry) {
  RegTextError error;
  auto text = ExportRegText(registry, error);
  EXPECT_TRUE(text) << error.message;
  return text.value_or("");
}

std::vector<std::uint8_t> Sequence(int count) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < count; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(i));
  }
  return bytes;
}

// A hive with every kind of value the exchange has to carry.
void FillSample(platform::Registry& registry) {
  const auto cu = platform::kRegCurrentUser;
  Store(registry, cu, "Software\\Norvalt\\Fegolin", "Show Splash", platform::kRegDword,
        {1, 0, 0, 0});
  Store(registry, cu, "Software\\Norvalt\\Fegolin", "Run Interval", platform::kRegDword,
        {2, 0, 0, 0});
  Store(registry, cu, "Software\\Norvalt\\Fegolin\\Paths", "Display Name 0", platform::kRegSz,
        Bytes("Windows Temp\0"));
  Store(registry, cu, "Software\\Norvalt\\Fegolin\\Paths", "Directory 0", platform::kRegSz,
        Bytes("C:\\Windows\\Temp\\\0"));
  Store(registry, cu, "Software\\Quotes", "", platform::kRegSz, Bytes("say \"hi\"\0"));
  Store(registry, cu, "Software\\Quotes", "bin", platform::kRegBinary, Sequence(30));
  Store(registry, cu, "Software\\Quotes", "expand", platform::kRegExpandSz, Bytes("%TEMP%\0"));
  Store(registry, cu, "Software\\Quotes", "latin1", platform::kRegSz, Bytes("M\xFCl\0"));
  Store(registry, cu, "Software\\Quotes", "two lines", platform::kRegSz, Bytes("a\nb\0"));
  Store(registry, cu, "Software\\Quotes", "qword", 11, {1, 0, 0, 0, 0, 0, 0, 0});
  Store(registry, cu, "Software\\Quotes", "short dword", platform::kRegDword, {1, 0});
  Store(registry, cu, "Software\\Quotes",
        "Gr\xC3\xBC\xC3\x9F"
        "e",
        platform::kRegSz, Bytes("\xE2\x82\xAC \xF0\x9F\x98\x80\0"));
  ASSERT_TRUE(platform::OpenKey(registry, platform::kRegLocalMachine, "Software\\Classes",
                                platform::RegOpenMode::Create));
}

// Values come out in the order they were created, as on Windows; Wine's
// registry lists them sorted by name, so this one is left out under Wine.
TEST(uRegTextTest, ExportWritesEveryKindInCreationOrderExceptUnderWine) {
  ScopedHive hive;
  FillSample(hive.registry());
  const std::string expected = Crlf(R"(Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software]

[HKEY_CURRENT_USER\Software\Norvalt]

[HKEY_CURRENT_USER\Software\Norvalt\Fegolin]
"Show Splash"=dword:00000001
"Run Interval"=dword:00000002

[HKEY_CURRENT_USER\Software\Norvalt\Fegolin\Paths]
"Display Name 0"="Windows Temp"
"Directory 0"="C:\\Windows\\Temp\\"

[HKEY_CURRENT_USER\Software\Quotes]
@="say \"hi\""
"bin"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\
  17,18,19,1a,1b,1c,1d
"expand"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00
"latin1"=hex(1):4d,00,fc,dc,6c,00,00,00
"two lines"=hex(1):61,00,0a,00,62,00,00,00
"qword"=hex(b):01,00,00,00,00,00,00,00
"short dword"=hex(4):01,00
"Grüße"="€ 😀"

[HKEY_LOCAL_MACHINE\Software]

[HKEY_LOCAL_MACHINE\Software\Classes]

)");
  EXPECT_EQ(Export(hive.registry()), expected);
}

TEST(uRegTextTest, ExportImportExportGivesTheSameBytes) {
  ScopedHive first;
  FillSample(first.registry());
  // Values of odd bytes, long names and long data too.
  Store(first.registry(), platform::kRegCurrentUser, "Software\\Odd", "nul inside",
        platform::kRegSz, Bytes("a\0b\0"));
  Store(first.registry(), platform::kRegCurrentUser, "Software\\Odd", "no terminator",
        platform::kRegSz, Bytes("abc"));
  Store(first.registry(), platform::kRegCurrentUser, "Software\\Odd", "broken utf8 expand",
        platform::kRegExpandSz, Bytes("\xED\xA0\x80\xC3\0"));
  Store(first.registry(), platform::kRegCurrentUser, "Software\\Odd", std::string(300, 'n'),
        platform::kRegBinary, Sequence(256));
  Store(first.registry(), platform::kRegCurrentUser, "Software\\Odd", "multi",
        platform::kRegMultiSz, Bytes("one\0two\0\0"));
  Store(first.registry(), platform::kRegCurrentUser, "Software\\Odd", "empty", platform::kRegNone,
        {});
  Store(first.registry(), platform::kRegCurrentUser, "Software\\Odd", "back\\slash\"quote",
        platform::kRegSz, Bytes("\\\"\0"));
  const std::string text = Export(first.registry());

  ScopedHive second;
  ASSERT_EQ(ImportRegText(second.registry(), text), std::nullopt);
  EXPECT_EQ(Export(second.registry()), text);
  EXPECT_EQ(Stored(second.registry(), "Software\\Odd", "broken utf8 expand")->data,
            Bytes("\xED\xA0\x80\xC3\0"));
}

std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

TEST(uRegTextTest, ImportsWhatTheRegistryEditorWrites) {
  ScopedHive hive;
  const std::u16string file =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Norvalt\\Fegolin\\Paths]\r\n"
      u"\"Display Name 0\"=\"Gr\u00fc\u00dfe\"\r\n"
      u"\"State 0\"=dword:00000001\r\n"
      u"\"Temp\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,fc,00,00,00\r\n"
      u"\r\n";
  ASSERT_EQ(ImportRegText(hive.registry(), Utf16Le(file)), std::nullopt);
  const std::string_view key = "Software\\Norvalt\\Fegolin\\Paths";
  EXPECT_EQ(Stored(hive.registry(), key, "Display Name 0")->data, Bytes("Gr\xC3\xBC\xC3\x9F"
                                                                        "e\0"));
  EXPECT_EQ(*Stored(hive.registry(), key, "State 0"),
            (RegValue{platform::kRegDword, {1, 0, 0, 0}}));
  EXPECT_EQ(*Stored(hive.registry(), key, "Temp"),
            (RegValue{platform::kRegExpandSz, Bytes("%TEMP%\\\xC3\xBC\0")}));
}

struct GoodFile {
  const char* label;
  std::string text;
  const char* key;
  const char* name;
  std::optional<RegValue> expected; // nothing: the value is gone
};

class uRegTextGoodFileTest : public testing::TestWithParam<GoodFile> {};

TEST_P(uRegTextGoodFileTest, Imports) {
  ScopedHive hive;
  Store(hive.registry(), platform::kRegCurrentUser, "Software\\Old\\Sub", "old", platform::kRegSz,
        Bytes("x\0"));
  ASSERT_EQ(ImportRegText(hive.registry(), GetParam().text), std::nullopt);
  EXPECT_EQ(Stored(hive.registry(), GetParam().key, GetParam().name), GetParam().expected);
}

const std::string kHead =
    "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\T]\n";

INSTANTIATE_TEST_SUITE_P(
    Files, uRegTextGoodFileTest,
    testing::Values(
        GoodFile{"lf_only", kHead + "\"v\"=\"x\"\n", "Software\\T", "v",
                 RegValue{platform::kRegSz, Bytes("x\0")}},
        GoodFile{"crlf", Crlf(kHead + "\"v\"=\"x\"\n"), "Software\\T", "v",
                 RegValue{platform::kRegSz, Bytes("x\0")}},
        GoodFile{"utf8_bom_no_final_newline", "\xEF\xBB\xBF" + kHead + "\"v\"=dword:2a",
                 "Software\\T", "v", RegValue{platform::kRegDword, {0x2a, 0, 0, 0}}},
        GoodFile{"comments_and_blank_lines",
                 "\n" + kHead + "; a comment\n\n\"v\"  =  dword:FFFFFFFF  \n", "Software\\T", "v",
                 RegValue{platform::kRegDword, {0xff, 0xff, 0xff, 0xff}}},
        GoodFile{"escapes", kHead + R"("a \"b\" \\c"="\\\"")" + "\n", "Software\\T", "a \"b\" \\c",
                 RegValue{platform::kRegSz, Bytes("\\\"\0")}},
        GoodFile{"default_value", kHead + "@=\"d\"\n", "Software\\T", "",
                 RegValue{platform::kRegSz, Bytes("d\0")}},
        GoodFile{"empty_name_is_the_default", kHead + "\"\"=\"d\"\n", "Software\\T", "",
                 RegValue{platform::kRegSz, Bytes("d\0")}},
        GoodFile{"continued_hex", kHead + "\"v\"=hex:01,02,\\\n  03 , 4,\\\n\t05\n", "Software\\T",
                 "v", RegValue{platform::kRegBinary, {1, 2, 3, 4, 5}}},
        GoodFile{"empty_hex", kHead + "\"v\"=hex:\n", "Software\\T", "v",
                 RegValue{platform::kRegBinary, {}}},
        GoodFile{"other_type_raw", kHead + "\"v\"=hex(0):ab\n", "Software\\T", "v",
                 RegValue{platform::kRegNone, {0xab}}},
        GoodFile{"case_of_keywords", kHead + "\"v\"=HEX(B):01\n", "Software\\T", "v",
                 RegValue{11, {1}}},
        GoodFile{"value_deleted",
                 "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Old\\Sub]\n"
                 "\"OLD\"=-\n",
                 "Software\\Old\\Sub", "old", std::nullopt},
        GoodFile{"key_tree_deleted",
                 "Windows Registry Editor Version 5.00\n[-hkey_current_user\\software\\old]\n",
                 "Software\\Old\\Sub", "old", std::nullopt},
        GoodFile{"key_deleted_then_recreated",
                 "Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\Software\\Old]\n"
                 "[HKEY_CURRENT_USER\\Software\\Old\\Sub]\n\"new\"=\"n\"\n",
                 "Software\\Old\\Sub", "new", RegValue{platform::kRegSz, Bytes("n\0")}}),
    [](const auto& test) { return std::string(test.param.label); });

struct BadFile {
  const char* label;
  std::string bytes;
  std::size_t line;
};

class uRegTextBadFileTest : public testing::TestWithParam<BadFile> {};

TEST_P(uRegTextBadFileTest, IsRefusedWithItsLineAndAppliesNothing) {
  ScopedHive hive;
  Store(hive.registry(), platform::kRegCurrentUser, "Software\\T", "v", platform::kRegSz,
        Bytes("before\0"));
  const std::string before = Export(hive.registry());
  const auto error = ImportRegText(hive.registry(), GetParam().bytes);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->line, GetParam().line) << error->message;
  EXPECT_FALSE(error->message.empty());
  // What the message quotes from the file cannot steer a terminal.
  EXPECT_EQ(error->message, PrintableText(error->message));
  EXPECT_EQ(Export(hive.registry()), before);
}

// Each file first changes the hive in a valid way, so a partial import would
// show.
const std::string kValid = kHead + "\"v\"=\"after\"\n[HKEY_CURRENT_USER\\Software\\New]\n";

INSTANTIATE_TEST_SUITE_P(
    Files, uRegTextBadFileTest,
    testing::Values(
        BadFile{"empty_file", "", 1},
        BadFile{"other_header", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\T]\n", 1},
        BadFile{"header_after_blank_lines", "\n\nWindows Registry Editor\n", 3},
        BadFile{"value_before_any_key", "Windows Registry Editor Version 5.00\n\n\"v\"=\"x\"\n", 3},
        BadFile{"unknown_root", kValid + "[HKEY_NOWHERE\\x]\n", 6},
        BadFile{"control_bytes_in_the_root",
                kValid + std::string("[HKEY_\x1b]0;x\a\0\xC2\x9B\\x]\n", 19), 6},
        BadFile{"control_bytes_for_a_hex_byte", kValid + "\"v\"=hex:01,\x1b[2J\n", 6},
        BadFile{"key_without_bracket", kValid + "[HKEY_CURRENT_USER\\x\n", 6},
        BadFile{"empty_key_name", kValid + "[HKEY_CURRENT_USER\\a\\\\b]\n", 6},
        BadFile{"root_deleted", kValid + "[-HKEY_CURRENT_USER]\n", 6},
        BadFile{"value_of_deleted_key", kValid + "[-HKEY_CURRENT_USER\\x]\n\"v\"=\"x\"\n", 7},
        BadFile{"stray_text", kValid + "hello\n", 6},
        BadFile{"missing_equals", kValid + "\"v\" \"x\"\n", 6},
        BadFile{"missing_quote", kValid + "\"v=\"x\n", 6},
        BadFile{"unknown_escape", kValid + "\"v\"=\"a\\nb\"\n", 6},
        BadFile{"text_after_string", kValid + "\"v\"=\"x\"y\n", 6},
        BadFile{"dword_too_long", kValid + "\"v\"=dword:123456789\n", 6},
        BadFile{"dword_not_hex", kValid + "\"v\"=dword:12g4\n", 6},
        BadFile{"unknown_data", kValid + "\"v\"=qword:1\n", 6},
        BadFile{"bad_hex_byte", kValid + "\"v\"=hex:01,0g\n", 6},
        BadFile{"three_digit_byte", kValid + "\"v\"=hex:123\n", 6},
        BadFile{"double_comma", kValid + "\"v\"=hex:01,,02\n", 6},
        BadFile{"bad_byte_on_continuation_line", kValid + "\"v\"=hex:01,\\\n  02,\\\n  zz\n", 8},
        BadFile{"file_ends_inside_hex", kValid + "\"v\"=hex:01,\\", 6},
        BadFile{"bad_type_number", kValid + "\"v\"=hex(x):01\n", 6},
        BadFile{"odd_length_string", kValid + "\"v\"=hex(2):41\n", 6},
        BadFile{"lone_high_surrogate", kValid + "\"v\"=hex(1):00,d8,41,00\n", 6},
        BadFile{"not_utf8", kValid + "\n\"v\"=\"\xC3\x28\"\n", 7},
        BadFile{"utf16_big_endian", "\xFE\xFF", 1},
        BadFile{"utf16_with_lone_surrogate",
                Utf16Le(u"Windows Registry Editor Version 5.00\r\n\r\n\xD800"), 3}),
    [](const auto& test) { return std::string(test.param.label); });

struct PrintableCase {
  const char* label;
  std::string text;
  std::string shown;
};

class uRegTextPrintableTest : public testing::TestWithParam<PrintableCase> {};

TEST_P(uRegTextPrintableTest, EscapesWhatCouldSteerATerminal) {
  EXPECT_EQ(PrintableText(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, uRegTextPrintableTest,
    testing::Values(PrintableCase{"plain_and_utf8_stay",
                                  "a\\b \"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x99\x82",
                                  "a\\b \"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x99\x82"},
                    PrintableCase{"c0_and_del", std::string("\x1b[31m\0\t\r\n\x7f", 10),
                                  "\\x1b[31m\\x00\\x09\\x0d\\x0a\\x7f"},
                    PrintableCase{"c1_as_utf8",
                                  "\xC2\x9B"
                                  "1m\xC2\x85",
                                  "\\u009b1m\\u0085"},
                    PrintableCase{"not_utf8", "\x9b\xC3\x28\xE2\x82\xF0\x9F",
                                  "\\x9b\\xc3(\\xe2\\x82\\xf0\\x9f"},
                    PrintableCase{"overlong_and_surrogate", "\xC0\xAF\xED\xA0\x80",
                                  "\\xc0\\xaf\\xed\\xa0\\x80"}),
    [](const auto& test) { return std::string(test.param.label); });

#ifndef _WIN32
// Well-formed, but the hive refuses the name: still nothing lands. The
// Windows registry takes a tab in a key name and control characters in a
// value name, so these hold for the POSIX hive only.
INSTANTIATE_TEST_SUITE_P(
    PosixHiveOnly, uRegTextBadFileTest,
    testing::Values(BadFile{"key_name_refused",
                            kValid + "[HKEY_CURRENT_USER\\Software\\tab\there]\n", 6},
                    BadFile{"value_name_refused", kValid + "\"a\x01z\"=\"x\"\n", 6}),
    [](const auto& test) { return std::string(test.param.label); });
#endif

} // namespace
} // namespace fegolin
