#pragma once
// What the project options dialog edits, held apart from the project while the dialog is
// open: the colour scheme of graphs, the severity count J, the K texts and the six zone
// polygons. Nothing reaches the project before OK, so that Cancel leaves it as it was; OK
// takes over what changed, marks the project modified and tells the tree (0x40C for the
// scheme, 0x41D for the zone-intensity parameters).

#include "persist/TGVListCoordProperty.h"
#include "processing/waveform/TWaveformOptions.h"
#include "testprog/TZIPParameters.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

class TProjectAE;

inline constexpr char txtEmptyCoord[] = "Empty Coord";
inline constexpr char txtInvalidBands[] =
    "Band bounds must be numbers of kHz that start at 0 or above and rise";

class TProjectOptionsEdit {
public:
    explicit TProjectOptionsEdit(TProjectAE& project);

    uint8_t ColorBackGraph = 0;
    std::string SeverityText;
    std::array<std::string, TZIPParameters::KRowCount> KTexts;
    // The arrival picker (TArrivalPicker as a number) and the band bounds as typed (kHz).
    int Picker = 0;
    std::array<std::string, TWaveformOptions::BandCount + 1> BandTexts;

    // The zones by list index ("Zone 0" ... "Zone E").
    const std::vector<TGVCoord>& Zone(int zone) const { return FZones[size_t(zone)]; }
    bool AddPoint(int zone, const TGVCoord& point);
    // Replaces the point when it differs; false when nothing changed.
    bool EditPoint(int zone, int i, const TGVCoord& point);
    bool DeletePoint(int zone, int i);
    bool MovePoint(int zone, int i, int delta);
    void SetDefaultZone(int zone);
    bool ZonesChanged() const;

    // J from the typed text: the larger of 10 and the number, 10 for text that is no integer.
    static int32_t SeverityOf(const std::string& text);
    // The coordinate dialog's OK: "Empty Coord" when either text is empty; the numbers read
    // with the decimal comma.
    static std::string ReadCoord(const std::string& x, const std::string& y, TGVCoord& out);

    // The bounds from their texts (decimal comma or point); txtInvalidBands when one is no
    // number or they do not rise.
    static std::string
    ReadBands(const std::array<std::string, TWaveformOptions::BandCount + 1>& texts,
              std::array<double, TWaveformOptions::BandCount + 1>& out);
    // What OK would refuse: the band texts. Empty when OK can go on.
    std::string Check() const;

    // OK of the dialog. True when anything was taken over. Band texts that Check refuses are
    // not taken over.
    bool Apply();

private:
    TProjectAE& FProject;
    uint8_t FOriginalColor;
    TWaveformOptions FOriginalWaveform;
    std::array<std::vector<TGVCoord>, TZIPParameters::ZoneCount> FZones;
    std::array<std::vector<TGVCoord>, TZIPParameters::ZoneCount> FOriginalZones;
};

} // namespace vorelt
