// The named objects on Windows, checked against the kernel objects
// themselves.

#include "platform/NamedLock.h"

#include "tests/support/SystemSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace fegolin::platform {
namespace {

class Child : public test::ChildProcess {
public:
  explicit Child(const std::vector<std::string>& args) : ChildProcess(NAMED_LOCK_CHILD, args) {}
  std::string Report() { return ReadLine(); }
};

// The names the single-instance guard gives its objects.
const std::string kMutexName = "TkitSingleInstance in application Fegolin";
const std::string kSemaphoreName = "TkitSingleInstance Semaphore in application Fegolin";

TEST(NamedMutexWin32, SecondProcessGetsAlreadyExistsForTheSingleInstanceMutex) {
  auto first = CreateNamedMutex(kMutexName).value();
  ASSERT_TRUE(first);
  ASSERT_FALSE(first->AlreadyExisted());
  Child second({"mutex", kMutexName});
  EXPECT_EQ(second.Report(), "existed");
  second.Finish();

  // The raw call sees the same while the first handle lives, and a fresh
  // mutex once it has gone.
  HANDLE raw = CreateMutexA(nullptr, TRUE, kMutexName.c_str());
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CloseHandle(raw);
  first.reset();
  raw = CreateMutexA(nullptr, TRUE, kMutexName.c_str());
  ASSERT_NE(raw, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  CloseHandle(raw);
}

TEST(NamedSemaphoreWin32, UnitsOfAKilledHolderStayTakenWhileTheSemaphoreLives) {
  // Windows semaphores do not know their holders: a process that is killed
  // keeps its units until the last handle closes and the semaphore goes.
  constexpr std::int32_t kMax = 65535;
  auto own = CreateNamedSemaphore(kSemaphoreName, kMax);
  ASSERT_TRUE(own);
  {
    Child holder({"sem", kSemaphoreName, std::to_string(kMax)});
    ASSERT_EQ(holder.Report(), "taken");
    holder.Kill();
  }
  ASSERT_TRUE(own->Wait());
  std::int32_t previous = -1;
  ASSERT_TRUE(own->Release(previous));
  EXPECT_EQ(previous, kMax - 2);
  own.reset();
  own = CreateNamedSemaphore(kSemaphoreName, kMax);
  ASSERT_TRUE(own && own->Wait());
  ASSERT_TRUE(own->Release(previous));
  EXPECT_EQ(previous, kMax - 1);
}

} // namespace
} // namespace fegolin::platform
