#pragma once

// One clean run without any window: the ticked folders of the stored list,
// in the order the window's list shows them, emptied by the same engine the
// window uses.

#include <iosfwd>

namespace fegolin {

// Cleans every ticked folder of the stored folder list once and writes one
// line per folder to `out`:
//   <folder>: <n> removed, <m> left
// with ", not read to the end" added when the folder could not be listed
// completely (a missing folder, say). Reads the registry, never writes it.
void CleanStoredFoldersOnce(std::ostream& out);

} // namespace fegolin
