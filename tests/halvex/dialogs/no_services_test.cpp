// A host that installed no display services: the dialog members report
// through the library's message service, which then writes to the error
// stream, and return their failure result without throwing.
#include <gtest/gtest.h>

#include <string>

#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/services/library_state.h"
#include "platform/forms/msgbox.h"

TEST(NoServicesTest, ADialogMemberReportsAndReturnsWithoutThrowing)
{
    halvex::resetLibraryState();
    std::shared_ptr<forms::MsgBoxService> previous = forms::setMsgBoxService(nullptr);
    halvex::ClsShowDialog dialogs;
    std::int32_t colour = 0x123456;
    testing::internal::CaptureStderr();
    bool cancelled = false;
    EXPECT_NO_THROW(cancelled = dialogs.ShowColorDialog(0, colour));
    const std::string reported = testing::internal::GetCapturedStderr();
    forms::setMsgBoxService(previous);
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(colour, 0x123456);
    EXPECT_NE(reported.find("no dialog driver"), std::string::npos) << reported;
}
