// The Qt-backed services: the message box, the settings store the application
// installs and the application object.
#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "platform/forms/msgbox.h"
#include "platform/forms/qt/application.h"
#include "platform/forms/qt/desktop_qt.h"
#include "platform/forms/qt/msgbox_qt.h"
#include "platform/forms/qt/qt_environment.h"
#include "platform/forms/ini_settings.h"
#include "platform/forms/settings.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/temp_folder.h"

using namespace forms;
using namespace forms::qt;

TEST(QtMessageBox, HonoursButtonsIconDefaultAndReadingOrder) {
    MessageBoxRequest question{"Delete row 3?\rIt cannot be undone.", 292 | vbMsgBoxRtlReading | vbMsgBoxRight,
                               "Delete"};
    auto box = buildMessageBox(question);
    EXPECT_EQ(box->windowTitle(), "Delete");
    EXPECT_EQ(box->text(), "Delete row 3?\nIt cannot be undone.");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->buttons().size(), 2);
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_EQ(box->layoutDirection(), Qt::RightToLeft);

    auto info = buildMessageBox({"Saved.", vbInformation, "Tessaro"});
    EXPECT_EQ(info->icon(), QMessageBox::Information);
    EXPECT_EQ(info->escapeButton(), info->button(QMessageBox::Ok));
    EXPECT_EQ(info->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(answerOf(*info, vbInformation), vbOK) << "closing a one-button box answers that button";
    EXPECT_EQ(answerOf(*buildMessageBox({"?", vbYesNoCancel, ""}), vbYesNoCancel), vbCancel);
}

TEST(QtMessageBox, TheServiceReturnsTheButtonTheUserPressed) {
    QTimer::singleShot(0, [] {
        auto* box = dynamic_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Retry)->click();
    });
    EXPECT_EQ(MsgBox("The file is in use.", vbRetryCancel | vbExclamation, "Open"), vbRetry);
}

// Qt's own button texts follow the interface language; a language Qt has
// no translations for leaves them English.
TEST(QtMessageBox, ButtonsSpeakTheInterfaceLanguage) {
    Application& app = formstest::application();
    auto noText = [] { return buildMessageBox({"?", vbYesNo, ""})->button(QMessageBox::No)->text(); };
    const QString english = noText();
    ASSERT_TRUE(app.installTranslations("German"));
    EXPECT_EQ(noText(), "&Nein");
    ASSERT_TRUE(app.installTranslations("Arabic"));
    const QString arabic = noText();
    EXPECT_NE(arabic, english);
    EXPECT_NE(arabic, "&Nein") << "the German translations were replaced";

    EXPECT_FALSE(app.installTranslations("Elvish"));
    EXPECT_FALSE(app.installTranslations("Klingon")) << "Qt knows the language but has no texts for it";
    EXPECT_EQ(noText(), english);
    EXPECT_TRUE(app.installTranslations("English"));
    EXPECT_EQ(noText(), english);
}

TEST(IniSettings, RoundTripInAFolderOfOurOwn) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        IniSettingsStore store(dir.path().toStdString() + "/nested");
        store.save("valmor", "Help Language setting", "Language", "German");
        store.save("valmor", "Texts", "Tricky", " a, \"quoted\" =value; \xc3\xa4\xd8\xb9 ");
        store.save("valmor", "Flags", "On", "-1");
        EXPECT_EQ(store.get("Valmor", "help language setting", "LANGUAGE", "English"), "German");
        store.save("VALMOR", "HELP LANGUAGE SETTING", "language", "Arabic");
        store.remove("valmor", "Flags", "On");
    }
    IniSettingsStore reopened(dir.path().toStdString() + "/nested");
    EXPECT_TRUE(QFile::exists(QString::fromStdString(reopened.fileOf("valmor"))));
    EXPECT_EQ(reopened.get("valmor", "Help Language setting", "Language", "English"), "Arabic")
        << "a differently spelt name overwrites the stored one";
    EXPECT_EQ(reopened.get("valmor", "Texts", "Tricky", ""), " a, \"quoted\" =value; \xc3\xa4\xd8\xb9 ");
    EXPECT_EQ(reopened.get("valmor", "Flags", "On", "0"), "0");
    EXPECT_EQ(reopened.get("other", "Section", "Key", "fallback"), "fallback");
    reopened.remove("valmor", "Texts", "");
    EXPECT_EQ(reopened.get("valmor", "Texts", "Tricky", "gone"), "gone");

    EXPECT_EQ(errorNumberOf([&] { reopened.save("valmor", "", "Key", "x"); }), 5);
}

TEST(IniSettings, TheProgramsStoreHonoursTheRedirection) {
    auto* store = dynamic_cast<IniSettingsStore*>(&settings());
    ASSERT_NE(store, nullptr) << "the application installs the INI store";
    EXPECT_EQ(store->folder(), qgetenv("OH_SETTINGS_DIR").toStdString());
}

// A host's QApplication: the services attach to it, put the ones before them
// back when they end, and leave the host's application object alone.
TEST(QtApplication, TheServicesAttachToTheHostsApplicationObject) {
    QApplication* host = &formstest::application().qapp();
    SettingsStore* before = &settings();
    {
        Application attached;
        EXPECT_FALSE(attached.ownsQApplication());
        EXPECT_EQ(&attached.qapp(), host);
        EXPECT_NE(&settings(), before);
    }
    EXPECT_EQ(QCoreApplication::instance(), host);
    EXPECT_EQ(&settings(), before);
}

// The default store keeps the settings in the user's folder: a host
// without forms::qt::Application loses none.
TEST(IniSettings, TheDefaultStoreIsTheUsersIniFiles) {
    std::shared_ptr<SettingsStore> previous = setSettingsStore(nullptr);
    auto* store = dynamic_cast<IniSettingsStore*>(&settings());
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(store->folder(), userSettingsFolder());
    setSettingsStore(previous);
}

// The desktop's opener is watched to its end without the window waiting: a
// fake opener that sleeps and fails is reported late, one that succeeds is
// not, and without any opener the request fails at once.
TEST(QtDesktopOpener, TheOpenersVerdictArrivesWhenItEnds) {
    TempFolder bin;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.path("")) + ":" + path);
    QtDesktop desktop;
    auto failures = [&](const char* script, const char* address) {
        bin.write("xdg-open", std::string("#!/bin/sh\n") + script + "\n");
        std::filesystem::permissions(bin.path("xdg-open"), std::filesystem::perms::owner_all);
        int failed = 0;
        EXPECT_TRUE(desktop.openUrl(address, [&failed] { ++failed; }));
        EXPECT_EQ(failed, 0) << "nothing is said while the opener runs";
        while (QtDesktop::runningOpeners() > 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return failed;
    };
    EXPECT_EQ(failures("sleep 2\nexit 3", "/tmp/page.htm"), 1);
    EXPECT_EQ(failures("sleep 1\nexit 0", "https://example.org/"), 0);
    qputenv("PATH", QByteArray::fromStdString(bin.path("none")));
    int failed = 0;
    EXPECT_FALSE(desktop.openUrl("/tmp/page.htm", [&failed] { ++failed; }));
    EXPECT_EQ(failed, 0) << "the caller tells it at once";
    qputenv("PATH", path);
}

// A box is at least as wide as its title in the frame's bold font beside the
// frame's buttons.
TEST(QtMessageBox, IsAtLeastAsWideAsItsTitle) {
    for (const char* title : {"\xd8\xa5\xd8\xba\xd9\x84\xd8\xa7\xd9\x82 \xd8\xa7\xd9\x84\xd8\xa8\xd8\xb1\xd9\x86\xd8\xa7\xd9\x85\xd8\xac Tessaro \xd8\xa7\xd9\x84\xd8\xa2\xd9\x86\xd8\x9f"}) {
        auto box = buildMessageBox({"?", vbOKCancel | vbQuestion, title});
        box->setWindowModality(Qt::NonModal);
        box->show();
        formstest::processEvents();
        EXPECT_GE(box->width(), minimumWidthForTitle(box->windowTitle())) << title;
        box->hide();
    }
}
