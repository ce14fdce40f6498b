// The Status page's line on what the last run did.

#include "app/uTfrmMain.h"

#include "app/pages/uStatusPage.h"
#include "app/uCleanTexts.h"

#include <QLabel>

namespace fegolin {

void TfrmMain::ShowRunOutcome(const CleanSummary& total) {
  tabStatus->lblOutcome->setText(QStringLiteral("Ergebnis:\n") + OutcomeText(total));
}

} // namespace fegolin
