#include "tests/support/SystemSupport.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace fegolin::test {
namespace {

// One argument quoted so that the child's C run-time reads it back as it
// was: backslashes are doubled only where they precede a quote.
std::string Quote(const std::string& arg) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}

// Sets a variable for the C run-time's getenv and for the system's own
// lookups (GetTempPathA) alike.
void SetVariable(const char* name, const std::string& value) {
  _putenv_s(name, value.c_str());
  SetEnvironmentVariableA(name, value.c_str());
}

// A path of the build machine as Wine shows it to Windows programs; other
// text, and everything on a real Windows, stays as it is.
std::string WindowsPath(const std::string& path) {
  using DosFileName = WCHAR*(__cdecl*)(const char*);
  const auto dosName = reinterpret_cast<DosFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
  if (path.empty() || path.front() != '/' || dosName == nullptr) {
    return path;
  }
  WCHAR* wide = dosName(path.c_str());
  if (wide == nullptr) {
    return path;
  }
  char narrow[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
  HeapFree(GetProcessHeap(), 0, wide);
  return narrow;
}

} // namespace

void AdoptTestEnvironment() {
  // Under Wine, the test's own TMPDIR comes under this name (scripts/wine-run.sh).
  if (const char* own = std::getenv("FEGOLIN_TEST_TMPDIR"); own != nullptr && *own != '\0') {
    SetVariable("TMPDIR", own);
  }
  for (const char* name :
       {"TMPDIR", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "FEGOLIN_TEST_SCRATCH"}) {
    if (const char* value = std::getenv(name)) {
      SetVariable(name, WindowsPath(value));
    }
  }
  if (const char* temp = std::getenv("TMPDIR")) {
    const std::string folder = temp;
    SetVariable("TMP", folder);
    SetVariable("TEMP", folder);
  }
}

std::string OwnExecutable() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string NarrowFromUtf8(std::string_view utf8) {
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), size)));
  const int wideSize = static_cast<int>(wide.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

struct ChildProcess::State {
  PROCESS_INFORMATION process{};
  HANDLE toChild = nullptr;
  HANDLE fromChild = nullptr;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : state_(std::make_unique<State>()) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE childIn = nullptr;
  HANDLE childOut = nullptr;
  if (!CreatePipe(&childIn, &state_->toChild, &inherit, 0) ||
      !CreatePipe(&state_->fromChild, &childOut, &inherit, 0)) {
    throw std::runtime_error("CreatePipe");
  }
  // Only the child's ends are inherited.
  SetHandleInformation(state_->toChild, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(state_->fromChild, HANDLE_FLAG_INHERIT, 0);
  std::string commandLine = Quote(program);
  for (const auto& arg : args) {
    commandLine += ' ' + Quote(arg);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childIn;
  startup.hStdOutput = childOut;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &state_->process)) {
    state_->process = {};
  }
  CloseHandle(childIn);
  CloseHandle(childOut);
}

ChildProcess::~ChildProcess() {
  Finish();
  if (state_->fromChild != nullptr) {
    CloseHandle(state_->fromChild);
  }
}

std::string ChildProcess::ReadLine() {
  std::string line;
  char c = 0;
  DWORD got = 0;
  while (ReadFile(state_->fromChild, &c, 1, &got, nullptr) && got == 1) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      return line;
    }
    line += c;
  }
  return line.empty() ? "<no answer>" : line;
}

void ChildProcess::Finish() {
  if (state_->toChild != nullptr) {
    CloseHandle(state_->toChild);
    state_->toChild = nullptr;
  }
  if (state_->process.hProcess != nullptr) {
    WaitForSingleObject(state_->process.hProcess, INFINITE);
    CloseHandle(state_->process.hProcess);
    CloseHandle(state_->process.hThread);
    state_->process = {};
  }
}

void ChildProcess::Kill() {
  if (state_->process.hProcess != nullptr) {
    TerminateProcess(state_->process.hProcess, 9);
  }
  Finish();
}

} // namespace fegolin::test
