#pragma once

// The folder list written and read the way the settings store does it, for
// the tests of the registry routines beneath it.

#include "common/uCommon.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace fegolin::test {

inline constexpr std::string_view kFolderListKey = "\\Software\\Norvalt\\Fegolin\\Paths";

// The old key goes, the new entries are written, all ticked.
inline void SaveFolderList(RegRoot root, const std::vector<std::string>& names) {
  DeleteRegKey(root, kFolderListKey);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string n = std::to_string(i);
    WriteRegValue(root, kFolderListKey, "Display Name " + n, names[i], TFieldType::ftString);
    WriteRegValue(root, kFolderListKey, "Directory " + n, "/tmp/" + names[i], TFieldType::ftString);
    WriteRegValue(root, kFolderListKey, "State " + n, true, TFieldType::ftBoolean);
  }
}

// The display names up to the first missing one.
inline std::vector<std::string> FolderListNames(RegRoot root) {
  std::vector<std::string> names;
  for (int i = 0;; ++i) {
    const auto name = ReadRegValue(root, kFolderListKey, "Display Name " + std::to_string(i),
                                   TFieldType::ftString);
    if (std::get<std::string>(name).empty()) {
      return names;
    }
    names.push_back(std::get<std::string>(name));
  }
}

} // namespace fegolin::test
