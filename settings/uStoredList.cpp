#include "settings/uStoredList.h"

#include "settings/uListOrder.h"

#include <algorithm>

namespace fegolin {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

std::vector<std::string> FoldersToClean(const TcDirectoryListView& list) {
  std::vector<std::string> folders;
  for (int i = 0; i < list.Count(); ++i) {
    const TcPathData* entry = list.Entry(i);
    // Nameless entries end the stored list; the window's list passes
    // them over the same way.
    if (entry != nullptr && !entry->DisplayName().empty() && list.IsChecked(i)) {
      folders.push_back(entry->Directory());
    }
  }
  return folders;
}

TcPathData* TcStoredDirectoryList::Entry(int index) const {
  return items_.at(static_cast<std::size_t>(index)).entry.get();
}

bool TcStoredDirectoryList::IsChecked(int index) const {
  return marks_.contains(items_.at(static_cast<std::size_t>(index)).text);
}

void TcStoredDirectoryList::Add(std::string_view text, std::unique_ptr<TcPathData> entry) {
  Item item{ToQString(text), std::move(entry)};
  const auto at =
      std::upper_bound(items_.begin(), items_.end(), item.text,
                       [](const QString& t, const Item& i) { return ListsBefore(t, i.text); });
  items_.insert(at, std::move(item));
}

bool TcStoredDirectoryList::SetChecked(std::string_view text, bool checked) {
  const int index = IndexOfText(
      Count(), [this](int i) { return items_[static_cast<std::size_t>(i)].text; }, ToQString(text));
  if (index < 0) {
    return false;
  }
  const QString& found = items_[static_cast<std::size_t>(index)].text;
  if (checked) {
    marks_.insert(found);
  } else {
    marks_.erase(found);
  }
  return true;
}

void TcStoredDirectoryList::ReleaseAll() {
  items_.clear();
  marks_.clear();
}

} // namespace fegolin
