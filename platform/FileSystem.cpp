#include "platform/FileSystem.h"

namespace fegolin::platform {

std::string_view TargetRefusalText(TargetRefusal refusal) {
  switch (refusal) {
  case TargetRefusal::None:
    return "may be cleaned";
  case TargetRefusal::Relative:
    return "not an absolute path";
  case TargetRefusal::Root:
    return "the root folder";
  case TargetRefusal::HomeOrAbove:
    return "the home folder or a folder above it";
  case TargetRefusal::NotOwned:
    return "owned by another account";
  case TargetRefusal::ForeignLink:
    return "reached through a link of another account";
  case TargetRefusal::ForeignFolder:
    return "reached through a folder another account controls";
  case TargetRefusal::NotFolder:
    return "not a folder";
  case TargetRefusal::Missing:
    return "does not exist";
  case TargetRefusal::CannotOpen:
    return "cannot be opened";
  }
  return "refused";
}

} // namespace fegolin::platform
