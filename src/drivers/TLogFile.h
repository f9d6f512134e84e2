#pragma once
// The companion log file of a data file: the user's deleted and selected record groups, kept
// beside the data file (same name, extension ".log") from one opening to the next.
//
// Entry layout: u16 length L of the data part, u8 kind, then L bytes: a 7-byte timestamp and
// the payload. Kinds: 1 start of the log, 2 close mark, 3 selected group, 4 deleted group,
// 5 text (read only), 6 continuation of the group entry just before it. A group entry carries
// at most 16382 positions (u32 each); a larger group goes on in kind-6 entries, which readers
// that do not know the kind skip (they then see the group's first part only).

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

using TRecordGroup = std::vector<int32_t>;
using TRecordGroups = std::vector<TRecordGroup>;

// Log entry kinds.
constexpr uint8_t lkStart = 1;
constexpr uint8_t lkClose = 2;
constexpr uint8_t lkSelected = 3;
constexpr uint8_t lkDeleted = 4;
constexpr uint8_t lkText = 5;
constexpr uint8_t lkContinued = 6;

constexpr size_t LogTimestampSize = 7;
constexpr size_t LogMaxGroupEntry = (0xFFFF - LogTimestampSize) / 4; // 16382 positions

class TLogFile {
public:
    // The companion name of a data file: its extension replaced by ".log".
    static std::string CompanionName(const std::string& dataFileName);

    // Adopts the companion log of `dataFileName` and reads the groups after its rewrite
    // position; a missing log is not created now (Rewrite creates it once there are groups). A file
    // of that name that does not begin with a start entry, that is no regular file, or a link to
    // anything but another companion log, is left untouched and the log is not used (`InUse` false,
    // `Note` says why). A damaged entry ends the reading and what came before it is kept; the
    // rewrite would cut the rest, so the whole file is first kept beside it (KeptAs) and `Note`
    // tells where the damage starts (without a kept copy the log is not used). Never fails.
    void Open(const std::string& dataFileName, TRecordGroups& selected, TRecordGroups& deleted);
    // Keeps the log up to its rewrite position and appends a close mark, one entry per deleted
    // group, then one per selected group. The new log is written beside the old one and renamed
    // over it, so a failure (a read-only folder, a full disk) leaves the old log as it was.
    // Without a log before and without groups nothing is written. False with the file and the
    // system's text on failure.
    bool Rewrite(const TRecordGroups& deleted, const TRecordGroups& selected, std::string& message);
    // Whether the log on the disk keeps exactly these groups (as read by Open or last written),
    // so that nothing is lost when it cannot be written now.
    bool Keeps(const TRecordGroups& deleted, const TRecordGroups& selected) const;
    // The whole log that Rewrite would write, for a copy kept elsewhere.
    std::vector<uint8_t> Bytes(const TRecordGroups& deleted, const TRecordGroups& selected) const;
    // Forgets the file (nothing is written).
    void Reset();

    bool InUse() const { return FInUse; }
    const std::string& FileName() const { return FFileName; }
    // The file read and rewritten: the companion name, or the log a link of that name points
    // to.
    const std::string& Path() const { return FPath; }
    // Where the first damaged entry starts; -1 when the log read cleanly.
    int64_t DamagedAt() const { return FDamagedAt; }
    // The copy of a damaged log kept before its rewrite; empty when there is none.
    const std::string& KeptAs() const { return FKeptAs; }
    // Why the log is not used or was read only in part; empty when all is well.
    const std::string& Note() const { return FNote; }
    uint64_t RewritePos() const { return FRewritePos; }
    // The text of the last kind-5 entry read, if any.
    const std::string& Text() const { return FText; }

    // Builds one entry (length, kind, timestamp of now, payload).
    static std::vector<uint8_t> Entry(uint8_t kind, const uint8_t* payload, size_t size);
    // Appends the entries of one group: a `kind` entry and continuation entries as needed.
    static void AppendGroup(std::vector<uint8_t>& out, uint8_t kind, const TRecordGroup& group);
    // Whether a regular file begins with the start entry of a log (read without blocking).
    static bool LooksLikeLog(const std::string& fileName);

private:
    // Keeps the bytes of a damaged log in a file of their own beside it; false with the
    // system's text.
    bool KeepDamaged(const std::vector<uint8_t>& bytes, std::string& message);
    // The log as it is on the disk now; `exists` false when there is none. False with the
    // reason when it is no longer a regular file that begins as a log.
    bool ReadCurrent(std::vector<uint8_t>& bytes, bool& exists, std::string& message) const;
    // The log to write: the current one up to the rewrite position, then the close mark and
    // the groups.
    std::vector<uint8_t> Compose(const std::vector<uint8_t>& current, const TRecordGroups& deleted,
                                 const TRecordGroups& selected) const;

    std::string FFileName;
    std::string FPath;
    std::string FKeptAs;
    int64_t FDamagedAt = -1;
    std::string FNote;
    std::string FText;
    uint64_t FRewritePos = 0;
    bool FInUse = false;
    bool FPresent = false; // a log was there when the data file was opened
    // The groups the log on the disk keeps.
    TRecordGroups FKeptDeleted;
    TRecordGroups FKeptSelected;
};

} // namespace vorelt
