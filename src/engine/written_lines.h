#pragma once
// What a run put into its output file, by record layout: lines and the form of the values, so
// that a GDPdU index can describe the file as written.

#include <cstdint>
#include <vector>

namespace norvik {

// The form of one field's values over the lines written.
struct WrittenField {
    int32_t decimals = 0;      // numbers: most digits after the decimal separator
    bool withTime = false;     // dates: at least one was written with its time
    bool dateOnly = false;     // dates: at least one was written without its time
    bool timeOnly = false;     // dates: at least one was written as a time without its date
    bool dateAndTime = false;  // dates: at least one was written with its date and its time
};

// The lines of one record layout.
struct WrittenLayout {
    int64_t firstLine = 0;             // 1-based; where it would begin when it wrote none
    int64_t lastLine = 0;              // 1-based; 0 when it wrote none
    int64_t lines = 0;                 // lines written
    std::vector<WrittenField> fields;  // by field of the layout
};

// The lines of the output file.
struct WrittenFile {
    bool headerLine = false;             // the first line holds the column titles
    int64_t lines = 0;                   // all lines of the file
    std::vector<WrittenLayout> layouts;  // by record layout of the definition
};

}  // namespace norvik
