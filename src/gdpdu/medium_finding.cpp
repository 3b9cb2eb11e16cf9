#include "gdpdu/medium_finding.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace norvik {
namespace {

constexpr FindingSeverity E = FindingSeverity::Error;
constexpr FindingSeverity W = FindingSeverity::Warning;

// Grouped by what they concern: 1 the medium and Index.xml, 2 the data files, 3 the table
// descriptions, 4 the structure of data lines, 5 values, 6 keys, 7 the ZIP of a handover package.
const std::vector<FindingKind> kKinds = {
    {"G101", E, "Index.xml fehlt oder ist nicht lesbar"},
    {"G102", E, "Index.xml ist kein wohlgeformtes XML"},
    {"G103", E, "Index.xml entspricht nicht der DTD"},
    {"G104", E, "die DTD-Datei fehlt auf dem Datenträger"},
    {"G105", E, "die DTD-Datei weicht von der veröffentlichten ab"},
    {"G106", E, "Index.xml verweist nicht auf gdpdu-01-08-2002.dtd"},
    {"G107", E, "Index.xml will außer der DTD weitere Dateien oder Adressen nachladen"},
    {"G108", E, "Index.xml oder eine DTD ist keine gewöhnliche Datei im Ordner oder zu groß"},
    {"G201", E, "URL ist leer, absolut oder führt aus dem Ordner"},
    {"G202", E, "Datendatei fehlt"},
    {"G203", E, "Datendatei nur in anderer Groß-/Kleinschreibung vorhanden"},
    {"G204", E, "Datendatei ist nicht lesbar"},
    {"G205", E, "Datendatei ist keine gewöhnliche Datei im Ordner des Datenträgers"},
    {"G206", W, "Datei im Ordner, die Index.xml nicht beschreibt"},
    {"G301", E, "Trennzeichen, Textbegrenzer oder Dezimalzeichen unbrauchbar"},
    {"G302", E, "Datumsformat unbrauchbar"},
    {"G303", E, "Zahlenangabe im Index unbrauchbar"},
    {"G304", E, "Fremdschlüssel verweist auf keine passende Tabelle"},
    {"G305", E, "Fremdschlüssel nennt eine unbekannte Spalte"},
    {"G306", W, "Tabellenname mehrfach vergeben"},
    {"G307", W, "Spaltenname in einer Tabelle mehrfach vergeben"},
    {"G308", W, "Zeichensatz oder Aufbau nicht prüfbar; Daten nicht geprüft"},
    {"G309", W, "Fremdschlüssel und Primärschlüssel haben verschiedene Datentypen"},
    {"G310", W, "Gültigkeitszeitraum passt nicht zu seinem Format"},
    {"G311", E, "Tabellen derselben Datendatei teilen sich Zeilen"},
    {"G401", E, "Zeile hat nicht die erwartete Zahl von Feldern"},
    {"G402", E, "Zeile hat nicht die erwartete Länge"},
    {"G403", E, "Zeilen sind nicht durch den angegebenen Satztrenner getrennt"},
    {"G404", E, "Textbegrenzer nicht geschlossen"},
    {"G405", E, "Zeichen nach dem schließenden Textbegrenzer"},
    {"G406", E, "Zeichen im angegebenen Zeichensatz nicht definiert"},
    {"G407", W, "Datei endet vor dem angegebenen Zeilenbereich"},
    {"G408", E, "Satz länger, als die Prüfung liest (1 MiB)"},
    {"G409", W, "Zeilen, die keine Tabelle beschreibt"},
    {"G501", E, "Wert ist keine Zahl"},
    {"G502", E, "Zahl hat mehr Nachkommastellen als angegeben"},
    {"G503", E, "Tausendertrennzeichen an falscher Stelle"},
    {"G504", E, "Datum passt nicht zum Datumsformat"},
    {"G505", E, "Datum oder Uhrzeit gibt es nicht"},
    {"G506", E, "Text länger als die angegebene Höchstlänge"},
    {"G601", E, "Primärschlüssel mehrfach vergeben"},
    {"G602", E, "Primärschlüssel leer"},
    {"G603", E, "Fremdschlüssel ohne passenden Primärschlüssel"},
    {"G701", E, "ZIP-Datei nicht lesbar oder keine ZIP-Datei"},
    {"G702", E, "Eintragsname absolut, mit „..“ oder unter Windows unbrauchbar"},
    {"G703", E, "Eintrag in einem Unterordner oder ein Ordner statt auf oberster Ebene"},
    {"G704", E, "Eintrag ist eine Verknüpfung oder keine gewöhnliche Datei"},
    {"G705", E, "Eintragsname mehrfach vergeben (auch nur in Groß-/Kleinschreibung verschieden)"},
    {"G706", E, "zu viele Einträge oder zu viele Bytes zum Entpacken (ZIP-Bombe)"},
    {"G707", E,
     "Eintrag lässt sich nicht entpacken (verschlüsselt, beschädigt, unbekanntes "
     "Verfahren)"},
    {"G708", E, "Prüfsummenliste fehlt oder hat unlesbare Zeilen"},
    {"G709", E, "SHA-256-Prüfsumme stimmt nicht"},
    {"G710", E, "Datei der Prüfsummenliste fehlt in der ZIP-Datei"},
    {"G711", E, "Datei der ZIP-Datei fehlt in der Prüfsummenliste"},
    {"G712", W, "Übergabeprotokoll fehlt in der ZIP-Datei"},
};

}  // namespace

const std::vector<FindingKind>& FindingKinds() {
    return kKinds;
}

const FindingKind& KindOf(std::string_view code) {
    const auto it = std::find_if(kKinds.begin(), kKinds.end(),
                                 [&](const FindingKind& k) { return code == k.code; });
    if (it == kKinds.end()) throw std::out_of_range("unknown finding code " + std::string(code));
    return *it;
}

std::string FindingLine(const MediumFinding& finding) {
    const char* severity = finding.severity == FindingSeverity::Error ? "FEHLER" : "WARNUNG";
    if (finding.line == 0)
        return fmt::format("{} {} {}: {}", severity, finding.code, finding.file, finding.text);
    return fmt::format("{} {} {}:{}: {}", severity, finding.code, finding.file, finding.line,
                       finding.text);
}

std::string SummaryLine(const std::vector<MediumFinding>& findings) {
    uint64_t errors = 0, warnings = 0;
    for (const MediumFinding& f : findings)
        (f.severity == FindingSeverity::Error ? errors : warnings) += f.count;
    if (errors == 0 && warnings == 0) return "Datenträger geprüft: keine Befunde.";
    std::string text = "Datenträger geprüft: ";
    if (errors > 0) text += GroupedCount(errors) + " Fehler";
    if (errors > 0 && warnings > 0) text += ", ";
    if (warnings > 0) text += GroupedCount(warnings) + (warnings == 1 ? " Warnung" : " Warnungen");
    return text + ".";
}

bool HasErrors(const std::vector<MediumFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const MediumFinding& f) { return f.severity == FindingSeverity::Error; });
}

}  // namespace norvik
