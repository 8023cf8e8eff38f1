// What a host's user reads when a member of the library is called with
// values it cannot take: every message, shown by the member or raised to the
// host, names the member, never a bare run-time description.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "halvex/dialogs/c_common_dialog.h"
#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/settings/cls_draw_chart.h"
#include "halvex/settings/cls_geo_graphic.h"
#include "halvex/settings/cls_inerface_setting.h"
#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/errors.h"
#include "tests/halvex/dialogs/dialog_fixture.h"

namespace {

using namespace halvex;

class NoWindow : public GraphicObject {
public:
    std::int32_t hwnd() const override { return 0; }
    std::string Caption() const override { return "Plan"; }
};

class MemberMessagesTest : public dialogtest::DialogTest {};

TEST_F(MemberMessagesTest, EveryMessageOfAMemberCalledOutOfRangeNamesTheMember)
{
    ClsShowDialog facade;
    GCommonDialog layer;
    cCommonDialog dialog;
    ClsValmor valmor;
    rt::VArray none;
    rt::VArray garbage;  // elements 1 to 4, each "garbage"
    garbage.redim(1, 4);
    for (std::int32_t i = 1; i <= 4; ++i) garbage.at(i) = rt::Variant("garbage");
    rt::VArray notFinite;  // NaN and infinite margins
    notFinite.redim(1, 4);
    for (std::int32_t i = 1; i <= 4; ++i) notFinite.at(i) = rt::Variant(i % 2 ? std::nan("") : HUGE_VAL);
    rt::VArray wide;  // margins of 20 cm on every side: no paper left
    wide.redim(1, 4);
    for (std::int32_t i = 1; i <= 4; ++i) wide.at(i) = rt::Variant(20.0f);
    std::int32_t hdc = 0;
    std::string file, dir, name;
    float size = 0;
    bool held = true;
    std::vector<std::int32_t> handles;
    PrintDlgArgs print;
    print.FromPage = 70000;
    PageSetupDlgArgs page;
    page.LeftMargin = 1e30f;
    SaveFileNameArgs save;
    save.Filename = std::string(kFileBuffer + 1, 'a');
    const std::int16_t rows = 2;
    forms::Form form("frmHost", [](forms::Form& f) {
        f.addControl(forms::Kind::Label, "lblPlain");
        f.addControl(forms::Kind::TextBox, "txtEntry");
    });
    forms::Control& label = form.control("lblPlain");  // no list, no panels
    form.control("txtEntry").Text("5");
    const std::vector<std::pair<std::string, std::function<void()>>> calls = {
        {"ClsShowDialog.CopyWMFile", [&] { facade.CopyWMFile(file, hdc, 8000, 0, 0, 0, 0, NoWindow()); }},
        {"ClsShowDialog.ShowPageSetupDialog", [&] { facade.ShowPageSetupDialog(0, hdc, "T", garbage, garbage); }},
        {"ClsShowDialog.GetPaperSize", [&] { facade.GetPaperSize(0, none, size, size); }},
        {"ClsShowDialog.ShowSaveFile", [&] { facade.ShowSaveFile(0, file, folder(), dir, name, none); }},
        {"ClsShowDialog.SeparateFileAndDir", [&] { facade.SeparateFileAndDir(std::string(40000, 'a'), dir, name); }},
        {"GCommonDialog.GetPageMargine", [&] { layer.GetPageMargine(0, "T", garbage, none); }},
        {"ClsShowDialog.GetPaperSize", [&] { facade.GetPaperSize(0, notFinite, size, size); }},
        {"ClsShowDialog.GetPaperSize", [&] { facade.GetPaperSize(0, wide, size, size); }},
        {"GCommonDialog.GetPageMargine", [&] { facade.CreatePrinterDevice(hdc, "T", garbage, notFinite); }},
        {"ClsInerfaceSetting.GetIndexFromKey", [&] { ClsInerfaceSetting().GetIndexFromKey("Zoom(1e40)"); }},
        {"GCommonDialog.VBPrintDlg", [&] { layer.VBPrintDlg(print); }},
        {"GCommonDialog.VBPageSetupDlg", [&] { layer.VBPageSetupDlg(page); }},
        {"GCommonDialog.VBGetSaveFileName", [&] { layer.VBGetSaveFileName(save); }},
        {"cCommonDialog.ShowPrinter", [&] { dialog.Copies(70000), dialog.ShowPrinter(); }},
        {"ClsGeoGraphic.DelPaintAndPenobject", [&] { ClsGeoGraphic().DelPaintAndPenobject(held, handles, handles); }},
        {"ClsValmor.ShowGridInput",
         [&] { valmor.NoColGrid(3), valmor.ShowGridInput(none, none, none, none, none, ""); }},
        {"ClsValmor.ShowGroupList", [&] { valmor.ShowGroupList("", "", none, none); }},
        {"ClsValmor.ResolveString", [&] { valmor.ResolveString("|1", none); }},
        {"ClsValmor.CIntPrivate", [&] { valmor.CIntPrivate(rt::Variant(1e300)); }},
        {"ClsValmor.InputType", [&] { valmor.InputType(form.control("txtEntry"), 2, std::nan(""), 0); }},
        {"ClsValmor.AddCmbData", [&] { valmor.AddCmbData(label, 3, 1); }},
        {"ClsValmor.StartWait", [&] { valmor.StartWait(nullptr, 2, &label); }},
        {"ClsValmor.StatusWait", [&] { valmor.StatusWait(label, 2); }},
        {"ClsValmor.StatusClear", [&] { valmor.StatusClear(label); }},
        {"ClsDrawChart.DrawChart",
         [&] { ClsDrawChart().DrawChart(1, 2, rows, 1, "X", "Y", none, "T", none, none, false, none, 0, 1, 0, ""); }},
    };
    for (const auto& [member, call] : calls) {
        forms::ScopedMsgBox boxes;
        for (int i = 0; i < 4; ++i) boxes->answer(forms::vbOK);
        std::vector<std::string> messages;
        try {
            call();
        } catch (const rt::RuntimeError& error) {
            messages.push_back(error.description());
        }
        for (const auto& box : boxes->boxes()) messages.push_back(box.prompt);
        EXPECT_FALSE(messages.empty()) << member << " took the values";
        for (const std::string& message : messages) EXPECT_NE(message.find(member), std::string::npos) << message;
    }
}

}  // namespace
