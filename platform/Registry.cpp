#include "platform/Registry.h"

namespace fegolin::platform {

std::unique_ptr<RegKey> OpenKey(Registry& registry, RegRoot root, std::string_view path,
                                RegOpenMode mode) {
  auto rootKey = registry.OpenRoot(root);
  if (!rootKey) {
    return nullptr;
  }
  return rootKey->OpenKey(path, mode);
}

RegStatus DeleteKeyTree(RegKey& parent, std::string_view path) {
  auto key = parent.OpenKey(path, RegOpenMode::Open);
  if (!key) {
    return RegStatus::NotFound;
  }
  // Collect the names first: deleting while enumerating would shift the
  // indexes under our feet. The registry refuses keys nested deeper than a
  // few hundred levels, which bounds the recursion.
  std::vector<std::string> subkeys;
  std::string name;
  while (key->EnumKey(static_cast<std::uint32_t>(subkeys.size()), name) == RegStatus::Ok) {
    subkeys.push_back(name);
  }
  for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it) {
    if (DeleteKeyTree(*key, *it) == RegStatus::Failed) {
      return RegStatus::Failed;
    }
  }
  key.reset();
  return parent.DeleteKey(path);
}

} // namespace fegolin::platform
