#pragma once

// Key and value names of the hive: which are allowed, and the folded form
// under which they are compared. Names are UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace fegolin::platform::posix {

// The deepest a key may lie below its root, as on the system registry.
inline constexpr int kMaxKeyDepth = 512;

// The folded form of one key name (no '\', 1 to 255 characters), or nothing
// when the name is not allowed.
std::optional<std::string> FoldKeyName(std::string_view name);

// The folded form of a value name (empty for the default value, at most
// 16383 characters), or nothing when the name is not allowed.
std::optional<std::string> FoldValueName(std::string_view name);

} // namespace fegolin::platform::posix
