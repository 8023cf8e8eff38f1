// The display behind the forms: what shows forms, runs modal display, lets
// pending events run, measures text and knows the mouse. The program
// installs the Qt display (forms/qt); without it the headless display
// serves: shown forms stay models, and a modal Show hands the form to the
// modal driver a test registered.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/forms/types.h"
#include "platform/runtime/errors.h"

namespace forms {

class Form;

// Extent of one line of text, twips.
struct TextExtent {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class Display {
public:
    virtual ~Display() = default;
    // A form became visible (its Visible is already true; showingModal()
    // tells a modal Show).
    virtual void formShown(Form&) {}
    virtual void formHidden(Form&) {}
    // A form was unloaded; its controls are gone.
    virtual void formUnloaded(Form&) {}
    // Returns when the form is hidden or unloaded.
    virtual void runModal(Form& form) = 0;
    // Lets pending window events run once.
    virtual void doEvents() {}
    virtual void mousePointerChanged(std::int16_t /*pointer*/) {}
    // The system's beep.
    virtual void beep() {}
    // Extent of one line in a font.
    virtual TextExtent measureText(const StdFont& font, std::string_view line) const;
    // Mouse position in screen pixels.
    virtual void cursorPos(std::int32_t& x, std::int32_t& y) const;
    // The program ends: leave every event loop.
    virtual void endProgram() {}
    // A handler let an error escape while the view ran it: the program
    // shows it as a critical message box and goes on.
    virtual void reportUnhandled(const std::string& message);
};

// A modal driver plays the user of a modal form in a test: it fills fields
// and clicks buttons through input.h, and must leave the form hidden or
// unloaded.
using ModalDriver = std::function<void(Form&)>;

// A modal Show without a driver, or a driver that left its form shown: a
// run-time error (5), so that a member that reports its errors reports this
// one too (a host that installed no display services).
class ModalError : public rt::RuntimeError {
public:
    explicit ModalError(const std::string& description) : rt::RuntimeError(5, description) {}
};

class HeadlessDisplay : public Display {
public:
    void runModal(Form& form) override;
    void cursorPos(std::int32_t& x, std::int32_t& y) const override;
    void setCursorPos(std::int32_t x, std::int32_t y);
    // Counts the beeps.
    void beep() override { ++beeps_; }
    int beeps() const { return beeps_; }

private:
    int beeps_ = 0;
    std::int32_t cursorX_ = 0;
    std::int32_t cursorY_ = 0;
};

// The display in use (the headless one until another is installed).
Display& display();
// Installs a display (nullptr: the headless one); returns the previous.
std::shared_ptr<Display> setDisplay(std::shared_ptr<Display> display);

// Sounds the system's beep through the display in use.
void beep();

// The modal driver of the headless display; returns the previous one.
ModalDriver setModalDriver(ModalDriver driver);

// Installs a modal driver for a scope.
class ScopedModalDriver {
public:
    explicit ScopedModalDriver(ModalDriver driver) : previous_(setModalDriver(std::move(driver))) {}
    ~ScopedModalDriver() { setModalDriver(std::move(previous_)); }
    ScopedModalDriver(const ScopedModalDriver&) = delete;
    ScopedModalDriver& operator=(const ScopedModalDriver&) = delete;

private:
    ModalDriver previous_;
};

}  // namespace forms
