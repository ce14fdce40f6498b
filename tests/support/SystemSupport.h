#pragma once

// The few things tests need from the operating system itself, with a POSIX
// and a Windows implementation, so the test sources above them are the same
// on both.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fegolin::test {

// Brings the scratch folders that CTest names into the system's own form.
// POSIX: nothing to do. Windows: paths of the build machine (under Wine)
// become Windows paths, and TMP and TEMP name the scratch temp folder, so
// GetTempPathA never gives the user's real one.
void AdoptTestEnvironment();

// The full path of the running test executable.
std::string OwnExecutable();

// UTF-8 text in the system's narrow encoding, the one the platform layer
// hands strings out in: unchanged on POSIX, the ANSI code page on Windows.
std::string NarrowFromUtf8(std::string_view utf8);

// Another program started with pipes on its standard input and output. It
// runs until Finish() closes its input (and waits for it) or Kill() ends it
// at once; the destructor finishes it.
class ChildProcess {
public:
  ChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // One line the child wrote, without its line end; "<no answer>" when it
  // wrote none before closing its output.
  std::string ReadLine();
  void Finish();
  void Kill();

private:
  struct State;
  std::unique_ptr<State> state_;
};

} // namespace fegolin::test
