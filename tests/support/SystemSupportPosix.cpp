#include "tests/support/SystemSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace fegolin::test {

void AdoptTestEnvironment() {}

std::string OwnExecutable() {
  return std::filesystem::read_symlink("/proc/self/exe").string();
}

std::string NarrowFromUtf8(std::string_view utf8) {
  return std::string(utf8);
}

struct ChildProcess::State {
  pid_t pid = -1;
  int toChild = -1;
  FILE* fromChild = nullptr;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args)
    : state_(std::make_unique<State>()) {
  int in[2];
  int out[2];
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<std::string> words = args;
  words.insert(words.begin(), program);
  std::vector<char*> argv;
  for (auto& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  if (::posix_spawn(&state_->pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    state_->pid = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  state_->toChild = in[1];
  state_->fromChild = ::fdopen(out[0], "r");
}

ChildProcess::~ChildProcess() {
  Finish();
  if (state_->fromChild != nullptr) {
    std::fclose(state_->fromChild);
  }
}

std::string ChildProcess::ReadLine() {
  char line[256] = {};
  if (state_->fromChild == nullptr || std::fgets(line, sizeof line, state_->fromChild) == nullptr) {
    return "<no answer>";
  }
  std::string text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
    text.pop_back();
  }
  return text;
}

void ChildProcess::Finish() {
  if (state_->toChild >= 0) {
    ::close(state_->toChild);
    state_->toChild = -1;
  }
  if (state_->pid > 0) {
    ::waitpid(state_->pid, nullptr, 0);
    state_->pid = -1;
  }
}

void ChildProcess::Kill() {
  if (state_->pid > 0) {
    ::kill(state_->pid, SIGKILL);
  }
  Finish();
}

} // namespace fegolin::test
