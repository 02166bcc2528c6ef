#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_PtrList.h"
#include "foundation/Qx_WString.h"

class CString;

// The object member catalogue: objects with their member variables and methods, looked up
// by name without regard to case (qx_stricmpW).
//
// Ownership: items are heap objects (new); lists hold pointers to them. Destroying a list,
// or an object, never deletes an item; only ClearVariable, ClearMethod, ClearObject and
// ClearItem do. One item may stand in several lists; exactly one of them is cleared.
//
// Lookups scan the list from index 0 as it stands at the call, and keep nothing on the side:
// the host may rename or empty items, or change the list through the base class, at any
// time. A list has no other state than its pointers and `sorted`.

// A member variable. Fields in this order: type, name, comment.
class QX_API CVariable {
public:
    CVariable();
    CVariable(const CVariable& other);
    CVariable(CVariable&& other) noexcept;
    CVariable& operator=(const CVariable& other);
    CVariable& operator=(CVariable&& other) noexcept;
    ~CVariable();

    Qx_WString type;
    Qx_WString name;
    Qx_WString comment;
};

// A member method. Fields in this order: name, prototype (the call form), comment.
class QX_API CMethod {
public:
    CMethod();
    CMethod(const CMethod& other);
    CMethod(CMethod&& other) noexcept;
    CMethod& operator=(const CMethod& other);
    CMethod& operator=(CMethod&& other) noexcept;
    ~CMethod();

    Qx_WString name;
    Qx_WString prototype;
    Qx_WString comment;
};

// A list copy (copy constructor, operator=) has pointer storage of its own holding the same
// item pointers in the same order, and takes over `sorted`; either list can then be
// destroyed on its own. The items are shared: clear only one of the two. A move takes the
// pointers and `sorted` over and leaves the source list empty.

class QX_API CVariableList : public Qx_PtrList {
public:
    CVariableList();
    CVariableList(const CVariableList& other);
    CVariableList(CVariableList&& other) noexcept;
    CVariableList& operator=(const CVariableList& other);
    CVariableList& operator=(CVariableList&& other) noexcept;
    ~CVariableList() override;

    // Null when index is out of range.
    CVariable* Items(int index) const { return static_cast<CVariable*>(Qx_PtrList::Items(index)); }
    // The first variable in list order with that name; null when none has it.
    CVariable* FindVar(const wchar_t* name) const;
    // The index of the first variable whose name is greater; Count() when none is.
    int GetVarIndex(const wchar_t* name) const;
    // sorted: inserted after every variable of an equal or smaller name; else appended.
    // Answers the new item's index. A null item (it has no name) is appended; lookups pass
    // over it.
    int Add(CVariable* item);
    // Deletes every variable (each once, even if it stands twice), then empties the list.
    void ClearVariable();

    int sorted;
};

class QX_API CMethodList : public Qx_PtrList {
public:
    CMethodList();
    CMethodList(const CMethodList& other);
    CMethodList(CMethodList&& other) noexcept;
    CMethodList& operator=(const CMethodList& other);
    CMethodList& operator=(CMethodList&& other) noexcept;
    ~CMethodList() override;

    CMethod* Items(int index) const { return static_cast<CMethod*>(Qx_PtrList::Items(index)); }
    CMethod* FindMethod(const wchar_t* name) const;
    int GetMethodIndex(const wchar_t* name) const;
    int Add(CMethod* item);
    void ClearMethod();

    int sorted;
};

// An object. Fields in this order: type, name, comment, variables, methods. A copy refers
// to the same variables and methods as its source (list copies); a move takes them over.
class QX_API CObjectItem {
public:
    CObjectItem();
    CObjectItem(const CObjectItem& other);
    CObjectItem(CObjectItem&& other) noexcept;
    CObjectItem& operator=(const CObjectItem& other);
    CObjectItem& operator=(CObjectItem&& other) noexcept;
    ~CObjectItem();

    // Empties the strings and deletes every variable and method.
    void ClearItem();

    Qx_WString type;
    Qx_WString name;
    Qx_WString comment;
    CVariableList variables;
    CMethodList methods;
};

class QX_API CObjectList : public Qx_PtrList {
public:
    CObjectList();
    CObjectList(const CObjectList& other);
    CObjectList(CObjectList&& other) noexcept;
    CObjectList& operator=(const CObjectList& other);
    CObjectList& operator=(CObjectList&& other) noexcept;
    ~CObjectList() override;

    CObjectItem* Items(int index) const { return static_cast<CObjectItem*>(Qx_PtrList::Items(index)); }
    // Null for an empty name; else the first object in list order with that name.
    CObjectItem* FindObject(const wchar_t* name) const;
    // -1 for an empty name; else the index of the first object whose name is greater, or Count().
    int GetObjIndex(const wchar_t* name) const;
    // As CVariableList::Add. An object with an empty name in a sorted list is appended.
    int Add(CObjectItem* item);
    // Deletes every object with its members (each once), then empties the list.
    void ClearObject();
    // Adds every object of that name to out (through out.Add, so out's own sorted flag
    // decides where) and answers out's count; 0, out untouched, for an empty name. out may
    // be this very list.
    int GetMemberList(CObjectList& out, const wchar_t* name) const;

    // Reads a member list file and adds its objects, in the order that adding each with Add
    // would give. 1 when its "objectlist" was read to the end, else 0 (nothing added when
    // the file does not parse or has no "objectlist"; the objects read before a failure
    // while reading stay, the one being read with the members read so far).
    int ReadMemberList(const wchar_t* path);

    // The tip text of a member: a variable's type or a method's prototype, then a line
    // feed and the comment when there is one. Empty when nothing is found. methodsOnly
    // non-zero: variables are not searched.
    void GetParameterStr(const wchar_t* objectName, const wchar_t* memberName, CString& tipText, int methodsOnly) const;

    int sorted;
};
