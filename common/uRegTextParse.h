#pragma once

// Reading the registry text into a list of changes, before any of them is
// applied.

#include "common/uRegText.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fegolin::regtext {

struct RootName {
  platform::RegRoot root;
  std::string_view name;
};

// The roots in the order they are written.
inline constexpr std::array<RootName, 5> kRootNames{{
    {platform::kRegClassesRoot, "HKEY_CLASSES_ROOT"},
    {platform::kRegCurrentUser, "HKEY_CURRENT_USER"},
    {platform::kRegLocalMachine, "HKEY_LOCAL_MACHINE"},
    {platform::kRegUsers, "HKEY_USERS"},
    {platform::kRegCurrentConfig, "HKEY_CURRENT_CONFIG"},
}};

enum class ChangeKind : std::uint8_t { CreateKey, DeleteKey, SetValue, DeleteValue };

struct Change {
  ChangeKind kind = ChangeKind::CreateKey;
  platform::RegRoot root = 0;
  std::string key;  // below the root, '\' between names; empty for the root
  std::string name; // of the value
  platform::RegValue value;
  std::size_t line = 0;
};

// The changes of a decoded (UTF-8) file; nothing when it is malformed, with
// the line and reason in `error`.
std::optional<std::vector<Change>> ParseRegText(std::string_view text, RegTextError& error);

} // namespace fegolin::regtext
