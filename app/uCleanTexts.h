#pragma once

// The window's words for what the cleaning engine decides: why an entry
// stays, why a folder is refused, and what a run came to, in the language
// in force. The headless command prints the engine's own English texts
// instead.

#include "common/uCommon.h"

#include <QString>

#include <cstdint>
#include <string_view>

namespace fegolin {

// "in Gebrauch", "anderes Dateisystem", ...
QString ReasonCaption(CleanReason reason);
// "das Wurzelverzeichnis", "existiert nicht", ...
QString RefusalCaption(const platform::TargetCheck& check);
// Why a run would refuse `directory`, checked on the folder as it is now;
// empty when a run may clean it.
QString RefusalOf(std::string_view directory);
// The hint of such a folder in the list ("Wird nicht gereinigt: ...");
// empty when a run may clean it.
QString RefusedHint(std::string_view directory);

// Counts and sizes as a reader of the language in force writes them:
// "1.234", "12,3 MB" in German, "1,234", "12.3 MB" in English.
QString CountText(std::uint64_t count);
QString SizeText(std::uint64_t bytes);

// "1.234 entfernt, 5 behalten, 0 fehlgeschlagen, 12,3 MB frei geworden",
// each number bound to its word by a no-break space.
QString OutcomeText(const CleanSummary& total);

} // namespace fegolin
