#pragma once
// Checks on the files the program reads or replaces. Data files, companion logs and project
// files are always regular files: a named pipe would block a reader until some writer comes, a
// device never ends, and a folder cannot be read at all. The checks never block.

#include <string>

namespace vorelt {

// Whether `fileName` is a regular file that can be opened for reading. False with the reason:
// the system's error text ("No such file or directory", "Permission denied") or what the name
// is instead ("is a directory", "is a named pipe", ...).
bool CheckRegularFile(const std::string& fileName, std::string& reason);

// Opens `fileName` for reading (`flags` are added to the open flags) without blocking on a
// special file, and only when it is a regular file; -1 with the reason otherwise.
int OpenRegularFile(const std::string& fileName, int flags, std::string& reason);

// "is a directory", "is a named pipe", "is a character device", "is a block device", "is a
// socket", "is a symbolic link" or "is not a regular file", for a file type of stat's st_mode;
// empty for a regular file.
std::string FileTypeText(unsigned mode);

// Whether two names reach the same file: the same path once links and dots are resolved, or
// the same file under another name (a hard link).
bool SameFile(const std::string& a, const std::string& b);

} // namespace vorelt
