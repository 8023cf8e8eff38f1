#include "halvex/services/frm_language.h"

#include <pugixml.hpp>

#include <string>
#include <vector>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/dialog_layout.h"
#include "halvex/services/form_language.h"
#include "halvex/services/help.h"
#include "halvex/services/library_files.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "halvex/services/private_settings.h"
#include "halvex/services/units.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"

namespace halvex {

using quillon::TextNo;

namespace {

std::string text(std::int32_t number) { return textLib().GetText(rt::Variant(number)); }

std::string text(std::int32_t number, std::int32_t argument)
{
    return textLib().GetText(rt::Variant(number), {rt::Variant(argument)});
}

constexpr const char* kValmorApp = "valmor";
constexpr const char* kInterfaceLanguageSection = "Interface Language setting";
constexpr const char* kHelpLanguageSection = "Help Language setting";
constexpr const char* kLanguageKey = "Language";

constexpr const char* kHelpLanguages[] = {"English", "German", "Arabic"};

void addHelpLanguages(forms::Control& box)
{
    box.Clear();
    for (const char* language : kHelpLanguages) box.AddItem(language);
}

}  // namespace

frmLanguage::frmLanguage() : Form("frmLanguage")
{
    using forms::Event;
    on(Event::Load, [this] { Form_Load(); });
    on("cmdSave", Event::Click, [this] { cmdSave_Click(); });
    on("CmdCancel", Event::Click, [this] { CmdCancel_Click(); });
    on("cmdHelp", Event::Click, [this] { cmdHelp_Click(); });
}

void frmLanguage::design()
{
    using forms::Kind;
    BorderStyle(3);
    Move(0, 0, 6600, 4200);
    auto& frame = add(Kind::Frame, "fraLanguage");
    frame.Move(120, 120, 6240, 3000);
    add(Kind::Image, "Image1", -1, &frame).Move(120, 300, 480, 480);
    add(Kind::Label, "lblLanguage1", -1, &frame).Move(720, 300, 5400, 600);
    add(Kind::Label, "lblDisplay1", -1, &frame).Move(720, 1005, 2400, 255);
    add(Kind::ComboBox, "CmbLanguage1", -1, &frame).Move(3240, 960, 2880, 315);
    add(Kind::Image, "Image2", -1, &frame).Move(120, 1620, 480, 480);
    add(Kind::Label, "lblLanguage2", -1, &frame).Move(720, 1620, 5400, 600);
    add(Kind::Label, "lblDisplay2", -1, &frame).Move(720, 2325, 2400, 255);
    add(Kind::ComboBox, "CmbLanguage2", -1, &frame).Move(3240, 2280, 2880, 315);
    // Editable, so that a stored value that is not listed still shows.
    control("CmbLanguage1").Style(0);
    control("CmbLanguage2").Style(0);
    add(Kind::CommandButton, "cmdSave").Move(2280, 3300, 1250, 375);
    add(Kind::CommandButton, "CmdCancel").Move(3690, 3300, 1250, 375);
    add(Kind::CommandButton, "cmdHelp").Move(5100, 3300, 1250, 375);
    control("CmdCancel").Cancel(true);
}

void frmLanguage::Form_Load()
{
    try {
        CmdCancel->Caption(text(TextNo(7), 1));
        cmdHelp->Caption(text(TextNo(8), 1));
        cmdSave->Caption(text(TextNo(111), 1));
        Caption(text(TextNo(160055)));
        fraLanguage->Caption(text(TextNo(160056)));
        lblLanguage1->Caption(text(TextNo(160057)));
        lblDisplay1->Caption(text(TextNo(160058), 5));
        lblLanguage2->Caption(text(TextNo(160059)));
        lblDisplay2->Caption(text(TextNo(160060), 5));
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowLanguageSetting));
        return;
    }

    // From here on a step that fails is skipped.
    try {
        UseLanguageFont(*this);
        FitButtonRow(*this, {&*cmdSave, &*CmdCancel, &*cmdHelp});
        GrowToHoldControls(*this);
        CentreOnOwner(*this);
    } catch (const rt::RuntimeError&) {
    }
    try {
        SetFormLanguage(*this);
    } catch (const rt::RuntimeError&) {
    }
    try {
        FillLanguageLists();
    } catch (const rt::RuntimeError&) {
    }
    libraryState().DialogConfirmed = false;
    try {
        CmbLanguage1->Text(GetPrivateSettingValue(kValmorApp, kInterfaceLanguageSection, kLanguageKey,
                                                  rt::Variant(text(TextNo(140156))))
                               .toString());
    } catch (const rt::RuntimeError&) {
    }
    try {
        CmbLanguage2->Text(GetPrivateSettingValue(kValmorApp, kHelpLanguageSection, kLanguageKey,
                                                  rt::Variant(text(TextNo(140156))))
                               .toString());
    } catch (const rt::RuntimeError&) {
    }
    try {
        Refresh();
        forms::doEvents();
    } catch (const rt::RuntimeError&) {
    }
}

void frmLanguage::FillLanguageLists()
{
    const std::string path = ApplicationPath() + "/language/language.xml";
    try {
        // A pipe or folder of that name is refused, never waited on.
        RequireRegularFileOrNothing(path);
    } catch (const rt::RuntimeError& error) {
        ReportFileError(error, path, FileAccess::Reading);
        fillFallbackLists();
        return;
    }
    try {
        pugi::xml_document document;
        const pugi::xml_parse_result parsed = document.load_file(path.c_str());
        // No file: the built-in list, quietly.
        if (parsed.status == pugi::status_file_not_found) {
            fillFallbackLists();
            return;
        }
        std::vector<std::string> names;
        if (parsed) {
            for (const pugi::xpath_node& node : document.select_nodes("/languages/language")) {
                for (const pugi::xml_attribute& attribute : node.node().attributes()) {
                    if (std::string(attribute.name()) == "engname") names.emplace_back(attribute.value());
                }
            }
        }
        // A damaged file is named once and the built-in list taken whole,
        // never what was read of it.
        if (!parsed || names.empty()) {
            const std::string why =
                !parsed ? textLib().GetText(rt::Variant(TextNo(140381)),
                                            {rt::Variant("|1"), rt::Variant(static_cast<std::int32_t>(parsed.offset))})
                        : text(TextNo(140382));
            ReportFileError(rt::RuntimeError(13, why), path, FileAccess::Reading);
            fillFallbackLists();
            return;
        }
        forms::Control& interfaceBox = *CmbLanguage1;
        interfaceBox.Clear();
        for (const std::string& name : names) interfaceBox.AddItem(name);
        addHelpLanguages(*CmbLanguage2);
        return;
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowLanguageSetting));
    }
    fillFallbackLists();
}

void frmLanguage::fillFallbackLists()
{
    try {
        addHelpLanguages(*CmbLanguage1);
        addHelpLanguages(*CmbLanguage2);
        CmbLanguage1->Text(text(TextNo(140156)));
        CmbLanguage2->Text(text(TextNo(140156)));
    } catch (const rt::RuntimeError&) {
    }
}

void frmLanguage::cmdSave_Click()
{
    try {
        SavePrivateSettingValue(kValmorApp, kInterfaceLanguageSection, kLanguageKey,
                                rt::Variant(CmbLanguage1->Text()));
        SavePrivateSettingValue(kValmorApp, kHelpLanguageSection, kLanguageKey, rt::Variant(CmbLanguage2->Text()));
        libraryState().DialogConfirmed = true;
        Unload();
    } catch (const rt::RuntimeError&) {
        ReportMemberError(HALVEX_MEMBER(ClsValmor, ShowLanguageSetting));
    }
}

void frmLanguage::CmdCancel_Click() { Unload(); }

void frmLanguage::cmdHelp_Click()
{
    const bool defaultHelp = rt::fileExists(ApplicationPath() + "/mirva_en.chm");
    ShowHelpTopic(hWnd(), defaultHelp ? "7_6" : "09_11_4", 0);
}

frmLanguage& languageForm()
{
    // Never destroyed: it lives as long as the process, past the forms
    // layer's own teardown at exit.
    static frmLanguage* const form = new frmLanguage();
    return *form;
}

}  // namespace halvex
