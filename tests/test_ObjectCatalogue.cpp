#include <gtest/gtest.h>
#include "QxQVInfo320U.h"
#include <random>
#include <type_traits>
#include <string>
#include <utility>
#include <vector>

namespace {

CObjectItem* NewObject(const wchar_t* name, const wchar_t* type = L"T") {
    CObjectItem* object = new CObjectItem;
    object->name = name;
    object->type = type;
    return object;
}

CVariable* NewVariable(const wchar_t* name, const wchar_t* type = L"long") {
    CVariable* variable = new CVariable;
    variable->name = name;
    variable->type = type;
    return variable;
}

CMethod* NewMethod(const wchar_t* name, const wchar_t* prototype = L"void f()") {
    CMethod* method = new CMethod;
    method->name = name;
    method->prototype = prototype;
    return method;
}

std::wstring Names(const CObjectList& list) {
    std::wstring names;
    for (int i = 0; i < list.Count(); ++i) names += (i ? L"," : L"") + list.Items(i)->name.str();
    return names;
}

// What a scan from index 0 answers: the reference for the searches by halving.
template <class List>
int ScanFirstEqual(const List& list, const wchar_t* name) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i) && qx_stricmpW(list.Items(i)->name, name) == 0) return i;
    return -1;
}

template <class List>
int ScanFirstGreater(const List& list, const wchar_t* name) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Items(i) && qx_stricmpW(list.Items(i)->name, name) > 0) return i;
    return list.Count();
}

// Names from a small alphabet, so that equal names and names equal but for case are common.
std::wstring RandomName(std::mt19937& random) {
    static const wchar_t letters[] = L"aAbBcC";
    std::wstring name;
    int length = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < length; ++i) name += letters[random() % 6];
    return name;
}

void ExpectLookupsAsScan(const CObjectList& list, std::mt19937& random) {
    for (int q = 0; q < 200; ++q) {
        std::wstring name = RandomName(random);
        int first = ScanFirstEqual(list, name.c_str());
        EXPECT_EQ(list.FindObject(name.c_str()), first < 0 ? nullptr : list.Items(first)) << name;
        EXPECT_EQ(list.GetObjIndex(name.c_str()), ScanFirstGreater(list, name.c_str())) << name;
        if (q % 10 == 0) {
            CObjectList out;
            list.GetMemberList(out, name.c_str());
            std::vector<void*> expected;
            for (int i = 0; i < list.Count(); ++i)
                if (list.Items(i) && qx_stricmpW(list.Items(i)->name, name.c_str()) == 0)
                    expected.push_back(list.Items(i));
            ASSERT_EQ(out.Count(), static_cast<int>(expected.size())) << name;
            for (int i = 0; i < out.Count(); ++i) EXPECT_EQ(out.Items(i), expected[static_cast<size_t>(i)]) << name;
            out.Clear();
        }
    }
}

struct ObjectListOwner {
    CObjectList list;
    ~ObjectListOwner() { list.ClearObject(); }
};

}  // namespace

TEST(CatalogueRecords, StartEmptyAndCopyByValue) {
    CVariable variable;
    EXPECT_TRUE(variable.type.IsEmpty() && variable.name.IsEmpty() && variable.comment.IsEmpty());
    variable.type = L"long";
    variable.name = L"id";
    variable.comment = L"key";
    CVariable copy(variable);
    variable.name = L"changed";
    EXPECT_EQ(copy.name, L"id");
    CVariable assigned;
    assigned = copy;
    EXPECT_EQ(assigned.type, L"long");
    EXPECT_EQ(assigned.comment, L"key");

    CMethod method;
    EXPECT_TRUE(method.name.IsEmpty() && method.prototype.IsEmpty() && method.comment.IsEmpty());
    method.name = L"Load";
    method.prototype = L"bool Load()";
    CMethod methodCopy;
    methodCopy = method;
    EXPECT_EQ(methodCopy.prototype, L"bool Load()");

    CObjectItem object;
    EXPECT_EQ(object.variables.Count(), 0);
    EXPECT_EQ(object.methods.Count(), 0);
    EXPECT_EQ(object.variables.sorted, 0);
    EXPECT_EQ(object.methods.sorted, 0);
    CObjectList list;
    EXPECT_EQ(list.sorted, 0);
}

TEST(CatalogueRecords, ObjectCopySharesMembersAndClearItemDeletesThem) {
    CObjectItem* object = NewObject(L"Customer", L"CCustomer");
    object->variables.Add(NewVariable(L"id"));
    object->methods.Add(NewMethod(L"Load"));
    {
        CObjectItem copy(*object);
        EXPECT_EQ(copy.name, L"Customer");
        ASSERT_EQ(copy.variables.Count(), 1);
        EXPECT_EQ(copy.variables.Items(0), object->variables.Items(0));
        EXPECT_EQ(copy.methods.Items(0), object->methods.Items(0));
        CObjectItem assigned;
        assigned = *object;
        EXPECT_EQ(assigned.methods.Items(0), object->methods.Items(0));
    }  // the copies go without deleting the shared members
    EXPECT_EQ(object->variables.Items(0)->name, L"id");
    object->ClearItem();
    EXPECT_TRUE(object->name.IsEmpty() && object->type.IsEmpty());
    EXPECT_EQ(object->variables.Count(), 0);
    EXPECT_EQ(object->methods.Count(), 0);
    delete object;
}

// A moved object takes its members over (no member is copied or freed); the moved list
// takes the pointers and `sorted` over and leaves its source empty.
TEST(CatalogueRecords, MovesTakeMembersAndPointersOver) {
    CObjectItem* object = NewObject(L"Customer", L"CCustomer");
    CVariable* id = NewVariable(L"id");
    object->variables.Add(id);
    CObjectItem moved(std::move(*object));
    EXPECT_EQ(moved.name, L"Customer");
    ASSERT_EQ(moved.variables.Count(), 1);
    EXPECT_EQ(moved.variables.Items(0), id);
    EXPECT_EQ(object->variables.Count(), 0);
    delete object;

    ObjectListOwner owner;
    CObjectList source;
    source.sorted = 1;
    source.Add(NewObject(L"b"));
    source.Add(NewObject(L"a"));
    owner.list = std::move(source);
    EXPECT_EQ(owner.list.sorted, 1);
    EXPECT_EQ(Names(owner.list), L"a,b");
    EXPECT_EQ(source.Count(), 0);
    moved.ClearItem();
}

TEST(CatalogueLists, EmptyNameRulesDifferBetweenObjectsAndMembers) {
    ObjectListOwner owner;
    owner.list.Add(NewObject(L""));
    owner.list.Add(NewObject(L"a"));
    EXPECT_EQ(owner.list.FindObject(L""), nullptr);
    EXPECT_EQ(owner.list.FindObject(nullptr), nullptr);
    EXPECT_EQ(owner.list.GetObjIndex(L""), -1);

    CVariableList variables;
    CVariable* unnamed = NewVariable(L"");
    variables.Add(unnamed);
    variables.Add(NewVariable(L"a"));
    EXPECT_EQ(variables.FindVar(L""), unnamed);
    EXPECT_EQ(variables.GetVarIndex(L""), 1);
    variables.ClearVariable();

    CMethodList methods;
    EXPECT_EQ(methods.GetMethodIndex(L"x"), 0);
    CMethod* method = NewMethod(L"");
    methods.Add(method);
    EXPECT_EQ(methods.FindMethod(L""), method);
    methods.ClearMethod();
}

TEST(CatalogueLists, GetVarIndexOfEmptyListIsZero) {
    CVariableList variables;
    EXPECT_EQ(variables.GetVarIndex(L"anything"), 0);
    EXPECT_EQ(variables.FindVar(L"anything"), nullptr);
    CObjectList objects;
    EXPECT_EQ(objects.GetObjIndex(L"anything"), 0);
}

TEST(CatalogueLists, SortedAddPutsLaterEqualNamesAfter) {
    ObjectListOwner owner;
    owner.list.sorted = 1;
    EXPECT_EQ(owner.list.Add(NewObject(L"b")), 0);
    EXPECT_EQ(owner.list.Add(NewObject(L"A")), 0);
    EXPECT_EQ(owner.list.Add(NewObject(L"a")), 1);
    EXPECT_EQ(Names(owner.list), L"A,a,b");
    EXPECT_EQ(owner.list.FindObject(L"a"), owner.list.Items(0));

    CVariableList variables;
    variables.sorted = 1;
    for (const wchar_t* name : {L"b", L"A", L"a"}) variables.Add(NewVariable(name));
    EXPECT_EQ(variables.Items(0)->name, L"A");
    EXPECT_EQ(variables.Items(1)->name, L"a");
    variables.ClearVariable();

    CMethodList methods;
    methods.sorted = 1;
    for (const wchar_t* name : {L"b", L"A", L"a"}) methods.Add(NewMethod(name));
    EXPECT_EQ(methods.Items(1)->name, L"a");
    EXPECT_EQ(methods.Items(2)->name, L"b");
    methods.ClearMethod();
}

TEST(CatalogueLists, UnsortedAddAppendsAndKeepsCaseVariants) {
    ObjectListOwner owner;
    owner.list.Add(NewObject(L"Order"));
    owner.list.Add(NewObject(L"order"));
    owner.list.Add(NewObject(L"Customer"));
    EXPECT_EQ(Names(owner.list), L"Order,order,Customer");
    EXPECT_EQ(owner.list.FindObject(L"ORDER"), owner.list.Items(0));
    // A scan stops at the first greater name even when the list is not in order.
    EXPECT_EQ(owner.list.GetObjIndex(L"a"), 0);
    EXPECT_EQ(owner.list.GetObjIndex(L"order"), 3);
}

TEST(CatalogueLists, SortedAddOfEmptyNameAppendsWithoutHarm) {
    ObjectListOwner owner;
    owner.list.sorted = 1;
    for (int i = 0; i < 20; ++i) owner.list.Add(NewObject((L"n" + std::to_wstring(i % 7)).c_str()));
    CObjectItem* unnamed = NewObject(L"");
    EXPECT_EQ(owner.list.Add(unnamed), 20);
    EXPECT_EQ(owner.list.Items(20), unnamed);
    owner.list.Add(NewObject(L"n3"));
    EXPECT_EQ(owner.list.Count(), 22);
    std::mt19937 random(1);
    ExpectLookupsAsScan(owner.list, random);
    EXPECT_EQ(owner.list.GetObjIndex(L"n0"), ScanFirstGreater(owner.list, L"n0"));
}

TEST(CatalogueLists, NullItemsArePassedOver) {
    ObjectListOwner owner;
    for (int i = 0; i < 12; ++i) owner.list.Add(NewObject((L"o" + std::to_wstring(10 + i)).c_str()));
    owner.list.Add(nullptr);
    owner.list.sorted = 1;
    owner.list.Add(nullptr);
    CObjectItem* later = NewObject(L"o15");
    owner.list.Add(later);
    EXPECT_EQ(owner.list.FindObject(L"o15"), owner.list.Items(5));
    EXPECT_EQ(owner.list.GetObjIndex(L"zzz"), owner.list.Count());
    CObjectList out;
    EXPECT_EQ(owner.list.GetMemberList(out, L"o15"), 2);
}

// Lookups answer what a scan would, on lists filled in every way: sorted and unsorted
// adds, base inserts and removals that bypass the list, copies and assignments.
TEST(CatalogueLists, LookupsMatchScanWhateverTheHistory) {
    std::mt19937 random(42);
    for (int round = 0; round < 6; ++round) {
        ObjectListOwner owner;
        CObjectList& list = owner.list;
        list.sorted = round % 2;
        for (int i = 0; i < 300; ++i) list.Add(NewObject(RandomName(random).c_str()));
        ExpectLookupsAsScan(list, random);

        if (round >= 2) {
            // Behind the list's back: an item inserted at the front out of order.
            list.Qx_PtrList::Insert(0, NewObject(L"zz"));
            ExpectLookupsAsScan(list, random);
            list.sorted = 1;
            list.Add(NewObject(L"b"));
            ExpectLookupsAsScan(list, random);
            delete static_cast<CObjectItem*>(list.RemoveAt(0));
            ExpectLookupsAsScan(list, random);
        }
        CObjectList copy(list);
        EXPECT_EQ(copy.sorted, list.sorted);
        EXPECT_EQ(Names(copy), Names(list));
        ExpectLookupsAsScan(copy, random);
        CObjectList assigned;
        assigned.Add(NewObject(L"zzzz"));
        delete assigned.Items(0);
        assigned = list;
        ExpectLookupsAsScan(assigned, random);
        copy.sorted = 1;
        CObjectItem* onlyInCopy = NewObject(L"bA");
        copy.Add(onlyInCopy);
        ExpectLookupsAsScan(copy, random);
        ExpectLookupsAsScan(list, random);
        delete onlyInCopy;
    }
}

TEST(CatalogueLists, MemberLookupsMatchScan) {
    std::mt19937 random(9);
    CVariableList variables;
    CMethodList methods;
    variables.sorted = 1;
    for (int i = 0; i < 200; ++i) {
        variables.Add(NewVariable(RandomName(random).c_str()));
        methods.Add(NewMethod(RandomName(random).c_str()));
    }
    for (int q = 0; q < 200; ++q) {
        std::wstring name = RandomName(random);
        int v = ScanFirstEqual(variables, name.c_str());
        EXPECT_EQ(variables.FindVar(name.c_str()), v < 0 ? nullptr : variables.Items(v));
        EXPECT_EQ(variables.GetVarIndex(name.c_str()), ScanFirstGreater(variables, name.c_str()));
        int m = ScanFirstEqual(methods, name.c_str());
        EXPECT_EQ(methods.FindMethod(name.c_str()), m < 0 ? nullptr : methods.Items(m));
        EXPECT_EQ(methods.GetMethodIndex(name.c_str()), ScanFirstGreater(methods, name.c_str()));
    }
    variables.ClearVariable();
    methods.ClearMethod();
}

TEST(CatalogueLists, ListCopiesCanBeDestroyedOnTheirOwn) {
    CVariableList* source = new CVariableList;
    source->sorted = 1;
    source->Add(NewVariable(L"b"));
    source->Add(NewVariable(L"a"));
    CVariableList copy(*source);
    EXPECT_EQ(copy.sorted, 1);
    delete source;  // frees its pointer storage only
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Items(0)->name, L"a");
    copy.Add(NewVariable(L"c"));
    EXPECT_EQ(copy.Count(), 3);
    copy.ClearVariable();
    EXPECT_EQ(copy.Count(), 0);
}

TEST(GetMemberList, CollectsEveryObjectOfOneName) {
    ObjectListOwner owner;
    CObjectItem* first = NewObject(L"Order");
    CObjectItem* second = NewObject(L"ORDER");
    owner.list.Add(first);
    owner.list.Add(NewObject(L"Customer"));
    owner.list.Add(second);

    CObjectList out;
    EXPECT_EQ(owner.list.GetMemberList(out, L"order"), 2);
    EXPECT_EQ(out.Items(0), first);
    EXPECT_EQ(out.Items(1), second);
    // out is not emptied first and counts what it held.
    EXPECT_EQ(owner.list.GetMemberList(out, L"Customer"), 3);
    EXPECT_EQ(owner.list.GetMemberList(out, L"Nobody"), 3);
    EXPECT_EQ(owner.list.GetMemberList(out, L""), 0);
    EXPECT_EQ(out.Count(), 3);

    CObjectList sortedOut;
    sortedOut.sorted = 1;
    sortedOut.Add(owner.list.Items(1));
    EXPECT_EQ(owner.list.GetMemberList(sortedOut, L"order"), 3);
    EXPECT_EQ(sortedOut.Items(0)->name, L"Customer");
    out.Clear();
    sortedOut.Clear();
}

TEST(GetMemberList, IntoItsOwnListEndsAndClearDeletesEachObjectOnce) {
    ObjectListOwner owner;
    for (int i = 0; i < 3; ++i) owner.list.Add(NewObject(L"Same"));
    owner.list.Add(NewObject(L"Other"));
    owner.list.Items(0)->variables.Add(NewVariable(L"v"));
    EXPECT_EQ(owner.list.GetMemberList(owner.list, L"same"), 7);
    EXPECT_EQ(owner.list.Items(4), owner.list.Items(0));
    // ClearObject (in the owner) must delete each object once though it stands twice.
}

TEST(CatalogueLists, DestroyingAListLeavesItsObjects) {
    CObjectItem* object = NewObject(L"Kept");
    object->variables.Add(NewVariable(L"v"));
    {
        CObjectList list;
        list.Add(object);
    }
    EXPECT_EQ(object->name, L"Kept");
    EXPECT_EQ(object->variables.Items(0)->name, L"v");
    CObjectList owner;
    owner.Add(object);
    owner.ClearObject();
    EXPECT_EQ(owner.Count(), 0);
}

// ---- Layout: each list is its base list, a virtual destructor and `sorted`; an object is
// its three strings and two lists, nothing beside them. ----

namespace {
struct ListLayout : Qx_PtrList {
    int sorted;
};
struct ObjectLayout {
    Qx_WString type, name, comment;
    CVariableList variables;
    CMethodList methods;
};
}  // namespace

static_assert(sizeof(CVariableList) == sizeof(ListLayout), "a variable list holds only its base and sorted");
static_assert(sizeof(CMethodList) == sizeof(ListLayout), "a method list holds only its base and sorted");
static_assert(sizeof(CObjectList) == sizeof(ListLayout), "an object list holds only its base and sorted");
static_assert(sizeof(CObjectItem) == sizeof(ObjectLayout), "an object holds only its fields");
static_assert(std::has_virtual_destructor<CVariableList>::value && std::has_virtual_destructor<CMethodList>::value &&
                  std::has_virtual_destructor<CObjectList>::value,
              "lists are destroyed through their base");
static_assert(!std::is_polymorphic<CObjectItem>::value && !std::is_polymorphic<CVariable>::value &&
                  !std::is_polymorphic<CMethod>::value,
              "records have no virtual operations");

TEST(CatalogueLayout, SortedFollowsTheBaseList) {
    CObjectList list;
    ListLayout layout;
    EXPECT_EQ(reinterpret_cast<const char*>(&list.sorted) - reinterpret_cast<const char*>(&list),
              reinterpret_cast<const char*>(&layout.sorted) - reinterpret_cast<const char*>(&layout));
}

// ---- Lookups after the host changes items under a list that was already searched. ----

TEST(CatalogueChanges, RenamedObjectIsFoundWhereItStands) {
    ObjectListOwner owner;
    owner.list.sorted = 1;
    for (int i = 0; i < 40; ++i) owner.list.Add(NewObject((L"n" + std::to_wstring(10 + i)).c_str()));
    EXPECT_EQ(owner.list.FindObject(L"n20"), owner.list.Items(10));
    EXPECT_EQ(owner.list.GetObjIndex(L"n13"), 4);
    owner.list.Items(1)->name = L"zzz";
    EXPECT_EQ(owner.list.FindObject(L"zzz"), owner.list.Items(1));
    EXPECT_EQ(owner.list.FindObject(L"n11"), nullptr);
    EXPECT_EQ(owner.list.GetObjIndex(L"n13"), 1);  // the scan stops at the first greater name
    owner.list.Items(2)->ClearItem();
    EXPECT_EQ(owner.list.FindObject(L"n12"), nullptr);
    EXPECT_EQ(owner.list.GetObjIndex(L"n10"), 1);
    CObjectList out;
    EXPECT_EQ(owner.list.GetMemberList(out, L"ZZZ"), 1);
    out.Clear();
}

TEST(CatalogueChanges, RenamedMembersAreFoundWhereTheyStand) {
    CObjectItem object;
    for (int i = 0; i < 40; ++i) {
        object.variables.Add(NewVariable((L"v" + std::to_wstring(10 + i)).c_str()));
        object.methods.Add(NewMethod((L"m" + std::to_wstring(10 + i)).c_str()));
    }
    EXPECT_EQ(object.variables.FindVar(L"v30"), object.variables.Items(20));
    EXPECT_EQ(object.methods.FindMethod(L"m30"), object.methods.Items(20));
    object.variables.Items(1)->name = L"zzz";
    object.methods.Items(1)->name = L"ZZZ";
    EXPECT_EQ(object.variables.FindVar(L"ZZZ"), object.variables.Items(1));
    EXPECT_EQ(object.methods.FindMethod(L"zzz"), object.methods.Items(1));
    EXPECT_EQ(object.variables.GetVarIndex(L"v13"), 1);
    EXPECT_EQ(object.methods.GetMethodIndex(L"m13"), 1);
    object.ClearItem();
}

// ---- Random histories: every answer is compared with a plain scan of the list as it
// stands, after adds, base inserts and removals, renames, emptied items, copies. ----

namespace {

struct ObjectKind {
    using List = CObjectList;
    using Item = CObjectItem;
    static Item* New(const std::wstring& name) { return NewObject(name.c_str()); }
    static Item* Find(const List& list, const wchar_t* name) { return list.FindObject(name); }
    static int Index(const List& list, const wchar_t* name) { return list.GetObjIndex(name); }
    static void Empty(Item* item) { item->ClearItem(); }
    static const bool emptyNameFindsNothing = true;
};

struct VariableKind {
    using List = CVariableList;
    using Item = CVariable;
    static Item* New(const std::wstring& name) { return NewVariable(name.c_str()); }
    static Item* Find(const List& list, const wchar_t* name) { return list.FindVar(name); }
    static int Index(const List& list, const wchar_t* name) { return list.GetVarIndex(name); }
    static void Empty(Item* item) { item->name.Empty(); }
    static const bool emptyNameFindsNothing = false;
};

struct MethodKind {
    using List = CMethodList;
    using Item = CMethod;
    static Item* New(const std::wstring& name) { return NewMethod(name.c_str()); }
    static Item* Find(const List& list, const wchar_t* name) { return list.FindMethod(name); }
    static int Index(const List& list, const wchar_t* name) { return list.GetMethodIndex(name); }
    static void Empty(Item* item) { item->name.Empty(); }
    static const bool emptyNameFindsNothing = false;
};

template <class Kind>
class History {
public:
    using List = typename Kind::List;
    using Item = typename Kind::Item;

    History(unsigned seed, int size) : random_(seed), size_(size) {}
    ~History() {
        for (Item* item : owned_) {
            Kind::Empty(item);
            delete item;
        }
    }

    void Run(int steps) {
        for (int i = 0; i < size_; ++i) Add();
        Check();
        for (int step = 0; step < steps && !::testing::Test::HasFailure(); ++step) {
            Change();
            Check();
        }
    }

private:
    // Names from a small alphabet, so that equal names and case variants are common; now
    // and then the empty name.
    std::wstring Name() {
        if (random_() % 40 == 0) return L"";
        return RandomName(random_);
    }

    Item* Fresh() {
        owned_.push_back(Kind::New(Name()));
        return owned_.back();
    }

    Item* Someone() { return list_.Count() ? list_.Items(static_cast<int>(random_() % list_.Count())) : nullptr; }

    void Add() {
        list_.sorted = random_() % 4 != 0;
        list_.Add(random_() % 200 ? Fresh() : nullptr);
    }

    void Change() {
        switch (random_() % 8) {
        case 0:
        case 1: Add(); break;
        case 2: list_.Qx_PtrList::Insert(static_cast<int>(random_() % (list_.Count() + 1)), Fresh()); break;
        case 3: list_.RemoveAt(static_cast<int>(random_() % (list_.Count() + 1))); break;
        case 4:
            if (Item* item = Someone()) item->name = Name().c_str();
            break;
        case 5:
            if (Item* item = Someone()) Kind::Empty(item);
            break;
        case 6: {  // the history goes on in a copy, or in a list assigned from it
            if (random_() % 2) {
                List copy(list_);
                EXPECT_EQ(copy.sorted, list_.sorted);
                ExpectSameAnswers(copy);
                list_.Clear();
                list_ = copy;
            } else {
                List assigned;
                assigned.Add(Fresh());
                assigned = list_;
                EXPECT_EQ(assigned.sorted, list_.sorted);
                ExpectSameAnswers(assigned);
            }
            break;
        }
        default: break;  // lookups only
        }
    }

    // The name asked for: one that stands in the list (in another case), or any.
    std::wstring Query() {
        Item* item = Someone();
        std::wstring name = item && random_() % 2 ? item->name.str() : Name();
        if (!name.empty() && random_() % 2) name[0] ^= 0x20;
        return name;
    }

    void Check() {
        for (int q = 0; q < 4; ++q) {
            const std::wstring name = Query();
            const int first = ScanFirstEqual(list_, name.c_str());
            Item* expected = first < 0 || (Kind::emptyNameFindsNothing && name.empty()) ? nullptr : list_.Items(first);
            ASSERT_EQ(Kind::Find(list_, name.c_str()), expected) << "name '" << name.c_str() << "'";
            const int greater =
                Kind::emptyNameFindsNothing && name.empty() ? -1 : ScanFirstGreater(list_, name.c_str());
            ASSERT_EQ(Kind::Index(list_, name.c_str()), greater) << "name '" << name.c_str() << "'";
        }
    }

    void ExpectSameAnswers(const List& other) {
        ASSERT_EQ(other.Count(), list_.Count());
        for (int i = 0; i < list_.Count(); ++i) ASSERT_EQ(other.Items(i), list_.Items(i));
        for (int q = 0; q < 4; ++q) {
            const std::wstring name = Query();
            ASSERT_EQ(Kind::Find(other, name.c_str()), Kind::Find(list_, name.c_str()));
            ASSERT_EQ(Kind::Index(other, name.c_str()), Kind::Index(list_, name.c_str()));
        }
    }

    std::mt19937 random_;
    int size_;
    List list_;
    std::vector<Item*> owned_;
};

}  // namespace

TEST(CatalogueHistories, ObjectListsAnswerAsAScan) {
    for (unsigned seed = 1; seed <= 40; ++seed) History<ObjectKind>(seed, static_cast<int>(seed % 12)).Run(300);
    for (unsigned seed = 100; seed < 103; ++seed) History<ObjectKind>(seed, 3000).Run(400);
}

TEST(CatalogueHistories, VariableListsAnswerAsAScan) {
    for (unsigned seed = 1; seed <= 40; ++seed) History<VariableKind>(seed, static_cast<int>(seed % 12)).Run(300);
    History<VariableKind>(200, 3000).Run(400);
}

TEST(CatalogueHistories, MethodListsAnswerAsAScan) {
    for (unsigned seed = 1; seed <= 40; ++seed) History<MethodKind>(seed, static_cast<int>(seed % 12)).Run(300);
    History<MethodKind>(300, 3000).Run(400);
}

// Members of a copied object are the same records: renaming one is seen through both.
TEST(CatalogueHistories, ObjectCopiesSeeRenamedMembers) {
    CObjectItem object;
    for (int i = 0; i < 30; ++i) object.variables.Add(NewVariable((L"v" + std::to_wstring(i)).c_str()));
    CObjectItem copy(object);
    EXPECT_EQ(copy.variables.FindVar(L"v7"), object.variables.Items(7));
    object.variables.Items(3)->name = L"renamed";
    EXPECT_EQ(copy.variables.FindVar(L"RENAMED"), object.variables.Items(3));
    EXPECT_EQ(copy.variables.GetVarIndex(L"v2"), 4);  // "renamed" at 3 is not greater
    object.ClearItem();
}
