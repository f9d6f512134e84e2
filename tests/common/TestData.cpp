#include "common/TestData.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace vorelt::test {

std::string SharedDataDir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path p(VORELT_SHARED_DATA);
    if (fs::is_directory(p, ec)) return fs::canonical(p, ec).string();
    return {};
}

bool RunningUnderCI() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

TTempDir::TTempDir() {
    namespace fs = std::filesystem;
    std::random_device rd;
    for (int i = 0; i < 100; ++i) {
        fs::path p = fs::temp_directory_path() / ("vorelt-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            FPath = p.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TTempDir::~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(FPath, ec);
}

std::string CopyToTemp(const std::string& source, const TTempDir& dir) {
    const std::string target = dir.File(std::filesystem::path(source).filename().string());
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    return target;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace vorelt::test
