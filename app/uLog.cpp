#include "app/uLog.h"

#include <exception>

namespace fegolin {

Q_LOGGING_CATEGORY(lcClean, "fegolin.clean", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "fegolin.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWindow, "fegolin.window", QtWarningMsg)

void LogHandlerFailure(const QLoggingCategory& (*category)(), const char* handler) {
  try {
    throw;
  } catch (const std::exception& e) {
    qCWarning(category).noquote() << handler << "failed:" << e.what();
  } catch (...) {
    qCWarning(category).noquote() << handler << "failed: unknown exception";
  }
}

} // namespace fegolin
