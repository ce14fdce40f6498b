#include "app/uCommandLine.h"

#include "app/uCleanOnce.h"
#include "common/uRegText.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace fegolin {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 2;

constexpr std::string_view kExport = "--reg-export";
constexpr std::string_view kImport = "--reg-import";
constexpr std::string_view kCleanOnce = "--clean-once";
constexpr std::string_view kDryRun = "--dry-run";
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
    "unset); FEGOLIN_REGISTRY names another file. Exit status: 0 done, 2 failed.\n";

bool IsCommand(std::string_view arg) {
  return arg == kExport || arg == kImport || arg == kCleanOnce || arg == "--help" || arg == "-h" ||
         arg == "--version";
}

int Fail(std::ostream& err, const std::string& message) {
  err << "fegolin: " << message << '\n';
  return kExitFailed;
}

std::string SystemError() {
  return std::strerror(errno);
}

int Export(platform::Registry& registry, std::string_view target, std::ostream& out,
           std::ostream& err) {
  RegTextError error;
  const auto text = ExportRegText(registry, error);
  if (!text) {
    return Fail(err, error.message);
  }
  if (target == kStandardStream) {
    out.write(text->data(), static_cast<std::streamsize>(text->size()));
    out.flush();
    return out ? kExitDone : Fail(err, "cannot write to standard output");
  }
  const std::string path(target);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) {
    return Fail(err, "cannot write " + path + ": " + SystemError());
  }
  file.write(text->data(), static_cast<std::streamsize>(text->size()));
  file.close();
  return file ? kExitDone : Fail(err, "cannot write " + path + ": " + SystemError());
}

int Import(platform::Registry& registry, std::string_view source, std::istream& in,
           std::ostream& err) {
  std::string bytes;
  std::string name;
  if (source == kStandardStream) {
    name = "<stdin>";
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (in.bad()) {
      return Fail(err, "cannot read standard input");
    }
  } else {
    name = std::string(source);
    std::error_code ec;
    if (std::filesystem::is_directory(name, ec)) {
      return Fail(err, "cannot read " + name + ": it is a folder");
    }
    std::ifstream file(name, std::ios::binary);
    if (!file) {
      return Fail(err, "cannot read " + name + ": " + SystemError());
    }
    bytes.assign(std::istreambuf_iterator<char>(file), {});
    if (file.bad()) {
      return Fail(err, "cannot read " + name + ": " + SystemError());
    }
  }
  if (const auto error = ImportRegText(registry, bytes)) {
    const std::string where =
        error->line == 0 ? name : name + ':' + std::to_string(error->line);
    return Fail(err, where + ": " + error->message + "; nothing was imported");
  }
  return kExitDone;
}

} // namespace

std::optional<int> RunHeadlessCommand(std::span<const std::string_view> args, std::istream& in,
                                      std::ostream& out, std::ostream& err) {
  const auto command = std::find_if(args.begin(), args.end(), IsCommand);
  if (command == args.end()) {
    return std::nullopt;
  }
  try {
    if (*command == "--help" || *command == "-h") {
      out << kUsage;
      return kExitDone;
    }
    if (*command == "--version") {
      // FEGOLIN_VERSION is the project version, set by the build.
      out << "Fegolin " FEGOLIN_VERSION "\n";
      return kExitDone;
    }
    if (*command == kCleanOnce) {
      const bool dryRun = args.size() == 2 && args[1] == kDryRun && command == args.begin();
      if (args.size() != 1 && !dryRun) {
        return Fail(err, "--clean-once takes no operands but --dry-run; see fegolin --help");
      }
      if (const std::string problem = platform::ProcessRegistry().Problem(); !problem.empty()) {
        return Fail(err, problem);
      }
      return CleanStoredFoldersOnce(out, err, dryRun ? CleanMode::Preview : CleanMode::Delete);
    }
    if (args.size() != 2 || command != args.begin()) {
      return Fail(err, std::string(*command) + " takes exactly one FILE (- for standard " +
                           (*command == kExport ? "output" : "input") + "); see fegolin --help");
    }
    auto& registry = platform::ProcessRegistry();
    if (const std::string problem = registry.Problem(); !problem.empty()) {
      return Fail(err, problem);
    }
    return *command == kExport ? Export(registry, args[1], out, err)
                               : Import(registry, args[1], in, err);
  } catch (const std::exception& e) {
    return Fail(err, e.what());
  }
}

} // namespace fegolin
