#include "dialogs/DialogExchange.h"

#include <climits>

namespace perivant {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string MaxCharsMessage(int maxChars) {
    return "Please enter no more than " + std::to_string(maxChars) + " characters.";
}

std::string IntegerRangeMessage(int minValue, int maxValue) {
    return "Please enter an integer between " + std::to_string(minValue) + " and " +
           std::to_string(maxValue) + ".";
}

std::optional<int> ParseDialogInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t firstDigit = i;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        // A number the int cannot hold is refused, never cut to something else.
        if (value > static_cast<long long>(INT_MAX) + 1) {
            return std::nullopt;
        }
    }
    if (i == firstDigit) {
        return std::nullopt;
    }
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX || value < INT_MIN) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

}  // namespace perivant
