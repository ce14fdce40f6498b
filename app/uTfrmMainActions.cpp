// The main window's action list, its two popup menus and its timers.

#include "app/uTfrmMain.h"

#include "app/uActionLink.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>

#include <utility>

namespace fegolin {
namespace {

constexpr int kNoImage = -1;

} // namespace

void TfrmMain::CreateActions() {
  const auto make = [this](const ActionDef& def) { return CreateAction(this, def, lstImage); };
  actCleanDirectories = make({"actCleanDirectories", "Actions", kNoImage, true});
  actAddDirectory = make({"actAddDirectory", "Actions", 0, true});
  actHide = make({"actHide", "Actions", kNoImage, true});
  actExit = make({"actExit", "Menu", kNoImage, true});
  actInterval = make({"actInterval", "Menu", kNoImage, true});
  actAbout = make({"actAbout", "Menu", kNoImage, true});
  actSelect = make({"actSelect", "Menu", kNoImage, true});
  actStatus = make({"actStatus", "Menu", kNoImage, true});
  actSetDefaults = make({"actSetDefaults", "Actions", kNoImage, true});
  actRenameEntry = make({"actRenameEntry", "Actions", 4, false});
  actDeleteEntry = make({"actDeleteEntry", "Actions", 2, false});
  actDeleteAll = make({"actDeleteAll", "Actions", 3, true});
  actSetToDefaultEntries = make({"actSetToDefaultEntries", "Actions", 5, true});
  actShow = make({"actShow", "Menu", kNoImage, true});
  actApply = make({"actApply", "Actions", kNoImage, false});
  actApplyDir = make({"actApplyDir", "Actions", kNoImage, false});
  actPreview = make({"actPreview", "Actions", kNoImage, true});
  actPreview->setShortcut(QKeySequence(Qt::Key_F5));
}

void TfrmMain::RetranslateActions() {
  struct Texts {
    QAction* action;
    QString caption;
    QString hint;
  };
  for (const Texts& texts : {
           Texts{actCleanDirectories, tr("&Jetzt Reinigen"), tr("Jetzt Reinigen")},
           Texts{actAddDirectory, tr("&Verzeichnis wählen und es der Liste hinzufügen"),
                 tr("Ein Verzeichnis wählen um es der Liste beizufügen")},
           Texts{actHide, tr("In den &Hintergrund"), tr("In Symbolleite verkleinern")},
           Texts{actExit, tr("B&eenden"), tr("Programm beenden")},
           Texts{actInterval, tr("Reinigungsintervall setzen"), tr("Reinigungsintervall setzen")},
           Texts{actAbout, tr("&Info"), {}},
           Texts{actSelect, tr("&Zeigen Verzeichnisse"), {}},
           Texts{actStatus, tr("Zeige Status"), {}},
           Texts{actSetDefaults, tr("&Vorgabe"), tr("Optionen auf Vorgabewerte setzen")},
           Texts{actRenameEntry, {}, tr("Eintrag umbenennen")},
           Texts{actDeleteEntry, {}, tr("Eintrag entfernen")},
           Texts{actDeleteAll, {}, tr("Alle Einträge entfernen")},
           Texts{actSetToDefaultEntries, {}, tr("Alle Verzeichnisse auf Vorgabewerte setzen")},
           Texts{actShow, tr("&Zeige"), {}},
           Texts{actApply, tr("Speichern"), tr("Änderungen speichern")},
           Texts{actApplyDir, tr("&Speichern"), tr("Änderungen speichern")},
           Texts{actPreview, tr("&Vorschau…"),
                 tr("Zeigen, was ein Lauf jetzt entfernen und was er behalten würde")},
       }) {
    SetActionTexts(texts.action, texts.caption, texts.hint);
  }
}

void TfrmMain::CreateMenus() {
  mnuPopupMain = new QMenu(this);
  mnuPopupMain->setObjectName(QStringLiteral("mnuPopupMain"));
  AddMenuItem(mnuPopupMain, "Show1", actSelect);
  AddMenuItem(mnuPopupMain, "About1", actAbout);
  AddMenuItem(mnuPopupMain, "Preview1", actPreview);
  mnuPopupMain->addSeparator();
  AddMenuItem(mnuPopupMain, "Exit1", actExit);

  // Rename and delete carry no caption of their own (the tool buttons show
  // only their images), so the menu names them.
  mnuPopUp = new QMenu(this);
  mnuPopUp->setObjectName(QStringLiteral("mnuPopUp"));
  // Their captions come with the language (RetranslateMenus).
  AddMenuItem(mnuPopUp, "ShowStatus1", actRenameEntry, QStringLiteral(" "));
  mnuPopUp->addSeparator();
  AddMenuItem(mnuPopUp, "SelectDirectory1", actDeleteEntry, QStringLiteral(" "));
  mnuPopUp->addSeparator();
  AddMenuItem(mnuPopUp, "Preview2", actPreview);
  mnuPopUp->addSeparator();
  // Choosing "Cancel" only closes the menu.
  mnuPopUp->addAction(QString())->setObjectName(QStringLiteral("Cancel1"));
}

void TfrmMain::RetranslateMenus() {
  for (const auto& [name, caption] : {std::pair{"ShowStatus1", tr("Eintrag &umbenennen")},
                                      std::pair{"SelectDirectory1", tr("Eintrag &entfernen")},
                                      std::pair{"Cancel1", tr("Abbrechen")}}) {
    if (auto* item = mnuPopUp->findChild<QAction*>(QLatin1String(name))) {
      item->setText(caption);
    }
  }
}

void TfrmMain::CreateTimers() {
  // Both run from the start with one second; FormCreate gives the clean
  // timer its real interval.
  timCleanTimer = new QTimer(this);
  timCleanTimer->setObjectName(QStringLiteral("timCleanTimer"));
  timCleanTimer->setInterval(1000);
  timCleanTimer->start();
  timAktual = new QTimer(this);
  timAktual->setObjectName(QStringLiteral("timAktual"));
  timAktual->setInterval(1000);
  timAktual->start();
}

} // namespace fegolin
