#pragma once

#include <QString>

namespace fegolin {

// The usage notice of the help page, in the language in force.
QString UsageNoticeText();
// The help text of the help page, in the language in force.
QString HelpText();

} // namespace fegolin
