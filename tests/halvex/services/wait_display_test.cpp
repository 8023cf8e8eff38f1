// The wait form and status bar texts, the exit question and the method
// titles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "halvex/interface/enums.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/services/wait_display.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"

namespace {

// A wait form as the programs design it, with a status bar.
class WaitForm : public forms::Form {
public:
    WaitForm() : Form("frmWait") {}
    forms::ControlRef LblFlashing{this, "LblFlashing"};
    forms::ControlRef LblInfText{this, "LblInfText"};
    forms::ControlRef cmdOK{this, "cmdOK"};
    forms::ControlRef sbStatus{this, "sbStatus"};

protected:
    void design() override
    {
        Move(0, 0, 2400, 1800);
        add(forms::Kind::Label, "LblFlashing").Move(0, 0, 2000, 600);
        forms::Control& info = add(forms::Kind::Label, "LblInfText");
        info.Move(0, 0, 2600, 900);
        info.Visible(false);
        forms::Control& ok = add(forms::Kind::CommandButton, "cmdOK");
        ok.Move(0, 0, 1250, 375);
        ok.Visible(false);
        add(forms::Kind::StatusBar, "sbStatus").PanelText(1, "ready");
    }
};

class WaitDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        valmor.Prod("/data/raft.PO1");
    }

    static std::string text(std::int32_t number, std::vector<rt::Variant> list = {})
    {
        return halvex::textLib().GetText(rt::Variant(number), list);
    }
    static std::string fileText(std::int32_t number) { return text(number, {"|1", "/data/raft.PO1"}); }

    halvex::ClsValmor valmor;
    WaitForm form;
};

TEST_F(WaitDisplayTest, StartWaitFillsAndLaysOutTheForm)
{
    valmor.TextInf(rt::Variant(std::int32_t{140005}));
    valmor.StartWait(&form, halvex::kWaitReading);
    const std::string info = fileText(140197) + "\r\r (" + text(140005) + ") ";
    EXPECT_EQ(form.LblInfText->Caption(), info + "\r");
    EXPECT_EQ(form.LblFlashing->Caption(), "\r" + text(104) + "\r");
    EXPECT_TRUE(form.LblInfText->Visible());
    EXPECT_TRUE(form.cmdOK->Visible());

    EXPECT_EQ(form.Width(), 3200) << "at least 3200 twips wide";
    EXPECT_EQ(form.LblFlashing->Top(), 30);
    EXPECT_EQ(form.LblInfText->Top(), 660);
    EXPECT_EQ(form.cmdOK->Top(), 600 + 900 + 90 + 90);
    EXPECT_EQ(form.Height(), 1680 + 375 + 500);
    EXPECT_EQ(form.LblFlashing->Left(), 600);
    EXPECT_EQ(form.LblInfText->Left(), 300);
    EXPECT_EQ(form.cmdOK->Left(), 975);
    // Centred on the screen.
    EXPECT_EQ(form.Left(), (forms::screen().Width() - 3200) / 2);
    EXPECT_EQ(form.sbStatus->PanelText(1), "ready") << "no status bar given";
    EXPECT_FALSE(form.Visible()) << "the caller shows it";
}

TEST_F(WaitDisplayTest, StartWaitKindsAndSizes)
{
    valmor.TextInf(rt::Variant(std::int32_t{0}));
    form.Width(5001);
    form.LblInfText->Width(3000);
    valmor.StartWait(&form, halvex::kWaitKindOnly);
    EXPECT_EQ(form.LblInfText->Caption(), "\r");
    EXPECT_EQ(form.Width(), 5001) << "a wider form keeps its width";
    EXPECT_EQ(form.LblInfText->Left(), 1000) << "half of 2001, to the even twip";

    valmor.TextInf(rt::Variant(std::int32_t{140005}));
    valmor.StartWait(&form, halvex::kWaitSaving);
    EXPECT_EQ(form.LblInfText->Caption(), fileText(140198) + "\r\r (" + text(140005) + ") \r");
    valmor.StartWait(&form, 9);
    EXPECT_EQ(form.LblInfText->Caption(), " (" + text(140005) + ") \r");
    valmor.StartWait(&form, halvex::kWaitKindOnly);
    EXPECT_EQ(form.LblInfText->Caption(), text(140005) + "\r");
    // An unknown kind ("") counts as none.
    valmor.TextInf(rt::Variant(""));
    valmor.StartWait(&form, halvex::kWaitReading);
    EXPECT_EQ(form.LblInfText->Caption(), fileText(140197) + "\r\r\r");

    // Maximised: size kept, controls still placed.
    form.WindowState(forms::vbMaximized);
    const std::int32_t width = form.Width();
    const std::int32_t height = form.Height();
    valmor.StartWait(&form, halvex::kWaitReading);
    EXPECT_EQ(form.Width(), width);
    EXPECT_EQ(form.Height(), height);
    EXPECT_EQ(form.cmdOK->Top(), 1680);
}

TEST_F(WaitDisplayTest, StatusBarTexts)
{
    valmor.TextInf(rt::Variant(std::int32_t{140005}));
    const std::string kind = " (" + text(140005) + ") ";
    forms::Control& bar = *form.sbStatus;

    valmor.StartWait(nullptr, halvex::kWaitReading, &bar);
    EXPECT_EQ(bar.PanelText(1), fileText(140197) + "\r\r" + kind);

    valmor.StatusWait(bar, 2);
    EXPECT_EQ(bar.PanelText(1), fileText(140197) + " " + kind);
    valmor.StatusWait(bar, 3);
    EXPECT_EQ(bar.PanelText(1), fileText(140198) + " " + kind) << "3 is the saving status";
    valmor.StatusWait(bar, 4);
    EXPECT_EQ(bar.PanelText(1), fileText(140198) + " " + kind);
    valmor.StatusWait(bar);
    EXPECT_EQ(bar.PanelText(1), text(140005));

    valmor.StatusClear(bar);
    EXPECT_EQ(bar.PanelText(1), "");
    bar.Visible(false);
    valmor.StatusClear(bar, "hidden");
    EXPECT_EQ(bar.PanelText(1), "") << "a hidden status bar is left alone";
}

TEST_F(WaitDisplayTest, ExitMessageAnswers)
{
    forms::ScopedMsgBox script;
    std::int16_t cancel = 0;
    EXPECT_FALSE(valmor.ExitMessage(cancel, forms::vbFormCode));
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(script->boxes().empty());

    script->answer(forms::vbOK);
    EXPECT_TRUE(valmor.ExitMessage(cancel, forms::vbFormControlMenu));
    EXPECT_EQ(cancel, -1);
    ASSERT_EQ(script->boxes().size(), 1u);
    EXPECT_EQ(script->boxes()[0].prompt, text(140172));
    EXPECT_EQ(script->boxes()[0].title, text(140173));
    EXPECT_EQ(script->boxes()[0].style, forms::vbOKCancel | forms::vbQuestion);

    cancel = 0;
    script->answer(forms::vbCancel);
    EXPECT_FALSE(valmor.ExitMessage(cancel, 0));
    EXPECT_EQ(cancel, -1) << "the window stays open either way";

    script->answer(forms::vbOK);
    EXPECT_TRUE(valmor.ExitMessage());
}

TEST_F(WaitDisplayTest, MethodTitles)
{
    struct Row {
        halvex::CalculationMethod method;
        std::string first;  // "" = unchanged
        std::int32_t second;
    };
    const std::string m = text(127);
    const std::string hs = " (" + text(151) + ")";
    const std::string mc = " (" + text(152) + ")";
    const std::vector<Row> rows = {
        {halvex::ModulusOfCompressibilty, m + " (7)" + mc, 90029},
        {halvex::HalfSpace, m + " (5)" + hs, 129},
        {halvex::Givensubgrade, m + " (2)", 134},
        {halvex::ConventionalMethod, m + " (1)", 130},
        {halvex::Varhold1997, m + " (6)" + mc, 131},
        {halvex::Tamrel1984, m + " (4)" + mc, 132},
        {halvex::RigidSlab, m + " (8)" + mc, 133},
        {halvex::subgradeFromHalfSpace, m + " (2)" + hs, 135},
        {halvex::subgradeFromModulusOfCompressibilty, m + " (2)" + mc, 136},
        {halvex::FlexibleFoundation, m + " (9)" + mc, 149},
        {halvex::MethodSlabFloor, "", 160004},
        {halvex::MethodGridbeams, "", 160002},
        {halvex::Varhold1997_HalfSpace, m + " (6)" + hs, 131},
        {halvex::Tamrel1984_HalfSpace, m + " (4)" + hs, 132},
        {halvex::RigidSlab_HalfSpace, m + " (8)" + hs, 133},
        {halvex::FlexibleFoundation_HalfSpace, m + " (9)" + hs, 149},
        {halvex::MethodPlaneFrame, "", 153},
        {halvex::MethodWallPlate, "", 154},
    };
    for (const Row& row : rows) {
        std::string first = "before", second = "before";
        const rt::Variant result = valmor.GetMethodTitle(row.method, first, second);
        EXPECT_TRUE(result.isEmpty());
        EXPECT_EQ(first, row.first.empty() ? "before" : row.first) << row.method;
        EXPECT_EQ(second, text(row.second)) << row.method;
    }

    std::string first = "before", second = "before";
    valmor.GetMethodTitle(halvex::Givensubgrade, first, second, 2);
    EXPECT_EQ(first, m + " (3)");
    valmor.GetMethodTitle(halvex::subgradeFromModulusOfCompressibilty, first, second, 2);
    EXPECT_EQ(first, m + " (3)" + mc);
    for (std::int32_t none : {10, 11, 12, 14, 0, 99}) {
        first = "before";
        second = "before";
        valmor.GetMethodTitle(static_cast<halvex::CalculationMethod>(none), first, second);
        EXPECT_EQ(first, "before") << none;
        EXPECT_EQ(second, "before") << none;
    }
}

}  // namespace
