#include "db/record_set.h"

#include "common/vb_error.h"

namespace norvik::db {

const Value& RecordSet::Item(std::string_view name) const {
    const int index = FindField(name);
    if (index < 0) throw VbError(kErrUnknownColumn);
    return Item(index);
}

}  // namespace norvik::db
