#include "platform/posix/PosixCleanTarget.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace fegolin::platform::posix {
namespace {

// The kernel gives up after 40 links in one lookup; so do we.
constexpr int kMaxLinks = 40;

using Identity = std::pair<dev_t, ino_t>;

Identity IdentityOf(const struct stat& st) {
  return {st.st_dev, st.st_ino};
}

bool OwnedByUsOrRoot(const struct stat& st) {
  return st.st_uid == ::geteuid() || st.st_uid == 0;
}

// Whether no other account can replace what this folder holds: it is ours
// or root's, and only its owner may write to it, unless the sticky bit
// keeps others' hands off entries they do not own. A folder writable by our
// own primary group counts as ours (the one-user groups most systems give
// every account).
bool TrustedContainer(const struct stat& st) {
  if (!OwnedByUsOrRoot(st)) {
    return false;
  }
  if ((st.st_mode & S_ISVTX) != 0) {
    return true;
  }
  if ((st.st_mode & S_IWOTH) != 0) {
    return false;
  }
  return (st.st_mode & S_IWGRP) == 0 || st.st_gid == ::getegid();
}

void PushComponents(std::string_view path, std::deque<std::string>& pending) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find('/', start);
    const std::size_t end = slash == std::string_view::npos ? path.size() : slash;
    if (end > start) {
      parts.emplace_back(path.substr(start, end - start));
    }
    if (slash == std::string_view::npos) {
      break;
    }
    start = slash + 1;
  }
  pending.insert(pending.begin(), parts.begin(), parts.end());
}

// The folders a clean must never empty, by identity: the root, and the home
// folder with every folder above it, for $HOME and for the account's home
// in the user database alike. Looked up through links, as a user means them.
std::set<Identity> ProtectedFolders() {
  std::set<Identity> result;
  struct stat st {};
  if (::stat("/", &st) == 0) {
    result.insert(IdentityOf(st));
  }
  std::vector<std::string> homes;
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    homes.emplace_back(home);
  }
  if (const passwd* entry = ::getpwuid(::geteuid());
      entry != nullptr && entry->pw_dir != nullptr && entry->pw_dir[0] == '/') {
    homes.emplace_back(entry->pw_dir);
  }
  for (std::string path : homes) {
    for (;;) {
      while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
      }
      if (::stat(path.c_str(), &st) == 0) {
        result.insert(IdentityOf(st));
      }
      const auto slash = path.rfind('/');
      if (slash == std::string::npos || path == "/") {
        break;
      }
      path.erase(slash == 0 ? 1 : slash);
    }
  }
  return result;
}

ResolvedTarget Refuse(TargetRefusal refusal, int error = 0) {
  ResolvedTarget result;
  result.check = {refusal, error};
  return result;
}

struct Step {
  UniqueFd fd; // O_PATH
  struct stat st {};
};

} // namespace

ResolvedTarget ResolveCleanTarget(std::string_view directory) {
  if (directory.empty() || directory.front() != '/' ||
      directory.find('\0') != std::string_view::npos) {
    return Refuse(TargetRefusal::Relative);
  }
  std::vector<Step> chain;
  {
    Step root{UniqueFd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)), {}};
    if (!root.fd.valid() || ::fstat(root.fd.get(), &root.st) != 0) {
      return Refuse(TargetRefusal::CannotOpen, errno);
    }
    chain.push_back(std::move(root));
  }
  std::deque<std::string> pending;
  PushComponents(directory, pending);
  int links = 0;
  while (!pending.empty()) {
    const std::string name = std::move(pending.front());
    pending.pop_front();
    if (name == ".") {
      continue;
    }
    if (name == "..") {
      // The parent of what was really reached, as the kernel resolves "..".
      if (chain.size() > 1) {
        chain.pop_back();
      }
      continue;
    }
    if (name.size() > NAME_MAX) {
      return Refuse(TargetRefusal::Missing, ENAMETOOLONG);
    }
    // Whatever this folder holds could be swapped by whoever controls it.
    if (!TrustedContainer(chain.back().st)) {
      return Refuse(TargetRefusal::ForeignFolder);
    }
    Step step{
        UniqueFd(::openat(chain.back().fd.get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC)),
        {}};
    if (!step.fd.valid()) {
      return Refuse(TargetRefusal::Missing, errno);
    }
    if (::fstat(step.fd.get(), &step.st) != 0) {
      return Refuse(TargetRefusal::CannotOpen, errno);
    }
    if (S_ISLNK(step.st.st_mode)) {
      if (!OwnedByUsOrRoot(step.st)) {
        return Refuse(TargetRefusal::ForeignLink);
      }
      if (++links > kMaxLinks) {
        return Refuse(TargetRefusal::Missing, ELOOP);
      }
      char target[PATH_MAX];
      const ssize_t length = ::readlinkat(step.fd.get(), "", target, sizeof target);
      if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target) {
        return Refuse(TargetRefusal::CannotOpen, length < 0 ? errno : ENAMETOOLONG);
      }
      const std::string_view text(target, static_cast<std::size_t>(length));
      if (text.front() == '/') {
        chain.resize(1);
      }
      PushComponents(text, pending);
      continue;
    }
    if (!S_ISDIR(step.st.st_mode)) {
      const bool last = std::all_of(pending.begin(), pending.end(),
                                    [](const std::string& p) { return p == "."; });
      return Refuse(last ? TargetRefusal::NotFolder : TargetRefusal::Missing, last ? 0 : ENOTDIR);
    }
    chain.push_back(std::move(step));
  }
  const struct stat& found = chain.back().st;
  const std::set<Identity> protectedFolders = ProtectedFolders();
  struct stat root {};
  if (::stat("/", &root) == 0 && IdentityOf(root) == IdentityOf(found)) {
    return Refuse(TargetRefusal::Root);
  }
  if (protectedFolders.contains(IdentityOf(found))) {
    return Refuse(TargetRefusal::HomeOrAbove);
  }
  if (!OwnedByUsOrRoot(found)) {
    return Refuse(TargetRefusal::NotOwned);
  }
  ResolvedTarget result;
  result.fd = UniqueFd(::openat(chain.back().fd.get(), ".",
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!result.fd.valid() || ::fstat(result.fd.get(), &result.st) != 0) {
    return Refuse(TargetRefusal::CannotOpen, errno);
  }
  if (IdentityOf(result.st) != IdentityOf(found)) {
    return Refuse(TargetRefusal::CannotOpen, ESTALE);
  }
  return result;
}

} // namespace fegolin::platform::posix
