#include "app/uLog.h"

namespace fegolin {

Q_LOGGING_CATEGORY(lcClean, "fegolin.clean", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "fegolin.settings", QtWarningMsg)
Q_LOGGING_CATEGORY(lcWindow, "fegolin.window", QtWarningMsg)

} // namespace fegolin
