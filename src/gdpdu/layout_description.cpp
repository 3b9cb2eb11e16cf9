#include "gdpdu/layout_description.h"

#include <algorithm>

#include "common/utf8.h"
#include "definition/yes_no_keys.h"
#include "gdpdu/value_forms.h"

namespace norvik {
namespace {

const TQRecord& RecordAt(const TQExportDef& def, size_t record) {
    return *def.Records->Item(static_cast<int32_t>(record + 1));
}

// The layouts of the definition that write lines.
size_t WrittenLayoutCount(const TQExportDef& def) {
    size_t count = 0;
    for (size_t r = 0; r < static_cast<size_t>(def.Records->Count()); ++r)
        if (LayoutIsWritten(def, r)) ++count;
    return count;
}

// Characters the run puts around a field's value.
size_t QualifierCharacters(const TQField& field, const TQExportDef& def) {
    if (field.FeldTyp == "T" || field.FeldTyp == "V") return 2 * CharCount(def.Texterkenner);
    if (field.FeldTyp == "D") return 2 * CharCount(def.Datumserkenner);
    return 0;
}

void DescribeFixedPlaces(const TQRecord& record, const TQExportDef& def, TableFormat& format) {
    int64_t from = 1;
    const int64_t separator = static_cast<int64_t>(CharCount(def.Feldtrenner));
    size_t i = 0;
    for (const auto& field : *record.Fields) {
        ColumnForm& column = format.Columns[i++];
        // A negative length leaves values as long as they are: no place can be given.
        const int64_t width =
            field->Länge < 0
                ? 0
                : field->Länge + static_cast<int64_t>(QualifierCharacters(*field, def));
        column.FixedFrom = from;
        column.FixedWidth = width;
        from += width + separator;
    }
}

}  // namespace

bool LayoutIsWritten(const TQExportDef& def, size_t record) {
    const tqFieldTyp kind = RecordAt(def, record).FieldTyp;
    if (kind == Standard || (kind == Vorlauf && FlagsOf(def).allHeaderRecords)) return true;
    for (size_t r = 0; r < record; ++r)
        if (RecordAt(def, r).FieldTyp == kind) return false;
    return true;
}

std::string LayoutTableName(const TQExportDef& def, size_t record, const std::string& tableName) {
    std::string suffix;
    switch (RecordAt(def, record).FieldTyp) {
        case Vorlauf: {
            // Written one and all, the header records are told apart by their place.
            size_t number = 1;
            for (size_t r = 0; r < record; ++r)
                if (RecordAt(def, r).FieldTyp == Vorlauf) ++number;
            suffix = number == 1 ? "Vorlaufsatz" : "Vorlaufsatz " + std::to_string(number);
            break;
        }
        case Nachlauf:
            suffix = "Nachlaufsatz";
            break;
        case Standard: {
            size_t number = 1;
            for (size_t r = 0; r < record; ++r)
                if (RecordAt(def, r).FieldTyp == Standard) ++number;
            if (number == 1) return tableName;
            suffix = "Datensatz " + std::to_string(number);
            break;
        }
    }
    return tableName.empty() ? suffix : tableName + " " + suffix;
}

TableFormat DescribeLayout(const TQExportDef& def, size_t record, const WrittenFile& written) {
    const TQRecord& layout = RecordAt(def, record);
    TableFormat format = TableFormatOf(def);
    format.Oem = def.Dateiformat == "ASCII";
    format.Utf8 = def.Dateiformat == "UTF-8";
    format.FixedLength = def.FeldLänge == "Fix";
    const WrittenLayout none;
    const WrittenLayout& lines = record < written.layouts.size() ? written.layouts[record] : none;
    // A file of one layout alone needs no range; several layouts each need theirs, also when the
    // file is empty, or each would claim every line.
    if (written.headerLine || WrittenLayoutCount(def) > 1)
        format.Rows = lines.lines > 0 ? RowRange{lines.firstLine, lines.lastLine}
                                      : RowRange{std::max<int64_t>(lines.firstLine, 1), 0};

    format.Columns.resize(static_cast<size_t>(layout.Fields->Count()));
    size_t i = 0;
    for (const auto& field : *layout.Fields) {
        const WrittenField value = i < lines.fields.size() ? lines.fields[i] : WrittenField{};
        ColumnForm& column = format.Columns[i++];
        if (field->FeldTyp == "N") column.Accuracy = NumberAccuracy(*field, value);
        if (field->FeldTyp == "D")
            column.DateFormat = DateFormatOf(*field, def, value, !format.FixedLength);
    }
    if (format.FixedLength) DescribeFixedPlaces(layout, def, format);
    return format;
}

}  // namespace norvik
