// Help: the help folder chosen by the user's help language, help topics
// shown by an address built from the kind of the calling program, the
// closing of help windows and the short help popup of the library's dialogs.
//
// The help is HTML in the program folder: one folder per help name and
// language, "<program folder>/help/<word>_en" (German "_gr", Arabic "_ar").
// "mirva", the default name, holds the pages of the library's dialogs; the
// wizard's help "Orvelo" holds them as well.
// Inside it the pages keep the help's topic structure: a program's folder
// and the page, as in "<folder>/mirva_graphic/mirva_graphic_4_2.htm", or a
// title page at the top, "<folder>/orvelo_titel.htm". A topic's page is
// opened as a file URL with the desktop's default handler
// (forms::desktop()), normally the web browser; the library does not own
// that window, so HelpWindowHandle only records that a topic was shown.
#pragma once

#include <cstdint>
#include <string>

namespace halvex {

// The folder below the program folder that holds the help folders.
inline constexpr const char* kHelpFolder = "help";

// HelpWindowHandle after a topic was handed to the desktop's viewer.
inline constexpr std::int32_t kDesktopHelpWindow = 1;

// The help folder of `program` in the library's program folder for the
// stored help language (application "valmor", section "Help Language
// setting", key "Language"): "help/" & program & "_gr" for "German", "_ar"
// for "Arabic", "_en" for anything else (compared exactly). Stored in
// HelpFilePath and returned.
std::string SelectHelpFile(const std::string& program);

// The path of a help topic's page inside HelpFilePath for the program
// kind (a MirvaPrograms value; 0 means the current ProgramKind); a topic
// with an anchor keeps its "#anchor" at the end.
std::string HelpTopicAddress(const std::string& topic, std::int32_t kind);

// Shows a help topic: without a help folder (none chosen) a message says so
// and names the page; a missing page gives the missing-file message naming
// it and nothing else; an open help window is closed first; then the page
// is opened as a file URL. Errors are reported with the library's error
// message.
void ShowHelpTopic(std::int32_t ownerHwnd, const std::string& topic, std::int32_t kind);

// Forgets the help window, if one is known (HelpWindowHandle back to 0).
void CloseHelpProg();

// The file URL of a page path as HelpTopicAddress gives it: "file://", the
// path with "%", "#", "?" and blanks escaped, and the anchor, if any.
std::string HelpPageUrl(const std::string& address);

// The short help popup of a dialog: the title, a colon, an empty line and
// HelpText, in a message box in the interface language's reading order.
void ShowHelpPopup(const std::string& title);

}  // namespace halvex
