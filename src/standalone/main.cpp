#include <iostream>

#include "standalone/cli_context.h"

int main(int argc, char** argv) {
    return norvik::standalone::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                      std::cerr);
}
