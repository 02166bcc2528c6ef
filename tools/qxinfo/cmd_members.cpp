// qxinfo members FILE OBJECT [MEMBER] [--methods]: an object's members from a member list
// file, or the tip text of one member.
#include "Commands.h"
#include "Table.h"
#include "QxQVInfo320U.h"
#include "platform/QxWin.h"

namespace {

bool IsFile(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Frees the catalogue at the end of the command whatever happens.
struct Catalogue {
    CObjectList list;
    ~Catalogue() { list.ClearObject(); }
};

// A relative FILE that is not found where the command runs is looked for in the working
// directory, so that "members members.xml Customer" finds the demo's file.
std::wstring Locate(const std::wstring& file) {
    if (IsFile(file)) return file;
    const bool relative = file.size() < 2 || (file[1] != L':' && file[0] != L'\\' && file[0] != L'/');
    if (relative) {
        std::wstring inWorkingDir = QxHostWorkingDir() + L"\\" + file;
        if (IsFile(inWorkingDir)) return inWorkingDir;
    }
    return file;
}

// The tip's lines, each indented, so that a comment of several lines stays readable.
void PrintTip(const CString& tip) {
    std::wstring text(tip.GetString());
    size_t start = 0;
    for (;;) {
        size_t end = text.find(L'\n', start);
        QxPrintLine(L"  " + text.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
}

// Comments may hold line feeds; a table cell shows them as " / ".
std::wstring OneLine(const Qx_WString& text) {
    std::wstring line(text.str());
    for (size_t at = line.find(L'\n'); at != std::wstring::npos; at = line.find(L'\n', at + 3))
        line.replace(at, 1, L" / ");
    return line;
}

void PrintMembers(const CObjectItem& object, bool methodsOnly) {
    QxPrintLine(object.name.str() + L" (" + object.type.str() + L")" +
                (object.comment.IsEmpty() ? L"" : L": " + OneLine(object.comment)));
    QxPrintLine();
    QxTable table({L"kind", L"name", L"type or prototype", L"comment"});
    if (!methodsOnly)
        for (int i = 0; i < object.variables.Count(); ++i) {
            const CVariable* v = object.variables.Items(i);
            if (v) table.AddRow({L"var", v->name.str(), v->type.str(), OneLine(v->comment)});
        }
    for (int i = 0; i < object.methods.Count(); ++i) {
        const CMethod* m = object.methods.Items(i);
        if (m) table.AddRow({L"method", m->name.str(), m->prototype.str(), OneLine(m->comment)});
    }
    table.Print();
}

int Run(const std::vector<std::wstring>& args) {
    std::vector<std::wstring> names;
    bool methodsOnly = false;
    for (const std::wstring& arg : args) {
        if (arg == L"--methods")
            methodsOnly = true;
        else
            names.push_back(arg);
    }
    if (names.size() < 2 || names.size() > 3) {
        QxPrintError(L"usage: members FILE OBJECT [MEMBER] [--methods]");
        return 2;
    }
    const std::wstring path = Locate(names[0]);
    Catalogue catalogue;
    if (!catalogue.list.ReadMemberList(path.c_str())) {
        QxPrintError(L"cannot read the member list " + path);
        return 1;
    }
    const CObjectItem* object = catalogue.list.FindObject(names[1].c_str());
    if (!object) {
        QxPrintError(L"no object named " + names[1] + L" in " + path);
        return 1;
    }
    if (names.size() == 2) {
        PrintMembers(*object, methodsOnly);
        return 0;
    }
    CString tip;
    catalogue.list.GetParameterStr(names[1].c_str(), names[2].c_str(), tip, methodsOnly ? 1 : 0);
    if (tip.IsEmpty()) {
        QxPrintError(L"no " + std::wstring(methodsOnly ? L"method" : L"member") + L" named " + names[2] + L" in " +
                     names[1]);
        return 1;
    }
    QxPrintLine(names[1] + L"." + names[2] + L":");
    PrintTip(tip);
    return 0;
}

QxCommandRegistrar registrar({L"members",
                              L"members FILE OBJECT [MEMBER] [--methods]  an object's members, or one member's tip",
                              Run});
}  // namespace
