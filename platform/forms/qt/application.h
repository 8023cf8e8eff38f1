// Starting Qt for the program: forms::qt::Application attaches to the Qt
// application object the host already made, or creates one when there is
// none (and then owns it), and installs the Qt backends of the forms layer: the
// display (a window per shown form, nested event loops for modal forms,
// DoEvents, the mouse pointer, text measurement), message boxes, the screen
// size of the primary screen, the INI settings store, the clipboard, the
// desktop services and the common dialogs (common_dialogs_qt.h). Its
// destructor puts the headless services back. installTranslations makes
// Qt's own texts (message-box buttons, file and font dialogs) speak the
// interface language. A host with its own QApplication makes the
// Application after it and ends it before it; the host's object is never
// deleted here.
//
// Every member, and every service it installs, belongs to the thread of the
// Qt application object (the UI thread).
//
//   int main(int argc, char** argv) {
//       forms::qt::Application app(argc, argv);
//       frmWizard wizard;
//       wizard.Show();
//       return app.exec();
//   }
#pragma once

#include <QWidget>

#include <memory>
#include <string>

#include "platform/forms/display.h"

class QApplication;
class QTranslator;

namespace forms {
class Control;
class Form;
}

namespace forms::qt {

class QtDisplay;

class Application {
public:
    // argc and argv are used only when a QApplication is made here; they
    // must outlive it.
    Application(int& argc, char** argv);
    // Attaches to the host's QApplication, or makes one without arguments.
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the event loop until the program ends: endProgram(), or the
    // unloading of the last shown form. Returns the exit code.
    int exec();

    QApplication& qapp() const { return *qapp_; }
    // Whether the QApplication was made here (false: the host's).
    bool ownsQApplication() const { return ownedQapp_ != nullptr; }

    // Installs Qt's own translations for a language given by its English
    // name ("German", "Arabic"), read from Qt's translations folder
    // (QLibraryInfo::TranslationsPath, "qtbase_de.qm" ...), in place of
    // those installed before. "" and "English" need none. False, with
    // Qt's texts left English, for a name Qt does not know or a language
    // whose translations are not installed.
    bool installTranslations(const std::string& language);

private:
    void install();

    std::unique_ptr<QApplication> ownedQapp_;
    QApplication* qapp_ = nullptr;
    std::unique_ptr<QTranslator> translator_;
    std::shared_ptr<QtDisplay> display_;
    struct Previous;
    std::unique_ptr<Previous> previous_;
};

// The display that shows forms as Qt windows. Application installs it; a
// test that makes its own QApplication can install it with setDisplay.
class QtDisplay : public Display {
public:
    QtDisplay();
    ~QtDisplay() override;
    void formShown(Form& form) override;
    void formHidden(Form& form) override;
    void formUnloaded(Form& form) override;
    void runModal(Form& form) override;
    void doEvents() override;
    void mousePointerChanged(std::int16_t pointer) override;
    void beep() override;
    TextExtent measureText(const StdFont& font, std::string_view line) const override;
    void cursorPos(std::int32_t& x, std::int32_t& y) const override;
    void endProgram() override;
    void reportUnhandled(const std::string& message) override;

    // The window of a shown form and the widget of one of its controls;
    // nullptr when there is none.
    QWidget* windowOf(const Form& form) const;
    QWidget* widgetOf(const Control& control) const;

    // Set while Application::exec runs: unloading the last shown form then
    // ends the event loop.
    void setQuitWhenLastFormCloses(bool quit) { quitWhenLastFormCloses_ = quit; }

private:
    struct State;
    std::unique_ptr<State> state_;
    bool quitWhenLastFormCloses_ = false;
};

// Window of a shown form / widget of a control, through the installed Qt
// display (nullptr when the display is not the Qt one).
QWidget* windowOf(const Form& form);
QWidget* widgetOf(const Control& control);

}  // namespace forms::qt
