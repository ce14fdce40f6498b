// The main window's action list, its two popup menus and its timers.

#include "app/uTfrmMain.h"

#include "app/uActionLink.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>

namespace fegolin {
namespace {

constexpr int kNoImage = -1;

} // namespace

void TfrmMain::CreateActions() {
  const auto make = [this](const ActionDef& def) { return CreateAction(this, def, lstImage); };
  actCleanDirectories = make({"actCleanDirectories", "Actions", QStringLiteral("&Jetzt Reinigen"),
                              QStringLiteral("Jetzt Reinigen"), kNoImage, true});
  actAddDirectory = make({"actAddDirectory", "Actions",
                          QStringLiteral("&Verzeichnis wählen und es der Liste hinzufügen"),
                          QStringLiteral("Ein Verzeichnis wählen um es der Liste beizufügen"), 0, true});
  actHide = make({"actHide", "Actions", QStringLiteral("&Run Background"),
                  QStringLiteral("In Symbolleite verkleinern"), kNoImage, true});
  actExit = make({"actExit", "Menu", QStringLiteral("&Exit"), QStringLiteral("Programm beenden"),
                  kNoImage, true});
  actInterval = make({"actInterval", "Menu", QStringLiteral("Reinigungsintervall setzen"),
                      QStringLiteral("Reinigungsintervall setzen"), kNoImage, true});
  actAbout = make({"actAbout", "Menu", QStringLiteral("&Info"), {}, kNoImage, true});
  actSelect = make({"actSelect", "Menu", QStringLiteral("&Zeigen Verzeichnisse"), {}, kNoImage, true});
  actStatus = make({"actStatus", "Menu", QStringLiteral("Zeige Status"), {}, kNoImage, true});
  actSetDefaults = make({"actSetDefaults", "Actions", QStringLiteral("&Vorgabe"),
                         QStringLiteral("Optionen auf Vorgabewerte setzen"), kNoImage, true});
  actRenameEntry = make({"actRenameEntry", "Actions", {}, QStringLiteral("Eintrag umbenennen"), 4, false});
  actDeleteEntry = make({"actDeleteEntry", "Actions", {}, QStringLiteral("Eintrag entfernen"), 2, false});
  actDeleteAll = make({"actDeleteAll", "Actions", {}, QStringLiteral("Alle Einträge entfernen"), 3, true});
  actSetToDefaultEntries = make({"actSetToDefaultEntries", "Actions", {},
                                 QStringLiteral("Alle Verzeichnisse auf Vorgabewerte setzen"), 5, true});
  actShow = make({"actShow", "Menu", QStringLiteral("&Zeige"), {}, kNoImage, true});
  actApply = make({"actApply", "Actions", QStringLiteral("Speichern"),
                   QStringLiteral("Änderungen speichern"), kNoImage, false});
  actApplyDir = make({"actApplyDir", "Actions", QStringLiteral("&Speichern"),
                      QStringLiteral("Änderungen speichern"), kNoImage, false});
  actPreview = make({"actPreview", "Actions", QStringLiteral("&Vorschau…"),
                     QStringLiteral("Zeigen, was ein Lauf jetzt entfernen und was er behalten würde"),
                     kNoImage, true});
  actPreview->setShortcut(QKeySequence(Qt::Key_F5));
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
  AddMenuItem(mnuPopUp, "ShowStatus1", actRenameEntry, QStringLiteral("Eintrag &umbenennen"));
  mnuPopUp->addSeparator();
  AddMenuItem(mnuPopUp, "SelectDirectory1", actDeleteEntry, QStringLiteral("Eintrag &entfernen"));
  mnuPopUp->addSeparator();
  AddMenuItem(mnuPopUp, "Preview2", actPreview);
  mnuPopUp->addSeparator();
  // Choosing "Cancel" only closes the menu.
  mnuPopUp->addAction(QStringLiteral("Cancel"))->setObjectName(QStringLiteral("Cancel1"));
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
