// The chart export's rules, seen through the recording backend.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>

#include "chart_fixture.h"
#include "platform/forms/msgbox.h"
#include "platform/chart/recording_chart_backend.h"
#include "platform/runtime/errors.h"

namespace {

using charttest::ChartCall;
using Cell = chart::RecordingChartBackend::Cell;

class DrawChartTest : public charttest::ChartTest {
protected:
    void SetUp() override
    {
        ChartTest::SetUp();
        halvex::setChartBackendFactory([this] { return recorder; });
    }

    void draw(const ChartCall& call) { fresh(), call.run(); }
    void fresh() { recorder = std::make_shared<chart::RecordingChartBackend>(); }

    // Runs the call, expecting error `number` and nothing written or opened.
    void expectRefused(const ChartCall& call, int number)
    {
        fresh();
        try {
            call.run();
            ADD_FAILURE() << "no error";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.number(), number) << e.description();
        }
        EXPECT_TRUE(recorder->path.empty() && recorder->cells.empty() && !recorder->saved);
        EXPECT_TRUE(desktop().openedUrls.empty());
    }

    const chart::ScatterChart& theChart() const
    {
        EXPECT_EQ(recorder->chartSheets.size(), 1u);
        return recorder->chartSheets.at(0).chart;
    }

    std::shared_ptr<chart::RecordingChartBackend> recorder = std::make_shared<chart::RecordingChartBackend>();
};

TEST_F(DrawChartTest, SheetNamesAreShortenedToLeaveRoomForTheChartSheet)
{
    struct Case {
        std::string title, sheet, file;
    };
    const std::string a28(28, 'a');
    std::string umlauts25;
    for (int i = 0; i < 25; ++i) umlauts25 += "\xC3\xA4";
    const std::string umlauts29 = umlauts25 + "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4";  // 29 characters, 58 bytes
    const Case cases[] = {
        {std::string(29, 'b'), std::string(25, 'b') + "...", std::string(25, 'b') + "....xlsx"},
        {a28, a28, a28 + ".xlsx"},
        {umlauts29, umlauts25 + "...", umlauts25 + "....xlsx"},
        {"", " ", "Chart.xlsx"},
        {"  Plate 1 ", "  Plate 1 ", "Plate 1.xlsx"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        ChartCall call;
        call.StrTableTitle = c.title;
        draw(call);
        ASSERT_EQ(recorder->worksheets.size(), 1u);
        EXPECT_EQ(recorder->worksheets[0], c.sheet);
        EXPECT_EQ(recorder->chartSheets.at(0).name, c.sheet + "(1)");
        EXPECT_EQ(recorder->path, folder() + "/" + c.file);
    }
}

TEST_F(DrawChartTest, NamesTheFormatRefusesAndBadTablesAreRefusedBeforeAnythingIsWritten)
{
    for (const char* name : {"a/b", "a\\b", "x[1]", "a:b", "a*", "why?", "'quoted"}) {
        SCOPED_TRACE(name);
        ChartCall call;
        call.StrTableTitle = name;
        expectRefused(call, 5);
    }
    const std::pair<void (*)(ChartCall&), int> cases[] = {
        {[](ChartCall& c) { c.CellTxt.at(2, 3) = "abc"; }, 13},
        {[](ChartCall& c) { c.CellTxt.at(2, 3) = std::nan(""); }, 6},
        {[](ChartCall& c) { c.ColTitle.redim(1, 1, 1, 2); }, 9},  // one column short
        {[](ChartCall& c) { c.LineType.erase(); }, 9},
        {[](ChartCall& c) { c.NoRow = 32767 - 2, c.ColTitle.redim(1, c.NoRow, 1, c.NoCol); }, 6},  // + 3 data rows
        {[](ChartCall& c) { c.Ncons = -1; }, 5},
        {[](ChartCall& c) { c.MaxX = std::nanf(""); }, 5},
        {[](ChartCall& c) { c.MinX = 11; }, 5},  // above MaxX
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        ChartCall call;
        cases[i].first(call);
        expectRefused(call, cases[i].second);
    }
}

// Random tables through both flags: every cell is what the rules say, and
// the mark column holds "***" exactly in the rows that lost a failed value.
TEST_F(DrawChartTest, TableCellsFollowTheFlagsOnRandomTables)
{
    std::mt19937 random(23);
    const rt::Variant kinds[] = {rt::Variant(), rt::Variant(0.0), rt::Variant(std::int16_t(0)), rt::Variant(99999.0),
                                 rt::Variant(-99999.0f), rt::Variant("99999"), rt::Variant("0"), rt::Variant(2.5),
                                 rt::Variant("-1.25"), rt::Variant(true)};
    for (int round = 0; round < 40; ++round) {
        ChartCall call;
        call.NoCol = static_cast<std::int16_t>(2 + random() % 4);
        call.NoRow = static_cast<std::int16_t>(random() % 3);
        call.Ncons = static_cast<std::int16_t>(1 + random() % 6);
        call.NSeries = static_cast<std::int16_t>(call.NoCol - 1);
        call.resize();
        for (int k = 1; k <= call.Ncons; ++k)
            for (int j = 1; j <= call.NoCol; ++j) call.CellTxt.at(k, j) = kinds[random() % std::size(kinds)];
        call.FailureControl = random() % 2;
        call.JumpHEqualZero = random() % 2;
        SCOPED_TRACE("round " + std::to_string(round));
        draw(call);

        for (int k = 1; k <= call.Ncons; ++k) {
            const int row = call.NoRow + k;
            bool marked = false;
            for (int j = 1; j <= call.NoCol; ++j) {
                const rt::Variant& v = call.CellTxt.at(k, j);
                const Cell* cell = recorder->cell(row, j);
                const double value = v.toDouble();
                bool written = !v.isEmpty();
                if (j >= 2 && call.JumpHEqualZero && value == 0) {
                    written = false;
                } else if (j >= 2 && call.FailureControl && std::fabs(value) == 99999) {
                    written = false;
                    marked = true;
                }
                EXPECT_TRUE(written ? cell != nullptr && *cell == Cell(value) : cell == nullptr) << row << "," << j;
            }
            const Cell* mark = recorder->cell(row, call.NoCol + 1);
            EXPECT_TRUE(marked ? mark != nullptr && *mark == Cell(std::string("***")) : mark == nullptr) << row;
        }
        for (int i = 1; i <= call.NoRow; ++i)
            for (int j = 1; j <= call.NoCol; ++j) {
                const Cell* heading = recorder->cell(i, j);
                EXPECT_TRUE(heading != nullptr && *heading == Cell(call.ColTitle.at(i, j).toString())) << i << "," << j;
            }
        for (const auto& [at, cell] : recorder->cells)
            EXPECT_TRUE(at.first >= 1 && at.first <= call.NoRow + call.Ncons && at.second >= 1 && at.second <= call.NoCol + 1);
    }
}

TEST_F(DrawChartTest, ChartCarriesTitlesAxesSeriesAndLegend)
{
    ChartCall call;
    call.NSeries = 3, call.NoCol = 4, call.NoRow = 2;
    call.resize();
    call.LineType.at(1) = "Points";
    call.LineType.at(2) = "LinesNoMarkers";
    call.LineType.at(3) = "points";  // compared exactly: lines and markers
    call.LegendTite.at(2) = "";
    call.TitelU1 = "";
    call.X_Title = "";
    call.Y_AxesDownwardFlag = true;
    call.CellTxt.at(1, 1) = "pile 1";
    draw(call);
    EXPECT_EQ(*recorder->cell(3, 1), Cell(std::string("pile 1"))) << "text in the X column is kept";

    const chart::ScatterChart& c = theChart();
    EXPECT_EQ(c.title, "***");
    ASSERT_EQ(c.series.size(), 3u);
    const chart::SeriesLook looks[] = {chart::SeriesLook::MarkersOnly, chart::SeriesLook::LinesOnly,
                                       chart::SeriesLook::LinesAndMarkers};
    for (int s = 0; s < 3; ++s) {
        const chart::Series& series = c.series[s];
        EXPECT_EQ(series.look, looks[s]);
        EXPECT_EQ(series.yValues.firstColumn, s + 2);
        EXPECT_EQ(series.yValues.lastRow, 5);
    }
    EXPECT_EQ(c.series[1].name, "");
    EXPECT_EQ(c.x.title, "") << "no X-axis title, and the export completes";
    EXPECT_TRUE(c.y.reversed);
    EXPECT_EQ(c.legendPosition, chart::LegendPosition::Right);
}

TEST_F(DrawChartTest, TextBoxesBecomeHeaderFooterAndProperties)
{
    ChartCall call;
    call.TitelUe1 = "Top & line", call.TitelUe2 = "", call.Firma1 = "", call.Firma2 = "Street 1";
    call.ProjectData = "", call.TitelU2 = "2026 bottom";
    draw(call);
    const chart::PageTexts& page = recorder->chartSheets.at(0).page;
    const std::string font12 = "&12&\"Times New Roman,Regular\"";
    const std::string font10 = "&10&\"Times New Roman,Regular\"";
    EXPECT_EQ(page.header, "&R" + font12 + "Top && line\n***");
    EXPECT_EQ(page.footer, "&L" + font10 + "***\nStreet 1\n***&R" + font12 + "2026 bottom");
    EXPECT_EQ(recorder->properties.company, "***");

    // Long texts are cut to the format's 255 characters, never inside "&&",
    // and every section keeps a share.
    call.ProjectData = std::string(300, '&');
    call.TitelU2 = std::string(300, 'z');
    draw(call);
    const std::string& footer = recorder->chartSheets.at(0).page.footer;
    EXPECT_LE(footer.size(), 255u);
    const std::size_t right = footer.find("&R");
    ASSERT_NE(right, std::string::npos);
    const std::size_t leftText = footer.find("Street 1\n") + 9;
    EXPECT_GE(right - leftText, 60u);
    EXPECT_GE(footer.size() - right - ("&R" + font12).size(), 60u);
    EXPECT_EQ((right - leftText) % 2, 0u);  // whole "&&" pairs only
}

TEST_F(DrawChartTest, WriterFailuresAreError75AndAWorkbookNoProgramOpensIsWritten)
{
    ChartCall call;
    recorder->saveError = "disk full";
    try {
        call.run();
        ADD_FAILURE() << "no error";
    } catch (const rt::RuntimeError& e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_NE(e.description().find("disk full"), std::string::npos);
    }
    EXPECT_TRUE(desktop().openedUrls.empty());
    desktop().succeed = false;
    fresh();
    forms::ScopedMsgBox box;
    box->answer(forms::vbOK);
    EXPECT_NO_THROW(call.run());
    EXPECT_TRUE(recorder->saved);
    ASSERT_EQ(box->boxes().size(), 1u);
    EXPECT_NE(box->boxes()[0].prompt.find(recorder->path), std::string::npos) << "says where the file is";
    EXPECT_EQ(forms::iconOf(box->boxes()[0].style), forms::vbInformation);
}

}  // namespace
