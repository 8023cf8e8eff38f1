#include "halvex/services/member_name.h"
#include "halvex/settings/cls_geo_graphic.h"

#include "halvex/services/frm_firma.h"

#include <cmath>

#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "halvex/services/step_errors.h"
#include "platform/forms/display.h"
#include "platform/forms/gdi.h"
#include "platform/forms/types.h"
#include "platform/forms/win.h"
#include "platform/runtime/errors.h"

namespace halvex {

namespace {

// The two handles hosts keep in the library.
struct KeptHandles {
    std::int32_t textObject = 0;
    std::int32_t targetDevice = 0;
};

KeptHandles& kept()
{
    static KeptHandles handles;
    return handles;
}

constexpr const char* kScrollMember = HALVEX_MEMBER(ClsGeoGraphic, SetScrollPosition);

CurrentFontRecord& font() { return libraryState().CurrentFont; }

std::size_t characters(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++n;
    }
    return n;
}

// The flag holds 0 while a step runs and gets its value back after it.
class FlagHeld {
public:
    explicit FlagHeld(std::int16_t& flag) : flag_(flag), kept_(flag) { flag_ = 0; }
    ~FlagHeld() { flag_ = kept_; }
    FlagHeld(const FlagHeld&) = delete;
    FlagHeld& operator=(const FlagHeld&) = delete;

private:
    std::int16_t& flag_;
    std::int16_t kept_;
};

}  // namespace

float ClsGeoGraphic::FontHeight() const { return font().FontHeight; }
void ClsGeoGraphic::FontHeight(float value) { font().FontHeight = value; }
std::int32_t ClsGeoGraphic::FontEscapement() const { return font().FontEscapement; }
void ClsGeoGraphic::FontEscapement(std::int32_t value) { font().FontEscapement = value; }
std::int32_t ClsGeoGraphic::FontWeight() const { return font().FontWeight; }
void ClsGeoGraphic::FontWeight(std::int32_t value) { font().FontWeight = value; }
std::int32_t ClsGeoGraphic::Font_Color() const { return font().Font_Color; }
void ClsGeoGraphic::Font_Color(std::int32_t value) { font().Font_Color = value; }
bool ClsGeoGraphic::FontItalicOut() const { return font().FontItalicOut; }
void ClsGeoGraphic::FontItalicOut(bool value) { font().FontItalicOut = value; }
bool ClsGeoGraphic::FontUnderlineOut() const { return font().FontUnderlineOut; }
void ClsGeoGraphic::FontUnderlineOut(bool value) { font().FontUnderlineOut = value; }
bool ClsGeoGraphic::FontStrikeOut() const { return font().FontStrikeOut; }
void ClsGeoGraphic::FontStrikeOut(bool value) { font().FontStrikeOut = value; }
std::string ClsGeoGraphic::FontFaceName() const { return font().FontFaceName; }
void ClsGeoGraphic::FontFaceName(const std::string& value) { font().FontFaceName = value; }
std::int32_t ClsGeoGraphic::Texthand_Object() const { return kept().textObject; }
void ClsGeoGraphic::Texthand_Object(std::int32_t value) { kept().textObject = value; }
std::int32_t ClsGeoGraphic::TargetDevice_hDC() const { return kept().targetDevice; }
void ClsGeoGraphic::TargetDevice_hDC(std::int32_t value) { kept().targetDevice = value; }

float ClsGeoGraphic::GetTextWidth(const std::string& StrText, float SngFontHeight, const std::string& StrFontFaceName)
{
    // The hidden company-header form is the measuring surface: it is loaded
    // (never shown), takes the face at 25 points and measures one line; it
    // stays loaded for the next call. A height below 0, NaN or infinite is
    // the caller's mistake: no width is made of it.
    if (!(SngFontHeight >= 0.0f) || !std::isfinite(SngFontHeight))
        RaiseArgumentError(5, HALVEX_MEMBER(ClsGeoGraphic, GetTextWidth), "SngFontHeight");
    bool measured = false;
    forms::TextExtent extent;
    ignoringErrors([&] {
        frmFirma& surface = firmaForm();
        surface.Load();
        forms::StdFont measuring = surface.Font();
        measuring.Name = StrFontFaceName.empty() ? font().FontFaceName : StrFontFaceName;
        measuring.Size = 25.0f;
        surface.Font(measuring);
        extent = forms::display().measureText(surface.Font(), StrText);
        measured = true;
    });
    const double height = SngFontHeight != 0.0f ? SngFontHeight : font().FontHeight;
    if (!measured) return static_cast<float>(height * 0.6 * static_cast<double>(characters(StrText)));
    if (extent.width == 0 || extent.height == 0) return 0.0f;
    return static_cast<float>(height * extent.width / extent.height);
}

void ClsGeoGraphic::DelPaintAndPenobject(bool& SetPaintAndPenobjectFlage, std::vector<std::int32_t>& Painthand_Object,
                                         std::vector<std::int32_t>& Penhand_Object)
{
    if (!SetPaintAndPenobjectFlage) return;
    if (Painthand_Object.empty()) RaiseArgumentError(9, HALVEX_MEMBER(ClsGeoGraphic, DelPaintAndPenobject),
                                                     "Painthand_Object");
    if (Penhand_Object.empty()) RaiseArgumentError(9, HALVEX_MEMBER(ClsGeoGraphic, DelPaintAndPenobject),
                                                   "Penhand_Object");
    for (std::int32_t brush : Painthand_Object) forms::gdi::DeleteObject(brush);
    // A released pen is forgotten, so that a second release frees nothing.
    for (std::int32_t& pen : Penhand_Object) {
        forms::gdi::DeleteObject(pen);
        pen = 0;
    }
    Painthand_Object.clear();
    SetPaintAndPenobjectFlage = false;
}

void ClsGeoGraphic::SetScrollPosition(IGraphicForm& FrmShow)
{
    try {
        if (FrmShow.WindowState() == forms::vbMinimized) return;
        forms::win::RECT rect;
        if (forms::win::GetWindowRect(FrmShow.hwnd(), rect) == 0) RaiseArgumentError(5, kScrollMember, "FrmShow");
        const std::int32_t w = rect.Right - rect.Left;
        const std::int32_t h = rect.Bottom - rect.Top;
        const std::int32_t caption = forms::win::GetSystemMetrics(forms::win::SM_CYCAPTION);
        forms::win::MoveWindow(FrmShow.HSbgrh().hwnd(), 0, 0, w - 24, 16, 1);
        forms::win::MoveWindow(FrmShow.VSbgrh().hwnd(), w - 26, 0, 18, h - (caption + 2) - 24, 1);
    } catch (const rt::RuntimeError&) {
        ReportMemberErrorQuietly(kScrollMember);
    }
}

void ClsGeoGraphic::SetVertAndHorzScrollBar(IScrollBar& HSbgrh, IScrollBar& VSbgrh, std::int16_t& controlInitGraphic)
{
    FlagHeld held(controlInitGraphic);
    HSbgrh.Value(0);
    VSbgrh.Value(0);
}

void ClsGeoGraphic::SetVertAndHorzScrollBarValus(IScrollBar& HSbgrh, IScrollBar& VSbgrh,
                                                 std::int16_t& controlInitGraphic, std::int32_t& HorzValue,
                                                 std::int32_t& VertValue)
{
    FlagHeld held(controlInitGraphic);
    for (auto [bar, value] : {std::pair<IScrollBar*, std::int32_t>{&HSbgrh, HorzValue}, {&VSbgrh, VertValue}}) {
        ignoringErrors([bar = bar, value = value] {
            if (value < bar->Min()) {
                bar->Value(bar->Min());
            } else if (value > bar->Max()) {
                bar->Value(bar->Max());
            } else {
                bar->Value(value);
            }
        });
    }
}

}  // namespace halvex
