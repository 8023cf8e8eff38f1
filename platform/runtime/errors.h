// Numbered run-time errors and the checked arithmetic that raises them.
//
// Every fault of the run-time layer (a file that is missing, a number that
// overflows, a subscript out of range, ...) is thrown as rt::RuntimeError
// carrying the number the original run time used (53, 62, 6, 9, 11, 13, ...)
// and a description. A procedure's error handler catches it, shows the
// message by number or description and cleans up.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace rt {

class RuntimeError : public std::exception {
public:
    RuntimeError(int number, std::string description);

    // The run-time error number (53 "File not found", 62 "Input past end of
    // file", 6 "Overflow", ...).
    int number() const noexcept { return number_; }

    // The text shown to the user: the standard description of the number
    // unless the raiser gave its own.
    const std::string& description() const noexcept { return description_; }

    // "Run-time error <number>: <description>", for logs and test output.
    const char* what() const noexcept override { return what_.c_str(); }

private:
    int number_;
    std::string description_;
    std::string what_;
};

// The standard description of an error number; numbers without one give
// "Application-defined or object-defined error".
std::string errorDescription(int number);

// Throws RuntimeError with the standard description of the number.
[[noreturn]] void raise(int number);

// Throws RuntimeError with a description of the raiser's own.
[[noreturn]] void raise(int number, std::string description);

// A Double stored as a Single: error 6 when a finite value is too large for
// a float (infinities and NaN pass through unchanged).
float toSingleChecked(double value);

// a / b: error 11 when b is 0, error 6 when finite operands give an
// infinite quotient.
double divideChecked(double a, double b);

// A whole number stored as an Integer (int16): error 6 outside -32768..32767.
std::int16_t toIntegerChecked(long long value);

// A whole number stored as a Long (int32): error 6 outside its range.
std::int32_t toLongChecked(long long value);

}  // namespace rt
