// The folder page of the main window: adding, renaming, deleting and
// resetting entries, the check marks, the list's context menu and Save.
//
// The list shows, and the clean cycle cleans, what the check marks say; the
// entries' State is what Save stores. The check handler keeps the two in
// step. Marks belong to item texts, so items with the same text share one
// mark, and every entry behind that text follows it.

#include "app/uTfrmMain.h"

#include "app/pages/uSelectPage.h"
#include "app/uCleanTexts.h"
#include "app/uDialogs.h"
#include "app/uDirectoryList.h"
#include "app/uLog.h"
#include "common/uCommon.h"
#include "common/uConst.h"
#include "kit/kitfolder.h"
#include "kit/kitlist.h"
#include "settings/uTcPathData.h"
#include "settings/uTcSettings.h"

#include <QAction>
#include <QDir>
#include <QKeySequence>
#include <QMenu>
#include <QPoint>
#include <QPushButton>
#include <QShortcut>

#include <memory>
#include <optional>
#include <string_view>
#include <tuple>

namespace fegolin {
namespace {

QString MessageText(std::string_view name) {
  return QString::fromStdU16String(GetConstString(name));
}

// Where the folder browser opens: drive C: where folders live on drives,
// the home folder where everything hangs below one root.
QString InitialBrowseFolder() {
  return PathSeparator() == '\\' ? QStringLiteral("C:") : QDir::homePath();
}

// Leading and trailing blanks and control characters go; inner ones stay.
QString TrimBlanksAndControls(const QString& text) {
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && text[first].unicode() <= 32) {
    ++first;
  }
  while (last > first && text[last - 1].unicode() <= 32) {
    --last;
  }
  return text.mid(first, last - first);
}

int IndexOfEntry(const TcDirectoryList& entries, const TcPathData* entry) {
  for (int i = 0; i < entries.Count(); ++i) {
    if (entries.Entry(i) == entry) {
      return i;
    }
  }
  return -1;
}

// Every item carrying `text` shares one mark; its entry takes `checked`.
void SetStateOfText(const TkitCheckListBox& list, const TcDirectoryList& entries,
                    const QString& text, bool checked) {
  for (int i = 0; i < list.ItemCount(); ++i) {
    if (list.ItemText(i) == text) {
      if (TcPathData* entry = entries.Entry(i)) {
        entry->SetState(checked);
      }
    }
  }
}

// After an item took a text another item may already carry: the entries
// behind that text follow the mark the list now shows for it.
void FollowMark(const TkitCheckListBox& list, const TcDirectoryList& entries, int index) {
  if (index >= 0) {
    SetStateOfText(list, entries, list.ItemText(index), list.IsCheckedAt(index));
  }
}

} // namespace

void TfrmMain::CreateFolderDialog() {
  dlgFolder = new TkitFolderDialog(this);
  dlgFolder->setObjectName(QStringLiteral("dlgFolder"));
  dlgFolder->SetFlags(TBrowseInfoFlags::ShowPath);
  dlgFolder->SetRootFolder(TSHFolders::foMyComputer);
  dlgFolder->SetNewFolderVisible(false);
  dlgFolder->SetNewFolderEnabled(false);
  // The new-folder button stays hidden here, but its questions would go
  // where every dialog of the program goes.
  dlgFolder->SetPrompts({[](QWidget* parent, const QString& title) -> std::optional<QString> {
                           return Dialogs::InputBox(parent, title, {}, {});
                         },
                         [](QWidget* parent, const QString& title, const QString& text) {
                           Dialogs::ShowWarning(parent, title, text);
                         }});
}

void TfrmMain::ConnectFolderList() {
  TkitCheckListBox* list = tabSelect->cbxKitDirectoryList;
  // Set before the list is loaded: the marks set while loading come
  // through here like the user's.
  list->OnCheck = [this](TkitCustomCheckListBox&, int index, bool& value) {
    cbxKitDirectoryListCheck(index, value);
  };
  connect(list, &QWidget::customContextMenuRequested, this, [this, list](QPoint pos) {
    cbxKitDirectoryListContextPopup(pos);
    mnuPopUp->popup(list->viewport()->mapToGlobal(pos));
  });
  // F2 renames and Del removes the current entry while the list has the
  // focus, as in a file manager; the list's menu shows the keys.
  for (auto [key, action, item] :
       {std::tuple{QKeySequence(Qt::Key_F2), actRenameEntry, "ShowStatus1"},
        std::tuple{QKeySequence(QKeySequence::Delete), actDeleteEntry, "SelectDirectory1"}}) {
    auto* shortcut = new QShortcut(key, list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(shortcut, &QShortcut::activated, action, [action] {
      if (action->isEnabled()) {
        action->trigger();
      }
    });
    if (auto* entry = mnuPopUp->findChild<QAction*>(QLatin1String(item))) {
      entry->setShortcut(key);
      entry->setShortcutContext(Qt::WidgetShortcut);
    }
  }
}

void TfrmMain::ConnectSelectPage() {
  connect(tabSelect->btnApplyDir, &QPushButton::clicked, this, &TfrmMain::btnApplyDirClick);
  connect(tabSelect, &TcSelectPage::Shown, this, &TfrmMain::tabSelectShow);
}

void TfrmMain::actAddDirectoryExecute() {
  try {
    const auto choice = Dialogs::BrowseFolder(*dlgFolder, InitialBrowseFolder());
    if (!choice) {
      return;
    }
    // Named as the system shows the folder, and listed the way every start
    // lists it: the entry reads the same before and after a restart.
    const std::string folder = dlgFolder->Folder().toStdString();
    // A folder a run would never clean does not go in the list at all.
    if (const QString refusal = RefusalOf(folder); !refusal.isEmpty()) {
      Dialogs::ShowWarning(this, tr("Verzeichnis abgelehnt"),
                           tr("„%1“ kommt nicht in die Liste, denn ein Lauf würde es "
                              "nie reinigen: %2.")
                               .arg(dlgFolder->Folder(), refusal));
      return;
    }
    const std::string name =
        choice->displayName.isEmpty() ? folder : choice->displayName.toStdString();
    auto entry = std::make_unique<TcPathData>(name, folder);
    const TcPathData* added = entry.get();
    const std::string caption = entry->ListCaption();
    directoryList_->Add(caption, std::move(entry));
    FollowMark(*tabSelect->cbxKitDirectoryList, *directoryList_,
               IndexOfEntry(*directoryList_, added));
    RefreshListActions();
    RefreshSaveDirState();
  } catch (...) {
    // Nothing is added.
    LogHandlerFailure(lcWindow, "actAddDirectoryExecute");
  }
}

void TfrmMain::actRenameEntryExecute() {
  try {
    TkitCheckListBox& list = *tabSelect->cbxKitDirectoryList;
    const int index = list.ItemIndex();
    if (list.ItemCount() == 0 || index < 0) {
      return;
    }
    const TcPathData* asked = directoryList_->Entry(index);
    if (asked == nullptr) {
      return;
    }
    const QString current = QString::fromStdString(asked->DisplayName());
    const QString answer = TrimBlanksAndControls(Dialogs::InputBox(
        this, MessageText(csRenameEntryDlgTitle), MessageText(csRenameEntryDlgLabel), current));
    if (answer.isEmpty() || answer == current) {
      return;
    }
    // The input box runs its own event loop; whatever happened to the list
    // meanwhile, only the entry that was asked about is renamed.
    if (index >= list.ItemCount() || directoryList_->Entry(index) != asked) {
      return;
    }
    TcPathData& entry = *directoryList_->Entry(index);
    entry.SetDisplayName(answer.toStdString());
    // Where it stands: the list is sorted again on the next start.
    list.SetItemText(index, QString::fromStdString(entry.ListCaption()));
    FollowMark(list, *directoryList_, index);
    RefreshSaveDirState();
  } catch (...) {
    // The entry keeps the name it has.
    LogHandlerFailure(lcWindow, "actRenameEntryExecute");
  }
}

void TfrmMain::actDeleteEntryExecute() {
  try {
    const int index = tabSelect->cbxKitDirectoryList->ItemIndex();
    if (index < 0) {
      return;
    }
    directoryList_->Delete(index);
    RefreshListActions();
    RefreshSaveDirState();
  } catch (...) {
    // The list stays as far as it got.
    LogHandlerFailure(lcWindow, "actDeleteEntryExecute");
  }
}

// Emptying and resetting the list are edits like any other: the stored
// list changes when the user saves them, and ending the program asks.
void TfrmMain::actDeleteAllExecute() {
  try {
    if (!Dialogs::ConfirmWarning(this, MessageText(csDeleteAllEntriesDlg))) {
      return;
    }
    directoryList_->ReleaseAll();
    RefreshListActions();
    RefreshSaveDirState();
  } catch (...) {
    // The list stays as far as it got.
    LogHandlerFailure(lcWindow, "actDeleteAllExecute");
  }
}

void TfrmMain::actSetToDefaultEntriesExecute() {
  try {
    if (!Dialogs::ConfirmWarning(this, MessageText(csSetToDefaultEntriesDlg))) {
      return;
    }
    directoryList_->ReleaseAll();
    AddDefaultEntries();
    RefreshListActions();
    RefreshSaveDirState();
  } catch (...) {
    // The list stays as far as it got.
    LogHandlerFailure(lcWindow, "actSetToDefaultEntriesExecute");
  }
}

void TfrmMain::cbxKitDirectoryListCheck(int index, bool checked) {
  try {
    const TkitCheckListBox& list = *tabSelect->cbxKitDirectoryList;
    // The entries take the new mark before the list shows it, so the
    // comparison with the stored list already sees it.
    SetStateOfText(list, *directoryList_, list.ItemText(index), checked);
    RefreshSaveDirState();
  } catch (...) {
    // The mark changes all the same; the handler never refuses it.
    LogHandlerFailure(lcWindow, "cbxKitDirectoryListCheck");
  }
}

void TfrmMain::cbxKitDirectoryListContextPopup(QPoint mousePos) {
  try {
    // Rename and delete in the menu act on the item that was clicked.
    TkitCheckListBox& list = *tabSelect->cbxKitDirectoryList;
    list.SetItemIndex(list.ItemAtPos(mousePos));
  } catch (...) {
    // The menu opens anyway.
    LogHandlerFailure(lcWindow, "cbxKitDirectoryListContextPopup");
  }
}

void TfrmMain::btnApplyDirClick() {
  try {
    SaveListReporting();
  } catch (...) {
    // The stored list stays as it was; Save stays on.
    LogHandlerFailure(lcWindow, "btnApplyDirClick");
  }
}

bool TfrmMain::SaveListReporting() {
  if (!settings_ || !ReportStore(settings_->SaveDirectoryList(),
                                 tr("Die Verzeichnisliste konnte nicht gespeichert werden"))) {
    return false;
  }
  listStored_ = directoryList_->StoredContent();
  RefreshSaveDirState();
  return true;
}

bool TfrmMain::ListChanged() const {
  return directoryList_->StoredContent() != listStored_;
}

// Showing the page again keeps the indication: the changes are still to be
// saved.
void TfrmMain::tabSelectShow() {
  RefreshSaveDirState();
}

void TfrmMain::P_ChangeSaveDirState(bool enabled) {
  if (Built()) {
    tabSelect->btnApplyDir->setEnabled(enabled);
  }
}

void TfrmMain::RefreshSaveDirState() {
  P_ChangeSaveDirState(ListChanged());
}

void TfrmMain::RefreshListActions() {
  const bool any = directoryList_->Count() > 0;
  actDeleteEntry->setEnabled(any);
  actDeleteAll->setEnabled(any);
  actRenameEntry->setEnabled(any);
}

} // namespace fegolin
