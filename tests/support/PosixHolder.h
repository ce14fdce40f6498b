#pragma once

// POSIX only: a helper process for tests about entries that another
// program uses.

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fegolin::test {

// A child process that sets something up, reports, and waits until told to
// go: holds files open or a folder as its current folder meanwhile.
class Holder {
public:
  template <typename F> explicit Holder(F setup) {
    int toChild[2];
    int toParent[2];
    if (::pipe(toChild) != 0 || ::pipe(toParent) != 0) {
      return;
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(toChild[1]);
      ::close(toParent[0]);
      setup();
      char byte = 1;
      (void)!::write(toParent[1], &byte, 1);
      (void)!::read(toChild[0], &byte, 1);
      ::_exit(0);
    }
    ::close(toChild[0]);
    ::close(toParent[1]);
    release_ = toChild[1];
    char byte = 0;
    (void)!::read(toParent[0], &byte, 1);
    ::close(toParent[0]);
  }
  ~Holder() {
    ::close(release_);
    ::waitpid(pid_, nullptr, 0);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

private:
  pid_t pid_ = -1;
  int release_ = -1;
};

} // namespace fegolin::test
