#include "project/TProjectAE.h"

#include "drivers/TWriteTarget.h"
#include "model/TAEIDGenerator.h"
#include "persist/TErrors.h"
#include "persist/TNodeLookups.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "persist/TXMLPersistentAEProject.h"
#include "processing/TAEMessages.h"
#include "processing/db/TGVDb.h"
#include "project/TDispatchDraw.h"
#include "project/TShowMessage.h"

#include <chrono>
#include <random>

namespace vorelt {

TProjectAE::TProjectAE(IPersistentAEProject* store, TShowMessage* status, TDispatchDraw* pages)
    : FRoot("ParamPRG"), FStore(store), FPages(pages), FStatus(status) {
    if (!FStore) {
        FOwnStore = std::make_unique<TXMLPersistentAEProject>();
        FStore = FOwnStore.get();
    }
    if (!FPages) {
        FOwnPages = std::make_unique<TDispatchDraw>();
        FPages = FOwnPages.get();
    }
    FGenerator =
        std::make_unique<TAEIDGenerator>([this](const std::string& id) { return IsIDInUse(id); });
    std::random_device device;
    FNumberState = (uint64_t(device()) << 32) ^
                   uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    FDb = std::make_unique<TGVDb>();
    FDb->SetContext(this);
    FDb->AssignIDs(false, *FGenerator);
    FModified = false;
    FPages->SetProject(this);
}

TProjectAE::~TProjectAE() {
    if (FPages && FPages->Project() == this) FPages->SetProject(nullptr);
    FDb.reset();
}

void TProjectAE::SetModified(bool notify) {
    FModified = true;
    if (notify && OnModified) OnModified(*this);
}

void TProjectAE::Clear() {
    FName.clear();
    FDbName.clear();
    FFileName.clear();
    FPages->Clear();
    FDb->Reset();
    FVariants.Clear();
}

// --- Saving and loading ---------------------------------------------------------------------

namespace {

// The system's text followed by the reason: "Error Saving Project: <reason>". A reason that
// already begins with the text is taken as it is.
std::string WithReason(const std::string& text, const std::string& reason) {
    if (reason.empty() || reason == text) return text;
    if (reason.rfind(text, 0) == 0) return reason;
    return text + ": " + reason;
}

} // namespace

void TProjectAE::BuildTree(TNodePersist& root) const {
    root.Clear();
    TNodePersist& prj = *root.AddNode("PRJ");
    prj.AddItem("Name", FName);
    prj.AddItem("DbName", FDbName);
    prj.AddItem("ColorBackGraph", IntToStr(FColorBackGraph));
    FVariants.SaveToNode(*prj.AddNode("VARIANTS"));
    FZipParameters.SaveToNode(*prj.AddNode("ZIP"));
    FWaveformOptions.SaveToNode(*prj.AddNode("WAVEFORM"));
    FPages->SaveToNode(*root.AddNode("DISP"));
    FDb->SaveToNode(*root.AddNode("GVDb"));
}

void TProjectAE::ReadTree(const TNodePersist& root) {
    Clear();
    // A project saved before the waveform options existed has the defaults.
    FWaveformOptions = TWaveformOptions{};
    if (const TNodePersist* prj = root.FindNode("PRJ")) {
        FName = prj->GetValue("Name");
        FDbName = prj->GetValue("DbName");
        int32_t color = 0;
        FColorBackGraph =
            TryStrToInt(prj->GetValue("ColorBackGraph"), color) ? static_cast<uint8_t>(color) : 0;
        for (int i = 0; i < prj->NodeCount(); ++i) {
            const TNodePersist& child = *prj->Node(i);
            if (SameText(child.Name(), "VARIANTS"))
                FVariants.LoadFromNode(child);
            else if (SameText(child.Name(), "ZIP"))
                FZipParameters.LoadFromNode(child);
            else if (SameText(child.Name(), "WAVEFORM"))
                FWaveformOptions.LoadFromNode(child);
        }
    }
    if (const TNodePersist* disp = root.FindNode("DISP")) FPages->LoadFromNode(*disp);
    if (const TNodePersist* db = root.FindNode("GVDb")) {
        FDb->SetContext(this);
        FDb->LoadFromNode(*db);
        FDb->AssignIDs(false, *FGenerator);
        FDb->NameProcessors();
    }
}

bool TProjectAE::SaveProject(const std::string& fileName, std::string& error) {
    error = txtErrorSavingProject;
    const std::string name = fileName.empty() ? FFileName : fileName;
    if (name.empty()) return false;
    std::string reason;
    if (!CheckWriteTarget(name, {FDbName, {}}, reason)) {
        error += ": " + reason;
        return false;
    }
    error.clear();
    try {
        TStatusGuard status(FStatus, "Saving Project...");
        BuildTree(FRoot);
        std::string storeError;
        if (!FStore->SaveToFile(name, FRoot, storeError))
            throw EAEError(WithReason(txtErrorSavingProject, storeError));
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    FFileName = name;
    FModified = false;
    return true;
}

bool TProjectAE::LoadProject(const std::string& fileName, std::string& error, bool isNew) {
    error = txtNotName;
    const std::string name = fileName.empty() ? FFileName : fileName;
    if (name.empty()) return false;
    std::string reason;
    // A new project starts by writing an empty project file there.
    if (isNew && !CheckWriteTarget(name, {FDbName, {}}, reason)) {
        error = WithReason(txtErrorSavingProject, reason);
        return false;
    }
    error.clear();
    TStatusGuard status(FStatus, "Loading Project...");
    // Read into a separate tree: a refused file must not touch the project.
    TNodePersist incoming("ParamPRG");
    try {
        std::string storeError;
        if (!FStore->LoadFromFile(name, incoming, isNew, storeError)) {
            error = WithReason(txtNotProjectFileType, storeError);
            return false;
        }
    } catch (const std::exception& e) {
        error = WithReason(txtNotProjectFileType, e.what());
        return false;
    }
    // What the project holds now comes back should the content fail half-way.
    TNodePersist previous("ParamPRG");
    const std::string previousFileName = FFileName;
    const bool previousModified = FModified;
    bool hasPrevious = true;
    try {
        BuildTree(previous);
    } catch (const std::exception&) {
        hasPrevious = false;
    }
    try {
        TNodeLookups::Start();
        ReadTree(incoming);
    } catch (const std::exception& e) {
        // Which item of which element held the value, and what it should have been.
        error = TNodeLookups::Explain(e, incoming);
        try {
            if (hasPrevious) ReadTree(previous);
        } catch (const std::exception&) {
            // The saved form of the project itself did not read back; nothing better is left.
        }
        FFileName = previousFileName;
        FModified = previousModified;
        return false;
    }
    FRoot.CopyFrom(incoming);
    FModified = false;
    FFileName = name;
    return true;
}

// --- Data file ------------------------------------------------------------------------------

bool TProjectAE::OpenDataFile(const std::string& fileName, std::string& error) {
    return OpenDataFile(fileName, error, {});
}

bool TProjectAE::OpenDataFile(const std::string& fileName, std::string& error,
                              const TOpenSteps& steps) {
    error.clear();
    const std::string oldClass = FDb->Driver() ? FDb->Driver()->ClassName() : std::string();
    bool ok;
    {
        TStatusGuard status(FStatus, "Opening Database...");
        ok = FDb->OpenDataFile(fileName, error, steps.OnState);
    }
    if (!ok) {
        if (error.empty()) error = txtTypeFileNotSupport;
        return false;
    }
    const TAEDriverDb* pending = FDb->PendingDriver();
    const bool typeChanged = !oldClass.empty() && pending && pending->ClassName() != oldClass;
    if (typeChanged && steps.ConfirmTypeChange &&
        !steps.ConfirmTypeChange(oldClass, pending->ClassName())) {
        FDb->CancelDataFile();
        error.clear();
        return false;
    }
    {
        TStatusGuard status(FStatus, "Loading Database...");
        ok = FDb->LoadData(error);
    }
    if (ok) {
        TStatusGuard status(FStatus, "Initialization Database...");
        ok = FDb->InitializeData(error);
    }
    if (!ok) {
        FDb->CancelDataFile();
        if (error.empty()) error = txtTypeFileNotSupport;
        return false;
    }
    if (typeChanged) {
        FDb->TestSections().Clear();
        FDb->TestLoadLine().Clear();
        FDb->RemoveOwnFields();
    }
    FDbName = fileName;
    return true;
}

void TProjectAE::CloseDataFile() {
    FDb->CloseDataFile();
}

// --- IDs ------------------------------------------------------------------------------------

bool TProjectAE::IsIDInUse(const std::string& id) const {
    return (FDb && !FDb->IsIDFree(id)) || !FVariants.IsIDFree(id);
}

void TProjectAE::GenerateID(std::string& id) {
    id = FGenerator->NewID();
}

std::string TProjectAE::GenerateID() {
    return FGenerator->NewID();
}

bool TProjectAE::IsPlaced(const std::string& processorID) const {
    RecListGVCPU placement;
    return FPages->FindPlacement(processorID, placement);
}

void TProjectAE::ViewStatus(const std::string& text) {
    if (!FStatus) return;
    if (text.empty())
        FStatus->HideStatus();
    else
        FStatus->ShowStatus(text);
}

IIDGenerator* TProjectAE::IDGenerator() {
    return FGenerator.get();
}

int32_t TProjectAE::GenerateNumber() {
    for (;;) {
        // splitmix64: cheap and well spread; numbers only need to be free, not secret.
        uint64_t z = (FNumberState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        const int32_t n = static_cast<int32_t>(1 + z % 2147483646ull);
        if (!FDb || FDb->IsNumberFree(n)) return n;
    }
}

TPersistObject* TProjectAE::FindByID(std::string_view id) const {
    return FDb->FindByID(id);
}

void TProjectAE::RemoveFromPages(std::string_view id) {
    for (int p = 0; p < FPages->PageCount(); ++p) {
        TAEPage* page = FPages->Page(p);
        const int i = page->IndexOfPlacement(id);
        if (i >= 0) page->DeletePlacement(i);
    }
    if (TGVCPU* processor = FDb->FindProcessorByID(id)) {
        const int i = FPages->IndexOfFree(processor);
        if (i >= 0) FPages->DeleteFree(i);
    }
}

void TProjectAE::UnfocusAll() {
    TAEOMSG msg;
    msg.Msg = omLoseFocus;
    FDb->Dispatch(msg);
}

// --- Messages -------------------------------------------------------------------------------

void TProjectAE::Dispatch(TAEOMSG& msg) {
    switch (msg.Msg) {
    case omFocusView:
        msg.Msg = omLoseFocus;
        FDb->Dispatch(msg);
        if (OnActivatePage && OnActivatePage(*this, static_cast<int32_t>(msg.WParam))) {
            msg.Msg = omFocusView;
            FDb->Dispatch(msg);
        }
        break;
    case omTakeFocus:
        msg.Msg = omLoseFocus;
        FDb->Dispatch(msg);
        break;
    case omRefreshOutdated:
        if (OnRefreshOutdated) OnRefreshOutdated(*this);
        break;
    case omModified:
        SetModified(true);
        break;
    case omModifiedSilent:
        SetModified(false);
        break;
    case omReloadView:
        if (OnReloadFocused) OnReloadFocused(*this);
        break;
    case omFillPage:
        if (OnMaximizeFocused) OnMaximizeFocused(*this);
        break;
    case omRestoreRect:
        if (OnNormalSizeFocused) OnNormalSizeFocused(*this);
        break;
    default:
        break;
    }
}

} // namespace vorelt
