#pragma once

// The polite end a desktop session or `kill` asks for (SIGTERM, SIGHUP,
// SIGINT) takes the same way out as "Exit": the main window is closed, so
// the settings it keeps (the window size among them) are written and the
// tray icon is removed before the program ends, with exit code 0.

class QWidget;

namespace fegolin {

// Installs the handlers; call once, after the main window exists. A modal
// dialog that is open at the time is closed first, as if cancelled.
void CloseOnSessionEnd(QWidget& mainWindow);

} // namespace fegolin
