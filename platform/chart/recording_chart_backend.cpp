#include "platform/chart/recording_chart_backend.h"

namespace chart {

void RecordingChartBackend::createWorkbook(const std::string& p)
{
    path = p;
}

void RecordingChartBackend::addWorksheet(const std::string& name)
{
    worksheets.push_back(name);
}

void RecordingChartBackend::writeNumber(int row, int column, double value)
{
    cells[{row, column}] = value;
}

void RecordingChartBackend::writeText(int row, int column, const std::string& text)
{
    cells[{row, column}] = text;
}

void RecordingChartBackend::addChartSheet(const std::string& name, const ScatterChart& chart, const PageTexts& page)
{
    chartSheets.push_back(ChartSheet{name, chart, page});
}

void RecordingChartBackend::setProperties(const DocumentProperties& p)
{
    properties = p;
}

void RecordingChartBackend::save()
{
    if (!saveError.empty()) throw WriterError(saveError);
    saved = true;
}

const RecordingChartBackend::Cell* RecordingChartBackend::cell(int row, int column) const
{
    auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

}  // namespace chart
