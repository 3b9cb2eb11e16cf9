#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "common/vb_error.h"
#include "definition/tq_model.h"
#include "support/cases.h"
#include "support/session/session_fixture.h"

namespace norvik {
namespace {

using ModelTest = test::SessionFixture;

std::shared_ptr<TQParam> Param(const std::string& name) {
    auto p = std::make_shared<TQParam>();
    p->Name = name;
    return p;
}

int32_t ErrorOf(const std::function<void()>& fn) {
    return std::atoi(test::RaisedBy(fn).c_str());
}

TEST_F(ModelTest, ParametersAreKeyedByTheirFirstNameIgnoringCase) {
    TQParameter params;
    auto first = Param("Mandant");
    EXPECT_EQ(params.Add(first), first);
    EXPECT_EQ(params.Add(Param("MANDANT")), nullptr);
    EXPECT_EQ(params.Count(), 1);
    EXPECT_TRUE(messages->calls.empty());  // the caller tells the user
    EXPECT_EQ(params.Item("mAnDaNt"), first);

    first->Name = "Firma";  // the key stays what it was
    EXPECT_EQ(params.Item("mandant"), first);
    EXPECT_EQ(ErrorOf([&] { params.Item("Firma"); }), kErrInvalidArgument);
    params.Remove(1);  // by the key it was added under, which is free again
    EXPECT_NE(params.Add(Param("Mandant")), nullptr);
}

TEST_F(ModelTest, RemovingParametersKeepsKeysAndPositionsTogether) {
    for (const std::string c : {"1", "3", "5", "A", "c", "E"}) {
        // Removed by position or by key, at the front, in the middle or at the end.
        const bool byPosition = std::isdigit(c[0]) != 0;
        const std::string gone(1, byPosition ? "abcde"[c[0] - '1'] : std::tolower(c[0]));
        TQParameter params;
        for (const char* name : {"a", "b", "c", "d", "e"}) params.Add(Param(name));
        byPosition ? params.Remove(std::stoi(c)) : params.Remove(c);
        ASSERT_EQ(params.Count(), 4) << c;
        std::vector<std::string> left;
        for (int32_t i = 1; i <= 4; ++i) {
            left.push_back(params.Item(i)->Name);
            EXPECT_EQ(params.Item(left.back()), params.Item(i)) << gone;
        }
        std::vector<std::string> expected = {"a", "b", "c", "d", "e"};
        std::erase(expected, gone);
        EXPECT_EQ(left, expected);
        EXPECT_EQ(ErrorOf([&] { params.Item(gone); }), kErrInvalidArgument);
        EXPECT_EQ(ErrorOf([&] { params.Remove(std::string(gone)); }), kErrInvalidArgument);
        EXPECT_EQ(ErrorOf([&] { params.Remove(5); }), kErrOutOfRange);
        const auto again = params.Add(Param(gone));  // the key is free again
        EXPECT_EQ(params.Item(gone), again);
        EXPECT_EQ(params.Item(5), again);
    }
    EXPECT_TRUE(messages->calls.empty());
}

TEST_F(ModelTest, CollectionsAreOneBasedAndKeepTheOrderOfAdding) {
    TQRecord rec;
    auto field = std::make_shared<TQField>();
    rec.AddField(field);
    rec.AddField(field);  // the same object twice
    auto other = std::make_shared<TQField>();
    other->Name = "zwei";
    rec.AddField(other);
    EXPECT_EQ(rec.Fields->Count(), 3);
    EXPECT_EQ(rec.Fields->Item(1), rec.Fields->Item(2));
    std::vector<std::shared_ptr<TQField>> seen(rec.Fields->begin(), rec.Fields->end());
    EXPECT_EQ(seen.back(), other);
    EXPECT_EQ(ErrorOf([&] { rec.Fields->Item(0); }), kErrOutOfRange);
    EXPECT_EQ(ErrorOf([&] { rec.Fields->Item(4); }), kErrOutOfRange);
    EXPECT_EQ(ErrorOf([&] { rec.Fields->Remove(4); }), kErrOutOfRange);

    TQExportDef def;
    auto shared = std::make_shared<TQRecords>();
    def.Records = shared;  // setting a collection shares it
    def.AddRecord(std::make_shared<TQRecord>());
    EXPECT_EQ(shared->Count(), 1);
}

}  // namespace
}  // namespace norvik
