#pragma once
// The database processor: root of every processing tree. It owns the driver of the open data
// file and answers the record protocol on its behalf, adds the calculated loading (from the
// test load line) and the user's parametric fields to every record, owns the project's test
// program (test graph, sections, load line) and the columns of the hit-deletion window, and
// applies the upward messages of the tree to the driver before telling the tree and the
// project.
//
// Changing the data file is a transaction: OpenDataFile prepares a new driver beside the
// current one, LoadData and InitializeData work on that new driver, and only when it is ready
// does it replace the current one. Until then, and after a failure or CancelDataFile, the
// processor keeps serving the previous file exactly as before.

#include "processing/db/TDriverAccess.h"
#include "processing/math/IProjectParameters.h"

#include "persist/TGVProperties.h"
#include "processing/TGVCPU.h"
#include "processing/waveform/TWaveformFieldValues.h"
#include "testprog/IParametricDb.h"
#include "testprog/TTestGrLine.h"
#include "testprog/TTestSection.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IGraphAddOn;
class ITestGraph;
class TAEParametric;

inline constexpr char txtTypeFileNotSupport[] = "This Type File Not Support";
inline constexpr char txtDatabaseName[] = "Database";

class TGVDb : public TGVSource,
              public IParametricDb,
              public IDriverOwner,
              public IProjectTestSections {
public:
    using TStateEvent = TAEDriverDb::TStateEvent;
    using TProgressEvent = TAEDriverDb::TProgressEvent;
    // The visual layer installs these once at start-up: the real test graph, and the load-line
    // add-on for a graph (none when the graph's bottom axis shows no time field).
    using TTestGraphFactory = std::function<std::unique_ptr<ITestGraph>(TGVDb& db)>;
    using TLoadAddOnFactory = std::function<IGraphAddOn*(TGVDb& db, IFinalView* graph)>;
    static void SetTestGraphFactory(TTestGraphFactory factory);
    static void SetLoadAddOnFactory(TLoadAddOnFactory factory);

    TGVDb();
    // Frees the driver (closing it writes its companion log), then the tree.
    ~TGVDb() override;

    std::string ClassName() const override { return "TGVDb"; }
    // Both the processor's and the parametric scaling's view of the name.
    std::string Name() const override { return FName; }
    // "Database ->" and the data file's name without its folder.
    std::string GetName() const override;

    // --- Data file ------------------------------------------------------------------------
    // The driver serving records; none before the first file is ready.
    TAEDriverDb* Driver() const { return FDriver.get(); }
    // The driver being prepared by OpenDataFile / LoadData; none otherwise.
    TAEDriverDb* PendingDriver() const { return FPending.get(); }
    // Picks the first registered driver class that accepts the file and opens a new driver of
    // it beside the current one. False with FindDriverClass's reason ("This Type File Not
    // Support" for a readable file no class accepts, the system's text for a missing one), or
    // with the driver's message; the current driver is untouched either way.
    bool OpenDataFile(const std::string& fileName, std::string& message, TStateEvent onState = {},
                      TProgressEvent onProgress = {});
    // Load and Initialize of the driver being prepared (of the current one when none is).
    // When the prepared driver becomes ready it replaces the current one, which is closed.
    bool LoadData(std::string& message);
    bool InitializeData(std::string& message);
    // Drops the driver being prepared; the current one goes on serving.
    void CancelDataFile();
    // Open, Load and Initialize in one go; on any failure the prepared driver is dropped.
    bool ChangeDataFile(const std::string& fileName, std::string& message, TStateEvent onState = {},
                        TProgressEvent onProgress = {});
    // Closes and frees the current driver (its log is written); the tree is told.
    void CloseDataFile();
    // The driver's file name; empty without driver.
    std::string GetFileName() const;
    // What opening the serving driver's file found wrong with it (FileWarnings), worked out
    // once when the driver began to serve.
    const std::vector<std::string>& DataWarnings() const { return FDataWarnings; }
    int DeletedGroupCount() const;
    int SelectedGroupCount() const;

    // --- Owned test program ---------------------------------------------------------------
    ITestGraph& TestGraph() const { return *FTestGraph; }
    TTestSectionList& TestSections() { return FTestSections; }
    // The criterion processor restricts its fields by these sections.
    const TTestSectionList* ProjectTestSections() const override { return &FTestSections; }
    const TTestSectionList& TestSections() const { return FTestSections; }
    TTestGrLine& TestLoadLine() { return FTestLoadLine; }
    const TTestGrLine& TestLoadLine() const { return FTestLoadLine; }
    // Columns of the hit-deletion window: string properties named after a field, holding its ID.
    TGVProperties& DelHitFields() { return FDelHitFields; }
    const TGVProperties& DelHitFields() const { return FDelHitFields; }

    // A new parametric field (extended, display width 100) scaling the field `sourceID`;
    // the caller gives it an ID (AssignIDs) and a unique name.
    TAEField* AddParametricField(const std::string& fieldName, const std::string& sourceID,
                                 long double factor, long double offset);
    // The scaling of an own field; none when it has none.
    TAEParametric* ParametricOf(const TAEField& field) const;

    // --- Waveforms ------------------------------------------------------------------------
    // The waveform features of the records, computed as they are read.
    const TWaveformFieldValues& WaveformValues() const { return FWaveValues; }
    // The waveform of a record read from this processor (any record whose layout holds
    // "Waveform Index"): its position in the driver's waveforms, or -1 with the reason in
    // `message` (empty when the hit simply has none).
    long long FindWaveform(const TAERecord& record, std::string& message) const;
    // The samples (volts) and what is known of the waveform of such a record; false with the
    // reason (empty when the hit has no waveform).
    bool ReadWaveform(const TAERecord& record, std::vector<float>& volts, TWaveformInfo& info,
                      std::string& message) const;

    // --- TGVCPU ---------------------------------------------------------------------------
    uint8_t GetSourceState() override;
    void Reset() override;
    TGVCPU* GetDb() override { return this; }
    bool IsIDFree(std::string_view id) const override;
    bool IsNameFree(std::string_view name) const override;
    TPersistObject* FindByID(std::string_view id) override;
    void GetFields(TAEListFields* layout, bool excludeOwn) const override;
    TAEField* FindField(std::string_view id) const override;
    void AssignIDs(bool renew, IIDGenerator& generator) override;
    void Changed(bool propagate) override;
    // 0x409 to the project, then the test graph refreshes.
    void NotifyModified();
    void CollectFieldUses(std::string_view id, std::vector<std::string>& lines,
                          bool deep) const override;
    bool DeclaresField(std::string_view id, bool deep) const override;
    void RemoveField(std::string_view id) override;
    void CollectGraphAddOns(IFinalView* graphView, std::vector<IGraphAddOn*>& list) override;
    void Dispatch(TAEOMSG& msg) override;

    int32_t FirstRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t LastRecord(TAEPNav& nav, TAERecord& record, int32_t start) override;
    int32_t NextRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t PriorRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t index) override;
    int32_t RecordCount(TAEPNav& nav, TAERecord& record) override;
    // The loading needs the time, a parametric field its source.
    bool WidenDemand(const TAERecord& record, std::vector<uint8_t>& wanted) const override;

    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist& node) override;

    // IDriverOwner: state changes of the serving driver go down the tree.
    void DriverMessage(TAEOMSG& msg) override;

private:
    void ApplyDbKind();
    void BindLoadLine();
    void CommitPending();
    void DropPending();
    void CalcDerivedFields(TAERecord& record);
    void SendToProject(uint32_t number);
    void SendDownNumber(TAEOMSG& msg, uint32_t number);
    int DriverFieldCount() const;

    std::unique_ptr<TAEDriverDb> FDriver;
    std::unique_ptr<TAEDriverDb> FPending;
    std::unique_ptr<ITestGraph> FTestGraph;
    TTestSectionList FTestSections;
    TGVProperties FDelHitFields;
    TTestGrLine FTestLoadLine;

    // Flat positions in the serving driver's layout, found once per driver.
    int FPosTimeS = -1;
    int FPosCalcLoading = -1;
    // Per own field: the source ID the position was found for, and the position (in the
    // driver's part, or -1 to look the source up by ID).
    struct TParamSource {
        std::string SourceID;
        int Pos = -1;
    };
    std::vector<TParamSource> FParamSources;
    TWaveformFieldValues FWaveValues;
    std::vector<std::string> FDataWarnings;
};

} // namespace vorelt
