#pragma once
// Where the program may write a file. Exports, saved projects, settings, sorted and filtered
// copies all go through one rule, so that no name, link or hard link makes a write destroy a
// recording, its companion log or the project: such targets are refused before anything is
// written, with the reason. The checks look only at what is there (stat and the drivers'
// recognition of regular files), so a named pipe or a device never blocks them.

#include <string>

namespace vorelt {

// The files a write must leave alone; empty names are none.
struct TKeptFiles {
    std::string DataFile;    // the open data file; its companion log is kept with it
    std::string ProjectFile; // the open project file (not kept when the project itself is saved)
};

// Whether `target` may be written. False with the reason when the target is a kept file or the
// data file's companion log (by path, link or hard link), a companion log of any data file, a
// file some driver recognises as data, or something else than a regular file ("is a directory",
// "is a named pipe"); a target that does not exist yet is fine.
bool CheckWriteTarget(const std::string& target, const TKeptFiles& kept, std::string& reason);

} // namespace vorelt
