#include "halvex/settings/cls_inerface_setting.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

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

void reportTrapped(const rt::RuntimeError& error)
{
    try {
        ReportError(error);
    } catch (const rt::RuntimeError&) {
    }
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

void writeList(const std::string& AppTitle, const std::vector<std::string>& list)
{
    for (int i = 1; i <= 4; ++i) {
        SavePrivateSettingValue(AppTitle, kRecentSection, "File" + std::to_string(i), rt::Variant(list[static_cast<std::size_t>(i)]));
    }
}

void hideAll(std::vector<RecentMnuData>& mnuFile)
{
    for (std::size_t i = 0; i < mnuFile.size() && i <= 4; ++i) mnuFile[i].Visible = false;
}

std::string readLayout(const std::string& path)
{
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
    if (!rt::parseNumber(SKey.substr(open + 1, close - open - 1), value)) rt::raise(13, "Type mismatch");
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
    } catch (const rt::RuntimeError& error) {
        reportTrapped(error);
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
    } catch (const rt::RuntimeError& error) {
        reportTrapped(error);
    }
    return std::string();
}

bool ClsInerfaceSetting::SetFileAtTheTopList(const std::string& LastFileName, const std::string& AppTitle,
                                             std::vector<RecentMnuData>& mnuFile)
{
    try {
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
    } catch (const rt::RuntimeError& error) {
        reportTrapped(error);
        hideAll(mnuFile);
        return true;
    }
}

void ClsInerfaceSetting::Set_RecentFile(const std::string& AppTitle, std::vector<RecentMnuData>& mnuFile)
{
    try {
        if (mnuFile.size() < 5) rt::raise(9, "Subscript out of range");
        hideAll(mnuFile);
        std::vector<std::string> list;
        if (ReadRecentFiles(AppTitle, list)) return;
        bool any = false;
        for (std::size_t i = 1; i <= 4; ++i) {
            const std::string& path = list[i];
            if (path.empty()) continue;
            std::string shown = path;
            if (codePoints(path) >= kShortenFrom) {
                const std::size_t separator = path.find_last_of("/\\");
                if (separator != std::string::npos) shown = "..." + path.substr(separator);
            }
            mnuFile[i].Caption = std::to_string(i) + " " + shown;
            mnuFile[i].Visible = true;
            any = true;
        }
        mnuFile[0].Visible = any;
    } catch (const rt::RuntimeError& error) {
        reportTrapped(error);
        hideAll(mnuFile);
    }
}

void ClsInerfaceSetting::SaveFormSetting(IPlacedForm& ObjFrm, const std::string& AppTitle,
                                         const std::string& StrSection)
{
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
    auto stored = [&](const char* key, std::int32_t fallback) {
        return rt::Variant(GetPrivateSettingValue(AppTitle, StrSection, key, rt::Variant(fallback)).toString()).toLong();
    };
    ObjFrm.WindowState(static_cast<std::int16_t>(stored("WindowState", 2)));
    if (ObjFrm.WindowState() == 2) return;
    ObjFrm.Left(stored("MainLeft", ObjFrm.Left()));
    ObjFrm.Top(stored("MainTop", ObjFrm.Top()));
    ObjFrm.Width(stored("MainWidth", ObjFrm.Width()));
    ObjFrm.Height(stored("MainHeight", ObjFrm.Height()));
}

bool ClsInerfaceSetting::GetTbarSetting(IDockContainers& Objform, FormIndex IForm, std::vector<std::string>& SKey,
                                        std::vector<std::int32_t>& hwnd)
{
    try {
        const std::string path = LayoutFilePath(IForm);
        if (path.empty()) rt::raise(5, "Invalid procedure call or argument: no layout file for window kind " +
                                           std::to_string(static_cast<std::int32_t>(IForm)));
        libraryState().CurrentFilePath = path;
        std::string layout = readLayout(path);
        if (layout.empty()) return true;
        for (std::int16_t i = 0; i <= 3; ++i) {
            Objform.Visible(i, false);
            Objform.RestoreLayout(i, layout, SKey, hwnd);
        }
        SKey.clear();
        hwnd.clear();
        return false;
    } catch (const rt::RuntimeError& error) {
        reportTrapped(error);
        return true;
    }
}

void ClsInerfaceSetting::SaveTbarSetting(IDockContainers& Objform, FormIndex IForm)
{
    std::string temporary;
    try {
        if (LayoutFilePath(IForm).empty()) {
            rt::raise(5, "Invalid procedure call or argument: no layout file for window kind " +
                             std::to_string(static_cast<std::int32_t>(IForm)));
        }
        const std::string path = UserFileToWrite(std::filesystem::path(LayoutFilePath(IForm)).filename());
        libraryState().CurrentFilePath = path;
        std::string layout = "<Layout>";
        for (std::int16_t i = 0; i <= 3; ++i) layout += "\r\n" + Objform.SaveLayout(i);
        layout += "\r\n</Layout>";
        // Written beside the file and renamed over it: the old layout stays
        // until the new one is complete.
        temporary = path + ".tmp";
        std::error_code error;
        if (std::filesystem::exists(temporary, error) && !std::filesystem::is_regular_file(temporary, error)) {
            temporary.clear();
            rt::raise(75, "Path/File access error: " + path + ".tmp is in the way");
        }
        try {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            if (!out.is_open()) rt::raise(75, std::generic_category().message(errno));
            out.write(layout.data(), static_cast<std::streamsize>(layout.size()));
            out.close();
            if (!out) rt::raise(75, std::generic_category().message(errno));
            std::filesystem::rename(temporary, path, error);
            if (error) rt::raise(75, error.message());
        } catch (const rt::RuntimeError& failure) {
            RaiseWriteFailure(path, failure);
        }
    } catch (const rt::RuntimeError& error) {
        if (!temporary.empty()) {
            std::error_code ignored;
            if (std::filesystem::is_regular_file(temporary, ignored)) std::filesystem::remove(temporary, ignored);
        }
        reportTrapped(error);
    }
}

}  // namespace halvex
