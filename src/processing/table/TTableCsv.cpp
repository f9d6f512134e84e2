#include "processing/table/TTableCsv.h"

#include "model/TAEExtendedField.h"
#include "model/TAEField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListIntegerField.h"
#include "model/TAERecord.h"
#include "persist/TFileWriter.h"
#include "persist/TNumberFormat.h"
#include "processing/TTreeFiles.h"
#include "processing/table/TGVCPUTbl.h"

#include <vector>

namespace vorelt {

std::string CsvValueText(const TAEField& field) {
    if (field.IsNull()) return {};
    if (field.DataType() == dtListInteger) {
        const auto* list = static_cast<const TAEChannelList*>(field.GetValuePtr());
        std::string s;
        for (size_t i = 0; list && i < list->size(); ++i) {
            if (i) s += ',';
            s += IntToStr((*list)[i]);
        }
        return s;
    }
    return field.GetAsString();
}

void AppendCsvCell(std::string& line, const std::string& text) {
    bool plain = true;
    for (char c : text)
        if (c == ';' || c == '"' || c == '\r' || c == '\n') {
            plain = false;
            break;
        }
    if (plain) {
        line += text;
        return;
    }
    line += '"';
    for (char c : text) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

void AppendCsvValue(std::string& line, const TAEField& field) {
    if (field.IsNull()) return;
    // Numbers hold no ";", quote or line break: their text goes straight into the line, the
    // same as the field's own text, without a string per cell.
    char text[NumberTextCapacity];
    switch (field.ValueFamily()) {
    case vfInteger:
        line.append(text,
                    WriteIntText(text, static_cast<const TAEIntegerField&>(field).GetAsInt64()));
        return;
    case vfFloat:
        line.append(text,
                    WriteFloatText(text, static_cast<const TAEExtendedField&>(field).GetAsFloat()));
        return;
    default:
        AppendCsvCell(line, CsvValueText(field));
        return;
    }
}

bool ExportTableCsv(TGVCPUTbl& table, const std::string& fileName, std::string& error,
                    const TCsvProgress& progress) {
    error.clear();
    TTableData& data = table.Data();
    const std::vector<const TGVStringProperty*> columns = data.VisibleColumns();
    TAERecord record;
    table.PrepareRowRecord(record);
    // Flat positions of the columns' fields in the record; -1 when the field is gone.
    std::vector<int> positions;
    positions.reserve(columns.size());
    for (const TGVStringProperty* c : columns) {
        int pos = -1;
        for (int i = 0; i < record.FieldCount(); ++i)
            if (record.Field(i)->ID() == c->Value()) {
                pos = i;
                break;
            }
        positions.push_back(pos);
    }
    const int defaultText = [&] {
        for (int i = 0; i < record.FieldCount(); ++i)
            if (record.Field(i)->ID() == fidDefaultText) return i;
        return -1;
    }();

    std::string reason;
    if (!CheckWriteTarget(fileName, KeptFiles(table), reason)) {
        error = reason;
        return false;
    }
    // Written beside the target and renamed over it: a failure keeps the old file.
    TFileWriter file(fileName, true);
    try {
        file.Open();
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    auto fail = [&](const std::string& text) {
        error = text;
        return false;
    };

    std::string buffer = "\xEF\xBB\xBF";
    buffer.reserve(1 << 20);
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i) buffer += ';';
        AppendCsvCell(buffer, columns[i]->GetDisplayName());
    }
    buffer += "\r\n";
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i) buffer += ';';
        AppendCsvCell(buffer, DisplayUnit(columns[i]->GetDisplayDimension()));
    }
    buffer += "\r\n";

    const int64_t total = data.RowCount();
    TAEPNav nav;
    for (int32_t r = 0; r < data.RowCount(); ++r) {
        if (progress && (r & 0xFFFF) == 0 && !progress(r, total)) return fail({});
        if (!table.FetchRow(nav, record, r + 1, data.RowPosition(r))) {
            buffer += "\r\n";
            continue;
        }
        const uint8_t kind = record.Kind();
        if (kind == rkHit || kind == rkCriterion) {
            for (size_t i = 0; i < positions.size(); ++i) {
                if (i) buffer += ';';
                if (positions[i] >= 0) AppendCsvValue(buffer, *record.Field(positions[i]));
            }
        } else {
            // Other messages carry one text; it stands in the first column.
            if (defaultText >= 0 && !positions.empty()) {
                AppendCsvValue(buffer, *record.Field(defaultText));
            }
            for (size_t i = 1; i < positions.size(); ++i)
                buffer += ';';
        }
        buffer += "\r\n";
        if (buffer.size() >= (1u << 20)) {
            try {
                file.Write(buffer.data(), buffer.size());
            } catch (const std::exception& e) {
                return fail(e.what());
            }
            buffer.clear();
        }
    }
    try {
        file.Write(buffer.data(), buffer.size());
        file.Commit();
    } catch (const std::exception& e) {
        return fail(e.what());
    }
    if (progress) progress(total, total);
    return true;
}

} // namespace vorelt
