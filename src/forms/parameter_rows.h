#pragma once
// The properties editor without the grid: a definition's parameter rows with their stored values,
// and saving them for all users.

#include <cstddef>
#include <string>
#include <vector>

#include "host/host_services.h"
#include "host/module_state.h"

namespace norvik {

// The dotted leader after a caption in the caption column.
inline const char* const kCaptionFiller =
    " . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . . .";
// The owner of stored parameter values: shared by all users.
inline const char* const kParameterOwner = "Standard";
// Parameter lines read at most; further ones are not shown.
constexpr size_t kMaxParameterRows = 1025;

// One parameter row.
struct ParameterRow {
    std::string caption;  // the caption, else the key
    std::string value;    // the stored value, else the file's default; the one the user edits
    std::string key;      // the key as written before "=", blanks kept
    bool fixed = false;   // a setting of the file shown for information: not edited, not stored
};

class ParameterRows {
  public:
    // Rows on the given state (its settings store) and services (error reports).
    ParameterRows(ModuleState& state, HostServices& services)
        : state_(state), services_(services) {}

    // Reads the [Parameter] lines of the definition file with their stored values, then a fixed
    // row for each layout switch the file sets (AlleVorlaufsaetze, TexterkennerDoppeln); a failure
    // is reported ("frmProperties", "ShowData") and the rows read so far stay.
    void Load(const std::string& fileName);
    // Writes every row's value under the settings section for the owner "Standard"; a failing
    // write is skipped. True when every value was stored.
    bool Save();
    // Sets the value of every row with that key (letter case ignored); false when there is none.
    bool Set(const std::string& key, const std::string& value);
    // Sets the value of one row, as the grid edits it; a fixed row keeps its value.
    void SetValue(size_t row, std::string value);

    // The rows in the order of the file.
    const std::vector<ParameterRow>& Rows() const { return rows_; }
    // The settings section of the values: the definition's "Abschnitt", else "Export_" and the
    // file's base name.
    const std::string& SectionName() const { return sectionName_; }
    // The window title: "Einstellungen für " and the definition's name.
    const std::string& Title() const { return title_; }
    // The caption column's text of a row: the caption and the dotted leader.
    static std::string CaptionCell(const ParameterRow& row) { return row.caption + kCaptionFiller; }

  private:
    void ReadRows(const std::string& fileName);

    ModuleState& state_;
    HostServices& services_;
    std::vector<ParameterRow> rows_;
    std::string sectionName_;
    std::string title_;
};

}  // namespace norvik
