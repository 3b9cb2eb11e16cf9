#include "check/table_check.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>

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

// A file at least this large is read by two threads; a smaller one is not worth a thread.
constexpr uint64_t kParallelBytes = uint64_t{1} << 20;
// Lines are handed between the threads in chunks of about this many bytes or lines.
constexpr size_t kChunkBytes = size_t{256} << 10;
constexpr size_t kChunkLines = 4096;
// Chunks read and not yet applied; bounds the memory to a few megabytes.
constexpr size_t kChunksInFlight = 4;
// The primary keys of a large file get room up front for as many as its first lines promise,
// up to this many (a table of 16 MiB); a file that promises more grows its table as it goes.
constexpr size_t kMostReservedKeys = size_t{1400} << 10;
// Key lookups are started this many lines ahead of their line.
constexpr size_t kPrefetchLines = 8;

// One record as read, with what its values gave for the keys.
struct ReadLine {
    uint64_t line = 0;
    uint64_t overlong = 0;  // the length of an overlong record, else 0
    size_t offset = 0;      // of its bytes in the chunk
    size_t size = 0;
    RecordEnd end = RecordEnd::EndOfFile;
    bool serial = false;       // it has findings of its own: read again in order, as one pass would
    bool inRange = false;      // a data row, not a header or trailer line
    uint64_t primaryHash = 0;  // of its primary key, when the table has one
};

// Consecutive records of the file; filled in order, their values read by either thread, their
// keys looked up and their findings reported in the file's order.
struct Chunk {
    std::string bytes;
    std::vector<ReadLine> lines;
    std::vector<uint64_t> foreignHashes;    // per line, one per foreign key
    std::vector<unsigned char> foreignSet;  // per line and foreign key: no part of it is empty
    bool analyzed = false;
};

class TablePass {
  public:
    // probe: a pass that only reads values for another (the one that reports), on any thread;
    // it reports nothing and touches neither the keys nor the totals.
    TablePass(const IndexTable& table, std::vector<ForeignKeyCheck>& foreignKeys,
              KeyHashSet& primaryKeys, FindingSink& sink, TableTotal* total, bool probe = false)
        : probe_(probe),
          table_(table),
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
                if (probe_) {
                    summed_.emplace_back(i, partial_.size());
                    partial_.emplace_back(table.columns[i].accuracy);
                } else {
                    summed_.emplace_back(i, total_->columns.size());
                    total_->columns.push_back(
                        {table.columns[i].name, DecimalSum(table.columns[i].accuracy)});
                }
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
        reader_ = &reader;
        fileBytes_ = file.size >= kParallelBytes ? file.size : 0;
        ReadAll(file.size >= kParallelBytes);
        reader_ = nullptr;
        const uint64_t line = lines_;
        const bool whole = whole_;
        if (reader.Failed())
            Report("G204", 0,
                   [] { return std::string("Datei konnte nicht ganz gelesen werden."); });
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
        if (probe_) {
            found_ = true;
            return;
        }
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
        InsertPrimaryKey(key_.Hash(), line, [] {});
    }

    // prepare: makes the row's fields and values current, for the message.
    template <typename Prepare>
    void InsertPrimaryKey(uint64_t hash, uint64_t line, Prepare&& prepare) {
        if (!primaryKeys_.Insert(hash))
            Report(
                "G601", line,
                [&] {
                    prepare();
                    return "Primärschlüssel " + KeyText(primaryColumns_) +
                           " ist mehrfach vergeben.";
                },
                KeyColumn(primaryColumns_));
    }

    void CheckForeignKey(ForeignKeyCheck& key, uint64_t line) {
        // A key with an empty part names no row; one with an unreadable part is reported there.
        if (BuildKey(key.columns) != std::string::npos) return;
        LookUpForeignKey(key, key_.Hash(), line, [] {});
    }

    template <typename Prepare>
    void LookUpForeignKey(ForeignKeyCheck& key, uint64_t hash, uint64_t line, Prepare&& prepare) {
        if (key.deferred) {
            key.kept.emplace_back(hash, line);
            return;
        }
        if (key.targetKeys && !key.targetKeys->Contains(hash))
            Report(
                "G603", line,
                [&] {
                    prepare();
                    return "Fremdschlüssel " + KeyText(key.columns) + ": kein Eintrag in " +
                           key.targetLabel + ".";
                },
                KeyColumn(key.columns));
    }

    // Reads the records, in chunks; with helper, a second thread reads the values of some while
    // this one applies the others in order.
    void ReadAll(bool helper) {
        std::optional<TablePass> mine, theirs;
        mine.emplace(table_, foreignKeys_, primaryKeys_, sink_, total_, true);
        std::thread thread;
        // Whatever ends the pass, the thread ends first.
        struct Joiner {
            TablePass& pass;
            std::thread& thread;
            void Join() {
                if (!thread.joinable()) return;
                {
                    const std::lock_guard<std::mutex> lock(pass.mutex_);
                    pass.stop_ = true;
                }
                pass.changed_.notify_all();
                thread.join();
            }
            ~Joiner() { Join(); }
        } joiner{*this, thread};
        if (helper) {
            theirs.emplace(table_, foreignKeys_, primaryKeys_, sink_, total_, true);
            thread = std::thread([this, &theirs] { Help(*theirs); });
        }
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (error_) break;
            Chunk& next = chunks_[applied_ % kChunksInFlight];
            if (applied_ < filled_ && next.analyzed) {
                lock.unlock();
                Apply(next);
                lock.lock();
                ++applied_;
                changed_.notify_all();
                continue;
            }
            if (Chunk* chunk = Claim()) {
                lock.unlock();
                mine->Analyze(*chunk);
                lock.lock();
                chunk->analyzed = true;
                continue;
            }
            if (readEnd_ && applied_ == filled_) break;
            changed_.wait(lock);
        }
        const std::exception_ptr error = error_;
        lock.unlock();
        joiner.Join();
        if (error) std::rethrow_exception(error);
        // Sums are exact: the parts add up in any order.
        for (const auto* probe : {&*mine, theirs ? &*theirs : nullptr}) {
            if (!probe) continue;
            for (size_t j = 0; j < summed_.size(); ++j)
                total_->columns[summed_[j].second].sum.Add(probe->partial_[j]);
        }
    }

    // The second thread: reads the values of the chunks it claims.
    void Help(TablePass& probe) {
        try {
            std::unique_lock<std::mutex> lock(mutex_);
            while (!stop_) {
                if (Chunk* chunk = Claim()) {
                    lock.unlock();
                    probe.Analyze(*chunk);
                    lock.lock();
                    chunk->analyzed = true;
                    changed_.notify_all();
                    continue;
                }
                if (readEnd_) break;
                changed_.wait(lock);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(mutex_);
            error_ = std::current_exception();
            stop_ = true;
            changed_.notify_all();
        }
    }

    // With the lock held: the next chunk filled with the next records, when there is room for
    // one and records are left.
    Chunk* Claim() {
        if (readEnd_ || filled_ >= applied_ + kChunksInFlight) return nullptr;
        Chunk& chunk = chunks_[filled_ % kChunksInFlight];
        chunk.bytes.clear();
        chunk.lines.clear();
        chunk.analyzed = false;
        std::string_view record;
        RecordEnd end;
        while (chunk.lines.size() < kChunkLines && chunk.bytes.size() < kChunkBytes &&
               reader_->Next(record, end)) {
            ++lines_;
            // A byte order mark is no part of the first value.
            if (lines_ == 1 && ReadAsUtf8(table_.charset) && record.starts_with("\xEF\xBB\xBF"))
                record.remove_prefix(3);
            ReadLine& read = chunk.lines.emplace_back();
            read.line = lines_;
            read.overlong = reader_->Overlong();
            read.offset = chunk.bytes.size();
            read.size = record.size();
            read.end = end;
            chunk.bytes.append(record);
        }
        if (chunk.lines.empty()) {
            readEnd_ = true;
            return nullptr;
        }
        ++filled_;
        return &chunk;
    }

    // Reads the values of each line of the chunk, as a probe: what the keys are, and whether the
    // line has findings of its own.
    void Analyze(Chunk& chunk) {
        const size_t foreign = foreignKeys_.size();
        chunk.foreignHashes.assign(chunk.lines.size() * foreign, 0);
        chunk.foreignSet.assign(chunk.lines.size() * foreign, 0);
        for (size_t i = 0; i < chunk.lines.size(); ++i) {
            ReadLine& read = chunk.lines[i];
            if (read.overlong > 0) {
                read.serial = true;
                continue;
            }
            const std::string_view record(chunk.bytes.data() + read.offset, read.size);
            read.serial = !Probe(record, read, chunk.foreignHashes.data() + i * foreign,
                                 chunk.foreignSet.data() + i * foreign);
        }
    }

    // Record's reading as a probe; false when the line has a finding of its own.
    bool Probe(std::string_view record, ReadLine& read, uint64_t* foreignHashes,
               unsigned char* foreignSet) {
        found_ = false;
        CheckEnd(record, read.end, read.line);
        if (found_ || FirstUndefinedByte(record, table_.charset) != std::string_view::npos)
            return false;
        read.inRange = read.line >= table_.firstRecord && read.line <= table_.lastRecord;
        if (!read.inRange) return true;
        if (!(table_.fixedLength ? Cut(record, read.end, read.line) : Split(record, read.line)))
            return false;
        CheckValues(read.line);
        if (found_) return false;
        if (!primaryColumns_.empty()) {
            // A part missing is empty (G602), as an unreadable one has been found above.
            if (BuildKey(primaryColumns_) != std::string::npos) return false;
            read.primaryHash = key_.Hash();
        }
        for (size_t k = 0; k < foreignKeys_.size(); ++k) {
            if (BuildKey(foreignKeys_[k].columns) != std::string::npos) continue;
            foreignSet[k] = 1;
            foreignHashes[k] = key_.Hash();
        }
        for (size_t j = 0; j < summed_.size(); ++j)
            if (states_[summed_[j].first] == FieldState::Fine)
                partial_[j].Add(keys_[summed_[j].first]);
        return true;
    }

    // Applies the chunk's lines in order: their keys, and a line with findings read again as one
    // pass reads it.
    void Apply(const Chunk& chunk) {
        const size_t foreign = foreignKeys_.size();
        const bool primary = !primaryColumns_.empty();
        // A first chunk cut short by its size is followed by more lines.
        if (primary && applied_ == 0 && fileBytes_ > 0 &&
            (chunk.lines.size() == kChunkLines || chunk.bytes.size() >= kChunkBytes)) {
            const double lines = static_cast<double>(chunk.lines.size());
            const double lineBytes = static_cast<double>(chunk.bytes.size()) / lines +
                                     static_cast<double>(table_.recordDelimiter.size());
            primaryKeys_.Reserve(
                static_cast<size_t>(std::min(static_cast<double>(fileBytes_) / lineBytes,
                                             static_cast<double>(kMostReservedKeys))));
        }
        for (size_t i = 0; i < chunk.lines.size(); ++i) {
            if (const size_t ahead = i + kPrefetchLines; ahead < chunk.lines.size()) {
                if (primary) primaryKeys_.Prefetch(chunk.lines[ahead].primaryHash);
                for (size_t k = 0; k < foreign; ++k)
                    if (foreignKeys_[k].targetKeys)
                        foreignKeys_[k].targetKeys->Prefetch(
                            chunk.foreignHashes[ahead * foreign + k]);
            }
            const ReadLine& read = chunk.lines[i];
            const std::string_view record(chunk.bytes.data() + read.offset, read.size);
            if (read.overlong > 0) {
                Overlong(read.overlong, read.end, read.line);
                whole_ = false;
                continue;
            }
            if (read.serial) {
                Record(record, read.end, read.line);
                continue;
            }
            if (!read.inRange) continue;
            if (total_) ++total_->rows;
            const auto prepare = [&] {
                if (table_.fixedLength ? Cut(record, read.end, read.line)
                                       : Split(record, read.line))
                    CheckValues(read.line);
            };
            if (primary) InsertPrimaryKey(read.primaryHash, read.line, prepare);
            for (size_t k = 0; k < foreign; ++k)
                if (chunk.foreignSet[i * foreign + k])
                    LookUpForeignKey(foreignKeys_[k], chunk.foreignHashes[i * foreign + k],
                                     read.line, prepare);
        }
    }

    bool probe_;
    bool found_ = false;  // a probe met a finding
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
    std::vector<DecimalSum> partial_;  // a probe's sums of the lines it read
    uint64_t lines_ = 0;
    bool whole_ = true;  // every record read; else its keys are not complete
    // Shared by the threads of a pass, under mutex_.
    RecordReader* reader_ = nullptr;
    uint64_t fileBytes_ = 0;  // of a file large enough to be read on two threads
    std::mutex mutex_;
    std::condition_variable changed_;
    std::array<Chunk, kChunksInFlight> chunks_;
    uint64_t filled_ = 0, applied_ = 0;  // chunks
    bool readEnd_ = false, stop_ = false;
    std::exception_ptr error_;
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
