#pragma once
// The SQLite settings every generated database is written with: a large page, and neither a
// journal nor syncs, since a file whose writing fails is thrown away. The journal mode is not
// stored in the file, which stays an ordinary rollback-journal database.

#include <sqlite3.h>

namespace vorelt {

// Opens (creating) the file and begins the one transaction the writer commits at its end.
// Returns SQLite's code of the first step that failed, SQLITE_OK when all went through.
inline int OpenGeneratedDatabase(const char* fileName, sqlite3** db) {
    int rc = sqlite3_open_v2(fileName, db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    for (const char* sql : {"PRAGMA page_size = 8192", "PRAGMA journal_mode = OFF",
                            "PRAGMA synchronous = OFF", "BEGIN"})
        if (rc == SQLITE_OK) rc = sqlite3_exec(*db, sql, nullptr, nullptr, nullptr);
    return rc;
}

} // namespace vorelt
