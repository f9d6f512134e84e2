#pragma once
// Files whose events come from known source positions: for each event a source is drawn on a
// plate or along a straight pipe, and every sensor is hit when the wave reaches it, with
// Gaussian arrival-time noise of a chosen size. The sensors' places, and where each source
// really was, can be written beside the data so that location can be checked against them.

#include <cstdint>
#include <string>
#include <vector>

namespace vorelt {

struct TLocatedOptions {
    std::string FileName;         // the Vallen hit database to write
    std::string Layout = "plate"; // "plate" or "pipe"
    uint64_t Events = 1000;
    double NoiseUs = 0;     // standard deviation of the arrival-time noise
    double Velocity = 5000; // m/s
    uint64_t Seed = 1;
    std::string LayoutFileName; // optional Chan;X;Y;Z of the sensors
    std::string TruthFileName;  // optional Time;X;Y of every source
};

struct TLocatedSource {
    double TimeUs = 0; // when the wave reached the first sensor, as written (0.1 µs steps)
    double X = 0;      // mm; along the pipe for the pipe layout
    double Y = 0;
};

struct TLocatedSensor {
    int Chan;
    double X, Y;
};

// The sensors of a layout ("plate": six sensors on a 1000 mm square plate; "pipe": four
// sensors 3000 mm apart along a straight pipe on the X axis); empty for other names.
std::vector<TLocatedSensor> LocatedLayout(const std::string& layout);

// Writes the file (and the layout and truth files when named); `sources` receives the true
// sources in the order of the events.
bool GenerateLocatedFile(const TLocatedOptions& options, std::vector<TLocatedSource>& sources,
                         std::string& error);

// Command line after the word "located": OUT --layout plate|pipe --events N [--noise-us X]
// [--velocity V] [--seed S] [--sensors FILE] [--truth FILE].
bool ParseLocatedArguments(int argc, const char* const* argv, TLocatedOptions& options, bool& help,
                           std::string& error);
std::string LocatedUsage();

} // namespace vorelt
