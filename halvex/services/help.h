// Help: the help file chosen by the user's help language, help topics shown
// by an address built from the kind of the calling program, the closing of
// help windows and the short help popup of the library's dialogs.
//
// A help topic's address is the help file's path followed by "::", the
// program's folder inside the help file and the page, as in
// "<folder>/mirva_en.chm::/mirva_graphic/mirva_graphic_4_2.htm". The
// address is opened with the desktop's default handler (forms::desktop()),
// which hands it to the help viewer the desktop has; the library does not
// own that window, so HelpWindowHandle only records that a topic was shown.
#pragma once

#include <cstdint>
#include <string>

namespace halvex {

// HelpWindowHandle after a topic was handed to the desktop's viewer.
inline constexpr std::int32_t kDesktopHelpWindow = 1;

// The help file of `program` in the library's program folder for the
// stored help language (application "valmor", section "Help Language
// setting", key "Language"): program & "_gr.chm" for "German", "_ar.chm"
// for "Arabic", "_en.chm" for anything else (compared exactly). Stored in
// HelpFilePath and returned.
std::string SelectHelpFile(const std::string& program);

// The address of a help topic inside HelpFilePath for the program kind
// (a MirvaPrograms value; 0 means the current ProgramKind).
std::string HelpTopicAddress(const std::string& topic, std::int32_t kind);

// Shows a help topic: a missing help file gives the missing-file message
// and nothing else; an open help window is closed first; then the topic's
// address is opened. Errors are reported with the library's error message.
void ShowHelpTopic(std::int32_t ownerHwnd, const std::string& topic, std::int32_t kind);

// Forgets the help window, if one is known (HelpWindowHandle back to 0).
void CloseHelpProg();

// The short help popup of a dialog: the title, a colon, an empty line and
// HelpText, in a message box in the interface language's reading order.
void ShowHelpPopup(const std::string& title);

}  // namespace halvex
