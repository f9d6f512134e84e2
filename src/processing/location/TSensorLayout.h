#pragma once
// Where the sensors sit and how fast the wave runs between them: what source location needs
// besides the arrival times. Plain data for the processor, the command line and the views.
// Coordinates are in mm; a sensor on a pipe also knows the pipe's name and its distance along
// that pipe, so that linear location can measure along the pipework instead of straight.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorelt {

class TNodePersist;

enum class TLocMethod : uint8_t { Planar = 0, Linear = 1 };
// Where an event's arrival times come from: the hit times, or the arrivals picked in the hits'
// waveforms ("Arrival Time"), which are sharper when the threshold crossing comes late.
enum class TArrivalSource : uint8_t { HitTime = 0, PickedArrival = 1 };

struct TSensor {
    int32_t Chan = 0;
    double X = 0; // mm
    double Y = 0;
    double Z = 0;
    std::string Pipe; // empty: not placed on a pipe
    double Along = 0; // mm from the pipe's start, when Pipe is set
};

// A sensor at a point, on no pipe.
inline TSensor SensorAt(int32_t chan, double x, double y, double z = 0) {
    TSensor s;
    s.Chan = chan;
    s.X = x;
    s.Y = y;
    s.Z = z;
    return s;
}

class TSensorLayout {
public:
    static constexpr double DefaultVelocity = 5000; // m/s, steel plate
    static constexpr int32_t MaxChannel = 128;

    const std::vector<TSensor>& Sensors() const { return FSensors; }
    int Count() const { return static_cast<int>(FSensors.size()); }
    // The sensor of a channel; none when the channel has no sensor.
    const TSensor* Find(int32_t chan) const;
    // Adds a sensor; refuses a channel outside 1..maxChannel ("Invalid Channel 130") and a
    // channel that already has one ("Duplicate Channel 3").
    bool Add(const TSensor& sensor, std::string& error, int32_t maxChannel = MaxChannel);
    bool Remove(int32_t chan);
    void Clear() { FSensors.clear(); }

    double Velocity() const { return FVelocity; } // m/s
    // mm per µs: what the locators use.
    double VelocityMmPerUs() const { return FVelocity / 1000.0; }
    // Refuses a velocity that is not a positive finite number.
    bool SetVelocity(double metresPerSecond, std::string& error);
    TLocMethod Method() const { return FMethod; }
    void SetMethod(TLocMethod method) { FMethod = method; }
    TArrivalSource Arrival() const { return FArrival; }
    void SetArrival(TArrivalSource arrival) { FArrival = arrival; }

    // The time a wave needs across the widest pair of sensors, in µs: a window that takes
    // every arrival of one source and little else. 0 with fewer than two sensors.
    double CrossingTimeUs() const;

    // "Chan;X;Y[;Z]" lines; the first line may be a header. Decimals take "." or ",". The
    // sensors replace the current ones only when every line is sound; otherwise `error` names
    // the file, the line and the reason.
    bool ParseCsv(std::string_view text, const std::string& fileName, std::string& error,
                  int32_t maxChannel = MaxChannel);
    bool ReadCsv(const std::string& fileName, std::string& error, int32_t maxChannel = MaxChannel);
    // Header and one line per sensor, "." decimals.
    std::string CsvText() const;
    bool WriteCsv(const std::string& fileName, std::string& error) const;

    // Items "Velocity", "Method", "Arrival"; one child "SENSOR" per sensor.
    void SaveToNode(TNodePersist& node) const;
    // Damaged items keep their defaults and damaged sensors are skipped, like the other
    // processor options of a project.
    void LoadFromNode(const TNodePersist& node);

    bool operator==(const TSensorLayout& other) const;

private:
    std::vector<TSensor> FSensors; // ascending channels
    double FVelocity = DefaultVelocity;
    TLocMethod FMethod = TLocMethod::Planar;
    TArrivalSource FArrival = TArrivalSource::HitTime;
};

// The decimal text of a coordinate for files: "." and no more digits than needed.
std::string CoordText(double x);

} // namespace vorelt
