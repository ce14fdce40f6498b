#pragma once

// A byte stream between processes of the current user on this machine: one
// side listens on a name, the other connects to it. The instances of the
// program talk over it ("activate", "quit"), so it is kept to what they
// need: nothing here ever waits for the other side without a limit, and
// every end has a handle that an event loop can wait on instead.
//
// Names come from LocalServerName (platform/NamedLock.h): on POSIX the path
// of a Unix socket in a folder that only the user can write to, on Windows
// the name of a named pipe (\\.\pipe\<name>).

#include "platform/Result.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace fegolin::platform {

// What an event loop waits on for news from an end: a descriptor that polls
// readable (POSIX), or an event object that is signalled (Windows, the
// HANDLE's value).
using WaitHandle = std::intptr_t;

// One connection, from either side. Closing it (destruction) ends the
// connection; the other side then sees it closed.
class LocalLink {
public:
  virtual ~LocalLink() = default;
  LocalLink(const LocalLink&) = delete;
  LocalLink& operator=(const LocalLink&) = delete;

  // Sends all of `bytes`, waiting at most `timeout` for room to send them.
  // A peer that has gone is a failure, never a signal to the process.
  virtual Status Send(std::string_view bytes, std::chrono::milliseconds timeout) = 0;

  // Appends what has arrived to `received`, without waiting. A connection
  // that broke, rather than was closed, gives the reason; either way
  // PeerClosed() is true afterwards.
  virtual Status Receive(std::string& received) = 0;

  // Receive found the end of the stream: the peer has closed the
  // connection (or its process has ended).
  [[nodiscard]] virtual bool PeerClosed() const = 0;

  // Ready when Receive has something to do: bytes or the end of the stream.
  [[nodiscard]] virtual WaitHandle ReadyHandle() const = 0;

protected:
  LocalLink() = default;
};

// Takes connections on a name. Closing it (destruction) takes the name
// away again; connections already accepted stay.
class LocalListener {
public:
  virtual ~LocalListener() = default;
  LocalListener(const LocalListener&) = delete;
  LocalListener& operator=(const LocalListener&) = delete;

  // The next waiting connection, without waiting: null when there is none.
  virtual Result<std::unique_ptr<LocalLink>> Accept() = 0;

  // Ready when a connection is waiting.
  [[nodiscard]] virtual WaitHandle ReadyHandle() const = 0;

protected:
  LocalListener() = default;
};

// Listens on `name`. What a listener that has died left behind on POSIX
// (a socket of the user's own that nobody answers on) is replaced; a name
// somebody listens on is not taken from them.
Result<std::unique_ptr<LocalListener>> ListenLocal(std::string_view name);

// Connects to whoever listens on `name`, waiting at most `timeout` for a
// listener that is busy. Where nobody listens it fails at once.
Result<std::unique_ptr<LocalLink>> ConnectLocal(std::string_view name,
                                                std::chrono::milliseconds timeout);

} // namespace fegolin::platform
