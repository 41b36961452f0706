#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace perivant {

// The refusals of a dialog's value exchange, worded as users of the program know them.
inline constexpr const char* kEnterIntegerMessage = "Please enter an integer.";

// "Please enter no more than 1000 characters." for 1000.
std::string MaxCharsMessage(int maxChars);

// "Please enter an integer between 1 and 99." for 1 and 99.
std::string IntegerRangeMessage(int minValue, int maxValue);

// A number box's text as a signed decimal integer: blanks or tabs around it, an optional sign
// and at least one digit, nothing else. A text that is no integer, or one beyond the int range,
// has no value.
std::optional<int> ParseDialogInteger(std::string_view text);

// A value the exchange refused: the control that gets the focus back and the message shown.
struct DialogRefusal {
    int controlId = 0;
    std::string message;

    bool operator==(const DialogRefusal&) const = default;
};

}  // namespace perivant
