#pragma once

// The program's logging categories. Warnings reach stderr (and so the
// desktop session's journal) by default; the rest is off until
// QT_LOGGING_RULES turns it on, e.g. "fegolin.*.debug=true".

#include <QLoggingCategory>

namespace fegolin {

Q_DECLARE_LOGGING_CATEGORY(lcClean)    // fegolin.clean: what runs leave, and why
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // fegolin.settings: stores that fail
Q_DECLARE_LOGGING_CATEGORY(lcWindow)   // fegolin.window: failures inside event handlers

// The one line a catch-all at an event handler's boundary writes: which
// handler, and what it caught (the exception's text, or that it was none
// of the standard ones). Call it only inside a catch clause.
void LogHandlerFailure(const QLoggingCategory& (*category)(), const char* handler);

} // namespace fegolin
