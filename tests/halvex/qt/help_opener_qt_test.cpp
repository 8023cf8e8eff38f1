// Help on the Qt desktop: a fake opener on PATH that fails late; the message
// naming the page follows its verdict, never before.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "halvex/services/cls_valmor.h"
#include "halvex/services/help.h"
#include "platform/forms/desktop.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/qt/desktop_qt.h"
#include "platform/runtime/temp_folder.h"

namespace {

TEST(HelpOpenerQt, TheNoProgramMessageFollowsTheOpenersVerdict) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path("mirva_en/mirva_new"));
    const std::string page = folder.write("mirva_en/mirva_new/mirva_new.htm", "<html></html>");
    halvex::ClsValmor().AppHelpFile(folder.path("mirva_en"));
    std::shared_ptr<forms::Desktop> previous = forms::setDesktop(std::make_shared<forms::qt::QtDesktop>());
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    std::filesystem::create_directories(folder.path("bin"));
    folder.write("bin/xdg-open", "#!/bin/sh\nsleep 2\nexit 3\n");
    std::filesystem::permissions(folder.path("bin/xdg-open"), std::filesystem::perms::owner_all);
    ::setenv("PATH", (folder.path("bin") + ":" + path).c_str(), 1);
    forms::ScopedMsgBox boxes;
    boxes->answer(forms::vbOK);
    halvex::ShowHelpTopic(0, "mirva_new", 0);
    EXPECT_TRUE(boxes->boxes().empty()) << "nothing is said while the opener runs";
    while (forms::qt::QtDesktop::runningOpeners() > 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ::setenv("PATH", path.c_str(), 1);
    forms::setDesktop(previous);
    ASSERT_EQ(boxes->boxes().size(), 1u);
    EXPECT_NE(boxes->boxes()[0].prompt.find(page), std::string::npos) << boxes->boxes()[0].prompt;
}

}  // namespace
