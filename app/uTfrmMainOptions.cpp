// The Options page's handlers: the live cleaning interval and the Apply and
// Defaults actions.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uRadioGroup.h"
#include "app/uLog.h"
#include "app/uOptionsView.h"
#include "common/uConst.h"
#include "settings/uTcSettings.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QTimer>

#include <array>

namespace fegolin {
namespace {

// Milliseconds of one unit, by the unit box's item index. 99 hours,
// 356,400,000 ms, is the longest interval and fits a timer's int.
constexpr std::array<std::uint32_t, 3> kUnitMilliseconds{1000u, 60u * 1000u, 3600u * 1000u};

} // namespace

void TfrmMain::ConnectOptionsPage() {
  TcOptionsPage* page = tabOptions;
  connect(page, &TcOptionsPage::Shown, this, &TfrmMain::tabOptionsShow);
  connect(page->edtIntervalValue, &QSpinBox::valueChanged, this, &TfrmMain::edtIntervalValueChange);
  // The user's pick only: items the program selects or refills do not
  // count as a change.
  connect(page->cbxInterval, &QComboBox::activated, this, &TfrmMain::edtIntervalValueChange);
  connect(page->cbxInterval, &QComboBox::activated, this, &TfrmMain::P_ChangeApplyState);
  // A box whose mark changes, by the user or by loading, is a change that
  // Apply can store.
  for (QCheckBox* box : {page->cbxAutoStart, page->cbxOptionWindowSize, page->cbxOptionSplash}) {
    connect(box, &QCheckBox::toggled, this, &TfrmMain::P_ChangeApplyState);
  }
}

std::optional<std::uint32_t> TfrmMain::PageInterval() const {
  const int unit = optionsView_->IntervalUnitIndex();
  if (unit < 0 || unit >= static_cast<int>(kUnitMilliseconds.size())) {
    return std::nullopt;
  }
  // The spin box keeps its value within 1..99.
  const auto value = static_cast<std::uint32_t>(optionsView_->IntervalValue());
  return value * kUnitMilliseconds[static_cast<std::size_t>(unit)];
}

void TfrmMain::FollowPageInterval() {
  const auto interval = PageInterval();
  if (interval && *interval != static_cast<std::uint32_t>(timCleanTimer->interval())) {
    RearmCleanTimer(interval);
  }
}

void TfrmMain::edtIntervalValueChange() {
  try {
    RearmCleanTimer(PageInterval());
    P_ChangeApplyState();
  } catch (...) {
    // The timer stays as far as it got.
    LogHandlerFailure(lcWindow, "edtIntervalValueChange");
  }
}

void TfrmMain::P_ChangeApplyState() {
  actApply->setEnabled(true);
}

void TfrmMain::tabOptionsShow() {
  try {
    if (settings_) {
      settings_->LoadOptions();
    }
    // The stored language, which a pick that was not applied may differ
    // from.
    ShowLanguage();
    // Reloading the unit runs no change handler, so a unit changed but not
    // applied would keep the timer on it while the page shows the stored
    // one: the page and the timer must agree again.
    FollowPageInterval();
    actApply->setEnabled(false);
  } catch (...) {
    // The page shows what it could load.
    LogHandlerFailure(lcWindow, "tabOptionsShow");
  }
}

void TfrmMain::actApplyExecute() {
  try {
    // Apply stays on after a failure, for another try.
    if (settings_ && ReportStore(settings_->SaveOptions(),
                                 tr("Die Optionen konnten nicht gespeichert werden"))) {
      actApply->setEnabled(false);
    }
  } catch (...) {
    // Apply stays on for another try.
    LogHandlerFailure(lcWindow, "actApplyExecute");
  }
}

void TfrmMain::actSetDefaultsExecute() {
  try {
    if (settings_) {
      ReportStore(settings_->ResetOptions(),
                  tr("Die Vorgabewerte konnten nicht gespeichert werden"));
    }
    // As on showing the page: what is stored now, the language included;
    // the default unit arrives without a change handler, so the timer
    // follows it here.
    ShowLanguage();
    FollowPageInterval();
  } catch (...) {
    // The page shows what it could load.
    LogHandlerFailure(lcWindow, "actSetDefaultsExecute");
  }
}

void TfrmMain::ShowLanguage() {
  // A code that is neither German nor English selects no item.
  const int language = CurrentLanguage();
  if (Built()) {
    tabOptions->grpLanguage->SetItemIndex(language == kLanguageGerman    ? 0
                                          : language == kLanguageEnglish ? 1
                                                                         : -1);
  }
  RefreshLanguageTexts();
}

} // namespace fegolin
