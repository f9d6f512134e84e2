#pragma once
// Where a project file may be written. A project is text: written over a data file or its
// companion log it would destroy a recording, so such targets are refused before anything is
// written, whatever name, link or hard link leads to them.

#include <string>

namespace vorelt {

// Whether `target` may receive a project file when `dataFile` (empty for none) is the open
// data file. False with the reason when the target is the data file or its companion log, a
// file some driver recognises as data, a companion log of any data file, or no regular file
// ("is a directory", "is a named pipe"); a target that does not exist yet is fine.
bool CheckProjectTarget(const std::string& target, const std::string& dataFile,
                        std::string& reason);

} // namespace vorelt
