#include "settings/uCleanSettings.h"

#include "common/uCommon.h"
#include "settings/uTcSettings.h"

#include <algorithm>
#include <variant>

namespace fegolin {
namespace {

constexpr std::string_view kMinimumAge = "Minimum Age";
constexpr std::string_view kMinimumAgeUnit = "Minimum Age Unit";
constexpr std::string_view kKeepPatterns = "Keep Patterns";

std::optional<std::int32_t> ReadInteger(std::string_view name) {
  const auto value = ReadStoredRegValue(kCurrentUserRoot, kRegKeyApp, name, TFieldType::ftInteger);
  if (const auto* number = value ? std::get_if<std::int32_t>(&*value) : nullptr) {
    return *number;
  }
  return std::nullopt;
}

} // namespace

CleanRules StoredCleanRules::Rules() const {
  CleanRules rules;
  const std::int64_t hours = unit == AgeUnit::Days ? 24 : 1;
  rules.minimumAgeSeconds = std::clamp(minimumAge, 0, kMaxMinimumAge) * hours * 3600;
  rules.keepPatterns = keepPatterns;
  return rules;
}

StoredCleanRules ReadCleanRules() {
  StoredCleanRules stored;
  stored.minimumAge = std::clamp(ReadInteger(kMinimumAge).value_or(0), 0, kMaxMinimumAge);
  stored.unit = ReadInteger(kMinimumAgeUnit).value_or(0) == 1 ? AgeUnit::Days : AgeUnit::Hours;
  const auto patterns =
      ReadStoredRegValue(kCurrentUserRoot, kRegKeyApp, kKeepPatterns, TFieldType::ftString);
  if (const auto* text = patterns ? std::get_if<std::string>(&*patterns) : nullptr) {
    stored.keepPatterns = SplitKeepPatterns(*text);
  }
  return stored;
}

std::optional<std::string> WriteCleanRules(const StoredCleanRules& rules) {
  RegTransaction transaction;
  const bool written =
      WriteRegValue(kCurrentUserRoot, kRegKeyApp, kMinimumAge,
                    RegVariant(std::clamp(rules.minimumAge, 0, kMaxMinimumAge)),
                    TFieldType::ftInteger) &&
      WriteRegValue(kCurrentUserRoot, kRegKeyApp, kMinimumAgeUnit,
                    RegVariant(static_cast<std::int32_t>(rules.unit)), TFieldType::ftInteger) &&
      WriteRegValue(kCurrentUserRoot, kRegKeyApp, kKeepPatterns,
                    RegVariant(JoinKeepPatterns(rules.keepPatterns)), TFieldType::ftString);
  if (!written || !transaction.Commit()) {
    return std::string("the settings could not be stored");
  }
  return std::nullopt;
}

} // namespace fegolin
