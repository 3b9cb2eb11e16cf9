#pragma once
// A session over SQLite or PostgreSQL with the table "kunden", whose names hold quotes,
// semicolons, comments, wildcards, backslashes and non-Latin characters, and an export definition
// over it that writes each selected row's "nr".

#include <gtest/gtest.h>

#include <string>

#include "selection/criteria.h"
#include "support/session/session_fixture.h"

namespace norvik::test {

class SelectionTest : public ::testing::TestWithParam<std::string>, public TestSession {
  protected:
    void SetUp() override;
    void TearDown() override { Stop(); }

    // The condition of one criterion on the session's back end.
    std::string ConditionOf(const std::string& column, int32_t valueKind,
                            const std::string& entry) const;
    // The "nr" of every row an export with this condition as SQLWhere writes, ascending, joined by
    // ","; "failed" when the run failed.
    std::string ExportedRows(const std::string& condition);
    // True on PostgreSQL, natively or through ODBC.
    bool Postgres() const { return SqlOf(GetParam()) == "postgresql"; }
};

}  // namespace norvik::test
