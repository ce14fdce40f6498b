#include "tests/common/CleanTestSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace fegolin::test {

namespace fs = std::filesystem;

std::map<std::string, std::string> Fingerprint(const fs::path& root) {
  std::map<std::string, std::string> result;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    struct stat st {};
    ::lstat(it->path().c_str(), &st);
    std::ostringstream description;
    description << std::oct << st.st_mode << ' ';
    if (S_ISLNK(st.st_mode)) {
      description << fs::read_symlink(it->path()).string();
    } else if (S_ISREG(st.st_mode)) {
      std::ifstream in(it->path(), std::ios::binary);
      description << in.rdbuf();
    }
    result[fs::relative(it->path(), root).string()] = description.str();
  }
  return result;
}

std::optional<CleanOutcome> CleanInChild(const fs::path& cwd, const std::string& directory,
                                         bool asNobody, const std::function<bool()>& prepare) {
  void* shared = ::mmap(nullptr, sizeof(CleanOutcome), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED) {
    return std::nullopt;
  }
  auto* outcome = new (shared) CleanOutcome{};
  const pid_t child = ::fork();
  if (child == 0) {
    if (::chdir(cwd.c_str()) != 0) {
      ::_exit(2);
    }
    if (prepare && !prepare()) {
      ::_exit(4);
    }
    if (asNobody) {
      const gid_t none[] = {kNobody};
      if (::setgroups(1, none) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
          ::setresuid(kNobody, kNobody, kNobody) != 0) {
        ::_exit(3);
      }
      // An ordinary user's process may read its own /proc entries; a
      // process that changed its identity may not unless it says so.
      ::prctl(PR_SET_DUMPABLE, 1);
    }
    CountingObserver observer;
    outcome->result = CleanDirectory("*.*", directory, &observer);
    outcome->removed = observer.removed;
    outcome->left = observer.left;
    ::_exit(0);
  }
  int status = 0;
  const bool ran = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                   WEXITSTATUS(status) == 0;
  const CleanOutcome copy = *outcome;
  ::munmap(shared, sizeof(CleanOutcome));
  return ran ? std::optional(copy) : std::nullopt;
}

int RunInChild(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::_exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
    return -1;
  }
  return WEXITSTATUS(status);
}

void ChownTree(const fs::path& root, unsigned uid) {
  ::lchown(root.c_str(), uid, uid);
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    ::lchown(it->path().c_str(), uid, uid);
  }
}

bool RunningAsRoot() {
  return ::geteuid() == 0;
}

} // namespace fegolin::test
