// InstanGraphic: a metafile file onto the clipboard as a metafile picture,
// unique temporary file names and the "short" form of a path.
#pragma once

#include <cstdint>
#include <string>

namespace halvex {

class InstanGraphic {
public:
    // Puts the metafile in szFileName on the clipboard as a picture of the
    // proportions cx : cy (mapping mode 7, extents -cx and -cy) and then
    // tells the user (text 140155, titled with text 113). Nothing happens,
    // and nothing is shown, for a file that cannot be read, that is shorter
    // than its 18-byte header, whose header is not a metafile's (header
    // size 9, type 1 or 2) or gives a size past the file's end, or when the
    // clipboard does not take the picture. MsgTitle is not read.
    void SetMetaToClp(std::string& szFileName, std::int32_t WmfSize_cx, std::int32_t WmfSize_cy,
                      std::string& MsgTitle);
    // A new name in the temporary folder: the first three characters of the
    // prefix, four hexadecimal digits and ".TMP". With wUnique 0 the digits
    // are chosen so that the file is new, and it is created empty
    // (exclusively); otherwise they are wUnique's and nothing is created.
    // False, leaving lpTempFilename, when no name could be had.
    bool GetTempFilename(const std::string& lpPrefixString, std::int16_t wUnique, std::string& lpTempFilename);
    // The path itself when it exists (this platform has no short names);
    // error 53 otherwise.
    std::string GetShortPathName(const std::string& strLongPath);
};

}  // namespace halvex
