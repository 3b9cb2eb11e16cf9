#include "db/field_names.h"

namespace norvik::db {
namespace {

// Lower-cases one byte; `afterC3` tells that it continues a two-byte sequence starting with 0xC3.
unsigned char Fold(unsigned char c, bool afterC3) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    // U+00C0..U+00DE (except the multiplication sign) are upper case; their lower forms lie 0x20
    // higher.
    if (afterC3 && c >= 0x80 && c <= 0x9E && c != 0x97) return static_cast<unsigned char>(c + 0x20);
    return c;
}

}  // namespace

bool SameFieldName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const bool afterC3 = i > 0 && static_cast<unsigned char>(a[i - 1]) == 0xC3 &&
                             static_cast<unsigned char>(b[i - 1]) == 0xC3;
        if (Fold(static_cast<unsigned char>(a[i]), afterC3) !=
            Fold(static_cast<unsigned char>(b[i]), afterC3))
            return false;
    }
    return true;
}

}  // namespace norvik::db
