// The more/less panel of a dialog.
#include <gtest/gtest.h>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/services/more_less.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"

namespace {

using forms::Kind;

class MoreLessTest : public ::testing::Test {
protected:
    void SetUp() override { halvex::resetLibraryState(); }
};

void designDialog(forms::Form& f)
{
    f.Width(6000);
    f.Height(3000);
    f.addControl(Kind::CommandButton, "cmdMoreLess").Move(4500, 2000, 1200, 375);
    f.addControl(Kind::PictureBox, "picMore").Move(0, 2600, 6000, 1800);
}

TEST_F(MoreLessTest, MoreShowsThePanelAndLessHidesIt)
{
    forms::Form form("frmOptions", designDialog);
    forms::Control& panel = form.control("picMore");
    halvex::ClsValmor valmor;

    valmor.ChangeMoreState(form, panel, true, 9999);
    EXPECT_EQ(form.control("cmdMoreLess").Caption(), "<< Less");
    EXPECT_EQ(form.Height(), 2600 + 1800 + 600);
    EXPECT_TRUE(panel.Visible());
    // Centred at its new size.
    EXPECT_EQ(form.Top(), (forms::screen().Height() - form.Height()) / 2);
    EXPECT_EQ(form.Left(), (forms::screen().Width() - 6000) / 2);

    valmor.ChangeMoreState(form, panel, false, 0);
    EXPECT_EQ(form.control("cmdMoreLess").Caption(), "More >>");
    EXPECT_EQ(form.Height(), 2000 + 375 + 500);
    EXPECT_FALSE(panel.Visible());
    EXPECT_EQ(form.Top(), (forms::screen().Height() - form.Height()) / 2);
}

TEST_F(MoreLessTest, FormWithoutTheButtonStillTogglesThePanel)
{
    forms::Form form("frmBare", [](forms::Form& f) {
        f.Width(6000);
        f.Height(3000);
        f.addControl(Kind::PictureBox, "picMore").Move(0, 2600, 6000, 1800);
    });
    forms::Control& panel = form.control("picMore");
    halvex::ApplyMoreState(form, panel, false, 0);
    EXPECT_FALSE(panel.Visible());
    EXPECT_EQ(form.Height(), 3000);
    halvex::ApplyMoreState(form, panel, true, 0);
    EXPECT_TRUE(panel.Visible());
    EXPECT_EQ(form.Height(), 5000);
}

}  // namespace
