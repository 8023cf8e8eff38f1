// ClsGeoGraphic's dialogs: the page number (frmPageNo), the zoom
// (frmZoom) and the four title lines (frmTitel).
#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>

#include "halvex/interface/enums.h"
#include "halvex/services/form_language.h"
#include "halvex/services/input_checks.h"
#include "halvex/services/library_state.h"
#include "halvex/services/member_name.h"
#include "halvex/services/messages.h"
#include "halvex/services/step_errors.h"
#include "halvex/settings/cls_geo_graphic.h"
#include "halvex/settings/dialog_helpers.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/control.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"

namespace halvex {

namespace {

using namespace settingsdialog;
using forms::Kind;
using quillon::TextNo;

std::string helpTopic(const char* kind1, const char* kind2, const char* kind4, const char* kind9and10)
{
    switch (libraryState().ProgramKind) {
        case 1: return kind1;
        case 2: return kind2;
        case 4: return kind4;
        case 9:
        case 10: return kind9and10;
        default: return "";
    }
}

// The buttons and the handlers every page dialog has.
class PageDialog : public forms::Form {
public:
    PageDialog(std::string name, std::function<std::string()> topic) : forms::Form(std::move(name))
    {
        on("cmdOK", forms::Event::Click, [this] { cmdOK_Click(); });
        on("CmdCancel", forms::Event::Click, [this] {
            libraryState().DialogConfirmed = false;
            Unload();
        });
        on("cmdHelp", forms::Event::Click, [this, topic] { showHelp(*this, topic()); });
    }

protected:
    virtual bool entryAccepted() { return true; }
    void captions()
    {
        control("cmdOK").Caption(textWith(TextNo(6), 1));
        control("CmdCancel").Caption(textWith(TextNo(7), 1));
        control("cmdHelp").Caption(textWith(TextNo(8), 1));
    }
    void addOkCancelHelp(std::int32_t left, std::int32_t top)
    {
        const char* names[] = {"cmdOK", "CmdCancel", "cmdHelp"};
        for (int i = 0; i < 3; ++i) add(Kind::CommandButton, names[i]).Move(left, top + 420 * i, 1215, 375);
        control("CmdCancel").Cancel(true);
    }
    // Enter moves the focus instead of reaching the box.
    void enterMoves(const char* box, std::function<const char*()> next)
    {
        on(box, forms::Event::KeyPress, [this, next](forms::EventArgs& a) {
            if (a.KeyAscii != 13) return;
            a.KeyAscii = 0;
            control(next()).SetFocus();
        });
    }

private:
    void cmdOK_Click()
    {
        if (!entryAccepted()) return;
        libraryState().DialogConfirmed = true;
        Hide();
    }
};

class frmPageNo : public PageDialog {
public:
    frmPageNo() : PageDialog("frmPageNo", [] { return helpTopic("", "7_7", "7_6", "7_5"); })
    {
        enterMoves("txtPageNo", [] { return "cmdOK"; });
    }
    void prepare(const std::string& page)
    {
        Caption(text(TextNo(18)));
        captions();
        control("Label23").Caption(text(TextNo(18)));
        control("txtPageNo").Text(page);
    }

protected:
    void design() override
    {
        BorderStyle(3);
        Move(0, 0, 4200, 1800);
        add(Kind::Label, "Label23").Move(120, 180, 1215, 255);
        add(Kind::TextBox, "txtPageNo").Move(1380, 150, 1035, 285);
        addOkCancelHelp(2760, 120);
    }
};

class frmZoom : public PageDialog {
public:
    frmZoom() : PageDialog("frmZoom", [] { return helpTopic("5_3_7_4", "9_4", "9_4", "9_4"); })
    {
        on(forms::Event::Activate, [this] {
            ignoringErrors([&] { control("txtZoom").SetFocus(); });
            control("OptAndere").Value(-1);
        });
        on("txtZoom", forms::Event::GotFocus, [this] { control("OptAndere").Value(-1); });
        on("txtZoom", forms::Event::Click, [this] { txtZoom_Click(); });
        for (int preset : {50, 75, 125, 150, 175}) {
            on("OptZ" + std::to_string(preset), forms::Event::Click,
               [this, preset] { control("txtZoom").Text(std::to_string(preset)); });
        }
        on("UpDnZoom", forms::Event::DownClick, [this] { step(-10); });
        on("UpDnZoom", forms::Event::UpClick, [this] { step(10); });
    }
    void prepare(float scale)
    {
        Caption(text(TextNo(99)));
        captions();
        control("Frame1").Caption(text(TextNo(99)));
        control("OptAndere").Caption(text(TextNo(140111)));
        for (int preset : {50, 75, 125, 150, 175}) control("OptZ" + std::to_string(preset)).Caption(std::to_string(preset) + "%");
        forms::screen().MousePointer(forms::vbDefault);
        // A small allowance keeps 1.15 at 115 (its float lies just below).
        control("txtZoom").Text(std::to_string(static_cast<long long>(std::floor(static_cast<double>(scale) * 100.0 + 1e-4))));
    }
    std::int16_t entry() { return rt::toIntegerChecked(static_cast<long long>(std::lround(boxNumber()))); }

protected:
    bool entryAccepted() override
    {
        return !CheckInputType(control("txtZoom"), InputInteger, 32000, 0.1, rt::Variant(Caption()));
    }
    void design() override
    {
        BorderStyle(3);
        Move(0, 0, 4200, 2900);
        forms::Control& frame = add(Kind::Frame, "Frame1");
        frame.Move(120, 120, 2535, 2295);
        int row = 0;
        for (int preset : {50, 75, 125, 150, 175}) {
            add(Kind::OptionButton, "OptZ" + std::to_string(preset), -1, &frame).Move(240, 300 + 330 * row++, 1215, 255);
        }
        add(Kind::OptionButton, "OptAndere", -1, &frame).Move(240, 300 + 330 * row, 1215, 255);
        add(Kind::TextBox, "txtZoom", -1, &frame).Move(1440, 300 + 330 * row - 15, 735, 285);
        add(Kind::UpDown, "UpDnZoom", -1, &frame).Move(2175, 300 + 330 * row - 15, 255, 285);
        addOkCancelHelp(2880, 120);
    }

private:
    double boxNumber()
    {
        double value = 0;
        if (!rt::parseNumber(control("txtZoom").Text(), value)) return -1;
        return value;
    }
    void txtZoom_Click()
    {
        if (!entryAccepted()) return;
        const double value = boxNumber();
        for (int preset : {50, 75, 125, 150, 175}) {
            if (preset != value) control("OptZ" + std::to_string(preset)).Value(0);
        }
    }
    // A step of the arrows; a box that holds no whole number in 0..32767,
    // or a step past either end, only beeps.
    void step(int by)
    {
        const double value = boxNumber();
        const bool whole = value >= 0 && value <= 32767 && value == std::floor(value);
        const double next = value + by;
        if (!whole || next < 0 || next > 32767) {
            forms::beep();
        } else {
            control("txtZoom").Text(std::to_string(static_cast<int>(next)));
        }
        ignoringErrors([&] { control("txtZoom").SetFocus(); });
        control("OptAndere").Value(-1);
    }
};

class frmTitel : public PageDialog {
public:
    frmTitel() : PageDialog("frmTitel", [] { return helpTopic("", "7_6", "7_5", "7_4"); })
    {
        on("cmdNeu", forms::Event::Click, [this] {
            for (const char* box : {"txtTitelUe1", "txtTitelUe2", "txtTitelU1", "txtTitelU2"}) control(box).Text("");
        });
        enterMoves("txtTitelUe1", [] { return "txtTitelUe2"; });
        enterMoves("txtTitelUe2", [this] { return control("Frame1").Enabled() ? "txtTitelU1" : "cmdOK"; });
        enterMoves("txtTitelU1", [] { return "txtTitelU2"; });
        enterMoves("txtTitelU2", [] { return "cmdOK"; });
    }
    void prepare(const std::string& ue1, const std::string& ue2, const std::string& u1, const std::string& u2,
                 bool lowerLines)
    {
        Caption(text(TextNo(96)));
        captions();
        control("cmdNeu").Caption(textWith(TextNo(112), 1));
        control("Frame1").Caption(text(TextNo(140112)));
        const std::vector<rt::Variant> one{rt::Variant("|1"), rt::Variant(std::int32_t{1})};
        const std::vector<rt::Variant> two{rt::Variant("|1"), rt::Variant(std::int32_t{2})};
        control("LblUTitel1").Caption(textLib().GetText(rt::Variant(TextNo(140113)), one));
        control("LblUTitel2").Caption(textLib().GetText(rt::Variant(TextNo(140113)), two));
        control("FraParData").Caption(text(TextNo(140114)));
        control("Panel3D2").Caption(textLib().GetText(rt::Variant(TextNo(140115)), one));
        control("Panel3D3").Caption(textLib().GetText(rt::Variant(TextNo(140115)), two));
        // A label as wide as its text; its box gives way and keeps its right edge.
        for (const auto& [label, box] : {std::pair{"Panel3D2", "txtTitelUe1"}, std::pair{"Panel3D3", "txtTitelUe2"},
                                         std::pair{"LblUTitel1", "txtTitelU1"}, std::pair{"LblUTitel2", "txtTitelU2"}}) {
            forms::Control& l = control(label);
            forms::Control& b = control(box);
            const std::int32_t grown = std::max(0, TextWidth(l.Caption()) + 60 - l.Width());
            l.Width(l.Width() + grown);
            b.Move(b.Left() + grown, b.Top(), std::max(1000, b.Width() - grown), b.Height());
        }
        control("txtTitelUe1").Text(ue1);
        control("txtTitelUe2").Text(ue2);
        control("txtTitelU1").Text(u1);
        control("txtTitelU2").Text(u2);
        if (!lowerLines) {
            control("Frame1").Enabled(false);
            control("LblUTitel1").Enabled(false);
            control("LblUTitel2").Enabled(false);
            control("txtTitelU1").Text("");
            control("txtTitelU2").Text("");
        }
    }

protected:
    void design() override
    {
        BorderStyle(3);
        Move(0, 0, 7200, 3300);
        forms::Control& upper = add(Kind::Frame, "FraParData");
        upper.Move(120, 120, 5415, 1215);
        add(Kind::Label, "Panel3D2", -1, &upper).Move(120, 300, 1215, 255);
        add(Kind::TextBox, "txtTitelUe1", -1, &upper).Move(1380, 270, 3915, 285);
        add(Kind::Label, "Panel3D3", -1, &upper).Move(120, 720, 1215, 255);
        add(Kind::TextBox, "txtTitelUe2", -1, &upper).Move(1380, 690, 3915, 285);
        forms::Control& lower = add(Kind::Frame, "Frame1");
        lower.Move(120, 1440, 5415, 1215);
        add(Kind::Label, "LblUTitel1", -1, &lower).Move(120, 300, 1215, 255);
        add(Kind::TextBox, "txtTitelU1", -1, &lower).Move(1380, 270, 3915, 285);
        add(Kind::Label, "LblUTitel2", -1, &lower).Move(120, 720, 1215, 255);
        add(Kind::TextBox, "txtTitelU2", -1, &lower).Move(1380, 690, 3915, 285);
        addOkCancelHelp(5760, 120);
        add(Kind::CommandButton, "cmdNeu").Move(5760, 1380, 1215, 375);
    }
};

template <class F>
F& formOf()
{
    static std::unique_ptr<F> form = std::make_unique<F>();
    return *form;
}

// Opening and closing as every page dialog does: `prepare` fills the form,
// `copyBack` reads it after OK. Errors are reported, the form unloaded.
bool runPageDialog(const char* member, forms::Form& form, const std::function<void()>& prepare,
                   const std::function<void()>& copyBack)
{
    bool result = true;
    libraryState().DialogConfirmed = false;
    try {
        form.Load();
        prepare();
        fitAndCentre(form);
        SetFormLanguage(form);
        form.Show(forms::vbModal);
        if (libraryState().DialogConfirmed) {
            copyBack();
            result = false;
            form.Unload();
        }
    } catch (const rt::RuntimeError&) {
        ReportMemberErrorQuietly(member);
        ignoringErrors([&] { form.Unload(); });
    }
    return result;
}

}  // namespace

bool ClsGeoGraphic::ShowPageNo(std::string& Seite)
{
    frmPageNo& form = formOf<frmPageNo>();
    return runPageDialog(
        HALVEX_MEMBER(ClsGeoGraphic, ShowPageNo),
            form, [&] { form.prepare(Seite); }, [&] { Seite = form.control("txtPageNo").Text(); });
}

bool ClsGeoGraphic::ShowZoom(float& ScalePercentage)
{
    frmZoom& form = formOf<frmZoom>();
    return runPageDialog(
        HALVEX_MEMBER(ClsGeoGraphic, ShowZoom), form,
        [&] {
            // The box shows the scale in percent as an Integer: NaN, the
            // infinities and what lies beyond are the caller's mistake.
            const double percent = static_cast<double>(ScalePercentage) * 100.0;
            if (!(std::fabs(percent) <= 32767.0))
                RaiseArgumentError(5, HALVEX_MEMBER(ClsGeoGraphic, ShowZoom), "ScalePercentage");
            form.prepare(ScalePercentage);
        },
        [&] { ScalePercentage = static_cast<float>(form.entry() * 0.01); });
}

bool ClsGeoGraphic::ShowTitel(std::string& TitelUe1, std::string& TitelUe2, std::string& TitelU1, std::string& TitelU2,
                              const rt::Variant& controlInitGraphic)
{
    frmTitel& form = formOf<frmTitel>();
    double flag = 0;
    const bool lowerLines = !(IsNumericValue(controlInitGraphic, flag) && flag == 0);
    return runPageDialog(
        HALVEX_MEMBER(ClsGeoGraphic, ShowTitel),
            form, [&] { form.prepare(TitelUe1, TitelUe2, TitelU1, TitelU2, lowerLines); },
        [&] {
            TitelUe1 = form.control("txtTitelUe1").Text();
            TitelUe2 = form.control("txtTitelUe2").Text();
            // Lines the user was not offered come back as they went in.
            if (lowerLines) {
                TitelU1 = form.control("txtTitelU1").Text();
                TitelU2 = form.control("txtTitelU2").Text();
            }
        });
}

}  // namespace halvex
