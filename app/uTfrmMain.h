#pragma once

// The main window: five pages, three buttons, the action list, two popup
// menus and two timers. It normally lives hidden behind the notification
// area icon; closing it through actExit ends the program.
//
// Construction makes the actions, the menus, the timers, the folder list
// and the Status page, then runs FormCreate, the fixed start-up sequence.
// The rest of the window (the tabs, the other pages, the buttons) is built
// now or when the window first shows: a program that waits behind its icon
// should not hold a window it may never show, nor the fonts its texts need.
// Until then nothing can have been edited, so the options as loaded and
// the list carry everything a run, the icon and an exit need.

#include "app/uDirectoryList.h"
#include "app/uImageList.h"

#include <QDateTime>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QPoint;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;

namespace fegolin {

class TcAboutPage;
class TfrmPreview;
class TfrmSplash;
class TfrmTipps;
class TkitFormSizer;
class TkitSingleInstance;
class TkitTrayIcon;
class TkitWelcomeTips;
class TcHelpPage;
class TcOptionsPage;
class TcOptionsView;
class TcSelectPage;
class TcSettings;
struct StoreResult;
class TcStatusPage;
class TkitFolderDialog;
struct CleanSummary;

class TfrmMain final : public QWidget {
  Q_OBJECT
public:
  // When the tabs and their pages are built.
  enum class Pages : std::uint8_t { Now, OnFirstShow };

  explicit TfrmMain(QWidget* parent = nullptr, Pages pages = Pages::Now);
  ~TfrmMain() override;

  // --- Layout: null until the window is built.
  QTabWidget* pgeMain = nullptr;
  TcStatusPage* tabStatus = nullptr;
  TcSelectPage* tabSelect = nullptr;
  TcOptionsPage* tabOptions = nullptr;
  TcAboutPage* tabAbout = nullptr;
  TcHelpPage* tabHelp = nullptr;
  QPushButton* btnClean = nullptr;
  QPushButton* btnHide = nullptr;
  QPushButton* btnCancel = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  // Builds the tabs, pages and buttons from the state in force, unless
  // they are there already; showing the window does it first.
  void BuildWindow();
  [[nodiscard]] bool Built() const { return pgeMain != nullptr; }
  void setVisible(bool visible) override;

  // --- lstActions, images from lstImage
  TcImageList lstImage;
  QAction* actCleanDirectories;
  QAction* actAddDirectory;
  QAction* actHide;
  QAction* actExit;
  QAction* actInterval;
  QAction* actAbout;
  QAction* actSelect;
  QAction* actStatus;
  QAction* actSetDefaults;
  QAction* actRenameEntry;
  QAction* actDeleteEntry;
  QAction* actDeleteAll;
  QAction* actSetToDefaultEntries;
  QAction* actShow;
  QAction* actApply;
  QAction* actApplyDir;
  QAction* actPreview;

  // --- Menus and timers
  QMenu* mnuPopupMain; // the notification area icon's menu
  QMenu* mnuPopUp;     // the folder list's menu
  QTimer* timCleanTimer;
  QTimer* timAktual;

  // --- Kit components (uTfrmMainKit.cpp)
  TkitFormSizer* kitFormSizer;
  TkitTrayIcon* kitTrayIcon1;
  TkitSingleInstance* kitSingleInstance1;
  TkitWelcomeTips* kitWelcomeTips1;
  // A click on the icon, with any button: the window on the Info page.
  void kitTrayIcon1DblClick();
  // When the clean timer runs out next; nothing while it is stopped.
  [[nodiscard]] std::optional<QDateTime> NextRunTime() const;
  // The icon's tooltip: the program and its next run, in the current
  // language ("Fegolin – nächster Lauf 03:34").
  [[nodiscard]] QString TrayHint() const;
  // Puts TrayHint() on the icon; the clock timer calls it every second.
  void UpdateTrayHint();
  // The host forms FormCreate made; null while there is none.
  [[nodiscard]] TfrmSplash* SplashForm() const { return splashForm_; }
  [[nodiscard]] TfrmTipps* TipsForm() const { return tipsForm_; }

  // --- The folder list and the settings object
  [[nodiscard]] TcDirectoryList& DirectoryList() { return *directoryList_; }
  // Null before FormCreate has created it and after FormClose released it.
  [[nodiscard]] TcSettings* Settings() { return settings_.get(); }

  // Adds the default entries to an empty list (not stored).
  void AddDefaultEntries();
  // Whether the folder list differs from the one stored (or, where nothing
  // is stored, from the defaults a start shows).
  [[nodiscard]] bool ListChanged() const;

  // --- Page and visibility handlers
  void actAboutExecute();
  void actIntervalExecute();
  void actSelectExecute();
  void actStatusExecute();
  void actShowExecute();
  void actHideExecute();
  void actExitExecute();
  void grpLanguageClick();

  // --- Clean cycle and status display (uTfrmMainClean.cpp)
  void actCleanDirectoriesExecute();
  void timCleanTimerTimer();
  // One clean run of every ticked folder, with the status page following.
  void RunClean();
  // True while RunClean is under way.
  [[nodiscard]] bool Running() const { return running_; }
  [[nodiscard]] bool HasCheckedEntries() const;
  void CleanCheckedDirectories();
  void UpdateNextRunLabel();
  // The Status page on the run: under way or idle (the film with it), when
  // the last one began and how long it took.
  void ShowRunState();
  // Restarts the clean timer, with `interval` (ms) when given, so that its
  // countdown begins anew, and shows when it will fire.
  void RearmCleanTimer(std::optional<std::uint32_t> interval = std::nullopt);
  void timAktualTimer();
  void FillIntervalUnits();
  // The translation of every window, the unit names (keeping the selected
  // unit) and the status caption in the current language.
  void RefreshLanguageTexts();
  // The language group, the unit names and the status caption as the
  // current language has them.
  void ShowLanguage();
  // "Now" for the status labels and the run's duration; the system clock
  // unless a test sets another.
  using Clock = std::function<QDateTime()>;
  void SetClock(Clock clock);

  // --- Options page (uTfrmMainOptions.cpp)
  void tabOptionsShow();
  void edtIntervalValueChange();
  void P_ChangeApplyState();
  void actApplyExecute();
  void actSetDefaultsExecute();

  // --- Folder page (uTfrmMainDirectories.cpp)
  TkitFolderDialog* dlgFolder = nullptr;
  void actAddDirectoryExecute();
  void actRenameEntryExecute();
  void actDeleteEntryExecute();
  void actDeleteAllExecute();
  void actSetToDefaultEntriesExecute();
  // The list's OnCheck, before the mark of item `index` becomes `checked`.
  void cbxKitDirectoryListCheck(int index, bool checked);
  // Before the list's menu opens at `mousePos` (viewport coordinates).
  void cbxKitDirectoryListContextPopup(QPoint mousePos);
  void btnApplyDirClick();
  void tabSelectShow();
  void P_ChangeSaveDirState(bool enabled);
  // Save is on exactly while the list differs from the stored one.
  void RefreshSaveDirState();
  // Rename, delete and delete all are there only while the list has items.
  void RefreshListActions();

  // --- Cleaning rules, preview and refused folders (uTfrmMainRules.cpp)
  // The window of what a run would do now, made on first use.
  void actPreviewExecute();
  // The dialog of the minimum age and the keep patterns.
  void btnAdvancedClick();
  // Every list entry whose folder a run would refuse gets the hint that
  // says why and a grey look; the others lose both.
  void MarkRefusedEntries();
  // Null until the preview was first asked for.
  [[nodiscard]] TfrmPreview* PreviewForm() const { return previewForm_; }

  // --- The last run's outcome on the Status page (uTfrmMainOutcome.cpp)
  // `total`: the summaries of all folders of the run added up.
  void ShowRunOutcome(const CleanSummary& total);

  // --- Texts in the language in force (uTfrmMainTexts.cpp)
  // Every caption, hint and menu entry of the window, and the texts it
  // puts on its pages (the outcome, the hints of refused entries).
  void RetranslateUi();

signals:
  // The window went through FormClose; being the main window, the
  // application ends with it.
  void Closed();

protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void BuildLayout();
  void CreateKitComponents();
  void CreateActions();
  void CreateMenus();
  void RetranslateActions();
  void RetranslateMenus();
  // The captions of the tabs and the buttons, once built.
  void RetranslateWindow();
  // The folder browser's title and buttons.
  void RetranslateFolderDialog();
  // The Status page's outcome line for the last run, "n/a" before one.
  void ShowOutcomeText();
  void CreateTimers();
  // The folder list's handlers, which must see it filled.
  void ConnectFolderList();
  void ConnectHandlers();
  // The handlers of the controls BuildWindow makes.
  void ConnectPages();
  void FormCreate();
  // The steps of FormCreate, in their order.
  void CreateSplashHost();
  void ShowTitleAndSizeLimits();
  void LoadSettingsAndList();
  // The stored list (or the defaults) in the folder list, taken as what is
  // stored.
  void LoadList();
  void ShowLoadedSettings();
  void CreateTipsHost();
  void ShowScheduleAndListState();
  void WelcomeFirstRun();
  void ReportStorageProblem();
  // The Status bar's line on what is not stored, if anything.
  void ShowStorageProblem();
  void FormClose();
  void ShowPage(QWidget* page);
  void ConnectCleanCycle();
  void ConnectOptionsPage();
  void CreateFolderDialog();
  void ConnectSelectPage();
  void ConnectCleanRules();
  // The Options page's dialog button and the refused look of entries.
  void ConnectRulesControls();
  void MarkRefusedEntry(int index);
  // The interval the options page shows; nothing while no unit is chosen.
  [[nodiscard]] std::optional<std::uint32_t> PageInterval() const;
  // Re-arms the clean timer when the page shows another interval than the
  // one it runs with.
  void FollowPageInterval();
  // True when `result` says stored (a message of an earlier failure goes);
  // otherwise the status bar says `failure` and why.
  bool ReportStore(const StoreResult& result, const QString& failure);
  // Stores the folder list and takes it as the stored one; false (and the
  // reason in the status bar) when it could not be stored.
  bool SaveListReporting();

  std::unique_ptr<TcOptionsView> optionsView_;
  std::unique_ptr<TcDirectoryList> directoryList_;
  std::unique_ptr<TcSettings> settings_;
  Clock clock_ = [] { return QDateTime::currentDateTime(); };
  // Owned by the window; they live, invisible, as long as it does.
  TfrmSplash* splashForm_ = nullptr;
  TfrmTipps* tipsForm_ = nullptr;
  TfrmPreview* previewForm_ = nullptr;
  bool centred_ = false;
  // The list as stored, to tell pending changes by.
  TcDirectoryList::Content listStored_;
  bool running_ = false;
  // When the last run began (invalid before one) and the Status page's
  // text on how long it took.
  QDateTime lastRun_;
  QString durationText_;
  // The last run's summary, shown again in a new language; null before
  // the first run.
  std::unique_ptr<CleanSummary> outcome_;
  // A close that came while a run was under way, carried out after it.
  bool closeAfterRun_ = false;
};

} // namespace fegolin
