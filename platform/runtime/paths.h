// Paths: "/" is the separator; a "\" of a path from a project or settings
// file is turned into "/". The splitters accept both. Project files come from
// case-insensitive file systems, so they are looked up without regard to
// case; new files get upper-case extensions.
#pragma once

#include <string>
#include <string_view>

namespace rt {

char pathSeparator();

// Every "\" turned into "/".
std::string toNativePath(std::string_view path);

// The folder part with its trailing separator ("a/b/c.PO1" -> "a/b/"), ""
// when the path has no folder.
std::string directoryOf(std::string_view path);
// The name after the last separator ("a/b/c.PO1" -> "c.PO1").
std::string fileNameOf(std::string_view path);
// The name without its extension ("c.PO1" -> "c").
std::string baseNameOf(std::string_view path);
// The extension after the last "." of the name, without the dot ("PO1");
// "" when the name has none.
std::string extensionOf(std::string_view path);

// An existing regular file (following links) / folder.
bool fileExists(const std::string& path);
bool directoryExists(const std::string& path);

// Writes the data of an existing file or folder through to the disk: 0, or
// the errno of the failure.
int syncToDisk(const std::string& path);

// The path of an existing file of that folder whose name equals the given
// one without regard to ASCII case: the exact name when it exists, else the
// first match in name order; "" when there is none.
std::string findFileCaseInsensitive(const std::string& path);

// dir + name + "." + ext as a native path, resolved against the existing
// files without regard to case; when none exists, the extension in upper
// case ("slab" + "p41" -> "slab.P41").
std::string projectFilePath(std::string_view dir, std::string_view name, std::string_view ext);

}  // namespace rt
