#include "gdpdu/tq_xml.h"

#include <fcntl.h>

#include <cerrno>
#include <filesystem>

#include "common/file_io.h"
#include "common/guarded_open.h"
#include "common/leftover_files.h"
#include "common/vb_error.h"
#include "gdpdu/xml_text.h"
#include "host/host_messages.h"

namespace norvik {
namespace {

void Report(const char* operation, const std::exception& e) {
    ReportFailure(Messages(), "TQXML", operation, e);
}

std::string TypeElement(const std::string& feldTyp) {
    if (feldTyp == "T" || feldTyp == "V") return "AlphaNumeric";
    if (feldTyp == "N") return "Numeric";
    if (feldTyp == "D") return "Date";
    return "";
}

}  // namespace

TableFormat TableFormatOf(const TQExportDef& def) {
    return TableFormat{def.Feldtrenner, def.Texterkenner, def.Dezimaltrenner};
}

TQXML::TQXML() {
    for (size_t n = 0; n < Tab.size(); ++n) Tab[n].assign(n, '\t');
}

TQXML::~TQXML() = default;

int32_t TQXML::CreateNew(const std::string& SupplierName, const std::string& SupplierLocation,
                         const std::string& SupplierComment) {
    try {
        // The separator is always inserted; a doubled one does no harm.
        filePath_ = Pfad + (Pfad.find('\\') != std::string::npos ? "\\" : "/") + FileName;
        written_ = false;
        file_.Discard();
        const std::string native = NativePath(filePath_).string();
        // Written beside its target and renamed over it at the end: a failed build leaves an
        // earlier Index.xml whole.
        int err = IsProtectedFile(native) ? EACCES : 0;
        if (err == 0) err = file_.Create(native);
        if (err != 0) {
            std::error_code ec;
            const auto folder = NativePath(filePath_).parent_path();
            throw FileError(
                err == ENOENT && !std::filesystem::is_directory(folder, ec) ? ENOTDIR : err,
                filePath_);
        }
        written_ = true;
        WriteLine("<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"no\"?>");
        WriteLine(std::string("<!DOCTYPE DataSet SYSTEM \"") + kGdpduDtdName + "\">");
        WriteTag(0, OpenTag("DataSet"));
        WriteElement(1, "Version", "1.0");
        WriteTag(1, OpenTag("DataSupplier"));
        WriteElement(2, "Name", SupplierName);
        WriteElement(2, "Location", SupplierLocation);
        WriteElement(2, "Comment", SupplierComment);
        WriteTag(1, CloseTag("DataSupplier"));
        WriteTag(1, OpenTag("Media"));
        WriteElement(2, "Name", "Datenträger");
        return 0;
    } catch (const std::exception& e) {
        Report("CreateNew", e);
        return ToVbError(e).Number();
    }
}

void TQXML::WriteFooter() {
    try {
        WriteTag(1, CloseTag("Media"));
        WriteTag(0, CloseTag("DataSet"));
        CloseFile();
    } catch (const std::exception& e) {
        Report("WriteFooter", e);
    }
}

void TQXML::CreateTable(const TQRecord& myRecord, const std::string& FileName,
                        const std::string& Name, const std::string& Desc,
                        const std::string& DatumVon, const std::string& DatumBis,
                        const TableFormat& format) {
    try {
        WriteTableHeader(FileName, Name, Desc, DatumVon, DatumBis);
        if (format.Oem) WriteTag(3, OpenTag("OEM") + CloseTag("OEM"));
        if (format.Utf8) WriteTag(3, OpenTag("UTF8") + CloseTag("UTF8"));
        if (format.DecimalSymbol != ",") {
            // The run turns the grouping point into a comma when the decimal symbol is a point.
            WriteElement(3, "DecimalSymbol", format.DecimalSymbol);
            WriteElement(3, "DigitGroupingSymbol", format.DecimalSymbol == "." ? "," : ".");
        }
        if (format.Rows) WriteRows(*format.Rows);
        const std::string layout = format.FixedLength ? "FixedLength" : "VariableLength";
        WriteTag(3, OpenTag(layout));
        if (!format.FixedLength && format.ColumnDelimiter != ";")
            WriteElement(4, "ColumnDelimiter", format.ColumnDelimiter);
        if (!format.FixedLength && format.TextEncapsulator != "\"")
            WriteElement(4, "TextEncapsulator", format.TextEncapsulator);
        // Fixed columns are found by their places, so the primary key may come first as the DTD
        // wants it; split columns are found by their order, which must stay.
        for (const bool keys : {true, false}) {
            size_t i = 0;
            for (const auto& field : *myRecord.Fields) {
                const ColumnForm form =
                    i < format.Columns.size() ? format.Columns[i] : ColumnForm{};
                ++i;
                if (!format.FixedLength ? keys : keys == IsPrimaryKeyField(*field))
                    NewField(*field, form, format.FixedLength);
            }
        }
        AddForeignKey(myRecord, format.MediumTables);
        WriteTag(3, CloseTag(layout));
        WriteTag(2, CloseTag("Table"));
    } catch (const std::exception& e) {
        Report("CreateTable", e);
    }
}

void TQXML::WriteTableHeader(const std::string& FileName, const std::string& Name,
                             const std::string& Desc, const std::string& DatumVon,
                             const std::string& DatumBis) {
    try {
        WriteTag(2, OpenTag("Table"));
        WriteElement(3, "URL", FileName);
        WriteElement(3, "Name", Name);
        WriteElement(3, "Description", Desc);
        WriteTag(3, OpenTag("Validity"));
        WriteTag(4, OpenTag("Range"));
        WriteElement(5, "From", DatumVon);
        WriteElement(5, "To", DatumBis);
        WriteTag(4, CloseTag("Range"));
        WriteElement(4, "Format", "DD.MM.YYYY");
        WriteTag(3, CloseTag("Validity"));
    } catch (const std::exception& e) {
        Report("WriteTableHeader", e);
    }
}

void TQXML::WriteRows(const RowRange& rows) {
    WriteTag(3, OpenTag("Range"));
    WriteElement(4, "From", std::to_string(rows.From));
    if (rows.To >= rows.From)
        WriteElement(4, "To", std::to_string(rows.To));
    else
        WriteElement(4, "Length", "0");
    WriteTag(3, CloseTag("Range"));
}

void TQXML::WriteTypeElement(const std::string& type, const std::string& inner,
                             const std::string& value) {
    if (inner.empty()) {
        WriteTag(5, OpenTag(type) + CloseTag(type));
        return;
    }
    WriteTag(5, OpenTag(type));
    WriteElement(6, inner, value);
    WriteTag(5, CloseTag(type));
}

void TQXML::NewField(const TQField& field, const ColumnForm& form, bool fixedLength) {
    const char* const prefix = fixedLength ? "Fixed" : "Variable";
    const std::string tag =
        prefix + std::string(IsPrimaryKeyField(field) ? "PrimaryKey" : "Column");
    try {
        WriteTag(4, OpenTag(tag));
        WriteElement(5, "Name", field.Name);
        const std::string type = TypeElement(field.FeldTyp);
        if (type == "Numeric" && form.Accuracy > 0)
            WriteTypeElement(type, "Accuracy", std::to_string(form.Accuracy));
        else if (type == "Date" && !form.DateFormat.empty())
            WriteTypeElement(type, "Format", form.DateFormat);
        else if (!type.empty())
            WriteTypeElement(type, "", "");
        if (!field.Map.empty()) {
            if (type == "AlphaNumeric") {
                const size_t split = field.Map.find(';');
                // Without its meaning the map cannot be written; the field is still closed below.
                if (split == std::string::npos) throw VbError(kErrOutOfRange);
                const size_t end = field.Map.find(';', split + 1);
                WriteTag(5, OpenTag("Map"));
                WriteElement(6, "From", field.Map.substr(0, split));
                WriteElement(
                    6, "To",
                    field.Map.substr(split + 1, end == std::string::npos ? end : end - split - 1));
                WriteTag(5, CloseTag("Map"));
            } else {
                Messages().ShowMessage("Map ist nur für Alphanumerische Felder möglich!", 0,
                                       kButtonsOk, false);
            }
        }
    } catch (const std::exception& e) {
        Report("NewField", e);
    }
    if (fixedLength) {
        WriteTag(5, OpenTag("FixedRange"));
        WriteElement(6, "From", std::to_string(form.FixedFrom));
        if (form.FixedWidth > 0)
            WriteElement(6, "To", std::to_string(form.FixedFrom + form.FixedWidth - 1));
        else
            WriteElement(6, "Length", "0");
        WriteTag(5, CloseTag("FixedRange"));
    }
    WriteTag(4, CloseTag(tag));
}

void TQXML::AddForeignKey(const TQRecord& myRecord,
                          const std::optional<std::set<std::string>>& mediumTables) {
    try {
        for (const auto& field : *myRecord.Fields) {
            if (!IsForeignKeyField(*field)) continue;
            // A key into a table the medium does not carry names nothing an import could join.
            if (mediumTables && mediumTables->count(field->FremdSchlüssel) == 0) continue;
            WriteTag(4, OpenTag("ForeignKey"));
            WriteElement(5, "Name", field->Name);
            WriteElement(5, "References", field->FremdSchlüssel);
            WriteTag(4, CloseTag("ForeignKey"));
        }
    } catch (const std::exception& e) {
        Report("AddForeignKey", e);
    }
}

void TQXML::WriteElement(int tabs, const std::string& name, const std::string& value) {
    std::string line = Tab[static_cast<size_t>(tabs)] + OpenTag(name);
    AppendXmlValue(line, value);
    WriteLine(line + CloseTag(name));
}

void TQXML::WriteTag(int tabs, const std::string& tag) {
    WriteLine(Tab[static_cast<size_t>(tabs)] + tag);
}

void TQXML::WriteLine(const std::string& text) {
    try {
        if (!file_.IsOpen()) throw VbError(kErrBadFileName);
        WriteAll(file_.File().Get(), Latin1Bytes(text) + "\r\n", filePath_);
    } catch (const std::exception& e) {
        written_ = false;
        Report("WriteLine", e);
    }
}

void TQXML::CloseFile() {
    try {
        // An index that lacks a line must not replace the earlier one.
        if (!written_) return file_.Discard();
        if (const int err = file_.Commit()) throw FileError(err, filePath_);
    } catch (const std::exception& e) {
        written_ = false;
        Report("CloseFile", e);
    }
}

}  // namespace norvik
