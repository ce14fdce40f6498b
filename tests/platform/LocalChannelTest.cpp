// The channel between instances: lines across it, each end learning when
// the other has gone, a name taken only from a listener that is dead, and
// no waiting where nobody listens. Every end is only read once its ready
// handle says so, the way an event loop uses it.

#include "platform/LocalChannel.h"

#include "platform/NamedLock.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#include <sys/stat.h>
#endif

#include <chrono>
#include <memory>
#include <string>

namespace fegolin::platform {
namespace {

using namespace std::chrono_literals;

// Generous: only ends a test that would otherwise hang.
constexpr auto kPatience = 10s;

std::string ChannelName() {
  return LocalServerName(std::string("LocalChannelTest ") +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

bool WaitReady(WaitHandle handle) {
  const auto timeout = std::chrono::duration_cast<std::chrono::milliseconds>(kPatience).count();
#ifdef _WIN32
  return WaitForSingleObject(reinterpret_cast<HANDLE>(handle), static_cast<DWORD>(timeout)) ==
         WAIT_OBJECT_0;
#else
  pollfd entry{static_cast<int>(handle), POLLIN, 0};
  return ::poll(&entry, 1, static_cast<int>(timeout)) == 1;
#endif
}

std::unique_ptr<LocalLink> AcceptOne(LocalListener& listener) {
  if (!WaitReady(listener.ReadyHandle())) {
    ADD_FAILURE() << "no connection came";
    return nullptr;
  }
  auto link = listener.Accept();
  if (!link) {
    ADD_FAILURE() << link.error().text;
    return nullptr;
  }
  return std::move(link).value();
}

// What arrives on `link` until a line is whole, or with `toTheEnd` until
// the peer has gone.
std::string Read(LocalLink& link, bool toTheEnd) {
  std::string received;
  while (WaitReady(link.ReadyHandle())) {
    const Status status = link.Receive(received);
    EXPECT_TRUE(status.ok()) << status.error().text;
    if (link.PeerClosed() || (!toTheEnd && received.find('\n') != std::string::npos)) {
      break;
    }
  }
  return received;
}

TEST(LocalChannel, LinesGoAcrossAndEachEndSeesTheOtherGo) {
  const std::string name = ChannelName();
  ASSERT_FALSE(name.empty());
  auto listener = ListenLocal(name);
  ASSERT_TRUE(listener) << listener.error().text;

  // A request sent and let go: the listener gets the line, then the end.
  {
    auto sender = ConnectLocal(name, kPatience);
    ASSERT_TRUE(sender) << sender.error().text;
    ASSERT_TRUE(sender.value()->Send("activate\n", kPatience).ok());
  }
  auto served = AcceptOne(*listener.value());
  ASSERT_NE(served, nullptr);
  EXPECT_EQ(Read(*served, true), "activate\n");
  EXPECT_TRUE(served->PeerClosed());

  // One that keeps its connection to learn when the listening side is gone.
  auto waiting = ConnectLocal(name, kPatience);
  ASSERT_TRUE(waiting) << waiting.error().text;
  ASSERT_TRUE(waiting.value()->Send("quit\n", kPatience).ok());
  auto quitting = AcceptOne(*listener.value());
  ASSERT_NE(quitting, nullptr);
  EXPECT_EQ(Read(*quitting, false), "quit\n");
  EXPECT_FALSE(quitting->PeerClosed());
  listener.value().reset();
  quitting.reset();
  EXPECT_EQ(Read(*waiting.value(), true), "");
  EXPECT_TRUE(waiting.value()->PeerClosed());
  // Sending to a peer that has gone fails; it does not end the process.
  EXPECT_FALSE(waiting.value()->Send("activate\n", kPatience).ok());
}

TEST(LocalChannel, WhereNobodyListensConnectingFailsAtOnceAndSaysWhy) {
  const std::string name = ChannelName();
  const auto started = std::chrono::steady_clock::now();
  const auto link = ConnectLocal(name, kPatience);
  ASSERT_FALSE(link);
  EXPECT_NE(link.error().code, 0);
  EXPECT_NE(link.error().text.find(name), std::string::npos) << link.error().text;
  EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
}

// Wine lets a second pipe claim a name that another one has already,
// first instance or not.
TEST(LocalChannel, ALiveListenerKeepsItsNameExceptUnderWine) {
  const std::string name = ChannelName();
  auto first = ListenLocal(name);
  ASSERT_TRUE(first) << first.error().text;
  EXPECT_FALSE(ListenLocal(name));
  const auto client = ConnectLocal(name, kPatience);
  ASSERT_TRUE(client) << client.error().text;
  EXPECT_NE(AcceptOne(*first.value()), nullptr);
}

TEST(LocalChannel, ANameIsFreeAgainOnceItsListenerIsGone) {
  const std::string name = ChannelName();
  ASSERT_TRUE(ListenLocal(name));
  EXPECT_FALSE(ConnectLocal(name, kPatience));
  const auto again = ListenLocal(name);
  ASSERT_TRUE(again) << again.error().text;
  EXPECT_TRUE(ConnectLocal(name, kPatience));
}

#ifndef _WIN32
// What a killed listener leaves behind on POSIX (on Windows a pipe goes
// with its last handle): a socket of ours that nobody answers on. A client
// is refused at once, and the next listener takes its place, private to
// the user whatever the umask.
TEST(LocalChannel, ADeadSocketGivesWayToAPrivateOne) {
  const std::string name = ChannelName();
  ASSERT_EQ(::mknod(name.c_str(), S_IFSOCK | 0600, 0), 0);
  EXPECT_FALSE(ConnectLocal(name, kPatience));
  const mode_t umask = ::umask(0);
  const auto listener = ListenLocal(name);
  ::umask(umask);
  ASSERT_TRUE(listener) << listener.error().text;
  struct stat st {};
  ASSERT_EQ(::lstat(name.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600);
  EXPECT_TRUE(ConnectLocal(name, kPatience));
}
#endif

} // namespace
} // namespace fegolin::platform
