// The registry on Windows: the system registry through advapi32, every key
// opened with full access (with read access only when the process asked for
// a registry that only reads). Keys remember the root and path they were
// opened at, so the journal of an open transaction can undo what they
// change.

#include "platform/Registry.h"
#include "platform/win32/Win32RegJournal.h"

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fegolin::platform {
namespace {

using win32::KeyPlace;
using win32::NamedValue;
using win32::QueryRaw;
using win32::RegJournal;
using win32::StatusOf;

// Key names are at most 255 characters.
constexpr DWORD kKeyNameChars = 256;
// Value names are at most 16383 characters.
constexpr DWORD kValueNameChars = 16384;

std::optional<HKEY> PredefinedKey(RegRoot root) {
  switch (root) {
  case kRegClassesRoot:
    return HKEY_CLASSES_ROOT;
  case kRegCurrentUser:
    return HKEY_CURRENT_USER;
  case kRegLocalMachine:
    return HKEY_LOCAL_MACHINE;
  case kRegUsers:
    return HKEY_USERS;
  case kRegCurrentConfig:
    return HKEY_CURRENT_CONFIG;
  default:
    return std::nullopt;
  }
}

// The key names of a relative path. One trailing '\' is allowed; an empty
// name anywhere else makes the path invalid.
std::optional<std::vector<std::string>> SplitPath(std::string_view path) {
  if (!path.empty() && path.back() == '\\') {
    path.remove_suffix(1);
  }
  std::vector<std::string> names;
  while (!path.empty()) {
    const auto cut = path.find('\\');
    const auto name = path.substr(0, cut);
    if (name.empty()) {
      return std::nullopt;
    }
    names.emplace_back(name);
    if (cut == std::string_view::npos) {
      break;
    }
    path.remove_prefix(cut + 1);
    if (path.empty()) {
      return std::nullopt;
    }
  }
  return names;
}

std::string Join(const std::string& base, std::string_view name) {
  if (name.empty()) {
    return base;
  }
  return base.empty() ? std::string(name) : base + '\\' + std::string(name);
}

std::string JoinAll(const std::vector<std::string>& names) {
  std::string path;
  for (const auto& name : names) {
    path = Join(path, name);
  }
  return path;
}

class Win32Key final : public RegKey {
public:
  // Takes ownership of `handle` unless it is the predefined root itself.
  Win32Key(std::shared_ptr<RegJournal> journal, KeyPlace place, HKEY handle, bool readOnly)
      : journal_(std::move(journal)), place_(std::move(place)), handle_(handle),
        readOnly_(readOnly) {}
  ~Win32Key() override {
    if (handle_ != place_.root) {
      RegCloseKey(handle_);
    }
  }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::unique_ptr<RegKey> OpenKey(std::string_view path, RegOpenMode mode) override {
    const auto names = SplitPath(path);
    if (!names) {
      return nullptr;
    }
    if (mode == RegOpenMode::Open || names->empty() || readOnly_) {
      HKEY opened = nullptr;
      if (RegOpenKeyExA(handle_, std::string(path).c_str(), 0,
                        readOnly_ ? KEY_READ : KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) {
        return nullptr;
      }
      return Make(Join(place_.path, JoinAll(*names)), opened);
    }
    // Created one level at a time, so a transaction learns which keys are
    // new and removes exactly those if it is undone.
    HKEY parent = handle_;
    std::string where = place_.path;
    std::unique_ptr<Win32Key> parentKey;
    for (const std::string& name : *names) {
      where = Join(where, name);
      HKEY created = nullptr;
      DWORD disposition = 0;
      const RegStatus status =
          journal_->Apply([] { return true; },
                          [&] {
                            return StatusOf(RegCreateKeyExA(parent, name.c_str(), 0, nullptr,
                                                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                                            nullptr, &created, &disposition));
                          });
      if (status != RegStatus::Ok) {
        return nullptr;
      }
      if (disposition == REG_CREATED_NEW_KEY && journal_->Open()) {
        journal_->KeyCreated({place_.root, where});
      }
      parentKey = Make(where, created);
      parent = created;
    }
    return parentKey;
  }

  RegStatus QueryValue(std::string_view name, RegValue& value) override {
    return QueryRaw(handle_, std::string(name), value);
  }

  RegStatus SetValue(std::string_view name, RegType type,
                     std::span<const std::uint8_t> data) override {
    if (readOnly_) {
      return RegStatus::Failed;
    }
    const std::string valueName(name);
    return journal_->Apply([&] { return NoteValue(valueName); },
                           [&] { return StatusOf(win32::SetRaw(handle_, valueName, type, data)); });
  }

  RegStatus DeleteValue(std::string_view name) override {
    if (readOnly_) {
      return RegStatus::Failed;
    }
    const std::string valueName(name);
    return journal_->Apply([&] { return NoteValue(valueName); },
                           [&] { return StatusOf(RegDeleteValueA(handle_, valueName.c_str())); });
  }

  RegStatus EnumKey(std::uint32_t index, std::string& name) override {
    std::array<char, kKeyNameChars> buffer{};
    DWORD length = kKeyNameChars;
    const LONG result =
        RegEnumKeyExA(handle_, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
      return StatusOf(result);
    }
    name.assign(buffer.data(), length);
    return RegStatus::Ok;
  }

  RegStatus EnumValue(std::uint32_t index, std::string& name, RegValue& value) override {
    std::vector<char> buffer(kValueNameChars);
    DWORD length = kValueNameChars;
    DWORD type = 0;
    DWORD size = 0;
    LONG result =
        RegEnumValueA(handle_, index, buffer.data(), &length, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) {
      return StatusOf(result);
    }
    name.assign(buffer.data(), length);
    return QueryRaw(handle_, name, value);
  }

  RegStatus DeleteKey(std::string_view path) override {
    const auto names = SplitPath(path);
    if (!names || names->empty() || readOnly_) {
      return RegStatus::Failed;
    }
    const std::string relative = JoinAll(*names);
    return journal_->Apply([&] { return NoteDeletedKey(relative); },
                           [&] { return StatusOf(RegDeleteKeyA(handle_, relative.c_str())); });
  }

private:
  std::unique_ptr<Win32Key> Make(std::string path, HKEY handle) const {
    return std::make_unique<Win32Key>(journal_, KeyPlace{place_.root, std::move(path)}, handle,
                                      readOnly_);
  }

  // Notes what the value was before a change; false when that cannot be
  // read (the change is then not made).
  bool NoteValue(const std::string& name) {
    RegValue before;
    const RegStatus status = QueryRaw(handle_, name, before);
    if (status == RegStatus::Failed) {
      return false;
    }
    journal_->ValueChanged(place_, name,
                           status == RegStatus::Ok ? std::optional(before) : std::nullopt);
    return true;
  }

  // Notes the values of a key about to be deleted. A key that is missing
  // needs no note; one that cannot be read in full cannot be restored.
  bool NoteDeletedKey(const std::string& relative) {
    HKEY key = nullptr;
    const LONG opened = RegOpenKeyExA(handle_, relative.c_str(), 0, KEY_READ, &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
      return true;
    }
    if (opened != ERROR_SUCCESS) {
      return false;
    }
    Win32Key reader(journal_, KeyPlace{place_.root, Join(place_.path, relative)}, key, true);
    std::vector<NamedValue> values;
    for (std::uint32_t i = 0;; ++i) {
      NamedValue entry;
      const RegStatus status = reader.EnumValue(i, entry.name, entry.value);
      if (status == RegStatus::NotFound) {
        break;
      }
      if (status != RegStatus::Ok) {
        return false;
      }
      values.push_back(std::move(entry));
    }
    journal_->KeyDeleted(reader.place_, std::move(values));
    return true;
  }

  std::shared_ptr<RegJournal> journal_;
  KeyPlace place_;
  HKEY handle_;
  bool readOnly_;
};

class Win32Transaction final : public RegTransaction {
public:
  explicit Win32Transaction(std::shared_ptr<RegJournal> journal) : journal_(std::move(journal)) {
    journal_->Begin();
  }
  ~Win32Transaction() override {
    if (!ended_) {
      journal_->End(false);
    }
  }
  Win32Transaction(const Win32Transaction&) = delete;
  Win32Transaction& operator=(const Win32Transaction&) = delete;

  bool Commit() override {
    if (ended_) {
      return false;
    }
    ended_ = true;
    return journal_->End(true);
  }

private:
  std::shared_ptr<RegJournal> journal_;
  bool ended_ = false;
};

// The system registry has no consistent view for a reader: a snapshot only
// groups the reads, and what another process changes meanwhile shows.
class Win32Snapshot final : public RegTransaction {
public:
  bool Commit() override { return !std::exchange(ended_, true); }

private:
  bool ended_ = false;
};

class Win32Registry final : public Registry {
public:
  explicit Win32Registry(bool readOnly) : readOnly_(readOnly) {}

  std::unique_ptr<RegKey> OpenRoot(RegRoot root) override {
    const auto handle = PredefinedKey(root);
    if (!handle) {
      return nullptr;
    }
    return std::make_unique<Win32Key>(journal_, KeyPlace{*handle, {}}, *handle, readOnly_);
  }

  std::unique_ptr<RegTransaction> BeginTransaction() override {
    return std::make_unique<Win32Transaction>(journal_);
  }

  std::unique_ptr<RegTransaction> BeginSnapshot() override {
    return std::make_unique<Win32Snapshot>();
  }

  [[nodiscard]] std::string Problem() const override { return {}; }

  [[nodiscard]] std::string StorageProblem() const override {
    return readOnly_ ? "the registry is opened for reading only" : std::string();
  }

private:
  std::shared_ptr<RegJournal> journal_ = std::make_shared<RegJournal>();
  bool readOnly_;
};

std::unique_ptr<Registry>& ProcessSlot() {
  static std::unique_ptr<Registry> slot;
  return slot;
}

RegAccess& ProcessAccess() {
  static RegAccess access = RegAccess::ReadWrite;
  return access;
}

} // namespace

Registry& ProcessRegistry() {
  auto& slot = ProcessSlot();
  if (!slot) {
    slot = std::make_unique<Win32Registry>(ProcessAccess() == RegAccess::ReadOnly);
  }
  return *slot;
}

RegAccess SetProcessRegistryAccess(RegAccess access) {
  const RegAccess before = std::exchange(ProcessAccess(), access);
  if (before != access) {
    ProcessSlot().reset();
  }
  return before;
}

void ReopenProcessRegistry() {
  ProcessSlot().reset();
}

} // namespace fegolin::platform
