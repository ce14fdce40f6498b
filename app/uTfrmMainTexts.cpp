// The main window's texts in the language in force: set once when the
// window is made and again whenever the language changes.

#include "app/uTfrmMain.h"

#include "app/pages/uAboutPage.h"
#include "app/pages/uHelpPage.h"
#include "app/pages/uOptionsPage.h"
#include "app/pages/uSelectPage.h"
#include "app/pages/uStatusPage.h"
#include "kit/kitfolder.h"
#include "kit/kitfolderbrowser.h"

#include <QEvent>
#include <QPushButton>
#include <QTabWidget>

namespace fegolin {

void TfrmMain::RetranslateUi() {
  RetranslateActions();
  RetranslateMenus();
  RetranslateWindow();
  ShowOutcomeText();
  MarkRefusedEntries();
}

void TfrmMain::RetranslateWindow() {
  if (!Built()) {
    return;
  }
  for (const auto& [page, caption] :
       {std::pair<QWidget*, QString>{tabStatus, tr("Status")},
        std::pair<QWidget*, QString>{tabSelect, tr("Verzeichnis Wählen")},
        std::pair<QWidget*, QString>{tabOptions, tr("Optionen")},
        std::pair<QWidget*, QString>{tabAbout, tr("Info")},
        std::pair<QWidget*, QString>{tabHelp, tr("Hilfe")}}) {
    pgeMain->setTabText(pgeMain->indexOf(page), caption);
  }
  btnClean->setText(tr("&Jetzt Löschen"));
  btnHide->setText(tr("&In den Hintergrund"));
  btnHide->setToolTip(tr("Das Programm in den Hintergrund (Symbolleiste) verkleinern"));
  btnCancel->setText(tr("&Ende"));
  RetranslateFolderDialog();
}

void TfrmMain::RetranslateFolderDialog() {
  // One caption for every system language: the program's own.
  dlgFolder->SetLabelCaptions({QStringLiteral("Default=") + tr("Ausgewählter Ordner:")});
  dlgFolder->SetNewFolderCaptions({QStringLiteral("Default=") + tr("Neuer Ordner")});
  dlgFolder->SetOnInitialized([](TkitFolderDialog&, TkitFolderBrowser& dialog) {
    dialog.OkButton()->setText(tr("OK"));
    dialog.CancelButton()->setText(tr("Abbrechen"));
  });
}

void TfrmMain::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RetranslateUi();
    UpdateTrayHint();
  }
  QWidget::changeEvent(event);
}

} // namespace fegolin
