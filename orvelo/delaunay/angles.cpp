#include "orvelo/delaunay/angles.h"

#include <cmath>

#include "orvelo/delaunay/bas_delaunay.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/services.h"
#include "platform/forms/msgbox.h"

namespace orvelo {

namespace {

constexpr double kDegree = 0.0174532;

void showZeroSideNotice() {
    BasDelaunay& m = basDelaunay();
    const void* window = OperationWaitWindow();
    if (m.ZeroSideNoticeShown && m.ZeroSideNoticeWindow == window) return;
    m.ZeroSideNoticeShown = true;
    m.ZeroSideNoticeWindow = window;
    ++m.ZeroSideNotices;
    forms::MsgBox(LanguageTexts().GetText(rt::Variant(quillon::TextNo(100040))), forms::vbOKOnly);
}

}  // namespace

void ResetZeroSideNotice() {
    basDelaunay().ZeroSideNoticeShown = false;
    basDelaunay().ZeroSideNoticeWindow = nullptr;
}

void TriangleAngleCosines(float x1, float x2, float x3, float y1, float y2, float y3, double& cos1,
                          double& cos2, double& cos3, std::int16_t& longest) {
    if (TriangleAngleCosinesQuiet(x1, x2, x3, y1, y2, y3, cos1, cos2, cos3, longest)) showZeroSideNotice();
}

bool TriangleAngleCosinesQuiet(float x1, float x2, float x3, float y1, float y2, float y3, double& cos1,
                               double& cos2, double& cos3, std::int16_t& longest) {
    const float l23 = detail::SideLength(x2, y2, x3, y3);
    const float l31 = detail::SideLength(x3, y3, x1, y1);
    const float l12 = detail::SideLength(x1, y1, x2, y2);
    const float product = l31 * l23 * l12;
    longest = 1;
    if (l23 < l31) longest = 2;
    if (l23 < l12 && l31 < l12) longest = 3;
    if (product == 0.0f) {
        if (l23 == 0.0f) {
            cos1 = 1.0;
            cos2 = 0.0;
            cos3 = 0.0;
        } else if (l31 == 0.0f) {
            cos2 = 1.0;
            cos1 = 0.0;
            cos3 = 0.0;
        } else if (l12 == 0.0f) {
            cos3 = 1.0;
            cos1 = 0.0;
            cos2 = 0.0;
        }
        return true;
    }
    detail::AngleCosines(x1, x2, x3, y1, y2, y3, l23, l31, l12, cos1, cos2, cos3);
    return false;
}

std::int16_t SmallAngleLongestSide(std::int16_t element, double& smallestCos) {
    const BasDelaunay& m = basDelaunay();
    const double cosT = std::cos(static_cast<double>(declar().MinAngle) * kDegree);
    const NetElement& t = m.MeshElementList.at(static_cast<std::size_t>(element));
    if (t.CornerCount != 3) return 0;
    double cos1 = 0.0, cos2 = 0.0, cos3 = 0.0;
    std::int16_t longest = 0;
    TriangleAngleCosines(m.MeshNodeX.at(static_cast<std::size_t>(t.Node[1])), m.MeshNodeX.at(static_cast<std::size_t>(t.Node[2])),
                         m.MeshNodeX.at(static_cast<std::size_t>(t.Node[3])), m.MeshNodeY.at(static_cast<std::size_t>(t.Node[1])),
                         m.MeshNodeY.at(static_cast<std::size_t>(t.Node[2])), m.MeshNodeY.at(static_cast<std::size_t>(t.Node[3])),
                         cos1, cos2, cos3, longest);
    if (!(cos1 > cosT || cos2 > cosT || cos3 > cosT)) return 0;
    double kept = cos1;
    if (kept < cos2) kept = cos2;
    if (kept < cos3) kept = cos3;
    smallestCos = kept;
    return longest;
}

}  // namespace orvelo
