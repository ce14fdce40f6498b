#include "settings/uTcPathData.h"

#include <gtest/gtest.h>

namespace fegolin {
namespace {

TEST(TcPathData, StartsUncheckedWithTheFolderAsGiven) {
  const TcPathData entry("Windows Temp", "C:\\WINDOWS\\Temp\\");
  EXPECT_FALSE(entry.State());
  EXPECT_EQ(entry.Directory(), "C:\\WINDOWS\\Temp\\") << "no separator is added or removed";
  EXPECT_EQ(entry.DisplayName(), "Windows Temp");
}

TEST(TcPathData, ListCaptionPutsTheFolderInASecondColumn) {
  TcPathData entry("User Temp", "/tmp");
  EXPECT_EQ(entry.ListCaption(), "User Temp\t(/tmp)");
  entry.SetDisplayName("");
  entry.SetDirectory("");
  EXPECT_EQ(entry.ListCaption(), "\t()");
}

} // namespace
} // namespace fegolin
