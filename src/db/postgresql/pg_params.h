#pragma once
// Statement parameters for libpq.

#include <string>
#include <vector>

#include "common/value.h"

namespace norvik::db {

// Parameter values in the text form the server reads; null for a database null.
class PgParams {
  public:
    // Converts the values once.
    explicit PgParams(const std::vector<Value>& values);
    PgParams(const PgParams&) = delete;
    PgParams& operator=(const PgParams&) = delete;
    // Number of parameters.
    int Count() const { return static_cast<int>(texts_.size()); }
    // The texts as libpq takes them.
    const char* const* Pointers() const { return pointers_.data(); }

  private:
    std::vector<std::string> texts_;
    std::vector<const char*> pointers_;
};

}  // namespace norvik::db
