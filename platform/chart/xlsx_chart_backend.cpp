#include "platform/chart/xlsx_chart_backend.h"

#include <xlsxwriter.h>

#include <filesystem>
#include <system_error>

static_assert(LXW_VERSION_ID >= 114, "the chart export needs libxlsxwriter 1.1.4 or later");

namespace chart {

namespace {

[[noreturn]] void fail(lxw_error error)
{
    throw WriterError(lxw_strerror(error));
}

void check(lxw_error error)
{
    if (error != LXW_NO_ERROR) fail(error);
}

// Rows and columns of the writer count from 0.
lxw_row_t rowOf(int row)
{
    if (row < 1 || row > static_cast<int>(LXW_ROW_MAX)) fail(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
    return static_cast<lxw_row_t>(row - 1);
}

lxw_col_t columnOf(int column)
{
    if (column < 1 || column > static_cast<int>(LXW_COL_MAX)) fail(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE);
    return static_cast<lxw_col_t>(column - 1);
}

// The writer copies what it keeps, so the font may point into `name`.
lxw_chart_font fontOf(const Font& font)
{
    lxw_chart_font f{};
    f.name = const_cast<char*>(font.name.c_str());
    f.size = font.size;
    f.bold = font.bold ? LXW_TRUE : LXW_EXPLICIT_FALSE;
    return f;
}

lxw_chart_line lineOf(const Line& line)
{
    lxw_chart_line l{};
    l.color = line.rgb;
    l.width = static_cast<float>(line.width);
    return l;
}

void setRange(lxw_chart_series* series, const CellRange& range, bool xValues)
{
    auto set = xValues ? chart_series_set_categories : chart_series_set_values;
    set(series, range.sheet.c_str(), rowOf(range.firstRow), columnOf(range.firstColumn), rowOf(range.lastRow),
        columnOf(range.lastColumn));
}

void setAxis(lxw_chart_axis* axis, const Axis& axisStyle)
{
    if (!axisStyle.title.empty()) {
        chart_axis_set_name(axis, axisStyle.title.c_str());
        lxw_chart_font titleFont = fontOf(axisStyle.titleFont);
        chart_axis_set_name_font(axis, &titleFont);
    }
    lxw_chart_font labelFont = fontOf(axisStyle.labelFont);
    chart_axis_set_num_font(axis, &labelFont);
    if (axisStyle.minimum) chart_axis_set_min(axis, *axisStyle.minimum);
    if (axisStyle.maximum) chart_axis_set_max(axis, *axisStyle.maximum);
    if (axisStyle.reversed) chart_axis_set_reverse(axis);
    chart_axis_major_gridlines_set_visible(axis, axisStyle.majorGridlines ? LXW_TRUE : LXW_FALSE);
    chart_axis_minor_gridlines_set_visible(axis, axisStyle.minorGridlines ? LXW_TRUE : LXW_FALSE);
    chart_axis_set_major_tick_mark(axis, LXW_CHART_AXIS_TICK_MARK_OUTSIDE);
    chart_axis_set_minor_tick_mark(axis, LXW_CHART_AXIS_TICK_MARK_OUTSIDE);
    chart_axis_set_label_position(axis, LXW_CHART_AXIS_LABEL_POSITION_NEXT_TO);
    lxw_chart_line line = lineOf(axisStyle.line);
    chart_axis_set_line(axis, &line);
}

}  // namespace

XlsxChartBackend::~XlsxChartBackend()
{
    // Never saved: nothing was written, only the workbook in memory goes.
    if (workbook_) lxw_workbook_free(workbook_);
}

void XlsxChartBackend::createWorkbook(const std::string& path)
{
    if (workbook_) lxw_workbook_free(workbook_);
    path_ = path;
    partPath_ = path + ".part";
    workbook_ = workbook_new(partPath_.c_str());
    worksheet_ = nullptr;
    if (!workbook_) fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
}

void XlsxChartBackend::addWorksheet(const std::string& name)
{
    check(workbook_validate_sheet_name(workbook_, name.c_str()));
    worksheet_ = workbook_add_worksheet(workbook_, name.c_str());
    if (!worksheet_) fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
}

void XlsxChartBackend::writeNumber(int row, int column, double value)
{
    check(worksheet_write_number(worksheet_, rowOf(row), columnOf(column), value, nullptr));
}

void XlsxChartBackend::writeText(int row, int column, const std::string& text)
{
    check(worksheet_write_string(worksheet_, rowOf(row), columnOf(column), text.c_str(), nullptr));
}

void XlsxChartBackend::addChartSheet(const std::string& name, const ScatterChart& chartStyle, const PageTexts& page)
{
    check(workbook_validate_sheet_name(workbook_, name.c_str()));
    lxw_chartsheet* sheet = workbook_add_chartsheet(workbook_, name.c_str());
    lxw_chart* chart = workbook_add_chart(workbook_, LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS);
    if (!sheet || !chart) fail(LXW_ERROR_MEMORY_MALLOC_FAILED);

    chart_title_set_name(chart, chartStyle.title.c_str());
    lxw_chart_font titleFont = fontOf(chartStyle.titleFont);
    chart_title_set_name_font(chart, &titleFont);

    for (const Series& s : chartStyle.series) {
        lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
        if (!series) fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
        setRange(series, s.xValues, true);
        setRange(series, s.yValues, false);
        if (!s.name.empty()) chart_series_set_name(series, s.name.c_str());
        if (s.look == SeriesLook::MarkersOnly) {
            lxw_chart_line none{};
            none.none = LXW_TRUE;
            chart_series_set_line(series, &none);
        } else if (s.look == SeriesLook::LinesOnly) {
            chart_series_set_marker_type(series, LXW_CHART_MARKER_NONE);
        }
    }

    setAxis(chart->x_axis, chartStyle.x);
    setAxis(chart->y_axis, chartStyle.y);

    chart_legend_set_position(chart,
                              chartStyle.legendPosition == LegendPosition::Left ? LXW_CHART_LEGEND_LEFT
                                                                           : LXW_CHART_LEGEND_RIGHT);
    lxw_chart_font legendFont = fontOf(chartStyle.legendFont);
    chart_legend_set_font(chart, &legendFont);

    lxw_chart_line border = lineOf(chartStyle.border);
    chart_chartarea_set_line(chart, &border);
    lxw_chart_fill noFill{};
    noFill.none = LXW_TRUE;
    chart_chartarea_set_fill(chart, &noFill);

    check(chartsheet_set_chart(sheet, chart));
    if (!page.header.empty()) check(chartsheet_set_header(sheet, page.header.c_str()));
    if (!page.footer.empty()) check(chartsheet_set_footer(sheet, page.footer.c_str()));
    chartsheet_activate(sheet);
}

void XlsxChartBackend::setProperties(const DocumentProperties& properties)
{
    lxw_doc_properties p{};
    p.title = const_cast<char*>(properties.title.c_str());
    p.company = const_cast<char*>(properties.company.c_str());
    p.comments = const_cast<char*>(properties.comments.c_str());
    check(workbook_set_properties(workbook_, &p));
}

void XlsxChartBackend::save()
{
    lxw_workbook* workbook = workbook_;
    workbook_ = nullptr;  // closing frees it, whatever the outcome
    std::error_code ignored;
    const lxw_error error = workbook_close(workbook);
    if (error != LXW_NO_ERROR) {
        std::filesystem::remove(partPath_, ignored);
        fail(error);
    }
    std::error_code renameError;
    std::filesystem::rename(partPath_, path_, renameError);
    if (renameError) {
        std::filesystem::remove(partPath_, ignored);
        throw WriterError(renameError.message());
    }
}

}  // namespace chart
