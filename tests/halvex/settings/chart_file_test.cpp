// The chart export through the spreadsheet writer: the file's parts read
// back with unzip.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "chart_fixture.h"

namespace {

using charttest::ChartCall;

class ChartFileTest : public charttest::ChartTest {
protected:
    void SetUp() override
    {
        ChartTest::SetUp();
        previousFactory_ = halvex::setChartBackendFactory(nullptr);
    }
    void TearDown() override
    {
        halvex::setChartBackendFactory(previousFactory_);
        ChartTest::TearDown();
    }

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

private:
    halvex::ChartBackendFactory previousFactory_;
};

TEST_F(ChartFileTest, WorkbookHoldsTheTableTheChartAndTheTexts)
{
    ChartCall call;
    call.StrTableTitle = "Plate A";
    call.LineType.at(1) = "Points";
    call.LineType.at(2) = "LinesNoMarkers";
    call.CellTxt.at(2, 2) = 99999.0;
    call.CellTxt.at(3, 3) = 0.0;
    call.FailureControl = true;
    call.JumpHEqualZero = true;
    call.Y_AxesDownwardFlag = true;
    call.MinX = 1;
    call.MaxX = 3;
    call.TitelUe1 = "Heading & more";
    call.TitelU1 = "Settlement curves";
    call.run();

    ASSERT_EQ(desktop().openedUrls.size(), 1u);
    const std::string file = desktop().openedUrls[0];
    EXPECT_EQ(file, folder() + "/Plate A.xlsx");
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(file + ".part"));

    const std::string workbook = part(file, "xl/workbook.xml");
    EXPECT_NE(workbook.find("name=\"Plate A\""), std::string::npos) << workbook;
    EXPECT_NE(workbook.find("name=\"Plate A(1)\""), std::string::npos) << workbook;

    const std::string sheet = part(file, "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<c r=\"B2\"><v>12</v></c>"), std::string::npos) << sheet;
    EXPECT_EQ(sheet.find("r=\"B3\""), std::string::npos);  // the failed value
    EXPECT_EQ(sheet.find("r=\"C4\""), std::string::npos);  // the zero
    EXPECT_NE(sheet.find("r=\"D3\" t=\"s\""), std::string::npos);
    EXPECT_EQ(sheet.find("r=\"D2\""), std::string::npos);
    EXPECT_NE(part(file, "xl/sharedStrings.xml").find("<t>***</t>"), std::string::npos);

    const std::string chart = part(file, "xl/charts/chart1.xml");
    EXPECT_NE(chart.find("<c:scatterChart>"), std::string::npos);
    EXPECT_EQ(count(chart, "<c:ser>"), 2);
    EXPECT_NE(chart.find("<c:symbol val=\"none\"/>"), std::string::npos);
    EXPECT_NE(chart.find("<a:ln><a:noFill/></a:ln>"), std::string::npos);
    EXPECT_NE(chart.find("<c:min val=\"1\"/>"), std::string::npos);
    EXPECT_NE(chart.find("<c:max val=\"3\"/>"), std::string::npos);
    EXPECT_NE(chart.find("<c:orientation val=\"maxMin\"/>"), std::string::npos);
    EXPECT_NE(chart.find("<c:legendPos val=\"r\"/>"), std::string::npos);
    // Titles in Times New Roman, not bold: the chart's at 12 pt, the axes' at 10.
    EXPECT_NE(chart.find("<a:defRPr sz=\"1200\" b=\"0\" baseline=\"0\"><a:latin typeface=\"Times New Roman\"/>"),
              std::string::npos);
    EXPECT_EQ(chart.find("b=\"1\""), std::string::npos);
    EXPECT_NE(chart.find("'Plate A'!$A$2:$A$4"), std::string::npos);
    EXPECT_NE(chart.find("'Plate A'!$C$2:$C$4"), std::string::npos);

    const std::string chartsheet = part(file, "xl/chartsheets/sheet1.xml");
    EXPECT_NE(chartsheet.find("Heading &amp;&amp; more"), std::string::npos) << chartsheet;
    EXPECT_NE(chartsheet.find("<oddFooter>&amp;L"), std::string::npos) << chartsheet;

    EXPECT_NE(part(file, "docProps/core.xml").find("<dc:title>Settlement curves</dc:title>"), std::string::npos);
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
    EXPECT_EQ(desktop().openedUrls[0], folder() + "/Settlements.xlsx");
    EXPECT_EQ(desktop().openedUrls[1], folder() + "/Settlements-2.xlsx");
    EXPECT_EQ(desktop().openedUrls[2], folder() + "/Settlements-3.xlsx");
    EXPECT_NE(part(desktop().openedUrls[0], "xl/charts/chart1.xml").find("<c:legendPos val=\"r\"/>"),
              std::string::npos);
    EXPECT_NE(part(desktop().openedUrls[1], "xl/charts/chart1.xml").find("<c:legendPos val=\"l\"/>"),
              std::string::npos);
    // Without data rows: the data sheet alone.
    const std::string workbook = part(desktop().openedUrls[2], "xl/workbook.xml");
    EXPECT_EQ(count(workbook, "<sheet "), 1) << workbook;
    EXPECT_TRUE(part(desktop().openedUrls[2], "xl/charts/chart1.xml").empty());
}

}  // namespace
