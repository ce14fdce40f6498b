// The kit components on the main window: form sizer, tray icon,
// single-instance guard and the idle welcome tips. They are set up the way
// the form would load them, each finishing with Loaded(), before FormCreate
// runs.

#include "app/uTfrmMain.h"

#include "app/uLog.h"
#include "common/uConst.h"
#include "kit/kitcompf.h"
#include "kit/kittips.h"
#include "kit/kittray.h"
#include "kit/kitutil.h"
#include "settings/uTcSettings.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

namespace fegolin {

void TfrmMain::CreateKitComponents() {
  // The sizer hooks the window first, the tray icon after it: the icon sees
  // the close and minimize requests before anything else does.
  kitFormSizer = new TkitFormSizer(this);
  kitFormSizer->setObjectName(QStringLiteral("kitFormSizer"));
  kitFormSizer->SetHeightMax(2000);
  kitFormSizer->SetHeightMin(444);
  kitFormSizer->SetWidthMax(2000);
  kitFormSizer->SetWidthMin(320);
  kitFormSizer->SetInitialFormSize(TkitInitialPosSize::ipsMin);
  kitFormSizer->Loaded();

  using Opt = TkitTrayIconOption;
  kitTrayIcon1 = new TkitTrayIcon(this);
  kitTrayIcon1->setObjectName(QStringLiteral("kitTrayIcon1"));
  // Without an image list there is nothing to animate: the icon stays still.
  kitTrayIcon1->SetAnimated(true);
  kitTrayIcon1->SetOptions({Opt::atiShowOnClick, Opt::atiHideApp, Opt::atiHideOnMinimize,
                            Opt::atiHideOnClose, Opt::atiWin95Service, Opt::atiTerminateOnLogoff,
                            Opt::atiMonitorTray, Opt::atiShowWithoutTray});
  // The icon pops the menu up itself, so that its click event can follow
  // once the menu has closed.
  kitTrayIcon1->SetPopupMenu(mnuPopupMain);
  kitTrayIcon1->OnClick = [this](TkitTrayIcon&) { kitTrayIcon1DblClick(); };
  kitTrayIcon1->OnDblClick = kitTrayIcon1->OnClick;
  // No notification area: the window shows the way a click would show it.
  kitTrayIcon1->OnTrayMissing = kitTrayIcon1->OnClick;
  kitTrayIcon1->Loaded();
  // The next run moves with every run and every change of the interval;
  // the clock's tick keeps the tooltip up with all of them.
  connect(timAktual, &QTimer::timeout, this, &TfrmMain::UpdateTrayHint);

  kitSingleInstance1 = new TkitSingleInstance(this);
  kitSingleInstance1->setObjectName(QStringLiteral("kitSingleInstance1"));
  kitSingleInstance1->Loaded();

  // The kit's English defaults and no handler: it never shows itself.
  kitWelcomeTips1 = new TkitWelcomeTips(this);
  kitWelcomeTips1->setObjectName(QStringLiteral("kitWelcomeTips1"));
  kitWelcomeTips1->SetCaption(QStringLiteral("Welcome"));
  kitWelcomeTips1->SetCaptionGreeting({QStringLiteral("Welcome to #AppTitle#")});
  kitWelcomeTips1->SetCaptionProgress(QStringLiteral("Please wait while #AppTitle# loads ..."));
  kitWelcomeTips1->SetCaptionShowNext(
      QStringLiteral("&Show this Welcome Screen the next time you start #AppTitle#"));
  kitWelcomeTips1->SetCaptionTip(QStringLiteral("Did you know..."));
  kitWelcomeTips1->SetHelpContents(0);
  kitWelcomeTips1->SetHelpWhatsNew(0);
  kitWelcomeTips1->Loaded();
}

void TfrmMain::kitTrayIcon1DblClick() {
  try {
    actAboutExecute();
  } catch (...) {
    // The window simply stays as it is.
    LogHandlerFailure(lcWindow, "kitTrayIcon1DblClick");
  }
}

std::optional<QDateTime> TfrmMain::NextRunTime() const {
  const int remaining = timCleanTimer->remainingTime();
  if (!timCleanTimer->isActive() || remaining < 0) {
    return std::nullopt;
  }
  return clock_().addMSecs(remaining);
}

QString TfrmMain::TrayHint() const {
  const bool english = CurrentLanguage() == kLanguageEnglish;
  QString hint = QString::fromLatin1(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size()));
  const auto next = NextRunTime();
  if (!next) {
    return hint;
  }
  hint += english ? QStringLiteral(" – next run ") : QStringLiteral(" – nächster Lauf ");
  // The time alone names the next such time; a run a day or more away
  // (intervals go up to 99 hours) says its weekday as well.
  constexpr qint64 kDayMs = 24LL * 60 * 60 * 1000;
  if (clock_().msecsTo(*next) >= kDayMs) {
    const QLocale language(english ? QLocale::English : QLocale::German);
    hint += language.dayName(next->date().dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ');
  }
  return hint + next->time().toString(QStringLiteral("HH:mm"));
}

void TfrmMain::UpdateTrayHint() {
  try {
    kitTrayIcon1->SetHint(TrayHint());
  } catch (...) {
    // The tooltip keeps what it said.
    LogHandlerFailure(lcWindow, "UpdateTrayHint");
  }
}

void TfrmMain::showEvent(QShowEvent* event) {
  // Centred on the screen when it first appears, with the size start-up
  // gave it (sizer limits, restored size), not the design size.
  if (!event->spontaneous() && !centred_) {
    centred_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      QRect frame = frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      move(frame.topLeft());
    }
  }
  QWidget::showEvent(event);
}

} // namespace fegolin
