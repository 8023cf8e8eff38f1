// What a host's user reads when a member of the library is called with
// values it cannot take: every message, shown by the member or raised to the
// host, names the member, never a bare run-time description.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "halvex/dialogs/c_common_dialog.h"
#include "halvex/dialogs/cls_show_dialog.h"
#include "halvex/dialogs/g_common_dialog.h"
#include "halvex/services/cls_valmor.h"
#include "halvex/settings/cls_draw_chart.h"
#include "halvex/settings/cls_geo_graphic.h"
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

// Elements 1 to 4, each "garbage".
rt::VArray garbageMargins()
{
    rt::VArray margins;
    margins.redim(1, 4);
    for (std::int32_t i = 1; i <= 4; ++i) margins.at(i) = rt::Variant("garbage");
    return margins;
}

struct MemberCall {
    std::string member;
    std::function<void()> call;
};

class MemberMessagesTest : public dialogtest::DialogTest {};

TEST_F(MemberMessagesTest, EveryMessageOfAMemberCalledOutOfRangeNamesTheMember)
{
    ClsShowDialog facade;
    rt::VArray none;
    rt::VArray garbage = garbageMargins();
    std::int32_t hdc = 0;
    const std::vector<MemberCall> calls = {
        {"ClsShowDialog.CopyWMFile",
         [&] {
             std::string file;
             facade.CopyWMFile(file, hdc, 8000, 0, 0, 0, 0, NoWindow());
         }},
        {"ClsShowDialog.ShowPageSetupDialog", [&] { facade.ShowPageSetupDialog(0, hdc, "T", garbage, garbage); }},
        {"ClsShowDialog.GetPaperSize",
         [&] {
             float vertical = 0;
             float horizontal = 0;
             facade.GetPaperSize(0, none, vertical, horizontal);
         }},
        {"ClsShowDialog.ShowSaveFile",
         [&] {
             std::string file, dir, name;
             facade.ShowSaveFile(0, file, folder(), dir, name, none);
         }},
        {"ClsShowDialog.SeparateFileAndDir",
         [&] {
             std::string dir, name;
             facade.SeparateFileAndDir(std::string(40000, 'a'), dir, name);
         }},
        {"GCommonDialog.GetPageMargine", [&] { GCommonDialog().GetPageMargine(0, "T", garbage, none); }},
        {"GCommonDialog.VBPrintDlg",
         [&] {
             PrintDlgArgs args;
             args.FromPage = 70000;
             GCommonDialog().VBPrintDlg(args);
         }},
        {"GCommonDialog.VBPageSetupDlg",
         [&] {
             PageSetupDlgArgs args;
             args.LeftMargin = 1e30f;
             GCommonDialog().VBPageSetupDlg(args);
         }},
        {"GCommonDialog.VBGetSaveFileName",
         [&] {
             SaveFileNameArgs args;
             args.Filename = std::string(kFileBuffer + 1, 'a');
             GCommonDialog().VBGetSaveFileName(args);
         }},
        {"cCommonDialog.ShowPrinter",
         [&] {
             cCommonDialog dialog;
             dialog.Copies(70000);
             dialog.ShowPrinter();
         }},
        {"ClsGeoGraphic.DelPaintAndPenobject",
         [&] {
             bool held = true;
             std::vector<std::int32_t> brushes, pens;
             ClsGeoGraphic().DelPaintAndPenobject(held, brushes, pens);
         }},
        {"ClsValmor.ShowGridInput",
         [&] {
             ClsValmor valmor;
             valmor.NoColGrid(3);
             valmor.ShowGridInput(none, none, none, none, none, "");
         }},
        {"ClsValmor.ShowGroupList",
         [&] {
             rt::VArray chosen;
             ClsValmor().ShowGroupList("", "", none, chosen);
         }},
        {"ClsValmor.DivideString",
         [&] {
             rt::VArray parts;
             ClsValmor().DivideString(0, rt::Variant("a b"), parts);
         }},
        {"ClsDrawChart.DrawChart",
         [&] {
             const std::int16_t rows = 2;
             ClsDrawChart().DrawChart(1, 2, rows, 1, "X", "Y", none, "T", none, none, false, none, 0, 1, 0, "");
         }},
    };
    for (const MemberCall& row : calls) {
        forms::ScopedMsgBox boxes;
        for (int i = 0; i < 4; ++i) boxes->answer(forms::vbOK);
        std::vector<std::string> messages;
        try {
            row.call();
        } catch (const rt::RuntimeError& error) {
            messages.push_back(error.description());
        }
        for (const auto& box : boxes->boxes()) messages.push_back(box.prompt);
        EXPECT_FALSE(messages.empty()) << row.member << " took the values";
        for (const std::string& message : messages) {
            EXPECT_NE(message.find(row.member), std::string::npos) << row.member << ": " << message;
        }
    }
}

}  // namespace
