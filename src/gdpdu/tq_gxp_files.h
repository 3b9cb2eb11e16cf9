#pragma once
// The table list of a GDPdU profile: each entry one export definition with its condition and names.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "definition/tq_collection.h"
#include "engine/tq_export.h"

namespace norvik {

// One table of a GDPdU data medium.
struct TQGxpFile {
    std::shared_ptr<TQExport> Export = std::make_shared<TQExport>();  // owns the loaded definition
    std::string FileName;   // the definition file as the profile names it ("%DataPath%" kept)
    std::string SQLString;  // condition with "$DatumVon"/"$DatumBis"
    std::string Caption;    // text the table is listed under
    std::string TableName;  // name of the table in Index.xml
    std::string TableDesc;  // description in Index.xml with "$DatumVon", "$DatumBis", "$Table"
    bool Selected = false;  // takes part in the next build
};

// The entries in the order of adding, also keyed by FileName (letter case ignored).
class TQGxpFiles : public TQCollection<TQGxpFile> {
  public:
    // Appends the entry under its FileName; a FileName already present shows a message and returns
    // null.
    Item_t Add(Item_t iGxpFile);
    using TQCollection<TQGxpFile>::Item;
    // The entry with this key (case ignored); raises 5 for an unknown key.
    const Item_t& Item(const std::string& key) const;
    // Removes the entry at a 1-based position; raises 9 when out of range.
    void Remove(int32_t index);
    // Removes the entry with this key; raises 5 for an unknown key.
    void Remove(const std::string& key);

  private:
    int32_t IndexOf(const std::string& lowerKey) const;
    std::vector<std::string> keys_;  // lower case, parallel to the items
};

}  // namespace norvik
