#pragma once
// The commands of a project window that work on its data file rather than on the project:
// the database information boxes, the time-order check with the sorted copy, and the copy of
// the records that reach a processor. Each copy is written beside the data file under a name
// the user chooses, never over the data file itself.

#include <cstdint>
#include <string>

namespace vorelt {

class IRecordSource;
class TGVCPU;
class TProjectAE;
class TShowMessage;

class TDataFileCommands {
public:
    TDataFileCommands(TProjectAE& project, TShowMessage* status);

    // "Database Info": the driver's information lines, each trimmed.
    void ShowDatabaseInfo();
    // "Select Transient Database": the waveforms of the hits from a file the user chooses; the
    // tree then reads its records anew. False when nothing changed.
    bool SelectTransientDatabase();
    // Checks the time order of the records; an unsorted file is offered a sorted copy.
    void SortDatabase();
    // Copies the records that reach `processor` into a new data file.
    void SaveDatabase(TGVCPU* processor);

    // Whether no record's "Time" is below the one before it (records without a time do not
    // count; the times start at 0, so a negative first time is out of order too). Stops at the
    // first record out of order.
    static bool RecordTimesInOrder(IRecordSource& source);
    // The 64-bit sort key of a record time: integer order is the order of the times. NaN has
    // none (NoTime).
    static int64_t TimeKey(long double time);

private:
    // The copy's file name, in the data file's own format and not the data file's name.
    bool AskCopyName(const std::string& title, std::string& target);

    TProjectAE& FProject;
    TShowMessage* FStatus;
};

} // namespace vorelt
