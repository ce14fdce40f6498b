#pragma once

// Which folders a clean run empties, and in which order: decided here for
// the window's list and for the stored list a headless run reads alike.

#include "settings/uTcSettings.h"

#include <QString>

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fegolin {

// The directories of the ticked entries of `list`, in the list's order; an
// item without its entry or without a name is passed over.
std::vector<std::string> FoldersToClean(const TcDirectoryListView& list);

// The folder list as the window holds it after loading, without a window:
// items sorted and check marks kept by text, the way the window's list
// does it.
class TcStoredDirectoryList final : public TcDirectoryListView {
public:
  [[nodiscard]] int Count() const override { return static_cast<int>(items_.size()); }
  [[nodiscard]] TcPathData* Entry(int index) const override;
  [[nodiscard]] bool IsChecked(int index) const override;
  void Add(std::string_view text, std::unique_ptr<TcPathData> entry) override;
  bool SetChecked(std::string_view text, bool checked) override;
  void ReleaseAll() override;

private:
  struct Item {
    QString text;
    std::unique_ptr<TcPathData> entry;
  };
  std::vector<Item> items_;
  std::set<QString> marks_;
};

} // namespace fegolin
