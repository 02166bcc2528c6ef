#include "foundation/CRegistry.h"
#include "platform/QxBarrier.h"
#include "platform/QxHandle.h"
#include <objbase.h>
#include <shlwapi.h>

namespace {

int Result(LONG status) { return status == ERROR_SUCCESS ? 1 : 0; }

// The predefined root handles are 32-bit values that widen with their sign, exactly as
// <winreg.h> defines HKEY_CURRENT_USER and the others.
HKEY Root(CRegistry::Keys root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root))); }

// A new handle of its own to the key behind key; null for null or on failure.
HKEY Duplicate(HKEY key) {
    if (!key) return nullptr;
    QxRegKey copy;
    if (RegOpenKeyExW(key, nullptr, 0, KEY_ALL_ACCESS, copy.Put()) != ERROR_SUCCESS) return nullptr;
    return copy.Release();
}

// Opens root\path into held with the access asked for. The new key is opened into a scoped
// handle first and the old one closed after, so that an object that opens twice never
// leaks the key it held; on failure held is null.
int Reopen(HKEY& held, HKEY root, const wchar_t* path, REGSAM access) {
    QxRegKey key;
    LONG status = RegOpenKeyExW(root, path, 0, access, key.Put());
    QxRegKey previous(held);
    held = key.Release();
    return Result(status);
}

// Text of the first bytes of data: at most byteCount / 2 characters, ending early at a null.
CString TextOf(const BYTE* data, DWORD byteCount) {
    const wchar_t* text = reinterpret_cast<const wchar_t*>(data);
    int length = 0;
    const int limit = static_cast<int>(byteCount / sizeof(wchar_t));
    while (length < limit && text[length] != L'\0') ++length;
    return CString(text, length);
}

}  // namespace

static_assert(sizeof(CRegistry) == sizeof(HKEY), "CRegistry holds the key handle alone");

CRegistry::CRegistry() : m_hKey(nullptr) {}

CRegistry::CRegistry(const CRegistry& other) : m_hKey(Duplicate(other.m_hKey)) {}

CRegistry::CRegistry(CRegistry&& other) noexcept : m_hKey(other.m_hKey) { other.m_hKey = nullptr; }

CRegistry::~CRegistry() { CloseKey(); }

CRegistry& CRegistry::operator=(const CRegistry& other) {
    if (this == &other) return *this;
    HKEY copy = Duplicate(other.m_hKey);
    CloseKey();
    m_hKey = copy;
    return *this;
}

CRegistry& CRegistry::operator=(CRegistry&& other) noexcept {
    if (this == &other) return *this;
    CloseKey();
    m_hKey = other.m_hKey;
    other.m_hKey = nullptr;
    return *this;
}

int CRegistry::OpenKey(Keys root, const wchar_t* path) { return Reopen(m_hKey, Root(root), path, KEY_ALL_ACCESS); }

int QxOpenKeyForReading(CRegistry& registry, CRegistry::Keys root, const wchar_t* path) {
    return Reopen(registry.m_hKey, Root(root), path, KEY_READ);
}

int CRegistry::CreateKey(Keys root, const wchar_t* path) {
    QxRegKey key;
    LONG status = RegCreateKeyExW(Root(root), path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  key.Put(), nullptr);
    CloseKey();
    if (status == ERROR_SUCCESS) m_hKey = key.Release();
    return Result(status);
}

int CRegistry::SetValue(const wchar_t* name, const wchar_t* text, int flush) {
    if (!text) text = L"";
    const DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
    LONG status = RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
    if (status == ERROR_SUCCESS && flush) RegFlushKey(m_hKey);
    return Result(status);
}

int CRegistry::SetValue(const wchar_t* name, unsigned long number, int flush) {
    DWORD data = number;
    LONG status = RegSetValueExW(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (status == ERROR_SUCCESS && flush) RegFlushKey(m_hKey);
    return Result(status);
}

// A small first guess, then as much as the registry says it needs plus room for a value
// that grows between two queries; the buffer is twice the size announced to the query.
int CRegistry::GetValue(const wchar_t* name, CString& out) {
    DWORD announced = 256;
    QxTaskMem<BYTE> buffer(static_cast<BYTE*>(CoTaskMemAlloc(2 * SIZE_T{announced})));
    if (!buffer) {
        out.Empty();
        return 0;
    }
    DWORD size = announced;
    LONG status = RegQueryValueExW(m_hKey, name, nullptr, nullptr, buffer.Get(), &size);
    while (status == ERROR_MORE_DATA) {
        if (size > MAXDWORD / 2 - 2048) break;  // no value is that large; never overflow the sum
        announced = size + 2048;
        // The reallocation takes the block over: taken out of the owner for it, and put back
        // when it fails.
        BYTE* held = buffer.Release();
        BYTE* grown = static_cast<BYTE*>(CoTaskMemRealloc(held, 2 * SIZE_T{announced}));
        buffer.Reset(grown ? grown : held);
        if (!grown) break;
        size = announced;
        status = RegQueryValueExW(m_hKey, name, nullptr, nullptr, buffer.Get(), &size);
    }
    if (status != ERROR_SUCCESS) {
        out.Empty();
        return 0;
    }
    // Without the memory for the text, the answer is that of any failure.
    return QxBarrier(
        0,
        [&] {
            out = TextOf(buffer.Get(), size);
            return 1;
        },
        [&](const char*) { out.Empty(); });
}

int CRegistry::GetValue(const wchar_t* name, unsigned long& number) {
    number = 0;
    DWORD size = sizeof number;
    LONG status = RegQueryValueExW(m_hKey, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &size);
    // A value too large for 4 bytes leaves undefined data behind: give 0, as for any failure.
    if (status != ERROR_SUCCESS) number = 0;
    return Result(status);
}

int CRegistry::DeleteKey(Keys root, const wchar_t* path) {
    if (!path || path[wcsspn(path, L"\\")] == L'\0') return 0;
    return Result(static_cast<LONG>(SHDeleteKeyW(Root(root), path)));
}

int CRegistry::DeleteValue(const wchar_t* name) { return Result(RegDeleteValueW(m_hKey, name)); }

void CRegistry::CloseKey() {
    if (m_hKey) RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

int CRegistry::SaveKey(const wchar_t* file) { return Result(RegSaveKeyW(m_hKey, file, nullptr)); }

int CRegistry::FlushKey() { return Result(RegFlushKey(m_hKey)); }

int CRegistry::RestoreKey(const wchar_t* file, unsigned long flags) {
    // Some registry implementations (Wine's) answer success even without a key.
    if (!m_hKey) return 0;
    return Result(RegRestoreKeyW(m_hKey, file, flags));
}

int CRegistry::LoadKey(Keys root, const wchar_t* name, const wchar_t* file) {
    return Result(RegLoadKeyW(Root(root), name, file));
}

int CRegistry::GetEnumKey(unsigned long index, wchar_t* buffer, unsigned long length) {
    return Result(RegEnumKeyW(m_hKey, index, buffer, length));
}

int CRegistry::GetEnumValue(unsigned long index, wchar_t* buffer, unsigned long length) {
    DWORD chars = length;
    return Result(RegEnumValueW(m_hKey, index, buffer, &chars, nullptr, nullptr, nullptr, nullptr));
}
