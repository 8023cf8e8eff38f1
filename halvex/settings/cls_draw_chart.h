// ClsDrawChart: hands a table of curves to the user as a spreadsheet file.
// DrawChart writes the table to a data sheet and an XY scatter chart of it
// to a chart sheet of a new .xlsx workbook in the temp folder, then opens
// the file with the desktop's handler for it. It keeps no state between
// calls; every failure comes back as rt::RuntimeError (docs/charts.md).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/chart/chart_backend.h"
#include "platform/runtime/variant.h"

namespace halvex {

class ClsDrawChart {
public:
    // NSeries curves over a table of NoCol columns: NoRow heading rows
    // ColTitle(1..NoRow, 1..NoCol) and Ncons data rows CellTxt(1..Ncons,
    // 1..NoCol), X values in column 1 and the Y values of curve s in column
    // s + 1. LegendTite(s) names curve s ("" keeps the default name);
    // LineType(s) is "Points", "LinesNoMarkers" or anything else (lines and
    // markers). StrTableTitle names the sheets. The X axis runs from MinX to
    // MaxX, the Y axis from MinY up (downwards when Y_AxesDownwardFlag).
    // FailureControl leaves values of +-99999 out and marks their row with
    // "***" after the last column; JumpHEqualZero leaves zero Y values out.
    //
    // Errors: 5 a sheet name the format refuses, a negative count or an
    // axis limit that is not a number; 9 an index outside the caller's
    // arrays; 6 more rows or columns than a sheet holds, or a value that is
    // not a finite number; 13 a value in columns 2 and up that is text and
    // not a number (all before anything is written); 75 the file could not
    // be written (nothing is left of it). A written file that no program
    // opens is no error: the file is kept and the user is told where it is
    // (an information box).
    void DrawChart(std::int16_t NSeries, std::int16_t NoCol, const std::int16_t& NoRow, std::int16_t Ncons,
                   const std::string& X_Title, const std::string& Y_Title, const rt::VArray& LegendTite,
                   const std::string& StrTableTitle, const rt::VArray& CellTxt, const rt::VArray& ColTitle,
                   bool Y_AxesDownwardFlag, const rt::VArray& LineType, float MinX, float MaxX, float MinY,
                   const std::string& ProjectData, const std::string& TitelUe1 = "",
                   const std::string& TitelUe2 = "", const std::string& TitelU1 = "",
                   const std::string& TitelU2 = "", const std::string& Firma1 = "",
                   const std::string& Firma2 = "", bool FailureControl = false, bool JumpHEqualZero = false);
};

// The colour of the axis lines and the chart-area border (0xRRGGBB).
inline constexpr std::uint32_t ChartLineColour = 0x333333;

// Gives the writer of each export: a new spreadsheet writer unless a test
// installs another (which may hand out one recorder every time); nullptr
// puts the spreadsheet writer back. Returns the previous factory.
using ChartBackendFactory = std::function<std::shared_ptr<chart::ChartBackend>()>;
ChartBackendFactory setChartBackendFactory(ChartBackendFactory factory);

}  // namespace halvex
