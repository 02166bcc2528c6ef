// What a host compiled against the public header relies on, checked at compile time in
// both trees: the field order and offsets of the exported records, the layout of the
// classes that hosts create and read themselves, and the calling convention of the
// exported callback. Sizes are pinned per target, so that a change to any of them stops
// the build here instead of breaking a host built against an earlier header. On i686, the
// target the tool ships on, these checks stand even where its tests cannot run.
#include "QxQVInfo320U.h"
#include <shlobj.h>
#include <cstddef>
#include <type_traits>

// offsetof on classes with a virtual destructor (the pointer lists and what holds them) is
// conditionally supported; GCC lays them out as the Itanium ABI says, which is what is
// pinned here.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace {
#if defined(_WIN64)
constexpr std::size_t kPointer = 8, kString = 32, kList = 40, kSortedList = 48;
constexpr std::size_t kVariableList = 80, kStrList = 24, kDataset = 136;
#else
constexpr std::size_t kPointer = 4, kString = 24, kList = 24, kSortedList = 32;
constexpr std::size_t kVariableList = 40, kStrList = 12, kDataset = 80;
#endif
// The pointer lists carry a 64-bit revision: records that hold one are 8-aligned.
constexpr std::size_t Align8(std::size_t n) { return (n + 7) / 8 * 8; }
}  // namespace

// The building blocks.
static_assert(sizeof(void*) == kPointer);
static_assert(sizeof(Qx_WString) == kString);
static_assert(sizeof(Qx_PtrList) == kList);
static_assert(sizeof(Qx_VariableList) == kVariableList);
static_assert(sizeof(Qx_WStrList) == kStrList);
static_assert(sizeof(Qx_Dataset) == kDataset);
static_assert(sizeof(Qx_Variant) == 24, "a value takes 24 bytes on both targets");
static_assert(sizeof(int) == 4 && sizeof(long) == 4, "32-bit integers in records and results");

// SERVER_INFO: ten strings, state and remote, hostList, five strings.
static_assert(offsetof(SERVER_INFO, name) == 0);
static_assert(offsetof(SERVER_INFO, grpname) == 1 * kString);
static_assert(offsetof(SERVER_INFO, svc_forder) == 7 * kString);
static_assert(offsetof(SERVER_INFO, bindmethod) == 9 * kString);
static_assert(offsetof(SERVER_INFO, state) == 10 * kString);
static_assert(offsetof(SERVER_INFO, remote) == 10 * kString + 4);
static_assert(offsetof(SERVER_INFO, hostList) == 10 * kString + 8);
static_assert(offsetof(SERVER_INFO, PrgmType) == 10 * kString + 8 + kList);
static_assert(offsetof(SERVER_INFO, extra) == 14 * kString + 8 + kList);
static_assert(sizeof(SERVER_INFO) == 15 * kString + 8 + kList);

// ADAPTER_INFO and ENVIRONMENT_INFO: strings only.
static_assert(offsetof(ADAPTER_INFO, adaptor) == 0);
static_assert(offsetof(ADAPTER_INFO, dir) == 1 * kString);
static_assert(offsetof(ADAPTER_INFO, module) == 2 * kString);
static_assert(offsetof(ADAPTER_INFO, ver) == 6 * kString);
static_assert(sizeof(ADAPTER_INFO) == 7 * kString);
static_assert(offsetof(ENVIRONMENT_INFO, module) == kString);
static_assert(sizeof(ENVIRONMENT_INFO) == 2 * kString);
static_assert(sizeof(SVC_DESC10) == 10 * kString);
static_assert(sizeof(SVC_DESC4) == 4 * kString);

// SVC_INFO: twelve strings, four lists, eleven integers.
static_assert(offsetof(SVC_INFO, time) == 6 * kString);
static_assert(offsetof(SVC_INFO, desc_text5) == 11 * kString);
static_assert(offsetof(SVC_INFO, desc_list1) == 12 * kString);
static_assert(offsetof(SVC_INFO, desc_list4) == 12 * kString + 3 * kList);
static_assert(offsetof(SVC_INFO, desc_num1) == 12 * kString + 4 * kList);
static_assert(offsetof(SVC_INFO, desc_num11) == 12 * kString + 4 * kList + 40);
static_assert(sizeof(SVC_INFO) == Align8(12 * kString + 4 * kList + 44));

// DATASET_INFO: four strings, the variables, the string list, the dataset.
static_assert(offsetof(DATASET_INFO, desc_text3) == 3 * kString);
static_assert(offsetof(DATASET_INFO, varList) == 4 * kString);
static_assert(offsetof(DATASET_INFO, strList) == 4 * kString + kVariableList);
static_assert(offsetof(DATASET_INFO, dataset) == 4 * kString + kVariableList + kStrList);
static_assert(sizeof(DATASET_INFO) == 4 * kString + kVariableList + kStrList + kDataset);

// CRegistry holds exactly one field, the key's handle.
static_assert(sizeof(CRegistry) == sizeof(HKEY));
static_assert(!std::is_polymorphic_v<CRegistry>);

// The catalogue: members and objects are strings (a variable and an object begin with
// their type, a method with its name), the lists a pointer list and `sorted`.
static_assert(offsetof(CVariable, type) == 0 && offsetof(CVariable, name) == kString);
static_assert(offsetof(CVariable, comment) == 2 * kString && sizeof(CVariable) == 3 * kString);
static_assert(offsetof(CMethod, name) == 0 && offsetof(CMethod, prototype) == kString);
static_assert(offsetof(CMethod, comment) == 2 * kString && sizeof(CMethod) == 3 * kString);
static_assert(!std::is_polymorphic_v<CVariable> && !std::is_polymorphic_v<CMethod>);
static_assert(std::is_base_of_v<Qx_PtrList, CVariableList> && offsetof(CVariableList, sorted) == kList);
static_assert(std::is_base_of_v<Qx_PtrList, CMethodList> && offsetof(CMethodList, sorted) == kList);
static_assert(std::is_base_of_v<Qx_PtrList, CObjectList> && offsetof(CObjectList, sorted) == kList);
static_assert(sizeof(CVariableList) == kSortedList && sizeof(CMethodList) == kSortedList);
static_assert(sizeof(CObjectList) == kSortedList);
static_assert(std::is_same_v<decltype(CObjectList::sorted), int>);
static_assert(offsetof(CObjectItem, type) == 0 && offsetof(CObjectItem, name) == kString);
static_assert(offsetof(CObjectItem, comment) == 2 * kString);
static_assert(offsetof(CObjectItem, variables) == 3 * kString);
static_assert(offsetof(CObjectItem, methods) == 3 * kString + kSortedList);
static_assert(sizeof(CObjectItem) == 3 * kString + 2 * kSortedList);
static_assert(!std::is_polymorphic_v<CObjectItem>);

// The shell calls the browse callback as a BFFCALLBACK: __stdcall on i686, where a
// mismatch would unbalance the stack on every call.
static_assert(std::is_same_v<decltype(&qx_SelectFolder_BrowseCallbackProc), BFFCALLBACK>);

// Classes that own a window, a device context, a connection or a tree of nodes cannot be
// copied: an implicit copy would release what they own twice. The value types a host
// copies stay copyable.
template <typename T>
constexpr bool kOwnerOnly = !std::is_copy_constructible_v<T> && !std::is_copy_assignable_v<T>;
static_assert(kOwnerOnly<Qx_XmlDOM> && kOwnerOnly<CPaintDC> && kOwnerOnly<CClientDC>);
static_assert(kOwnerOnly<CParameterTip> && kOwnerOnly<QxSplashWnd> && kOwnerOnly<CException>);
static_assert(kOwnerOnly<Qx_Worker> && kOwnerOnly<Qx_TarnWorker> && kOwnerOnly<Qx_TarnWorkerCommon>);
static_assert(kOwnerOnly<Qx_SvcWrapper>);
static_assert(std::is_copy_constructible_v<Qx_WString> && std::is_copy_assignable_v<Qx_WString>);
static_assert(std::is_copy_constructible_v<Qx_Variant> && std::is_copy_assignable_v<Qx_Variant>);
static_assert(std::is_copy_constructible_v<CString> && std::is_copy_assignable_v<CString>);
