#include "kit/kitutil.h"

#include "platform/NamedLock.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/support/TempTree.h"

#include <QApplication>
#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace fegolin {
namespace {

// --- Switches ---------------------------------------------------------------

struct SwitchCase {
  std::string name;
  std::function<void(TkitSingleInstance&)> act;
  bool activate;
  bool closePrevious;
  bool multipleInstances;
};

class SingleInstanceSwitches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(SingleInstanceSwitches, ExcludeEachOtherWhenSet) {
  QCoreApplication::setApplicationName(QStringLiteral("kitutilTest switches"));
  TkitSingleInstance guard(nullptr);
  GetParam().act(guard);
  EXPECT_EQ(guard.Activate(), GetParam().activate);
  EXPECT_EQ(guard.ClosePrevious(), GetParam().closePrevious);
  EXPECT_EQ(guard.MultipleInstances(), GetParam().multipleInstances);
  QCoreApplication::setApplicationName(QStringLiteral("Fegolin"));
}

INSTANTIATE_TEST_SUITE_P(Rules, SingleInstanceSwitches,
                         ::testing::Values(SwitchCase{"Defaults", [](TkitSingleInstance&) {}, true,
                                                      false, false},
                                           SwitchCase{"ClosePreviousClearsActivateAndMultiple",
                                                      [](TkitSingleInstance& g) {
                                                        g.SetMultipleInstances(true);
                                                        g.SetClosePrevious(true);
                                                      },
                                                      false, true, false},
                                           SwitchCase{"ActivateClearsClosePrevious",
                                                      [](TkitSingleInstance& g) {
                                                        g.SetClosePrevious(true);
                                                        g.SetActivate(true);
                                                      },
                                                      true, false, false},
                                           SwitchCase{"MultipleClearsClosePreviousOnly",
                                                      [](TkitSingleInstance& g) {
                                                        g.SetClosePrevious(true);
                                                        g.SetMultipleInstances(true);
                                                      },
                                                      false, false, true},
                                           SwitchCase{"ClearingChangesNothingElse",
                                                      [](TkitSingleInstance& g) {
                                                        g.SetMultipleInstances(true);
                                                        g.SetActivate(false);
                                                        g.SetMultipleInstances(false);
                                                      },
                                                      false, false, false}),
                         [](const auto& param) { return param.param.name; });

// --- Instances across processes --------------------------------------------

// Generous bounds that only end a test that would otherwise hang.
constexpr int kPatienceMs = 20000;

// Another account, for the tests of what it must not be able to do.
constexpr uid_t kNobody = 65534;

// A later start of the program: kitutilInstanceChild.
class Instance {
public:
  Instance(const QString& title, QStringList options) {
    options << QStringLiteral("--title") << title;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(INSTANCE_CHILD), options);
    process_.waitForStarted(kPatienceMs);
  }
  ~Instance() {
    if (process_.state() != QProcess::NotRunning) {
      process_.closeWriteChannel();
      if (!process_.waitForFinished(kPatienceMs)) {
        process_.kill();
        process_.waitForFinished(kPatienceMs);
      }
    }
  }
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Reads the child's report until `line` appears; true when it did.
  bool WaitFor(const QString& line) {
    for (;;) {
      while (process_.canReadLine()) {
        const QString got = QString::fromLocal8Bit(process_.readLine()).trimmed();
        lines_ << got;
        if (got == line) {
          return true;
        }
      }
      if (!process_.waitForReadyRead(kPatienceMs)) {
        return false;
      }
    }
  }

  // Lets the child end (closing its stdin) and returns all it said.
  QStringList Finish() {
    process_.closeWriteChannel();
    process_.waitForFinished(kPatienceMs);
    while (process_.canReadLine()) {
      lines_ << QString::fromLocal8Bit(process_.readLine()).trimmed();
    }
    return lines_;
  }

  void Kill() {
    ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
    process_.waitForFinished(kPatienceMs);
  }

  [[nodiscard]] int ExitCode() const { return process_.exitCode(); }
  [[nodiscard]] bool Running() const { return process_.state() == QProcess::Running; }

private:
  QProcess process_;
  QStringList lines_;
};

class SingleInstance : public ::testing::Test {
protected:
  SingleInstance() {
    title = QStringLiteral("kitutilTest %1")
                .arg(QString::fromUtf8(
                    ::testing::UnitTest::GetInstance()->current_test_info()->name()));
    QCoreApplication::setApplicationName(title);
    TkitApplication::SetShowMainForm(true);
    TkitApplication::SetMainForm(&form);
  }
  ~SingleInstance() override {
    TkitApplication::SetMainForm(nullptr);
    TkitApplication::SetShowMainForm(true);
    QCoreApplication::setApplicationName(QStringLiteral("Fegolin"));
  }

  // This process as the running instance.
  std::unique_ptr<TkitSingleInstance> StartFirst(bool multiple = false) {
    auto guard = std::make_unique<TkitSingleInstance>(&form);
    guard->SetMultipleInstances(multiple);
    EXPECT_TRUE(guard->IsFirstInstance());
    guard->Loaded();
    return guard;
  }

  // Runs this process's event loop until a later start tells it to quit.
  static int RunUntilQuit() {
    QTimer::singleShot(kPatienceMs, [] { QCoreApplication::exit(1); });
    return QApplication::exec();
  }

  QString title;
  QWidget form;
};

TEST_F(SingleInstance, SecondStartRestoresTheFirstAndEndsWithoutAWindow) {
  form.showMinimized();
  auto first = StartFirst();
  QSignalSpy requests(first.get(), &TkitSingleInstance::PreviousInstanceRequest);

  Instance second(title, {});
  ASSERT_TRUE(requests.wait(kPatienceMs));
  EXPECT_EQ(requests.at(0).at(0).toString(), QStringLiteral("activate"));
  EXPECT_FALSE(form.isMinimized());
  EXPECT_TRUE(form.isVisible());

  EXPECT_EQ(second.Finish(), (QStringList{"second", "loaded", "exit"}));
  EXPECT_EQ(second.ExitCode(), 0);
}

// A window hidden in the notification area (or with no notification area
// left to show it) is what a user starting the program again looks for.
TEST_F(SingleInstance, HiddenFirstInstanceComesBack) {
  auto first = StartFirst();
  QSignalSpy requests(first.get(), &TkitSingleInstance::PreviousInstanceRequest);
  Instance second(title, {});
  ASSERT_TRUE(requests.wait(kPatienceMs));
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(form.isMinimized());
}

TEST_F(SingleInstance, StopMessageComesBeforeTheEnd) {
  auto first = StartFirst();
  Instance second(title, {"--stop-msg", "Läuft schon"});
  EXPECT_EQ(second.Finish(),
            (QStringList{"second", "stopmsg " + title + ": Läuft schon", "loaded", "exit"}));
}

TEST_F(SingleInstance, ClosePreviousQuitsTheFirstAndTakesOverFromIt) {
  auto first = StartFirst();
  Instance second(title, {"--close-previous"});
  EXPECT_EQ(RunUntilQuit(), 0);
  ASSERT_TRUE(second.WaitFor("shown"));

  // The first instance goes; the second takes the requests from now on.
  first.reset();
  Instance third(title, {});
  ASSERT_TRUE(second.WaitFor("request activate"));
  EXPECT_EQ(third.Finish(), (QStringList{"second", "loaded", "exit"}));
  EXPECT_TRUE(second.Running());
}

TEST_F(SingleInstance, MultipleInstancesAreCountedAndTheHandlerDecides) {
  auto first = StartFirst(true);
  QSignalSpy requests(first.get(), &TkitSingleInstance::PreviousInstanceRequest);

  Instance runs(title, {"--multiple", "--handler", "run"});
  ASSERT_TRUE(runs.WaitFor("shown"));
  Instance halts(title, {"--multiple", "--handler", "halt"});
  EXPECT_EQ(halts.Finish(), (QStringList{"second", "previous 2", "loaded", "exit"}));
  ASSERT_TRUE(requests.wait(kPatienceMs));

  EXPECT_EQ(runs.Finish(), (QStringList{"second", "previous 1", "loaded", "shown", "exit"}));
}

TEST_F(SingleInstance, WithoutAHandlerEveryCountedInstanceRuns) {
  auto first = StartFirst(true);
  Instance second(title, {"--multiple"});
  ASSERT_TRUE(second.WaitFor("shown"));
}

struct EndCase {
  std::string name;
  TkitTerminateMethod method;
  QStringList said;
};

class SingleInstanceEnding : public SingleInstance,
                             public ::testing::WithParamInterface<EndCase> {};

TEST_P(SingleInstanceEnding, EndsTheWayItWasTold) {
  auto first = StartFirst();
  Instance second(title, {"--terminate-by", QString::number(static_cast<int>(GetParam().method))});
  EXPECT_EQ(second.Finish(), GetParam().said);
  EXPECT_EQ(second.ExitCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, SingleInstanceEnding,
    ::testing::Values(
        EndCase{"AppTerminate", TkitTerminateMethod::atmAppTerminate, {"second", "loaded", "exit"}},
        // No main form is registered while the form is created: it runs on.
        EndCase{"CloseMainForm",
                TkitTerminateMethod::atmCloseMainForm,
                {"second", "loaded", "shown", "exit"}},
        EndCase{"ExitProcess", TkitTerminateMethod::atmExitProcess, {"second"}},
        EndCase{"Halt", TkitTerminateMethod::atmHalt, {"second"}},
        EndCase{"TerminateProcess", TkitTerminateMethod::atmTerminateProcess, {"second"}}),
    [](const auto& param) { return param.param.name; });

TEST_F(SingleInstance, AKilledFirstInstanceBlocksNothing) {
  {
    Instance killed(title, {});
    ASSERT_TRUE(killed.WaitFor("shown"));
    killed.Kill();
  }
  // Its mutex and its socket are gone or stale; this start is the first.
  auto first = StartFirst();
  QSignalSpy requests(first.get(), &TkitSingleInstance::PreviousInstanceRequest);
  Instance second(title, {});
  ASSERT_TRUE(requests.wait(kPatienceMs));
  EXPECT_EQ(second.Finish(), (QStringList{"second", "loaded", "exit"}));
}

// With $XDG_RUNTIME_DIR in the hands of another account, a mutex and a
// socket there could pose as a running instance: a start must not take
// them for one, and must not send its request there.
TEST_F(SingleInstance, ARequestNeverGoesToAnotherAccountsSocket) {
  const std::string mutexName = ("TkitSingleInstance in application " + title).toStdString();
  // The socket's file name, which is the same in whatever folder.
  const auto socketFile = std::filesystem::path(platform::LocalServerName(mutexName)).filename();
  ASSERT_FALSE(socketFile.empty());
  test::TempTree tree;
  const auto shared = tree.dir("s");
  std::filesystem::permissions(shared, std::filesystem::perms::all,
                               std::filesystem::perm_options::replace);
  const test::EnvironmentOverride runtime("XDG_RUNTIME_DIR", shared.c_str());

  const auto held = platform::CreateNamedMutex(mutexName).value();
  QLocalServer impostor;
  ASSERT_TRUE(impostor.listen(QString::fromStdString((shared / socketFile).string())));
  for (const auto& entry : std::filesystem::directory_iterator(shared)) {
    ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0);
  }
  ASSERT_EQ(::chown(shared.c_str(), kNobody, kNobody), 0);

  Instance second(title, {});
  EXPECT_EQ(second.Finish(), (QStringList{"second", "loaded", "exit"}));
  EXPECT_FALSE(impostor.waitForNewConnection(0)) << "the request went to the impostor";
}

TEST_F(SingleInstance, ProgramsWithAnotherTitleDoNotMeet) {
  auto first = StartFirst();
  Instance other(title + " other", {});
  EXPECT_TRUE(other.WaitFor("shown"));
  EXPECT_EQ(other.Finish().first(), "first");
}

} // namespace
} // namespace fegolin
