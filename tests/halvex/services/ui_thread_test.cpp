// The library belongs to the UI thread: calls from another thread are
// refused at once, before any shared state is read or written or a dialog
// is shown.
#include <gtest/gtest.h>

#include <thread>

#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/cls_geo_graphic.h"
#include "halvex/settings/cls_inerface_setting.h"
#include "platform/forms/ui_thread.h"

TEST(UiThreadTest, CallsFromAnotherThreadAreRefusedAndTheStateStaysTheUiThreads)
{
    halvex::ClsValmor services;
    services.Prod("ui");
    std::thread worker([] {
        halvex::ClsValmor other;
        EXPECT_THROW(other.Prod("worker"), forms::WrongThreadError);
        EXPECT_THROW(static_cast<void>(other.Prod()), forms::WrongThreadError);
        halvex::ClsShowDialog dialogs;
        std::int32_t colour = 0;
        EXPECT_THROW(dialogs.ShowColorDialog(0, colour), forms::WrongThreadError);
    });
    worker.join();
    EXPECT_EQ(services.Prod(), "ui");
}

// Members that trap their own errors, or read the user's settings with a
// fallback, refuse the wrong thread all the same instead of answering with
// their defaults.
TEST(UiThreadTest, MembersThatTrapTheirErrorsStillRefuseAnotherThread)
{
    std::thread worker([] {
        halvex::ClsValmor services;
        EXPECT_THROW(services.GetPrivateSetting("Host", "S", "K", rt::Variant("default")), forms::WrongThreadError);
        halvex::ClsInerfaceSetting layout;
        std::vector<halvex::RecentMnuData> menu(5);
        EXPECT_THROW(layout.Set_RecentFile("Host", menu), forms::WrongThreadError);
        EXPECT_THROW(halvex::ClsGeoGraphic().GetTextWidth("text", 10), forms::WrongThreadError);
    });
    worker.join();
}
