// The library belongs to the UI thread: calls from another thread are
// refused at once, before any shared state is read or written or a dialog
// is shown.
#include <gtest/gtest.h>

#include <thread>

#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/services/library_state.h"
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
