#include "project/TStatusText.h"

#include <iterator>

namespace vorelt {

std::string StateName(uint8_t state) {
    static const char* const names[] = {"None",  "Open",    "Opening", "Load", "Loading",
                                        "Close", "Closing", "Saving",  "Init", "Ready"};
    return state < std::size(names) ? names[state] : "";
}

std::string StatusWithWarnings(const std::string& state, const std::vector<std::string>& warnings) {
    std::string text = state;
    for (const std::string& w : warnings)
        text += "; warning: " + w;
    return text;
}

} // namespace vorelt
