#include "platform/VersionResource.h"
#include "tests/support/SystemSupport.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace fegolin::platform {
namespace {

using test::OwnExecutable;

std::optional<std::string> QueryString(const VersionResource& resource, std::string_view path) {
  const auto bytes = resource.QueryValue(path);
  if (!bytes) {
    return std::nullopt;
  }
  // Strings come with their terminating zero and nothing after it.
  EXPECT_FALSE(bytes->empty());
  EXPECT_EQ(bytes->back(), std::byte{0});
  return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size() - 1);
}

TEST(VersionResource, RunningProgramCarriesTheProgramsStrings) {
  const auto resource = LoadVersionResource(OwnExecutable());
  ASSERT_NE(resource, nullptr);
  const std::string block = "\\StringFileInfo\\080704E4\\";
  EXPECT_EQ(QueryString(*resource, block + "ProductVersion"), FEGOLIN_PRODUCT_VERSION);
  EXPECT_EQ(QueryString(*resource, block + "FileVersion"), FEGOLIN_FILE_VERSION);
  EXPECT_EQ(QueryString(*resource, block + "FileDescription"),
            test::NarrowFromUtf8("Löscht Temporäre Dateien"));
  EXPECT_EQ(QueryString(*resource, block + "Comments"), "Final Version");
  EXPECT_EQ(QueryString(*resource, block + "ProductName"), "Fegolin");
  EXPECT_EQ(QueryString(*resource, block + "CompanyName"), "Norvalt");
  EXPECT_EQ(QueryString(*resource, block + "File"), "Cleans Folders defined by Users");
  // Paths compare without regard to case, as in a real resource.
  EXPECT_EQ(QueryString(*resource, "\\stringfileinfo\\080704e4\\productversion"),
            FEGOLIN_PRODUCT_VERSION);
}

TEST(VersionResource, MissingValuesAndOtherBlocksAnswerNothing) {
  const auto resource = LoadVersionResource(OwnExecutable());
  ASSERT_NE(resource, nullptr);
  EXPECT_FALSE(resource->QueryValue("\\StringFileInfo\\080704E4\\PrivateBuild"));
  EXPECT_FALSE(resource->QueryValue("\\StringFileInfo\\040904E4\\FileVersion"));
  EXPECT_FALSE(resource->QueryValue("\\StringFileInfo\\080704E4"));
  EXPECT_FALSE(resource->QueryValue("\\VarFileInfo"));
}

TEST(VersionResource, TranslationIsSwissGermanWindows1252) {
  const auto resource = LoadVersionResource(OwnExecutable());
  ASSERT_NE(resource, nullptr);
  const auto bytes = resource->QueryValue("\\VarFileInfo\\Translation");
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), 4u);
  std::uint16_t words[2];
  std::memcpy(words, bytes->data(), sizeof words);
  EXPECT_EQ(words[0], 0x0807);
  EXPECT_EQ(words[1], 0x04E4);
}

TEST(VersionResource, FixedPartAgreesWithTheVersionStrings) {
  const auto resource = LoadVersionResource(OwnExecutable());
  ASSERT_NE(resource, nullptr);
  const auto bytes = resource->QueryValue("\\");
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), sizeof(FixedFileInfo));
  FixedFileInfo fixed{};
  std::memcpy(&fixed, bytes->data(), sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, kFixedFileInfoSignature);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0x0000004Bu); // 0.75
  EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);
  EXPECT_EQ(fixed.dwProductVersionLS, fixed.dwFileVersionLS);
  EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed.dwFileFlags, 0u);
}

TEST(VersionResource, OtherFilesHaveNone) {
  test::TempTree tree;
  EXPECT_EQ(LoadVersionResource(tree.file("plain.txt", "no version here").string()), nullptr);
  EXPECT_EQ(LoadVersionResource(tree.path("missing").string()), nullptr);
  EXPECT_EQ(LoadVersionResource(""), nullptr);
}

} // namespace
} // namespace fegolin::platform
