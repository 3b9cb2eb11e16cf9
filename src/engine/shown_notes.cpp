#include "engine/shown_notes.h"

#include "common/count_text.h"

namespace norvik {

std::vector<RunNote> ShownNotes(const std::vector<RunNote>& notes, size_t named) {
    std::vector<RunNote> shown;
    int64_t unshown = 0;
    size_t changes = 0;
    for (const RunNote& note : notes) {
        if (note.kind == RunNote::Kind::Changed && changes++ >= named)
            unshown += note.count;
        else
            shown.push_back(note);
    }
    if (unshown > 0)
        shown.push_back({RunNote::Kind::Changed, "", unshown,
                         "Warnung: " + GroupedCount(unshown) +
                             (unshown == 1 ? " weiterer geänderter Wert ist"
                                           : " weitere geänderte Werte sind") +
                             " hier nicht einzeln genannt; das Protokoll des Laufs nennt sie."});
    return shown;
}

}  // namespace norvik
