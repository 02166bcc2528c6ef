#include "runtime/internal/QxSqlParameters.h"
#include <cwctype>

namespace {
bool IsNameStart(wchar_t ch) { return ch == L'_' || iswalpha(ch); }
bool IsNameChar(wchar_t ch) { return ch == L'_' || iswalnum(ch); }
}  // namespace

QxStatus QxSqlNamedToPositional(const Qx_WString& sql, Qx_WString& out, std::vector<Qx_WString>& names) {
    const std::wstring& s = sql.str();
    std::wstring result;
    result.reserve(s.size());
    names.clear();
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        wchar_t ch = s[i];
        // Quoted text, bracketed names and comments are copied through untouched.
        if (ch == L'\'' || ch == L'"' || ch == L'[') {
            wchar_t close = ch == L'[' ? L']' : ch;
            size_t j = i + 1;
            for (;;) {
                j = s.find(close, j);
                if (j == std::wstring::npos) return QxStatus(QxCode::kMalformed, L"unterminated quote in statement");
                // A doubled quote is one quote character inside the text.
                if (close != L']' && j + 1 < n && s[j + 1] == close) {
                    j += 2;
                    continue;
                }
                break;
            }
            result.append(s, i, j + 1 - i);
            i = j + 1;
        } else if (ch == L'-' && i + 1 < n && s[i + 1] == L'-') {
            size_t j = s.find(L'\n', i);
            if (j == std::wstring::npos) j = n;
            result.append(s, i, j - i);
            i = j;
        } else if (ch == L'/' && i + 1 < n && s[i + 1] == L'*') {
            size_t j = s.find(L"*/", i + 2);
            if (j == std::wstring::npos) return QxStatus(QxCode::kMalformed, L"unterminated comment in statement");
            result.append(s, i, j + 2 - i);
            i = j + 2;
        } else if (ch == L':' && i + 1 < n && s[i + 1] == L':') {
            result.append(L"::");
            i += 2;
        } else if (ch == L':' && i + 1 < n && IsNameStart(s[i + 1])) {
            size_t j = i + 1;
            while (j < n && IsNameChar(s[j])) ++j;
            names.emplace_back(s.substr(i + 1, j - i - 1));
            result.push_back(L'?');
            i = j;
        } else if (ch == L'?') {
            return QxStatus(QxCode::kMalformed, L"statement holds a bare '?'; name the parameter (:name)");
        } else {
            result.push_back(ch);
            ++i;
        }
    }
    out = Qx_WString(result);
    return QxStatus();
}
