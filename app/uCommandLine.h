#pragma once

// The commands that run without any window, before the application object
// exists: they work on a machine without a display and beside a running
// instance.

#include <iosfwd>
#include <optional>
#include <span>
#include <string_view>

namespace fegolin {

// Runs the headless command in `args` (the arguments after the program name):
//   --reg-export FILE|-   the registry as text, to FILE or standard output
//   --reg-import FILE|-   such a text, from FILE or standard input, into the
//                         registry; all of it or, when it is malformed, none
//   --clean-once          the ticked folders of the stored list emptied
//                         once, one line per folder on `out`
//   --help, -h            the usage text on `out`
//   --version             "Fegolin <version>" on `out`
// Nothing when `args` holds none of these: the caller starts the window.
// Otherwise the exit code: 0 when done; 2 with a message on `err` for a
// malformed file, a file or hive that cannot be opened, or a command given
// the wrong operands.
std::optional<int> RunHeadlessCommand(std::span<const std::string_view> args, std::istream& in,
                                      std::ostream& out, std::ostream& err);

} // namespace fegolin
