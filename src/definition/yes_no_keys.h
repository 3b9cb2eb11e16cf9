#pragma once
// The yes/no keys of a definition and the one way every front end reads them.

#include <span>
#include <string>
#include <string_view>

#include "definition/tq_model.h"

namespace norvik {

// How one yes/no key of [Allgemein] reads. "J" is yes everywhere; a lower-case "j" is yes only for
// Anfuegen, whose run always took it so (stored files keep reading as they did).
struct YesNoKey {
    std::string_view key;                   // key in [Allgemein], lower case
    std::string TQExportDef::*member;       // where the model holds it
    std::span<const std::string_view> yes;  // values read as yes
    std::span<const std::string_view> no;   // values read as no
    bool otherIsYes;                        // how any other value reads
    std::string_view shown;                 // the yes and the no a definition should say
};

// The yes/no keys: Anfuegen, Kopfzeile, AnfuegenAenderbar, AllowEmptySelection,
// AlleVorlaufsaetze, TexterkennerDoppeln.
std::span<const YesNoKey> YesNoKeys();
// Whether a value of the key reads as yes.
bool ReadsAsYes(const YesNoKey& key, std::string_view value);
// Whether a value is neither one of the key's yes values nor one of its noes.
bool IsUnclearYesNo(const YesNoKey& key, std::string_view value);

// A definition's yes/no keys as typed values.
struct DefinitionFlags {
    bool append = false;                // Anfügen: append to the output file
    bool titleLine = false;             // Kopfzeile: a line with the column titles first
    bool appendChangeable = false;      // AnfuegenAenderbar: the user may change Anfügen
    bool emptySelectionAllowed = true;  // AllowEmptySelection: a run without criteria is allowed
    bool allHeaderRecords = false;  // AlleVorlaufsaetze: every header record, then the title line
    bool doubleQuotes = false;      // TexterkennerDoppeln: a qualifier inside a text is doubled
};

// Reads the flags of a definition.
DefinitionFlags FlagsOf(const TQExportDef& def);

}  // namespace norvik
