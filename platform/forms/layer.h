// Internal to the forms layer: its one process-wide state (window handles,
// loaded forms, modal stack, posted keystrokes, installed services) and
// small text helpers. Not for use outside platform/forms.
#pragma once

#include <cstdint>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/desktop.h"
#include "platform/forms/display.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/forms/settings.h"

namespace forms {
class Control;
class Form;
}

namespace forms::detail {

struct WindowEntry {
    Form* form = nullptr;
    Control* control = nullptr;  // nullptr: the form's own window
};

struct PostedKey {
    std::int16_t keyCode = 0;
    std::int16_t shift = 0;
    std::string text;
};

struct Layer {
    std::map<std::int32_t, WindowEntry> windows;
    std::int32_t nextHandle = 0x10000;
    std::vector<Form*> loadedForms;
    std::vector<Form*> modalStack;
    Form* activeForm = nullptr;
    std::deque<PostedKey> postedKeys;
    int inputDepth = 0;
    bool programEnded = false;

    std::shared_ptr<Display> display;
    ModalDriver modalDriver;
    std::shared_ptr<MsgBoxService> msgBox;
    std::shared_ptr<SettingsStore> settings;
    std::shared_ptr<Clipboard> clipboard;
    std::shared_ptr<Desktop> desktop;
    Screen screen;
    AppInfo app;
};

Layer& layer();

std::int32_t allocateHandle(Form* form, Control* control);
void releaseHandle(std::int32_t handle);
const WindowEntry* lookupHandle(std::int32_t handle);

void formLoaded(Form* form);
void formUnloaded(Form* form);

// Delivers posted keystrokes to the focused control of the active form.
void deliverPostedKeys();

// Marks a user gesture in progress; the outermost one delivers posted keys
// when it ends normally, and an error of their handlers leaves the gesture
// like any other. A gesture left by an error drops the keys still posted.
class InputScope {
public:
    InputScope() : uncaught_(std::uncaught_exceptions()) { ++layer().inputDepth; }
    ~InputScope() noexcept(false);
    InputScope(const InputScope&) = delete;
    InputScope& operator=(const InputScope&) = delete;

private:
    int uncaught_;
};

// ASCII lower case, for names compared without regard to case.
std::string lower(std::string_view text);

// UTF-8 helpers; a byte that is not valid UTF-8 counts as one character.
std::vector<char32_t> decodeUtf8(std::string_view text);
std::string encodeUtf8(char32_t codePoint);
std::int32_t characterCount(std::string_view text);
// Byte offset of the character with that number (clamped to the end).
std::size_t byteOffset(std::string_view text, std::int32_t character);

// Splits at CR LF, CR or LF.
std::vector<std::string_view> splitLines(std::string_view text);

}  // namespace forms::detail
