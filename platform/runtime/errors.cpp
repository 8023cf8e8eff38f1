#include "platform/runtime/errors.h"

#include <cmath>
#include <limits>
#include <utility>

namespace rt {

RuntimeError::RuntimeError(int number, std::string description)
    : number_(number),
      description_(std::move(description)),
      what_("Run-time error " + std::to_string(number) + ": " + description_) {}

std::string errorDescription(int number) {
    switch (number) {
    case 5: return "Invalid procedure call or argument";
    case 6: return "Overflow";
    case 7: return "Out of memory";
    case 9: return "Subscript out of range";
    case 11: return "Division by zero";
    case 13: return "Type mismatch";
    case 52: return "Bad file name or number";
    case 53: return "File not found";
    case 54: return "Bad file mode";
    case 55: return "File already open";
    case 57: return "Device I/O error";
    case 58: return "File already exists";
    case 59: return "Bad record length";
    case 61: return "Disk full";
    case 62: return "Input past end of file";
    case 63: return "Bad record number";
    case 70: return "Permission denied";
    case 75: return "Path/File access error";
    case 76: return "Path not found";
    case 91: return "Object variable or With block variable not set";
    case 94: return "Invalid use of Null";
    case 380: return "Invalid property value";
    case 448: return "Named argument not found";
    case 449: return "Argument not optional";
    default: return "Application-defined or object-defined error";
    }
}

void raise(int number) { throw RuntimeError(number, errorDescription(number)); }

void raise(int number, std::string description) {
    throw RuntimeError(number, std::move(description));
}

float toSingleChecked(double value) {
    // Doubles from 2^128 - 2^103 up round to infinity as floats.
    constexpr double kFirstOverflow = 0x1.ffffffp+127;
    if (std::isfinite(value) && std::fabs(value) >= kFirstOverflow) raise(6);
    return static_cast<float>(value);
}

double divideChecked(double a, double b) {
    if (b == 0) raise(11);
    const double quotient = a / b;
    if (std::isinf(quotient) && std::isfinite(a) && std::isfinite(b)) raise(6);
    return quotient;
}

std::int16_t toIntegerChecked(long long value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        raise(6);
    return static_cast<std::int16_t>(value);
}

std::int32_t toLongChecked(long long value) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        raise(6);
    return static_cast<std::int32_t>(value);
}

}  // namespace rt
