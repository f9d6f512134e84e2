// vorelt-mkdata: writes synthetic acquisition files for tests, benchmarks and the demo project.

#include "TGenerateDataFile.h"
#include "TLocatedData.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

int Located(int argc, char** argv) {
    vorelt::TLocatedOptions options;
    bool help = false;
    std::string error;
    if (!vorelt::ParseLocatedArguments(argc, argv, options, help, error)) {
        std::fprintf(stderr, "vorelt-mkdata: %s (see located --help)\n", error.c_str());
        return 2;
    }
    if (help) {
        std::fputs(vorelt::LocatedUsage().c_str(), stdout);
        return 0;
    }
    std::vector<vorelt::TLocatedSource> sources;
    if (!vorelt::GenerateLocatedFile(options, sources, error)) {
        std::fprintf(stderr, "vorelt-mkdata: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "located") return Located(argc, argv);
    vorelt::TGenerateOptions options;
    bool help = false;
    std::string error;
    if (!vorelt::ParseGenerateArguments(argc, argv, options, help, error)) {
        std::fprintf(stderr, "vorelt-mkdata: %s (see --help)\n", error.c_str());
        return 2;
    }
    if (help) {
        std::fputs(vorelt::GenerateUsage().c_str(), stdout);
        return 0;
    }
    // Big files report their progress: in place on a terminal, every tenth otherwise.
    const bool terminal = isatty(fileno(stderr)) != 0;
    int shown = -1;
    if (options.Hits >= 1000000) {
        options.OnProgress = [terminal, &shown](uint64_t done, uint64_t total) {
            const int percent = static_cast<int>(total ? done * 100 / total : 100);
            const int step = terminal ? percent : percent / 10 * 10;
            if (step == shown) return;
            shown = step;
            std::fprintf(stderr, terminal ? "\rvorelt-mkdata: %3d%%" : "vorelt-mkdata: %d%%\n",
                         step);
            if (terminal && percent >= 100) std::fputc('\n', stderr);
        };
    }
    if (!vorelt::GenerateDataFile(options, error)) {
        if (terminal && shown >= 0 && shown < 100) std::fputc('\n', stderr);
        std::fprintf(stderr, "vorelt-mkdata: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
