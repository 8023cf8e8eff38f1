// Help on the Qt desktop, as a host of the library meets it: a fake opener
// on PATH stands in for the desktop's. The message that names the page
// follows the opener's verdict, however late it comes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    std::filesystem::create_directories(folder.path("bin"));
    std::filesystem::create_directories(folder.path("mirva_en/mirva_new"));
    const std::string page = folder.write("mirva_en/mirva_new/mirva_new.htm", "<html></html>");
    halvex::ClsValmor().AppHelpFile(folder.path("mirva_en"));
    std::shared_ptr<forms::Desktop> previous = forms::setDesktop(std::make_shared<forms::qt::QtDesktop>());
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";

    // The boxes shown for one request of help, once the opener has ended.
    auto boxesFor = [&](const std::string& opener, const std::string& searchPath) {
        if (!opener.empty()) {
            folder.write("bin/xdg-open", "#!/bin/sh\n" + opener + "\n");
            std::filesystem::permissions(folder.path("bin/xdg-open"), std::filesystem::perms::owner_all);
        }
        ::setenv("PATH", searchPath.c_str(), 1);
        forms::ScopedMsgBox boxes;
        boxes->answer(forms::vbOK);
        halvex::ShowHelpTopic(0, "mirva_new", 0);
        const std::size_t atOnce = boxes->boxes().size();
        while (forms::qt::QtDesktop::runningOpeners() > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ::setenv("PATH", path.c_str(), 1);
        std::vector<std::string> prompts{std::to_string(atOnce)};
        for (const forms::MessageBoxRequest& box : boxes->boxes()) prompts.push_back(box.prompt);
        return prompts;
    };
    const auto failsLate = boxesFor("sleep 2\nexit 3", folder.path("bin") + ":" + path);
    ASSERT_EQ(failsLate.size(), 2u);
    EXPECT_EQ(failsLate[0], "0") << "nothing is said while the opener runs";
    EXPECT_NE(failsLate[1].find(page), std::string::npos) << failsLate[1];

    EXPECT_EQ(boxesFor("sleep 1\nexit 0", folder.path("bin") + ":" + path).size(), 1u) << "an opener that succeeds";

    const auto none = boxesFor("", folder.path("nothing"));
    ASSERT_EQ(none.size(), 2u);
    EXPECT_EQ(none[0], "1") << "without an opener the message comes at once";
    EXPECT_NE(none[1].find(page), std::string::npos) << none[1];
    forms::setDesktop(previous);
}

}  // namespace
