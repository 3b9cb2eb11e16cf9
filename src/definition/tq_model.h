#pragma once
// The export definition in memory: plain data holders owned through shared references.

#include <cstdint>
#include <memory>
#include <string>

#include "definition/tq_collection.h"

namespace norvik {

// Kind of a record layout.
enum tqFieldTyp : int32_t { Standard = 0, Vorlauf = 1, Nachlauf = 2 };

// One output field of a record layout.
struct TQField {
    int32_t Mode = 0;            // stored for the caller, not used by the component
    std::string FeldArt;         // "Field", "Const", "Param" or "Laufwert"
    std::string Name;            // column name, constant text, parameter name or value of the run
    std::string FeldTyp;         // "T"/"V" text, "N" number, "D" date
    std::string Format;          // format text for the value
    int32_t Länge = 0;           // length for the "Fix" and "Max" modes
    std::string Schlüssel;       // key marker for the GDPdU index: "PK", "PF", "FK"
    std::string FremdSchlüssel;  // referenced table of a foreign key
    std::string Map;             // value map: value and meaning separated by ";"
    std::string Info;            // free description
};

// True when the field is a primary key column of the GDPdU index ("PK", or "PF" when also foreign).
inline bool IsPrimaryKeyField(const TQField& field) {
    return field.Schlüssel == "PK" || field.Schlüssel == "PF";
}
// True when the field is a foreign key column of the GDPdU index ("FK", or "PF").
inline bool IsForeignKeyField(const TQField& field) {
    return field.Schlüssel == "FK" || field.Schlüssel == "PF";
}

// One record layout: data, header ("Vorlauf") or trailer ("Nachlauf").
struct TQRecord {
    std::string Name;  // the section line it was read from
    std::shared_ptr<TQFields> Fields = std::make_shared<TQFields>();  // output fields in order
    tqFieldTyp FieldTyp = Standard;                                   // kind of record
    std::string CriteriaField;     // column the record criterion reads
    std::string CriteriaOperator;  // "=", "<>", "<=", ">=", "<" or ">"
    std::string CriteriaValue;     // value compared with

    // Adds a field to Fields.
    void AddField(std::shared_ptr<TQField> field) { Fields->Add(std::move(field)); }
};

// One selection criterion offered to the user.
struct TQSelection {
    std::string Name;           // the key it was read under ("Sel01" … "Sel12")
    std::string Caption;        // label
    std::string ControlSource;  // restricted column, optionally "table.column"
    int32_t Typ = 0;            // bit set: 2/4 value kind, 64 host lookup, 128 lookup on the column
    int32_t Width = 0;          // display width
    std::string RowSource;      // source of the value list
    std::string DefaultValue;   // initial value
    std::string BoundField;     // column a value list delivers
};

// One named parameter.
struct TQParam {
    std::string Name;     // identifier and key
    std::string Caption;  // label
    std::string Value;    // current value
};

// An export definition.
struct TQExportDef {
    std::shared_ptr<TQSelections> Selections =
        std::make_shared<TQSelections>();                                      // selection criteria
    std::shared_ptr<TQRecords> Records = std::make_shared<TQRecords>();        // record layouts
    std::shared_ptr<TQParameter> Parameter = std::make_shared<TQParameter>();  // named parameters
    bool Utf8Datei = false;           // read from a UTF-8 file, and so saved again
    std::string Schnittstelle;        // name of the definition
    std::string Datenquelle;          // table name or SQL statement
    std::string Dateiname;            // output file
    std::string Dateiformat;          // "ANSI" or "ASCII"
    std::string FeldLänge;            // "Variabel", "Fix" or "Max"
    std::string Feldtrenner;          // field separator
    std::string Texterkenner;         // text qualifier
    std::string Dezimaltrenner;       // decimal separator
    std::string Datumserkenner;       // date qualifier
    std::string Datumstrenner;        // separator of day, month and year
    std::string Zeittrenner;          // separator of hours, minutes and seconds
    std::string Ersatzzeichen;        // replaces qualifiers inside text values
    std::string Anfügen;              // "J": append to the output file
    int32_t AnzahlDatensätze = 0;     // number of data records, kept for the caller
    std::string Info;                 // free description
    std::string Kopfzeile;            // "J": header line with the column titles
    std::string AnfuegenAenderbar;    // "J": the user may change Anfügen
    std::string AllowEmptySelection;  // "N" or "0": an empty selection is refused
    std::string AlleVorlaufsaetze;    // "J": every header record in order, then the header line
    std::string TexterkennerDoppeln;  // "J": a Texterkenner inside a text is doubled
    std::string Abschnitt;            // settings section of the parameter values

    // Adds a record layout to Records.
    void AddRecord(std::shared_ptr<TQRecord> record) { Records->Add(std::move(record)); }
    // Adds a selection criterion to Selections.
    void AddSel(std::shared_ptr<TQSelection> selection) { Selections->Add(std::move(selection)); }
    // Adds a parameter to Parameter and returns it; null when its name is taken (nothing added).
    std::shared_ptr<TQParam> AddParam(std::shared_ptr<TQParam> param) {
        return Parameter->Add(std::move(param));
    }
};

}  // namespace norvik
