// Form language and right-to-left layout: fonts of the interface language,
// the mirrored model form, centring and the "WaitTaint" window service.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/form_language.h"
#include "halvex/services/library_state.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/forms/settings.h"
#include "platform/forms/win.h"

namespace {

using forms::Kind;
namespace win = forms::win;

class FormLanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousSettings_ = forms::setSettingsStore(std::make_shared<forms::MemorySettingsStore>());
        halvex::resetLibraryState();
    }
    void TearDown() override
    {
        halvex::resetLibraryState();
        forms::setSettingsStore(previousSettings_);
    }

    // The language the library's text object starts with from now on.
    static void useInterfaceLanguage(const std::string& engname)
    {
        forms::settings().save("valmor", "Interface Language setting", "Language", engname);
        halvex::resetLibraryState();
    }

private:
    std::shared_ptr<forms::SettingsStore> previousSettings_;
};

// A model dialog 6000 twips wide: windowless and windowed controls on the
// form and inside a frame.
void designModel(forms::Form& f)
{
    f.Width(6000);
    f.Height(4500);
    f.addControl(Kind::Label, "lblOnForm").Move(100, 100, 500, 255);
    f.addControl(Kind::TextBox, "txtOnForm").Move(300, 450, 1500, 315);
    f.addControl(Kind::Label, "lblCentred").Move(2000, 100, 1000, 255);
    f.control("lblCentred").Alignment(forms::vbCenter);
    forms::Control& frame = f.addControl(Kind::Frame, "fraBox");
    frame.Move(600, 900, 3000, 2000);
    f.addControl(Kind::Label, "lblInFrame", -1, &frame).Move(200, 300, 1000, 255);
    f.addControl(Kind::TextBox, "txtInFrame", -1, &frame).Move(300, 700, 1200, 315);
    f.addControl(Kind::TextBox, "txtAtZero", -1, &frame).Move(0, 1200, 900, 315);
    f.addControl(Kind::ListView, "lvwItems").Move(3900, 900, 1800, 2000);
    f.addControl(Kind::CommandButton, "cmdOK").Move(4500, 3300, 1200, 375);
}

std::int32_t exStyle(forms::Control& control)
{
    return win::GetWindowLong(control.hWnd(), win::GWL_EXSTYLE);
}

TEST_F(FormLanguageTest, LeftToRightLanguageChangesOnlyTheFonts)
{
    forms::Form form("frmModel", designModel);
    form.Load();
    const int refreshes = form.refreshCount();

    halvex::SetFormLanguage(form);

    for (forms::Control* control : form.Controls()) {
        SCOPED_TRACE(control->Name());
        EXPECT_EQ(control->Font().Name, "DejaVu Sans");
        EXPECT_EQ(control->Font().Charset, 0);
        EXPECT_FALSE(control->RightToLeft());
        if (control->windowed()) {
            EXPECT_EQ(exStyle(*control), 0);
        }
    }
    EXPECT_EQ(form.Font().Name, "DejaVu Sans");
    EXPECT_FALSE(form.RightToLeft());
    EXPECT_EQ(form.control("lblOnForm").Left(), 100);
    EXPECT_EQ(form.control("txtInFrame").Left(), 300);
    EXPECT_EQ(form.control("lblOnForm").Alignment(), forms::vbLeftJustify);
    EXPECT_EQ(form.refreshCount(), refreshes + 1);
}

TEST_F(FormLanguageTest, RightToLeftLanguageMirrorsTheForm)
{
    useInterfaceLanguage("Arabic");
    forms::Form form("frmModel", designModel);
    form.Load();
    const int refreshes = form.refreshCount();
    // The frame correction: the sizing frame less the border, in twips.
    const std::int32_t frameCorrection =
        (win::GetSystemMetrics(win::SM_CXFRAME) - win::GetSystemMetrics(win::SM_CXBORDER)) * 15;
    ASSERT_GT(frameCorrection, 0);

    halvex::ClsValmor().SetRightToLeft(form);

    // Fonts of the language, the form and every control right to left.
    EXPECT_EQ(form.Font().Charset, 178);
    EXPECT_TRUE(form.RightToLeft());
    for (forms::Control* control : form.Controls()) {
        SCOPED_TRACE(control->Name());
        EXPECT_EQ(control->Font().Charset, 178);
        EXPECT_TRUE(control->RightToLeft());
    }

    // A windowless control on the form: reflected in the form's width, less
    // the frame correction.
    EXPECT_EQ(form.control("lblOnForm").Left(), 6000 - 100 - 500 - frameCorrection);
    // A windowless control in a frame: reflected in the frame, without it.
    EXPECT_EQ(form.control("lblInFrame").Left(), 3000 - 200 - 1000);
    // A windowed control in a frame lands where the reflection puts it too.
    EXPECT_EQ(form.control("txtInFrame").Left(), 3000 - 300 - 1200);
    // ... but one at the frame's left edge stays, and still gets the rest.
    EXPECT_EQ(form.control("txtAtZero").Left(), 0);
    EXPECT_EQ(form.control("txtAtZero").Alignment(), forms::vbRightJustify);
    EXPECT_EQ(exStyle(form.control("txtAtZero")), win::WS_EX_RTLREADING | win::WS_EX_LEFTSCROLLBAR);

    // Alignment: left and right swap, centred stays.
    EXPECT_EQ(form.control("lblOnForm").Alignment(), forms::vbRightJustify);
    EXPECT_EQ(form.control("lblCentred").Alignment(), forms::vbCenter);
    EXPECT_EQ(form.control("txtOnForm").Alignment(), forms::vbRightJustify);

    // Extended styles by type: mirrored layout, unchanged, reading order.
    EXPECT_EQ(exStyle(form.control("lvwItems")), win::WS_EX_LAYOUTRTL);
    EXPECT_EQ(exStyle(form.control("fraBox")), 0);
    EXPECT_EQ(exStyle(form.control("cmdOK")), win::WS_EX_RTLREADING | win::WS_EX_LEFTSCROLLBAR);
    EXPECT_EQ(exStyle(form.control("txtOnForm")), win::WS_EX_RTLREADING | win::WS_EX_LEFTSCROLLBAR);
    EXPECT_EQ(form.refreshCount(), refreshes + 1);
}

TEST_F(FormLanguageTest, WindowedControlOnTheFormIsReflectedInTheWindowRectangles)
{
    useInterfaceLanguage("Arabic");
    forms::Form form("frmModel", designModel);
    form.Load();
    win::RECT formRect;
    win::RECT ownRect;
    ASSERT_TRUE(win::GetWindowRect(form.hWnd(), formRect));
    ASSERT_TRUE(win::GetWindowRect(form.control("txtOnForm").hWnd(), ownRect));
    const std::int32_t frameCorrection =
        (win::GetSystemMetrics(win::SM_CXFRAME) - win::GetSystemMetrics(win::SM_CXBORDER)) * 15;
    // Its distance from the window's right edge becomes its distance from
    // the left, less the frame correction.
    const std::int32_t rightGap = formRect.Right - ownRect.Right;

    halvex::SetFormLanguage(form);

    EXPECT_EQ(form.control("txtOnForm").Left(), rightGap * 15 - frameCorrection);
}

TEST_F(FormLanguageTest, InterfaceLanguageComesFromTheStoredSetting)
{
    useInterfaceLanguage("Arabic");
    EXPECT_TRUE(halvex::textLib().IsRightToLeft());
    EXPECT_EQ(halvex::textLib().FormCharset(), 178);

    useInterfaceLanguage("English");
    EXPECT_FALSE(halvex::textLib().IsRightToLeft());

    forms::settings().remove("valmor", "Interface Language setting", "Language");
    halvex::resetLibraryState();
    EXPECT_FALSE(halvex::textLib().IsRightToLeft());
    EXPECT_EQ(halvex::textLib().GetText(quillon::TextNo(140013)), "More");
}

TEST_F(FormLanguageTest, CentringDividesExactly)
{
    const std::int32_t screenWidth = forms::screen().Width();
    const std::int32_t screenHeight = forms::screen().Height();
    forms::Form form("frmCentre", [](forms::Form& f) {
        f.Width(4800);
        f.Height(3000);
    });
    form.Load();
    halvex::ClsValmor().CenterForm(form);
    EXPECT_EQ(form.Left(), (screenWidth - 4800) / 2);
    EXPECT_EQ(form.Top(), (screenHeight - 3000) / 2);

    // An odd difference: the half lies between two twips and goes to the
    // even one, never truncated.
    form.Width(screenWidth - 4801);
    form.Height(screenHeight - 3003);
    halvex::CenterFormOnScreen(form);
    EXPECT_EQ(form.Left(), 2400);   // 2400.5
    EXPECT_EQ(form.Top(), 1502);    // 1501.5

    // Wider than the screen: the form starts left of it.
    form.Width(screenWidth + 600);
    halvex::CenterFormOnScreen(form);
    EXPECT_EQ(form.Left(), -300);
}

TEST_F(FormLanguageTest, MaximisedFormIsLeftAlone)
{
    forms::Form form("frmCentre", [](forms::Form& f) {
        f.Move(100, 200, 4800, 3000);
    });
    form.Load();
    form.WindowState(forms::vbMaximized);
    halvex::CenterFormOnScreen(form);
    form.WindowState(forms::vbNormal);
    EXPECT_EQ(form.Left(), 100);
    EXPECT_EQ(form.Top(), 200);
}

// The "WaitTaint" window two levels below the form, behind a decoy.
void designGridHost(forms::Form& f)
{
    f.Width(6000);
    f.Height(4000);
    f.addControl(Kind::PictureBox, "picDecoy").Move(0, 0, 600, 600);
    forms::Control& outer = f.addControl(Kind::PictureBox, "picOuter");
    outer.Move(600, 0, 3000, 3000);
    f.addControl(Kind::PictureBox, "picOther", -1, &outer).Move(0, 0, 300, 300);
    f.addControl(Kind::PictureBox, "picInner", -1, &outer).Move(300, 300, 1000, 1000);
    f.control("picInner").windowClass("WaitTaint");
}

TEST_F(FormLanguageTest, WaitTaintWindowIsFoundAndDisabled)
{
    forms::Form form("frmGridHost", designGridHost);
    form.Load();
    const std::int32_t target = form.control("picInner").hWnd();

    std::int32_t found = 0;
    halvex::FindWaitTaintWindow(form.hWnd(), found);
    EXPECT_EQ(found, target);

    const std::int32_t formHandle = form.hWnd();
    halvex::ClsValmor().HideMicroSoftLabel(formHandle);
    EXPECT_EQ(win::IsWindowEnabled(target), 0);
    EXPECT_NE(win::IsWindowEnabled(form.control("picOther").hWnd()), 0);
    EXPECT_NE(win::IsWindowEnabled(form.control("picOuter").hWnd()), 0);

    // Again: found again, stays disabled.
    halvex::DisableWaitTaintWindow(formHandle);
    EXPECT_EQ(win::IsWindowEnabled(target), 0);
}

TEST_F(FormLanguageTest, WithoutWaitTaintWindowNothingChanges)
{
    forms::Form form("frmPlain", [](forms::Form& f) {
        f.addControl(Kind::PictureBox, "picOnly").Move(0, 0, 600, 600);
    });
    form.Load();
    std::int32_t found = 0;
    EXPECT_FALSE(halvex::FindWaitTaintWindow(form.hWnd(), found));
    EXPECT_EQ(found, 0);
    halvex::DisableWaitTaintWindow(form.hWnd());
    EXPECT_NE(win::IsWindowEnabled(form.control("picOnly").hWnd()), 0);
    // An unknown handle is no window at all.
    halvex::DisableWaitTaintWindow(0x7FFFFFF0);
}

}  // namespace
