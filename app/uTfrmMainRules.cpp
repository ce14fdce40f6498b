// The cleaning rules on the main window: the dialog of the minimum age and
// the keep patterns, the preview of what a run would do now, and the grey
// look and hint of list entries whose folder a run refuses.

#include "app/uTfrmMain.h"

#include "app/pages/uOptionsPage.h"
#include "app/pages/uSelectPage.h"
#include "app/uCleanTexts.h"
#include "app/uDialogs.h"
#include "app/uDirectoryList.h"
#include "app/ufrmAdvanced.h"
#include "app/ufrmPreview.h"
#include "app/uLog.h"
#include "kit/kitlist.h"
#include "settings/uCleanSettings.h"
#include "settings/uTcPathData.h"

#include <QAction>
#include <QPushButton>

#include <vector>

namespace fegolin {
namespace {

// The ticked folders as a run takes them, in list order, each previewed
// with the stored rules read once for all of them.
std::vector<TcFolderPreview> PreviewTickedFolders(const TcDirectoryListView& list) {
  std::vector<TcFolderPreview> previews;
  const CleanRules rules = ReadCleanRules().Rules();
  for (int i = 0; i < list.Count(); ++i) {
    if (!list.IsChecked(i)) {
      continue;
    }
    const TcPathData* entry = list.Entry(i);
    if (entry == nullptr) {
      // A run ends at an item without its entry; so does its preview.
      break;
    }
    const QString caption = QString::fromStdString(entry->DisplayName()) + QStringLiteral(" (") +
                            QString::fromStdString(entry->Directory()) + QLatin1Char(')');
    previews.push_back(PreviewFolder(caption, entry->Directory(), rules));
  }
  return previews;
}

} // namespace

void TfrmMain::ConnectCleanRules() {
  connect(actPreview, &QAction::triggered, this, &TfrmMain::actPreviewExecute);
  // Its key works wherever the window has the focus.
  addAction(actPreview);
}

void TfrmMain::ConnectRulesControls() {
  connect(tabOptions->btnAdvanced, &QPushButton::clicked, this, &TfrmMain::btnAdvancedClick);
  // New entries are judged as they arrive, however they come (loading, the
  // folder dialog, the defaults); the page looks again each time it shows,
  // since folders come and go meanwhile.
  connect(tabSelect->cbxKitDirectoryList->model(), &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int last) {
            for (int i = first; i <= last; ++i) {
              MarkRefusedEntry(i);
            }
          });
  connect(tabSelect, &TcSelectPage::Shown, this, &TfrmMain::MarkRefusedEntries);
}

void TfrmMain::actPreviewExecute() {
  try {
    if (previewForm_ == nullptr) {
      previewForm_ =
          new TfrmPreview([this] { return PreviewTickedFolders(*directoryList_); }, this);
    }
    previewForm_->Refresh();
    previewForm_->show();
    previewForm_->raise();
    previewForm_->activateWindow();
  } catch (...) {
    // Nothing is shown; nothing was touched either.
    LogHandlerFailure(lcWindow, "actPreviewExecute");
  }
}

void TfrmMain::btnAdvancedClick() {
  try {
    TfrmAdvanced dialog(this);
    // OK stores the rules itself; the next run and preview read them.
    Dialogs::Execute(dialog);
  } catch (...) {
    // The stored rules stay as they were.
    LogHandlerFailure(lcWindow, "btnAdvancedClick");
  }
}

void TfrmMain::MarkRefusedEntries() {
  if (!Built()) {
    return;
  }
  const int count = tabSelect->cbxKitDirectoryList->ItemCount();
  for (int i = 0; i < count; ++i) {
    MarkRefusedEntry(i);
  }
}

void TfrmMain::MarkRefusedEntry(int index) {
  try {
    TkitCheckListBox& list = *tabSelect->cbxKitDirectoryList;
    const auto* entry = list.ItemObjectAs<TcPathData>(index);
    const QString hint = entry != nullptr ? RefusedHint(entry->Directory()) : QString();
    list.SetItemHint(index, hint);
    list.SetGrayedAt(index, !hint.isEmpty());
  } catch (...) {
    // The entry keeps the look it had.
    LogHandlerFailure(lcWindow, "MarkRefusedEntry");
  }
}

} // namespace fegolin
