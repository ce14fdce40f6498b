#pragma once

// One entry of the folder list: a folder whose contents are emptied, the
// name the user sees for it, and whether it takes part in cleaning.
// The folder text is kept exactly as given: no separator is added or
// removed and nothing checks that it exists.

#include <string>
#include <string_view>

namespace fegolin {

class TcPathData final {
public:
  TcPathData(std::string_view displayName, std::string_view directory);

  [[nodiscard]] const std::string& Directory() const { return directory_; }
  void SetDirectory(std::string_view directory) { directory_ = directory; }

  [[nodiscard]] const std::string& DisplayName() const { return displayName_; }
  void SetDisplayName(std::string_view displayName) { displayName_ = displayName; }

  [[nodiscard]] bool State() const { return state_; }
  void SetState(bool state) { state_ = state; }

  // The item text in the folder list: the display name, a TAB and the folder
  // in parentheses, so the list's tab expansion shows the folder as a
  // second column.
  [[nodiscard]] std::string ListCaption() const;

private:
  std::string directory_;
  std::string displayName_;
  bool state_ = false;
};

} // namespace fegolin
