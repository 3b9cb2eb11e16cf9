#include "standalone/command_help.h"

#include <map>

namespace norvik::standalone {

const char* ProgramHelp() {
    return "Aufruf: norvik-export [--home DIR] [--user NAME] [-q] BEFEHL …\n"
           "Befehle:\n"
           "  demo [--force]                    Demo-Verzeichnis anlegen; --force ersetzt "
           "Demo-Daten\n"
           "  list [--gdpdu]                    Exportdefinitionen (oder GDPdU-Profile) "
           "auflisten\n"
           "  show FILE                         eine Exportdefinition oder ein GDPdU-Profil "
           "anzeigen\n"
           "  save FILE OUT [--author NAME]     eine Definition laden und nach OUT schreiben\n"
           "  new OUT [--force]                 eine kommentierte Vorlage nach OUT schreiben\n"
           "  run FILE [--where COND] [--out PATH|-] [--append|--no-append]\n"
           "           [--protocol|--no-protocol] [--sel CAPTION=WERT]… [--no-remember]\n"
           "           [--if-empty keep|write|fail]\n"
           "                                    eine Exportdefinition ausführen\n"
           "  gdpdu FILE --from DATUM --to DATUM [--out DIR] [--table NAME…|--all-tables]\n"
           "           [--zip] [--no-remember] [--yes]\n"
           "                                    einen GDPdU-Datenträger erstellen\n"
           "  check DIR|ZIP [--json]            einen GDPdU-Datenträger (Ordner oder ZIP-Datei)\n"
           "                                    prüfen, wie ein Import ihn liest\n"
           "  params FILE [--set KEY=VALUE]…    Parameterwerte einer Definition zeigen oder "
           "ändern\n"
           "  protocol [--last N]               die letzten Protokolleinträge mit ihren Zeilen\n"
           "  settings get|set SECTION KEY [VALUE] [--owner NAME]\n"
           "                                    Host-Einstellungen lesen oder schreiben\n"
#ifdef NORVIK_WITH_GUI
           "  gui [export|gdpdu]                den Export- oder GDPdU-Dialog öffnen\n"
#endif
           "\n"
           "  -q, --quiet                       bei Erfolg nichts ausgeben (für cron); Fehler und\n"
           "                                    Warnungen stehen immer auf der Fehlerausgabe\n"
           "\n"
           "norvik-export BEFEHL --help zeigt die Optionen eines Befehls, norvik-export "
           "--version die Version.\n";
}

const char* CommandHelp(const std::string& command) {
    static const std::map<std::string, const char*> texts = {
        {"demo",
         "Aufruf: norvik-export demo [--force]\n"
         "Legt ein Demo-Verzeichnis an: SQLite-Datenbank mit Kunden, Artikeln, Sachkonten und\n"
         "Buchungen, Exportdefinitionen, ein GDPdU-Profil und die veröffentlichte GDPdU-DTD\n"
         "(aus share/norvik-export/gdpdu/ der Installation).\n"
         "  --force    vorhandene Demo-Tabellen und -Dateien ersetzen\n"},
        {"list",
         "Aufruf: norvik-export list [--gdpdu]\n"
         "Listet die Exportdefinitionen des Verzeichnisses: Anzeigename und Datei.\n"
         "  --gdpdu    die GDPdU-Profile statt der Exportdefinitionen\n"},
        {"show",
         "Aufruf: norvik-export show FILE\n"
         "Zeigt eine Exportdefinition, wie sie geladen wird: allgemeine Werte, Parameter,\n"
         "Selektionskriterien, Datensätze und Felder; für ein GDPdU-Profil (.GDU) Name,\n"
         "Ausgabeordner und Tabellen.\n"
         "FILE ist ein Pfad, ein Anzeigename oder ein Dateiname aus list oder list --gdpdu.\n"},
        {"save",
         "Aufruf: norvik-export save FILE OUT [--author NAME]\n"
         "Lädt eine Exportdefinition und schreibt sie im .EXP-Format nach OUT; Dateiname\n"
         "bleibt, wie er in der Definition steht (mit %DataPath%).\n"
         "  --author NAME    der Autor im Kopf der Datei\n"},
        {"new",
         "Aufruf: norvik-export new OUT [--force]\n"
         "Schreibt eine kommentierte Vorlage einer Exportdefinition nach OUT: Datenquelle\n"
         "und Felder eintragen, dann norvik-export run OUT.\n"
         "  --force    eine vorhandene Datei OUT ersetzen\n"},
        {"run",
         "Aufruf: norvik-export run FILE [--where COND] [--out PATH|-] [--append|--no-append]\n"
         "                         [--protocol|--no-protocol] [--sel CAPTION=WERT]…\n"
         "                         [--if-empty keep|write|fail] [--no-remember]\n"
         "Führt eine Exportdefinition aus; auf einem Terminal mit Fortschrittsbalken.\n"
         "Exit-Code 0, wenn der Export vollständig lief (auch ohne Daten, außer mit\n"
         "--if-empty fail), sonst 1. Gekürzte Werte, als ? geschriebene Zeichen und ein Lauf\n"
         "ohne Daten stehen als Warnung auf der Fehlerausgabe, auch mit -q.\n"
         "  --where COND     zusätzliche Bedingung für die Datenquelle (SQL)\n"
         "  --sel CAPTION=WERT  ein Auswahlkriterium der Definition wie im Dialog (CAPTION\n"
         "                   wie show sie nennt):\n"
         "                     10001                 ein Wert\n"
         "                     10001..10500          ein Bereich\n"
         "                     D;A;CH                eine Liste\n"
         "                     Mü*                   ein Muster (* und ?)\n"
         "                     01.01.2026..31.01.2026  Datumsangaben als TT.MM.JJJJ\n"
         "  --if-empty keep|write|fail  ohne Daten: die Ausgabedatei unverändert lassen\n"
         "                   (Vorgabe), sie neu schreiben (Kopfzeile, Vor- und Nachlaufsatz,\n"
         "                   sonst leer) oder den Lauf mit Exit-Code 1 beenden\n"
         "  --out PATH       die Ausgabedatei statt der der Definition (relativ zum\n"
         "                   Arbeitsordner); - schreibt den Export auf die Standardausgabe\n"
         "                   und alles andere auf die Fehlerausgabe. Ohne --out gilt die\n"
         "                   zuletzt gewählte Datei (auf der Fehlerausgabe genannt), sonst\n"
         "                   die der Definition\n"
         "  --no-remember    keine gemerkte Ausgabedatei lesen oder speichern\n"
         "  --append         an die Ausgabedatei anhängen (nur wenn die Definition es\n"
         "                   freigibt; ohne Schalter gilt die Definition)\n"
         "  --no-append      die Ausgabedatei ersetzen (ebenso)\n"
         "  --protocol       Protokolleintrag schreiben und die Wahl speichern\n"
         "  --no-protocol    keinen Protokolleintrag schreiben und die Wahl speichern;\n"
         "                   ohne Schalter gilt die gespeicherte Wahl\n"},
        {"gdpdu",
         "Aufruf: norvik-export gdpdu FILE --from DATUM --to DATUM [--out DIR]\n"
         "                           [--table NAME…|--all-tables] [--zip] [--no-remember]\n"
         "                           [--yes]\n"
         "Erstellt einen GDPdU-Datenträger aus einem Profil (.GDU) für den Zeitraum.\n"
         "Jeder Datenträger nimmt die DTD gdpdu-01-08-2002.dtd aus dem Exportordner; fehlt\n"
         "sie dort, wird die veröffentlichte der Installation dorthin kopiert. Name und Ort\n"
         "des Datenlieferanten: settings set\n"
         "Firmendaten Bez1|Ort WERT --owner STANDARD.\n"
         "Exit-Code 0 bei Erfolg, 1 bei Fehlern.\n"
         "  --from DATUM       erster Tag (TT.MM.JJJJ)\n"
         "  --to DATUM         letzter Tag (TT.MM.JJJJ)\n"
         "  --out DIR          ein vorhandener Ordner für den Datenträger; ohne --out der\n"
         "                     zuletzt gewählte (auf der Fehlerausgabe genannt), sonst der\n"
         "                     des Profils\n"
         "  --table NAME       genau diese Tabellen, nach Bezeichnung oder Tabellenname\n"
         "                     (mehrfach möglich; wird gespeichert). Ohne --table gilt die\n"
         "                     gespeicherte Auswahl (auf der Fehlerausgabe genannt)\n"
         "  --all-tables       alle Tabellen des Profils (wird gespeichert)\n"
         "  --zip              den geprüften Datenträger zusätzlich für die Übergabe packen:\n"
         "                     ORDNER.zip neben dem Ordner, mit Übergabeprotokoll\n"
         "                     (Uebergabeprotokoll.txt) und SHA-256-Prüfsummen\n"
         "                     (Pruefsummen.sha256); nur nach einem Erfolg\n"
         "  --no-remember      keinen gemerkten Ordner und keine gespeicherte Auswahl lesen\n"
         "                     oder speichern; ohne --table alle Tabellen\n"
         "  --yes              die Schlussfrage bejahen und den Ordner öffnen\n"},
        {"check",
         "Aufruf: norvik-export check DIR|ZIP [--json]\n"
         "Prüft den GDPdU-Datenträger im Ordner DIR, wie der Import eines Prüfers ihn liest,\n"
         "auch von anderen Programmen und Kassen: Index.xml gegen die DTD der Version, die\n"
         "es nennt (gdpdu-01-08-2002.dtd oder gdpdu-01-09-2004.dtd), deren Kopie gegen die\n"
         "veröffentlichte, jede Datendatei\n"
         "(Satztrenner, Felder, Textbegrenzer, Zeichensatz, Zeilenbereich), Zahlen mit\n"
         "Dezimalzeichen und Nachkommastellen, Datumsangaben im angegebenen Format sowie\n"
         "Primär- und Fremdschlüssel. Eine Zeile je Befund:\n"
         "  FEHLER|WARNUNG|HINWEIS CODE DATEI[:ZEILE]: Text\n"
         "(HINWEIS: Erweiterungen und Befehle, die die Prüfung nennt, aber nicht liest oder\n"
         "ausführt; sie zählen nicht als Befund), am Ende eine Zusammenfassung; je Code,\n"
         "Tabelle und Datei werden höchstens 10 Befunde einzeln gezeigt. Steuerzeichen in\n"
         "Namen erscheinen sichtbar, etwa [LF] oder [1B].\n"
         "Exit-Code 0 ohne Befunde, 1 bei Fehlern, 3 bei nur Warnungen, 2 bei falschem Aufruf.\n"
         "  DIR      der Ordner mit Index.xml, den Datendateien und der DTD\n"
         "  ZIP      eine mit gdpdu --zip gepackte ZIP-Datei: jeder Eintrag muss eine Datei\n"
         "           auf oberster Ebene sein (kein absoluter Pfad, kein .., kein Ordner, keine\n"
         "           Verknüpfung, kein Name doppelt), höchstens 1.000 Einträge und 64 GiB\n"
         "           entpackt; jede SHA-256-Prüfsumme aus Pruefsummen.sha256 muss stimmen\n"
         "           (G7xx). Danach wird der Datenträger in einem temporären Ordner\n"
         "           ($TMPDIR) geprüft wie ein Ordner.\n"
         "  --json   für Programme: je Befund ein JSON-Objekt in einer Zeile mit code,\n"
         "           severity (error|warning|note), file, line, table, column, count und\n"
         "           text (null, wo ein Befund keinen Wert hat), zuletzt die Zusammenfassung\n"
         "           {\"errors\":…,\"warnings\":…,\"text\":…,\"dtd\":…,\"version\":…};\n"
         "           dieselben Exit-Codes\n"},
#ifdef NORVIK_WITH_GUI
        {"gui",
         "Aufruf: norvik-export gui [export|gdpdu]\n"
         "export (Vorgabe): der Exportdialog: Exportdefinition wählen, Selektionskriterien\n"
         "eingeben, Export mit Fortschrittsfenster ausführen, Parameter unter\n"
         "\"Eigenschaften\" ändern.\n"
         "gdpdu: der Dialog \"Datenträgerüberlassung Finanzamt\": Profil, Ausgabeordner,\n"
         "Zeitraum und Tabellen wählen und den GDPdU-Datenträger erstellen.\n"},
#endif
        {"params",
         "Aufruf: norvik-export params FILE [--set KEY=VALUE]…\n"
         "Zeigt die Parameter einer Exportdefinition mit ihren gespeicherten Werten; --set\n"
         "speichert neue Werte für alle Benutzer, wie der Eigenschaften-Dialog.\n"
         "  --set KEY=VALUE   der neue Wert eines Parameters (mehrfach möglich)\n"},
        {"protocol",
         "Aufruf: norvik-export protocol [--last N]\n"
         "Zeigt die letzten Protokolleinträge mit ihren Zeilen.\n"
         "  --last N    die Zahl der Einträge (Vorgabe 10)\n"},
        {"settings",
         "Aufruf: norvik-export settings get|set SECTION KEY [VALUE] [--owner NAME]\n"
         "Liest oder schreibt einen Wert der Host-Einstellungen.\n"
         "  --owner NAME    der Besitzer des Wertes (Vorgabe: der Benutzer)\n"},
    };
    const auto it = texts.find(command);
    return it == texts.end() ? nullptr : it->second;
}

}  // namespace norvik::standalone
