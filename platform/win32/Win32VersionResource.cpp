// The version information of an executable on Windows: its VERSIONINFO
// resource, read with GetFileVersionInfoA and queried with VerQueryValueA.
// Strings come back in the system's ANSI code page.

#include "platform/VersionResource.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace fegolin::platform {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                        b.data(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

// What a query path asks for. Inner nodes of the block ("\VarFileInfo",
// a whole string table) are no values.
enum class Leaf : std::uint8_t { None, Fixed, Bytes, String };

Leaf LeafOf(std::string_view subBlock) {
  std::vector<std::string_view> parts;
  while (!subBlock.empty()) {
    const auto cut = subBlock.find('\\');
    if (const auto part = subBlock.substr(0, cut); !part.empty()) {
      parts.push_back(part);
    }
    if (cut == std::string_view::npos) {
      break;
    }
    subBlock.remove_prefix(cut + 1);
  }
  if (parts.empty()) {
    return Leaf::Fixed;
  }
  if (parts.size() == 2 && EqualsNoCase(parts[0], "VarFileInfo")) {
    return Leaf::Bytes;
  }
  if (parts.size() == 3 && EqualsNoCase(parts[0], "StringFileInfo")) {
    return Leaf::String;
  }
  return Leaf::None;
}

class Win32VersionResource final : public VersionResource {
public:
  explicit Win32VersionResource(std::vector<char> block) : block_(std::move(block)) {}

  std::optional<std::span<const std::byte>> QueryValue(std::string_view subBlock) const override {
    const Leaf leaf = LeafOf(subBlock);
    if (leaf == Leaf::None) {
      return std::nullopt;
    }
    void* found = nullptr;
    UINT length = 0;
    // VerQueryValueA keeps the ANSI forms of the strings it hands out in the
    // spare half of the block, so the block is not const to it.
    if (!VerQueryValueA(const_cast<char*>(block_.data()), std::string(subBlock).c_str(), &found,
                        &length) ||
        found == nullptr) {
      return std::nullopt;
    }
    const auto* bytes = static_cast<const std::byte*>(found);
    if (leaf != Leaf::String) {
      if (length == 0) {
        return std::nullopt;
      }
      return std::span(bytes, length);
    }
    // The length is in characters, with or without the terminating zero
    // depending on the system; the answer ends with exactly one zero.
    const auto* text = static_cast<const char*>(found);
    return std::span(bytes, ::strnlen(text, length) + 1);
  }

private:
  std::vector<char> block_;
};

} // namespace

std::unique_ptr<VersionResource> LoadVersionResource(std::string_view fileName) {
  if (fileName.empty()) {
    return nullptr;
  }
  const std::string name(fileName);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(name.c_str(), &ignored);
  if (size == 0) {
    return nullptr;
  }
  std::vector<char> block(std::size_t{size} + 1);
  if (!GetFileVersionInfoA(name.c_str(), 0, size, block.data())) {
    return nullptr;
  }
  return std::make_unique<Win32VersionResource>(std::move(block));
}

} // namespace fegolin::platform
