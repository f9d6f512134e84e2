#include "drivers/vallen/TSqliteDatabase.h"

#include "drivers/vallen/TSqliteQueryResults.h"
#include "persist/TErrors.h"

#include <sqlite3.h>

namespace vorelt {

TSqliteDatabase::TSqliteDatabase(const std::string& fileName) : FFileName(fileName) {
    // Read-only and no URI interpretation: a name such as "file:x?mode=rwc" stays a file name.
    // A hot journal left by a crashed writer then makes reads fail instead of being rolled back.
    // One thread uses a connection, so SQLite need not lock it around every column read.
    const int rc = sqlite3_open_v2(fileName.c_str(), &FDb,
                                   SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string reason = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(rc);
        sqlite3_close_v2(FDb);
        FDb = nullptr;
        throw EAEError("Cannot open database " + fileName + ": " + reason);
    }
    sqlite3_extended_result_codes(FDb, 1);
    // An acquisition may still be writing the file: wait a while for its lock instead of
    // failing on the first busy step.
    sqlite3_busy_timeout(FDb, 2000);
    Exec("pragma temp_store = memory");
    Finalize();
}

TSqliteDatabase::~TSqliteDatabase() {
    Finalize();
    sqlite3_close_v2(FDb);
}

std::string TSqliteDatabase::ErrorText() const {
    return FDb ? sqlite3_errmsg(FDb) : std::string();
}

void TSqliteDatabase::Prepare(std::string_view sql) {
    Finalize();
    const int rc =
        sqlite3_prepare_v2(FDb, sql.data(), static_cast<int>(sql.size()), &FStatement, nullptr);
    if (rc != SQLITE_OK) {
        Finalize();
        throw EAEError(ErrorText());
    }
}

int TSqliteDatabase::Step() {
    return FStatement ? sqlite3_step(FStatement) : SQLITE_MISUSE;
}

void TSqliteDatabase::Finalize() {
    if (FStatement) {
        sqlite3_finalize(FStatement);
        FStatement = nullptr;
    }
}

int TSqliteDatabase::Exec(std::string_view sql) {
    Prepare(sql);
    return Step();
}

std::unique_ptr<TSqliteQueryResults> TSqliteDatabase::Query(std::string_view sql) {
    return std::make_unique<TSqliteQueryResults>(*this, sql);
}

} // namespace vorelt
