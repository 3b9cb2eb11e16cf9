// The DATEV batch reader of the test support on a valid batch (cases/datev_batch.csv, kept as
// UTF-8 with LF and turned into Windows-1252 with CR LF) and on the edits of it in
// cases/datev_batch.tsv: what the case shows; "first" or "last" (the occurrence of the text to
// replace) or "cut" (the file ends after the text); the text; its replacement; how many findings;
// a pattern one of them matches ("*" for any text).

#include "support/datev_batch.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/cases.h"
#include "support/test_support.h"

namespace norvik::test {
namespace {

std::string ValidBatch() {
    return DefinitionBytes(
        ReadBytes(std::string(NORVIK_SOURCE_DIR) + "/tests/common/cases/datev_batch.csv"));
}

std::string Listed(const std::vector<std::string>& findings) {
    std::string text;
    for (const std::string& finding : findings) text += "\n  " + finding;
    return text;
}

TEST(DatevBatch, TheValidBatchHasNoFindingsEachEditItsOwn) {
    const std::string valid = ValidBatch();
    // The fixture itself must be in the file's encoding: ü of "Schlüssel" as one byte.
    ASSERT_NE(valid.find("Schl\xFCssel"), std::string::npos);
    EXPECT_EQ(Listed(DatevBatchFindings(valid)), "");
    for (const CaseRow& row : ReadCases("common/cases/datev_batch.tsv")) {
        SCOPED_TRACE(row.where + " " + row[0]);
        std::string bytes = valid;
        const size_t at = row[1] == "last" ? bytes.rfind(row[2]) : bytes.find(row[2]);
        ASSERT_NE(at, std::string::npos) << "text to edit not found";
        if (row[1] == "cut")
            bytes.erase(at + row[2].size());
        else
            bytes.replace(at, row[2].size(), row[3]);
        const std::vector<std::string> findings = DatevBatchFindings(bytes);
        EXPECT_EQ(findings.size(), std::stoul(row[4])) << Listed(findings);
        if (!findings.empty()) {
            EXPECT_TRUE(std::any_of(findings.begin(), findings.end(),
                                    [&](const std::string& f) { return Matches(f, row[5]); }))
                << "none matches " << row[5] << Listed(findings);
        }
    }
}

}  // namespace
}  // namespace norvik::test
