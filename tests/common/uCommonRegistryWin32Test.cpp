// The registry routines on the Windows registry, checked with the raw
// advapi32 calls rather than through the platform layer.

#include "common/uCommon.h"

#include "tests/support/ScopedHive.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

namespace fegolin {
namespace {

using test::ScopedHive;

constexpr RegRoot kRoot = kCurrentUserRoot;
constexpr std::string_view kKey = "\\Software\\Norvalt\\Fegolin";
// The path the routines open: no leading backslash, one trailing.
constexpr const char* kRawKey = "Software\\Norvalt\\Fegolin\\";

struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

RawValue QueryRaw(const char* name) {
  HKEY key = nullptr;
  RawValue value;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRawKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size), ERROR_SUCCESS);
  value.data.resize(size);
  EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &size),
            ERROR_SUCCESS);
  value.data.resize(size);
  RegCloseKey(key);
  return value;
}

void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRawKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

std::vector<BYTE> BytesOf(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const BYTE*>(data);
  return {bytes, bytes + size};
}

TEST(RegistryRoutinesWin32, WrittenValuesHaveTheExactTypeAndSize) {
  ScopedHive hive;
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "Text", std::string("C:\\Temp"), TFieldType::ftString));
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "Empty", std::string(), TFieldType::ftString));
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "Small", -2, TFieldType::ftSmallint));
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "Whole", 305, TFieldType::ftInteger));
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "Flag", true, TFieldType::ftBoolean));
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "Float", 2.5, TFieldType::ftFloat));
  ASSERT_TRUE(WriteRegValue(kRoot, kKey, "When", TDateTime{46363.5}, TFieldType::ftDateTime));

  const auto text = QueryRaw("Text");
  EXPECT_EQ(text.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text.data, BytesOf("C:\\Temp", 8)) << "the terminating NUL belongs to the data";
  EXPECT_EQ(QueryRaw("Empty").data, std::vector<BYTE>{0});

  const std::pair<const char*, std::vector<BYTE>> dwords[] = {
      {"Small", {0xfe, 0xff, 0xff, 0xff}}, {"Whole", {0x31, 0x01, 0, 0}}, {"Flag", {1, 0, 0, 0}}};
  for (const auto& [name, bytes] : dwords) {
    const auto value = QueryRaw(name);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(value.data, bytes) << name;
  }
  const std::pair<const char*, double> doubles[] = {{"Float", 2.5}, {"When", 46363.5}};
  for (const auto& [name, number] : doubles) {
    const auto value = QueryRaw(name);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_BINARY)) << name;
    ASSERT_EQ(value.data.size(), 8u) << name;
    double stored = 0;
    std::memcpy(&stored, value.data.data(), sizeof stored);
    EXPECT_EQ(stored, number) << name;
  }
}

TEST(RegistryRoutinesWin32, ValuesWrittenRawAreReadByTheirRegistryType) {
  ScopedHive hive;
  const char expandable[] = "%TEMP%\\Fegolin";
  SetRaw("Expand", REG_EXPAND_SZ, expandable, sizeof expandable);
  const std::uint32_t four = 4;
  SetRaw("Short", REG_BINARY, &four, sizeof four);
  const char embedded[] = "before\0after";
  SetRaw("Embedded", REG_SZ, embedded, sizeof embedded);

  EXPECT_EQ(ReadRegValue(kRoot, kKey, "Expand", TFieldType::ftString),
            RegVariant(std::string(expandable)))
      << "no expansion of environment references";
  EXPECT_EQ(ReadRegValueDef(kRoot, kKey, "Short", 1.5, TFieldType::ftFloat), RegVariant(1.5));
  EXPECT_EQ(QueryRaw("Short").data, BytesOf(&four, sizeof four)) << "a misfit is left as it is";
  EXPECT_EQ(ReadRegValue(kRoot, kKey, "Embedded", TFieldType::ftString),
            RegVariant(std::string("before")));
}

TEST(RegistryRoutinesWin32, DeleteRegKeyRemovesTheTreeFromTheSystemRegistry) {
  ScopedHive hive;
  ASSERT_TRUE(WriteRegValue(kRoot, "\\Software\\Norvalt\\Fegolin\\Paths\\Deep", "v", 1,
                            TFieldType::ftInteger));
  DeleteRegKey(kRoot, kKey);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kRawKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Norvalt", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

} // namespace
} // namespace fegolin
