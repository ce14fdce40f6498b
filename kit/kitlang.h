#pragma once

// The language id the kit works with is the Windows LANGID: the caption lists
// of the components are keyed by it ("0407" for German, "0409" for US
// English), so the same stored lists work on every platform.

#include <cstdint>

class QLocale;

namespace fegolin {

// MAKELANGID(primary, sub) of a locale: 0x0407 for de_DE, 0x0807 for de_CH,
// 0x0409 for en_US. A territory the table does not know gets the language's
// default sublanguage; the C locale counts as US English and a language the
// table does not know is LANG_NEUTRAL with SUBLANG_DEFAULT (0x0400).
std::uint16_t WindowsLanguageId(const QLocale& locale);

// The id of the system's locale, the one the kit's captions follow.
std::uint16_t SystemLanguageId();

} // namespace fegolin
