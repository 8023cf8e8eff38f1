// The dialog tests run on a fresh library state, the headless dialogs and
// a folder of files of their own.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "halvex/dialogs/dialog_hook.h"
#include "halvex/services/library_state.h"
#include "platform/forms/scripted_dialogs.h"

namespace dialogtest {

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        halvex::resetLibraryState();
        halvex::dialogHookData() = {};
        previous_ = forms::setCommonDialogs(std::make_shared<forms::ScriptedCommonDialogs>());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  ("halvex_dialogs_" + std::string(info->test_suite_name()) + "_" + info->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        forms::setCommonDialogs(previous_);
        std::filesystem::remove_all(folder_);
    }

    // The test's folder, without a closing separator.
    std::string folder() const { return folder_.string(); }
    // Creates an empty file in the test's folder and returns its path.
    std::string touch(const std::string& name) const
    {
        const std::filesystem::path path = folder_ / name;
        std::ofstream(path).put('x');
        return path.string();
    }

private:
    std::shared_ptr<forms::CommonDialogs> previous_;
    std::filesystem::path folder_;
};

}  // namespace dialogtest
