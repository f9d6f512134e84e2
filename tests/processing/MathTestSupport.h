#pragma once
// A small project for the math and criterion processor tests: an in-memory source with the
// usual hit fields (and the channel list that a driver hands out), a context that carries the
// zone-intensity parameters, test sections and variants, and a located pass-through
// processor that stands in for a location processor upstream.

#include "model/TAEExtendedField.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEIDGenerator.h"
#include "model/TAEIntegerField.h"
#include "model/TAEListIntegerField.h"
#include "persist/TGVVariants.h"
#include "processing/IProcessorContext.h"
#include "processing/IUserPrompt.h"
#include "processing/TGVCPUMemorySource.h"
#include "processing/filter/IProjectVariants.h"
#include "processing/math/IProjectParameters.h"
#include "testprog/TTestSection.h"
#include "testprog/TZIPParameters.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorelt::mathtest {

inline constexpr char fidY[] = "0000000000009001";
inline constexpr char fidBig[] = "0000000000009002";

// Flat positions of the source fields.
enum : int { posChan, posAmpl, posEnergy, posTimeS, posY, posBig, posChannels };

class TTestSource : public TGVCPUMemorySource {
public:
    TTestSource() {
        auto set = std::make_unique<TAEFields>();
        set->SetName("Database Fields");
        set->SetKind(fgDatabase);
        Add(*set, std::make_unique<TAEByteField>(), "Chan", fidChan);
        Add(*set, std::make_unique<TAEIntegerField>(), "Ampl", fidAmpl);
        Add(*set, std::make_unique<TAEExtendedField>(), "Energy", fidEnergy);
        Add(*set, std::make_unique<TAEExtendedField>(), "TimeS", fidTimeS);
        Add(*set, std::make_unique<TAEExtendedField>(), "Y", fidY);
        Add(*set, std::make_unique<TAEInt64Field>(), "Big", fidBig);
        Add(*set, std::make_unique<TAEListIntegerField>(), "Channels", fidChannels);
        AddSourceSet(std::move(set));
        SetID("0000000000008000");
    }
    std::string ClassName() const override { return "TestMathSource"; }

    // A hit; empty optionals leave the field null.
    int32_t Hit(int chan, std::optional<long double> ampl, std::optional<long double> energy,
                long double timeS = 0, uint8_t eventFlags = 0) {
        const int32_t i = AddRecord(rkHit, 0, eventFlags);
        SetValue(i, posChan, chan);
        if (ampl) SetValue(i, posAmpl, *ampl);
        if (energy) SetValue(i, posEnergy, *energy);
        SetValue(i, posTimeS, timeS);
        return i;
    }

    // Every record carries the channel list, as a driver's records do.
    TAEChannelList Channels;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override {
        TGVCPUMemorySource::ReadRecord(nav, record, index);
        if ((nav.Out.Status & nsError) == 0)
            if (auto* f = dynamic_cast<TAEListIntegerField*>(record.Field(posChannels)))
                f->SetList(&Channels);
    }

private:
    static void Add(TAEFields& set, std::unique_ptr<TAEField> f, const char* name, const char* id) {
        f->SetFieldName(name);
        f->SetDisplayName(name);
        f->SetID(id);
        set.Add(std::move(f));
    }
};

class TTestProject : public IProcessorContext,
                     public IProjectZIP,
                     public IProjectTestSections,
                     public IProjectVariants,
                     public IUserPrompt {
public:
    explicit TTestProject(TGVCPU* root)
        : FGenerator([root](const std::string& id) { return root && !root->IsIDFree(id); }, 777) {}
    IIDGenerator* IDGenerator() override { return &FGenerator; }
    IUserPrompt* Prompt() override { return this; }
    void ShowError(const std::string& text) override { Errors.push_back(text); }
    bool AskYesNo(const std::string&) override { return false; }
    void TopMessage(TAEOMSG& msg) override { TopMessages.push_back(msg); }
    const TZIPParameters* ProjectZIPParameters() const override { return &ZIP; }
    const TTestSectionList* ProjectTestSections() const override { return &Sections; }
    const TGVVariants* ProjectVariants() const override { return &Variants; }

    TZIPParameters ZIP;
    TTestSectionList Sections;
    TGVVariants Variants;
    std::vector<TAEOMSG> TopMessages;
    std::vector<std::string> Errors;

private:
    TAEIDGenerator FGenerator;
};

// Passes its parent's stream on and reports located hits, as a location processor does.
class TLocatedPass : public TGVSource {
public:
    std::string ClassName() const override { return "TestLocatedPass"; }
    bool IsLocated() const override { return true; }
};

// Reads every record that `source` lets through: its index, kind and the value of the field
// `id` (empty when null) as text.
struct TReadRow {
    int32_t Index;
    uint8_t Kind;
    uint8_t Flags;
    std::optional<long double> Value;
    std::string Text;
};

inline std::vector<TReadRow> ReadAll(TGVCPU& source, const std::string& id, uint16_t kinds = 0) {
    TAERecord record;
    source.PrepareRecord(record);
    const int pos = record.Fields().IndexOfID(id);
    TAEPNav nav;
    nav.Kinds = kinds;
    std::vector<TReadRow> rows;
    std::string error;
    ConsumeRecords(
        source, nav, record,
        [&](TAERecord& r, int32_t i) {
            TReadRow row{i, r.Kind(), r.RecFlags(), std::nullopt, {}};
            if (const TAEField* f = r.Field(pos); f && !f->IsNull()) {
                if (f->DataType() == dtString)
                    row.Text = f->GetAsString();
                else
                    row.Value = f->GetAsFloat();
            }
            rows.push_back(row);
            return true;
        },
        error);
    return rows;
}

} // namespace vorelt::mathtest
