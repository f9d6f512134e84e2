// Damaged waveforms: FLAC blobs with changed, missing or added bytes, raw blobs of the wrong
// size, impossible sample counts and unknown formats in a transient database; damaged DiSP
// waveform messages. A damaged waveform is refused with the file, its index and the reason;
// the others stay readable.

#include "common/TByteMutator.h"
#include "common/TestData.h"
#include "drivers/waveform/TDispWaveforms.h"
#include "drivers/waveform/TVallenTransients.h"
#include "processing/waveform/TFrequencyMagnitudes.h"
#include "processing/waveform/TWaveformFeatures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>

namespace vorelt::test {
namespace {

// A writable copy of a transient database, changed row by row with plain SQL.
class TEditableTransients {
public:
    TEditableTransients(const std::string& source, const TTempDir& dir) {
        FPath = CopyToTemp(source, dir);
        EXPECT_EQ(sqlite3_open(FPath.c_str(), &FDb), SQLITE_OK);
    }
    ~TEditableTransients() { sqlite3_close(FDb); }
    const std::string& Path() const { return FPath; }

    std::string Blob(int trai) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(FDb, "SELECT Data FROM tr_data WHERE TRAI = ?", -1, &st, nullptr);
        sqlite3_bind_int(st, 1, trai);
        std::string b;
        if (sqlite3_step(st) == SQLITE_ROW)
            b.assign(static_cast<const char*>(sqlite3_column_blob(st, 0)),
                     size_t(sqlite3_column_bytes(st, 0)));
        sqlite3_finalize(st);
        return b;
    }
    void SetBlob(int trai, const std::string& bytes) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(FDb, "UPDATE tr_data SET Data = ? WHERE TRAI = ?", -1, &st, nullptr);
        sqlite3_bind_blob(st, 1, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 2, trai);
        EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_finalize(st);
    }
    void Exec(const std::string& sql) {
        EXPECT_EQ(sqlite3_exec(FDb, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    }

private:
    std::string FPath;
    sqlite3* FDb = nullptr;
};

// Reads every waveform; a refusal must name the file and the TRAI. Returns the refused TRAIs.
std::vector<int64_t> ReadAll(const std::string& path) {
    TVallenTransients file(path);
    std::vector<int64_t> refused;
    std::vector<float> y;
    std::string message;
    TFrequencyMagnitudes spectrum;
    for (size_t i = 0; i < file.Count(); ++i) {
        const TWaveformInfo& w = file.Info(i);
        if (!file.Read(i, y, message)) {
            EXPECT_NE(message.find(path), std::string::npos) << message;
            EXPECT_NE(message.find("TRAI " + std::to_string(w.Index)), std::string::npos)
                << message;
            EXPECT_TRUE(y.empty());
            refused.push_back(w.Index);
            continue;
        }
        EXPECT_EQ(int64_t(y.size()), w.Samples);
        TWaveformFeatures f;
        ComputeWaveformFeatures(y, w.SampleRate, w.Threshold, spectrum, f);
    }
    return refused;
}

TEST(TransientMutation, DamagedFlacBlobsAreRefusedAlone) {
    VORELT_REQUIRE_SHARED_DATA("vallen/bearing.tradb", source);
    TTempDir dir;
    TEditableTransients db(source, dir);
    // Keep a few waveforms so that every case reads quickly.
    db.Exec("DELETE FROM tr_data WHERE TRAI > 3");
    const std::string valid = db.Blob(2);
    ASSERT_FALSE(valid.empty());
    TByteMutator mutator(33);
    int refused = 0;
    for (int round = 0; round < 150; ++round) {
        std::string what;
        const std::string damaged = mutator.Mutate(valid, what);
        db.SetBlob(2, damaged);
        SCOPED_TRACE(what);
        const std::vector<int64_t> r = ReadAll(db.Path());
        // Only the damaged waveform may be refused.
        for (int64_t trai : r)
            EXPECT_EQ(trai, 2);
        refused += int(r.size());
    }
    // The stream's checksum and the sample count catch nearly every change.
    EXPECT_GT(refused, 100);
}

TEST(TransientMutation, InconsistentRecordsAreRefusedWithTheirReason) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate_plain.tradb", source);
    TTempDir dir;
    TEditableTransients db(source, dir);
    const std::string raw = db.Blob(1);
    db.SetBlob(1, raw.substr(0, raw.size() - 2)); // one sample short
    db.Exec("UPDATE tr_data SET DataFormat = 7 WHERE TRAI = 2");
    db.Exec("UPDATE tr_data SET Samples = -5 WHERE TRAI = 3");
    TVallenTransients file(db.Path());
    ASSERT_EQ(file.Count(), 4u);
    std::vector<float> y;
    std::string message;
    EXPECT_FALSE(file.Read(size_t(file.FindTrai(1)), y, message));
    EXPECT_NE(message.find("bytes"), std::string::npos) << message;
    EXPECT_FALSE(file.Read(size_t(file.FindTrai(2)), y, message));
    EXPECT_NE(message.find("unknown data format 7"), std::string::npos) << message;
    EXPECT_FALSE(file.Read(size_t(file.FindTrai(3)), y, message));
    EXPECT_NE(message.find("-5 samples"), std::string::npos) << message;
    EXPECT_TRUE(file.Read(size_t(file.FindTrai(4)), y, message)) << message;
    EXPECT_EQ(y.size(), 96944u);
    EXPECT_EQ(file.FindTrai(99), -1);
    EXPECT_FALSE(file.Read(99, y, message));
}

TEST(TransientMutation, FlacBlobWithMoreSamplesThanTheRecordIsRefused) {
    VORELT_REQUIRE_SHARED_DATA("vallen/steel_plate.tradb", source);
    TTempDir dir;
    TEditableTransients db(source, dir);
    db.Exec("UPDATE tr_data SET Samples = 1000 WHERE TRAI = 1");
    db.Exec("UPDATE tr_data SET Samples = Samples + 1 WHERE TRAI = 2");
    EXPECT_EQ(ReadAll(db.Path()), (std::vector<int64_t>{1, 2}));
}

TEST(DispWaveformMutation, DamagedMessagesNeverReadOutside) {
    VORELT_REQUIRE_SHARED_DATA("disp/210527-CH1-15.DTA", source);
    const std::string valid = ReadFileBytes(source);
    // The stretch from the first waveform message to the end: damage goes there, so that the
    // set-up stays and the waveform messages are what is read.
    const size_t first = 83920;
    ASSERT_GT(valid.size(), first);
    const std::string head = valid.substr(0, first), tail = valid.substr(first);
    TTempDir dir;
    TByteMutator mutator(173);
    std::vector<float> y;
    std::string message;
    for (int round = 0; round < 200; ++round) {
        std::string what;
        const std::string path = dir.File("damaged.DTA");
        WriteFileBytes(path, head + mutator.Mutate(tail, what));
        SCOPED_TRACE(what);
        try {
            TDispWaveforms file(path);
            for (const std::string& m : file.Refused())
                EXPECT_NE(m.find(path), std::string::npos) << m;
            for (size_t i = 0; i < file.Count(); ++i) {
                ASSERT_TRUE(file.Read(i, y, message)) << message;
                EXPECT_EQ(int64_t(y.size()), file.Info(i).Samples);
            }
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
}

TEST(DispWaveformMutation, HalfASampleIsRefusedWithTheOffset) {
    VORELT_REQUIRE_SHARED_DATA("disp/210527-CH1-15.DTA", source);
    std::string bytes = ReadFileBytes(source);
    // The first waveform message (at byte 83920) loses its last byte: its length word says so,
    // and the rest of the file still chains.
    const size_t at = 83920;
    const uint16_t len = uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
    ASSERT_EQ(uint8_t(bytes[at + 2]), 173);
    bytes.erase(at + 2 + len - 1, 1);
    PutLE(bytes, at, len - 1, 2);
    TTempDir dir;
    const std::string path = dir.File("short.DTA");
    WriteFileBytes(path, bytes);
    TDispWaveforms file(path);
    EXPECT_EQ(file.Count(), 7u);
    ASSERT_EQ(file.Refused().size(), 1u);
    EXPECT_NE(file.Refused()[0].find("byte 83920"), std::string::npos) << file.Refused()[0];
}

} // namespace
} // namespace vorelt::test
