// Conversions of the registry routines' dynamically typed value.

#include "common/uCommon.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

namespace fegolin {
namespace {

using std::chrono::days;
using std::chrono::sys_days;
using std::chrono::year_month_day;

constexpr sys_days kOleEpoch{std::chrono::year{1899} / 12 / 30};
constexpr int kSecondsPerDay = 86400;
// Years 1 to 9999 in OLE days, with a margin; keeps the day count well
// inside what the calendar arithmetic can hold.
constexpr double kOleDayLimit = 3.0e6;

template <class... F> struct Overloaded : F... { using F::operator()...; };
template <class... F> Overloaded(F...) -> Overloaded<F...>;

// A whole-string number in the C locale, so the text stored by one machine
// reads back the same on another.
template <class T> std::optional<T> ParseNumber(std::string_view text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') {
    text.remove_prefix(1);
  }
  T value{};
  const auto* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end) {
    return std::nullopt;
  }
  return value;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  if (text.size() != lowerWord.size()) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
    if (c != lowerWord[i]) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> DateTimeToText(TDateTime dateTime) {
  const double value = dateTime.value;
  if (!std::isfinite(value) || std::fabs(value) > kOleDayLimit) {
    return std::nullopt;
  }
  // Before the epoch the fraction still counts forward from midnight:
  // -1.25 is 1899-12-29 06:00.
  const double wholeDays = std::trunc(value);
  auto seconds = std::llround(std::fabs(value - wholeDays) * kSecondsPerDay);
  sys_days day = kOleEpoch + days{static_cast<int>(wholeDays)};
  if (seconds == kSecondsPerDay) {
    day += days{1};
    seconds = 0;
  }
  const year_month_day date{day};
  const int year = static_cast<int>(date.year());
  if (year < 1 || year > 9999) {
    return std::nullopt;
  }
  // Sized for the widest values the argument types allow, so the compiler
  // can prove nothing is ever cut off.
  std::array<char, 96> text{};
  std::snprintf(text.data(), text.size(), "%04d-%02u-%02u %02lld:%02lld:%02lld", year,
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                seconds / 3600, seconds / 60 % 60, seconds % 60);
  return std::string(text.data());
}

// Reads `count` digits at `pos` as a number.
std::optional<int> Digits(std::string_view text, std::size_t pos, std::size_t count) {
  if (pos + count > text.size()) {
    return std::nullopt;
  }
  int value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

std::optional<TDateTime> TextToDateTime(std::string_view text) {
  const auto year = Digits(text, 0, 4);
  const auto month = Digits(text, 5, 2);
  const auto day = Digits(text, 8, 2);
  if (!year || !month || !day || *year < 1 || text[4] != '-' || text[7] != '-') {
    return std::nullopt;
  }
  const year_month_day date{std::chrono::year{*year},
                            std::chrono::month(static_cast<unsigned>(*month)),
                            std::chrono::day(static_cast<unsigned>(*day))};
  if (!date.ok()) {
    return std::nullopt;
  }
  int seconds = 0;
  if (text.size() > 10) {
    const auto hour = Digits(text, 11, 2);
    const auto minute = Digits(text, 14, 2);
    const bool withSeconds = text.size() == 19;
    const auto second = withSeconds ? Digits(text, 17, 2) : std::optional<int>(0);
    if ((text[10] != ' ' && text[10] != 'T') || !hour || !minute || !second || text[13] != ':' ||
        (withSeconds && text[16] != ':') || (text.size() != 16 && !withSeconds) || *hour > 23 ||
        *minute > 59 || *second > 59) {
      return std::nullopt;
    }
    seconds = (*hour * 60 + *minute) * 60 + *second;
  } else if (text.size() != 10) {
    return std::nullopt;
  }
  const double wholeDays = static_cast<double>((sys_days{date} - kOleEpoch).count());
  const double fraction = static_cast<double>(seconds) / kSecondsPerDay;
  return TDateTime{wholeDays >= 0 ? wholeDays + fraction : wholeDays - fraction};
}

std::optional<std::int32_t> WholeNumber(double value) {
  if (!std::isfinite(value) || value != std::trunc(value) ||
      value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

} // namespace

std::optional<std::string> RegVariantToText(const RegVariant& value) {
  return std::visit(
      Overloaded{
          [](std::monostate) -> std::optional<std::string> { return std::string(); },
          [](const std::string& text) -> std::optional<std::string> { return text; },
          [](std::int32_t number) -> std::optional<std::string> { return std::to_string(number); },
          [](bool flag) -> std::optional<std::string> {
            return std::string(flag ? "True" : "False");
          },
          [](double number) -> std::optional<std::string> {
            std::array<char, 64> text{};
            const auto result = std::to_chars(text.data(), text.data() + text.size(), number);
            return std::string(text.data(), result.ptr);
          },
          [](TDateTime dateTime) { return DateTimeToText(dateTime); },
      },
      value);
}

std::optional<std::int32_t> RegVariantToInteger(const RegVariant& value) {
  return std::visit(Overloaded{
                        [](std::monostate) -> std::optional<std::int32_t> { return std::nullopt; },
                        [](const std::string& text) { return ParseNumber<std::int32_t>(text); },
                        [](std::int32_t number) -> std::optional<std::int32_t> { return number; },
                        [](bool flag) -> std::optional<std::int32_t> { return flag ? 1 : 0; },
                        [](double number) { return WholeNumber(number); },
                        [](TDateTime) -> std::optional<std::int32_t> { return std::nullopt; },
                    },
                    value);
}

std::optional<bool> RegVariantToBoolean(const RegVariant& value) {
  return std::visit(Overloaded{
                        [](std::monostate) -> std::optional<bool> { return std::nullopt; },
                        [](const std::string& text) -> std::optional<bool> {
                          if (EqualsIgnoringCase(text, "true")) {
                            return true;
                          }
                          if (EqualsIgnoringCase(text, "false")) {
                            return false;
                          }
                          const auto number = ParseNumber<std::int64_t>(text);
                          if (!number) {
                            return std::nullopt;
                          }
                          return *number != 0;
                        },
                        [](std::int32_t number) -> std::optional<bool> { return number != 0; },
                        [](bool flag) -> std::optional<bool> { return flag; },
                        [](double number) -> std::optional<bool> {
                          if (std::isnan(number)) {
                            return std::nullopt;
                          }
                          return number != 0.0;
                        },
                        [](TDateTime) -> std::optional<bool> { return std::nullopt; },
                    },
                    value);
}

std::optional<double> RegVariantToFloat(const RegVariant& value) {
  return std::visit(Overloaded{
                        [](std::monostate) -> std::optional<double> { return std::nullopt; },
                        [](const std::string& text) { return ParseNumber<double>(text); },
                        [](std::int32_t number) -> std::optional<double> { return number; },
                        [](bool flag) -> std::optional<double> { return flag ? 1.0 : 0.0; },
                        [](double number) -> std::optional<double> { return number; },
                        [](TDateTime dateTime) -> std::optional<double> { return dateTime.value; },
                    },
                    value);
}

std::optional<TDateTime> RegVariantToDateTime(const RegVariant& value) {
  return std::visit(Overloaded{
                        [](std::monostate) -> std::optional<TDateTime> { return std::nullopt; },
                        [](const std::string& text) { return TextToDateTime(text); },
                        [](std::int32_t number) -> std::optional<TDateTime> {
                          return TDateTime{static_cast<double>(number)};
                        },
                        [](bool) -> std::optional<TDateTime> { return std::nullopt; },
                        [](double number) -> std::optional<TDateTime> {
                          if (!std::isfinite(number)) {
                            return std::nullopt;
                          }
                          return TDateTime{number};
                        },
                        [](TDateTime dateTime) -> std::optional<TDateTime> { return dateTime; },
                    },
                    value);
}

} // namespace fegolin
