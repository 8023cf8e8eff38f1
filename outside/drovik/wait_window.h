// The wait window of a long operation: a window with a title, a status line,
// a progress bar and a Stop button, in which the operation runs.
//
// The owner sets onRunWaitMessage and calls Show. Show puts the window up
// and raises RunWaitMessage once, on the caller's thread; the operation runs
// inside that event, reports each step with UpdateProgress (which lets the
// window repaint and answers whether Stop was pressed) and calls Close when
// it is done. Show returns when the event has returned; a window that the
// event left open is closed then, so Show always returns.
//
// With a view installed (the program), the window is a form of the forms
// layer shown over the other forms, which stay disabled while it is up, so
// the user can only watch and press Stop. Headless (the default display,
// tests), and while a modal form is up, no window is shown: Show raises the
// event at once, and a test presses Stop with requestStop() or
// stopAfterUpdates().
//
// Close twice, Close on a window never shown, and dropping the last
// reference to the window while its event runs are all harmless.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace forms {
class Form;
}

namespace drovik {

class ClsWaitWindow {
public:
    ClsWaitWindow();
    virtual ~ClsWaitWindow();
    ClsWaitWindow(const ClsWaitWindow&) = delete;
    ClsWaitWindow& operator=(const ClsWaitWindow&) = delete;

    // The event RunWaitMessage: its handler, set by the owner.
    std::function<void()> onRunWaitMessage;

    // Puts the window up, raises RunWaitMessage once and returns after it.
    // Error 400 when the window is already shown.
    virtual void Show();
    // Takes the window down; harmless when it is not up.
    virtual void Close();
    // The status line.
    virtual void StatusText(const std::string& text);
    // The number of steps of the loop that follows; the bar starts empty.
    virtual void ProgressMax(std::int32_t steps);
    // advance: one step of the current loop is done (false: none). Lets the
    // window repaint (when the share done it shows changes, and at least
    // every 20 ms, so a long loop is not slowed by its progress);
    // cancelled becomes true once Stop has been pressed, and stays true for
    // the rest of the window's life.
    virtual void UpdateProgress(bool advance, bool& cancelled);
    // The heading of the window.
    virtual void Title(const std::string& text);

    // What the Stop button does.
    void requestStop();

    // What a test checks.
    const std::string& statusText() const;
    const std::string& title() const;
    std::int32_t progressMax() const;
    // Steps advanced since the last ProgressMax.
    std::int32_t progressValue() const;
    // UpdateProgress calls over the window's life.
    std::int32_t updateCount() const;
    // Between Show and Close.
    bool isShown() const;
    bool stopRequested() const;
    // The window's form while it is up with a view installed, else nullptr.
    forms::Form* windowForm() const;

    // Test hook: the calls-th UpdateProgress from now on, on any wait window,
    // finds Stop pressed (as does every later call on that window); 0 or
    // less disarms it.
    static void stopAfterUpdates(std::int32_t calls);
    // Test hook: the calls still to come before that stop (0 when disarmed
    // or when it has struck).
    static std::int32_t updatesBeforeStop();

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace drovik
