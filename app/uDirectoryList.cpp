#include "app/uDirectoryList.h"

#include "kit/kitlist.h"

#include <QString>

#include <algorithm>

namespace fegolin {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TcDirectoryList::TcDirectoryList(TkitCheckListBox& list) : list_(list) {}

// The control may outlive this list for a moment while the window is torn
// down; it must not be left pointing at released entries.
TcDirectoryList::~TcDirectoryList() {
  list_.ClearItems();
}

int TcDirectoryList::Count() const {
  return list_.ItemCount();
}

TcPathData* TcDirectoryList::Entry(int index) const {
  return list_.ItemObjectAs<TcPathData>(index);
}

bool TcDirectoryList::IsChecked(int index) const {
  return list_.GetChecked(list_.ItemText(index));
}

void TcDirectoryList::Add(std::string_view text, std::unique_ptr<TcPathData> entry) {
  TcPathData* raw = entry.get();
  entries_.push_back(std::move(entry));
  list_.AddItem(ToQString(text), raw);
}

bool TcDirectoryList::SetChecked(std::string_view text, bool checked) {
  return list_.SetChecked(ToQString(text), checked);
}

void TcDirectoryList::ReleaseAll() {
  list_.ClearItems();
  entries_.clear();
}

void TcDirectoryList::Delete(int index) {
  TcPathData* entry = Entry(index);
  list_.DeleteItem(index);
  std::erase_if(entries_, [entry](const auto& owned) { return owned.get() == entry; });
}

TcDirectoryList::Content TcDirectoryList::StoredContent() const {
  Content content;
  for (int i = 0; i < Count(); ++i) {
    if (const TcPathData* entry = Entry(i)) {
      content.emplace_back(entry->DisplayName(), entry->Directory(), entry->State());
    }
  }
  std::sort(content.begin(), content.end());
  return content;
}

} // namespace fegolin
