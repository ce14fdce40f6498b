#include "common/uRegTextCodec.h"

#include "platform/Utf8.h"

#include <algorithm>

namespace fegolin::regtext {
namespace {

using platform::AppendUtf8;
using platform::DecodeUtf8;

constexpr char32_t kHighFirst = 0xD800;
constexpr char32_t kLowFirst = 0xDC00;
constexpr char32_t kLowLast = 0xDFFF;
// Lone low surrogates that stand for one byte outside UTF-8.
constexpr char32_t kEscapeFirst = 0xDC80;
constexpr char32_t kEscapeLast = 0xDCFF;

void AppendUnit(char32_t unit, std::vector<std::uint8_t>& out) {
  out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

std::vector<char32_t> Units(std::span<const std::uint8_t> data) {
  std::vector<char32_t> units;
  units.reserve(data.size() / 2);
  for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
    units.push_back(static_cast<char32_t>(data[i] | (data[i + 1] << 8)));
  }
  return units;
}

bool IsHigh(char32_t unit) {
  return unit >= kHighFirst && unit < kLowFirst;
}

bool IsLow(char32_t unit) {
  return unit >= kLowFirst && unit <= kLowLast;
}

// Walks UTF-16 units, handing every character to `take`, pairs joined. A
// lone surrogate goes to `lone`; when that refuses, decoding stops there.
// Returns the index of the unit where it stopped (size() when done).
template <class Take, class Lone>
std::size_t WalkUtf16(const std::vector<char32_t>& units, Take take, Lone lone) {
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char32_t unit = units[i];
    if (IsHigh(unit) && i + 1 < units.size() && IsLow(units[i + 1])) {
      take(0x10000 + ((unit - kHighFirst) << 10) + (units[i + 1] - kLowFirst));
      ++i;
    } else if (IsHigh(unit) || IsLow(unit)) {
      if (!lone(unit)) {
        return i;
      }
    } else {
      take(unit);
    }
  }
  return units.size();
}

std::size_t LineAt(std::string_view text, std::size_t pos) {
  return 1 + static_cast<std::size_t>(
                 std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
}

} // namespace

bool IsUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    if (!DecodeUtf8(text, pos)) {
      return false;
    }
  }
  return true;
}

std::optional<std::string> DecodeFile(std::string_view bytes, RegTextError& error) {
  const auto starts = [&](std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
  };
  if (starts("\xFF\xFE")) {
    bytes.remove_prefix(2);
    const auto units = Units({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    std::string text;
    const std::size_t stop = WalkUtf16(
        units, [&](char32_t cp) { AppendUtf8(cp, text); }, [](char32_t) { return false; });
    if (stop != units.size() || bytes.size() % 2 != 0) {
      error = {LineAt(text, text.size()), "the file is not valid UTF-16 text"};
      return std::nullopt;
    }
    return text;
  }
  if (starts("\xFE\xFF")) {
    error = {1, "UTF-16 big-endian files are not supported; save the file as UTF-16LE or UTF-8"};
    return std::nullopt;
  }
  if (starts("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  }
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t start = pos;
    if (!DecodeUtf8(bytes, pos)) {
      error = {LineAt(bytes, start), "the file is not valid UTF-8 text"};
      return std::nullopt;
    }
  }
  return std::string(bytes);
}

std::vector<std::uint8_t> HiveStringToUtf16(std::span<const std::uint8_t> data) {
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  std::vector<std::uint8_t> out;
  out.reserve(data.size() * 2);
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    const auto cp = DecodeUtf8(text, pos);
    if (!cp) {
      AppendUnit(kLowFirst + data[start], out);
      pos = start + 1;
    } else if (*cp >= 0x10000) {
      AppendUnit(kHighFirst + ((*cp - 0x10000) >> 10), out);
      AppendUnit(kLowFirst + ((*cp - 0x10000) & 0x3FF), out);
    } else {
      AppendUnit(*cp, out);
    }
  }
  return out;
}

std::optional<std::vector<std::uint8_t>> Utf16ToHiveString(std::span<const std::uint8_t> data) {
  if (data.size() % 2 != 0) {
    return std::nullopt;
  }
  const auto units = Units(data);
  std::string text;
  const std::size_t stop = WalkUtf16(
      units, [&](char32_t cp) { AppendUtf8(cp, text); },
      [&](char32_t unit) {
        if (unit < kEscapeFirst || unit > kEscapeLast) {
          return false;
        }
        text += static_cast<char>(unit - kLowFirst);
        return true;
      });
  if (stop != units.size()) {
    return std::nullopt;
  }
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

} // namespace fegolin::regtext
