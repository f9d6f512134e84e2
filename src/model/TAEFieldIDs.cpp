#include "model/TAEFieldIDs.h"

namespace vorelt {

namespace {

constexpr uint8_t R = taRightJustify;
constexpr uint8_t L = taLeftJustify;

// Unless noted: width 100, right aligned, no format, system flag only.
constexpr TAEStdFieldInfo Catalogue[] = {
    {1, "Time", "Time of Hit", "µs", ukMicrosecond, fgDatabase, 0x0105, 100, R, ""},
    {2, "Chan", "AE Channel", "№", ukCount, fgDatabase, 0x0091, 100, R, ""},
    {3, "Rise", "Rise Time", "µs", ukMicrosecond, fgDatabase, 0x0001, 100, R, ""},
    {4, "Sequence", "Sequence", "", ukCount, fgDatabase, 0x0001, 100, R, ""},
    {5, "Count", "Total AE Counts", "Num.", ukCount, fgDatabase, 0x0001, 100, R, ""},
    {6, "CountPeak", "Counts To Peak", "Num.", ukCount, fgDatabase, 0x0001, 100, R, ""},
    {7, "Durat", "Duration", "µs", ukMicrosecond, fgDatabase, 0x0001, 100, R, ""},
    {8, "Energy", "Energy", "", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {9, "Ampl", "Amplitude", "dB", ukDecibel, fgDatabase, 0x0001, 100, R, ""},
    {11, "RMS/ASL", "RMS/ASL", "mV", ukMillivolt, fgDatabase, 0x0001, 100, R, ""},
    {13, "Gain", "Gain", "dB", ukDecibel, fgDatabase, 0x0001, 100, R, ""},
    {14, "Threshold", "Threshold", "dB", ukDecibel, fgDatabase, 0x0001, 100, R, ""},
    {16, "Channels", "Total Channels", "Num.", ukCount, fgSetup, 0x0005, 100, R, ""},
    {17, "Deleted", "Deleted Rec", "", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {18, "Selected", "Selected Rec", "", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {19, "IndexRec", "Index Of Rec", "Num.", ukCount, fgDatabase, 0x0005, 100, R, ""},
    {20, "DefaultText", "", "", ukNone, fgDatabase, 0x0005, 200, L, ""},
    {21, "Hit", "Hit", "", ukCount, fgDatabase, 0x0001, 100, R, ""},
    {22, "CycleCounter", "Cycle Counter", "", ukCount, fgParametric, 0x0001, 50, R, ""},
    {23, "Parametric1", "Parametric 1", "", ukCount, fgParametric, 0x0001, 100, R, ""},
    {24, "Parametric2", "Parametric 2", "", ukCount, fgParametric, 0x0001, 100, R, ""},
    {32, "SIGS", "Hits In Event", "Num.", ukCount, fgLocation, 0x0001, 100, R, ""},
    {33, "DT1L", "Delta Time 1 To Last Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {34, "Chan1", "AE Channel 1 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {35, "Chan2", "AE Channel 2 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {36, "Chan3", "AE Channel 3 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {37, "Chan4", "AE Channel 4 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {38, "Chan5", "AE Channel 5 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {39, "Chan6", "AE Channel 6 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {40, "Chan7", "AE Channel 7 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {41, "Chan8", "AE Channel 8 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {42, "Chan9", "AE Channel 9 Hit", "№", ukCount, fgLocation, 0x0001, 100, R, ""},
    {43, "DT1C", "Delta Time 1 To Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {44, "DT12", "Delta Time 1 To 2 Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {45, "DT13", "Delta Time 1 To 3 Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {46, "DT14", "Delta Time 1 To 4 Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {47, "DT15", "Delta Time 1 To 5 Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {48, "DT16", "Delta Time 1 To 6 Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {49, "DT17", "Delta Time 1 To 7 Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {50, "DT18", "Delta Time 1 To 8 Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {51, "DT19", "Delta Time 1 To 9 Hit", "µs", ukMicrosecond, fgLocation, 0x0001, 100, R, ""},
    {52, "Amp2", "Amplitude 2 Hit", "dB", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {53, "Amp3", "Amplitude 3 Hit", "dB", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {54, "Amp4", "Amplitude 4 Hit", "dB", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {55, "Amp5", "Amplitude 5 Hit", "dB", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {56, "Amp6", "Amplitude 6 Hit", "dB", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {57, "Amp7", "Amplitude 7 Hit", "dB", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {58, "Amp8", "Amplitude 8 Hit", "dB", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {59, "Amp9", "Amplitude 9 Hit", "dB", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {60, "IdxFirstHit", "First Hit Index", "", ukDecibel, fgLocation, 0x0005, 100, R, ""},
    {61, "TimeS", "Time of Hit", "S", ukSecond, fgDatabase, 0x0101, 100, R, "%.8f"},
    {62, "TimeHH", "Time of Hit", "H", ukHour, fgDatabase, 0x0141, 100, R, ""},
    {63, "HHMMSS", "Time of Hit", "HH:MM:SS", ukNone, fgDatabase, 0x0021, 100, R, ""},
    {64, "TimeMS", "Time of Hit", "mS", ukMillisecond, fgDatabase, 0x0105, 100, R, ""},
    {65, "AbsEnergy", "Absolute Energy", "aJ", ukAttojoule, fgDatabase, 0x0001, 100, R, "%e"},
    {66, "RMS", "RMS", "mV", ukMillivolt, fgDatabase, 0x0001, 100, R, ""},
    {67, "ASL", "ASL", "dB", ukDecibel, fgDatabase, 0x0001, 100, R, ""},
    {68, "TimeUS", "Time of Hit", "µs", ukMicrosecond, fgDatabase, 0x0121, 100, R, "%.8f"},
    {70, "NumRec", "№ Record", "Num.", ukCount, fgTable, 0x0001, 40, R, ""},
    {71, "CalcLoading", "Calculate Loading", "MPa", ukMegapascal, fgParametric, 0x0001, 100, R, ""},
    {72, "IdxLocHit", "Hit In Event Index", "", ukDecibel, fgLocation, 0x0001, 100, R, ""},
    {73, "TypeLocHit", "Hit In Event Type", "", ukDecibel, fgLocation, 0x0001, 40, R, ""},
    {74, "WaveIndex", "Waveform Index", "", ukCount, fgDatabase, 0x0001, 100, R, ""},
    {75, "WavePeakAmpl", "Peak Amplitude (waveform)", "mV", ukMillivolt, fgDatabase, 0x0001, 100, R,
     ""},
    {76, "WaveEnergy", "Energy (waveform)", "eu", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {77, "WaveSigStrength", "Signal Strength (waveform)", "nVs", ukNone, fgDatabase, 0x0001, 100, R,
     ""},
    {78, "WaveCounts", "Counts (waveform)", "Num.", ukCount, fgDatabase, 0x0001, 100, R, ""},
    {79, "WaveRMS", "RMS (waveform)", "mV", ukMillivolt, fgDatabase, 0x0001, 100, R, ""},
    {80, "WaveRise", "Rise Time (waveform)", "µs", ukMicrosecond, fgDatabase, 0x0001, 100, R, ""},
    {81, "PeakFreq", "Peak Frequency", "kHz", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {82, "FreqCentroid", "Frequency Centroid", "kHz", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {83, "WPeakFreq", "Weighted Peak Frequency", "kHz", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {84, "PartPower1", "Partial Power 1", "%", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {85, "PartPower2", "Partial Power 2", "%", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {86, "PartPower3", "Partial Power 3", "%", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {87, "PartPower4", "Partial Power 4", "%", ukNone, fgDatabase, 0x0001, 100, R, ""},
    {88, "ArrivalTime", "Arrival Time", "µs", ukMicrosecond, fgDatabase, 0x0001, 100, R, ""},
    {90, "SourceX", "Source X", "mm", ukNone, fgLocation, 0x0001, 100, R, ""},
    {91, "SourceY", "Source Y", "mm", ukNone, fgLocation, 0x0001, 100, R, ""},
    {92, "SourcePos", "Source Position", "mm", ukNone, fgLocation, 0x0001, 100, R, ""},
    {93, "SourcePipe", "Source Pipe", "", ukNone, fgLocation, 0x0001, 100, L, ""},
    {94, "LocUncertainty", "Location Uncertainty", "mm", ukNone, fgLocation, 0x0001, 100, R, ""},
    {95, "SensorsUsed", "Sensors Used", "Num.", ukCount, fgLocation, 0x0001, 100, R, ""},
    {96, "Located", "Located", "", ukNone, fgLocation, 0x0001, 40, R, ""},
    {97, "EventsInCircle", "Events in Circle", "Num.", ukCount, fgLocation, 0x0001, 100, R, ""},
};

// Number of a 16-digit standard ID, -1 for anything else.
int StandardNumber(std::string_view id) {
    if (id.size() != 16) return -1;
    int n = 0;
    for (size_t i = 0; i < id.size(); ++i) {
        char c = id[i];
        if (c < '0' || c > '9') return -1;
        if (i < 14 && c != '0') return -1;
        if (i >= 14) n = n * 10 + (c - '0');
    }
    return n < StandardIDCount ? n : -1;
}

} // namespace

std::string StandardID(int n) {
    if (n < 0 || n >= StandardIDCount) return std::string();
    std::string id(16, '0');
    id[14] = static_cast<char>('0' + n / 10);
    id[15] = static_cast<char>('0' + n % 10);
    return id;
}

const TAEStdFieldInfo* FindStandardField(std::string_view id) {
    int n = StandardNumber(id);
    if (n < 0) return nullptr;
    for (const TAEStdFieldInfo& info : Catalogue)
        if (info.Number == n) return &info;
    return nullptr;
}

std::unique_ptr<TAEField> NewStandardField(std::string_view id, uint8_t dataType,
                                           TAEDeclarer declarer) {
    const TAEStdFieldInfo* info = FindStandardField(id);
    if (!info) return nullptr;
    std::unique_ptr<TAEField> field = NewFieldOfType(dataType);
    if (!field) return nullptr;
    std::string fieldName = info->FieldName;
    std::string displayName = info->DisplayName;
    std::string dimension = info->DisplayDimension;
    uint8_t unitKind = info->UnitKind;
    uint8_t group = info->Group;
    uint16_t flags = info->Flags;
    int32_t width = info->DisplayWidth;

    // Declarer-specific deviations of the catalogue.
    switch (info->Number) {
    case 2:
        if (declarer == TAEDeclarer::Criterion) {
            group = fgCriterion;
            flags = 0x0089;
        }
        break;
    case 8:
        if (declarer == TAEDeclarer::Disp)
            displayName = "(PAC)Energy";
        else if (declarer == TAEDeclarer::Vallen)
            dimension = "eU";
        break;
    case 13:
        if (declarer == TAEDeclarer::Spartan) {
            dimension.clear();
            unitKind = ukCount;
            group = fgParametric;
            width = 50;
        }
        break;
    case 16:
        if (declarer == TAEDeclarer::Criterion) group = fgDatabase;
        break;
    case 17:
    case 18:
        if (declarer == TAEDeclarer::Criterion) flags = 0x0005;
        break;
    case 24:
        if (declarer == TAEDeclarer::Spartan) {
            fieldName = "DP";
            displayName = "Digital Parameter";
        }
        break;
    default:
        break;
    }

    field->SetID(StandardID(info->Number));
    field->SetFieldName(fieldName);
    field->SetDisplayName(displayName);
    field->SetDisplayDimension(dimension);
    field->SetUnitKind(unitKind);
    field->SetGroup(group);
    field->SetFlags(flags);
    field->SetDisplayWidth(width);
    field->SetAlignment(info->Alignment);
    field->SetDisplayFormat(info->DisplayFormat);
    return field;
}

bool IsWaveFeatureID(std::string_view id) {
    const int n = StandardNumber(id);
    return n >= WaveFeatureFirst && n <= WaveFeatureLast;
}

std::string DisplayUnit(const std::string& unit) {
    return unit == "\xC2\xB5S" ? std::string("\xC2\xB5s") : unit;
}

} // namespace vorelt
