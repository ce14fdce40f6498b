#pragma once

// The registry as the program sees it: predefined roots, a tree of keys below
// each, and typed values of raw bytes in every key. The calls mirror the
// system's registry functions one to one, so a backend on the system registry
// is a thin wrapper; the POSIX backend keeps the tree in a hive file.
//
// Paths are relative to the key they are opened from, with '\' between the
// key names; one trailing '\' is allowed, an empty path means the key itself.
// Key and value names compare without regard to letter case and keep the
// spelling they were first written with.
//
// Only the user-interface thread uses the registry.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace fegolin::platform {

// The predefined root keys, numbered like the system's handles.
using RegRoot = std::uint32_t;
inline constexpr RegRoot kRegClassesRoot = 0x80000000u;
inline constexpr RegRoot kRegCurrentUser = 0x80000001u;
inline constexpr RegRoot kRegLocalMachine = 0x80000002u;
inline constexpr RegRoot kRegUsers = 0x80000003u;
inline constexpr RegRoot kRegCurrentConfig = 0x80000005u;

// Value types, numbered like the system's. Types without a constant here
// (REG_MULTI_SZ = 7, REG_QWORD = 11, ...) are kept and handed back as they
// are, with their bytes untouched.
using RegType = std::uint32_t;
inline constexpr RegType kRegNone = 0;
inline constexpr RegType kRegSz = 1;
inline constexpr RegType kRegExpandSz = 2;
inline constexpr RegType kRegBinary = 3;
inline constexpr RegType kRegDword = 4;
inline constexpr RegType kRegMultiSz = 7;

enum class RegStatus : std::uint8_t {
  Ok,
  // The key, value or enumeration index does not exist.
  NotFound,
  // Anything else: a refused change, an invalid name, an unusable hive.
  Failed,
};

enum class RegOpenMode : std::uint8_t {
  Open,   // fail when a key of the path is missing
  Create, // create every missing key of the path
};

// What a process may do with its registry, chosen before it is opened.
enum class RegAccess : std::uint8_t {
  // Read and write. A registry that cannot be written is unusable
  // (Problem() says why): a command that is to change it must fail.
  ReadWrite,
  // Read only: nothing is ever created or changed, not even the hive file
  // or its folder, and a missing hive reads as an empty one. For commands
  // that only look, so that they work on a full disk or a read-only folder
  // and never make the next windowed start look like a later one.
  ReadOnly,
  // Read and write where possible; else read only; else an empty registry
  // in memory. Always usable: StorageProblem() says what is not stored.
  // For the window, which must run on whatever it finds.
  BestEffort,
};

struct RegValue {
  RegType type = kRegNone;
  std::vector<std::uint8_t> data;
  friend bool operator==(const RegValue&, const RegValue&) = default;
};

// One open key, opened with full access. Closed when destroyed.
class RegKey {
public:
  RegKey() = default;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  virtual ~RegKey() = default;

  // RegOpenKeyEx / RegCreateKeyEx relative to this key; null on failure.
  [[nodiscard]] virtual std::unique_ptr<RegKey> OpenKey(std::string_view path,
                                                        RegOpenMode mode) = 0;
  // RegQueryValueEx. The empty name is the key's default value.
  virtual RegStatus QueryValue(std::string_view name, RegValue& value) = 0;
  // RegSetValueEx: creates or replaces the value with exactly these bytes.
  virtual RegStatus SetValue(std::string_view name, RegType type,
                             std::span<const std::uint8_t> data) = 0;
  // RegDeleteValue.
  virtual RegStatus DeleteValue(std::string_view name) = 0;
  // RegEnumKeyEx: the name of the subkey at `index`, subkeys in the order of
  // their names (letter case ignored); NotFound past the last one.
  virtual RegStatus EnumKey(std::uint32_t index, std::string& name) = 0;
  // RegEnumValue: the value at `index`, in the order the values were
  // created; NotFound past the last one.
  virtual RegStatus EnumValue(std::uint32_t index, std::string& name, RegValue& value) = 0;
  // RegDeleteKey: removes the key at `path` below this key with its values.
  // A key that still has subkeys is refused (Failed).
  virtual RegStatus DeleteKey(std::string_view path) = 0;
};

// Groups changes so that either all of them or none reach the registry. A
// change that fails while the transaction is open dooms it: later changes
// fail at once and Commit rolls everything back. Transactions nest; only the
// outermost one decides, and an inner one that ends uncommitted dooms it.
class RegTransaction {
public:
  RegTransaction() = default;
  RegTransaction(const RegTransaction&) = delete;
  RegTransaction& operator=(const RegTransaction&) = delete;
  // Rolls back unless committed.
  virtual ~RegTransaction() = default;
  // True when every change of the transaction is kept (for an inner
  // transaction: nothing has failed so far). Call once.
  virtual bool Commit() = 0;
};

class Registry {
public:
  Registry() = default;
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;
  virtual ~Registry() = default;

  // One of the predefined roots as an open key; null for any other handle
  // or when the registry cannot be used.
  [[nodiscard]] virtual std::unique_ptr<RegKey> OpenRoot(RegRoot root) = 0;
  [[nodiscard]] virtual std::unique_ptr<RegTransaction> BeginTransaction() = 0;
  // Holds one consistent state of the registry for reading, until the
  // returned object is committed or destroyed: what other processes change
  // meanwhile stays out of sight, so a reader walking the tree never meets
  // half of someone's change. Changes through this registry fail while it
  // is held (inside an open transaction it only nests). Commit() is true
  // when the state was held throughout. Windows has no such view of its
  // registry: there it only groups the reads.
  [[nodiscard]] virtual std::unique_ptr<RegTransaction> BeginSnapshot() = 0;
  // Why the registry cannot be used at all; empty while it can.
  [[nodiscard]] virtual std::string Problem() const = 0;
  // Why the last change that failed was refused (the hive's own words,
  // "attempt to write a readonly database", "database or disk is full");
  // empty when the backend cannot tell.
  [[nodiscard]] virtual std::string LastFailure() const { return Problem(); }
  // Why changes made through this registry do not last beyond the process
  // (the hive is read-only, or is not ours and the registry lives in
  // memory instead, or the registry cannot be used at all); empty while
  // they are stored. A registry in memory that was asked for stores
  // nothing by design and says nothing.
  [[nodiscard]] virtual std::string StorageProblem() const = 0;
};

// Opens `path` below one of the roots of `registry`; null on failure.
[[nodiscard]] std::unique_ptr<RegKey> OpenKey(Registry& registry, RegRoot root,
                                              std::string_view path, RegOpenMode mode);

// Deletes the key at `path` below `parent` with every key and value under it:
// subkeys depth-first, from the last to the first, then the key itself.
// Ok when the key is gone afterwards, NotFound when it did not exist.
RegStatus DeleteKeyTree(RegKey& parent, std::string_view path);

// The registry of this process, opened on first use with the access last
// chosen by SetProcessRegistryAccess (ReadWrite until then). On POSIX it is
// the hive named by FEGOLIN_REGISTRY (":memory:" for one that lives only as
// long as the process) or else $XDG_CONFIG_HOME/fegolin/registry.db.
Registry& ProcessRegistry();

// Chooses how ProcessRegistry() opens the registry from now on and closes
// an open one that was opened otherwise. Returns the access chosen before.
RegAccess SetProcessRegistryAccess(RegAccess access);

// Closes the registry of this process; the next ProcessRegistry() opens it
// anew, reading FEGOLIN_REGISTRY again. Keys still open keep the old one
// alive until they are closed.
void ReopenProcessRegistry();

} // namespace fegolin::platform
