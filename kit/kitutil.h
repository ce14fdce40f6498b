#pragma once

// kitutil: what the kit's components know about the application, and the
// single instance guard.
//
// The program's main() works with TkitApplication like this:
//
//   QApplication app(argc, argv);
//   QApplication::setApplicationName("Fegolin");   // before any window: the
//                                                  // guard names its objects
//                                                  // after the title
//   TfrmMain form;                                 // its components act here
//   if (TkitApplication::Terminated()) {           // a component asked to end
//     return 0;
//   }
//   TkitApplication::SetMainForm(&form);
//   if (TkitApplication::ShowMainForm()) {
//     form.show();
//   }
//   return app.exec();
//
// TkitSingleInstance on the main form, with its defaults:
//
//   kitSingleInstance1 = new TkitSingleInstance(this);
//   kitSingleInstance1->Loaded();
//
// A second start then finds the running instance, asks it to come forward
// (show and restore the main window when it is minimized or hidden, else
// raise its last active window if that is visible) and ends itself without
// showing a window or a message.

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QByteArray;
class QWidget;

namespace fegolin {

namespace platform {
class LocalLink;
class NamedMutex;
class NamedSemaphore;
} // namespace platform

class TkitInstanceChannel;

// ---------------------------------------------------------------------------
// TkitApplication
// ---------------------------------------------------------------------------

class TkitApplication final {
public:
  TkitApplication() = delete;

  // The application title: QGuiApplication::applicationDisplayName(), which
  // is the application name unless a display name was set.
  [[nodiscard]] static QString Title();

  // The form the program runs on. main() registers it after creating it;
  // while that form is being created there is none.
  [[nodiscard]] static QWidget* MainForm();
  static void SetMainForm(QWidget* form);

  // Whether main() shows the main form when the event loop starts. The tray
  // icon (atiHideApp) and an ending second instance switch it off.
  [[nodiscard]] static bool ShowMainForm();
  static void SetShowMainForm(bool value);

  // Asks for an orderly end: the application quits as soon as its event
  // loop runs, or at once when it is running already.
  static void Terminate();
  // Terminate() has been called. A modal window shown while the main form
  // is made (a splash) runs its own loop before the application's, and the
  // queued quit is spent there; main() checks this and does not start the
  // event loop at all.
  [[nodiscard]] static bool Terminated();
};

// ---------------------------------------------------------------------------
// TkitSingleInstance
// ---------------------------------------------------------------------------

// How an instance that must not run ends.
enum class TkitTerminateMethod : std::uint8_t {
  atmAppTerminate,     // main form not shown; the event loop ends at its start
  atmCloseMainForm,    // closes the registered main form; none while it is created
  atmExitProcess,      // ends the process at once (std::quick_exit), exit code 0
  atmHalt,             // ends with static destructors and atexit (std::exit), 0
  atmTerminateProcess, // ends the process without any clean-up (std::_Exit), 0
};

class TkitSingleInstance;

// Asked whether this instance ends; HaltThisInstance comes preset to true.
using TkitHaltEvent =
    std::function<void(TkitSingleInstance& Sender, int PreviousInstances, bool& HaltThisInstance)>;

// Keeps a program to one running instance. Instances are told apart by the
// application title: two programs with the same title block each other.
//
// The objects shared between instances are the named mutex
// "TkitSingleInstance in application <title>" (held by every instance for
// its lifetime, so a later start sees that one runs), the counting semaphore
// "TkitSingleInstance Semaphore in application <title>" (with
// MultipleInstances) and a local socket private to the user, on which the
// running instance takes requests from later ones: "activate" or "quit".
class TkitSingleInstance final : public QObject {
  Q_OBJECT
public:
  // Creates the mutex; Loaded() then acts on what it found.
  explicit TkitSingleInstance(QObject* owner);
  ~TkitSingleInstance() override;

  // Setting one of the three switches to true clears the ones it excludes:
  // Activate clears ClosePrevious; ClosePrevious clears Activate and
  // MultipleInstances; MultipleInstances clears ClosePrevious.
  [[nodiscard]] bool Activate() const { return activate_; }
  void SetActivate(bool value);
  [[nodiscard]] bool ClosePrevious() const { return closePrevious_; }
  void SetClosePrevious(bool value);
  [[nodiscard]] bool MultipleInstances() const { return multipleInstances_; }
  void SetMultipleInstances(bool value);

  // Warning shown before this instance ends; empty = none.
  [[nodiscard]] const QString& StopMsg() const { return stopMsg_; }
  void SetStopMsg(const QString& value) { stopMsg_ = value; }

  [[nodiscard]] TkitTerminateMethod TerminateBy() const { return terminateBy_; }
  void SetTerminateBy(TkitTerminateMethod value) { terminateBy_ = value; }

  // With MultipleInstances: decides whether this instance ends. Without a
  // handler it runs.
  TkitHaltEvent OnPreviousInstance;

  // Shows StopMsg, modal, with the application title as caption. A warning
  // QMessageBox unless replaced (the program's dialog seam, tests).
  std::function<void(const QString& caption, const QString& text)> StopMessagePresenter;

  // The form has set the properties: with another instance running, handle
  // it (which may end this one); otherwise start taking requests.
  void Loaded();

  // This start created the mutex: no other instance was running.
  [[nodiscard]] bool IsFirstInstance() const;

signals:
  // A later instance's request ("activate", "quit") arrived and was acted on.
  void PreviousInstanceRequest(const QString& command);

private:
  void JoinInstanceCount();
  [[nodiscard]] int CountInstances();
  // True when this instance keeps running.
  bool HandlePreviousInstance();
  void EndThisInstance();
  // Sends the request to the running instance; false when none answers.
  bool SendToPrevious(const QByteArray& command);
  // Takes requests from later instances, or, while another instance does,
  // waits for it to go and takes over then.
  void Serve();
  void AcceptRequests(TkitInstanceChannel& server);
  void WatchServer(std::unique_ptr<platform::LocalLink> link);
  void ReadRequests(TkitInstanceChannel& connection);
  void ActivateThisInstance();
  [[nodiscard]] std::string ServerName() const;

  bool activate_ = true;
  bool closePrevious_ = false;
  bool multipleInstances_ = false;
  QString stopMsg_;
  TkitTerminateMethod terminateBy_ = TkitTerminateMethod::atmAppTerminate;

  QString title_;
  std::unique_ptr<platform::NamedMutex> mutex_;
  std::unique_ptr<platform::NamedSemaphore> semaphore_;
  bool loaded_ = false;
  QPointer<TkitInstanceChannel> server_;
  QPointer<TkitInstanceChannel> watch_;
  QPointer<QWidget> lastActive_;
};

} // namespace fegolin
