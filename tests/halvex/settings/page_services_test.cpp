// ClsGeoGraphic: text width, pens and brushes, scroll bars and the
// page-number, zoom and title dialogs.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "halvex/services/frm_firma.h"
#include "halvex/services/library_state.h"
#include "halvex/settings/cls_geo_graphic.h"
#include "platform/forms/control.h"
#include "platform/forms/display.h"
#include "platform/forms/form.h"
#include "platform/forms/gdi.h"
#include "platform/forms/input.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/win.h"
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
    EXPECT_FLOAT_EQ(geo.GetTextWidth(""), 0.0f);
    const float atFour = geo.GetTextWidth("AAAA");
    EXPECT_GT(atFour, 0.0f);
    EXPECT_FLOAT_EQ(geo.GetTextWidth("AAAA", 8.0f), 2 * atFour);
    EXPECT_TRUE(firmaForm().loaded()) << "the company-header form is the measuring surface";
    EXPECT_FALSE(firmaForm().Visible());
    EXPECT_FALSE(libraryState().DialogConfirmed);

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
    bool flag = false;
    geo.DelPaintAndPenobject(flag, brushes, pens);
    EXPECT_EQ(brushes.size(), 2u) << "flag False: nothing happens";
    flag = true;
    geo.DelPaintAndPenobject(flag, brushes, pens);
    EXPECT_FALSE(flag);
    EXPECT_TRUE(brushes.empty());
    EXPECT_EQ(pens, std::vector<std::int32_t>(3, 0));
    EXPECT_EQ(g::liveCounts(), before);
    // A pen made since must survive a second release of the old list.
    const std::int32_t fresh = g::CreatePen(0, 3, 0);
    brushes = {0};
    flag = true;
    geo.DelPaintAndPenobject(flag, brushes, pens);
    EXPECT_TRUE(g::isLiveObject(fresh));
    g::DeleteObject(fresh);
    flag = true;
    std::vector<std::int32_t> none;
    EXPECT_THROW(geo.DelPaintAndPenobject(flag, none, pens), rt::RuntimeError);
}

class Bar : public IScrollBar {
public:
    explicit Bar(std::int32_t handle = 0) : handle_(handle) {}
    std::int32_t Min() override { return 0; }
    std::int32_t Max() override { return 100; }
    std::int32_t Value() override { return value; }
    void Value(std::int32_t v) override
    {
        if (failing) rt::raise(380, "Invalid property value");
        value = v;
    }
    std::int32_t hwnd() override { return handle_; }
    std::int32_t value = 50;
    bool failing = false;

private:
    std::int32_t handle_;
};

class GraphicForm : public IGraphicForm {
public:
    GraphicForm(std::int32_t window, std::int32_t h, std::int32_t v) : window_(window), h_(h), v_(v) {}
    std::int16_t WindowState() override { return state; }
    std::int32_t hwnd() override { return window_; }
    IScrollBar& HSbgrh() override { return h_; }
    IScrollBar& VSbgrh() override { return v_; }
    std::int16_t state = 0;

private:
    std::int32_t window_;
    Bar h_;
    Bar v_;
};

TEST_F(PageServicesTest, ScrollBarsArePlacedAndSet)
{
    Form form("frmGraphic", [](Form& f) {
        f.BorderStyle(0);
        f.Move(0, 0, 800 * 15, 600 * 15);
        f.addControl(forms::Kind::PictureBox, "HSbgrh");
        f.addControl(forms::Kind::PictureBox, "VSbgrh");
    });
    form.Load();
    GraphicForm graphic(form.hWnd(), form.control("HSbgrh").hWnd(), form.control("VSbgrh").hWnd());
    ClsGeoGraphic geo;
    geo.SetScrollPosition(graphic);
    forms::win::RECT h, v;
    forms::win::GetWindowRect(form.control("HSbgrh").hWnd(), h);
    forms::win::GetWindowRect(form.control("VSbgrh").hWnd(), v);
    EXPECT_EQ(h.Right - h.Left, 776);
    EXPECT_EQ(h.Bottom - h.Top, 16);
    EXPECT_EQ(v.Left - h.Left, 774);
    EXPECT_EQ(v.Right - v.Left, 18);
    EXPECT_EQ(v.Bottom - v.Top, 600 - (18 + 2) - 24);

    Bar horizontal, vertical;
    std::int16_t flag = 7;
    std::int32_t below = -5, above = 500;
    geo.SetVertAndHorzScrollBarValus(horizontal, vertical, flag, below, above);
    EXPECT_TRUE(horizontal.value == 0 && vertical.value == 100) << "clamped to the bars' range";
    EXPECT_EQ(flag, 7);
    vertical.failing = true;
    EXPECT_THROW(geo.SetVertAndHorzScrollBar(horizontal, vertical, flag), rt::RuntimeError);
    EXPECT_EQ(flag, 7) << "the flag is back after a failing Value";
    form.Unload();
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
            EXPECT_EQ(form.control("txtZoom").Text(), "0");
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

TEST_F(PageServicesTest, TitleLinesAndPageNumber)
{
    ClsGeoGraphic geo;
    std::string ue1 = "Plan", ue2 = "Floor", u1 = "Below 1", u2 = "Below 2";
    {
        forms::ScopedModalDriver driver([](Form& form) {
            EXPECT_FALSE(form.control("Frame1").Enabled());
            EXPECT_EQ(form.control("txtTitelU1").Text(), "");
            forms::editText(form.control("txtTitelUe1"), "Plan B");
            forms::pressKey(form.control("txtTitelUe2"), forms::vbKeyReturn);
            EXPECT_EQ(form.ActiveControl(), &form.control("cmdOK"));
            forms::click(form.control("cmdOK"));
        });
        EXPECT_FALSE(geo.ShowTitel(ue1, ue2, u1, u2, rt::Variant(std::int16_t{0})));
    }
    EXPECT_EQ(ue1, "Plan B");
    EXPECT_EQ(u1, "Below 1") << "lines never offered come back as they went in";
    {
        forms::ScopedModalDriver driver([](Form& form) {
            forms::click(form.control("cmdNeu"));
            forms::click(form.control("CmdCancel"));
        });
        EXPECT_TRUE(geo.ShowTitel(ue1, ue2, u1, u2, rt::Variant(std::int16_t{1})));
        EXPECT_EQ(ue2, "Floor");
    }
    std::string page = "3";
    forms::ScopedModalDriver driver([](Form& form) {
        forms::editText(form.control("txtPageNo"), "");
        forms::click(form.control("cmdOK"));
    });
    EXPECT_FALSE(geo.ShowPageNo(page));
    EXPECT_EQ(page, "");
}

}  // namespace
