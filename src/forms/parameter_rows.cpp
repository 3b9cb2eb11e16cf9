#include "forms/parameter_rows.h"

#include "common/cp1252_case.h"
#include "common/file_io.h"
#include "common/profile_file.h"
#include "common/text_codec.h"
#include "common/text_helpers.h"
#include "definition/exp_reader.h"

namespace norvik {

void ParameterRows::Load(const std::string& fileName) {
    rows_.clear();
    const std::string fallback = "Export_" + BaseName(fileName);
    title_ = "Einstellungen für " + ReadProfileString(fileName, "Allgemein", "Name", fallback);
    sectionName_ = ReadProfileString(fileName, "Allgemein", "Abschnitt", fallback);
    if (sectionName_.empty()) sectionName_ = fallback;
    if (fileName.empty()) return;
    try {
        ReadRows(fileName);
    } catch (const std::exception& e) {
        ReportFailure(services_.Messages(), "frmProperties", "ShowData", e);
    }
    // The switches that shape the file are the definition's own: shown, changed only in the file.
    for (const char* key : {"AlleVorlaufsaetze", "TexterkennerDoppeln"}) {
        const std::string read = ReadProfileString(fileName, "Allgemein", key, "");
        const std::string value(TrimBlanks(read));
        if (!value.empty() && value != "N")
            rows_.push_back({key, value + " (in der Definition festgelegt)", key, true});
    }
}

void ParameterRows::ReadRows(const std::string& fileName) {
    bool utf8 = false;
    const std::string bytes = AsCp1252File(ReadFileBytes(fileName, kMaxDefinitionBytes), utf8);
    bool inParameters = false;
    bool readFailed = false;
    ForEachLine(bytes, [&](std::string_view raw) {
        const std::string line(TrimBlanks(Cp1252ToUtf8(raw)));
        if (!line.empty() && line.front() == '[') {
            inParameters = UpperCase(line.substr(0, 11)) == "[PARAMETER]";
            return;
        }
        const size_t eq = line.find('=');
        if (!inParameters || eq == std::string::npos || rows_.size() == kMaxParameterRows) return;
        ParameterRow row;
        row.key = line.substr(0, eq);
        const std::string rest = line.substr(eq + 1);
        row.caption = GetField(1, rest, ",", "\"");
        if (TrimBlanks(row.caption).empty()) row.caption = row.key;
        try {
            row.value = state_.Settings().ReadValue(sectionName_, row.key, kParameterOwner, "");
        } catch (const std::exception& e) {
            // The row is still shown, with the file's default; the next rows are read on.
            if (!readFailed) ReportFailure(services_.Messages(), "frmProperties", "ShowData", e);
            readFailed = true;
        }
        if (row.value.empty()) row.value = GetField(2, rest, ",", "\"");
        rows_.push_back(std::move(row));
    });
}

bool ParameterRows::Save() {
    bool all = true;
    for (const ParameterRow& row : rows_) {
        if (row.fixed) continue;
        try {
            state_.Settings().WriteValue(sectionName_, row.key, row.value, kParameterOwner);
        } catch (const std::exception&) {
            // One value that cannot be stored must not keep the others from being stored.
            all = false;
        }
    }
    return all;
}

bool ParameterRows::Set(const std::string& key, const std::string& value) {
    bool found = false;
    // A key written twice is stored once; every row of it must save the same value.
    for (ParameterRow& row : rows_) {
        if (!row.fixed && EqualsIgnoreCase(row.key, key)) {
            row.value = value;
            found = true;
        }
    }
    return found;
}

void ParameterRows::SetValue(size_t row, std::string value) {
    if (!rows_.at(row).fixed) rows_[row].value = std::move(value);
}

}  // namespace norvik
