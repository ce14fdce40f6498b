#include "platform/posix/RegNames.h"

#include <cstddef>
#include <cstdint>

namespace fegolin::platform::posix {
namespace {

constexpr std::size_t kMaxKeyNameChars = 255;
constexpr std::size_t kMaxValueNameChars = 16383;

// Decodes the UTF-8 character at `pos`; nothing for a malformed sequence
// (overlong forms, surrogates and values past U+10FFFF included).
std::optional<char32_t> DecodeAt(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
    minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (pos + length > text.size()) {
    return std::nullopt;
  }
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<std::uint8_t>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      return std::nullopt;
    }
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    return std::nullopt;
  }
  pos += length;
  return cp;
}

void Encode(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

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
    const auto cp = DecodeAt(name, pos);
    // Control characters would break the text export, and a '\' in a key
    // name would be read as a separator.
    if (!cp || *cp < 0x20 || *cp == 0x7F || (keyName && *cp == U'\\')) {
      return std::nullopt;
    }
    if (++chars > maxChars) {
      return std::nullopt;
    }
    Encode(UpperCase(*cp), folded);
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
