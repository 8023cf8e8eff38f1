// Starts the program's Qt application once for every test of the Qt test programs.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

#include "platform/forms/qt/application.h"
#include "platform/forms/qt/qt_environment.h"

namespace {

forms::qt::Application* current = nullptr;

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        settingsDir_ = std::make_unique<QTemporaryDir>();
        setenv("OH_SETTINGS_DIR", settingsDir_->path().toLocal8Bit().constData(), 1);
        static int argc = 1;
        static char name[] = "test_forms_qt";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<forms::qt::Application>(argc, argv);
        current = app_.get();
    }
    void TearDown() override {
        current = nullptr;
        app_.reset();
        settingsDir_.reset();
    }

private:
    std::unique_ptr<QTemporaryDir> settingsDir_;
    std::unique_ptr<forms::qt::Application> app_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

forms::qt::Application& formstest::application() { return *current; }
