// vorelt-campaign: bad input against vorelt-cli and vorelt-export. The short form (the
// default) runs a few hundred cases for the test command; --long runs at least 3000 mutated
// files per binary format, 400 damaged SQLite files, 300 broken logs, 420 broken projects and
// 3000 broken demo projects with views through vorelt-export.

#include "TCampaign.h"

#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    using vorelt::test::TCampaign;
    vorelt::test::TCampaignOptions o;
    o.Cli = VORELT_BINARY_DIR "/tools/cli/vorelt-cli";
    o.Export = VORELT_BINARY_DIR "/tools/export/vorelt-export";
    o.MkDemo = VORELT_BINARY_DIR "/demo/vorelt-mkdemo";
    std::error_code ec;
    if (std::filesystem::is_directory(VORELT_SHARED_DATA, ec))
        o.SharedData = std::filesystem::canonical(VORELT_SHARED_DATA, ec).string();
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "missing value of " << a << "\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--short") {
            // the defaults
        } else if (a == "--long") {
            o.BinaryCases = 3000;
            o.SqliteCases = 400;
            o.WaveCases = 300;
            o.LogCases = 300;
            o.ProjectCases = 420;
            o.ExportCases = 3000;
        } else if (a == "--cli") {
            o.Cli = value();
        } else if (a == "--export") {
            o.Export = value();
        } else if (a == "--mkdemo") {
            o.MkDemo = value();
        } else if (a == "--exports") {
            o.ExportCases = std::stoi(value());
        } else if (a == "--memory") {
            o.MemoryLimitMb = std::stol(value());
        } else if (a == "--address-limit") {
            o.AddressLimitMb = std::stol(value());
        } else if (a == "--work") {
            o.WorkDir = value();
        } else if (a == "--shared") {
            o.SharedData = value();
        } else if (a == "--seed") {
            o.Seed = static_cast<uint32_t>(std::stoul(value()));
        } else if (a == "--timeout") {
            o.Timeout = std::stod(value());
        } else if (a == "--binary") {
            o.BinaryCases = std::stoi(value());
        } else if (a == "--sqlite") {
            o.SqliteCases = std::stoi(value());
        } else if (a == "--waves") {
            o.WaveCases = std::stoi(value());
        } else if (a == "--logs") {
            o.LogCases = std::stoi(value());
        } else if (a == "--projects") {
            o.ProjectCases = std::stoi(value());
        } else if (a == "--parts") {
            std::string list = value();
            for (size_t start = 0, at; start <= list.size(); start = at + 1) {
                at = list.find(',', start);
                if (at == std::string::npos) at = list.size();
                if (at > start) o.Parts.push_back(list.substr(start, at - start));
            }
        } else {
            std::cerr
                << "usage: vorelt-campaign [--short | --long] [--cli PATH] [--export PATH]\n"
                   "       [--mkdemo PATH] [--work DIR] [--shared DIR] [--seed N]\n"
                   "       [--timeout SECONDS] [--binary N] [--sqlite N] [--waves N] [--logs N]\n"
                   "       [--projects N] [--exports N] [--memory MB] [--address-limit MB]\n"
                   "       [--parts "
                   "isa,pci,disp,spartan,sqlite,waves,logs,projects,special,export]\n";
            return 2;
        }
    }
    TCampaign campaign(o);
    return campaign.Run(std::cout) ? 0 : 1;
}
