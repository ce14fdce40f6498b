#include "tests/support/DesktopDetail.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fegolin::test {
namespace detail {
namespace {

// posix_spawn's structures, released on every way out.
class SpawnSetup {
public:
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions_);
    posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  posix_spawn_file_actions_t actions_{};
  posix_spawnattr_t attributes_{};
};

void Check(int result, const char* what) {
  if (result != 0) {
    throw std::system_error(result, std::generic_category(), what);
  }
}

} // namespace

std::shared_ptr<DesktopProcess::State> Spawn(const SpawnRequest& request) {
  SpawnSetup setup;
  Check(posix_spawn_file_actions_addopen(&setup.actions_, 0, "/dev/null", O_RDONLY, 0), "stdin");
  Check(posix_spawn_file_actions_addopen(&setup.actions_, 1, request.log.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644),
        "stdout");
  Check(posix_spawn_file_actions_adddup2(&setup.actions_, 1, 2), "stderr");
  if (request.passAsFd3 >= 0) {
    Check(posix_spawn_file_actions_adddup2(&setup.actions_, request.passAsFd3, 3), "descriptor 3");
  }
  // A group of its own, so that ending it ends whatever it started too;
  // signals as a freshly logged-in desktop would deliver them.
  Check(posix_spawnattr_setpgroup(&setup.attributes_, 0), "process group");
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  Check(posix_spawnattr_setsigmask(&setup.attributes_, &none), "signal mask");
  Check(posix_spawnattr_setsigdefault(&setup.attributes_, &all), "signal defaults");
  Check(posix_spawnattr_setflags(&setup.attributes_, POSIX_SPAWN_SETPGROUP |
                                                         POSIX_SPAWN_SETSIGMASK |
                                                         POSIX_SPAWN_SETSIGDEF),
        "spawn flags");

  std::vector<std::string> argStrings{request.program};
  argStrings.insert(argStrings.end(), request.args.begin(), request.args.end());
  std::vector<char*> argv;
  for (auto& arg : argStrings) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  std::vector<std::string> envStrings;
  for (const auto& [name, value] : request.environment) {
    envStrings.push_back(name + '=' + value);
  }
  std::vector<char*> envp;
  for (auto& entry : envStrings) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);

  auto state = std::make_shared<DesktopProcess::State>();
  state->name = request.program;
  state->log = request.log;
  const int result = posix_spawnp(&state->pid, request.program.c_str(), &setup.actions_,
                                  &setup.attributes_, argv.data(), envp.data());
  if (result != 0) {
    throw std::runtime_error("cannot start " + request.program + ": " + std::strerror(result));
  }
  return state;
}

bool Reap(DesktopProcess::State& state) {
  if (state.reaped) {
    return true;
  }
  int status = 0;
  const pid_t result = ::waitpid(state.pid, &status, WNOHANG);
  if (result == state.pid) {
    state.reaped = true;
    state.status = status;
  } else if (result < 0 && errno == ECHILD) {
    // Somebody else reaped it; all that is known is that it has ended.
    state.reaped = true;
    state.status = 0;
  }
  return state.reaped;
}

bool WaitForEnd(DesktopProcess::State& state, std::chrono::milliseconds timeout) {
  return WaitUntil([&] { return Reap(state); }, timeout, 10ms);
}

void KillGroup(DesktopProcess::State& state) {
  if (!state.groupKilled) {
    ::kill(-state.pid, SIGKILL);
    state.groupKilled = true;
  }
  if (!state.reaped) {
    int status = 0;
    while (::waitpid(state.pid, &status, 0) < 0 && errno == EINTR) {
    }
    state.reaped = true;
    state.status = status;
  }
}

void Stop(DesktopProcess::State& state, std::chrono::milliseconds grace) {
  if (!Reap(state)) {
    ::kill(state.pid, SIGTERM);
    WaitForEnd(state, grace);
  }
  KillGroup(state);
}

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

} // namespace detail

// --- DesktopProcess --------------------------------------------------------------

DesktopProcess::DesktopProcess(std::shared_ptr<State> state) : state_(std::move(state)) {}

DesktopProcess::~DesktopProcess() {
  if (state_) {
    detail::KillGroup(*state_);
  }
}

DesktopProcess::DesktopProcess(DesktopProcess&&) noexcept = default;

DesktopProcess& DesktopProcess::operator=(DesktopProcess&& other) noexcept {
  if (this != &other) {
    if (state_) {
      detail::KillGroup(*state_);
    }
    state_ = std::move(other.state_);
  }
  return *this;
}

pid_t DesktopProcess::pid() const {
  return state_->pid;
}

bool DesktopProcess::running() const {
  return !detail::Reap(*state_);
}

bool DesktopProcess::waitForExit(std::chrono::milliseconds timeout) const {
  return detail::WaitForEnd(*state_, timeout);
}

std::optional<int> DesktopProcess::exitCode() const {
  if (!detail::Reap(*state_) || !WIFEXITED(state_->status)) {
    return std::nullopt;
  }
  return WEXITSTATUS(state_->status);
}

int DesktopProcess::termSignal() const {
  if (!detail::Reap(*state_) || !WIFSIGNALED(state_->status)) {
    return 0;
  }
  return WTERMSIG(state_->status);
}

std::string DesktopProcess::describe() const {
  if (running()) {
    return state_->name + " is running";
  }
  if (const auto code = exitCode()) {
    return state_->name + " ended with exit code " + std::to_string(*code);
  }
  return state_->name + " was killed by signal " + std::to_string(termSignal());
}

void DesktopProcess::terminate() const {
  if (!detail::Reap(*state_)) {
    ::kill(state_->pid, SIGTERM);
  }
}

void DesktopProcess::kill() const {
  detail::KillGroup(*state_);
}

std::string DesktopProcess::output() const {
  return detail::ReadFile(state_->log);
}

bool DesktopProcess::waitForOutput(std::string_view text, std::chrono::milliseconds timeout) const {
  return WaitUntil([&] { return output().find(text) != std::string::npos; }, timeout);
}

} // namespace fegolin::test
