// Text composition: numbered placeholders filled with values, and a text of
// the text library divided into lines of balanced length.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/variant.h"

namespace halvex {

// The text with its placeholders replaced. `varReplacements` holds pairs,
// name then value, from its lower bound on; every occurrence of a name is
// replaced by its value (at most 101 times a pair). A pair whose value holds
// its own name is skipped, and so is a pair that cannot be read (an element
// without a text form, a name without a value): its placeholder stays in the
// text. A list with an upper bound below 1 only removes the first "|1".
// An unallocated list raises error 9.
std::string ResolveString(const std::string& StrWithMacro, const rt::VArray& varReplacements);

// Text StrID of the text library divided into NDivided lines of balanced
// length, in DividedString(1..NDivided) (index 0 unused). Words are split at
// blanks and at the break marks "|0" inside words; neighbouring words are
// merged, shortest merged line first, until NDivided remain; a word split at
// a break mark ends with "-". NDivided below 1 raises error 9.
void DivideString(std::int16_t NDivided, const rt::Variant& StrID, rt::VArray& DividedString);

}  // namespace halvex
