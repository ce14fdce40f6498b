#include "app/uCommandLine.h"

#include "app/uCleanOnce.h"
#include "common/uRegText.h"
#include "platform/Registry.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <variant>
#include <vector>

namespace fegolin {
namespace {

namespace fs = std::filesystem;

constexpr int kExitDone = 0;
constexpr int kExitFailed = 2;

constexpr std::string_view kStandardStream = "-";

constexpr std::string_view kUsage =
    "Usage: fegolin [-ns]\n"
    "       fegolin --reg-export FILE|-\n"
    "       fegolin --reg-import FILE|-\n"
    "       fegolin --clean-once [--dry-run]\n"
    "\n"
    "Without a command Fegolin lives in the notification area and empties the\n"
    "ticked folders of its list; -ns (or /ns) skips the splash screen.\n"
    "\n"
    "  --reg-export FILE  write the program's registry as a \"Windows Registry\n"
    "                     Editor Version 5.00\" file (- for standard output)\n"
    "  --reg-import FILE  read such a file (UTF-16LE or UTF-8) into the registry\n"
    "                     (- for standard input); a malformed file is refused\n"
    "                     as a whole\n"
    "  --clean-once       empty the ticked folders of the list once, in the list's\n"
    "                     order, and print per folder what was removed and what\n"
    "                     was kept or failed; works beside a running Fegolin\n"
    "  --dry-run          with --clean-once: change nothing, list every entry\n"
    "                     with what a run would do to it (remove, or keep and\n"
    "                     why)\n"
    "  --help             show this text\n"
    "  --version          show the program's name and version\n"
    "\n"
    "The registry lives in $XDG_CONFIG_HOME/fegolin/registry.db (~/.config when\n"
    "unset); FEGOLIN_REGISTRY names another file. --reg-export and --clean-once\n"
    "only read it. Exit status: 0 done, 2 failed.\n";

struct Streams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

struct OptionDef;

// What the command line asks for.
struct Request {
  const OptionDef* command = nullptr; // none: the window
  std::string_view file;              // the operand of a command that takes one
  std::vector<std::string_view> modifiers;

  [[nodiscard]] bool Has(std::string_view modifier) const {
    return std::find(modifiers.begin(), modifiers.end(), modifier) != modifiers.end();
  }
};

using Runner = int (*)(const Request&, Streams&);

enum class Role : std::uint8_t {
  WindowSwitch, // belongs to the window, in any letter case (-ns, /ns)
  Command,      // runs without a window; at most one per command line
  Modifier,     // changes the command named by `partOf`
};

enum class Operand : std::uint8_t { None, File };

struct OptionDef {
  std::string_view name;
  Role role;
  Operand operand = Operand::None;
  Runner run = nullptr;      // a command: what it runs
  std::string_view partOf{}; // a modifier: the command it belongs to
};

int RunHelp(const Request& request, Streams& io);
int RunVersion(const Request& request, Streams& io);
int RunExport(const Request& request, Streams& io);
int RunImport(const Request& request, Streams& io);
int RunCleanOnce(const Request& request, Streams& io);

// Every option the program knows; anything else that looks like an option
// is refused before a window (or a display) is needed.
constexpr std::array kOptions{
    OptionDef{.name = "-ns", .role = Role::WindowSwitch},
    OptionDef{.name = "/ns", .role = Role::WindowSwitch},
    OptionDef{.name = "--help", .role = Role::Command, .run = RunHelp},
    OptionDef{.name = "-h", .role = Role::Command, .run = RunHelp},
    OptionDef{.name = "--version", .role = Role::Command, .run = RunVersion},
    OptionDef{
        .name = "--reg-export", .role = Role::Command, .operand = Operand::File, .run = RunExport},
    OptionDef{
        .name = "--reg-import", .role = Role::Command, .operand = Operand::File, .run = RunImport},
    OptionDef{.name = "--clean-once", .role = Role::Command, .run = RunCleanOnce},
    OptionDef{.name = "--dry-run", .role = Role::Modifier, .partOf = "--clean-once"},
};

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

const OptionDef* FindOption(std::string_view arg) {
  for (const OptionDef& option : kOptions) {
    const bool same = option.role == Role::WindowSwitch ? EqualIgnoringCase(arg, option.name)
                                                        : arg == option.name;
    if (same) {
      return &option;
    }
  }
  return nullptr;
}

std::string Quote(std::string_view text) {
  // Appended rather than "'" + text: GCC 12 at -O2 warns falsely
  // (-Wrestrict) about the inlined insert at the front.
  std::string quoted = "'";
  quoted += PrintableText(text);
  quoted += '\'';
  return quoted;
}

std::string WrongOperands(const OptionDef& command) {
  if (command.operand == Operand::None) {
    return std::string(command.name) + " takes no operands";
  }
  return std::string(command.name) + " takes exactly one FILE (- for standard " +
         (command.name == "--reg-export" ? "output" : "input") + ")";
}

// The request, or why the command line is refused.
std::variant<Request, std::string> Parse(std::span<const std::string_view> args) {
  Request request;
  bool fileExpected = false;
  bool fileGiven = false;
  // Words that are no option of a command: operands too many for it, or
  // stray ones beside the window.
  std::vector<std::string_view> others;
  for (const std::string_view arg : args) {
    if (fileExpected) {
      request.file = arg;
      fileExpected = false;
      fileGiven = true;
      continue;
    }
    const OptionDef* option = FindOption(arg);
    if (option == nullptr && !arg.empty() && (arg.front() == '-' || arg.front() == '/')) {
      return "unknown option " + Quote(arg);
    }
    if (option == nullptr || option->role == Role::WindowSwitch) {
      others.push_back(arg);
      continue;
    }
    if (option->role == Role::Modifier) {
      request.modifiers.push_back(option->name);
      continue;
    }
    if (request.command != nullptr) {
      return std::string(request.command->name) + " and " + std::string(option->name) +
             " cannot be combined";
    }
    request.command = option;
    fileExpected = option->operand == Operand::File;
  }
  if (request.command == nullptr) {
    if (!request.modifiers.empty()) {
      const OptionDef* option = FindOption(request.modifiers.front());
      return std::string(option->name) + " only goes with " + std::string(option->partOf);
    }
    for (const std::string_view other : others) {
      if (FindOption(other) == nullptr) {
        return "unexpected argument " + Quote(other);
      }
    }
    return request;
  }
  const bool needsFile = request.command->operand == Operand::File;
  if (!others.empty() || (needsFile && !fileGiven)) {
    return WrongOperands(*request.command);
  }
  for (const std::string_view modifier : request.modifiers) {
    const OptionDef* option = FindOption(modifier);
    if (option->partOf != request.command->name) {
      return std::string(modifier) + " only goes with " + std::string(option->partOf);
    }
  }
  return request;
}

int Fail(std::ostream& err, const std::string& message) {
  err << "fegolin: " << PrintableText(message) << '\n';
  return kExitFailed;
}

std::string SystemError() {
  return std::strerror(errno);
}

// The process registry with the access a command needs, as it was again
// when the command is done.
class RegistryAccessFor {
public:
  explicit RegistryAccessFor(platform::RegAccess access)
      : before_(platform::SetProcessRegistryAccess(access)) {}
  ~RegistryAccessFor() { platform::SetProcessRegistryAccess(before_); }
  RegistryAccessFor(const RegistryAccessFor&) = delete;
  RegistryAccessFor& operator=(const RegistryAccessFor&) = delete;

private:
  platform::RegAccess before_;
};

std::string RandomSuffix() {
  std::random_device device;
  std::uniform_int_distribution<unsigned long long> any;
  std::string digits = std::to_string(any(device));
  return ".tmp-" + digits;
}

bool WriteBytes(const fs::path& path, std::string_view text, std::ios::openmode mode) {
  std::ofstream file(path, std::ios::binary | mode);
  if (!file) {
    return false;
  }
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return !file.fail();
}

// Puts `text` into the file `target` whole or not at all: it is written
// beside the file under another name and then renamed into place, so a
// full disk never leaves a cut-off export in place of the previous one. A
// link is followed to the file it names; what is not a plain file (a
// device, a pipe) is written directly.
int WriteWhole(const std::string& target, std::string_view text, std::ostream& err) {
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (fs::is_directory(status)) {
    return Fail(err, "cannot write " + target + ": it is a folder");
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    return WriteBytes(target, text, std::ios::out)
               ? kExitDone
               : Fail(err, "cannot write " + target + ": " + SystemError());
  }
  fs::path place = target;
  if (fs::exists(status)) {
    if (fs::path resolved = fs::canonical(target, ec); !ec) {
      place = std::move(resolved);
    }
  }
  fs::path temporary = place;
  temporary += RandomSuffix();
  if (!WriteBytes(temporary, text, std::ios::out | std::ios::trunc)) {
    const std::string reason = SystemError();
    fs::remove(temporary, ec);
    return Fail(err, "cannot write " + target + ": " + reason);
  }
  // A file that was there keeps who may read it.
  if (fs::exists(status)) {
    fs::permissions(temporary, status.permissions(), ec);
  }
  fs::rename(temporary, place, ec);
  if (ec) {
    fs::remove(temporary, ec);
    return Fail(err, "cannot write " + target + ": " + ec.message());
  }
  return kExitDone;
}

int RunHelp(const Request&, Streams& io) {
  io.out << kUsage;
  return kExitDone;
}

int RunVersion(const Request&, Streams& io) {
  // FEGOLIN_VERSION is the project version, set by the build.
  io.out << "Fegolin " FEGOLIN_VERSION "\n";
  return kExitDone;
}

int RunExport(const Request& request, Streams& io) {
  const RegistryAccessFor reading(platform::RegAccess::ReadOnly);
  auto& registry = platform::ProcessRegistry();
  if (const std::string problem = registry.Problem(); !problem.empty()) {
    return Fail(io.err, problem);
  }
  RegTextError error;
  const auto text = ExportRegText(registry, error);
  if (!text) {
    return Fail(io.err, error.message);
  }
  if (request.file == kStandardStream) {
    io.out.write(text->data(), static_cast<std::streamsize>(text->size()));
    io.out.flush();
    return io.out ? kExitDone : Fail(io.err, "cannot write to standard output");
  }
  return WriteWhole(std::string(request.file), *text, io.err);
}

int RunImport(const Request& request, Streams& io) {
  std::string bytes;
  std::string name;
  if (request.file == kStandardStream) {
    name = "<stdin>";
    bytes.assign(std::istreambuf_iterator<char>(io.in), {});
    if (io.in.bad()) {
      return Fail(io.err, "cannot read standard input");
    }
  } else {
    name = std::string(request.file);
    std::error_code ec;
    if (fs::is_directory(name, ec)) {
      return Fail(io.err, "cannot read " + name + ": it is a folder");
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
      return Fail(io.err, "cannot read " + name + ": " + SystemError());
    }
    bytes.assign(std::istreambuf_iterator<char>(file), {});
    if (file.bad()) {
      return Fail(io.err, "cannot read " + name + ": " + SystemError());
    }
  }
  const RegistryAccessFor writing(platform::RegAccess::ReadWrite);
  auto& registry = platform::ProcessRegistry();
  if (const std::string problem = registry.Problem(); !problem.empty()) {
    return Fail(io.err, problem);
  }
  if (const auto error = ImportRegText(registry, bytes)) {
    const std::string where = error->line == 0 ? name : name + ':' + std::to_string(error->line);
    return Fail(io.err, where + ": " + error->message + "; nothing was imported");
  }
  return kExitDone;
}

int RunCleanOnce(const Request& request, Streams& io) {
  // Reads the list and nothing else: a clean on a fresh account must leave
  // the next windowed start its first start.
  const RegistryAccessFor reading(platform::RegAccess::ReadOnly);
  if (const std::string problem = platform::ProcessRegistry().Problem(); !problem.empty()) {
    return Fail(io.err, problem);
  }
  return CleanStoredFoldersOnce(io.out, io.err,
                                request.Has("--dry-run") ? CleanMode::Preview : CleanMode::Delete);
}

} // namespace

std::optional<int> RunHeadlessCommand(std::span<const std::string_view> args, std::istream& in,
                                      std::ostream& out, std::ostream& err) {
  auto parsed = Parse(args);
  if (const std::string* refused = std::get_if<std::string>(&parsed)) {
    Fail(err, *refused);
    err << '\n' << kUsage;
    return kExitFailed;
  }
  const Request& request = std::get<Request>(parsed);
  if (request.command == nullptr) {
    return std::nullopt;
  }
  Streams io{in, out, err};
  try {
    return request.command->run(request, io);
  } catch (const std::exception& e) {
    return Fail(err, e.what());
  }
}

} // namespace fegolin
