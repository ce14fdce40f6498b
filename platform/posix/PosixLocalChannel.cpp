// The local channel as Unix stream sockets. Every descriptor is
// non-blocking and closed on exec, so neither a slow peer nor a program we
// start can hold an instance up; sends never raise SIGPIPE.

#include "platform/LocalChannel.h"

#include "platform/posix/PosixFd.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

namespace fegolin::platform {
namespace {

using posix::UniqueFd;
using Clock = std::chrono::steady_clock;

Result<sockaddr_un> Address(std::string_view name) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (name.empty() || name.size() >= sizeof address.sun_path) {
    return SysError::FromErrno("no socket can be named \"" + std::string(name) + "\"",
                               ENAMETOOLONG);
  }
  std::memcpy(address.sun_path, name.data(), name.size());
  return address;
}

const sockaddr* AsSockaddr(const sockaddr_un& address) {
  return reinterpret_cast<const sockaddr*>(&address);
}

Result<UniqueFd> NewSocket() {
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.valid()) {
    return SysError::FromErrno("cannot make a local socket");
  }
  return fd;
}

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, 60'000));
}

// Waits until `fd` can take more bytes or `deadline` passes; false then.
bool PollWritable(int fd, Clock::time_point deadline) {
  pollfd entry{fd, POLLOUT, 0};
  for (;;) {
    const int ready = ::poll(&entry, 1, MillisecondsUntil(deadline));
    if (ready > 0) {
      return true;
    }
    if (ready == 0 || errno != EINTR) {
      return false;
    }
  }
}

// A connect that waits for nothing: 0 when connected, else the error.
int TryConnect(int fd, const sockaddr_un& address) {
  while (::connect(fd, AsSockaddr(address), sizeof address) != 0) {
    if (errno != EINTR) {
      return errno;
    }
  }
  return 0;
}

class PosixLocalLink final : public LocalLink {
public:
  PosixLocalLink(UniqueFd fd, std::string name) : fd_(std::move(fd)), name_(std::move(name)) {}

  Status Send(std::string_view bytes, std::chrono::milliseconds timeout) override {
    const auto deadline = Clock::now() + timeout;
    while (!bytes.empty()) {
      const ssize_t sent = ::send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent >= 0) {
        bytes.remove_prefix(static_cast<std::size_t>(sent));
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        if (!PollWritable(fd_.get(), deadline)) {
          return SysError::FromErrno("cannot send on " + name_, ETIMEDOUT);
        }
      } else if (errno != EINTR) {
        return SysError::FromErrno("cannot send on " + name_);
      }
    }
    return {};
  }

  Status Receive(std::string& received) override {
    // A bounded helping per call: a peer that keeps sending cannot keep the
    // caller's event loop from everything else; the rest stays ready.
    char buffer[4096];
    for (int round = 0; round < 16; ++round) {
      const ssize_t got = ::recv(fd_.get(), buffer, sizeof buffer, MSG_DONTWAIT);
      if (got > 0) {
        received.append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0) {
        peerClosed_ = true;
        break;
      } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
        break;
      } else if (errno != EINTR) {
        peerClosed_ = true;
        return SysError::FromErrno("cannot receive on " + name_);
      }
    }
    return {};
  }

  [[nodiscard]] bool PeerClosed() const override { return peerClosed_; }
  [[nodiscard]] WaitHandle ReadyHandle() const override { return fd_.get(); }

private:
  UniqueFd fd_;
  std::string name_;
  bool peerClosed_ = false;
};

class PosixLocalListener final : public LocalListener {
public:
  PosixLocalListener(UniqueFd fd, std::string path, const struct stat& file)
      : fd_(std::move(fd)), path_(std::move(path)), device_(file.st_dev), inode_(file.st_ino) {}

  ~PosixLocalListener() override {
    // The name goes with the listener, but only while it is still the file
    // this listener made: a later instance may have put its own in its place.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_) {
      ::unlink(path_.c_str());
    }
  }
  PosixLocalListener(const PosixLocalListener&) = delete;
  PosixLocalListener& operator=(const PosixLocalListener&) = delete;

  Result<std::unique_ptr<LocalLink>> Accept() override {
    for (;;) {
      UniqueFd fd(::accept4(fd_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
      if (fd.valid()) {
        return std::unique_ptr<LocalLink>(std::make_unique<PosixLocalLink>(std::move(fd), path_));
      }
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        return std::unique_ptr<LocalLink>();
      }
      // A peer that gave up while waiting is no failure of ours.
      if (errno != EINTR && errno != ECONNABORTED) {
        return SysError::FromErrno("cannot accept a connection on " + path_);
      }
    }
  }

  [[nodiscard]] WaitHandle ReadyHandle() const override { return fd_.get(); }

private:
  UniqueFd fd_;
  std::string path_;
  dev_t device_;
  ino_t inode_;
};

bool IsOwnSocket(const std::string& path, struct stat& st) {
  return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid();
}

// Binds `fd` to `path`. A socket of ours in the way that refuses
// connections is what a listener that died left behind, and is replaced.
// Anything else in the way stays: another account's file, or a socket
// somebody listens on, even one whose queue is full for the moment.
Status Bind(int fd, const sockaddr_un& address, const std::string& path) {
  if (::bind(fd, AsSockaddr(address), sizeof address) == 0) {
    return {};
  }
  if (errno != EADDRINUSE) {
    return SysError::FromErrno("cannot listen on " + path);
  }
  struct stat st {};
  if (!IsOwnSocket(path, st)) {
    return SysError::FromErrno("cannot listen on " + path + ", something else is there",
                               EADDRINUSE);
  }
  auto probe = NewSocket();
  if (!probe) {
    return probe.error();
  }
  const int answer = TryConnect(probe.value().get(), address);
  if (answer != ECONNREFUSED && answer != ENOENT) {
    return SysError::FromErrno("cannot listen on " + path + ", another listener is there",
                               EADDRINUSE);
  }
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
    return SysError::FromErrno("cannot remove the dead socket " + path);
  }
  if (::bind(fd, AsSockaddr(address), sizeof address) != 0) {
    return SysError::FromErrno("cannot listen on " + path);
  }
  return {};
}

// A fresh socket with the address of `name`, for either end.
struct Endpoint {
  UniqueFd fd;
  sockaddr_un address;
  std::string path;
};

Result<Endpoint> OpenEndpoint(std::string_view name) {
  auto address = Address(name);
  if (!address) {
    return address.error();
  }
  auto fd = NewSocket();
  if (!fd) {
    return fd.error();
  }
  return Endpoint{std::move(fd).value(), address.value(), std::string(name)};
}

} // namespace

Result<std::unique_ptr<LocalListener>> ListenLocal(std::string_view name) {
  auto end = OpenEndpoint(name);
  if (!end) {
    return end.error();
  }
  auto& [fd, address, path] = end.value();
  if (Status bound = Bind(fd.get(), address, path); !bound) {
    return bound.error();
  }
  // The socket is made with the mode the umask leaves and narrowed to the
  // user by its name here. That leaves no gap: nobody can connect before
  // listen() below, and in a folder only we can write to, nobody can make
  // the name point at anything else meanwhile. The check afterwards makes
  // sure that the name holds a private socket of ours.
  if (::chmod(path.c_str(), 0600) != 0) {
    SysError error = SysError::FromErrno("cannot make " + path + " private");
    ::unlink(path.c_str());
    return error;
  }
  struct stat st {};
  if (!IsOwnSocket(path, st) || (st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    return SysError::Because("cannot listen on " + path + ", it is no private socket of ours");
  }
  if (::listen(fd.get(), SOMAXCONN) != 0) {
    SysError error = SysError::FromErrno("cannot listen on " + path);
    ::unlink(path.c_str());
    return error;
  }
  return std::unique_ptr<LocalListener>(
      std::make_unique<PosixLocalListener>(std::move(fd), path, st));
}

Result<std::unique_ptr<LocalLink>> ConnectLocal(std::string_view name,
                                                std::chrono::milliseconds timeout) {
  auto end = OpenEndpoint(name);
  if (!end) {
    return end.error();
  }
  auto& [fd, address, path] = end.value();
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    const int error = TryConnect(fd.get(), address);
    if (error == 0) {
      break;
    }
    // Linux says EAGAIN, without a way to wait for it, while the listener's
    // queue is full: it is there, only busy, so try again for a while.
    if (error != EAGAIN || Clock::now() >= deadline) {
      return SysError::FromErrno("cannot connect to " + path, error == EAGAIN ? ETIMEDOUT : error);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return std::unique_ptr<LocalLink>(std::make_unique<PosixLocalLink>(std::move(fd), path));
}

} // namespace fegolin::platform
