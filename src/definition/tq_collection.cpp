#include "definition/tq_collection.h"

#include "definition/tq_model.h"

namespace norvik {

const std::string& TQParamName::operator()(const TQParam& param) const {
    return param.Name;
}

}  // namespace norvik
