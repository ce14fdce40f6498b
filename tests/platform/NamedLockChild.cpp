// The other process of NamedLockTest. It takes one named object, says on
// stdout what it found, and holds the object until its stdin closes (or it
// is killed, which is the point of several tests).
//
//   NamedLockChild mutex NAME       -> "created" | "existed" | "failed"
//   NamedLockChild sem NAME MAX     -> "taken" | "failed"

#include "platform/NamedLock.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>

int main(int argc, char** argv) {
  using namespace fegolin::platform;
  if (argc < 3) {
    return 2;
  }
  const std::string_view kind = argv[1];
  std::unique_ptr<NamedMutex> mutex;
  std::unique_ptr<NamedSemaphore> semaphore;
  if (kind == "mutex") {
    if (auto created = CreateNamedMutex(argv[2])) {
      mutex = std::move(created).value();
    }
    std::cout << (!mutex ? "failed" : mutex->AlreadyExisted() ? "existed" : "created") << std::endl;
  } else if (kind == "sem" && argc >= 4) {
    semaphore = CreateNamedSemaphore(argv[2], std::atoi(argv[3]));
    std::cout << (semaphore && semaphore->Wait() ? "taken" : "failed") << std::endl;
  } else {
    return 2;
  }
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  return 0;
}
