#pragma once
#include "platform/QxExport.h"
#include "foundation/Qx_Variant.h"
#include <deque>

// A named value.
class QX_API Qx_Variable : public Qx_Variant {
public:
    Qx_Variable() = default;
    Qx_Variable(const wchar_t* name, const Qx_Variant& value) : Qx_Variant(value), name_(name) {}
    const Qx_WString& GetName() const { return name_; }
    void SetName(const wchar_t* name) { name_ = name; }

private:
    Qx_WString name_;
};

// Variables by name. The list keeps copies of what it is given and frees them itself.
// Names are matched without regard to case; of two of one name the first is found.
// The variables lie in blocks of several, none moves while the list grows: a pointer
// to one stays valid until the list is emptied or destroyed.
class QX_API Qx_VariableList {
public:
    // owns is kept for callers that pass 1; the list always owns its copies.
    explicit Qx_VariableList(int owns = 1);
    Qx_VariableList(const Qx_VariableList& other);
    // Not noexcept: the deque allocates even to move.
    Qx_VariableList(Qx_VariableList&& other);  // NOLINT(performance-noexcept-move-constructor)
    Qx_VariableList& operator=(const Qx_VariableList& other);
    Qx_VariableList& operator=(Qx_VariableList&& other) noexcept;
    ~Qx_VariableList();

    // Adds a string variable; answers the new index.
    int AddStr(const wchar_t* name, const wchar_t* value);
    // Adds a copy; answers the new index.
    int Add(const Qx_Variable& variable);
    int Add(Qx_Variable&& variable);
    int Add(const wchar_t* name, const Qx_Variant& value);
    // Null when absent.
    Qx_Variable* GetItem(const wchar_t* name) const;
    // Null when index is out of range.
    Qx_Variable* GetItemNN(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }
    // Empties the list and frees the variables.
    void ReleaseList();

private:
    std::deque<Qx_Variable> items_;
};
