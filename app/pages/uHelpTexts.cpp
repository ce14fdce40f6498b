#include "app/pages/uHelpTexts.h"

#include "app/pages/uHelpPage.h"

namespace fegolin {

QString UsageNoticeText() {
  return TcHelpPage::tr(
      "VERWENDUNGSHINWEIS\n"
      "==================\n"
      "\n"
      "Fegolin löscht Dateien endgültig. Gelöschte Dateien\n"
      "landen nicht im Papierkorb und lassen sich mit\n"
      "Fegolin nicht wiederherstellen.\n"
      "\n"
      "Die Benutzung geschieht auf eigene Gefahr. Norvalt\n"
      "übernimmt keine Haftung für verlorene Daten oder\n"
      "andere Schäden, die durch den Gebrauch oder den\n"
      "falschen Gebrauch von Fegolin entstehen.\n"
      "\n"
      "Prüfen Sie vor dem ersten Lauf jedes Verzeichnis,\n"
      "das Sie in die Liste aufnehmen und ankreuzen:\n"
      "alles, was darin liegt, wird gelöscht.\n"
      "\n"
      "Fegolin darf frei verwendet und weitergegeben\n"
      "werden, solange es unverändert bleibt.\n");
}

QString HelpText() {
  return TcHelpPage::tr(
      "FEGOLIN - HILFE\n"
      "===============\n"
      "\n"
      "Wozu dient Fegolin?\n"
      "-------------------\n"
      "Fegolin hält Verzeichnisse für temporäre Dateien\n"
      "sauber. Sie führen eine Liste von Verzeichnissen\n"
      "und kreuzen diejenigen an, die gereinigt werden\n"
      "sollen. Im eingestellten Abstand (1 bis 99\n"
      "Sekunden, Minuten oder Stunden, ab Werk alle 5\n"
      "Stunden) oder sofort mit \"Jetzt Löschen\" wird der\n"
      "Inhalt jedes angekreuzten Verzeichnisses gelöscht.\n"
      "Die Verzeichnisse selbst bleiben bestehen.\n"
      "Fegolin wartet dazu als Symbol in der Symbolleiste.\n"
      "\n"
      "ACHTUNG\n"
      "-------\n"
      "Ändern Sie die Vorgabe-Einträge auf der Seite\n"
      "\"Verzeichnis Wählen\" nur, wenn Sie genau wissen,\n"
      "was Sie tun. Ein falsches Verzeichnis in der Liste\n"
      "kann das Betriebssystem beschädigen.\n"
      "\n"
      "Alles, was in einem angekreuzten Verzeichnis liegt,\n"
      "wird gelöscht: Dateien, schreibgeschützte und\n"
      "versteckte Dateien eingeschlossen, und alle\n"
      "Unterverzeichnisse mit ihrem Inhalt.\n"
      "\n"
      "Fragen und Antworten\n"
      "--------------------\n"
      "F: Fegolin löscht nichts. Was ist falsch?\n"
      "A: Prüfen Sie auf der Seite \"Verzeichnis Wählen\",\n"
      "   ob die Einträge ein Häkchen tragen. Einträge\n"
      "   ohne Häkchen werden nicht gereinigt, und die\n"
      "   Vorgabe-Einträge stehen zu Beginn ohne Häkchen\n"
      "   in der Liste.\n"
      "\n"
      "Getestet unter\n"
      "--------------\n"
      "Debian GNU/Linux 12 mit Qt 6.4 (X11 und ohne\n"
      "Bildschirm).\n");
}

} // namespace fegolin
