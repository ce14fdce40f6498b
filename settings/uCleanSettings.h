#pragma once

// The cleaning rules the user keeps beside the options: a minimum age and
// the keep patterns. Stored as values of their own under the options key,
// so a configuration written before they existed loads unchanged: no age
// value means every age, no pattern value means the default patterns.

#include "common/uCleanRules.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fegolin {

// The unit of the minimum age as the options store it.
enum class AgeUnit : std::int32_t { Hours = 0, Days = 1 };

struct StoredCleanRules {
  std::int32_t minimumAge = 0; // 0: off
  AgeUnit unit = AgeUnit::Hours;
  std::vector<std::string> keepPatterns = DefaultKeepPatterns();

  // The rules a run applies.
  [[nodiscard]] CleanRules Rules() const;
  friend bool operator==(const StoredCleanRules&, const StoredCleanRules&) = default;
};

// The largest minimum age the options take, in either unit.
inline constexpr std::int32_t kMaxMinimumAge = 999;

// Reads the stored rules; writes nothing, also where values are missing.
StoredCleanRules ReadCleanRules();
// Stores the rules in one transaction; the reason when that failed.
std::optional<std::string> WriteCleanRules(const StoredCleanRules& rules);

} // namespace fegolin
