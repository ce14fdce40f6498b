#pragma once

// One clean run without any window: the ticked folders of the stored list,
// in the order the window's list shows them, emptied by the same engine and
// rules the window uses.

#include "common/uCommon.h"

#include <iosfwd>
#include <string>

namespace fegolin {

// Cleans (or with CleanMode::Preview only reports on) every ticked folder
// of the stored folder list once. Writes one line per folder to `out`:
//   <folder>: <n> removed, <k> kept, <f> failed, <size> freed
// (in a preview "<n> to remove, <k> kept, <f> failing, <size>"), with
// ", not read to the end" when the folder's listing was cut short; a
// preview first lists every entry, one a line:
//   remove<TAB><path>     or     keep<TAB><path><TAB><reason>
// Entries the system refused go to `err` with their reason, and so does a
// folder that was not cleaned at all (refused, missing, not a folder).
// Reads the registry, never writes it. Returns 0, or 2 when some ticked
// folder was not cleaned at all (the others are cleaned all the same).
int CleanStoredFoldersOnce(std::ostream& out, std::ostream& err, CleanMode mode);

// A byte count as people read it: "0 B", "999 B", "1.2 kB", "3.4 MB", ...
std::string SizeText(std::uint64_t bytes);

} // namespace fegolin
