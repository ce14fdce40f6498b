#pragma once

// TkitFolderDialog: the folder browse dialog of the kit.
//
// Typical use (the directory list page adds a folder this way):
//
//   dlgFolder->SetFolder(QDir::homePath());      // preselected when it exists
//   if (dlgFolder->Execute()) {                  // modal; true = OK pressed
//     const QString path = dlgFolder->Folder();  // native separators; may be
//                                                // empty for an item without
//                                                // a path (the computer)
//     const QString name = dlgFolder->SelectedDisplayName();  // "Temp"
//   }
//
// Cancel leaves Folder() as it was when the dialog was last opened, and
// Execute() returns false.

#include "common/uCommon.h"
#include "kit/kitfoldertree.h"

#include <QFlags>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

class QWidget;

namespace fegolin {

class TkitFolderBrowser;

// Browse options. The values are the system's BROWSEINFO flags, so a set
// converts to them one to one.
enum class TBrowseInfoFlags : std::uint16_t {
  OnlyFileSystem = 0x0001, // OK only for an item with a file-system path
  OnlyDomains = 0x0002,    // no meaning in a folder tree; kept for the stored sets
  ShowPath = 0x0004,       // the status line shows the selected path
  OnlyAncestors = 0x0008,  // every item here is a file-system ancestor
  OnlyComputers = 0x1000,  // only the computer item can be chosen
  OnlyPrinters = 0x2000,   // nothing in a folder tree is a printer
};
Q_DECLARE_FLAGS(TBrowseInfoFlagSet, TBrowseInfoFlags)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBrowseInfoFlagSet)

// The root of the tree. Here foDesktopExpanded and foDesktop show the home
// folder and the computer with every file-system root (expanded or not),
// foMyComputer shows the computer holding the file-system roots and the home
// folder, and the other values the nearest XDG folder (or the file-system
// root where nothing comes near). A root folder that does not exist falls
// back to foDesktopExpanded.
enum class TSHFolders : std::uint8_t {
  foDesktop,
  foDesktopExpanded,
  foPrograms,
  foControlPanel,
  foPrinters,
  foPersonal,
  foFavorites,
  foStartup,
  foRecent,
  foSendto,
  foRecycleBin,
  foStartMenu,
  foDesktopFolder,
  foMyComputer,
  foNetwork,
  foNetworkNeighborhood,
  foFonts,
  foTemplates,
};

// The status-line form of a path: at most `maximum` characters, with leading
// folders replaced by "..." when the path is too long ("C:\...\user\Temp").
QString CompactPath(QStringView path, int maximum, PathStyle style = PathStyle::Native);

// The value of a caption list ("name=value" lines, names are language ids in
// four hexadecimal digits or "Default") for a language: that language's
// line, else the Default line, else the first line; empty for an empty list.
// Names match without regard to letter case.
QString CaptionForLanguage(const QStringList& list, QStringView languageKey);

// A language id as caption lists name it: 0x0407 -> "0407".
QString FormatLanguageKey(std::uint16_t languageId);

QStringList DefaultNewFolderCaptions();
QStringList DefaultLabelCaptions();

// The top level the tree shows for a root.
TkitFolderTreeLayout RootFolderLayout(TSHFolders root);

class TkitFolderDialog final : public QObject {
  Q_OBJECT

public:
  // Raised once the dialog is up, before the user acts.
  using TBrowserInitializedEvent =
      std::function<void(TkitFolderDialog& sender, TkitFolderBrowser& dialog)>;
  // Raised after every change of selection; `folder` is the item's path,
  // empty for an item without one.
  using TSelectionChangedEvent =
      std::function<void(TkitFolderDialog& sender, TkitFolderBrowser& dialog,
                         const QModelIndex& item, const QString& folder)>;

  // The two small modal questions the new-folder button asks. By default
  // they are a QInputDialog and a warning QMessageBox; the program routes
  // them through its dialog seam, and tests answer them directly.
  struct Prompts {
    // The name of the new folder, or nothing when the user cancels.
    std::function<std::optional<QString>(QWidget* parent, const QString& title)> AskFolderName;
    std::function<void(QWidget* parent, const QString& title, const QString& text)> ShowError;
  };

  // The captions follow the system language; a test or a caller with its
  // own idea of the language passes the Windows language id (0x0407).
  explicit TkitFolderDialog(QObject* owner = nullptr);
  TkitFolderDialog(QObject* owner, std::uint16_t languageId);
  ~TkitFolderDialog() override;

  // Runs the dialog modally; true when a folder was chosen with OK.
  bool Execute();

  [[nodiscard]] const QString& Folder() const { return folder_; }
  void SetFolder(const QString& folder) { folder_ = folder; }
  [[nodiscard]] TBrowseInfoFlagSet Flags() const { return flags_; }
  void SetFlags(TBrowseInfoFlagSet flags) { flags_ = flags; }
  [[nodiscard]] TSHFolders RootFolder() const { return rootFolder_; }
  void SetRootFolder(TSHFolders root) { rootFolder_ = root; }
  [[nodiscard]] bool NewFolderVisible() const { return newFolderVisible_; }
  void SetNewFolderVisible(bool visible);
  [[nodiscard]] bool NewFolderEnabled() const { return newFolderEnabled_; }
  void SetNewFolderEnabled(bool enabled);
  [[nodiscard]] const TBrowserInitializedEvent& OnInitialized() const { return onInitialized_; }
  void SetOnInitialized(TBrowserInitializedEvent handler) { onInitialized_ = std::move(handler); }
  [[nodiscard]] const TSelectionChangedEvent& OnSelectionChanged() const {
    return onSelectionChanged_;
  }
  void SetOnSelectionChanged(TSelectionChangedEvent handler) {
    onSelectionChanged_ = std::move(handler);
  }
  [[nodiscard]] const QStringList& LabelCaptions() const { return labelCaptions_; }
  void SetLabelCaptions(const QStringList& captions);
  [[nodiscard]] const QStringList& NewFolderCaptions() const { return newFolderCaptions_; }
  void SetNewFolderCaptions(const QStringList& captions);
  [[nodiscard]] static QString Version() { return QStringLiteral("4.00.00.00"); }

  // The display name of the item chosen by the last successful Execute.
  [[nodiscard]] const QString& SelectedDisplayName() const { return selectedDisplayName_; }
  // The system language id as caption lists name it ("0407").
  [[nodiscard]] const QString& LanguageKey() const { return languageKey_; }
  // The captions chosen from the lists for LanguageKey.
  [[nodiscard]] const QString& LabelCaption() const { return labelCaption_; }
  [[nodiscard]] const QString& NewFolderCaption() const { return newFolderCaption_; }

  void SetPrompts(Prompts prompts) { prompts_ = std::move(prompts); }

private:
  [[nodiscard]] QWidget* OwnerWindow() const;
  void ChooseCaptions();
  void Initialize(TkitFolderBrowser& dialog, bool expandTop);
  void SelectionChanged(TkitFolderBrowser& dialog, const QModelIndex& item);
  void NewFolderClicked(TkitFolderBrowser& dialog);
  [[nodiscard]] bool CanChoose(const TkitFolderTree& tree, const QModelIndex& item) const;

  QString folder_;
  TBrowseInfoFlagSet flags_ = TBrowseInfoFlags::ShowPath;
  TSHFolders rootFolder_ = TSHFolders::foDesktopExpanded;
  bool newFolderVisible_ = true;
  bool newFolderEnabled_ = true;
  TBrowserInitializedEvent onInitialized_;
  TSelectionChangedEvent onSelectionChanged_;
  QStringList labelCaptions_;
  QStringList newFolderCaptions_;
  Prompts prompts_;

  QString selectedDisplayName_;
  QString currentFolder_;
  QString languageKey_;
  QString labelCaption_;
  QString newFolderCaption_;
  QPointer<TkitFolderBrowser> live_;
  QPersistentModelIndex lastSelected_;
  bool browseInitialised_ = false;
  bool restartBrowse_ = false;
  bool selectionHasPath_ = true;
};

} // namespace fegolin
