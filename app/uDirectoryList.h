#pragma once

// The folder list: the entries of cbxKitDirectoryList and their ownership.
// The control carries each entry as its item's object; this class owns the
// entries, so whoever removes an item goes through here and the entry is
// released with it. Until the window is built there is no control: the
// list holds its items itself, sorted and marked as the control would.

#include "settings/uStoredList.h"
#include "settings/uTcSettings.h"

#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace fegolin {

class TkitCheckListBox;

class TcDirectoryList final : public TcDirectoryListView {
public:
  // Display name, directory and state of every entry, as Save stores them,
  // in an order of their own: lists holding the same entries compare
  // equal whatever the order of their items.
  using Content = std::vector<std::tuple<std::string, std::string, bool>>;

  TcDirectoryList() = default;
  ~TcDirectoryList() override;
  TcDirectoryList(const TcDirectoryList&) = delete;
  TcDirectoryList& operator=(const TcDirectoryList&) = delete;

  // From now on `list` holds the list, which starts empty: the items held
  // so far are released.
  void Attach(TkitCheckListBox& list);

  [[nodiscard]] int Count() const override;
  [[nodiscard]] TcPathData* Entry(int index) const override;
  [[nodiscard]] bool IsChecked(int index) const override;
  void Add(std::string_view text, std::unique_ptr<TcPathData> entry) override;
  bool SetChecked(std::string_view text, bool checked) override;
  void ReleaseAll() override;

  // Removes the item at `index` of the control (a checked one reports its
  // uncheck first) and releases its entry; nothing before Attach.
  void Delete(int index);

  [[nodiscard]] Content StoredContent() const;

private:
  TkitCheckListBox* list_ = nullptr;
  // The entries the control shows.
  std::vector<std::unique_ptr<TcPathData>> entries_;
  // The list until Attach.
  TcStoredDirectoryList held_;
};

} // namespace fegolin
