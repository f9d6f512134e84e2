#pragma once
// A table's rows as a CSV file that spreadsheets read: the visible columns with their captions
// in the first line and their units in the second, ";" between values, numbers with the
// decimal comma, UTF-8 with a byte-order mark. The file is written under a temporary name and
// renamed at the end, so a stopped or failed export leaves no partial file behind.

#include <cstdint>
#include <functional>
#include <string>

namespace vorelt {

class TAEField;
class TGVCPUTbl;

// Called now and then with the rows written and the rows to write; false stops the export.
using TCsvProgress = std::function<bool(int64_t done, int64_t total)>;

// The text of a value in a CSV cell: empty for null, the field's own text form otherwise
// (channel lists joined with ",").
std::string CsvValueText(const TAEField& field);
// Quotes the text when it holds ";", a quote or a line break.
void AppendCsvCell(std::string& line, const std::string& text);
// The cell of a value, as AppendCsvCell(line, CsvValueText(field)) writes it.
void AppendCsvValue(std::string& line, const TAEField& field);

// Writes the rows the table holds. False with `error` on failure; false with an empty
// `error` when `progress` stopped it.
bool ExportTableCsv(TGVCPUTbl& table, const std::string& fileName, std::string& error,
                    const TCsvProgress& progress = {});

} // namespace vorelt
