#include "TLayerCheck.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace vorelt::test {

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, sep))
        if (!part.empty()) out.push_back(part);
    return out;
}

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The row name of a folder of src/ or of the outer folders as a root seen by includes:
// tools/mkdata is included as "mkdata/...", tools/cli as "cli/...".
std::string RootName(const std::string& unit) {
    const size_t slash = unit.rfind('/');
    return slash == std::string::npos ? unit : unit.substr(slash + 1);
}

} // namespace

bool TLayerCheck::LoadRules(const std::string& layersFile, std::string& error) {
    std::ifstream in(layersFile);
    if (!in) {
        error = layersFile + ": cannot be read";
        return false;
    }
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    static const std::regex row("\"([a-z0-9/]+):([a-z0-9,]*)\"");
    static const std::regex core("set\\(VORELT_CORE_LIBS([^)]*)\\)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), row);
         it != std::sregex_iterator(); ++it) {
        const std::string unit = (*it)[1];
        std::set<std::string> allowed{RootName(unit)};
        for (const std::string& dep : Split((*it)[2], ','))
            allowed.insert(dep);
        FAllowed[unit] = allowed;
        FRoots.insert(RootName(unit));
    }
    std::smatch m;
    if (std::regex_search(text, m, core))
        for (const std::string& lib : Split(m[1], ' '))
            FCore.insert(lib);
    if (FAllowed.empty() || FCore.empty()) {
        error = layersFile + ": no layer rows found";
        return false;
    }
    FRoots.insert("common");
    // Tests of a library see that library's layer, the test support and the generators and
    // CLI commands they drive; tests/session is the application on a real X server.
    std::map<std::string, std::set<std::string>> tests;
    for (const auto& [unit, allowed] : FAllowed) {
        if (unit.find('/') != std::string::npos) continue;
        std::set<std::string> t = allowed;
        t.insert({"common", "mkdata", "cli"});
        tests["tests/" + unit] = t;
    }
    tests["tests/session"] = tests["tests/app"];
    std::set<std::string> tools = FAllowed["tools/cli"];
    tools.insert({"common", "mkdata", "cli"});
    tests["tests/tools"] = tools;
    tests["tests/campaign"] = tools;
    // The tests of the tools that write files run them as programs; they see what the
    // export tool sees.
    std::set<std::string> exporting = FAllowed["tools/export"];
    exporting.insert({"common", "mkdata"});
    tests["tests/export"] = exporting;
    tests["tests/layering"] = {"common"};
    tests["tests/common"] = {"common", "persist"};
    for (auto& [unit, allowed] : tests)
        FAllowed[unit] = allowed;
    return true;
}

const std::set<std::string>* TLayerCheck::Allowed(const std::string& unit) const {
    auto it = FAllowed.find(unit);
    return it == FAllowed.end() ? nullptr : &it->second;
}

std::string TLayerCheck::UnitOf(const std::string& relativePath) {
    const std::vector<std::string> parts = Split(relativePath, '/');
    if (parts.size() < 2) return {};
    if (parts[0] == "src" && parts.size() >= 3) return parts[1];
    if ((parts[0] == "tools" || parts[0] == "tests") && parts.size() >= 3)
        return parts[0] + "/" + parts[1];
    if (parts[0] == "demo" || parts[0] == "bench") return parts[0];
    return {};
}

void TLayerCheck::CheckText(const std::string& unit, const std::string& fileName,
                            const std::string& text, std::vector<std::string>& faults) const {
    static const std::regex quoted("^\\s*#\\s*include\\s*\"([^\"/]+)/[^\"]*\"");
    static const std::regex system("^\\s*#\\s*include\\s*<(Q[A-Za-z]*|GL/[a-z]+\\.h)[/>]");
    const std::set<std::string>* allowed = Allowed(unit);
    const bool core = FCore.count(unit) != 0;
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        std::string reason;
        if (std::regex_search(line, m, quoted)) {
            const std::string root = m[1];
            if (!allowed)
                reason = "folder '" + unit + "' is not declared in the layering";
            else if (FRoots.count(root) && !allowed->count(root))
                reason = "'" + unit + "' may not use '" + root + "'";
        } else if (core && std::regex_search(line, m, system)) {
            reason = "the core library '" + unit + "' may not use Qt or OpenGL";
        }
        if (!reason.empty())
            faults.push_back(fileName + ":" + std::to_string(number) + ": " + line + ": " + reason);
    }
}

void TLayerCheck::CheckTree(const std::string& sourceDir, std::vector<std::string>& faults) const {
    namespace fs = std::filesystem;
    for (const char* top : {"src", "tools", "demo", "bench", "tests"}) {
        const fs::path base = fs::path(sourceDir) / top;
        if (!fs::exists(base)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(base)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
            const std::string rel = fs::relative(entry.path(), sourceDir).generic_string();
            const std::string unit = UnitOf(rel);
            if (unit.empty()) continue;
            CheckText(unit, rel, ReadAll(entry.path()), faults);
        }
    }
}

} // namespace vorelt::test
