#pragma once
// One prepared query over a TSqliteDatabase (not owned), positioned on its current row.
// Stepping stops at the end of the rows and on a failing step: the end flag is set either way,
// and a failure is raised so that a damaged or locked file never passes for a short one.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3_stmt;

namespace vorelt {

class TSqliteDatabase;

// A value bound to a "?" parameter of a query, in parameter order. Texts are copied by SQLite.
using TSqliteParam = std::variant<int64_t, double, std::string_view>;

class TSqliteQueryResults {
public:
    // Prepares the query and steps once, so that the first row (if any) is current. Throws
    // EAEError when preparation or the first step fails.
    TSqliteQueryResults(TSqliteDatabase& db, std::string_view sql);
    // The same, with the parameters bound before the first step.
    TSqliteQueryResults(TSqliteDatabase& db, std::string_view sql,
                        std::initializer_list<TSqliteParam> params);
    ~TSqliteQueryResults();
    TSqliteQueryResults(const TSqliteQueryResults&) = delete;
    TSqliteQueryResults& operator=(const TSqliteQueryResults&) = delete;

    // Runs the prepared query again with new parameters and steps to its first row, without
    // preparing it anew.
    void Requery(std::initializer_list<TSqliteParam> params);

    // Steps to the next row; returns the end flag. Throws EAEError when the step fails.
    bool Next();
    bool Eof() const { return FEof; }

    int ColumnCount() const { return static_cast<int>(FNames.size()); }
    // Trimmed name of a column; empty outside.
    std::string ColumnName(int column) const;
    // First column whose trimmed, upper-cased name equals the given one trimmed and upper-cased;
    // -1 when the name is empty or absent.
    int ColumnIndex(std::string_view name) const;

    // Values of the current row. Column -1 (an absent name) and a NULL read as 0 or "".
    int64_t ColumnInt64(int column) const;
    double ColumnDouble(int column) const;
    std::string ColumnText(int column) const;
    bool ColumnIsNull(int column) const;
    int64_t ColumnInt64(std::string_view name) const { return ColumnInt64(ColumnIndex(name)); }
    double ColumnDouble(std::string_view name) const { return ColumnDouble(ColumnIndex(name)); }
    std::string ColumnText(std::string_view name) const { return ColumnText(ColumnIndex(name)); }

    sqlite3_stmt* Statement() const { return FStatement; }

private:
    void Bind(std::initializer_list<TSqliteParam> params);
    void StepChecked();
    [[noreturn]] void Fail(const char* what) const;

    TSqliteDatabase& FDb;
    sqlite3_stmt* FStatement = nullptr;
    bool FEof = true;
    bool FRow = false;               // a row is current (false at the end and after a failure)
    std::vector<std::string> FNames; // trimmed
    std::vector<std::string> FKeys;  // trimmed and upper-cased, for ColumnIndex
};

} // namespace vorelt
