// The host's objects that the window-layout and page classes work on, as
// small interfaces: a host implements them over its own toolbar, forms,
// dock containers and scroll bars. A member that fails throws an
// rt::RuntimeError (438 when the host object lacks the member).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace halvex {

// A toolbar; buttons are numbered 0 to ButtonCount() - 1.
class IToolbar {
public:
    virtual ~IToolbar() = default;
    virtual std::int32_t ButtonCount() = 0;
    virtual bool ButtonVisible(std::int32_t& index) = 0;
    // 0 when the button carries no embedded control.
    virtual std::int32_t ButtonControl(std::int32_t& index) = 0;
    // 1: a separator.
    virtual std::int32_t ButtonStyle(std::int32_t& index) = 0;
    virtual std::int32_t ButtonWidth(std::int32_t& index) = 0;
    virtual std::int32_t ButtonHeight(std::int32_t& index) = 0;
    virtual void ButtonEnabled(std::int32_t& index, bool enabled) = 0;
};

// A main window's state and placement (in the units the form reports).
class IPlacedForm {
public:
    virtual ~IPlacedForm() = default;
    virtual std::int16_t WindowState() = 0;  // 0 normal, 1 minimised, 2 maximised
    virtual void WindowState(std::int16_t value) = 0;
    virtual std::int32_t Left() = 0;
    virtual void Left(std::int32_t value) = 0;
    virtual std::int32_t Top() = 0;
    virtual void Top(std::int32_t value) = 0;
    virtual std::int32_t Width() = 0;
    virtual void Width(std::int32_t value) = 0;
    virtual std::int32_t Height() = 0;
    virtual void Height(std::int32_t value) = 0;
};

// The four dock containers (0 to 3) of a main window; their layout texts
// are opaque.
class IDockContainers {
public:
    virtual ~IDockContainers() = default;
    virtual std::string SaveLayout(std::int16_t& container) = 0;
    virtual void Visible(std::int16_t& container, bool visible) = 0;
    virtual void RestoreLayout(std::int16_t& container, std::string& layout, std::vector<std::string>& SKey,
                               std::vector<std::int32_t>& hwnd) = 0;
};

}  // namespace halvex

namespace halvex {

// A scroll bar of a graphic window.
class IScrollBar {
public:
    virtual ~IScrollBar() = default;
    virtual std::int32_t Min() = 0;
    virtual std::int32_t Max() = 0;
    virtual std::int32_t Value() = 0;
    virtual void Value(std::int32_t value) = 0;
    virtual std::int32_t hwnd() = 0;
};

// A graphic window with its two scroll bars.
class IGraphicForm {
public:
    virtual ~IGraphicForm() = default;
    virtual std::int16_t WindowState() = 0;
    virtual std::int32_t hwnd() = 0;
    virtual IScrollBar& HSbgrh() = 0;
    virtual IScrollBar& VSbgrh() = 0;
};

}  // namespace halvex
