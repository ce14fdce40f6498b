#include "platform/win32/Win32RegJournal.h"

#include <utility>

namespace fegolin::platform::win32 {
namespace {

// Opens the key a note refers to, or creates it again for a note that
// brings a deleted key back. Null when that does not work.
HKEY OpenPlace(const KeyPlace& place, bool create) {
  HKEY key = nullptr;
  const LONG result =
      create ? RegCreateKeyExA(place.root, place.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &key, nullptr)
             : RegOpenKeyExA(place.root, place.path.c_str(), 0, KEY_ALL_ACCESS, &key);
  return result == ERROR_SUCCESS ? key : nullptr;
}

void Restore(HKEY key, const std::string& name, const RegValue& value) {
  SetRaw(key, name, value.type, value.data);
}

bool IsStringType(RegType type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

} // namespace

LONG SetRaw(HKEY key, const std::string& name, RegType type, std::span<const std::uint8_t> data) {
  if (!IsStringType(type) || data.empty()) {
    return RegSetValueExA(key, name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size()));
  }
  // For text, the system counts in a terminator that the byte count leaves
  // out whenever the byte after the data is zero, and reads that byte even
  // past the caller's buffer. A non-zero guard after the data keeps the
  // value exactly as given.
  std::vector<std::uint8_t> guarded(data.begin(), data.end());
  guarded.push_back(0xFF);
  return RegSetValueExA(key, name.c_str(), 0, type, guarded.data(),
                        static_cast<DWORD>(data.size()));
}

RegStatus StatusOf(LONG result) {
  switch (result) {
  case ERROR_SUCCESS:
    return RegStatus::Ok;
  case ERROR_FILE_NOT_FOUND:
  case ERROR_NO_MORE_ITEMS:
    return RegStatus::NotFound;
  default:
    return RegStatus::Failed;
  }
}

RegStatus QueryRaw(HKEY key, const std::string& name, RegValue& value) {
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
  std::vector<std::uint8_t> data;
  // The value may grow between the two calls; ask again until it fits.
  while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
    data.resize(size);
    result = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
    if (result == ERROR_SUCCESS) {
      data.resize(size);
      value.type = type;
      value.data = std::move(data);
      return RegStatus::Ok;
    }
  }
  return StatusOf(result);
}

void RegJournal::Begin() {
  if (depth_++ == 0) {
    notes_.clear();
    doomed_ = false;
  }
}

bool RegJournal::End(bool commit) {
  if (depth_ == 0) {
    return false;
  }
  --depth_;
  if (!commit) {
    doomed_ = true;
  }
  if (depth_ > 0) {
    return !doomed_;
  }
  const bool kept = !doomed_;
  if (!kept) {
    RollBack();
  }
  notes_.clear();
  doomed_ = false;
  return kept;
}

void RegJournal::ValueChanged(const KeyPlace& key, std::string name,
                              std::optional<RegValue> before) {
  notes_.emplace_back(ValueNote{key, std::move(name), std::move(before)});
}

void RegJournal::KeyCreated(const KeyPlace& key) {
  notes_.emplace_back(CreatedNote{key});
}

void RegJournal::KeyDeleted(const KeyPlace& key, std::vector<NamedValue> values) {
  notes_.emplace_back(DeletedNote{key, std::move(values)});
}

void RegJournal::RollBack() {
  for (auto it = notes_.rbegin(); it != notes_.rend(); ++it) {
    if (const auto* value = std::get_if<ValueNote>(&*it)) {
      if (HKEY key = OpenPlace(value->key, false)) {
        if (value->before) {
          Restore(key, value->name, *value->before);
        } else {
          RegDeleteValueA(key, value->name.c_str());
        }
        RegCloseKey(key);
      }
    } else if (const auto* created = std::get_if<CreatedNote>(&*it)) {
      RegDeleteKeyA(created->key.root, created->key.path.c_str());
    } else if (const auto* deleted = std::get_if<DeletedNote>(&*it)) {
      if (HKEY key = OpenPlace(deleted->key, true)) {
        for (const auto& [name, content] : deleted->values) {
          Restore(key, name, content);
        }
        RegCloseKey(key);
      }
    }
  }
}

} // namespace fegolin::platform::win32
