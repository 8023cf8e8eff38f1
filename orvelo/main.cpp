// The program orvelo: the wizard "Tessaro" shown by the Qt view.
//
//   orvelo [path of the input project's .PO1]
//
// The whole command line is the path: arguments that the shell split at
// blanks are joined again with one blank each.
#include <QApplication>
#include <QIcon>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "halvex/dialogs/common_folder_dialog.h"
#include "halvex/services/private_settings.h"
#include "orvelo/project/services.h"
#include "orvelo/wizard/frm_wizard.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/qt/application.h"
#include "platform/runtime/errors.h"

namespace {

constexpr const char* kNoDisplay =
    "orvelo: Tessaro needs a graphical display, and none could be opened; to try it without one, "
    "run it with QT_QPA_PLATFORM=offscreen (it then shows no window and runs until ended with Ctrl+C).\n";

bool environmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// While the display is being opened, the window system's fatal report
// (no display to connect to) becomes the program's one line and exit code 1;
// its other reports are held back and shown once the display is open.
std::vector<std::string>& heldReports() {
    static std::vector<std::string> reports;
    return reports;
}

void reportNoDisplay(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        heldReports().push_back(message.toLocal8Bit().toStdString());
        return;
    }
    std::fputs(kNoDisplay, stderr);
    std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    if (!environmentSet("QT_QPA_PLATFORM") && !environmentSet("DISPLAY") && !environmentSet("WAYLAND_DISPLAY")) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    const QtMessageHandler previousHandler = qInstallMessageHandler(reportNoDisplay);
    forms::qt::Application app(argc, argv);
    qInstallMessageHandler(previousHandler);
    for (const std::string& report : heldReports()) std::fprintf(stderr, "%s\n", report.c_str());
    // The program's name on every window and message box.
    app.qapp().setApplicationDisplayName(QStringLiteral("Tessaro"));
    // Its icon, from the program folder, on every window.
    app.qapp().setWindowIcon(QIcon(QString::fromStdString(quillon::ProgramDirectory() + "wizard/tessaro.xpm")));
    // The library's folder browser shows the desktop's folder dialog.
    halvex::setFolderDialog(std::make_shared<halvex::CommonFolderDialog>());
    // The program's texts come in the interface language the library's
    // language dialog stored for the user.
    quillon::ClsLanguageText::setLanguageSource([] { return halvex::StoredInterfaceLanguage(); });
    // Qt's own buttons and dialogs speak that language too, where Qt has
    // translations for it; otherwise they stay English.
    app.installTranslations(halvex::StoredInterfaceLanguage());

    // Every window and message takes its texts from the tables: without a
    // readable English table (or a readable table of the chosen language)
    // the program says which file, in one line, and ends.
    try {
        orvelo::LanguageTexts();
    } catch (const rt::RuntimeError& error) {
        std::fprintf(stderr, "orvelo: %s\n", error.description().c_str());
        return 1;
    }

    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    orvelo::frmWizard wizard(commandLine);
    wizard.Show();
    return app.exec();
}
