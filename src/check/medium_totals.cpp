#include "check/medium_totals.h"

#include <algorithm>

#include "common/digit_text.h"

namespace norvik {
namespace {

// Far beyond any Accuracy a medium uses; keeps a hostile one from growing the digits.
constexpr int kMaxScale = 64;
// Addends of up to 18 digits are below 10^18; two of them fit a uint64_t's 1.8 * 10^19.
constexpr size_t kBinaryDigits = 18;
constexpr uint64_t kPendingLimit = 1'000'000'000'000'000'000ULL;

// a += b, both least significant digit first.
void AddDigits(std::string& a, std::string_view b) {
    if (a.size() < b.size()) a.resize(b.size(), '0');
    int carry = 0;
    for (size_t i = 0; i < a.size() && (i < b.size() || carry); ++i) {
        const int digit = (a[i] - '0') + (i < b.size() ? b[i] - '0' : 0) + carry;
        a[i] = static_cast<char>('0' + digit % 10);
        carry = digit / 10;
    }
    if (carry) a += '1';
}

// a - b for a >= b, least significant digit first.
std::string SubtractDigits(std::string_view a, std::string_view b) {
    std::string out(a);
    int borrow = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        int digit = (out[i] - '0') - (i < b.size() ? b[i] - '0' : 0) - borrow;
        borrow = digit < 0 ? 1 : 0;
        out[i] = static_cast<char>('0' + digit + 10 * borrow);
    }
    return out;
}

// The decimal digits of value, least significant first; empty for 0.
std::string ReversedDigits(uint64_t value) {
    std::string digits;
    for (; value > 0; value /= 10) digits += static_cast<char>('0' + value % 10);
    return digits;
}

std::string_view Trimmed(std::string_view digits) {
    while (!digits.empty() && digits.back() == '0') digits.remove_suffix(1);
    return digits;
}

// Compares two magnitudes, least significant digit first.
bool Less(std::string_view a, std::string_view b) {
    a = Trimmed(a);
    b = Trimmed(b);
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i];
    return false;
}

}  // namespace

DecimalSum::DecimalSum(int scale) : scale_(std::clamp(scale, 0, kMaxScale)) {}

void DecimalSum::Add(std::string_view number) {
    const bool negative = number.starts_with('-');
    if (negative) number.remove_prefix(1);
    const size_t point = number.find('.');
    std::string_view whole = number.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    if (fraction.size() > static_cast<size_t>(scale_)) fraction = fraction.substr(0, scale_);
    if (whole.size() + static_cast<size_t>(scale_) <= kBinaryDigits) {
        uint64_t value = 0;
        for (char c : whole) value = value * 10 + static_cast<uint64_t>(c - '0');
        for (char c : fraction) value = value * 10 + static_cast<uint64_t>(c - '0');
        for (size_t i = fraction.size(); i < static_cast<size_t>(scale_); ++i) value *= 10;
        uint64_t& pending = negative ? pendingNegative_ : pendingPositive_;
        if (pending > kPendingLimit) Flush();
        pending += value;
        return;
    }
    std::string digits(whole);
    digits.append(fraction);
    digits.append(static_cast<size_t>(scale_) - fraction.size(), '0');
    std::reverse(digits.begin(), digits.end());
    AddDigits(negative ? negative_ : positive_, digits);
}

void DecimalSum::Add(const DecimalSum& other) {
    AddDigits(positive_, other.Positive());
    AddDigits(negative_, other.Negative());
}

void DecimalSum::Flush() {
    positive_ = Positive();
    negative_ = Negative();
    pendingPositive_ = pendingNegative_ = 0;
}

std::string DecimalSum::Positive() const {
    std::string digits = positive_;
    AddDigits(digits, ReversedDigits(pendingPositive_));
    return digits;
}

std::string DecimalSum::Negative() const {
    std::string digits = negative_;
    AddDigits(digits, ReversedDigits(pendingNegative_));
    return digits;
}

std::string DecimalSum::Text(std::string_view decimalSymbol, std::string_view grouping) const {
    const std::string positive = Positive(), negativeDigits = Negative();
    const bool negative = Less(positive, negativeDigits);
    std::string digits = negative ? SubtractDigits(negativeDigits, positive)
                                  : SubtractDigits(positive, negativeDigits);
    digits = std::string(Trimmed(digits));
    if (digits.size() <= static_cast<size_t>(scale_)) digits.resize(scale_ + 1, '0');
    const std::string_view all = digits;
    const std::string_view fraction = all.substr(0, scale_), whole = all.substr(scale_);
    std::string text = negative ? "-" : "";
    // The digits are kept from the lowest up.
    AppendGroupedDigits(text, std::string(whole.rbegin(), whole.rend()), grouping);
    if (scale_ > 0) {
        text.append(decimalSymbol);
        for (size_t i = fraction.size(); i-- > 0;) text += fraction[i];
    }
    return text;
}

}  // namespace norvik
