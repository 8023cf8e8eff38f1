#include "platform/forms/win.h"

#include <algorithm>

#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/layer.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"

namespace forms::win {

namespace {

constexpr std::int32_t kFrame = 4;
constexpr std::int32_t kBorder = 1;
constexpr std::int32_t kCaption = 18;
constexpr std::int32_t kDialogFrame = 3;
constexpr std::int32_t kScrollBar = 16;
constexpr std::int32_t kPictureBorder = 2;

std::int32_t px(std::int32_t twips) { return pixelsFromTwips(twips); }

// The windowed controls whose parent window is `parent`, front to back.
std::vector<Control*> childrenOf(std::int32_t parent) {
    std::vector<Control*> out;
    const detail::WindowEntry* e = detail::lookupHandle(parent);
    if (e == nullptr) return out;
    for (Control* c : e->form->Controls()) {
        if (c->windowed() && e->form->containerHandle(*c) == parent) out.push_back(c);
    }
    std::stable_sort(out.begin(), out.end(), [](Control* a, Control* b) { return a->zSerial() < b->zSerial(); });
    return out;
}

RECT windowRect(const detail::WindowEntry& e) {
    RECT r;
    if (e.control == nullptr) {
        Form& f = *e.form;
        r.Left = px(f.Left());
        r.Top = px(f.Top());
        r.Right = r.Left + px(f.Width());
        r.Bottom = r.Top + px(f.Height());
        return r;
    }
    Control& c = *e.control;
    POINTAPI origin = clientOrigin(e.form->containerHandle(c));
    r.Left = origin.X + px(c.Left());
    r.Top = origin.Y + px(c.Top());
    r.Right = r.Left + px(c.Width());
    r.Bottom = r.Top + px(c.Height());
    return r;
}

template <typename Action>
std::int32_t guarded(Action action) {
    try {
        return action();
    } catch (const rt::RuntimeError&) {
        return 0;
    }
}

}  // namespace

std::int32_t GetSystemMetrics(std::int32_t index) {
    switch (index) {
        case SM_CXSCREEN: return screen().widthPixels();
        case SM_CYSCREEN: return screen().heightPixels();
        case SM_CXVSCROLL:
        case SM_CYHSCROLL: return kScrollBar;
        case SM_CYCAPTION: return kCaption;
        case SM_CXBORDER:
        case SM_CYBORDER: return kBorder;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME: return kDialogFrame;
        case SM_CXFULLSCREEN: return screen().widthPixels();
        case SM_CYFULLSCREEN: return screen().heightPixels() - kCaption;
        case SM_CXFRAME:
        case SM_CYFRAME: return kFrame;
        default: return 0;
    }
}

Form* formOf(std::int32_t hWnd) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    return e != nullptr && e->control == nullptr ? e->form : nullptr;
}

Control* controlOf(std::int32_t hWnd) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    return e != nullptr ? e->control : nullptr;
}

bool IsWindow(std::int32_t hWnd) { return detail::lookupHandle(hWnd) != nullptr; }

std::int32_t GetParent(std::int32_t hWnd) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr || e->control == nullptr) return 0;
    return e->form->containerHandle(*e->control);
}

POINTAPI clientOrigin(std::int32_t hWnd) {
    POINTAPI p;
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return p;
    RECT r = windowRect(*e);
    p.X = r.Left;
    p.Y = r.Top;
    if (e->control == nullptr) {
        if (e->form->BorderStyle() != 0) {
            p.X += kFrame;
            p.Y += kFrame + kCaption;
        }
    } else if (e->control->kind() == Kind::PictureBox && e->control->BorderStyle() == 1) {
        p.X += kPictureBorder;
        p.Y += kPictureBorder;
    }
    return p;
}

std::int32_t GetWindowRect(std::int32_t hWnd, RECT& rect) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    rect = windowRect(*e);
    return 1;
}

std::int32_t GetClientRect(std::int32_t hWnd, RECT& rect) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    rect = RECT{};
    if (e->control == nullptr) {
        rect.Right = px(e->form->ScaleWidth());
        rect.Bottom = px(e->form->ScaleHeight());
    } else {
        RECT w = windowRect(*e);
        POINTAPI origin = clientOrigin(hWnd);
        std::int32_t inset = origin.X - w.Left;
        rect.Right = std::max(0, w.Right - w.Left - 2 * inset);
        rect.Bottom = std::max(0, w.Bottom - w.Top - 2 * inset);
    }
    return 1;
}

std::int32_t GetWindow(std::int32_t hWnd, std::int32_t command) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    if (command == GW_CHILD) {
        std::vector<Control*> children = childrenOf(hWnd);
        return children.empty() ? 0 : children.front()->hWnd();
    }
    std::vector<std::int32_t> siblings;
    if (e->control == nullptr) {
        for (Form* f : loadedForms()) siblings.push_back(f->hWnd());
    } else {
        for (Control* c : childrenOf(e->form->containerHandle(*e->control))) siblings.push_back(c->hWnd());
    }
    auto it = std::find(siblings.begin(), siblings.end(), hWnd);
    switch (command) {
        case GW_HWNDFIRST: return siblings.empty() ? 0 : siblings.front();
        case GW_HWNDLAST: return siblings.empty() ? 0 : siblings.back();
        case GW_HWNDNEXT: return it == siblings.end() || std::next(it) == siblings.end() ? 0 : *std::next(it);
        case GW_HWNDPREV: return it == siblings.end() || it == siblings.begin() ? 0 : *std::prev(it);
        default: return 0;
    }
}

std::int32_t GetClassName(std::int32_t hWnd, std::string& className, std::int32_t maxCount) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr || maxCount <= 0) return 0;
    std::string name = e->control == nullptr ? std::string("FormsForm") : e->control->windowClass();
    if (static_cast<std::int32_t>(name.size()) > maxCount - 1) name.resize(static_cast<std::size_t>(maxCount - 1));
    className = name;
    return static_cast<std::int32_t>(name.size());
}

std::int32_t GetWindowLong(std::int32_t hWnd, std::int32_t index) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    switch (index) {
        case GWL_EXSTYLE: return e->control ? e->control->extendedStyle() : e->form->extendedStyle();
        case GWL_STYLE: return e->control ? e->control->windowStyle() : e->form->windowStyle();
        case GWL_ID: return e->control ? e->control->dialogId() : 0;
        default: return 0;
    }
}

std::int32_t SetWindowLong(std::int32_t hWnd, std::int32_t index, std::int32_t value) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    std::int32_t previous = GetWindowLong(hWnd, index);
    switch (index) {
        case GWL_EXSTYLE:
            if (e->control) {
                e->control->extendedStyle(value);
            } else {
                e->form->extendedStyle(value);
            }
            break;
        case GWL_STYLE:
            if (e->control) {
                e->control->windowStyle(value);
            } else {
                e->form->windowStyle(value);
            }
            break;
        case GWL_ID:
            if (e->control) e->control->dialogId(value);
            break;
        default:
            return 0;
    }
    return previous;
}

std::int32_t EnableWindow(std::int32_t hWnd, std::int32_t enable) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    bool wasDisabled = !(e->control ? e->control->Enabled() : e->form->Enabled());
    if (e->control) {
        e->control->Enabled(enable != 0);
    } else {
        e->form->Enabled(enable != 0);
    }
    return wasDisabled ? 1 : 0;
}

std::int32_t IsWindowEnabled(std::int32_t hWnd) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    return (e->control ? e->control->Enabled() : e->form->Enabled()) ? 1 : 0;
}

std::int32_t IsWindowVisible(std::int32_t hWnd) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr || !e->form->Visible()) return 0;
    for (const Control* c = e->control; c != nullptr; c = c->Container()) {
        if (!c->Visible()) return 0;
    }
    return 1;
}

std::int32_t MoveWindow(std::int32_t hWnd, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                        std::int32_t /*repaint*/) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr || width < 0 || height < 0) return 0;
    return guarded([&] {
        std::int32_t t = kTwipsPerPixel;
        if (e->control) {
            e->control->Move(x * t, y * t, width * t, height * t);
        } else {
            e->form->Move(x * t, y * t, width * t, height * t);
        }
        return 1;
    });
}

std::int32_t SetWindowPos(std::int32_t hWnd, std::int32_t insertAfter, std::int32_t x, std::int32_t y,
                          std::int32_t cx, std::int32_t cy, std::int32_t flags) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    return guarded([&] {
        std::int32_t t = kTwipsPerPixel;
        if (e->control) {
            Control& c = *e->control;
            std::int32_t left = (flags & SWP_NOMOVE) ? c.Left() : x * t;
            std::int32_t top = (flags & SWP_NOMOVE) ? c.Top() : y * t;
            std::int32_t width = (flags & SWP_NOSIZE) ? c.Width() : cx * t;
            std::int32_t height = (flags & SWP_NOSIZE) ? c.Height() : cy * t;
            c.Move(left, top, width, height);
            if (!(flags & SWP_NOZORDER) && (insertAfter == HWND_TOP || insertAfter == HWND_BOTTOM)) {
                c.ZOrder(insertAfter == HWND_TOP ? 0 : 1);
            }
            if (flags & SWP_SHOWWINDOW) c.Visible(true);
            if (flags & SWP_HIDEWINDOW) c.Visible(false);
        } else {
            Form& f = *e->form;
            if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) {
                std::int32_t left = (flags & SWP_NOMOVE) ? f.Left() : x * t;
                std::int32_t top = (flags & SWP_NOMOVE) ? f.Top() : y * t;
                std::int32_t width = (flags & SWP_NOSIZE) ? f.Width() : cx * t;
                std::int32_t height = (flags & SWP_NOSIZE) ? f.Height() : cy * t;
                f.Move(left, top, width, height);
            }
            if (flags & SWP_SHOWWINDOW) f.Show(vbModeless);
            if (flags & SWP_HIDEWINDOW) f.Hide();
        }
        return 1;
    });
}

std::int32_t ShowWindow(std::int32_t hWnd, std::int32_t command) {
    const detail::WindowEntry* e = detail::lookupHandle(hWnd);
    if (e == nullptr) return 0;
    std::int32_t wasVisible = IsWindowVisible(hWnd);
    guarded([&] {
        if (e->control) {
            e->control->Visible(command != SW_HIDE);
            return 1;
        }
        Form& f = *e->form;
        switch (command) {
            case SW_HIDE: f.Hide(); break;
            case SW_SHOWMINIMIZED:
            case SW_MINIMIZE: f.WindowState(vbMinimized); break;
            case SW_SHOWMAXIMIZED: f.WindowState(vbMaximized); break;
            case SW_SHOWNORMAL:
            case SW_RESTORE: f.WindowState(vbNormal); break;
            default: break;
        }
        if (command != SW_HIDE && command != SW_MINIMIZE) f.Show(vbModeless);
        return 1;
    });
    return wasVisible;
}

std::int32_t GetCursorPos(POINTAPI& point) {
    display().cursorPos(point.X, point.Y);
    return 1;
}

std::int32_t GetDlgItem(std::int32_t hDlg, std::int32_t id) {
    for (Control* c : childrenOf(hDlg)) {
        if (c->dialogId() == id && id != 0) return c->hWnd();
    }
    return 0;
}

}  // namespace forms::win
