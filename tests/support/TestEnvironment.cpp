#include "tests/support/TestEnvironment.h"

#include "tests/support/ScopedHive.h"
#include "tests/support/SystemSupport.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fegolin::test {

void PrepareTestEnvironment() {
  AdoptTestEnvironment();
  for (const char* name : {"TMPDIR", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
      throw std::runtime_error(std::string(name) + " is not set; run the tests through CTest");
    }
    const std::filesystem::path dir(value);
    std::filesystem::create_directories(dir);
    // Qt insists on a private runtime folder.
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
  }
  IsolateProcessRegistry();
}

} // namespace fegolin::test
