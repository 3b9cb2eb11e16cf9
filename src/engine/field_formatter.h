#pragma once
// Turns one field's raw value into its output text and appends it, qualified, to the line.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "common/file_io.h"
#include "common/vb_format.h"
#include "definition/run_values.h"
#include "definition/tq_model.h"
#include "engine/written_lines.h"

namespace norvik {

// The longest fixed field length a run accepts.
constexpr int32_t kMaxFieldLength = 65535;

class FieldFormatter {
  public:
    // What a field asks of the formatter, decided once per run instead of once per cell.
    struct FieldPlan {
        enum class Source : uint8_t {
            Column,
            Parameter,
            Constant,
            RunValue,  // a value of the run, handed in as raw text like a parameter's
            Nothing
        } source = Source::Nothing;
        enum class Type : uint8_t { Number, Date, Text, VarText, Other } type = Type::Other;
        const CompiledFormat* format = nullptr;  // null: no format
        bool emptyStaysEmpty = false;            // a number without a value is written empty
        bool timeAlways = false;  // a date's time is written even at midnight (a data medium)
        bool oneLine = false;     // a line break is a blank even inside the qualifier (a medium)
        RunValue runValue = RunValue::kStartzeit;  // which one, for Source::RunValue
        bool checkRounding = false;  // a plain number format of a fixed layout: decimals dropped
                                     // are told
        // Values this field writes as they are, without the steps of Finish.
        enum class Direct : uint8_t { None, Number, Text, Date } direct = Direct::None;
    };

    // Takes the definition's settings for the following Finish calls; the definition must outlive
    // them.
    void Prepare(const TQExportDef& def);
    // The plan of a field of the prepared definition.
    FieldPlan Plan(const TQField& field);
    // The buffer to write a raw value into before Finish; emptied.
    std::string& Raw() {
        text_.clear();
        return text_;
    }
    // Appends a column's value the field writes as it is (see FieldPlan::direct) and sets its form;
    // false when the value needs the steps of Finish.
    bool AppendDirect(const FieldPlan& plan, const Value& value, EncodedBuffer& line,
                      WrittenField& form) const;
    // Formats the raw value in Raw() (or the field's constant) and appends it, qualified, to line.
    // Steps that fail leave the text as it was before them; nothing is raised.
    void Finish(const FieldPlan& plan, const TQField& field, std::string& line);
    // Prepare, Plan, Raw and Finish in one call.
    void Append(const TQField& field, const TQExportDef& def, std::string_view raw,
                std::string& line);
    // The form of the value the last Finish wrote: its decimals, whether a date had its time.
    const WrittenField& LastForm() const { return lastForm_; }
    // Characters the DOS code page lacks, written as "?" since Prepare.
    size_t DosReplaced() const { return dosReplaced_; }
    // True when the last Finish cut its value to the field's fixed or maximum length.
    bool LastCut() const { return cut_; }
    // True when the last Finish wrote the line breaks of a medium's text as blanks.
    bool LastJoined() const { return joined_; }
    // The value the last Finish cut, as it was before the cut.
    const std::string& Uncut() const { return uncut_; }
    // True when the last Finish wrote a number of a fixed or maximum length definition with fewer
    // decimals than it had.
    bool LastRounded() const { return rounded_; }
    // The number the last rounded Finish had before its format, in its German text.
    const std::string& Unrounded() const { return unrounded_; }

  private:
    // Appends an exact decimal's text as Finish would write it; false when it needs Finish.
    bool AppendPlainDecimal(std::string_view text, EncodedBuffer& line, WrittenField& form) const;
    // The same for a double, whose text is the one Finish would normalise.
    bool AppendPlainDouble(double value, EncodedBuffer& line, WrittenField& form) const;
    void ApplyFormat(const CompiledFormat& format);
    void ApplyLength(bool isNumber, int32_t length);
    // The digits after the decimal separator at the end of the written number.
    int32_t TrailingDecimals() const;
    // The qualifier that encloses the current text of a field of this type, or null.
    const std::string* Qualifier(FieldPlan::Type type) const;

    const TQExportDef* def_ = nullptr;
    bool decimalPoint_ = false;   // Dezimaltrenner "." swaps points and commas
    bool timeUnchanged_ = false;  // Zeittrenner ":" leaves the time as it is
    bool ascii_ = false;          // DOS letters
    enum class Length : uint8_t { Variable, Fix, Max } length_ = Length::Variable;
    const std::string* textSearch_ = nullptr;  // what Ersatzzeichen replaces in text, or none
    bool doubleQualifier_ = false;             // the Texterkenner in a text is doubled instead
    // Bytes whose presence sends a text through Finish: line breaks and the replaced character.
    char textStops_[3] = {'\r', '\n', '\r'};
    std::string text_;
    std::string scratch_;
    bool cut_ = false;
    bool rounded_ = false;
    bool joined_ = false;
    size_t dosReplaced_ = 0;
    std::string uncut_;
    std::string unrounded_;
    WrittenField lastForm_;
    // Formats are parsed once per text, not once per row; map nodes keep their addresses.
    std::map<std::string, CompiledFormat, std::less<>> formats_;
};

}  // namespace norvik
