// The six registry routines. Each call opens what it needs, does one thing
// and lets go of it again; nothing escapes them but their result. The
// backends report through their status codes; what the standard library
// throws beneath them (memory running out) ends as a failed result too.

#include "common/uCommon.h"

#include "platform/Registry.h"

#include <algorithm>
#include <array>
#include <bit>
#include <exception>
#include <span>

namespace fegolin {
namespace {

using platform::RegKey;
using platform::RegOpenMode;
using platform::RegStatus;
using platform::RegValue;

std::string_view WithoutLeadingBackslash(std::string_view key) {
  if (!key.empty() && key.front() == '\\') {
    key.remove_prefix(1);
  }
  return key;
}

std::unique_ptr<RegKey> OpenForRoutine(RegRoot root, std::string_view key, RegOpenMode mode) {
  const std::string path = std::string(WithoutLeadingBackslash(key)) + '\\';
  return platform::OpenKey(platform::ProcessRegistry(), root, path, mode);
}

bool IsHandled(TFieldType kind) {
  switch (kind) {
  case TFieldType::ftString:
  case TFieldType::ftSmallint:
  case TFieldType::ftInteger:
  case TFieldType::ftBoolean:
  case TFieldType::ftFloat:
  case TFieldType::ftDateTime:
    return true;
  default:
    return false;
  }
}

template <std::size_t N> std::array<std::uint8_t, N> LittleEndian(std::uint64_t bits) {
  std::array<std::uint8_t, N> bytes{};
  for (std::size_t i = 0; i < N; ++i) {
    bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
  return bytes;
}

std::uint64_t FromLittleEndian(std::span<const std::uint8_t> bytes) {
  std::uint64_t bits = 0;
  for (std::size_t i = bytes.size(); i > 0; --i) {
    bits = (bits << 8) | bytes[i - 1];
  }
  return bits;
}

bool SetDword(RegKey& key, std::string_view name, std::uint32_t number) {
  const auto bytes = LittleEndian<4>(number);
  return key.SetValue(name, platform::kRegDword, bytes) == RegStatus::Ok;
}

bool SetDouble(RegKey& key, std::string_view name, double number) {
  const auto bytes = LittleEndian<8>(std::bit_cast<std::uint64_t>(number));
  return key.SetValue(name, platform::kRegBinary, bytes) == RegStatus::Ok;
}

// Writes `value` in the registry form of `kind`. An unhandled kind writes
// nothing and counts as done.
bool WriteTyped(RegKey& key, std::string_view name, const RegVariant& value, TFieldType kind) {
  switch (kind) {
  case TFieldType::ftString: {
    const auto text = RegVariantToText(value);
    if (!text) {
      return false;
    }
    // Stored with its terminating NUL, as the system stores strings.
    std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text->c_str()),
                                        text->size() + 1);
    return key.SetValue(name, platform::kRegSz, bytes) == RegStatus::Ok;
  }
  case TFieldType::ftSmallint:
  case TFieldType::ftInteger: {
    const auto number = RegVariantToInteger(value);
    return number && SetDword(key, name, static_cast<std::uint32_t>(*number));
  }
  case TFieldType::ftBoolean: {
    const auto flag = RegVariantToBoolean(value);
    return flag && SetDword(key, name, *flag ? 1U : 0U);
  }
  case TFieldType::ftFloat: {
    const auto number = RegVariantToFloat(value);
    return number && SetDouble(key, name, *number);
  }
  case TFieldType::ftDateTime: {
    const auto dateTime = RegVariantToDateTime(value);
    return dateTime && SetDouble(key, name, dateTime->value);
  }
  default:
    return true;
  }
}

bool IsDword(const RegValue& stored) {
  return stored.type == platform::kRegDword && stored.data.size() == 4;
}

bool IsEightByteBinary(const RegValue& stored) {
  return stored.type == platform::kRegBinary && stored.data.size() == 8;
}

// The stored value as `kind` reads it; nothing when its registry type or size
// does not fit the kind (or the kind is unhandled).
std::optional<RegVariant> ReadTyped(const RegValue& stored, TFieldType kind) {
  switch (kind) {
  case TFieldType::ftString: {
    // Environment references in expandable strings stay as they are.
    if (stored.type != platform::kRegSz && stored.type != platform::kRegExpandSz) {
      return std::nullopt;
    }
    const auto end = std::find(stored.data.begin(), stored.data.end(), std::uint8_t{0});
    return RegVariant(std::string(stored.data.begin(), end));
  }
  case TFieldType::ftSmallint:
  case TFieldType::ftInteger:
    if (!IsDword(stored)) {
      return std::nullopt;
    }
    return RegVariant(static_cast<std::int32_t>(FromLittleEndian(stored.data)));
  case TFieldType::ftBoolean:
    if (!IsDword(stored)) {
      return std::nullopt;
    }
    return RegVariant(FromLittleEndian(stored.data) != 0);
  case TFieldType::ftFloat:
    if (!IsEightByteBinary(stored)) {
      return std::nullopt;
    }
    return RegVariant(std::bit_cast<double>(FromLittleEndian(stored.data)));
  case TFieldType::ftDateTime:
    if (!IsEightByteBinary(stored)) {
      return std::nullopt;
    }
    return RegVariant(TDateTime{std::bit_cast<double>(FromLittleEndian(stored.data))});
  default:
    return std::nullopt;
  }
}

} // namespace

bool KeyExists(RegRoot root, std::string_view key) {
  try {
    return OpenForRoutine(root, key, RegOpenMode::Open) != nullptr;
  } catch (const std::exception&) {
    return false;
  }
}

bool WriteRegValue(RegRoot root, std::string_view key, std::string_view name,
                   const RegVariant& value, TFieldType kind) {
  try {
    const auto opened = OpenForRoutine(root, key, RegOpenMode::Create);
    return opened && WriteTyped(*opened, name, value, kind);
  } catch (const std::exception&) {
    return false;
  }
}

RegVariant ReadRegValueDef(RegRoot root, std::string_view key, std::string_view name,
                           const RegVariant& defaultValue, TFieldType kind) {
  try {
    const auto opened = OpenForRoutine(root, key, RegOpenMode::Create);
    if (!opened || !IsHandled(kind)) {
      return defaultValue;
    }
    RegValue stored;
    const RegStatus status = opened->QueryValue(name, stored);
    if (status == RegStatus::Ok) {
      // A value of the wrong type stays as it is: it may be the user's.
      return ReadTyped(stored, kind).value_or(defaultValue);
    }
    if (status == RegStatus::NotFound) {
      WriteTyped(*opened, name, defaultValue, kind);
    }
    return defaultValue;
  } catch (const std::exception&) {
    return defaultValue;
  }
}

RegVariant ReadRegValue(RegRoot root, std::string_view key, std::string_view name,
                        TFieldType kind) {
  try {
    // Reading creates nothing: a missing key reads like a missing value.
    // (A key made by a look would make the next start think it is not the
    // first one.)
    const auto opened = OpenForRoutine(root, key, RegOpenMode::Open);
    RegValue stored;
    if (!opened || !IsHandled(kind) || opened->QueryValue(name, stored) != RegStatus::Ok) {
      return std::string();
    }
    return ReadTyped(stored, kind).value_or(std::string());
  } catch (const std::exception&) {
    return std::string();
  }
}

std::optional<RegVariant> ReadStoredRegValue(RegRoot root, std::string_view key,
                                             std::string_view name, TFieldType kind) {
  try {
    const auto opened = OpenForRoutine(root, key, RegOpenMode::Open);
    RegValue stored;
    if (!opened || !IsHandled(kind) || opened->QueryValue(name, stored) != RegStatus::Ok) {
      return std::nullopt;
    }
    return ReadTyped(stored, kind);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void DeleteRegKey(RegRoot root, std::string_view key) {
  try {
    const std::string_view path = WithoutLeadingBackslash(key);
    // An empty path names the root itself: the tree walk would take every
    // key of the root with it before failing on the root.
    if (path.empty() || path == "\\") {
      return;
    }
    auto& registry = platform::ProcessRegistry();
    const auto rootKey = registry.OpenRoot(root);
    if (!rootKey) {
      return;
    }
    // Either the whole tree goes or nothing of it.
    const auto transaction = registry.BeginTransaction();
    if (platform::DeleteKeyTree(*rootKey, path) != RegStatus::Failed) {
      transaction->Commit();
    }
  } catch (const std::exception&) {
    // Absorbed, as in every routine here.
  }
}

void DeleteRegValue(RegRoot root, std::string_view key, std::string_view name) {
  try {
    if (const auto opened = OpenForRoutine(root, key, RegOpenMode::Create)) {
      opened->DeleteValue(name);
    }
  } catch (const std::exception&) {
    // Absorbed, as in every routine here.
  }
}

RegTransaction::RegTransaction() {
  try {
    transaction_ = platform::ProcessRegistry().BeginTransaction();
  } catch (const std::exception&) {
    transaction_.reset();
  }
}

RegTransaction::~RegTransaction() = default;

bool RegTransaction::Commit() {
  try {
    return transaction_ && transaction_->Commit();
  } catch (const std::exception&) {
    return false;
  }
}

} // namespace fegolin
