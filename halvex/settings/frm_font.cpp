// frmFont: the font of each text item; face, style and colour come from the
// font dialog, the size from the dialog's own box.
#include <algorithm>
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

constexpr std::int32_t kTitle = TextNo(140244);

class frmFont : public forms::Form {
public:
    frmFont() : forms::Form("frmFont")
    {
        on(forms::Event::Load, [this] { Form_Load(); });
        on("CboFont", forms::Event::Click, [this] { CboFont_Click(); });
        on("cmdFontName", forms::Event::Click, [this] { cmdFontName_Click(); });
        on("cmdDefaultFont", forms::Event::Click, [this] { cmdDefaultFont_Click(); });
        on("txtFont", forms::Event::KeyPress, [this](forms::EventArgs& a) {
            if (a.KeyAscii != 13) return;
            a.KeyAscii = 0;
            storeSize();
            control("cmdOK").SetFocus();
        });
        on("txtFont", forms::Event::LostFocus, [this] {
            if (!rejected(box(), kTitle)) storeSize();
        });
        on("UpDnFont", forms::Event::UpClick, [this] {
            box().Text(twoDecimals(boxValue(box()) + 0.1f));
            if (!rejected(box(), kTitle)) storeSize();
        });
        on("UpDnFont", forms::Event::DownClick, [this] {
            const float value = boxValue(box());
            if (value > 0.1f) box().Text(twoDecimals(value - 0.1f));
            storeSize();
        });
        on("cmdOK", forms::Event::Click, [this] {
            if (rejected(box(), kTitle)) return;
            storeSize();
            libraryState().DialogConfirmed = true;
            Unload();
        });
        on("CmdCancel", forms::Event::Click, [this] {
            libraryState().DialogConfirmed = false;
            Unload();
        });
        on("cmdSave", forms::Event::Click, [] {
            // Only a written file confirms.
            if (WriteFontFile()) libraryState().DialogConfirmed = true;
        });
        on("cmdHelp", forms::Event::Click, [this] {
            const std::int32_t kind = libraryState().ProgramKind;
            showHelp(*this, kind == 1                                   ? "5_3_6_4"
                            : (kind == 2 || kind == 9 || kind == 10) ? "8_4"
                            : kind == 3                              ? "7_2"
                            : kind == 4                              ? "8_2"
                                                                     : "");
        });
    }

    std::int16_t SelectedItem = 0;

protected:
    void design() override
    {
        BorderStyle(3);
        Move(0, 0, 5400, 3600);
        add(Kind::Label, "LblItem").Move(120, 120, 3375, 255);
        forms::Control& list = add(Kind::ComboBox, "CboFont");
        list.Style(2);
        list.Move(120, 360, 3375, 315);
        forms::Control& frame = add(Kind::Frame, "fraFont");
        frame.Move(120, 780, 3615, 1215);
        add(Kind::CommandButton, "cmdFontName", -1, &frame).Move(120, 240, 1215, 375);
        add(Kind::Label, "lblFontName", -1, &frame).Move(1440, 300, 2055, 255);
        add(Kind::Label, "LblFontSize", -1, &frame).Move(120, 780, 1215, 255);
        add(Kind::TextBox, "txtFont", -1, &frame).Move(1440, 750, 1035, 285);
        add(Kind::UpDown, "UpDnFont", -1, &frame).Move(2475, 750, 255, 285);
        forms::Control& sample = add(Kind::Frame, "FraSample");
        sample.Move(120, 2100, 3615, 1095);
        add(Kind::Label, "LblAbc", -1, &sample).Move(120, 240, 3375, 735);
        control("LblAbc").Caption("AaBbYyZz");
        addButtons(*this, 3960, 120);
        add(Kind::CommandButton, "cmdDefaultFont").Move(3960, 1920, 1215, 375);
    }

private:
    forms::Control& box() { return control("txtFont"); }
    std::size_t item() const { return static_cast<std::size_t>(SelectedItem); }
    void storeSize()
    {
        if (SelectedItem != 0) settingsState().SettingFontSizes.at(item()) = boxValue(box());
    }

    void Form_Load()
    {
        buttonCaptions(*this);
        control("cmdFontName").Caption(textWith(TextNo(140243), 1));
        control("cmdDefaultFont").Caption(textWith(TextNo(140247), 1));
        control("fraFont").Caption(textWith(kTitle, 4));
        control("FraSample").Caption(textWith(TextNo(140246), 4));
        Caption(text(TextNo(14)));
        control("LblItem").Caption(text(TextNo(140242)));
        control("LblFontSize").Caption(text(TextNo(140245)));
        // The font button as wide as its caption; the face name beside it
        // keeps its right edge.
        const std::int32_t grown = widenToCaption(*this, control("cmdFontName"));
        forms::Control& face = control("lblFontName");
        face.Move(face.Left() + grown, face.Top(), std::max(600, face.Width() - grown), face.Height());
        if (textLib().IsRightToLeft()) {
            forms::StdFont font = control("LblAbc").Font();
            font.Size = 14;
            font.Bold = true;
            control("LblAbc").Font(font);
        }
        control("cmdDefaultFont").Visible(settingsState().FontNameChangeable);
        SetFormLanguage(*this);
    }
    void showSample()
    {
        const SettingsWorkingState& s = settingsState();
        forms::Control& sample = control("LblAbc");
        ignoringErrors([&] {
            forms::StdFont font = sample.Font();
            font.Name = s.SettingFontFaceNames.at(item());
            font.Italic = s.SettingFontItalic.at(item());
            font.Underline = s.SettingFontUnderline.at(item());
            font.Strikethrough = s.SettingFontStrikeOut.at(item());
            font.Bold = s.SettingFontWeights.at(item()) != 400;
            sample.Font(font);
        });
        ignoringErrors([&] { sample.ForeColor(s.SettingFontColors.at(item())); });
        ignoringErrors([&] { control("lblFontName").Caption(s.SettingFontFaceNames.at(item())); });
    }
    void CboFont_Click()
    {
        currentFromList(control("CboFont"), SelectedItem);
        if (SelectedItem == 0) return;
        showSample();
        box().Text(userNumber(settingsState().SettingFontSizes.at(item())));
    }
    void cmdFontName_Click()
    {
        if (SelectedItem == 0) return;
        SettingsWorkingState& s = settingsState();
        CurrentFontRecord& font = libraryState().CurrentFont;
        font.FontHeight = 12;
        ClsShowDialog facade;
        facade.SetFontData(s.SettingFontFaceNames.at(item()), s.SettingFontEscapements.at(item()),
                           s.SettingFontWeights.at(item()), s.SettingFontItalic.at(item()),
                           s.SettingFontUnderline.at(item()), s.SettingFontStrikeOut.at(item()),
                           s.SettingFontColors.at(item()));
        if (facade.ShowFontDialog(hWnd(), false)) return;
        s.SettingFontFaceNames.at(item()) = font.FontFaceName;
        s.SettingFontEscapements.at(item()) = font.FontEscapement;
        s.SettingFontWeights.at(item()) = font.FontWeight;
        s.SettingFontItalic.at(item()) = font.FontItalicOut;
        s.SettingFontUnderline.at(item()) = font.FontUnderlineOut;
        s.SettingFontStrikeOut.at(item()) = font.FontStrikeOut;
        s.SettingFontColors.at(item()) = font.Font_Color;
        showSample();
    }
    void cmdDefaultFont_Click()
    {
        if (SelectedItem == 0) return;
        CurrentFontRecord& font = libraryState().CurrentFont;
        font.FontFaceName = text(TextNo(160017));
        font.FontEscapement = 0;
        font.FontWeight = 400;
        font.FontItalicOut = font.FontUnderlineOut = font.FontStrikeOut = false;
        font.Font_Color = 0;
        SettingsWorkingState& s = settingsState();
        s.SettingFontFaceNames.at(item()) = font.FontFaceName;
        s.SettingFontEscapements.at(item()) = 0;
        s.SettingFontWeights.at(item()) = 400;
        s.SettingFontItalic.at(item()) = s.SettingFontUnderline.at(item()) = s.SettingFontStrikeOut.at(item()) = false;
        s.SettingFontColors.at(item()) = 0;
        s.SettingFontSizes.at(item()) = 10.0f;
        showSample();
        box().Text(userNumber(10.0f));
    }
};

}  // namespace

void showFontDialog()
{
    static std::unique_ptr<frmFont> form = std::make_unique<frmFont>();
    form->Load();
    fillList(form->control("CboFont"));
    form->control("CboFont").ListIndex(0);
    fitAndCentre(*form);
    form->Refresh();
    forms::screen().MousePointer(forms::vbDefault);
    form->Show(forms::vbModal);
}

}  // namespace halvex
