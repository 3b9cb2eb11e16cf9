// norvik-export-gui: norvik-export with the dialogs, which norvik-export starts for its gui
// command with the whole call.
#include <iostream>

#include "gui/cmd_gui.h"

int main(int argc, char** argv) {
    return norvik::standalone::RunCli(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                      std::cerr, norvik::standalone::CommandGui);
}
