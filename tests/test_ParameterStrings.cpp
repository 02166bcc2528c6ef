#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include <string>

namespace {

CObjectItem* AddObject(CObjectList& list, const wchar_t* name) {
    CObjectItem* object = new CObjectItem;
    object->name = name;
    object->type = L"T";
    list.Add(object);
    return object;
}

void AddVariable(CObjectItem* object, const wchar_t* name, const wchar_t* type, const wchar_t* comment) {
    CVariable* variable = new CVariable;
    variable->name = name;
    variable->type = type;
    variable->comment = comment;
    object->variables.Add(variable);
}

void AddMethod(CObjectItem* object, const wchar_t* name, const wchar_t* prototype, const wchar_t* comment) {
    CMethod* method = new CMethod;
    method->name = name;
    method->prototype = prototype;
    method->comment = comment;
    object->methods.Add(method);
}

// A catalogue as a member list file would give it, with the awkward cases side by side.
class ParameterStrings : public ::testing::Test {
protected:
    void SetUp() override {
        CObjectItem* customer = AddObject(list_, L"Customer");
        AddVariable(customer, L"Id", L"long", L"");
        AddVariable(customer, L"Name", L"CString", L"The customer's name");
        AddVariable(customer, L"Both", L"int", L"the variable");
        AddVariable(customer, L"Blank", L"short", L"   ");
        AddVariable(customer, L"Percent", L"100%s", L"%d%%%n");
        AddMethod(customer, L"Both", L"void Both()", L"the method");
        AddMethod(customer, L"Load", L"bool Load(long id)", L"");
        AddMethod(customer, L"Save", L"bool Save()", L"Writes the row\nback");
        AddMethod(customer, L"Format", L"CString Format(const wchar_t* fmt, ...)", L"Like %s and %ls");
        // A second object of the same name: never consulted.
        CObjectItem* shadow = AddObject(list_, L"CUSTOMER");
        AddVariable(shadow, L"OnlyInSecond", L"long", L"");
        AddMethod(shadow, L"Load", L"int Load()", L"second");
        AddObject(list_, L"");
    }
    void TearDown() override { list_.ClearObject(); }

    CObjectList list_;
};

struct TipCase {
    const wchar_t* object;
    const wchar_t* member;
    int methodsOnly;
    const wchar_t* tip;
};

const TipCase kTipCases[] = {
    {L"Customer", L"Id", 0, L"long"},
    {L"customer", L"NAME", 0, L"CString\nThe customer's name"},
    {L"Customer", L"Both", 0, L"int\nthe variable"},
    {L"Customer", L"Both", 1, L"void Both()\nthe method"},
    {L"Customer", L"Both", 7, L"void Both()\nthe method"},
    {L"Customer", L"Id", 1, L""},
    {L"Customer", L"Blank", 0, L"short\n   "},
    {L"Customer", L"Percent", 0, L"100%s\n%d%%%n"},
    {L"Customer", L"Load", 0, L"bool Load(long id)"},
    {L"Customer", L"Save", 0, L"bool Save()\nWrites the row\nback"},
    {L"Customer", L"Format", 1, L"CString Format(const wchar_t* fmt, ...)\nLike %s and %ls"},
    {L"Customer", L"OnlyInSecond", 0, L""},
    {L"Customer", L"Missing", 0, L""},
    {L"Customer", L"", 0, L""},
    {L"Nobody", L"Id", 0, L""},
    {L"", L"Id", 0, L""},
};

}  // namespace

TEST_F(ParameterStrings, TipOfEveryKindOfMember) {
    for (const TipCase& c : kTipCases) {
        CString tip(L"left over");
        list_.GetParameterStr(c.object, c.member, tip, c.methodsOnly);
        EXPECT_EQ(std::wstring(tip.GetString()), std::wstring(c.tip))
            << "object '" << testing::PrintToString(std::wstring(c.object)) << "' member '"
            << testing::PrintToString(std::wstring(c.member)) << "' methodsOnly " << c.methodsOnly;
    }
}

TEST_F(ParameterStrings, NullNamesFindNothing) {
    CString tip(L"left over");
    list_.GetParameterStr(nullptr, L"Id", tip, 0);
    EXPECT_TRUE(tip.IsEmpty());
    tip = L"left over";
    list_.GetParameterStr(L"Customer", nullptr, tip, 0);
    EXPECT_TRUE(tip.IsEmpty());
}

TEST(ParameterStringsFromFile, DemoMemberList) {
    const char* source = getenv("QX_SOURCE_DIR");
    std::wstring path = source ? std::wstring(source, source + strlen(source)) + L"\\demo\\members.xml"
                               : L"..\\..\\..\\demo\\members.xml";
    for (wchar_t& ch : path)
        if (ch == L'/') ch = L'\\';
    CObjectList list;
    ASSERT_EQ(list.ReadMemberList(path.c_str()), 1);
    EXPECT_GE(list.Count(), 3);
    CString tip;
    list.GetParameterStr(L"Customer", L"Load", tip, 1);
    EXPECT_FALSE(tip.IsEmpty());
    list.ClearObject();
}

// The host renames and empties records between tips: each tip looks at the catalogue as it
// stands then.
TEST_F(ParameterStrings, TipsFollowChangesTheHostMakes) {
    CString tip;
    list_.GetParameterStr(L"Customer", L"Load", tip, 0);
    EXPECT_EQ(std::wstring(tip.GetString()), L"bool Load(long id)");
    list_.Items(0)->name = L"Client";
    list_.GetParameterStr(L"customer", L"Load", tip, 0);
    EXPECT_EQ(std::wstring(tip.GetString()), L"int Load()\nsecond");  // now the first "Customer"
    list_.GetParameterStr(L"CLIENT", L"Id", tip, 0);
    EXPECT_EQ(std::wstring(tip.GetString()), L"long");
    list_.Items(0)->variables.Items(0)->name = L"Key";
    list_.GetParameterStr(L"Client", L"key", tip, 0);
    EXPECT_EQ(std::wstring(tip.GetString()), L"long");
    list_.Items(1)->ClearItem();
    list_.GetParameterStr(L"Customer", L"Load", tip, 0);
    EXPECT_TRUE(tip.IsEmpty());
}
