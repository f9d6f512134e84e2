#include "cli/TRecordTextBlocks.h"

#include "cli/TRecordBatches.h"
#include "drivers/TRecordSinks.h"
#include "model/TAERecord.h"
#include "model/TAERecordProtocol.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace vorelt::cli {

TRecordTextBlocks::TRecordTextBlocks(TAEDriverDb& driver, const TAEListFields& layout,
                                     uint16_t kinds, std::vector<size_t> columns, unsigned threads)
    : FDriver(driver), FLayout(layout), FKinds(kinds), FColumns(std::move(columns)) {
    FBlocks = (static_cast<int64_t>(driver.Count()) + BlockPositions - 1) / BlockPositions;
    FDone = FBlocks == 0;
    for (unsigned i = 0; i < std::max(threads, 1u); ++i)
        FThreads.emplace_back([this] { Work(); });
}

TRecordTextBlocks::~TRecordTextBlocks() {
    Stop();
}

const TTextBlock* TRecordTextBlocks::Next() {
    if (FDone) return nullptr;
    std::unique_lock lock(FMutex);
    const size_t slot = static_cast<size_t>(FTake % Slots);
    FChanged.wait(lock, [&] { return FFilled[slot]; });
    return &FSlots[slot];
}

void TRecordTextBlocks::Release() {
    {
        std::lock_guard lock(FMutex);
        const size_t slot = static_cast<size_t>(FTake % Slots);
        FDone = FSlots[slot].Last;
        FFilled[slot] = false;
        ++FTake;
    }
    FChanged.notify_all();
}

void TRecordTextBlocks::Stop() {
    {
        std::lock_guard lock(FMutex);
        FStop = true;
    }
    FChanged.notify_all();
    for (std::thread& t : FThreads)
        if (t.joinable()) t.join();
}

void TRecordTextBlocks::Work() {
    // Everything a record passes through belongs to this thread.
    TAERecord record;
    record.BuildForLayout(FLayout);
    std::optional<TRecordCellSink> sink;
    sink.emplace(record, FColumns);
    if (!sink->Usable()) sink.reset();
    TRecordBatch row;
    row.Cells.resize(FColumns.size());
    std::string lines;
    TRecordTextWriter text(lines);
    for (;;) {
        int64_t block = 0;
        {
            std::unique_lock lock(FMutex);
            FChanged.wait(lock,
                          [&] { return FStop || FGiven >= FBlocks || FGiven < FTake + Slots; });
            if (FStop || FGiven >= FBlocks) return;
            block = FGiven++;
        }
        TTextBlock& b = FSlots[static_cast<size_t>(block % Slots)];
        b.Failed = false;
        b.Message.clear();
        try {
            Fill(b, block, record, sink, row, text);
        } catch (const std::exception& e) {
            b.Failed = true;
            b.Message = e.what();
        }
        text.Flush();
        b.Text.swap(lines);
        lines.clear();
        b.Last = b.Last || b.Failed;
        {
            std::lock_guard lock(FMutex);
            FFilled[static_cast<size_t>(block % Slots)] = true;
        }
        FChanged.notify_all();
    }
}

void TRecordTextBlocks::Fill(TTextBlock& b, int64_t block, TAERecord& record,
                             std::optional<TRecordCellSink>& sink, TRecordBatch& row,
                             TRecordTextWriter& text) {
    const auto first = static_cast<int32_t>(block * BlockPositions);
    const int32_t end = std::min(first + BlockPositions, FDriver.Count());
    b.LastPosition = -1;
    b.Last = block == FBlocks - 1;
    TAEPNav nav;
    nav.Kinds = FKinds;
    for (int32_t p = first; p < end; ++p) {
        if (!KindAdmitted(FKinds, FDriver.RecordKind(p))) continue;
        if (sink) {
            row.Texts.clear();
            sink->Begin(row.Cells.data(), row.Texts);
            if (FDriver.ReadCells(p, *sink)) {
                row.WriteLine(0, FColumns.size(), text);
                b.LastPosition = p;
                continue;
            }
            // A value the cells could not take as it is will come again in the next records.
            if (sink->Missed()) sink.reset();
        }
        FDriver.ReadRecord(nav, record, p);
        if (nav.Out.Status & nsError) {
            b.Failed = true;
            b.Message = nav.Out.Message;
            return;
        }
        for (size_t column : FColumns)
            text.Add(*record.FlatFields()[column]);
        text.EndLine();
        b.LastPosition = p;
    }
}

} // namespace vorelt::cli
