#include "kit/kitcompf.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace fegolin {
namespace {

using Log = std::vector<std::string>;

const QEvent::Type kProbe = static_cast<QEvent::Type>(QEvent::registerEventType());

// A form that notes when it handles the probe event itself.
class Form : public QWidget {
public:
  explicit Form(Log* log) : log_(log) {}

protected:
  bool event(QEvent* e) override {
    if (e->type() == kProbe) {
      log_->push_back("form");
      return true;
    }
    return QWidget::event(e);
  }

private:
  Log* log_;
};

class RecordingHook : public TkitFormHook {
public:
  RecordingHook(QObject* owner, std::string name, Log* log, bool follow = false)
      : TkitFormHook(owner), name_(std::move(name)), log_(log) {
    SetFollowsFormMessages(follow);
  }
  ~RecordingHook() override { UnhookWindow(); }

  bool consumeForm = false;
  bool consumeApp = false;

protected:
  void Hooked() override { log_->push_back(name_ + ".hooked"); }
  void Unhooking() override { log_->push_back(name_ + ".unhooking"); }
  bool FormMessage(QEvent& message) override {
    if (message.type() != kProbe) {
      return false;
    }
    log_->push_back(name_ + ".form");
    return consumeForm;
  }
  void FormMessageAfter(QEvent& message) override {
    if (message.type() == kProbe) {
      log_->push_back(name_ + ".after");
    }
  }
  bool AppMessage(QEvent& message) override {
    if (message.type() != kProbe) {
      return false;
    }
    log_->push_back(name_ + ".app");
    return consumeApp;
  }

private:
  std::string name_;
  Log* log_;
};

void SendProbe(QObject* to) {
  QEvent probe(kProbe);
  QCoreApplication::sendEvent(to, &probe);
}

// --- Owner check ------------------------------------------------------------

TEST(TkitFormHook, AcceptsAFormOrAnObjectOwnedByOne) {
  QWidget form;
  auto* panel = new QWidget(&form);
  auto* helper = new QObject(&form);
  EXPECT_EQ(TkitFormHook(&form).Form(), &form);
  EXPECT_EQ(TkitFormHook(panel).Form(), &form);
  EXPECT_EQ(TkitFormHook(helper).Form(), &form);
}

TEST(TkitFormHook, RefusesOwnersWithoutAForm) {
  QWidget form;
  auto* panel = new QWidget(&form);
  auto* inner = new QWidget(panel); // two steps away from the form
  QObject loose;
  for (QObject* owner : std::initializer_list<QObject*>{nullptr, &loose, inner}) {
    try {
      TkitFormHook hook(owner);
      ADD_FAILURE() << "accepted " << (owner ? owner->metaObject()->className() : "nullptr");
    } catch (const EComponentError& error) {
      EXPECT_STREQ(error.what(), "This component must be owned by a TForm");
    }
  }
}

// --- Chaining ---------------------------------------------------------------

TEST(TkitFormHook, SeesNothingBeforeLoaded) {
  Log log;
  Form form(&log);
  RecordingHook hook(&form, "a", &log);
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"form"}));
  hook.Loaded();
  hook.Loaded();
  log.clear();
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"a.form", "form"}));
}

TEST(TkitFormHook, LastInstalledAsksFirstAndConsumingStopsTheChain) {
  Log log;
  Form form(&log);
  RecordingHook first(&form, "first", &log);
  RecordingHook second(&form, "second", &log);
  first.Loaded();
  second.Loaded();
  EXPECT_EQ(log, (Log{"first.hooked", "second.hooked"}));

  log.clear();
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"second.form", "first.form", "form"}));

  log.clear();
  second.consumeForm = true;
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"second.form"}));
}

TEST(TkitFormHook, FollowersHearAfterTheFormInnermostFirst) {
  Log log;
  Form form(&log);
  RecordingHook first(&form, "first", &log, true);
  RecordingHook second(&form, "second", &log, true);
  first.Loaded();
  second.Loaded();

  log.clear();
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"second.form", "first.form", "form", "first.after", "second.after"}));

  // A consumed message still reaches the "after" of every hook that saw it.
  log.clear();
  first.consumeForm = true;
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"second.form", "first.form", "first.after", "second.after"}));
}

TEST(TkitFormHook, DestroyedHookUnhooksAndLeavesTheOthersWorking) {
  Log log;
  Form form(&log);
  RecordingHook first(&form, "first", &log);
  auto second = std::make_unique<RecordingHook>(&form, "second", &log);
  auto third = std::make_unique<RecordingHook>(&form, "third", &log);
  first.Loaded();
  second->Loaded();
  third->Loaded();

  log.clear();
  second.reset();
  EXPECT_EQ(log, (Log{"second.unhooking"}));
  log.clear();
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"third.form", "first.form", "form"}));

  // A hook added later goes to the front of the chain.
  RecordingHook fourth(&form, "fourth", &log);
  fourth.Loaded();
  log.clear();
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"fourth.form", "third.form", "first.form", "form"}));
}

TEST(TkitFormHook, HookGoingAwayWhileHandlingAMessageEndsNothingElse) {
  Log log;
  Form form(&log);
  RecordingHook first(&form, "first", &log);
  first.Loaded();

  class SelfDeleting : public TkitFormHook {
  public:
    using TkitFormHook::TkitFormHook;

  protected:
    bool FormMessage(QEvent& message) override {
      if (message.type() == kProbe) {
        delete this;
      }
      return false;
    }
  };
  (new SelfDeleting(&form))->Loaded();

  log.clear();
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"first.form", "form"}));
}

TEST(TkitFormHook, AppMessagesAreTheApplicationObjectsOwn) {
  Log log;
  Form form(&log);
  RecordingHook first(&form, "first", &log);
  RecordingHook second(&form, "second", &log);
  first.Loaded();
  second.Loaded();

  log.clear();
  SendProbe(qApp);
  // Application filters run the one installed last first.
  EXPECT_EQ(log, (Log{"second.app", "first.app"}));

  log.clear();
  second.consumeApp = true;
  SendProbe(qApp);
  EXPECT_EQ(log, (Log{"second.app"}));

  // The form's events are not application messages.
  log.clear();
  second.consumeApp = false;
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"second.form", "first.form", "form"}));
}

TEST(TkitFormHook, SurvivesReCreationOfTheNativeWindow) {
  Log log;
  Form form(&log);
  RecordingHook hook(&form, "a", &log);
  hook.Loaded();
  form.show();
  class WinIdCounter : public QObject {
  public:
    int changes = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
      changes += event->type() == QEvent::WinIdChange ? 1 : 0;
      return false;
    }
  } counter;
  form.installEventFilter(&counter);
  // Changing the window flags of a shown window makes Qt build a new one.
  form.setWindowFlags(form.windowFlags() | Qt::WindowStaysOnTopHint);
  form.show();
  ASSERT_GT(counter.changes, 0);

  log.clear();
  SendProbe(&form);
  EXPECT_EQ(log, (Log{"a.form", "form"}));
}

} // namespace
} // namespace fegolin
