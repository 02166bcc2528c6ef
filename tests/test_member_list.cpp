#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"
#include <string>

namespace {

// A member list file in the temporary folder, removed at the end of the test.
class MemberFile {
public:
    explicit MemberFile(const std::string& bytes) {
        wchar_t folder[MAX_PATH], path[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"qxm", 0, path);
        path_ = path;
        Qx_File file;
        EXPECT_EQ(file.Open(path, "wb"), 0);
        if (!bytes.empty()) {
            EXPECT_EQ(file.Write(bytes.data(), static_cast<int>(bytes.size()), -1), static_cast<int>(bytes.size()));
        }
    }
    ~MemberFile() { DeleteFileW(path_.c_str()); }
    const wchar_t* Path() const { return path_.c_str(); }

private:
    std::wstring path_;
};

// The catalogue as one line: objects "name:type#comment" with their variables "v name:type"
// and methods "m name:prototype", separated by "|".
std::wstring Describe(const CObjectList& list) {
    std::wstring text;
    for (int i = 0; i < list.Count(); ++i) {
        const CObjectItem* object = list.Items(i);
        if (i) text += L"|";
        text += object->name.str() + L":" + object->type.str();
        if (!object->comment.IsEmpty()) text += L"#" + object->comment.str();
        for (int v = 0; v < object->variables.Count(); ++v) {
            const CVariable* variable = object->variables.Items(v);
            text += L"|v " + variable->name.str() + L":" + variable->type.str();
            if (!variable->comment.IsEmpty()) text += L"#" + variable->comment.str();
        }
        for (int m = 0; m < object->methods.Count(); ++m) {
            const CMethod* method = object->methods.Items(m);
            text += L"|m " + method->name.str() + L":" + method->prototype.str();
            if (!method->comment.IsEmpty()) text += L"#" + method->comment.str();
        }
    }
    return text;
}

struct ObjectListOwner {
    CObjectList list;
    ~ObjectListOwner() { list.ClearObject(); }
};

struct ReadCase {
    const char* what;
    const char* xml;
    int sorted;
    int result;
    const wchar_t* catalogue;
};

const ReadCase kReadCases[] = {
    {"empty file", "", 0, 0, L""},
    {"not XML", "this is not a document", 0, 0, L""},
    {"not well-formed", "<objectlist><o name='a' type='t'></objectlist>", 0, 0, L""},
    {"no objectlist", "<members><o name='a' type='t'/></members>", 0, 0, L""},
    {"objectlist only further down", "<root><objectlist><o name='a' type='t'/></objectlist></root>", 0, 0, L""},
    {"tag is matched exactly", "<ObjectList><o name='a' type='t'/></ObjectList>", 0, 0, L""},
    {"empty objectlist", "<objectlist/>", 0, 1, L""},
    {"objectlist with text only", "<objectlist>just text</objectlist>", 0, 1, L""},
    {"first objectlist is used",
     "<?xml version='1.0'?><!-- c --><objectlist><a name='x' type='t'/></objectlist>", 0, 1, L"x:t"},
    {"any object tag, comment optional",
     "<objectlist><object name='A' type='TA' comment='first'/><thing name='B' type='TB' comment=''/>"
     "<c name='C' type='TC' other='ignored'/></objectlist>",
     0, 1, L"A:TA#first|B:TB|C:TC"},
    {"object missing or empty name or type skipped with members",
     "<objectlist><o type='t'><var name='v' type='long'/></o><o name='' type='t'/>"
     "<o name='n'><var name='v' type='long'/></o><o name='e' type=''><method name='m' prototype='p'/></o>"
     "<o name='ok' type='t'/></objectlist>",
     0, 1, L"ok:t"},
    {"members in document order, tags without regard to case",
     "<objectlist><o name='o' type='t'><method name='m1' prototype='p1'/><var name='v1' type='long' comment='c'/>"
     "<VAR name='v2' type='short'/><Method name='m2' prototype='p2' comment='x'/><vAr name='v3' type='int'/>"
     "</o></objectlist>",
     0, 1, L"o:t|v v1:long#c|v v2:short|v v3:int|m m1:p1|m m2:p2#x"},
    {"bad members skipped, siblings kept",
     "<objectlist><o name='o' type='t'><method name='m' type='long'/><var name='v' prototype='p'/>"
     "<var name='' type='long'/><var name='w' type=''/><method name='k' prototype=''/>"
     "<property name='p' type='long'/><var name='good' type='long'/><variable name='x' type='y'/>"
     "<method name='ok' prototype='void ok()'/></o></objectlist>",
     0, 1, L"o:t|v good:long|m ok:void ok()"},
    {"members nested below the member level ignored",
     "<objectlist><o name='o' type='t'><group><var name='deep' type='long'/></group>"
     "<var name='v' type='long'><var name='deeper' type='long'/></var></o></objectlist>",
     0, 1, L"o:t|v v:long"},
    {"text, comments and CDATA ignored",
     "<objectlist>text<!-- note --><![CDATA[<o name='x' type='y'/>]]><?pi x?>"
     "<o name='o' type='t'>text<![CDATA[z]]><var name='v' type='long'/></o></objectlist>",
     0, 1, L"o:t|v v:long"},
    {"names differing in case both kept, nothing merged",
     "<objectlist><o name='Order' type='a'><var name='id' type='long'/><var name='ID' type='short'/>"
     "<var name='id' type='int'/></o><o name='order' type='b'/><o name='Order' type='c'/></objectlist>",
     0, 1, L"Order:a|v id:long|v ID:short|v id:int|order:b|Order:c"},
    {"values kept as the parser gives them",
     "<objectlist><o name=' pad ' type='a&amp;b' comment='100% &lt;sure&gt; %s %d'>"
     "<method name='Fmt' prototype='int printf(const char* f, ...)' comment='%n%%'/></o></objectlist>",
     0, 1, L" pad :a&b#100% <sure> %s %d|m Fmt:int printf(const char* f, ...)#%n%%"},
    {"sorted: objects in name order, members in document order",
     "<objectlist><o name='b' type='1'><var name='z' type='t'/><var name='a' type='t'/></o>"
     "<o name='A' type='2'/><o name='a' type='3'/><o name='C' type='4'/></objectlist>",
     1, 1, L"A:2|a:3|b:1|v z:t|v a:t|C:4"},
    {"declared single-byte encoding",
     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><objectlist><o name='caf\xE9' type='t'/></objectlist>", 0, 1,
     L"caf\u00e9:t"},
    {"UTF-8 with a mark",
     "\xEF\xBB\xBF<objectlist><o name='\xE4\xB8\xAD' type='t'/></objectlist>", 0, 1, L"\u4e2d:t"},
};

class ReadMemberListCase : public ::testing::TestWithParam<ReadCase> {};

}  // namespace

TEST_P(ReadMemberListCase, GivesResultAndCatalogue) {
    const ReadCase& c = GetParam();
    MemberFile file(c.xml);
    ObjectListOwner owner;
    owner.list.sorted = c.sorted;
    EXPECT_EQ(owner.list.ReadMemberList(file.Path()), c.result) << c.what;
    EXPECT_EQ(Describe(owner.list), c.catalogue) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Documents, ReadMemberListCase, ::testing::ValuesIn(kReadCases));

TEST(ReadMemberList, MissingFileGivesZeroAndLeavesTheList) {
    ObjectListOwner owner;
    owner.list.Add(new CObjectItem);
    EXPECT_EQ(owner.list.ReadMemberList(L"Z:\\no\\such\\folder\\members.xml"), 0);
    EXPECT_EQ(owner.list.ReadMemberList(L""), 0);
    EXPECT_EQ(owner.list.ReadMemberList(nullptr), 0);
    EXPECT_EQ(owner.list.Count(), 1);
}

TEST(ReadMemberList, AddsToWhatTheListHoldsAndReadingTwiceDoubles) {
    MemberFile file("<objectlist><o name='Customer' type='first'><var name='id' type='long'/></o>"
                    "<o name='customer' type='second'><var name='name' type='text'/></o></objectlist>");
    ObjectListOwner owner;
    CObjectItem* earlier = new CObjectItem;
    earlier->name = L"Earlier";
    owner.list.Add(earlier);
    ASSERT_EQ(owner.list.ReadMemberList(file.Path()), 1);
    ASSERT_EQ(owner.list.ReadMemberList(file.Path()), 1);
    EXPECT_EQ(owner.list.Count(), 5);
    EXPECT_EQ(owner.list.Items(0), earlier);
    EXPECT_EQ(owner.list.FindObject(L"CUSTOMER"), owner.list.Items(1));
    CObjectList out;
    EXPECT_EQ(owner.list.GetMemberList(out, L"customer"), 4);
    EXPECT_EQ(out.Items(2)->type, L"first");
    out.Clear();
}

// Long documents with characters of every width: the parser must not lose its place at the
// boundaries of its reads.
TEST(ReadMemberList, LongFileWithWideCharacters) {
    const int objects = 3000;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<objectlist>\n";
    for (int i = 0; i < objects; ++i)
        xml += "  <object name=\"caf\xC3\xA9" + std::to_string(i) + "\" type=\"\xE4\xB8\xAD\" comment=\"\xF0\x9F\x98\x80 " +
               std::to_string(i) + "\">\n    <var name=\"\xC3\xA9t\xC3\xA9\" type=\"long\"/>\n  </object>\n";
    xml += "</objectlist>\n";
    MemberFile file(xml);
    ObjectListOwner owner;
    ASSERT_EQ(owner.list.ReadMemberList(file.Path()), 1);
    ASSERT_EQ(owner.list.Count(), objects);
    for (int i = 0; i < objects; i += 97) {
        const CObjectItem* object = owner.list.Items(i);
        EXPECT_EQ(object->name.str(), L"caf\u00e9" + std::to_wstring(i));
        EXPECT_EQ(object->type, L"\u4e2d");
        EXPECT_EQ(object->comment.str(), L"\U0001F600 " + std::to_wstring(i));
        ASSERT_EQ(object->variables.Count(), 1);
        EXPECT_EQ(object->variables.Items(0)->name, L"\u00e9t\u00e9");
    }
}

// Many objects of one name in a sorted list keep the order in which they were read.
TEST(ReadMemberList, HundredThousandObjectsOfOneName) {
    const int objects = 100000;
    std::string xml = "<objectlist>\n";
    xml += "<o name='Zed' type='last'/>\n";
    for (int i = 0; i < objects; ++i) xml += "<o name='Same' type='t' comment='" + std::to_string(i) + "'/>\n";
    xml += "<o name='Alpha' type='first'/>\n</objectlist>\n";
    MemberFile file(xml);
    ObjectListOwner owner;
    owner.list.sorted = 1;
    ASSERT_EQ(owner.list.ReadMemberList(file.Path()), 1);
    ASSERT_EQ(owner.list.Count(), objects + 2);
    EXPECT_EQ(owner.list.Items(0)->name, L"Alpha");
    EXPECT_EQ(owner.list.Items(objects + 1)->name, L"Zed");
    bool inReadingOrder = true;
    for (int i = 0; i < objects; ++i)
        inReadingOrder = inReadingOrder && owner.list.Items(i + 1)->comment.ToInteger() == i;
    EXPECT_TRUE(inReadingOrder);
    EXPECT_EQ(owner.list.FindObject(L"same"), owner.list.Items(1));
    EXPECT_EQ(owner.list.GetObjIndex(L"SAME"), objects + 1);
    CObjectList out;
    EXPECT_EQ(owner.list.GetMemberList(out, L"Same"), objects);
    out.Clear();
}
