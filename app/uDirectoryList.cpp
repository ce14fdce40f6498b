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

// The control may outlive this list for a moment while the window is torn
// down; it must not be left pointing at released entries.
TcDirectoryList::~TcDirectoryList() {
  if (list_ != nullptr) {
    list_->ClearItems();
  }
}

void TcDirectoryList::Attach(TkitCheckListBox& list) {
  held_.ReleaseAll();
  list_ = &list;
}

int TcDirectoryList::Count() const {
  return list_ != nullptr ? list_->ItemCount() : held_.Count();
}

TcPathData* TcDirectoryList::Entry(int index) const {
  return list_ != nullptr ? list_->ItemObjectAs<TcPathData>(index) : held_.Entry(index);
}

bool TcDirectoryList::IsChecked(int index) const {
  return list_ != nullptr ? list_->GetChecked(list_->ItemText(index)) : held_.IsChecked(index);
}

void TcDirectoryList::Add(std::string_view text, std::unique_ptr<TcPathData> entry) {
  if (list_ == nullptr) {
    held_.Add(text, std::move(entry));
    return;
  }
  TcPathData* raw = entry.get();
  entries_.push_back(std::move(entry));
  list_->AddItem(ToQString(text), raw);
}

bool TcDirectoryList::SetChecked(std::string_view text, bool checked) {
  return list_ != nullptr ? list_->SetChecked(ToQString(text), checked)
                          : held_.SetChecked(text, checked);
}

void TcDirectoryList::ReleaseAll() {
  if (list_ == nullptr) {
    held_.ReleaseAll();
    return;
  }
  list_->ClearItems();
  entries_.clear();
}

void TcDirectoryList::Delete(int index) {
  if (list_ == nullptr) {
    return;
  }
  TcPathData* entry = Entry(index);
  list_->DeleteItem(index);
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
