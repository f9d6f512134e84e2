#include "drivers/vallen/TSqliteQueryResults.h"

#include "drivers/vallen/TSqliteDatabase.h"
#include "persist/TErrors.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <sqlite3.h>

namespace vorelt {

TSqliteQueryResults::TSqliteQueryResults(TSqliteDatabase& db, std::string_view sql)
    : TSqliteQueryResults(db, sql, {}) {}

TSqliteQueryResults::TSqliteQueryResults(TSqliteDatabase& db, std::string_view sql,
                                         std::initializer_list<TSqliteParam> params)
    : FDb(db) {
    const int rc = sqlite3_prepare_v2(db.Handle(), sql.data(), static_cast<int>(sql.size()),
                                      &FStatement, nullptr);
    if (rc != SQLITE_OK || !FStatement) {
        std::string text = rc != SQLITE_OK ? db.ErrorText() : std::string("empty query");
        sqlite3_finalize(FStatement);
        FStatement = nullptr;
        throw EAEError(text);
    }
    const int n = sqlite3_column_count(FStatement);
    FNames.reserve(static_cast<size_t>(n));
    FKeys.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const char* name = sqlite3_column_name(FStatement, i);
        FNames.push_back(Trim(name ? name : ""));
        FKeys.push_back(UpperCase(FNames.back()));
    }
    try {
        Bind(params);
        StepChecked();
    } catch (...) {
        sqlite3_finalize(FStatement);
        FStatement = nullptr;
        throw;
    }
}

TSqliteQueryResults::~TSqliteQueryResults() {
    sqlite3_finalize(FStatement);
}

void TSqliteQueryResults::Fail(const char* what) const {
    throw EAEError(std::string(what) + ": " + FDb.ErrorText());
}

void TSqliteQueryResults::Bind(std::initializer_list<TSqliteParam> params) {
    int i = 0;
    for (const TSqliteParam& p : params) {
        ++i;
        int rc;
        if (const int64_t* n = std::get_if<int64_t>(&p))
            rc = sqlite3_bind_int64(FStatement, i, *n);
        else if (const double* x = std::get_if<double>(&p))
            rc = sqlite3_bind_double(FStatement, i, *x);
        else {
            const std::string_view s = std::get<std::string_view>(p);
            rc = sqlite3_bind_text(FStatement, i, s.data(), static_cast<int>(s.size()),
                                   SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) Fail("Cannot bind query parameter");
    }
}

void TSqliteQueryResults::StepChecked() {
    const int rc = sqlite3_step(FStatement);
    FRow = rc == SQLITE_ROW;
    FEof = !FRow;
    // The busy timeout has already retried a locked file; anything else is a real failure.
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) Fail("Cannot read database");
}

void TSqliteQueryResults::Requery(std::initializer_list<TSqliteParam> params) {
    sqlite3_reset(FStatement);
    sqlite3_clear_bindings(FStatement);
    FRow = false;
    FEof = true;
    Bind(params);
    StepChecked();
}

bool TSqliteQueryResults::Next() {
    if (!FEof) StepChecked();
    return FEof;
}

std::string TSqliteQueryResults::ColumnName(int column) const {
    return column >= 0 && column < ColumnCount() ? FNames[static_cast<size_t>(column)]
                                                 : std::string();
}

int TSqliteQueryResults::ColumnIndex(std::string_view name) const {
    const std::string key = UpperCase(Trim(name));
    if (key.empty()) return -1;
    for (size_t i = 0; i < FKeys.size(); ++i)
        if (FKeys[i] == key) return static_cast<int>(i);
    return -1;
}

int64_t TSqliteQueryResults::ColumnInt64(int column) const {
    if (!FRow || column < 0 || column >= ColumnCount()) return 0;
    return sqlite3_column_int64(FStatement, column);
}

double TSqliteQueryResults::ColumnDouble(int column) const {
    if (!FRow || column < 0 || column >= ColumnCount()) return 0;
    return sqlite3_column_double(FStatement, column);
}

std::string TSqliteQueryResults::ColumnText(int column) const {
    if (!FRow || column < 0 || column >= ColumnCount()) return std::string();
    // The text pointer first: asking for the size afterwards gives the size of that text.
    const unsigned char* text = sqlite3_column_text(FStatement, column);
    const int size = sqlite3_column_bytes(FStatement, column);
    if (!text || size <= 0) return std::string();
    return std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
}

bool TSqliteQueryResults::ColumnIsNull(int column) const {
    if (!FRow || column < 0 || column >= ColumnCount()) return true;
    return sqlite3_column_type(FStatement, column) == SQLITE_NULL;
}

} // namespace vorelt
