#pragma once
// Driver of the Spartan acquisition files: a 512-byte header and 32-byte messages (hits, time-
// and demand-driven samples, alarms, test start, stop, pause and resume, user comments). The
// index points into the mapped file; records are converted on demand.

#include "drivers/TAEDriverDb.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelt {

class TAERecord;

class TAESpartan : public TAEDriverDb {
public:
    explicit TAESpartan(IDriverOwner* owner = nullptr);
    ~TAESpartan() override;
    std::string ClassName() const override { return "TAESpartan"; }

    // True when the header's date text has the recorder's form; never keeps the file open.
    static bool CanOpen(const std::string& fileName, std::string& message);
    static std::unique_ptr<TAEDriverDb> Create(IDriverOwner* owner);

    bool Load(std::string& message) override;
    bool Initialize(std::string& message) override;
    bool SaveToFile(IRecordSource& source, const std::string& target,
                    std::string& message) override;
    bool ConvertTime(std::string_view sourceID, std::string_view targetID, long double& value,
                     long double x) const override;

    // Where the file stops short of a whole header or message: the byte offset of the
    // incomplete part, -1 when the file is whole.
    int64_t IncompleteAt() const override { return FIncompleteAt; }
    // Hits, samples, comments, alarms and the test-control messages.
    bool IsKnownMessage(const TDriverIndexItem& item) const override;

protected:
    void ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) override;
    bool MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& key) const override;
    size_t MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const override;
    bool MessageTimes(int32_t first, int32_t count, const TFileView& view,
                      int64_t* times) const override;

private:
    void AddHeaderLines(const TByteReader& header);
    void SetTimeFields(TAERecord& record, uint64_t t);
    void SetText(TAERecord& record, const std::string& text);
    void SetUnknownText(TAERecord& record, unsigned type);
    static void SetInt(TAERecord& record, int pos, int64_t v);
    static void SetFloat(TAERecord& record, int pos, long double v);

    int64_t FIncompleteAt = -1;
    std::string FScratch; // composed texts, reused so that reading a record does not allocate

    int FPosChan = -1, FPosSequence = -1, FPosRise = -1, FPosCount = -1, FPosCountPeak = -1,
        FPosAmpl = -1, FPosDurat = -1, FPosEnergy = -1, FPosThreshold = -1, FPosRmsAsl = -1,
        FPosGain = -1, FPosParametric1 = -1, FPosDP = -1;

    const std::string FTimeDrivenText = "Time Driven Message";
    const std::string FDemandDrivenText = "Demand Driven Message";
    const std::string FAlarmText = "Alarm Message";
    const std::string FResumeText = "Resume Test or Start Of Test";
    const std::string FStopText = "Stop the Test";
    const std::string FPauseText = "Pause the Test";
};

// Adds TAESpartan to the driver registry (after DiSP, before the Tarvel boards).
void RegisterSpartanDriver();

} // namespace vorelt
