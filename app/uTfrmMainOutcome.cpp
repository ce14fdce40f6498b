// The Status page's line on what the last run did.

#include "app/uTfrmMain.h"

#include "app/pages/uStatusPage.h"
#include "app/uCleanTexts.h"

#include <QLabel>

#include <memory>

namespace fegolin {

void TfrmMain::ShowRunOutcome(const CleanSummary& total) {
  outcome_ = std::make_unique<CleanSummary>(total);
  ShowOutcomeText();
}

void TfrmMain::ShowOutcomeText() {
  if (tabStatus == nullptr) {
    return;
  }
  tabStatus->lblOutcome->setText(tr("Ergebnis:") + QLatin1Char('\n') +
                                 (outcome_ ? OutcomeText(*outcome_) : QStringLiteral("n/a")));
}

} // namespace fegolin
