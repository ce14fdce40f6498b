#pragma once

// Strict UTF-8 for the names the hive folds and the registry text files:
// one decoder and one encoder, so both agree on what is malformed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fegolin::platform {

// Decodes the character at `pos` (which must lie inside `text`) and moves
// past it; nothing for a malformed sequence (overlong forms, surrogates and
// values past U+10FFFF included), with `pos` left where it was.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of a code point up to U+10FFFF.
void AppendUtf8(char32_t cp, std::string& out);

} // namespace fegolin::platform
