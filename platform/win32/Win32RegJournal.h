#pragma once

// The registry of Windows has no transactions that every system offers
// (the kernel transaction manager is gone from newer releases and absent
// from others), so a transaction here is a journal: every change made while
// one is open first notes how to undo itself, and a transaction that does
// not end in a commit plays the notes back, newest first.
//
// This is best effort. The undo runs through the same registry, so it holds
// as long as nobody else changes the same keys meanwhile and the undo steps
// themselves are allowed (they restore what was allowed a moment before).
// Another process sees the changes before the commit, and a process that
// dies half-way leaves them in place.

#include "platform/Registry.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace fegolin::platform::win32 {

struct NamedValue {
  std::string name;
  RegValue value;
};

// A key and where it lies: the predefined root and the path below it.
struct KeyPlace {
  HKEY root;
  std::string path;
};

class RegJournal {
public:
  // Opens one transaction level.
  void Begin();
  // Ends one level; only the outermost keeps or undoes. True when the
  // changes are kept (for an inner level: when nothing has failed so far).
  bool End(bool commit);

  // Runs one change. While a transaction is open, `noteUndo` is asked
  // first; when it cannot tell how to undo, the change is not made and the
  // transaction is doomed, like after a change that failed.
  template <class NoteUndo, class Change> RegStatus Apply(NoteUndo&& noteUndo, Change&& change) {
    if (depth_ == 0) {
      return change();
    }
    if (doomed_ || !noteUndo()) {
      doomed_ = true;
      return RegStatus::Failed;
    }
    const RegStatus status = change();
    if (status == RegStatus::Failed) {
      doomed_ = true;
    }
    return status;
  }

  [[nodiscard]] bool Open() const { return depth_ > 0; }

  // Undo notes. A value's note holds what it was before (or that it was not
  // there); a created key's note says to remove it again; a deleted key's
  // note holds its values.
  void ValueChanged(const KeyPlace& key, std::string name, std::optional<RegValue> before);
  void KeyCreated(const KeyPlace& key);
  void KeyDeleted(const KeyPlace& key, std::vector<NamedValue> values);

private:
  struct ValueNote {
    KeyPlace key;
    std::string name;
    std::optional<RegValue> before;
  };
  struct CreatedNote {
    KeyPlace key;
  };
  struct DeletedNote {
    KeyPlace key;
    std::vector<NamedValue> values;
  };
  using Note = std::variant<ValueNote, CreatedNote, DeletedNote>;

  void RollBack();

  std::vector<Note> notes_;
  int depth_ = 0;
  bool doomed_ = false;
};

// Writes one value with exactly these bytes.
LONG SetRaw(HKEY key, const std::string& name, RegType type, std::span<const std::uint8_t> data);

// Reads one value with RegQueryValueExA, growing the buffer as needed.
RegStatus QueryRaw(HKEY key, const std::string& name, RegValue& value);

// Maps a registry function's result to the interface's status.
RegStatus StatusOf(LONG result);

} // namespace fegolin::platform::win32
