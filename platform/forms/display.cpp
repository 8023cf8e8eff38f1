#include "platform/forms/display.h"

#include <cmath>

#include "platform/forms/form.h"
#include "platform/forms/layer.h"

namespace forms {

// Headless text extent: an average character of 0.55 em and a line of
// 1.2 em, so layouts computed from text widths are stable in tests.
TextExtent Display::measureText(const StdFont& font, std::string_view line) const {
    double em = font.Size * 20.0;  // twips
    double perCharacter = em * 0.55 * (font.Bold ? 1.1 : 1.0);
    TextExtent extent;
    extent.width = static_cast<std::int32_t>(std::lround(perCharacter * detail::characterCount(line)));
    extent.height = static_cast<std::int32_t>(std::lround(em * 1.2));
    return extent;
}

void Display::cursorPos(std::int32_t& x, std::int32_t& y) const {
    x = 0;
    y = 0;
}

void Display::reportUnhandled(const std::string&) {}

void HeadlessDisplay::runModal(Form& form) {
    ModalDriver driver = detail::layer().modalDriver;
    if (!driver) {
        form.unloadWithoutEvents();
        throw ModalError("modal form " + form.Name() + " was shown, but no modal driver is registered");
    }
    driver(form);
    if (form.loaded() && form.Visible()) {
        form.unloadWithoutEvents();
        throw ModalError("the modal driver left form " + form.Name() + " shown; it must hide or unload it");
    }
}

void HeadlessDisplay::cursorPos(std::int32_t& x, std::int32_t& y) const {
    x = cursorX_;
    y = cursorY_;
}

void HeadlessDisplay::setCursorPos(std::int32_t x, std::int32_t y) {
    cursorX_ = x;
    cursorY_ = y;
}

void beep() { display().beep(); }

Display& display() {
    auto& d = detail::layer().display;
    if (!d) d = std::make_shared<HeadlessDisplay>();
    return *d;
}

std::shared_ptr<Display> setDisplay(std::shared_ptr<Display> replacement) {
    auto& d = detail::layer().display;
    std::shared_ptr<Display> previous = std::move(d);
    d = replacement ? std::move(replacement) : std::make_shared<HeadlessDisplay>();
    return previous;
}

ModalDriver setModalDriver(ModalDriver driver) {
    ModalDriver previous = std::move(detail::layer().modalDriver);
    detail::layer().modalDriver = std::move(driver);
    return previous;
}

}  // namespace forms
