// The program orvelo: the wizard "Tessaro" shown by the Qt view.
//
//   orvelo [path of the input project's .PO1]
//
// The whole command line is the path: arguments that the shell split at
// blanks are joined again with one blank each.
#include <memory>
#include <string>

#include "halvex/dialogs/common_folder_dialog.h"
#include "halvex/services/private_settings.h"
#include "orvelo/wizard/frm_wizard.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/qt/application.h"

int main(int argc, char** argv) {
    forms::qt::Application app(argc, argv);
    // The library's folder browser shows the desktop's folder dialog.
    halvex::setFolderDialog(std::make_shared<halvex::CommonFolderDialog>());
    // The program's texts come in the interface language the library's
    // language dialog stored for the user.
    quillon::ClsLanguageText::setLanguageSource([] { return halvex::StoredInterfaceLanguage(); });
    // Qt's own buttons and dialogs speak that language too, where Qt has
    // translations for it; otherwise they stay English.
    app.installTranslations(halvex::StoredInterfaceLanguage());

    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    orvelo::frmWizard wizard(commandLine);
    wizard.Show();
    return app.exec();
}
