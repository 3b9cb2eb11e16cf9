#include "common/vb_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

namespace norvik {
namespace {

TEST(ToVbError, GivesEachKindOfFailureItsOwnNumberAndNeverTheDatabases) {
    const VbError ours(kErrPathNotFound, "Pfad nicht gefunden: /x");
    const std::filesystem::filesystem_error missing(
        "open", "/daten/k.txt", std::error_code(ENOENT, std::generic_category()));
    const std::bad_alloc memory;
    const std::runtime_error other("kaputt");
    const struct {
        const std::exception* e;
        int32_t number;
        const char* description;
    } cases[] = {
        {&ours, kErrPathNotFound, "Pfad nicht gefunden: /x"},
        {&missing, kErrFileNotFound, "Datei nicht gefunden: /daten/k.txt"},
        {&memory, kErrOutOfMemory, "Nicht genügend Speicher"},
        {&other, kErrInternal, "Interner Fehler: kaputt"},
    };
    for (const auto& c : cases) {
        const VbError error = ToVbError(*c.e);
        EXPECT_EQ(error.Number(), c.number) << c.description;
        EXPECT_EQ(error.Description(), c.description);
        EXPECT_NE(error.Number(), kErrDatabase);
    }
}

}  // namespace
}  // namespace norvik
