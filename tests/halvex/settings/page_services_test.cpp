// Text width, pens and brushes, scroll bars and the page-number, zoom and
// title dialogs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "halvex/services/frm_firma.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/cls_geo_graphic.h"
#include "halvex/settings/cls_inerface_setting.h"
#include "halvex/settings/setting_class.h"
#include "platform/forms/control.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/gdi.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"

using namespace halvex;
using forms::Form;

namespace {

class PageServicesTest : public ::testing::Test {
protected:
    void SetUp() override { resetLibraryState(); }
};

class FailingDisplay : public forms::HeadlessDisplay {
public:
    forms::TextExtent measureText(const forms::StdFont&, std::string_view) const override
    {
        throw std::runtime_error("no measuring surface");
    }
};

TEST_F(PageServicesTest, TextWidthAndTheCurrentFont)
{
    ClsGeoGraphic geo;
    geo.FontHeight(4.0f);
    geo.FontFaceName("Serif");
    ClsGeoGraphic other;
    EXPECT_FLOAT_EQ(other.FontHeight(), 4.0f) << "one value for every instance";
    const float atFour = geo.GetTextWidth("AAAA");
    EXPECT_GT(atFour, 0.0f);
    EXPECT_FLOAT_EQ(geo.GetTextWidth("AAAA", 8.0f), 2 * atFour);
    EXPECT_FALSE(firmaForm().Visible()) << "the hidden company-header form measures";

    auto previous = forms::setDisplay(std::make_shared<FailingDisplay>());
    EXPECT_FLOAT_EQ(geo.GetTextWidth("0123456789", 5.0f), 30.0f);
    forms::setDisplay(previous);
}

TEST_F(PageServicesTest, PensAndBrushesAreReleasedOnce)
{
    namespace g = forms::gdi;
    const g::LiveCounts before = g::liveCounts();
    std::vector<std::int32_t> brushes = {g::CreateSolidBrush(1), g::CreateSolidBrush(2)};
    std::vector<std::int32_t> pens = {g::CreatePen(0, 1, 0), 0, g::CreatePen(0, 2, 0)};
    ClsGeoGraphic geo;
    bool flag = true;
    geo.DelPaintAndPenobject(flag, brushes, pens);
    EXPECT_FALSE(flag);
    EXPECT_EQ(pens, std::vector<std::int32_t>(3, 0));
    EXPECT_EQ(g::liveCounts(), before);
    // A pen made since must survive a second release of the old list.
    const std::int32_t fresh = g::CreatePen(0, 3, 0);
    brushes = {0};
    flag = true;
    geo.DelPaintAndPenobject(flag, brushes, pens);
    EXPECT_TRUE(g::isLiveObject(fresh));
    g::DeleteObject(fresh);
}

class Bar : public IScrollBar {
public:
    std::int32_t Min() override { return 0; }
    std::int32_t Max() override { return 100; }
    std::int32_t Value() override { return value; }
    void Value(std::int32_t v) override
    {
        if (failing) rt::raise(380, "Invalid property value");
        value = v;
    }
    std::int32_t hwnd() override { return 0; }
    std::int32_t value = 50;
    bool failing = false;
};

TEST_F(PageServicesTest, ScrollValuesAreClampedAndTheFlagComesBackAfterAFailure)
{
    ClsGeoGraphic geo;
    Bar horizontal, vertical;
    std::int16_t flag = 7;
    std::int32_t below = -5, above = 500;
    geo.SetVertAndHorzScrollBarValus(horizontal, vertical, flag, below, above);
    EXPECT_TRUE(horizontal.value == 0 && vertical.value == 100);
    vertical.failing = true;
    EXPECT_THROW(geo.SetVertAndHorzScrollBar(horizontal, vertical, flag), rt::RuntimeError);
    EXPECT_EQ(flag, 7);
}

TEST_F(PageServicesTest, TheZoomDialog)
{
    ClsGeoGraphic geo;
    forms::ScopedMsgBox box;
    // A preset is taken; a value of no preset goes back unrounded.
    for (auto [start, shown, option, result] : {std::tuple{1.25f, "125", "OptZ75", 0.75f}, {1.15f, "115", "", 1.15f}}) {
        float scale = start;
        forms::ScopedModalDriver driver([&](Form& form) {
            EXPECT_EQ(form.control("txtZoom").Text(), shown);
            if (*option) forms::click(form.control(option));
            forms::click(form.control("cmdOK"));
        });
        EXPECT_FALSE(geo.ShowZoom(scale));
        EXPECT_EQ(scale, result);
    }
    {
        float scale = 0.5f;
        for (int i = 0; i < 8; ++i) box->answer(forms::vbOK);
        int beeps = 0;
        forms::ScopedModalDriver driver([&](Form& form) {
            auto* headless = dynamic_cast<forms::HeadlessDisplay*>(&forms::display());
            const int before = headless != nullptr ? headless->beeps() : 0;
            for (int i = 0; i < 6; ++i) forms::spinDown(form.control("UpDnZoom"));
            if (headless != nullptr) beeps = headless->beeps() - before;
            for (const char* refused : {"0", "12.5", "abc"}) {
                forms::editText(form.control("txtZoom"), refused);
                forms::click(form.control("cmdOK"));
                EXPECT_TRUE(form.Visible()) << refused;
            }
            forms::click(form.control("CmdCancel"));
        });
        EXPECT_TRUE(geo.ShowZoom(scale));
        EXPECT_FLOAT_EQ(scale, 0.5f);
        EXPECT_EQ(beeps, 1);
    }
}

// A value no caller can mean is refused with error 5 naming the member and
// the argument, before anything is shown or handed back.
TEST_F(PageServicesTest, AValueNoCallerCanMeanIsRefusedNamingTheArgument)
{
    struct Placed : IPlacedForm {
        std::int16_t state = 0;
        std::int16_t WindowState() override { return state; }
        void WindowState(std::int16_t x) override { state = x; }
        std::int32_t Left() override { return 0; }
        std::int32_t Top() override { return 0; }
        std::int32_t Width() override { return 100; }
        std::int32_t Height() override { return 100; }
        void Left(std::int32_t) override {}
        void Top(std::int32_t) override {}
        void Width(std::int32_t) override {}
        void Height(std::int32_t) override {}
    } placed;
    std::vector<std::int32_t> colors(12, 7), styles(5);
    std::vector<float> widths(12);
    const std::tuple<const char*, const char*, std::function<void()>> refused[] = {
        {"GetTextWidth", "SngFontHeight", [] { ClsGeoGraphic().GetTextWidth("abc", -5.0f); }},
        {"GetTextWidth", "SngFontHeight", [] { ClsGeoGraphic().GetTextWidth("abc", std::nanf("")); }},
        {"ReadLineSetting", "Style_Line", [&] { SettingClass().ReadLineSetting(colors, styles, widths); }},
        {"GetFormSetting", "AppTitle", [&] { ClsInerfaceSetting().GetFormSetting(placed, "", ""); }},
        {"GetFormSetting", "StrSection", [&] { ClsInerfaceSetting().GetFormSetting(placed, "Probe", ""); }},
        {"ReadPaintSetting", "MirvaProg", [&] { libraryState().ProgramKind = -7, SettingClass().ReadPaintSetting(colors); }},
    };
    for (const auto& [member, argument, call] : refused) {
        try {
            call();
            ADD_FAILURE() << member << " took it";
        } catch (const rt::RuntimeError& error) {
            EXPECT_TRUE(error.number() == 5 && error.description().find(member) != std::string::npos &&
                        error.description().find(argument) != std::string::npos) << error.description();
        }
    }
    EXPECT_TRUE(placed.state == 0 && colors[1] == 7 && styles.size() == 5) << "nothing handed back";

    // The zoom dialog reports it and is not shown.
    libraryState().ProgramKind = 2;
    forms::ScopedMsgBox box;
    for (const float bad : {std::nanf(""), 1e30f, -std::numeric_limits<float>::infinity()}) {
        box->answer(forms::vbOK);
        float scale = bad;
        EXPECT_TRUE(ClsGeoGraphic().ShowZoom(scale));
        EXPECT_TRUE(std::isnan(bad) ? std::isnan(scale) : scale == bad);
        ASSERT_FALSE(box->boxes().empty());
        EXPECT_NE(box->boxes().back().prompt.find("ScalePercentage"), std::string::npos);
    }
    EXPECT_EQ(box->boxes().size(), 3u);
}

TEST_F(PageServicesTest, TheTitleDialogReturnsLinesNeverOfferedAsTheyCame)
{
    std::string ue1 = "Plan", ue2 = "Floor", u1 = "Below 1", u2 = "Below 2";
    forms::ScopedModalDriver driver([](Form& form) {
        forms::editText(form.control("txtTitelUe1"), "Plan B");
        forms::click(form.control("cmdOK"));
    });
    EXPECT_FALSE(ClsGeoGraphic().ShowTitel(ue1, ue2, u1, u2, rt::Variant(std::int16_t{0})));
    EXPECT_EQ(ue1, "Plan B");
    EXPECT_EQ(u1, "Below 1");
}

}  // namespace
