// frmPaintColors: one fill colour per item, chosen in the colour dialog.
#include <memory>

#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/services/form_language.h"
#include "halvex/services/library_state.h"
#include "halvex/services/step_errors.h"
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

class frmPaintColors : public forms::Form {
public:
    frmPaintColors() : forms::Form("frmPaintColors")
    {
        on(forms::Event::Load, [this] { Form_Load(); });
        on("Cbocolor", forms::Event::Click, [this] { Cbocolor_Click(); });
        on("CmdSet", forms::Event::Click, [this] { CmdSet_Click(); });
        on("PicPaintColor", forms::Event::DblClick, [this] { CmdSet_Click(); });
        on("cmdOK", forms::Event::Click, [this] {
            libraryState().DialogConfirmed = true;
            Unload();
        });
        on("CmdCancel", forms::Event::Click, [this] { Unload(); });
        on("cmdSave", forms::Event::Click, [] { WritePaintFile(); });
        on("cmdHelp", forms::Event::Click, [this] {
            const std::int32_t kind = libraryState().ProgramKind;
            showHelp(*this, kind == 1 ? "5_3_6_2" : (kind == 2 || kind == 9 || kind == 10) ? "8_2" : "");
        });
    }

    std::int16_t SelectedItem = 0;

protected:
    void design() override
    {
        BorderStyle(3);
        Move(0, 0, 5400, 2400);
        forms::Control& frame = add(Kind::Frame, "fraPaintColors");
        frame.Move(120, 120, 3615, 1695);
        add(Kind::Label, "LblItem", -1, &frame).Move(120, 240, 3375, 255);
        forms::Control& list = add(Kind::ComboBox, "Cbocolor", -1, &frame);
        list.Style(2);
        list.Move(120, 480, 3375, 315);
        add(Kind::Label, "LblColor", -1, &frame).Move(120, 960, 1200, 255);
        add(Kind::PictureBox, "PicPaintColor", -1, &frame).Move(1380, 900, 855, 375);
        add(Kind::CommandButton, "CmdSet", -1, &frame).Move(2340, 900, 1155, 375);
        addButtons(*this, 3960, 120);
    }

private:
    void Form_Load()
    {
        buttonCaptions(*this);
        control("CmdSet").Caption(textWith(TextNo(140249), 3));
        control("fraPaintColors").Caption(textWith(TextNo(19), 4));
        Caption(text(TextNo(19)));
        control("LblColor").Caption(text(TextNo(140157)));
        control("LblItem").Caption(text(TextNo(140242)));
        // The colour button as wide as its caption, the frame and the button
        // column making room for it.
        forms::Control& frame = control("fraPaintColors");
        const std::int32_t grown = widenToCaption(*this, control("CmdSet"));
        frame.Width(frame.Width() + grown);
        Width(Width() + grown);
        for (const char* name : {"cmdOK", "CmdCancel", "cmdSave", "cmdHelp"}) control(name).Left(control(name).Left() + grown);
        SetFormLanguage(*this);
    }
    void Cbocolor_Click()
    {
        currentFromList(control("Cbocolor"), SelectedItem);
        if (SelectedItem == 0) return;
        control("PicPaintColor").BackColor(settingsState().SettingColors.at(static_cast<std::size_t>(SelectedItem)));
    }
    void CmdSet_Click()
    {
        std::int32_t color = 0;
        ignoringErrors([&] { color = control("PicPaintColor").BackColor(); });
        ClsShowDialog facade;
        bool cancelled = true;
        ignoringErrors([&] { cancelled = facade.ShowColorDialog(hWnd(), color); });
        if (cancelled || SelectedItem == 0) return;
        ignoringErrors([&] { control("PicPaintColor").BackColor(color); });
        ignoringErrors([&] { settingsState().SettingColors.at(static_cast<std::size_t>(SelectedItem)) = color; });
    }
};

}  // namespace

void showPaintDialog()
{
    static std::unique_ptr<frmPaintColors> form = std::make_unique<frmPaintColors>();
    form->Load();
    fillList(form->control("Cbocolor"));
    form->control("Cbocolor").ListIndex(0);
    fitAndCentre(*form);
    form->Refresh();
    forms::screen().MousePointer(forms::vbDefault);
    form->Show(forms::vbModal);
}

}  // namespace halvex
