// Input checks, lenient conversions and helpers for Variant arrays.
//
// Typed numbers: the family checks every typed number the same way
// (CheckInputType): the text must be a number written with the system's
// decimal separator, inside the limits of its input mode; a wrong entry is
// answered by a message naming the field, and the whole entry is selected
// again in its control.
//
// Number text of typed input: blanks around the number, a sign, digits with
// at most one decimal separator ("." or ","), an optional exponent
// ("1,5E+3"). No digit grouping: "1,000.5" is not a number. The conversions
// (CSngSafe, CIntPrivate, CSngPrivate) read either separator, so a value
// written with "." in a file and one typed with "," both convert; the input
// check alone insists on the system's separator.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/variant.h"

namespace forms {
class Control;
}

namespace halvex {

// The system's decimal separator for typed numbers (SystemPoint 1 or
// SystemComma 2): the library-wide DecimalSystem, taken once from the
// user's locale settings (LC_ALL, LC_NUMERIC, LANG) when it is still 0.
std::int32_t SystemDecimalType();

// Whether a value counts as numeric (numbers, Booleans, Empty, and text
// that reads as a number as above), and its value. Missing and arrays are
// not numeric.
bool IsNumericValue(const rt::Variant& value, double& number);

// Checks the text of `control` for the input mode `mode` (an InputTypeMode)
// within the limits max and min (replaced by the mode's own for 6, 7, 8 and
// the lower one for 9). `caption` names the field in the message title: a
// text number, a text, or nothing (Empty, Missing, "") for text 5. An empty
// text becomes "0"; in mode 5 an "f" becomes "F" and is accepted.
// Returns True when the entry was rejected: a message was shown (text
// 140003, 140002 in mode 5, for a text that is not a number, uses the other
// separator or, in mode 1, any separator; text 140001 with the limits for
// a value out of range) and the control has the focus with its whole text
// selected (except the input grid "GrdInput"). False when accepted.
bool CheckInputType(forms::Control& control, std::int16_t mode, double max, double min,
                    const rt::Variant& caption);
// The same with the field named by a label's caption.
bool CheckInputType(forms::Control& control, std::int16_t mode, double max, double min,
                    const forms::Control& captionLabel);

// The value as a Single; a value that is not numeric becomes the Integer 0
// in the caller's variable first. Error 6 beyond the Single range.
float CSngSafe(rt::Variant& value);

// The value as a Long, rounded half to even; 0 when it is not numeric.
// Error 6 beyond the Long range. The value is not changed.
std::int32_t CIntPrivate(const rt::Variant& CheckValue);

// The value as a Single; 0 when it is not numeric. Error 6 beyond the
// Single range. The value is not changed.
float CSngPrivate(const rt::Variant& CheckValue);

// Upper bound of a dimension (1 or 2) of the array held; 0 for anything
// else (not an array, an unallocated array, no such dimension) and for a
// negative bound. Never fails.
std::int32_t UBoundSafe(const rt::Variant& arrayname, std::int16_t dimension);
std::int32_t UBoundSafe(const rt::VArray& arrayname, std::int16_t dimension);

// Resizes the two-dimensional array held in arrayname to (0..i, 0..j).
// When the first upper bound is already i, only the second dimension
// changes and every element inside the new shape keeps its value.
// Otherwise rows 1..min(i, old) and columns 0..min(j, old) keep their
// values and everything else is empty, row 0 included (lists are 1-based;
// row 0 carries nothing). Error 13 when arrayname holds no array; the
// array's own errors (9) for bounds it cannot take.
void ReDimPreserve2D(rt::Variant& arrayname, std::int16_t i, std::int16_t j);

}  // namespace halvex
