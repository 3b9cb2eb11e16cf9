#pragma once
// The demo definitions embedded into the program at build time.

#include <string>
#include <vector>

namespace norvik::standalone {

// One embedded file: its name and its text (UTF-8, lines ended by LF).
struct EmbeddedFile {
    const char* name;
    const char* text;
};

// The files of demo/definitions, sorted by name.
const std::vector<EmbeddedFile>& DemoFiles();

}  // namespace norvik::standalone
