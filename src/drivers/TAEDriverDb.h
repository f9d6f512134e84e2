#pragma once
// Base of the data-file drivers: the read-only mapped data file, the message index, the three
// field sets of the driver's part of the record layout, the state with its notification, the
// cursor over the index, the deleted and selected groups with their companion log, and the
// schemes of the time-sorted and the filtered copy with the hooks each format fills in.

#include "drivers/TByteReader.h"
#include "drivers/TDriverIndex.h"
#include "drivers/TLogFile.h"
#include "drivers/TMappedFile.h"
#include "drivers/TTimeOrder.h"
#include "model/IFieldSetOwner.h"
#include "model/TAEFieldIDs.h"
#include "model/TAEFields.h"
#include "model/TAEListIntegerField.h"
#include "model/TAEMessageNumbers.h"
#include "model/TAERecordProtocol.h"
#include "persist/TPersistObject.h"

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class IIDGenerator;
class IRecordSource;
class IWaveformSource;
class TAEField;
class TAEListFields;
class TAERecord;
class TRecordCellSink;
class TSortedCopy;

// Driver states.
constexpr uint8_t dsNone = 0;
constexpr uint8_t dsOpen = 1;
constexpr uint8_t dsOpening = 2;
constexpr uint8_t dsLoad = 3;
constexpr uint8_t dsLoading = 4;
constexpr uint8_t dsClose = 5;
constexpr uint8_t dsClosing = 6;
constexpr uint8_t dsSaving = 7;
constexpr uint8_t dsInit = 8;
constexpr uint8_t dsReady = 9;
// "None", "Open", ... "Ready"; "" for other values.
const char* DriverStateText(uint8_t state);

// Object messages the driver handles or sends (TAEOMSG::Msg).

// What message 0x413 points to: a deleted group and one item of it (item < 0: the whole group).
struct TDeletedItemRef {
    int32_t Group = -1;
    int32_t Item = -1;
};

// Receives the driver's state changes (message 0x402); the database processor implements it.
class IDriverOwner {
public:
    virtual ~IDriverOwner() = default;
    virtual void DriverMessage(TAEOMSG& msg) = 0;
};

// One standard field of a driver's declaration table; Set is 1 database, 2 setup, 3 parametric.
struct TDriverFieldDecl {
    const char* ID;
    uint8_t DataType;
    uint8_t Set;
};

// The fields of a format that records waveforms with its hits: "Waveform Index", which the
// driver fills, and the features, which the database processor computes from the waveform.
inline constexpr TDriverFieldDecl WaveformFieldDecls[] = {
    {fidWaveIndex, dtInt64, 1},
    {fidWavePeakAmpl, dtExtended, 1},
    {fidWaveEnergy, dtExtended, 1},
    {fidWaveSignalStrength, dtExtended, 1},
    {fidWaveCounts, dtLongWord, 1},
    {fidWaveRMS, dtExtended, 1},
    {fidWaveRise, dtExtended, 1},
    {fidPeakFrequency, dtExtended, 1},
    {fidFrequencyCentroid, dtExtended, 1},
    {fidWeightedPeakFrequency, dtExtended, 1},
    {fidPartialPower1, dtExtended, 1},
    {fidPartialPower2, dtExtended, 1},
    {fidPartialPower3, dtExtended, 1},
    {fidPartialPower4, dtExtended, 1},
    {fidArrivalTime, dtExtended, 1},
};

class TAEDriverDb : public TPersistObject, public IFieldSetOwner {
    // The engine of the time-sorted copy reads the index, the mapping and the copy hooks.
    friend class TSortedCopy;

public:
    using TStateEvent = std::function<void(uint8_t state)>;
    // done / total in units the operation chooses (bytes or messages).
    using TProgressEvent = std::function<void(uint64_t done, uint64_t total)>;

    explicit TAEDriverDb(IDriverOwner* owner = nullptr);
    // Closes the file (writing the log). Drivers that override Close call it in their own
    // destructor, because the base destructor reaches only the base Close.
    ~TAEDriverDb() override;
    TAEDriverDb(const TAEDriverDb&) = delete;
    TAEDriverDb& operator=(const TAEDriverDb&) = delete;

    // TPersistObject / IFieldSetOwner (one ClassName serves both). The driver is rebuilt by
    // opening its file; it saves only its class name and file name.
    std::string ClassName() const override = 0;
    void SaveToNode(TNodePersist& node) const override;
    void LoadFromNode(const TNodePersist&) override {}
    std::string Name() const override { return ClassName(); }

    IDriverOwner* Owner() const { return FOwner; }
    void SetOwner(IDriverOwner* owner) { FOwner = owner; }
    void SetOnState(TStateEvent event) { FOnState = std::move(event); }
    void SetOnProgress(TProgressEvent event) { FOnProgress = std::move(event); }
    const std::string& FileName() const { return FFileName; }
    uint8_t State() const { return FState; }
    // Sends 0x402 to the owner and the notification when the state changes.
    void SetState(uint8_t state);

    // Life cycle. Open maps the data file (unless MapsDataFile is false) and reads the log;
    // Load (driver) builds the index and then applies the groups; Initialize sets Init, and
    // drivers finish it with Ready.
    virtual bool Open(const std::string& fileName, std::string& message);
    virtual bool IsOpen() const { return FOpen; }
    virtual void Close();
    // Writes the companion log now, as Close will. False with the file and the reason only when
    // groups the user made would be lost: the log on the disk does not keep them and cannot be
    // written. Closing then loses them unless they are kept elsewhere (SaveLogAs).
    bool SaveLog(std::string& message);
    // Writes the log with the current groups to `target` instead (refused over the data file or
    // another recording); the user can put it beside the data file later.
    bool SaveLogAs(const std::string& target, std::string& message) const;
    virtual bool Load(std::string& message) = 0;
    // Loading while the records are already read, for a consumer that goes once through a large
    // file: BeginLoad returns as soon as records can be read, LoadMore waits for further rows and
    // adds them to the index, LoadPending tells whether rows are still to come. A record in the
    // index reads as it will once the whole file is in (its groups included); the cursor takes
    // the end of what is in for the end of the file, so the consumer loads more before it steps
    // past. All three are called from the thread that reads the records, and a fault leaves the
    // driver as a failed Load does. A driver that cannot load in steps loads all in BeginLoad.
    virtual bool BeginLoad(std::string& message) { return Load(message); }
    virtual bool LoadMore(std::string& message) {
        message.clear();
        return true;
    }
    bool LoadPending() const { return FLoadPending; }
    virtual bool Initialize(std::string& message);
    virtual void ClearIndex();

    // Field sets: database (1), setup (2), parametric (3).
    TAEFields& DbFields() { return FDbFields; }
    TAEFields& SetupFields() { return FSetupFields; }
    TAEFields& ParamFields() { return FParamFields; }
    const TAEFields& DbFields() const { return FDbFields; }
    const TAEFields& SetupFields() const { return FSetupFields; }
    const TAEFields& ParamFields() const { return FParamFields; }
    bool IsIDFree(std::string_view id) const;
    bool IsNameFree(std::string_view name) const;
    TAEField* FindByID(std::string_view id) const;
    TAEField* FindField(std::string_view id) const { return FindByID(id); }
    // Appends the non-empty sets in the order database, setup, parametric.
    void GetFields(TAEListFields* layout) const;
    // Flat position of a declared field in the driver's part of the layout; -1 when absent.
    int FieldPos(std::string_view id) const;
    void AssignIDs(bool renew, IIDGenerator& generator);

    // Index.
    int32_t Count() const { return static_cast<int32_t>(FIndex.size()); }
    const TDriverIndex& Index() const { return FIndex; }
    // None when pos is outside.
    std::optional<TDriverIndexItem> Item(int32_t pos) const {
        if (static_cast<size_t>(pos) >= FIndex.size()) return std::nullopt;
        return FIndex[static_cast<size_t>(pos)];
    }
    // The message body of a position as a view into the mapping; empty when the position is
    // outside, the driver has no mapping or the item does not lie inside the file.
    std::span<const uint8_t> Data(int32_t pos) const;
    // The same for an item of the index already at hand.
    std::span<const uint8_t> Data(const TDriverIndexItem& item) const {
        const uint8_t* base = FFile.Data();
        const uint64_t size = FFile.Size();
        if (!base || item.Offset > size || item.Size > size - item.Offset) return {};
        return {base + item.Offset, item.Size};
    }
    TByteReader Reader(int32_t pos) const { return TByteReader(Data(pos)); }
    // The whole mapped file (empty without mapping).
    TByteReader FileReader() const { return TByteReader(FFile.Bytes()); }
    // Record kind of a position through the format's kind map; 0 outside the index.
    uint8_t RecordKind(int32_t pos) const {
        return static_cast<size_t>(pos) < FIndex.size()
                   ? FKindMap[FIndex.Kind(static_cast<size_t>(pos))]
                   : rkUnknown;
    }
    // Positions of each record kind, from the counts the index keeps.
    std::array<int64_t, 256> RecordKindCounts() const;
    // Active channels (1-based), filled by Load; "Channels" refers to this list.
    const TAEChannelList& Channels() const { return FChannelList; }

    // Cursor over the index (the same rule for all drivers).
    virtual int32_t FirstRecord(TAEPNav& nav);
    virtual int32_t LastRecord(TAEPNav& nav);
    virtual int32_t NextRecord(TAEPNav& nav, int32_t pos);
    virtual int32_t PriorRecord(TAEPNav& nav, int32_t pos);
    virtual int32_t RecordCount(TAEPNav& nav);
    // Common part (range check, kind, cleared values, Index, RecFlags, "Deleted", "Selected",
    // "Hit", "IndexRec", "Channels"), then ReadMessage. The record is left unchanged when pos is
    // outside the index; an exception of ReadMessage (a read beyond a damaged message) becomes
    // the cursor's error bit and message.
    virtual void ReadRecord(TAEPNav& nav, TAERecord& record, int32_t pos);
    // The values ReadRecord would give the columns of `sink` for the record at pos (in the
    // index, as the cursor gave it), straight into the sink's cells, where the driver can do
    // that for the record; false leaves the record to ReadRecord (cells written so far do not
    // count). The caller has begun the sink for this record. Cursor and record state are not
    // touched. Drivers without such a path have none.
    virtual bool ReadCells(int32_t pos, TRecordCellSink& sink);
    // Whether, once the load has ended, ReadRecord and ReadCells may run on several threads at
    // once (each with its own cursor, record and sink): they then change nothing in the driver.
    virtual bool ConcurrentReads() const { return false; }

    virtual std::vector<std::string> InfoLines() const;

    // The waveforms the hits' "Waveform Index" refers to; none when the format records none or
    // this file has none (WaveformMessage then says why, when something was wrong). Drivers
    // open them on the first call, never while the data file opens.
    virtual IWaveformSource* Waveforms() { return nullptr; }
    virtual std::string WaveformMessage() const { return {}; }
    // Takes the waveforms from another file than the one the driver finds on its own (a Vallen
    // transient database of another name or folder). False with the file and the reason when
    // the file is not one, or the format keeps its waveforms in the data file itself.
    virtual bool UseWaveformFile(const std::string& fileName, std::string& message) {
        message = FileName() + ": this kind of data file keeps its waveforms in itself, not in " +
                  fileName;
        return false;
    }

    // Groups. The message handler applies 0x40E, 0x410, 0x411, 0x412, 0x413 and 0x414 and
    // returns whether it knew the number.
    bool HandleMessage(TAEOMSG& msg);
    int DeletedGroupCount() const { return static_cast<int>(FDeletedGroups.size()); }
    int SelectedGroupCount() const { return static_cast<int>(FSelectedGroups.size()); }
    const TRecordGroups& DeletedGroups() const { return FDeletedGroups; }
    const TRecordGroups& SelectedGroups() const { return FSelectedGroups; }
    void ApplySelectedGroups();
    void ApplyDeletedGroups();
    const TLogFile& Log() const { return FLog; }

    // What opening found. IncompleteAt: the byte offset where the file ends inside a message
    // (that message is left out or read in part), -1 when it ends with a whole one.
    // IsKnownMessage: whether the format defines the message (others read as "Unknow
    // Message"); the base asks the kind map.
    virtual int64_t IncompleteAt() const { return -1; }
    virtual bool IsKnownMessage(const TDriverIndexItem& item) const {
        return item.Kind == ikHeader || FKindMap[item.Kind] != rkUnknown;
    }
    // Whether every byte of the message at `pos` (prefix and body) is zero. The base looks at
    // the bytes, which maps the file's pages into memory; formats whose prefix tells it answer
    // from the index item, so that a look at every thousandth message of a large file does not
    // bring the whole file in.
    virtual bool IsEmptyMessage(size_t pos, const TDriverIndexItem& item) const;
    // Positions a filtered copy carries whatever passes the filter, ascending: what the copy
    // needs to be opened and to read its records as the source reads them (the header; the
    // set-up messages of formats that describe their records in them).
    virtual std::vector<int32_t> CopySetupPositions() const;

    // Copies in the file's own format, written under a temporary name in the target's folder
    // and renamed; the open data file and its log are never overwritten.
    virtual bool SortToFile(const std::string& target, std::string& message);
    virtual bool SaveToFile(IRecordSource& source, const std::string& target, std::string& message);

    // Converts a value between time fields; false (value untouched) for pairs the driver does
    // not know.
    virtual bool ConvertTime(std::string_view sourceID, std::string_view targetID,
                             long double& value, long double x) const;

protected:
    // Fills the per-message fields of a record whose common part is done; `item` is the index
    // item of `pos`.
    virtual void ReadMessage(TAERecord& record, int32_t pos, const TDriverIndexItem& item) = 0;

    // Hooks of the copy schemes. MessageTime: whether the item carries a time, and its
    // microseconds since the test start. MessagePrefix: writes the type/size prefix of a
    // message into `out` (at most MaxPrefixSize bytes) and returns its length. PatchHeader:
    // writes the "Member Of Events" count into a copy of the header data.
    static constexpr size_t MaxPrefixSize = 16;
    virtual bool MessageTime(int32_t pos, const TDriverIndexItem& item, int64_t& us) const;
    virtual size_t MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const;
    virtual void PatchHeader(std::vector<uint8_t>& header, int32_t memberOfEvents) const;
    // Bytes of the data file from offset Base on, read for a pass over many messages.
    struct TFileView {
        const uint8_t* Data = nullptr;
        uint64_t Base = 0;
        uint64_t Size = 0;
        bool Holds(uint64_t offset, uint64_t size) const {
            return offset >= Base && offset - Base <= Size && size <= Size - (offset - Base);
        }
        const uint8_t* At(uint64_t offset) const { return Data + (offset - Base); }
    };
    // The sorted copy's pass over the messages: the times of positions first .. first + count
    // - 1 into `times` (TimeOrNone of each), and whether each of these messages is StoredAt the
    // end of the one before it (the first at the file's start). `view` holds the bytes of these
    // messages and a little around them where the file has them. The base asks the per-message
    // hooks; a format with a fixed layout answers from the view in one loop.
    virtual bool MessageTimes(int32_t first, int32_t count, const TFileView& view,
                              int64_t* times) const;
    // MessageTimes from the view in one loop, for a format whose prefix length follows from
    // the item. `shape(item, prefix, need)` gives the prefix length and the body bytes the read
    // needs, or false for a message the per-message hooks answer; `read(item, pos, body, time)`
    // sets the time (or NoTime) from the body in the view and returns whether the prefix before
    // it is as the copy writes it.
    template <class TShape, class TRead>
    bool ViewMessageTimes(int32_t first, int32_t count, const TFileView& view, int64_t* times,
                          TShape&& shape, TRead&& read) const {
        const auto f = static_cast<size_t>(first);
        uint64_t end = f > 0 ? FIndex.End(f - 1) : 0;
        const uint64_t fileSize = FFile.Size();
        bool whole = true;
        size_t pos = f;
        FIndex.Visit(f, static_cast<size_t>(count), [&](const TDriverIndexItem& item) {
            int64_t& time = times[pos - f];
            size_t prefix = 0;
            uint64_t need = 0;
            if (shape(item, prefix, need) && item.Offset >= prefix &&
                view.Holds(item.Offset - prefix, prefix + need)) {
                const bool stored =
                    read(item, static_cast<int32_t>(pos), view.At(item.Offset), time);
                whole = whole && stored && item.Offset - prefix == end &&
                        item.Offset + item.Size <= fileSize;
            } else {
                time = TimeOrNone(static_cast<int32_t>(pos));
                whole = whole && StoredAt(item, end);
            }
            end = item.Offset + item.Size;
            ++pos;
        });
        return whole;
    }
    // MessageTime of a position, NoTime where it gives none.
    int64_t TimeOrNone(int32_t pos) const;
    // Whether a message is stored as the copies write it, at `at`: its prefix (none for the
    // header) as MessagePrefix writes it from `at` on, right before its body, inside the file.
    bool StoredAt(const TDriverIndexItem& item, uint64_t at) const;

    // Whether Open maps the data file (drivers with their own connection return false).
    virtual bool MapsDataFile() const { return true; }

    // Declare-then-lock: after declaring its fields a driver clears their values, freezes them
    // with Locked and lets the base find the common fields and the time fields by ID.
    void LockFields();
    // Declares the standard fields of the table, in order, with the declarer's catalogue
    // attributes, then locks them (LockFields).
    void DeclareStandardFields(std::span<const TDriverFieldDecl> table, TAEDeclarer declarer);
    // Format kind -> record kind; identity for 0..8 and 0 elsewhere until a driver sets it.
    void SetKindMap(uint8_t formatKind, uint8_t recordKind) { FKindMap[formatKind] = recordKind; }
    // Calls the progress notification (cheap when none is set).
    void ReportProgress(uint64_t done, uint64_t total) const {
        if (FOnProgress) FOnProgress(done, total);
    }
    const TMappedFile& File() const { return FFile; }

    // The frame of a file driver's Load: empties the index, the information lines and the
    // channels, reports Loading, fails with "File Not Open" when no file is open, runs `build`
    // (which fills them and throws on a fault), then applies the groups and reports Load. A
    // fault leaves the three empty and its text in `message`.
    bool RunLoad(std::string& message, const std::function<void()>& build);
    // RunLoad in steps (BeginLoad, LoadMore): StartLoad runs `start` as RunLoad runs `build`
    // and leaves the load pending; each ContinueLoad runs `more`, which adds items and returns
    // true once the last ones are in, and marks the new items with their groups. The last step
    // reports Load; a fault in either ends the load as one in RunLoad.
    bool StartLoad(std::string& message, const std::function<void()>& start);
    bool ContinueLoad(std::string& message, const std::function<bool()>& more);
    // Positions are int32_t: an index may hold this many items, and a load that would need
    // more fails with "Too Many Messages: " and the number it would need.
    static constexpr uint64_t MaxIndexSize = static_cast<uint64_t>(INT32_MAX);
    static void CheckIndexSize(uint64_t items) {
        if (items > MaxIndexSize) [[unlikely]]
            ThrowTooManyMessages(items);
    }
    [[noreturn]] static void ThrowTooManyMessages(uint64_t items);

    // "Time" (microseconds since the test start), "TimeS", "TimeHH" and "TimeMS" of `us`, where
    // the driver declares them.
    void SetTimeValues(TAERecord& record, long double us) const;
    // The same through a sink (TRecordSinks.h).
    template <class TSink> void PutTimeValues(TSink& sink, long double us) const {
        sink.Float(FPosTime, us);
        sink.Float(FPosTimeS, us / 1000000.0L);
        sink.Float(FPosTimeHH, us / 3600000000.0L);
        sink.Float(FPosTimeMS, us / 1000.0L);
    }
    // What ReadRecord sets in every record of item at pos before ReadMessage: "Deleted",
    // "Selected", "Hit", "IndexRec" and "Channels".
    template <class TSink>
    void PutCommonValues(TSink& sink, int32_t pos, const TDriverIndexItem& item) const {
        sink.Boolean(FPosDeleted, (item.Flags & ifDeleted) != 0);
        sink.Boolean(FPosSelected, (item.Flags & ifSelected) != 0);
        sink.Int(FPosHit, 1);
        sink.Int(FPosIndexRec, pos);
        sink.List(FPosChannels, &FChannelList);
    }

    TDriverIndex FIndex;
    std::vector<std::string> FInfoLines;
    TAEChannelList FChannelList;
    // Flat positions of the default text and the time fields every file driver fills, found by
    // LockFields (-1 when not declared).
    int FPosText = -1;
    int FPosTime = -1;
    int FPosTimeS = -1;
    int FPosTimeHH = -1;
    int FPosHHMMSS = -1;
    int FPosTimeMS = -1;
    int FPosTimeUS = -1;

    // A copy needs an open source and may not overwrite the source or its companion log
    // ("Data File Not Open", "Invalid File Name").
    bool CheckTarget(const std::string& target, std::string& message) const;

private:
    bool CursorRangeError(TAEPNav& nav, int32_t pos) const;
    void StoreKind(TAEPNav& nav, int32_t pos) const;
    void UndoGroup(TRecordGroups& groups, uint8_t bit, std::vector<int32_t>& restored);
    void ApplyGroups(const TRecordGroups& groups, uint8_t bit, size_t first = 0);
    bool FailLoad(std::string& message, const std::exception& e);

    IDriverOwner* FOwner;
    std::string FFileName;
    uint8_t FState = dsNone;
    bool FOpen = false;
    bool FLoadPending = false;
    TStateEvent FOnState;
    TProgressEvent FOnProgress;
    TLogFile FLog;
    TMappedFile FFile;
    TAEFields FDbFields;
    TAEFields FSetupFields;
    TAEFields FParamFields;
    TRecordGroups FDeletedGroups;
    TRecordGroups FSelectedGroups;
    std::array<uint8_t, 256> FKindMap{};
    // Flat positions of the common fields (-1 when not declared).
    int FPosDeleted = -1;
    int FPosSelected = -1;
    int FPosHit = -1;
    int FPosIndexRec = -1;
    int FPosChannels = -1;
};

// ConsumeRecords over a driver's own cursor, for readers of a data file without a processing
// tree (command-line dumps, benchmarks): the same loop, the same stop on the cursor's error.
template <class F>
bool ConsumeRecords(TAEDriverDb& driver, TAEPNav& nav, TAERecord& record, F&& use,
                    std::string& error) {
    int32_t i = driver.FirstRecord(nav);
    while ((nav.Out.Status & nsEndForward) == 0) {
        if (nav.Out.Status & nsError) break;
        driver.ReadRecord(nav, record, i);
        if (nav.Out.Status & nsError) break;
        if (!use(record, i)) return true;
        i = driver.NextRecord(nav, i);
    }
    if (nav.Out.Status & nsError) {
        error = nav.Out.Message;
        return false;
    }
    return true;
}

// The Tarvel time rule: seconds ("0000000000000061"), hours ("...62") and milliseconds
// ("...64") convert into each other through microseconds; false for any other pair.
bool ConvertTarvelTime(std::string_view sourceID, std::string_view targetID, long double& value,
                       long double x);

} // namespace vorelt
