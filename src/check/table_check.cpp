#include "check/table_check.h"

#include <fmt/format.h>

#include <algorithm>
#include <string_view>

#include "check/column_values.h"
#include "check/contained_file.h"
#include "check/field_splitter.h"
#include "check/record_reader.h"

namespace norvik {
namespace {

const char* EndName(RecordEnd end) {
    switch (end) {
        case RecordEnd::CrLf:
            return "CR LF";
        case RecordEnd::Lf:
            return "LF";
        case RecordEnd::Cr:
            return "CR";
        default:
            return "";
    }
}

RecordEnd LineBreakOf(std::string_view delimiter) {
    if (delimiter == "\r\n") return RecordEnd::CrLf;
    if (delimiter == "\n") return RecordEnd::Lf;
    if (delimiter == "\r") return RecordEnd::Cr;
    return RecordEnd::Delimiter;
}

// What a field of the current row holds, for its keys.
enum class FieldState { Fine, Empty, Bad };

std::string Fields(size_t n) {
    return n == 1 ? "1 Feld" : fmt::format("{} Felder", n);
}

std::string Lines(uint64_t n) {
    return n == 1 ? "1 Zeile" : fmt::format("{} Zeilen", n);
}

class TablePass {
  public:
    TablePass(const IndexTable& table, std::vector<ForeignKeyCheck>& foreignKeys,
              KeyHashSet& primaryKeys, FindingSink& sink, TableTotal* total)
        : table_(table),
          foreignKeys_(foreignKeys),
          primaryKeys_(primaryKeys),
          sink_(sink),
          total_(total),
          expectedEnd_(LineBreakOf(table.recordDelimiter)),
          splitter_(table.columnDelimiter, table.textEncapsulator),
          cutter_(FixedRanges(table), ReadAsUtf8(table.charset)),
          keys_(table.columns.size()),
          states_(table.columns.size()) {
        for (const IndexColumn& column : table.columns) values_.emplace_back(table, column);
        for (size_t i = 0; i < table.columns.size(); ++i)
            if (table.columns[i].primaryKey) primaryColumns_.push_back(i);
        // Only the columns of keys need their values in comparable form.
        keyColumn_.assign(table.columns.size(), false);
        for (size_t c : primaryColumns_) keyColumn_[c] = true;
        for (const ForeignKeyCheck& key : foreignKeys)
            for (size_t c : key.columns) keyColumn_[c] = true;
        if (total_) {
            // Numbers are summed in their comparable form, exact and without symbols.
            for (size_t i = 0; i < table.columns.size(); ++i) {
                if (table.columns[i].type != ColumnType::Numeric) continue;
                keyColumn_[i] = true;
                summed_.emplace_back(i, total_->columns.size());
                total_->columns.push_back(
                    {table.columns[i].name, DecimalSum(table.columns[i].accuracy)});
            }
        }
        for (const IndexColumn& column : table.columns)
            lineLength_ = std::max(lineLength_, column.fixedFrom + column.fixedWidth);
        if (table.recordLength > 0) lineLength_ = table.recordLength;
    }

    // The lines the file held, once Run has read it.
    uint64_t FileLines() const { return lines_; }

    bool Run(const std::filesystem::path& folder, const std::filesystem::path& path) {
        if (table_.fixedLength && table_.recordLength > kMaxRecordBytes) {
            Report("G408", 0, [&] {
                return fmt::format(
                    "Sätze von {} Zeichen (Length) sind länger als die {} Bytes, die die Prüfung "
                    "liest; Daten nicht geprüft.",
                    GroupedCount(table_.recordLength), GroupedCount(kMaxRecordBytes));
            });
            return false;
        }
        ContainedFile file = OpenContained(folder, path);
        if (file.refusal != FileRefusal::None) {
            Report(file.refusal == FileRefusal::Unreadable ? "G204" : "G205", 0,
                   [&] { return "Datei " + RefusalText(file) + "."; });
            return false;
        }
        RecordReader reader(table_.recordDelimiter, table_.fixedLength ? table_.recordLength : 0,
                            table_.charset == CharacterSet::Utf16);
        std::string error;
        if (!reader.Open(std::move(file.handle), table_.skipBytes, error)) {
            Report("G204", 0, [&] {
                return "Datei lässt sich nicht öffnen (Meldung des Systems: " + error + ").";
            });
            return false;
        }
        std::string_view record;
        RecordEnd end;
        uint64_t line = 0;
        bool whole = true;  // every record read; else its keys are not complete
        while (reader.Next(record, end)) {
            ++line;
            // A byte order mark is no part of the first value.
            if (line == 1 && ReadAsUtf8(table_.charset) && record.starts_with("\xEF\xBB\xBF"))
                record.remove_prefix(3);
            if (reader.Overlong() > 0) {
                Overlong(reader.Overlong(), end, line);
                whole = false;
            } else
                Record(record, end, line);
        }
        if (reader.Failed())
            Report("G204", 0,
                   [] { return std::string("Datei konnte nicht ganz gelesen werden."); });
        lines_ = line;
        // A range to the end may hold no line at all (an empty table); one with an end needs its
        // last line (Length 0: the lines before it).
        const uint64_t needed = table_.rangeEnds ? table_.lastRecord : table_.firstRecord - 1;
        if (needed > line)
            Report("G407", 0, [&] {
                return fmt::format(
                    "Datei hat {}, der Zeilenbereich (Range) geht von Zeile {} bis {}.",
                    Lines(line), table_.firstRecord,
                    table_.rangeEnds ? std::to_string(table_.lastRecord) : std::string("zum Ende"));
            });
        return whole && !reader.Failed();
    }

  private:
    static std::vector<std::pair<size_t, size_t>> FixedRanges(const IndexTable& table) {
        std::vector<std::pair<size_t, size_t>> ranges;
        for (const IndexColumn& column : table.columns)
            ranges.emplace_back(column.fixedFrom, column.fixedWidth);
        return ranges;
    }

    // Reports a finding whose text is only built when it is wanted; column: the one it concerns.
    template <typename Text>
    void Report(std::string_view code, uint64_t line, Text&& text, std::string_view column = {}) {
        if (sink_.Admit(code, table_.number, table_.url))
            sink_.Add(code, table_.url, line, table_.number, table_.label + ": " + text(), column);
    }

    void Overlong(uint64_t length, RecordEnd end, uint64_t line) {
        CheckEnd({}, end, line);
        Report("G408", line, [&] {
            return fmt::format(
                "Satz ist {} Bytes lang; die Prüfung liest Sätze bis {} Bytes und geht beim "
                "nächsten Satztrenner weiter.",
                GroupedCount(length), GroupedCount(kMaxRecordBytes));
        });
    }

    void Record(std::string_view record, RecordEnd end, uint64_t line) {
        CheckEnd(record, end, line);
        if (const size_t at = FirstUndefinedByte(record, table_.charset);
            at != std::string_view::npos)
            Report("G406", line, [&] {
                return fmt::format(
                    "Byte 0x{:02X} an Stelle {} ist im Zeichensatz {} nicht "
                    "definiert.",
                    static_cast<unsigned char>(record[at]), at + 1, CharsetName(table_.charset));
            });
        // Lines outside the range are header or trailer lines, no data rows.
        if (line < table_.firstRecord || line > table_.lastRecord) return;
        if (total_) ++total_->rows;
        if (!(table_.fixedLength ? Cut(record, end, line) : Split(record, line))) return;
        CheckValues(line);
        for (const auto& [column, sum] : summed_)
            if (states_[column] == FieldState::Fine) total_->columns[sum].sum.Add(keys_[column]);
        CheckPrimaryKey(line);
        for (ForeignKeyCheck& key : foreignKeys_) CheckForeignKey(key, line);
    }

    void CheckEnd(std::string_view record, RecordEnd end, uint64_t line) {
        if (table_.fixedLength && table_.recordLength > 0) {
            if (record.find_first_of("\r\n") != std::string_view::npos)
                Report("G403", line, [&] {
                    return fmt::format(
                        "Satz enthält einen Zeilenumbruch; laut Index (Length) "
                        "folgen die Sätze ohne Satztrenner zu je {} Zeichen.",
                        table_.recordLength);
                });
            return;
        }
        if (end == RecordEnd::EndOfFile || end == RecordEnd::Delimiter || end == expectedEnd_)
            return;
        Report("G403", line, [&] {
            return fmt::format("Zeile endet mit {}, laut Index mit {}.", EndName(end),
                               EndName(expectedEnd_));
        });
    }

    bool Split(std::string_view record, uint64_t line) {
        const SplitOutcome outcome = splitter_.Split(record, fields_);
        if (outcome.problem == SplitProblem::Unclosed) {
            Report(
                "G404", line,
                [&] {
                    return fmt::format("{}: Textbegrenzer „{}“ wird nicht geschlossen.",
                                       FieldName(outcome.field),
                                       DecodeForMessage(table_.textEncapsulator, table_.charset));
                },
                ColumnName(outcome.field));
            return false;
        }
        if (outcome.problem == SplitProblem::TextAfterClosing) {
            Report(
                "G405", line,
                [&] {
                    return fmt::format(
                        "{}: nach dem schließenden Textbegrenzer folgen weitere "
                        "Zeichen statt des Spaltentrennzeichens.",
                        FieldName(outcome.field));
                },
                ColumnName(outcome.field));
            return false;
        }
        if (fields_.size() != table_.columns.size()) {
            Report("G401", line, [&] {
                return fmt::format("Zeile hat {}, erwartet {}.", Fields(fields_.size()),
                                   table_.columns.size());
            });
            return false;
        }
        return true;
    }

    bool Cut(std::string_view record, RecordEnd end, uint64_t line) {
        const size_t length = cutter_.Cut(record, fields_);
        if (length == lineLength_) return true;
        Report("G402", line, [&] {
            if (table_.recordLength > 0 && end == RecordEnd::EndOfFile)
                return fmt::format("Letzter Satz hat nur {} von {} Zeichen.", length, lineLength_);
            return fmt::format("Zeile ist {} Zeichen lang, erwartet {}.", length, lineLength_);
        });
        return false;
    }

    std::string FieldName(size_t field) const {
        if (field < table_.columns.size()) return "Spalte " + table_.columns[field].name;
        return fmt::format("Feld {}", field + 1);
    }

    std::string_view ColumnName(size_t field) const {
        return field < table_.columns.size() ? std::string_view(table_.columns[field].name)
                                             : std::string_view();
    }

    // The column of a key of one column; none for a key of several.
    std::string_view KeyColumn(const std::vector<size_t>& columns) const {
        return columns.size() == 1 ? ColumnName(columns[0]) : std::string_view();
    }

    void CheckValues(uint64_t line) {
        for (size_t i = 0; i < fields_.size(); ++i) {
            const ValueOutcome outcome =
                values_[i].Check(fields_[i], keyColumn_[i] ? &keys_[i] : nullptr);
            states_[i] = outcome.code ? FieldState::Bad
                                      : (outcome.empty ? FieldState::Empty : FieldState::Fine);
            if (outcome.code)
                Report(
                    outcome.code, line, [&] { return values_[i].Describe(outcome, fields_[i]); },
                    ColumnName(i));
        }
    }

    // Builds the key of these columns from the row's values; the first column that keeps it
    // from being complete, or npos.
    size_t BuildKey(const std::vector<size_t>& columns) {
        key_.Clear();
        for (size_t c : columns) {
            if (states_[c] != FieldState::Fine) return c;
            key_.Add(keys_[c]);
        }
        return std::string::npos;
    }

    std::string KeyText(const std::vector<size_t>& columns) const {
        std::string text;
        for (size_t c : columns)
            text += (text.empty() ? "" : ", ") + table_.columns[c].name + " = " +
                    values_[c].Quoted(WithoutPadding(fields_[c]));
        return text;
    }

    void CheckPrimaryKey(uint64_t line) {
        if (primaryColumns_.empty()) return;
        if (const size_t missing = BuildKey(primaryColumns_); missing != std::string::npos) {
            // An unreadable value is reported as such.
            if (states_[missing] == FieldState::Empty)
                Report(
                    "G602", line,
                    [&] {
                        return fmt::format("Primärschlüssel: Spalte {} ist leer.",
                                           table_.columns[missing].name);
                    },
                    ColumnName(missing));
            return;
        }
        if (!primaryKeys_.Insert(key_.Hash()))
            Report(
                "G601", line,
                [&] {
                    return "Primärschlüssel " + KeyText(primaryColumns_) +
                           " ist mehrfach vergeben.";
                },
                KeyColumn(primaryColumns_));
    }

    void CheckForeignKey(ForeignKeyCheck& key, uint64_t line) {
        // A key with an empty part names no row; one with an unreadable part is reported there.
        if (BuildKey(key.columns) != std::string::npos) return;
        if (key.deferred) {
            key.kept.emplace_back(key_.Hash(), line);
            return;
        }
        if (key.targetKeys && !key.targetKeys->Contains(key_.Hash()))
            Report(
                "G603", line,
                [&] {
                    return "Fremdschlüssel " + KeyText(key.columns) + ": kein Eintrag in " +
                           key.targetLabel + ".";
                },
                KeyColumn(key.columns));
    }

    const IndexTable& table_;
    std::vector<ForeignKeyCheck>& foreignKeys_;
    KeyHashSet& primaryKeys_;
    FindingSink& sink_;
    TableTotal* total_;
    std::vector<std::pair<size_t, size_t>> summed_;  // numeric column, its place in total_
    RecordEnd expectedEnd_;
    VariableSplitter splitter_;
    FixedCutter cutter_;
    size_t lineLength_ = 0;
    std::vector<ColumnValues> values_;
    std::vector<size_t> primaryColumns_;
    std::vector<bool> keyColumn_;           // part of the primary key or of a foreign key
    std::vector<std::string_view> fields_;  // of the current record
    std::vector<std::string> keys_;         // comparable form of each field's value
    std::vector<FieldState> states_;        // what each field holds
    CompositeKey key_;
    uint64_t lines_ = 0;
};

}  // namespace

bool CheckTableData(const IndexTable& table, const std::filesystem::path& folder,
                    const std::filesystem::path& file, std::vector<ForeignKeyCheck>& foreignKeys,
                    KeyHashSet& primaryKeys, FindingSink& sink, uint64_t* lines,
                    TableTotal* total) {
    TablePass pass(table, foreignKeys, primaryKeys, sink, total);
    const bool whole = pass.Run(folder, file);
    if (lines) *lines = pass.FileLines();
    return whole;
}

}  // namespace norvik
