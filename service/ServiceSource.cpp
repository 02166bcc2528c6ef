#include "service/ServiceSource.h"
#include "config/QxRecords.h"
#include "foundation/Qx_DatasetList.h"
#include "foundation/Qx_VariableList.h"
#include "foundation/Qx_XmlDOM.h"
#include "foundation/TextFile.h"
#include "platform/QxBarrier.h"
#include "service/ServerExecution.h"
#include <algorithm>
#include <functional>
#include <string>
#include <string_view>

namespace {
const wchar_t kBegin[] = L"/**__SERVICE XML BEGIN__";
const wchar_t kEnd[] = L"__SERVICE XML END__**/";
const wchar_t kOrgBegin[] = L"//____ORG_SOURCE_BEGIN____";
const wchar_t kOrgEnd[] = L"//____ORG_SOURCE_END____";

// Appends line with every occurrence of marker taken out.
void AppendWithout(std::wstring& out, std::wstring_view line, std::wstring_view marker) {
    for (size_t at = line.find(marker); at != std::wstring_view::npos; at = line.find(marker)) {
        out.append(line.substr(0, at));
        line.remove_prefix(at + marker.size());
    }
    out.append(line);
}

long SourceFromServer(SERVER_INFO& server, const wchar_t* service, Qx_WString& out) {
    Qx_Dataset input;
    input.SetId(L"input");
    input.AddColumn(L"name", QX_VT_STRING, 80, 1);
    input.SetColumn(input.AppendRow(), L"name", service, -1, -1);
    Qx_DatasetList datasets;
    datasets.AddDataset(L"input", input);
    Qx_VariableList variables(1);
    if (qx_LoadServerService(&server, Qx_WString(L"dbm_svc_load_svc"), variables, datasets, L"BIN", 2) != 0) return -1;
    const Qx_Dataset* output = datasets.GetItem(L"output");
    if (!output) return -1;
    const Qx_Variant* value = output->GetColumn(0, L"value", -1);
    if (!value) return -1;
    Qx_WString source;
    if (value->GetType() == QX_VT_BINARY) source.Set(value->GetBytes(), value->GetByteCount(), 0);
    qx_GetXMLSource(source, out);
    return 0;
}

long SourceFromFolder(const SERVER_INFO& server, const wchar_t* service, Qx_WString& out) {
    // No folder set: nothing to read (not the current folder).
    if (server.svc_forder.IsEmpty()) return -1;
    Qx_WString folder = server.svc_forder;
    if (folder.GetAt(folder.GetLength() - 1) != L'\\') folder += L'\\';
    Qx_WString path;
    path.Format(L"%s%s.%s", folder.c_str(), service ? service : L"", L"xml");
    Qx_Buffer buffer;
    if (!qx_GetTextFileSource(path.c_str(), buffer)) return -1;
    Qx_WString text;
    text.Set(buffer.GetData(), -1, 0);  // up to the first zero byte
    out = std::move(text);              // out stays as it was should memory run out
    return 0;
}
}  // namespace

namespace {
long FetchSource(SERVER_INFO* server, const wchar_t* service, Qx_WString& out) {
    if (!server) return -1;
    return server->remote ? SourceFromServer(*server, service, out) : SourceFromFolder(*server, service, out);
}
}  // namespace

long qx_GetSvcSource(SERVER_INFO* server, const wchar_t* service, Qx_WString& out) {
    return QxBarrier(-1L, [&] { return FetchSource(server, service, out); });
}

namespace {
// The next place of one marker at or after a position, found with a skipping search and
// looked up again only once the walk has passed it.
class MarkerScan {
public:
    MarkerScan(std::wstring_view text, std::wstring_view marker)
        : text_(text), marker_(marker), searcher_(marker.begin(), marker.end()) {}
    size_t NextFrom(size_t position) {
        if (next_ == kUnknown || (next_ < position && next_ != std::wstring_view::npos)) {
            auto found = std::search(text_.begin() + position, text_.end(), searcher_);
            next_ = found == text_.end() ? std::wstring_view::npos : static_cast<size_t>(found - text_.begin());
        }
        return next_;
    }

private:
    static constexpr size_t kUnknown = std::wstring_view::npos - 1;
    std::wstring_view text_;
    std::wstring_view marker_;
    std::boyer_moore_horspool_searcher<std::wstring_view::const_iterator> searcher_;
    size_t next_ = kUnknown;
};
}  // namespace

// Lines are the pieces of the text up to and including each line feed, as
// Qx_WStrList::Parse(text, "\n", 0, 0) cuts them. Only lines that hold a marker need a
// look of their own: the walk jumps from marker to marker, skipping the lines outside the
// block and copying the lines inside it in one piece, so a source of many megabytes is cut
// in about the time of a few scans.
namespace {
void CutDefinition(Qx_WString& source, Qx_WString& out) {
    const std::wstring_view text(source.c_str(), static_cast<size_t>(source.GetLength()));
    MarkerScan begin(text, kBegin), end(text, kEnd), orgBegin(text, kOrgBegin), orgEnd(text, kOrgEnd);
    std::wstring result;
    bool inBlock = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t marker = std::min(begin.NextFrom(start), end.NextFrom(start));
        if (inBlock) marker = std::min({marker, orgBegin.NextFrom(start), orgEnd.NextFrom(start)});
        if (marker == std::wstring_view::npos) {
            if (inBlock) result.append(text.substr(start));
            break;
        }
        // The line that holds the marker starts after the last line feed before it.
        size_t feed = text.rfind(L'\n', marker);
        size_t lineStart = feed == std::wstring_view::npos || feed < start ? start : feed + 1;
        if (inBlock) result.append(text.substr(start, lineStart - start));
        size_t lineFeed = text.find(L'\n', marker);
        size_t lineEnd = lineFeed == std::wstring_view::npos ? text.size() : lineFeed + 1;
        const std::wstring_view line = text.substr(lineStart, lineEnd - lineStart);
        if (begin.NextFrom(lineStart) < lineEnd) {
            AppendWithout(result, line, kBegin);
            inBlock = true;
        } else if (end.NextFrom(lineStart) < lineEnd) {
            AppendWithout(result, line, kEnd);
            inBlock = false;
        }  // else: an ORG_SOURCE marker line, dropped
        start = lineEnd;
    }
    out = Qx_WString(result);
}
}  // namespace

void qx_GetXMLSource(Qx_WString& source, Qx_WString& out) {
    QxBarrierVoid([&] { CutDefinition(source, out); });
}

namespace {
void CDataText(const Qx_DOMElement* element, Qx_WString& out) {
    if (!element) return;
    for (int i = 0; i < element->GetChildCount(); ++i) {
        const Qx_DOMElement* child = element->GetChildList()->GetItem(i);
        if (child && child->GetNodeType() == QX_NODE_CDATA) {
            out = child->GetText();
            return;
        }
    }
    out = element->GetText();
}
}  // namespace

void qx_GetCDataStr(const Qx_DOMElement* element, Qx_WString& out) {
    QxBarrierVoid([&] { CDataText(element, out); });
}

namespace {
void MakeColumns(Qx_Dataset& dataset) {
    dataset.ClearAll();
    dataset.AddColumn(L"name", QX_VT_STRING, 255, 1);
    dataset.AddColumn(L"type", QX_VT_STRING, 255, 1);
    dataset.AddColumn(L"size", QX_VT_STRING, 255, 1);
    dataset.AddColumn(L"comment", QX_VT_STRING, 1024, 1);
}
}  // namespace

void qx_MakeDatasetColumns(Qx_Dataset& dataset) {
    QxBarrierVoid([&] { MakeColumns(dataset); });
}

namespace {
int IsValidXml(Qx_Buffer& buffer) {
    Qx_XmlDOM document(0);
    return document.LoadXML(buffer) == 1 ? 1 : 0;
}
}  // namespace

int qx_ValidXML(Qx_Buffer& buffer) {
    return QxBarrier(0, [&] { return IsValidXml(buffer); });
}

void qx_OldParseSvcSource(Qx_WString&, SVC_INFO*) {}

void qx_NewParseSvcSource(Qx_WString&, SVC_INFO*, Qx_WString&, int) {}
