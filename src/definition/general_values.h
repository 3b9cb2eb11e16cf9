#pragma once
// The general values of a definition ([Allgemein]): one table for reading, writing and showing.

#include <span>
#include <string>
#include <string_view>

#include "definition/tq_model.h"

namespace norvik {

// What reading does beyond taking the key's value.
enum class GeneralKind {
    kPlain,       // the value, or the fallback when the key is missing
    kName,        // an empty value is taken from the older key "Schnittstelle"
    kOutputFile,  // the output file the user last chose for this definition wins; else "%DataPath%"
                  // is replaced by the common user data folder
};

// One general value of a definition.
struct GeneralValue {
    std::string_view key;      // key in [Allgemein] as the writer spells it (read ignoring case)
    std::string_view shownAs;  // name the `show` command lists it under
    std::string TQExportDef::*member;  // where the model holds it
    std::string_view fallback;         // value when the key is missing
    GeneralKind kind;
    int filePosition;          // place among the written keys; -1: read and shown, never written
    bool onlyWhenSet = false;  // written only when it differs from the fallback (newer keys)
};

// The general values in the order of the model (the order `show` lists them).
std::span<const GeneralValue> GeneralValues();
// The written general values in the order of the file.
std::span<const GeneralValue* const> GeneralValuesInFileOrder();

}  // namespace norvik
