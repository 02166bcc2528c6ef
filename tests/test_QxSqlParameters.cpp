#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "runtime/internal/QxSqlParameters.h"
#include "support/StatusAssertions.h"

namespace {
struct Case {
    const wchar_t* sql;
    const wchar_t* expected;  // null: refused
    std::vector<const wchar_t*> names;
};
}  // namespace

TEST(SqlNamedToPositional, Table) {
    const Case cases[] = {
        {L"SELECT 1", L"SELECT 1", {}},
        {L"SELECT * FROM t WHERE a = :a AND b = :b_2", L"SELECT * FROM t WHERE a = ? AND b = ?", {L"a", L"b_2"}},
        {L"SELECT :a, :a", L"SELECT ?, ?", {L"a", L"a"}},
        {L"SELECT ':notparam', \"x:y\", [c:d] FROM t", L"SELECT ':notparam', \"x:y\", [c:d] FROM t", {}},
        {L"SELECT 'it''s :x' || :y", L"SELECT 'it''s :x' || ?", {L"y"}},
        {L"SELECT 1 -- :c\n, :d", L"SELECT 1 -- :c\n, ?", {L"d"}},
        {L"SELECT /* :c */ :d", L"SELECT /* :c */ ?", {L"d"}},
        {L"SELECT a::text, : b, :1", L"SELECT a::text, : b, :1", {}},
        {L"SELECT 'open", nullptr, {}},
        {L"SELECT /* open", nullptr, {}},
        {L"SELECT ?", nullptr, {}},
    };
    for (const Case& c : cases) {
        Qx_WString out;
        std::vector<Qx_WString> names;
        const QxStatus status = QxSqlNamedToPositional(Qx_WString(c.sql), out, names);
        Qx_AString label(c.sql);
        if (!c.expected) {
            EXPECT_TRUE(Fails(status, QxCode::kMalformed)) << label.GetSafeBuffer();
            continue;
        }
        ASSERT_TRUE(IsOk(status)) << label.GetSafeBuffer();
        EXPECT_EQ(out, c.expected) << label.GetSafeBuffer();
        ASSERT_EQ(names.size(), c.names.size()) << label.GetSafeBuffer();
        for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], c.names[i]);
    }
}
