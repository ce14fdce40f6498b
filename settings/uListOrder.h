#pragma once

// How a folder list orders its items and finds one by its text. The check
// list box on the window and the stored list a headless run reads both
// follow these two rules, so a run cleans the same folders in the same
// order whichever of them it starts from.

#include <QString>

#include <functional>

namespace fegolin {

// Items are sorted as people read them: letter case does not count, and
// only texts that differ in case alone fall back to the exact comparison,
// so the order is still total.
bool ListsBefore(const QString& a, const QString& b);

// The index of the item with exactly `text`, else of the first whose text
// differs in letter case alone; -1 when there is none. `textAt` gives the
// text of item 0 .. count-1.
int IndexOfText(int count, const std::function<QString(int)>& textAt, const QString& text);

} // namespace fegolin
