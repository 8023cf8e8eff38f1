#include "halvex/services/frm_about.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>

#include "halvex/services/library_state.h"
#include "halvex/services/units.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/desktop.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

namespace halvex {

using quillon::TextNo;

namespace {

bool isExecutableFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindProgramOnPath(const std::string& searchPath, std::span<const std::string_view> programs)
{
    for (std::string_view program : programs) {
        std::size_t start = 0;
        while (start <= searchPath.size()) {
            std::size_t end = searchPath.find(':', start);
            if (end == std::string::npos) end = searchPath.size();
            std::string folder = searchPath.substr(start, end - start);
            start = end + 1;
            if (folder.empty()) continue;
            if (folder.back() != '/') folder += '/';
            std::string candidate = folder + std::string(program);
            if (isExecutableFile(candidate)) return candidate;
        }
    }
    return std::string();
}

frmAbout::frmAbout() : Form("frmAbout")
{
    using forms::Event;
    on("cmdOK", Event::Click, [this] { cmdOK_Click(); });
    on("cmdSysInfo", Event::Click, [this] { cmdSysInfo_Click(); });
    on("LblOnLineSupport", Event::Click, [this] { LblOnLineSupport_Click(); });
    on("PctOnLineSupport", Event::Click, [this] { PctOnLineSupport_Click(); });
}

void frmAbout::design()
{
    using forms::Kind;
    BorderStyle(3);
    Move(0, 0, 7200, 5400);
    const std::string pictures = ApplicationPath() + "/pictures/";
    const char* icons[] = {"about_mirva.png", "about_boring.png", "about_editor.png"};
    for (std::int16_t i = 0; i < 3; ++i) {
        auto& icon = add(Kind::PictureBox, "picIcon", i);
        icon.Move(240 + 600 * i, 240, 540, 540);
        icon.Picture(pictures + icons[i]);
        icon.Visible(false);
    }
    add(Kind::Label, "lblTitle").Move(1080, 240, 5880, 480);
    control("lblTitle").FontBold(true);
    add(Kind::Label, "lblDescription").Move(1080, 840, 5880, 2520);
    add(Kind::Line, "Line1");
    control("Line1").X1(120);
    control("Line1").Y1(3480);
    control("Line1").X2(6960);
    control("Line1").Y2(3480);
    add(Kind::Label, "lblDisclaimer").Move(240, 3600, 5160, 1080);
    add(Kind::PictureBox, "PctOnLineSupport").Move(240, 4740, 300, 300);
    control("PctOnLineSupport").Picture(pictures + "about_support.png");
    add(Kind::Label, "LblOnLineSupport").Move(600, 4770, 2400, 255);
    add(Kind::Line, "Line2");
    control("Line2").X1(120);
    control("Line2").Y1(4680);
    control("Line2").X2(5400);
    control("Line2").Y2(4680);
    add(Kind::CommandButton, "cmdOK").Move(5640, 3600, 1320, 375);
    add(Kind::CommandButton, "cmdSysInfo").Move(5640, 4080, 1320, 375);
    control("cmdOK").Default(true);
    control("cmdOK").Cancel(true);
}

void frmAbout::cmdOK_Click() { Unload(); }

void frmAbout::cmdSysInfo_Click() { StartSysInfo(); }

void frmAbout::StartSysInfo()
{
    try {
        const char* searchPath = std::getenv("PATH");
        const std::string program = FindProgramOnPath(searchPath != nullptr ? searchPath : "", kSystemInfoPrograms);
        if (!program.empty() && forms::desktop().startDetached(program, {})) return;
    } catch (const std::exception&) {
        // Reported below like a program that is not there.
    }
    forms::MsgBox(textLib().GetText(rt::Variant(TextNo(140151))), forms::vbOKOnly);
}

void frmAbout::LblOnLineSupport_Click()
{
    // A link that cannot be opened reports nothing.
    try {
        forms::desktop().openUrl(kSupportAddress);
    } catch (const std::exception&) {
    }
}

void frmAbout::PctOnLineSupport_Click() { LblOnLineSupport_Click(); }

frmAbout& aboutForm()
{
    // Never destroyed: it lives as long as the process, past the forms
    // layer's own teardown at exit.
    static frmAbout* const form = new frmAbout();
    return *form;
}

}  // namespace halvex
