#pragma once
// The document of one project window: the processing tree rooted at its database processor,
// the variants, the zone-intensity parameters, the page layout, the data file name and the
// project file name. It saves and loads the whole project through the persistence tree and the
// XML store, generates the project's IDs, and ends the upward message path of the tree by
// calling the handlers that the window installs.

#include "persist/TGVVariants.h"
#include "persist/TNodePersist.h"
#include "processing/IProcessorContext.h"
#include "processing/filter/IProjectVariants.h"
#include "processing/math/IProjectParameters.h"
#include "processing/waveform/TWaveformOptions.h"
#include "testprog/TZIPParameters.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IPersistentAEProject;
class IUserPrompt;
class TAEIDGenerator;
class TDispatchDraw;
class TGVCPU;
class TGVDb;
class TPersistObject;
class TShowMessage;
struct TAEOMSG;

inline constexpr char txtErrorSavingProject[] = "Error Saving Project";
inline constexpr char txtNotName[] = "Not Name";
inline constexpr char txtNotProjectFileType[] = "Not Project File Type";

class TProjectAE : public IProcessorContext,
                   public IProjectVariants,
                   public IProjectZIP,
                   public IProjectWaveformOptions {
public:
    using THandler = std::function<void(TProjectAE& project)>;
    using TPageHandler = std::function<bool(TProjectAE& project, int32_t pageIndex)>;
    using TProcessorHandler = std::function<void(TProjectAE& project, TGVCPU* processor)>;

    // The window owns the store, the status object and the pages; a project made without them
    // (tools, tests) owns an XML store and pages of its own and shows no status.
    explicit TProjectAE(IPersistentAEProject* store = nullptr, TShowMessage* status = nullptr,
                        TDispatchDraw* pages = nullptr);
    ~TProjectAE() override;
    TProjectAE(const TProjectAE&) = delete;
    TProjectAE& operator=(const TProjectAE&) = delete;

    // --- Content --------------------------------------------------------------------------
    const std::string& Name() const { return FName; }
    void SetName(const std::string& name) { FName = name; }
    TGVDb& Db() const { return *FDb; }
    TNodePersist& RootNode() { return FRoot; }
    const std::string& DbName() const { return FDbName; }
    void SetDbName(const std::string& text) { FDbName = text; }
    const std::string& FileName() const { return FFileName; }
    IPersistentAEProject& Store() const { return *FStore; }
    TDispatchDraw& Pages() const { return *FPages; }
    TShowMessage* StatusMessage() const { return FStatus; }
    TGVVariants& Variants() { return FVariants; }
    const TGVVariants& Variants() const { return FVariants; }
    TZIPParameters& ZipParameters() { return FZipParameters; }
    // The math and criterion processors read J, the K table and the zones from here.
    const TZIPParameters* ProjectZIPParameters() const override { return &FZipParameters; }
    // The picker of the arrival time and the bands of the partial powers.
    const TWaveformOptions& WaveformOptions() const { return FWaveformOptions; }
    void SetWaveformOptions(const TWaveformOptions& options) { FWaveformOptions = options; }
    const TWaveformOptions* ProjectWaveformOptions() const override { return &FWaveformOptions; }
    uint8_t ColorBackGraph() const { return FColorBackGraph; }
    void SetColorBackGraph(uint8_t value) { FColorBackGraph = value; }
    std::vector<uint32_t>& SplitChannels() { return FSplitChannels; }
    bool Modified() const { return FModified; }
    // Modified := true; OnModified runs only when asked to notify.
    void SetModified(bool notify);
    void SetPrompt(IUserPrompt* prompt) { FPrompt = prompt; }

    // --- Handlers installed by the window -------------------------------------------------
    THandler OnModified;
    THandler OnReloadFocused;
    THandler OnRefreshOutdated;
    THandler OnMaximizeFocused;
    THandler OnNormalSizeFocused;
    TPageHandler OnActivatePage;
    TProcessorHandler OnSortDatabase;
    TProcessorHandler OnSaveDatabase;

    // --- Whole project --------------------------------------------------------------------
    // Empties names, pages, tree (the driver stays) and variants.
    void Clear();
    // Writes the project to `fileName` (or FileName). The store writes a temporary file and
    // renames it, so any failure leaves the previous file as it was; then FileName and
    // Modified are unchanged too.
    bool SaveProject(const std::string& fileName, std::string& error);
    // Reads the project from `fileName` (or FileName); `isNew` first writes an empty project
    // file there. A file the store refuses leaves the project untouched ("Not Project File
    // Type"); an error while the content is read puts the previous content back and reports
    // the error's text.
    bool LoadProject(const std::string& fileName, std::string& error, bool isNew = false);

    // --- Data file ------------------------------------------------------------------------
    // Makes `fileName` the project's data file: the database processor opens, loads and
    // initializes it; on success DbName follows. On failure the previous data file stays open
    // and DbName is unchanged.
    bool OpenDataFile(const std::string& fileName, std::string& error);
    // What the window adds to the opening of a data file; the tools pass none of it.
    struct TOpenSteps {
        // Asked when the file is of another type than the data file open now (class names);
        // false gives up and keeps the file open now.
        std::function<bool(const std::string& oldClass, const std::string& newClass)>
            ConfirmTypeChange;
        // The driver's state changes while it opens, loads and initializes.
        std::function<void(uint8_t state)> OnState;
    };
    // The one way to open a data file, for the tools and the window: the driver class is chosen
    // by the content, opened, loaded and initialized, each step under its status text. A file
    // of another type drops what belonged to the old one (test sections, load line, own
    // fields). False with the reason on failure (the previous data file stays open), false with
    // an empty `error` when ConfirmTypeChange gave up.
    bool OpenDataFile(const std::string& fileName, std::string& error, const TOpenSteps& steps);
    // The database processor closes its data file (its log is written).
    void CloseDataFile();

    // --- IDs ------------------------------------------------------------------------------
    // 16 random digits 0..8, not reserved, carried by no processor, field, driver field, test
    // program object or variant.
    void GenerateID(std::string& id);
    std::string GenerateID();
    // 1 .. 2147483646, free in the tree (3D objects number themselves with it).
    int32_t GenerateNumber();
    TPersistObject* FindByID(std::string_view id) const;
    // Removes the placements of this ID from the pages, and the processor from the free views.
    void RemoveFromPages(std::string_view id);
    // Every view loses the focus (0x406 down).
    void UnfocusAll();

    // --- Messages -------------------------------------------------------------------------
    // The project's handlers (0x405, 0x407, 0x408, 0x409, 0x415, 0x41A, 0x420, 0x421); other
    // numbers are ignored.
    void Dispatch(TAEOMSG& msg);

    // --- IProcessorContext ----------------------------------------------------------------
    IIDGenerator* IDGenerator() override;
    IUserPrompt* Prompt() override { return FPrompt; }
    void TopMessage(TAEOMSG& msg) override { Dispatch(msg); }
    std::string ProjectFileName() const override { return FFileName; }
    bool IsPlaced(const std::string& processorID) const override;
    void ViewStatus(const std::string& text) override;
    // IProjectVariants: the conditions of filters read the project's variants.
    const TGVVariants* ProjectVariants() const override { return &FVariants; }

private:
    bool IsIDInUse(const std::string& id) const;
    void BuildTree(TNodePersist& root) const;
    void ReadTree(const TNodePersist& root);

    std::string FName;
    std::unique_ptr<TGVDb> FDb;
    TNodePersist FRoot;
    std::string FDbName;
    std::string FFileName;
    std::unique_ptr<IPersistentAEProject> FOwnStore;
    IPersistentAEProject* FStore;
    std::unique_ptr<TDispatchDraw> FOwnPages;
    TDispatchDraw* FPages;
    TShowMessage* FStatus;
    IUserPrompt* FPrompt = nullptr;
    bool FModified = false;
    uint8_t FColorBackGraph = 0;
    std::vector<uint32_t> FSplitChannels;
    TGVVariants FVariants;
    TZIPParameters FZipParameters;
    TWaveformOptions FWaveformOptions;
    std::unique_ptr<TAEIDGenerator> FGenerator;
    uint64_t FNumberState;
};

} // namespace vorelt
