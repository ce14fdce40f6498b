// Program entry. The headless commands run before any application object
// exists, so they need no display; everything else is the windowed program.

#include "app/uCommandLine.h"
#include "app/uImageList.h"
#include "app/uSessionEnd.h"
#include "app/uTfrmMain.h"
#include "kit/kitutil.h"
#include "platform/Registry.h"

#include <QApplication>

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (const auto code = fegolin::RunHeadlessCommand(args, std::cin, std::cout, std::cerr)) {
    return *code;
  }

  // The window runs on whatever registry it finds: a hive it cannot write
  // is read, one that is not ours is left alone for defaults in memory,
  // and the status bar says what is not stored.
  fegolin::platform::SetProcessRegistryAccess(fegolin::platform::RegAccess::BestEffort);

  QApplication app(argc, argv);
  // Before any window exists: the single-instance guard names its system
  // objects after the title.
  QApplication::setApplicationName(QStringLiteral("Fegolin"));
  QApplication::setWindowIcon(fegolin::ProgramIcon());
  // Lets a Wayland compositor match the window with the installed launcher.
  QGuiApplication::setDesktopFileName(QStringLiteral("de.norvalt.Fegolin"));
  // The program lives in the notification area: a hidden window is no
  // reason to end. Only the exit action (FormClose) ends it.
  QApplication::setQuitOnLastWindowClosed(false);
  // Hidden behind its icon the program waits without the window's pages:
  // they are built when the window first shows.
  fegolin::TfrmMain frmMain(nullptr, fegolin::TfrmMain::Pages::OnFirstShow);
  QObject::connect(&frmMain, &fegolin::TfrmMain::Closed, &app, &QCoreApplication::quit);
  // A second start: the running instance has been brought forward, and
  // this one ends without running its loop (its splash, if any, is over).
  if (fegolin::TkitApplication::Terminated()) {
    return 0;
  }
  fegolin::TkitApplication::SetMainForm(&frmMain);
  fegolin::CloseOnSessionEnd(frmMain);
  // Off while the tray icon keeps the window hidden.
  if (fegolin::TkitApplication::ShowMainForm()) {
    frmMain.show();
  }
  return app.exec();
}
