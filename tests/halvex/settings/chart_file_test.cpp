// The chart export through the spreadsheet writer: the file's parts read
// back with unzip.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "chart_fixture.h"
#include "platform/forms/msgbox.h"

namespace {

using charttest::ChartCall;

class ChartFileTest : public charttest::ChartTest {
protected:
    // A part of the .xlsx file as text ("" when it is not there).
    static std::string part(const std::string& file, const std::string& name)
    {
        const std::string command = "unzip -p '" + file + "' '" + name + "' 2>/dev/null";
        std::string out;
        if (FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
            ::pclose(pipe);
        }
        return out;
    }

    static int count(const std::string& text, const std::string& what)
    {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
        return n;
    }
    static bool has(const std::string& text, const std::string& what) { return text.find(what) != std::string::npos; }
};

TEST_F(ChartFileTest, WorkbookHoldsTheTableTheChartAndTheTexts)
{
    ChartCall call;
    call.StrTableTitle = "Plate A";
    call.LineType.at(1) = "Points";
    call.LineType.at(2) = "LinesNoMarkers";
    call.CellTxt.at(2, 2) = 99999.0;
    call.FailureControl = true;
    call.Y_AxesDownwardFlag = true;
    call.MinX = 1;
    call.MaxX = 3;
    call.TitelUe1 = "Heading & more";
    call.TitelU1 = "Settlement curves";
    call.run();

    ASSERT_EQ(desktop().openedUrls.size(), 1u);
    const std::string file = desktop().openedUrls[0];
    ASSERT_EQ(file, folder() + "/Plate A.xlsx");

    const std::string workbook = part(file, "xl/workbook.xml");
    EXPECT_TRUE(has(workbook, "name=\"Plate A\"") && has(workbook, "name=\"Plate A(1)\"")) << workbook;
    const std::string sheet = part(file, "xl/worksheets/sheet1.xml");
    EXPECT_TRUE(has(sheet, "<c r=\"B2\"><v>12</v></c>")) << sheet;
    EXPECT_FALSE(has(sheet, "r=\"B3\"")) << "the failed value";
    EXPECT_TRUE(has(sheet, "r=\"D3\" t=\"s\""));
    EXPECT_TRUE(has(part(file, "xl/sharedStrings.xml"), "<t>***</t>"));

    const std::string chart = part(file, "xl/charts/chart1.xml");
    EXPECT_EQ(count(chart, "<c:ser>"), 2);
    for (const char* piece : {"<c:scatterChart>", "<c:symbol val=\"none\"/>", "<a:ln><a:noFill/></a:ln>",
                              "<c:min val=\"1\"/>", "<c:max val=\"3\"/>", "<c:orientation val=\"maxMin\"/>",
                              "'Plate A'!$C$2:$C$4"})
        EXPECT_TRUE(has(chart, piece)) << piece;
    // Titles in Times New Roman, never bold.
    EXPECT_TRUE(has(chart, "<a:defRPr sz=\"1200\" b=\"0\" baseline=\"0\"><a:latin typeface=\"Times New Roman\"/>"));
    EXPECT_FALSE(has(chart, "b=\"1\""));

    EXPECT_TRUE(has(part(file, "xl/chartsheets/sheet1.xml"), "Heading &amp;&amp; more"));
    EXPECT_TRUE(has(part(file, "docProps/core.xml"), "<dc:title>Settlement curves</dc:title>"));
}

TEST_F(ChartFileTest, AnExistingFileIsKeptAndTheNextNameIsUsed)
{
    ChartCall call;
    call.run();
    useInterfaceLanguage("Arabic");
    call.run();
    call.Ncons = 0;
    call.resize();
    call.run();

    ASSERT_EQ(desktop().openedUrls.size(), 3u);
    EXPECT_EQ(desktop().openedUrls[1], folder() + "/Settlements-2.xlsx");
    EXPECT_EQ(desktop().openedUrls[2], folder() + "/Settlements-3.xlsx");
    EXPECT_TRUE(has(part(desktop().openedUrls[1], "xl/charts/chart1.xml"), "<c:legendPos val=\"l\"/>"));
    // Without data rows: the data sheet alone.
    EXPECT_EQ(count(part(desktop().openedUrls[2], "xl/workbook.xml"), "<sheet "), 1);
    EXPECT_TRUE(part(desktop().openedUrls[2], "xl/charts/chart1.xml").empty());
}

// Whenever nothing opened the workbook (no opener, or one that gave up
// later) the message names the saved file; an opener that succeeds is quiet.
TEST_F(ChartFileTest, TheSavedFileIsNamedWheneverNothingOpenedIt)
{
    for (const int kind : {0, 1, 2}) {  // no opener, a late failure, a success
        forms::ScopedMsgBox boxes;
        boxes->answer(forms::vbOK);
        desktop().succeed = kind != 0;
        ChartCall call;
        call.StrTableTitle = "Plate " + std::to_string(kind);
        call.run();
        ASSERT_EQ(desktop().openedUrls.size(), static_cast<std::size_t>(kind + 1));
        kind == 1 ? desktop().failPendingOpens() : desktop().pendingFailures.clear();
        ASSERT_EQ(boxes->boxes().size(), kind == 2 ? 0u : 1u) << kind;
        EXPECT_TRUE(kind == 2 || boxes->boxes()[0].prompt.find(desktop().openedUrls.back()) != std::string::npos) << kind;
    }
}

}  // namespace
