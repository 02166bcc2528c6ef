#pragma once
#include "afx/CString.h"
#include "platform/QxExport.h"
#include "platform/QxWin.h"

// One open key of the Windows registry. Every operation answers 1 when the registry call
// succeeded and 0 otherwise (the Win32 error itself is not kept); nothing throws. Keys are
// always opened and created with full access (KEY_ALL_ACCESS), so a key the user may only
// read fails to open. The destructor closes the key.
//
// Copies: a copy (copy construction or operator=) opens its own handle to the same key
// (the registry's "open with an empty sub-key" form), so each holder closes only its own
// handle, closing one never invalidates the other, and both still name the same key. A
// copy of a closed object, or a copy whose handle cannot be opened, is closed. operator=
// closes the key this object held before. A move hands the handle itself over and leaves
// the source closed.
class QX_API CRegistry {
public:
    // The predefined root keys, with the values of the Win32 handles; any other predefined
    // root value may be cast to Keys and is passed through unchanged.
    enum Keys : unsigned long {
        ClassesRoot = 0x80000000UL,
        CurrentUser = 0x80000001UL,
        LocalMachine = 0x80000002UL,
        Users = 0x80000003UL,
        PerformanceData = 0x80000004UL,
        CurrentConfig = 0x80000005UL,
        DynData = 0x80000006UL,
        CurrentUserLocalSettings = 0x80000007UL,
        PerformanceText = 0x80000050UL,
        PerformanceNlsText = 0x80000060UL,
    };

    CRegistry();
    CRegistry(const CRegistry& other);
    CRegistry(CRegistry&& other) noexcept;
    ~CRegistry();
    CRegistry& operator=(const CRegistry& other);
    CRegistry& operator=(CRegistry&& other) noexcept;

    // Open (or create, with missing parents) root\path. The key held before is closed;
    // on failure the object is closed.
    int OpenKey(Keys root, const wchar_t* path);
    int CreateKey(Keys root, const wchar_t* path);

    // Write a REG_SZ (the text and its terminator; null writes the empty text) or a
    // REG_DWORD. A non-zero flush flag flushes the key after a successful write only.
    int SetValue(const wchar_t* name, const wchar_t* text, int flush);
    int SetValue(const wchar_t* name, unsigned long number, int flush);

    // Read a value as text, as stored (no expansion), up to its first null and never past
    // the bytes the registry returned. On failure out is emptied.
    int GetValue(const wchar_t* name, CString& out);
    // Read up to 4 bytes of a value into number; on failure number is 0.
    int GetValue(const wchar_t* name, unsigned long& number);

    // Delete root\path with all its sub-keys and values; works from the root, needs no open
    // key. A null or empty path (which would name the whole root) is refused with 0.
    int DeleteKey(Keys root, const wchar_t* path);
    int DeleteValue(const wchar_t* name);
    // Closes the key, if any; closing a closed object does nothing.
    void CloseKey();

    // Save the open key to a hive file, restore the open key from one (flags are the Win32
    // restore flags), or load a hive file as root\name (needs no open key). These need the
    // backup and restore privileges; without them they answer 0.
    int SaveKey(const wchar_t* file);
    int FlushKey();
    int RestoreKey(const wchar_t* file, unsigned long flags);
    int LoadKey(Keys root, const wchar_t* name, const wchar_t* file);

    // The name of the index-th sub-key or value into buffer (length in characters, the
    // terminator included); 0 past the last one or when the buffer is too small.
    int GetEnumKey(unsigned long index, wchar_t* buffer, unsigned long length);
    int GetEnumValue(unsigned long index, wchar_t* buffer, unsigned long length);

private:
    // The library's own reads open keys for reading only (foundation/RegistryReading.h);
    // the function is not exported, so what hosts get stays the full-access open above.
    friend int QxOpenKeyForReading(CRegistry& registry, Keys root, const wchar_t* path);

    HKEY m_hKey;  // the open key; null while closed
};
