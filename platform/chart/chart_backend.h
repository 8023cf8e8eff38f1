// What a chart export needs of a spreadsheet file: a workbook with one data
// sheet of numbers and texts, an optional chart sheet with an XY scatter
// chart, page header and footer texts and document properties, saved to
// one file. The spreadsheet writer (xlsx_chart_backend.h) is the program's
// implementation; the recording one (recording_chart_backend.h) lets tests
// see what was asked.
//
// Rows and columns are 1-based, as on the sheet. A failure of the writer is
// thrown as chart::WriterError with the writer's own text.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace chart {

class WriterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Font {
    std::string name;
    double size = 10;
    bool bold = false;
};

// A line of an axis or a border: colour as 0xRRGGBB, width in points.
struct Line {
    std::uint32_t rgb = 0;
    double width = 0.75;
};

// A block of cells of one sheet, addressed by the sheet's name.
struct CellRange {
    std::string sheet;
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;
};

enum class SeriesLook {
    LinesAndMarkers,
    MarkersOnly,  // no line between the points
    LinesOnly     // no markers
};

struct Series {
    CellRange xValues;
    CellRange yValues;
    std::string name;  // "" keeps the writer's default name
    SeriesLook look = SeriesLook::LinesAndMarkers;
};

// A value axis. Units, crossing, scale type and display units stay
// automatic, linear and none; tick marks are outside and labels next to
// the axis.
struct Axis {
    std::string title;  // "" = no title
    Font titleFont;
    Font labelFont;
    std::optional<double> minimum;  // nullopt = automatic
    std::optional<double> maximum;
    bool reversed = false;
    bool majorGridlines = true;
    bool minorGridlines = false;
    Line line;
};

enum class LegendPosition { Left, Right };

struct ScatterChart {
    std::string title;
    Font titleFont;
    std::vector<Series> series;
    Axis x;
    Axis y;
    LegendPosition legendPosition = LegendPosition::Right;
    Font legendFont;
    Line border;  // of the chart area, which has no fill
};

// Page header and footer in the spreadsheet's control-code form
// ("&L", "&R", "&12", "&\"Font,Regular\"", "&&" for a literal "&").
struct PageTexts {
    std::string header;
    std::string footer;
};

struct DocumentProperties {
    std::string title;
    std::string company;
    std::string comments;
};

class ChartBackend {
public:
    virtual ~ChartBackend() = default;

    // Starts a workbook that save() writes to path. Nothing is on disk
    // before save().
    virtual void createWorkbook(const std::string& path) = 0;
    // The data sheet; cells go to it.
    virtual void addWorksheet(const std::string& name) = 0;
    virtual void writeNumber(int row, int column, double value) = 0;
    virtual void writeText(int row, int column, const std::string& text) = 0;
    // A chart sheet after the data sheet, holding the chart; it becomes the
    // active sheet.
    virtual void addChartSheet(const std::string& name, const ScatterChart& chart, const PageTexts& page) = 0;
    virtual void setProperties(const DocumentProperties& properties) = 0;
    // Writes the file whole, or leaves nothing at the path and throws.
    virtual void save() = 0;
};

}  // namespace chart
