#include "halvex/services/member_name.h"
#include "halvex/settings/cls_inerface_setting.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "halvex/services/library_files.h"
#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "halvex/services/private_settings.h"
#include "halvex/services/units.h"
#include "halvex/services/user_files.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"
#include "platform/runtime/rounding.h"
#include "platform/runtime/strings.h"

namespace halvex {

namespace {

const std::string kRecentSection = "Recent Files";
constexpr std::size_t kShortenFrom = 50;  // characters

// The error being handled, reported under the member's name.
void reportTrapped(const char* member)
{
    ReportMemberErrorQuietly(member);
}

std::string trimmedUpper(const std::string& text)
{
    std::size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return std::string();
    std::size_t end = text.find_last_not_of(' ');
    std::string t = text.substr(start, end - start + 1);
    for (char& c : t) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return t;
}

std::size_t codePoints(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++n;
    }
    return n;
}

// A window's place and size, twips.
struct Placement {
    std::int32_t left;
    std::int32_t top;
    std::int32_t width;
    std::int32_t height;
};

// The smallest window worth restoring: 200 x 150 pixels.
constexpr std::int64_t kUsableWidth = 3000;
constexpr std::int64_t kUsableHeight = 2250;

// A stored placement as it is when it lies on a screen at a usable size;
// otherwise moved onto the screen it overlaps most (none: the nearest one)
// and sized to fit it.
Placement onScreen(const Placement& p)
{
    const std::int64_t left = p.left, top = p.top, right = left + p.width, bottom = top + p.height;
    const std::vector<forms::win::RECT> areas = forms::screen().areas();
    const forms::win::RECT* best = &areas.front();
    std::int64_t bestOverlap = -1;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const forms::win::RECT& a : areas) {
        const bool usable = p.width >= std::min<std::int64_t>(kUsableWidth, a.Right - a.Left) &&
                            p.height >= std::min<std::int64_t>(kUsableHeight, a.Bottom - a.Top);
        if (usable && left >= a.Left && top >= a.Top && right <= a.Right && bottom <= a.Bottom) return p;
        const std::int64_t overlap = std::max<std::int64_t>(0, std::min<std::int64_t>(right, a.Right) - std::max<std::int64_t>(left, a.Left)) *
                                     std::max<std::int64_t>(0, std::min<std::int64_t>(bottom, a.Bottom) - std::max<std::int64_t>(top, a.Top));
        const std::int64_t dx = (left + right) / 2 - (static_cast<std::int64_t>(a.Left) + a.Right) / 2;
        const std::int64_t dy = (top + bottom) / 2 - (static_cast<std::int64_t>(a.Top) + a.Bottom) / 2;
        const std::int64_t distance = dx * dx + dy * dy;
        if (overlap > bestOverlap || (overlap == bestOverlap && distance < bestDistance)) {
            best = &a;
            bestOverlap = overlap;
            bestDistance = distance;
        }
    }
    const forms::win::RECT& a = *best;
    const std::int64_t areaWidth = a.Right - a.Left, areaHeight = a.Bottom - a.Top;
    const std::int64_t width = std::clamp<std::int64_t>(p.width, std::min(kUsableWidth, areaWidth), areaWidth);
    const std::int64_t height = std::clamp<std::int64_t>(p.height, std::min(kUsableHeight, areaHeight), areaHeight);
    return Placement{static_cast<std::int32_t>(std::clamp<std::int64_t>(left, a.Left, a.Right - width)),
                     static_cast<std::int32_t>(std::clamp<std::int64_t>(top, a.Top, a.Bottom - height)),
                     static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

void writeList(const std::string& AppTitle, const std::vector<std::string>& list)
{
    for (int i = 1; i <= 4; ++i) {
        SavePrivateSettingValue(AppTitle, kRecentSection, "File" + std::to_string(i), rt::Variant(list[static_cast<std::size_t>(i)]));
    }
}

// Every record hidden; the entries' captions emptied, so that no hidden
// record keeps a caption of an earlier list. Record 0's caption is the
// host's own.
void hideAll(std::vector<RecentMnuData>& mnuFile)
{
    for (std::size_t i = 0; i < mnuFile.size() && i <= 4; ++i) {
        mnuFile[i].Visible = false;
        if (i > 0) mnuFile[i].Caption.clear();
    }
}

// The first `count` code points of a UTF-8 text.
std::string leadingCodePoints(const std::string& text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t seen = 0; end < text.size(); ++end) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && seen++ == count) break;
    }
    return text.substr(0, end);
}

// The path as a menu shows it: under 50 characters whole; longer, the start
// of its folder up to a separator, "..." and the tail from the last
// separator, together under 50 characters where the tail leaves room. A
// path without a separator is shown whole.
std::string menuPath(const std::string& path)
{
    if (codePoints(path) < kShortenFrom) return path;
    const std::size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) return path;
    const std::string tail = path.substr(separator);
    const std::size_t used = codePoints(tail) + 3;
    std::string head;
    if (used < kShortenFrom - 1) {
        head = leadingCodePoints(path, kShortenFrom - 1 - used);
        const std::size_t lastSeparator = head.find_last_of("/\\");
        if (lastSeparator != std::string::npos && lastSeparator > 0) head.erase(lastSeparator + 1);
    }
    return head + "..." + tail;
}

// The list without gaps: the entries keep their order and move up over
// empty ones. True when anything moved.
bool closeGaps(std::vector<std::string>& list)
{
    std::vector<std::string> filled;
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (!list[i].empty()) filled.push_back(list[i]);
    }
    bool moved = false;
    for (std::size_t i = 1; i < list.size(); ++i) {
        std::string entry = i - 1 < filled.size() ? filled[i - 1] : std::string();
        moved = moved || entry != list[i];
        list[i] = std::move(entry);
    }
    return moved;
}

std::string readLayout(const std::string& path)
{
    RequireRegularFileOrNothing(path);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::error_code error;
        if (!std::filesystem::exists(path, error)) rt::raise(53, "File not found");
        rt::raise(75, "Path/File access error");
    }
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string LayoutFilePath(std::int32_t IForm)
{
    static const char* const names[] = {"MDIData.xml",    "SDIData.xml",  "MDISolver.xml",  "MDIGraphic.xml",
                                        "MDIBohr.xml",    "MDITools.xml", "MDISection.xml", "MDIList.xml"};
    if (IForm < 0 || IForm > 7) return std::string();
    return UserFileToRead(names[IForm]);
}

std::int32_t ClsInerfaceSetting::GetIndexFromKey(const std::string& SKey)
{
    const std::size_t open = SKey.find('(');
    if (open == std::string::npos) return -1;
    const std::size_t close = SKey.find(')', open);
    if (close == std::string::npos) return -1;
    double value = 0;
    if (!rt::parseNumber(SKey.substr(open + 1, close - open - 1), value))
        RaiseArgumentError(13, HALVEX_MEMBER(ClsInerfaceSetting, GetIndexFromKey), "SKey");
    if (!(value > -2147483648.5 && value < 2147483647.5))
        RaiseArgumentError(6, HALVEX_MEMBER(ClsInerfaceSetting, GetIndexFromKey), "SKey");
    return rt::CLng(value);
}

std::int32_t ClsInerfaceSetting::getVerticalWidth(IToolbar& tbrThis)
{
    std::int32_t widest = 0;
    const std::int32_t count = tbrThis.ButtonCount();
    for (std::int32_t i = 0; i < count; ++i) {
        if (!tbrThis.ButtonVisible(i) || tbrThis.ButtonControl(i) != 0) continue;
        widest = std::max(widest, tbrThis.ButtonWidth(i));
    }
    return widest;
}

std::int32_t ClsInerfaceSetting::getVerticalHeight(IToolbar& tbrThis)
{
    const std::int32_t rowWidth = getVerticalWidth(tbrThis);
    std::int32_t height = 0;
    std::int32_t row = 0;
    std::int32_t x = 0;
    const std::int32_t count = tbrThis.ButtonCount();
    for (std::int32_t i = 0; i < count; ++i) {
        if (!tbrThis.ButtonVisible(i) || tbrThis.ButtonControl(i) != 0) continue;
        if (tbrThis.ButtonStyle(i) == CTBSeparator) {
            height += row + 8;
            row = 0;
            x = 0;
            continue;
        }
        const std::int32_t width = tbrThis.ButtonWidth(i);
        const std::int32_t buttonHeight = tbrThis.ButtonHeight(i);
        if (x + width > rowWidth) {
            height += row;
            x = width;
            row = std::max(buttonHeight, 0);
        } else {
            row = std::max(row, buttonHeight);
            x += width;
        }
    }
    return height + row;
}

void ClsInerfaceSetting::TbrButtonsEnabled(IToolbar& tbrThis, bool bEnabled)
{
    const std::int32_t count = tbrThis.ButtonCount();
    for (std::int32_t i = 0; i < count; ++i) tbrThis.ButtonEnabled(i, bEnabled);
}

bool ClsInerfaceSetting::ReadRecentFiles(const std::string& AppTitle, std::vector<std::string>& list)
{
    try {
        list.assign(5, std::string());
        for (int i = 1; i <= 4; ++i) {
            list[static_cast<std::size_t>(i)] =
                GetPrivateSettingValue(AppTitle, kRecentSection, "File" + std::to_string(i), rt::Variant("")).toString();
        }
        return false;
    } catch (const rt::RuntimeError&) {
        reportTrapped(HALVEX_MEMBER(ClsInerfaceSetting, ReadRecentFiles));
        list.assign(5, std::string());
        return true;
    }
}

std::string ClsInerfaceSetting::RecentFileI(const std::string& AppTitle, std::int16_t& RecentFileNumber,
                                            std::vector<RecentMnuData>& mnuFile)
{
    try {
        const std::int16_t n = RecentFileNumber;
        const std::string path =
            GetPrivateSettingValue(AppTitle, kRecentSection, "File" + std::to_string(n), rt::Variant("")).toString();
        if (path.empty()) return std::string();
        std::error_code error;
        if (std::filesystem::exists(path, error)) return path;

        forms::screen().MousePointer(forms::vbDefault);
        libraryState().FileTypeText = rt::Variant(AppTitle);
        quillon::ClsLanguageText& texts = textLib();
        forms::MsgBox(texts.GetText(rt::Variant(quillon::TextNo(140160)), {rt::Variant("|1"), rt::Variant(path)}),
                      48 | texts.MessageBoxFlags(), AppTitle);
        std::vector<std::string> list;
        if (ReadRecentFiles(AppTitle, list)) return std::string();
        // The later entries move up over the stale one.
        if (n >= 1 && n <= 4) {
            for (std::int16_t k = n; k <= 3; ++k) list[static_cast<std::size_t>(k)] = list[static_cast<std::size_t>(k + 1)];
            list[4].clear();
        }
        writeList(AppTitle, list);
        Set_RecentFile(AppTitle, mnuFile);
    } catch (const rt::RuntimeError&) {
        reportTrapped(HALVEX_MEMBER(ClsInerfaceSetting, RecentFileI));
    }
    return std::string();
}

bool ClsInerfaceSetting::SetFileAtTheTopList(const std::string& LastFileName, const std::string& AppTitle,
                                             std::vector<RecentMnuData>& mnuFile)
{
    try {
        // A menu without its five records is refused before the list changes.
        if (mnuFile.size() < 5) RaiseArgumentError(9, HALVEX_MEMBER(ClsInerfaceSetting, SetFileAtTheTopList),
                                                   "mnuFile");
        std::vector<std::string> list;
        if (ReadRecentFiles(AppTitle, list)) return true;
        list[0] = LastFileName;
        const std::string top = trimmedUpper(list[0]);
        for (std::size_t i = 1; i <= 4;) {
            if (!list[i].empty() && trimmedUpper(list[i]) == top) {
                for (std::size_t k = i; k < 4; ++k) list[k] = list[k + 1];
                list[4].clear();
                continue;  // the entry that moved up is compared too
            }
            ++i;
        }
        for (std::size_t k = 4; k >= 1; --k) list[k] = list[k - 1];
        writeList(AppTitle, list);
        Set_RecentFile(AppTitle, mnuFile);
        return false;
    } catch (const rt::RuntimeError&) {
        reportTrapped(HALVEX_MEMBER(ClsInerfaceSetting, SetFileAtTheTopList));
        hideAll(mnuFile);
        return true;
    }
}

void ClsInerfaceSetting::Set_RecentFile(const std::string& AppTitle, std::vector<RecentMnuData>& mnuFile)
{
    try {
        if (mnuFile.size() < 5) RaiseArgumentError(9, HALVEX_MEMBER(ClsInerfaceSetting, Set_RecentFile), "mnuFile");
        hideAll(mnuFile);
        std::vector<std::string> list;
        if (ReadRecentFiles(AppTitle, list)) return;
        // A stored gap would number the menu 1, 3, ...: the entries move up,
        // and the store follows, so that entry n is still key "File<n>".
        if (closeGaps(list)) writeList(AppTitle, list);
        bool any = false;
        for (std::size_t i = 1; i <= 4; ++i) {
            const std::string& path = list[i];
            if (path.empty()) continue;
            mnuFile[i].Caption = std::to_string(i) + " " + menuPath(path);
            mnuFile[i].Visible = true;
            any = true;
        }
        mnuFile[0].Visible = any;
    } catch (const rt::RuntimeError&) {
        reportTrapped(HALVEX_MEMBER(ClsInerfaceSetting, Set_RecentFile));
        hideAll(mnuFile);
    }
}

// A placement is stored under an application and a section: an empty name
// of either is refused, naming it, instead of placing the form by defaults.
static void requirePlacementNames(const char* member, const std::string& AppTitle, const std::string& StrSection)
{
    if (AppTitle.empty()) RaiseArgumentError(5, member, "AppTitle");
    if (StrSection.empty()) RaiseArgumentError(5, member, "StrSection");
}

void ClsInerfaceSetting::SaveFormSetting(IPlacedForm& ObjFrm, const std::string& AppTitle,
                                         const std::string& StrSection)
{
    requirePlacementNames(HALVEX_MEMBER(ClsInerfaceSetting, SaveFormSetting), AppTitle, StrSection);
    const std::int16_t state = ObjFrm.WindowState();
    if (state == 1) return;
    SavePrivateSettingValue(AppTitle, StrSection, "WindowState", rt::Variant(state));
    if (state == 2) return;
    SavePrivateSettingValue(AppTitle, StrSection, "MainLeft", rt::Variant(ObjFrm.Left()));
    SavePrivateSettingValue(AppTitle, StrSection, "MainTop", rt::Variant(ObjFrm.Top()));
    SavePrivateSettingValue(AppTitle, StrSection, "MainWidth", rt::Variant(ObjFrm.Width()));
    SavePrivateSettingValue(AppTitle, StrSection, "MainHeight", rt::Variant(ObjFrm.Height()));
}

void ClsInerfaceSetting::GetFormSetting(IPlacedForm& ObjFrm, const std::string& AppTitle,
                                        const std::string& StrSection)
{
    requirePlacementNames(HALVEX_MEMBER(ClsInerfaceSetting, GetFormSetting), AppTitle, StrSection);
    // A stored value that is no number counts as not stored.
    auto stored = [&](const char* key, std::int32_t fallback) {
        try {
            return rt::Variant(GetPrivateSettingValue(AppTitle, StrSection, key, rt::Variant(fallback)).toString())
                .toLong();
        } catch (const rt::RuntimeError&) {
            return fallback;
        }
    };
    const std::int32_t state = stored("WindowState", 2);
    ObjFrm.WindowState(static_cast<std::int16_t>(state >= 0 && state <= 2 ? state : 2));
    if (ObjFrm.WindowState() == 2) return;
    const Placement placed = onScreen(Placement{stored("MainLeft", ObjFrm.Left()), stored("MainTop", ObjFrm.Top()),
                                                stored("MainWidth", ObjFrm.Width()), stored("MainHeight", ObjFrm.Height())});
    ObjFrm.Left(placed.left);
    ObjFrm.Top(placed.top);
    ObjFrm.Width(placed.width);
    ObjFrm.Height(placed.height);
}

bool ClsInerfaceSetting::GetTbarSetting(IDockContainers& Objform, FormIndex IForm, std::vector<std::string>& SKey,
                                        std::vector<std::int32_t>& hwnd)
{
    const std::string path = LayoutFilePath(IForm);
    try {
        if (path.empty()) RaiseArgumentError(5, HALVEX_MEMBER(ClsInerfaceSetting, GetTbarSetting), "IForm");
        libraryState().CurrentFilePath = path;
        std::string layout;
        try {
            layout = readLayout(path);
        } catch (const rt::RuntimeError& error) {
            ReportFileError(error, path, FileAccess::Reading);
            return true;
        }
        if (layout.empty()) return true;
        for (std::int16_t i = 0; i <= 3; ++i) {
            Objform.Visible(i, false);
            Objform.RestoreLayout(i, layout, SKey, hwnd);
        }
        SKey.clear();
        hwnd.clear();
        return false;
    } catch (const rt::RuntimeError&) {
        reportTrapped(HALVEX_MEMBER(ClsInerfaceSetting, GetTbarSetting));
        return true;
    }
}

void ClsInerfaceSetting::SaveTbarSetting(IDockContainers& Objform, FormIndex IForm)
{
    try {
        if (LayoutFilePath(IForm).empty()) RaiseArgumentError(5, HALVEX_MEMBER(ClsInerfaceSetting, SaveTbarSetting),
                                                              "IForm");
        const std::string path = UserFileToWrite(std::filesystem::path(LayoutFilePath(IForm)).filename());
        std::string layout = "<Layout>";
        for (std::int16_t i = 0; i <= 3; ++i) layout += "\r\n" + Objform.SaveLayout(i);
        layout += "\r\n</Layout>";
        // Written beside the file and renamed over it: the old layout stays
        // until the new one is complete.
        WriteLibraryFile(path, [&](rt::TextWriter& writer) { writer.print(layout); });
    } catch (const rt::RuntimeError&) {
        reportTrapped(HALVEX_MEMBER(ClsInerfaceSetting, SaveTbarSetting));
    }
}

}  // namespace halvex
