#pragma once
// The table list of a GDPdU profile: each entry one export definition with its condition and names.

#include <cstdint>
#include <memory>
#include <string>

#include "definition/tq_collection.h"
#include "engine/tq_export.h"

namespace norvik {

// One table of a GDPdU data medium.
struct TQGxpFile {
    std::shared_ptr<TQExport> Export;  // owns the loaded definition; AddGxpFile makes one if none
    std::string FileName;   // the definition file as the profile names it ("%DataPath%" kept)
    std::string SQLString;  // condition with "$DatumVon"/"$DatumBis"
    std::string Caption;    // text the table is listed under
    std::string TableName;  // name of the table in Index.xml
    std::string TableDesc;  // description in Index.xml with "$DatumVon", "$DatumBis", "$Table"
    bool Selected = false;  // takes part in the next build
};

// The key of an entry: its FileName.
struct TQGxpFileName {
    const std::string& operator()(const TQGxpFile& file) const { return file.FileName; }
};
// The entries in the order of adding, also keyed by FileName (letter case ignored).
using TQGxpFiles = TQKeyedCollection<TQGxpFile, TQGxpFileName>;

}  // namespace norvik
