#include "selection/criterion_condition.h"

#include <string_view>
#include <vector>

#include "common/text_codec.h"
#include "common/vb_error.h"
#include "selection/entry_values.h"

namespace norvik {
namespace {

constexpr std::string_view kRangeMark = "..";

bool IsPattern(std::string_view value) {
    return value.find_first_of("*?") != std::string_view::npos;
}

std::vector<std::string_view> SplitList(std::string_view entry) {
    std::vector<std::string_view> items;
    for (size_t start = 0;;) {
        const size_t end = entry.find(';', start);
        items.push_back(TrimWhite(entry.substr(start, end - start)));
        if (end == std::string_view::npos) return items;
        start = end + 1;
    }
}

// Writes the conditions of one criterion; every value becomes a literal of its kind or is refused.
class ConditionWriter {
  public:
    ConditionWriter(const Criterion& criterion, const SqlDialect& dialect)
        : criterion_(criterion), dialect_(dialect), column_(criterion.ControlSource) {
        if (!dialect.IsColumnName(column_))
            RefuseDefinition("\"" + column_ + "\" ist kein gültiger Spaltenname.");
        if (criterion.ValueKind < kValueText || criterion.ValueKind > kValueNumber)
            RefuseDefinition("unbekannte Wertart " + std::to_string(criterion.ValueKind) + ".");
    }

    std::string Entry(std::string_view entry) const {
        if (entry.find('\0') != std::string_view::npos)
            Refuse(kErrInvalidArgument, "Die Eingabe enthält ein unzulässiges Zeichen.");
        const std::vector<std::string_view> items = SplitList(entry);
        if (items.size() == 1) return Item(items.front());
        bool plainValues = criterion_.ValueKind != kValueDate;
        for (const std::string_view item : items) {
            if (item.empty())
                Refuse(kErrInvalidArgument,
                       "Die Liste \"" + std::string(entry) + "\" enthält einen leeren Eintrag.");
            if (item.find(kRangeMark) != std::string_view::npos || IsTextPattern(item))
                plainValues = false;
        }
        if (!plainValues) {
            std::vector<std::string> conditions;
            conditions.reserve(items.size());
            for (const std::string_view item : items) conditions.push_back(Item(item));
            return AnyOf(conditions, 0, conditions.size());
        }
        std::string sql = column_ + " IN (";
        for (size_t i = 0; i < items.size(); ++i) {
            if (i > 0) sql += ", ";
            sql += Literal(items[i]);
        }
        return sql + ")";
    }

  private:
    // The conditions joined with OR as a balanced tree: a chain of ten thousand would nest too
    // deep for SQLite's parser (at most 1000 levels).
    static std::string AnyOf(const std::vector<std::string>& conditions, size_t from, size_t to) {
        if (to - from == 1) return conditions[from];
        const size_t middle = from + (to - from) / 2;
        return "(" + AnyOf(conditions, from, middle) + " OR " + AnyOf(conditions, middle, to) + ")";
    }

    std::string Item(std::string_view item) const {
        const size_t mark = item.find(kRangeMark);
        if (mark != std::string_view::npos) {
            const std::string_view from = TrimWhite(item.substr(0, mark));
            const std::string_view to = TrimWhite(item.substr(mark + kRangeMark.size()));
            if (from.empty() || to.empty())
                Refuse(kErrInvalidArgument,
                       "Im Bereich \"" + std::string(item) + "\" fehlt der Von- oder Bis-Wert.");
            return Range(from, to);
        }
        if (criterion_.ValueKind == kValueDate) return Range(item, item);
        if (IsTextPattern(item)) return dialect_.LikeCondition(column_, item);
        return column_ + " = " + Literal(item);
    }

    // Dates cover whole days, so that timestamps within the last day count too.
    std::string Range(std::string_view from, std::string_view to) const {
        if (criterion_.ValueKind == kValueDate) {
            const CivilDate last = Day(to);
            const std::string lower = column_ + " >= " + dialect_.DateLiteral(Day(from));
            // The day after 31.12.9999 has five year digits, which a date kept as text (SQLite)
            // sorts before every other date; the last day of the calendar needs no upper bound.
            if (last.year == 9999 && last.month == 12 && last.day == 31) return "(" + lower + ")";
            return "(" + lower + " AND " + column_ + " < " + dialect_.DateLiteral(NextDay(last)) +
                   ")";
        }
        return "(" + column_ + " >= " + Literal(from) + " AND " + column_ + " <= " + Literal(to) +
               ")";
    }

    std::string Literal(std::string_view value) const {
        if (criterion_.ValueKind == kValueText) return dialect_.TextLiteral(value);
        if (criterion_.ValueKind == kValueDate) return dialect_.DateLiteral(Day(value));
        const auto number = GermanNumberToSql(value);
        if (!number)
            Refuse(kErrTypeMismatch, "\"" + std::string(value) + "\" ist keine gültige Zahl.");
        return *number;
    }

    CivilDate Day(std::string_view value) const {
        const auto date = ParseGermanDay(value);
        if (!date) {
            std::string text =
                "\"" + std::string(value) + "\" ist kein gültiges Datum (TT.MM.JJJJ).";
            // "01.01.2020-31.12.2020" reads as one date; the range has its own form.
            const size_t dash = value.find('-');
            if (dash != std::string_view::npos && ParseGermanDay(value.substr(0, dash)) &&
                ParseGermanDay(value.substr(dash + 1)))
                text +=
                    " Ein Zeitraum wird mit .. geschrieben: " + std::string(value.substr(0, dash)) +
                    ".." + std::string(value.substr(dash + 1)) + ".";
            Refuse(kErrTypeMismatch, text);
        }
        return *date;
    }

    bool IsTextPattern(std::string_view value) const {
        return criterion_.ValueKind == kValueText && IsPattern(value);
    }

    [[noreturn]] void Refuse(int32_t number, const std::string& detail) const {
        throw EntryError(number, "Auswahl \"" + criterion_.DisplayName() + "\": " + detail);
    }

    [[noreturn]] void RefuseDefinition(const std::string& detail) const {
        throw VbError(kErrInvalidArgument,
                      "Auswahl \"" + criterion_.DisplayName() + "\": " + detail);
    }

    const Criterion& criterion_;
    const SqlDialect& dialect_;
    const std::string& column_;
};

}  // namespace

std::string CriterionCondition(const Criterion& criterion, const SqlDialect& dialect) {
    const std::string_view entry = TrimWhite(criterion.Entry);
    if (entry.empty()) return {};
    return ConditionWriter(criterion, dialect).Entry(entry);
}

}  // namespace norvik
