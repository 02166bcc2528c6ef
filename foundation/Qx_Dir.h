#pragma once
#include "platform/QxExport.h"

class Qx_WStrList;

// Folder queries.
class QX_API Qx_Dir {
public:
    // True when path names an existing folder (a trailing backslash is allowed).
    static bool IsExist(const wchar_t* path);
    // Appends to names the file names (without folder) in folder that end in "." and
    // extension (case ignored), sorted without regard to case; folder may end in a
    // backslash or not. Answers how many were appended: 0 when none, -1 when the folder
    // cannot be listed.
    static int GetList(const wchar_t* folder, Qx_WStrList& names, const wchar_t* extension);
};
