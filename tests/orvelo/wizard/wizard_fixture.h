// What the wizard tests share: a fresh program state, a program folder of
// their own (Units, STEU), scripted message boxes and folder dialog, a copy
// of the sample project and the wizard window driven headless.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "halvex/services/folder_browser.h"
#include "halvex/services/scripted_folder_dialog.h"
#include "halvex/services/library_state.h"
#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/delaunay/bas_orvelo.h"
#include "orvelo/forces/forces_data.h"
#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/bas_data.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/services.h"
#include "orvelo/program_fixture.h"
#include "orvelo/wizard/frm_wizard.h"
#include "orvelo/wizard/operation_runner.h"
#include "outside/drovik/wait_window.h"
#include "platform/forms/display.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/temp_folder.h"
#include "sample_project.h"

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override {
        orvelotest::ResetProgramState();
        orvelo::resetOperationRunner();
        orvelo::resetBasDelaunay();
        orvelo::resetBasOrvelo();
        orvelo::resetBasData();
        orvelo::resetBoringData();
        orvelo::resetInternalForces();
        halvex::libraryState().ApplicationPath = folder.path("prog");
        halvex::libraryState().DecimalSystem = halvex::SystemPoint;
        halvex::setFolderDialog(folderDialog);
        std::filesystem::create_directories(folder.path("prog"));
        writeUnits("\"[m]\",1");
    }

    void TearDown() override {
        if (wizard && wizard->loaded()) wizard->unloadWithoutEvents();
        wizard.reset();
        halvex::setFolderDialog(nullptr);
        orvelo::resetOperationRunner();
        orvelotest::ReleaseProgramState();
        halvex::resetLibraryState();
    }

    // The program folder's Units file with the first length unit given
    // (symbol, factor); the other units as the sample has them.
    void writeUnits(const std::string& firstLength) const {
        folder.write("prog/Units", firstLength + "\r\n\"[cm]\",100\r\n\"[kN]\",1\r\n\"[MN]\",0.001\r\n\"[C]\"\r\n");
    }

    // A copy of the sample project in the folder `name`; its .PO1's path.
    std::string copySample(const std::string& name = "raft") const {
        ohtest::CopySampleProject(folder.path(name));
        return folder.path(name + "/RAFT.PO1");
    }

    // The wizard shown (loaded, Form_Load run) with the command line.
    orvelo::frmWizard& open(const std::string& commandLine = "") {
        wizard = std::make_unique<orvelo::frmWizard>(commandLine);
        wizard->Show();
        return *wizard;
    }

    std::int16_t runState() const { return orvelo::RunControl().RunState(); }

    forms::Control& back() const { return wizard->cmdNav(2); }
    forms::Control& next() const { return wizard->cmdNav(3); }
    forms::Control& finish() const { return wizard->cmdNav(4); }

    // Enabled states of Back, Next and Finish.
    std::vector<bool> navState() const { return {back().Enabled(), next().Enabled(), finish().Enabled()}; }

    // Prompts of the boxes shown so far.
    std::vector<std::string> prompts() const { return orvelotest::PromptsOf(*box); }

    static std::string text(std::int32_t number, std::vector<rt::Variant> parameters = {}) {
        return orvelo::LanguageTexts().GetText(rt::Variant(number), parameters);
    }

    forms::ScopedMsgBox box;
    TempFolder folder;
    std::shared_ptr<halvex::ScriptedFolderDialog> folderDialog = std::make_shared<halvex::ScriptedFolderDialog>();
    std::unique_ptr<orvelo::frmWizard> wizard;
};
