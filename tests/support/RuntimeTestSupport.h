#pragma once
// Helpers for the tests of the service runtime: temporary folders, the demo database made
// through the ODBC adaptor, the paths of the build and source trees.
#include "QxQVInfo320U.h"
#include "support/TestFiles.h"
#include <string>

// The folder of the running program (the build tree's bin folder), without a trailing
// separator.
std::wstring QxTestBinDir();
// The source tree (QX_SOURCE_DIR, set by CTest), without a trailing separator; empty when
// unknown.
std::wstring QxTestSourceDir();

// The runtime tests' name for a temporary folder of their own.
using QxTestTempFolder = TempDir;

// The path a database driver running as a Linux program needs for a Windows path. A
// Wine-only test aid: Wine's kernel32 exports wine_get_unix_file_name; on Windows the path
// is answered unchanged.
std::wstring QxTestDriverPath(const std::wstring& windowsPath);

// A connection string for a SQLite database file at windowsPath (the file need not exist:
// the driver creates it).
std::wstring QxTestSqliteConnection(const std::wstring& windowsPath);

// Runs every statement of a SQL script (statements end with ';' at the end of a line,
// "--" lines are comments) through the ODBC adaptor module of the bin folder. Empty on
// success, else why it failed.
std::wstring QxTestRunSqlScript(const std::wstring& connection, const std::string& script);
// Builds the demo database (demo/demo.sql of the source tree) at windowsPath and gives its
// connection string. Empty on success, else why it failed.
std::wstring QxTestMakeDemoDb(const std::wstring& windowsPath, std::wstring& connection);
// Runs one query and gives its first row's first column as text ("" when none). For
// checks on the database.
std::wstring QxTestQueryText(const std::wstring& connection, const wchar_t* sql);
