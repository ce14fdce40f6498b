#pragma once

// The POSIX registry: a hive file in SQLite. The process normally uses the
// one hive that ProcessRegistry() opens; tests open further connections to
// the same file to see what other processes see.

#include "platform/Registry.h"

#include <memory>
#include <string>

namespace fegolin::platform::posix {

// Opens a connection of its own to the hive at `location` (a file path or
// ":memory:"; empty when there is no place for one) with `access`. Where
// writing is allowed, a damaged hive of ours is moved aside and replaced by
// a fresh one; a file that is not ours is never touched. A hive that cannot
// be used gives a registry whose Problem() says why.
std::unique_ptr<Registry> OpenHive(const std::string& location,
                                   RegAccess access = RegAccess::ReadWrite);

enum class HiveFolder : std::uint8_t { Keep, Create };

// Where this process keeps its hive: FEGOLIN_REGISTRY when set, else
// $XDG_CONFIG_HOME/fegolin/registry.db (~/.config when XDG_CONFIG_HOME is
// unset), with HiveFolder::Create making the fegolin folder. Empty when
// there is no home folder.
std::string HiveLocation(HiveFolder folder);

} // namespace fegolin::platform::posix
