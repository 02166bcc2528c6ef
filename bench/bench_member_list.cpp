// Member list reading and tip texts on a large catalogue: 50,000 objects of 10 members
// each, written in shuffled name order so that a sorted read really has to insert.
//
// Prints the best of a few runs (processor time of the thread) for: a bare XmlLite pass
// over the file's bytes, the read with sorted 0 and with sorted 1, and GetParameterStr calls
// on the sorted catalogue beside the same qx_stricmpW scans over bare arrays of its names.
#include "QxQVInfo320U.h"
#include "BenchTimes.h"
#include "platform/QxHandle.h"
#include "platform/QxWin.h"
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

const int kObjects = 50000;
const int kMembers = 10;
const int kTipCalls = 100000;
const int kRuns = 3;
// Each lookup scans up to 50,000 names: one run of the lookups takes seconds.
const int kLookupRuns = 1;

std::wstring ObjectName(int i) {
    wchar_t name[32];
    swprintf(name, 32, L"Object%05d", i);
    return name;
}

std::wstring MemberName(int j) {
    wchar_t name[32];
    swprintf(name, 32, j % 2 ? L"Method%d" : L"field%d", j);
    return name;
}

// The file's text: half of each object's members variables, half methods.
std::string MakeMemberList() {
    std::vector<int> order(kObjects);
    for (int i = 0; i < kObjects; ++i) order[static_cast<size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(20261208));
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<objectlist>\n";
    char line[256];
    for (int i : order) {
        snprintf(line, sizeof line, "  <object name=\"Object%05d\" type=\"CType%d\" comment=\"Object number %d\">\n", i,
                 i % 97, i);
        text += line;
        for (int j = 0; j < kMembers; ++j) {
            if (j % 2)
                snprintf(line, sizeof line,
                         "    <method name=\"Method%d\" prototype=\"long Method%d(long a, const char* b)\" "
                         "comment=\"Does thing %d\"/>\n",
                         j, j, j);
            else
                snprintf(line, sizeof line, "    <var name=\"field%d\" type=\"long\" comment=\"Field %d of %d\"/>\n", j,
                         j, i);
            text += line;
        }
        text += "  </object>\n";
    }
    text += "</objectlist>\n";
    return text;
}

// The best of a few runs, in processor time of this thread.
double BestSeconds(const std::function<void()>& before, const std::function<void()>& timed,
                   const std::function<void()>& after, int runs = kRuns) {
    return QxBestSeconds(before, timed, after, runs);
}

// The names of a catalogue in plain arrays, and the scans that a tip lookup makes over
// them with qx_stricmpW. Answers 1 when the member is found.
class BareNames {
public:
    explicit BareNames(const CObjectList& list) {
        for (int i = 0; i < list.Count(); ++i) {
            const CObjectItem* object = list.Items(i);
            objects_.push_back(object->name.c_str());
            variables_.emplace_back();
            for (int v = 0; v < object->variables.Count(); ++v)
                variables_.back().push_back(object->variables.Items(v)->name.c_str());
            methods_.emplace_back();
            for (int m = 0; m < object->methods.Count(); ++m)
                methods_.back().push_back(object->methods.Items(m)->name.c_str());
        }
    }

    int Lookup(const wchar_t* object, const wchar_t* member, bool methodsOnly) const {
        const size_t at = Scan(objects_, object);
        if (at == objects_.size()) return 0;
        if (!methodsOnly && Scan(variables_[at], member) < variables_[at].size()) return 1;
        return Scan(methods_[at], member) < methods_[at].size() ? 1 : 0;
    }

private:
    static size_t Scan(const std::vector<const wchar_t*>& names, const wchar_t* name) {
        size_t i = 0;
        while (i < names.size() && qx_stricmpW(names[i], name) != 0) ++i;
        return i;
    }

    std::vector<const wchar_t*> objects_;
    std::vector<std::vector<const wchar_t*>> variables_, methods_;
};

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// Every node and every attribute value is visited, nothing is kept. Answers the node count.
long BareXmlLitePass(const std::string& bytes) {
    static HMODULE module = LoadLibraryW(L"xmllite.dll");
    static auto create =
        reinterpret_cast<CreateXmlReaderFn>(reinterpret_cast<void*>(GetProcAddress(module, "CreateXmlReader")));
    QxComPtr<IStream> stream;
    stream.Reset(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    QxComPtr<IXmlReader> reader;
    if (!create || FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.Put()), nullptr)) ||
        FAILED(reader->SetInput(stream.Get())))
        return -1;
    long nodes = 0;
    XmlNodeType type;
    while (reader->Read(&type) == S_OK) {
        ++nodes;
        if (type != XmlNodeType_Element) continue;
        const WCHAR* value;
        UINT length;
        reader->GetQualifiedName(&value, &length);
        for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
            reader->GetQualifiedName(&value, &length);
            reader->GetValue(&value, &length);
        }
    }
    return nodes;
}

}  // namespace

int main() {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    GetTempFileNameW(folder, L"qxb", 0, path);
    const std::string bytes = MakeMemberList();
    Qx_Buffer buffer(bytes.data(), static_cast<int>(bytes.size()));
    {
        Qx_File file;
        if (file.Open(path, "wb") < 0 || file.Write(bytes.data(), static_cast<int>(bytes.size()), -1) < 0) {
            fwprintf(stderr, L"cannot write %ls\n", path);
            return 1;
        }
    }
    wprintf(L"member list: %d objects x %d members, %.1f MB\n", kObjects, kMembers, bytes.size() / 1e6);

    long nodes = 0;
    double bare = BestSeconds([] {}, [&] { nodes = BareXmlLitePass(bytes); }, [] {});
    wprintf(L"bare XmlLite pass over the bytes:  %8.3f s  (%ld nodes)\n", bare, nodes);

    Qx_WString domError;
    double dom = BestSeconds([] {},
                             [&] {
                                 Qx_XmlDOM document(0);
                                 if (!document.LoadXML(buffer)) domError = document.GetLastError();
                             },
                             [] {});
    if (!domError.IsEmpty()) wprintf(L"Qx_XmlDOM::LoadXML failed: %ls\n", domError.c_str());
    wprintf(L"Qx_XmlDOM::LoadXML of the bytes:   %8.3f s\n", dom);

    double fileRead = BestSeconds([] {},
                                  [&] {
                                      Qx_Buffer read;
                                      qx_GetTextFileSource(path, read);
                                  },
                                  [] {});
    wprintf(L"qx_GetTextFileSource of the file:  %8.3f s\n", fileRead);

    CObjectList unsortedList, sortedList;
    sortedList.sorted = 1;
    int ok = 1;
    double unsorted =
        BestSeconds([] {}, [&] { ok &= unsortedList.ReadMemberList(path); }, [&] { unsortedList.ClearObject(); });
    double sorted =
        BestSeconds([&] { sortedList.ClearObject(); }, [&] { ok &= sortedList.ReadMemberList(path); }, [] {});
    wprintf(L"ReadMemberList, sorted 0:          %8.3f s  (%.2f x bare pass)\n", unsorted, unsorted / bare);
    wprintf(L"ReadMemberList, sorted 1:          %8.3f s  (%.2f x sorted 0, %.2f x bare pass)\n", sorted,
            sorted / unsorted, sorted / bare);

    // Lookups on the sorted catalogue: names of every kind, some missing, either mode.
    std::mt19937 random(7);
    std::vector<std::wstring> objects, members;
    for (int i = 0; i < kTipCalls; ++i) {
        objects.push_back(ObjectName(static_cast<int>(random() % (kObjects + kObjects / 10))));
        members.push_back(MemberName(static_cast<int>(random() % (kMembers + 2))));
    }
    long found = 0;
    CString tip;
    double tips =
        BestSeconds([&] { found = 0; },
                    [&] {
                        for (int i = 0; i < kTipCalls; ++i) {
                            sortedList.GetParameterStr(objects[static_cast<size_t>(i)].c_str(),
                                                       members[static_cast<size_t>(i)].c_str(), tip, i % 3 == 0);
                            found += tip.IsEmpty() ? 0 : 1;
                        }
                    },
                    [] {}, kLookupRuns);

    // The same scans over bare arrays of the catalogue's names, in the same order: the
    // object's, then its variables' (when they are searched) and its methods'.
    BareNames bareNames(sortedList);
    long bareFound = 0;
    double bareScans = BestSeconds([&] { bareFound = 0; },
                                   [&] {
                                       for (int i = 0; i < kTipCalls; ++i)
                                           bareFound +=
                                               bareNames.Lookup(objects[static_cast<size_t>(i)].c_str(),
                                                                members[static_cast<size_t>(i)].c_str(), i % 3 == 0);
                                   },
                                   [] {}, kLookupRuns);
    wprintf(L"GetParameterStr x %d:         %8.3f s  (%ld tips found, %.2f x bare scans)\n", kTipCalls, tips, found,
            tips / bareScans);
    wprintf(L"bare qx_stricmpW scans x %d:  %8.3f s  (%ld found)\n", kTipCalls, bareScans, bareFound);

    unsortedList.ClearObject();
    sortedList.ClearObject();
    DeleteFileW(path);
    if (!ok) {
        fwprintf(stderr, L"a read failed\n");
        return 1;
    }
    return 0;
}
