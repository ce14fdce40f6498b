// Named kernel objects on Windows: CreateMutexA and CreateSemaphoreA in the
// session's namespace. The kernel drops an object when its last handle
// closes, also when a process ends without closing it.

#include "platform/NamedLock.h"

#include <windows.h>

#include <string>

namespace fegolin::platform {
namespace {

class Win32Mutex final : public NamedMutex {
public:
  Win32Mutex(HANDLE handle, bool existed) : handle_(handle), existed_(existed) {}
  ~Win32Mutex() override { CloseHandle(handle_); }
  Win32Mutex(const Win32Mutex&) = delete;
  Win32Mutex& operator=(const Win32Mutex&) = delete;

  [[nodiscard]] bool AlreadyExisted() const override { return existed_; }

private:
  HANDLE handle_;
  bool existed_;
};

class Win32Semaphore final : public NamedSemaphore {
public:
  explicit Win32Semaphore(HANDLE handle) : handle_(handle) {}
  ~Win32Semaphore() override {
    // A semaphore does not know who took its units; the ones taken through
    // this handle go back here, or they would stay taken for as long as the
    // semaphore exists.
    for (; held_ > 0; --held_) {
      ReleaseSemaphore(handle_, 1, nullptr);
    }
    CloseHandle(handle_);
  }
  Win32Semaphore(const Win32Semaphore&) = delete;
  Win32Semaphore& operator=(const Win32Semaphore&) = delete;

  bool Wait() override {
    if (WaitForSingleObject(handle_, INFINITE) != WAIT_OBJECT_0) {
      return false;
    }
    ++held_;
    return true;
  }

  bool Release(std::int32_t& previousCount) override {
    LONG previous = 0;
    if (held_ == 0 || !ReleaseSemaphore(handle_, 1, &previous)) {
      return false;
    }
    --held_;
    previousCount = previous;
    return true;
  }

private:
  HANDLE handle_;
  std::int32_t held_ = 0;
};

} // namespace

Result<std::unique_ptr<NamedMutex>> CreateNamedMutex(std::string_view name) {
  const std::string text(name);
  HANDLE handle = CreateMutexA(nullptr, TRUE, text.c_str());
  if (handle == nullptr) {
    const DWORD error = GetLastError();
    return SysError{static_cast<int>(error),
                    "CreateMutexA(\"" + text + "\") failed with error " + std::to_string(error)};
  }
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  return std::unique_ptr<NamedMutex>(std::make_unique<Win32Mutex>(handle, existed));
}

std::unique_ptr<NamedSemaphore> CreateNamedSemaphore(std::string_view name,
                                                     std::int32_t maximumCount) {
  if (maximumCount < 1) {
    return nullptr;
  }
  const std::string text(name);
  HANDLE handle = CreateSemaphoreA(nullptr, maximumCount, maximumCount, text.c_str());
  if (handle == nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
    handle = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE | SYNCHRONIZE, FALSE, text.c_str());
  }
  if (handle == nullptr) {
    return nullptr;
  }
  return std::make_unique<Win32Semaphore>(handle);
}

std::string LocalServerName(std::string_view name) {
  // A local server on Windows is a named pipe, private to the session when
  // its name carries the user's name.
  char user[257] = {};
  DWORD size = sizeof user;
  if (name.empty() || !GetUserNameA(user, &size)) {
    return {};
  }
  return std::string(name) + "-" + user;
}

} // namespace fegolin::platform
