#include "halvex/services/help.h"

#include <exception>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/file_kind.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "halvex/services/private_settings.h"
#include "halvex/services/units.h"
#include "platform/forms/desktop.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"

namespace halvex {

namespace {

// The folder of a program's topics inside the help folder; "" for the kinds
// without one (0, 6, 7 and values outside the family).
std::string programPrefix(std::int32_t kind)
{
    switch (kind) {
    case MirvaData: return "mirva_data";
    case MirvaGraphic: return "mirva_graphic";
    case MirvaList: return "mirva_list";
    case MirvaSection: return "mirva_section";
    case MirvaSolver: return "mirva_solver";
    case MirvaEditor: return "valmor_text";
    case MirvaBOHR:
    case ProgBOHR: return "mirva_boring";
    default: return "";
    }
}

// Closes every help window the library opened. The desktop's viewer is
// not the library's window, so there is nothing to close; the result is
// the handle that remains known: none.
std::int32_t closeAllHelpWindows()
{
    return 0;
}

// The page of an address and its anchor ("" when none): the anchor
// follows the last "#" when no "/" comes after it (a "#" of a folder name
// is part of the path).
void splitAnchor(const std::string& address, std::string& page, std::string& anchor)
{
    const std::size_t hash = address.rfind('#');
    if (hash == std::string::npos || address.find('/', hash) != std::string::npos) {
        page = address;
        anchor.clear();
    } else {
        page = address.substr(0, hash);
        anchor = address.substr(hash);
    }
}

}  // namespace

std::string SelectHelpFile(const std::string& program)
{
    std::string language =
        GetPrivateSettingValue("valmor", "Help Language setting", "Language", "English").toString();
    std::string suffix = "_en";
    if (language == "German") {
        suffix = "_gr";
    } else if (language == "Arabic") {
        suffix = "_ar";
    }
    std::string path = ApplicationPath() + "/" + kHelpFolder + "/" + program + suffix;
    libraryState().HelpFilePath = path;
    return path;
}

std::string HelpTopicAddress(const std::string& topic, std::int32_t kind)
{
    if (kind == 0) kind = libraryState().ProgramKind;
    const std::string prefix = programPrefix(kind);
    // A program's pages lie in its folder; a kind without one has its
    // pages at the top of the help folder.
    const std::string folder = prefix.empty() ? std::string() : "/" + prefix;

    std::string page;
    if (topic.empty()) {
        page = "/mirva_description/short_description.htm";
    } else if (topic == "mirva_new") {
        page = "/mirva_new/mirva_new.htm";
    } else if (topic == "language_setting") {
        page = "/mirva_new/mirva9mui_2.htm";
    } else if (topic == "text8_new") {
        page = "/text8_new/text_8.htm";
    } else if (topic.find(".htm#") != std::string::npos) {
        // A page with an anchor: the key names the page itself.
        page = folder + "/" + prefix + "_" + topic;
    } else if (topic.find("_titel") != std::string::npos) {
        page = "/" + topic + ".htm";
    } else {
        page = folder + "/" + prefix + "_" + topic + ".htm";
    }
    return libraryState().HelpFilePath + page;
}

std::string HelpPageUrl(const std::string& address)
{
    std::string page;
    std::string anchor;
    splitAnchor(address, page, anchor);
    std::string url = "file://";
    for (char c : page) {
        switch (c) {
        case '%': url += "%25"; break;
        case '#': url += "%23"; break;
        case '?': url += "%3F"; break;
        case ' ': url += "%20"; break;
        default: url += c; break;
        }
    }
    return url + anchor;
}

void ShowHelpTopic(std::int32_t /*ownerHwnd*/, const std::string& topic, std::int32_t kind)
{
    LibraryState& state = libraryState();
    try {
        const std::string address = HelpTopicAddress(topic, kind);
        std::string page;
        std::string anchor;
        splitAnchor(address, page, anchor);

        if (state.HelpFilePath.empty()) {
            // No help chosen (GetHelpFileName not called, AppHelpFile
            // emptied): the message says so and names the page asked for.
            quillon::ClsLanguageText& texts = textLib();
            forms::screen().MousePointer(forms::vbDefault);
            ShowLibraryMessage(texts.GetText(rt::Variant(quillon::TextNo(140397)),
                                             {rt::Variant("|1"), rt::Variant(page.substr(page.find_first_not_of('/')))}),
                               forms::vbExclamation | texts.MessageBoxFlags(), texts.GetText(rt::Variant(quillon::TextNo(5))));
            return;
        }
        SetFileTypeText(page);
        bool quiet = false;
        if (CheckFileMissing(page, quiet).toBool()) return;

        if (state.HelpWindowHandle != 0) state.HelpWindowHandle = closeAllHelpWindows();
        // The desktop's viewer has no owner window of ours. Without one, told
        // at once or by the opener's late verdict, the user is told where the
        // page is.
        auto noViewer = [page] {
            libraryState().HelpWindowHandle = 0;
            quillon::ClsLanguageText& texts = textLib();
            forms::screen().MousePointer(forms::vbDefault);
            ShowLibraryMessage(texts.GetText(rt::Variant(quillon::TextNo(140252)), {rt::Variant("|1"), rt::Variant(page)}),
                          forms::vbInformation | texts.MessageBoxFlags(), forms::app().Title);
        };
        state.HelpWindowHandle =
            forms::desktop().openUrl(HelpPageUrl(address), noViewer) ? kDesktopHelpWindow : 0;
        if (state.HelpWindowHandle == 0) noViewer();
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowHelp));
    }
}

void CloseHelpProg()
{
    LibraryState& state = libraryState();
    if (state.HelpWindowHandle != 0) state.HelpWindowHandle = closeAllHelpWindows();
}

void ShowHelpPopup(const std::string& title)
{
    std::string text = title + ":\n\n" + libraryState().HelpText + " \r\n";
    quillon::ClsLanguageText& texts = textLib();
    std::string prompt = texts.GetText(rt::Variant(text));
    forms::screen().MousePointer(forms::vbDefault);
    // The popup takes the reading order of the interface language.
    ShowLibraryMessage(prompt, forms::vbOKOnly | texts.MessageBoxFlags(), title);
}

}  // namespace halvex
