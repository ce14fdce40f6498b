// The six registry routines and the registry transaction, on real hives.

#include "common/uCommon.h"

#include "platform/Registry.h"
#include "tests/common/FolderListSupport.h"
#include "tests/support/ScopedHive.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace fegolin {
namespace {

using platform::RegValue;
using test::FolderListNames;
using test::kFolderListKey;
using test::SaveFolderList;
using test::ScopedHive;

constexpr RegRoot kRoot = kCurrentUserRoot;
constexpr std::string_view kKey = "\\Software\\Norvalt\\Fegolin";

// The characters of a literal, embedded and trailing NULs written in it
// included (the literal's own terminator is not).
template <std::size_t N> std::vector<std::uint8_t> Bytes(const char (&text)[N]) {
  return {text, text + N - 1};
}

std::vector<std::uint8_t> DoubleBytes(double value) {
  std::vector<std::uint8_t> bytes;
  const auto bits = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
  }
  return bytes;
}

// What the hive holds, looked at beneath the routines.
std::optional<RegValue> Stored(std::string_view key, std::string_view name) {
  auto opened = platform::OpenKey(platform::ProcessRegistry(), platform::kRegCurrentUser, key,
                                  platform::RegOpenMode::Open);
  RegValue value;
  if (!opened || opened->QueryValue(name, value) != platform::RegStatus::Ok) {
    return std::nullopt;
  }
  return value;
}

void Store(std::string_view key, std::string_view name, platform::RegType type,
           const std::vector<std::uint8_t>& data) {
  auto opened = platform::OpenKey(platform::ProcessRegistry(), platform::kRegCurrentUser, key,
                                  platform::RegOpenMode::Create);
  ASSERT_TRUE(opened);
  ASSERT_EQ(opened->SetValue(name, type, data), platform::RegStatus::Ok);
}

bool RawKeyExists(std::string_view key) {
  return platform::OpenKey(platform::ProcessRegistry(), platform::kRegCurrentUser, key,
                           platform::RegOpenMode::Open) != nullptr;
}

TFieldType Kind(int code) {
  return static_cast<TFieldType>(code);
}

// --- Writing ---------------------------------------------------------------

struct WriteCase {
  const char* label;
  RegVariant value;
  TFieldType kind;
  platform::RegType type;
  std::vector<std::uint8_t> data;
};

class WriteRegValueTest : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteRegValueTest, StoresTheRegistryFormOfTheKind) {
  ScopedHive hive;
  const WriteCase& c = GetParam();
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "value", c.value, c.kind));
  const auto stored = Stored("Software\\Norvalt\\Fegolin", "value");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, c.type);
  EXPECT_EQ(stored->data, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, WriteRegValueTest,
    testing::Values(
        WriteCase{"text_with_its_nul", std::string("C:\\Temp"), TFieldType::ftString,
                  platform::kRegSz, Bytes("C:\\Temp\0")},
        WriteCase{
            "empty_text_is_one_nul", std::string(), TFieldType::ftString, platform::kRegSz, {0}},
        WriteCase{"integer_as_text", 42, TFieldType::ftString, platform::kRegSz, Bytes("42\0")},
        WriteCase{
            "smallint_as_dword", 42, TFieldType::ftSmallint, platform::kRegDword, {42, 0, 0, 0}},
        WriteCase{"negative_integer",
                  -2,
                  TFieldType::ftInteger,
                  platform::kRegDword,
                  {0xfe, 0xff, 0xff, 0xff}},
        WriteCase{"integer_from_text",
                  std::string("305"),
                  TFieldType::ftInteger,
                  platform::kRegDword,
                  {0x31, 0x01, 0, 0}},
        WriteCase{"true_is_one", true, TFieldType::ftBoolean, platform::kRegDword, {1, 0, 0, 0}},
        WriteCase{"false_is_zero", false, TFieldType::ftBoolean, platform::kRegDword, {0, 0, 0, 0}},
        WriteCase{"nonzero_integer_as_boolean",
                  7,
                  TFieldType::ftBoolean,
                  platform::kRegDword,
                  {1, 0, 0, 0}},
        WriteCase{"float_as_eight_bytes", 1.0, TFieldType::ftFloat, platform::kRegBinary,
                  DoubleBytes(1.0)},
        WriteCase{"date_time_as_ole_date", TDateTime{46363.5}, TFieldType::ftDateTime,
                  platform::kRegBinary, DoubleBytes(46363.5)},
        WriteCase{"date_time_from_text", std::string("2026-12-07 12:00:00"), TFieldType::ftDateTime,
                  platform::kRegBinary, DoubleBytes(46363.5)}),
    [](const auto& test) { return std::string(test.param.label); });

struct FailedWrite {
  const char* label;
  RegVariant value;
  TFieldType kind;
};

class WriteRegValueFailureTest : public testing::TestWithParam<FailedWrite> {};

TEST_P(WriteRegValueFailureTest, AFailedConversionWritesNothing) {
  ScopedHive hive;
  Store("Software\\Norvalt\\Fegolin", "value", platform::kRegSz, Bytes("before\0"));
  EXPECT_FALSE(WriteRegValue(kRoot, kKey, "value", GetParam().value, GetParam().kind));
  EXPECT_EQ(Stored("Software\\Norvalt\\Fegolin", "value")->data, Bytes("before\0"));
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, WriteRegValueFailureTest,
    testing::Values(FailedWrite{"word_as_integer", std::string("five"), TFieldType::ftInteger},
                    FailedWrite{"fraction_as_integer", 1.5, TFieldType::ftInteger},
                    FailedWrite{"beyond_32_bits", 3.0e9, TFieldType::ftSmallint},
                    FailedWrite{"empty_text_as_boolean", std::string(), TFieldType::ftBoolean},
                    FailedWrite{"empty_value_as_float", std::monostate{}, TFieldType::ftFloat},
                    FailedWrite{"boolean_as_date_time", true, TFieldType::ftDateTime},
                    FailedWrite{"impossible_date", std::string("2026-02-30"),
                                TFieldType::ftDateTime}),
    [](const auto& test) { return std::string(test.param.label); });

TEST(uCommonRegistryTest, UnhandledKindsSucceedAndWriteNothing) {
  ScopedHive hive;
  for (const int code : {0, 4, 7, 10, 12, 255}) {
    EXPECT_TRUE(WriteRegValue(kRoot, kKey, "value", 1, Kind(code))) << code;
    EXPECT_FALSE(Stored("Software\\Norvalt\\Fegolin", "value")) << code;
    EXPECT_EQ(std::get<std::string>(ReadRegValue(kRoot, kKey, "value", Kind(code))), "") << code;
    EXPECT_EQ(ReadRegValueDef(kRoot, kKey, "value", 9, Kind(code)), RegVariant(9)) << code;
    EXPECT_FALSE(Stored("Software\\Norvalt\\Fegolin", "value")) << code;
  }
}

// --- Reading ---------------------------------------------------------------

struct ReadCase {
  const char* label;
  platform::RegType type;
  std::vector<std::uint8_t> data;
  TFieldType kind;
  std::optional<RegVariant> expected; // nothing: a read failure
};

class ReadRegValueTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadRegValueTest, ReadsWhatFitsTheKindAndFailsOtherwise) {
  ScopedHive hive;
  const ReadCase& c = GetParam();
  Store("Software\\Norvalt\\Fegolin", "value", c.type, c.data);
  const RegVariant fallback = std::string("default");

  EXPECT_EQ(ReadRegValue(kRoot, kKey, "value", c.kind), c.expected.value_or(std::string()));
  EXPECT_EQ(ReadRegValueDef(kRoot, kKey, "value", fallback, c.kind), c.expected.value_or(fallback));
  // A failed read leaves the stored value as it was.
  const auto stored = Stored("Software\\Norvalt\\Fegolin", "value");
  EXPECT_EQ(stored->type, c.type);
  EXPECT_EQ(stored->data, c.data);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReadRegValueTest,
    testing::Values(
        ReadCase{"text", platform::kRegSz, Bytes("abc\0"), TFieldType::ftString,
                 std::string("abc")},
        ReadCase{"text_cut_at_first_nul", platform::kRegSz, Bytes("a\0b\0"), TFieldType::ftString,
                 std::string("a")},
        ReadCase{"text_without_terminator", platform::kRegSz, Bytes("abc"), TFieldType::ftString,
                 std::string("abc")},
        ReadCase{"expandable_text_not_expanded", platform::kRegExpandSz, Bytes("%TEMP%\\x\0"),
                 TFieldType::ftString, std::string("%TEMP%\\x")},
        ReadCase{"dword_as_text_fails",
                 platform::kRegDword,
                 {1, 0, 0, 0},
                 TFieldType::ftString,
                 std::nullopt},
        ReadCase{"text_as_integer_fails", platform::kRegSz, Bytes("5\0"), TFieldType::ftInteger,
                 std::nullopt},
        ReadCase{"dword_as_integer",
                 platform::kRegDword,
                 {0xff, 0xff, 0xff, 0xff},
                 TFieldType::ftInteger,
                 std::int32_t{-1}},
        ReadCase{"dword_as_smallint",
                 platform::kRegDword,
                 {0x31, 0x01, 0, 0},
                 TFieldType::ftSmallint,
                 std::int32_t{305}},
        ReadCase{
            "short_dword_fails", platform::kRegDword, {1, 0}, TFieldType::ftInteger, std::nullopt},
        ReadCase{"any_nonzero_dword_is_true",
                 platform::kRegDword,
                 {0, 2, 0, 0},
                 TFieldType::ftBoolean,
                 true},
        ReadCase{
            "zero_dword_is_false", platform::kRegDword, {0, 0, 0, 0}, TFieldType::ftBoolean, false},
        ReadCase{"text_as_boolean_fails", platform::kRegSz, Bytes("1\0"), TFieldType::ftBoolean,
                 std::nullopt},
        ReadCase{"eight_byte_binary_as_float", platform::kRegBinary, DoubleBytes(2.5),
                 TFieldType::ftFloat, 2.5},
        ReadCase{"four_byte_binary_as_float_fails",
                 platform::kRegBinary,
                 {0, 0, 0x20, 0x40},
                 TFieldType::ftFloat,
                 std::nullopt},
        ReadCase{"dword_as_float_fails",
                 platform::kRegDword,
                 {1, 0, 0, 0},
                 TFieldType::ftFloat,
                 std::nullopt},
        ReadCase{"eight_byte_binary_as_date_time", platform::kRegBinary, DoubleBytes(46363.5),
                 TFieldType::ftDateTime, TDateTime{46363.5}}),
    [](const auto& test) { return std::string(test.param.label); });

TEST(uCommonRegistryTest, ReadingAMissingValueWithADefaultStoresTheDefault) {
  ScopedHive hive;
  EXPECT_EQ(ReadRegValueDef(kRoot, kKey, "Show Splash", true, TFieldType::ftBoolean),
            RegVariant(true));
  EXPECT_EQ(ReadRegValueDef(kRoot, kKey, "Form Height", 305, TFieldType::ftInteger),
            RegVariant(305));
  EXPECT_EQ(Stored("Software\\Norvalt\\Fegolin", "Show Splash")->data,
            (std::vector<std::uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(Stored("Software\\Norvalt\\Fegolin", "Form Height")->data,
            (std::vector<std::uint8_t>{0x31, 0x01, 0, 0}));
  // Now present, the stored value wins over another default.
  EXPECT_EQ(ReadRegValueDef(kRoot, kKey, "Form Height", 999, TFieldType::ftInteger),
            RegVariant(305));
}

TEST(uCommonRegistryTest, ReadingAMissingValueWithoutDefaultGivesEmptyTextAndWritesNothing) {
  ScopedHive hive;
  EXPECT_EQ(ReadRegValue(kRoot, kKey, "State 0", TFieldType::ftBoolean), RegVariant(std::string()));
  EXPECT_FALSE(Stored("Software\\Norvalt\\Fegolin", "State 0"));
}

TEST(uCommonRegistryTest, OnlyWritingRoutinesCreateAMissingKey) {
  ScopedHive hive;
  // Reading leaves the registry as it was: a key made by a look would make
  // the next start of the window think it is not the first one.
  EXPECT_FALSE(KeyExists(kRoot, "\\Software\\A"));
  DeleteRegKey(kRoot, "\\Software\\B");
  ReadRegValue(kRoot, "\\Software\\C", "x", TFieldType::ftString);
  EXPECT_FALSE(RawKeyExists("Software"));

  ReadRegValueDef(kRoot, "\\Software\\D", "x", std::monostate{}, TFieldType::ftInteger);
  DeleteRegValue(kRoot, "\\Software\\E", "x");
  for (const char* key : {"Software\\D", "Software\\E"}) {
    EXPECT_TRUE(RawKeyExists(key)) << key;
    EXPECT_TRUE(KeyExists(kRoot, std::string("\\") + key)) << key;
  }
}

TEST(uCommonRegistryTest, DeleteRegKeyRemovesTheWholeTreeAndNothingBeside) {
  ScopedHive hive;
  for (const char* key :
       {"\\Software\\Norvalt\\Fegolin\\Paths\\a\\b", "\\Software\\Norvalt\\Fegolin\\Paths\\c",
        "\\Software\\Norvalt\\Fegolin"}) {
    ASSERT_TRUE(WriteRegValue(kRoot, key, "v", 1, TFieldType::ftInteger));
  }
  DeleteRegKey(kRoot, "\\software\\NORVALT\\fegolin\\paths");
  EXPECT_FALSE(KeyExists(kRoot, "\\Software\\Norvalt\\Fegolin\\Paths"));
  EXPECT_EQ(ReadRegValue(kRoot, kKey, "v", TFieldType::ftInteger), RegVariant(1));
  DeleteRegKey(kRoot, "\\Software\\Norvalt\\Fegolin\\Paths"); // missing: nothing happens
  EXPECT_TRUE(KeyExists(kRoot, kKey));
}

TEST(uCommonRegistryTest, DeleteRegKeyOfTheRootItselfDoesNothing) {
  ScopedHive hive;
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "v", 1, TFieldType::ftInteger));
  DeleteRegKey(kRoot, "");
  DeleteRegKey(kRoot, "\\");
  EXPECT_TRUE(KeyExists(kRoot, kKey));
}

TEST(uCommonRegistryTest, KeyPathsAndValueNamesIgnoreLetterCase) {
  ScopedHive hive;
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "Run Interval Value", 5, TFieldType::ftInteger));
  EXPECT_EQ(ReadRegValue(kRoot, "\\SOFTWARE\\norvalt\\FeGoLiN", "run interval VALUE",
                         TFieldType::ftInteger),
            RegVariant(5));
  EXPECT_TRUE(KeyExists(kRoot, "software\\norvalt")) << "the leading backslash is optional";
  DeleteRegValue(kRoot, kKey, "RUN INTERVAL VALUE");
  EXPECT_FALSE(Stored("Software\\Norvalt\\Fegolin", "Run Interval Value"));
}

// --- Transactions ----------------------------------------------------------

TEST(uCommonRegistryTest, ATransactionSavesTheWholeListAtOnce) {
  ScopedHive hive;
  SaveFolderList(kRoot, {"a", "b", "c"});
  RegTransaction transaction;
  SaveFolderList(kRoot, {"x", "y"});
  EXPECT_TRUE(transaction.Commit());
  EXPECT_EQ(FolderListNames(kRoot), (std::vector<std::string>{"x", "y"}));
  EXPECT_FALSE(Stored("Software\\Norvalt\\Fegolin\\Paths", "State 2")) << "no leftovers";
}

TEST(uCommonRegistryTest, ATransactionLeftUncommittedChangesNothing) {
  ScopedHive hive;
  SaveFolderList(kRoot, {"a"});
  {
    RegTransaction transaction;
    SaveFolderList(kRoot, {});
  }
  EXPECT_EQ(FolderListNames(kRoot), std::vector<std::string>{"a"});
}

// --- Conversions -----------------------------------------------------------

TEST(uCommonRegistryTest, TextConversionsRoundTrip) {
  EXPECT_EQ(RegVariantToText(std::monostate{}), "");
  EXPECT_EQ(RegVariantToText(-17), "-17");
  EXPECT_EQ(RegVariantToText(false), "False");
  EXPECT_EQ(RegVariantToText(0.1), "0.1");
  EXPECT_EQ(RegVariantToText(TDateTime{46363.822916666664}), "2026-12-07 19:45:00");
  EXPECT_EQ(RegVariantToText(TDateTime{-1.25}), "1899-12-29 06:00:00");
  EXPECT_EQ(RegVariantToText(TDateTime{1.0e7}), std::nullopt) << "beyond year 9999";

  EXPECT_EQ(RegVariantToInteger(std::string("+12")), 12);
  EXPECT_EQ(RegVariantToInteger(std::string("12 ")), std::nullopt);
  EXPECT_EQ(RegVariantToInteger(std::string("2147483648")), std::nullopt);
  EXPECT_EQ(RegVariantToBoolean(std::string("TRUE")), true);
  EXPECT_EQ(RegVariantToBoolean(std::string("0")), false);
  EXPECT_EQ(RegVariantToBoolean(std::string("yes")), std::nullopt);
  EXPECT_EQ(RegVariantToFloat(std::string("2.5e1")), 25.0);
  EXPECT_EQ(RegVariantToFloat(std::string("2,5")), std::nullopt);

  for (const char* text : {"2026-12-07 19:45:00", "1899-12-29 06:00:00", "0001-01-01 00:00:00"}) {
    const auto dateTime = RegVariantToDateTime(std::string(text));
    ASSERT_TRUE(dateTime) << text;
    EXPECT_EQ(RegVariantToText(*dateTime), text);
  }
  EXPECT_EQ(RegVariantToDateTime(std::string("2026-12-07T12:00")), TDateTime{46363.5});
  EXPECT_EQ(RegVariantToDateTime(std::string("2026-12-07 24:00")), std::nullopt);
}

} // namespace
} // namespace fegolin
