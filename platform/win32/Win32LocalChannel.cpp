// The local channel as named pipes in overlapped mode. Every end keeps one
// operation under way (a read on a connection, the wait for a client on
// the listener) whose manual-reset event the system sets when it is done:
// that event is the end's ready handle. Before an end goes, what it has
// under way is cancelled and waited for, since the system writes into the
// end's buffer until then.

#include "platform/LocalChannel.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace fegolin::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kPipeBuffer = 4096;

SysError Win32Error(const std::string& what, DWORD code) {
  return SysError{static_cast<int>(code), what + " failed with error " + std::to_string(code)};
}

DWORD MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<DWORD>(std::clamp<decltype(left)>(left, 0, 60'000));
}

class Handle {
public:
  Handle() = default;
  explicit Handle(HANDLE handle) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~Handle() {
    if (handle_ != nullptr) {
      CloseHandle(handle_);
    }
  }
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  [[nodiscard]] HANDLE get() const { return handle_; }
  [[nodiscard]] bool valid() const { return handle_ != nullptr; }

private:
  HANDLE handle_ = nullptr;
};

Result<Handle> NewEvent() {
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!event.valid()) {
    return Win32Error("CreateEventA", GetLastError());
  }
  return event;
}

// Cancels what `overlapped` has under way on `pipe` and waits until the
// system is done with it.
void Abandon(HANDLE pipe, OVERLAPPED& overlapped) {
  CancelIoEx(pipe, &overlapped);
  DWORD unused = 0;
  GetOverlappedResult(pipe, &overlapped, &unused, TRUE);
}

class Win32LocalLink final : public LocalLink {
public:
  Win32LocalLink(Handle pipe, Handle event, std::string path)
      : pipe_(std::move(pipe)), event_(std::move(event)), path_(std::move(path)) {
    read_.hEvent = event_.get();
    StartRead();
  }
  ~Win32LocalLink() override {
    if (reading_) {
      Abandon(pipe_.get(), read_);
    }
  }
  Win32LocalLink(const Win32LocalLink&) = delete;
  Win32LocalLink& operator=(const Win32LocalLink&) = delete;

  Status Send(std::string_view bytes, std::chrono::milliseconds timeout) override {
    auto event = NewEvent();
    if (!event) {
      return event.error();
    }
    const auto deadline = Clock::now() + timeout;
    while (!bytes.empty()) {
      OVERLAPPED write{};
      write.hEvent = event.value().get();
      const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), kPipeBuffer));
      if (!WriteFile(pipe_.get(), bytes.data(), size, nullptr, &write)) {
        if (const DWORD error = GetLastError(); error != ERROR_IO_PENDING) {
          return Win32Error("writing to " + path_, error);
        }
      }
      if (WaitForSingleObject(write.hEvent, MillisecondsUntil(deadline)) != WAIT_OBJECT_0) {
        Abandon(pipe_.get(), write);
        return Win32Error("writing to " + path_ + " in time", ERROR_TIMEOUT);
      }
      DWORD sent = 0;
      if (!GetOverlappedResult(pipe_.get(), &write, &sent, FALSE)) {
        return Win32Error("writing to " + path_, GetLastError());
      }
      bytes.remove_prefix(sent);
    }
    return {};
  }

  Status Receive(std::string& received) override {
    // A bounded helping per call, as on POSIX; the event stays set for the
    // rest.
    for (int round = 0; reading_ && round < 16; ++round) {
      DWORD got = 0;
      if (GetOverlappedResult(pipe_.get(), &read_, &got, FALSE)) {
        received.append(buffer_, got);
        reading_ = false;
        StartRead();
        continue;
      }
      const DWORD error = GetLastError();
      if (error == ERROR_IO_INCOMPLETE) {
        break;
      }
      reading_ = false;
      End(error);
    }
    return std::exchange(failure_, Status());
  }

  [[nodiscard]] bool PeerClosed() const override { return peerClosed_; }
  [[nodiscard]] WaitHandle ReadyHandle() const override {
    return reinterpret_cast<WaitHandle>(event_.get());
  }

private:
  // A read that is done at once sets the event all the same; Receive
  // collects it either way.
  void StartRead() {
    if (ReadFile(pipe_.get(), buffer_, sizeof buffer_, nullptr, &read_)) {
      reading_ = true;
      return;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) {
      reading_ = true;
      return;
    }
    End(error);
  }

  // The connection is over. The event stays set, so that whoever waits on
  // it comes to Receive and learns of it.
  void End(DWORD error) {
    peerClosed_ = true;
    SetEvent(event_.get());
    if (error != ERROR_BROKEN_PIPE && error != ERROR_PIPE_NOT_CONNECTED) {
      failure_ = Win32Error("reading from " + path_, error);
    }
  }

  Handle pipe_;
  Handle event_;
  std::string path_;
  OVERLAPPED read_{};
  char buffer_[kPipeBuffer] = {};
  bool reading_ = false;
  bool peerClosed_ = false;
  Status failure_;
};

// One instance of the pipe, waiting for a client. The first one claims the
// name: it fails when the name is taken already, whoever holds it, so no
// other program can listen in our place. The default security lets other
// accounts open the pipe for reading at most, so only the user's own
// processes can send a request; clients on other machines are refused.
Result<Handle> NewInstance(const std::string& path, bool first) {
  const DWORD mode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED |
                     (first ? static_cast<DWORD>(FILE_FLAG_FIRST_PIPE_INSTANCE) : 0);
  Handle pipe(
      CreateNamedPipeA(path.c_str(), mode,
                       PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                       PIPE_UNLIMITED_INSTANCES, kPipeBuffer, kPipeBuffer, 0, nullptr));
  if (!pipe.valid()) {
    return Win32Error("CreateNamedPipeA(\"" + path + "\")", GetLastError());
  }
  return pipe;
}

class Win32LocalListener final : public LocalListener {
public:
  Win32LocalListener(Handle pipe, Handle event, std::string path)
      : pipe_(std::move(pipe)), event_(std::move(event)), path_(std::move(path)) {
    connect_.hEvent = event_.get();
    StartWaiting();
  }
  ~Win32LocalListener() override {
    if (waiting_) {
      Abandon(pipe_.get(), connect_);
    }
  }
  Win32LocalListener(const Win32LocalListener&) = delete;
  Win32LocalListener& operator=(const Win32LocalListener&) = delete;

  Result<std::unique_ptr<LocalLink>> Accept() override {
    if (waiting_) {
      DWORD unused = 0;
      if (!GetOverlappedResult(pipe_.get(), &connect_, &unused, FALSE) &&
          GetLastError() == ERROR_IO_INCOMPLETE) {
        return std::unique_ptr<LocalLink>();
      }
      waiting_ = false;
    }
    // The next instance comes before the connected one is handed over:
    // without any, a client would find no pipe and take it for nobody
    // listening.
    auto next = NewInstance(path_, false);
    if (!next) {
      return next.error();
    }
    auto event = NewEvent();
    if (!event) {
      return event.error();
    }
    Handle connected = std::exchange(pipe_, std::move(next).value());
    StartWaiting();
    return std::unique_ptr<LocalLink>(
        std::make_unique<Win32LocalLink>(std::move(connected), std::move(event).value(), path_));
  }

  [[nodiscard]] WaitHandle ReadyHandle() const override {
    return reinterpret_cast<WaitHandle>(event_.get());
  }

private:
  // Whatever ends the wait other than a pending one (a client that came
  // between making the instance and this call, one that came and went, a
  // failure) sets no event: this does, and Accept hands the instance over
  // as it is. A link on it reads what the client left, or finds it closed.
  void StartWaiting() {
    ResetEvent(event_.get());
    waiting_ = !ConnectNamedPipe(pipe_.get(), &connect_) && GetLastError() == ERROR_IO_PENDING;
    if (!waiting_) {
      SetEvent(event_.get());
    }
  }

  Handle pipe_;
  Handle event_;
  std::string path_;
  OVERLAPPED connect_{};
  bool waiting_ = false;
};

std::string PipePath(std::string_view name) {
  return "\\\\.\\pipe\\" + std::string(name);
}

} // namespace

Result<std::unique_ptr<LocalListener>> ListenLocal(std::string_view name) {
  const std::string path = PipePath(name);
  auto pipe = NewInstance(path, true);
  if (!pipe) {
    return pipe.error();
  }
  auto event = NewEvent();
  if (!event) {
    return event.error();
  }
  return std::unique_ptr<LocalListener>(std::make_unique<Win32LocalListener>(
      std::move(pipe).value(), std::move(event).value(), path));
}

Result<std::unique_ptr<LocalLink>> ConnectLocal(std::string_view name,
                                                std::chrono::milliseconds timeout) {
  const std::string path = PipePath(name);
  const auto deadline = Clock::now() + timeout;
  auto event = NewEvent();
  if (!event) {
    return event.error();
  }
  for (;;) {
    // Identification only: a listener may learn who we are, never act as us.
    Handle pipe(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                            nullptr));
    if (pipe.valid()) {
      return std::unique_ptr<LocalLink>(
          std::make_unique<Win32LocalLink>(std::move(pipe), std::move(event).value(), path));
    }
    // Busy: the listener is there and makes another instance as soon as it
    // has accepted the client on the last one.
    const DWORD error = GetLastError();
    if (error != ERROR_PIPE_BUSY || Clock::now() >= deadline) {
      return Win32Error("connecting to " + path, error);
    }
    WaitNamedPipeA(path.c_str(), std::max<DWORD>(1, MillisecondsUntil(deadline)));
  }
}

} // namespace fegolin::platform
