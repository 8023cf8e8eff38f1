#include "halvex/services/help.h"

#include <exception>

#include "halvex/interface/enums.h"
#include "halvex/services/file_kind.h"
#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "halvex/services/private_settings.h"
#include "halvex/services/units.h"
#include "platform/forms/desktop.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/types.h"

namespace halvex {

namespace {

// The folder of a program's topics inside the help file; "" for the kinds
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

}  // namespace

std::string SelectHelpFile(const std::string& program)
{
    std::string language =
        GetPrivateSettingValue("valmor", "Help Language setting", "Language", "English").toString();
    std::string suffix = "_en.chm";
    if (language == "German") {
        suffix = "_gr.chm";
    } else if (language == "Arabic") {
        suffix = "_ar.chm";
    }
    std::string path = ApplicationPath() + "/" + program + suffix;
    libraryState().HelpFilePath = path;
    return path;
}

std::string HelpTopicAddress(const std::string& topic, std::int32_t kind)
{
    if (kind == 0) kind = libraryState().ProgramKind;
    const std::string prefix = programPrefix(kind);

    // Inside the help file pages are named with "/" (a "\" of the help
    // file's own notation is the path separator).
    std::string part1;
    std::string part2;
    if (topic.empty()) {
        part1 = "::/mirva_description";
        part2 = "/short_description.htm";
    } else if (topic == "mirva_new") {
        part1 = "::/mirva_new";
        part2 = "/mirva_new.htm";
    } else if (topic == "language_setting") {
        part1 = "::/mirva_new";
        part2 = "/mirva9mui_2.htm";
    } else if (topic == "text8_new") {
        part1 = "::/text8_new";
        part2 = "/text_8.htm";
    } else if (topic.find(".htm#") != std::string::npos) {
        // A page with an anchor: the key names the page itself.
        part1 = "::/" + prefix;
        part2 = "/" + prefix + "_" + topic;
    } else if (topic.find("_titel") != std::string::npos) {
        part1 = "::";
        part2 = "/" + topic + ".htm";
    } else {
        part1 = "::/" + prefix;
        part2 = "/" + prefix + "_" + topic + ".htm";
    }
    return libraryState().HelpFilePath + part1 + part2;
}

void ShowHelpTopic(std::int32_t /*ownerHwnd*/, const std::string& topic, std::int32_t kind)
{
    LibraryState& state = libraryState();
    try {
        std::string address = HelpTopicAddress(topic, kind);

        SetFileTypeText(state.HelpFilePath);
        bool quiet = false;
        if (CheckFileMissing(state.HelpFilePath, quiet).toBool()) return;

        if (state.HelpWindowHandle != 0) state.HelpWindowHandle = closeAllHelpWindows();
        // The desktop's viewer has no owner window of ours.
        state.HelpWindowHandle = forms::desktop().openUrl(address) ? kDesktopHelpWindow : 0;
    } catch (const rt::RuntimeError& error) {
        ReportError(error);
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
    forms::MsgBox(prompt, forms::vbOKOnly | texts.MessageBoxFlags(), title);
}

}  // namespace halvex
