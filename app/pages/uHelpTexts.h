#pragma once

#include <QString>

namespace fegolin {

// The usage notice of the help page.
QString UsageNoticeText();
// The help text of the help page.
QString HelpText();

} // namespace fegolin
