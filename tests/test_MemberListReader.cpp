#include <gtest/gtest.h>
#include "support/AllocationFailure.h"
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"
#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

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
        if (!object) {
            text += L"<null>";
            continue;
        }
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
    {"first objectlist is used", "<?xml version='1.0'?><!-- c --><objectlist><a name='x' type='t'/></objectlist>", 0, 1,
     L"x:t"},
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
    {"UTF-8 with a mark", "\xEF\xBB\xBF<objectlist><o name='\xE4\xB8\xAD' type='t'/></objectlist>", 0, 1, L"\u4e2d:t"},
    // Documents that break one rule of well-formedness each are refused whole.
    {"a control character", "<objectlist><o name='a\x01' type='t'/></objectlist>", 0, 0, L""},
    {"attributes run together", "<objectlist><o name='a'type='t'/></objectlist>", 0, 0, L""},
    {"an attribute given twice", "<objectlist><o name='a' name='b' type='t'/></objectlist>", 0, 0, L""},
    {"an undeclared entity", "<objectlist><o name='&nbsp;' type='t'/></objectlist>", 0, 0, L""},
    {"a reference with an upper-case X", "<objectlist><o name='&#X41;' type='t'/></objectlist>", 0, 0, L""},
    {"a member name starting with a digit",
     "<objectlist><o name='a' type='t'><1var name='v' type='t'/></o></objectlist>", 0, 0, L""},
    {"]]> in text", "<objectlist>]]><o name='a' type='t'/></objectlist>", 0, 0, L""},
    {"a processing instruction named XML", "<objectlist><?XML x?><o name='a' type='t'/></objectlist>", 0, 0, L""},
    {"a mark and a declared encoding that disagree",
     "\xEF\xBB\xBF<?xml version='1.0' encoding='ISO-8859-1'?><objectlist><o name='a' type='t'/></objectlist>", 0, 0,
     L""},
    {"a character beyond U+FFFF referred to", "<objectlist><o name='&#x1F600;' type='t'/></objectlist>", 0, 1,
     L"\U0001F600:t"},
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
    MemberFile file(
        "<objectlist><o name='Customer' type='first'><var name='id' type='long'/></o>"
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
        xml += "  <object name=\"caf\xC3\xA9" + std::to_string(i) +
               "\" type=\"\xE4\xB8\xAD\" comment=\"\xF0\x9F\x98\x80 " + std::to_string(i) +
               "\">\n    <var name=\"\xC3\xA9t\xC3\xA9\" type=\"long\"/>\n  </object>\n";
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

// ---- The reader against the format's own steps over the document class ----

namespace {

// The attribute's value when present and not empty, else null.
const Qx_WString* Required(const Qx_DOMElement& element, const wchar_t* name) {
    const Qx_NamedStr* found = element.GetAttrItem(name);
    return found && !found->value.IsEmpty() ? &found->value : nullptr;
}

template <class Record>
Record* ReferenceRecord(const Qx_DOMElement& element, const wchar_t* secondName, Qx_WString Record::*second) {
    const Qx_WString* name = Required(element, L"name");
    const Qx_WString* value = Required(element, secondName);
    if (!name || !value) return nullptr;
    Record* record = new Record;
    record->name = *name;
    record->*second = *value;
    if (const Qx_NamedStr* comment = element.GetAttrItem(L"comment")) record->comment = comment->value;
    return record;
}

// Step by step as the member list format says: load the whole document, take the first
// top-level "objectlist", add each object with Add before reading its members.
int ReferenceRead(CObjectList& list, const std::string& bytes) {
    Qx_XmlDOM document(0);
    if (!document.LoadXML(Qx_Buffer(bytes.data(), static_cast<int>(bytes.size())))) return 0;
    const Qx_DOMElement* root = document.GetItem(document.FindTag(L"objectlist", 0));
    if (!root) return 0;
    for (int i = 0; i < root->GetChildCount(); ++i) {
        const Qx_DOMElement* child = root->GetChildList()->GetItem(i);
        if (child->GetNodeType() != QX_NODE_ELEMENT) continue;
        CObjectItem* object = ReferenceRecord(*child, L"type", &CObjectItem::type);
        if (!object) continue;
        list.Add(object);
        for (int m = 0; m < child->GetChildCount(); ++m) {
            const Qx_DOMElement* member = child->GetChildList()->GetItem(m);
            if (member->GetNodeType() != QX_NODE_ELEMENT) continue;
            if (qx_stricmpW(member->GetTag(), L"var") == 0) {
                if (CVariable* variable = ReferenceRecord(*member, L"type", &CVariable::type))
                    object->variables.Add(variable);
            } else if (qx_stricmpW(member->GetTag(), L"method") == 0) {
                if (CMethod* method = ReferenceRecord(*member, L"prototype", &CMethod::prototype))
                    object->methods.Add(method);
            }
        }
    }
    return 1;
}

// Random member list documents: names from a small alphabet, any subset of the attributes
// (empty values, references, a namespace prefix), member tags in any case, deeper
// elements, text, CDATA, comments; now and then damaged.
class DocumentMaker {
public:
    explicit DocumentMaker(unsigned seed) : random_(seed) {}

    std::string Make() {
        std::string text;
        if (Chance(3)) text += "<?xml version='1.0' encoding='UTF-8'?>\n";
        if (Chance(5)) text += "<!-- members -->\n";
        const char* roots[] = {"objectlist", "objectlist", "objectlist", "objectlist", "ObjectList", "root"};
        const char* root = roots[random_() % 6];
        text += std::string("<") + root + (Chance(8) ? " name='x' type='y'" : "") + ">";
        if (Chance(10)) text += "<objectlist><o name='inner' type='t'/></objectlist>";
        for (int i = static_cast<int>(random_() % 7); i > 0; --i) text += Object();
        text += std::string("</") + root + ">";
        if (Chance(10)) text += "<second/>";
        if (Chance(3)) Damage(text);
        return text;
    }

private:
    bool Chance(int inverse) { return random_() % static_cast<unsigned>(inverse) == 0; }

    std::string Attributes() {
        const char* names[] = {"name", "type", "prototype", "comment", "other", "x:name", "NAME"};
        const char* values[] = {"a", "A", "b", "B", "ab", "aB", "", "x&amp;y", "&#x41;b", "caf\xC3\xA9", " a "};
        std::string text;
        for (const char* name : names)
            if (random_() % 5 < (name[0] == 'x' || name[0] == 'N' ? 1u : 4u)) {
                if (name[0] == 'x') text += " xmlns:x='urn:x'";
                text += std::string(" ") + name + "='" + values[random_() % 11] + "'";
            }
        if (Chance(25)) text += " name='again'";  // a duplicate attribute
        return text;
    }

    std::string Member() {
        const char* tags[] = {"var", "VAR", "Var", "method", "METHOD", "mEthod", "property", "v"};
        std::string tag = tags[random_() % 8];
        std::string text = "<" + tag + Attributes();
        if (Chance(4)) return text + "><var name='deep' type='t'/>text</" + tag + ">";
        return text + "/>";
    }

    std::string Object() {
        const char* tags[] = {"object", "o", "thing"};
        std::string tag = tags[random_() % 3];
        std::string text = "<" + tag + Attributes();
        if (Chance(4)) return text + "/>";
        text += ">";
        for (int i = static_cast<int>(random_() % 5); i > 0; --i) {
            switch (random_() % 6) {
            case 0: text += "text &lt; more"; break;
            case 1: text += "<![CDATA[<var name='c' type='t'/>]]>"; break;
            case 2: text += "<!-- c --><?pi x?>"; break;
            default: text += Member(); break;
            }
        }
        return text + "</" + tag + ">";
    }

    // Never cut inside or just after a leading declaration: Wine's XmlLite aborts the
    // process on a text that ends there.
    void Damage(std::string& text) {
        const size_t declared = text.compare(0, 5, "<?xml") == 0 ? text.find('\n') + 1 : 0;
        const size_t at = declared + random_() % (text.size() - declared + 1);
        switch (random_() % 4) {
        case 0: text.resize(at); break;
        case 1: text.insert(at, 1, "<&'\">"[random_() % 5]); break;
        case 2:
            if (at < text.size()) text.erase(at, 1);
            break;
        default: text = "<!DOCTYPE objectlist>" + text; break;
        }
    }

    std::mt19937 random_;
};

// The same start in two lists: objects of small names out of name order, and a null item.
void Prefill(CObjectList& list, int count, unsigned seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < count; ++i) {
        if (i == count / 2) {
            list.Add(nullptr);
            continue;
        }
        CObjectItem* object = new CObjectItem;
        const wchar_t* names[] = {L"a", L"B", L"b", L"ab", L"AB", L"c", L"A"};
        object->name = names[random() % 7];
        object->type = (L"old" + std::to_wstring(i)).c_str();
        list.Add(object);
    }
}

}  // namespace

TEST(ReadMemberList, AnswersAsTheStepsOverTheDocumentClass) {
    int read = 0, refused = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        const std::string xml = DocumentMaker(seed).Make();
        MemberFile file(xml);
        for (int sorted = 0; sorted <= 1; ++sorted) {
            ObjectListOwner actual, expected;
            const int prefill = static_cast<int>(seed % 5);
            Prefill(actual.list, prefill, seed);
            Prefill(expected.list, prefill, seed);
            actual.list.sorted = expected.list.sorted = sorted;
            const int result = actual.list.ReadMemberList(file.Path());
            ASSERT_EQ(result, ReferenceRead(expected.list, xml)) << xml;
            ASSERT_EQ(Describe(actual.list), Describe(expected.list)) << xml;
            (result ? read : refused) += 1;
        }
    }
    // Both kinds of document were met often.
    EXPECT_GT(read, 200);
    EXPECT_GT(refused, 100);
}

// A sorted read places thousands of objects as Add would one by one, into a list that is
// not in name order, with many equal names and case variants on both sides.
TEST(ReadMemberList, SortedReadPlacesAsRepeatedAdd) {
    std::mt19937 random(5);
    const wchar_t* names[] = {L"a", L"A", L"b", L"B", L"ab", L"Ab", L"ba", L"c", L"C", L"ca"};
    std::string xml = "<objectlist>";
    for (int i = 0; i < 3000; ++i) {
        std::wstring name = names[random() % 10];
        xml += "<o name='" + std::string(name.begin(), name.end()) + "' type='new" + std::to_string(i) + "'/>";
    }
    xml += "</objectlist>";
    MemberFile file(xml);
    ObjectListOwner actual, expected;
    Prefill(actual.list, 2000, 6);
    Prefill(expected.list, 2000, 6);
    actual.list.sorted = expected.list.sorted = 1;
    ASSERT_EQ(actual.list.ReadMemberList(file.Path()), 1);
    ASSERT_EQ(ReferenceRead(expected.list, xml), 1);
    ASSERT_EQ(actual.list.Count(), 5000);
    EXPECT_EQ(Describe(actual.list), Describe(expected.list));
}

TEST(ReadMemberList, DocumentBrokenAfterManyObjectsLeavesTheListAsItWas) {
    std::string xml = "<objectlist>";
    for (int i = 0; i < 500; ++i) xml += "<o name='n" + std::to_string(i) + "' type='t'><var name='v' type='t'/></o>";
    MemberFile truncated(xml + "<o name='last' type='t'>");
    MemberFile unclosed(xml + "</objectlist><objectlist>");
    for (int sorted = 0; sorted <= 1; ++sorted) {
        ObjectListOwner owner;
        Prefill(owner.list, 4, 1);
        owner.list.sorted = sorted;
        const std::wstring before = Describe(owner.list);
        EXPECT_EQ(owner.list.ReadMemberList(truncated.Path()), 0);
        EXPECT_EQ(owner.list.ReadMemberList(unclosed.Path()), 0);
        EXPECT_EQ(Describe(owner.list), before);
    }
}

// ---- Memory running out midway ----

namespace {

// Four objects of three members each (one object skipped), numbered in reading order.
const char kFaultDocument[] =
    "<objectlist>"
    "<o name='b' type='doc0'><var name='v00' type='t'/><method name='m01' prototype='p'/><var name='v02' type='t'/></o>"
    "<o name='a' type='doc1'><method name='m10' prototype='p'/><var name='v11' type='t'/><var name='v12' type='t'/></o>"
    "<o name='skipped'><var name='x' type='t'/></o>"
    "<o name='B' type='doc2'><var name='v20' type='t'/><var name='v21' type='t'/><method name='m22' prototype='p'/></o>"
    "<o name='a' type='doc3' comment='c'><method name='m30' prototype='p'/><method name='m31' prototype='p'/>"
    "<var name='v32' type='t'/></o>"
    "</objectlist>";
const int kFaultObjects = 4;

// The members of document object k in reading order, as in kFaultDocument.
std::vector<std::wstring> DocumentMembers(int k) {
    std::vector<std::wstring> names;
    const std::string xml = kFaultDocument;
    const std::string mark = "type='doc" + std::to_string(k) + "'";
    size_t at = xml.find(mark), end = xml.find("</o>", at);
    for (size_t p = xml.find(" name='", at); p < end; p = xml.find(" name='", p + 1))
        names.emplace_back(xml.begin() + static_cast<std::ptrdiff_t>(p + 7),
                           xml.begin() + static_cast<std::ptrdiff_t>(xml.find('\'', p + 7)));
    return names;
}

// What an interrupted read may leave: the start list with document objects 0..j-1 added
// as Add would add them, each with all its members but the last, which has the members
// of a prefix of its element. Answers j; cut tells whether object j-1 lacks members.
int ExpectAPrefixWasAdded(const CObjectList& list, int sorted, int result, int prefill, bool& cut) {
    cut = false;
    std::vector<const CObjectItem*> added;
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i) && list.Items(i)->type.Find(L"doc") == 0) added.push_back(list.Items(i));
    std::sort(added.begin(), added.end(),
              [](const CObjectItem* a, const CObjectItem* b) { return qx_strcmpW(a->type, b->type) < 0; });
    const int j = static_cast<int>(added.size());
    for (int k = 0; k < j; ++k) {
        EXPECT_EQ(added[static_cast<size_t>(k)]->type.str(), L"doc" + std::to_wstring(k));
        const std::vector<std::wstring> members = DocumentMembers(k);
        const CObjectItem* object = added[static_cast<size_t>(k)];
        const size_t have = static_cast<size_t>(object->variables.Count() + object->methods.Count());
        if (k < j - 1 || result == 1) {
            EXPECT_EQ(have, members.size()) << "object " << k;
        }
        cut = have < members.size();
        int v = 0, m = 0;
        for (size_t i = 0; i < have && i < members.size(); ++i) {
            const bool isVariable = members[i][0] == L'v';
            const CVariable* variable = object->variables.Items(v);
            const CMethod* method = object->methods.Items(m);
            EXPECT_EQ(isVariable ? variable && variable->name == members[i].c_str()
                                 : method && method->name == members[i].c_str(),
                      true)
                << "member " << i << " of object " << k;
            isVariable ? ++v : ++m;
        }
    }
    if (result == 1) {
        EXPECT_EQ(j, kFaultObjects);
    }
    // The order is that of Add, one object after the other.
    ObjectListOwner expected;
    Prefill(expected.list, prefill, 3);
    expected.list.sorted = sorted;
    const char* names[] = {"b", "a", "B", "a"};
    for (int k = 0; k < j; ++k) {
        CObjectItem* object = new CObjectItem;
        object->name.Set(names[k]);
        object->type = (L"doc" + std::to_wstring(k)).c_str();
        expected.list.Add(object);
    }
    std::wstring order, expectedOrder;
    for (int i = 0; i < list.Count(); ++i) order += (list.Items(i) ? list.Items(i)->type.str() : L"-") + L",";
    for (int i = 0; i < expected.list.Count(); ++i)
        expectedOrder += (expected.list.Items(i) ? expected.list.Items(i)->type.str() : L"-") + L",";
    EXPECT_EQ(order, expectedOrder);
    return j;
}

}  // namespace

// Memory runs out at each allocation of a read in turn, once.
TEST(ReadMemberList, MemoryRunningOutKeepsWhatWasAdded) {
    MemberFile file(kFaultDocument);
    for (int sorted = 0; sorted <= 1; ++sorted) {
        int steps = 0;
        {
            ObjectListOwner clean;
            clean.list.sorted = sorted;
            int result = 0;
            {
                AllocationFailure counting(1 << 30);
                ASSERT_TRUE(counting.Valid());
                result = clean.list.ReadMemberList(file.Path());
                steps = AllocationFailure::Made();
            }
            ASSERT_EQ(result, 1);
        }
        ASSERT_GT(steps, 40);
        std::vector<int> partial(kFaultObjects + 1), cutShort(kFaultObjects + 1);
        for (int step = 0; step <= steps; ++step) {
            ObjectListOwner owner;
            Prefill(owner.list, 3, 3);
            owner.list.sorted = sorted;
            int result = 0;
            {
                AllocationFailure failure(step, true);
                result = owner.list.ReadMemberList(file.Path());
            }
            if (step == steps) {
                EXPECT_EQ(result, 1);
            }
            bool cut = false;
            const size_t j = static_cast<size_t>(ExpectAPrefixWasAdded(owner.list, sorted, result, 3, cut));
            partial[j] += result == 0;
            cutShort[j] += cut;
            if (::testing::Test::HasFailure()) {
                ADD_FAILURE() << "sorted " << sorted << ", fault at allocation " << step << " of " << steps;
                return;
            }
        }
        // Faults fell before the first object, amid every object, and while placing them;
        // an object whose members were being read stayed with those read.
        for (size_t j = 0; j <= kFaultObjects; ++j) EXPECT_GT(partial[j], 0) << j;
        for (size_t j = 1; j <= kFaultObjects; ++j) EXPECT_GT(cutShort[j], 0) << j;
    }
}
