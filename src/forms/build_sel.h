#pragma once
// A definition's selection criteria as criteria of the selection.

#include <cstdint>
#include <memory>

#include "definition/tq_model.h"
#include "host/host_session.h"
#include "selection/selection_model.h"

namespace norvik {

// The value kind a selection's Typ gives: date for bit 2, else number for bit 4, else text.
int32_t ValueKindOfTyp(int32_t typ);
// The list kind a selection's Typ gives: host lookup for bit 64, else value list for bit 128,
// else free entry.
int32_t ListKindOfTyp(int32_t typ);

// Replaces the selection's criteria by the definition's, one per TQSelection in order, and shows
// them. Raises on the first failure (a column offered twice: 457), keeping the criteria added so
// far and not showing them.
void BuildSelection(const TQExportDef& def, std::shared_ptr<HostSession> session,
                    SelectionModel& selection);

}  // namespace norvik
