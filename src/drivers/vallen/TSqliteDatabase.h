#pragma once
// A thin layer over one SQLite connection. Acquisition databases are opened read-only: looking
// at a file, even one whose writer crashed and left a journal behind, must never create,
// change or roll back anything on disk.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vorelt {

class TSqliteQueryResults;

class TSqliteDatabase {
public:
    // Opens an existing database file for reading only (UTF-8 file name, taken literally, never
    // as a URI). Throws EAEError naming the file and SQLite's reason.
    explicit TSqliteDatabase(const std::string& fileName);
    ~TSqliteDatabase();
    TSqliteDatabase(const TSqliteDatabase&) = delete;
    TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

    // Prepares the statement (replacing the connection's own previous one) and steps it once;
    // returns the step's result code.
    int Exec(std::string_view sql);
    // Finalizes the own statement and prepares a new one; throws EAEError when SQLite refuses.
    void Prepare(std::string_view sql);
    // Steps the own statement; SQLITE_MISUSE without one.
    int Step();
    void Finalize();
    bool Prepared() const { return FStatement != nullptr; }

    // A new query positioned on its first row; throws EAEError on failure.
    std::unique_ptr<TSqliteQueryResults> Query(std::string_view sql);

    sqlite3* Handle() const { return FDb; }
    const std::string& FileName() const { return FFileName; }
    // SQLite's text for the last failure on this connection.
    std::string ErrorText() const;

private:
    std::string FFileName;
    sqlite3* FDb = nullptr;
    sqlite3_stmt* FStatement = nullptr;
};

} // namespace vorelt
