#include "platform/forms/common_dialogs.h"

#include <algorithm>

#include "platform/forms/layer.h"
#include "platform/forms/printing.h"
#include "platform/forms/screen.h"
#include "platform/forms/scripted_dialogs.h"
#include "platform/forms/types.h"
#include "platform/forms/ui_thread.h"
#include "platform/runtime/rounding.h"

namespace forms {

namespace {

std::shared_ptr<CommonDialogs>& installed() {
    requireUiThread();
    static std::shared_ptr<CommonDialogs> backend;
    return backend;
}

constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80070057u);

// The classic desktop scheme, COLOR_SCROLLBAR (0) to COLOR_INFOBK (24).
constexpr std::int32_t kClassicScheme[] = {
    RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(192, 192, 192), RGB(0, 0, 0),       RGB(255, 255, 225),
};
constexpr std::int32_t kSchemeSize = static_cast<std::int32_t>(std::size(kClassicScheme));

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::string nameOf(const std::string& path) {
    auto it = std::find_if(path.rbegin(), path.rend(), isSeparator);
    return std::string(it.base(), path.end());
}

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string trimBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::string();
    std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// Bold in the dialogs' sense: heavier than halfway between normal (400)
// and bold (700).
bool isBoldWeight(std::int32_t weight) { return weight > 550; }

}  // namespace

std::int32_t CommonDialogs::systemColor(std::int32_t index) const {
    return index >= 0 && index < kSchemeSize ? kClassicScheme[index] : 0;
}

CommonDialogs& commonDialogs() {
    std::shared_ptr<CommonDialogs>& backend = installed();
    if (!backend) backend = std::make_shared<ScriptedCommonDialogs>();
    return *backend;
}

std::shared_ptr<CommonDialogs> setCommonDialogs(std::shared_ptr<CommonDialogs> backend) {
    std::shared_ptr<CommonDialogs>& slot = installed();
    std::shared_ptr<CommonDialogs> previous = std::move(slot);
    slot = backend ? std::move(backend) : std::make_shared<ScriptedCommonDialogs>();
    return previous;
}

std::int32_t newDialogWindowHandle() {
    // The forms' table counts up from 0x10000, one handle a window; this
    // range lies far above anything it reaches.
    static std::int32_t next = 0x40000000;
    return next++;
}

bool CommonDialogs::printerAvailable() {
    if (printerSystem().defaultPrinter() || !printerSystem().printers().empty()) return true;
    setExtendedError(dlg::PDERR_NODEFAULTPRN);
    return false;
}

std::int32_t GetSysColor(std::int32_t index) { return commonDialogs().systemColor(index); }

std::int32_t OleTranslateColor(std::int32_t color, std::int32_t /*palette*/, std::int32_t& rgb) {
    const std::uint32_t value = static_cast<std::uint32_t>(color);
    switch (value >> 24) {
        case 0x00:
            rgb = color;
            return 0;
        case 0x02:
            rgb = static_cast<std::int32_t>(value & 0xFFFFFFu);
            return 0;
        case 0x80: {
            const std::uint32_t index = value & 0xFFFFFFu;
            if (index >= static_cast<std::uint32_t>(kSchemeSize)) return kInvalidArgument;
            rgb = GetSysColor(static_cast<std::int32_t>(index));
            return 0;
        }
        default:
            return kInvalidArgument;
    }
}

std::string faceNameOf(const LOGFONT& font) {
    const auto end = std::find(font.lfFaceName.begin(), font.lfFaceName.end(), '\0');
    return std::string(font.lfFaceName.begin(), end);
}

void setFaceName(LOGFONT& font, std::string_view name) {
    font.lfFaceName.fill('\0');
    // Room for the closing NUL; a cut never splits a character.
    std::size_t length = std::min<std::size_t>(name.size(), font.lfFaceName.size() - 1);
    if (length < name.size()) {
        while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) --length;
    }
    std::copy_n(name.begin(), length, font.lfFaceName.begin());
}

std::int32_t logFontHeight(double points) {
    return -static_cast<std::int32_t>(rt::roundHalfEven(points * 20.0 / screen().TwipsPerPixelY()));
}

std::vector<FilterItem> parseFilter(std::string_view filter) {
    std::vector<std::string_view> texts;
    std::size_t start = 0;
    while (start < filter.size()) {
        std::size_t nul = filter.find('\0', start);
        if (nul == std::string_view::npos) nul = filter.size();
        texts.push_back(filter.substr(start, nul - start));
        start = nul + 1;
    }
    std::vector<FilterItem> items;
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
        if (texts[i].empty() || texts[i + 1].empty()) break;
        FilterItem item;
        item.display = std::string(texts[i]);
        std::string_view patterns = texts[i + 1];
        std::size_t from = 0;
        while (from <= patterns.size()) {
            std::size_t semicolon = patterns.find(';', from);
            if (semicolon == std::string_view::npos) semicolon = patterns.size();
            std::string pattern = trimBlanks(patterns.substr(from, semicolon - from));
            if (!pattern.empty()) item.patterns.push_back(std::move(pattern));
            from = semicolon + 1;
        }
        items.push_back(std::move(item));
    }
    return items;
}

std::string withDefaultExtension(const std::string& name, const std::string& defExt) {
    std::string extension = defExt;
    if (!extension.empty() && extension.front() == '.') extension.erase(0, 1);
    if (extension.empty() || nameOf(name).find('.') != std::string::npos) return name;
    return name + "." + extension;
}

std::int32_t storeFileChoice(OpenFileRecord& record, const std::vector<std::string>& paths,
                             std::int32_t filterIndex, std::int32_t& extendedError) {
    extendedError = 0;
    if (paths.empty()) {
        extendedError = dlg::CDERR_DIALOGFAILURE;
        return -1;
    }
    const bool several = paths.size() > 1 && (record.flags & dlg::OFN_ALLOWMULTISELECT) != 0;
    std::string file;
    std::string title;
    if (several) {
        // The folder (without a closing separator, except the root), then
        // every name, each followed by NUL, and a closing NUL.
        const std::string& first = paths.front();
        auto sep = std::find_if(first.rbegin(), first.rend(), isSeparator);
        std::string folder(first.begin(), sep == first.rend() ? first.begin() : std::prev(sep.base()));
        if (folder.empty() && sep != first.rend()) folder = std::string(1, *sep);
        file = folder;
        file.push_back('\0');
        for (const std::string& path : paths) {
            file += nameOf(path);
            file.push_back('\0');
        }
        file.push_back('\0');
        if (detail::characterCount(file) > record.maxFile) {
            extendedError = dlg::FNERR_BUFFERTOOSMALL;
            return -1;
        }
    } else {
        file = paths.front();
        title = nameOf(file);
        if (detail::characterCount(file) + 1 > record.maxFile ||
            (record.maxFileTitle > 0 && detail::characterCount(title) + 1 > record.maxFileTitle)) {
            extendedError = dlg::FNERR_BUFFERTOOSMALL;
            return -1;
        }
        if (record.maxFileTitle <= 0) title.clear();
    }
    record.file = std::move(file);
    record.fileTitle = std::move(title);
    record.filterIndex = filterIndex;
    record.flags &= ~dlg::OFN_EXTENSIONDIFFERENT;
    if (!record.defExt.empty()) {
        const std::string name = nameOf(paths.front());
        const std::size_t dot = name.rfind('.');
        const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
        std::string expected = record.defExt;
        if (!expected.empty() && expected.front() == '.') expected.erase(0, 1);
        if (lowerAscii(extension) != lowerAscii(expected)) record.flags |= dlg::OFN_EXTENSIONDIFFERENT;
    }
    return 1;
}

FontChoice initialFontChoice(const ChooseFontRecord& record) {
    FontChoice choice;
    choice.color = record.rgbColors;
    if ((record.flags & dlg::CF_INITTOLOGFONTSTRUCT) == 0) return choice;
    const LOGFONT& lf = record.logFont;
    choice.faceName = faceNameOf(lf);
    choice.bold = isBoldWeight(lf.lfWeight);
    choice.italic = lf.lfItalic != 0;
    choice.underline = lf.lfUnderline != 0;
    choice.strikeOut = lf.lfStrikeOut != 0;
    if (record.iPointSize > 0) {
        choice.pointSize = record.iPointSize / 10.0;
    } else if (lf.lfHeight != 0) {
        const double pixels = lf.lfHeight < 0 ? -static_cast<double>(lf.lfHeight) : lf.lfHeight;
        choice.pointSize = rt::roundHalfEven(pixels * screen().TwipsPerPixelY() / 20.0);
    }
    return choice;
}

void storeFontChoice(ChooseFontRecord& record, const FontChoice& choice) {
    LOGFONT& lf = record.logFont;
    lf.lfHeight = logFontHeight(choice.pointSize);
    lf.lfWidth = 0;
    lf.lfWeight = choice.bold ? 700 : 400;
    lf.lfItalic = choice.italic ? 1 : 0;
    lf.lfUnderline = choice.underline ? 1 : 0;
    lf.lfStrikeOut = choice.strikeOut ? 1 : 0;
    setFaceName(lf, choice.faceName);
    record.iPointSize = static_cast<std::int32_t>(rt::roundHalfEven(choice.pointSize * 10.0));
    record.nFontType = dlg::SCREEN_FONTTYPE | (choice.bold ? dlg::BOLD_FONTTYPE : dlg::REGULAR_FONTTYPE) |
                       (choice.italic ? dlg::ITALIC_FONTTYPE : 0);
    if ((record.flags & dlg::CF_EFFECTS) != 0) record.rgbColors = choice.color;
}

}  // namespace forms
