#pragma once

// Character coding for the registry text exchange: reading the file in the
// codings regedit and editors write, and the UTF-16LE form of string values
// in hex(..) data.

#include "common/uRegText.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fegolin::regtext {

// The file's text as UTF-8: UTF-16LE with byte order mark, or UTF-8 with or
// without one. On failure `error` names the line with the first bad character.
std::optional<std::string> DecodeFile(std::string_view bytes, RegTextError& error);

// Whether `text` is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// String data of the hive (UTF-8, but any bytes at all) as UTF-16LE. A byte
// that is not part of a well-formed UTF-8 character becomes the lone
// surrogate U+DC00 + byte, so every byte string survives the trip.
std::vector<std::uint8_t> HiveStringToUtf16(std::span<const std::uint8_t> data);

// The reverse: UTF-16LE back to the hive's bytes, lone surrogates
// U+DC80..U+DCFF back to their byte. Nothing for an odd length or any other
// lone surrogate.
std::optional<std::vector<std::uint8_t>> Utf16ToHiveString(std::span<const std::uint8_t> data);

} // namespace fegolin::regtext
