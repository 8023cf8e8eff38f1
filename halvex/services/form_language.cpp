#include "halvex/services/form_language.h"

#include <cmath>
#include <string>
#include <vector>

#include "halvex/services/library_state.h"
#include "halvex/services/step_errors.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/form.h"
#include "platform/forms/screen.h"
#include "platform/forms/win.h"
#include "platform/runtime/rounding.h"

namespace halvex {

namespace {

// The extended-style bits a mirrored control gets, by the type name the
// layer reports for it.
std::int32_t mirroredStyleBits(const std::string& typeName)
{
    if (typeName == "ListView" || typeName == "TreeView") return forms::win::WS_EX_LAYOUTRTL;
    static const char* const kUnchanged[] = {
        "CoolBar",      "Image",      "ImageList", "Frame",         "Label",    "ListBox",
        "OptionButton", "PictureBox", "SSTab",     "FlatScrollBar", "TabStrip", "Timer",
        "cToolbar",     "vbalDockContainer",       "Toolbar",       "UpDown",   "vbRichEdit"};
    for (const char* name : kUnchanged)
        if (typeName == name) return 0;
    return forms::win::WS_EX_RTLREADING | forms::win::WS_EX_LEFTSCROLLBAR;
}

void setFont(forms::Form& frm, forms::Control* control, const std::int16_t* charset,
             const std::string* faceName)
{
    if (charset != nullptr) {
        ignoringErrors([&] {
            forms::StdFont font = control != nullptr ? control->Font() : frm.Font();
            font.Charset = *charset;
            if (control != nullptr) {
                control->Font(font);
            } else {
                frm.Font(font);
            }
        });
    }
    if (faceName != nullptr) {
        ignoringErrors([&] {
            forms::StdFont font = control != nullptr ? control->Font() : frm.Font();
            font.Name = *faceName;
            if (control != nullptr) {
                control->Font(font);
            } else {
                frm.Font(font);
            }
        });
    }
}

// Mirrors one control of a right-to-left form. T is twips per pixel, F the
// frame correction in twips.
void mirrorControl(forms::Form& frm, forms::Control& control, std::int32_t twipsPerPixel,
                   std::int32_t frameCorrection)
{
    namespace win = forms::win;

    std::int32_t handle = 0;
    ignoringErrors([&] { handle = control.hWnd(); });

    if (handle == 0) {
        // Drawn on its container: reflect it in the container's width; on
        // the form itself the frame correction applies as well.
        ignoringErrors([&] {
            forms::Control* container = control.Container();
            if (container == nullptr) {
                control.Left(frm.Width() - control.Left() - control.Width() - frameCorrection);
            } else {
                control.Left(container->Width() - control.Left() - control.Width());
            }
        });
    } else {
        ignoringErrors([&] {
            std::int32_t parent = win::GetParent(handle);
            if (parent == 0) return;
            win::RECT own;
            win::RECT outer;
            win::GetWindowRect(handle, own);
            win::GetWindowRect(parent, outer);
            std::int32_t mirrored = (std::abs(outer.Right - outer.Left) - (own.Left - outer.Left) -
                                     std::abs(own.Right - own.Left)) *
                                    twipsPerPixel;
            if (parent == frm.hWnd()) {
                control.Left(mirrored - frameCorrection);
            } else if (control.Left() > 0) {
                // A control at the very left of a frame or picture stays.
                control.Left(mirrored);
            }
        });
        ignoringErrors([&] {
            std::int32_t bits = mirroredStyleBits(control.TypeName());
            std::int32_t style = win::GetWindowLong(handle, win::GWL_EXSTYLE);
            win::SetWindowLong(handle, win::GWL_EXSTYLE, style | bits);
        });
    }

    ignoringErrors([&] {
        std::int16_t alignment = control.Alignment();
        if (alignment == forms::vbRightJustify) {
            control.Alignment(forms::vbLeftJustify);
        } else if (alignment == forms::vbLeftJustify) {
            control.Alignment(forms::vbRightJustify);
        }
    });
    ignoringErrors([&] { control.RightToLeft(true); });
}

}  // namespace

void SetFormLanguage(forms::Form& frm)
{
    namespace win = forms::win;

    // The language's font: a value the text object cannot give leaves that
    // part of every font unchanged.
    std::int16_t charset = 0;
    std::string faceName;
    bool haveCharset = false;
    bool haveFaceName = false;
    ignoringErrors([&] {
        charset = static_cast<std::int16_t>(textLib().FormCharset());
        haveCharset = true;
    });
    ignoringErrors([&] {
        faceName = textLib().GetText(quillon::TextNo(160039));
        haveFaceName = true;
    });
    const std::int16_t* charsetPtr = haveCharset ? &charset : nullptr;
    const std::string* faceNamePtr = haveFaceName ? &faceName : nullptr;

    std::vector<forms::Control*> controls;
    ignoringErrors([&] { controls = frm.Controls(); });
    for (forms::Control* control : controls) setFont(frm, control, charsetPtr, faceNamePtr);
    setFont(frm, nullptr, charsetPtr, faceNamePtr);

    // A language whose reading order cannot be told is treated as left to
    // right: nothing is mirrored by mistake.
    bool rightToLeft = false;
    ignoringErrors([&] { rightToLeft = textLib().IsRightToLeft(); });
    if (rightToLeft) {
        ignoringErrors([&] { frm.RightToLeft(true); });

        std::int32_t twipsPerPixel =
            static_cast<std::int32_t>(std::lround(static_cast<double>(forms::screen().TwipsPerPixelX())));
        std::int32_t frameCorrection =
            (win::GetSystemMetrics(win::SM_CXFRAME) - win::GetSystemMetrics(win::SM_CXBORDER)) *
            twipsPerPixel;
        for (forms::Control* control : controls)
            mirrorControl(frm, *control, twipsPerPixel, frameCorrection);
    }
    ignoringErrors([&] { frm.Refresh(); });
}

void CenterFormOnScreen(forms::Form& frm)
{
    if (frm.WindowState() == forms::vbMaximized) return;
    const forms::Screen& screen = forms::screen();
    // The exact half, stored as the nearest whole twip.
    frm.Left(rt::CLng((static_cast<double>(screen.Width()) - frm.Width()) / 2.0));
    frm.Top(rt::CLng((static_cast<double>(screen.Height()) - frm.Height()) / 2.0));
}

void DisableWaitTaintWindow(const std::int32_t& parentHwnd)
{
    std::int32_t found = 0;
    FindWaitTaintWindow(parentHwnd, found);
    if (found != 0 && forms::win::IsWindowEnabled(found) != 0) forms::win::EnableWindow(found, 0);
}

bool FindWaitTaintWindow(const std::int32_t& hwnd, std::int32_t& found)
{
    namespace win = forms::win;
    if (found != 0) return true;
    std::int32_t child = win::GetWindow(hwnd, win::GW_CHILD);
    while (child != 0) {
        forms::doEvents();
        // Descendants first; once found, every level ends.
        if (FindWaitTaintWindow(child, found)) return false;
        if (found != 0) return false;
        std::string className;
        win::GetClassName(child, className, 256);
        if (className == "WaitTaint") {
            found = child;
            return true;
        }
        child = win::GetWindow(child, win::GW_HWNDNEXT);
    }
    return false;
}

}  // namespace halvex
