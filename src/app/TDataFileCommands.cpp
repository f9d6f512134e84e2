#include "app/TDataFileCommands.h"

#include "drivers/TTimeOrder.h"
#include "drivers/TWriteTarget.h"
#include "drivers/waveform/IWaveformSource.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEMessageNumbers.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"
#include "persist/TNumberFormat.h"
#include "persist/TTextHelpers.h"
#include "processing/TGVCPU.h"
#include "processing/db/TGVDb.h"
#include "project/TProjectAE.h"
#include "project/TShowMessage.h"
#include "view2d/IDialogService.h"

#include <bit>
#include <cmath>
#include <filesystem>
#include <limits>

namespace vorelt {

TDataFileCommands::TDataFileCommands(TProjectAE& project, TShowMessage* status)
    : FProject(project), FStatus(status) {}

void TDataFileCommands::ShowDatabaseInfo() {
    TAEDriverDb* driver = FProject.Db().Driver();
    if (!driver) return;
    std::string text;
    for (const std::string& line : driver->InfoLines()) {
        if (!text.empty()) text += "\r\n";
        text += Trim(line);
    }
    Dialogs().ShowMessageBox(text, TMsgKind::Information, mbOK);
}

bool TDataFileCommands::SelectTransientDatabase() {
    TGVDb& db = FProject.Db();
    TAEDriverDb* driver = db.Driver();
    if (!driver) return false;
    TFileDialogOptions o;
    o.Title = "Select Transient Database";
    o.Filter = "Vallen Transient Database (*.tradb)|*.tradb|All Files|*.*";
    o.DefaultExt = "*.tradb";
    o.MustExist = true;
    std::string fileName, message;
    if (!Dialogs().OpenFile(o, fileName)) return false;
    if (!driver->UseWaveformFile(fileName, message)) {
        Dialogs().ShowMessageBox(message, TMsgKind::Error, mbOK);
        return false;
    }
    // Every waveform feature a view shows may change: the tree reads its records anew.
    TAEOMSG msg;
    msg.Msg = omDataChanged;
    msg.Text = db.ID();
    db.Dispatch(msg);
    const IWaveformSource* source = driver->Waveforms();
    Dialogs().ShowMessageBox(fileName + ": " + IntToStr(source ? int64_t(source->Count()) : 0) +
                                 " waveforms. Run shows their features.",
                             TMsgKind::Information, mbOK);
    return true;
}

int64_t TDataFileCommands::TimeKey(long double time) {
    if (std::isnan(time)) return NoTime;
    // A double keeps every time a clock of this program's sources can tell apart; beyond its
    // range a time counts as infinite.
    constexpr long double Largest = std::numeric_limits<double>::max();
    double d;
    if (time > Largest)
        d = std::numeric_limits<double>::infinity();
    else if (time < -Largest)
        d = -std::numeric_limits<double>::infinity();
    else
        d = static_cast<double>(time);
    if (d == 0) d = 0; // -0 is the same time as 0
    // Positive doubles order like their bit patterns; negative ones in reverse, so their value
    // bits are turned over. No result is NoTime: that pattern would be a NaN.
    const auto bits = std::bit_cast<int64_t>(d);
    return bits < 0 ? bits ^ std::numeric_limits<int64_t>::max() : bits;
}

bool TDataFileCommands::RecordTimesInOrder(IRecordSource& source) {
    TAERecord record;
    TAEPNav nav;
    source.PrepareRecord(record);
    TTimeOrder order;
    const int64_t start = TimeKey(0);
    order.Add(&start, 1);
    // A read error ends the check like the end of the file.
    std::string error;
    ConsumeRecords(
        source, nav, record,
        [&](TAERecord& r, int32_t) {
            const TAEField* time = r.FindByID(fidTime);
            if (!time || time->IsNull()) return true;
            const int64_t key = TimeKey(time->GetAsFloat());
            order.Add(&key, 1);
            return order.Sorted();
        },
        error);
    return order.Sorted();
}

bool TDataFileCommands::AskCopyName(const std::string& title, std::string& target) {
    TAEDriverDb* driver = FProject.Db().Driver();
    if (!driver) return false;
    const std::string source = driver->FileName();
    std::string ext = std::filesystem::path(source).extension().string();
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    TFileDialogOptions o;
    o.Title = title;
    o.DefaultExt = "*." + ext;
    o.Filter = ext.empty() ? std::string("All Files|*.*") : UpperCase(ext) + " Files|*." + ext;
    o.ConfirmOverwrite = true;
    for (;;) {
        if (!Dialogs().SaveFile(o, target)) return false;
        // Never over the recording (also by its name in other letters), its log, the project
        // or another recording.
        std::string reason;
        if (SameText(std::filesystem::absolute(target).lexically_normal().string(),
                     std::filesystem::absolute(source).lexically_normal().string()))
            reason = "the target is the project's data file " + source;
        else if (CheckWriteTarget(target, {source, FProject.FileName()}, reason))
            return true;
        Dialogs().ShowMessageBox("Invalid File Name: " + reason, TMsgKind::Error, mbOK);
    }
}

void TDataFileCommands::SortDatabase() {
    TGVDb& db = FProject.Db();
    TAEDriverDb* driver = db.Driver();
    if (!driver) return;
    bool sorted;
    {
        TStatusGuard s(FStatus, "Check Database...");
        sorted = RecordTimesInOrder(db);
    }
    if (sorted) {
        Dialogs().ShowMessageBox("DataBase - Ok!", TMsgKind::Information, mbOK);
        return;
    }
    std::string target;
    if (!AskCopyName("Save DataBase As", target)) return;
    std::string message;
    bool ok;
    {
        TStatusGuard s(FStatus, "Sorted Database...");
        ok = driver->SortToFile(target, message);
    }
    if (ok)
        Dialogs().ShowMessageBox(std::string("Completed Sorting") + "!", TMsgKind::Information,
                                 mbOK);
    else
        Dialogs().ShowMessageBox(message, TMsgKind::Error, mbOK);
}

void TDataFileCommands::SaveDatabase(TGVCPU* processor) {
    TAEDriverDb* driver = FProject.Db().Driver();
    if (!driver || !processor) return;
    std::string target;
    if (!AskCopyName("Save DataBase As", target)) return;
    std::string message;
    bool ok;
    {
        TStatusGuard s(FStatus, "Saving Database...");
        ok = driver->SaveToFile(*processor, target, message);
    }
    if (ok)
        Dialogs().ShowMessageBox(std::string("Completed Saving") + "!", TMsgKind::Information,
                                 mbOK);
    else
        Dialogs().ShowMessageBox(message, TMsgKind::Error, mbOK);
}

} // namespace vorelt
