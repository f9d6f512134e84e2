#pragma once
// A Vallen transient database (NAME.tradb): the waveforms recorded beside the hits of a hit
// database, linked to them by the transient index TRAI. Opening reads the TRAI of each record
// only; the header and samples of one waveform are read and decoded when asked for, so files of
// any size open at once and never lie in memory whole.

#include "drivers/waveform/TWaveformInfo.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TSqliteDatabase;
class TSqliteQueryResults;

class TVallenTransients {
public:
    // Opens the file read-only and lists its waveforms in TRAI order. Throws EAEError naming
    // the file and the reason when it is no transient database.
    explicit TVallenTransients(const std::string& fileName);
    ~TVallenTransients();
    TVallenTransients(const TVallenTransients&) = delete;
    TVallenTransients& operator=(const TVallenTransients&) = delete;

    const std::string& FileName() const { return FFileName; }
    size_t Count() const { return FTrais.size(); }
    // What the record says of waveform i; read from the file the first time it is asked for.
    const TWaveformInfo& Info(size_t i) const;
    // Position of the waveform with this TRAI; -1 when there is none.
    long long FindTrai(int64_t trai) const;

    // Reads waveform i into `volts` (one value per sample). A damaged or inconsistent record
    // gives false and a message naming the file, the TRAI and the reason; other waveforms stay
    // readable.
    bool Read(size_t i, std::vector<float>& volts, std::string& message);
    // The stored samples as integers, before scaling.
    bool ReadRaw(size_t i, std::vector<int32_t>& raw, std::string& message);

    // The transient database beside a hit database: the same stem with ".tradb" (any case of
    // the extension); empty when there is none.
    static std::string BesideHitDatabase(const std::string& pridbName);

private:
    struct TParams {
        double AdcMicrovolts = 0;
        double VoltsPerUnit = 0;
    };
    // Fills the header of waveform i from a query's row holding the header columns first.
    void TakeHeader(size_t i, TSqliteQueryResults& q) const;

    std::string FFileName;
    std::unique_ptr<TSqliteDatabase> FDb;
    double FTimeBase = 1e7;
    std::map<int64_t, TParams> FParams;
    // Per waveform, in TRAI order (then SetID): its TRAI and its row.
    std::vector<int64_t> FTrais;
    std::vector<int64_t> FSetIDs;
    // The headers read so far.
    mutable std::vector<TWaveformInfo> FInfos;
    mutable std::vector<uint8_t> FLoaded;
    mutable std::unique_ptr<TSqliteQueryResults> FHeaderQuery;
    std::unique_ptr<TSqliteQueryResults> FBlobQuery;
    std::vector<int32_t> FRawScratch;
};

} // namespace vorelt
