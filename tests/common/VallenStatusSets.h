#pragma once
// Real Vallen recordings carry status data sets (set type 3) beside their hits: per channel a
// few dozen records with the channel's energy, threshold and RMS over an interval, and no
// counts, rise time or duration. The shared sample files hold none, so the statistics tests
// add them to a copy the way the acquisition writes them.

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <string>

namespace vorelt::test {

// Appends `perChannel(chan)` status sets to every channel that has hits, spread over the
// recording's time, with the parameters its hits use; together they hold as much energy as
// the channel's hits, as in the recordings of a test day.
// Returns the number of sets added per channel; empty on failure.
template <class TCount>
std::map<int64_t, int> AddVallenStatusSets(const std::string& file, TCount perChannel) {
    std::map<int64_t, int> added;
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return added;
    }
    struct TChannel {
        int64_t ParamID, Thr;
        double Energy, SS;
        int64_t RMS;
    };
    std::map<int64_t, TChannel> channels;
    int64_t firstTime = 0, lastTime = 0, lastSet = 0;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT Chan, MIN(ParamID), MIN(Thr), SUM(Eny), SUM(SS), MIN(RMS) FROM "
                       "ae_data WHERE SetType = 2 GROUP BY Chan",
                       -1, &st, nullptr);
    while (st && sqlite3_step(st) == SQLITE_ROW)
        channels[sqlite3_column_int64(st, 0)] = {
            sqlite3_column_int64(st, 1), sqlite3_column_int64(st, 2), sqlite3_column_double(st, 3),
            sqlite3_column_double(st, 4), sqlite3_column_int64(st, 5)};
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db, "SELECT MIN(Time), MAX(Time), MAX(SetID) FROM ae_data", -1, &st,
                       nullptr);
    if (st && sqlite3_step(st) == SQLITE_ROW) {
        firstTime = sqlite3_column_int64(st, 0);
        lastTime = sqlite3_column_int64(st, 1);
        lastSet = sqlite3_column_int64(st, 2);
    }
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db,
                       "INSERT INTO ae_data (SetID, SetType, Time, Chan, Status, ParamID, Thr, "
                       "Eny, SS, RMS) VALUES (?, 3, ?, ?, 0, ?, ?, ?, ?, ?)",
                       -1, &st, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const auto& [chan, c] : channels) {
        const int n = perChannel(chan);
        for (int i = 0; i < n; ++i) {
            sqlite3_reset(st);
            sqlite3_bind_int64(st, 1, ++lastSet);
            sqlite3_bind_int64(st, 2, firstTime + (lastTime - firstTime) * (i + 1) / (n + 1));
            sqlite3_bind_int64(st, 3, chan);
            sqlite3_bind_int64(st, 4, c.ParamID);
            sqlite3_bind_int64(st, 5, c.Thr);
            sqlite3_bind_int64(st, 6, static_cast<int64_t>(c.Energy / n));
            sqlite3_bind_int64(st, 7, static_cast<int64_t>(c.SS / n));
            sqlite3_bind_int64(st, 8, c.RMS);
            if (sqlite3_step(st) != SQLITE_DONE) {
                sqlite3_finalize(st);
                sqlite3_close(db);
                return {};
            }
        }
        added[chan] = n;
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return added;
}

} // namespace vorelt::test
