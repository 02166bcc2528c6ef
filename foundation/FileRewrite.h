#pragma once
#include "platform/QxStatus.h"
#include <string>

// Writing the whole content of a file without ever leaving it half written. Internal.
//
// An existing file is rewritten in place, through one handle: it stays the same file, so
// its owner, ACL, attributes, hard links and alternate streams stay what they were (a file
// put in its place by a rename or ReplaceFileW would be another file, with its creator as
// owner and none of the links). Its old bytes are read first; when a write fails, they
// are written back and the file is cut to its old length. kReadFailed when the file
// cannot be opened for reading and writing (denied, shared, locked) or read, kWriteFailed
// when the rewrite failed; the number is the system's.
QxStatus QxRewriteFileInPlace(const wchar_t* path, const std::string& bytes);

// A file that does not exist yet is written under a temporary name beside it and then
// given its name, so that no half-written file ever bears that name. kWriteFailed, and
// nothing left behind, when the folder is missing, the write fails, or a file of that name
// has appeared meanwhile.
QxStatus QxWriteNewFile(const wchar_t* path, const std::string& bytes);
