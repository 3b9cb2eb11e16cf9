#pragma once
// Texts of a GDPdU build: compact dates, captions, file names and the placeholders of a profile.

#include <string>
#include <string_view>

#include "common/value.h"

namespace norvik {

// The date as "yyyymmdd" (20200131), or "" for the zero date/time.
std::string SQLDate(const DateTime& value);
// The caption a table gets from its definition file: the name without extension and folder.
std::string CaptionFromFileName(std::string_view s);
// The last component of a path ("\" and "/" both separate); the whole path when it has none.
std::string FileNameOnly(std::string_view path);
// A condition with "$DatumVon"/"$DatumBis" replaced by quoted compact dates; "" stays "".
std::string ReplaceSQLVars(const std::string& text, const DateTime& von, const DateTime& bis);
// A description with "$DatumVon", "$DatumBis" and "$Table" replaced; "" stays "".
std::string ReplaceDescVars(const std::string& text, const std::string& table, const DateTime& von,
                            const DateTime& bis);

}  // namespace norvik
