#include "app/uTfrmMain.h"

#include "app/pages/uAboutPage.h"
#include "app/pages/uHelpPage.h"
#include "app/pages/uOptionsPage.h"
#include "app/pages/uPageFonts.h"
#include "app/pages/uRadioGroup.h"
#include "app/pages/uSelectPage.h"
#include "app/pages/uStatusPage.h"
#include "app/uActionLink.h"
#include "app/uDialogs.h"
#include "app/uDirectoryList.h"
#include "app/uLog.h"
#include "app/uOptionsView.h"
#include "app/ufrmSplash.h"
#include "app/ufrmTipps.h"
#include "common/uCommon.h"
#include "kit/kitcompf.h"
#include "kit/kitlist.h"
#include "kit/kittray.h"
#include "platform/Registry.h"
#include "settings/uTcSettings.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace fegolin {
namespace {

constexpr QSize kDesignSize(496, 457);

// Tabs drawn as push buttons: raised when idle, pressed in when current,
// lit under the mouse.
const QString kButtonTabs = QStringLiteral(
    "QTabBar::tab { background: palette(button); border: 1px solid palette(mid);"
    " border-top-color: palette(light); border-left-color: palette(light);"
    " padding: 3px 9px; margin: 1px 2px; }"
    "QTabBar::tab:hover { background: palette(midlight); }"
    "QTabBar::tab:selected { background: palette(midlight); border-color: palette(mid);"
    " border-bottom-color: palette(light); border-right-color: palette(light); }");

QPushButton* BottomButton(const char* name) {
  auto* button = new QPushButton;
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(true);
  return button;
}

} // namespace

TfrmMain::TfrmMain(QWidget* parent, Pages pages)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QString::fromLatin1(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size())));
  setFont(FormFont());
  CreateActions();
  CreateMenus();
  CreateTimers();
  resize(kDesignSize);
  optionsView_ = std::make_unique<TcOptionsView>(*this);
  directoryList_ = std::make_unique<TcDirectoryList>();
  RetranslateUi();
  ConnectHandlers();
  // The kit components have done their part of loading the window (hidden
  // it, set its size, ended a second instance) before FormCreate runs.
  CreateKitComponents();
  FormCreate();
  // Before the first tick of the clock: a D-Bus host reads the tooltip as
  // soon as the icon registers.
  UpdateTrayHint();
  if (pages == Pages::Now) {
    BuildWindow();
  }
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::setVisible(bool visible) {
  if (visible) {
    BuildWindow();
  }
  QWidget::setVisible(visible);
}

void TfrmMain::BuildWindow() {
  if (Built()) {
    return;
  }
  BuildLayout();
  optionsView_->Attach(*tabOptions);
  CreateFolderDialog();
  RetranslateWindow();
  ConnectPages();
  // The list control shows the list from now on, loaded as a start loads
  // it: the marks come through its check handler, which keeps the entries
  // of one caption in step. Nothing can have been edited before.
  directoryList_->Attach(*tabSelect->cbxKitDirectoryList);
  LoadList();
  RefreshListActions();
  tabAbout->lblAppTitle->setText(
      QString::fromLatin1(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size())));
  ShowLoadedSettings();
  RefreshSaveDirState();
  ShowStorageProblem();
  ShowRunState();
  UpdateNextRunLabel();
  timAktualTimer();
  ShowOutcomeText();
}

void TfrmMain::BuildLayout() {
  auto* form = new QVBoxLayout(this);
  form->setContentsMargins(0, 0, 0, 0);
  form->setSpacing(0);
  // The window can be made smaller than its pages would like: the form
  // sizer sets its limits, not the layout.
  form->setSizeConstraint(QLayout::SetNoConstraint);

  auto* Panel10 = new QWidget(this);
  Panel10->setObjectName(QStringLiteral("Panel10"));
  Panel10->setFixedHeight(5);
  form->addWidget(Panel10);

  pgeMain = new QTabWidget(this);
  pgeMain->setObjectName(QStringLiteral("pgeMain"));
  pgeMain->setDocumentMode(true);
  pgeMain->tabBar()->setStyleSheet(kButtonTabs);
  pgeMain->tabBar()->setDrawBase(false);
  pgeMain->tabBar()->setAttribute(Qt::WA_Hover);
  tabStatus = new TcStatusPage;
  tabSelect = new TcSelectPage;
  tabOptions = new TcOptionsPage;
  tabAbout = new TcAboutPage;
  tabHelp = new TcHelpPage;
  for (QWidget* page : {static_cast<QWidget*>(tabStatus), static_cast<QWidget*>(tabSelect),
                        static_cast<QWidget*>(tabOptions), static_cast<QWidget*>(tabAbout),
                        static_cast<QWidget*>(tabHelp)}) {
    pgeMain->addTab(page, QString());
  }
  pgeMain->setCurrentWidget(tabHelp);
  form->addWidget(pgeMain, 1);

  auto* pnlButtons = new QWidget(this);
  pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
  pnlButtons->setFixedHeight(42);
  auto* bottom = new QHBoxLayout(pnlButtons);
  bottom->setContentsMargins(4, 4, 4, 4);
  bottom->addStretch(1);
  auto* Panel1 = new QWidget(pnlButtons);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedWidth(303);
  auto* buttons = new QHBoxLayout(Panel1);
  buttons->setContentsMargins(0, 0, 0, 0);
  btnClean = BottomButton("btnClean");
  btnHide = BottomButton("btnHide");
  // No default button: Enter belongs to the control that has the focus (a
  // value typed into the interval box, the folder list), and ending the
  // program takes "&Ende" itself, clicked or focused.
  btnCancel = BottomButton("btnCancel");
  buttons->addWidget(btnClean);
  buttons->addWidget(btnHide);
  buttons->addWidget(btnCancel);
  bottom->addWidget(Panel1);
  form->addWidget(pnlButtons);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  form->addWidget(StatusBar1);

  // Their own captions (and the hint of btnHide) come with the language.
  LinkButton(btnClean, actCleanDirectories, LinkOwn::Caption);
  LinkButton(btnHide, actHide, LinkOwn::CaptionAndHint);
  LinkButton(btnCancel, actExit, LinkOwn::Caption);

  LinkButton(tabSelect->btnAddDirToList, actAddDirectory);
  LinkButton(tabSelect->SpeedButton1, actRenameEntry);
  LinkButton(tabSelect->SpeedButton2, actDeleteEntry);
  LinkButton(tabSelect->SpeedButton3, actDeleteAll, LinkOwn::CaptionAndHint);
  LinkButton(tabSelect->SpeedButton4, actSetToDefaultEntries);
  LinkButton(tabOptions->btnDefaults, actSetDefaults);
  LinkButton(tabOptions->btnApply, actApply);
}

void TfrmMain::ConnectHandlers() {
  connect(actAbout, &QAction::triggered, this, &TfrmMain::actAboutExecute);
  connect(actInterval, &QAction::triggered, this, &TfrmMain::actIntervalExecute);
  connect(actSelect, &QAction::triggered, this, &TfrmMain::actSelectExecute);
  connect(actStatus, &QAction::triggered, this, &TfrmMain::actStatusExecute);
  connect(actShow, &QAction::triggered, this, &TfrmMain::actShowExecute);
  connect(actHide, &QAction::triggered, this, &TfrmMain::actHideExecute);
  connect(actExit, &QAction::triggered, this, &TfrmMain::actExitExecute);
  connect(actApply, &QAction::triggered, this, &TfrmMain::actApplyExecute);
  connect(actSetDefaults, &QAction::triggered, this, &TfrmMain::actSetDefaultsExecute);
  connect(actAddDirectory, &QAction::triggered, this, &TfrmMain::actAddDirectoryExecute);
  connect(actRenameEntry, &QAction::triggered, this, &TfrmMain::actRenameEntryExecute);
  connect(actDeleteEntry, &QAction::triggered, this, &TfrmMain::actDeleteEntryExecute);
  connect(actDeleteAll, &QAction::triggered, this, &TfrmMain::actDeleteAllExecute);
  connect(actSetToDefaultEntries, &QAction::triggered, this,
          &TfrmMain::actSetToDefaultEntriesExecute);
  ConnectCleanCycle();
  ConnectCleanRules();
}

void TfrmMain::ConnectPages() {
  connect(tabOptions->grpLanguage, &TcRadioGroup::Clicked, this, &TfrmMain::grpLanguageClick);
  ConnectOptionsPage();
  ConnectFolderList();
  ConnectSelectPage();
  ConnectRulesControls();
}

// Start-up, in a fixed order: each step relies on what the ones before it
// have put in place.
void TfrmMain::FormCreate() {
  try {
    // Before anything reads a value: every read creates the key.
    const bool firstRun = !KeyExists(kCurrentUserRoot, kRegKeyApp);
    CreateSplashHost();
    ShowTitleAndSizeLimits();
    LoadSettingsAndList();
    ShowLoadedSettings();
    CreateTipsHost();
    ShowScheduleAndListState();
    if (firstRun) {
      WelcomeFirstRun();
    }
    ReportStorageProblem();
  } catch (...) {
    // A failing step ends start-up where it is; the window stays usable.
    LogHandlerFailure(lcWindow, "FormCreate");
  }
}

// Holds start-up until the splash has gone ("-ns" keeps it away, but the
// host is made all the same).
void TfrmMain::CreateSplashHost() {
  if (ReadBoolOption(Option::ShowSplash) && splashForm_ == nullptr) {
    splashForm_ = new TfrmSplash(this);
  }
}

void TfrmMain::ShowTitleAndSizeLimits() {
  // The title on the Info page comes with the page (BuildWindow).
  // Lowering the height minimum keeps the height; raising the width
  // minimum widens the window at once.
  kitFormSizer->SetHeightMin(305);
  kitFormSizer->SetWidthMin(452);
}

void TfrmMain::LoadSettingsAndList() {
  // Loads the options into the options page and restores the size.
  settings_ = std::make_unique<TcSettings>(*optionsView_, *directoryList_);
  // Arms the clean timer from the unit and value just loaded.
  edtIntervalValueChange();
  LoadList();
}

void TfrmMain::LoadList() {
  // Without settings (start-up failed before it made them) there is no
  // stored list to load, and the list stays empty.
  if (!settings_) {
    return;
  }
  if (const platform::Status loaded = settings_->LoadDirectoryList(); !loaded) {
    qCWarning(lcSettings).noquote()
        << "the folder list was read only in part:" << QString::fromStdString(loaded.error().text);
  }
  AddDefaultEntries();
  // What this start shows is what the next one would: the list as stored,
  // or the defaults in place of an empty one.
  listStored_ = directoryList_->StoredContent();
}

void TfrmMain::ShowLoadedSettings() {
  // The unit names, the status caption and the language group in the
  // language just loaded, before anything is painted.
  ShowLanguage();
  if (!Built()) {
    return;
  }
  // A selection from code, not the user's: no change handler runs.
  const QSignalBlocker quiet(tabOptions->cbxInterval);
  tabOptions->cbxInterval->setCurrentIndex(0);
}

// Shows the tip window at once, on top, not modal.
void TfrmMain::CreateTipsHost() {
  if (ReadBoolOption(Option::ShowTipps) && tipsForm_ == nullptr) {
    tipsForm_ = new TfrmTipps(this);
  }
}

void TfrmMain::ShowScheduleAndListState() {
  UpdateNextRunLabel();
  // The marks set while loading changed nothing that is stored.
  RefreshListActions();
  RefreshSaveDirState();
}

void TfrmMain::WelcomeFirstRun() {
  AddDefaultEntries();
  actSelect->trigger();
}

// What is not stored, when something is not (the hive is read-only or not
// ours).
void TfrmMain::ReportStorageProblem() {
  if (const std::string problem = platform::ProcessRegistry().StorageProblem(); !problem.empty()) {
    qCWarning(lcSettings).noquote() << "settings are not stored:" << problem.c_str();
    ShowStorageProblem();
  }
}

void TfrmMain::ShowStorageProblem() {
  if (!Built()) {
    return;
  }
  if (const std::string problem = platform::ProcessRegistry().StorageProblem(); !problem.empty()) {
    StatusBar1->showMessage(tr("Einstellungen werden nicht gespeichert: ") +
                            QString::fromStdString(problem));
  }
}

void TfrmMain::FormClose() {
  try {
    settings_.reset();
    directoryList_->ReleaseAll();
  } catch (...) {
    // The program ends anyway.
    LogHandlerFailure(lcWindow, "FormClose");
  }
  emit Closed();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The run still reads the entries FormClose releases: the window
    // closes once the run is over.
    closeAfterRun_ = true;
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
}

bool TfrmMain::ReportStore(const StoreResult& result, const QString& failure) {
  if (result.stored) {
    if (Built()) {
      StatusBar1->clearMessage();
      StatusBar1->setToolTip({});
    }
    return true;
  }
  const QString message = failure + QStringLiteral(": ") + QString::fromStdString(result.reason);
  qCWarning(lcSettings).noquote() << message;
  if (Built()) {
    // The whole text also as the hint: a narrow window cuts the bar short.
    StatusBar1->showMessage(message);
    StatusBar1->setToolTip(message);
  }
  return false;
}

void TfrmMain::AddDefaultEntries() {
  if (settings_) {
    settings_->AddDefaultEntries();
  }
}

void TfrmMain::ShowPage(QWidget* page) {
  pgeMain->setCurrentWidget(page);
  actShowExecute();
}

// The pages are there to be chosen once the window is built.
void TfrmMain::actAboutExecute() {
  BuildWindow();
  ShowPage(tabAbout);
}

void TfrmMain::actIntervalExecute() {
  BuildWindow();
  ShowPage(tabOptions);
}

void TfrmMain::actSelectExecute() {
  BuildWindow();
  ShowPage(tabSelect);
}

void TfrmMain::actStatusExecute() {
  BuildWindow();
  ShowPage(tabStatus);
}

void TfrmMain::actShowExecute() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
}

// Without a notification area to come back from, the task bar keeps it.
void TfrmMain::actHideExecute() {
  kitTrayIcon1->HideOwner();
}

void TfrmMain::actExitExecute() {
  try {
    // Only the user's end asks; an end the session or a signal asks for
    // closes the window directly and never writes the list.
    if (ListChanged()) {
      switch (Dialogs::AskYesNoCancel(this, windowTitle(),
                                      tr("Die Verzeichnisliste wurde geändert.\n"
                                         "Sollen die Änderungen gespeichert werden?"))) {
      case DialogAnswer::Cancel:
        return;
      case DialogAnswer::Yes:
        if (!SaveListReporting()) {
          // The program stays, showing why, rather than end and lose the
          // list.
          actSelectExecute();
          return;
        }
        break;
      case DialogAnswer::No:
        break;
      }
    }
  } catch (...) {
    // Whatever went wrong with the question, the user asked to end.
    LogHandlerFailure(lcWindow, "actExitExecute");
  }
  close();
}

void TfrmMain::grpLanguageClick() {
  try {
    if (settings_) {
      settings_->SetLanguage(tabOptions->grpLanguage->ItemIndex());
    }
    RefreshLanguageTexts();
    P_ChangeApplyState();
  } catch (...) {
    // The texts keep the language they were fetched in.
    LogHandlerFailure(lcWindow, "grpLanguageClick");
  }
}

} // namespace fegolin
