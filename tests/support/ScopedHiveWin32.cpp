#include "tests/support/ScopedHive.h"

#include <windows.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace fegolin::test {
namespace {

// Scratch hives live below this key of the user's real root, one per object,
// and are deleted with it.
constexpr const char* kScratchParent = "Software\\Fegolin Test Hives";

// The predefined roots a scratch hive stands in for, and where each lies in
// it. The classes root is the machine's Software\Classes, as on Windows.
struct RootPlace {
  HKEY root;
  const char* path;
};
constexpr std::size_t kRootCount = 5;
const std::array<RootPlace, kRootCount> kRoots{{
    {HKEY_CURRENT_USER, "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKLM"},
    {HKEY_CLASSES_ROOT, "HKLM\\Software\\Classes"},
    {HKEY_USERS, "HKU"},
    {HKEY_CURRENT_CONFIG, "HKCC"},
}};

using RootKeys = std::array<HKEY, kRootCount>;

// The scratch hives in force, innermost last. RegOverridePredefKey cannot be
// asked what it redirects to, so the stack remembers.
std::vector<const RootKeys*>& Redirections() {
  static std::vector<const RootKeys*> stack;
  return stack;
}

// Points every predefined root at its key in `keys`, or back at the real
// registry when there are none.
void Redirect(const RootKeys* keys) {
  for (std::size_t i = 0; i < kRootCount; ++i) {
    if (RegOverridePredefKey(kRoots[i].root, keys != nullptr ? (*keys)[i] : nullptr) !=
        ERROR_SUCCESS) {
      throw std::runtime_error("cannot redirect a registry root");
    }
  }
}

// A fresh, empty registry below the user's real root for as long as it
// lives.
class Redirection {
public:
  Redirection() {
    static unsigned counter = 0;
    path_ = std::string(kScratchParent) + "\\" + std::to_string(GetCurrentProcessId()) + "." +
            std::to_string(++counter);
    Redirect(nullptr);
    bool created = true;
    for (std::size_t i = 0; i < kRootCount; ++i) {
      const std::string path = path_ + "\\" + kRoots[i].path;
      created = created && RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                           &keys_[i], nullptr) == ERROR_SUCCESS;
    }
    if (!created) {
      Restore();
      throw std::runtime_error("cannot create a scratch registry");
    }
    Redirections().push_back(&keys_);
    Redirect(&keys_);
    platform::ReopenProcessRegistry();
  }
  ~Redirection() {
    std::erase(Redirections(), &keys_);
    Restore();
    platform::ReopenProcessRegistry();
  }
  Redirection(const Redirection&) = delete;
  Redirection& operator=(const Redirection&) = delete;

private:
  // Deletes the scratch registry from the real root, then brings back the
  // redirection before this one.
  void Restore() {
    Redirect(nullptr);
    for (HKEY key : keys_) {
      if (key != nullptr) {
        RegCloseKey(key);
      }
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    const auto& stack = Redirections();
    if (!stack.empty()) {
      Redirect(stack.back());
    }
  }

  std::string path_;
  RootKeys keys_{};
};

} // namespace

struct ScopedHive::State {
  Redirection redirection;
  std::filesystem::path noFile;
};

ScopedHive::ScopedHive() : state_(std::make_unique<State>()) {}

ScopedHive::~ScopedHive() = default;

const std::filesystem::path& ScopedHive::path() const {
  return state_->noFile;
}

platform::Registry& ScopedHive::registry() const {
  return platform::ProcessRegistry();
}

void ScopedHive::ExecuteSql(const std::string& /*sql*/) const {
  throw std::logic_error("the Windows registry is no SQL hive");
}

void IsolateProcessRegistry() {
  // Lives until the process ends, when its scratch key is deleted.
  static Redirection session;
}

} // namespace fegolin::test
