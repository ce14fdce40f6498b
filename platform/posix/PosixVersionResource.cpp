// The version information of the running program comes from a table compiled
// into it; no other file carries any, since ELF executables have no version
// resource. The query routine answers the same paths a VERSIONINFO block does.

#include "platform/VersionResource.h"
#include "platform/posix/VersionTable.h"

#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace fegolin::platform {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

// The components of a query path; empty components ("\\\\x", a trailing
// "\\") are dropped as VerQueryValue does.
std::vector<std::string_view> SplitSubBlock(std::string_view subBlock) {
  std::vector<std::string_view> parts;
  while (!subBlock.empty()) {
    const auto cut = subBlock.find('\\');
    const auto part = subBlock.substr(0, cut);
    if (!part.empty()) {
      parts.push_back(part);
    }
    if (cut == std::string_view::npos) {
      break;
    }
    subBlock.remove_prefix(cut + 1);
  }
  return parts;
}

bool IsRunningExecutable(std::string_view fileName) {
  struct stat own {};
  struct stat other {};
  const std::string name(fileName);
  return ::stat("/proc/self/exe", &own) == 0 && ::stat(name.c_str(), &other) == 0 &&
         own.st_dev == other.st_dev && own.st_ino == other.st_ino;
}

class TableVersionResource final : public VersionResource {
public:
  explicit TableVersionResource(const posix::VersionTable& table)
      : table_(table), translation_{table.language, table.codePage} {
    std::array<char, 9> name{};
    std::snprintf(name.data(), name.size(), "%04X%04X", unsigned{table.language},
                  unsigned{table.codePage});
    blockName_ = name.data();
  }

  std::optional<std::span<const std::byte>> QueryValue(std::string_view subBlock) const override {
    const auto parts = SplitSubBlock(subBlock);
    if (parts.empty()) {
      return std::as_bytes(std::span(&table_.fixed, 1));
    }
    if (parts.size() == 2 && EqualsNoCase(parts[0], "VarFileInfo") &&
        EqualsNoCase(parts[1], "Translation")) {
      return std::as_bytes(std::span(translation_));
    }
    if (parts.size() == 3 && EqualsNoCase(parts[0], "StringFileInfo") &&
        EqualsNoCase(parts[1], blockName_)) {
      for (const auto& entry : table_.strings) {
        if (EqualsNoCase(parts[2], entry.key)) {
          // The terminating zero belongs to the answer, as in a real block.
          return std::as_bytes(std::span(entry.value, std::strlen(entry.value) + 1));
        }
      }
    }
    return std::nullopt;
  }

private:
  const posix::VersionTable& table_;
  std::array<std::uint16_t, 2> translation_;
  std::string blockName_;
};

} // namespace

std::unique_ptr<VersionResource> LoadVersionResource(std::string_view fileName) {
  if (!IsRunningExecutable(fileName)) {
    return nullptr;
  }
  return std::make_unique<TableVersionResource>(posix::ProgramVersionTable());
}

} // namespace fegolin::platform
