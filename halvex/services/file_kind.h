// File-kind texts: the kind of a file, named in every file message, derived
// from its path.
#pragma once

#include <string>

#include "platform/runtime/variant.h"

namespace halvex {

// The kind of the file at `path` (case ignored, trailing blanks removed): a
// text number of the text library, a text composed from such texts, or ""
// when the kind is unknown. Special file names (Units, STEU, Firma, the
// settings files, ...) are recognised by the end of the path, everything
// else by its extension.
rt::Variant FileKindOf(const std::string& path);

// Sets the library-wide FileTypeText to FileKindOf(path).
void SetFileTypeText(const std::string& path);

}  // namespace halvex
