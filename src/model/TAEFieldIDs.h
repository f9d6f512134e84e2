#pragma once
// The catalogue of standard field IDs. Every driver and processor that produces one of these
// columns uses exactly this ID, so filters, graphs, tables and expressions keep working when
// the data file changes. Numbers 0, 10, 12, 15, 25..31, 69 and 89 are reserved but never
// declared. Numbers 74..88 are the waveform of a hit: its index in the file's waveforms, and
// the features computed from it when a reader asks for them. Numbers 90..97 are where an
// event's source lies, added by the source-location processor.

#include "model/TAEField.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vorelt {

constexpr int StandardIDCount = 98; // "0000000000000000" .. "0000000000000097"

// The standard ID of number n (0..97) with its leading zeros; empty outside that range.
std::string StandardID(int n);

inline constexpr char fidNone[] = "0000000000000000"; // constant copies: no real column
inline constexpr char fidTime[] = "0000000000000001";
inline constexpr char fidChan[] = "0000000000000002";
inline constexpr char fidRise[] = "0000000000000003";
inline constexpr char fidSequence[] = "0000000000000004";
inline constexpr char fidCount[] = "0000000000000005";
inline constexpr char fidCountPeak[] = "0000000000000006";
inline constexpr char fidDurat[] = "0000000000000007";
inline constexpr char fidEnergy[] = "0000000000000008";
inline constexpr char fidAmpl[] = "0000000000000009";
inline constexpr char fidRMSASL[] = "0000000000000011";
inline constexpr char fidGain[] = "0000000000000013";
inline constexpr char fidThreshold[] = "0000000000000014";
inline constexpr char fidChannels[] = "0000000000000016";
inline constexpr char fidDeleted[] = "0000000000000017";
inline constexpr char fidSelected[] = "0000000000000018";
inline constexpr char fidIndexRec[] = "0000000000000019";
inline constexpr char fidDefaultText[] = "0000000000000020";
inline constexpr char fidHit[] = "0000000000000021";
inline constexpr char fidCycleCounter[] = "0000000000000022";
inline constexpr char fidParametric1[] = "0000000000000023";
inline constexpr char fidParametric2[] = "0000000000000024"; // "DP" in Spartan files
inline constexpr char fidSIGS[] = "0000000000000032";
inline constexpr char fidDT1L[] = "0000000000000033";
inline constexpr char fidChan1[] = "0000000000000034"; // Chan1..Chan9: 34..42
inline constexpr char fidDT1C[] = "0000000000000043";
inline constexpr char fidDT12[] = "0000000000000044"; // DT12..DT19: 44..51
inline constexpr char fidAmp2[] = "0000000000000052"; // Amp2..Amp9: 52..59
inline constexpr char fidIdxFirstHit[] = "0000000000000060";
inline constexpr char fidTimeS[] = "0000000000000061";
inline constexpr char fidTimeHH[] = "0000000000000062";
inline constexpr char fidHHMMSS[] = "0000000000000063";
inline constexpr char fidTimeMS[] = "0000000000000064";
inline constexpr char fidAbsEnergy[] = "0000000000000065";
inline constexpr char fidRMS[] = "0000000000000066";
inline constexpr char fidASL[] = "0000000000000067";
inline constexpr char fidTimeUS[] = "0000000000000068";
inline constexpr char fidNumRec[] = "0000000000000070";
inline constexpr char fidCalcLoading[] = "0000000000000071";
inline constexpr char fidIdxLocHit[] = "0000000000000072";
inline constexpr char fidTypeLocHit[] = "0000000000000073";
// The waveform recorded with a hit: Vallen TRAI, DiSP number of the waveform message.
inline constexpr char fidWaveIndex[] = "0000000000000074";
// Features of the hit's waveform, computed from the samples only when a reader asks.
inline constexpr char fidWavePeakAmpl[] = "0000000000000075";
inline constexpr char fidWaveEnergy[] = "0000000000000076";
inline constexpr char fidWaveSignalStrength[] = "0000000000000077";
inline constexpr char fidWaveCounts[] = "0000000000000078";
inline constexpr char fidWaveRMS[] = "0000000000000079";
inline constexpr char fidWaveRise[] = "0000000000000080";
inline constexpr char fidPeakFrequency[] = "0000000000000081";
inline constexpr char fidFrequencyCentroid[] = "0000000000000082";
inline constexpr char fidWeightedPeakFrequency[] = "0000000000000083";
inline constexpr char fidPartialPower1[] = "0000000000000084";
inline constexpr char fidPartialPower2[] = "0000000000000085";
inline constexpr char fidPartialPower3[] = "0000000000000086";
inline constexpr char fidPartialPower4[] = "0000000000000087";
inline constexpr char fidArrivalTime[] = "0000000000000088";
// Where an event's source lies.
inline constexpr char fidSourceX[] = "0000000000000090";
inline constexpr char fidSourceY[] = "0000000000000091";
inline constexpr char fidSourcePosition[] = "0000000000000092";
inline constexpr char fidSourcePipe[] = "0000000000000093";
inline constexpr char fidLocUncertainty[] = "0000000000000094";
inline constexpr char fidSensorsUsed[] = "0000000000000095";
inline constexpr char fidLocated[] = "0000000000000096";
inline constexpr char fidEventsInCircle[] = "0000000000000097";
constexpr int WaveFeatureFirst = 75;
constexpr int WaveFeatureLast = 88;
constexpr int PartialPowerCount = 4;

// Channel of the n-th hit of a located event (n = 1..9).
inline std::string fidChanN(int n) {
    return StandardID(33 + n);
}
// Delta time from the first to the n-th hit (n = 2..9).
inline std::string fidDT1N(int n) {
    return StandardID(42 + n);
}
// Amplitude of the n-th hit (n = 2..9).
inline std::string fidAmpN(int n) {
    return StandardID(50 + n);
}

// Partial power of band n (n = 1..4).
inline std::string fidPartialPowerN(int n) {
    return StandardID(83 + n);
}
// Whether `id` is one of the waveform features (not the index itself).
bool IsWaveFeatureID(std::string_view id);

// The component that declares a standard field; some catalogue attributes differ by declarer.
enum class TAEDeclarer { Any, Vallen, Tarvel, Spartan, Disp, Location, Criterion, Table };

// Catalogue attributes of one standard field (for the declarer Any).
struct TAEStdFieldInfo {
    int Number;
    const char* FieldName;
    const char* DisplayName;
    const char* DisplayDimension;
    uint8_t UnitKind;
    uint8_t Group;
    uint16_t Flags;
    int32_t DisplayWidth;
    uint8_t Alignment;
    const char* DisplayFormat;
};

// Catalogue entry of a standard ID; none for reserved numbers and other IDs.
const TAEStdFieldInfo* FindStandardField(std::string_view id);

// A template field of the class for `dataType`, unlocked and null, carrying the catalogue
// attributes of `id` as that declarer uses them: ID, FieldName, DisplayName,
// DisplayDimension, UnitKind, Group, Flags, DisplayWidth, Alignment and DisplayFormat. None
// when `id` is not in the catalogue or the type code names no class.
std::unique_ptr<TAEField> NewStandardField(std::string_view id, uint8_t dataType,
                                           TAEDeclarer declarer = TAEDeclarer::Any);

// A unit text as people read it. Projects saved before the microsecond label was corrected
// still carry "µS" in their table columns; the file keeps it, the screen and exports show "µs".
std::string DisplayUnit(const std::string& unit);

} // namespace vorelt
