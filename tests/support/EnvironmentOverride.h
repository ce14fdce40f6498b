#pragma once

// POSIX only: an environment variable set (or removed) for as long as the
// object lives; child processes started meanwhile see it too.

#include <cstdlib>
#include <optional>
#include <string>

namespace fegolin::test {

class EnvironmentOverride {
public:
  // A null `value` removes the variable.
  EnvironmentOverride(const char* name, const char* value) : name_(name) {
    if (const char* before = std::getenv(name)) {
      previous_ = before;
    }
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvironmentOverride() {
    if (previous_) {
      ::setenv(name_, previous_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
  const char* name_;
  std::optional<std::string> previous_;
};

} // namespace fegolin::test
