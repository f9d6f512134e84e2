#include "cli/TCliCommands.h"
#include "drivers/RegisterDriversClasses.h"
#include "model/RegisterModelClasses.h"
#include "persist/TNumberFormat.h"

#include <iostream>

int main(int argc, char** argv) {
    vorelt::MaskFloatExceptions();
    vorelt::RegisterModelClasses();
    vorelt::RegisterDriversClasses();
    std::vector<std::string> args(argv + 1, argv + argc);
    return vorelt::cli::RunCli(args, std::cout, std::cerr);
}
