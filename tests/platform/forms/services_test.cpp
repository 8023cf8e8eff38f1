// The layer's services: message boxes, settings, screen, desktop, text
// measurement and the end of the program.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "platform/forms/desktop.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"
#include "platform/runtime/write_faults.h"
#include "platform/forms/sample_dialog.h"

using namespace forms;

TEST(MessageBoxes, TheScriptAnswersInOrderAndRecordsEveryBox) {
    ScopedMsgBox script;
    script->answer(vbCancel);
    script->answer(vbNo);
    app().Title = "Tessaro";
    EXPECT_EQ(MsgBox("Close the program?", vbOKCancel | vbQuestion | vbMsgBoxRtlReading, "Exit"), vbCancel);
    EXPECT_EQ(MsgBox("Delete row 3?", 292), vbNo);
    ASSERT_EQ(script->boxes().size(), 2u);
    EXPECT_EQ(script->boxes()[0].prompt, "Close the program?");
    EXPECT_EQ(script->boxes()[0].style, 0x100021);
    EXPECT_EQ(script->boxes()[0].title, "Exit");
    EXPECT_EQ(script->boxes()[1].title, "Tessaro") << "the application title is the default title";
    EXPECT_EQ(script->pendingAnswers(), 0u);
}

TEST(MessageBoxes, ABoxNobodyAnswersFailsLoudly) {
    {
        ScopedMsgBox script;
        EXPECT_THROW(MsgBox("unexpected", vbOKOnly, "t"), MsgBoxError);
        EXPECT_EQ(script->unanswered(), 1);
        EXPECT_EQ(script->boxes().size(), 1u) << "the box is recorded all the same";
        script->answer(vbYes);
        EXPECT_THROW(MsgBox("only OK here"), MsgBoxError) << "an answer the box has no button for";
    }
    auto none = setMsgBoxService(nullptr);
    EXPECT_THROW(MsgBox("no service"), MsgBoxError);
    setMsgBoxService(none);
}

TEST(MessageBoxes, StyleWordsDecodeToButtonsIconAndDefault) {
    EXPECT_EQ(answersOf(vbYesNoCancel), (std::vector<std::int16_t>{vbYes, vbNo, vbCancel}));
    EXPECT_EQ(answersOf(vbRetryCancel | vbCritical), (std::vector<std::int16_t>{vbRetry, vbCancel}));
    EXPECT_EQ(iconOf(292), vbQuestion);
    EXPECT_EQ(defaultAnswerOf(292), vbNo);
    EXPECT_EQ(defaultAnswerOf(vbOKOnly | vbDefaultButton3), vbOK) << "a default the box lacks falls back";
    EXPECT_EQ(buttonsOf(0x100000 | 0x80000 | 48 | 1), vbOKCancel);
}

TEST(Settings, TextsRoundTripByApplicationSectionAndKeyWithoutRegardToCase) {
    auto previous = setSettingsStore(nullptr);
    SettingsStore& store = settings();
    EXPECT_EQ(store.get("valmor", "Help Language setting", "Language", "English"), "English");
    store.save("valmor", "Help Language setting", "Language", "German");
    store.save("valmor", "Flags", "Smooth", "-1");
    EXPECT_EQ(store.get("VALMOR", "help language SETTING", "language", "English"), "German");
    EXPECT_EQ(store.get("valmor", "Flags", "Smooth", "0"), "-1");
    store.remove("valmor", "Flags", "");
    EXPECT_EQ(store.get("valmor", "Flags", "Smooth", "0"), "0");
    store.remove("valmor", "Nothing here", "Key");  // harmless

    EXPECT_EQ(errorNumberOf([&] { store.save("valmor", "a/b", "Key", "x"); }), 5);
    setSettingsStore(previous);
}

// A host without the Qt services: the default store keeps the settings in
// the user's folder, in the INI files the Qt services read, and a failed
// write names the file and the reason and keeps the old file.
TEST(Settings, WithoutTheQtServicesTheSettingsLiveInTheUsersIniFiles) {
    TempFolder folder;
    const std::string redirected = std::getenv("OH_SETTINGS_DIR");
    setenv("OH_SETTINGS_DIR", folder.dir().c_str(), 1);
    auto previous = setSettingsStore(nullptr);
    settings().save("Valmor", "Interface Language setting", "Language", "German");
    const std::string written = "[Interface%20Language%20setting]\nLanguage=German\n";
    EXPECT_EQ(folder.read("valmor.ini"), written);
    setSettingsStore(nullptr);
    EXPECT_EQ(settings().get("valmor", "interface language setting", "language", ""), "German") << "a fresh store";

    folder.write("host.ini", "\xEF\xBB\xBF; written by hand\r\n[General]\r\nkey=root\r\n[Paths]\r\n"
                             "  Last File = \"C:\\\\a, b\" ; the comment\r\nWidth=12 \\\r\n34\r\n");
    EXPECT_EQ(settings().get("Host", "Paths", "Last File", ""), "C:\\a, b");
    EXPECT_EQ(settings().get("Host", "Paths", "Width", ""), "12 34") << "a \"\\\" at the line end joins the next";
    EXPECT_EQ(settings().get("Host", "General", "key", "none"), "none") << "[General] holds no section's keys";

    rt::setWriteFaultHook([](const std::string&) { return ENOSPC; });
    std::string message;
    EXPECT_EQ(errorNumberOf([] { settings().save("valmor", "Interface Language setting", "Language", "Arabic"); },
                            &message), 75);
    rt::setWriteFaultHook(nullptr);
    EXPECT_NE(message.find(folder.path("valmor.ini")), std::string::npos) << message;
    EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
    EXPECT_EQ(folder.read("valmor.ini"), written);
    std::filesystem::create_directory(folder.path("folder.ini"));
    EXPECT_EQ(errorNumberOf([] { settings().save("Folder", "S", "K", "x"); }), 75) << "what cannot be read is kept";
    EXPECT_EQ(settings().get("Folder", "S", "K", "default"), "default");
    // A name that is a device (or a pipe, which would wait for a writer)
    // reads as nothing stored and is kept.
    std::filesystem::create_symlink("/dev/null", folder.path("device.ini"));
    EXPECT_EQ(settings().get("Device", "S", "K", "default"), "default");
    EXPECT_EQ(errorNumberOf([] { settings().save("Device", "S", "K", "x"); }, &message), 75);
    EXPECT_NE(message.find("not a regular file"), std::string::npos) << message;
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("device.ini")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.dir()), {}), 4) << "no temporary file is left";

    setSettingsStore(previous);
    setenv("OH_SETTINGS_DIR", redirected.c_str(), 1);
}

namespace {

struct RecordingDisplay : HeadlessDisplay {
    void mousePointerChanged(std::int16_t pointer) override { pointers.push_back(pointer); }
    void endProgram() override { ended = true; }
    std::vector<std::int16_t> pointers;
    bool ended = false;
};

}  // namespace

// The user's settings folder: the redirection, else the configuration home
// when it is absolute, else ~/.config; each followed by "halvex".
TEST(Settings, TheUsersFolderFollowsTheRedirectionThenTheConfigurationHome) {
    auto value = [](const char* name) { return std::string(std::getenv(name) ? std::getenv(name) : ""); };
    const std::string redirected = value("OH_SETTINGS_DIR"), home = value("HOME"), config = value("XDG_CONFIG_HOME");
    setenv("HOME", "/home/probe", 1);
    setenv("OH_SETTINGS_DIR", "/tmp/probe-settings", 1);
    EXPECT_EQ(userSettingsFolder(), "/tmp/probe-settings");
    unsetenv("OH_SETTINGS_DIR");
    setenv("XDG_CONFIG_HOME", "/srv/config", 1);
    EXPECT_EQ(userSettingsFolder(), "/srv/config/halvex");
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(userSettingsFolder(), "/home/probe/.config/halvex") << "a relative configuration home is ignored";
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(userSettingsFolder(), "/home/probe/.config/halvex");
    setenv("OH_SETTINGS_DIR", redirected.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    if (!config.empty()) setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

TEST(ScreenAndApplication, MousePointerReachesTheDisplayAndEndUnloadsEveryForm) {
    auto recording = std::make_shared<RecordingDisplay>();
    auto previous = setDisplay(recording);
    screen().MousePointer(vbHourglass);
    screen().MousePointer(vbHourglass);
    screen().MousePointer(vbDefault);
    EXPECT_EQ(recording->pointers, (std::vector<std::int16_t>{11, 0}));
    EXPECT_EQ(screen().Width(), screen().widthPixels() * 15);

    formstest::SampleDialog a, b;
    a.Show();
    b.Load();
    endProgram();
    EXPECT_TRUE(programEnded());
    EXPECT_FALSE(a.loaded());
    EXPECT_FALSE(b.loaded());
    EXPECT_TRUE(a.unloadModes.empty()) << "no QueryUnload at the end of the program";
    EXPECT_TRUE(recording->ended);
    setDisplay(previous);
}

TEST(TextMeasurement, WidthIsTheWidestLineAndHeightCountsLines) {
    Form f("frmMeasure");
    std::int32_t one = f.TextWidth("abcd");
    EXPECT_GT(one, 0);
    EXPECT_EQ(f.TextWidth("ab\r\nabcd\rx"), one);
    EXPECT_EQ(f.TextHeight("a\r\nb\nc"), 3 * f.TextHeight("a"));
    StdFont big = f.Font();
    big.Size = 25;
    f.Font(big);
    EXPECT_GT(f.TextWidth("abcd"), 3 * one);
}

TEST(DesktopServices, HeadlessStandInsRecordWhatWasAsked) {
    auto recorder = std::make_shared<RecordingDesktop>();
    auto previous = setDesktop(recorder);
    EXPECT_TRUE(desktop().openUrl("https://example.org/support"));
    recorder->succeed = false;
    EXPECT_FALSE(desktop().startDetached("/usr/bin/sysinfo", {"-a"}));
    ASSERT_EQ(recorder->startedPrograms.size(), 1u);
    EXPECT_EQ(recorder->startedPrograms[0].arguments, std::vector<std::string>{"-a"});
    setDesktop(previous);

    clipboard().setText("copied");
    EXPECT_EQ(clipboard().text(), "copied");
    clipboard().setData("image/png", std::string("\x89PNG", 4));
    EXPECT_EQ(clipboard().text(), "") << "new data replaces the clipboard's content";
}
