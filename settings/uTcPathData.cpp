#include "settings/uTcPathData.h"

namespace fegolin {

TcPathData::TcPathData(std::string_view displayName, std::string_view directory)
    : directory_(directory), displayName_(displayName) {}

std::string TcPathData::ListCaption() const {
  std::string caption;
  caption.reserve(displayName_.size() + directory_.size() + 3);
  caption.append(displayName_).append("\t(").append(directory_).append(")");
  return caption;
}

} // namespace fegolin
