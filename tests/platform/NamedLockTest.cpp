#include "platform/NamedLock.h"

#include "tests/support/SystemSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fegolin::platform {
namespace {

// NamedLockChild holding one object until Finish() or Kill().
class Child : public test::ChildProcess {
public:
  explicit Child(const std::vector<std::string>& args) : ChildProcess(NAMED_LOCK_CHILD, args) {}
  // The child's report about the object it took.
  std::string Report() { return ReadLine(); }
};

std::string UniqueName(const char* what) {
  return std::string("NamedLockTest ") + what + " " +
         ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

constexpr std::int32_t kMax = 65535;

// Instances holding a unit, counted the way the single-instance guard does.
std::int32_t CountHolders(NamedSemaphore& semaphore) {
  std::int32_t previous = -1;
  EXPECT_TRUE(semaphore.Release(previous));
  EXPECT_TRUE(semaphore.Wait());
  return kMax - previous;
}

TEST(NamedMutex, ExistsWhileAnyHandleIsOpen) {
  const std::string name = UniqueName("mutex");
  auto first = CreateNamedMutex(name).value();
  ASSERT_TRUE(first);
  EXPECT_FALSE(first->AlreadyExisted());
  auto second = CreateNamedMutex(name).value();
  ASSERT_TRUE(second);
  EXPECT_TRUE(second->AlreadyExisted());
  // The creator goes; the later handle still keeps the mutex in existence.
  first.reset();
  EXPECT_TRUE(CreateNamedMutex(name).value()->AlreadyExisted());
  second.reset();
  EXPECT_FALSE(CreateNamedMutex(name).value()->AlreadyExisted());
}

TEST(NamedMutex, SeenByAnotherProcessUntilItEnds) {
  const std::string name = UniqueName("mutex");
  Child child({"mutex", name});
  ASSERT_EQ(child.Report(), "created");
  EXPECT_TRUE(CreateNamedMutex(name).value()->AlreadyExisted());
  child.Finish();
  EXPECT_FALSE(CreateNamedMutex(name).value()->AlreadyExisted());
}

TEST(NamedMutex, KilledHolderDoesNotBlockTheNextStart) {
  const std::string name = UniqueName("mutex");
  Child child({"mutex", name});
  ASSERT_EQ(child.Report(), "created");
  child.Kill();
  auto next = CreateNamedMutex(name).value();
  ASSERT_TRUE(next);
  EXPECT_FALSE(next->AlreadyExisted());
  // And the new owner is seen by the processes after it.
  Child later({"mutex", name});
  EXPECT_EQ(later.Report(), "existed");
}

TEST(NamedSemaphore, CountsTheUnitsHeldByAllProcesses) {
  const std::string name = UniqueName("sem");
  auto own = CreateNamedSemaphore(name, kMax);
  ASSERT_TRUE(own);
  ASSERT_TRUE(own->Wait());
  EXPECT_EQ(CountHolders(*own), 1);

  Child second({"sem", name, std::to_string(kMax)});
  ASSERT_EQ(second.Report(), "taken");
  Child third({"sem", name, std::to_string(kMax)});
  ASSERT_EQ(third.Report(), "taken");
  EXPECT_EQ(CountHolders(*own), 3);

  second.Finish();
  EXPECT_EQ(CountHolders(*own), 2);
  third.Finish();
  EXPECT_EQ(CountHolders(*own), 1);
}

TEST(NamedSemaphore, ReleaseNeedsAUnitOfThisHandle) {
  const std::string name = UniqueName("sem");
  auto first = CreateNamedSemaphore(name, kMax);
  auto second = CreateNamedSemaphore(name, kMax);
  ASSERT_TRUE(first && second);
  std::int32_t previous = -1;
  EXPECT_FALSE(first->Release(previous));
  ASSERT_TRUE(second->Wait());
  EXPECT_FALSE(first->Release(previous));
  EXPECT_TRUE(second->Release(previous));
  EXPECT_EQ(previous, kMax - 1);
  EXPECT_FALSE(second->Release(previous));
}

} // namespace
} // namespace fegolin::platform
