#include "testprog/TZIPParameters.h"

#include "persist/TErrors.h"
#include "persist/TGVListCoordProperty.h"
#include "persist/TNodePersist.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vorelt {

namespace {

const char* const KZoneNames[TZIPParameters::ZoneCount] = {"Zone 0", "Zone A", "Zone B",
                                                           "Zone C", "Zone D", "Zone E"};

const char* const KRowLabels[TZIPParameters::KRowCount] = {"< 10", "10 - 14", "15 - 74",
                                                           "75 - 1000", "1000 <"};

struct TKDefault {
    const char* Text;
    uint8_t TypeOperation;
    long double Value;
};

const TKDefault KDefaults[TZIPParameters::KRowCount] = {
    {"Not applicable", 0, -1}, {"0", 0, 0}, {"N-15", 2, 15}, {"N*0,8", 3, 0.8L}, {"N-200", 2, 200}};

const std::vector<TGVCoord> KDefaultZones[TZIPParameters::ZoneCount] = {
    {{1, 25}, {10, 25}, {10, 10}, {1, 10}},
    {{1, 50}, {2, 50}, {2, 25}, {1, 25}},
    {{1, 71}, {2, 71}, {2.6L, 50}, {2.6L, 25}, {2, 25}, {2, 50}, {1, 50}},
    {{1, 190},
     {2, 190},
     {2, 150},
     {3.1L, 71},
     {10, 71},
     {10, 25},
     {2.6L, 25},
     {2.6L, 50},
     {2, 71},
     {1, 71}},
    {{1, 600},
     {2.6L, 600},
     {2.6L, 190},
     {10, 190},
     {10, 71},
     {3.1L, 71},
     {2, 150},
     {2, 190},
     {1, 190}},
    {{1, 1000}, {10, 1000}, {10, 190}, {2.6L, 190}, {2.6L, 600}, {1, 600}}};

int64_t ClampGrid(long double v) {
    return std::clamp<int64_t>(RoundToInt64(v), -GridCoordLimit, GridCoordLimit);
}

// A K constant: digits with at most one comma, not starting with it.
bool ParseKNumber(const std::string& r, long double& value) {
    if (r.empty() || r[0] == ',') return false;
    if (r.find_first_not_of(",0123456789") != std::string::npos) return false;
    if (std::count(r.begin(), r.end(), ',') > 1) return false;
    std::string digits = r;
    if (digits.back() == ',') digits.pop_back(); // "5," is five
    return TryStrToFloat(digits, value);
}

// One row of ParseK; false when the text is no formula.
bool ParseKText(const std::string& text, std::string& normalised, uint8_t& operation,
                long double& value) {
    std::string t;
    for (char c : UpperCase(text)) {
        if (c == ' ') continue;
        t += c == '.' ? ',' : c;
    }
    normalised = t;
    operation = 0;
    std::string r = t;
    if (t.find('N') != std::string::npos) {
        r.erase(std::remove(r.begin(), r.end(), 'N'), r.end());
        char op;
        if (t.find('*') != std::string::npos) {
            operation = 3;
            op = '*';
        } else if (t.find('+') != std::string::npos) {
            operation = 1;
            op = '+';
        } else if (t.find('-') != std::string::npos) {
            operation = 2;
            op = '-';
        } else {
            return false;
        }
        r.erase(std::remove(r.begin(), r.end(), op), r.end());
    }
    return ParseKNumber(r, value);
}

} // namespace

TZIPParameters::TZIPParameters() : FZones("ZipCoords") {
    for (int i = 0; i < KRowCount; ++i) {
        RecHistoricIndex& row = FK[size_t(i)];
        row.Index = i;
        row.DefaultText = KDefaults[i].Text;
        row.DefaultTypeOperation = KDefaults[i].TypeOperation;
        row.DefaultValue = KDefaults[i].Value;
        row.Text = row.DefaultText;
        row.TypeOperation = row.DefaultTypeOperation;
        row.Value = row.DefaultValue;
    }
    for (int i = 0; i < ZoneCount; ++i)
        SetDefaultPoints(*FZones.AddNew<TGVListCoordProperty>(KZoneNames[i]), i);
}

const char* TZIPParameters::ZoneName(int i) {
    return i >= 0 && i < ZoneCount ? KZoneNames[i] : "";
}

const char* TZIPParameters::KRowLabel(int row) {
    return row >= 0 && row < KRowCount ? KRowLabels[row] : "";
}

int TZIPParameters::KRowFor(int64_t n) {
    if (n <= 9) return 0;
    if (n <= 14) return 1;
    if (n <= 74) return 2;
    if (n <= 999) return 3;
    return 4;
}

void TZIPParameters::SetJ(int32_t j) {
    FJ = std::max(j, MinJ);
}

void TZIPParameters::SetKText(int row, std::string text) {
    if (row >= 0 && row < KRowCount) FK[size_t(row)].Text = std::move(text);
}

bool TZIPParameters::ParseK() {
    bool ok = true;
    for (RecHistoricIndex& row : FK) {
        row.TypeOperation = 0;
        row.Value = 0;
        row.ErrorText.clear();
        std::string normalised;
        uint8_t operation = 0;
        long double value = 0;
        if (ParseKText(row.Text, normalised, operation, value)) {
            row.TypeOperation = operation;
            row.Value = value;
            continue;
        }
        // "Not applicable" is no formula but a valid choice.
        if (!SameTextTrimmed(row.Text, row.DefaultText)) {
            row.ErrorText = "Invalid Operation: " + normalised;
            ok = false;
        }
        row.Text = row.DefaultText;
        row.TypeOperation = row.DefaultTypeOperation;
        row.Value = row.DefaultValue;
    }
    return ok;
}

int32_t TZIPParameters::HistoricIndexK(int64_t n) const {
    const RecHistoricIndex& row = FK[size_t(KRowFor(n))];
    int64_t k;
    switch (row.TypeOperation) {
    case 0:
        k = RoundToInt64(row.Value);
        break;
    case 1:
        k = n + RoundToInt64(row.Value);
        break;
    case 2:
        k = n - RoundToInt64(row.Value);
        break;
    case 3:
        k = RoundToInt64(row.Value * static_cast<long double>(n));
        break;
    default:
        return -1;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(k, INT32_MIN, INT32_MAX));
}

void TZIPParameters::SetDefaultPoints(TGVListCoordProperty& zone, int i) const {
    zone.ClearPoints();
    for (const TGVCoord& p : KDefaultZones[i])
        zone.AddPoint(p);
}

void TZIPParameters::SetDefaultZone(std::string_view zoneName) {
    for (int i = 0; i < ZoneCount; ++i) {
        if (!SameTextTrimmed(zoneName, KZoneNames[i])) continue;
        if (auto* zone = FZones.FindAs<TGVListCoordProperty>(zoneName)) SetDefaultPoints(*zone, i);
        return;
    }
}

TGridPoint TZIPParameters::ToGrid(long double historicIndex, long double severity) {
    long double x =
        (historicIndex - HistoricIndexMin) / (HistoricIndexMax - HistoricIndexMin) * GridSize;
    long double y = GridSize - (severity - SeverityMin) / (SeverityMax - SeverityMin) * GridSize;
    return {ClampGrid(x), ClampGrid(y)};
}

int TZIPParameters::ClassifyZone(long double severity, long double historicIndex,
                                 std::string* zoneName) const {
    if (zoneName) zoneName->clear();
    if (!std::isfinite(severity) || !std::isfinite(historicIndex)) return -1;
    const TGridPoint p = ToGrid(historicIndex, severity);
    for (int i = 0; i < FZones.Count(); ++i) {
        const auto* zone = dynamic_cast<const TGVListCoordProperty*>(FZones.Get(i));
        if (!zone || zone->PointCount() < 3) continue;
        const std::vector<TGVCoord>& points = zone->Points();
        const auto pointAt = [&points](size_t k) { return ToGrid(points[k].X, points[k].Y); };
        if (PtInGridPolygonOf(points.size(), pointAt, p)) {
            if (zoneName) *zoneName = zone->Name();
            return i;
        }
    }
    return -1;
}

void TZIPParameters::SaveToNode(TNodePersist& node) const {
    node.AddItem("Severity", IntToStr(FJ));
    TNodePersist* hi = node.AddNode("HistoricIndex");
    for (const RecHistoricIndex& row : FK) {
        TNodePersist* item = hi->AddNode("Items");
        item->AddItem("Index", IntToStr(row.Index));
        item->AddItem("Text", row.Text);
        item->AddItem("TypeOperation", IntToStr(row.TypeOperation));
        item->AddItem("Value", FloatToStr(row.Value));
    }
    FZones.SaveToNode(*node.AddNode("ZipCoords"));
}

void TZIPParameters::LoadFromNode(const TNodePersist& node) {
    std::string s = node.GetValue("Severity");
    if (!s.empty()) SetJ(StrToInt(s));
    if (const TNodePersist* hi = node.FindNode("HistoricIndex")) {
        for (int i = 0; i < hi->NodeCount(); ++i) {
            const TNodePersist* item = hi->Node(i);
            if (!SameTextTrimmed(item->Name(), "Items")) continue;
            int32_t index;
            if (!TryStrToInt(item->GetValue("Index"), index) || index < 0 || index >= KRowCount)
                continue;
            std::string text = item->GetValue("Text");
            std::string op = item->GetValue("TypeOperation");
            std::string value = item->GetValue("Value");
            if (text.empty() || op.empty() || value.empty()) continue;
            int32_t typeOperation = StrToInt(op);
            if (typeOperation < 0 || typeOperation > 255)
                throw EConvertError("'" + op + "' is not a valid integer value",
                                    "an integer from 0 to 255", "TypeOperation");
            long double c = StrToFloat(value);
            RecHistoricIndex& row = FK[size_t(index)];
            row.Text = text;
            row.TypeOperation = static_cast<uint8_t>(typeOperation);
            row.Value = c;
        }
    }
    if (const TNodePersist* zones = node.FindNode("ZipCoords")) FZones.LoadFromNode(*zones);
}

} // namespace vorelt
