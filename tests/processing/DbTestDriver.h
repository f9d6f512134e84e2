#pragma once
// A small text format for database-processor tests: a first line "TSTDATA", then one message
// per line "kind;TimeS;Parametric1" (empty values are null). The driver is registered ahead of
// the real formats for files named *.tst.

#include "processing/db/TDriverAccess.h"

#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "persist/TXMLPersistentAEProject.h"

#include <optional>
#include <string>
#include <vector>

namespace vorelt::test {

class TTestDataDriver : public TAEDriverDb {
public:
    explicit TTestDataDriver(IDriverOwner* owner) : TAEDriverDb(owner) {
        DbFields().Add(NewStandardField(fidTimeS, dtExtended));
        DbFields().Add(NewStandardField(fidDeleted, dtBoolean));
        DbFields().Add(NewStandardField(fidSelected, dtBoolean));
        DbFields().Add(NewStandardField(fidIndexRec, dtInteger));
        ParamFields().Add(NewStandardField(fidParametric1, dtExtended));
        ParamFields().Add(NewStandardField(fidCalcLoading, dtExtended));
        LockFields();
        FPosTimeS = FieldPos(fidTimeS);
        FPosParam = FieldPos(fidParametric1);
    }
    ~TTestDataDriver() override { Close(); }
    std::string ClassName() const override { return "TTestDataDriver"; }

    static bool CanOpen(const std::string& fileName, std::string& message) {
        std::string bytes;
        if (fileName.size() < 4 || fileName.substr(fileName.size() - 4) != ".tst") return false;
        return ReadWholeFile(fileName, bytes, message) && bytes.rfind("TSTDATA", 0) == 0;
    }

    bool Load(std::string& message) override {
        SetState(dsLoading);
        ClearIndex();
        FTimes.clear();
        FParams.clear();
        std::string bytes;
        if (!ReadWholeFile(FileName(), bytes, message)) return false;
        size_t start = bytes.find('\n');
        while (start != std::string::npos && start + 1 < bytes.size()) {
            size_t end = bytes.find('\n', start + 1);
            std::string line = bytes.substr(start + 1, end == std::string::npos ? std::string::npos
                                                                                : end - start - 1);
            start = end;
            if (line.empty()) continue;
            size_t a = line.find(';'), b = line.find(';', a + 1);
            if (a == std::string::npos || b == std::string::npos) {
                message = "Bad Line: " + line;
                ClearIndex();
                return false;
            }
            TDriverIndexItem item;
            item.Kind = static_cast<uint8_t>(StrToInt(line.substr(0, a)));
            item.Offset = FIndex.size();
            FIndex.push_back(item);
            FTimes.push_back(Value(line.substr(a + 1, b - a - 1)));
            FParams.push_back(Value(line.substr(b + 1)));
        }
        ApplySelectedGroups();
        ApplyDeletedGroups();
        SetState(dsLoad);
        return true;
    }

    bool Initialize(std::string& message) override {
        if (!TAEDriverDb::Initialize(message)) return false;
        SetState(dsReady);
        return true;
    }

    static void Register() {
        TDriverClass c;
        c.ClassName = "TTestDataDriver";
        c.Rank = 1;
        c.CanOpen = &TTestDataDriver::CanOpen;
        c.Create = [](IDriverOwner* owner) -> std::unique_ptr<TAEDriverDb> {
            return std::make_unique<TTestDataDriver>(owner);
        };
        TDriverRegistry::Instance().Register(c);
    }

protected:
    bool MapsDataFile() const override { return false; }
    void ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem&) override {
        const size_t i = static_cast<size_t>(pos);
        if (FTimes[i])
            if (TAEField* f = record.Target(FPosTimeS)) f->SetAsFloat(*FTimes[i]);
        if (FParams[i])
            if (TAEField* f = record.Target(FPosParam)) f->SetAsFloat(*FParams[i]);
    }

private:
    static std::optional<long double> Value(const std::string& s) {
        if (Trim(s).empty()) return std::nullopt;
        return StrToFloat(s);
    }
    std::vector<std::optional<long double>> FTimes;
    std::vector<std::optional<long double>> FParams;
    int FPosTimeS = -1;
    int FPosParam = -1;
};

// Writes a test data file; each message is (kind, TimeS, Parametric1), empty texts for null.
struct TTestMessage {
    int Kind = 1;
    std::string TimeS;
    std::string Param;
};

inline std::string TestDataText(const std::vector<TTestMessage>& messages) {
    std::string text = "TSTDATA\n";
    for (const TTestMessage& m : messages)
        text += std::to_string(m.Kind) + ";" + m.TimeS + ";" + m.Param + "\n";
    return text;
}

} // namespace vorelt::test
