#include "platform/posix/RegNames.h"

#include "platform/Utf8.h"

#include <cstddef>
#include <cstdint>

namespace fegolin::platform::posix {
namespace {

constexpr std::size_t kMaxKeyNameChars = 255;
constexpr std::size_t kMaxValueNameChars = 16383;

// Upper case, as the registry compares names. Covers the letters of the
// Latin-1 and Latin Extended-A blocks, Greek and Cyrillic, which is where
// names that differ only in case turn up in practice.
char32_t UpperCase(char32_t cp) {
  if (cp >= U'a' && cp <= U'z') {
    return cp - 0x20;
  }
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) {
    return cp - 0x20;
  }
  if (cp == 0xFF) {
    return 0x178;
  }
  // Latin Extended-A: alternating capital and small letter pairs, with the
  // pairing shifting by one between U+0138 and U+0149 and after U+0178.
  // The dotless i stays itself: its capital is the plain I only in Turkish.
  if ((cp >= 0x100 && cp <= 0x137 && cp != 0x131) || (cp >= 0x14A && cp <= 0x177)) {
    return (cp & 1U) != 0 ? cp - 1 : cp;
  }
  if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) {
    return (cp & 1U) == 0 ? cp - 1 : cp;
  }
  if (cp == 0x3C2) {
    return 0x3A3;
  }
  if ((cp >= 0x3B1 && cp <= 0x3C1) || (cp >= 0x3C3 && cp <= 0x3CB)) {
    return cp - 0x20;
  }
  if (cp >= 0x430 && cp <= 0x44F) {
    return cp - 0x20;
  }
  if (cp >= 0x450 && cp <= 0x45F) {
    return cp - 0x50;
  }
  return cp;
}

std::optional<std::string> Fold(std::string_view name, std::size_t maxChars, bool keyName) {
  std::string folded;
  folded.reserve(name.size());
  std::size_t chars = 0;
  for (std::size_t pos = 0; pos < name.size();) {
    const auto cp = DecodeUtf8(name, pos);
    // Control characters would break the text export, and a '\' in a key
    // name would be read as a separator.
    if (!cp || *cp < 0x20 || *cp == 0x7F || (keyName && *cp == U'\\')) {
      return std::nullopt;
    }
    if (++chars > maxChars) {
      return std::nullopt;
    }
    AppendUtf8(UpperCase(*cp), folded);
  }
  return folded;
}

} // namespace

std::optional<std::string> FoldKeyName(std::string_view name) {
  if (name.empty()) {
    return std::nullopt;
  }
  return Fold(name, kMaxKeyNameChars, true);
}

std::optional<std::string> FoldValueName(std::string_view name) {
  return Fold(name, kMaxValueNameChars, false);
}

} // namespace fegolin::platform::posix
