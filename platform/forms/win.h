// Window functions in the manner of the desktop's window API, over the form
// models: every loaded form and every windowed control has a 32-bit handle
// from one process-wide table; handles are never reused. Window rectangles
// are screen pixels derived from the models: the form's Left and Top, its
// frame and caption bar, the containers' offsets and the controls' own
// Left, Top, Width and Height, each twips / 15 to the nearest pixel.
//
// A handle that names no window makes a function fail the way the API does
// (0, False or an empty result), never throw.
#pragma once

#include <cstdint>
#include <string>

namespace forms {
class Control;
class Form;
}

namespace forms::win {

struct RECT {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

struct POINTAPI {
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

// GetSystemMetrics
inline constexpr std::int32_t SM_CXSCREEN = 0;
inline constexpr std::int32_t SM_CYSCREEN = 1;
inline constexpr std::int32_t SM_CXVSCROLL = 2;
inline constexpr std::int32_t SM_CYHSCROLL = 3;
inline constexpr std::int32_t SM_CYCAPTION = 4;
inline constexpr std::int32_t SM_CXBORDER = 5;
inline constexpr std::int32_t SM_CYBORDER = 6;
inline constexpr std::int32_t SM_CXDLGFRAME = 7;
inline constexpr std::int32_t SM_CYDLGFRAME = 8;
inline constexpr std::int32_t SM_CXFULLSCREEN = 16;
inline constexpr std::int32_t SM_CYFULLSCREEN = 17;
inline constexpr std::int32_t SM_CXFRAME = 32;
inline constexpr std::int32_t SM_CYFRAME = 33;

// GetWindow
inline constexpr std::int32_t GW_HWNDFIRST = 0;
inline constexpr std::int32_t GW_HWNDLAST = 1;
inline constexpr std::int32_t GW_HWNDNEXT = 2;
inline constexpr std::int32_t GW_HWNDPREV = 3;
inline constexpr std::int32_t GW_CHILD = 5;

// GetWindowLong / SetWindowLong
inline constexpr std::int32_t GWL_EXSTYLE = -20;
inline constexpr std::int32_t GWL_STYLE = -16;
inline constexpr std::int32_t GWL_ID = -12;
inline constexpr std::int32_t WS_EX_DLGMODALFRAME = 0x1;
inline constexpr std::int32_t WS_EX_RIGHT = 0x1000;
inline constexpr std::int32_t WS_EX_RTLREADING = 0x2000;
inline constexpr std::int32_t WS_EX_LEFTSCROLLBAR = 0x4000;
inline constexpr std::int32_t WS_EX_LAYOUTRTL = 0x400000;

// ShowWindow
inline constexpr std::int32_t SW_HIDE = 0;
inline constexpr std::int32_t SW_SHOWNORMAL = 1;
inline constexpr std::int32_t SW_SHOWMINIMIZED = 2;
inline constexpr std::int32_t SW_SHOWMAXIMIZED = 3;
inline constexpr std::int32_t SW_SHOW = 5;
inline constexpr std::int32_t SW_MINIMIZE = 6;
inline constexpr std::int32_t SW_RESTORE = 9;

// SetWindowPos
inline constexpr std::int32_t HWND_TOP = 0;
inline constexpr std::int32_t HWND_BOTTOM = 1;
inline constexpr std::int32_t SWP_NOSIZE = 0x1;
inline constexpr std::int32_t SWP_NOMOVE = 0x2;
inline constexpr std::int32_t SWP_NOZORDER = 0x4;
inline constexpr std::int32_t SWP_NOACTIVATE = 0x10;
inline constexpr std::int32_t SWP_SHOWWINDOW = 0x40;
inline constexpr std::int32_t SWP_HIDEWINDOW = 0x80;

// Metrics of the modelled desktop, pixels: frame 4, border 1, caption 18,
// dialog frame 3, scroll bar 16; the screen from forms::screen().
std::int32_t GetSystemMetrics(std::int32_t index);

// The window of a handle; nullptr / false when the handle names none.
Form* formOf(std::int32_t hWnd);
Control* controlOf(std::int32_t hWnd);
bool IsWindow(std::int32_t hWnd);

// Parent window: the container's window for a control, 0 for a form.
std::int32_t GetParent(std::int32_t hWnd);
// Window rectangle in screen pixels; False for an unknown handle.
std::int32_t GetWindowRect(std::int32_t hWnd, RECT& rect);
// Client rectangle: 0, 0, width, height of the client area.
std::int32_t GetClientRect(std::int32_t hWnd, RECT& rect);
// GW_CHILD: first child window (front-most); GW_HWNDNEXT / PREV: the next
// sibling behind / before; GW_HWNDFIRST / LAST. 0 when there is none.
std::int32_t GetWindow(std::int32_t hWnd, std::int32_t command);
// Copies at most maxCount - 1 characters of the class name; returns their
// number (0 for an unknown handle).
std::int32_t GetClassName(std::int32_t hWnd, std::string& className, std::int32_t maxCount = 256);
std::int32_t GetWindowLong(std::int32_t hWnd, std::int32_t index);
// Returns the previous value.
std::int32_t SetWindowLong(std::int32_t hWnd, std::int32_t index, std::int32_t value);
// Returns non-zero when the window was disabled before.
std::int32_t EnableWindow(std::int32_t hWnd, std::int32_t enable);
std::int32_t IsWindowEnabled(std::int32_t hWnd);
std::int32_t IsWindowVisible(std::int32_t hWnd);
// Moves and sizes a window, pixels relative to its parent's client area
// (the screen for a form).
std::int32_t MoveWindow(std::int32_t hWnd, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, std::int32_t repaint);
std::int32_t SetWindowPos(std::int32_t hWnd, std::int32_t insertAfter, std::int32_t x, std::int32_t y,
                          std::int32_t cx, std::int32_t cy, std::int32_t flags);
// Returns non-zero when the window was visible before.
std::int32_t ShowWindow(std::int32_t hWnd, std::int32_t command);
std::int32_t GetCursorPos(POINTAPI& point);
// The child window of a dialog with that identifier (Control::dialogId).
std::int32_t GetDlgItem(std::int32_t hDlg, std::int32_t id);

// Client-area origin of a window in screen pixels (used by views).
POINTAPI clientOrigin(std::int32_t hWnd);

}  // namespace forms::win
