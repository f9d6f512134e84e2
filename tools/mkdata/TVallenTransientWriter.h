#pragma once
// Writer of Vallen transient databases (NAME.tradb beside NAME.pridb): the tables the Vallen
// acquisition creates, one tr_params row per channel and one tr_data row per waveform, linked to
// its hit by the transient index TRAI. Samples are stored as 16-bit little-endian values
// (DataFormat 0) or as one FLAC stream per waveform (DataFormat 2), as the acquisition writes
// them.

#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vorelt {

enum class TWaveformStorage : uint8_t { None, Raw, Flac };

class TVallenTransientWriter {
public:
    // Creates (or overwrites) the file. Throws EAEError naming the file on failure.
    TVallenTransientWriter(const std::string& fileName, TWaveformStorage storage, int channels,
                           double microvoltsPerUnit);
    // Without Finish, the file is removed: a run that failed leaves nothing behind.
    ~TVallenTransientWriter();
    TVallenTransientWriter(const TVallenTransientWriter&) = delete;
    TVallenTransientWriter& operator=(const TVallenTransientWriter&) = delete;

    // timeTicks in 0.1 µs; threshold in raw units of the channel's ADC_µV.
    void Add(int64_t trai, int64_t timeTicks, int channel, int64_t threshold, int sampleRate,
             int pretrigger, const std::vector<int16_t>& samples);
    void Finish();

    // The stored sample scale: millivolts per raw unit (TR_mV), twice ADC_µV as real files have.
    double MillivoltsPerUnit() const { return FMicrovoltsPerUnit * 1e-3; }

private:
    void Exec(const char* sql);
    void Check(int rc, const char* what);
    void Close();
    void Encode(const std::vector<int16_t>& samples);

    std::string FFileName;
    TWaveformStorage FStorage;
    double FMicrovoltsPerUnit;
    sqlite3* FDb = nullptr;
    sqlite3_stmt* FInsert = nullptr;
    int64_t FSetID = 0;
    int64_t FLastTrai = 0;
    bool FFinished = false;
    std::vector<uint8_t> FBlob;
    std::vector<int32_t> FWide;
};

} // namespace vorelt
