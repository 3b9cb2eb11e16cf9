#pragma once
// The notes of a run as a window or a terminal shows them: every note, but of the values changed
// one by one only the first few, the rest counted.

#include <cstddef>
#include <vector>

#include "engine/tq_export.h"

namespace norvik {

// The notes with at most `named` of the kind Changed; the others become one note counting them.
std::vector<RunNote> ShownNotes(const std::vector<RunNote>& notes, size_t named);

}  // namespace norvik
