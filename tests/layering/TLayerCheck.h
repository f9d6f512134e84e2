#pragma once
// The layering rule read from cmake/VoreltLayers.cmake and checked against the includes of
// source files: a folder may include its own headers and those of the roots its row lists.

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vorelt::test {

class TLayerCheck {
public:
    // Reads the rows of the layers file; false with a reason when it cannot.
    bool LoadRules(const std::string& layersFile, std::string& error);

    // Include roots (first path component of a quoted include) that files of `unit` may use;
    // empty when the unit is not declared. A unit is "persist", "tools/cli", "tests/model", ...
    const std::set<std::string>* Allowed(const std::string& unit) const;

    // Checks one file's text; every offending line is added to `faults` as
    // "file:line: text: reason".
    void CheckText(const std::string& unit, const std::string& fileName, const std::string& text,
                   std::vector<std::string>& faults) const;

    // Every .h and .cpp under the source tree's src, tools, demo, bench and tests folders.
    void CheckTree(const std::string& sourceDir, std::vector<std::string>& faults) const;

    static std::string UnitOf(const std::string& relativePath);

private:
    std::map<std::string, std::set<std::string>> FAllowed;
    std::set<std::string> FRoots;
    std::set<std::string> FCore;
};

} // namespace vorelt::test
