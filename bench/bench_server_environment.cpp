// Times the three server environment readers on a generated file of 100,000 entries against
// reading the same file and one bare XmlLite pass over its bytes (every node and attribute
// visited). Each figure is the best of a few runs in processor time of the thread: one run
// of wall-clock time moved by a fifth from run to run on a shared machine.
#include "QxQVInfo320U.h"
#include "BenchTimes.h"
#include "platform/QxHandle.h"
#include "foundation/XmlLite.h"
#include <shlwapi.h>
#include <cstdio>
#include <string>

namespace {
const int kRuns = 5;

std::string MakeFile(int entries) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<environments>\n";
    for (const char* group : {"local", "AspJsp", "server"}) {
        xml += std::string("  <") + group + ">\n";
        for (int i = 0; i < entries / 3; ++i) {
            std::string n = std::to_string(i);
            xml += "    <e name=\"env" + n + "\" grpname=\"grp" + n + "\" ip=\"10.0.0." + std::to_string(i % 250) +
                   "\" port=\"" + std::to_string(7000 + i % 1000) + "\" DBUser=\"user" + n +
                   "\" DBPass=\"secret\" connection_str=\"Driver=SQLite3;Database=db" + n +
                   ".db;\" svc_forder=\"C:\\svc\\" + n + "\" adaptor=\"ADO\" bindmethod=\"Bind\"/>\n";
        }
        xml += std::string("  </") + group + ">\n";
    }
    return xml + "</environments>\n";
}

// Reads the file and visits every node and attribute once: the floor any reader of the
// file stands on.
size_t BarePass(const std::wstring& path) {
    Qx_Buffer file;
    if (Qx_File::ReadFile(path.c_str(), file) < 0) return 0;
    std::string bytes(file.GetData(), static_cast<size_t>(file.GetLength()));
    QxComPtr<IStream> stream;
    stream.Reset(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    QxComPtr<IXmlReader> reader;
    if (!QxCreateXmlReader(reader.Put()).ok() || FAILED(reader->SetInput(stream.Get()))) return 0;
    size_t visited = 0;
    XmlNodeType type;
    while (reader->Read(&type) == S_OK) {
        ++visited;
        for (HRESULT hr = reader->MoveToFirstAttribute(); hr == S_OK; hr = reader->MoveToNextAttribute()) {
            const WCHAR* value;
            UINT length;
            reader->GetValue(&value, &length);
            visited += length > 0;
        }
    }
    return visited;
}
}  // namespace

int main() {
    const int kEntries = 100000;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"qxbench-env";
    CreateDirectoryW(dir.c_str(), nullptr);
    std::string xml = MakeFile(kEntries);
    FILE* f = _wfopen((dir + L"\\qrx_serverenv.xml").c_str(), L"wb");
    fwrite(xml.data(), 1, xml.size(), f);
    fclose(f);
    qx_SetWorkingDir(dir.c_str());
    printf("server environment file: %d entries, %.1f MB\n", kEntries, xml.size() / 1e6);

    size_t visited = 0;
    const double bare = QxBestSeconds([] {}, [&] { visited = BarePass(dir + L"\\qrx_serverenv.xml"); }, [] {}, kRuns);
    printf("file read + bare XmlLite %8.3f s  (%zu nodes and values)\n", bare, visited);

    struct Reader {
        const char* name;
        bool (*read)(Qx_PtrList&);
    };
    for (Reader r : {Reader{"qx_ReadLocalList", qx_ReadLocalList}, Reader{"qx_ReadAspJspList", qx_ReadAspJspList},
                     Reader{"qx_ReadServerList", qx_ReadServerList}}) {
        Qx_PtrList list;
        bool ok = true;
        int records = 0;
        auto clear = [&] {
            records = list.Count();
            qx_ClearServerInformation(list);
        };
        const double t = QxBestSeconds([] {}, [&] { ok &= r.read(list); }, clear, kRuns);
        printf("%-24s %8.3f s  %5.2fx bare  (%d records, %s)\n", r.name, t, t / bare, records, ok ? "ok" : "FAILED");
    }
    DeleteFileW((dir + L"\\qrx_serverenv.xml").c_str());
    RemoveDirectoryW(dir.c_str());
    return 0;
}
