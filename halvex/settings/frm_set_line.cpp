// frmSetLine: colour (a palette index), style and width of each line item.
#include <memory>

#include "halvex/services/form_language.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/dialog_helpers.h"
#include "halvex/settings/settings_dialogs.h"
#include "halvex/settings/settings_files.h"
#include "halvex/settings/settings_state.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/runtime/rounding.h"

namespace halvex {

namespace {

using namespace settingsdialog;
using forms::Kind;
using quillon::TextNo;

constexpr std::int32_t kTitle = TextNo(140159);
constexpr std::int32_t kLineY[6] = {0, 240, 600, 960, 1320, 1680};

// The classic sixteen colours of the swatches (red, green, blue).
std::int32_t swatchColor(std::int32_t k)
{
    static constexpr int rgb[16][3] = {{0, 0, 0},     {0, 0, 128},     {0, 128, 0},   {0, 128, 128},
                                       {128, 0, 0},   {128, 0, 128},   {128, 128, 0}, {192, 192, 192},
                                       {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
                                       {255, 0, 0},   {255, 0, 255},   {255, 255, 0}, {255, 255, 255}};
    return forms::RGB(rgb[k][0], rgb[k][1], rgb[k][2]);
}

class frmSetLine : public forms::Form {
public:
    frmSetLine() : forms::Form("frmSetLine")
    {
        on(forms::Event::Load, [this] { Form_Load(); });
        on("CboLine", forms::Event::Click, [this] { CboLine_Click(); });
        on("PicColor", forms::Event::MouseMove, [this](forms::EventArgs& a) {
            LastMouseX = a.X;
            LastMouseY = a.Y;
        });
        on("PicColor", forms::Event::Click, [this] { PicColor_Click(); });
        on("PicStyle", forms::Event::MouseMove, [this](forms::EventArgs& a) { LastMouseY = a.Y; });
        on("PicStyle", forms::Event::Click, [this] { PicStyle_Click(); });
        on("PicColor", forms::Event::KeyDown, [this](forms::EventArgs& a) { PicColor_KeyDown(a.KeyCode); });
        on("PicStyle", forms::Event::KeyDown, [this](forms::EventArgs& a) { PicStyle_KeyDown(a.KeyCode); });
        on("TxtLinewidth", forms::Event::KeyPress, [this](forms::EventArgs& a) { TxtLinewidth_KeyPress(a); });
        on("TxtLinewidth", forms::Event::LostFocus, [this] {
            if (!rejected(box(), kTitle)) storeWidth();
        });
        on("UpDnlinewidth", forms::Event::UpClick, [this] {
            box().Text(twoDecimals(boxValue(box()) + 0.1f));
            if (!rejected(box(), kTitle)) storeWidth();
        });
        on("UpDnlinewidth", forms::Event::DownClick, [this] {
            const float value = boxValue(box());
            if (value > 0.1f) box().Text(twoDecimals(value - 0.1f));
            storeWidth();
        });
        on("cmdOK", forms::Event::Click, [this] {
            if (rejected(box(), kTitle)) return;
            storeWidth();
            libraryState().DialogConfirmed = true;
            Unload();
        });
        on("CmdCancel", forms::Event::Click, [this] { Unload(); });
        on("cmdSave", forms::Event::Click, [this] {
            if (rejected(box(), kTitle)) return;
            storeWidth();
            WriteLineFile();
        });
        on("cmdHelp", forms::Event::Click, [this] {
            const std::int32_t kind = libraryState().ProgramKind;
            showHelp(*this, kind == 1 ? "5_3_6_1" : (kind == 2 || kind == 4 || kind == 9 || kind == 10) ? "8_1" : "");
        });
    }

    // Gives the swatches their colours (cell k colour k).
    void paintSwatches()
    {
        for (std::int16_t k = 0; k <= 15; ++k) control("ShpLine", k).FillColor(swatchColor(k));
    }

    std::int16_t SelectedItem = 0;
    float LastMouseX = 0;
    float LastMouseY = 0;

protected:
    void design() override
    {
        BorderStyle(3);
        Move(0, 0, 5400, 3900);
        add(Kind::Label, "LblLineNo").Move(120, 120, 2655, 255);
        forms::Control& list = add(Kind::ComboBox, "CboLine");
        list.Style(2);
        list.Move(120, 360, 2655, 315);
        add(Kind::Label, "LblColor").Move(120, 780, 1215, 255);
        add(Kind::PictureBox, "PicLineColor").Move(120, 1020, 1215, 300);
        forms::Control& colors = add(Kind::PictureBox, "PicColor");
        colors.Move(120, 1380, 1215, 1935);
        for (std::int16_t k = 0; k <= 14; ++k) {
            forms::Control& swatch = add(Kind::Shape, "ShpLine", k, &colors);
            swatch.FillStyle(0);
            swatch.Move(120 + 360 * (k % 3), 120 + 360 * (k / 3), (k == 6 || k == 9 || k == 12) ? 245 : 240, 255);
        }
        forms::Control& colorMarker = add(Kind::Shape, "ShpLine", 15, &colors);
        colorMarker.Move(0, 0, 375, 375);
        add(Kind::Label, "LblStyle").Move(1560, 780, 1215, 255);
        forms::Control& sample = add(Kind::PictureBox, "PicLineStyle");
        sample.Move(1560, 1020, 1215, 300);
        forms::Control& sampleLine = add(Kind::Line, "LinStyle", -1, &sample);
        sampleLine.X1(118);
        sampleLine.Y1(120);
        sampleLine.X2(1066);
        sampleLine.Y2(120);
        forms::Control& styles = add(Kind::PictureBox, "PicStyle");
        styles.Move(1560, 1380, 1215, 1935);
        for (std::int16_t k = 1; k <= 5; ++k) {
            forms::Control& line = add(Kind::Line, "LinLineWidth", k, &styles);
            line.BorderStyle(k);
            line.X1(118);
            line.Y1(kLineY[k]);
            line.X2(1066);
            line.Y2(kLineY[k]);
        }
        add(Kind::Shape, "ShpLine", 16, &styles).Move(59, 0, 1095, 255);
        add(Kind::Label, "LblLinewidth").Move(120, 3420, 1800, 255);
        add(Kind::TextBox, "TxtLinewidth").Move(1980, 3390, 1035, 285);
        add(Kind::UpDown, "UpDnlinewidth").Move(3015, 3390, 255, 285);
        addButtons(*this, 3960, 120);
    }

private:
    forms::Control& box() { return control("TxtLinewidth"); }
    std::size_t item() const { return static_cast<std::size_t>(SelectedItem); }
    void storeWidth()
    {
        if (SelectedItem != 0) settingsState().SettingLineWidths.at(item()) = boxValue(box());
    }

    void Form_Load()
    {
        buttonCaptions(*this);
        Caption(text(TextNo(98)));
        control("LblColor").Caption(text(TextNo(140157)));
        control("LblLineNo").Caption(text(TextNo(140250)));
        control("LblStyle").Caption(text(TextNo(140251)));
        control("LblLinewidth").Caption(text(kTitle) + " " + text(TextNo(42)));
        SetFormLanguage(*this);
    }
    void showColor()
    {
        const std::int32_t color = settingsState().SettingColors.at(item());
        control("PicLineColor").BackColor(swatchColor(color));
        forms::Control& swatch = control("ShpLine", static_cast<std::int16_t>(color));
        forms::Control& marker = control("ShpLine", 15);
        marker.Top(rt::CLng(swatch.Top() - (marker.Height() - swatch.Height()) * 0.5));
        marker.Left(rt::CLng(swatch.Left() - (marker.Width() - swatch.Width()) * 0.5));
    }
    void showStyle()
    {
        const std::int16_t style = settingsState().SettingLineStyles.at(item());
        control("LinStyle").BorderStyle(style);
        forms::Control& marker = control("ShpLine", 16);
        marker.Top(rt::CLng(kLineY[style] - marker.Height() * 0.5));
    }
    void CboLine_Click()
    {
        currentFromList(control("CboLine"), SelectedItem);
        if (SelectedItem == 0) return;
        SettingsWorkingState& s = settingsState();
        if (s.SettingColors.at(item()) < 0 || s.SettingColors.at(item()) > 15) s.SettingColors.at(item()) = 0;
        if (s.SettingLineStyles.at(item()) < 1 || s.SettingLineStyles.at(item()) > 5) s.SettingLineStyles.at(item()) = 1;
        showColor();
        showStyle();
        box().Text(userNumber(s.SettingLineWidths.at(item())));
    }
    void PicColor_Click()
    {
        if (SelectedItem == 0) return;
        for (std::int16_t k = 0; k <= 14; ++k) {
            const forms::Control& swatch = control("ShpLine", k);
            const float top = static_cast<float>(swatch.Top());
            const float left = static_cast<float>(swatch.Left());
            if (top <= LastMouseY && LastMouseY <= static_cast<float>(swatch.Top() + swatch.Height()) && left <= LastMouseX &&
                LastMouseX <= static_cast<float>(swatch.Left() + swatch.Width())) {
                settingsState().SettingColors.at(item()) = k;
                break;
            }
        }
        showColor();
    }
    void PicStyle_Click()
    {
        if (SelectedItem == 0) return;
        const float half = static_cast<float>(control("ShpLine", 16).Height()) * 0.5f;
        for (std::int16_t k = 1; k <= 5; ++k) {
            if (static_cast<float>(kLineY[k]) - half <= LastMouseY && LastMouseY <= static_cast<float>(kLineY[k]) + half) {
                settingsState().SettingLineStyles.at(item()) = k;
                break;
            }
        }
        showStyle();
    }
    // The arrow keys step through the swatches (three to a row) and the
    // line styles; the first and last stay where they are.
    void PicColor_KeyDown(std::int16_t key)
    {
        if (SelectedItem == 0) return;
        const std::int32_t step = key == forms::vbKeyLeft ? -1 : key == forms::vbKeyRight ? 1
                                : key == forms::vbKeyUp   ? -3 : key == forms::vbKeyDown  ? 3 : 0;
        std::int32_t& color = settingsState().SettingColors.at(item());
        if (step == 0 || color + step < 0 || color + step > 14) return;
        color += step;
        showColor();
    }
    void PicStyle_KeyDown(std::int16_t key)
    {
        if (SelectedItem == 0) return;
        const std::int32_t step = key == forms::vbKeyUp ? -1 : key == forms::vbKeyDown ? 1 : 0;
        std::int16_t& style = settingsState().SettingLineStyles.at(item());
        if (step == 0 || style + step < 1 || style + step > 5) return;
        style = static_cast<std::int16_t>(style + step);
        showStyle();
    }
    void TxtLinewidth_KeyPress(forms::EventArgs& a)
    {
        if (a.KeyAscii != 13) return;
        a.KeyAscii = 0;
        storeWidth();
        control("cmdOK").SetFocus();
    }
};

}  // namespace

void showLineDialog()
{
    static std::unique_ptr<frmSetLine> form = std::make_unique<frmSetLine>();
    form->Load();
    fillList(form->control("CboLine"));
    form->paintSwatches();
    form->control("CboLine").ListIndex(0);
    fitAndCentre(*form);
    form->Refresh();
    forms::screen().MousePointer(forms::vbDefault);
    form->Show(forms::vbModal);
}

}  // namespace halvex
