#include "platform/AutoStart.h"

// The XDG autostart entry: $XDG_CONFIG_HOME/autostart/<title>.desktop, the
// title in lower case. Session managers start every such entry at log-in.

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

namespace fegolin::platform {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> ConfigHome() {
  // A relative XDG_CONFIG_HOME is invalid by the base-directory rules and
  // must be ignored, not resolved against whatever folder we run in.
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return fs::path(xdg);
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* entry = getpwuid(getuid());
    home = entry != nullptr ? entry->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') {
    return std::nullopt;
  }
  return fs::path(home) / ".config";
}

Result<fs::path> EntryPath(std::string_view appTitle) {
  if (appTitle.empty() || appTitle.find('/') != std::string_view::npos || appTitle == "." ||
      appTitle == "..") {
    return SysError::Because("\"" + std::string(appTitle) + "\" cannot name an autostart entry");
  }
  auto home = ConfigHome();
  if (!home) {
    return SysError::Because(
        "no configuration folder: neither XDG_CONFIG_HOME nor a home folder is set");
  }
  std::string file(appTitle);
  for (char& c : file) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return *home / "autostart" / (file + ".desktop");
}

SysError Failure(std::string_view what, const fs::path& path, const std::error_code& ec) {
  return {ec.value(), std::string(what) + " " + path.string() + ": " + ec.message()};
}

// The general escapes of a desktop-entry string value.
std::string EscapeValue(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\r':
      out += "\\r";
      break;
    default:
      out += c;
      break;
    }
  }
  return out;
}

// The executable as the single word of an Exec line: quoted when it holds a
// reserved character, with the characters that stay special inside quotes
// escaped, and every '%' doubled so no part of the path reads as a field
// code. The string-value escapes come on top of this.
std::string ExecValue(std::string_view executablePath) {
  constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
  const bool quote = executablePath.find_first_of(reserved) != std::string_view::npos;
  std::string word;
  if (quote) {
    word += '"';
  }
  for (char c : executablePath) {
    if (c == '%') {
      word += "%%";
      continue;
    }
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
      word += '\\';
    }
    word += c;
  }
  if (quote) {
    word += '"';
  }
  return EscapeValue(word);
}

} // namespace

Status RegisterAutoStart(std::string_view appTitle, std::string_view executablePath) {
  if (executablePath.empty() || executablePath.front() != '/') {
    return SysError::Because("the program's path \"" + std::string(executablePath) +
                             "\" is not absolute");
  }
  auto target = EntryPath(appTitle);
  if (!target) {
    return target.error();
  }
  const fs::path& entry = target.value();
  std::error_code ec;
  fs::create_directories(entry.parent_path(), ec);
  if (ec) {
    return Failure("cannot make", entry.parent_path(), ec);
  }
  // Written beside the target and renamed over it, so a session manager
  // never reads half an entry.
  fs::path temporary = entry;
  temporary += ".tmp-" + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
      return SysError::FromErrno("cannot write " + temporary.string());
    }
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << EscapeValue(appTitle) << "\n"
        << "Exec=" << ExecValue(executablePath) << "\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    out.flush();
    if (!out) {
      SysError failure = SysError::FromErrno("cannot write " + temporary.string());
      fs::remove(temporary, ec);
      return failure;
    }
  }
  fs::rename(temporary, entry, ec);
  if (ec) {
    SysError failure = Failure("cannot put in place", entry, ec);
    fs::remove(temporary, ec);
    return failure;
  }
  return {};
}

Status UnregisterAutoStart(std::string_view appTitle) {
  const auto target = EntryPath(appTitle);
  if (!target) {
    return target.error();
  }
  std::error_code ec;
  fs::remove(target.value(), ec);
  if (ec) {
    return Failure("cannot remove", target.value(), ec);
  }
  return {};
}

} // namespace fegolin::platform
