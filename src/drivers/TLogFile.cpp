#include "drivers/TLogFile.h"

#include "drivers/TByteReader.h"
#include "persist/TFileCheck.h"
#include "persist/TFileWriter.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace vorelt {

namespace {

constexpr size_t EntryHead = 3;
constexpr size_t StartEntrySize = EntryHead + LogTimestampSize;

std::string SystemText() {
    return std::strerror(errno);
}

void PutTimestamp(uint8_t* out) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    int year = tm.tm_year + 1900;
    out[0] = static_cast<uint8_t>(tm.tm_sec);
    out[1] = static_cast<uint8_t>(year / 100);
    out[2] = static_cast<uint8_t>(tm.tm_hour);
    out[3] = static_cast<uint8_t>(tm.tm_mday);
    out[4] = static_cast<uint8_t>(tm.tm_min);
    out[5] = static_cast<uint8_t>(tm.tm_mon + 1);
    out[6] = static_cast<uint8_t>(year % 100);
}

bool WriteAll(int fd, const uint8_t* data, size_t size, uint64_t at) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(at + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::vector<uint8_t>& out) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return false;
    out.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < out.size()) {
        ssize_t n = ::pread(fd, out.data() + got, out.size() - got, static_cast<off_t>(got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    return true;
}

bool StartsWithStartEntry(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= StartEntrySize && bytes[0] == LogTimestampSize && bytes[1] == 0 &&
           bytes[2] == lkStart;
}

// Whether a name is that of a companion log: its extension is ".log".
bool HasLogName(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".log";
}

} // namespace

std::string TLogFile::CompanionName(const std::string& dataFileName) {
    std::filesystem::path p(dataFileName);
    p.replace_extension(".log");
    return p.string();
}

std::vector<uint8_t> TLogFile::Entry(uint8_t kind, const uint8_t* payload, size_t size) {
    size_t length = LogTimestampSize + size;
    std::vector<uint8_t> e(EntryHead + length);
    PutU16(e.data(), static_cast<uint16_t>(length));
    e[2] = kind;
    PutTimestamp(e.data() + EntryHead);
    if (size > 0) std::memcpy(e.data() + EntryHead + LogTimestampSize, payload, size);
    return e;
}

void TLogFile::AppendGroup(std::vector<uint8_t>& out, uint8_t kind, const TRecordGroup& group) {
    size_t first = 0;
    do {
        size_t count = std::min(group.size() - first, LogMaxGroupEntry);
        size_t length = LogTimestampSize + 4 * count;
        size_t at = out.size();
        out.resize(at + EntryHead + length);
        uint8_t* e = out.data() + at;
        PutU16(e, static_cast<uint16_t>(length));
        e[2] = first == 0 ? kind : lkContinued;
        PutTimestamp(e + EntryHead);
        uint8_t* p = e + EntryHead + LogTimestampSize;
        for (size_t i = 0; i < count; ++i, p += 4)
            PutU32(p, static_cast<uint32_t>(group[first + i]));
        first += count;
    } while (first < group.size());
}

bool TLogFile::LooksLikeLog(const std::string& fileName) {
    std::string reason;
    const int fd = OpenRegularFile(fileName, 0, reason);
    if (fd < 0) return false;
    uint8_t head[EntryHead] = {};
    const bool log = ::pread(fd, head, EntryHead, 0) == static_cast<ssize_t>(EntryHead) &&
                     head[0] == LogTimestampSize && head[1] == 0 && head[2] == lkStart;
    ::close(fd);
    return log;
}

void TLogFile::Reset() {
    FFileName.clear();
    FPath.clear();
    FKeptAs.clear();
    FDamagedAt = -1;
    FNote.clear();
    FText.clear();
    FRewritePos = 0;
    FInUse = false;
    FPresent = false;
    FKeptDeleted.clear();
    FKeptSelected.clear();
}

bool TLogFile::KeepDamaged(const std::vector<uint8_t>& bytes, std::string& message) {
    // Never over an earlier copy: a log damaged twice keeps both.
    for (int n = 0; n < 1000; ++n) {
        const std::string name =
            FPath + ".damaged" + (n == 0 ? std::string() : "." + std::to_string(n));
        const int fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            message = SystemText() + ": " + name;
            return false;
        }
        // On the disk before the log is cut.
        bool ok = WriteAll(fd, bytes.data(), bytes.size(), 0) && ::fsync(fd) == 0;
        if (!ok) message = SystemText() + ": " + name;
        if (::close(fd) != 0 && ok) {
            message = SystemText() + ": " + name;
            ok = false;
        }
        if (!ok) {
            ::unlink(name.c_str());
            return false;
        }
        FKeptAs = name;
        return true;
    }
    message = "Too Many Kept Logs: " + FPath + ".damaged";
    return false;
}

void TLogFile::Open(const std::string& dataFileName, TRecordGroups& selected,
                    TRecordGroups& deleted) {
    Reset();
    selected.clear();
    deleted.clear();
    FFileName = CompanionName(dataFileName);
    FPath = FFileName;

    // A link is followed only to another companion log, which is then the one written.
    bool linked = false;
    struct stat lst {};
    if (::lstat(FFileName.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        std::error_code ec;
        const std::filesystem::path target = std::filesystem::canonical(FFileName, ec);
        if (ec) {
            FNote = "Log File Not Used: a link to a missing file: " + FFileName;
            return;
        }
        if (!HasLogName(target)) {
            FNote = "Log File Not Used: a link to " + target.string() +
                    ", which is no companion log: " + FFileName;
            return;
        }
        FPath = target.string();
        linked = true;
    }
    if (SameFile(FPath, dataFileName)) {
        FNote = "Log File Not Used: it is the data file itself: " + FFileName;
        return;
    }

    std::string error;
    int fd = ::open(FPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT || linked) {
            FNote = "Log File Not Used: " + SystemText() + ": " + FFileName;
            return;
        }
        // Nothing is written beside a data file that is only read: the log is made by the
        // first rewrite that has groups to keep.
        FRewritePos = StartEntrySize;
        FInUse = true;
        return;
    }
    struct stat st {};
    std::vector<uint8_t> bytes;
    const bool looked = ::fstat(fd, &st) == 0;
    const bool regular = looked && S_ISREG(st.st_mode);
    const bool read = regular && ReadAll(fd, bytes);
    ::close(fd);
    if (!regular) {
        FNote = "Log File Not Used: " + (looked ? FileTypeText(st.st_mode) : SystemText()) + ": " +
                FFileName;
        return;
    }
    if (!read) {
        FNote = "Log File Not Used: " + FFileName;
        return;
    }
    if (bytes.empty()) {
        // An empty file holds nothing that could be lost; it becomes the log, unless it is
        // only reached through a link.
        if (linked) {
            FNote = "Log File Not Used: a link to an empty file: " + FFileName;
            return;
        }
        FRewritePos = StartEntrySize;
        FInUse = true;
        FPresent = true;
        return;
    }
    if (!StartsWithStartEntry(bytes)) {
        FNote = "Log File Not Used: not a log file: " + FFileName;
        return;
    }
    FInUse = true;
    FPresent = true;

    // One walk finds the entries up to the first damaged one and the rewrite position.
    struct TEntryPos {
        size_t At;
        uint16_t Length;
        uint8_t Kind;
    };
    std::vector<TEntryPos> entries;
    int64_t lastClose = -1;
    int64_t afterStart = -1;
    size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < EntryHead) {
            FDamagedAt = static_cast<int64_t>(pos);
            break;
        }
        uint16_t length = static_cast<uint16_t>(bytes[pos] | (bytes[pos + 1] << 8));
        uint8_t kind = bytes[pos + 2];
        size_t end = pos + EntryHead + length;
        bool damaged = end > bytes.size() || (length > 0 && length < LogTimestampSize) ||
                       ((kind == lkSelected || kind == lkDeleted || kind == lkContinued) &&
                        length > 0 && (length - LogTimestampSize) % 4 != 0);
        if (damaged) {
            FDamagedAt = static_cast<int64_t>(pos);
            break;
        }
        if (length > 0) {
            if (kind == lkStart && afterStart < 0) afterStart = static_cast<int64_t>(end);
            if (kind == lkClose) lastClose = static_cast<int64_t>(pos);
            entries.push_back({pos, length, kind});
        }
        pos = end;
    }
    FRewritePos =
        static_cast<uint64_t>(lastClose >= 0 ? lastClose : std::max<int64_t>(afterStart, 0));
    if (FDamagedAt >= 0) {
        // The rewrite cuts the log at its rewrite position, before the damage: what cannot be
        // read now is kept first, and without a kept copy the log is left as it is.
        const std::string where = "Log File Damaged At Byte Offset " + std::to_string(FDamagedAt);
        if (KeepDamaged(bytes, error)) {
            FNote = where + ": " + FFileName + " (kept as " + FKeptAs + ")";
        } else {
            FNote = where + ", Not Kept: " + error + "; the log is not written: " + FFileName;
            FInUse = false;
        }
    }

    TRecordGroup* open = nullptr; // the group a continuation entry extends
    for (const TEntryPos& e : entries) {
        const uint8_t* data = bytes.data() + e.At + EntryHead;
        const uint8_t* payload = data + LogTimestampSize;
        size_t count = (e.Length - LogTimestampSize) / 4;
        if (e.Kind == lkText) {
            FText = TByteReader(payload, e.Length - LogTimestampSize)
                        .Text(0, e.Length - LogTimestampSize);
            open = nullptr;
            continue;
        }
        if (e.At < FRewritePos) {
            open = nullptr;
            continue;
        }
        TRecordGroup* target = nullptr;
        if (e.Kind == lkSelected)
            target = &selected.emplace_back();
        else if (e.Kind == lkDeleted)
            target = &deleted.emplace_back();
        else if (e.Kind == lkContinued)
            target = open;
        open = target;
        if (!target) continue;
        TByteReader r(payload, count * 4);
        target->reserve(target->size() + count);
        for (size_t i = 0; i < count; ++i) {
            uint32_t v = r.U32(4 * i);
            if (v <= static_cast<uint32_t>(INT32_MAX)) target->push_back(static_cast<int32_t>(v));
        }
    }
    FKeptDeleted = deleted;
    FKeptSelected = selected;
}

bool TLogFile::ReadCurrent(std::vector<uint8_t>& bytes, bool& exists, std::string& message) const {
    bytes.clear();
    exists = false;
    const int fd = ::open(FPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return true; // removed while the data file was open: start again
        message = SystemText() + ": " + FFileName;
        return false;
    }
    struct stat st {};
    const bool looked = ::fstat(fd, &st) == 0;
    const bool regular = looked && S_ISREG(st.st_mode);
    const bool read = regular && ReadAll(fd, bytes);
    ::close(fd);
    if (!regular) {
        message = "Log File Not Used: " + (looked ? FileTypeText(st.st_mode) : SystemText()) +
                  ": " + FFileName;
        return false;
    }
    if (!read) {
        message = SystemText() + ": " + FFileName;
        return false;
    }
    // Only a file that is still this log is replaced.
    if (!bytes.empty() && !StartsWithStartEntry(bytes)) {
        message = "Log File Not Used: not a log file: " + FFileName;
        return false;
    }
    exists = true;
    return true;
}

std::vector<uint8_t> TLogFile::Compose(const std::vector<uint8_t>& current,
                                       const TRecordGroups& deleted,
                                       const TRecordGroups& selected) const {
    std::vector<uint8_t> out;
    if (current.size() >= StartEntrySize)
        out.assign(current.begin(), current.begin() + static_cast<ptrdiff_t>(std::min<uint64_t>(
                                                          FRewritePos, current.size())));
    else
        out = Entry(lkStart, nullptr, 0);
    const std::vector<uint8_t> close = Entry(lkClose, nullptr, 0);
    out.insert(out.end(), close.begin(), close.end());
    for (const TRecordGroup& g : deleted)
        AppendGroup(out, lkDeleted, g);
    for (const TRecordGroup& g : selected)
        AppendGroup(out, lkSelected, g);
    return out;
}

std::vector<uint8_t> TLogFile::Bytes(const TRecordGroups& deleted,
                                     const TRecordGroups& selected) const {
    std::vector<uint8_t> current;
    bool exists = false;
    std::string ignored;
    if (!ReadCurrent(current, exists, ignored)) current.clear();
    return Compose(current, deleted, selected);
}

bool TLogFile::Keeps(const TRecordGroups& deleted, const TRecordGroups& selected) const {
    return deleted == FKeptDeleted && selected == FKeptSelected;
}

bool TLogFile::Rewrite(const TRecordGroups& deleted, const TRecordGroups& selected,
                       std::string& message) {
    if (!FInUse) return true;
    std::vector<uint8_t> current;
    bool exists = false;
    if (!ReadCurrent(current, exists, message)) {
        if (message.starts_with("Log File Not Used")) FInUse = false;
        return false;
    }
    if (!exists && !FPresent && deleted.empty() && selected.empty()) return true;
    const std::vector<uint8_t> out = Compose(current, deleted, selected);
    std::string error;
    if (!WriteFileAtomically(
            FPath, std::string_view(reinterpret_cast<const char*>(out.data()), out.size()),
            error)) {
        message = error;
        return false;
    }
    FRewritePos = current.size() >= StartEntrySize ? std::min<uint64_t>(FRewritePos, current.size())
                                                   : StartEntrySize;
    FPresent = true;
    FKeptDeleted = deleted;
    FKeptSelected = selected;
    return true;
}

} // namespace vorelt
