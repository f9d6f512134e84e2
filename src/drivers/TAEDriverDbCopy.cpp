// The copies of a driver's data file in its own format: the time-sorted copy (its engine is
// TSortedCopy) and the filtered copy of the records that reach a processor, with the hooks
// each format fills in.

#include "drivers/TAEDriverDb.h"
#include "drivers/TCopySetup.h"

#include "drivers/TSortedCopy.h"
#include "drivers/TWriteTarget.h"
#include "model/IRecordSource.h"
#include "model/TAEFieldIDs.h"
#include "model/TAERecord.h"
#include "persist/TErrors.h"
#include "persist/TFileWriter.h"

#include <exception>
#include <filesystem>
#include <system_error>

namespace vorelt {

namespace {

constexpr uint64_t ProgressStep = 1 << 16;

bool SamePath(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec1, ec2;
    fs::path ca = fs::weakly_canonical(fs::absolute(a, ec1), ec1);
    fs::path cb = fs::weakly_canonical(fs::absolute(b, ec2), ec2);
    if (!ec1 && !ec2 && ca == cb) return true;
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// Writes one item in the file's own layout: the header as stored, other messages behind their
// prefix.
template <class TPrefix>
void WriteItem(TFileWriter& out, const TDriverIndexItem& item, std::span<const uint8_t> data,
               TPrefix&& prefix) {
    if (data.size() != item.Size) throw EAEError(ErrInvalidStructure);
    if (item.Kind != ikHeader) {
        uint8_t buffer[32];
        size_t n = prefix(item, buffer);
        out.Write(buffer, n);
    }
    out.Write(data.data(), data.size());
}

} // namespace

bool TAEDriverDb::MessageTime(int32_t, const TDriverIndexItem&, int64_t&) const {
    return false;
}

size_t TAEDriverDb::MessagePrefix(const TDriverIndexItem&, uint8_t*) const {
    return 0;
}

void TAEDriverDb::PatchHeader(std::vector<uint8_t>&, int32_t) const {}

std::vector<int32_t> TAEDriverDb::CopySetupPositions() const {
    std::vector<int32_t> positions;
    for (size_t i = 0, n = FIndex.size(); i < n; ++i)
        if (FIndex.Kind(i) == ikHeader) positions.push_back(static_cast<int32_t>(i));
    return positions;
}

bool TAEDriverDb::CheckTarget(const std::string& target, std::string& message) const {
    if (!FOpen || !FFile.IsOpen()) {
        message = "Data File Not Open";
        return false;
    }
    const char* why = target.empty()                ? "no target"
                      : SamePath(target, FFileName) ? "the target is the source file"
                      : SamePath(target, TLogFile::CompanionName(FFileName))
                          ? "the target is the source's companion log"
                          : nullptr;
    if (why) {
        message = std::string("Invalid File Name: ") + why;
        return false;
    }
    // Nor any other recording, log or special file: the rule of every file the program writes.
    std::string reason;
    if (!CheckWriteTarget(target, {FFileName, {}}, reason)) {
        message = "Invalid File Name: " + reason;
        return false;
    }
    return true;
}

int64_t TAEDriverDb::TimeOrNone(int32_t pos) const {
    int64_t t = 0;
    return MessageTime(pos, FIndex[static_cast<size_t>(pos)], t) ? t : NoTime;
}

bool TAEDriverDb::StoredAt(const TDriverIndexItem& item, uint64_t at) const {
    uint8_t prefix[MaxPrefixSize];
    const size_t len = item.Kind == ikHeader ? 0 : MessagePrefix(item, prefix);
    return FFile.Data() && item.Offset == at + len && item.Offset + item.Size <= FFile.Size() &&
           SameBytes(prefix, FFile.Data() + at, len);
}

bool TAEDriverDb::MessageTimes(int32_t first, int32_t count, const TFileView&,
                               int64_t* times) const {
    const auto f = static_cast<size_t>(first);
    uint64_t end = f > 0 ? FIndex.End(f - 1) : 0;
    bool whole = true;
    for (int32_t k = 0; k < count; ++k) {
        const TDriverIndexItem& item = FIndex[f + static_cast<size_t>(k)];
        times[k] = TimeOrNone(first + k);
        whole = whole && StoredAt(item, end);
        end = item.Offset + item.Size;
    }
    return whole;
}

bool TAEDriverDb::SortToFile(const std::string& target, std::string& message) {
    message.clear();
    if (!CheckTarget(target, message)) return false;
    try {
        TSortedCopy(*this, target).Write();
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
}

bool TAEDriverDb::SaveToFile(IRecordSource& source, const std::string& target,
                             std::string& message) {
    message.clear();
    if (!CheckTarget(target, message)) return false;
    try {
        TAERecord record;
        source.PrepareRecord(record);
        TAEField* indexRec = record.FindByID(fidIndexRec);
        TAEField* deleted = record.FindByID(fidDeleted);
        if (!indexRec) throw EAEError("Field IndexRec Not Found");
        auto itemOf = [&](int32_t& pos) -> std::optional<TDriverIndexItem> {
            if (indexRec->IsNull()) return std::nullopt;
            int64_t p = indexRec->GetAsInt64();
            if (p < 0 || p >= Count()) return std::nullopt;
            pos = static_cast<int32_t>(p);
            return FIndex[static_cast<size_t>(p)];
        };
        auto isDeleted = [&] { return deleted && !deleted->IsNull() && deleted->GetAsBoolean(); };
        // Runs the consumer loop; an error stops with the cursor's message whatever the end bit.
        auto walk = [&](uint16_t kinds, auto&& visit) {
            TAEPNav nav;
            nav.Kinds = kinds;
            source.Restart();
            std::string error;
            auto use = [&](TAERecord&, int32_t) {
                visit();
                return true;
            };
            if (!ConsumeRecords(source, nav, record, use, error)) throw EAEError(error);
        };

        int32_t members = 0;
        walk(KindBit(rkHit), [&] {
            int32_t pos = -1;
            if (record.Kind() == rkHit && itemOf(pos) && !isDeleted()) ++members;
        });

        TFileWriter out(target);
        out.Open();
        auto prefix = [this](const TDriverIndexItem& item, uint8_t* buffer) {
            return MessagePrefix(item, buffer);
        };
        std::vector<uint8_t> header;
        uint64_t written = 0;
        const uint64_t total = FIndex.size();
        auto write = [&](int32_t pos) {
            const TDriverIndexItem item = FIndex[static_cast<size_t>(pos)];
            std::span<const uint8_t> data = Data(pos);
            if (item.Kind == ikHeader) {
                header.assign(data.begin(), data.end());
                PatchHeader(header, members);
                WriteItem(out, item, header, prefix);
            } else {
                WriteItem(out, item, data, prefix);
            }
            if (++written % ProgressStep == 0) ReportProgress(written, total);
        };
        TCopySetup setup(CopySetupPositions());
        walk(0, [&] {
            int32_t pos = -1;
            const std::optional<TDriverIndexItem> item = itemOf(pos);
            if (!item || (isDeleted() && !setup.Holds(pos))) return;
            if (setup.Before(pos, write)) write(pos);
        });
        setup.Rest(write);
        out.Flush();
        CheckCopyOpens(*this, out.TempName());
        out.Commit();
        ReportProgress(total, total);
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
}

} // namespace vorelt
