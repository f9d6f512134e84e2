#include "viewmodel/dialogs/project/TProjectOptionsEdit.h"

#include "model/TAEMessageNumbers.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TAEMessages.h"
#include "processing/db/TGVDb.h"
#include "project/TProjectAE.h"

#include <algorithm>

namespace vorelt {

namespace {

std::vector<TGVCoord> PointsOf(const TZIPParameters& zip, int zone) {
    auto* list = zip.Zones().FindAs<TGVListCoordProperty>(TZIPParameters::ZoneName(zone));
    return list ? list->Points() : std::vector<TGVCoord>{};
}

} // namespace

TProjectOptionsEdit::TProjectOptionsEdit(TProjectAE& project)
    : FProject(project), FOriginalColor(project.ColorBackGraph()),
      FOriginalWaveform(project.WaveformOptions()) {
    ColorBackGraph = FOriginalColor;
    Picker = static_cast<int>(FOriginalWaveform.Picker);
    for (size_t i = 0; i < BandTexts.size(); ++i)
        BandTexts[i] = FloatToStr(FOriginalWaveform.Bounds[i]);
    const TZIPParameters& zip = project.ZipParameters();
    SeverityText = std::to_string(zip.J());
    for (int r = 0; r < TZIPParameters::KRowCount; ++r)
        KTexts[size_t(r)] = zip.KRow(r).Text;
    for (int z = 0; z < TZIPParameters::ZoneCount; ++z)
        FZones[size_t(z)] = FOriginalZones[size_t(z)] = PointsOf(zip, z);
}

bool TProjectOptionsEdit::AddPoint(int zone, const TGVCoord& point) {
    if (zone < 0 || zone >= TZIPParameters::ZoneCount) return false;
    FZones[size_t(zone)].push_back(point);
    return true;
}

bool TProjectOptionsEdit::EditPoint(int zone, int i, const TGVCoord& point) {
    if (zone < 0 || zone >= TZIPParameters::ZoneCount) return false;
    auto& z = FZones[size_t(zone)];
    if (i < 0 || i >= static_cast<int>(z.size()) || z[size_t(i)] == point) return false;
    z[size_t(i)] = point;
    return true;
}

bool TProjectOptionsEdit::DeletePoint(int zone, int i) {
    if (zone < 0 || zone >= TZIPParameters::ZoneCount) return false;
    auto& z = FZones[size_t(zone)];
    if (i < 0 || i >= static_cast<int>(z.size())) return false;
    z.erase(z.begin() + i);
    return true;
}

bool TProjectOptionsEdit::MovePoint(int zone, int i, int delta) {
    if (zone < 0 || zone >= TZIPParameters::ZoneCount) return false;
    auto& z = FZones[size_t(zone)];
    const int j = i + delta;
    if (i < 0 || j < 0 || i >= static_cast<int>(z.size()) || j >= static_cast<int>(z.size()))
        return false;
    std::swap(z[size_t(i)], z[size_t(j)]);
    return true;
}

void TProjectOptionsEdit::SetDefaultZone(int zone) {
    if (zone < 0 || zone >= TZIPParameters::ZoneCount) return;
    TZIPParameters defaults;
    FZones[size_t(zone)] = PointsOf(defaults, zone);
}

bool TProjectOptionsEdit::ZonesChanged() const {
    return FZones != FOriginalZones;
}

int32_t TProjectOptionsEdit::SeverityOf(const std::string& text) {
    const std::string t = Trim(text);
    int64_t n = 0;
    if (!TryStrToInt64(t, n)) return TZIPParameters::MinJ;
    return static_cast<int32_t>(std::clamp<int64_t>(n, TZIPParameters::MinJ, INT32_MAX));
}

std::string TProjectOptionsEdit::ReadCoord(const std::string& x, const std::string& y,
                                           TGVCoord& out) {
    const std::string tx = Trim(x);
    const std::string ty = Trim(y);
    if (tx.empty() || ty.empty()) return txtEmptyCoord;
    long double vx = 0, vy = 0;
    if (!TryStrToFloat(tx, vx) || !TryStrToFloat(ty, vy)) return txtEmptyCoord;
    out.X = vx;
    out.Y = vy;
    return {};
}

std::string TProjectOptionsEdit::ReadBands(
    const std::array<std::string, TWaveformOptions::BandCount + 1>& texts,
    std::array<double, TWaveformOptions::BandCount + 1>& out) {
    std::array<double, TWaveformOptions::BandCount + 1> bounds{};
    for (size_t i = 0; i < texts.size(); ++i) {
        long double v = 0;
        if (!TryStrToFloat(Trim(texts[i]), v)) return txtInvalidBands;
        bounds[i] = static_cast<double>(v);
    }
    if (!TWaveformOptions::ValidBounds(bounds)) return txtInvalidBands;
    out = bounds;
    return {};
}

std::string TProjectOptionsEdit::Check() const {
    std::array<double, TWaveformOptions::BandCount + 1> bounds{};
    return ReadBands(BandTexts, bounds);
}

bool TProjectOptionsEdit::Apply() {
    bool any = false;
    TWaveformOptions waveform = FOriginalWaveform;
    if (Picker >= 0 && Picker < ArrivalPickerCount)
        waveform.Picker = static_cast<TArrivalPicker>(Picker);
    ReadBands(BandTexts, waveform.Bounds);
    if (!(waveform == FOriginalWaveform)) {
        FProject.SetWaveformOptions(waveform);
        FOriginalWaveform = waveform;
        FProject.SetModified(true);
        // Every feature a view shows may change: the tree reads its records anew.
        TAEOMSG msg;
        msg.Msg = omDataChanged;
        msg.Text = FProject.Db().ID();
        FProject.Db().Dispatch(msg);
        any = true;
    }
    if (ColorBackGraph != FOriginalColor) {
        FProject.SetColorBackGraph(ColorBackGraph);
        FProject.SetModified(true);
        TAEOMSG msg;
        msg.Msg = omColorScheme;
        msg.WParam = ColorBackGraph;
        FProject.Db().Dispatch(msg);
        any = true;
    }
    TZIPParameters& zip = FProject.ZipParameters();
    bool zipChanged = false;
    if (Trim(SeverityText) != std::to_string(zip.J())) {
        zip.SetJ(SeverityOf(SeverityText));
        zipChanged = true;
    }
    bool kChanged = false;
    for (int r = 0; r < TZIPParameters::KRowCount; ++r)
        kChanged = kChanged || KTexts[size_t(r)] != zip.KRow(r).Text;
    if (kChanged) {
        for (int r = 0; r < TZIPParameters::KRowCount; ++r)
            zip.SetKText(r, KTexts[size_t(r)]);
        zip.ParseK();
        zipChanged = true;
    }
    if (ZonesChanged()) {
        for (int z = 0; z < TZIPParameters::ZoneCount; ++z) {
            auto* list = zip.Zones().FindAs<TGVListCoordProperty>(TZIPParameters::ZoneName(z));
            if (!list) continue;
            list->ClearPoints();
            for (const TGVCoord& p : FZones[size_t(z)])
                list->AddPoint(p);
        }
        FOriginalZones = FZones;
        zipChanged = true;
    }
    if (zipChanged) {
        FProject.SetModified(true);
        TAEOMSG msg;
        msg.Msg = omZIPChanged;
        FProject.Db().Dispatch(msg);
        any = true;
    }
    return any;
}

} // namespace vorelt
