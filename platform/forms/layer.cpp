#include "platform/forms/layer.h"
#include "platform/forms/ui_thread.h"

#include <algorithm>
#include <cmath>

#include "platform/forms/form.h"
#include "platform/forms/input.h"
#include "platform/runtime/errors.h"

namespace forms {

const char* typeName(Kind kind) {
    switch (kind) {
        case Kind::Label: return "Label";
        case Kind::TextBox: return "TextBox";
        case Kind::CommandButton: return "CommandButton";
        case Kind::Frame: return "Frame";
        case Kind::OptionButton: return "OptionButton";
        case Kind::CheckBox: return "CheckBox";
        case Kind::ComboBox: return "ComboBox";
        case Kind::ListBox: return "ListBox";
        case Kind::PictureBox: return "PictureBox";
        case Kind::Image: return "Image";
        case Kind::Shape: return "Shape";
        case Kind::Line: return "Line";
        case Kind::UpDown: return "UpDown";
        case Kind::StatusBar: return "StatusBar";
        case Kind::ProgressBar: return "ProgressBar";
        case Kind::Grid: return "Grid";
        case Kind::ListView: return "ListView";
        case Kind::DatePicker: return "DTPicker";
        case Kind::Spreadsheet: return "Spreadsheet";
    }
    return "";
}

bool isValidDate(const Date& d) {
    if (d.Year < 100 || d.Year > 9999 || d.Month < 1 || d.Month > 12 || d.Day < 1) return false;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (d.Year % 4 == 0 && d.Year % 100 != 0) || d.Year % 400 == 0;
    const int days = d.Month == 2 && leap ? 29 : kDays[d.Month - 1];
    return d.Day <= days;
}

bool isWindowed(Kind kind) {
    switch (kind) {
        case Kind::Label:
        case Kind::Image:
        case Kind::Shape:
        case Kind::Line:
            return false;
        default:
            return true;
    }
}

std::int32_t pixelsFromTwips(std::int32_t twips) {
    return static_cast<std::int32_t>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

namespace detail {

Layer& layer() {
    requireUiThread();
    static Layer state;
    return state;
}

std::int32_t allocateHandle(Form* form, Control* control) {
    Layer& l = layer();
    std::int32_t handle = l.nextHandle;
    l.nextHandle += 4;
    l.windows[handle] = WindowEntry{form, control};
    return handle;
}

void releaseHandle(std::int32_t handle) {
    if (handle != 0) layer().windows.erase(handle);
}

const WindowEntry* lookupHandle(std::int32_t handle) {
    const auto& windows = layer().windows;
    auto it = windows.find(handle);
    return it == windows.end() ? nullptr : &it->second;
}

void formLoaded(Form* form) {
    auto& forms = layer().loadedForms;
    if (std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(form);
}

void formUnloaded(Form* form) {
    Layer& l = layer();
    std::erase(l.loadedForms, form);
    std::erase(l.modalStack, form);
    if (l.activeForm == form) l.activeForm = l.modalStack.empty() ? nullptr : l.modalStack.back();
}

void deliverPostedKeys() {
    Layer& l = layer();
    while (!l.postedKeys.empty()) {
        PostedKey key = l.postedKeys.front();
        l.postedKeys.pop_front();
        Form* form = l.activeForm;
        if (form == nullptr || !form->loaded()) continue;
        Control* target = form->ActiveControl();
        if (target == nullptr) continue;
        pressKey(*target, key.keyCode, key.shift, key.text);
    }
}

InputScope::~InputScope() noexcept(false) {
    Layer& l = layer();
    if (l.inputDepth > 1) {
        --l.inputDepth;
        return;
    }
    if (std::uncaught_exceptions() > uncaught_) {
        l.postedKeys.clear();
        --l.inputDepth;
        return;
    }
    try {
        deliverPostedKeys();  // still inside the gesture: keys posted now come along
    } catch (...) {
        l.postedKeys.clear();
        --l.inputDepth;
        throw;
    }
    --l.inputDepth;
}

std::string lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

namespace {

// Length of the UTF-8 sequence starting at text[i], 1 for an invalid byte.
std::size_t sequenceLength(std::string_view text, std::size_t i, char32_t* codePoint) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char b0 = byte(i);
    std::size_t length = 1;
    char32_t cp = b0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
    } else {
        if (codePoint != nullptr) *codePoint = b0 < 0x80 ? b0 : 0xFFFD;
        return 1;
    }
    if (i + length > text.size()) {
        if (codePoint != nullptr) *codePoint = 0xFFFD;
        return 1;
    }
    for (std::size_t k = 1; k < length; ++k) {
        unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            if (codePoint != nullptr) *codePoint = 0xFFFD;
            return 1;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are no UTF-8.
    if ((length == 3 && (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))) ||
        (length == 4 && (cp < 0x10000 || cp > 0x10FFFF))) {
        if (codePoint != nullptr) *codePoint = 0xFFFD;
        return 1;
    }
    if (codePoint != nullptr) *codePoint = cp;
    return length;
}

}  // namespace

std::vector<char32_t> decodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < text.size();) {
        char32_t cp = 0;
        i += sequenceLength(text, i, &cp);
        out.push_back(cp);
    }
    return out;
}

std::string encodeUtf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

std::int32_t characterCount(std::string_view text) {
    std::int32_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++count) i += sequenceLength(text, i, nullptr);
    return count;
}

std::size_t byteOffset(std::string_view text, std::int32_t character) {
    std::size_t i = 0;
    for (std::int32_t n = 0; n < character && i < text.size(); ++n) i += sequenceLength(text, i, nullptr);
    return i;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    lines.push_back(text.substr(start));
    return lines;
}

}  // namespace detail

// Screen and application

void Screen::MousePointer(std::int16_t pointer) {
    if (pointer == mousePointer_) return;
    mousePointer_ = pointer;
    display().mousePointerChanged(pointer);
}

Form* Screen::ActiveForm() const { return detail::layer().activeForm; }

void Screen::setSizePixels(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) rt::raise(5, "Screen size must be positive");
    widthPixels_ = width;
    heightPixels_ = height;
}

std::vector<win::RECT> Screen::areas() const {
    std::vector<win::RECT> areas = areasPixels_;
    if (areas.empty()) areas.push_back(win::RECT{0, 0, widthPixels_, heightPixels_});
    for (win::RECT& r : areas) r = win::RECT{r.Left * kTwipsPerPixel, r.Top * kTwipsPerPixel, r.Right * kTwipsPerPixel,
                                             r.Bottom * kTwipsPerPixel};
    return areas;
}

void Screen::setAreasPixels(std::vector<win::RECT> areas) {
    std::erase_if(areas, [](const win::RECT& r) { return r.Right <= r.Left || r.Bottom <= r.Top; });
    areasPixels_ = std::move(areas);
}

Screen& screen() { return detail::layer().screen; }

AppInfo& app() { return detail::layer().app; }

void doEvents() {
    display().doEvents();
    detail::InputScope scope;
    detail::deliverPostedKeys();
}

// SendKeys

namespace {

struct NamedKey {
    const char* name;
    std::int16_t keyCode;
    const char* text;
};

constexpr NamedKey kNamedKeys[] = {
    {"up", vbKeyUp, ""},          {"down", vbKeyDown, ""},       {"left", vbKeyLeft, ""},
    {"right", vbKeyRight, ""},    {"home", vbKeyHome, ""},       {"end", vbKeyEnd, ""},
    {"pgup", vbKeyPageUp, ""},    {"pgdn", vbKeyPageDown, ""},   {"esc", vbKeyEscape, "\x1b"},
    {"escape", vbKeyEscape, "\x1b"}, {"enter", vbKeyReturn, "\r"}, {"tab", vbKeyTab, ""},
    {"bs", vbKeyBack, "\b"},      {"backspace", vbKeyBack, "\b"}, {"bksp", vbKeyBack, "\b"},
    {"del", vbKeyDelete, ""},     {"delete", vbKeyDelete, ""},   {"insert", vbKeyInsert, ""},
    {"ins", vbKeyInsert, ""},
};

[[noreturn]] void badKeys(std::string_view keys) {
    rt::raise(5, "SendKeys cannot read \"" + std::string(keys) + "\"");
}

std::vector<detail::PostedKey> parseKeys(std::string_view keys) {
    std::vector<detail::PostedKey> out;
    std::int16_t shift = 0;
    std::size_t i = 0;
    while (i < keys.size()) {
        char c = keys[i];
        if (c == '+' || c == '^' || c == '%') {
            shift |= c == '+' ? vbShiftMask : c == '^' ? vbCtrlMask : vbAltMask;
            ++i;
            continue;
        }
        if (c == '(' || c == ')' || c == '}' || c == '[' || c == ']') badKeys(keys);
        detail::PostedKey key;
        key.shift = shift;
        int repeat = 1;
        if (c == '~') {
            key.keyCode = vbKeyReturn;
            key.text = "\r";
            ++i;
        } else if (c == '{') {
            // "{}}" is a literal closing brace.
            std::size_t close = keys.find('}', i + 2);
            if (close == std::string_view::npos) badKeys(keys);
            std::string_view inner = keys.substr(i + 1, close - i - 1);
            i = close + 1;
            std::size_t blank = inner.find(' ');
            if (blank != std::string_view::npos) {
                std::string_view count = inner.substr(blank + 1);
                inner = inner.substr(0, blank);
                repeat = 0;
                for (char d : count) {
                    if (d < '0' || d > '9' || repeat > 9999) badKeys(keys);
                    repeat = repeat * 10 + (d - '0');
                }
                if (count.empty()) badKeys(keys);
            }
            std::string name = detail::lower(inner);
            const NamedKey* named = nullptr;
            for (const NamedKey& k : kNamedKeys) {
                if (name == k.name) named = &k;
            }
            if (named != nullptr) {
                key.keyCode = named->keyCode;
                key.text = (shift & (vbCtrlMask | vbAltMask)) ? "" : named->text;
            } else if (name.size() >= 2 && name[0] == 'f' && name.find_first_not_of("0123456789", 1) == std::string::npos) {
                int number = std::stoi(name.substr(1));
                if (number < 1 || number > 16) badKeys(keys);
                key.keyCode = static_cast<std::int16_t>(vbKeyF1 + number - 1);
            } else if (detail::characterCount(inner) == 1) {
                char32_t ch = detail::decodeUtf8(inner).front();
                key.keyCode = keyCodeForCharacter(ch);
                key.text = std::string(inner);
            } else {
                badKeys(keys);
            }
        } else {
            std::size_t length = detail::byteOffset(keys.substr(i), 1);
            std::string_view ch = keys.substr(i, length);
            key.keyCode = keyCodeForCharacter(detail::decodeUtf8(ch).front());
            key.text = (shift & (vbCtrlMask | vbAltMask)) ? "" : std::string(ch);
            i += length;
        }
        for (int r = 0; r < repeat; ++r) out.push_back(key);
        shift = 0;
    }
    if (shift != 0) badKeys(keys);
    return out;
}

}  // namespace

void SendKeys(std::string_view keys, bool wait) {
    std::vector<detail::PostedKey> parsed = parseKeys(keys);
    detail::Layer& l = detail::layer();
    for (auto& key : parsed) l.postedKeys.push_back(std::move(key));
    if (wait || l.inputDepth == 0) {
        detail::InputScope scope;
        detail::deliverPostedKeys();
    }
}

void endProgram() {
    detail::Layer& l = detail::layer();
    l.programEnded = true;
    l.postedKeys.clear();
    // Unload every form without its events.
    std::vector<Form*> forms = l.loadedForms;
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) (*it)->unloadWithoutEvents();
    display().endProgram();
}

bool programEnded() { return detail::layer().programEnded; }

}  // namespace forms
