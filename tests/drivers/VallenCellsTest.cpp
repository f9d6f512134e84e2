// The Vallen driver's values straight into cells (ReadCells, used by the text dump) against
// the same records read through ReadRecord: random databases with every kind of row, scaling
// set-up and mark, read in a random order so that the converter's caches stand between, and
// the real files.

#include "VallenTestSupport.h"
#include "common/TestData.h"
#include "drivers/TRecordSinks.h"
#include "drivers/vallen/TAEVallen.h"
#include "model/TAEFieldValue.h"
#include "model/TAEListFields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace vorelt {
namespace {

using test::CopyToTemp;
using test::MakeDatabase;
using test::OpenVallen;
using test::TTempDir;

// One cell as text, comparable and readable in a failure: floats by their bits.
std::string Describe(const TRecordCell& c, const std::string& texts) {
    switch (c.Kind) {
    case TRecordCell::Null:
        return "null";
    case TRecordCell::Float: {
        unsigned char bytes[sizeof(long double)] = {};
        std::memcpy(bytes, &c.Value.Float, 10);
        std::string s = "float ";
        for (int i = 9; i >= 0; --i)
            s += "0123456789abcdef"[bytes[i] >> 4], s += "0123456789abcdef"[bytes[i] & 15];
        return s + " (" + std::to_string(static_cast<double>(c.Value.Float)) + ")";
    }
    case TRecordCell::Int:
        return "int " + std::to_string(c.Value.Int);
    case TRecordCell::Boolean:
        return c.Value.Boolean ? "true" : "false";
    case TRecordCell::Text:
        return "text '" + texts.substr(c.Value.Text.Offset, c.Value.Text.Size) + "'";
    case TRecordCell::List: {
        std::string s = "list";
        if (c.Value.List)
            for (uint8_t v : *c.Value.List)
                s += " " + std::to_string(v);
        return s;
    }
    }
    return "?";
}

// The field's value as a cell, as the dump takes it out of a record.
std::string Describe(const TAEField& f) {
    TRecordCell c;
    std::string texts;
    if (f.IsNull()) {
        c.Kind = TRecordCell::Null;
    } else if (f.DataType() == dtListInteger) {
        c.Kind = TRecordCell::List;
        c.Value.List = static_cast<const TAEChannelList*>(f.GetValuePtr());
    } else if (f.ValueFamily() == vfFloat) {
        c.Kind = TRecordCell::Float;
        c.Value.Float = static_cast<const TAEExtendedField&>(f).Value();
    } else if (f.ValueFamily() == vfInteger) {
        c.Kind = TRecordCell::Int;
        c.Value.Int = static_cast<const TAEIntegerField&>(f).Value();
    } else if (f.ValueFamily() == vfBoolean) {
        c.Kind = TRecordCell::Boolean;
        c.Value.Boolean = static_cast<const TAEBooleanField&>(f).Value();
    } else {
        texts = f.GetAsString();
        c.Kind = TRecordCell::Text;
        c.Value.Text = {0, static_cast<uint32_t>(texts.size())};
    }
    return Describe(c, texts);
}

// Every record through ReadRecord, then through ReadCells in a shuffled order, over `columns`
// (flat positions). Data sets must come through the cells; markers may not.
void ExpectCellsMatchRecords(TAEDriverDb& driver, std::vector<size_t> columns, uint32_t seed) {
    TAEListFields layout;
    driver.GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    const int32_t n = driver.Count();
    std::vector<std::vector<std::string>> want(static_cast<size_t>(n));
    TAEPNav nav;
    for (int32_t p = 0; p < n; ++p) {
        driver.ReadRecord(nav, record, p);
        ASSERT_FALSE(nav.Out.Status & nsError) << nav.Out.Message;
        for (size_t c : columns)
            want[static_cast<size_t>(p)].push_back(Describe(*record.FlatFields()[c]));
    }
    TRecordCellSink sink(record, columns);
    ASSERT_TRUE(sink.Usable());
    std::vector<int32_t> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::mt19937 random(seed);
    std::shuffle(order.begin(), order.end(), random);
    std::vector<TRecordCell> cells(columns.size());
    size_t viaCells = 0, data = 0;
    for (int32_t p : order) {
        std::string texts = "earlier texts";
        sink.Begin(cells.data(), texts);
        const uint8_t kind = driver.Index().Kind(static_cast<size_t>(p));
        const bool isData = kind == 1 || kind == 2 || kind == 3;
        data += isData;
        if (!driver.ReadCells(p, sink)) {
            EXPECT_FALSE(isData) << "data set at " << p << " not read into cells";
            continue;
        }
        ++viaCells;
        for (size_t i = 0; i < columns.size(); ++i)
            EXPECT_EQ(Describe(cells[i], texts), want[static_cast<size_t>(p)][i])
                << "record " << p << ", field " << record.FlatFields()[columns[i]]->ID();
    }
    EXPECT_EQ(viaCells, data);
}

std::vector<size_t> AllColumns(TAEDriverDb& driver) {
    TAEListFields layout;
    driver.GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    std::vector<size_t> all(record.FlatFields().size());
    std::iota(all.begin(), all.end(), 0);
    return all;
}

// A database of random rows over a random scaling set-up.
std::vector<std::string> RandomDatabase(std::mt19937& random) {
    auto pick = [&](std::initializer_list<const char*> options) {
        return std::string(options.begin()[random() % options.size()]);
    };
    std::vector<std::string> s = test::MinimalVallenSchema();
    s.push_back("UPDATE ae_fieldinfo SET Factor = " +
                pick({"1e-7", "1e-6", "0", "2.5e-7", "NULL"}) + " WHERE field = 'Time'");
    s.push_back("UPDATE ae_fieldinfo SET Factor = " + pick({"0.1", "0", "NULL", "0.25"}) +
                " WHERE field = 'RiseT'");
    s.push_back("UPDATE ae_fieldinfo SET Factor = " + pick({"0.1", "0", "NULL", "3"}) +
                " WHERE field = 'Dur'");
    s.push_back("UPDATE ae_fieldinfo SET Factor = " + pick({"0.0065536", "0", "NULL"}) +
                ", Unit = '" + pick({"[\xC2\xB5V]", "[mV]", "[V]", ""}) + "' WHERE field = 'RMS'");
    if (random() % 3 == 0)
        s.push_back("DELETE FROM ae_fieldinfo WHERE field = '" +
                    pick({"Time", "Amp", "Thr", "Counts", "Eny", "Chan"}) + "'");
    if (random() % 3 == 0)
        s.push_back("INSERT INTO ae_fieldinfo VALUES ('Amp','[\xC2\xB5V]',4,'ADC_TE',NULL)");
    s.push_back("INSERT INTO ae_params VALUES (2, 2, 2, " + pick({"10.0", "0", "-1", "0.3"}) +
                ", " + pick({"4.0", "0", "1e-3"}) + ")");
    s.push_back("INSERT INTO ae_params VALUES (3, 3, 3, 1.5, 2.0)");
    std::string rows;
    int64_t time = 0;
    for (int id = 1; id <= 700; ++id) {
        const int type = static_cast<int>(random() % 9) > 6 ? 4 + static_cast<int>(random() % 4)
                                                            : 1 + static_cast<int>(random() % 3);
        switch (random() % 6) {
        case 0:
            time = (time / 10000000 + 1) * 10000000; // a whole second
            break;
        case 1:
            time += 10000000 - time % 10000000 - 1; // a tick before the next
            break;
        case 2:
            time += 1000000000LL * static_cast<int64_t>(random() % 50); // hours on
            break;
        default:
            time += static_cast<int64_t>(random() % 30000);
        }
        auto value = [&](int64_t range) -> std::string {
            switch (random() % 12) {
            case 0:
                return "NULL";
            case 1:
                return "0";
            case 2:
                return std::to_string(-static_cast<int64_t>(random() % 100));
            case 3:
                return std::to_string((int64_t{1} << 33) + static_cast<int64_t>(random() % 9));
            default:
                return std::to_string(
                    static_cast<int64_t>(random() % static_cast<uint32_t>(range)));
            }
        };
        const std::string param = pick({"1", "2", "3", "NULL", "99"});
        rows += std::string(rows.empty() ? "" : ",") + "(" + std::to_string(id) + "," +
                std::to_string(type) + "," + std::to_string(time) + "," +
                std::to_string(random() % 4) + "," + param + "," + value(3000) + "," +
                value(30000) + "," + value(5000) + "," + value(100000) + "," + value(1 << 30) +
                "," + value(20000) + "," + value(1000) + ")";
        if (type >= 4 && type <= 6)
            s.push_back("INSERT INTO ae_markers VALUES (" + std::to_string(id) + ", 1, '" +
                        pick({"RESUME", "end of test", "TIME MARK", "note", ""}) + "')");
    }
    s.push_back("INSERT INTO ae_data (SetID, SetType, Time, Chan, ParamID, Thr, Amp, RiseT, Dur, "
                "Eny, RMS, Counts) VALUES " +
                rows);
    return s;
}

TEST(VallenCellsTest, RandomDatabasesGiveTheValuesOfTheirRecords) {
    RegisterVallenDriver();
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        TTempDir dir;
        const std::string file = dir.File("random.pridb");
        MakeDatabase(file, RandomDatabase(random));
        std::unique_ptr<TAEDriverDb> driver = OpenVallen(file);
        ASSERT_TRUE(driver);
        // Marks change Deleted and Selected.
        TAEOMSG del;
        del.Msg = omDeleteGroup;
        TAEOMSG sel;
        sel.Msg = omSelectGroup;
        for (int32_t p = 0; p < driver->Count(); ++p) {
            if (random() % 7 == 0) del.List.push_back(p);
            if (random() % 5 == 0) sel.List.push_back(p);
        }
        driver->HandleMessage(del);
        driver->HandleMessage(sel);
        // Every column, then some in a random order.
        std::vector<size_t> columns = AllColumns(*driver);
        ExpectCellsMatchRecords(*driver, columns, seed);
        std::shuffle(columns.begin(), columns.end(), random);
        columns.resize(1 + random() % columns.size());
        ExpectCellsMatchRecords(*driver, columns, seed + 100);
    }
}

TEST(VallenCellsTest, RealFilesGiveTheValuesOfTheirRecords) {
    RegisterVallenDriver();
    for (const char* name : {"vallen/steel_plate.pridb", "vallen/bearing.pridb"}) {
        VORELT_REQUIRE_SHARED_DATA(name, source);
        TTempDir dir;
        std::unique_ptr<TAEDriverDb> driver = OpenVallen(CopyToTemp(source, dir));
        ASSERT_TRUE(driver);
        ExpectCellsMatchRecords(*driver, AllColumns(*driver), 7);
    }
}

// A value its field would convert, or a column named twice, cannot be a cell: the consumer
// then reads records.
TEST(VallenCellsTest, CellsRefuseWhatTheFieldsWouldConvert) {
    TAEVallen driver;
    TAEListFields layout;
    driver.GetFields(&layout);
    TAERecord record;
    record.BuildForLayout(layout);
    const int time = driver.FieldPos(fidTime), chan = driver.FieldPos(fidChan);
    const std::vector<size_t> twice = {static_cast<size_t>(time), static_cast<size_t>(time)};
    EXPECT_FALSE(TRecordCellSink(record, twice).Usable());

    const std::vector<size_t> columns = {static_cast<size_t>(time), static_cast<size_t>(chan)};
    TRecordCellSink sink(record, columns);
    ASSERT_TRUE(sink.Usable());
    TRecordCell cells[2];
    std::string texts;
    sink.Begin(cells, texts);
    sink.Float(time, 1.5L);
    sink.Int(chan, 3);
    EXPECT_FALSE(sink.Missed());
    EXPECT_EQ(cells[0].Kind, TRecordCell::Float);
    EXPECT_EQ(cells[1].Kind, TRecordCell::Int);
    sink.Float(chan, 2.5L); // an integer field would round it
    EXPECT_TRUE(sink.Missed());
    sink.Begin(cells, texts);
    EXPECT_FALSE(sink.Missed());
    EXPECT_EQ(cells[0].Kind, TRecordCell::Null);
}

} // namespace
} // namespace vorelt
