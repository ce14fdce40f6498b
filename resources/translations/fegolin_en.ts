<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="de_DE">
<context>
    <name>TcCleanTexts</name>
    <message>
        <source>wird entfernt</source>
        <translation>to be removed</translation>
    </message>
    <message>
        <source>Schutzmuster</source>
        <translation>keep pattern</translation>
    </message>
    <message>
        <source>anderes Dateisystem</source>
        <translation>other file system</translation>
    </message>
    <message>
        <source>in Gebrauch</source>
        <translation>in use</translation>
    </message>
    <message>
        <source>jünger als das Mindestalter</source>
        <translation>younger than the minimum age</translation>
    </message>
    <message>
        <source>enthält Bleibendes</source>
        <translation>holds entries that stay</translation>
    </message>
    <message>
        <source>keine Berechtigung</source>
        <translation>no permission</translation>
    </message>
    <message>
        <source>Fehler</source>
        <translation>error</translation>
    </message>
    <message>
        <source>kein absoluter Pfad</source>
        <translation>not an absolute path</translation>
    </message>
    <message>
        <source>das Wurzelverzeichnis</source>
        <translation>the root folder</translation>
    </message>
    <message>
        <source>das Benutzerverzeichnis oder ein Verzeichnis darüber</source>
        <translation>the home folder or a folder above it</translation>
    </message>
    <message>
        <source>gehört einem anderen Benutzer</source>
        <translation>belongs to another user</translation>
    </message>
    <message>
        <source>erreicht über eine Verknüpfung eines anderen Benutzers</source>
        <translation>reached through a link of another user</translation>
    </message>
    <message>
        <source>erreicht über ein Verzeichnis, das ein anderer Benutzer ändern kann</source>
        <translation>reached through a folder another user can change</translation>
    </message>
    <message>
        <source>kein Verzeichnis</source>
        <translation>not a folder</translation>
    </message>
    <message>
        <source>existiert nicht</source>
        <translation>does not exist</translation>
    </message>
    <message>
        <source>kann nicht geöffnet werden</source>
        <translation>cannot be opened</translation>
    </message>
    <message>
        <source>Wird nicht gereinigt: </source>
        <translation>Not cleaned: </translation>
    </message>
    <message>
        <source>%1%5entfernt, %2%5behalten, %3%5fehlgeschlagen, %4%5frei%5geworden</source>
        <translation>%1%5removed, %2%5kept, %3%5failed, %4%5freed</translation>
    </message>
</context>
<context>
    <name>TcDialogTexts</name>
    <message>
        <source>&amp;Ja</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>&amp;Nein</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>&amp;Abbrechen</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Warnung</source>
        <translation>Warning</translation>
    </message>
</context>
<context>
    <name>fegolin::TcAboutPage</name>
    <message>
        <source>Ein Programm von Norvalt</source>
        <translation>A program by Norvalt</translation>
    </message>
    <message>
        <source>Geschrieben vom Fegolin-Team bei Norvalt</source>
        <translation>Written by the Fegolin team at Norvalt</translation>
    </message>
    <message>
        <source>Produktversion:</source>
        <translation>Product Version:</translation>
    </message>
    <message>
        <source>Dateiversion:</source>
        <translation>File Version:</translation>
    </message>
    <message>
        <source>Beschreibung:</source>
        <translation>File Description:</translation>
    </message>
    <message>
        <source>Kommentar:</source>
        <translation>Comments:</translation>
    </message>
    <message>
        <source>Dank an alle, die Fegolin möglich gemacht haben:
  Qt - die Fenster, Knöpfe und Listen
  SQLite - die Ablage der Einstellungen
  libjpeg - diese Software beruht teilweise auf
    der Arbeit der Independent JPEG Group
  GoogleTest - die Prüfungen hinter jedem Knopf
und an alle, die Fehler gemeldet und Ideen
geschickt haben.</source>
        <translation>Thanks to everyone who made Fegolin possible:
  Qt - the windows, buttons and lists
  SQLite - where the settings are kept
  libjpeg - this software is based in part on
    the work of the Independent JPEG Group
  GoogleTest - the checks behind every button
and to everyone who reported bugs and sent
ideas.</translation>
    </message>
</context>
<context>
    <name>fegolin::TcHelpPage</name>
    <message>
        <source>Verwendungshinweis</source>
        <translation>Usage Notice</translation>
    </message>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>VERWENDUNGSHINWEIS
==================

Fegolin löscht Dateien endgültig. Gelöschte Dateien
landen nicht im Papierkorb und lassen sich mit
Fegolin nicht wiederherstellen.

Die Benutzung geschieht auf eigene Gefahr. Norvalt
übernimmt keine Haftung für verlorene Daten oder
andere Schäden, die durch den Gebrauch oder den
falschen Gebrauch von Fegolin entstehen.

Prüfen Sie vor dem ersten Lauf jedes Verzeichnis,
das Sie in die Liste aufnehmen und ankreuzen:
alles, was darin liegt, wird gelöscht.

Fegolin darf frei verwendet und weitergegeben
werden, solange es unverändert bleibt.
</source>
        <translation>USAGE NOTICE
============

Fegolin deletes files for good. Deleted files do
not go to the wastebasket, and Fegolin cannot
bring them back.

You use it at your own risk. Norvalt accepts no
liability for lost data or other damage caused
by the use or misuse of Fegolin.

Before the first run, check every folder you add
to the list and tick: everything in it will be
deleted.

Fegolin may be used and passed on freely as long
as it stays unchanged.
</translation>
    </message>
    <message>
        <source>FEGOLIN - HILFE
===============

Wozu dient Fegolin?
-------------------
Fegolin hält Verzeichnisse für temporäre Dateien
sauber. Sie führen eine Liste von Verzeichnissen
und kreuzen diejenigen an, die gereinigt werden
sollen. Im eingestellten Abstand (1 bis 99
Sekunden, Minuten oder Stunden, ab Werk alle 5
Stunden) oder sofort mit &quot;Jetzt Löschen&quot; wird der
Inhalt jedes angekreuzten Verzeichnisses gelöscht.
Die Verzeichnisse selbst bleiben bestehen.
Fegolin wartet dazu als Symbol in der Symbolleiste.

ACHTUNG
-------
Ändern Sie die Vorgabe-Einträge auf der Seite
&quot;Verzeichnis Wählen&quot; nur, wenn Sie genau wissen,
was Sie tun. Ein falsches Verzeichnis in der Liste
kann das Betriebssystem beschädigen.

Alles, was in einem angekreuzten Verzeichnis liegt,
wird gelöscht: Dateien, schreibgeschützte und
versteckte Dateien eingeschlossen, und alle
Unterverzeichnisse mit ihrem Inhalt.

Fragen und Antworten
--------------------
F: Fegolin löscht nichts. Was ist falsch?
A: Prüfen Sie auf der Seite &quot;Verzeichnis Wählen&quot;,
   ob die Einträge ein Häkchen tragen. Einträge
   ohne Häkchen werden nicht gereinigt, und die
   Vorgabe-Einträge stehen zu Beginn ohne Häkchen
   in der Liste.

Getestet unter
--------------
Debian GNU/Linux 12 mit Qt 6.4 (X11 und ohne
Bildschirm).
</source>
        <translation>FEGOLIN - HELP
==============

What is Fegolin for?
--------------------
Fegolin keeps folders for temporary files clean.
You keep a list of folders and tick the ones to
be cleaned. At the set interval (1 to 99 seconds,
minutes or hours; every 5 hours as shipped) or at
once with &quot;Clean Now&quot;, the contents of every
ticked folder are deleted. The folders themselves
stay. Fegolin waits for this as an icon in the
notification area.

CAUTION
-------
Change the default entries on the &quot;Select Folders&quot;
page only if you know exactly what you are doing.
A wrong folder in the list can damage the
operating system.

Everything in a ticked folder is deleted: files,
read-only and hidden files included, and all
subfolders with their contents.

Questions and answers
---------------------
Q: Fegolin deletes nothing. What is wrong?
A: Check on the &quot;Select Folders&quot; page that the
   entries carry a tick. Entries without a tick
   are not cleaned, and the default entries start
   out in the list without one.

Tested on
---------
Debian GNU/Linux 12 with Qt 6.4 (X11 and without
a screen).
</translation>
    </message>
</context>
<context>
    <name>fegolin::TcOptionsPage</name>
    <message>
        <source>Reinigungs Intervall</source>
        <translation>Cleaning Interval</translation>
    </message>
    <message>
        <source>Alle</source>
        <translation>Every</translation>
    </message>
    <message>
        <source>Intervall wählen</source>
        <translation>Select the interval</translation>
    </message>
    <message>
        <source>Einheit des Intervalls wählen</source>
        <translation>Select the unit of the interval</translation>
    </message>
    <message>
        <source>Sprache</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Deutsch</source>
        <translation>German</translation>
    </message>
    <message>
        <source>Englisch</source>
        <translation>English</translation>
    </message>
    <message>
        <source>Generelle Optionen</source>
        <translation>General Options</translation>
    </message>
    <message>
        <source>Starten von Fegolin beim Windowsstart</source>
        <translation>Start Fegolin when the session starts</translation>
    </message>
    <message>
        <source>Fenstergrösse speichern</source>
        <translation>Save window size</translation>
    </message>
    <message>
        <source>Splash-Screen beim Starten anzeigen</source>
        <translation>Show splash screen at start</translation>
    </message>
    <message>
        <source>Tipps beim Starten anzeigen</source>
        <translation>Show tips at start</translation>
    </message>
    <message>
        <source>E&amp;rweitert…</source>
        <translation>Adva&amp;nced…</translation>
    </message>
    <message>
        <source>Mindestalter und Muster, die immer bleiben</source>
        <translation>Minimum age and patterns that always stay</translation>
    </message>
</context>
<context>
    <name>fegolin::TcSelectPage</name>
    <message>
        <source>Reinige folgende Verzeichnisse</source>
        <translation>Clean the following folders</translation>
    </message>
    <message>
        <source>Alle Verzeichnisse aus Liste entfernen</source>
        <translation>Remove all folders from the list</translation>
    </message>
    <message>
        <source>&amp;Speichern</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Änderungen speichern</source>
        <translation>Save changes</translation>
    </message>
</context>
<context>
    <name>fegolin::TcStatusPage</name>
    <message>
        <source>Letzter Lauf: </source>
        <translation>Last run: </translation>
    </message>
    <message>
        <source>Nächster Lauf: </source>
        <translation>Next run: </translation>
    </message>
    <message>
        <source>Dauer: </source>
        <translation>Duration: </translation>
    </message>
    <message>
        <source>Zeit: </source>
        <translation>Time: </translation>
    </message>
</context>
<context>
    <name>fegolin::TfrmAdvanced</name>
    <message>
        <source>Ein Muster darf kein „;“ enthalten: „%1“</source>
        <translation>A pattern must not contain “;”: “%1”</translation>
    </message>
    <message>
        <source>Muster gelten für Namen, nicht für Pfade: „%1“</source>
        <translation>Patterns apply to names, not to paths: “%1”</translation>
    </message>
    <message>
        <source>Erweiterte Optionen</source>
        <translation>Advanced Options</translation>
    </message>
    <message>
        <source>Mindestalter</source>
        <translation>Minimum Age</translation>
    </message>
    <message>
        <source>&amp;Nur Einträge löschen, die älter sind als</source>
        <translation>&amp;Only delete entries older than</translation>
    </message>
    <message>
        <source>Stunden</source>
        <translation>hours</translation>
    </message>
    <message>
        <source>Tage</source>
        <translation>days</translation>
    </message>
    <message>
        <source>Alt ist ein Eintrag, der so lange weder geändert noch gelesen wurde. Ein Verzeichnis geht erst, wenn es leer geworden und selbst alt ist.</source>
        <translation>An entry is old when it has been neither changed nor read for that long. A folder only goes once it has become empty and is old itself.</translation>
    </message>
    <message>
        <source>Immer behalten</source>
        <translation>Always Keep</translation>
    </message>
    <message>
        <source>Einträge, deren Name zu einem Muster passt, bleiben in jeder Tiefe, mit allem, was sie enthalten. Ein Muster pro Zeile: * steht für beliebig viele Zeichen, ? für eines, [abc] für eines der Zeichen.</source>
        <translation>Entries whose name matches a pattern stay, at any depth, with everything they contain. One pattern a line: * stands for any number of characters, ? for one, [abc] for one of the characters.</translation>
    </message>
    <message>
        <source>&amp;Vorgabe</source>
        <translation>&amp;Defaults</translation>
    </message>
    <message>
        <source>Die vorgegebenen Muster wieder einsetzen</source>
        <translation>Put the default patterns back</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Die Einstellungen konnten nicht gespeichert werden (%1).</source>
        <translation>The settings could not be saved (%1).</translation>
    </message>
</context>
<context>
    <name>fegolin::TfrmMain</name>
    <message>
        <source>Einstellungen werden nicht gespeichert: </source>
        <translation>Settings are not stored: </translation>
    </message>
    <message>
        <source>Die Verzeichnisliste wurde geändert.
Sollen die Änderungen gespeichert werden?</source>
        <translation>The folder list has been changed.
Do you want to save the changes?</translation>
    </message>
    <message>
        <source>&amp;Jetzt Reinigen</source>
        <translation>&amp;Clean Now</translation>
    </message>
    <message>
        <source>Jetzt Reinigen</source>
        <translation>Clean now</translation>
    </message>
    <message>
        <source>&amp;Verzeichnis wählen und es der Liste hinzufügen</source>
        <translation>&amp;Choose a folder and add it to the list</translation>
    </message>
    <message>
        <source>Ein Verzeichnis wählen um es der Liste beizufügen</source>
        <translation>Choose a folder to add to the list</translation>
    </message>
    <message>
        <source>In den &amp;Hintergrund</source>
        <translation>Run in &amp;Background</translation>
    </message>
    <message>
        <source>In Symbolleite verkleinern</source>
        <translation>Minimize to the notification area</translation>
    </message>
    <message>
        <source>B&amp;eenden</source>
        <translation>&amp;Exit</translation>
    </message>
    <message>
        <source>Programm beenden</source>
        <translation>Exit the program</translation>
    </message>
    <message>
        <source>Reinigungsintervall setzen</source>
        <translation>Set the cleaning interval</translation>
    </message>
    <message>
        <source>&amp;Info</source>
        <translation>&amp;Info</translation>
    </message>
    <message>
        <source>&amp;Zeigen Verzeichnisse</source>
        <translation>&amp;Show Folders</translation>
    </message>
    <message>
        <source>Zeige Status</source>
        <translation>Show Status</translation>
    </message>
    <message>
        <source>&amp;Vorgabe</source>
        <translation>&amp;Defaults</translation>
    </message>
    <message>
        <source>Optionen auf Vorgabewerte setzen</source>
        <translation>Reset the options to their defaults</translation>
    </message>
    <message>
        <source>Eintrag umbenennen</source>
        <translation>Rename entry</translation>
    </message>
    <message>
        <source>Eintrag entfernen</source>
        <translation>Remove entry</translation>
    </message>
    <message>
        <source>Alle Einträge entfernen</source>
        <translation>Remove all entries</translation>
    </message>
    <message>
        <source>Alle Verzeichnisse auf Vorgabewerte setzen</source>
        <translation>Reset all folders to the defaults</translation>
    </message>
    <message>
        <source>&amp;Zeige</source>
        <translation>&amp;Show</translation>
    </message>
    <message>
        <source>Speichern</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Änderungen speichern</source>
        <translation>Save changes</translation>
    </message>
    <message>
        <source>&amp;Speichern</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>&amp;Vorschau…</source>
        <translation>&amp;Preview…</translation>
    </message>
    <message>
        <source>Zeigen, was ein Lauf jetzt entfernen und was er behalten würde</source>
        <translation>Show what a run would remove now and what it would keep</translation>
    </message>
    <message>
        <source>Eintrag &amp;umbenennen</source>
        <translation>&amp;Rename Entry</translation>
    </message>
    <message>
        <source>Eintrag &amp;entfernen</source>
        <translation>Remove &amp;Entry</translation>
    </message>
    <message>
        <source>Abbrechen</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Verzeichnis Wählen</source>
        <translation>Select Folders</translation>
    </message>
    <message>
        <source>Optionen</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Hilfe</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>&amp;Jetzt Löschen</source>
        <translation>&amp;Clean Now</translation>
    </message>
    <message>
        <source>&amp;In den Hintergrund</source>
        <translation>Run in &amp;Background</translation>
    </message>
    <message>
        <source>Das Programm in den Hintergrund (Symbolleiste) verkleinern</source>
        <translation>Minimize the program to the background (notification area)</translation>
    </message>
    <message>
        <source>&amp;Ende</source>
        <translation>&amp;Exit</translation>
    </message>
    <message>
        <source>Ausgewählter Ordner:</source>
        <translation>Current folder:</translation>
    </message>
    <message>
        <source>Neuer Ordner</source>
        <translation>New folder</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>läuft ...</source>
        <translation>running ...</translation>
    </message>
    <message>
        <source>Die Optionen konnten nicht gespeichert werden</source>
        <translation>The options could not be saved</translation>
    </message>
    <message>
        <source>Die Vorgabewerte konnten nicht gespeichert werden</source>
        <translation>The defaults could not be saved</translation>
    </message>
    <message>
        <source>Verzeichnis abgelehnt</source>
        <translation>Folder refused</translation>
    </message>
    <message>
        <source>„%1“ kommt nicht in die Liste, denn ein Lauf würde es nie reinigen: %2.</source>
        <translation>“%1” is not added to the list, as a run would never clean it: %2.</translation>
    </message>
    <message>
        <source>Die Verzeichnisliste konnte nicht gespeichert werden</source>
        <translation>The folder list could not be saved</translation>
    </message>
    <message>
        <source>Ergebnis:</source>
        <translation>Outcome:</translation>
    </message>
</context>
<context>
    <name>fegolin::TfrmPreview</name>
    <message>
        <source>1 Eintrag</source>
        <translation>1 entry</translation>
    </message>
    <message>
        <source> Einträge</source>
        <translation> entries</translation>
    </message>
    <message>
        <source>… und %1 weitere</source>
        <translation>… and %1 more</translation>
    </message>
    <message>
        <source>wird nicht gereinigt</source>
        <translation>not cleaned</translation>
    </message>
    <message>
        <source>Wird nicht gereinigt: </source>
        <translation>Not cleaned: </translation>
    </message>
    <message>
        <source>%1 entfernen, %2 bleiben</source>
        <translation>%1 to remove, %2 to stay</translation>
    </message>
    <message>
        <source>Wird entfernt: %1, %2</source>
        <translation>To be removed: %1, %2</translation>
    </message>
    <message>
        <source>Verzeichnis</source>
        <translation>folder</translation>
    </message>
    <message>
        <source>Bleibt: %1</source>
        <translation>Stays: %1</translation>
    </message>
    <message>
        <source>Das Verzeichnis ließ sich nicht ganz lesen</source>
        <translation>The folder could not be read completely</translation>
    </message>
    <message>
        <source>Kein Verzeichnis ist angehakt: ein Lauf täte nichts.</source>
        <translation>No folder is ticked: a run would do nothing.</translation>
    </message>
    <message>
        <source>Ein Lauf würde jetzt %1 entfernen (%2) und %3 behalten</source>
        <translation>A run would now remove %1 (%2) and keep %3</translation>
    </message>
    <message>
        <source>; 1 Verzeichnis wird nicht gereinigt</source>
        <translation>; 1 folder is not cleaned</translation>
    </message>
    <message>
        <source>; %1 Verzeichnisse werden nicht gereinigt</source>
        <translation>; %1 folders are not cleaned</translation>
    </message>
    <message>
        <source>. Stand: </source>
        <translation>. As of </translation>
    </message>
    <message>
        <source>Vorschau</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Eintrag</source>
        <translation>Entry</translation>
    </message>
    <message>
        <source>Größe / Grund</source>
        <translation>Size / Reason</translation>
    </message>
    <message>
        <source>&amp;Aktualisieren</source>
        <translation>&amp;Refresh</translation>
    </message>
    <message>
        <source>&amp;Schließen</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>fegolin::TfrmTipps</name>
    <message>
        <source>Tipps</source>
        <translation>Tips</translation>
    </message>
    <message>
        <source>Willkommen</source>
        <translation>Welcome</translation>
    </message>
    <message>
        <source>Willkommen bei Fegolin</source>
        <translation>Welcome to Fegolin</translation>
    </message>
    <message>
        <source>Warten Sie bitte während #AppTitle# geladen wird ...</source>
        <translation>Please wait while #AppTitle# loads ...</translation>
    </message>
    <message>
        <source>&amp;Dieses Tippfenster beim nächsten Programmstart von #AppTitle# anzeigen</source>
        <translation>&amp;Show this Welcome Screen the next time you start #AppTitle#</translation>
    </message>
    <message>
        <source>Wussten Sie, dass...</source>
        <translation>Did you know...</translation>
    </message>
    <message>
        <source>Nächster &amp;Tipp</source>
        <translation>Next &amp;Tip</translation>
    </message>
    <message>
        <source>&amp;Hilfethemen</source>
        <translation>&amp;Help Contents</translation>
    </message>
    <message>
        <source>&amp;Neuigkeiten</source>
        <translation>What&apos;s &amp;New</translation>
    </message>
    <message>
        <source>Schließen</source>
        <translation>Close</translation>
    </message>
</context>
</TS>
