#pragma once

// The registry as text, in the format of the system's registry editor, so
// settings can be looked at, backed up and carried to another machine or
// platform:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Norvalt\Fegolin]
//   "Show Splash"=dword:00000001
//   @="the key's default value"
//
// Writing: UTF-8 without byte order mark, CRLF line ends (as the registry
// editor writes them, so the file stays usable there). Every key with its
// values, subkeys after their parent in name order, values in the order they
// were created; a root only when it holds values itself. REG_SZ is written
// as "text" when its bytes are UTF-8 without CR, LF or NUL and end in one
// NUL; REG_DWORD of 4 bytes as dword:; REG_BINARY as hex:; string types
// otherwise (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as hex(1)/hex(2)/hex(7)
// of their UTF-16LE form, like the registry editor, with bytes that are not
// UTF-8 carried as the lone surrogates U+DC80..U+DCFF; every other type as
// hex(N): of its raw bytes. Long hex data is continued on lines of at most
// 80 characters ending in '\' and indented by two blanks.
//
// Reading takes UTF-16LE with byte order mark and UTF-8 with or without
// one, CRLF or LF, blank lines and ';' comments, and also [-KEY] (delete a
// key tree) and "name"=- (delete a value). A file that is not well-formed is
// refused as a whole with the number of the offending line; a valid file is
// applied as one transaction, so either all of it lands or nothing.
//
// Exporting a hive, importing the text into a fresh hive and exporting that
// gives the same bytes. An export reads one state of the registry: changes
// other processes make meanwhile are either all in it or not at all.
//
// Error messages quote the file only as PrintableText, so a file cannot
// send control sequences to the terminal that shows the message.

#include "platform/Registry.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fegolin {

// What went wrong with a registry text; `line` counts from 1, 0 when the
// problem belongs to no line.
struct RegTextError {
  std::size_t line = 0;
  std::string message;
};

inline constexpr std::string_view kRegTextHeader = "Windows Registry Editor Version 5.00";

// `text` fit to be quoted in a message: control characters (C0, DEL, C1)
// and bytes that are not UTF-8 become \xNN (C1 characters \u0080 ...
// \u009f); everything else stays as it is.
std::string PrintableText(std::string_view text);

// Every key and value of `registry` as text; nothing when the registry could
// not be read, with the reason in `error`.
std::optional<std::string> ExportRegText(platform::Registry& registry, RegTextError& error);

// Reads the text file `bytes` and applies it to `registry` in one
// transaction. Nothing on success; otherwise the error, and the registry is
// as it was.
std::optional<RegTextError> ImportRegText(platform::Registry& registry, std::string_view bytes);

} // namespace fegolin
