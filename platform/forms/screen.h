// The screen, the application and the other process-wide services of the
// layer: screen size and mouse pointer, the application title, DoEvents,
// keystrokes sent to the active window, and the end of the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/win.h"

namespace forms {

class Form;

inline constexpr std::int16_t kTwipsPerPixel = 15;

// Pixels from twips, to the nearest pixel.
std::int32_t pixelsFromTwips(std::int32_t twips);

class Screen {
public:
    // Size of the screen, twips.
    std::int32_t Width() const { return widthPixels_ * kTwipsPerPixel; }
    std::int32_t Height() const { return heightPixels_ * kTwipsPerPixel; }
    std::int16_t TwipsPerPixelX() const { return kTwipsPerPixel; }
    std::int16_t TwipsPerPixelY() const { return kTwipsPerPixel; }
    // 0 the default arrow, 11 the hourglass.
    std::int16_t MousePointer() const { return mousePointer_; }
    void MousePointer(std::int16_t pointer);
    // The form that last became active (shown or clicked), nullptr when none.
    Form* ActiveForm() const;

    // Set by the display from the primary screen; 1024 x 768 headless.
    void setSizePixels(std::int32_t width, std::int32_t height);
    std::int32_t widthPixels() const { return widthPixels_; }
    std::int32_t heightPixels() const { return heightPixels_; }

    // Every screen of the desktop in desktop coordinates, twips, the
    // primary first: the display sets them (pixels); until then, and when
    // it sets none, the primary screen alone at (0, 0).
    std::vector<win::RECT> areas() const;
    void setAreasPixels(std::vector<win::RECT> areas);

private:
    std::vector<win::RECT> areasPixels_;
    std::int32_t widthPixels_ = 1024;
    std::int32_t heightPixels_ = 768;
    std::int16_t mousePointer_ = 0;
};

Screen& screen();

// The application object: its title is the default title of message boxes.
struct AppInfo {
    std::string Title;
};
AppInfo& app();

// Lets pending window events run once, and delivers keystrokes posted by
// SendKeys.
void doEvents();

// Sends keystrokes to the control with the focus in the active form, in
// the notation "{UP}", "{DOWN}", "{ESC}", "{ENTER}" or "~", "{TAB}",
// "{HOME}", "{F1}", "{DEL}", "{BS}", prefixes "+" Shift, "^" Ctrl, "%" Alt,
// "{KEY n}" for n repeats, "{+}" for a literal, other characters typed as
// they are. Without wait the keys are delivered after the running handler
// returns to the layer (or at the next DoEvents); with wait at once.
// Error 5 for notation it does not know.
void SendKeys(std::string_view keys, bool wait = false);

// Ends the program at once: every form is unloaded without events and the
// event loops end.
void endProgram();
bool programEnded();

}  // namespace forms
