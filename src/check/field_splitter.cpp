#include "check/field_splitter.h"

#include <cstring>

#include "common/utf8.h"

namespace norvik {
namespace {

// The next place of a separator; single bytes, the usual case, by memchr.
size_t Find(std::string_view text, std::string_view what, size_t from) {
    if (what.size() != 1) return text.find(what, from);
    if (from >= text.size()) return std::string_view::npos;
    const void* at = std::memchr(text.data() + from, what[0], text.size() - from);
    return at ? static_cast<size_t>(static_cast<const char*>(at) - text.data())
              : std::string_view::npos;
}

bool StartsAt(std::string_view text, size_t at, std::string_view what) {
    if (at >= text.size()) return false;
    if (what.size() == 1) return text[at] == what[0];
    return text.substr(at).starts_with(what);
}

}  // namespace

VariableSplitter::VariableSplitter(std::string delimiter, std::string encapsulator)
    : delimiter_(std::move(delimiter)), encapsulator_(std::move(encapsulator)) {}

SplitOutcome VariableSplitter::Split(std::string_view record,
                                     std::vector<std::string_view>& fields) {
    fields.clear();
    unescaped_.clear();
    // Views into it must stay valid: it never needs more than the record's bytes.
    unescaped_.reserve(record.size());
    const std::string_view enc = encapsulator_;
    size_t at = 0;
    for (;;) {
        if (enc.empty() || !StartsAt(record, at, enc)) {
            const size_t next = Find(record, delimiter_, at);
            if (next == std::string_view::npos) {
                fields.push_back(record.substr(at));
                return {};
            }
            fields.push_back(record.substr(at, next - at));
            at = next + delimiter_.size();
            continue;
        }
        const size_t start = at + enc.size();
        const size_t unescapedStart = unescaped_.size();
        bool doubled = false;
        size_t from = start;
        size_t close;
        for (;;) {
            close = Find(record, enc, from);
            if (close == std::string_view::npos) {
                fields.push_back(record.substr(start));
                return {SplitProblem::Unclosed, fields.size() - 1};
            }
            if (!StartsAt(record, close + enc.size(), enc)) break;
            unescaped_.append(record.substr(from, close + enc.size() - from));
            from = close + 2 * enc.size();
            doubled = true;
        }
        if (doubled) {
            unescaped_.append(record.substr(from, close - from));
            fields.push_back(std::string_view(unescaped_).substr(unescapedStart));
        } else {
            fields.push_back(record.substr(start, close - start));
        }
        at = close + enc.size();
        if (at == record.size()) return {};
        if (!StartsAt(record, at, delimiter_))
            return {SplitProblem::TextAfterClosing, fields.size() - 1};
        at += delimiter_.size();
    }
}

FixedCutter::FixedCutter(std::vector<std::pair<size_t, size_t>> columns, bool utf8)
    : columns_(std::move(columns)), utf8_(utf8) {}

size_t FixedCutter::Cut(std::string_view record, std::vector<std::string_view>& fields) {
    fields.clear();
    size_t length = record.size();
    if (utf8_) {
        starts_.clear();
        for (size_t i = 0; i < record.size(); i += CharLengthAt(record, i)) starts_.push_back(i);
        length = starts_.size();
        starts_.push_back(record.size());
    }
    const auto offset = [&](size_t character) {
        if (character >= length) return record.size();
        return utf8_ ? starts_[character] : character;
    };
    for (const auto& [from, width] : columns_) {
        const size_t begin = offset(from), end = offset(from + width);
        fields.push_back(WithoutPadding(record.substr(begin, end - begin)));
    }
    return length;
}

std::string_view WithoutPadding(std::string_view value) {
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    return value;
}

}  // namespace norvik
