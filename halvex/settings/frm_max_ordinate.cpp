// frmMaxOrdinate: one ordinate (a drawing size of zero or more) per item.
#include <memory>

#include "halvex/services/form_language.h"
#include "halvex/services/input_checks.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/dialog_helpers.h"
#include "halvex/settings/settings_dialogs.h"
#include "halvex/settings/settings_files.h"
#include "halvex/settings/settings_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"

namespace halvex {

namespace {

using namespace settingsdialog;
using forms::Kind;
using quillon::TextNo;

constexpr std::int32_t kTitle = TextNo(16);

class frmMaxOrdinate : public forms::Form {
public:
    frmMaxOrdinate() : forms::Form("frmMaxOrdinate")
    {
        on(forms::Event::Load, [this] { Form_Load(); });
        on("CboOrdinate", forms::Event::Click, [this] { CboOrdinate_Click(); });
        on("txtOrdinate", forms::Event::KeyPress, [this](forms::EventArgs& a) { txtOrdinate_KeyPress(a); });
        on("txtOrdinate", forms::Event::LostFocus, [this] { txtOrdinate_LostFocus(); });
        on("UpDnOrdinate", forms::Event::UpClick, [this] { UpDnOrdinate_UpClick(); });
        on("UpDnOrdinate", forms::Event::DownClick, [this] { UpDnOrdinate_DownClick(); });
        on("cmdOK", forms::Event::Click, [this] { cmdOK_Click(); });
        on("CmdCancel", forms::Event::Click, [this] { Unload(); });
        on("cmdHelp", forms::Event::Click, [this] { cmdHelp_Click(); });
        on("cmdSave", forms::Event::Click, [this] { cmdSave_Click(); });
    }

    std::int16_t CurrentItem = 0;

protected:
    void design() override
    {
        BorderStyle(3);
        Move(0, 0, 5400, 2400);
        forms::Control& frame = add(Kind::Frame, "Frame1");
        frame.Move(120, 120, 3615, 1695);
        forms::Control& list = add(Kind::ComboBox, "CboOrdinate", -1, &frame);
        list.Style(2);
        list.Move(120, 360, 3375, 315);
        add(Kind::Label, "LbLOrdinate", 0, &frame).Move(120, 900, 1800, 255);
        add(Kind::TextBox, "txtOrdinate", -1, &frame).Move(1980, 870, 1260, 285);
        add(Kind::UpDown, "UpDnOrdinate", -1, &frame).Move(3240, 870, 255, 285);
        addButtons(*this, 3960, 120);
    }

private:
    forms::Control& box() { return control("txtOrdinate"); }
    void store() { settingsState().SettingOrdinates.at(static_cast<std::size_t>(CurrentItem)) = boxValue(box()); }
    // The check of the box; false when it refused the value.
    bool accepted() { return !rejected(box(), kTitle); }

    void Form_Load()
    {
        SetFormLanguage(*this);
        buttonCaptions(*this);
        Caption(text(kTitle));
        control("Frame1").Caption(textWith(kTitle, 4));
        control("LbLOrdinate", 0).Caption(text(libraryState().ProgramKind == 1 ? TextNo(140248) : TextNo(42)));
        CurrentItem = 0;
        SetFormLanguage(*this);
    }
    void CboOrdinate_Click()
    {
        if (CurrentItem != 0) {
            if (!accepted()) return;
            store();
        }
        currentFromList(control("CboOrdinate"), CurrentItem);
        if (CurrentItem == 0) return;
        box().Text(userNumber(settingsState().SettingOrdinates.at(static_cast<std::size_t>(CurrentItem))));
    }
    void txtOrdinate_KeyPress(forms::EventArgs& a)
    {
        if (a.KeyAscii != 13) return;
        a.KeyAscii = 0;
        if (CurrentItem != 0) store();
        control("cmdOK").SetFocus();
    }
    void txtOrdinate_LostFocus()
    {
        if (CurrentItem != 0 && accepted()) store();
    }
    void UpDnOrdinate_UpClick()
    {
        box().Text(userNumber(boxValue(box()) + 1.0f));
        txtOrdinate_LostFocus();
    }
    void UpDnOrdinate_DownClick()
    {
        const float value = boxValue(box());
        if (value > 1.0f) box().Text(userNumber(value - 1.0f));
        if (CurrentItem != 0) store();
    }
    void cmdOK_Click()
    {
        if (!accepted()) return;
        if (CurrentItem != 0) store();
        libraryState().DialogConfirmed = true;
        Unload();
    }
    void cmdSave_Click()
    {
        if (!accepted()) return;
        if (CurrentItem != 0) store();
        WriteOrdinateFile();
    }
    void cmdHelp_Click()
    {
        const std::int32_t kind = libraryState().ProgramKind;
        showHelp(*this, kind == 1 ? "5_3_6_3" : (kind == 2 || kind == 9 || kind == 10) ? "8_3" : kind == 4 ? "7_2" : "");
    }
};

}  // namespace

void showOrdinateDialog()
{
    static std::unique_ptr<frmMaxOrdinate> form = std::make_unique<frmMaxOrdinate>();
    form->Load();
    fillList(form->control("CboOrdinate"));
    form->control("CboOrdinate").ListIndex(0);
    fitAndCentre(*form);
    form->Refresh();
    forms::screen().MousePointer(forms::vbDefault);
    form->Show(forms::vbModal);
}

}  // namespace halvex
