#include "halvex/services/member_name.h"
#include "halvex/settings/cls_draw_chart.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "halvex/services/library_state.h"
#include "halvex/services/messages.h"
#include "outside/quillon/language_text.h"
#include "platform/chart/xlsx_chart_backend.h"
#include "platform/forms/desktop.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/strings.h"

namespace halvex {

namespace {

constexpr const char* ChartFontName = "Times New Roman";
constexpr int SheetNameLimit = 28;  // the chart sheet adds "(1)": 31, the format's limit
constexpr int PageTextLimit = 255;  // a header or footer string
constexpr int MaxRows = 32767;      // row numbers are Integers
constexpr int MaxColumns = 16384;   // columns of a sheet
constexpr double FailedValue = 99999;
constexpr const char* Marker = "***";

ChartBackendFactory& backendFactory()
{
    static ChartBackendFactory factory;
    return factory;
}

std::shared_ptr<chart::ChartBackend> makeBackend()
{
    if (backendFactory()) return backendFactory()();
    return std::make_shared<chart::XlsxChartBackend>();
}

// ---- text in code points (UTF-8) ----

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The text split into its characters.
std::vector<std::string> characters(const std::string& text)
{
    std::vector<std::string> out;
    for (char c : text) {
        if (isContinuationByte(c) && !out.empty()) {
            out.back() += c;
        } else {
            out.emplace_back(1, c);
        }
    }
    return out;
}

std::string firstCharacters(const std::string& text, std::size_t n)
{
    std::string out;
    std::vector<std::string> chars = characters(text);
    for (std::size_t i = 0; i < n && i < chars.size(); ++i) out += chars[i];
    return out;
}

std::string orMarker(const std::string& text)
{
    return text.empty() ? Marker : text;
}

// ---- sheet and file names ----

std::string sheetNameOf(const std::string& title)
{
    if (title.empty()) return " ";
    if (characters(title).size() > SheetNameLimit) return firstCharacters(title, 25) + "...";
    return title;
}

// The member as its messages name it.
constexpr const char* kMember = HALVEX_MEMBER(ClsDrawChart, DrawChart);

void checkSheetName(const std::string& name)
{
    const bool badCharacter = name.find_first_of("[]:*?/\\") != std::string::npos;
    const bool apostrophe = name.front() == '\'' || name.back() == '\'';
    if (badCharacter || apostrophe) {
        rt::raise(5, "The sheet name \"" + name +
                         "\" is refused: it may not hold [ ] : * ? / \\ nor begin or end with an apostrophe.");
    }
}

// "<name>.xlsx" in the temp folder, or the first free "<name>-2.xlsx", ...
std::string chartFilePath(const std::string& sheetName)
{
    std::string base = rt::trim(sheetName);
    if (base.empty()) base = "Chart";
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) rt::raise(75, "There is no temp folder for the chart file: " + error.message());
    for (int n = 1;; ++n) {
        const std::filesystem::path path = folder / (base + (n == 1 ? "" : "-" + std::to_string(n)) + ".xlsx");
        std::error_code statusError;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, statusError))) return path.string();
    }
}

// ---- the table ----

void checkCovers2D(const rt::VArray& array, const char* name, int rows, int columns)
{
    if (rows < 1 || columns < 1) return;
    const bool covers = array.dimensions() == 2 && array.lbound(1) <= 1 && array.ubound(1) >= rows &&
                        array.lbound(2) <= 1 && array.ubound(2) >= columns;
    if (!covers) {
        rt::raise(9, std::string(name) + " does not hold the indices (1 to " + std::to_string(rows) + ", 1 to " +
                         std::to_string(columns) + ") the table needs.");
    }
}

void checkCovers1D(const rt::VArray& array, const char* name, int count)
{
    if (count < 1) return;
    const bool covers = array.dimensions() == 1 && array.lbound(1) <= 1 && array.ubound(1) >= count;
    if (!covers) {
        rt::raise(9, std::string(name) + " does not hold the indices 1 to " + std::to_string(count) +
                         " the curves need.");
    }
}

struct CellWrite {
    int row;
    int column;
    std::optional<double> number;  // else text
    std::string text;
};

// A number, or text that reads as one: the number; other text: nullopt.
std::optional<double> numberOf(const rt::Variant& value)
{
    if (value.isString()) {
        try {
            return value.toDouble();
        } catch (const rt::RuntimeError& e) {
            if (e.number() != 13) throw;
            return std::nullopt;
        }
    }
    if (value.isArray()) rt::raise(13, "A cell of the chart table holds an array.");
    return value.toDouble();
}

// A spreadsheet cell holds finite numbers only.
std::optional<double> finite(std::optional<double> number)
{
    if (number && !std::isfinite(*number)) rt::raise(6, "The chart table holds a value that is not a finite number.");
    return number;
}

// Every cell the table puts on the data sheet, checked whole before any is
// written.
std::vector<CellWrite> planTable(int noCol, int noRow, int ncons, const rt::VArray& CellTxt,
                                 const rt::VArray& ColTitle, bool FailureControl, bool JumpHEqualZero)
{
    std::vector<CellWrite> cells;
    for (int i = 1; i <= noRow; ++i) {
        for (int j = 1; j <= noCol; ++j) {
            std::string heading = ColTitle.at(i, j).toString();
            if (!heading.empty()) cells.push_back(CellWrite{i, j, std::nullopt, std::move(heading)});
        }
    }
    for (int k = 1; k <= ncons; ++k) {
        const int row = noRow + k;
        const rt::Variant& x = CellTxt.at(k, 1);
        if (!x.isEmpty()) {
            std::optional<double> number = finite(numberOf(x));
            cells.push_back(CellWrite{row, 1, number, number ? std::string() : x.toString()});
        }
        bool marked = false;
        for (int j = 2; j <= noCol; ++j) {
            const rt::Variant& v = CellTxt.at(k, j);
            const std::optional<double> number = finite(numberOf(v));
            if (!number) {
                rt::raise(13, "The chart table holds text that is not a number in row " + std::to_string(k) +
                                  ", column " + std::to_string(j) + ": \"" + v.toString() + "\".");
            }
            if (JumpHEqualZero && *number == 0) continue;
            if (FailureControl && std::fabs(*number) == FailedValue) {
                marked = true;
                continue;
            }
            if (!v.isEmpty()) cells.push_back(CellWrite{row, j, number, {}});
        }
        if (marked) {
            if (noCol + 1 > MaxColumns) rt::raise(6, "The failure mark falls after the last column of a sheet.");
            cells.push_back(CellWrite{row, noCol + 1, std::nullopt, Marker});
        }
    }
    return cells;
}

// ---- header and footer ----

std::vector<std::string> escapedCharacters(const std::string& text)
{
    std::vector<std::string> out;
    for (std::string& c : characters(text)) out.push_back(c == "&" ? "&&" : std::move(c));
    return out;
}

// The sections' texts, "&" doubled, each cut from its end (the longest
// first) until they and the control codes fit the format's limit; a "&&"
// goes whole.
std::vector<std::string> fitTexts(const std::vector<std::string>& texts, std::size_t budget)
{
    std::vector<std::vector<std::string>> chars;
    std::vector<std::size_t> lengths;
    std::size_t total = 0;
    for (const std::string& t : texts) {
        chars.push_back(escapedCharacters(t));
        std::size_t length = 0;
        for (const std::string& c : chars.back()) length += c == "&&" ? 2 : 1;
        lengths.push_back(length);
        total += length;
    }
    while (total > budget) {
        std::size_t longest = 0;
        for (std::size_t i = 1; i < chars.size(); ++i) {
            if (lengths[i] > lengths[longest]) longest = i;
        }
        const std::size_t cut = chars[longest].back() == "&&" ? 2 : 1;
        chars[longest].pop_back();
        lengths[longest] -= cut;
        total -= cut;
    }
    std::vector<std::string> out;
    for (const auto& cs : chars) {
        std::string s;
        for (const std::string& c : cs) s += c;
        out.push_back(std::move(s));
    }
    return out;
}

std::string fontCode(int size)
{
    // The size first: a text that starts with a digit would run into it.
    return "&" + std::to_string(size) + "&\"" + ChartFontName + ",Regular\"";
}

// The text boxes of the chart sheet as its header and footer: the headings
// at the top right, company and project at the bottom left, the bottom line
// at the bottom right.
chart::PageTexts pageTexts(const std::string& ProjectData, const std::string& TitelUe1,
                           const std::string& TitelUe2, const std::string& TitelU2, const std::string& Firma1,
                           const std::string& Firma2)
{
    chart::PageTexts page;
    const std::string headerCodes = "&R" + fontCode(12);
    std::vector<std::string> header = fitTexts({TitelUe1 + "\n" + TitelUe2},
                                               PageTextLimit - characters(headerCodes).size());
    page.header = headerCodes + header[0];

    const std::string leftCodes = "&L" + fontCode(10);
    const std::string rightCodes = "&R" + fontCode(12);
    std::vector<std::string> footer =
        fitTexts({Firma1 + "\n" + Firma2 + "\n" + ProjectData, TitelU2},
                 PageTextLimit - characters(leftCodes).size() - characters(rightCodes).size());
    page.footer = leftCodes + footer[0] + rightCodes + footer[1];
    return page;
}

// ---- the chart ----

chart::Font chartFont(double size)
{
    return chart::Font{ChartFontName, size, false};
}

chart::Axis valueAxis(const std::string& title, double minimum, std::optional<double> maximum)
{
    chart::Axis axis;
    axis.title = title;
    axis.titleFont = chartFont(10);
    axis.labelFont = chartFont(10);
    axis.minimum = minimum;
    axis.maximum = maximum;
    axis.majorGridlines = true;
    axis.minorGridlines = false;
    axis.line = chart::Line{ChartLineColour, 1.5};
    return axis;
}

chart::SeriesLook lookOf(const std::string& lineType)
{
    if (lineType == "Points") return chart::SeriesLook::MarkersOnly;
    if (lineType == "LinesNoMarkers") return chart::SeriesLook::LinesOnly;
    return chart::SeriesLook::LinesAndMarkers;
}

}  // namespace

ChartBackendFactory setChartBackendFactory(ChartBackendFactory factory)
{
    ChartBackendFactory previous = std::move(backendFactory());
    backendFactory() = std::move(factory);
    return previous;
}

void ClsDrawChart::DrawChart(std::int16_t NSeries, std::int16_t NoCol, const std::int16_t& NoRow,
                             std::int16_t Ncons, const std::string& X_Title, const std::string& Y_Title,
                             const rt::VArray& LegendTite, const std::string& StrTableTitle,
                             const rt::VArray& CellTxt, const rt::VArray& ColTitle, bool Y_AxesDownwardFlag,
                             const rt::VArray& LineType, float MinX, float MaxX, float MinY,
                             const std::string& ProjectData, const std::string& TitelUe1,
                             const std::string& TitelUe2, const std::string& TitelU1,
                             const std::string& TitelU2, const std::string& Firma1, const std::string& Firma2,
                             bool FailureControl, bool JumpHEqualZero)
{
    // Every error passes to the caller with the member's name in front.
    AsMember(kMember, [&] {
        const std::string project = orMarker(ProjectData);
        const std::string headingTop = orMarker(TitelUe1);
        const std::string headingSecond = orMarker(TitelUe2);
        const std::string chartTitle = orMarker(TitelU1);
        const std::string bottomLine = orMarker(TitelU2);
        const std::string company1 = orMarker(Firma1);
        const std::string company2 = orMarker(Firma2);

        const std::string sheetName = sheetNameOf(StrTableTitle);
        checkSheetName(sheetName);

        // Everything is checked before anything is written.
        const std::pair<const char*, int> counts[] = {
            {"NSeries", NSeries}, {"NoCol", NoCol}, {"NoRow", NoRow}, {"Ncons", Ncons}};
        for (const auto& [argument, count] : counts) {
            if (count < 0) RaiseArgumentError(5, kMember, argument);
        }
        const int noRow = NoRow;  // read once: the caller's variable is not ours
        checkCovers2D(ColTitle, "ColTitle", noRow, NoCol);
        checkCovers2D(CellTxt, "CellTxt", Ncons, NoCol);
        checkCovers1D(LegendTite, "LegendTite", NSeries);
        checkCovers1D(LineType, "LineType", NSeries);
        if (noRow + Ncons > MaxRows) {
            rt::raise(6, "The chart table has " + std::to_string(noRow + Ncons) + " rows; a sheet of it holds " +
                             std::to_string(MaxRows) + ".");
        }
        const bool hasChart = NSeries > 0 && Ncons > 0;
        if (NoCol > MaxColumns || (hasChart && NSeries + 1 > MaxColumns)) {
            rt::raise(6, "The chart table has more columns than a sheet holds (" + std::to_string(MaxColumns) + ").");
        }
        const std::pair<const char*, float> limits[] = {{"MinX", MinX}, {"MaxX", MaxX}, {"MinY", MinY}};
        for (const auto& [argument, limit] : limits) {
            if (hasChart && !std::isfinite(limit)) RaiseArgumentError(5, kMember, argument);
        }
        if (hasChart && MinX > MaxX) RaiseArgumentError(5, kMember, "MinX");
        const std::vector<CellWrite> cells =
            planTable(NoCol, noRow, Ncons, CellTxt, ColTitle, FailureControl, JumpHEqualZero);

        chart::ScatterChart chartSpec;
        if (hasChart) {
            chartSpec.title = chartTitle;
            chartSpec.titleFont = chartFont(12);
            for (int s = 1; s <= NSeries; ++s) {
                chart::Series series;
                series.xValues = chart::CellRange{sheetName, noRow + 1, 1, noRow + Ncons, 1};
                series.yValues = chart::CellRange{sheetName, noRow + 1, s + 1, noRow + Ncons, s + 1};
                series.name = LegendTite.at(s).toString();
                series.look = lookOf(LineType.at(s).toString());
                chartSpec.series.push_back(std::move(series));
            }
            chartSpec.x = valueAxis(X_Title, MinX, MaxX);
            chartSpec.y = valueAxis(Y_Title, MinY, std::nullopt);
            chartSpec.y.reversed = Y_AxesDownwardFlag;
            chartSpec.legendPosition =
                textLib().IsRightToLeft() ? chart::LegendPosition::Left : chart::LegendPosition::Right;
            chartSpec.legendFont = chartFont(10);
            chartSpec.border = chart::Line{ChartLineColour, 0.75};
        }

        const std::string path = chartFilePath(sheetName);
        try {
            const std::shared_ptr<chart::ChartBackend> writer = makeBackend();
            writer->createWorkbook(path);
            writer->addWorksheet(sheetName);
            for (const CellWrite& cell : cells) {
                if (cell.number) {
                    writer->writeNumber(cell.row, cell.column, *cell.number);
                } else {
                    writer->writeText(cell.row, cell.column, cell.text);
                }
            }
            forms::doEvents();
            if (hasChart) {
                writer->addChartSheet(sheetName + "(1)", chartSpec,
                                      pageTexts(project, headingTop, headingSecond, bottomLine, company1, company2));
            }
            writer->setProperties(chart::DocumentProperties{chartTitle, company1, project});
            writer->save();
        } catch (const chart::WriterError& e) {
            rt::raise(75, "The chart file " + path + " could not be written: " + e.what());
        }

        // The workbook is written: without a program to open it (a server, a
        // desktop without a spreadsheet program, told at once or by the
        // opener's late verdict) that is still a success, and the user is
        // told where the file is.
        auto notOpened = [path] {
            quillon::ClsLanguageText* found = TextsForMessage();
            if (found == nullptr) return;
            quillon::ClsLanguageText& texts = *found;
            ShowLibraryMessage(texts.GetText(rt::Variant(quillon::TextNo(140322)), {rt::Variant("|1"), rt::Variant(path)}),
                          texts.MessageBoxFlags() | forms::vbInformation, MessageTitle(texts));
        };
        if (!forms::desktop().openUrl(path, notOpened)) notOpened();
    });
}

}  // namespace halvex
