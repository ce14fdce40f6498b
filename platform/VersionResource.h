#pragma once

// The version information of an executable file: the fixed part, the
// translation list and the string blocks, read through one query routine in
// the manner of VerQueryValue so that callers do not care whether the block
// came from a compiled-in table or from a real VERSIONINFO resource.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

namespace fegolin::platform {

// The fixed part of a version resource, field for field as the resource
// stores it (VS_FIXEDFILEINFO). QueryValue("\\") answers with these bytes.
struct FixedFileInfo {
  std::uint32_t dwSignature;
  std::uint32_t dwStrucVersion;
  std::uint32_t dwFileVersionMS;
  std::uint32_t dwFileVersionLS;
  std::uint32_t dwProductVersionMS;
  std::uint32_t dwProductVersionLS;
  std::uint32_t dwFileFlagsMask;
  std::uint32_t dwFileFlags;
  std::uint32_t dwFileOS;
  std::uint32_t dwFileType;
  std::uint32_t dwFileSubtype;
  std::uint32_t dwFileDateMS;
  std::uint32_t dwFileDateLS;
};
static_assert(sizeof(FixedFileInfo) == 52, "the fixed part has the resource's layout");

inline constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;

// Bits of FixedFileInfo::dwFileFlags.
inline constexpr std::uint32_t kFileFlagDebug = 0x01u;
inline constexpr std::uint32_t kFileFlagPreRelease = 0x02u;
inline constexpr std::uint32_t kFileFlagPatched = 0x04u;
inline constexpr std::uint32_t kFileFlagPrivateBuild = 0x08u;
inline constexpr std::uint32_t kFileFlagInfoInferred = 0x10u;
inline constexpr std::uint32_t kFileFlagSpecialBuild = 0x20u;

// One loaded version block.
class VersionResource {
public:
  virtual ~VersionResource() = default;

  // Looks a value up by its path in the block, letters compared without
  // regard to case:
  //   "\\"                                   the fixed part (FixedFileInfo bytes)
  //   "\\VarFileInfo\\Translation"           pairs of 16-bit words, language
  //                                          then code page, in native order
  //   "\\StringFileInfo\\080704E4\\Comments" the string in the platform's
  //                                          narrow encoding (UTF-8 here),
  //                                          its terminating zero included
  // Nothing when the block holds no such value. The bytes live as long as
  // this object.
  [[nodiscard]] virtual std::optional<std::span<const std::byte>>
  QueryValue(std::string_view subBlock) const = 0;
};

// The version block of the executable `fileName`; null when that file has no
// version information (or does not exist).
[[nodiscard]] std::unique_ptr<VersionResource> LoadVersionResource(std::string_view fileName);

} // namespace fegolin::platform
