// The sorted copy against a plain reference: every message in the order of a stable sort by
// time (untimed ones in their slots), written as prefix and body. The copy starts as the whole
// source and rewrites only the stretches out of order, so files whose short and long runs
// interleave, whose displaced runs are long, whose last message is cut off or whose messages
// are not stored one behind the other must all come out as the reference says. The formats'
// one-loop time passes must answer exactly as their per-message hooks.

#include "TTestDriver.h"
#include "TarvelTestFiles.h"
#include "common/TestData.h"
#include "drivers/TByteReader.h"
#include "drivers/disp/TAEDisp.h"
#include "drivers/spartan/TAESpartan.h"
#include "drivers/tarvel/TAETarvelIsa.h"
#include "drivers/tarvel/TAETarvelPci.h"
#include "mkdata/TGenerateDataFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

namespace vorelt {
namespace {

using test::TTarvelFileBuilder;

uint32_t U32At(const std::string& s, uint64_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(s[at + static_cast<uint64_t>(i)]);
    return v;
}

void Put(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The reference copy: `timeOf` gives a position's time or nothing (NoTime), `prefix` a message's
// prefix bytes; the header item goes out as stored.
std::string ReferenceCopy(const TAEDriverDb& d, const std::string& source,
                          const std::function<int64_t(const TDriverIndexItem&)>& timeOf,
                          const std::function<std::string(const TDriverIndexItem&)>& prefix) {
    const auto& index = d.Index();
    std::vector<size_t> timed;
    for (size_t i = 0; i < index.size(); ++i)
        if (timeOf(index[i]) != NoTime) timed.push_back(i);
    std::vector<size_t> sorted = timed;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](size_t a, size_t b) { return timeOf(index[a]) < timeOf(index[b]); });
    std::vector<size_t> order(index.size());
    for (size_t i = 0; i < index.size(); ++i)
        order[i] = i;
    for (size_t k = 0; k < timed.size(); ++k)
        order[timed[k]] = sorted[k];
    std::string out;
    for (size_t pos : order) {
        const TDriverIndexItem& item = index[pos];
        if (item.Kind != ikHeader) out += prefix(item);
        out.append(source, item.Offset, item.Size);
    }
    return out;
}

template <class TDriver> struct TSorted {
    test::TTempDir Dir;
    TDriver Driver;
    std::string Source;
    std::string Copy;
    std::vector<std::pair<uint64_t, uint64_t>> Progress;

    // `replacement`: bytes that take the data file's name after it was opened.
    explicit TSorted(const std::string& bytes, const std::string& replacement = {})
        : Source(bytes) {
        const std::string path = Dir.File("data.dta");
        test::WriteFileBytes(path, bytes);
        std::string message;
        EXPECT_TRUE(Driver.Open(path, message) && Driver.Load(message) &&
                    Driver.Initialize(message))
            << message;
        if (!replacement.empty()) {
            test::WriteFileBytes(Dir.File("other.dta"), replacement);
            std::filesystem::rename(Dir.File("other.dta"), path);
        }
        Driver.SetOnProgress([this](uint64_t done, uint64_t total) {
            Progress.push_back({done, total});
        });
        EXPECT_TRUE(Driver.SortToFile(Dir.File("sorted.dta"), message)) << message;
        Copy = test::ReadFileBytes(Dir.File("sorted.dta"));
    }
};

int64_t TarvelTime(const std::string& source, const TDriverIndexItem& item) {
    return static_cast<int64_t>(U32At(source, item.Offset)) * 1000000 +
           static_cast<int64_t>(U32At(source, item.Offset + 4));
}

template <class TDriver> std::string TarvelReference(const TSorted<TDriver>& s, bool pci) {
    const std::string& src = s.Source;
    auto timeOf = [&](const TDriverIndexItem& item) -> int64_t {
        if (item.Kind == ikHeader) return NoTime;
        if (pci && (item.Kind > 6 || item.Size < 8)) return NoTime;
        return TarvelTime(src, item);
    };
    auto prefix = [&](const TDriverIndexItem& item) {
        std::string p;
        if (pci) {
            Put(p, item.Extra, 2);
            Put(p, item.Size, 2);
        } else {
            Put(p, item.Kind, 4);
        }
        return p;
    };
    return ReferenceCopy(s.Driver, src, timeOf, prefix);
}

// Progress runs from 0 to the message count without going back.
template <class TDriver> void ExpectProgress(const TSorted<TDriver>& s) {
    const auto n = static_cast<uint64_t>(s.Driver.Count());
    ASSERT_FALSE(s.Progress.empty());
    EXPECT_EQ(s.Progress.front().first, 0u);
    EXPECT_EQ(s.Progress.back(), std::make_pair(n, n));
    for (size_t i = 0; i < s.Progress.size(); ++i) {
        EXPECT_EQ(s.Progress[i].second, n);
        if (i > 0) {
            EXPECT_GE(s.Progress[i].first, s.Progress[i - 1].first);
        }
    }
}

// Hits in time order from `t` on, `step` microseconds apart.
int64_t IsaRun(TTarvelFileBuilder& b, int count, int64_t t, int64_t step) {
    for (int i = 0; i < count; ++i, t += step)
        b.IsaMessage(i % 9 == 0 ? 4 : 0, t,
                     TTarvelFileBuilder::IsaHitBody(i % 9 == 0, static_cast<uint8_t>(i % 2), 100, 1,
                                                    1, 1, 1));
    return t;
}

// Two boards hand over buffered hits: each board's hits in order, the merged stream not.
int64_t IsaHandOver(TTarvelFileBuilder& b, int pairs, int64_t t) {
    for (int board = 0; board < 2; ++board)
        for (int i = 0; i < pairs; ++i)
            b.IsaMessage(board == 0 ? 0 : 4, t + 10 * (2 * i + board),
                         TTarvelFileBuilder::IsaHitBody(board == 1, static_cast<uint8_t>(board),
                                                        100, 1, 1, 1, 1));
    return t + 20 * pairs;
}

// About 1.3 MB of hits: longer than the runs that are copied inside the system.
constexpr int LongRun = 30000;

TEST(SortedCopy, IsaShortAndLongRunsInterleave) {
    TTarvelFileBuilder b(false, 2);
    int64_t t = IsaRun(b, LongRun, 1000, 10);
    t = IsaHandOver(b, 3, t);
    t = IsaRun(b, 200, t, 10); // a short run between two stretches
    t = IsaHandOver(b, 5, t);
    b.IsaMessage(1, t - 5000, TTarvelFileBuilder::IsaSystemBody(2, 1, 8)); // a late gain change
    t = IsaRun(b, 5000, t, 10);
    t = IsaHandOver(b, 2, t);
    IsaRun(b, LongRun, t, 10);
    TSorted<TAETarvelIsa> s(b.Bytes());
    ASSERT_EQ(s.Copy.size(), s.Source.size());
    EXPECT_TRUE(s.Copy == TarvelReference(s, false));
    EXPECT_FALSE(s.Copy == s.Source);
    ExpectProgress(s);
}

TEST(SortedCopy, ALargeFileIsCopiedBesideTheTimePassAndPatched) {
    // Large enough that the bytes are copied on a second thread while the times are read.
    TTarvelFileBuilder b(false, 2);
    int64_t t = 1000;
    for (int round = 0; round < 14; ++round) {
        t = IsaRun(b, LongRun, t, 10);
        t = IsaHandOver(b, 2 + round % 3, t);
    }
    b.IsaMessage(2, -50, std::vector<uint8_t>(40, 7)); // the earliest of all, at the end
    b.Raw({0, 0, 0, 0, 1, 2, 3});
    TSorted<TAETarvelIsa> s(b.Bytes());
    ASSERT_GT(s.Source.size(), size_t{16} << 20);
    EXPECT_EQ(s.Copy.size(), s.Source.size() - 7);
    EXPECT_TRUE(s.Copy == TarvelReference(s, false));
    ExpectProgress(s);
}

TEST(SortedCopy, IsaLongRunsThatChangePlaces) {
    // A block recorded late in the file belongs before a long block: both runs move.
    TTarvelFileBuilder b(false, 2);
    int64_t t = IsaRun(b, 1000, 0, 10);
    IsaRun(b, LongRun, t + 10000000, 10);
    t = IsaRun(b, LongRun + 7, t, 10);
    IsaRun(b, 100, t + 20000000, 10);
    TSorted<TAETarvelIsa> s(b.Bytes());
    EXPECT_TRUE(s.Copy == TarvelReference(s, false));
}

TEST(SortedCopy, IsaEarliestMessageLastAndACutOffEnd) {
    // The last whole message is the earliest: everything after the header moves by one
    // message, and the bytes of the cut-off message after it are left out.
    TTarvelFileBuilder b(false, 2);
    IsaRun(b, LongRun + 5000, 1000, 10);
    b.IsaMessage(2, -50, std::vector<uint8_t>(40, 7));
    b.Raw({0, 0, 0, 0, 1, 2, 3});
    TSorted<TAETarvelIsa> s(b.Bytes());
    EXPECT_EQ(s.Copy.size(), s.Source.size() - 7);
    EXPECT_TRUE(s.Copy == TarvelReference(s, false));
    ExpectProgress(s);
}

TEST(SortedCopy, AFileThatTookTheSourcesNameIsNotCopied) {
    // The copy is made of the file that was opened, even when another file of the same size
    // has taken its name since.
    TTarvelFileBuilder b(false, 2);
    int64_t t = IsaRun(b, 20000, 1000, 10);
    t = IsaHandOver(b, 3, t);
    IsaRun(b, 20000, t, 10);
    std::string other = b.Bytes();
    for (size_t i = b.HeaderSize(); i < other.size(); ++i)
        other[i] = static_cast<char>(other[i] ^ 0x5A);
    TSorted<TAETarvelIsa> s(b.Bytes(), other);
    EXPECT_TRUE(s.Copy == TarvelReference(s, false));
}

TEST(SortedCopy, SortedIsaFileComesOutUnchanged) {
    TTarvelFileBuilder b(false, 2);
    IsaRun(b, 3000, 1000, 10);
    TSorted<TAETarvelIsa> s(b.Bytes());
    EXPECT_TRUE(s.Copy == s.Source);
}

TEST(SortedCopy, PciUntimedAndOddMessagesInsideStretches) {
    TTarvelFileBuilder b(true, 2);
    std::mt19937 random(3);
    int64_t t = 100;
    auto hit = [&](int64_t at, bool longForm) {
        b.PciMessage(longForm ? 5 : 0, at,
                     TTarvelFileBuilder::PciHitBody(longForm, 1, 100, 1, 1, 1, 1, 3));
    };
    for (int i = 0; i < 60000; ++i) {
        const unsigned what = random() % 2000;
        if (what == 0) {
            // A stretch with text marks, a type with the low byte 255, a body too short for a
            // time and a noise message of kind 4 between its timed messages.
            hit(t + 40, false);
            b.PciTextMark("mark");
            b.PciMessage(0x01FF, 0, std::vector<uint8_t>(10, 1));
            hit(t + 10, true);
            b.PciMessage(3, 0, std::vector<uint8_t>(4, 2));
            b.PciMessage(4, t + 20, TTarvelFileBuilder::PciChannelBody(1));
            b.PciMessage(0x0106, t + 30, std::vector<uint8_t>(8, 0));
            t += 50;
        } else if (what == 1) {
            b.PciTextMark("alone");
        } else {
            hit(t += 1 + static_cast<int64_t>(random() % 5), random() % 4 == 0);
        }
    }
    b.PciMessage(6, 50, std::vector<uint8_t>(8, 0)); // the earliest time mark, last
    TSorted<TAETarvelPci> s(b.Bytes());
    EXPECT_EQ(s.Copy.size(), s.Source.size());
    EXPECT_TRUE(s.Copy == TarvelReference(s, true));
    ExpectProgress(s);
}

// The test format with messages that are not stored as the copy writes them: kind-9 messages
// are left out of the index (their bytes stay in the file as gaps), and kind 3 is written with
// the prefix of kind 4. The copy is then written message by message.
class TUnevenDriver : public test::TTestDriver {
public:
    bool Load(std::string& message) override {
        if (!TTestDriver::Load(message)) return false;
        std::vector<TDriverIndexItem> items(FIndex.begin(), FIndex.end());
        FIndex.clear();
        for (const TDriverIndexItem& item : items)
            if (item.Kind != 9) FIndex.push_back(item);
        return true;
    }

protected:
    size_t MessagePrefix(const TDriverIndexItem& item, uint8_t* out) const override {
        const size_t n = TTestDriver::MessagePrefix(item, out);
        if (item.Kind == 3) out[0] = 4;
        return n;
    }
};

std::string TestFormatReference(const TSorted<TUnevenDriver>& s) {
    auto timeOf = [&](const TDriverIndexItem& item) -> int64_t {
        if (item.Kind != 0 && item.Kind != 1) return NoTime;
        return item.Size >= 4 ? U32At(s.Source, item.Offset) : 0;
    };
    auto prefix = [](const TDriverIndexItem& item) {
        std::string p;
        Put(p, item.Kind == 3 ? 4 : item.Kind, 1);
        Put(p, item.Size, 2);
        return p;
    };
    return ReferenceCopy(s.Driver, s.Source, timeOf, prefix);
}

TEST(SortedCopy, MessagesNotStoredAsWrittenAreWrittenOneByOne) {
    for (const bool gaps : {false, true}) {
        SCOPED_TRACE(gaps ? "gaps" : "changed prefix");
        test::TTestFileBuilder b;
        uint32_t t = 10;
        // Runs in order longer and shorter than a megabyte, stretches out of order, and the
        // uneven messages.
        for (int i = 0; i < 300000; ++i) {
            if (i % 130000 == 5) {
                b.Hit(t + 30, 1, 1).Comment("c").Hit(t + 10, 2, 2).Mark(t + 20);
                t += 40;
            }
            if (i == 150000) b.Raw(gaps ? 9 : 3, {1, 2, 3});
            if (i == 260000) b.Raw(gaps ? 9 : 3, {4});
            b.Hit(t += 2, static_cast<uint8_t>(1 + i % 3), 5);
        }
        if (gaps) b.Hit(1, 1, 1); // the earliest last: one stretch from the first hit on
        TSorted<TUnevenDriver> s(b.Bytes());
        const std::string expected = TestFormatReference(s);
        EXPECT_EQ(s.Copy.size(), expected.size());
        EXPECT_TRUE(s.Copy == expected);
        ExpectProgress(s);
    }
}

// The one-loop time passes of the Tarvel drivers against the base's per-message answer, over
// views that hold all, some or none of the messages' bytes.
template <class TBase> class THookProbe : public TBase {
public:
    bool Fast(int32_t first, int32_t count, const std::string& file, uint64_t lo, uint64_t hi,
              std::vector<int64_t>& times) const {
        times.assign(static_cast<size_t>(count), 0);
        const auto* data = reinterpret_cast<const uint8_t*>(file.data());
        const typename TBase::TFileView view{data + lo, lo, hi - lo};
        return this->MessageTimes(first, count, view, times.data());
    }
    bool Generic(int32_t first, int32_t count, std::vector<int64_t>& times) const {
        times.assign(static_cast<size_t>(count), 0);
        return this->TAEDriverDb::MessageTimes(first, count, {}, times.data());
    }
    // Makes a message read as not stored: another type word, or (with the next message moved
    // along, so that the messages still follow each other) a size its length word does not
    // give.
    void Unstore(int32_t pos, bool pci, bool size) {
        std::vector<TDriverIndexItem> items(this->FIndex.begin(), this->FIndex.end());
        TDriverIndexItem& item = items[static_cast<size_t>(pos)];
        if (size) {
            item.Size += 1;
            items[static_cast<size_t>(pos) + 1].Offset += 1;
        } else if (pci) {
            item.Extra ^= 0x0100;
        } else {
            item.Kind = item.Kind == 0 ? 4 : 0;
        }
        this->FIndex.clear();
        for (const TDriverIndexItem& i : items)
            this->FIndex.push_back(i);
    }
};

template <class TBase> void ExpectHookAgrees(const std::string& bytes, bool pci) {
    test::TTempDir dir;
    const std::string path = dir.File("data.dta");
    test::WriteFileBytes(path, bytes);
    THookProbe<TBase> d;
    std::string message;
    ASSERT_TRUE(d.Open(path, message) && d.Load(message)) << message;
    const int32_t n = d.Count();
    std::mt19937 random(9);
    for (int round = 0; round < 300; ++round) {
        if (round == 100) d.Unstore(n / 3, pci, true);
        if (round == 200) d.Unstore(n / 2, pci, false);
        const auto first = static_cast<int32_t>(random() % static_cast<unsigned>(n));
        const auto count = 1 + static_cast<int32_t>(random() % static_cast<unsigned>(n - first));
        uint64_t lo = random() % bytes.size();
        uint64_t hi = random() % (bytes.size() + 1);
        if (round % 3 == 0) lo = 0, hi = bytes.size(); // the whole file
        if (lo > hi) std::swap(lo, hi);
        std::vector<int64_t> fast, generic;
        const bool fastWhole = d.Fast(first, count, bytes, lo, hi, fast);
        EXPECT_EQ(fastWhole, d.Generic(first, count, generic)) << first << " " << count;
        EXPECT_EQ(fast, generic) << first << " " << count << " " << lo << " " << hi;
    }
}

TEST(SortedCopy, TarvelTimePassesAnswerAsTheirMessageHooks) {
    TTarvelFileBuilder isa(false, 2);
    IsaRun(isa, 300, -20, 7);
    isa.IsaMessage(1, 5, TTarvelFileBuilder::IsaSystemBody(2, 0, 8));
    isa.IsaMessage(3, 1, std::vector<uint8_t>(24, 0));
    isa.Raw({0, 0, 0, 0, 9, 9, 9, 9, 9});
    ExpectHookAgrees<TAETarvelIsa>(isa.Bytes(), false);

    TTarvelFileBuilder pci(true, 2);
    for (int i = 0; i < 100; ++i) {
        pci.PciMessage(0, 3 * i, TTarvelFileBuilder::PciHitBody(false, 1, 100, 1, 1, 1, 1));
        if (i % 10 == 0) pci.PciTextMark("m");
        if (i % 15 == 0) pci.PciMessage(0x01FF, i, std::vector<uint8_t>(10, 0));
        if (i % 20 == 0) pci.PciMessage(2, 0, std::vector<uint8_t>(4, 0));
        if (i % 25 == 0) pci.PciMessage(6, 0, {});
    }
    pci.PciMessage(0, 2, std::vector<uint8_t>(30, 0));
    pci.Raw({0, 0, 40, 0, 1, 2});
    ExpectHookAgrees<TAETarvelPci>(pci.Bytes(), true);
}

// A small generated file of the format with a message cut off by the end after it.
std::string GeneratedWithCutEnd(const char* format, const std::string& cut) {
    test::TTempDir dir;
    TGenerateOptions options;
    options.Format = format;
    options.FileName = dir.File("gen.dat");
    options.Hits = 400;
    options.Channels = 3;
    options.Seed = 4;
    TDataManifest manifest;
    std::string error;
    EXPECT_TRUE(GenerateDataFile(options, manifest, error)) << error;
    return test::ReadFileBytes(options.FileName) + cut;
}

TEST(SortedCopy, DispAndSpartanTimePassesAnswerAsTheirMessageHooks) {
    ExpectHookAgrees<TAEDisp>(GeneratedWithCutEnd("disp", std::string("\x05\x00\x01\x02", 4)),
                              true);
    ExpectHookAgrees<TAESpartan>(GeneratedWithCutEnd("spartan", "\x01\x02\x03"), false);
}

TEST(SortedCopy, FieldDispFilesTimePassAnswersAsItsMessageHooks) {
    // Sub-identified messages and the setup messages of real recordings.
    for (const char* name : {"disp/210527-CH1-15.DTA", "disp/260114-4ch-1para.DTA"}) {
        VORELT_REQUIRE_SHARED_DATA(name, shared);
        ExpectHookAgrees<TAEDisp>(test::ReadFileBytes(shared), true);
    }
}

} // namespace
} // namespace vorelt
