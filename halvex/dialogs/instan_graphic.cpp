#include "halvex/dialogs/instan_graphic.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "halvex/dialogs/global_memory.h"
#include "halvex/interface/dialog_enums.h"
#include "halvex/services/library_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/desktop.h"
#include "platform/forms/gdi.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace halvex {

namespace {

constexpr std::int32_t kPictureMappingMode = 7;
// A success: the information icon, not a warning.
constexpr std::int32_t kInformation = 0x40;

std::uint16_t word(const std::vector<char>& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      (static_cast<unsigned char>(bytes[at + 1]) << 8));
}

std::string hex4(std::uint16_t value)
{
    char text[5];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

std::string firstCharacters(const std::string& text, std::size_t n)
{
    std::size_t bytes = 0;
    std::size_t count = 0;
    while (bytes < text.size() && count < n) {
        ++bytes;
        while (bytes < text.size() && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) ++bytes;
        ++count;
    }
    return text.substr(0, bytes);
}

}  // namespace

void InstanGraphic::SetMetaToClp(std::string& szFileName, std::int32_t WmfSize_cx, std::int32_t WmfSize_cy,
                                 std::string& /*MsgTitle*/)
{
    std::ifstream in(szFileName, std::ios::binary);
    if (!in) return;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 18) return;
    const std::uint16_t type = word(bytes, 0);
    if (word(bytes, 2) != 9 || (type != 1 && type != 2)) return;
    const std::uint64_t size = 2ull * (word(bytes, 6) | (static_cast<std::uint32_t>(word(bytes, 8)) << 16));
    if (size < 18 || size > bytes.size()) return;

    const std::int32_t metafile = forms::gdi::SetMetaFileBitsEx(static_cast<std::uint32_t>(size), bytes.data());
    if (metafile == 0) return;
    const forms::gdi::METAFILEPICT picture{kPictureMappingMode, -WmfSize_cx, -WmfSize_cy, metafile};
    const std::int32_t block = GlobalAlloc(GMEM_DDESHARE, sizeof picture);
    if (block != 0) CopyToAddress(GlobalLock(block), &picture, sizeof picture);

    std::vector<char> played(forms::gdi::GetMetaFileBitsEx(metafile, 0, nullptr));
    forms::gdi::GetMetaFileBitsEx(metafile, static_cast<std::uint32_t>(played.size()), played.data());
    const bool taken = forms::clipboard().setMetafilePicture(picture.mm, picture.xExt, picture.yExt,
                                                             std::string_view(played.data(), played.size()));
    // The clipboard keeps its own copy of the bytes.
    if (block != 0) GlobalFree(block);
    forms::gdi::DeleteMetaFile(metafile);
    if (!taken) return;

    quillon::ClsLanguageText& texts = textLib();
    forms::MsgBox(texts.GetText(rt::Variant(quillon::TextNo(140155))), texts.MessageBoxFlags() | kInformation,
                  texts.GetText(rt::Variant(quillon::TextNo(113))));
}

bool InstanGraphic::GetTempFilename(const std::string& lpPrefixString, std::int16_t wUnique,
                                    std::string& lpTempFilename)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) return false;
    const std::string prefix = firstCharacters(lpPrefixString, 3);
    auto nameWith = [&](std::uint16_t number) { return (folder / (prefix + hex4(number) + ".TMP")).string(); };
    if (wUnique != 0) {
        lpTempFilename = nameWith(static_cast<std::uint16_t>(wUnique));
        return true;
    }
    std::random_device seed;
    std::uint16_t number = static_cast<std::uint16_t>(seed());
    for (std::int32_t attempt = 0; attempt < 0x10000; ++attempt, ++number) {
        if (number == 0) continue;
        const std::string path = nameWith(number);
        const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
        if (fd >= 0) {
            ::close(fd);
            lpTempFilename = path;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

std::string InstanGraphic::GetShortPathName(const std::string& strLongPath)
{
    std::error_code error;
    if (strLongPath.empty() || !std::filesystem::exists(strLongPath, error)) {
        // The missing-file message names CurrentFilePath: this file.
        libraryState().CurrentFilePath = strLongPath;
        rt::raise(53, "File not found: " + strLongPath);
    }
    return strLongPath;
}

}  // namespace halvex
