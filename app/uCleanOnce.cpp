#include "app/uCleanOnce.h"

#include "common/uCommon.h"
#include "settings/uTcPathData.h"
#include "settings/uTcSettings.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <ostream>
#include <set>
#include <string_view>
#include <vector>

namespace fegolin {
namespace {

constexpr std::string_view kEveryName = "*.*";

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The order of the window's sorted folder list: letter case does not count,
// and texts that differ in case alone fall back to the exact comparison.
bool ListsBefore(const QString& a, const QString& b) {
  const int order = QString::compare(a, b, Qt::CaseInsensitive);
  return order != 0 ? order < 0 : a < b;
}

// The folder list as the window would hold it after loading, without the
// window: items sorted by text, check marks kept by text.
class StoredList final : public TcDirectoryListView {
public:
  [[nodiscard]] int Count() const override { return static_cast<int>(items_.size()); }

  [[nodiscard]] TcPathData* Entry(int index) const override {
    return items_.at(static_cast<std::size_t>(index)).entry.get();
  }

  void Add(std::string_view text, std::unique_ptr<TcPathData> entry) override {
    Item item{ToQString(text), std::move(entry)};
    const auto at = std::lower_bound(items_.begin(), items_.end(), item.text,
                                     [](const Item& i, const QString& t) { return ListsBefore(i.text, t); });
    items_.insert(at, std::move(item));
  }

  // The mark goes to the item with exactly this text, else to the first
  // whose text differs in letter case alone, as in the window's list.
  bool SetChecked(std::string_view text, bool checked) override {
    const QString wanted = ToQString(text);
    auto found = std::find_if(items_.begin(), items_.end(), [&](const Item& i) { return i.text == wanted; });
    if (found == items_.end()) {
      found = std::find_if(items_.begin(), items_.end(), [&](const Item& i) {
        return i.text.compare(wanted, Qt::CaseInsensitive) == 0;
      });
    }
    if (found == items_.end()) {
      return false;
    }
    if (checked) {
      marks_.insert(found->text);
    } else {
      marks_.erase(found->text);
    }
    return true;
  }

  void ReleaseAll() override {
    items_.clear();
    marks_.clear();
  }

  [[nodiscard]] bool IsChecked(int index) const {
    return marks_.contains(items_.at(static_cast<std::size_t>(index)).text);
  }

private:
  struct Item {
    QString text;
    std::unique_ptr<TcPathData> entry;
  };
  std::vector<Item> items_;
  std::set<QString> marks_;
};

class Tally final : public CleanObserver {
public:
  void EntryRemoved() override { ++removed; }
  void EntryLeft() override { ++left; }
  std::uint64_t removed = 0;
  std::uint64_t left = 0;
};

} // namespace

void CleanStoredFoldersOnce(std::ostream& out) {
  StoredList list;
  ReadStoredDirectoryList(list);
  for (int i = 0; i < list.Count(); ++i) {
    if (!list.IsChecked(i)) {
      continue;
    }
    const std::string& directory = list.Entry(i)->Directory();
    Tally tally;
    const bool complete = CleanDirectory(kEveryName, directory, &tally);
    out << directory << ": " << tally.removed << " removed, " << tally.left << " left"
        << (complete ? "" : ", not read to the end") << '\n';
    out.flush();
  }
}

} // namespace fegolin
