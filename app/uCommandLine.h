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
//   --reg-export FILE|-   the registry as text, to FILE (replaced whole, or
//                         left as it was) or standard output
//   --reg-import FILE|-   such a text, from FILE or standard input, into the
//                         registry; all of it or, when it is malformed, none
//   --clean-once          the ticked folders of the stored list emptied
//                         once, one line per folder on `out`
//   --clean-once --dry-run  the same folders only looked at, one line per
//                         entry with its decision
//   --help, -h            the usage text on `out`
//   --version             "Fegolin <version>" on `out`
// The export and the clean only read the registry: they create nothing, not
// even a hive, and work where the hive cannot be written.
// Nothing when `args` holds no command and nothing but the window's switch
// "-ns" or "/ns" (in any case): the caller starts the window. Otherwise the
// exit code: 0 when done; 2 with a message on `err` for a malformed file, a
// file or hive that cannot be opened, or a command given the wrong operands;
// 2 with the message and the usage text for an unknown option or argument.
std::optional<int> RunHeadlessCommand(std::span<const std::string_view> args, std::istream& in,
                                      std::ostream& out, std::ostream& err);

} // namespace fegolin
