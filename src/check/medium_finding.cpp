#include "check/medium_finding.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "common/utf8.h"

namespace norvik {
namespace {

constexpr FindingSeverity E = FindingSeverity::Error;
constexpr FindingSeverity W = FindingSeverity::Warning;
constexpr FindingSeverity N = FindingSeverity::Note;

// Grouped by what they concern: 1 the medium and Index.xml, 2 the data files, 3 the table
// descriptions, 4 the structure of data lines, 5 values, 6 keys, 7 the ZIP of a handover package.
const std::vector<FindingKind> kKinds = {
    {"G101", E, "Index.xml fehlt oder ist nicht lesbar"},
    {"G102", E, "Index.xml ist kein wohlgeformtes XML"},
    {"G103", E, "Index.xml entspricht nicht der DTD"},
    {"G104", E, "die DTD-Datei fehlt auf dem Datenträger"},
    {"G105", E, "die DTD-Datei weicht von der veröffentlichten ab"},
    {"G106", E,
     "Index.xml verweist auf keine veröffentlichte DTD (gdpdu-01-08-2002.dtd oder "
     "gdpdu-01-09-2004.dtd)"},
    {"G107", E, "Index.xml will außer der DTD weitere Dateien oder Adressen nachladen"},
    {"G108", E, "Index.xml oder eine DTD ist keine gewöhnliche Datei im Ordner oder zu groß"},
    {"G109", E, "Media ohne Tabelle, ohne dass AcceptNoTables das erlaubt"},
    {"G110", N, "Erweiterung (Extension) genannt; sie wird nicht gelesen"},
    {"G111", N, "Befehl (Command) genannt; er wird nicht ausgeführt"},
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
    {"G312", W,
     "Dezimalzeichen gleich Spaltentrennzeichen; nur Zahlen ohne Nachkommastellen lesbar"},
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
    {"G701", E, "ZIP-Datei nicht lesbar, keine ZIP-Datei oder widersprüchlich"},
    {"G702", E,
     "Eintragsname absolut, mit „..“, unter Windows unbrauchbar oder länger als 255 Bytes"},
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
    {"G713", N,
     "ZIP-Datei ohne Prüfsummenliste und Übergabeprotokoll, als gepackter Datenträger gelesen"},
};

// Control characters, the marks that turn the direction of text and bytes that are no UTF-8,
// written as values are shown: [LF], [CR], [1B], [U+202E], [E4].
std::string VisiblyEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            out += text[i++];
            continue;
        }
        if (byte < 0x80) {
            ++i;
            out += byte == '\n'   ? std::string("[LF]")
                   : byte == '\r' ? std::string("[CR]")
                                  : fmt::format("[{:02X}]", byte);
            continue;
        }
        const Utf8Char c = DecodeUtf8(text, i);
        if (c.malformed)
            out += fmt::format("[{:02X}]", byte);
        else if (c.codePoint <= 0x9F || c.codePoint == 0x200E || c.codePoint == 0x200F ||
                 (c.codePoint >= 0x202A && c.codePoint <= 0x202E) ||
                 (c.codePoint >= 0x2066 && c.codePoint <= 0x2069))
            out += fmt::format("[U+{:04X}]", static_cast<unsigned>(c.codePoint));
        else
            out.append(text.substr(i, c.length));
        i += c.length;
    }
    return out;
}

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
    const char* severity = finding.severity == FindingSeverity::Error     ? "FEHLER"
                           : finding.severity == FindingSeverity::Warning ? "WARNUNG"
                                                                          : "HINWEIS";
    if (finding.line == 0)
        return fmt::format("{} {} {}: {}", severity, finding.code, VisiblyEscaped(finding.file),
                           VisiblyEscaped(finding.text));
    return fmt::format("{} {} {}:{}: {}", severity, finding.code, VisiblyEscaped(finding.file),
                       finding.line, VisiblyEscaped(finding.text));
}

std::string DtdVersion(const std::string& dtd) {
    if (dtd == kGdpduDtdName) return "1.1";
    if (dtd == kGdpduDtd2004Name) return "1.5";
    return {};
}

std::string SummaryLine(const std::vector<MediumFinding>& findings, const std::string& dtd) {
    uint64_t errors = 0, warnings = 0;
    for (const MediumFinding& f : findings) {
        if (f.severity == FindingSeverity::Error) errors += f.count;
        if (f.severity == FindingSeverity::Warning) warnings += f.count;
    }
    // Our own media's version goes without saying, as it always has.
    const std::string read = dtd.empty() || dtd == kGdpduDtdName || DtdVersion(dtd).empty()
                                 ? std::string()
                                 : fmt::format(
                                       " (gelesen nach {}, Version {} des "
                                       "Beschreibungsstandards)",
                                       dtd, DtdVersion(dtd));
    if (errors == 0 && warnings == 0) return "Datenträger geprüft" + read + ": keine Befunde.";
    std::string text = "Datenträger geprüft" + read + ": ";
    if (errors > 0) text += GroupedCount(errors) + " Fehler";
    if (errors > 0 && warnings > 0) text += ", ";
    if (warnings > 0) text += GroupedCount(warnings) + (warnings == 1 ? " Warnung" : " Warnungen");
    return text + ".";
}

bool HasErrors(const std::vector<MediumFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const MediumFinding& f) { return f.severity == FindingSeverity::Error; });
}

bool HasFindings(const std::vector<MediumFinding>& findings) {
    return std::any_of(findings.begin(), findings.end(),
                       [](const MediumFinding& f) { return f.severity != FindingSeverity::Note; });
}

}  // namespace norvik
