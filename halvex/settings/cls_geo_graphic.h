// ClsGeoGraphic: small services around a host's drawing page: the
// library-wide current font (shared with the font dialogs), two handles the
// hosts keep in the library, the width of a text at a font height, the
// release of pens and brushes, the scroll bars of a graphic window, and the
// page-number, zoom and title dialogs. The class has no fields: every
// instance works on the same library-wide values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "halvex/settings/host_objects.h"
#include "platform/runtime/variant.h"

namespace halvex {

class ClsGeoGraphic {
public:
    float FontHeight() const;
    void FontHeight(float value);
    std::int32_t FontEscapement() const;
    void FontEscapement(std::int32_t value);
    std::int32_t FontWeight() const;
    void FontWeight(std::int32_t value);
    std::int32_t Font_Color() const;
    void Font_Color(std::int32_t value);
    bool FontItalicOut() const;
    void FontItalicOut(bool value);
    bool FontUnderlineOut() const;
    void FontUnderlineOut(bool value);
    bool FontStrikeOut() const;
    void FontStrikeOut(bool value);
    std::string FontFaceName() const;
    void FontFaceName(const std::string& value);
    // Only kept for the host.
    std::int32_t Texthand_Object() const;
    void Texthand_Object(std::int32_t value);

    // The page-number dialog. False: Seite holds the box's text.
    bool ShowPageNo(std::string& Seite);
    // The zoom dialog on a factor (1 = 100 %). False: the whole percentage
    // entered x 0.01.
    bool ShowZoom(float& ScalePercentage);
    // The four title lines. With controlInitGraphic 0 the two lower lines
    // are not offered and come back as they went in.
    bool ShowTitel(std::string& TitelUe1, std::string& TitelUe2, std::string& TitelU1, std::string& TitelU2,
                   const rt::Variant& controlInitGraphic);

    // The width of a text at a font height (the current font's height and
    // face when none is given), in the unit of the height: height x width /
    // line height of the text in the face at 25 points. A failed
    // measurement counts 0.6 of the height a character. A height below 0
    // or not finite raises error 5 naming SngFontHeight.
    float GetTextWidth(const std::string& StrText, float SngFontHeight = 0.0f, const std::string& StrFontFaceName = "");
    // With the flag set: deletes every brush, then every pen; the brush
    // array is emptied, each pen entry set to 0, the flag cleared. Error 9
    // for an empty array.
    void DelPaintAndPenobject(bool& SetPaintAndPenobjectFlage, std::vector<std::int32_t>& Painthand_Object,
                              std::vector<std::int32_t>& Penhand_Object);
    // Places the two scroll bars along the window's top and right edges;
    // nothing for a minimised window. Errors are reported.
    void SetScrollPosition(IGraphicForm& FrmShow);
    // Both bars to 0 while controlInitGraphic holds 0; the flag gets its
    // value back, also when a bar fails (the error then passes on).
    void SetVertAndHorzScrollBar(IScrollBar& HSbgrh, IScrollBar& VSbgrh, std::int16_t& controlInitGraphic);
    // Both bars to the values, each kept within its Min..Max; errors are
    // passed over.
    void SetVertAndHorzScrollBarValus(IScrollBar& HSbgrh, IScrollBar& VSbgrh, std::int16_t& controlInitGraphic,
                                      std::int32_t& HorzValue, std::int32_t& VertValue);

    std::int32_t TargetDevice_hDC() const;
    void TargetDevice_hDC(std::int32_t value);
};

}  // namespace halvex
